#pragma once

#include <QString>
#include <cstdint>
#include <optional>
#include <string>

#include "fuzz/DeviceSlot.h"
#include "support/FrameRig.h"

class SessionScript;

// One whole panel with manual timers, kept for many sessions: building a main frame costs as much
// as a whole session. Each session starts as after a loss of the driver (the view reset runs with
// the device gone) on a snapshot of zeros and the settings a fresh start would find (held in
// memory, see SettingsStoreMemory), then plugs its device in. The script decides the ticks and
// what the user does around them; every few ticks the session selects the nodes of the tree and
// clicks rows of their pages. After each step it checks that tree and pages agree and aborts if
// not.
class PanelSession {
public:
    static constexpr int MaxTicks = 20;
    static constexpr int WalkEvery = 4;

    PanelSession();
    ~PanelSession();

    // With a transcript, what the user sees after every tick is appended to it (the elapsed time
    // aside), so that two sessions over the same answers can be compared.
    void Run(ControlDevice& device, SessionScript& script, std::string* transcript = nullptr);

private:
    void StartOver(std::optional<uint32_t> storedNode);
    void Walk();
    static void CheckConsistency(CMainFrame& frame, const char* when);
    void Describe(CMainFrame& frame, std::string& out);

    DeviceSlot slot_;
    FrameRig rig_;
    QString describeBuffer_;
};
