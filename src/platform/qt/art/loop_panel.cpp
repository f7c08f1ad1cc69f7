// The face of a loop's group box: six lamp marks over the Задание and Уставка fields.
// The lamps and value labels of the form lie over this picture, so every mark and field
// below sits exactly under the control that covers it (picture = group box - (5, 24)).

#include <QLinearGradient>
#include <array>

#include "platform/qt/art/kit.h"
#include "platform/qt/art/pictures.h"

namespace art {

namespace {

struct Mark {
    const char* label;
    int left;  // of the 12 x 12 lamp; every lamp of the row has its top at 16
};

// ЛУ, ДУ, ВЗ and РЗ lie under the form's lamps; РУ and ПЗ are never lit.
constexpr std::array<Mark, 6> kMarks{{
    {"ЛУ", 3}, {"ДУ", 26}, {"РУ", 49}, {"ВЗ", 92}, {"ПЗ", 116}, {"РЗ", 140},
}};
constexpr int kMarkTop = 16;
constexpr int kMarkSize = 12;

struct Field {
    const char* title;
    QRect value;  // where the form's value label lies
    QRect frame;
};

constexpr std::array<Field, 2> kFields{{
    {"Задание", QRect(11, 56, 58, 29), QRect(4, 44, 72, 46)},
    {"Уставка", QRect(91, 56, 57, 29), QRect(84, 44, 72, 46)},
}};

// The plate's face shades from top to bottom.
const QColor kFaceTop{222, 219, 212};
const QColor kFaceBottom{206, 202, 194};
constexpr int kHeight = 91;

void FieldFrame(QPainter& p, const Field& f) {
    kit::Groove(p, f.frame);
    // The title cuts the frame's top line, as on a group box.
    const QFont font = kit::Font(11, true);
    const int w = QFontMetrics(font).horizontalAdvance(QString::fromUtf8(f.title)) + 6;
    const QRect title(f.frame.center().x() - w / 2 + 1, f.frame.top() - 6, w, 13);
    p.fillRect(title.adjusted(0, 4, 0, -4), kit::Mix(kFaceTop, kFaceBottom, static_cast<double>(f.frame.top()) / kHeight));
    kit::Engraved(p, title, QString::fromUtf8(f.title), font);
    // A light display, one bevel out from the label, so red and blue digits read well.
    const QRect display = f.value.adjusted(-3, -3, 3, 3);
    p.fillRect(display, kit::kDisplay);
    kit::Bevel(p, display, false);
}

}  // namespace

Frames DrawLoopPanel(QSize size) {
    return kit::Still(size, QSize(158, kHeight), [](QPainter& p) {
        const QRect plate(0, 0, 158, kHeight);
        QLinearGradient face(0, 0, 0, kHeight);
        face.setColorAt(0.0, kFaceTop);
        face.setColorAt(1.0, kFaceBottom);
        p.fillRect(plate, face);
        kit::ThinBevel(p, plate, true);
        kit::GrooveLine(p, 79, 4, 79, 86);

        const QFont font = kit::Font(10, true);
        for (const Mark& m : kMarks) {
            const QRectF lamp(m.left, kMarkTop, kMarkSize, kMarkSize);
            kit::Engraved(p, QRectF(m.left - 6, 2, kMarkSize + 12, 12), QString::fromUtf8(m.label), font);
            kit::LampMark(p, lamp);
        }
        for (const Field& f : kFields) FieldFrame(p, f);
    });
}

}  // namespace art
