#pragma once

#include <QApplication>
#include <QTemporaryDir>
#include <QTreeWidgetItem>
#include <cstdint>
#include <string>
#include <utility>

#include "sim/DriverSimulator.h"
#include "sim/SimControlDevice.h"
#include "support/FrameRig.h"

// The simulator in process, and the control device the panel reads it through.
struct InProcessSimulator {
    explicit InProcessSimulator(const sim::SimOptions& options = {}) : sim(options) {}

    QTemporaryDir dir;
    sim::DriverSimulator sim;
    sim::SimControlDevice device{sim};
};

// A whole panel against a simulator, with ticks delivered by the test, its settings in a folder
// of its own. `Side` holds the folder (dir), the simulator (sim) and the control device the panel
// reads it through (device): in process here, over a socket in support/SocketSimulator.h.
template <typename Side>
struct BasicPanelFixture : Side, FrameRig {
    template <typename... Args>
    explicit BasicPanelFixture(Args&&... args)
        : Side(std::forward<Args>(args)...), FrameRig(Side::device, SettingsPath(Side::dir)) {}

    std::string SettingsFile() const { return SettingsPath(Side::dir); }
    // The simulator's time as the polling cycle's, which each tick moves on by 500 ms.
    ElapsedClock::MonotonicMs SimulatorClock() {
        return [this] { return static_cast<int64_t>(this->sim.ElapsedMs()); };
    }
    void Tick(int n = 1) {
        for (int i = 0; i < n; ++i) {
            this->sim.Advance(500);
            frame->OnRefreshTimer();
        }
    }

private:
    static std::string SettingsPath(const QTemporaryDir& dir) { return (dir.path() + "/QOR_Stats.ini").toStdString(); }
};

using PanelFixture = BasicPanelFixture<InProcessSimulator>;
