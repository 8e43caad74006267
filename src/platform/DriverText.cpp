#include "platform/DriverText.h"

#include <vector>

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

std::string DriverText::ToUtf8(std::string_view text) {
    std::vector<char16_t> units(text.size());
    units.resize(ToUtf16(text, units.data(), units.size()));
    std::string out;
    out.reserve(units.size());
    for (std::size_t i = 0; i < units.size(); ++i) {
        char32_t c = units[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < units.size() && units[i + 1] >= 0xDC00 && units[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (units[i + 1] - 0xDC00);
            ++i;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            c = Replacement;
        }
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (c >> 18));
            out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}
