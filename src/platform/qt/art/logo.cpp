// The station's logo: a control loop symbol turning beside a trend that settles on its
// setpoint, on a blue badge. No text: the badge stands for the station, not a maker.

#include <QLinearGradient>
#include <QPainterPath>
#include <QRadialGradient>
#include <cmath>
#include <numbers>

#include "platform/qt/art/kit.h"
#include "platform/qt/art/pictures.h"

namespace art {

namespace {

constexpr QSize kLogoSize{65, 27};
constexpr int kLogoFrames = 18;

// A step response: from the bottom of the trend to the setpoint, overshooting once or twice.
double Response(double t) { return 1.0 - std::exp(-3.2 * t) * std::cos(9.0 * t); }

void Badge(QPainter& p) {
    QLinearGradient g(0, 0, 0, kLogoSize.height());
    g.setColorAt(0.0, QColor(40, 84, 170));
    g.setColorAt(0.5, QColor(12, 40, 120));
    g.setColorAt(1.0, QColor(6, 22, 80));
    p.setPen(QPen(QColor(4, 14, 50), 1.0));
    p.setBrush(g);
    p.drawRoundedRect(QRectF(0.5, 0.5, 64, 26), 4, 4);
    // Sheen on the upper half.
    QLinearGradient sheen(0, 1, 0, 13);
    sheen.setColorAt(0.0, QColor(255, 255, 255, 90));
    sheen.setColorAt(1.0, QColor(255, 255, 255, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(sheen);
    p.drawRoundedRect(QRectF(1.5, 1.5, 62, 12), 3, 3);
}

void LoopSymbol(QPainter& p, int frame) {
    const QPointF c(13.5, 13.5);
    const double angle = 360.0 * frame / kLogoFrames;
    // The loop: a ring broken by an arrow head, turning once per cycle.
    p.save();
    p.translate(c);
    p.rotate(angle);
    p.setPen(QPen(QColor(255, 214, 80), 2.2, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    const QRectF ring(-8, -8, 16, 16);
    p.drawArc(ring, 30 * 16, 280 * 16);
    const double a = 30.0 * std::numbers::pi / 180.0;
    const QPointF tip(8 * std::cos(a), -8 * std::sin(a));
    QPainterPath head;
    head.moveTo(tip + QPointF(-3.6, -2.6));
    head.lineTo(tip + QPointF(3.2, -1.2));
    head.lineTo(tip + QPointF(-0.6, 4.6));
    head.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 214, 80));
    p.drawPath(head);
    p.restore();
    // The controlled object in the middle: a steady dot.
    QRadialGradient dot(c - QPointF(0.8, 0.8), 3.5);
    dot.setColorAt(0.0, Qt::white);
    dot.setColorAt(1.0, QColor(120, 200, 255));
    p.setPen(Qt::NoPen);
    p.setBrush(dot);
    p.drawEllipse(c, 2.8, 2.8);
}

void Trend(QPainter& p, int frame) {
    const QRectF area(27.5, 4.5, 33, 18);
    p.setPen(QPen(QColor(4, 14, 50), 1.0));
    p.setBrush(QColor(4, 18, 44));
    p.drawRoundedRect(area, 1.5, 1.5);
    p.setPen(QPen(QColor(60, 90, 140), 0.6));
    for (int i = 1; i < 4; ++i) p.drawLine(QPointF(area.left() + i * 8.25, area.top() + 1), QPointF(area.left() + i * 8.25, area.bottom() - 1));
    const double top = area.top() + 5, bottom = area.bottom() - 2;
    p.setPen(QPen(QColor(255, 190, 60), 0.8, Qt::DashLine));
    p.drawLine(QPointF(area.left() + 1, top), QPointF(area.right() - 1, top));

    // The pen sweeps across once per cycle, leaving the response behind it.
    const double sweep = (frame + 1.0) / kLogoFrames;
    QPainterPath trace;
    QPointF pen;
    const int steps = 40;
    for (int i = 0; i <= steps; ++i) {
        const double t = sweep * i / steps;
        pen = QPointF(area.left() + 1.5 + t * (area.width() - 3), bottom - Response(t) * (bottom - top));
        if (i == 0)
            trace.moveTo(pen);
        else
            trace.lineTo(pen);
    }
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(90, 255, 140), 1.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(trace);
    QRadialGradient glow(pen, 3.5);
    glow.setColorAt(0.0, QColor(220, 255, 230, 230));
    glow.setColorAt(1.0, QColor(90, 255, 140, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(glow);
    p.drawEllipse(pen, 3.5, 3.5);
}

}  // namespace

Frames DrawLogo(QSize size) {
    return kit::Frameset(size, kLogoSize, kLogoFrames, 110, [](QPainter& p, int frame) {
        p.setRenderHint(QPainter::Antialiasing);
        Badge(p);
        LoopSymbol(p, frame);
        Trend(p, frame);
    });
}

}  // namespace art
