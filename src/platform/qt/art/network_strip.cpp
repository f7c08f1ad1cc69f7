// The strip of the network window: node numbers 1 to 14, each over a grey lamp. The window
// lays node k's 12 x 12 lamps at (14 + 24 (k - 1), 27) and the strip at (8, 8), so the grey
// lamp of node k lies at (6 + 24 (k - 1), 19) here.

#include "platform/qt/art/kit.h"
#include "platform/qt/art/pictures.h"

namespace art {

namespace {

constexpr int kNodes = 14;
constexpr int kPitch = 24;
constexpr int kFirstLamp = 6;
constexpr int kLampTop = 19;
constexpr int kLampSize = 12;

}  // namespace

Frames DrawNetworkStrip(QSize size) {
    return kit::Still(size, QSize(335, 37), [](QPainter& p) {
        // The line of the network, joining the nodes behind their lamps.
        const int busY = kLampTop + kLampSize / 2 - 1;
        const int busFrom = kFirstLamp + kLampSize / 2;
        const int busTo = kFirstLamp + kPitch * (kNodes - 1) + kLampSize / 2;
        p.fillRect(QRect(busFrom, busY, busTo - busFrom, 1), kit::kShadow);
        p.fillRect(QRect(busFrom, busY + 1, busTo - busFrom, 1), kit::kDarkShadow);
        p.fillRect(QRect(busFrom, busY + 2, busTo - busFrom, 1), kit::kHighlight);

        const QFont font = kit::Font(11, true);
        for (int k = 1; k <= kNodes; ++k) {
            const int left = kFirstLamp + kPitch * (k - 1);
            kit::Engraved(p, QRectF(left - 6, 1, kLampSize + 12, 15), QString::number(k), font);
            kit::LampMark(p, QRectF(left, kLampTop, kLampSize, kLampSize));
        }
    });
}

}  // namespace art
