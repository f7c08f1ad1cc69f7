// Every two seconds: the input values, which labels are in use, the loops' mode pictures, and
// the warning when the gateway has stayed silent too long.

#include <string>

#include "console/read_write.h"
#include "platform/vcl/format.h"
#include "state/process_image.h"

namespace {

constexpr int kSilentRunsBeforeWarning = 50;  // 100 s without an accepted reply
constexpr int kCountAfterWarning = 25;        // the next warning comes 26 runs (52 s) later
constexpr float kInputFullScale = 8192;

std::string ValueText(double value) { return vcl::FloatToStrF(value, vcl::TFloatFormat::ffFixed, 4, 2); }

// The lamps of a loop in one of its four modes.
struct ModeLamps {
    int state;
    bool LU, BS, PS, DU;
};

constexpr ModeLamps kModeLamps[] = {
    {1, true, true, false, false},
    {2, true, false, true, false},
    {31, false, true, false, true},
    {32, false, false, true, true},
};

bool OutOfUse(int state) { return state == 0 || state == 10; }

}  // namespace

void TForm1::Timer1Timer() {
    TProcessImage& pi = ProcessImage;

    if (++pi.NoReplyCount > kSilentRunsBeforeWarning) {
        pi.NoReplyCount = kCountAfterWarning;
        vcl::Application->MessageBox("Проблема с линией связи", "       Шлюз не отвечает", 0);
    }

    for (int k = 1; k <= 8; ++k) InputALabels[k - 1]->SetEnabled(pi.CountA >= k);
    for (int k = 1; k <= 8; ++k) InputALabels[k - 1]->SetCaption(ValueText(pi.InputA[k] * pi.Scale / kInputFullScale));

    for (int k = 1; k <= 8; ++k) InputBLabels[k - 1]->SetEnabled(pi.CountB >= k);
    // Inputs 9 to 15 sit in the second box, which appears once there are more than eight and
    // then stays. The sixteenth label has no input behind it.
    if (pi.CountB > 8) GroupBox4->Show();
    for (int k = 9; k <= 15; ++k) InputBLabels[k - 1]->SetEnabled(pi.CountB >= k);

    // Group B values, and then the loops, only once a group B reply has said what kind they are.
    const auto groupB = [&pi](int k) { return k <= 8 ? pi.InputB[k] : pi.InputBUpper[k]; };
    switch (pi.GroupBKind) {
    case 1:
        for (int k = 1; k <= 15; ++k)
            InputBLabels[k - 1]->SetCaption(ValueText(groupB(k) * pi.Scale / kInputFullScale));
        return;
    case 0:
        for (int k = 1; k <= 15; ++k) InputBLabels[k - 1]->SetCaption(vcl::IntToStr(groupB(k)));
        break;
    default:
        return;
    }

    for (console::LoopControls& loop : Loops) {
        if (pi.LoopState[loop.loop] == 0) continue;
        loop.setpoint.value->SetEnabled(true);
        loop.setting.value->SetEnabled(true);
    }

    // Discrete input k of group B tells whether loop k is run locally (0) or by the dispatcher.
    for (console::LoopControls& loop : Loops) {
        const bool local = pi.InputB[loop.loop] == 0;
        loop.Mestn->SetVisible(local);
        loop.Dispetch->SetVisible(!local);
    }

    for (console::LoopControls& loop : Loops) {
        const int state = pi.LoopState[loop.loop];
        if (OutOfUse(state)) {
            loop.LU->Hide();
            loop.BS->Hide();
            loop.PS->Hide();
            loop.DU->Hide();
            loop.setpoint.value->SetEnabled(false);
            loop.setting.value->SetEnabled(false);
            loop.Mestn->Hide();
            loop.Dispetch->Hide();
            continue;
        }
        for (const ModeLamps& mode : kModeLamps) {
            if (mode.state != state) continue;
            loop.LU->SetVisible(mode.LU);
            loop.BS->SetVisible(mode.BS);
            loop.PS->SetVisible(mode.PS);
            loop.DU->SetVisible(mode.DU);
        }
    }
}
