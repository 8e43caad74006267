#include <gtest/gtest.h>

#include <array>
#include <string>
#include <string_view>

#include "platform/DriverText.h"

namespace {
std::u16string Utf8(std::string_view bytes, std::size_t capacity = 64) {
    std::array<char16_t, 64> out{};
    const std::size_t n = DriverText::Utf8ToUtf16(bytes, out.data(), capacity);
    return std::u16string(out.data(), n);
}
}  // namespace

// Names on the Linux control device are UTF-8; a broken byte costs one replacement character
// and never the rest of the name.
TEST(DriverText, Utf8NamesDecodeAndBrokenBytesShowAsReplacementWithoutCuttingTheRest) {
    struct Case {
        const char* what;
        std::string_view bytes;
        std::u16string expected;
    };
    const Case cases[] = {
        {"plain ASCII", "Interface A", u"Interface A"},
        {"two- and three-byte characters", "Caf\xC3\xA9 \xE2\x82\xAC 48k \xE2\x84\xA2", u"Caf\u00E9 \u20AC 48k \u2122"},
        {"a four-byte character", "Mic \xF0\x9F\x8E\xA4", u"Mic \U0001F3A4"},
        {"an invalid byte in the middle", "In\xFF" "put 1", u"In\uFFFDput 1"},
        {"a Latin-1 byte in the middle", "Caf\xE9 Stage", u"Caf\uFFFD Stage"},
        {"a stray continuation byte", "A\x80" "B", u"A\uFFFDB"},
        {"a sequence broken by the next character", "A\xE2\x82" "B", u"A\uFFFDB"},
        {"a sequence cut by the field's end", "Stage \xE2\x82", u"Stage \uFFFD"},
        {"a four-byte sequence cut by the field's end", "Mic \xF0\x9F\x8E", u"Mic \uFFFD"},
        {"an overlong form", "\xC0\xAF" "x", u"\uFFFD\uFFFDx"},
        {"an overlong three-byte form", "\xE0\x80\xAF", u"\uFFFD\uFFFD\uFFFD"},
        {"a surrogate", "\xED\xA0\x80" "x", u"\uFFFD\uFFFD\uFFFDx"},
        {"beyond U+10FFFF", "\xF4\x90\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD"},
        {"the highest character", "\xF4\x8F\xBF\xBF", u"\U0010FFFF"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(Utf8(c.bytes), c.expected);
        EXPECT_LE(Utf8(c.bytes).size(), c.bytes.size());
    }
}

TEST(DriverText, TooLittleRoomCutsBeforeTheCharacterThatDoesNotFit) {
    EXPECT_EQ(Utf8("ab\xF0\x9F\x8E\xA4", 3), u"ab");
    EXPECT_EQ(Utf8("ab\xF0\x9F\x8E\xA4", 4), u"ab\U0001F3A4");
    EXPECT_EQ(Utf8("Caf\xC3\xA9", 0), u"");
}
