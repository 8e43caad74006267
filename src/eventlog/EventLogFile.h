#pragma once

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

// The event log on disk: one line per event, appended; when the file would grow past
// `maxBytes` it becomes <name>.1 (the older ones move up, the oldest goes), so that at most
// `files` files are kept. A failure to write ends writing for the run: the panel goes on,
// and Error() says what went wrong.
class EventLogFile {
public:
    struct Limits {
        uint64_t maxBytes = 2 * 1024 * 1024;
        int files = 3;  // the live file included
    };

    explicit EventLogFile(std::filesystem::path file, Limits limits);
    explicit EventLogFile(std::filesystem::path file) : EventLogFile(std::move(file), Limits{}) {}

    // Appends `line` and a line break; false once writing has failed.
    bool Write(std::string_view line);
    void Flush();

    const std::filesystem::path& Path() const { return path_; }
    bool Failed() const { return failed_; }
    const std::string& Error() const { return error_; }
    // The name of the n-th older file (n >= 1).
    std::filesystem::path Older(int n) const;

private:
    bool Open();
    bool Rotate();
    bool Fail(std::string reason);

    std::filesystem::path path_;
    Limits limits_;
    std::ofstream out_;
    uint64_t size_ = 0;
    bool failed_ = false;
    std::string error_;
};
