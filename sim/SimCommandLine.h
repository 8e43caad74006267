#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "sim/FaultPlan.h"
#include "sim/ReplayOptions.h"
#include "sim/SimOptions.h"

namespace sim {

// The daemon's command line. Flags are applied in order, so flags after --max-load adjust it.
class SimCommandLine {
public:
    struct RateChange {
        uint64_t atMs;  // since start
        uint32_t rate;
    };

    // False on a malformed command line; Error() then says what is wrong.
    bool Parse(int argc, const char* const* argv);
    bool Parse(const std::vector<std::string>& args);  // without the program name

    const SimOptions& Options() const { return options_; }
    const FaultPlan& Faults() const { return faults_; }
    const std::string& DevicePath() const { return devicePath_; }  // empty: the system's path
    const std::vector<RateChange>& RateSchedule() const { return rateSchedule_; }
    // Set with --replay: serve that recording instead of the simulator.
    const ReplayOptions& Replay() const { return replay_; }
    bool HelpRequested() const { return help_; }
    bool VersionRequested() const { return version_; }
    const std::string& Error() const { return error_; }

    static std::string Usage(const std::string& program);
    // A control code by value (decimal or 0x hex) or by name, with or without the IOCTL_QOR_ prefix.
    static bool ParseCode(const std::string& text, uint32_t& code);

private:
    bool Fail(std::string message);

    SimOptions options_;
    FaultPlan faults_;
    std::string devicePath_;
    std::vector<RateChange> rateSchedule_;
    ReplayOptions replay_;
    bool help_ = false;
    bool version_ = false;
    std::string error_;
};

}  // namespace sim
