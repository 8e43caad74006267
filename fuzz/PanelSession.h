#pragma once

#include <QString>
#include <cstdint>
#include <string>

class CMainFrame;
class ControlDevice;
class SessionScript;

// One whole panel, fresh each time: a new CDev over the given control device, a new main frame
// with manual timers and a settings file of its own. The script decides the ticks and what the
// user does around them; every few ticks the session selects every node of the tree and clicks
// rows of its page. After each step it checks that tree and pages agree and aborts if not.
class PanelSession {
public:
    static constexpr int MaxTicks = 20;
    static constexpr int WalkEvery = 4;
    static constexpr int FirstRowClicked = -1;
    static constexpr int LastRowClicked = 300;

    PanelSession(ControlDevice& device, SessionScript& script, std::string settingsFile)
        : device_(device), script_(script), settingsFile_(std::move(settingsFile)) {}

    // With a transcript, what the panel shows after every tick is appended to it, so that two
    // sessions over the same answers can be compared.
    void Run(std::string* transcript = nullptr);

    // Where the settings file goes: it is written on many selections, so in memory if possible.
    static QString ScratchBase();

private:
    void Walk(CMainFrame& frame);
    static void CheckConsistency(CMainFrame& frame, const char* when);
    static void Describe(CMainFrame& frame, std::string& out);

    ControlDevice& device_;
    SessionScript& script_;
    std::string settingsFile_;
};
