// The settings store of the fuzz harnesses, in place of the file store (see SettingsStoreMemory.h).
// It defines every member of SettingsStore, so the linker never takes the file store's.
#include "fuzz/SettingsStoreMemory.h"

#include <cstdint>
#include <map>
#include <set>
#include <string>

#include "platform/SettingsStore.h"
#include "platform/WinError.h"

namespace {
// "Software" exists on every machine; everything below it only once created.
constexpr const char* AlwaysThere = "Software";

struct Contents {
    std::set<std::string> keys;
    std::map<std::string, uint32_t> dwords;  // by "key/value name"
};

std::map<std::string, Contents>& Stores() {
    static std::map<std::string, Contents> stores;
    return stores;
}

// The file store's group of a key path: a key and its path with either separator are the same.
std::string Group(const char* path) {
    std::string group(path);
    for (char& c : group)
        if (c == '\\') c = '/';
    return group;
}

bool KeyExists(const Contents& contents, const std::string& group) {
    return group == AlwaysThere || contents.keys.count(group) != 0;
}
}  // namespace

void SettingsStoreMemory::Forget(const std::string& name) { Stores().erase(name); }

SettingsStore::SettingsStore(std::string backingFile) : file_(std::move(backingFile)) {}

SettingsStore::Key SettingsStore::OpenKey(Root, const char* path, Access) const {
    return KeyExists(Stores()[file_], Group(path)) ? reinterpret_cast<Key>(1) : nullptr;
}

void SettingsStore::CloseKey(Key) const {}

int32_t SettingsStore::CreateKey(Root root, const char* parentPath, const char* name) const {
    Key parent = OpenKey(root, parentPath);
    if (!parent) return -1;
    CloseKey(parent);
    Stores()[file_].keys.insert(Group(parentPath) + "/" + Group(name));
    return 0;
}

uint32_t SettingsStore::ReadDword(Root root, const char* path, const char* valueName, uint32_t& value) const {
    Key key = OpenKey(root, path);
    if (!key) return 0;
    CloseKey(key);
    const Contents& contents = Stores()[file_];
    const auto found = contents.dwords.find(Group(path) + "/" + valueName);
    if (found == contents.dwords.end()) return WinError::FileNotFound;
    value = found->second;
    return 0;
}

uint32_t SettingsStore::WriteDword(Root root, const char* path, const char* valueName, uint32_t value) const {
    Key key = OpenKey(root, path, Access::Write);
    if (!key) return WinError::FileNotFound;
    CloseKey(key);
    Stores()[file_].dwords[Group(path) + "/" + valueName] = value;
    return 0;
}
