#pragma once
// The command-accepted window "Команда прошла !", shown when the controller acknowledges a
// parameter write or a loop command; a click anywhere on it closes it.

#include "platform/vcl/forms.h"

class TForm3 : public vcl::TForm {
public:
    explicit TForm3(vcl::TApplication& app);

    vcl::TRxGIFAnimator* RxGIFAnimator1;

    void FormClick();
    void RxGIFAnimator1Click();
};

extern TForm3* Form3;
