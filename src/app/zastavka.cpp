#include "app/zastavka.h"

#include "state/process_image.h"

TForm2* Form2 = nullptr;

TForm2::TForm2(vcl::TApplication& app) : vcl::TForm(app, "Form2") {
    SetCaption(" Контроллер не отвечает");
    SetBounds(300, 131, 300, 249);
    SetBorderStyle(vcl::TFormBorderStyle::bsSingle);
    SetBorderIcons({.biSystemMenu = true, .biMinimize = false, .biMaximize = false});

    Image1 = Make<vcl::TImage>(this, "Image1");
    Image1->SetBounds(0, 0, 300, 205);
    Image1->SetPicture(vcl::TPicture::Hardware);
    Image1->OnClick = [this] { Image1Click(); };

    const vcl::TFont statusFont{.Name = "MS Sans Serif", .Height = 11, .Color = vcl::clAqua,
                                .Charset = vcl::TFontCharset::RUSSIAN_CHARSET};
    StatusBar1 = Make<vcl::TStatusBar>(this, "StatusBar1");
    StatusBar1->SetBounds(0, 199, 300, 25);
    StatusBar1->SetFont(statusFont);
    StatusBar1->SetCaption("            Возможно прошел сбой на линии связи");

    StatusBar2 = Make<vcl::TStatusBar>(this, "StatusBar2");
    StatusBar2->SetBounds(0, 224, 300, 25);
    StatusBar2->SetFont(statusFont);
    StatusBar2->SetCaption("   Включен режим программирования или нет питания");

    Timer1 = MakeTimer("Timer1", 60000, [this] { Timer1Timer(); });
}

void TForm2::Timer1Timer() { ProcessImage.LinkWindowArmed = 1; }

void TForm2::Image1Click() { Close(); }
