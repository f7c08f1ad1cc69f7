#pragma once
// The paint kit every picture shares: the console palette, fonts, bevels, lamps and the
// frame loop of the animations.

#include <QColor>
#include <QFont>
#include <QImage>
#include <QPainter>
#include <QRectF>
#include <QSize>
#include <QString>
#include <functional>

#include "platform/qt/art/art.h"

namespace art::kit {

// Windows-classic console greys, so the pictures sit on the forms without a seam.
inline const QColor kFace{212, 208, 200};
inline const QColor kHighlight{255, 255, 255};
inline const QColor kLight{232, 229, 222};
inline const QColor kShadow{128, 128, 128};
inline const QColor kDarkShadow{64, 64, 64};
inline const QColor kInk{40, 40, 40};
inline const QColor kNavy{0, 0, 128};
inline const QColor kDisplay{250, 249, 242};  // light field under red and blue digits

// Lamp lenses.
inline const QColor kGreenLens{40, 210, 60};
inline const QColor kRedLens{240, 36, 28};
inline const QColor kDarkRedLens{96, 22, 20};
inline const QColor kGreyLens{124, 126, 128};

QColor Mix(const QColor& a, const QColor& b, double t);  // t = 0 gives a, 1 gives b

// A transparent ARGB canvas of the size asked.
QImage Canvas(QSize size);
// Liberation Sans stands in for the forms' sans serif; sizes are pixel heights.
QFont Font(int pixels, bool bold = false, bool italic = false);

// Windows-classic 3D edges on whole pixels: two rings, light over dark or dark over light.
void Bevel(QPainter& p, const QRect& r, bool raised);
void ThinBevel(QPainter& p, const QRect& r, bool raised);
// Etched groove, the frame of a classic group box.
void Groove(QPainter& p, const QRect& r);
void GrooveLine(QPainter& p, int x1, int y1, int x2, int y2);  // horizontal or vertical

// A round lamp filling `r`: bezel ring, lens, highlight. `glow` > 0 paints a halo around it.
void Lamp(QPainter& p, const QRectF& r, const QColor& lens, double glow = 0.0);
// An unlit grey lamp in its recess: the mark a lit lamp is laid over.
void LampMark(QPainter& p, const QRectF& r);
// A small indicator LED of radius r at c, with a halo while lit (module fronts, the rack).
void Led(QPainter& p, QPointF c, double r, const QColor& color, bool lit);

// Text centred in `r`.
void Text(QPainter& p, const QRectF& r, const QString& text, const QFont& font, const QColor& color,
          int flags = Qt::AlignCenter);
// Text cut into a plate: dark letters with a light edge below and right.
void Engraved(QPainter& p, const QRectF& r, const QString& text, const QFont& font,
              int flags = Qt::AlignCenter);
// A black nameplate with white letters, as screwed onto a cabinet door.
void NamePlate(QPainter& p, const QRectF& r, const QString& text, const QFont& font);

// Seven-segment digits lit red on a black window, unlit segments faintly showing.
void Digits(QPainter& p, const QRectF& r, const char* text);

// Paints `count` frames. `paint` draws one frame in design coordinates; the kit scales the
// design to the size asked, so the pictures also serve other control sizes.
Frames Frameset(QSize size, QSize design, int count, int frameMs,
                const std::function<void(QPainter&, int frame)>& paint);
inline Frames Still(QSize size, QSize design, const std::function<void(QPainter&)>& paint) {
    return Frameset(size, design, 1, 0, [&](QPainter& p, int) { paint(p); });
}

}  // namespace art::kit
