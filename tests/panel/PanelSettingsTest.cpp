#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "platform/SettingsStore.h"
#include "settings/PanelSettings.h"

namespace {
constexpr auto Hklm = SettingsStore::Root::LocalMachine;

struct PanelSettingsTest : ::testing::Test {
    QTemporaryDir dir;
    SettingsStore store{(dir.path() + "/QOR_Stats.ini").toStdString()};
    PanelSettings settings{store};
};
}  // namespace

// Earlier and later versions of the panel, and the Windows one, look for the node there.
TEST_F(PanelSettingsTest, TheNodeIsKeptAsLastSelItemUnderTheQuandrelKey) {
    settings.CreateKey();
    EXPECT_NE(store.OpenKey(Hklm, "Software\\Quandrel\\QOR_Stats"), nullptr);
    ASSERT_TRUE(settings.SetLastSelItem(0x21000002));

    uint32_t raw = 0;
    EXPECT_EQ(store.ReadDword(Hklm, "Software\\Quandrel\\QOR_Stats", "LastSelItem", raw), 0u);
    EXPECT_EQ(raw, 0x21000002u);
    EXPECT_EQ(PanelSettings(store).LastSelItem(), 0x21000002u);
}

TEST_F(PanelSettingsTest, NothingIsKeptBeforeTheKeyExists) {
    EXPECT_FALSE(settings.SetLastSelItem(0x12000000));
    EXPECT_EQ(settings.LastSelItem(), 0u);
    settings.CreateKey();
    EXPECT_TRUE(settings.SetLastSelItem(0x12000000));
    EXPECT_EQ(settings.LastSelItem(), 0x12000000u);
}
