#include "plots/HistoryChart.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QVarLengthArray>
#include <QWheelEvent>
#include <QtMath>
#include <algorithm>
#include <cmath>

#include "base/Colours.h"
#include "controls/QtColour.h"
#include "res/StringTable.h"

namespace {
constexpr int Gap = 6;
constexpr int ErrorTick = 9;  // how far a rise of an error counter reaches into the plot
constexpr int MarkReach = 4;  // pixels beside the pointer whose marks the readout tells
constexpr double ZoomPerNotch = 0.8;

struct MarkStyle {
    MarkKind kind;
    Colour colour;
    Qt::PenStyle pen;
    const char* name;
};
constexpr std::array<MarkStyle, 4> MarkStyles{{
    {MarkKind::DriverLost, Colours::HistoryDriverLost, Qt::DashLine, Str::HistoryDriverLost},
    {MarkKind::Device, Colours::HistoryDevice, Qt::DotLine, Str::HistoryDevice},
    {MarkKind::Cleared, Colours::HistoryCleared, Qt::SolidLine, Str::HistoryCleared},
    {MarkKind::ErrorRose, Colours::Highlight, Qt::SolidLine, Str::HistoryErrorRose},
}};
static_assert(MarkStyles[size_t(MarkKind::ErrorRose)].kind == MarkKind::ErrorRose);

QString Text(double value, int decimals) { return QString::fromStdString(PlotScale::ValueText(value, decimals)); }

// Rates are whole numbers at steady counts; a slow counter shows its fraction.
QString RateText(double rate) { return Text(rate, std::fabs(rate) < 100 && rate != std::floor(rate) ? 2 : 0); }
}  // namespace

void HistoryChart::Line::Clear() {
    for (int i = 0; i < used; ++i) pieces[size_t(i)].clear();
    used = 0;
}

HistoryChart::HistoryChart(const char* unit, QWidget* parent)
    : QWidget(parent), unit_(unit ? QString::fromLatin1(unit).trimmed() : QString()) {
    setObjectName("historyChart");
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    valueTitle_ = QString::fromLatin1(Str::HistoryValue);
    if (!unit_.isEmpty()) valueTitle_ += " (" + unit_ + ")";
    for (auto& piece : value_.pieces) piece.reserve(64);
    Layout();
}

void HistoryChart::SetClock(int64_t nowMs, int64_t localOffsetMs) {
    nowMs_ = nowMs;
    localOffsetMs_ = localOffsetMs;
    // The oldest samples leave the ring: a view moved back goes along with them.
    if (!follow_) SetView(endMs_, spanMs_);
}

void HistoryChart::SetView(int64_t endMs, int64_t spanMs) {
    spanMs_ = std::clamp<int64_t>(spanMs, MinSpanMs, SpanMs);
    endMs = std::clamp<int64_t>(endMs, nowMs_ - SpanMs + spanMs_, nowMs_);
    follow_ = endMs >= nowMs_;
    endMs_ = endMs;
}

void HistoryChart::DataChanged() {
    Layout();
    if (!(Pictured() == painted_)) update();
}

HistoryChart::Picture HistoryChart::Pictured() const {
    Picture p;
    p.plot = plot_;
    p.viewStartPixel = static_cast<int64_t>(
        std::floor(static_cast<double>(ViewStartMs()) * (plot_.width() - 1) / static_cast<double>(spanMs_)));
    p.axes = {valueAxis_.ticks.low, valueAxis_.ticks.step, rateAxis_.ticks.low, rateAxis_.ticks.step};
    p.axisTicks = valueAxis_.ticks.count * 1000 + rateAxis_.ticks.count;
    p.pieces = {value_.used, rate_.used};
    p.marks = marks_.size();
    if (!marks_.empty()) {
        p.lastMarkMs = marks_.back().monotonicMs;
        p.lastMarkCount = marks_.back().count;
    }
    p.legendRows = legendRows_;
    return p;
}

QStringList HistoryChart::TimeLabels() const {
    QStringList labels;
    for (const Label& l : timeLabels_) labels << l.text;
    return labels;
}

void HistoryChart::Layout() {
    const QFontMetrics fm = fontMetrics();
    ascent_ = fm.ascent();
    const int line = fm.height();
    const int top = line + Gap;
    const int bottom = (1 + PlaceLegend()) * line + 2 * Gap;
    const int plotHeight = std::max(1, height() - top - bottom);
    const int maxTicks = std::max(2, plotHeight / (2 * line) + 1);

    auto fit = [maxTicks](const Line& l, bool withZero) {
        bool any = false;
        double low = 0, high = 0;
        for (int i = 0; i < l.used; ++i)
            for (const QPointF& p : l.pieces[size_t(i)]) {
                low = any ? std::min(low, p.y()) : p.y();
                high = any ? std::max(high, p.y()) : p.y();
                any = true;
            }
        if (!any) high = 1;
        if (withZero) {
            low = std::min(low, 0.0);
            high = std::max(high, 0.0);
        }
        // A little room above and below, so that a line at its extreme is not on the frame;
        // counts stay above zero.
        const double pad = (high - low) * 0.03;
        return Axis{PlotScale::Values(low >= 0 ? std::max(0.0, low - pad) : low - pad, high + pad, maxTicks)};
    };
    valueAxis_ = fit(value_, false);
    rateAxis_ = fit(rate_, true);

    auto labels = [this](const Axis& axis, std::vector<Label>& out) {
        out.clear();
        int widest = 0;
        for (int i = 0; i < axis.ticks.count; ++i) {
            out.push_back({0, Text(axis.ticks.low + i * axis.ticks.step, axis.ticks.decimals)});
            widest = std::max(widest, TextWidth(out.back().text));
        }
        return widest;
    };
    const int left = labels(valueAxis_, valueLabels_) + 2 * Gap;
    const int right = labels(rateAxis_, rateLabels_) + 2 * Gap;
    plot_ = QRect(left, top, std::max(1, width() - left - right), plotHeight);
    for (int i = 0; i < valueAxis_.ticks.count; ++i)
        valueLabels_[size_t(i)].at = Y(valueAxis_, valueAxis_.ticks.low + i * valueAxis_.ticks.step);
    for (int i = 0; i < rateAxis_.ticks.count; ++i)
        rateLabels_[size_t(i)].at = Y(rateAxis_, rateAxis_.ticks.low + i * rateAxis_.ticks.step);

    // Clock times as labels, far enough apart that none overlaps the next.
    const int labelWidth = TextWidth(QStringLiteral("00:00:00")) + 3 * Gap;
    const int64_t start = ViewStartMs() + localOffsetMs_;
    const TimeTicks times = PlotScale::Times(start, ViewEndMs() + localOffsetMs_, std::max(1, plot_.width() / labelWidth));
    timeLabels_.clear();
    for (int i = 0; i < times.count; ++i) {
        const int64_t local = times.first + i * times.stepMs;
        timeLabels_.push_back({X(static_cast<double>(local - localOffsetMs_)),
                               QString::fromLatin1(PlotScale::ClockText(local).data())});
    }
}

// The span's start on the plot's first column, its end (now) on the last.
double HistoryChart::X(double ms) const {
    return plot_.left() + (ms - static_cast<double>(ViewStartMs())) * (plot_.width() - 1) / static_cast<double>(spanMs_);
}

double HistoryChart::MsAt(double x) const {
    return static_cast<double>(ViewStartMs()) +
           (x - plot_.left()) * static_cast<double>(spanMs_) / std::max(1, plot_.width() - 1);
}

double HistoryChart::Y(const Axis& axis, double value) const {
    const double span = std::max(axis.High() - axis.ticks.low, 1e-12);
    return plot_.bottom() + 1 - (value - axis.ticks.low) * plot_.height() / span;
}

void HistoryChart::paintEvent(QPaintEvent* /*event*/) {
    painted_ = Pictured();
    QPainter p(this);
    p.fillRect(rect(), Qt::white);
    DrawGrid(p);
    p.save();
    p.setClipRect(plot_);
    DrawMarks(p);
    DrawLine(p, rate_, rateAxis_, Colours::HistoryRate);
    DrawLine(p, value_, valueAxis_, Colours::HistoryValue);
    p.restore();
    DrawLegend(p);
    DrawReadout(p);
}

void HistoryChart::DrawGrid(QPainter& p) const {
    const QFontMetrics fm = fontMetrics();
    p.setPen(ToQColor(Colours::HistoryGrid));
    QVarLengthArray<QLineF, 64> grid;
    for (const Label& l : valueLabels_) grid.append(QLineF(plot_.left(), l.at, plot_.right(), l.at));
    for (const Label& l : timeLabels_) grid.append(QLineF(l.at, plot_.top(), l.at, plot_.bottom()));
    p.drawLines(grid.data(), static_cast<int>(grid.size()));
    p.setPen(ToQColor(Colours::HistoryFrame));
    p.drawRect(plot_.adjusted(0, 0, -1, -1));

    const int half = fm.ascent() / 2 - 1;
    p.setPen(ToQColor(Colours::Black));
    for (const Label& l : valueLabels_)
        DrawText(p, QPointF(plot_.left() - Gap, l.at + half), l.text, Qt::AlignRight);
    for (const Label& l : rateLabels_) DrawText(p, QPointF(plot_.right() + Gap, l.at + half), l.text);
    const double timeBase = plot_.bottom() + Gap / 2 + fm.ascent();
    for (const Label& l : timeLabels_) DrawText(p, QPointF(l.at, timeBase), l.text, Qt::AlignHCenter);

    const double titleBase = plot_.top() - Gap + 1 - fm.descent();
    p.setPen(ToQColor(Colours::HistoryValue));
    DrawText(p, QPointF(Gap, titleBase), valueTitle_);
    const QString rate = QString::fromLatin1(Str::HistoryRate);
    p.setPen(ToQColor(Colours::HistoryRate));
    DrawText(p, QPointF(width() - Gap, titleBase), rate, Qt::AlignRight);
}

void HistoryChart::DrawMarks(QPainter& p) const {
    // One pen per kind of mark, all its lines at once.
    QVarLengthArray<QLineF, 256> lines;
    for (const MarkStyle& style : MarkStyles) {
        lines.clear();
        for (const EventMark& m : marks_) {
            if (m.kind != style.kind) continue;
            const double x = std::floor(X(static_cast<double>(m.monotonicMs))) + 0.5;
            const double bottom = m.kind == MarkKind::ErrorRose ? plot_.top() + ErrorTick : plot_.bottom();
            lines.append(QLineF(x, plot_.top(), x, bottom));
        }
        if (lines.isEmpty()) continue;
        QPen pen(ToQColor(style.colour));
        pen.setStyle(style.pen);
        p.setPen(pen);
        p.drawLines(lines.data(), static_cast<int>(lines.size()));
        if (style.kind != MarkKind::Cleared) continue;
        p.setBrush(ToQColor(style.colour));
        for (const QLineF& l : lines) {
            const double y = plot_.bottom() + 1;
            const QPointF triangle[3] = {{l.x1(), y - 8}, {l.x1() - 5, y}, {l.x1() + 5, y}};
            p.drawPolygon(triangle, 3);
        }
        p.setBrush(Qt::NoBrush);
    }
}

void HistoryChart::DrawLine(QPainter& p, const Line& line, const Axis& axis, uint32_t colour) {
    p.setPen(QPen(ToQColor(colour), 1));
    for (int i = 0; i < line.used; ++i) {
        const std::vector<QPointF>& piece = line.pieces[size_t(i)];
        scratch_.clear();
        for (const QPointF& s : piece) scratch_.emplace_back(X(s.x()), Y(axis, s.y()));
        if (scratch_.size() == 1)
            p.drawPoint(scratch_.front());
        else
            p.drawPolyline(scratch_.data(), static_cast<int>(scratch_.size()));
    }
}

int HistoryChart::PlaceLegend() {
    const QFontMetrics fm = fontMetrics();
    legend_.clear();
    legend_.push_back({Colours::HistoryValue, Qt::SolidLine, QString::fromLatin1(Str::HistoryValue), false, 0, 0});
    legend_.push_back({Colours::HistoryRate, Qt::SolidLine, QString::fromLatin1(Str::HistoryRate), false, 0, 0});
    // Only the kinds of mark that the span holds.
    for (const MarkStyle& style : MarkStyles)
        if (std::any_of(marks_.begin(), marks_.end(), [&](const EventMark& m) { return m.kind == style.kind; }))
            legend_.push_back({style.colour, style.pen, QString::fromLatin1(style.name), true, 0, 0});
    int x = Gap;
    int row = 0;
    for (LegendEntry& e : legend_) {
        const int w = (e.mark ? 12 : 22) + TextWidth(e.text);
        if (x > Gap && x + w > width() - Gap) {
            ++row;
            x = Gap;
        }
        e.x = x;
        e.row = row;
        x += w + 3 * Gap;
    }
    hintFits_ = x + TextWidth(QString::fromLatin1(Str::HistoryZoomHint)) <= width() - Gap;
    legendRows_ = row + 1;
    return legendRows_;
}

void HistoryChart::DrawLegend(QPainter& p) const {
    const QFontMetrics fm = fontMetrics();
    int base = 0;
    for (const LegendEntry& e : legend_) {
        base = height() - Gap - fm.descent() - (legendRows_ - 1 - e.row) * fm.height();
        const int middle = base - fm.ascent() / 2 + 1;
        QPen pen(ToQColor(e.colour), 2);
        pen.setStyle(e.mark ? Qt::SolidLine : e.style);
        p.setPen(pen);
        if (e.mark)
            p.drawLine(e.x + 4, middle - fm.ascent() / 2, e.x + 4, middle + fm.ascent() / 2);
        else
            p.drawLine(e.x, middle, e.x + 16, middle);
        p.setPen(ToQColor(Colours::Black));
        DrawText(p, QPointF(e.x + (e.mark ? 12 : 22), base), e.text);
    }
    if (hintFits_) {
        const QString hint = QString::fromLatin1(Str::HistoryZoomHint);
        p.setPen(ToQColor(Colours::HistoryFrame));
        DrawText(p, QPointF(width() - Gap, base), hint, Qt::AlignRight);
    }
}

const QStaticText& HistoryChart::LaidOut(const QString& text) const {
    // Labels come and go as the view moves; the few of one view fit many times over.
    if (laidOut_.size() > 256) laidOut_.clear();
    auto it = laidOut_.find(text);
    if (it == laidOut_.end()) {
        QStaticText laid(text);
        laid.setTextFormat(Qt::PlainText);
        laid.setPerformanceHint(QStaticText::AggressiveCaching);
        laid.prepare(QTransform(), font());
        it = laidOut_.insert(text, laid);
    }
    return *it;
}

int HistoryChart::TextWidth(const QString& text) const { return qCeil(LaidOut(text).size().width()); }

void HistoryChart::DrawText(QPainter& p, QPointF anchor, const QString& text, Qt::Alignment align) const {
    const QStaticText& laid = LaidOut(text);
    double x = anchor.x();
    if (align & Qt::AlignRight) x -= laid.size().width();
    if (align & Qt::AlignHCenter) x -= laid.size().width() / 2.0;
    p.drawStaticText(QPointF(x, anchor.y() - ascent_), laid);
}

const QPointF* HistoryChart::NearestValue() const {
    if (hoverX_ < plot_.left() || hoverX_ > plot_.right()) return nullptr;
    const double ms = MsAt(hoverX_);
    const QPointF* nearest = nullptr;
    for (int i = 0; i < value_.used; ++i)
        for (const QPointF& s : value_.pieces[size_t(i)])
            if (!nearest || std::fabs(s.x() - ms) < std::fabs(nearest->x() - ms)) nearest = &s;
    return nearest;
}

QStringList HistoryChart::Readout() const {
    QStringList lines;
    if (hoverX_ < plot_.left() || hoverX_ > plot_.right()) return lines;
    const QPointF* value = NearestValue();
    const double ms = value ? value->x() : MsAt(hoverX_);
    QString first = QString::fromLatin1(PlotScale::ClockText(static_cast<int64_t>(ms) + localOffsetMs_).data());
    if (value) {
        first += "   " + QString::fromLatin1(Str::HistoryValue) + ": " + Text(value->y(), 0);
        if (!unit_.isEmpty()) first += " " + unit_;
        for (int i = 0; i < rate_.used; ++i)
            for (const QPointF& r : rate_.pieces[size_t(i)])
                if (r.x() == value->x()) first += "   " + QString::fromLatin1(Str::HistoryRate) + ": " + RateText(r.y());
    }
    lines << first;
    for (const EventMark& m : marks_) {
        if (std::fabs(X(static_cast<double>(m.monotonicMs)) - hoverX_) > MarkReach) continue;
        QString text = QString::fromLatin1(m.Text().data(), static_cast<qsizetype>(m.Text().size()));
        if (m.count > 1) text = QString::fromLatin1(Str::HistoryMoreFormat).arg(text).arg(m.count - 1);
        lines << QString::fromLatin1(PlotScale::ClockText(m.monotonicMs + localOffsetMs_).data()) + "  " + text;
        if (lines.size() > 6) break;
    }
    return lines;
}

void HistoryChart::DrawReadout(QPainter& p) const {
    const QStringList lines = Readout();
    if (lines.isEmpty()) return;
    const QPointF* value = NearestValue();
    const double x = value ? X(value->x()) : hoverX_;
    p.setPen(QPen(ToQColor(Colours::HistoryFrame), 1, Qt::DashLine));
    p.drawLine(QPointF(x, plot_.top()), QPointF(x, plot_.bottom()));
    if (value) {
        p.setPen(ToQColor(Colours::HistoryValue));
        p.setBrush(ToQColor(Colours::HistoryValue));
        p.drawEllipse(QPointF(x, Y(valueAxis_, value->y())), 3, 3);
    }
    const QFontMetrics fm = fontMetrics();
    int w = 0;
    for (const QString& l : lines) w = std::max(w, fm.horizontalAdvance(l));
    QRect box(0, plot_.top() + Gap, w + 2 * Gap, static_cast<int>(lines.size()) * fm.height() + Gap);
    // Beside the pointer, on the side with room.
    box.moveLeft(x + Gap + box.width() <= plot_.right() ? int(x) + Gap : std::max(plot_.left(), int(x) - Gap - box.width()));
    p.setPen(ToQColor(Colours::HistoryFrame));
    p.setBrush(ToQColor(Colours::HistoryReadout));
    p.drawRect(box);
    p.setPen(ToQColor(Colours::Black));
    for (int i = 0; i < lines.size(); ++i)
        p.drawText(box.left() + Gap, box.top() + Gap / 2 + fm.ascent() + i * fm.height(), lines[i]);
}

void HistoryChart::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() != QEvent::FontChange) return;
    laidOut_.clear();
    Layout();
}

void HistoryChart::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    Layout();
    emit viewChanged();  // the thinning follows the width
}

void HistoryChart::wheelEvent(QWheelEvent* event) {
    const double notches = event->angleDelta().y() / 120.0;
    if (notches == 0) return;
    const double x = std::clamp<double>(event->position().x(), plot_.left(), plot_.right());
    const double at = MsAt(x);
    const auto span = static_cast<int64_t>(std::llround(spanMs_ * std::pow(ZoomPerNotch, notches)));
    const double share = (x - plot_.left()) / std::max(1, plot_.width() - 1);
    const auto spanKept = std::clamp<int64_t>(span, MinSpanMs, SpanMs);
    // The time under the pointer stays under it.
    SetView(static_cast<int64_t>(std::llround(at + (1 - share) * static_cast<double>(spanKept))), spanKept);
    event->accept();
    emit viewChanged();
}

void HistoryChart::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return QWidget::mousePressEvent(event);
    dragX_ = event->position().toPoint().x();
    dragEndMs_ = ViewEndMs();
    setCursor(Qt::ClosedHandCursor);
}

void HistoryChart::mouseMoveEvent(QMouseEvent* event) {
    hoverX_ = event->position().toPoint().x();
    if (dragX_ >= 0 && (event->buttons() & Qt::LeftButton)) {
        const double moved = (hoverX_ - dragX_) * static_cast<double>(spanMs_) / std::max(1, plot_.width() - 1);
        SetView(dragEndMs_ - static_cast<int64_t>(std::llround(moved)), spanMs_);
        emit viewChanged();
        return;
    }
    update();
}

void HistoryChart::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return QWidget::mouseReleaseEvent(event);
    dragX_ = -1;
    unsetCursor();
}

void HistoryChart::mouseDoubleClickEvent(QMouseEvent* /*event*/) {
    SetView(nowMs_, SpanMs);
    emit viewChanged();
}

void HistoryChart::leaveEvent(QEvent* event) {
    QWidget::leaveEvent(event);
    hoverX_ = -1;
    update();
}
