#pragma once

#include <algorithm>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "base/NodeCode.h"
#include "pages/IStatisticsTree.h"

// The view's tree as the pages see it: child nodes per root, the selected node's kind, and
// a record of every deletion and insertion. Like the view, inserting selects nothing.
class FakeStatisticsTree : public IStatisticsTree {
public:
    struct Child {
        uint32_t root;
        std::string label;
        uint32_t code;
    };

    uint32_t currentKind = 0;
    uint32_t selectedCode = 0;
    int deletions = 0;
    int insertions = 0;
    std::vector<Child> children;
    // Runs on every Select, like the view's selection change.
    std::function<void(uint32_t code)> onSelect;

    // A node chosen as the user would.
    void Select(uint32_t code) {
        selectedCode = code;
        currentKind = KindOf(code);
        if (onSelect) onSelect(code);
    }

    void DeleteChildren(uint32_t rootKind) override {
        ++deletions;
        const bool selectedGoes = RootOf(selectedCode) == rootKind;
        std::erase_if(children, [rootKind](const Child& c) { return c.root == rootKind; });
        if (selectedGoes) {
            selectedCode = rootKind;
            currentKind = rootKind;
        }
    }
    void InsertChild(uint32_t rootKind, std::string_view label, uint32_t code) override {
        ++insertions;
        children.push_back({rootKind, std::string(label), code});
    }
    uint32_t CurrentKind() const override { return currentKind; }

    std::vector<Child> ChildrenOf(uint32_t rootKind) const {
        std::vector<Child> out;
        std::copy_if(children.begin(), children.end(), std::back_inserter(out),
                     [rootKind](const Child& c) { return c.root == rootKind; });
        return out;
    }

private:
    uint32_t RootOf(uint32_t code) const {
        for (const Child& c : children)
            if (c.code == code) return c.root;
        return 0;
    }
};
