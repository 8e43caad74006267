#include <gtest/gtest.h>

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#include <sddl.h>

#include <cstring>
#include <string>

#include "platform/SettingsStore.h"

namespace {
using Root = SettingsStore::Root;
constexpr const char* TestRoot = "Software\\QorWin32Tests";
constexpr const char* ValueName = "LastSelItem";
constexpr uint32_t Sentinel = 0x00C0FFEE;

// Each test gets a key path of its own under HKEY_LOCAL_MACHINE\Software, shaped like the
// panel's (a two-level name below "Software"), and removes it afterwards.
struct SettingsStoreWin32Test : ::testing::Test {
    SettingsStore store{"ignored-on-windows.ini"};
    std::string name = std::string("QorWin32Tests\\") +
                       ::testing::UnitTest::GetInstance()->current_test_info()->name() + "-" +
                       std::to_string(::GetCurrentProcessId());
    std::string path = "Software\\" + name;

    void SetUp() override { ::RegDeleteTreeA(HKEY_LOCAL_MACHINE, TestRoot); }
    void TearDown() override { ::RegDeleteTreeA(HKEY_LOCAL_MACHINE, TestRoot); }

    bool KeyExists(const std::string& p) const {
        HKEY key = nullptr;
        if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, p.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
        ::RegCloseKey(key);
        return true;
    }
    // Gives everybody, the key's owner included, only the access that the SDDL grants.
    void SetDacl(const char* sddl) {
        PSECURITY_DESCRIPTOR sd = nullptr;
        ASSERT_TRUE(::ConvertStringSecurityDescriptorToSecurityDescriptorA(sddl, SDDL_REVISION_1, &sd, nullptr));
        HKEY key = nullptr;
        // The owner may always change the key's permissions.
        ASSERT_EQ(::RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, WRITE_DAC, &key), ERROR_SUCCESS);
        EXPECT_EQ(::RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, sd), ERROR_SUCCESS);
        ::RegCloseKey(key);
        ::LocalFree(sd);
    }
    uint32_t RawValue() {
        DWORD raw = 0;
        DWORD size = sizeof raw;
        ::RegGetValueA(HKEY_LOCAL_MACHINE, path.c_str(), ValueName, RRF_RT_REG_DWORD, nullptr, &raw, &size);
        return raw;
    }
    // Puts a value there the way another program might.
    void PutRaw(DWORD type, const void* data, DWORD size) {
        ASSERT_EQ(::RegSetKeyValueA(HKEY_LOCAL_MACHINE, path.c_str(), ValueName, type, data, size), ERROR_SUCCESS);
    }
};
}  // namespace

TEST_F(SettingsStoreWin32Test, CreatedKeyReadsNothingFirstThenWhatWasWritten) {
    ASSERT_FALSE(KeyExists(path));
    ASSERT_EQ(store.CreateKey(Root::LocalMachine, "Software", name.c_str()), 0);
    EXPECT_TRUE(KeyExists(path)) << "not created below HKEY_LOCAL_MACHINE\\Software";
    SettingsStore::Key key = store.OpenKey(Root::LocalMachine, path.c_str());
    EXPECT_NE(key, nullptr);
    store.CloseKey(key);

    uint32_t value = 0;
    EXPECT_EQ(store.ReadDword(Root::LocalMachine, path.c_str(), ValueName, value),
              static_cast<uint32_t>(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(value, 0u);

    EXPECT_EQ(store.WriteDword(Root::LocalMachine, path.c_str(), ValueName, 0x05000003), 0u);
    EXPECT_EQ(store.ReadDword(Root::LocalMachine, path.c_str(), ValueName, value), 0u);
    EXPECT_EQ(value, 0x05000003u);

    // What another reader of the registry finds: a 4-byte REG_DWORD.
    DWORD type = 0;
    DWORD raw = 0;
    DWORD size = sizeof raw;
    ASSERT_EQ(::RegGetValueA(HKEY_LOCAL_MACHINE, path.c_str(), ValueName, RRF_RT_ANY, &type, &raw, &size),
              ERROR_SUCCESS);
    EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(size, 4u);
    EXPECT_EQ(raw, 0x05000003u);

    // Creating it again opens it and keeps what is stored.
    EXPECT_EQ(store.CreateKey(Root::LocalMachine, "Software", name.c_str()), 0);
    EXPECT_EQ(store.WriteDword(Root::LocalMachine, path.c_str(), ValueName, 0xFFFFFFFF), 0u);
    EXPECT_EQ(store.ReadDword(Root::LocalMachine, path.c_str(), ValueName, value), 0u);
    EXPECT_EQ(value, 0xFFFFFFFFu);
}

TEST_F(SettingsStoreWin32Test, AValueOfAnotherTypeOrSizeReadsAsNothing) {
    ASSERT_EQ(store.CreateKey(Root::LocalMachine, "Software", name.c_str()), 0);
    struct Case {
        const char* what;
        DWORD type;
        const char* bytes;
        DWORD size;
    } cases[] = {
        {"REG_SZ that fits in 4 bytes", REG_SZ, "ab", 3},
        {"empty REG_SZ", REG_SZ, "", 1},
        {"REG_BINARY of 2 bytes", REG_BINARY, "\x01\x02", 2},
        {"REG_BINARY of 4 bytes", REG_BINARY, "\x01\x02\x03\x04", 4},
        {"REG_DWORD of 2 bytes", REG_DWORD, "\x01\x02", 2},
        {"REG_QWORD", REG_QWORD, "\x01\x02\x03\x04\x05\x06\x07\x08", 8},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        PutRaw(c.type, c.bytes, c.size);
        uint32_t value = Sentinel;
        EXPECT_NE(store.ReadDword(Root::LocalMachine, path.c_str(), ValueName, value), 0u);
        EXPECT_EQ(value, Sentinel);
    }
}

TEST_F(SettingsStoreWin32Test, MissingKeysFailQuietlyAndCreateNothing) {
    std::string orphan = path + "\\NoSuchParent";
    EXPECT_EQ(store.CreateKey(Root::LocalMachine, orphan.c_str(), "Child"), -1);
    EXPECT_FALSE(KeyExists(orphan));
    EXPECT_EQ(store.OpenKey(Root::LocalMachine, path.c_str()), nullptr);

    // A key that cannot be opened reads as success with the value left as it was.
    uint32_t value = Sentinel;
    EXPECT_EQ(store.ReadDword(Root::LocalMachine, path.c_str(), ValueName, value), 0u);
    EXPECT_EQ(value, Sentinel);

    EXPECT_NE(store.WriteDword(Root::LocalMachine, path.c_str(), ValueName, 1), 0u);
    EXPECT_FALSE(KeyExists(path)) << "a write must not create the key";
}

TEST_F(SettingsStoreWin32Test, ASubKeyTheRegistryRefusesReportsOne) {
    // A volatile parent takes no lasting children, and the store creates lasting keys.
    HKEY parent = nullptr;
    ASSERT_EQ(::RegCreateKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, REG_OPTION_VOLATILE, KEY_ALL_ACCESS,
                                nullptr, &parent, nullptr),
              ERROR_SUCCESS);
    ::RegCloseKey(parent);
    EXPECT_EQ(store.CreateKey(Root::LocalMachine, path.c_str(), "Child"), 1);
    EXPECT_FALSE(KeyExists(path + "\\Child"));
}

// A standard user may read below HKEY_LOCAL_MACHINE but not write: the node an administrator
// stored still comes back, and only the write fails.
TEST_F(SettingsStoreWin32Test, ReadingAsksOnlyForReadAccessAndWritingOnlyForWriteAccess) {
    struct Case {
        const char* what;
        const char* dacl;
        bool readable;
        bool writable;
    } cases[] = {
        {"readable, not writable", "D:P(A;;KR;;;WD)", true, false},
        {"writable, not readable", "D:P(A;;KW;;;WD)", false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_EQ(store.CreateKey(Root::LocalMachine, "Software", name.c_str()), 0);
        ASSERT_EQ(store.WriteDword(Root::LocalMachine, path.c_str(), ValueName, 0x05000003), 0u);
        SetDacl(c.dacl);

        uint32_t value = Sentinel;
        EXPECT_EQ(store.ReadDword(Root::LocalMachine, path.c_str(), ValueName, value), 0u);
        EXPECT_EQ(value, c.readable ? 0x05000003u : Sentinel);
        SettingsStore::Key key = store.OpenKey(Root::LocalMachine, path.c_str());
        EXPECT_EQ(key != nullptr, c.readable);
        store.CloseKey(key);

        const uint32_t written = store.WriteDword(Root::LocalMachine, path.c_str(), ValueName, 0x05000007);
        EXPECT_EQ(written == 0, c.writable);

        SetDacl("D:P(A;;KA;;;WD)");
        EXPECT_EQ(RawValue(), c.writable ? 0x05000007u : 0x05000003u);
        ::RegDeleteTreeA(HKEY_LOCAL_MACHINE, TestRoot);
    }
}
