#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "rows/PageCells.h"

// Which lists show their placeholder heading alone, by node kind: as the window's pages say, or,
// without a window, as lists that follow the driver's answers would. A list shows it from the
// driver's loss until the driver first gives it something to lay out by; one that stops
// answering keeps its layout.
class ListPlaceholders {
public:
    void Show(uint32_t kind);
    // Every list that has a placeholder.
    void ShowAll();
    // The lists the snapshot gives something to lay out by leave their placeholder.
    void Follow(const PageSources& sources);
    bool Shows(uint32_t kind) const;

private:
    std::array<uint32_t, 8> kinds_{};
    std::size_t count_ = 0;
};
