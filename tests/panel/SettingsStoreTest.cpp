#include <gtest/gtest.h>

#include <QFile>
#include <QFileDevice>
#include <QDir>
#include <QTemporaryDir>

#include "platform/SettingsStore.h"

namespace {
constexpr auto Hklm = SettingsStore::Root::LocalMachine;
constexpr const char* Key = "Software\\Quandrel\\QOR_Stats";

struct SettingsStoreTest : ::testing::Test {
    QTemporaryDir dir;
    std::string file = (dir.path() + "/QOR_Stats.ini").toStdString();
    SettingsStore store{file};
};
}  // namespace

TEST_F(SettingsStoreTest, FreshStoreCreatesItsKeyAndReadsNothingUntilWritten) {
    uint32_t value = 77;
    EXPECT_EQ(store.ReadDword(Hklm, Key, "LastSelItem", value), 0u);  // no key: 0, value untouched
    EXPECT_EQ(value, 77u);
    EXPECT_EQ(store.OpenKey(Hklm, Key), nullptr);
    EXPECT_EQ(store.CreateKey(Hklm, "Software", "Quandrel\\QOR_Stats"), 0);
    EXPECT_NE(store.OpenKey(Hklm, Key), nullptr);
    EXPECT_NE(store.ReadDword(Hklm, Key, "LastSelItem", value), 0u);  // key but no value
    EXPECT_EQ(value, 77u);
    EXPECT_EQ(store.WriteDword(Hklm, Key, "LastSelItem", 0x21000002), 0u);
    EXPECT_EQ(store.ReadDword(Hklm, Key, "LastSelItem", value), 0u);
    EXPECT_EQ(value, 0x21000002u);
    // Another store object on the same file sees it: the value lives in the file.
    SettingsStore again(file);
    uint32_t reread = 0;
    EXPECT_EQ(again.ReadDword(Hklm, Key, "LastSelItem", reread), 0u);
    EXPECT_EQ(reread, 0x21000002u);
}

TEST_F(SettingsStoreTest, KeysBelowAMissingParentCannotBeCreatedOrWritten) {
    EXPECT_EQ(store.CreateKey(Hklm, "Software\\Nowhere", "Sub"), -1);
    EXPECT_NE(store.WriteDword(Hklm, Key, "LastSelItem", 1), 0u);
}

TEST_F(SettingsStoreTest, ValuesOfAnotherTypeOrSizeReadAsNothing) {
    ASSERT_EQ(store.CreateKey(Hklm, "Software", "Quandrel\\QOR_Stats"), 0);
    const char* bad[] = {"hello", "dword:123", "dword:1234567890", "dword:XYZXYZXY", "42"};
    for (const char* text : bad) {
        {
            QFile f(QString::fromStdString(file));
            ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
            f.write(QByteArray("[Software]\nQuandrel\\QOR_Stats\\%40=\n[Software/Quandrel/QOR_Stats]\n%40=\nLastSelItem=") + text +
                    "\n");
        }
        SettingsStore fresh(file);
        uint32_t value = 5;
        EXPECT_NE(fresh.ReadDword(Hklm, Key, "LastSelItem", value), 0u) << text;
        EXPECT_EQ(value, 5u) << text;
    }
}

TEST_F(SettingsStoreTest, CorruptOrHugeFilesAreNotTrusted) {
    {
        QFile f(QString::fromStdString(file));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QByteArray(200 * 1024, '\x01'));
    }
    uint32_t value = 9;
    EXPECT_EQ(store.ReadDword(Hklm, Key, "LastSelItem", value), 0u);
    EXPECT_EQ(value, 9u);
    EXPECT_EQ(store.OpenKey(Hklm, Key), nullptr);
}

TEST_F(SettingsStoreTest, UnwritableLocationFailsSilently) {
    // A directory that cannot be made, even by root: one of its parents is a plain file.
    QFile blocker(dir.path() + "/blocker");
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    SettingsStore store2((dir.path() + "/blocker/sub/QOR_Stats.ini").toStdString());
    EXPECT_NE(store2.CreateKey(Hklm, "Software", "Quandrel\\QOR_Stats"), 0);
    EXPECT_NE(store2.WriteDword(Hklm, Key, "LastSelItem", 3), 0u);
    uint32_t value = 0;
    store2.ReadDword(Hklm, Key, "LastSelItem", value);
    EXPECT_EQ(value, 0u);
}
