#include "platform/ParentConsole.h"

#include <cstdio>

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

namespace {
bool Reaches(DWORD which) {
    HANDLE h = ::GetStdHandle(which);
    return h && h != INVALID_HANDLE_VALUE && ::GetFileType(h) != FILE_TYPE_UNKNOWN;
}
}  // namespace

bool ParentConsole::Attach() {
    if (Reaches(STD_OUTPUT_HANDLE)) return true;  // started with a pipe or a file
    if (!::AttachConsole(ATTACH_PARENT_PROCESS)) return false;
    // The C library set up its streams before there was a console to reach.
    return std::freopen("CONOUT$", "w", stdout) != nullptr && std::freopen("CONOUT$", "w", stderr) != nullptr;
}

void ParentConsole::Show(const std::string& title, const std::string& text, bool error) {
    ::MessageBoxA(nullptr, text.c_str(), title.c_str(), MB_OK | (error ? MB_ICONERROR : MB_ICONINFORMATION));
}
