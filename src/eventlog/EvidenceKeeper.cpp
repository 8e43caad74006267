#include "eventlog/EvidenceKeeper.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <system_error>
#include <vector>

#include "driver/RecordValidity.h"
#include "driver/StatisticsSnapshot.h"
#include "export/SnapshotDocument.h"
#include "res/StringTable.h"

namespace {
constexpr const char* Prefix = "snapshot-";

// The records of a refresh that the pages read: the tables in full, of the bundles and
// channels only those the driver counted, as a whole snapshot is some megabytes.
void CopyUsed(const StatisticsSnapshot& from, StatisticsSnapshot& to) {
    to.driverVersion = from.driverVersion;
    to.deviceList = from.deviceList;
    to.sampleRateInfo = from.sampleRateInfo;
    to.globalPair = from.globalPair;
    to.globalValue = from.globalValue;
    to.deviceStreamInfo = from.deviceStreamInfo;
    to.deviceInfo = from.deviceInfo;
    to.asioStatistics = from.asioStatistics;
    to.asioInfo = from.asioInfo;
    to.isoStreamStatistics = from.isoStreamStatistics;
    to.bundleList = from.bundleList;
    for (Dir d : {Dir::In, Dir::Out}) {
        const uint32_t bundles = std::min(from.bundleList.Count(d), StatisticsSnapshot::BundleCapacity);
        for (uint32_t b = 0; b < bundles; ++b) {
            to.MutableBundle(d, b) = from.Bundle(d, b);
            const uint32_t channels = std::min(from.Bundle(d, b).ChannelCount(), StatisticsSnapshot::ChannelSlots);
            for (uint32_t c = 0; c < channels; ++c) to.MutableChannel(d, b, c) = from.Channel(d, b, c);
        }
    }
}
}  // namespace

struct EvidenceKeeper::Copy {
    StatisticsSnapshot snapshot;
    RecordValidity validity;
    PublishedDriverVersion published;
    int64_t readWallMs = 0;  // when these values were read
};

EvidenceKeeper::EvidenceKeeper(std::filesystem::path directory, const PublishedDriverVersion& published,
                               IEventSink* log, WallClockMs wallClock)
    : directory_(std::move(directory)), published_(published), log_(log), wallClock_(std::move(wallClock)),
      copy_(std::make_unique<Copy>()) {
    if (!wallClock_)
        wallClock_ = [] {
            return std::chrono::duration_cast<std::chrono::milliseconds>(
                       std::chrono::system_clock::now().time_since_epoch())
                .count();
        };
}

EvidenceKeeper::~EvidenceKeeper() = default;

void EvidenceKeeper::OnTick(const TickFacts& facts) {
    if (!facts.refreshed || facts.snapshot == nullptr || facts.validity == nullptr) return;
    CopyUsed(*facts.snapshot, copy_->snapshot);
    copy_->validity = *facts.validity;
    copy_->published = published_;
    copy_->readWallMs = wallClock_();
    haveCopy_ = true;
}

void EvidenceKeeper::OnEvent(const DriverEvent& event) {
    if (event.kind == EventKind::DriverLost) Save(Str::SnapshotBeforeLoss, "driver-lost", event.monotonicMs);
    if (event.kind == EventKind::DeviceWent) Save(Str::SnapshotBeforeDeviceGone, "device-gone", event.monotonicMs);
}

void EvidenceKeeper::BeforeClear() { Save(Str::SnapshotBeforeClear, "before-clear", -1); }

void EvidenceKeeper::Save(const char* before, const char* tag, int64_t monotonicMs) {
    if (directory_.empty() || !haveCopy_ || (monotonicMs >= 0 && monotonicMs == savedAtMs_)) return;
    savedAtMs_ = monotonicMs;
    // Never the same name twice: two saves within a millisecond take the next one.
    const int64_t wallMs = std::max(wallClock_(), lastWallMs_ + 1);
    lastWallMs_ = wallMs;
    const auto when = std::chrono::system_clock::time_point(std::chrono::milliseconds(wallMs));
    const std::string utc = SnapshotDocument::UtcTime(when);
    // The document's UTC time without its separators, to the millisecond: names sort as the
    // files were written, and every system takes them.
    std::string stamp;
    for (char c : utc)
        if (c != '-' && c != ':' && c != 'Z') stamp += c;
    char name[96];
    std::snprintf(name, sizeof name, "%s%s.%03dZ-%s.json", Prefix, stamp.c_str(), int(((wallMs % 1000) + 1000) % 1000),
                  tag);
    const std::filesystem::path file = directory_ / name;

    PublishedDriverVersion published = copy_->published;
    const PageTextSources sources{
        PageSources{copy_->snapshot, copy_->validity, published.ExtendedStatistics != 0}, published};
    const std::string read = SnapshotDocument::UtcTime(
        std::chrono::system_clock::time_point(std::chrono::milliseconds(copy_->readWallMs)));
    const std::string document = SnapshotDocument::Json(sources, read, utc);
    std::error_code error;
    std::filesystem::create_directories(directory_, error);
    bool written = false;
    {
        std::ofstream out(file, std::ios::binary | std::ios::trunc);
        out.write(document.data(), static_cast<std::streamsize>(document.size()));
        out.close();
        written = !out.fail();
    }
    if (written) {
        lastFile_ = file;
        Prune();
    }
    if (log_ == nullptr) return;
    DriverEvent line;
    line.kind = EventKind::SnapshotSaved;
    line.monotonicMs = monotonicMs;
    line.wallMs = wallMs;
    const std::string path = file.string();
    const int n = std::snprintf(line.text.data(), line.text.size(),
                                written ? Str::EventSnapshotSavedFormat : Str::EventSnapshotFailedFormat, before,
                                path.c_str());
    line.length = n < 0 ? 0 : std::min(static_cast<size_t>(n), line.text.size() - 1);
    log_->OnEvent(line);
    log_->OnEventsDone();
}

void EvidenceKeeper::Prune() const {
    std::error_code error;
    std::vector<std::filesystem::path> files;
    for (std::filesystem::directory_iterator it(directory_, error), end; !error && it != end; it.increment(error)) {
        const std::string name = it->path().filename().string();
        if (name.rfind(Prefix, 0) == 0 && it->path().extension() == ".json") files.push_back(it->path());
    }
    if (files.size() <= KeptFiles) return;
    std::sort(files.begin(), files.end());
    for (size_t i = 0; i + KeptFiles < files.size(); ++i) std::filesystem::remove(files[i], error);
}
