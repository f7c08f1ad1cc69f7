// The invitation to write to the station's authors, with their address.

#include <QLinearGradient>
#include <QPainterPath>
#include <QPolygonF>

#include "platform/qt/art/kit.h"
#include "platform/qt/art/pictures.h"

namespace art {

namespace {

constexpr QSize kFeedbackSize{193, 78};
const char* const kAddress = vcl::kContactAddress;

void Envelope(QPainter& p, const QRectF& r) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    // Shadow, body with an airmail border, flap, stamp.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, 50));
    p.drawRoundedRect(r.translated(2, 2), 2, 2);
    p.setPen(QPen(QColor(110, 100, 80), 1.0));
    p.setBrush(QColor(252, 250, 240));
    p.drawRoundedRect(r, 2, 2);
    const QRectF in = r.adjusted(2.5, 2.5, -2.5, -2.5);
    QPen stripe(QColor(210, 30, 30), 2.0);
    stripe.setDashPattern({2.0, 2.0});
    p.setPen(stripe);
    p.setBrush(Qt::NoBrush);
    p.drawRect(in);
    stripe.setColor(QColor(30, 60, 190));
    stripe.setDashOffset(2.0);
    p.setPen(stripe);
    p.drawRect(in);
    p.setPen(QPen(QColor(150, 140, 120), 1.0));
    QPolygonF flap;
    flap << in.topLeft() + QPointF(1, 1) << QPointF(in.center().x(), in.center().y() + 2)
         << in.topRight() + QPointF(-1, 1);
    p.drawPolyline(flap);
    const QRectF stamp(in.right() - 11, in.top() + 2, 9, 10);
    p.setPen(QPen(QColor(120, 60, 40), 0.8, Qt::DotLine));
    p.setBrush(QColor(240, 200, 90));
    p.drawRect(stamp);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(200, 60, 40));
    p.drawEllipse(stamp.center(), 2.2, 2.2);
    p.restore();
}

}  // namespace

Frames DrawFeedback(QSize size) {
    return kit::Still(size, kFeedbackSize, [](QPainter& p) {
        // Speed lines behind the envelope: the letter is on its way.
        p.save();
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(QPen(kit::kShadow, 1.2, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(3, 14), QPointF(11, 14));
        p.drawLine(QPointF(1, 21), QPointF(11, 21));
        p.drawLine(QPointF(4, 28), QPointF(11, 28));
        p.restore();
        p.save();
        p.translate(34, 21);
        p.rotate(-8);
        Envelope(p, QRectF(-21, -14, 42, 28));
        p.restore();

        kit::Text(p, QRectF(62, 2, 130, 16), QString::fromUtf8("Пишите нам!"), kit::Font(14, true), kit::kNavy,
                  Qt::AlignLeft | Qt::AlignVCenter);
        const QFont small = kit::Font(11);
        kit::Text(p, QRectF(62, 19, 130, 13), QString::fromUtf8("Замечания, пожелания"), small, kit::kInk,
                  Qt::AlignLeft | Qt::AlignVCenter);
        kit::Text(p, QRectF(62, 32, 130, 13), QString::fromUtf8("и вопросы о станции"), small, kit::kInk,
                  Qt::AlignLeft | Qt::AlignVCenter);

        // The address in a sunken field, like a line one could copy it from.
        const QRect field(4, 52, 185, 22);
        p.fillRect(field, Qt::white);
        kit::Bevel(p, field, false);
        QFont at = kit::Font(14, true);
        kit::Text(p, QRectF(8, 54, 18, 18), QStringLiteral("@"), at, QColor(200, 120, 0));
        QFont link = kit::Font(13);
        link.setUnderline(true);
        kit::Text(p, QRectF(26, 54, 160, 18), QString::fromLatin1(kAddress), link, QColor(0, 0, 200),
                  Qt::AlignLeft | Qt::AlignVCenter);
    });
}

}  // namespace art
