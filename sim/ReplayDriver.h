#pragma once

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "record/RecordReader.h"
#include "sim/ServedDriver.h"

namespace sim {

// A recording served as the driver: the answers as they were in the session reached last,
// loaded while that session found the device and gone while it did not. A request the driver
// left unanswered then is left unanswered again.
class ReplayDriver : public ServedDriver {
public:
    explicit ReplayDriver(std::filesystem::path path) : path_(std::move(path)) {}

    // Opens the recording and reaches its first session; false with Message() when it cannot.
    bool Open();
    // The recording's time of the next session; none at the end (Reader() tells how it ended).
    std::optional<int64_t> NextMs();
    // Reaches the next session; false at the end.
    bool Step();
    // Back to the first session, as a driver unloaded and loaded again.
    bool Rewind() { return Open(); }

    const RecordReader& Reader() const { return *reader_; }
    int64_t CurrentMs() const;
    uint64_t Tick() const;
    // Why the recording cannot be served further, with the place in the file; empty at a clean end.
    std::string Message() const;
    // Whether the session reached last found the device.
    bool DriverPresent() const;

    uint32_t Handle(uint32_t code, const uint8_t* in, uint32_t inSize, uint8_t* out, uint32_t outSize,
                    uint32_t& bytesReturned, bool& answered) override;
    void SetLoaded(bool loaded) override;
    bool Loaded() const override;
    uint32_t LoadGeneration() const override;

private:
    std::filesystem::path path_;
    mutable std::mutex mutex_;
    std::unique_ptr<std::ifstream> file_;
    std::unique_ptr<RecordReader> reader_;
    std::string openError_;
    bool loaded_ = false;
    uint32_t generation_ = 0;
};

}  // namespace sim
