#pragma once
// The main window "Тест контроллеров Ремиконт Р-130": the operator's console for the one
// controller in service. Its creation runs discovery; its four timers poll and display.

#include "platform/vcl/forms.h"

class TForm1 : public vcl::TForm {
public:
    explicit TForm1(vcl::TApplication& app);

    vcl::TTimer* Timer1;  // value display and link supervision, 2000 ms
    vcl::TTimer* Timer2;  // cyclic polling, 500 ms
    vcl::TTimer* Timer3;  // loop state polling, 55000 ms
    vcl::TTimer* Timer4;  // previews, lamps, scale, 200 ms

    void FormCreate();
    void FormClose(vcl::TCloseAction& action);
    void Timer1Timer();
    void Timer2Timer();
    void Timer3Timer();
    void Timer4Timer();
};

extern TForm1* Form1;
