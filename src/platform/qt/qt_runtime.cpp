#include "platform/qt/qt_runtime.h"

#include <QApplication>

#include "platform/qt/qt_backend.h"

namespace qtbackend {

int RunWithWindows(const char* programName, int, char** argv,
                   const std::function<int(vcl::Backend& backend)>& body) {
    // The station's own options are not the toolkit's: it sees the program name only.
    int qtArgc = 1;
    QApplication qapp(qtArgc, argv);
    QApplication::setApplicationName(QString::fromUtf8(programName));
    QtBackend backend;
    return body(backend);
}

}  // namespace qtbackend
