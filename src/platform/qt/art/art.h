#pragma once
// Every picture of the station, drawn in code.

#include <QIcon>
#include <QImage>
#include <QSize>
#include <vector>

#include "platform/vcl/graphics.h"

namespace art {

struct Frames {
    std::vector<QImage> images;  // one for a still picture
    int frameMs = 0;             // time each frame shows; 0 for a still picture
};

// The picture at the size of the control that shows it (ARGB, transparent where the
// picture has no paint).
Frames Draw(vcl::TPicture picture, QSize size);

QIcon WindowIcon();

}  // namespace art
