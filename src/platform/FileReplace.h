#pragma once

#include <filesystem>
#include <string>
#include <string_view>

// Replaces a file's contents at once: the bytes go to a temporary file beside it, which is
// flushed to disk and renamed over the target, so a reader sees the old file or the new one,
// never half of one. The temporary name starts with a dot and ends in ".tmp".
namespace FileReplace {
// On failure returns false with the reason in `error` and leaves the target as it was.
bool Write(const std::filesystem::path& target, std::string_view bytes, std::string& error);
}  // namespace FileReplace
