#include "plots/CHistoryWindow.h"

#include <QChart>
#include <QChartView>
#include <QEvent>
#include <QLegend>
#include <QLegendMarker>
#include <QLineSeries>
#include <QPen>
#include <QScatterSeries>
#include <QValueAxis>
#include <QVBoxLayout>
#include <algorithm>
#include <optional>

#include "base/Colours.h"
#include "controls/QtColour.h"
#include "history/HistorySampler.h"
#include "res/StringTable.h"

namespace {
constexpr double MsPerMinute = 60.0 * 1000.0;
constexpr int TimeTicks = 11;  // a grid line a minute
}  // namespace

CHistoryWindow::CHistoryWindow(const HistorySampler& sampler, int slot, const QString& title, QWidget* parent)
    : QWidget(parent, Qt::Window), sampler_(sampler), slot_(slot) {
    setObjectName("historyWindow");
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(title);
    resize(640, 400);

    auto* chart = new QChart;
    chart->legend()->setAlignment(Qt::AlignBottom);
    chart->setMargins(QMargins(4, 4, 4, 4));
    view_ = new QChartView(chart, this);
    view_->setObjectName("historyChart");
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(view_);

    timeAxis_ = new QValueAxis;
    timeAxis_->setObjectName("timeAxis");
    timeAxis_->setRange(-static_cast<double>(SpanMs) / MsPerMinute, 0);
    timeAxis_->setTickCount(TimeTicks);
    timeAxis_->setLabelFormat("%.0f");
    timeAxis_->setTitleText(QString::fromLatin1(Str::HistoryMinutes));
    chart->addAxis(timeAxis_, Qt::AlignBottom);

    valueAxis_ = new QValueAxis;
    valueAxis_->setObjectName("valueAxis");
    valueAxis_->setLabelFormat("%.0f");
    QString valueTitle = QString::fromLatin1(Str::HistoryValue);
    if (sampler.Watching(slot)) {
        if (const char* unit = CounterUnit(sampler.Counter(slot))) valueTitle += " (" + QString::fromLatin1(unit) + ")";
    }
    valueAxis_->setTitleText(valueTitle);
    valueAxis_->setLinePenColor(ToQColor(Colours::HistoryValue));
    chart->addAxis(valueAxis_, Qt::AlignLeft);

    rateAxis_ = new QValueAxis;
    rateAxis_->setObjectName("rateAxis");
    rateAxis_->setLabelFormat("%.6g");
    rateAxis_->setTitleText(QString::fromLatin1(Str::HistoryRate));
    rateAxis_->setLinePenColor(ToQColor(Colours::HistoryRate));
    rateAxis_->setGridLineVisible(false);
    chart->addAxis(rateAxis_, Qt::AlignRight);

    MakeLine(value_, Str::HistoryValue, Colours::HistoryValue, valueAxis_);
    MakeLine(rate_, Str::HistoryRate, Colours::HistoryRate, rateAxis_);

    clearMarks_ = new QScatterSeries;
    clearMarks_->setObjectName("clearMarks");
    clearMarks_->setName(QString::fromLatin1(Str::HistoryCleared));
    clearMarks_->setMarkerShape(QScatterSeries::MarkerShapeTriangle);
    clearMarks_->setMarkerSize(11);
    clearMarks_->setColor(ToQColor(Colours::HistoryCleared));
    clearMarks_->setBorderColor(ToQColor(Colours::HistoryCleared));
    chart->addSeries(clearMarks_);
    clearMarks_->attachAxis(timeAxis_);
    clearMarks_->attachAxis(valueAxis_);
    SetRange(valueAxis_, {}, false);
    SetRange(rateAxis_, {}, true);
}

void CHistoryWindow::MakeLine(Line& line, const char* name, uint32_t colour, QValueAxis* axis) {
    QChart* chart = view_->chart();
    QPen pen(ToQColor(colour));
    pen.setWidth(1);
    pen.setCosmetic(true);
    for (int i = 0; i < PieceCapacity; ++i) {
        auto* series = new QLineSeries;
        series->setObjectName(QString::fromLatin1(name) + QString::number(i));
        series->setName(QString::fromLatin1(name));
        series->setPen(pen);
        chart->addSeries(series);
        series->attachAxis(timeAxis_);
        series->attachAxis(axis);
        // One entry in the legend per line, not per piece.
        if (i > 0)
            for (QLegendMarker* marker : chart->legend()->markers(series)) marker->setVisible(false);
        line.pieces[size_t(i)] = series;
    }
}

void CHistoryWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    Replot();
}

void CHistoryWindow::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    // Ticks pass a minimised window by; it catches up when restored.
    if (event->type() == QEvent::WindowStateChange) Replot();
}

void CHistoryWindow::Range::Take(double y) {
    low = any ? std::min(low, y) : y;
    high = any ? std::max(high, y) : y;
    any = true;
}

void CHistoryWindow::Replot() {
    if (!isVisible() || isMinimized() || !sampler_.Watching(slot_)) return;
    const CounterHistory& history = sampler_.History(slot_);
    nowMs_ = sampler_.NowMs();
    flip_ ^= 1;
    size_t first = 0;
    while (first < history.Size() && history.At(first).timeMs < nowMs_ - SpanMs) ++first;

    const Range values = DrawLine(value_, history, first, [&history](size_t i) -> std::optional<double> {
        const HistorySample& s = history.At(i);
        if (s.kind != SampleKind::Value) return std::nullopt;
        return static_cast<double>(s.value);
    });
    const Range rates = DrawLine(rate_, history, first, [&history](size_t i) { return history.RatePerSecond(i); });
    SetRange(valueAxis_, values, false);
    SetRange(rateAxis_, rates, true);
    DrawClearMarks(history, first, valueAxis_->min());
}

template <typename PointAt>
CHistoryWindow::Range CHistoryWindow::DrawLine(Line& line, const CounterHistory& history, size_t first,
                                               PointAt pointAt) {
    int pieces = 0;
    int count = 0;
    bool inPiece = false;
    for (size_t i = first; i < history.Size(); ++i) {
        const bool has = pointAt(i).has_value();
        if (has && !inPiece) ++pieces;
        count += has ? 1 : 0;
        inPiece = has;
    }
    for (auto& points : line.points) points[size_t(flip_)].clear();

    // More points than the plot has pixels cost time and show nothing more: then each bucket
    // of two pixels' time keeps its lowest and highest point, so that peaks stay.
    const int buckets = std::max(1, static_cast<int>(view_->chart()->plotArea().width()) / 2);
    const bool thin = count > 2 * buckets;
    const int64_t bucketMs = std::max<int64_t>(1, SpanMs / buckets);
    struct Pending {
        int64_t bucket = -1;
        QPointF low, high;
    } pending;
    QList<QPointF>* into = nullptr;
    auto flush = [&] {
        if (pending.bucket < 0 || into == nullptr) return;
        const bool lowFirst = pending.low.x() <= pending.high.x();
        into->append(lowFirst ? pending.low : pending.high);
        if (pending.low != pending.high) into->append(lowFirst ? pending.high : pending.low);
        pending.bucket = -1;
    };

    Range range;
    int piece = std::min(pieces, PieceCapacity) - pieces - 1;  // the oldest pieces fall below 0
    inPiece = false;
    for (size_t i = first; i < history.Size(); ++i) {
        const std::optional<double> y = pointAt(i);
        if (y && !inPiece) {
            flush();
            ++piece;
        }
        inPiece = y.has_value();
        if (!y || piece < 0) continue;
        const int64_t age = history.At(i).timeMs - nowMs_;
        const QPointF point(static_cast<double>(age) / MsPerMinute, *y);
        range.Take(*y);
        into = &line.points[size_t(piece)][size_t(flip_)];
        if (!thin) {
            into->append(point);
            continue;
        }
        const int64_t bucket = (age + SpanMs) / bucketMs;
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
    for (size_t p = 0; p < line.pieces.size(); ++p) {
        const QList<QPointF>& points = line.points[p][size_t(flip_)];
        // An empty piece stays as it is: no redraw for nothing.
        if (points.isEmpty() && !line.drawn[p]) continue;
        line.pieces[p]->replace(points);
        line.drawn[p] = !points.isEmpty();
    }
    return range;
}

void CHistoryWindow::DrawClearMarks(const CounterHistory& history, size_t first, double y) {
    QList<QPointF>& points = clearPoints_[size_t(flip_)];
    points.clear();
    for (size_t i = first; i < history.Size(); ++i)
        if (history.At(i).kind == SampleKind::Cleared)
            points.append(QPointF(static_cast<double>(history.At(i).timeMs - nowMs_) / MsPerMinute, y));
    if (points.isEmpty() && clearMarks_->count() == 0) return;
    clearMarks_->replace(points);
}

void CHistoryWindow::SetRange(QValueAxis* axis, Range range, bool withZero) {
    if (!range.any) range = {true, 0, 1};
    if (withZero) {
        range.low = std::min(range.low, 0.0);
        range.high = std::max(range.high, 0.0);
    }
    if (range.high - range.low < 1) {
        range.high += 0.5;
        range.low -= 0.5;
    }
    // An axis that holds the line and is not much wider stays as it is: a new range costs a
    // new layout of the chart, and a counter that grows would need one on every tick.
    const double shownSpan = axis->max() - axis->min();
    if (range.low >= axis->min() && range.high <= axis->max() && range.high - range.low >= shownSpan / 3) return;
    const double pad = (range.high - range.low) * 0.05;
    // Counts stay above zero on the axis as well.
    const double low = range.low >= 0 ? std::max(0.0, range.low - pad) : range.low - pad;
    axis->setRange(low, range.high + pad);
    axis->applyNiceNumbers();
}
