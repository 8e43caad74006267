#pragma once

#include <QStaticText>
#include <QStatusBar>
#include <QString>
#include <array>
#include <string_view>

#include "base/Colours.h"

class StatusPane;
class QPainter;
class StatusPaneLayout;

// The main frame's status bar: three panes, each with its own text, background and text colour,
// so that the connection and reading state show in colour.
class CColoredStatusBarCtrl : public QStatusBar {
    Q_OBJECT

public:
    static constexpr int PaneCount = 3;
    // Left of every pane text, in pixels.
    static constexpr int TextIndent = 2;

    explicit CColoredStatusBarCtrl(QWidget* parent = nullptr);

    // Stores only: the pane shows it at its next paint (see RepaintNow). Other indexes are ignored.
    void SetPane(int pane, std::string_view text, Colour background, Colour foreground);
    // Lays the panes out for their texts and paints the whole bar before returning.
    void RepaintNow();
    // Paints one pane into `rect`; the pane widgets call it from their paint events.
    void DrawItem(QPainter& painter, int pane, const QRect& rect) const;

    QString PaneText(int pane) const;
    Colour PaneBackground(int pane) const;
    Colour PaneForeground(int pane) const;
    int LastPane() const { return lastPane_; }
    int RepaintCount() const { return repaintCount_; }
    StatusPane* PaneWidget(int pane) const;

private:
    struct PaneState {
        QString text;
        // Laid out once per text: the bar repaints on every tick, the texts rarely change.
        QStaticText layout;
        Colour background = Colours::Black;
        Colour foreground = Colours::Black;
    };

    static bool IsPane(int pane) { return pane >= 0 && pane < PaneCount; }

    std::array<PaneState, PaneCount> panes_{};
    std::array<StatusPane*, PaneCount> paneWidgets_{};
    StatusPaneLayout* paneLayout_ = nullptr;
    int lastPane_ = 0;
    int repaintCount_ = 0;
};
