// The editors of the loops' setpoints ("Задание") and settings ("Уставка"): a click on the
// value opens one, its OK closes it and writes the chosen percentage to the controller until
// the controller acknowledges (20 tries at most), then reads the parameter back twice.

#include <array>

#include "console/read_write.h"
#include "platform/win32/win32.h"
#include "protocol/frames.h"
#include "state/process_image.h"

namespace console {

// One editor: its loop, which of the loop's two editors, and which of its two parameters.
struct EditorRow {
    int loop;
    LoopEditor LoopControls::*editor;
    protocol::ParameterAddress protocol::LoopParameters::*parameter;
};

}  // namespace console

namespace {

using console::EditorRow;
using console::LoopControls;
using protocol::LoopParameters;

constexpr int kTries = 20;
constexpr int kBiasStep = 3;  // added to the value per unacknowledged try, from the third on
constexpr int kWritePause = 500;
constexpr int kReadBacks = 2;
constexpr int kReadBackPause = 500;
constexpr int kClear = 28;

constexpr EditorRow kSetpoint1{1, &LoopControls::setpoint, &LoopParameters::setpoint};
constexpr EditorRow kSetpoint2{2, &LoopControls::setpoint, &LoopParameters::setpoint};
constexpr EditorRow kSetpoint3{3, &LoopControls::setpoint, &LoopParameters::setpoint};
constexpr EditorRow kSetpoint4{4, &LoopControls::setpoint, &LoopParameters::setpoint};
constexpr EditorRow kSetting1{1, &LoopControls::setting, &LoopParameters::setting};
constexpr EditorRow kSetting2{2, &LoopControls::setting, &LoopParameters::setting};
constexpr EditorRow kSetting3{3, &LoopControls::setting, &LoopParameters::setting};
constexpr EditorRow kSetting4{4, &LoopControls::setting, &LoopParameters::setting};

}  // namespace

void TForm1::OpenEditor(const EditorRow& row) {
    const console::LoopEditor& e = Loops[row.loop - 1].*row.editor;
    e.preview->Show();
    e.spin->Show();
    e.ok->Show();
    e.box->Show();
}

void TForm1::WriteParameter(const EditorRow& row) {
    TProcessImage& pi = ProcessImage;
    const console::LoopEditor& e = Loops[row.loop - 1].*row.editor;
    const protocol::ParameterAddress address = protocol::kLoopParameters[row.loop - 1].*row.parameter;

    e.preview->Hide();
    e.spin->Hide();
    e.ok->Hide();
    e.box->Hide();

    pi.CommandAccepted = 0;
    pi.WriteRetryBias = 0;
    for (int pass = 0; pass < kTries; ++pass) {
        // An acknowledgement is looked at only here, at the top of the next pass.
        if (pi.CommandAccepted == 1) {
            pi.BusyMode = 0;
            pi.CommandAccepted = 0;
            pi.WriteRetryBias = 0;
            break;
        }
        const auto frame = protocol::BuildWriteParam(pi, address.block, address.index, e.spin->Value(),
                                                     pi.WriteRetryBias);
        // The frame keeps the bias it was built with; the increase counts from the next try.
        if (pi.BusyMode == 10) pi.WriteRetryBias += kBiasStep;
        pi.BusyMode = 10;
        Exchange({frame, kWritePause, kClear, ClearAt::BeforeWrite, &TForm1::Nastrojka,
                  trace::ExchangeKind::WriteTry});
    }

    pi.BusyMode = 1;
    for (int i = 0; i < kReadBacks; ++i) {
        // Built before the pause rather than after it: nothing runs during a pause.
        Exchange({protocol::BuildReadParam(pi, address.block, address.index), kReadBackPause, kClear,
                  ClearAt::AfterWrite, &TForm1::Sortirovka_Buf, trace::ExchangeKind::ReadBack});
        pi.BusyMode = 0;
    }
}

void TForm1::koff1Click() { OpenEditor(kSetpoint1); }
void TForm1::koff2Click() { OpenEditor(kSetpoint2); }
void TForm1::koff3Click() { OpenEditor(kSetpoint3); }
void TForm1::koff4Click() { OpenEditor(kSetpoint4); }
void TForm1::koff11Click() { OpenEditor(kSetting1); }
void TForm1::koff21Click() { OpenEditor(kSetting2); }
void TForm1::koff31Click() { OpenEditor(kSetting3); }
void TForm1::koff41Click() { OpenEditor(kSetting4); }

void TForm1::OK_koffClick() { WriteParameter(kSetpoint1); }
void TForm1::OK_koff2Click() { WriteParameter(kSetpoint2); }
void TForm1::OK_koff3Click() { WriteParameter(kSetpoint3); }
void TForm1::OK_koff4Click() { WriteParameter(kSetpoint4); }
void TForm1::OK_koff11Click() { WriteParameter(kSetting1); }
void TForm1::OK_koff21Click() { WriteParameter(kSetting2); }
void TForm1::OK_koff31Click() { WriteParameter(kSetting3); }
void TForm1::OK_koff41Click() { WriteParameter(kSetting4); }
