// Names from the driver's records shown wherever the panel shows them: decoded as the control
// device carries them (UTF-8 on Linux), not byte by byte.
#include <gtest/gtest.h>

#include <QString>
#include <QTreeWidgetItem>
#include <string>

#include "controls/CListColorCtrlEx.h"
#include "pages/CDlgPgChannelsIn.h"
#include "pages/CDlgPgDevices.h"
#include "pages/CDlgPgIsoInStreams.h"
#include "support/PanelFixture.h"

TEST(DriverNames, ShowDecodedInCellsHeadingsAndTreeLabels) {
    struct Case {
        const char* what;
        std::string name;  // hardware names of devices and channel
        std::string nick;  // a device's nick name field holds 40 bytes
        QString shownName;
        QString shownNick;
    };
    const Case cases[] = {
        {"multi-byte characters", "Caf\xC3\xA9 \xE2\x82\xAC Interface", "B\xC3\xBChne",
         QString::fromUtf16(u"Caf\u00E9 \u20AC Interface"), QString::fromUtf16(u"B\u00FChne")},
        {"a broken byte in the middle", "In\xFF" "terface", "St\xE9" "age", QString::fromUtf16(u"In\uFFFDterface"),
         QString::fromUtf16(u"St\uFFFDage")},
        {"a character cut by the field's end", "Interface", std::string(39, 'n') + "\xC3\xA9", "Interface",
         QString(39, 'n') + QChar(0xFFFD)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        PanelFixture p;
        for (uint32_t d = 0; d < p.sim.DeviceCount(); ++d) ASSERT_TRUE(p.sim.SetDeviceNames(d, c.name, c.nick));
        ASSERT_TRUE(p.sim.SetChannelNames(Dir::In, 0, 0, c.name, c.nick));
        p.Start();
        p.Tick(2);

        ASSERT_GT(p.Root(NodeKind_IsoInStreams)->childCount(), 0);
        EXPECT_EQ(p.Root(NodeKind_IsoInStreams)->child(0)->text(0), c.shownName);
        ASSERT_GT(p.Root(NodeKind_ChannelsIn)->childCount(), 0);
        EXPECT_TRUE(p.Root(NodeKind_ChannelsIn)->child(0)->text(0).startsWith(c.shownName + " ["))
            << p.Root(NodeKind_ChannelsIn)->child(0)->text(0).toStdString();
        EXPECT_EQ(p.Page<CDlgPgIsoInStreams>("isoInStreamsPage").List().HeadingText(1), c.shownName);

        p.Select(p.Root(NodeKind_Devices));
        p.Tick();
        EXPECT_EQ(p.Page<CDlgPgDevices>("devicesPage").List().CellText(1, 1), c.shownName);
        EXPECT_EQ(p.Page<CDlgPgDevices>("devicesPage").List().CellText(2, 1), c.shownNick);

        p.Select(p.Root(NodeKind_ChannelsIn));
        p.Tick();
        EXPECT_EQ(p.Page<CDlgPgChannelsIn>("channelsInPage").List().CellText(0, 0), c.shownName);
        EXPECT_EQ(p.Page<CDlgPgChannelsIn>("channelsInPage").List().CellText(0, 1), c.shownName);
    }
}
