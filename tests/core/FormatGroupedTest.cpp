#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <string>

#include "base/FormatGrouped.h"

namespace {

std::string Unsigned(uint32_t value, int separator = 0) { return FormatGrouped(value, separator, NumberFormat::Unsigned); }
std::string Signed(int32_t value, int separator = 0) {
    return FormatGrouped(static_cast<uint32_t>(value), separator, NumberFormat::Signed);
}

TEST(FormatGrouped, GroupsUnsignedValuesByThreeFromTheRight) {
    EXPECT_EQ(Unsigned(0), "0");
    EXPECT_EQ(Unsigned(7), "7");
    EXPECT_EQ(Unsigned(999), "999");
    EXPECT_EQ(Unsigned(1000), "1 000");
    EXPECT_EQ(Unsigned(48000), "48 000");
    EXPECT_EQ(Unsigned(100000), "100 000");
    EXPECT_EQ(Unsigned(1234567), "1 234 567");
    EXPECT_EQ(Unsigned(4294967295u), "4 294 967 295");
}

TEST(FormatGrouped, SeparatorIndexChoosesTheSeparator) {
    EXPECT_EQ(Unsigned(1234567, 1), "1.234.567");
    EXPECT_EQ(Unsigned(1234567, 2), "1-234-567");
    EXPECT_EQ(Unsigned(1234567, 3), "1#234#567");
    EXPECT_EQ(Unsigned(1234567, 4), "1234567");
    EXPECT_EQ(Unsigned(1234567, -1), "1234567");
    EXPECT_EQ(Unsigned(4294967295u, 99), "4294967295");
}

TEST(FormatGrouped, SignedValuesStopGroupingAtTheSign) {
    EXPECT_EQ(Signed(-5), "-5");
    EXPECT_EQ(Signed(-12), "-12");
    EXPECT_EQ(Signed(-1234), "-1 234");
    EXPECT_EQ(Signed(-1234567), "-1 234 567");
    EXPECT_EQ(Signed(-1234567, 1), "-1.234.567");
    EXPECT_EQ(Signed(1234567), "1 234 567");
    EXPECT_EQ(Signed(INT32_MIN), "-2 147 483 648");
    // The field holds the bits; the format decides how they read.
    EXPECT_EQ(Signed(-1), "-1");
    EXPECT_EQ(Unsigned(static_cast<uint32_t>(-1)), "4 294 967 295");
    // A full group right before the sign gets no separator of its own.
    EXPECT_EQ(Signed(-123), "-123");
    EXPECT_EQ(Signed(-123456), "-123 456");
}

TEST(FormatGrouped, BufferFormTerminatesAndNeverOverruns) {
    std::array<char, FormatGroupedBufferSize> exact{};
    exact.fill('x');
    EXPECT_EQ(FormatGrouped(static_cast<uint32_t>(INT32_MIN), 0, NumberFormat::Signed, exact), 14u);
    EXPECT_STREQ(exact.data(), "-2 147 483 648");

    // A guard byte past the short buffer must survive.
    std::array<char, 6> guarded{};
    guarded.fill('x');
    EXPECT_EQ(FormatGrouped(1234567, 0, NumberFormat::Unsigned, std::span<char>(guarded.data(), 5)), 4u);
    EXPECT_STREQ(guarded.data(), "1 23");
    EXPECT_EQ(guarded[5], 'x');

    char one = 'x';
    EXPECT_EQ(FormatGrouped(42, 0, NumberFormat::Unsigned, std::span<char>(&one, 1)), 0u);
    EXPECT_EQ(one, '\0');
    EXPECT_EQ(FormatGrouped(42, 0, NumberFormat::Unsigned, std::span<char>()), 0u);
}

}  // namespace
