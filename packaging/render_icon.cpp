// Renders the station's window icon to PNG files for the desktop entry (the icon is drawn in
// code; the package needs it as a file).

#include <QGuiApplication>
#include <QIcon>
#include <QPixmap>
#include <cstdio>

#include "platform/qt/art/art.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: render-icon SIZE OUT.png\n");
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    int qtArgc = 1;
    QGuiApplication app(qtArgc, argv);
    const int size = std::atoi(argv[1]);
    const QPixmap pixmap = art::WindowIcon().pixmap(size, size);
    if (pixmap.isNull() || !pixmap.save(QString::fromLocal8Bit(argv[2]), "PNG")) {
        std::fprintf(stderr, "render-icon: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
