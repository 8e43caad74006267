#include "rows/ListPlaceholders.h"

#include <algorithm>

#include "base/NodeCode.h"
#include "rows/PageDescription.h"

namespace {
constexpr std::array<uint32_t, 6> Lists{NodeKind_Asio,         NodeKind_Devices,    NodeKind_IsoInStreams,
                                        NodeKind_IsoOutStreams, NodeKind_ChannelsIn, NodeKind_ChannelsOut};
}

void ListPlaceholders::Show(uint32_t kind) {
    const PageDescription* page = PageOf(kind);
    if (page == nullptr || page->placeholder == nullptr || Shows(kind) || count_ == kinds_.size()) return;
    kinds_[count_++] = kind;
}

void ListPlaceholders::ShowAll() {
    for (uint32_t kind : Lists) Show(kind);
}

void ListPlaceholders::Follow(const PageSources& sources) {
    const auto end = std::remove_if(kinds_.begin(), kinds_.begin() + static_cast<std::ptrdiff_t>(count_),
                                    [&](uint32_t kind) { return !ShowsPlaceholder(*PageOf(kind), sources); });
    count_ = static_cast<std::size_t>(end - kinds_.begin());
}

bool ListPlaceholders::Shows(uint32_t kind) const {
    return std::find(kinds_.begin(), kinds_.begin() + static_cast<std::ptrdiff_t>(count_), kind) !=
           kinds_.begin() + static_cast<std::ptrdiff_t>(count_);
}
