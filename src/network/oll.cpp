#include "network/oll.h"

TForm4* Form4 = nullptr;

TForm4::TForm4(vcl::TApplication& app) : vcl::TForm(app, "Form4") {
    SetCaption("Вся сеть ТРАНЗИТ");
    SetBounds(162, 178, 356, 64);
    SetBorderStyle(vcl::TFormBorderStyle::bsSingle);
    SetBorderIcons({.biSystemMenu = true, .biMinimize = false, .biMaximize = false});
}
