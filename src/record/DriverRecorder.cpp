#include "record/DriverRecorder.h"

#include <chrono>

#include "driver/CDev.h"

DriverRecorder::DriverRecorder(CDev& dev, RecordingControlDevice::Clock monotonicMs)
    : dev_(dev), clock_(std::move(monotonicMs)) {}

DriverRecorder::~DriverRecorder() { Stop(); }

bool DriverRecorder::Start(const std::filesystem::path& path, uint32_t periodMs, RecordWriter::Limits limits,
                           const RecordHeader* header) {
    Stop();
    using namespace std::chrono;
    const int64_t now = duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
    const RecordHeader ours = header ? *header : RecordHeader::ThisPanel(now, periodMs);
    if (!writer_.Open(path, ours, limits)) return false;
    RecordingControlDevice::Clock clock = clock_;
    if (!clock) {
        const steady_clock::time_point start = steady_clock::now();
        clock = [start] { return duration_cast<milliseconds>(steady_clock::now() - start).count(); };
    } else {
        const int64_t start = clock_();
        clock = [this, start] { return clock_() - start; };
    }
    // A device opened before (by a click between ticks) is the first session's, as if opened now.
    if (dev_.Device().IsOpen()) writer_.BeginSession(clock(), 0);
    device_ = std::make_unique<RecordingControlDevice>(dev_.Device(), writer_, std::move(clock));
    dev_.RouteThrough(device_.get());
    path_ = path;
    recording_ = true;
    return true;
}

void DriverRecorder::Stop() {
    if (!recording_) return;
    dev_.RouteThrough(nullptr);
    device_.reset();
    writer_.Close();
    recording_ = false;
}
