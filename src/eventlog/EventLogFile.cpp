#include "eventlog/EventLogFile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <system_error>

EventLogFile::EventLogFile(std::filesystem::path file, Limits limits) : path_(std::move(file)), limits_(limits) {
    if (limits_.files < 1) limits_.files = 1;
    if (path_.empty()) Fail("no folder for it");
}

std::filesystem::path EventLogFile::Older(int n) const {
    char suffix[16];
    std::snprintf(suffix, sizeof suffix, ".%d", n);
    std::filesystem::path older = path_;
    older += suffix;
    return older;
}

bool EventLogFile::Fail(std::string reason) {
    failed_ = true;
    error_ = std::move(reason);
    if (out_.is_open()) out_.close();
    return false;
}

bool EventLogFile::Open() {
    std::error_code ec;
    std::filesystem::create_directories(path_.parent_path(), ec);
    if (ec) return Fail(ec.message());
    errno = 0;
    out_.open(path_, std::ios::binary | std::ios::app);
    if (!out_.is_open()) return Fail(errno ? std::strerror(errno) : "cannot open");
    const uint64_t size = std::filesystem::file_size(path_, ec);
    size_ = ec ? 0 : size;
    return true;
}

bool EventLogFile::Rotate() {
    out_.close();
    std::error_code ec;
    std::filesystem::remove(Older(limits_.files - 1), ec);
    for (int n = limits_.files - 1; n >= 1; --n) {
        const std::filesystem::path from = n == 1 ? path_ : Older(n - 1);
        if (!std::filesystem::exists(from, ec)) continue;
        std::filesystem::remove(Older(n), ec);  // rename does not replace on every system
        std::filesystem::rename(from, Older(n), ec);
        if (ec) return Fail(ec.message());
    }
    if (limits_.files == 1) std::filesystem::remove(path_, ec);
    size_ = 0;
    return Open();
}

bool EventLogFile::Write(std::string_view line) {
    if (failed_) return false;
    if (!out_.is_open() && !Open()) return false;
    const uint64_t bytes = line.size() + 1;
    if (size_ > 0 && size_ + bytes > limits_.maxBytes && !Rotate()) return false;
    out_.write(line.data(), static_cast<std::streamsize>(line.size()));
    out_.put('\n');
    if (!out_) return Fail(errno ? std::strerror(errno) : "write failed");
    size_ += bytes;
    return true;
}

void EventLogFile::Flush() {
    if (failed_ || !out_.is_open()) return;
    out_.flush();
    if (!out_) Fail(errno ? std::strerror(errno) : "write failed");
}
