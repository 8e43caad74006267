#pragma once

#include <QWidget>

class CColoredStatusBarCtrl;

// One pane area of the coloured status bar; the bar paints it from its own state.
class CColoredStatusPane : public QWidget {
    Q_OBJECT

public:
    CColoredStatusPane(CColoredStatusBarCtrl& bar, int pane, int minimumWidth);

    int Pane() const { return pane_; }
    // Widens the pane to its text when the text needs more than the pane's own width.
    void FitText();
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    CColoredStatusBarCtrl& bar_;
    int pane_;
    int baseWidth_;
};
