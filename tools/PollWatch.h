#pragma once

#include <cstdint>
#include <cstdio>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "events/EventDetector.h"
#include "events/IEventSink.h"
#include "rows/CounterRef.h"

class CDev;
class PollingCycle;
class ReportingControlDevice;
class StopRequest;

// qorpoll --watch: reads for a while and then prints each counter that changed, and what
// happened on the way that a script should hear of: a device that left or came, counters that
// went back (a Clear Statistics elsewhere, a driver reload). The event texts and the names of
// streams and channels are the panel's own.
class PollWatch : public IEventSink {
public:
    static constexpr int ExitOk = 0;
    static constexpr int ExitDriverLost = 2;
    static constexpr int ExitErrorsCounted = 3;

    PollWatch(CDev& dev, PollingCycle& cycle, ReportingControlDevice& device);
    ~PollWatch() override;

    // Ticks every periodMs until `ticks` have run, the driver is lost or a stop is requested,
    // then prints what it gathered to out. Returns the exit code: the stop signal's, 2 for a
    // lost driver, 3 with failOnEvents when an error counter went up, a device left or a
    // counter went back, else 0.
    int Run(long ticks, long periodMs, bool failOnEvents, StopRequest& stop, std::FILE* out, std::FILE* err);

    void OnEvent(const DriverEvent& event) override;

private:
    struct Watched {
        CounterRef ref;
        std::string where;
        std::string name;
        std::string unit;  // the ASIO page has two rows of one name, told apart by their units
        bool error = false;
        std::optional<int64_t> first;
        std::optional<int64_t> last;
        bool wentBack = false;
    };

    void CollectCounters();
    void ReadValues();

    CDev& dev_;
    PollingCycle& cycle_;
    ReportingControlDevice& device_;
    EventDetector detector_;
    std::map<uint64_t, Watched> counters_;
    std::vector<std::string> events_;
    bool listening_ = false;  // the first tick only sets what later ones compare with
    bool reportable_ = false;
};
