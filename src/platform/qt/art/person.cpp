// The command-accepted cartoon: someone at a computer types, the screen answers with a tick,
// thumbs up.

#include <QLinearGradient>
#include <QPainterPath>
#include <QRadialGradient>

#include "platform/qt/art/kit.h"
#include "platform/qt/art/pictures.h"

namespace art {

namespace {

constexpr QSize kPersonSize{107, 98};
constexpr int kPersonFrames = 3;

const QColor kSkin{248, 208, 170};
const QColor kSkinLine{150, 96, 60};
const QColor kShirt{58, 112, 196};
const QColor kTrousers{56, 60, 80};
const QColor kHair{92, 58, 32};
const QColor kOutline{40, 40, 48};

void Limb(QPainter& p, QPointF a, QPointF b, double width, const QColor& color) {
    p.setPen(QPen(color.darker(170), width + 1.6, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(a, b);
    p.setPen(QPen(color, width, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(a, b);
}

void Room(QPainter& p) {
    QLinearGradient wall(0, 2, 0, 80);
    wall.setColorAt(0.0, QColor(238, 242, 248));
    wall.setColorAt(1.0, QColor(214, 222, 234));
    p.setPen(QPen(QColor(140, 150, 168), 1.0));
    p.setBrush(wall);
    p.drawRoundedRect(QRectF(1.5, 1.5, 104, 95), 5, 5);
    QLinearGradient floor(0, 80, 0, 96);
    floor.setColorAt(0.0, QColor(196, 188, 172));
    floor.setColorAt(1.0, QColor(176, 166, 150));
    QPainterPath room;
    room.addRoundedRect(QRectF(2, 2, 103, 94), 4.5, 4.5);
    p.save();
    p.setClipPath(room);
    p.fillRect(QRectF(2, 80, 103, 16), floor);
    p.restore();
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, 40));
    p.drawEllipse(QRectF(12, 84, 34, 6));
    p.drawEllipse(QRectF(52, 85, 52, 5));
}

void Desk(QPainter& p, int frame) {
    // Legs, top, keyboard.
    p.setPen(QPen(QColor(110, 70, 36), 1.0));
    p.setBrush(QColor(170, 118, 68));
    p.drawRect(QRectF(58.5, 58.5, 3, 29));
    p.drawRect(QRectF(97.5, 58.5, 3, 29));
    QLinearGradient top(0, 55, 0, 60);
    top.setColorAt(0.0, QColor(214, 164, 104));
    top.setColorAt(1.0, QColor(160, 108, 60));
    p.setBrush(top);
    p.drawRect(QRectF(54.5, 55.5, 50, 4));
    p.setPen(QPen(kOutline, 0.8));
    p.setBrush(QColor(80, 82, 90));
    p.drawRoundedRect(QRectF(57.5, 52.5, 19, 3.5), 1, 1);
    p.setPen(QPen(QColor(190, 192, 200), 0.8, Qt::DotLine));
    p.drawLine(QPointF(59, 54), QPointF(75, 54));

    // Monitor: beige body, screen, stand.
    p.setPen(QPen(QColor(120, 112, 90), 1.0));
    p.setBrush(QColor(206, 198, 176));
    p.drawRect(QRectF(80.5, 51.5, 10, 4));
    QLinearGradient body(70, 24, 100, 52);
    body.setColorAt(0.0, QColor(246, 242, 228));
    body.setColorAt(1.0, QColor(212, 204, 182));
    p.setBrush(body);
    p.drawRoundedRect(QRectF(69.5, 22.5, 32, 29), 3, 3);
    const QRectF screen(73.5, 25.5, 24, 20);
    p.setPen(QPen(QColor(70, 66, 56), 1.0));
    p.setBrush(QColor(14, 38, 64));
    p.drawRoundedRect(screen, 2, 2);
    if (frame < 2) {
        // Lines of a command being typed.
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(130, 200, 240));
        for (int i = 0; i <= frame + 1; ++i) p.drawRect(QRectF(76, 28.5 + 4 * i, i == frame + 1 ? 8 : 15 - 3 * i, 1.6));
        if (frame == 1) p.drawRect(QRectF(85, 36.5, 2, 2.5));  // cursor
    } else {
        // The answer: a green tick.
        QRadialGradient glow(screen.center(), 12);
        glow.setColorAt(0.0, QColor(90, 255, 120, 110));
        glow.setColorAt(1.0, QColor(90, 255, 120, 0));
        p.setPen(Qt::NoPen);
        p.setBrush(glow);
        p.drawRect(screen.adjusted(1, 1, -1, -1));
        QPainterPath tick(QPointF(79, 35.5));
        tick.lineTo(84, 40.5);
        tick.lineTo(92, 29.5);
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(QColor(20, 120, 40), 4.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawPath(tick);
        p.setPen(QPen(QColor(110, 255, 130), 2.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawPath(tick);
    }
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(70, 220, 90));
    p.drawEllipse(QPointF(97, 48.5), 1.1, 1.1);
}

void Chair(QPainter& p) {
    p.setPen(QPen(kOutline, 1.0));
    p.setBrush(QColor(60, 64, 76));
    p.drawRect(QRectF(27.5, 66.5, 4, 16));
    p.drawRoundedRect(QRectF(15.5, 82.5, 28, 3), 1.5, 1.5);
    p.setBrush(QColor(30, 30, 34));
    for (double x : {17.5, 29.5, 41.5}) p.drawEllipse(QPointF(x, 87), 2, 2);
    QLinearGradient seat(0, 36, 0, 68);
    seat.setColorAt(0.0, QColor(170, 50, 50));
    seat.setColorAt(1.0, QColor(120, 30, 30));
    p.setBrush(seat);
    p.drawRoundedRect(QRectF(10.5, 34.5, 8, 31), 3, 3);
    p.drawRoundedRect(QRectF(13.5, 61.5, 32, 6), 2.5, 2.5);
}

void Person(QPainter& p, int frame) {
    // Legs: thigh to the knee, shin down to the shoe.
    Limb(p, QPointF(32, 60), QPointF(54, 63), 9, kTrousers);
    Limb(p, QPointF(54, 63), QPointF(55, 82), 7, kTrousers);
    p.setPen(QPen(Qt::black, 0.8));
    p.setBrush(QColor(30, 26, 24));
    p.drawRoundedRect(QRectF(51.5, 81.5, 12, 5), 2.5, 2.5);

    // Body leaning a little towards the screen.
    QPainterPath torso;
    torso.moveTo(29, 35);
    torso.cubicTo(33, 31, 42, 31, 45, 35);
    torso.lineTo(41, 62);
    torso.lineTo(25, 62);
    torso.closeSubpath();
    QLinearGradient shirt(25, 0, 45, 0);
    shirt.setColorAt(0.0, kShirt.darker(125));
    shirt.setColorAt(1.0, kShirt.lighter(115));
    p.setPen(QPen(kShirt.darker(170), 1.0));
    p.setBrush(shirt);
    p.drawPath(torso);

    // Head: neck, face, ear, hair, eye, nose, smile.
    p.setPen(QPen(kSkinLine, 1.0));
    p.setBrush(kSkin);
    p.drawRect(QRectF(33.5, 28.5, 5, 4));
    p.drawEllipse(QPointF(37, 21), 9, 9);
    p.drawEllipse(QPointF(33.5, 22.5), 2, 2.6);
    QPainterPath hair;
    hair.moveTo(28, 24);
    hair.cubicTo(26, 12, 36, 8, 44, 13);
    hair.cubicTo(42, 15, 38, 14, 36, 16);
    hair.cubicTo(33, 17, 32, 20, 31, 25);
    hair.closeSubpath();
    p.setPen(QPen(kHair.darker(150), 0.8));
    p.setBrush(kHair);
    p.drawPath(hair);
    p.setPen(Qt::NoPen);
    p.setBrush(kOutline);
    p.drawEllipse(QPointF(41.5, 19.5), 1.1, 1.4);
    p.setPen(QPen(kSkinLine, 1.0, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(40.5, 23, 5, 3.5), 200 * 16, 140 * 16);
    p.drawLine(QPointF(45.5, 21.5), QPointF(46.5, 23));

    // Arm: typing on the keyboard, then a thumb raised when the tick comes.
    const QPointF shoulder(37, 38);
    if (frame < 2) {
        const QPointF elbow(44, 51);
        const QPointF hand = frame == 0 ? QPointF(61, 51) : QPointF(67, 50.5);
        Limb(p, shoulder, elbow, 6, kShirt.darker(110));
        Limb(p, elbow, hand, 4.5, kSkin);
        p.setPen(QPen(kSkinLine, 0.8));
        p.setBrush(kSkin);
        p.drawEllipse(hand, 2.6, 2.2);
    } else {
        const QPointF elbow(46, 49);
        const QPointF fist(53, 36);
        Limb(p, shoulder, elbow, 6, kShirt.darker(110));
        Limb(p, elbow, fist, 4.5, kSkin);
        p.setPen(QPen(kSkinLine, 0.9));
        p.setBrush(kSkin);
        p.drawRoundedRect(QRectF(fist.x() - 3, fist.y() - 3, 6.5, 6), 2, 2);
        p.drawRoundedRect(QRectF(fist.x() - 1.5, fist.y() - 8, 3, 6), 1.5, 1.5);  // thumb
        // A glint of joy beside the hand.
        p.setPen(QPen(QColor(255, 180, 0), 1.0, Qt::SolidLine, Qt::RoundCap));
        for (const QPointF& d : {QPointF(5, -6), QPointF(6, -1), QPointF(2, -9)})
            p.drawLine(fist + d, fist + d * 1.35);
    }
}

}  // namespace

Frames DrawPersonAtComputer(QSize size) {
    return kit::Frameset(size, kPersonSize, kPersonFrames, 400, [](QPainter& p, int frame) {
        p.setRenderHint(QPainter::Antialiasing);
        Room(p);
        Chair(p);
        Desk(p, frame);
        Person(p, frame);
    });
}

}  // namespace art
