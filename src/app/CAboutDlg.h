#pragma once

#include <QDialog>

// The About box: the panel's name and version, and the copyright line.
class CAboutDlg : public QDialog {
    Q_OBJECT
public:
    explicit CAboutDlg(QWidget* parent = nullptr);
};
