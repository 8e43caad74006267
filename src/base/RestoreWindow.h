#pragma once

#include <cstdint>

// The few ticks after a tree rebuild during which the remembered node is selected again.
// Shared by the polling cycle (counts the ticks), the view (opens it on every rebuild) and the
// pages (reopen it when their child nodes or the device count change).
struct RestoreWindow {
    uint16_t RestoreSelectionPending = 1;
    uint16_t RestoreTickCount = 0;
    // The user chose a node since the window opened: that choice stays, nothing is restored.
    bool UserChose = false;

    void Open() {
        RestoreSelectionPending = 1;
        RestoreTickCount = 0;
        UserChose = false;
    }
    bool IsOpen() const { return RestoreSelectionPending != 0; }
};
