#include "rows/ListPlaceholders.h"

#include <algorithm>

#include "rows/PageDescription.h"

void ListPlaceholders::Show(uint32_t kind) {
    const PageDescription* page = PageOf(kind);
    if (page == nullptr || page->placeholder == nullptr || Shows(kind) || count_ == kinds_.size()) return;
    kinds_[count_++] = kind;
}

void ListPlaceholders::ShowAll() {
    for (const PageDescription& page : AllPages()) Show(page.kind);
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
