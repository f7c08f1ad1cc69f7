// The two mode animations of a loop column: Диспетчер (the loop is driven from the
// computer: a request runs down the line to the controller, the answer comes back) and
// Местное (the loop is driven from the panel: a hand presses Меньше, then Больше).

#include <QLinearGradient>
#include <QPainterPath>
#include <QPolygonF>
#include <QRadialGradient>
#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>

#include "platform/qt/art/kit.h"
#include "platform/qt/art/pictures.h"

namespace art {

namespace {

const QColor kBeige{236, 232, 216};
const QColor kBeigeDark{196, 190, 170};
const QColor kRackGrey{88, 90, 96};
const QColor kAmber{255, 196, 0};
const QColor kLedGreen{60, 230, 80};

// The insert both animations sit on: a raised plate with a black nameplate on top.
void ModePlate(QPainter& p, QSize design, const char* title, int plateWidth) {
    const QRect plate(0, 0, design.width(), design.height());
    QLinearGradient face(0, 0, 0, design.height());
    face.setColorAt(0.0, QColor(222, 219, 212));
    face.setColorAt(1.0, QColor(204, 200, 192));
    p.fillRect(plate, face);
    kit::ThinBevel(p, plate, true);
    const double left = (design.width() - plateWidth) / 2.0;
    kit::NamePlate(p, QRectF(left, 2, plateWidth, 13), QString::fromUtf8(title), kit::Font(10, true));
}


// --- Диспетчер -------------------------------------------------------------------------

constexpr QSize kDispatcherSize{153, 63};
constexpr int kDispatcherFrames = 18;
constexpr int kTrip = 8;  // frames the request (and then the answer) takes along the line

void Computer(QPainter& p, int frame) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    // Desktop case.
    const QRect box(3, 50, 46, 9);
    p.fillRect(box, kBeige);
    kit::ThinBevel(p, box, true);
    p.fillRect(QRect(8, 53, 15, 2), QColor(90, 88, 80));
    p.fillRect(QRect(27, 53, 9, 1), kBeigeDark);
    p.fillRect(QRect(27, 55, 9, 1), kBeigeDark);
    kit::Led(p, QPointF(43.5, 54.5), 1.2, kLedGreen, true);
    // Monitor neck and body.
    p.fillRect(QRect(19, 47, 14, 3), kBeigeDark);
    p.setPen(QPen(QColor(120, 114, 96), 1.0));
    QLinearGradient body(6, 17, 6, 47);
    body.setColorAt(0.0, QColor(244, 241, 228));
    body.setColorAt(1.0, QColor(218, 212, 192));
    p.setBrush(body);
    p.drawRoundedRect(QRectF(6.5, 16.5, 39, 31), 3, 3);
    // Screen: a trend creeping along and a few lines of figures.
    const QRectF screen(10.5, 19.5, 31, 22);
    p.setPen(QPen(QColor(60, 58, 50), 1.0));
    p.setBrush(QColor(14, 36, 56));
    p.drawRoundedRect(screen, 2, 2);
    p.setClipRect(screen.adjusted(1, 1, -1, -1));
    p.setPen(QPen(QColor(90, 110, 130), 0.8, Qt::DotLine));
    p.drawLine(QPointF(12, 29), QPointF(41, 29));
    QPainterPath trend;
    for (int x = 0; x <= 29; ++x) {
        const double y = 29 - 5 * std::sin((x + frame * 1.5) * 0.42) * std::exp(-0.02 * x) + 1.5;
        if (x == 0)
            trend.moveTo(12 + x, y);
        else
            trend.lineTo(12 + x, y);
    }
    p.setPen(QPen(QColor(90, 240, 120), 1.1));
    p.setBrush(Qt::NoBrush);
    p.drawPath(trend);
    const bool answered = frame >= 2 * kTrip + 1;
    p.setPen(Qt::NoPen);
    for (int row = 0; row < 2; ++row) {
        const QColor c = answered && row == 1 ? QColor(255, 230, 90) : QColor(120, 190, 230);
        p.setBrush(c);
        p.drawRect(QRectF(13, 35 + row * 3, 8 + row * 6, 1.4));
    }
    p.setClipping(false);
    kit::Led(p, QPointF(40.5, 44.5), 1.1, kLedGreen, true);
    p.restore();
}

void ControllerRack(QPainter& p, int frame) {
    p.save();
    // Subrack: side walls and two rails with their screws.
    const QRect rack(102, 16, 47, 44);
    p.fillRect(rack, kRackGrey);
    kit::ThinBevel(p, rack, true);
    p.fillRect(QRect(104, 21, 43, 34), QColor(40, 42, 46));
    p.setRenderHint(QPainter::Antialiasing);
    for (int x : {106, 145}) {
        for (int y : {18, 57}) {
            p.setPen(Qt::NoPen);
            p.setBrush(QColor(180, 182, 186));
            p.drawEllipse(QPointF(x + 0.5, y + 0.5), 1.4, 1.4);
        }
    }
    p.setRenderHint(QPainter::Antialiasing, false);
    // Three modules: line interface, processor, inputs and outputs.
    const bool arrived = frame >= kTrip && frame < kTrip + 3;
    for (int m = 0; m < 3; ++m) {
        const QRect card(105 + 14 * m, 21, 13, 34);
        QLinearGradient g(card.left(), 0, card.right(), 0);
        g.setColorAt(0.0, QColor(222, 224, 220));
        g.setColorAt(1.0, QColor(186, 188, 184));
        p.fillRect(card, g);
        kit::ThinBevel(p, card, true);
        p.fillRect(QRect(card.left() + 3, card.top() + 1, 7, 2), QColor(150, 152, 150));   // handle
        p.fillRect(QRect(card.left() + 3, card.bottom() - 2, 7, 2), QColor(150, 152, 150));
        p.fillRect(QRect(card.left() + 2, card.bottom() - 9, 9, 1), QColor(160, 162, 158));  // legend strip
    }
    // Line interface: receive and transmit lamps answer the request.
    kit::Led(p, QPointF(111.5, 27.5), 1.5, kAmber, arrived);
    kit::Led(p, QPointF(111.5, 32.5), 1.5, kLedGreen, frame >= kTrip + 1 && frame < kTrip + 4);
    p.fillRect(QRect(107, 37, 9, 6), QColor(50, 50, 54));  // line socket
    p.fillRect(QRect(108, 38, 7, 4), QColor(120, 124, 130));
    // Processor: a small red display counting exchanges, and its run lamp.
    static constexpr std::array<const char*, 3> kCount{"17", "18", "19"};
    kit::Digits(p, QRectF(120, 24, 11, 9), kCount[static_cast<std::size_t>(frame / 6)]);
    kit::Led(p, QPointF(125.5, 36.5), 1.5, kLedGreen, true);
    kit::Led(p, QPointF(125.5, 41.5), 1.5, kAmber, arrived);
    // Inputs and outputs: a column of lamps that changes as the answer leaves.
    static constexpr std::array<int, 5> kPattern{0b1011, 0b1101, 0b0111, 0b1110, 0b1011};
    const int bits = kPattern[static_cast<std::size_t>((frame + 1) / 4 % kPattern.size())];
    for (int i = 0; i < 4; ++i) kit::Led(p, QPointF(139.5, 26.5 + 5 * i), 1.5, kLedGreen, bits >> i & 1);
    p.restore();
}

QPainterPath LinePath() {
    QPainterPath path(QPointF(49, 54.5));
    path.lineTo(64, 54.5);
    path.cubicTo(72, 54.5, 70, 40.5, 78, 40.5);
    path.lineTo(107, 40.5);
    return path;
}

void Line(QPainter& p, int frame) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    const QPainterPath path = LinePath();
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(40, 40, 44), 2.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(path);
    p.setPen(QPen(QColor(120, 122, 130), 0.9, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(path.translated(0, -0.5));

    // The request runs to the controller; after a pause the answer runs back.
    double at = -1;
    QColor dot;
    if (frame < kTrip) {
        at = (frame + 0.5) / kTrip;
        dot = kAmber;
    } else if (frame > kTrip && frame <= 2 * kTrip) {
        at = 1.0 - (frame - kTrip - 0.5) / kTrip;
        dot = kLedGreen;
    }
    if (at >= 0) {
        const QPointF c = path.pointAtPercent(std::clamp(at * 0.9, 0.0, 1.0));
        QRadialGradient glow(c, 5);
        QColor halo = dot;
        halo.setAlpha(150);
        glow.setColorAt(0.0, halo);
        halo.setAlpha(0);
        glow.setColorAt(1.0, halo);
        p.setPen(Qt::NoPen);
        p.setBrush(glow);
        p.drawEllipse(c, 5, 5);
        p.setBrush(kit::Mix(dot, Qt::white, 0.35));
        p.setPen(QPen(dot.darker(160), 0.8));
        p.drawEllipse(c, 2.2, 2.2);
    }
    p.restore();
}

// --- Местное ---------------------------------------------------------------------------

constexpr QSize kLocalSize{141, 63};
constexpr int kLocalFrames = 13;
constexpr double kLessX = 24.5;
constexpr double kMoreX = 116.5;

struct HandPose {
    double x;      // fingertip
    double y;
    int pressed;   // -1 Меньше, +1 Больше, 0 none
    double value;  // meter reading, 0 to 1
};

// Down to Меньше and press twice as long, across, up to Больше and press, back across.
constexpr std::array<HandPose, kLocalFrames> kPoses{{
    {kLessX, 50, 0, 0.62},
    {kLessX, 44, 0, 0.62},
    {kLessX, 39, -1, 0.48},
    {kLessX, 39, -1, 0.34},
    {kLessX, 46, 0, 0.34},
    {55, 49, 0, 0.34},
    {85, 49, 0, 0.34},
    {kMoreX, 46, 0, 0.34},
    {kMoreX, 39, 1, 0.48},
    {kMoreX, 39, 1, 0.62},
    {kMoreX, 46, 0, 0.62},
    {85, 49, 0, 0.62},
    {55, 49, 0, 0.62},
}};

void PushButton(QPainter& p, double cx, bool up, bool pressed) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF collar(cx - 11, 28.5, 22, 16);
    p.setPen(QPen(QColor(20, 20, 22), 1.0));
    p.setBrush(QColor(56, 56, 60));
    p.drawRoundedRect(collar, 2.5, 2.5);
    QRectF cap = collar.adjusted(2, 2, -2, -2);
    if (pressed) cap.translate(0, 1);
    QLinearGradient g(cap.topLeft(), cap.bottomLeft());
    g.setColorAt(0.0, pressed ? QColor(150, 152, 156) : QColor(236, 236, 238));
    g.setColorAt(1.0, pressed ? QColor(110, 112, 116) : QColor(160, 162, 166));
    p.setPen(QPen(QColor(30, 30, 32), 0.8));
    p.setBrush(g);
    p.drawRoundedRect(cap, 1.5, 1.5);
    // The arrow on the cap.
    const QPointF c = cap.center();
    QPolygonF arrow;
    if (up)
        arrow << QPointF(c.x() - 4, c.y() + 2.5) << QPointF(c.x() + 4, c.y() + 2.5) << QPointF(c.x(), c.y() - 3);
    else
        arrow << QPointF(c.x() - 4, c.y() - 2.5) << QPointF(c.x() + 4, c.y() - 2.5) << QPointF(c.x(), c.y() + 3);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(30, 30, 34));
    p.drawPolygon(arrow);
    p.restore();
}

void Meter(QPainter& p, double value) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF box(49.5, 17.5, 42, 30);
    p.setPen(QPen(QColor(30, 30, 32), 1.0));
    p.setBrush(QColor(60, 60, 64));
    p.drawRoundedRect(box, 2, 2);
    const QRectF face = box.adjusted(2.5, 2.5, -2.5, -2.5);
    QLinearGradient g(face.topLeft(), face.bottomLeft());
    g.setColorAt(0.0, QColor(255, 255, 250));
    g.setColorAt(1.0, QColor(226, 224, 214));
    p.setPen(Qt::NoPen);
    p.setBrush(g);
    p.drawRect(face);
    // Scale: an arc of ticks around the pivot, the top end marked red.
    const QPointF pivot(box.center().x(), face.bottom() - 2);
    constexpr double kSpan = 100.0;  // degrees
    for (int i = 0; i <= 10; ++i) {
        const double a = (-kSpan / 2 + kSpan * i / 10) * std::numbers::pi / 180;
        const double r1 = i % 5 == 0 ? 14.5 : 16.0;
        const QPointF dir(std::sin(a), -std::cos(a));
        p.setPen(QPen(i >= 8 ? QColor(200, 20, 20) : QColor(40, 40, 40), i % 5 == 0 ? 1.0 : 0.7));
        p.drawLine(pivot + dir * r1, pivot + dir * 18.5);
    }
    const double a = (-kSpan / 2 + kSpan * value) * std::numbers::pi / 180;
    p.setPen(QPen(QColor(200, 20, 20), 1.2, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(pivot, pivot + QPointF(std::sin(a), -std::cos(a)) * 17);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(30, 30, 30));
    p.drawEllipse(pivot, 2, 2);
    p.restore();
}

// A pointing right hand, fingertip at (0, 0), seen from the back.
void Hand(QPainter& p, QPointF tip) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.translate(tip);
    const QColor skin(246, 204, 164);
    const QPen outline(QColor(128, 76, 44), 1.0);
    // Sleeve and cuff.
    p.setPen(QPen(QColor(20, 40, 90), 1.0));
    p.setBrush(QColor(48, 80, 160));
    p.drawRoundedRect(QRectF(-7, 25, 22, 14), 2, 2);
    p.setBrush(QColor(240, 240, 236));
    p.setPen(QPen(QColor(130, 130, 130), 0.8));
    p.drawRect(QRectF(-6.5, 23, 21, 3));
    // Thumb, fist, the curled fingers' knuckles, the index finger and its nail.
    p.setPen(outline);
    p.setBrush(skin);
    p.save();
    p.translate(-5, 16);
    p.rotate(-25);
    p.drawEllipse(QRectF(-3.5, -5, 7, 10));
    p.restore();
    p.drawRoundedRect(QRectF(-4.5, 9, 18, 15), 5, 5);
    for (int i = 0; i < 3; ++i) p.drawEllipse(QRectF(2 + 3.6 * i, 8.5 + 0.8 * i, 4.4, 6));
    p.drawRoundedRect(QRectF(-3.2, 0, 6.4, 16), 3.2, 3.2);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(252, 226, 214));
    p.drawRoundedRect(QRectF(-1.8, 1, 3.6, 3.6), 1.6, 1.6);
    p.restore();
}

}  // namespace

Frames DrawDispatcher(QSize size) {
    return kit::Frameset(size, kDispatcherSize, kDispatcherFrames, 110, [](QPainter& p, int frame) {
        ModePlate(p, kDispatcherSize, "Диспетчер", 72);
        Computer(p, frame);
        ControllerRack(p, frame);
        Line(p, frame);
    });
}

Frames DrawLocal(QSize size) {
    return kit::Frameset(size, kLocalSize, kLocalFrames, 150, [](QPainter& p, int frame) {
        const HandPose& pose = kPoses[static_cast<std::size_t>(frame)];
        ModePlate(p, kLocalSize, "Местное", 62);
        const QFont label = kit::Font(10, true);
        kit::Engraved(p, QRectF(kLessX - 22, 16, 44, 12), QString::fromUtf8("Меньше"), label);
        kit::Engraved(p, QRectF(kMoreX - 22, 16, 44, 12), QString::fromUtf8("Больше"), label);
        PushButton(p, kLessX, false, pose.pressed < 0);
        PushButton(p, kMoreX, true, pose.pressed > 0);
        Meter(p, pose.value);
        Hand(p, QPointF(pose.x, pose.y));
        // The hand reaches in from below the plate's lower edge, which stays drawn over it.
        p.fillRect(QRect(0, kLocalSize.height() - 1, kLocalSize.width(), 1), kit::kShadow);
    });
}

}  // namespace art
