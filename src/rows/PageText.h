#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "base/NodeCode.h"
#include "base/PageCell.h"
#include "driver/PublishedDriverVersion.h"
#include "rows/ListLayouts.h"
#include "rows/ListPlaceholders.h"
#include "rows/PageCells.h"
#include "rows/PageDescription.h"

// Every page of the panel as a table: its headings, its rows and its cells, each cell with
// its number and unit apart and with the text the page shows. The snapshot files and qorpoll
// are written from these tables. Texts are UTF-8: the panel's own texts and the driver's,
// decoded as the panel decodes them.
//
// The tables describe the snapshot as it is, a list that shows its placeholder (as
// PageTextSources::placeholders says) as that heading alone, and a list the window keeps laid out
// (PageTextSources::layouts) as it keeps it. The pages themselves lag where the panel always has:
// the ASIO page shows the refresh before, the channel lists keep the channels of their last
// rebuild, and a list whose record stops answering keeps its columns and nodes.

// The list's limits: 256 rows, 50 columns, the first for the row names.
constexpr uint32_t MaxValueColumns = PageValueColumns;

struct TableCell {
    CellKind kind = CellKind::NotAvailable;
    int64_t number = 0;  // Number and Hex
    bool red = false;
    std::string unit;  // Number: the row's unit, without leading blanks; empty for none
    std::string text;  // what the page shows in the cell
};

struct PageTable {
    NodeCode node = 0;
    std::string path;  // the node's label, under its root's label: "ISO IN Streams/Interface A"
    std::vector<std::string> headings;
    std::vector<std::vector<TableCell>> rows;  // every cell, column 0 (the row names) included
};

// What the information page reads besides the snapshot.
struct PageTextSources {
    PageSources cells;
    const PublishedDriverVersion& version;
    // The lists that show their placeholder rather than the snapshot; nullptr: none does.
    const ListPlaceholders* placeholders = nullptr;
    // The lists' columns, rows and child nodes as the window keeps them; nullptr, or a list not
    // in it: as a list laid out on this snapshot.
    const ListLayouts* layouts = nullptr;
};

// Every node of the tree the snapshot makes, in tree order.
std::vector<NodeCode> PageNodes(const PageSources& sources, const ListLayouts* layouts = nullptr);
// The node's label under its root's label, as PageTable::path.
std::string NodePath(const PageSources& sources, NodeCode node, const ListLayouts* layouts = nullptr);
PageTable PageTableOf(const PageTextSources& sources, NodeCode node);
std::vector<PageTable> PageTables(const PageTextSources& sources);

// The text the list shows for a cell, in UTF-8 ("48 000 samples/s"), decoded as the list decodes it.
std::string ShownText(const PageCell& cell);
// The panel's own 8-bit texts in UTF-8.
std::string PanelTextUtf8(std::string_view text);
