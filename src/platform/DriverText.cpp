#include "platform/DriverText.h"

namespace {
constexpr char32_t Replacement = 0xFFFD;
}  // namespace

std::size_t DriverText::Utf8ToUtf16(std::string_view text, char16_t* out, std::size_t capacity) {
    std::size_t written = 0;
    std::size_t i = 0;
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    while (i < text.size()) {
        const unsigned char lead = byte(i);
        char32_t c = Replacement;
        std::size_t trail = 0;
        // The second byte's range excludes overlong forms, surrogates and values past U+10FFFF.
        unsigned char low = 0x80, high = 0xBF;
        if (lead < 0x80) {
            c = lead;
        } else if (lead >= 0xC2 && lead <= 0xDF) {
            c = lead & 0x1F;
            trail = 1;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            c = lead & 0x0F;
            trail = 2;
            if (lead == 0xE0) low = 0xA0;
            if (lead == 0xED) high = 0x9F;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            c = lead & 0x07;
            trail = 3;
            if (lead == 0xF0) low = 0x90;
            if (lead == 0xF4) high = 0x8F;
        }
        std::size_t next = i + 1;
        for (std::size_t k = 0; k < trail; ++k, ++next) {
            if (next >= text.size() || byte(next) < low || byte(next) > high) {
                c = Replacement;  // the offending byte starts over
                break;
            }
            c = (c << 6) | (byte(next) & 0x3F);
            low = 0x80;
            high = 0xBF;
        }
        if (c > 0xFFFF) {
            if (written + 2 > capacity) break;
            c -= 0x10000;
            out[written++] = static_cast<char16_t>(0xD800 + (c >> 10));
            out[written++] = static_cast<char16_t>(0xDC00 + (c & 0x3FF));
        } else {
            if (written + 1 > capacity) break;
            out[written++] = static_cast<char16_t>(c);
        }
        i = next;
    }
    return written;
}
