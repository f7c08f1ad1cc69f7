#include "platform/qt/art/art.h"

#include <QPainter>

namespace art {

// First cut: plain lamps and framed panels, until the artwork lands.
Frames Draw(vcl::TPicture picture, QSize size) {
    Frames f;
    if (picture == vcl::TPicture::None || size.isEmpty()) return f;
    QImage img(size, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    switch (picture) {
    case vcl::TPicture::LampGreen: p.setBrush(QColor(40, 200, 40)); p.drawEllipse(img.rect().adjusted(0, 0, -1, -1)); break;
    case vcl::TPicture::LampRed:
    case vcl::TPicture::LampRedBlink: p.setBrush(QColor(220, 30, 30)); p.drawEllipse(img.rect().adjusted(2, 2, -3, -3)); break;
    default: p.setPen(Qt::darkGray); p.drawRect(img.rect().adjusted(0, 0, -1, -1)); break;
    }
    p.end();
    f.images.push_back(img);
    return f;
}

QIcon WindowIcon() {
    QImage img(32, 32, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setBrush(QColor(60, 90, 140));
    p.drawRect(2, 2, 28, 28);
    p.end();
    return QIcon(QPixmap::fromImage(img));
}

}  // namespace art
