// Five times a second: what each editor would write, the loops' parameters as last read, the
// exchange lamps and the feedback box.

#include <string>

#include "console/read_write.h"
#include "platform/vcl/format.h"
#include "state/process_image.h"

namespace {

constexpr float kParamFullScale = 4096;

std::string ValueText(double value) { return vcl::FloatToStrF(value, vcl::TFloatFormat::ffFixed, 4, 2); }

// The spin edit holds a percentage of the full scale.
void ShowPreview(const console::LoopEditor& editor, float scale) {
    editor.preview->SetCaption(ValueText(editor.spin->Value() * scale * 0.01));
}

// The red lamp stands while the flag is 0, the green one while it is 1.
void ShowLamp(vcl::TImage* green, vcl::TImage* red, int flag) {
    green->SetVisible(flag != 0);
    red->SetVisible(flag == 0);
}

}  // namespace

void TForm1::Timer4Timer() {
    const TProcessImage& pi = ProcessImage;

    for (const console::LoopControls& loop : Loops) {
        ShowPreview(loop.setpoint, pi.Scale);
        ShowPreview(loop.setting, pi.Scale);
    }

    GroupBox6->SetVisible(pi.FeedbackPanel == 1);

    ShowLamp(PriemZ, PriemK, pi.RxLamp);
    ShowLamp(PeredZ, PeredK, pi.TxLamp);

    for (const console::LoopControls& loop : Loops) {
        loop.setpoint.value->SetCaption(ValueText(pi.LoopSetpoint[loop.loop] * pi.Scale / kParamFullScale));
        loop.setting.value->SetCaption(ValueText(pi.LoopUstavka[loop.loop] * pi.Scale / kParamFullScale));
    }
}
