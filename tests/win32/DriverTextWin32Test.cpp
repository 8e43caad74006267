#include <gtest/gtest.h>

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <array>
#include <string>
#include <string_view>

#include "platform/DriverText.h"

namespace {
std::u16string Decode(std::string_view bytes) {
    std::array<char16_t, 64> out{};
    return std::u16string(out.data(), DriverText::ToUtf16(bytes, out.data(), out.size()));
}
}  // namespace

// Driver names are in the system's ANSI code page: under 1252 the bytes 0x80-0x9F are
// typographic characters, not control characters.
TEST(DriverTextWin32, NamesDecodeInTheAnsiCodePage) {
    ASSERT_EQ(::GetACP(), 1252u) << "the test runs under code page 1252";
    EXPECT_EQ(Decode("\x80 100"), u"\u20AC 100");
    EXPECT_EQ(Decode("Studio\x99"), u"Studio\u2122");
    EXPECT_EQ(Decode("Caf\xE9 \x96 Stage"), u"Caf\u00E9 \u2013 Stage");
    const std::u16string c1 = u"\u20AC\u201A\u0192\u201E\u2026\u2020\u2021\u02C6\u2030\u0160\u2039\u0152\u017D"
                              u"\u2018\u2019\u201C\u201D\u2022\u2013\u2014\u02DC\u2122\u0161\u203A\u0153\u017E\u0178";
    EXPECT_EQ(Decode("\x80\x82\x83\x84\x85\x86\x87\x88\x89\x8A\x8B\x8C\x8E"
                     "\x91\x92\x93\x94\x95\x96\x97\x98\x99\x9A\x9B\x9C\x9E\x9F"),
              c1);
    EXPECT_EQ(Decode(""), u"");
}

TEST(DriverTextWin32, TooLittleRoomCutsTheTextAndNeverWritesPastIt) {
    std::array<char16_t, 8> out;
    out.fill(u'#');
    EXPECT_EQ(DriverText::ToUtf16("\x80\x99\x80\x99\x80", out.data(), 3), 3u);
    EXPECT_EQ(std::u16string(out.data(), 4), u"\u20AC\u2122\u20AC#");
}
