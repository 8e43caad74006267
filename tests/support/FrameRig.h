#pragma once

#include <memory>
#include <string>

#include "app/CMainFrame.h"
#include "controls/CColoredStatusBarCtrl.h"
#include "controls/CTreeCtrlEx.h"
#include "driver/CDev.h"
#include "platform/ControlDevice.h"
#include "platform/SettingsStore.h"
#include "support/FindChild.h"
#include "view/CQorstatsView.h"

class QTreeWidgetItem;

// A main frame over any control device, with the settings it keeps: the one place where tests,
// benchmarks and fuzz harnesses make a CMainFrame.
struct FrameRig {
    struct Options {
        CMainFrame::Timers timers = CMainFrame::Timers::Manual;  // manual: the user delivers every tick
        ElapsedClock::MonotonicMs clock = {};                    // the steady clock unless given
    };

    FrameRig(ControlDevice& device, const std::string& settingsFile)
        : dev(device), settings(std::make_unique<SettingsStore>(settingsFile)) {}

    CDev dev;
    std::unique_ptr<SettingsStore> settings;
    std::unique_ptr<CMainFrame> frame;
    Options options;  // the last start's, which a restart keeps

    CMainFrame& Start() { return Start(Options{}); }
    CMainFrame& Start(Options startOptions) {
        options = std::move(startOptions);
        frame = std::make_unique<CMainFrame>(dev, *settings, options.timers, nullptr, options.clock);
        return *frame;
    }
    // A fresh window over the same settings, as after a restart of the panel.
    CMainFrame& Restart() {
        frame.reset();
        return Start(options);
    }

    CQorstatsView& View() { return frame->View(); }
    // One of the view's pages, by its object name.
    template <typename P>
    P& Page(const char* objectName) {
        return Child<P>(View(), objectName);
    }
    CTreeCtrlEx& Tree() { return Child<CTreeCtrlEx>(*frame, "tree"); }
    CColoredStatusBarCtrl& StatusBar() { return Child<CColoredStatusBarCtrl>(*frame, "statusBar"); }
    QTreeWidgetItem* Root(uint32_t kind) { return View().RootItem(kind); }
    void Select(QTreeWidgetItem* item) { Tree().setCurrentItem(item); }
    NodeCode Selected() { return View().CurrentCode(); }
    uint32_t StoredCode() {
        uint32_t value = 0;
        settings->ReadDword(SettingsStore::Root::LocalMachine, "Software\\Quandrel\\QOR_Stats", "LastSelItem", value);
        return value;
    }
};
