#include "app/ToolbarImages.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <functional>

#include "res/ResourceIds.h"

namespace {
// Images are designed on the toolbar's 16 x 15 grid.
QIcon Render(const std::function<void(QPainter&)>& draw) {
    QIcon icon;
    for (int scale = 1; scale <= 3; ++scale) {
        QPixmap pixmap(16 * scale, 15 * scale);
        pixmap.fill(Qt::transparent);
        QPainter p(&pixmap);
        p.setRenderHint(QPainter::Antialiasing);
        p.scale(scale, scale);
        draw(p);
        p.end();
        pixmap.setDevicePixelRatio(scale);
        icon.addPixmap(pixmap);
    }
    return icon;
}
}  // namespace

QIcon ToolbarImages::StartStop(int bitmapId) {
    if (bitmapId == Res::IDB_STOPPED)
        return Render([](QPainter& p) {  // a play triangle: press to start reading
            p.setPen(Qt::NoPen);
            p.setBrush(QColor(200, 40, 40));
            QPainterPath path;
            path.moveTo(4, 2);
            path.lineTo(13, 7.5);
            path.lineTo(4, 13);
            path.closeSubpath();
            p.drawPath(path);
        });
    // Reading: two arrows turning; the two frames differ by a quarter turn.
    const double angle = bitmapId == Res::IDB_READING_2 ? 90 : 0;
    return Render([angle](QPainter& p) {
        p.translate(8, 7.5);
        p.rotate(angle);
        p.setPen(QPen(QColor(20, 130, 50), 2, Qt::SolidLine, Qt::RoundCap));
        p.setBrush(Qt::NoBrush);
        p.drawArc(QRectF(-5, -5, 10, 10), 30 * 16, 120 * 16);
        p.drawArc(QRectF(-5, -5, 10, 10), 210 * 16, 120 * 16);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(20, 130, 50));
        p.drawEllipse(QPointF(0, 0), 1.6, 1.6);
    });
}

QIcon ToolbarImages::TraceMask() {
    return Render([](QPainter& p) {  // a magnifier over lines of a trace
        p.setPen(QPen(QColor(90, 90, 90), 1));
        for (int i = 0; i < 3; ++i) p.drawLine(QPointF(1, 3.5 + 4 * i), QPointF(8, 3.5 + 4 * i));
        p.setPen(QPen(QColor(30, 80, 170), 1.6));
        p.drawEllipse(QPointF(10, 6.5), 3.5, 3.5);
        p.drawLine(QPointF(12.5, 9), QPointF(15, 13.5));
    });
}

QIcon ToolbarImages::ClearStatistics() {
    return Render([](QPainter& p) {  // a counter wiped to zero
        p.setPen(QPen(QColor(60, 60, 60), 1));
        p.setBrush(QColor(245, 245, 245));
        p.drawRect(QRectF(1.5, 2.5, 13, 10));
        p.setPen(QPen(QColor(200, 40, 40), 1.8));
        p.drawLine(QPointF(4, 5), QPointF(12, 10));
        p.drawLine(QPointF(12, 5), QPointF(4, 10));
    });
}

QIcon ToolbarImages::EventLog() {
    return Render([](QPainter& p) {  // a page of lines with a clock: what happened, and when
        p.setPen(QPen(QColor(60, 60, 60), 1));
        p.setBrush(QColor(245, 245, 245));
        p.drawRect(QRectF(1.5, 1.5, 10, 12));
        p.setPen(QPen(QColor(90, 90, 90), 1));
        for (int i = 0; i < 3; ++i) p.drawLine(QPointF(3.5, 4.5 + 3 * i), QPointF(9.5, 4.5 + 3 * i));
        p.setPen(QPen(QColor(200, 40, 40), 1.2));
        p.setBrush(QColor(255, 255, 255));
        p.drawEllipse(QPointF(11, 10.5), 3.8, 3.8);
        p.drawLine(QPointF(11, 10.5), QPointF(11, 8));
        p.drawLine(QPointF(11, 10.5), QPointF(12.8, 10.5));
    });
}
