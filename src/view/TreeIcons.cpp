#include "view/TreeIcons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace {
// Each icon is drawn on a 16 x 16 design grid and rendered at every device scale.
void Draw(QPainter& p, int index) {
    p.setRenderHint(QPainter::Antialiasing);
    switch (index) {
        case TreeImage::Asio: {  // a waveform in a rounded frame
            p.setPen(QPen(QColor(40, 80, 160), 1.2));
            p.setBrush(QColor(220, 232, 250));
            p.drawRoundedRect(QRectF(1.5, 2.5, 13, 11), 2, 2);
            QPainterPath wave;
            wave.moveTo(3, 8);
            wave.cubicTo(4.5, 3, 6, 3, 7.5, 8);
            wave.cubicTo(9, 13, 10.5, 13, 12.5, 8);
            p.setBrush(Qt::NoBrush);
            p.setPen(QPen(QColor(200, 40, 40), 1.4));
            p.drawPath(wave);
            break;
        }
        case TreeImage::Devices: {  // an audio interface: box with two knobs and a port
            p.setPen(QPen(QColor(60, 60, 60), 1.1));
            p.setBrush(QColor(190, 190, 200));
            p.drawRoundedRect(QRectF(1.5, 4.5, 13, 7), 1.5, 1.5);
            p.setBrush(QColor(50, 50, 60));
            p.drawEllipse(QPointF(4.5, 8), 1.5, 1.5);
            p.drawEllipse(QPointF(8.5, 8), 1.5, 1.5);
            p.setBrush(QColor(240, 170, 30));
            p.drawRect(QRectF(11, 7, 2, 2));
            break;
        }
        case TreeImage::General: {  // an information sign
            p.setPen(Qt::NoPen);
            p.setBrush(QColor(30, 110, 200));
            p.drawEllipse(QRectF(1, 1, 14, 14));
            p.setBrush(Qt::white);
            p.drawEllipse(QPointF(8, 4.6), 1.3, 1.3);
            p.drawRoundedRect(QRectF(6.9, 6.8, 2.2, 6), 0.8, 0.8);
            break;
        }
        case TreeImage::Channels: {  // level meters
            p.setPen(Qt::NoPen);
            const double heights[] = {6, 10, 8, 12};
            for (int i = 0; i < 4; ++i) {
                p.setBrush(i % 2 ? QColor(30, 150, 60) : QColor(60, 180, 90));
                p.drawRect(QRectF(2 + i * 3.2, 14 - heights[i], 2.4, heights[i]));
            }
            break;
        }
        default: {  // streams: packets flowing along a line
            p.setPen(QPen(QColor(90, 90, 90), 1));
            p.drawLine(QPointF(1, 11.5), QPointF(15, 11.5));
            p.setPen(Qt::NoPen);
            p.setBrush(QColor(230, 120, 20));
            for (int i = 0; i < 3; ++i) p.drawRect(QRectF(1.5 + i * 4.8, 5, 3.6, 5));
            break;
        }
    }
}
}  // namespace

QIcon TreeIcons::Icon(int index) {
    QIcon icon;
    for (int scale = 1; scale <= 3; ++scale) {
        QPixmap pixmap(16 * scale, 16 * scale);
        pixmap.fill(Qt::transparent);
        QPainter p(&pixmap);
        p.scale(scale, scale);
        Draw(p, index);
        p.end();
        pixmap.setDevicePixelRatio(scale);
        icon.addPixmap(pixmap);
    }
    return icon;
}
