#pragma once
// The controls of one control loop, gathered so that handlers treating the four loops alike
// run over a row of them instead of naming each control.

#include "platform/vcl/controls.h"

namespace console {

// One of a loop's two editors: "Задание" (setpoint) or "Уставка" (setting). The value label
// in the loop's box opens it; OK closes it and writes.
struct LoopEditor {
    vcl::TLabel* value = nullptr;       // koff1 / koff11: the parameter as last read
    vcl::TGroupBox* box = nullptr;      // Zadanie1 / Zadanie11
    vcl::TLabel* preview = nullptr;     // nastr_koff1 / nastr_koff11
    vcl::TCSpinEdit* spin = nullptr;    // CS_koff1 / CS_koff11
    vcl::TButton* ok = nullptr;         // OK_koff1 / OK_koff11
};

struct LoopControls {
    int loop = 0;  // 1..4
    vcl::TGroupBox* group = nullptr;    // the loop's box, titled with its number
    vcl::TImage* panel = nullptr;       // the control panel picture behind the lamps
    vcl::TImage* LU = nullptr;          // green lamp on ЛУ
    vcl::TRxGIFAnimator* DU = nullptr;  // blinking red lamp on ДУ
    vcl::TImage* BS = nullptr;          // green lamp on ВЗ
    vcl::TRxGIFAnimator* PS = nullptr;  // blinking red lamp on РЗ; a click switches the loop
    vcl::TRxGIFAnimator* Dispetch = nullptr;  // mode animation above the box: dispatcher
    vcl::TRxGIFAnimator* Mestn = nullptr;     // mode animation above the box: local
    LoopEditor setpoint;
    LoopEditor setting;
};

}  // namespace console
