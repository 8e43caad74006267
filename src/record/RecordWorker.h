#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <filesystem>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "record/RecordWriter.h"

// Hands each tick's requests and answers to a RecordWriter on a thread of its own, so the
// diffing, packing and writing of a recording never lengthen the tick that is recorded: the
// tick only copies what the driver answered. At most QueueTicks ticks wait; a tick beyond them
// waits for the writer, so memory stays bounded even on a stalled disk. What the writer
// reports (stopped and why, bytes, sessions) is that of the ticks it has written so far.
class RecordWorker {
public:
    static constexpr std::size_t QueueTicks = 16;

    RecordWorker() = default;
    ~RecordWorker();
    RecordWorker(const RecordWorker&) = delete;
    RecordWorker& operator=(const RecordWorker&) = delete;

    // As RecordWriter::Open; the thread starts with a file that could be made.
    bool Open(const std::filesystem::path& path, const RecordHeader& header, RecordWriter::Limits limits);
    // Writes every tick still waiting, ends the file and the thread.
    void Close();
    // Waits until every tick ended so far is written.
    void Flush();

    bool Active() const;
    std::string Error() const;
    uint64_t FileBytes() const;
    uint64_t Sessions() const;

    // As RecordWriter's, called from the tick's thread.
    void BeginSession(int64_t ms, uint32_t openResult);
    void Exchange(uint32_t code, const void* in, uint32_t inSize, uint32_t status, const void* out, uint32_t count);
    void EndSession();

private:
    struct Tick {
        int64_t ms = 0;
        uint32_t openResult = 0;
        std::vector<uint8_t> exchanges;  // per exchange: code, inSize, status, count, then the bytes
    };
    void Run();
    void Write(const Tick& tick);
    void Publish();

    RecordWriter writer_;  // the worker's alone while it runs
    std::thread thread_;
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<Tick> queue_;
    std::vector<Tick> spare_;  // emptied ticks, kept for their capacity
    Tick current_;
    uint32_t exchanges_ = 0;
    bool writing_ = false;  // the worker holds a tick
    bool inSession_ = false;
    bool closing_ = false;
    // What the writer reported after its latest tick.
    bool active_ = false;
    std::string error_;
    uint64_t fileBytes_ = 0;
    uint64_t sessions_ = 0;
};
