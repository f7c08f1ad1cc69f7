#pragma once
// The no-answer window " Контроллер не отвечает", shown by the data decoder when the
// gateway reports that the controller in service does not answer. Its timer re-arms it.

#include "platform/vcl/forms.h"

class TForm2 : public vcl::TForm {
public:
    explicit TForm2(vcl::TApplication& app);

    vcl::TImage* Image1;
    vcl::TStatusBar* StatusBar1;
    vcl::TStatusBar* StatusBar2;
    vcl::TTimer* Timer1;

    void Timer1Timer();
    void Image1Click();
};

extern TForm2* Form2;
