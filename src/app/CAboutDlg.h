#pragma once

#include <QDialog>
#include <QString>

// The About box: the panel's name and version, and the copyright line.
class CAboutDlg : public QDialog {
    Q_OBJECT
public:
    explicit CAboutDlg(QWidget* parent = nullptr);
    QString VersionText;
    QString CopyrightText;
};
