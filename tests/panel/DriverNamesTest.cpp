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
#include "driver/IsoStreamEntryRef.h"
#include "eventlog/EventLog.h"
#include "eventlog/EventLogModel.h"
#include "rows/CounterRef.h"
#include "rows/PageText.h"
#include "support/PageTextSourcesOf.h"
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
        // The first device only: two devices of one name would have their streams told apart.
        ASSERT_TRUE(p.sim.SetDeviceNames(0, c.name, c.nick));
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

TEST(DriverNames, AStreamHasOneNameInTreeHeadingLogExportsAndPlots) {
    enum class Names { Apart, Shared, Unreadable };
    struct Case {
        const char* what;
        Names names;
    };
    const Case cases[] = {
        {"each stream on a device of its own", Names::Apart},
        {"two streams on one device", Names::Shared},
        {"a name that cannot be read", Names::Unreadable},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        sim::SimOptions options;
        if (c.names == Names::Shared) options.devices = 1;
        PanelFixture p(options);
        if (c.names == Names::Unreadable) {
            sim::FaultPlan faults;
            faults.failCode = IOCTL_QOR_GET_DEVICE_INFO;
            p.sim.SetFaults(faults);
        }
        p.Start();
        p.Tick(2);
        const unsigned channel = IsoStreamEntryRef::At(p.dev.Snapshot().isoStreamStatistics, Dir::In, 0).IsoChannel();
        const QString stream = QStringLiteral("Stream %1").arg(channel);
        const QString name = c.names == Names::Apart    ? QStringLiteral("Velmoric Studio 8")
                             : c.names == Names::Shared ? QStringLiteral("Velmoric Studio 8 (%1)").arg(stream)
                                                        : stream;
        const QString where = QStringLiteral("ISO IN Streams/") + name;

        ASSERT_GT(p.Root(NodeKind_IsoInStreams)->childCount(), 1);
        EXPECT_EQ(p.Root(NodeKind_IsoInStreams)->child(0)->text(0), name);
        EXPECT_NE(p.Root(NodeKind_IsoInStreams)->child(1)->text(0), name);
        CListColorCtrlEx& list = p.Page<CDlgPgIsoInStreams>("isoInStreamsPage").List();
        EXPECT_EQ(list.HeadingText(1), name);

        const PageTextSources sources = PageTextSourcesOf(p.dev);
        EXPECT_EQ(QString::fromStdString(PageTableOf(sources, MakeNodeCode(NodeKind_IsoInStream, 0)).path), where);
        EXPECT_EQ(QString::fromStdString(PageTableOf(sources, NodeKind_IsoInStreams).headings.at(1)), name);

        p.sim.SetIsoInField(0, IsoInField::MissingPacket, 1000);
        p.Tick();
        EventLogModel& log = p.frame->Events().Model();
        ASSERT_GT(log.rowCount(), 0);
        EXPECT_TRUE(log.Line(log.rowCount() - 1).contains(where + ": MissingPacket")) << log.Line(log.rowCount() - 1).toStdString();

        p.Select(p.Root(NodeKind_IsoInStreams));
        QString title;
        QObject::connect(&p.View(), &CQorstatsView::historyRequested,
                         [&](const CounterRef&, const QString& t) { title = t; });
        int missing = 0;
        while (missing < list.RowCount() && list.CellText(missing, 0) != "MissingPacket") ++missing;
        p.View().RequestHistory(list, missing, 1);
        EXPECT_TRUE(title.endsWith(", " + name)) << title.toStdString();
    }
}
