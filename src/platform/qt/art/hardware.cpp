// Controller hardware in its cabinet: a subrack of modules over a cable duct, the look of a
// photograph taken through the open door. Laid out for the size asked, since the wait window
// and the no-answer window show it at different proportions. The top stays a plain back wall:
// the wait window writes its caption there.

#include <QLinearGradient>
#include <QPainterPath>
#include <QPolygonF>
#include <QRadialGradient>
#include <algorithm>
#include <array>
#include <cmath>

#include "platform/qt/art/kit.h"
#include "platform/qt/art/pictures.h"

namespace art {

namespace {

enum class Module { Power, Processor, Line, Analog, Discrete, Blank };

struct Slot {
    Module kind;
    double width;  // in module pitches
};

constexpr std::array<Slot, 8> kRack{{
    {Module::Power, 2.0},
    {Module::Processor, 1.6},
    {Module::Line, 1.2},
    {Module::Analog, 1.0},
    {Module::Analog, 1.0},
    {Module::Discrete, 1.0},
    {Module::Discrete, 1.0},
    {Module::Blank, 0.7},
}};

const QColor kLedGreen{70, 235, 90};
const QColor kLedAmber{255, 190, 30};
const QColor kLedRed{255, 50, 40};

void Screw(QPainter& p, QPointF c, double r) {
    QRadialGradient g(c - QPointF(r * 0.4, r * 0.4), r * 1.4);
    g.setColorAt(0.0, QColor(245, 245, 245));
    g.setColorAt(1.0, QColor(110, 112, 116));
    p.setPen(QPen(QColor(60, 60, 64), 0.6));
    p.setBrush(g);
    p.drawEllipse(c, r, r);
    p.setPen(QPen(QColor(70, 70, 74), 0.8));
    p.drawLine(c + QPointF(-r * 0.6, r * 0.3), c + QPointF(r * 0.6, -r * 0.3));
}


// A screw terminal plug at the foot of a module, its wires hanging into the duct below.
void Terminals(QPainter& p, const QRectF& r, int count, int seed, double ductTop) {
    QLinearGradient g(r.topLeft(), r.bottomLeft());
    g.setColorAt(0.0, QColor(70, 140, 90));
    g.setColorAt(1.0, QColor(30, 90, 50));
    p.setPen(QPen(QColor(20, 50, 30), 0.8));
    p.setBrush(g);
    p.drawRect(r);
    static const std::array<QColor, 4> kWires{QColor(30, 80, 200), QColor(200, 40, 40), QColor(240, 240, 236),
                                              QColor(40, 40, 44)};
    const double pitch = r.width() / count;
    for (int i = 0; i < count; ++i) {
        const QPointF c(r.left() + pitch * (i + 0.5), r.top() + r.height() * 0.4);
        Screw(p, c, std::min(pitch * 0.32, r.height() * 0.28));
        const QColor& wire = kWires[static_cast<std::size_t>((i + seed) % kWires.size())];
        QPainterPath path(QPointF(c.x(), r.bottom()));
        path.cubicTo(c.x(), r.bottom() + 4, c.x() + (i % 2 ? 2 : -2), ductTop - 4, c.x() + (i % 2 ? 1 : -1), ductTop + 2);
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(wire.darker(160), 2.2, Qt::SolidLine, Qt::RoundCap));
        p.drawPath(path);
        p.setPen(QPen(wire, 1.3, Qt::SolidLine, Qt::RoundCap));
        p.drawPath(path);
    }
}

void ModuleFront(QPainter& p, const QRectF& r, const Slot& slot, int index, double ductTop) {
    // Front plate, its handles and fixing screws.
    QLinearGradient face(r.topLeft(), r.topRight());
    const bool blank = slot.kind == Module::Blank;
    face.setColorAt(0.0, blank ? QColor(150, 152, 156) : QColor(226, 228, 226));
    face.setColorAt(0.5, blank ? QColor(170, 172, 176) : QColor(214, 216, 214));
    face.setColorAt(1.0, blank ? QColor(120, 122, 126) : QColor(180, 182, 180));
    p.setPen(QPen(QColor(50, 52, 56), 0.8));
    p.setBrush(face);
    p.drawRect(r);
    p.setPen(QPen(QColor(255, 255, 255, 150), 0.8));
    p.drawLine(r.topLeft() + QPointF(1, 1), r.bottomLeft() + QPointF(1, -1));
    const double u = r.height();  // the module height sets the scale of its parts
    Screw(p, QPointF(r.center().x(), r.top() + u * 0.04), u * 0.025);
    Screw(p, QPointF(r.center().x(), r.bottom() - u * 0.04), u * 0.025);
    if (blank) return;
    const QRectF handle(r.left() + r.width() * 0.25, r.top() + u * 0.08, r.width() * 0.5, u * 0.035);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(70, 72, 76));
    p.drawRoundedRect(handle, 1, 1);
    // Legend strip under the handle.
    const QRectF legend(r.left() + r.width() * 0.12, r.top() + u * 0.14, r.width() * 0.76, u * 0.06);
    p.setBrush(QColor(250, 250, 244));
    p.setPen(QPen(QColor(150, 150, 150), 0.5));
    p.drawRect(legend);
    p.setPen(QPen(QColor(120, 120, 130), 0.7));
    p.drawLine(QPointF(legend.left() + 2, legend.center().y()), QPointF(legend.right() - 2 - (index % 3) * 2, legend.center().y()));

    const double cx = r.center().x();
    const double led = std::max(1.3, u * 0.017);
    const QRectF plug(r.left() + r.width() * 0.14, r.bottom() - u * 0.2, r.width() * 0.72, u * 0.1);
    switch (slot.kind) {
    case Module::Power: {
        // Mains switch, supply lamps, fuses.
        const QRectF sw(cx - r.width() * 0.18, r.top() + u * 0.27, r.width() * 0.36, u * 0.2);
        p.setPen(QPen(QColor(30, 30, 30), 0.8));
        p.setBrush(QColor(40, 40, 44));
        p.drawRoundedRect(sw, 1.5, 1.5);
        QLinearGradient rocker(sw.topLeft(), sw.bottomLeft());
        rocker.setColorAt(0.0, QColor(230, 60, 50));
        rocker.setColorAt(1.0, QColor(150, 20, 20));
        p.setBrush(rocker);
        p.drawRoundedRect(sw.adjusted(1.5, 1.5, -1.5, -sw.height() * 0.45), 1, 1);
        kit::Led(p, QPointF(cx - r.width() * 0.2, r.top() + u * 0.55), led * 1.2, kLedGreen, true);
        kit::Led(p, QPointF(cx + r.width() * 0.2, r.top() + u * 0.55), led * 1.2, kLedGreen, true);
        for (int i = 0; i < 2; ++i) {
            const QPointF f(cx + (i ? 1 : -1) * r.width() * 0.2, r.top() + u * 0.67);
            p.setPen(QPen(QColor(30, 30, 30), 0.8));
            p.setBrush(QColor(60, 60, 64));
            p.drawEllipse(f, u * 0.045, u * 0.045);
            p.setBrush(QColor(150, 150, 150));
            p.drawEllipse(f, u * 0.02, u * 0.02);
        }
        Terminals(p, plug, 3, index, ductTop);
        break;
    }
    case Module::Processor: {
        kit::Digits(p, QRectF(r.left() + r.width() * 0.12, r.top() + u * 0.25, r.width() * 0.76, u * 0.13), "075");
        for (int i = 0; i < 4; ++i) {
            const QRectF key(r.left() + r.width() * (0.14 + 0.19 * i), r.top() + u * 0.44, r.width() * 0.15,
                             u * 0.07);
            QLinearGradient g(key.topLeft(), key.bottomLeft());
            g.setColorAt(0.0, QColor(250, 250, 250));
            g.setColorAt(1.0, QColor(160, 160, 164));
            p.setPen(QPen(QColor(60, 60, 64), 0.6));
            p.setBrush(g);
            p.drawRoundedRect(key, 1, 1);
        }
        kit::Led(p, QPointF(cx - r.width() * 0.2, r.top() + u * 0.6), led, kLedGreen, true);
        kit::Led(p, QPointF(cx, r.top() + u * 0.6), led, kLedAmber, false);
        kit::Led(p, QPointF(cx + r.width() * 0.2, r.top() + u * 0.6), led, kLedRed, false);
        Terminals(p, plug, 2, index, ductTop);
        break;
    }
    case Module::Line: {
        kit::Led(p, QPointF(cx - r.width() * 0.18, r.top() + u * 0.27), led, kLedAmber, true);
        kit::Led(p, QPointF(cx + r.width() * 0.18, r.top() + u * 0.27), led, kLedGreen, false);
        for (int i = 0; i < 2; ++i) {
            // D-sub sockets.
            const double top = r.top() + u * (0.36 + 0.2 * i), w = r.width() * 0.5, h = u * 0.13;
            QPolygonF shell;
            shell << QPointF(cx - w / 2, top) << QPointF(cx + w / 2, top) << QPointF(cx + w * 0.38, top + h)
                  << QPointF(cx - w * 0.38, top + h);
            p.setPen(QPen(QColor(90, 92, 96), 0.8));
            p.setBrush(QColor(200, 202, 206));
            p.drawPolygon(shell);
            p.setBrush(QColor(40, 42, 46));
            QPolygonF socket;
            socket << QPointF(cx - w * 0.38, top + 1.5) << QPointF(cx + w * 0.38, top + 1.5)
                   << QPointF(cx + w * 0.28, top + h - 1.5) << QPointF(cx - w * 0.28, top + h - 1.5);
            p.drawPolygon(socket);
            Screw(p, QPointF(cx - w * 0.62, top + h / 2), u * 0.018);
            Screw(p, QPointF(cx + w * 0.62, top + h / 2), u * 0.018);
        }
        break;
    }
    case Module::Analog:
    case Module::Discrete: {
        // A column of channel lamps, some lit.
        const int rows = 8;
        const QColor on = slot.kind == Module::Analog ? kLedGreen : kLedAmber;
        for (int i = 0; i < rows; ++i) {
            const bool lit = ((index * 5 + i * 3) % 7) < 4;
            const double y = r.top() + u * (0.27 + 0.05 * i);
            kit::Led(p, QPointF(r.left() + r.width() * 0.3, y), led, on, lit);
            p.setPen(QPen(QColor(120, 120, 128), 0.6));
            p.drawLine(QPointF(r.left() + r.width() * 0.48, y), QPointF(r.left() + r.width() * 0.78, y));
        }
        Terminals(p, plug, 3, index, ductTop);
        break;
    }
    case Module::Blank: break;
    }
}

// Breakers and relays on a rail in the top right corner, clear of the wait window's caption.
void RailDevices(QPainter& p, double w, double h) {
    const double x0 = std::round(w * 0.72) + 0.5, x1 = std::round(w * 0.965) - 0.5;
    const double cy = std::round(h * 0.15) + 0.5;
    const double dh = std::round(h * 0.19), rail = std::max(3.0, std::round(h * 0.03));
    QLinearGradient g(0, cy - rail / 2, 0, cy + rail / 2);
    g.setColorAt(0.0, QColor(236, 238, 240));
    g.setColorAt(1.0, QColor(140, 142, 146));
    p.setPen(QPen(QColor(100, 102, 106), 0.8));
    p.setBrush(g);
    p.drawRect(QRectF(x0 - 3, cy - rail / 2, x1 - x0 + 6, rail));
    constexpr int kDevices = 5;
    const double dw = (x1 - x0) / kDevices;
    for (int i = 0; i < kDevices; ++i) {
        const bool relay = i >= 3;
        const QRectF body(x0 + i * dw + 0.5, cy - dh / 2, dw - 1, dh);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0, 0, 0, 45));
        p.drawRect(body.translated(1.5, 1.5));
        QLinearGradient face(body.topLeft(), body.topRight());
        face.setColorAt(0.0, relay ? QColor(200, 202, 206) : QColor(250, 250, 246));
        face.setColorAt(1.0, relay ? QColor(150, 152, 158) : QColor(206, 206, 200));
        p.setPen(QPen(QColor(90, 92, 96), 0.8));
        p.setBrush(face);
        p.drawRect(body);
        const QPointF c = body.center();
        if (relay) {
            // A clear cap over the coil, and the relay's lamp.
            p.setBrush(QColor(230, 200, 120, 200));
            p.drawRect(QRectF(body.left() + 2, body.top() + dh * 0.18, body.width() - 4, dh * 0.4));
            kit::Led(p, QPointF(c.x(), body.bottom() - dh * 0.16), std::max(1.2, dh * 0.06), kLedGreen, i == 3);
        } else {
            // The toggle of a breaker, up (on) for all but one.
            const bool on = i != 1;
            const QRectF slot(c.x() - body.width() * 0.22, c.y() - dh * 0.2, body.width() * 0.44, dh * 0.4);
            p.setBrush(QColor(60, 60, 64));
            p.drawRect(slot);
            p.setBrush(on ? QColor(40, 40, 44) : QColor(90, 90, 96));
            p.drawRect(QRectF(slot.left() + 0.5, on ? slot.top() - dh * 0.05 : c.y(), slot.width() - 1, slot.height() * 0.55));
            p.setPen(QPen(QColor(150, 150, 150), 0.6));
            p.drawLine(QPointF(body.left() + 2, body.top() + dh * 0.12), QPointF(body.right() - 2, body.top() + dh * 0.12));
        }
    }
}

}  // namespace

Frames DrawHardware(QSize size) {
    return kit::Still(size, size, [size](QPainter& p) {
        const double w = size.width(), h = size.height();
        p.setRenderHint(QPainter::Antialiasing);
        // The cabinet's back wall, lit from above.
        QLinearGradient wall(0, 0, 0, h);
        wall.setColorAt(0.0, QColor(238, 236, 230));
        wall.setColorAt(0.35, QColor(226, 224, 218));
        wall.setColorAt(1.0, QColor(176, 174, 168));
        p.fillRect(QRectF(0, 0, w, h), wall);
        QRadialGradient vignette(QPointF(w * 0.5, h * 0.1), w * 0.9);
        vignette.setColorAt(0.6, QColor(0, 0, 0, 0));
        vignette.setColorAt(1.0, QColor(0, 0, 0, 50));
        p.fillRect(QRectF(0, 0, w, h), vignette);

        RailDevices(p, w, h);

        // Subrack and duct, placed by proportion; the left edge clears what the wait window hides.
        const double left = std::round(w * 0.075) + 0.5, right = std::round(w * 0.965) - 0.5;
        const double top = std::round(h * 0.30) + 0.5;
        const double ductTop = std::round(h * 0.85) + 0.5;
        const double rackBottom = ductTop - std::round(h * 0.07);
        const double rail = std::max(4.0, std::round(h * 0.045));

        // Shadow of the subrack on the wall.
        QLinearGradient shadow(0, rackBottom, 0, rackBottom + 8);
        shadow.setColorAt(0.0, QColor(0, 0, 0, 70));
        shadow.setColorAt(1.0, QColor(0, 0, 0, 0));
        p.fillRect(QRectF(left + 3, rackBottom, right - left, 8), shadow);

        // The frame: dark side walls, bright rails top and bottom with their screws.
        p.setPen(QPen(QColor(30, 30, 34), 1.0));
        p.setBrush(QColor(56, 58, 64));
        p.drawRect(QRectF(left, top, right - left, rackBottom - top));
        for (double y : {top, rackBottom - rail}) {
            QLinearGradient g(0, y, 0, y + rail);
            g.setColorAt(0.0, QColor(232, 234, 238));
            g.setColorAt(1.0, QColor(150, 152, 158));
            p.setPen(QPen(QColor(70, 72, 78), 0.8));
            p.setBrush(g);
            p.drawRect(QRectF(left, y, right - left, rail));
            for (double x = left + 8; x < right - 4; x += (right - left - 16) / 6)
                Screw(p, QPointF(x, y + rail / 2), rail * 0.28);
        }

        // Modules across the slots.
        double pitches = 0;
        for (const Slot& s : kRack) pitches += s.width;
        const double inner = right - left - 6;
        double x = left + 3;
        const double mTop = top + rail + 1, mBottom = rackBottom - rail - 1;
        for (std::size_t i = 0; i < kRack.size(); ++i) {
            const double mw = inner * kRack[i].width / pitches;
            ModuleFront(p, QRectF(std::round(x) + 0.5, mTop, std::round(mw) - 1, mBottom - mTop), kRack[i],
                        static_cast<int>(i), ductTop);
            x += mw;
        }

        // Cable duct: grey slotted channel across the bottom.
        const QRectF duct(left - 4, ductTop, right - left + 8, h - ductTop + 2);
        QLinearGradient d(duct.topLeft(), duct.bottomLeft());
        d.setColorAt(0.0, QColor(150, 152, 154));
        d.setColorAt(0.25, QColor(120, 122, 126));
        d.setColorAt(1.0, QColor(96, 98, 102));
        p.setPen(QPen(QColor(70, 72, 76), 1.0));
        p.setBrush(d);
        p.drawRect(duct);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(60, 62, 66));
        for (double sx = duct.left() + 4; sx < duct.right() - 4; sx += 7)
            p.drawRect(QRectF(sx, duct.top(), 3, std::min(6.0, duct.height() * 0.4)));
    });
}

}  // namespace art
