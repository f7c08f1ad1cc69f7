#include "platform/qt/art/art.h"

#include <map>
#include <tuple>

#include "platform/qt/art/pictures.h"

namespace art {

namespace {

Frames Paint(vcl::TPicture picture, QSize size) {
    switch (picture) {
    case vcl::TPicture::None: return {};
    case vcl::TPicture::LampGreen:
    case vcl::TPicture::LampRed:
    case vcl::TPicture::LampRedBlink: return DrawLamp(picture, size);
    case vcl::TPicture::LoopPanel: return DrawLoopPanel(size);
    case vcl::TPicture::DispatcherAnim: return DrawDispatcher(size);
    case vcl::TPicture::LocalAnim: return DrawLocal(size);
    case vcl::TPicture::Logo: return DrawLogo(size);
    case vcl::TPicture::Feedback: return DrawFeedback(size);
    case vcl::TPicture::Hardware: return DrawHardware(size);
    case vcl::TPicture::PersonAtComputer: return DrawPersonAtComputer(size);
    case vcl::TPicture::NetworkStrip: return DrawNetworkStrip(size);
    case vcl::TPicture::WindowIcon: return DrawWindowIcon(size);
    }
    return {};
}

}  // namespace

Frames Draw(vcl::TPicture picture, QSize size) {
    if (picture == vcl::TPicture::None || size.isEmpty()) return {};
    // The same pictures recur (four loops, fourteen nodes, lamps everywhere) and controls ask
    // again whenever they change picture; frames are shared images, so keep each one drawn.
    // Pictures are drawn on the GUI thread only.
    static std::map<std::tuple<vcl::TPicture, int, int>, Frames> drawn;
    const auto key = std::make_tuple(picture, size.width(), size.height());
    auto it = drawn.find(key);
    if (it == drawn.end()) it = drawn.emplace(key, Paint(picture, size)).first;
    return it->second;
}

}  // namespace art
