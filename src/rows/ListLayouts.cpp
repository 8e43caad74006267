#include "rows/ListLayouts.h"

#include <algorithm>

void ListLayouts::Keep(uint32_t kind, const ListLayout& layout) {
    const auto kept = std::find_if(lists_.begin(), lists_.end(), [kind](const auto& l) { return l.first == kind; });
    if (kept != lists_.end())
        kept->second = layout;
    else
        lists_.emplace_back(kind, layout);
}

const ListLayout* ListLayouts::Of(uint32_t kind) const {
    const auto kept = std::find_if(lists_.begin(), lists_.end(), [kind](const auto& l) { return l.first == kind; });
    return kept == lists_.end() ? nullptr : &kept->second;
}

std::optional<std::string_view> ListLayouts::DeviceName(uint32_t deviceId) const {
    for (const auto& list : lists_)
        for (const auto& [id, name] : list.second.deviceNames)
            if (id == deviceId) return name;
    return std::nullopt;
}
