#pragma once
// The wait window: "Идет анализ схемы Ремиконта" while discovery runs, then hidden and
// relabelled as the shut-down notice. It is the application's main form: closing it closes
// the port and ends the program.

#include "platform/vcl/forms.h"

class TForm5 : public vcl::TForm {
public:
    explicit TForm5(vcl::TApplication& app);

    vcl::TImage* Image1;
    vcl::TLabel* Label1;
    vcl::TTimer* Timer1;

    void Timer1Timer();
    void FormClose(vcl::TCloseAction& action);
};

extern TForm5* Form5;
