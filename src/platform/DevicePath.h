#pragma once

#include <string>

// Where the driver's control device lives. Both names derive from the driver's GUID.
namespace DevicePath {
inline constexpr const char* Guid = "{006902CB-E626-45b4-8A62-2EAAD63F8D12}";
inline constexpr const char* Win32Path = "\\\\.\\{006902CB-E626-45b4-8A62-2EAAD63F8D12}";

// Unix-domain socket of the control device: $XDG_RUNTIME_DIR/qor1394-<GUID>, or, without a
// runtime directory, /tmp/qor1394-<uid>/qor1394-<GUID> (a directory private to the user).
std::string SocketPath();
// The directory of SocketPath(), created private to the user when missing.
std::string EnsureSocketDirectory();
}  // namespace DevicePath
