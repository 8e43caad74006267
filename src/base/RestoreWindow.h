#pragma once

#include <cstdint>

// The few ticks after a tree rebuild during which the remembered node is selected again. The
// view opens it on every rebuild and the pages when their child nodes or the device count
// change; the polling cycle counts its ticks; a choice of the user closes it for good.
class RestoreWindow {
public:
    void Open() {
        open_ = true;
        ticks_ = 0;
        userChose_ = false;
    }
    void Close() { open_ = false; }
    bool IsOpen() const { return open_; }
    // A tick of the open window: it stays open for four.
    void CountTick() {
        if (ticks_ > 2)
            open_ = false;
        else
            ++ticks_;
    }
    uint16_t Ticks() const { return ticks_; }
    // The user chose a node since the window opened: that choice stays, nothing is restored.
    void MarkUserChose() { userChose_ = true; }
    bool UserChose() const { return userChose_; }

private:
    bool open_ = true;
    uint16_t ticks_ = 0;
    bool userChose_ = false;
};
