#pragma once

#include <QFont>
#include <QHash>
#include <QString>
#include <QWidget>

class CColoredStatusBarCtrl;

// One pane area of the coloured status bar; the bar paints it from its own state.
class StatusPane : public QWidget {
    Q_OBJECT

public:
    StatusPane(CColoredStatusBarCtrl& bar, int pane, int minimumWidth, QWidget* parent);

    int Pane() const { return pane_; }
    // Widens the pane to its text when the text needs more than the pane's own width.
    void FitText();
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    // The panes go back and forth between a few texts on every tick: each is measured once per
    // font. The elapsed time brings a new one every second; past this many, start again.
    static constexpr qsizetype MaxMeasured = 64;

    CColoredStatusBarCtrl& bar_;
    int pane_;
    int baseWidth_;
    QHash<QString, int> textWidths_;
    QFont measuredFont_;
};
