#include "pages/CDlgPgAsio.h"

#include <array>
#include <cstdint>

#include "res/ResourceIds.h"
#include "res/StringTable.h"

namespace {

enum class Source : uint8_t {
    Statistics,          // AsioStatistics
    ExtendedStatistics,  // AsioStatistics, only while the driver fills its extended counters
    Spacer,
    BufferCounters,  // AsioInfo, only while its first field says they are valid
};

struct AsioRow {
    const char* name;
    Source source;
    uint8_t offset;
    const char* unit;
    const char* description;
};

constexpr const char* SamplesPerSecond = "samples/s";
constexpr const char* Samples = "samples";
constexpr const char* Micros = "\xB5s";

// The counters' list order is not their record order.
constexpr std::array<AsioRow, 21> Rows{{
    {"SampleRate", Source::Statistics, AsioStatisticsField::SampleRate, SamplesPerSecond, "Current sample rate, in units of samples per second."},
    {"RefClockInterval", Source::Statistics, AsioStatisticsField::RefClockIntervalSamples, Samples, "Reference clock interval in terms of samples."},
    {"RefClockInterval", Source::Statistics, AsioStatisticsField::RefClockIntervalMicros, Micros, "Reference clock interval in terms of microseconds."},
    {"CurrentSwitchInterval", Source::Statistics, AsioStatisticsField::CurrentSwitchIntervalSamples, Samples,
     "Currently selected buffer switch interval.\nThe value is determined by the most recent open by an ASIO "
     "instance in terms of samples."},
    {"CurrentSwitchInterval", Source::Statistics, AsioStatisticsField::CurrentSwitchIntervalMicros, Micros,
     "Currently selected buffer switch interval.\nThe value is determined by the most recent open by an ASIO "
     "instance in terms of microseconds."},
    {"NumberOfASIOInstances", Source::Statistics, AsioStatisticsField::NumberOfASIOInstances, nullptr,
     "Current number of ASIO DLLs that opened the driver as indicated by IOCTL_QOR_ASIO_REGISTER_SHARED_OBJS calls."},
    {"ChannelsAcquired", Source::Statistics, AsioStatisticsField::ChannelsAcquired, nullptr, "Number of channels currently acquired by ASIO."},
    {"ChannelsEnabled", Source::Statistics, AsioStatisticsField::ChannelsEnabled, nullptr, "Number of channels currently enabled by ASIO."},
    {"WorkerThreadPriority", Source::Statistics, AsioStatisticsField::WorkerThreadPriority, nullptr,
     "Scheduling priority of ASIO worker thread, -1 if unknown."},
    {"StreamingState", Source::Statistics, AsioStatisticsField::StreamingState, nullptr, "Current streaming state."},
    {"ThreadMissedEvents", Source::Statistics, AsioStatisticsField::ThreadMissedEvents, nullptr,
     "ASIO worker thread has missed at least one switch event."},
    {"EventsMissed", Source::Statistics, AsioStatisticsField::EventsMissed, nullptr, "Number of events missed by the ASIO worker thread."},
    {"TotalBufferSwitches", Source::ExtendedStatistics, AsioStatisticsField::TotalBufferSwitches, nullptr,
     "Counter: total number of ASIO buffer switch events delivered."},
    {"TotalSamplesTransferred", Source::ExtendedStatistics, AsioStatisticsField::TotalSamplesTransferred, nullptr,
     "Counter for total number of samples transferred from / to ASIO."},
    {"MinBufferSwitchInterval", Source::ExtendedStatistics, AsioStatisticsField::MinBufferSwitchInterval, Micros,
     "Minimum interval between two successive ASIO buffer switch events"},
    {"MaxBufferSwitchInterval", Source::ExtendedStatistics, AsioStatisticsField::MaxBufferSwitchInterval, Micros,
     "Maximum interval between two successive ASIO buffer switch events"},
    {"", Source::Spacer, 0, nullptr, nullptr},
    // Each direction's underrun comes before its overrun in the record, after it in the list.
    {"InBufferOverrun", Source::BufferCounters, AsioInfoField::InBufferOverrun, nullptr, "InBufferOverrun"},
    {"InBufferUnderrun", Source::BufferCounters, AsioInfoField::InBufferUnderrun, nullptr, "InBufferUnderrun"},
    {"OutBufferOverrun", Source::BufferCounters, AsioInfoField::OutBufferOverrun, nullptr, "OutBufferOverrun"},
    {"OutBufferUnderrun", Source::BufferCounters, AsioInfoField::OutBufferUnderrun, nullptr, "OutBufferUnderrun"},
}};

}  // namespace

CDlgPgAsio::CDlgPgAsio(PageContext& context, QWidget* parent) : CDlgPgListBase(Res::IDD_PAGE_ASIO, context, parent) {}

void CDlgPgAsio::Refresh() {
    const uint32_t rate = ctx_.dev.Snapshot().asioStatistics.SampleRate();
    // A failed read is no change of the sample rate.
    if (ctx_.dev.Validity().asioStatistics && rate != CachedCount) {
        CachedCount = rate;
        BuildList();
    }
    FillValues();
}

void CDlgPgAsio::BuildList() {
    list_.Clear();
    list_.InsertColumn(0, 210, Str::PropertyHeading, false);
    list_.InsertColumn(1, 150, Str::ValueHeading, true);
    for (size_t i = 0; i < Rows.size(); ++i) list_.InsertRow(static_cast<int>(i), Rows[i].name);
}

void CDlgPgAsio::FillValues() {
    const StatisticsSnapshot& s = ctx_.dev.Snapshot();
    const bool extended = ctx_.dev.Published().ExtendedStatistics != 0;
    const bool statisticsRead = ctx_.dev.Validity().asioStatistics;
    const bool countersValid = ctx_.dev.Validity().asioInfo && s.asioInfo.CountersValid() != 0;
    for (size_t i = 0; i < Rows.size(); ++i) {
        const AsioRow& row = Rows[i];
        const int r = static_cast<int>(i);
        bool available = true;
        uint32_t value = 0;
        switch (row.source) {
            case Source::Statistics:
                available = statisticsRead;
                value = s.asioStatistics.U32(row.offset);
                break;
            case Source::ExtendedStatistics:
                available = statisticsRead && extended;
                value = s.asioStatistics.U32(row.offset);
                break;
            case Source::Spacer: available = false; break;
            case Source::BufferCounters:
                available = countersValid;
                value = s.asioInfo.U32(row.offset);
                break;
        }
        if (available && value != ValueNotAvailable)
            list_.SetCellNumber(r, 1, value, row.unit, false, 0, NumberFormat::Unsigned);
        else
            list_.SetCellText(r, 1, Str::NotAvailable);
    }
}

const char* CDlgPgAsio::RowDescription(int row) {
    if (row < 0 || static_cast<size_t>(row) >= Rows.size()) return nullptr;
    return Rows[static_cast<size_t>(row)].description;
}
