#pragma once
// One painter per picture; art::Draw picks among them. Each draws at the size asked.

#include <QSize>

#include "platform/qt/art/art.h"

namespace art {

Frames DrawLamp(vcl::TPicture lamp, QSize size);  // LampGreen, LampRed, LampRedBlink
Frames DrawLoopPanel(QSize size);
Frames DrawDispatcher(QSize size);
Frames DrawLocal(QSize size);
Frames DrawLogo(QSize size);
Frames DrawFeedback(QSize size);
Frames DrawHardware(QSize size);
Frames DrawPersonAtComputer(QSize size);
Frames DrawNetworkStrip(QSize size);
Frames DrawWindowIcon(QSize size);

}  // namespace art
