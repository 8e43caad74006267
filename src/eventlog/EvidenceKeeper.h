#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>

#include "events/IEventSink.h"
#include "cycle/ITickObserver.h"
#include "driver/PublishedDriverVersion.h"

// Keeps the evidence of what the driver last said before it goes: the records of every
// refresh are copied, and when the driver is lost or a device leaves (as the event detector
// tells), or before Clear Statistics, the copy goes to a JSON snapshot file in the event log's
// folder, of which the newest KeptFiles stay. Each file is named in a line of the event log.
class EvidenceKeeper : public ITickObserver, public IEventSink {
public:
    static constexpr size_t KeptFiles = 20;
    // Milliseconds since 1970, UTC.
    using WallClockMs = std::function<int64_t()>;

    // An empty `directory` keeps nothing. `log` hears a line for every file.
    EvidenceKeeper(std::filesystem::path directory, const PublishedDriverVersion& published, IEventSink* log,
                   WallClockMs wallClock = {});
    ~EvidenceKeeper() override;

    // Told after the event detector, so that an event finds the copy of the refresh before.
    void OnTick(const TickFacts& facts) override;
    void OnEvent(const DriverEvent& event) override;

    // Saves the latest copy before Clear Statistics goes out.
    void BeforeClear();
    // The latest file written; empty before the first.
    const std::filesystem::path& LastFile() const { return lastFile_; }

private:
    struct Copy;
    void Save(const char* before, const char* tag, int64_t monotonicMs);
    void Prune() const;

    std::filesystem::path directory_;
    const PublishedDriverVersion& published_;
    IEventSink* log_;
    WallClockMs wallClock_;
    std::unique_ptr<Copy> copy_;
    bool haveCopy_ = false;
    int64_t savedAtMs_ = -1;
    int64_t lastWallMs_ = 0;  // one file per tick, however many devices leave in it
    std::filesystem::path lastFile_;
};
