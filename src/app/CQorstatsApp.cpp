#include "app/CQorstatsApp.h"

#include <QApplication>
#include <cstdio>

#include "app/CMainFrame.h"
#include "res/StringTable.h"
#include "view/NodeCode.h"
#include "view/TreeIcons.h"

CQorstatsApp::CQorstatsApp(CDev& dev, SettingsStore& settings) : dev_(dev), settings_(settings) {}

CQorstatsApp::~CQorstatsApp() = default;

bool CQorstatsApp::InitInstance() {
    if (!instance_.Acquire()) {
        instance_.BringFirstToFront();
        std::fprintf(stderr, "%s: the panel is already running; its window comes to the front\n", Str::AppTitle);
        return false;
    }
    instance_.OnActivationRequest([this] { BringToFront(); });
    QApplication::setApplicationName(QString::fromLatin1(Str::AppTitle));
    QApplication::setWindowIcon(TreeIcons::Icon(TreeImage::Devices));
    frame_ = std::make_unique<CMainFrame>(dev_, settings_);
    frame_->show();
    frame_->setWindowTitle(QString::fromLatin1(Str::WindowTitle));
    return true;
}

// The window comes to the front restored, or its open dialog if it has one.
void CQorstatsApp::BringToFront() {
    if (!frame_) return;
    if (frame_->isMinimized()) frame_->showNormal();
    QWidget* popup = QApplication::activeModalWidget();
    if (!popup) popup = frame_.get();
    popup->raise();
    popup->activateWindow();
}
