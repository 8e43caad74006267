#pragma once

#include <cstdint>

class SettingsStore;

// The panel's one remembered setting: the code of the tree node the user selected last, kept as
// the REG_DWORD "LastSelItem" of HKEY_LOCAL_MACHINE\Software\Quandrel\QOR_Stats. Failures are
// silent: what cannot be read reads as 0, which no node carries.
class PanelSettings {
public:
    explicit PanelSettings(SettingsStore& store) : store_(store) {}

    // Makes sure the key exists, before anything is read or written.
    void CreateKey();
    uint32_t LastSelItem() const;
    // Whether the store took it.
    bool SetLastSelItem(uint32_t code);

private:
    SettingsStore& store_;
};
