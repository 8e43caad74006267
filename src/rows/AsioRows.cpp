#include "rows/AsioRows.h"

#include <array>

#include "driver/DriverRecords.h"

namespace {

using S = AsioSource;
namespace Stat = AsioStatisticsField;
namespace Info = AsioInfoField;
// A total that only goes up (until Clear Statistics or a wrap), or a level that goes both ways.
constexpr bool Counts = true, Level = false;

constexpr const char* SamplesPerSecond = "samples/s";
constexpr const char* Samples = "samples";
constexpr const char* Micros = "\xB5s";

constexpr std::array<AsioRow, 21> Rows{{
    {"SampleRate", S::Statistics, Stat::SampleRate, SamplesPerSecond, Level,
     "Current sample rate, in units of samples per second."},
    {"RefClockInterval", S::Statistics, Stat::RefClockIntervalSamples, Samples, Level,
     "Reference clock interval in terms of samples."},
    {"RefClockInterval", S::Statistics, Stat::RefClockIntervalMicros, Micros, Level,
     "Reference clock interval in terms of microseconds."},
    {"CurrentSwitchInterval", S::Statistics, Stat::CurrentSwitchIntervalSamples, Samples, Level,
     "Currently selected buffer switch interval.\nThe value is determined by the most recent open by an ASIO "
     "instance in terms of samples."},
    {"CurrentSwitchInterval", S::Statistics, Stat::CurrentSwitchIntervalMicros, Micros, Level,
     "Currently selected buffer switch interval.\nThe value is determined by the most recent open by an ASIO "
     "instance in terms of microseconds."},
    {"NumberOfASIOInstances", S::Statistics, Stat::NumberOfASIOInstances, nullptr, Level,
     "Current number of ASIO DLLs that opened the driver as indicated by IOCTL_QOR_ASIO_REGISTER_SHARED_OBJS calls."},
    {"ChannelsAcquired", S::Statistics, Stat::ChannelsAcquired, nullptr, Level,
     "Number of channels currently acquired by ASIO."},
    {"ChannelsEnabled", S::Statistics, Stat::ChannelsEnabled, nullptr, Level,
     "Number of channels currently enabled by ASIO."},
    {"WorkerThreadPriority", S::Statistics, Stat::WorkerThreadPriority, nullptr, Level,
     "Scheduling priority of ASIO worker thread, -1 if unknown."},
    {"StreamingState", S::Statistics, Stat::StreamingState, nullptr, Level, "Current streaming state."},
    {"ThreadMissedEvents", S::Statistics, Stat::ThreadMissedEvents, nullptr, Level,
     "ASIO worker thread has missed at least one switch event."},
    {"EventsMissed", S::Statistics, Stat::EventsMissed, nullptr, Counts,
     "Number of events missed by the ASIO worker thread."},
    {"TotalBufferSwitches", S::ExtendedStatistics, Stat::TotalBufferSwitches, nullptr, Counts,
     "Counter: total number of ASIO buffer switch events delivered."},
    {"TotalSamplesTransferred", S::ExtendedStatistics, Stat::TotalSamplesTransferred, nullptr, Counts,
     "Counter for total number of samples transferred from / to ASIO."},
    {"MinBufferSwitchInterval", S::ExtendedStatistics, Stat::MinBufferSwitchInterval, Micros, Level,
     "Minimum interval between two successive ASIO buffer switch events"},
    {"MaxBufferSwitchInterval", S::ExtendedStatistics, Stat::MaxBufferSwitchInterval, Micros, Level,
     "Maximum interval between two successive ASIO buffer switch events"},
    {"", S::Spacer, 0, nullptr, Level, nullptr},
    // Each direction's underrun comes before its overrun in the record, after it in the list.
    {"InBufferOverrun", S::BufferCounters, Info::InBufferOverrun, nullptr, Counts, "InBufferOverrun"},
    {"InBufferUnderrun", S::BufferCounters, Info::InBufferUnderrun, nullptr, Counts, "InBufferUnderrun"},
    {"OutBufferOverrun", S::BufferCounters, Info::OutBufferOverrun, nullptr, Counts, "OutBufferOverrun"},
    {"OutBufferUnderrun", S::BufferCounters, Info::OutBufferUnderrun, nullptr, Counts, "OutBufferUnderrun"},
}};

}  // namespace

std::span<const AsioRow> AsioRows() { return Rows; }
