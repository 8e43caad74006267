#include "metrics/MetricFamilies.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdio>
#include <map>
#include <optional>
#include <utility>

#include "rows/CounterRef.h"
#include "metrics/LabelSet.h"
#include "rows/DeviceRows.h"

namespace {

constexpr std::string_view Prefix = "qor_";

// Units as words of a metric name, and what a page's number is divided by for it: times go
// out in seconds, as Prometheus wants. Other units are spelt out by MetricWord.
struct UnitName {
    std::string_view unit;
    std::string_view word;
    int64_t divisor;
};
constexpr std::array<UnitName, 4> UnitNames{{
    {"samples/s", "samples_per_second", 1},
    {"\xC2\xB5s", "seconds", 1000000},
    {"smp", "samples", 1},
    {"CT ticks", "ct_ticks", 1},
}};

bool Upper(char c) { return c >= 'A' && c <= 'Z'; }
bool Lower(char c) { return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9'); }

std::string GroupPrefix(const CounterRef& ref) {
    std::string prefix(Prefix);
    switch (ref.group) {
        case CounterGroup::Asio: return prefix + "asio_";
        case CounterGroup::IsoStream: return prefix + (ref.dir == Dir::In ? "iso_in_" : "iso_out_");
        case CounterGroup::Channel: return prefix + "channel_";
    }
    return prefix;
}

}  // namespace

int64_t UnitDivisor(const CounterRef& ref) {
    const std::string unit = PanelTextUtf8(TrimmedUnit(CounterUnit(ref)));
    for (const UnitName& u : UnitNames)
        if (unit == u.unit) return u.divisor;
    return 1;
}

// The exact decimal of number / divisor, for a divisor that is a power of ten.
std::string Decimal(int64_t number, int64_t divisor) {
    if (divisor <= 1) return std::to_string(number);
    const uint64_t magnitude = number < 0 ? 0 - static_cast<uint64_t>(number) : static_cast<uint64_t>(number);
    std::string fraction = std::to_string(magnitude % static_cast<uint64_t>(divisor));
    const std::size_t digits = std::to_string(divisor).size() - 1;
    fraction.insert(0, digits - fraction.size(), '0');
    std::string out = number < 0 ? "-" : "";
    out.append(std::to_string(magnitude / static_cast<uint64_t>(divisor))).append(".").append(fraction);
    return out;
}

std::string FamilyName(const CounterRef& ref) {
    std::string word = MetricWord(CounterName(ref) ? CounterName(ref) : "");
    const bool counter = IsTotalCounter(ref);
    // The `_total` suffix says it already.
    if (counter && word.starts_with("total_")) word.erase(0, 6);
    // "_count" belongs to summaries and histograms: "client_count" becomes "clients".
    if (word.ends_with("_count")) word.replace(word.size() - 6, 6, "s");
    std::string name = GroupPrefix(ref) + word;
    const std::string unit = UnitWord(PanelTextUtf8(TrimmedUnit(CounterUnit(ref))));
    if (!unit.empty() && !name.ends_with("_" + unit)) name.append("_").append(unit);
    return name;
}

std::string_view DirectionWord(Dir d) { return d == Dir::In ? "in" : "out"; }

namespace {

// Families in the order they are first met, samples in the order they are added.
class Families {
public:
    std::size_t Index(const std::string& name, bool counter, std::string_view help) {
        auto [it, added] = index_.try_emplace(name, families_.size());
        if (added) families_.push_back(MetricFamily{name, counter, std::string(help), {}});
        return it->second;
    }
    void AddAt(std::size_t family, std::string labels, std::string value) {
        families_[family].samples.push_back(MetricSample{std::move(labels), std::move(value)});
    }
    void Add(const std::string& name, bool counter, std::string_view help, std::string labels, std::string value) {
        AddAt(Index(name, counter, help), std::move(labels), std::move(value));
    }
    std::vector<MetricFamily> Take() { return std::move(families_); }

private:
    std::vector<MetricFamily> families_;
    std::map<std::string, std::size_t> index_;
};

const PageTable* Page(const std::vector<PageTable>& tables, NodeCode node) {
    const auto it = std::find_if(tables.begin(), tables.end(), [node](const PageTable& t) { return t.node == node; });
    return it == tables.end() ? nullptr : &*it;
}

// A value cell as the page shows it, or nothing for "n/a".
const TableCell* Shown(const PageTable& page, std::size_t row, std::size_t column) {
    if (row >= page.rows.size() || column >= page.rows[row].size()) return nullptr;
    const TableCell& cell = page.rows[row][column];
    return cell.kind == CellKind::NotAvailable ? nullptr : &cell;
}

std::string Seconds(double seconds) {
    std::array<char, 32> text{};
    std::snprintf(text.data(), text.size(), "%.6f", std::max(0.0, seconds));
    return text.data();
}

void DriverFamilies(const MetricsSources& s, const std::vector<PageTable>& tables, Families& out) {
    out.Add("qor_driver_up", false, "1 when the latest poll opened the driver's control device, 0 when not.", {},
            s.driverUp ? "1" : "0");
    out.Add("qor_scrape_duration_seconds", false,
            "Seconds the latest poll took to read the driver.", {},
            Seconds(s.refreshSeconds));
    if (!s.driverUp) return;
    const PageTable* info = Page(tables, NodeKind_Info);
    if (info && Shown(*info, 0, 1) && Shown(*info, 1, 1) && Shown(*info, 2, 1))
        out.Add("qor_driver_info", false, "The driver's release, interface and build, as the General page shows them.",
                LabelSet()
                    .Put("release", info->rows[0][1].text)
                    .Put("interface", info->rows[1][1].text)
                    .Put("build", info->rows[2][1].text)
                    .Take(),
                "1");
    const PageSources& cells = s.pages.cells;
    if (cells.validity.deviceList)
        out.Add("qor_devices", false, "Devices the driver reports.", {},
                std::to_string(cells.snapshot.deviceList.Count()));
    for (Dir d : {Dir::In, Dir::Out}) {
        if (cells.validity.isoStreams)
            out.Add("qor_iso_streams", false, "ISO streams the driver reports, by direction.",
                    LabelSet().Put("direction", DirectionWord(d)).Take(),
                    std::to_string(cells.snapshot.isoStreamStatistics.Count(d)));
    }
    for (Dir d : {Dir::In, Dir::Out}) {
        if (cells.validity.bundleList)
            out.Add("qor_channel_bundles", false, "Channel bundles the driver reports, by direction.",
                    LabelSet().Put("direction", DirectionWord(d)).Take(), std::to_string(cells.snapshot.bundleList.Count(d)));
    }
}

// One sample per device column of the devices page, its texts as labels.
void DeviceFamily(const std::vector<PageTable>& tables, Families& out) {
    const PageTable* page = Page(tables, NodeKind_Devices);
    if (!page) return;
    const auto rows = DeviceRows();
    auto rowOf = [&](DeviceValue v) {
        return static_cast<std::size_t>(
            std::find_if(rows.begin(), rows.end(), [v](const DeviceRow& r) { return r.value == v; }) - rows.begin());
    };
    // `device` is the hardware name, as the stream and channel metrics name their device.
    for (std::size_t c = 1; c < page->headings.size(); ++c) {
        const TableCell* name = Shown(*page, rowOf(DeviceValue::HardwareName), c);
        LabelSet labels;
        labels.Put("device", name ? name->text : "").Put("column", page->headings[c]);
        const std::pair<const char*, DeviceValue> texts[] = {{"id", DeviceValue::Id}, {"nick_name", DeviceValue::NickName}};
        for (const auto& [label, value] : texts)
            if (const TableCell* cell = Shown(*page, rowOf(value), c)) labels.Put(label, cell->text);
        out.Add("qor_device_info", false, "A device the driver reports, with its id and nick name.", labels.Take(), "1");
    }
}

}  // namespace

std::string MetricWord(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (Upper(c)) {
            // A capital starts a word after a small letter, and ends a run of capitals before one.
            const bool afterLower = i > 0 && Lower(text[i - 1]);
            const bool endsRun = i > 0 && Upper(text[i - 1]) && i + 1 < text.size() && text[i + 1] >= 'a' &&
                                 text[i + 1] <= 'z';
            if ((afterLower || endsRun) && !out.empty() && out.back() != '_') out += '_';
            out += static_cast<char>(c - 'A' + 'a');
        } else if (Lower(c)) {
            out += c;
        } else if (!out.empty() && out.back() != '_') {
            out += '_';
        }
    }
    while (!out.empty() && out.back() == '_') out.pop_back();
    return out;
}

std::string UnitWord(std::string_view utf8Unit) {
    for (const UnitName& u : UnitNames)
        if (utf8Unit == u.unit) return std::string(u.word);
    std::string word = MetricWord(utf8Unit);
    std::replace(word.begin(), word.end(), '/', '_');
    return word;
}

std::string LabelValue(std::string_view utf8) {
    std::string out;
    AppendLabelValue(out, utf8);
    return out;
}

void AppendLabelValue(std::string& out, std::string_view utf8) {
    for (char c : utf8) {
        switch (c) {
            case '\\': out += "\\\\"; break;
            case '"': out += "\\\""; break;
            case '\n': out += "\\n"; break;
            default: out += c;
        }
    }
}

std::vector<MetricFamily> DriverFamilies(const MetricsSources& sources) {
    Families families;
    std::vector<PageTable> tables;
    if (sources.driverUp)
        for (NodeCode node : {NodeCode(NodeKind_Info), NodeCode(NodeKind_Devices)})
            tables.push_back(PageTableOf(sources.pages, node));
    DriverFamilies(sources, tables, families);
    if (sources.driverUp) DeviceFamily(tables, families);
    return families.Take();
}
