#include "platform/qt/art/kit.h"

#include <QLinearGradient>
#include <QRadialGradient>
#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>

namespace art::kit {

QColor Mix(const QColor& a, const QColor& b, double t) {
    t = std::clamp(t, 0.0, 1.0);
    auto mix = [t](int x, int y) { return static_cast<int>(x + (y - x) * t + 0.5); };
    return QColor(mix(a.red(), b.red()), mix(a.green(), b.green()), mix(a.blue(), b.blue()),
                  mix(a.alpha(), b.alpha()));
}

QImage Canvas(QSize size) {
    QImage img(size, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    return img;
}

QFont Font(int pixels, bool bold, bool italic) {
    QFont f(QStringLiteral("Liberation Sans"));
    f.setPixelSize(pixels);
    f.setBold(bold);
    f.setItalic(italic);
    f.setStyleStrategy(QFont::PreferAntialias);
    f.setHintingPreference(QFont::PreferFullHinting);
    return f;
}

namespace {

// Edge lines are whole pixels: no antialiasing, so the 3D look stays crisp.
void Edges(QPainter& p, const QRect& r, const QColor& topLeft, const QColor& bottomRight) {
    p.fillRect(QRect(r.left(), r.top(), r.width() - 1, 1), topLeft);
    p.fillRect(QRect(r.left(), r.top(), 1, r.height() - 1), topLeft);
    p.fillRect(QRect(r.left(), r.bottom(), r.width(), 1), bottomRight);
    p.fillRect(QRect(r.right(), r.top(), 1, r.height()), bottomRight);
}

}  // namespace

void Bevel(QPainter& p, const QRect& r, bool raised) {
    if (raised) {
        Edges(p, r, kHighlight, kDarkShadow);
        Edges(p, r.adjusted(1, 1, -1, -1), kLight, kShadow);
    } else {
        Edges(p, r, kShadow, kHighlight);
        Edges(p, r.adjusted(1, 1, -1, -1), kDarkShadow, kFace);
    }
}

void ThinBevel(QPainter& p, const QRect& r, bool raised) {
    if (raised)
        Edges(p, r, kHighlight, kShadow);
    else
        Edges(p, r, kShadow, kHighlight);
}

void Groove(QPainter& p, const QRect& r) {
    const QRect dark = r.adjusted(0, 0, -1, -1);
    const QRect light = r.adjusted(1, 1, 0, 0);
    auto frame = [&p](const QRect& f, const QColor& c) {
        p.fillRect(QRect(f.left(), f.top(), f.width(), 1), c);
        p.fillRect(QRect(f.left(), f.bottom(), f.width(), 1), c);
        p.fillRect(QRect(f.left(), f.top(), 1, f.height()), c);
        p.fillRect(QRect(f.right(), f.top(), 1, f.height()), c);
    };
    frame(light, kHighlight);
    frame(dark, kShadow);
}

void GrooveLine(QPainter& p, int x1, int y1, int x2, int y2) {
    if (y1 == y2) {
        p.fillRect(QRect(x1, y1, x2 - x1 + 1, 1), kShadow);
        p.fillRect(QRect(x1 + 1, y1 + 1, x2 - x1 + 1, 1), kHighlight);
    } else {
        p.fillRect(QRect(x1, y1, 1, y2 - y1 + 1), kShadow);
        p.fillRect(QRect(x1 + 1, y1 + 1, 1, y2 - y1 + 1), kHighlight);
    }
}

void Lamp(QPainter& p, const QRectF& r, const QColor& lens, double glow) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    const QPointF c = r.center();
    const double d = std::min(r.width(), r.height());

    if (glow > 0.0) {
        QRadialGradient halo(c, d * 0.85);
        QColor inner = lens;
        inner.setAlphaF(static_cast<float>(0.55 * glow));
        QColor outer = lens;
        outer.setAlpha(0);
        halo.setColorAt(0.5, inner);
        halo.setColorAt(1.0, outer);
        p.setBrush(halo);
        p.drawEllipse(c, d * 0.85, d * 0.85);
    }

    // Bezel: a dark metal ring, lit from the top left.
    QLinearGradient ring(r.topLeft(), r.bottomRight());
    ring.setColorAt(0.0, QColor(150, 150, 150));
    ring.setColorAt(1.0, QColor(30, 30, 30));
    p.setBrush(ring);
    p.drawEllipse(r);

    // Lens: bright where the light falls, the full colour around, darker at the rim.
    const double inset = std::max(1.0, d * 0.1);
    const QRectF l = r.adjusted(inset, inset, -inset, -inset);
    QRadialGradient body(QPointF(c.x() - d * 0.14, c.y() - d * 0.16), l.width() * 0.62);
    body.setColorAt(0.0, Mix(lens, Qt::white, 0.55));
    body.setColorAt(0.45, lens);
    body.setColorAt(1.0, lens.darker(175));
    p.setBrush(body);
    p.drawEllipse(l);

    // Glint.
    const QRectF g(c.x() - d * 0.30, c.y() - d * 0.34, d * 0.34, d * 0.22);
    QRadialGradient glint(g.center(), g.width() * 0.6);
    glint.setColorAt(0.0, QColor(255, 255, 255, 220));
    glint.setColorAt(1.0, QColor(255, 255, 255, 0));
    p.setBrush(glint);
    p.drawEllipse(g);
    p.restore();
}

void LampMark(QPainter& p, const QRectF& r) {
    // The recess the lamp sits in: a ring just wider than the lamp, dark above, light below,
    // still visible around a lit lamp laid over the mark.
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    QLinearGradient seat(r.topLeft(), r.bottomRight());
    seat.setColorAt(0.0, QColor(110, 108, 104));
    seat.setColorAt(1.0, QColor(255, 255, 255));
    p.setBrush(seat);
    p.drawEllipse(r.adjusted(-1.5, -1.5, 1.5, 1.5));
    p.restore();
    Lamp(p, r, kGreyLens);
}

void Text(QPainter& p, const QRectF& r, const QString& text, const QFont& font, const QColor& color,
          int flags) {
    p.save();
    p.setFont(font);
    p.setPen(color);
    p.drawText(r, flags, text);
    p.restore();
}

void Engraved(QPainter& p, const QRectF& r, const QString& text, const QFont& font, int flags) {
    Text(p, r.translated(1, 1), text, font, kHighlight, flags);
    Text(p, r, text, font, kInk, flags);
}

void NamePlate(QPainter& p, const QRectF& r, const QString& text, const QFont& font) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(10, 10, 10), 1.0));
    QLinearGradient plate(r.topLeft(), r.bottomLeft());
    plate.setColorAt(0.0, QColor(78, 78, 80));
    plate.setColorAt(1.0, QColor(34, 34, 36));
    p.setBrush(plate);
    p.drawRoundedRect(r.adjusted(0.5, 0.5, -0.5, -0.5), 2.5, 2.5);
    p.restore();
    Text(p, r.adjusted(0, 0, 0, -0.5), text, font, QColor(245, 245, 240));
}

void Digits(QPainter& p, const QRectF& r, const char* text) {
    static constexpr std::array<int, 10> kSegments{0x3F, 0x06, 0x5B, 0x4F, 0x66, 0x6D, 0x7D, 0x07, 0x7F, 0x6F};
    p.save();
    p.setRenderHint(QPainter::Antialiasing, false);
    const QRect box = r.toAlignedRect();
    p.fillRect(box, QColor(24, 6, 6));
    // Segments on whole pixels, the bars between the uprights, so small digits stay legible.
    const int n = static_cast<int>(std::strlen(text));
    const int m = std::max(1, static_cast<int>(std::lround(box.height() * 0.12)));
    const int hh = box.height() - 2 * m;
    const int t = std::max(1, static_cast<int>(std::lround(hh / 8.0)));
    const double cw = (box.width() - 2.0 * m + 1) / n;
    const int w = std::max(3, static_cast<int>(std::lround(cw * 0.7)));
    for (int i = 0; i < n; ++i) {
        const int bits = text[i] >= '0' && text[i] <= '9' ? kSegments[static_cast<std::size_t>(text[i] - '0')] : 0;
        const int x = box.left() + m + static_cast<int>(std::lround(i * cw)), y = box.top() + m;
        const int mid = y + (hh - t) / 2;
        const int upper = mid - (y + t), lower = y + hh - t - (mid + t);
        const std::array<QRect, 7> seg{{
            {x + t, y, w - 2 * t, t}, {x + w - t, y + t, t, upper}, {x + w - t, mid + t, t, lower},
            {x + t, y + hh - t, w - 2 * t, t}, {x, mid + t, t, lower}, {x, y + t, t, upper},
            {x + t, mid, w - 2 * t, t},
        }};
        for (int s = 0; s < 7; ++s)
            p.fillRect(seg[static_cast<std::size_t>(s)], bits >> s & 1 ? QColor(255, 60, 40) : QColor(64, 18, 16));
    }
    p.restore();
}

Frames Frameset(QSize size, QSize design, int count, int frameMs,
                const std::function<void(QPainter&, int frame)>& paint) {
    Frames f;
    f.frameMs = count > 1 ? frameMs : 0;
    for (int i = 0; i < count; ++i) {
        QImage img = Canvas(size);
        QPainter p(&img);
        p.setRenderHint(QPainter::TextAntialiasing);
        p.setRenderHint(QPainter::SmoothPixmapTransform);
        if (size != design)
            p.scale(static_cast<double>(size.width()) / design.width(),
                    static_cast<double>(size.height()) / design.height());
        paint(p, i);
        p.end();
        f.images.push_back(std::move(img));
    }
    return f;
}

void Led(QPainter& p, QPointF c, double r, const QColor& color, bool lit) {
    static const QColor dark{66, 74, 66};
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    if (lit) {
        QRadialGradient halo(c, r * 2.4);
        QColor h = color;
        h.setAlpha(105);
        halo.setColorAt(0.0, h);
        h.setAlpha(0);
        halo.setColorAt(1.0, h);
        p.setBrush(halo);
        p.drawEllipse(c, r * 2.4, r * 2.4);
    }
    QRadialGradient lens(c - QPointF(r * 0.33, r * 0.33), r * 1.25);
    const QColor base = lit ? color : dark;
    lens.setColorAt(0.0, Mix(base, Qt::white, lit ? 0.62 : 0.28));
    lens.setColorAt(1.0, base.darker(lit ? 118 : 145));
    p.setBrush(lens);
    p.drawEllipse(c, r, r);
    p.restore();
}

}  // namespace art::kit
