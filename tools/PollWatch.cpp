#include "PollWatch.h"

#include "cycle/PollingCycle.h"
#include "driver/CDev.h"
#include "platform/ReportingControlDevice.h"
#include "platform/StopRequest.h"
#include "rows/PageText.h"

namespace {
constexpr uint64_t Wrap = uint64_t(1) << 32;
constexpr int64_t UpperHalf = 0x80000000;

uint64_t Key(const CounterRef& r) {
    return (uint64_t(r.group) << 62) | (uint64_t(r.dir) << 61) | (uint64_t(r.index & 0xFFFFFF) << 32) |
           (uint64_t(r.channel & 0xFFFF) << 16) | r.row;
}

// A 32-bit counter that went past its top and on from 0 did not go back.
bool WentBack(int64_t before, int64_t now) {
    if (now >= before) return false;
    return !(before >= UpperHalf && now + int64_t(Wrap) - before < UpperHalf);
}

bool Reportable(EventKind kind) {
    return kind == EventKind::DeviceWent || kind == EventKind::DeviceCame || kind == EventKind::ErrorWentBack ||
           kind == EventKind::StreamCountChanged || kind == EventKind::BundleCountChanged ||
           kind == EventKind::StatisticsCleared;
}
}  // namespace

PollWatch::PollWatch(CDev& dev, PollingCycle& cycle, ReportingControlDevice& device)
    : dev_(dev), cycle_(cycle), device_(device), detector_(this) {
    cycle_.AddObserver(detector_);
}

PollWatch::~PollWatch() { cycle_.RemoveObserver(detector_); }

void PollWatch::OnEvent(const DriverEvent& event) {
    if (!listening_ || !Reportable(event.kind)) return;
    events_.emplace_back(event.Text());
    // A device or stream that came is news, not a fault.
    if (event.kind != EventKind::DeviceCame && event.kind != EventKind::StreamCountChanged &&
        event.kind != EventKind::BundleCountChanged)
        reportable_ = true;
}

// Every counter of every page, each once, under the name of the page that shows it alone.
void PollWatch::CollectCounters() {
    const PageTextSources sources{
        PageSources{dev_.Snapshot(), dev_.Validity(), dev_.Published().ExtendedStatistics != 0}, dev_.Published()};
    for (const PageTable& page : PageTables(sources)) {
        const uint32_t kind = KindOf(page.node);
        // The columns of these pages are streams or channels of their own.
        const bool columnsApart = kind == NodeKind_IsoInStreams || kind == NodeKind_IsoOutStreams ||
                                  kind == NodeKind_ChannelIn || kind == NodeKind_ChannelOut;
        for (std::size_t r = 0; r < page.rows.size(); ++r) {
            for (std::size_t c = 1; c < page.rows[r].size(); ++c) {
                const std::optional<CounterRef> ref = CounterAtCell(page.node, int(r), int(c));
                if (!ref) continue;
                auto [it, added] = counters_.try_emplace(Key(*ref));
                if (!added) continue;
                Watched& w = it->second;
                w.ref = *ref;
                w.where = page.path;
                if (columnsApart && c < page.headings.size()) w.where.append("/").append(page.headings[c]);
                w.name = page.rows[r][0].text;
                w.unit = PanelTextUtf8(TrimmedUnit(CounterUnit(*ref)));
                w.error = IsErrorCounter(*ref);
            }
        }
    }
}

void PollWatch::ReadValues() {
    const PageSources sources{dev_.Snapshot(), dev_.Validity(), dev_.Published().ExtendedStatistics != 0};
    for (auto& [key, w] : counters_) {
        const std::optional<int64_t> value = ReadCounter(sources, w.ref);
        if (!value) continue;
        if (!w.first) {
            w.first = value;
        } else {
            if (WentBack(w.last.value_or(*w.first), *value)) w.wentBack = true;
            w.last = value;
        }
    }
}

int PollWatch::Run(long ticks, long periodMs, bool failOnEvents, StopRequest& stop, std::FILE* out,
                   std::FILE* err) {
    CollectCounters();
    ReadValues();
    listening_ = true;
    bool lost = false;
    long tick = 0;
    for (; tick < ticks && !lost; ++tick) {
        if (stop.Wait(static_cast<int>(periodMs))) break;
        cycle_.OnRefreshTimer();
        if (device_.LastOpenResult() == 0)
            ReadValues();
        else
            lost = true;
    }

    bool errorsCounted = false;
    bool wentBack = false;
    for (const auto& [key, w] : counters_) {
        if (!w.first || !w.last || (*w.first == *w.last && !w.wentBack)) continue;
        const int64_t delta = *w.last - *w.first;
        std::fprintf(out, "%s\t%s\t%lld\t%lld\t%+lld\t%s", w.where.c_str(), w.name.c_str(),
                     static_cast<long long>(*w.first), static_cast<long long>(*w.last),
                     static_cast<long long>(delta), w.unit.c_str());
        if (w.wentBack)
            std::fprintf(out, "\t%s\twent back\n", w.error ? "error" : "");
        else
            std::fprintf(out, "%s\n", w.error ? "\terror" : "");
        errorsCounted = errorsCounted || (w.error && delta > 0);
        wentBack = wentBack || w.wentBack;
    }
    for (const std::string& event : events_) std::fprintf(out, "event\t%s\n", event.c_str());
    std::fflush(out);

    if (stop.Requested()) return stop.ExitCode();
    if (lost) {
        std::fprintf(err, "qorpoll: the driver went away %.1f s into the watch; the values above are those of the "
                          "last tick that read\n",
                     double(tick * periodMs) / 1000.0);
        return ExitDriverLost;
    }
    return failOnEvents && (errorsCounted || wentBack || reportable_) ? ExitErrorsCounted : ExitOk;
}
