#pragma once

#include <QHash>
#include <QPointF>
#include <QStaticText>
#include <QRect>
#include <QString>
#include <QStringList>
#include <QWidget>
#include <array>
#include <cstdint>
#include <vector>

#include "history/EventMarks.h"
#include "history/PlotScale.h"

// A counter's value (left axis) and rate per second (right axis) over clock time, with the
// events of the driver marked, drawn with QPainter alone. The wheel zooms the time axis around
// the pointer, a drag moves it, a double-click goes back to the latest ten minutes; the
// pointer over the plot reads out the nearest sample and the marks beside it.
class HistoryChart : public QWidget {
    Q_OBJECT
public:
    static constexpr int64_t SpanMs = 10 * 60 * 1000;
    static constexpr int64_t MinSpanMs = 10 * 1000;
    // Pieces of one line drawn at most; beyond them the oldest are left out.
    static constexpr int PieceCapacity = 12;

    // The pieces of a line, oldest first, x on the polling cycle's clock in ms. Filled by the
    // window on every redraw; the vectors keep their room from one to the next.
    struct Line {
        std::array<std::vector<QPointF>, PieceCapacity> pieces;
        int used = 0;  // pieces 0 to used - 1 hold points
        void Clear();
    };
    // An axis as drawn: from the lowest tick to the highest.
    struct Axis {
        ValueTicks ticks;
        double High() const { return ticks.low + ticks.step * (ticks.count - 1); }
    };

    explicit HistoryChart(const char* unit, QWidget* parent = nullptr);

    // The time now on the cycle's clock, and what to add to it for the local clock time.
    void SetClock(int64_t nowMs, int64_t localOffsetMs);
    // The span the chart shows: the latest ten minutes unless zoomed or moved.
    int64_t ViewStartMs() const { return ViewEndMs() - spanMs_; }
    int64_t ViewEndMs() const { return follow_ ? nowMs_ : endMs_; }
    bool FollowsNow() const { return follow_; }
    // Where the lines are drawn, inside the axes' labels.
    QRect PlotRect() const { return plot_; }

    Line& ValueLine() { return value_; }
    Line& RateLine() { return rate_; }
    std::vector<EventMark>& Marks() { return marks_; }
    const Line& ValueLine() const { return value_; }
    const Line& RateLine() const { return rate_; }
    const std::vector<EventMark>& Marks() const { return marks_; }
    // Once the lines and marks are filled: the axes take them in, and the chart is redrawn.
    void DataChanged();

    const Axis& ValueAxis() const { return valueAxis_; }
    const Axis& RateAxis() const { return rateAxis_; }
    QStringList TimeLabels() const;
    // What the pointer reads out, one line each; empty while it is not over the plot.
    QStringList Readout() const;

signals:
    // Zoomed or moved: the lines are wanted for the new span.
    void viewChanged();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    struct Label {
        double at;  // pixel position along its axis
        QString text;
    };
    // An entry of the legend where it goes: rows count from the top of the legend.
    struct LegendEntry {
        uint32_t colour;
        Qt::PenStyle style;
        QString text;
        bool mark;  // a mark's entry shows a short upright line, a line's a short level one
        int x;
        int row;
    };
    // What a paint shows, in outline: the view's place to the pixel, the axes, the pieces of
    // the lines and the marks. A ten-minute view moves by half a pixel a tick; it is painted
    // when it moved a whole one (the new samples with it), or when the outline changed.
    struct Picture {
        QRect plot;
        int64_t viewStartPixel = 0;
        std::array<double, 4> axes{};
        int axisTicks = 0;
        std::array<int, 2> pieces{};  // of the value and the rate line
        std::size_t marks = 0;
        int64_t lastMarkMs = 0;
        uint32_t lastMarkCount = 0;
        int legendRows = 0;
        friend bool operator==(const Picture&, const Picture&) = default;
    };
    Picture Pictured() const;
    // Places the legend's entries in as many rows as the width needs; returns the rows.
    int PlaceLegend();
    void Layout();
    void SetView(int64_t endMs, int64_t spanMs);
    double X(double ms) const;
    double Y(const Axis& axis, double value) const;
    double MsAt(double x) const;
    void DrawGrid(QPainter& p) const;
    void DrawMarks(QPainter& p) const;
    void DrawLine(QPainter& p, const Line& line, const Axis& axis, uint32_t colour);
    void DrawLegend(QPainter& p) const;
    void DrawReadout(QPainter& p) const;
    // The sample of the value line nearest to the pointer, if any.
    const QPointF* NearestValue() const;
    // Draws text on a baseline from a layout kept from the paints before: the labels and
    // legend change seldom, and laying text out anew on every tick was most of a paint.
    // `anchor` is where the text starts (Qt::AlignLeft), ends (Qt::AlignRight) or has its middle.
    void DrawText(QPainter& p, QPointF anchor, const QString& text, Qt::Alignment align = Qt::AlignLeft) const;
    const QStaticText& LaidOut(const QString& text) const;
    int TextWidth(const QString& text) const;

    QString unit_;
    QString valueTitle_;
    int64_t nowMs_ = 0;
    int64_t localOffsetMs_ = 0;
    bool follow_ = true;
    int64_t endMs_ = 0;  // where the view ends while it does not follow now
    int64_t spanMs_ = SpanMs;
    Line value_;
    Line rate_;
    std::vector<EventMark> marks_;
    Axis valueAxis_;
    Axis rateAxis_;
    QRect plot_;
    std::vector<Label> timeLabels_;
    std::vector<Label> valueLabels_;
    std::vector<Label> rateLabels_;
    std::vector<LegendEntry> legend_;
    int legendRows_ = 1;
    bool hintFits_ = false;
    std::vector<QPointF> scratch_;  // a piece in pixels, while drawing
    mutable QHash<QString, QStaticText> laidOut_;
    int ascent_ = 0;  // of the font, as the layout found it
    Picture painted_;
    int hoverX_ = -1;
    int dragX_ = -1;
    int64_t dragEndMs_ = 0;
};
