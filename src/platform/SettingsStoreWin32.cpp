#include "platform/SettingsStore.h"

#include <cstring>

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

namespace {
// Creating the key and its parent's handle for that still ask for both.
constexpr REGSAM CreateAccess = KEY_READ | KEY_WRITE;

HKEY RootKey(SettingsStore::Root) { return HKEY_LOCAL_MACHINE; }
HKEY AsHkey(SettingsStore::Key key) { return static_cast<HKEY>(key); }

HKEY Open(SettingsStore::Root root, const char* path, REGSAM access) {
    HKEY key = nullptr;
    if (::RegOpenKeyExA(RootKey(root), path, 0, access, &key) != ERROR_SUCCESS) return nullptr;
    return key;
}
}  // namespace

// The registry needs no backing file.
SettingsStore::SettingsStore(std::string backingFile) : file_(std::move(backingFile)) {}

SettingsStore::Key SettingsStore::OpenKey(Root root, const char* path, Access access) const {
    return Open(root, path, access == Access::Read ? KEY_READ : KEY_SET_VALUE);
}

void SettingsStore::CloseKey(Key key) const {
    if (key) ::RegCloseKey(AsHkey(key));
}

int32_t SettingsStore::CreateKey(Root root, const char* parentPath, const char* name) const {
    Key parent = Open(root, parentPath, CreateAccess);
    if (!parent) return -1;
    HKEY sub = nullptr;
    LONG rc = ::RegCreateKeyExA(AsHkey(parent), name, 0, nullptr, REG_OPTION_NON_VOLATILE, CreateAccess, nullptr,
                                &sub, nullptr);
    if (rc == ERROR_SUCCESS) ::RegCloseKey(sub);
    CloseKey(parent);
    return rc == ERROR_SUCCESS ? 0 : 1;
}

uint32_t SettingsStore::ReadDword(Root root, const char* path, const char* valueName, uint32_t& value) const {
    Key key = OpenKey(root, path);
    if (!key) return 0;
    DWORD type = REG_NONE;
    BYTE data[sizeof(uint32_t)] = {};
    DWORD size = sizeof data;
    LONG rc = ::RegQueryValueExA(AsHkey(key), valueName, nullptr, &type, data, &size);
    CloseKey(key);
    // Anything but a 4-byte REG_DWORD is not a value this store wrote.
    if (rc == ERROR_SUCCESS && (type != REG_DWORD || size != sizeof data)) rc = ERROR_INVALID_DATA;
    if (rc != ERROR_SUCCESS) {
        // The registry answers through its result; the thread's last error is what callers see.
        ::SetLastError(static_cast<DWORD>(rc));
        return ::GetLastError();
    }
    std::memcpy(&value, data, sizeof data);
    return ERROR_SUCCESS;
}

uint32_t SettingsStore::WriteDword(Root root, const char* path, const char* valueName, uint32_t value) const {
    Key key = OpenKey(root, path, Access::Write);
    // What setting a value on a key that did not open reports.
    if (!key) return ERROR_INVALID_HANDLE;
    DWORD data = value;
    LONG rc = ::RegSetValueExA(AsHkey(key), valueName, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&data),
                               sizeof data);
    CloseKey(key);
    return static_cast<uint32_t>(rc);
}
