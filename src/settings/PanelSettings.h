#pragma once

#include <cstdint>

class SettingsStore;

// The panel's remembered settings: the code of the tree node the user selected last, kept as
// the REG_DWORD "LastSelItem" of HKEY_LOCAL_MACHINE\Software\Quandrel\QOR_Stats, and beside it
// whether desktop notifications are on ("Notifications", 0 or 1) and whether the window may be
// enlarged ("ResizableWindow", 0 or 1). Failures are silent: what cannot be read reads as 0 for
// the node, which no node carries, as on for notifications and as off for the window.
class PanelSettings {
public:
    explicit PanelSettings(SettingsStore& store) : store_(store) {}

    // Makes sure the key exists, before anything is read or written.
    void CreateKey();
    uint32_t LastSelItem() const;
    // Whether the store took it.
    bool SetLastSelItem(uint32_t code);
    bool Notifications() const;
    bool SetNotifications(bool on);
    bool ResizableWindow() const;
    bool SetResizableWindow(bool on);

private:
    SettingsStore& store_;
};
