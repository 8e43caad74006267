#pragma once

#include <cstdint>
#include <string_view>

// What the pages may do with the view's tree: replace their own child nodes, and ask which
// kind of node is selected.
class IStatisticsTree {
public:
    virtual ~IStatisticsTree() = default;
    // Removes every child of the root node of the given kind; a selected child hands the
    // selection to the root.
    virtual void DeleteChildren(uint32_t rootKind) = 0;
    // Appends a child (streams image) under the root of rootKind with the given code and
    // expands the root. The selection stays where it is. Labels carry device names, so they
    // are decoded as driver texts.
    virtual void InsertChild(uint32_t rootKind, std::string_view label, uint32_t code) = 0;
    // The kind of the selected node, 0 before the first selection.
    virtual uint32_t CurrentKind() const = 0;
};
