#pragma once

#include <QString>
#include <array>
#include <cstddef>
#include <cstdint>

#include "base/Colours.h"
#include "base/PageCell.h"

inline constexpr int ListRowCapacity = 256;
inline constexpr int ListColumnCapacity = 50;
// Longer texts can only come from driver strings; a list view shows no more than this anyway.
inline constexpr std::size_t ListCellTextCapacity = 259;

// Whose text a cell or heading shows: the panel's own (string table, units) or the driver's
// (names from its records), which are decoded differently.
enum class TextSource { Panel, Driver };

// What a list cell was last given; its two colours are applied while the list draws.
struct ListCell {
    int32_t Row = 0;
    int32_t Column = 0;
    QString Text;
    Colour TextColour = Colours::Black;
    Colour Background = Colours::Black;
    // What the copy takes instead of the text: a number cell's value and its unit, apart.
    CellKind Kind = CellKind::Text;
    int64_t Number = 0;
    const char* Unit = nullptr;  // as the page gave it; a static text of the row tables
};

using ListCellRow = std::array<ListCell, ListColumnCapacity>;
using ListCellTable = std::array<ListCellRow, ListRowCapacity>;
