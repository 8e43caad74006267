#pragma once

#include <QString>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "support/PanelFixture.h"

class QTreeWidgetItem;

// A whole panel on an (offscreen) screen against the in-process simulator, ticked as the
// refresh timer would tick it: the tick handler, then the events it leaves behind, which is
// where the parts it changed get painted.
class PanelRig {
public:
    // A node to select: a root node, or the child at `child` below the root of that kind.
    struct Node {
        uint32_t rootKind;
        int child;  // -1: the root itself
    };

    explicit PanelRig(const sim::SimOptions& options = {});

    PanelFixture& Panel() { return panel_; }
    sim::DriverSimulator& Sim() { return panel_.sim; }
    CMainFrame& Frame() { return *panel_.frame; }
    CTreeCtrlEx& Tree() const { return *tree_; }

    void Advance() { panel_.sim.Advance(TickMs); }
    void RunTickHandler() { panel_.frame->OnRefreshTimer(); }
    // Delivers what the tick posted (repaints, layout requests) until nothing is left.
    void ProcessEvents();
    void Tick(int n = 1);

    // Every node of the tree in display order (roots followed by their children).
    std::vector<QTreeWidgetItem*> AllNodes() const;
    QTreeWidgetItem* Find(Node node) const;
    // Selects it as a click would; false when the tree has no such node.
    bool Select(Node node);
    QString SelectedLabel() const;

    // The process's resident set (VmRSS) in KiB, and the bytes malloc hands out right now.
    static long ResidentKb();
    static std::size_t HeapInUse();

    static constexpr uint32_t TickMs = 500;

private:
    PanelFixture panel_;
    CTreeCtrlEx* tree_;  // looked up once: lookups by name allocate
};
