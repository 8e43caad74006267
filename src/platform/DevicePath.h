#pragma once

#include <string>
#include <string_view>

// Where the driver's control device lives. Both names derive from the driver's GUID.
namespace DevicePath {
inline constexpr const char* Guid = "{006902CB-E626-45b4-8A62-2EAAD63F8D12}";
inline constexpr const char* Win32Path = "\\\\.\\{006902CB-E626-45b4-8A62-2EAAD63F8D12}";
// Where the simulator serves on Windows, unless told otherwise: a pipe cannot take the device's name.
inline constexpr const char* SimulatorPipe = "\\\\.\\pipe\\qor1394-{006902CB-E626-45b4-8A62-2EAAD63F8D12}";

// Whether a Windows path names a local pipe (\\.\pipe\NAME), which speaks the simulator's messages.
inline bool IsPipePath(std::string_view path) {
    constexpr std::string_view prefix = "\\\\.\\pipe\\";
    if (path.size() <= prefix.size()) return false;
    for (size_t i = 0; i < prefix.size(); ++i) {
        char c = path[i];
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (c != prefix[i]) return false;
    }
    return true;
}

// The user's private directory for the control device socket and the single-instance files:
// $XDG_RUNTIME_DIR, or where that cannot be used, $TMPDIR/qor1394-<uid> (/tmp without TMPDIR).
// Created 0700 when missing, and used only as a directory of the user's own that nobody else
// may enter. Empty when neither can be had: never a directory shared with other users.
// With Touch::No nothing is created or changed: the directory the call would use, as a help
// text names it.
enum class Touch { Yes, No };
std::string PrivateDirectory(Touch touch = Touch::Yes);
// Unix-domain socket of the control device: PrivateDirectory()/qor1394-<GUID>, or empty.
std::string SocketPath(Touch touch = Touch::Yes);
}  // namespace DevicePath
