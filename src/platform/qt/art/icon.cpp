// The window icon: a small console, a trend on its screen and a green and a red lamp.

#include <QLinearGradient>
#include <QPainterPath>

#include "platform/qt/art/kit.h"
#include "platform/qt/art/pictures.h"

namespace art {

namespace {

// 32 x 32 and 16 x 16 are drawn each at their own pixels; other sizes scale the larger one.
void Console(QPainter& p, bool small) {
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF body = small ? QRectF(0.5, 0.5, 15, 15) : QRectF(1.5, 1.5, 29, 29);
    QLinearGradient face(body.topLeft(), body.bottomRight());
    face.setColorAt(0.0, QColor(236, 233, 226));
    face.setColorAt(1.0, QColor(170, 166, 158));
    p.setPen(QPen(QColor(60, 60, 60), 1.0));
    p.setBrush(face);
    p.drawRoundedRect(body, small ? 1.5 : 3, small ? 1.5 : 3);

    const QRectF screen = small ? QRectF(2.5, 2.5, 11, 7) : QRectF(5.5, 5.5, 21, 13);
    p.setPen(QPen(QColor(40, 40, 40), 1.0));
    p.setBrush(QColor(10, 34, 60));
    p.drawRect(screen);
    QPainterPath trend;
    const double l = screen.left() + 1, r = screen.right() - 1;
    const double top = screen.top() + (small ? 2.5 : 4), bottom = screen.bottom() - 1.5;
    trend.moveTo(l, bottom);
    trend.cubicTo(l + (r - l) * 0.25, bottom, l + (r - l) * 0.3, top - (small ? 1.5 : 3), l + (r - l) * 0.55, top);
    trend.lineTo(r, top);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(90, 255, 130), small ? 1.2 : 1.6, Qt::SolidLine, Qt::RoundCap));
    p.drawPath(trend);

    const double d = small ? 4.5 : 7;
    const double y = small ? 10.5 : 21;
    kit::Lamp(p, QRectF(small ? 2.5 : 6, y, d, d), kit::kGreenLens);
    kit::Lamp(p, QRectF(small ? 9 : 19, y, d, d), kit::kRedLens);
}

}  // namespace

Frames DrawWindowIcon(QSize size) {
    const bool small = size.width() <= 20 && size.height() <= 20;
    const QSize design = small ? QSize(16, 16) : QSize(32, 32);
    return kit::Still(size, design, [small](QPainter& p) { Console(p, small); });
}

QIcon WindowIcon() {
    QIcon icon;
    for (int s : {16, 32, 48}) icon.addPixmap(QPixmap::fromImage(DrawWindowIcon(QSize(s, s)).images.at(0)));
    return icon;
}

}  // namespace art
