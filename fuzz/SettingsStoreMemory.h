#pragma once

#include <string>

// The fuzz harnesses keep the panel's settings in memory: the panel writes them on every node the
// user selects, and a file costs a lock, a temporary file and a rename each time, a fifth of a
// session. The store behaves as the file store does on a file it can read and write; what it
// holds belongs to the name the store was made with (the file the product would use).
namespace SettingsStoreMemory {
// Everything stored under `name` goes, as if its file were deleted.
void Forget(const std::string& name);
}  // namespace SettingsStoreMemory
