#pragma once

#include <QString>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "support/PanelFixture.h"
#include "support/SocketSimulator.h"

class QTreeWidgetItem;

// A whole panel on an (offscreen) screen against the simulator, in process or over the control
// device socket, ticked as the refresh timer would tick it: the tick handler, then the events it
// leaves behind, which is where the parts it changed get painted.
class PanelRig {
public:
    // A node to select: a root node, or the child at `child` below the root of that kind.
    struct Node {
        uint32_t rootKind;
        int child;  // -1: the root itself
    };
    enum class Link { InProcess, Socket };

    // Over the socket the server may not start: then there is no window, and Error() says why.
    explicit PanelRig(const sim::SimOptions& options = {}, Link link = Link::InProcess);
    ~PanelRig();

    bool Started() const { return tree_ != nullptr; }
    std::string Error() const;

    FrameRig& Panel() { return *panel_; }
    sim::DriverSimulator& Sim() { return *sim_; }
    CMainFrame& Frame() { return *panel_->frame; }
    CTreeCtrlEx& Tree() const { return *tree_; }

    void Advance() { sim_->Advance(TickMs); }
    void RunTickHandler() { panel_->frame->OnRefreshTimer(); }
    // Delivers what the tick posted (repaints, layout requests) until nothing is left.
    static void ProcessEvents();
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
    std::unique_ptr<PanelFixture> inProcess_;
    std::unique_ptr<SocketPanelFixture> socket_;
    FrameRig* panel_;
    sim::DriverSimulator* sim_;
    CTreeCtrlEx* tree_ = nullptr;  // looked up once: lookups by name allocate
};
