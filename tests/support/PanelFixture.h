#pragma once

#include <QApplication>
#include <QTemporaryDir>
#include <QTreeWidgetItem>
#include <memory>
#include <string>

#include "app/CMainFrame.h"
#include "controls/CColoredStatusBarCtrl.h"
#include "controls/CTreeCtrlEx.h"
#include "driver/CDev.h"
#include "platform/SettingsStore.h"
#include "sim/DriverSimulator.h"
#include "sim/SimControlDevice.h"
#include "support/FindChild.h"
#include "view/CQorstatsView.h"

// A whole panel against the in-process simulator, with ticks delivered by the test.
struct PanelFixture {
    explicit PanelFixture(const sim::SimOptions& options = {}) : sim(options) {}

    QTemporaryDir dir;
    sim::DriverSimulator sim;
    sim::SimControlDevice device{sim};
    CDev dev{device};
    std::unique_ptr<SettingsStore> settings = std::make_unique<SettingsStore>(SettingsFile());
    std::unique_ptr<CMainFrame> frame;

    std::string SettingsFile() const { return (dir.path() + "/QOR_Stats.ini").toStdString(); }

    CMainFrame& Start() {
        frame = std::make_unique<CMainFrame>(dev, *settings, CMainFrame::Timers::Manual);
        return *frame;
    }
    // A fresh window over the same settings, as after a restart of the panel.
    CMainFrame& Restart() {
        frame.reset();
        return Start();
    }
    CQorstatsView& View() { return frame->View(); }
    // One of the view's pages, by its object name.
    template <typename P>
    P& Page(const char* objectName) {
        return Child<P>(View(), objectName);
    }
    CTreeCtrlEx& Tree() { return Child<CTreeCtrlEx>(*frame, "tree"); }
    CColoredStatusBarCtrl& StatusBar() { return Child<CColoredStatusBarCtrl>(*frame, "statusBar"); }
    void Tick(int n = 1) {
        for (int i = 0; i < n; ++i) {
            sim.Advance(500);
            frame->OnRefreshTimer();
        }
    }
    QTreeWidgetItem* Root(uint32_t kind) { return View().RootItem(kind); }
    void Select(QTreeWidgetItem* item) { Tree().setCurrentItem(item); }
    NodeCode Selected() { return View().CurrentCode(); }
    uint32_t StoredCode() {
        uint32_t value = 0;
        settings->ReadDword(SettingsStore::Root::LocalMachine, "Software\\Quandrel\\QOR_Stats", "LastSelItem", value);
        return value;
    }
};
