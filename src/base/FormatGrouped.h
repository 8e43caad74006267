#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

// How a 32-bit value is read before grouping: "%u" or "%d".
enum class NumberFormat : uint8_t { Unsigned, Signed };

// Room for the longest grouped value ("-2 147 483 648") and its terminator.
inline constexpr std::size_t FormatGroupedBufferSize = 16;

// Writes the value in decimal with its digits grouped by three from the right, the groups
// separated by index 0 " ", 1 ".", 2 "-", 3 "#" (any other index: no separator).
// Always terminates `out` (when it has room for anything) and truncates what does not fit;
// returns the number of characters written. Allocates nothing: cells are rewritten every tick.
std::size_t FormatGrouped(uint32_t value, int separatorIndex, NumberFormat format, std::span<char> out);

std::string FormatGrouped(uint32_t value, int separatorIndex, NumberFormat format);
