#include "app/CAboutDlg.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <cstdio>

#include "app/CQorstatsApp.h"
#include "controls/DialogUnits.h"
#include "res/StringTable.h"

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent) {
    setObjectName("aboutDialog");
    setWindowTitle(QString::fromLatin1(Str::AboutCaption));
    char version[128];
    std::snprintf(version, sizeof version, Str::AboutVersionFormat, Str::PanelVersion[0], Str::PanelVersion[1],
                  Str::PanelVersion[2]);

    const DialogUnits du(font());
    setFixedSize(du.X(250), du.Y(55));
    auto* icon = new QLabel(this);
    icon->setObjectName("icon");
    icon->setPixmap(CQorstatsApp::AppIcon().pixmap(32, 32));
    icon->setGeometry(du.Rect(11, 17, 21, 20));
    auto* versionLabel = new QLabel(QString::fromLatin1(version), this);
    versionLabel->setObjectName("version");
    versionLabel->setGeometry(du.Rect(40, 10, 119, 8));
    versionLabel->adjustSize();
    auto* copyrightLabel = new QLabel(QString::fromLatin1(Str::Copyright), this);
    copyrightLabel->setObjectName("copyright");
    copyrightLabel->setGeometry(du.Rect(40, 25, 150, 8));
    copyrightLabel->adjustSize();
    auto* ok = new QPushButton(tr("OK"), this);
    ok->setObjectName("ok");
    ok->setDefault(true);
    ok->setGeometry(du.Rect(193, 34, 50, 14));
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
}
