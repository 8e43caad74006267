#include "base/FormatGrouped.h"

#include <algorithm>
#include <array>
#include <charconv>

namespace {

constexpr std::array<char, 4> Separators = {' ', '.', '-', '#'};

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

std::size_t FormatGrouped(uint32_t value, int separatorIndex, NumberFormat format, std::span<char> out) {
    if (out.empty()) return 0;

    std::array<char, 12> plain{};
    const auto printed = format == NumberFormat::Signed
                             ? std::to_chars(plain.data(), plain.data() + plain.size(), static_cast<int32_t>(value))
                             : std::to_chars(plain.data(), plain.data() + plain.size(), value);
    const std::size_t length = static_cast<std::size_t>(printed.ptr - plain.data());
    const bool separated = separatorIndex >= 0 && separatorIndex < static_cast<int>(Separators.size());

    // Built backwards from the last digit; the walk ends at the first character or at the
    // first non-digit (the sign), whichever comes first.
    std::array<char, FormatGroupedBufferSize> reversed{};
    std::size_t built = 0;
    std::size_t copied = 0;
    for (std::size_t i = length; i-- > 0;) {
        reversed[built++] = plain[i];
        ++copied;
        if (i == 0 || !IsDigit(plain[i])) break;
        // A separator only ever stands between two digits: -123 stays "-123", not "- 123".
        if (separated && copied % 3 == 0 && IsDigit(plain[i - 1]))
            reversed[built++] = Separators[static_cast<std::size_t>(separatorIndex)];
    }

    const std::size_t written = std::min(built, out.size() - 1);
    std::reverse_copy(reversed.begin() + static_cast<std::ptrdiff_t>(built - written),
                      reversed.begin() + static_cast<std::ptrdiff_t>(built), out.begin());
    out[written] = '\0';
    return written;
}

std::string FormatGrouped(uint32_t value, int separatorIndex, NumberFormat format) {
    std::array<char, FormatGroupedBufferSize> buffer{};
    const std::size_t length = FormatGrouped(value, separatorIndex, format, buffer);
    return std::string(buffer.data(), length);
}
