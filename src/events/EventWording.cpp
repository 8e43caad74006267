#include "events/EventWording.h"

#include <algorithm>
#include <cstdio>
#include <optional>

#include "rows/NodeNames.h"
#include "rows/PageDescription.h"
#include "res/StringTable.h"

namespace EventWording {

void NodeName(const StatisticsSnapshot& s, const CounterRef& ref, const DeviceNameOf& deviceName, NodeText& out) {
    std::array<char, 160> name{};
    out[0] = '\0';
    const PageDescription* list = ListOf(ref.group, ref.dir);
    if (list == nullptr) return;
    std::array<std::optional<std::string_view>, StatisticsSnapshot::BundleCapacity> names{};
    const uint32_t n = std::min(ChildCount(*list, s), StatisticsSnapshot::BundleCapacity);
    for (uint32_t i = 0; i < n; ++i) {
        // A device the detector does not know has no name to give.
        const std::string_view known = deviceName(ItemDeviceId(*list, s, list->kind, i));
        if (!known.empty()) names[i] = known;
    }
    ChildLabel(*list, DeviceNames(names.data(), n), s, ref.index, name);
    const int written = ref.group == CounterGroup::IsoStream
                            ? std::snprintf(out.data(), out.size(), Str::EventStreamNodeFormat,
                                            RootLabel(list->kind), name.data())
                            : std::snprintf(out.data(), out.size(), Str::EventChannelNodeFormat,
                                            RootLabel(list->kind), name.data(), unsigned(ref.channel));
    // A name too long for the line is cut there; only a failed format leaves it empty.
    if (written < 0) out[0] = '\0';
}

int CounterChange(std::span<char> out, EventKind kind, const char* node, const CounterRef& ref, uint64_t increase,
                  uint32_t value, uint32_t before) {
    const char* name = CounterName(ref);
    if (kind == EventKind::ErrorWentBack)
        return std::snprintf(out.data(), out.size(), Str::EventWentBackFormat, node, name, unsigned(value),
                             unsigned(before));
    return std::snprintf(out.data(), out.size(),
                         kind == EventKind::ErrorWrapped ? Str::EventWrapFormat : Str::EventErrorFormat, node, name,
                         static_cast<unsigned long long>(increase), unsigned(value));
}

}  // namespace EventWording
