#pragma once

#include <cstdint>

// The few ticks after a tree rebuild during which the stored node is selected again and no
// selection is stored. Shared by the polling cycle (counts the ticks), the view (opens it on
// every rebuild) and the devices page (reopens it when the device count changes).
struct RestoreWindow {
    uint16_t RestoreSelectionPending = 1;
    uint16_t RestoreTickCount = 0;

    void Open() {
        RestoreSelectionPending = 1;
        RestoreTickCount = 0;
    }
    bool IsOpen() const { return RestoreSelectionPending != 0; }
};
