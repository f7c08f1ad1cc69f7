#include "network/oll.h"

#include <string>

#include "state/process_image.h"

TForm4* Form4 = nullptr;

namespace {

constexpr void (TForm4::*kGreenLampClicks[TForm4::kNodes])() = {
    &TForm4::Remik1Click,  &TForm4::Remik2Click,  &TForm4::Remik3Click,  &TForm4::Remik4Click,
    &TForm4::Remik5Click,  &TForm4::Remik6Click,  &TForm4::Remik7Click,  &TForm4::Remik8Click,
    &TForm4::Remik9Click,  &TForm4::Remik10Click, &TForm4::Remik11Click, &TForm4::Remik12Click,
    &TForm4::Remik13Click, &TForm4::Remik14Click,
};

// Node k's lamps lie over the grey lamp of number k in the strip.
constexpr int LampLeft(int k) { return 14 + 24 * (k - 1); }
constexpr int kLampTop = 27;

vcl::TImage* MakeLamp(vcl::TForm& form, const std::string& name, int k, vcl::TPicture picture) {
    auto* lamp = form.Make<vcl::TImage>(&form, name);
    lamp->SetBounds(LampLeft(k), kLampTop, 12, 12);
    lamp->SetPicture(picture);
    lamp->SetTransparent(true);
    lamp->SetHint("Подключить");
    lamp->Hide();
    return lamp;
}

}  // namespace

TForm4::TForm4(vcl::TApplication& app) : vcl::TForm(app, "Form4") {
    SetCaption("Вся сеть ТРАНЗИТ");
    SetBounds(162, 178, 356, 64);
    SetBorderStyle(vcl::TFormBorderStyle::bsSingle);
    SetBorderIcons({.biSystemMenu = true, .biMinimize = false, .biMaximize = false});

    Image15 = Make<vcl::TImage>(this, "Image15");
    Image15->SetBounds(8, 8, 335, 37);
    Image15->SetPicture(vcl::TPicture::NetworkStrip);
    Image15->SetTransparent(true);

    for (int k = 1; k <= kNodes; ++k) {
        vcl::TImage* lamp = MakeLamp(*this, "Remik" + std::to_string(k), k, vcl::TPicture::LampGreen);
        lamp->SetCursor(vcl::TCursor::crHandPoint);
        lamp->SetShowHint(true);
        lamp->OnClick = [this, click = kGreenLampClicks[k - 1]] { (this->*click)(); };
        GreenLamps[k - 1] = lamp;
    }
    for (int k = 1; k <= kNodes; ++k)
        RedLamps[k - 1] = MakeLamp(*this, "RemikVkl" + std::to_string(k), k, vcl::TPicture::LampRed);

    StatusBar1 = Make<vcl::TStatusBar>(this, "StatusBar1");
    StatusBar1->SetBounds(0, 45, 356, 19);
    StatusBar1->SetCaption("Для подключения другого Ремиконта нажмите на ЗЕЛЁНУЮ лампу");

    Timer1 = MakeTimer("Timer1", 450, [this] { Timer1Timer(); });
}

void TForm4::Timer1Timer() {
    const TProcessImage& pi = ProcessImage;
    for (int k = 1; k <= kNodes; ++k) RedLamps[k - 1]->SetVisible(pi.NetNode[k] == 1);
    for (int k = 1; k <= kNodes; ++k) GreenLamps[k - 1]->SetVisible(pi.ControllerNo == k);
}

// Connecting another controller is not offered: the click opens the feedback box instead.
void TForm4::GreenLampClick() { ProcessImage.FeedbackPanel = 1; }

void TForm4::Remik1Click() { GreenLampClick(); }
void TForm4::Remik2Click() { GreenLampClick(); }
void TForm4::Remik3Click() { GreenLampClick(); }
void TForm4::Remik4Click() { GreenLampClick(); }
void TForm4::Remik5Click() { GreenLampClick(); }
void TForm4::Remik6Click() { GreenLampClick(); }
void TForm4::Remik7Click() { GreenLampClick(); }
void TForm4::Remik8Click() { GreenLampClick(); }
void TForm4::Remik9Click() { GreenLampClick(); }
void TForm4::Remik10Click() { GreenLampClick(); }
void TForm4::Remik11Click() { GreenLampClick(); }
void TForm4::Remik12Click() { GreenLampClick(); }
void TForm4::Remik13Click() { GreenLampClick(); }
void TForm4::Remik14Click() { GreenLampClick(); }
