#include "PanelRig.h"

#include <QApplication>
#include <QTreeWidgetItem>
#include <cstdio>
#include <cstring>
#include <malloc.h>

PanelRig::PanelRig(const sim::SimOptions& options, Link link) {
    if (link == Link::Socket) {
        socket_ = std::make_unique<SocketPanelFixture>(options);
        panel_ = socket_.get();
        sim_ = &socket_->sim;
        if (!socket_->server.Start()) return;
    } else {
        inProcess_ = std::make_unique<PanelFixture>(options);
        panel_ = inProcess_.get();
        sim_ = &inProcess_->sim;
    }
    panel_->Start();
    tree_ = &panel_->Tree();
    panel_->frame->show();
    ProcessEvents();
}

PanelRig::~PanelRig() = default;

std::string PanelRig::Error() const { return socket_ ? socket_->server.Error() : std::string(); }

void PanelRig::ProcessEvents() {
    QCoreApplication::sendPostedEvents();
    QApplication::processEvents();
}

void PanelRig::Tick(int n) {
    for (int i = 0; i < n; ++i) {
        Advance();
        RunTickHandler();
        ProcessEvents();
    }
}

std::vector<QTreeWidgetItem*> PanelRig::AllNodes() const {
    std::vector<QTreeWidgetItem*> nodes;
    QTreeWidget& tree = Tree();
    for (int r = 0; r < tree.topLevelItemCount(); ++r) {
        QTreeWidgetItem* root = tree.topLevelItem(r);
        nodes.push_back(root);
        for (int c = 0; c < root->childCount(); ++c) nodes.push_back(root->child(c));
    }
    return nodes;
}

QTreeWidgetItem* PanelRig::Find(Node node) const {
    QTreeWidgetItem* root = panel_->View().RootItem(node.rootKind);
    if (!root || node.child < 0) return root;
    return node.child < root->childCount() ? root->child(node.child) : nullptr;
}

bool PanelRig::Select(Node node) {
    QTreeWidgetItem* item = Find(node);
    if (!item) return false;
    Tree().setCurrentItem(item);
    return true;
}

QString PanelRig::SelectedLabel() const {
    const QTreeWidgetItem* item = Tree().currentItem();
    return item ? item->text(0) : QString();
}

long PanelRig::ResidentKb() {
    long kb = -1;
    if (FILE* f = std::fopen("/proc/self/status", "r")) {
        char line[256];
        while (std::fgets(line, sizeof line, f))
            if (std::strncmp(line, "VmRSS:", 6) == 0) {
                std::sscanf(line + 6, "%ld", &kb);
                break;
            }
        std::fclose(f);
    }
    return kb;
}

std::size_t PanelRig::HeapInUse() {
    const struct mallinfo2 m = mallinfo2();
    return m.uordblks + m.hblkhd;
}
