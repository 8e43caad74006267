#include "platform/DriverText.h"

// The Linux control device carries UTF-8.
std::size_t DriverText::ToUtf16(std::string_view text, char16_t* out, std::size_t capacity) {
    return Utf8ToUtf16(text, out, capacity);
}
