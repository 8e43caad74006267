#include "rows/ListLayouts.h"

#include <algorithm>
#include <vector>

void ListLayouts::Keep(uint32_t kind, const ListLayout& layout) {
    std::erase_if(lists_, [kind](const auto& l) { return l.first == kind; });
    lists_.emplace_back(kind, layout);
}

const ListLayout* ListLayouts::Of(uint32_t kind) const {
    const auto kept = std::find_if(lists_.begin(), lists_.end(), [kind](const auto& l) { return l.first == kind; });
    return kept == lists_.end() ? nullptr : &kept->second;
}

void ListLayouts::KeepName(uint32_t deviceId, std::string_view name) {
    // A driver that gives every device a new id each time must not grow this without end.
    constexpr std::size_t MostNames = 1024;
    if (names_.size() < MostNames) names_.emplace_back(deviceId, name);
}

std::optional<std::string_view> ListLayouts::DeviceName(uint32_t deviceId) const {
    auto find = [deviceId](const auto& names) -> const std::string* {
        for (const auto& [id, name] : names)
            if (id == deviceId) return &name;
        return nullptr;
    };
    for (const auto& list : lists_)
        if (const std::string* name = find(list.second.deviceNames)) return *name;
    if (const std::string* name = find(names_)) return *name;
    return std::nullopt;
}
