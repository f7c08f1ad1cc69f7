// The round signal lamps: green and red, and the red one that blinks.

#include <algorithm>
#include <cmath>
#include <numbers>

#include "platform/qt/art/kit.h"
#include "platform/qt/art/pictures.h"

namespace art {

namespace {

constexpr int kBlinkFrames = 5;
constexpr int kBlinkFrameMs = 120;

}  // namespace

Frames DrawLamp(vcl::TPicture lamp, QSize size) {
    if (lamp == vcl::TPicture::LampRedBlink) {
        // The forms place each 20 x 20 blinking lamp so that a 12 x 12 lamp at (4, 5) inside
        // it covers its grey mark and lines up with the plain lamps of the same row.
        return kit::Frameset(size, QSize(20, 20), kBlinkFrames, kBlinkFrameMs, [](QPainter& p, int i) {
            // Bright, fading to dark and back: one cosine period over the loop.
            const double b = 0.5 + 0.5 * std::cos(2.0 * std::numbers::pi * i / kBlinkFrames);
            kit::Lamp(p, QRectF(4, 5, 12, 12), kit::Mix(kit::kDarkRedLens, kit::kRedLens, b), b);
        });
    }
    const QColor lens = lamp == vcl::TPicture::LampGreen ? kit::kGreenLens : kit::kRedLens;
    const int d = std::min(size.width(), size.height());
    return kit::Still(size, size, [&](QPainter& p) {
        kit::Lamp(p, QRectF((size.width() - d) / 2.0, (size.height() - d) / 2.0, d, d), lens);
    });
}

}  // namespace art
