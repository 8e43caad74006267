#include "metrics/MetricsLayout.h"

#include <algorithm>
#include <map>
#include <optional>

#include "metrics/LabelSet.h"
#include "rows/ShownCounters.h"
#include "rows/SingleChannelRows.h"

namespace {

std::string WhereLabels(const ShownCounter& c, bool error) {
    LabelSet labels;
    const CounterRef& r = c.ref;
    if (r.group != CounterGroup::Asio) labels.Put("device", c.device);
    if (r.group == CounterGroup::IsoStream) labels.Put("stream", r.index);
    if (r.group == CounterGroup::Channel)
        labels.Put("direction", DirectionWord(r.dir)).Put("bundle", r.index).Put("channel", r.channel);
    if (error) labels.Put("error", "true");
    return labels.Take();
}

// The error counters once more in one family, named by a label, so that one query (a rate, an
// alert) covers them all: names that differ only by the family would collide there.
std::string ErrorLabels(const ShownCounter& c) {
    const CounterRef& r = c.ref;
    LabelSet labels;
    labels.Put("counter", c.Name()).Put("device", c.device).Put("direction", DirectionWord(r.dir));
    if (r.group == CounterGroup::IsoStream) labels.Put("stream", r.index);
    if (r.group == CounterGroup::Channel) labels.Put("bundle", r.index).Put("channel", r.channel);
    return labels.Take();
}

const SingleChannelRow& DeviceNameRow() {
    const auto rows = SingleChannelRows();
    return *std::find_if(rows.begin(), rows.end(),
                         [](const SingleChannelRow& r) { return r.value == ChannelValue::DeviceName; });
}

void PutNumber(std::string& shape, uint32_t n) {
    for (int shift = 0; shift < 32; shift += 8) shape += static_cast<char>((n >> shift) & 0xFF);
}
void PutText(std::string& shape, std::string_view text) {
    PutNumber(shape, static_cast<uint32_t>(text.size()));
    shape.append(text);
}

// Everything the families and labels are made of besides the row tables: the tree's nodes,
// the value columns of each, and the texts that name them (a stream's node label, each
// channel's device as its page shows it).
std::string Shape(const PageSources& s) {
    std::string shape;
    const RecordValidity& v = s.validity;
    shape += static_cast<char>(v.isoStreams | v.bundleList << 1 | v.deviceList << 2);
    for (Dir d : {Dir::In, Dir::Out}) {
        const uint32_t streams = v.isoStreams ? s.snapshot.isoStreamStatistics.Count(d) : 0;
        PutNumber(shape, streams);
        const uint32_t kind = d == Dir::In ? NodeKind_IsoInStream : NodeKind_IsoOutStream;
        for (uint32_t k = 0; k < streams; ++k) PutText(shape, NodePath(s, MakeNodeCode(kind, k)));
    }
    const SingleChannelRow& deviceRow = DeviceNameRow();
    for (Dir d : {Dir::In, Dir::Out}) {
        const uint32_t bundles = v.bundleList ? s.snapshot.bundleList.Count(d) : 0;
        PutNumber(shape, bundles);
        for (uint32_t b = 0; b < bundles; ++b) {
            const uint32_t channels = std::min(s.snapshot.Bundle(d, b).ChannelCount(), MaxValueColumns);
            PutNumber(shape, channels);
            for (uint32_t c = 0; c < channels; ++c) {
                const std::optional<std::string_view> device =
                    SnapshotDeviceName(s, s.snapshot.Channel(d, b, c).DeviceId());
                const std::string name(device.value_or(std::string_view()));
                PutText(shape, ShownText(ChannelCell(s, deviceRow, d, b, c, device ? name.c_str() : nullptr)));
            }
        }
    }
    return shape;
}

}  // namespace

std::string MetricsLayout::Text(const MetricsSources& sources, MetricsText::Format format) {
    std::string out;
    out.reserve(lastSize_);
    MetricsText::Append(out, DriverFamilies(sources), format);
    if (sources.driverUp) {
        std::string shape = Shape(sources.pages.cells);
        if (!laid_ || shape != shape_) {
            shape_ = std::move(shape);
            Lay(sources);
        }
        AppendCounters(out, sources, format);
    }
    MetricsText::AppendEnd(out, format);
    lastSize_ = out.size();
    return out;
}

void MetricsLayout::Lay(const MetricsSources& sources) {
    families_.clear();
    std::map<std::string, std::size_t> byName;
    auto family = [&](const std::string& name, bool counter, std::string help) {
        auto [it, added] = byName.try_emplace(name, families_.size());
        if (added) families_.push_back(Family{name, counter, std::move(help), {}});
        return it->second;
    };
    const std::vector<PageTable> tables = PageTables(sources.pages);
    for (const ShownCounter& shown : ShownCounters(tables)) {
        const CounterRef& ref = shown.ref;
        if (!IsNumericCounter(ref)) continue;
        const char* description = CounterDescription(ref);
        const bool counter = IsTotalCounter(ref);
        const bool error = IsErrorCounter(ref);
        const std::size_t at =
            family(FamilyName(ref), counter, description ? PanelTextUtf8(description) : std::string(shown.Name()));
        families_[at].samples.push_back(Sample{ref, WhereLabels(shown, error), UnitDivisor(ref)});
        if (!counter || !error) continue;
        const std::size_t errors =
            family("qor_errors", true, "Every error counter of the pages (their red rows), named by `counter`.");
        families_[errors].samples.push_back(Sample{ref, ErrorLabels(shown), 1});
    }
    laid_ = true;
    ++layouts_;
}

void MetricsLayout::AppendCounters(std::string& out, const MetricsSources& sources,
                                   MetricsText::Format format) const {
    const PageSources& cells = sources.pages.cells;
    for (const Family& family : families_) {
        std::string sampleName;
        for (const Sample& sample : family.samples) {
            // What the page shows as "n/a" (or not at all this time) gives no sample.
            const std::optional<int64_t> value = ReadCounter(cells, sample.ref);
            if (!value) continue;
            if (sampleName.empty())
                sampleName = MetricsText::AppendHead(out, family.name, family.counter, family.help, format);
            out.append(sampleName).append(sample.labels).append(" ").append(Decimal(*value, sample.divisor)) += '\n';
        }
    }
}
