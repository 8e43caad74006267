#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// Texts of the driver's records (device, channel and nick names) are 8-bit strings: in the
// system's ANSI code page on Windows, UTF-8 on the Linux control device. The records bound
// them; these functions only decode. Every byte gives at most one UTF-16 unit, so room for
// text.size() units always suffices; with less, the text is cut where the room ends.
namespace DriverText {
// The system's way. Returns the number of units written to out.
std::size_t ToUtf16(std::string_view text, char16_t* out, std::size_t capacity);
// UTF-8: every byte that is not part of a well-formed sequence shows as U+FFFD (one for each
// longest run that could have begun a character), and the text goes on after it.
std::size_t Utf8ToUtf16(std::string_view text, char16_t* out, std::size_t capacity);
// The system's way, as UTF-8 for files and terminals; what cannot be decoded is U+FFFD.
std::string ToUtf8(std::string_view text);
}  // namespace DriverText
