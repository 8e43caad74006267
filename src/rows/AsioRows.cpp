#include "rows/AsioRows.h"

#include <array>

#include "driver/DriverRecords.h"

namespace {

using S = AsioSource;
namespace Stat = AsioStatisticsField;
namespace Info = AsioInfoField;

constexpr const char* SamplesPerSecond = "samples/s";
constexpr const char* Samples = "samples";
constexpr const char* Micros = "\xB5s";

constexpr std::array<AsioRow, 21> Rows{{
    {"SampleRate", S::Statistics, Stat::SampleRate, SamplesPerSecond,
     "Current sample rate, in units of samples per second."},
    {"RefClockInterval", S::Statistics, Stat::RefClockIntervalSamples, Samples,
     "Reference clock interval in terms of samples."},
    {"RefClockInterval", S::Statistics, Stat::RefClockIntervalMicros, Micros,
     "Reference clock interval in terms of microseconds."},
    {"CurrentSwitchInterval", S::Statistics, Stat::CurrentSwitchIntervalSamples, Samples,
     "Currently selected buffer switch interval.\nThe value is determined by the most recent open by an ASIO "
     "instance in terms of samples."},
    {"CurrentSwitchInterval", S::Statistics, Stat::CurrentSwitchIntervalMicros, Micros,
     "Currently selected buffer switch interval.\nThe value is determined by the most recent open by an ASIO "
     "instance in terms of microseconds."},
    {"NumberOfASIOInstances", S::Statistics, Stat::NumberOfASIOInstances, nullptr,
     "Current number of ASIO DLLs that opened the driver as indicated by IOCTL_QOR_ASIO_REGISTER_SHARED_OBJS calls."},
    {"ChannelsAcquired", S::Statistics, Stat::ChannelsAcquired, nullptr,
     "Number of channels currently acquired by ASIO."},
    {"ChannelsEnabled", S::Statistics, Stat::ChannelsEnabled, nullptr, "Number of channels currently enabled by ASIO."},
    {"WorkerThreadPriority", S::Statistics, Stat::WorkerThreadPriority, nullptr,
     "Scheduling priority of ASIO worker thread, -1 if unknown."},
    {"StreamingState", S::Statistics, Stat::StreamingState, nullptr, "Current streaming state."},
    {"ThreadMissedEvents", S::Statistics, Stat::ThreadMissedEvents, nullptr,
     "ASIO worker thread has missed at least one switch event."},
    {"EventsMissed", S::Statistics, Stat::EventsMissed, nullptr, "Number of events missed by the ASIO worker thread."},
    {"TotalBufferSwitches", S::ExtendedStatistics, Stat::TotalBufferSwitches, nullptr,
     "Counter: total number of ASIO buffer switch events delivered."},
    {"TotalSamplesTransferred", S::ExtendedStatistics, Stat::TotalSamplesTransferred, nullptr,
     "Counter for total number of samples transferred from / to ASIO."},
    {"MinBufferSwitchInterval", S::ExtendedStatistics, Stat::MinBufferSwitchInterval, Micros,
     "Minimum interval between two successive ASIO buffer switch events"},
    {"MaxBufferSwitchInterval", S::ExtendedStatistics, Stat::MaxBufferSwitchInterval, Micros,
     "Maximum interval between two successive ASIO buffer switch events"},
    {"", S::Spacer, 0, nullptr, nullptr},
    // Each direction's underrun comes before its overrun in the record, after it in the list.
    {"InBufferOverrun", S::BufferCounters, Info::InBufferOverrun, nullptr, "InBufferOverrun"},
    {"InBufferUnderrun", S::BufferCounters, Info::InBufferUnderrun, nullptr, "InBufferUnderrun"},
    {"OutBufferOverrun", S::BufferCounters, Info::OutBufferOverrun, nullptr, "OutBufferOverrun"},
    {"OutBufferUnderrun", S::BufferCounters, Info::OutBufferUnderrun, nullptr, "OutBufferUnderrun"},
}};

}  // namespace

std::span<const AsioRow> AsioRows() { return Rows; }
