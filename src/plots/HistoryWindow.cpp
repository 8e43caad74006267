#include "plots/HistoryWindow.h"

#include <QDateTime>
#include <QEvent>
#include <QVBoxLayout>
#include <algorithm>

#include "history/EventMarks.h"
#include "history/HistorySampler.h"

HistoryWindow::HistoryWindow(const HistorySampler& sampler, const EventMarks& marks, int slot, const QString& title,
                               QWidget* parent, WallClockMs wallClock)
    : QWidget(parent, Qt::Window), sampler_(sampler), marks_(marks), slot_(slot), wallClock_(std::move(wallClock)) {
    setObjectName("historyWindow");
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(title);
    resize(640, 400);
    if (!wallClock_) wallClock_ = [] { return QDateTime::currentMSecsSinceEpoch(); };
    chart_ = new HistoryChart(sampler.Watching(slot) ? CounterUnit(sampler.Counter(slot)) : nullptr, this);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(chart_);
    connect(chart_, &HistoryChart::viewChanged, this, &HistoryWindow::Replot);
}

void HistoryWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    Replot();
}

void HistoryWindow::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    // Ticks pass a minimised window by; it catches up when restored.
    if (event->type() == QEvent::WindowStateChange) Replot();
}

void HistoryWindow::Replot() {
    if (!isVisible() || isMinimized() || !sampler_.Watching(slot_)) return;
    const CounterHistory& history = sampler_.History(slot_);
    const int64_t now = sampler_.NowMs();
    // The cycle's clock runs on its own: clock time is the wall clock's now, back from there.
    const int64_t utcOffsetMs = static_cast<int64_t>(QDateTime::currentDateTime().offsetFromUtc()) * 1000;
    chart_->SetClock(now, wallClock_() - now + utcOffsetMs);
    const int64_t start = chart_->ViewStartMs();
    const int64_t end = chart_->ViewEndMs();
    size_t first = 0;
    while (first < history.Size() && history.At(first).timeMs < start) ++first;
    size_t last = first;
    while (last < history.Size() && history.At(last).timeMs <= end) ++last;

    FillLine(chart_->ValueLine(), history, first, last, [&history](size_t i) -> std::optional<double> {
        const HistorySample& s = history.At(i);
        if (s.kind != SampleKind::Value) return std::nullopt;
        return static_cast<double>(s.value);
    });
    FillLine(chart_->RateLine(), history, first, last, [&history](size_t i) { return history.RatePerSecond(i); });
    FillMarks(start, end);
    chart_->DataChanged();
}

template <typename PointAt>
void HistoryWindow::FillLine(HistoryChart::Line& line, const CounterHistory& history, size_t first, size_t end,
                              PointAt pointAt) {
    int pieces = 0;
    int count = 0;
    bool inPiece = false;
    for (size_t i = first; i < end; ++i) {
        const bool has = pointAt(i).has_value();
        if (has && !inPiece) ++pieces;
        count += has ? 1 : 0;
        inPiece = has;
    }
    line.Clear();

    // More points than the plot has pixels cost time and show nothing more: then each bucket
    // of two pixels' time keeps its lowest and highest point, so that peaks stay.
    const int buckets = std::max(1, chart_->PlotRect().width() / 2);
    const bool thin = count > 2 * buckets;
    const int64_t start = chart_->ViewStartMs();
    const int64_t bucketMs = std::max<int64_t>(1, (chart_->ViewEndMs() - start) / buckets);
    struct Pending {
        int64_t bucket = -1;
        QPointF low, high;
    } pending;
    std::vector<QPointF>* into = nullptr;
    auto flush = [&] {
        if (pending.bucket < 0 || into == nullptr) return;
        const bool lowFirst = pending.low.x() <= pending.high.x();
        into->push_back(lowFirst ? pending.low : pending.high);
        if (pending.low != pending.high) into->push_back(lowFirst ? pending.high : pending.low);
        pending.bucket = -1;
    };

    int piece = std::min(pieces, PieceCapacity) - pieces - 1;  // the oldest pieces fall below 0
    inPiece = false;
    for (size_t i = first; i < end; ++i) {
        const std::optional<double> y = pointAt(i);
        if (y && !inPiece) {
            flush();
            ++piece;
        }
        inPiece = y.has_value();
        if (!y || piece < 0) continue;
        const int64_t time = history.At(i).timeMs;
        const QPointF point(static_cast<double>(time), *y);
        into = &line.pieces[size_t(piece)];
        line.used = piece + 1;
        if (!thin) {
            into->push_back(point);
            continue;
        }
        const int64_t bucket = (time - start) / bucketMs;
        if (bucket != pending.bucket) {
            flush();
            pending = {bucket, point, point};
        } else if (point.y() < pending.low.y()) {
            pending.low = point;
        } else if (point.y() > pending.high.y()) {
            pending.high = point;
        }
    }
    flush();
}

void HistoryWindow::FillMarks(int64_t startMs, int64_t endMs) {
    std::vector<EventMark>& marks = chart_->Marks();
    marks.clear();
    for (size_t i = 0; i < marks_.Size(); ++i) {
        const EventMark& m = marks_.At(i);
        if (m.monotonicMs >= startMs && m.monotonicMs <= endMs) marks.push_back(m);
    }
}
