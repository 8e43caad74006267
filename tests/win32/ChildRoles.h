#pragma once

#include <string>

// What win32_tests does when started by a test as a second process instead of running tests.
namespace ChildRoles {
inline constexpr const char* Acquire = "--role=acquire";          // name
inline constexpr const char* ProbeOwned = "--role=probe-owned";   // name
inline constexpr const char* Window = "--role=window";            // title, ready event, with dialog 0/1

// Exit codes.
enum : int {
    FirstInstance = 10,
    LaterInstance = 20,
    HeldByAnother = 30,
    Free = 31,
    NoSuchMutex = 40,
    BadArguments = 90,
    WindowFailed = 91,
};

// True when argv asks for a role; the role's exit code is then in exitCode.
bool Run(int argc, char** argv, int& exitCode);

std::string Quote(const std::string& text);
}  // namespace ChildRoles
