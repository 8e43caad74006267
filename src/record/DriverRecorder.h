#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>

#include "record/RecordingControlDevice.h"
#include "record/RecordWorker.h"

class CDev;

// Records everything a CDev asks the driver and what it answers, to a file: the writer (on a
// thread of its own) and the recording device, routed into the CDev from Start to Stop.
class DriverRecorder {
public:
    // `monotonicMs` is the recording's clock, the steady clock unless a test gives one.
    explicit DriverRecorder(CDev& dev, RecordingControlDevice::Clock monotonicMs = {});
    ~DriverRecorder();
    DriverRecorder(const DriverRecorder&) = delete;
    DriverRecorder& operator=(const DriverRecorder&) = delete;

    // False with Error() when the file cannot be written. A header other than this panel's
    // (its start time, for a recording that must come out the same every time) may be given.
    bool Start(const std::filesystem::path& path, uint32_t periodMs, RecordWriter::Limits limits = {},
               const RecordHeader* header = nullptr);
    void Stop();
    // Waits until every tick recorded so far is in the file.
    void Flush() { writer_.Flush(); }

    // Started and not stopped, by Stop or by itself (Error() tells why).
    bool Recording() const { return recording_ && writer_.Active(); }
    bool Started() const { return recording_; }
    std::string Error() const { return writer_.Error(); }
    uint64_t FileBytes() const { return writer_.FileBytes(); }
    uint64_t Sessions() const { return writer_.Sessions(); }
    const std::filesystem::path& Path() const { return path_; }

private:
    CDev& dev_;
    RecordingControlDevice::Clock clock_;
    RecordWorker writer_;
    std::unique_ptr<RecordingControlDevice> device_;
    std::filesystem::path path_;
    bool recording_ = false;
};
