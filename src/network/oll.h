#pragma once
// The network window "Вся сеть ТРАНЗИТ": the nodes of the Tranzit network as lamps.

#include "platform/vcl/forms.h"

class TForm4 : public vcl::TForm {
public:
    explicit TForm4(vcl::TApplication& app);
};

extern TForm4* Form4;
