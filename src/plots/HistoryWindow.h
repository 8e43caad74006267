#pragma once

#include <QWidget>
#include <cstdint>
#include <functional>
#include <optional>

#include "plots/HistoryChart.h"

class CounterHistory;
class EventMarks;
class HistorySampler;

// A window with one watched counter's value and its rate per second over the last ten
// minutes of clock time. A line breaks where its samples stop (a driver loss, n/a, a clear);
// marks show the driver's losses, devices coming and going, each Clear Statistics and each
// rise of an error counter.
class HistoryWindow : public QWidget {
    Q_OBJECT
public:
    static constexpr int64_t SpanMs = HistoryChart::SpanMs;
    static constexpr int PieceCapacity = HistoryChart::PieceCapacity;
    // Milliseconds since 1970, UTC.
    using WallClockMs = std::function<int64_t()>;

    HistoryWindow(const HistorySampler& sampler, const EventMarks& marks, int slot, const QString& title,
                   QWidget* parent = nullptr, WallClockMs wallClock = {});

    int Slot() const { return slot_; }
    // Draws the history as it is now; does nothing while the window is hidden or minimised.
    void Replot();
    const HistoryChart& Chart() const { return *chart_; }

protected:
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    template <typename PointAt>
    void FillLine(HistoryChart::Line& line, const CounterHistory& history, size_t first, size_t end, PointAt pointAt);
    void FillMarks(int64_t startMs, int64_t endMs);

    const HistorySampler& sampler_;
    const EventMarks& marks_;
    const int slot_;
    WallClockMs wallClock_;
    HistoryChart* chart_;
};
