#pragma once

#include <cstddef>
#include <span>

// The description pane's text for row `row` of a table: nullptr where the row has none or the
// table no such row.
template <typename Row>
const char* DescriptionOf(std::span<const Row> rows, int row) {
    if (row < 0 || static_cast<std::size_t>(row) >= rows.size()) return nullptr;
    return rows[static_cast<std::size_t>(row)].description;
}
