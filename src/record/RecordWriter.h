#pragma once

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "record/AnswerTable.h"
#include "record/RecordHeader.h"

struct z_stream_s;

// Writes a recording (RecordHeader, RecordStream): each session is packed and flushed to the
// file when it ends, so a recording cut off by a kill or a power loss keeps every session but
// the last. It stops by itself, with Error() telling why, at its size limit, when the disk runs
// short or a write fails, or when the driver's answers outgrow what a reader holds.
class RecordWriter {
public:
    struct Limits {
        uint64_t maxFileBytes = 200ull * 1000 * 1000;
        // The recording stops rather than fill the disk to its last bytes.
        uint64_t minFreeDiskBytes = 20ull * 1000 * 1000;
    };

    RecordWriter();
    ~RecordWriter();
    RecordWriter(const RecordWriter&) = delete;
    RecordWriter& operator=(const RecordWriter&) = delete;

    // False with Error() when the file cannot be made.
    bool Open(const std::filesystem::path& path, const RecordHeader& header, Limits limits);
    void Open(std::unique_ptr<std::ostream> stream, const RecordHeader& header, Limits limits);
    // Ends the stream and the file. Also the destructor's work.
    void Close();

    bool Active() const { return active_; }
    const std::string& Error() const { return error_; }
    uint64_t FileBytes() const { return fileBytes_; }
    uint64_t Sessions() const { return sessions_; }

    // A session: the control device was opened (openResult 0) or not, at `ms` since the start.
    void BeginSession(int64_t ms, uint32_t openResult);
    bool InSession() const { return inSession_; }
    // One request and its answer; count is what the driver returned (bytes of out).
    void Exchange(uint32_t code, const void* in, uint32_t inSize, uint32_t status, const void* out,
                  uint32_t count);
    void EndSession();

private:
    void Stop(std::string reason);
    bool Deflate(const uint8_t* data, size_t size, int flush);
    bool DiskShort();
    void PutPatch(uint32_t id, uint32_t status, const AnswerTable::Answer& before, const uint8_t* bytes,
                  uint32_t count);

    struct ZDeleter {
        void operator()(z_stream_s* z) const;
    };
    std::unique_ptr<std::ostream> out_;
    std::unique_ptr<z_stream_s, ZDeleter> z_;
    std::filesystem::path path_;
    Limits limits_;
    AnswerTable table_;
    std::vector<uint8_t> session_;
    std::vector<uint8_t> frame_;
    std::vector<uint8_t> packed_;
    std::vector<uint8_t> patch_;
    std::vector<uint32_t> order_;          // the keys of this session's requests, in order
    std::vector<uint32_t> previousOrder_;  // those of the last session that asked anything
    std::string error_;
    int64_t lastMs_ = 0;
    uint64_t fileBytes_ = 0;
    uint64_t sessions_ = 0;
    uint32_t exchanges_ = 0;
    bool active_ = false;
    bool inSession_ = false;
};
