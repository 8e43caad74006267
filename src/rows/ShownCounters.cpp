#include "rows/ShownCounters.h"

#include <algorithm>
#include <map>

#include "rows/SingleChannelRows.h"

namespace {

uint64_t Key(const CounterRef& r) {
    return (uint64_t(r.group) << 62) | (uint64_t(r.dir) << 61) | (uint64_t(r.index & 0xFFFFFF) << 32) |
           (uint64_t(r.channel & 0xFFFF) << 16) | r.row;
}

// The row of a bundle's page that names each channel's device.
std::size_t ChannelDeviceRow() {
    const auto rows = SingleChannelRows();
    return static_cast<std::size_t>(std::find_if(rows.begin(), rows.end(), [](const SingleChannelRow& r) {
                                        return r.value == ChannelValue::DeviceName;
                                    }) - rows.begin());
}

}  // namespace

std::vector<ShownCounter> ShownCounters(const std::vector<PageTable>& tables) {
    std::map<uint64_t, ShownCounter> counters;
    for (const PageTable& page : tables) {
        const uint32_t kind = KindOf(page.node);
        const bool streamColumns = kind == NodeKind_IsoInStreams || kind == NodeKind_IsoOutStreams;
        const bool channelColumns = kind == NodeKind_ChannelIn || kind == NodeKind_ChannelOut;
        for (std::size_t r = 0; r < page.rows.size(); ++r) {
            for (std::size_t c = 1; c < page.rows[r].size(); ++c) {
                const std::optional<CounterRef> ref = CounterAtCell(page.node, int(r), int(c));
                if (!ref || counters.contains(Key(*ref))) continue;
                ShownCounter shown{*ref, page.path, {}, page.rows[r][0].text, page.rows[r][c]};
                const std::string heading = c < page.headings.size() ? page.headings[c] : std::string();
                if (streamColumns || channelColumns) shown.where.append("/").append(heading);
                if (streamColumns) shown.device = heading;
                const std::size_t deviceRow = ChannelDeviceRow();
                if (channelColumns && deviceRow < page.rows.size() && c < page.rows[deviceRow].size())
                    shown.device = page.rows[deviceRow][c].text;
                counters.emplace(Key(*ref), std::move(shown));
            }
        }
    }
    std::vector<ShownCounter> ordered;
    ordered.reserve(counters.size());
    for (auto& [key, shown] : counters) ordered.push_back(std::move(shown));
    return ordered;
}
