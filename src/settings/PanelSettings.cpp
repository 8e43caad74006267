#include "settings/PanelSettings.h"

#include "platform/SettingsStore.h"

namespace {
constexpr SettingsStore::Root Root = SettingsStore::Root::LocalMachine;
// The key below "Software", and its full path.
constexpr const char* Parent = "Software";
constexpr const char* KeyName = "Quandrel\\QOR_Stats";
constexpr const char* KeyPath = "Software\\Quandrel\\QOR_Stats";
constexpr const char* LastSelItemValue = "LastSelItem";
constexpr const char* NotificationsValue = "Notifications";
constexpr const char* ResizableValue = "ResizableWindow";
}  // namespace

void PanelSettings::CreateKey() {
    if (store_.CreateKey(Root, Parent, KeyName) == 0) store_.CloseKey(store_.OpenKey(Root, KeyPath));
}

uint32_t PanelSettings::LastSelItem() const {
    uint32_t value = 0;
    return store_.ReadDword(Root, KeyPath, LastSelItemValue, value) == 0 ? value : 0;
}

bool PanelSettings::SetLastSelItem(uint32_t code) { return store_.WriteDword(Root, KeyPath, LastSelItemValue, code) == 0; }

bool PanelSettings::Notifications() const {
    uint32_t value = 1;
    // Only a 0 that was written turns them off; anything else the store holds leaves them on.
    return store_.ReadDword(Root, KeyPath, NotificationsValue, value) != 0 || value != 0;
}

bool PanelSettings::SetNotifications(bool on) {
    return store_.WriteDword(Root, KeyPath, NotificationsValue, on ? 1 : 0) == 0;
}

bool PanelSettings::ResizableWindow() const {
    uint32_t value = 0;
    // Only a 1 that was written turns it on: the design's window is fixed.
    return store_.ReadDword(Root, KeyPath, ResizableValue, value) == 0 && value == 1;
}

bool PanelSettings::SetResizableWindow(bool on) {
    return store_.WriteDword(Root, KeyPath, ResizableValue, on ? 1 : 0) == 0;
}
