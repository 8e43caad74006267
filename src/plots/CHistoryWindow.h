#pragma once

#include <QList>
#include <QPointF>
#include <QWidget>
#include <array>
#include <cstdint>

class QChartView;
class QLineSeries;
class QScatterSeries;
class QValueAxis;
class CounterHistory;
class HistorySampler;

// A window with one watched counter's value and its rate per second over the last ten
// minutes. A line breaks where its samples stop (a driver loss, n/a, a clear); a mark on
// the time axis shows each Clear Statistics.
class CHistoryWindow : public QWidget {
    Q_OBJECT
public:
    static constexpr int64_t SpanMs = 10 * 60 * 1000;
    // Pieces of one line drawn at most; beyond them the oldest are left out.
    static constexpr int PieceCapacity = 12;

    CHistoryWindow(const HistorySampler& sampler, int slot, const QString& title, QWidget* parent = nullptr);

    int Slot() const { return slot_; }
    // Draws the history as it is now; does nothing while the window is hidden or minimised.
    void Replot();

protected:
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    // The pieces of one line. Each piece fills one of two point lists in turn while the
    // series holds the other, so that the lists keep their room from tick to tick.
    struct Line {
        std::array<QLineSeries*, PieceCapacity> pieces{};
        std::array<std::array<QList<QPointF>, 2>, PieceCapacity> points;
        std::array<bool, PieceCapacity> drawn{};
    };
    struct Range {
        bool any = false;
        double low = 0;
        double high = 0;
        void Take(double y);
    };
    template <typename PointAt>
    Range DrawLine(Line& line, const CounterHistory& history, size_t first, PointAt pointAt);
    void DrawClearMarks(const CounterHistory& history, size_t first, double y);
    void MakeLine(Line& line, const char* name, uint32_t colour, QValueAxis* axis);
    static void SetRange(QValueAxis* axis, Range range, bool withZero);

    const HistorySampler& sampler_;
    const int slot_;
    QChartView* view_;
    QValueAxis* timeAxis_;
    QValueAxis* valueAxis_;
    QValueAxis* rateAxis_;
    Line value_;
    Line rate_;
    QScatterSeries* clearMarks_;
    std::array<QList<QPointF>, 2> clearPoints_;
    int flip_ = 0;
    int64_t nowMs_ = 0;
};
