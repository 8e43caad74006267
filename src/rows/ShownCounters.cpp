#include "rows/ShownCounters.h"

#include <algorithm>
#include <unordered_set>

#include "rows/PageDescription.h"
#include "rows/SingleChannelRows.h"

namespace {

uint64_t Key(const CounterRef& r) {
    return (uint64_t(r.group) << 62) | (uint64_t(r.dir) << 61) | (uint64_t(r.index & 0xFFFFFF) << 32) |
           (uint64_t(r.channel & 0xFFFF) << 16) | r.row;
}

PageColumns ColumnsOf(uint32_t kind) {
    const PageDescription* page = PageOf(kind);
    return page ? page->columns : PageColumns::Fixed;
}
bool StreamColumns(uint32_t kind) { return ColumnsOf(kind) == PageColumns::Streams; }
bool ChannelColumns(uint32_t kind) { return ColumnsOf(kind) == PageColumns::Channels; }

// The row of a bundle's page that names each channel's device.
std::size_t ChannelDeviceRow() {
    const auto rows = SingleChannelRows();
    return static_cast<std::size_t>(std::find_if(rows.begin(), rows.end(), [](const SingleChannelRow& r) {
                                        return r.value == ChannelValue::DeviceName;
                                    }) - rows.begin());
}

}  // namespace

std::string ShownCounter::Where() const {
    std::string where = page->path;
    const uint32_t kind = KindOf(page->node);
    if ((StreamColumns(kind) || ChannelColumns(kind)) && column < page->headings.size())
        where.append("/").append(page->headings[column]);
    return where;
}

std::vector<ShownCounter> ShownCounters(const std::vector<PageTable>& tables) {
    std::vector<ShownCounter> counters;
    std::unordered_set<uint64_t> seen;
    const std::size_t deviceRow = ChannelDeviceRow();
    for (const PageTable& page : tables) {
        const uint32_t kind = KindOf(page.node);
        for (std::size_t r = 0; r < page.rows.size(); ++r) {
            for (std::size_t c = 1; c < page.rows[r].size(); ++c) {
                const std::optional<CounterRef> ref = CounterAtCell(page.node, int(r), int(c));
                if (!ref || !seen.insert(Key(*ref)).second) continue;
                ShownCounter shown{*ref, &page, r, c, {}};
                if (StreamColumns(kind) && c < page.headings.size()) shown.device = page.headings[c];
                if (ChannelColumns(kind) && deviceRow < page.rows.size() && c < page.rows[deviceRow].size())
                    shown.device = page.rows[deviceRow][c].text;
                counters.push_back(shown);
            }
        }
    }
    std::sort(counters.begin(), counters.end(),
              [](const ShownCounter& a, const ShownCounter& b) { return Key(a.ref) < Key(b.ref); });
    return counters;
}
