#pragma once

#include <cstdint>
#include <istream>
#include <memory>
#include <string>
#include <vector>

#include "record/AnswerTable.h"
#include "record/RecordHeader.h"

struct z_stream_s;

// Reads a recording session by session, from a stream that may come from anyone: every length,
// count and key is checked against RecordStream's limits before it is used, and memory grows
// only with bytes that are really there. A fault ends the reading with a message naming the
// byte where it was found; a file cut off ends after its last whole session.
class RecordReader {
public:
    struct Session {
        int64_t ms = 0;  // since the start of the recording
        uint32_t openResult = 0;
        std::vector<uint32_t> keys;  // the session's requests in order, as keys of Answers()
    };
    enum class End { None, Complete, CutOff, Fault };

    explicit RecordReader(std::istream& in);
    ~RecordReader();
    RecordReader(const RecordReader&) = delete;
    RecordReader& operator=(const RecordReader&) = delete;

    // Reads the header; false with Message() when it is not one this program reads.
    bool Start();
    const RecordHeader& Header() const { return header_; }

    // Reads the next session and brings Answers() to what the driver answered in it. False at
    // the end, which Ended() tells. After a fault, Answers() may hold part of the faulty session.
    bool Next();
    const Session& Current() const { return session_; }
    // Reads the next session's bytes without applying them, for its time: NextMs(). False at the end.
    bool Ahead();
    int64_t NextMs() const { return nextMs_; }
    const AnswerTable& Answers() const { return table_; }
    uint64_t Sessions() const { return sessions_; }

    End Ended() const { return end_; }
    // What ended the reading other than a complete file: the fault and its place, or where the
    // file was cut off.
    const std::string& Message() const { return message_; }

private:
    size_t Pull(uint8_t* to, size_t n);
    bool PullVarint(uint64_t& v);
    bool Parse();
    bool Fault(uint64_t offset, const std::string& what);
    bool FileFault(const std::string& what);

    struct ZDeleter {
        void operator()(z_stream_s* z) const;
    };
    std::istream& in_;
    std::unique_ptr<z_stream_s, ZDeleter> z_;
    RecordHeader header_;
    AnswerTable table_;
    Session session_;
    std::vector<uint8_t> input_;
    std::vector<uint8_t> unpacked_;
    size_t unpackedPos_ = 0;
    size_t unpackedEnd_ = 0;
    uint64_t offset_ = 0;  // unpacked bytes taken so far
    std::vector<uint8_t> payload_;
    uint64_t payloadOffset_ = 0;
    uint64_t sessions_ = 0;
    int64_t nextMs_ = 0;
    bool ahead_ = false;  // payload_ holds the next session
    bool streamEnd_ = false;
    bool inputEnd_ = false;
    End end_ = End::None;
    std::string message_;
};
