#include "app/CQorstatsApp.h"

#include <QApplication>
#include <QIcon>
#include <cstdio>

#include "app/CMainFrame.h"
#include "res/StringTable.h"

// The resources of a static library are linked in only when named.
static void LoadIconResources() { Q_INIT_RESOURCE(icons); }

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
    QApplication::setApplicationVersion(
        QStringLiteral("%1.%2.%3").arg(Str::PanelVersion[0]).arg(Str::PanelVersion[1]).arg(Str::PanelVersion[2]));
    QGuiApplication::setDesktopFileName(QString::fromLatin1(Str::DesktopId));
    QApplication::setWindowIcon(AppIcon());
    frame_ = std::make_unique<CMainFrame>(dev_, settings_);
    frame_->show();
    frame_->setWindowTitle(QString::fromLatin1(Str::WindowTitle));
    return true;
}

QIcon CQorstatsApp::AppIcon() {
    LoadIconResources();
    QIcon icon;
    for (int size : IconSizes)
        icon.addFile(QStringLiteral(":/icons/hicolor/%1x%1/apps/%2.png").arg(size).arg(QString::fromLatin1(Str::DesktopId)),
                     QSize(size, size));
    return icon;
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
