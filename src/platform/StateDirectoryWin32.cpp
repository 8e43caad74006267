#include "platform/StateDirectory.h"

#include <cstdlib>

std::filesystem::path StateDirectory::Path() {
    // The wide form, so that a user name outside the ANSI code page still makes a valid path.
    const wchar_t* local = _wgetenv(L"LOCALAPPDATA");
    if (!local || local[0] == L'\0') return {};
    return std::filesystem::path(local) / L"Velmoric" / L"qorstats";
}
