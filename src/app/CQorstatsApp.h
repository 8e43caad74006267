#pragma once

#include <QIcon>
#include <memory>

#include "platform/SingleInstance.h"

class CDev;
class CMainFrame;
class SettingsStore;

// Start-up: one instance per user session, then the main window with its view.
class CQorstatsApp {
public:
    CQorstatsApp(CDev& dev, SettingsStore& settings);
    ~CQorstatsApp();

    // False when another instance runs: it has been brought to the front and this process
    // ends with exit code 0 without showing a window.
    bool InitInstance();
    CMainFrame* MainFrame() const { return frame_.get(); }

    // The application icon in every size it is drawn in (also the installed hicolor sizes).
    static constexpr int IconSizes[] = {16, 22, 24, 32, 48, 64, 128, 256};
    static QIcon AppIcon();

private:
    void BringToFront();

    CDev& dev_;
    SettingsStore& settings_;
    SingleInstance instance_;
    std::unique_ptr<CMainFrame> frame_;
};
