#include "platform/DriverText.h"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <algorithm>
#include <climits>

std::size_t DriverText::ToUtf16(std::string_view text, char16_t* out, std::size_t capacity) {
    // No byte gives more than one unit, so as many bytes as there is room for always fit.
    const int length = static_cast<int>(std::min({text.size(), capacity, std::size_t{INT_MAX}}));
    if (length == 0) return 0;
    const int written = ::MultiByteToWideChar(CP_ACP, 0, text.data(), length, reinterpret_cast<wchar_t*>(out), length);
    return written > 0 ? static_cast<std::size_t>(written) : 0;
}
