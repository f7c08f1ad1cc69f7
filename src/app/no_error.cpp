#include "app/no_error.h"

TForm3* Form3 = nullptr;

TForm3::TForm3(vcl::TApplication& app) : vcl::TForm(app, "Form3") {
    SetCaption("Команда прошла !");
    SetPosition(vcl::TPosition::poScreenCenter);
    SetBounds(0, 0, 162, 99);
    SetBorderStyle(vcl::TFormBorderStyle::bsDialog);
    SetBorderIcons({.biSystemMenu = true, .biMinimize = false, .biMaximize = false});
    SetCursor(vcl::TCursor::crHandPoint);
    SetHint("Закрыть");
    SetShowHint(true);
    OnClick = [this] { FormClick(); };

    RxGIFAnimator1 = Make<vcl::TRxGIFAnimator>(this, "RxGIFAnimator1");
    RxGIFAnimator1->SetBounds(32, 0, 107, 98);
    RxGIFAnimator1->SetPicture(vcl::TPicture::PersonAtComputer);
    RxGIFAnimator1->SetAnimate(true);
    RxGIFAnimator1->SetCursor(vcl::TCursor::crHandPoint);
    RxGIFAnimator1->SetHint("Закрыть");
    RxGIFAnimator1->SetShowHint(true);
    RxGIFAnimator1->OnClick = [this] { RxGIFAnimator1Click(); };
}

void TForm3::FormClick() { Close(); }

void TForm3::RxGIFAnimator1Click() { Close(); }
