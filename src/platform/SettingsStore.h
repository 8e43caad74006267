#pragma once

#include <cstdint>
#include <string>

// The few registry operations the panel needs for its one remembered setting. On Windows
// they go to the registry; elsewhere to an INI file that keeps the registry's shape (one
// section per key path, REG_DWORD values written as "dword:XXXXXXXX"). Failures are
// reported through the results only; nothing is shown to the user.
class SettingsStore {
public:
    using Key = void*;
    enum class Root { LocalMachine };
    // Reading needs no more than read access, so a user who may not write the key still gets
    // what was stored in it; writing asks for write access.
    enum class Access { Read, Write };

    // The file behind the store where there is no registry; empty selects the user's
    // configuration directory. Ignored on Windows.
    explicit SettingsStore(std::string backingFile = {});

    // The key's handle, or null when it cannot be opened for that access. Close it with CloseKey.
    Key OpenKey(Root root, const char* path, Access access = Access::Read) const;
    void CloseKey(Key key) const;
    // -1 when the parent cannot be opened, 1 when the sub key cannot be created, 0 on success.
    int32_t CreateKey(Root root, const char* parentPath, const char* name) const;
    // 0 on success; a Windows error code otherwise (value unchanged). A missing key reads as 0
    // with the value unchanged.
    uint32_t ReadDword(Root root, const char* path, const char* valueName, uint32_t& value) const;
    uint32_t WriteDword(Root root, const char* path, const char* valueName, uint32_t value) const;

private:
    std::string file_;
};
