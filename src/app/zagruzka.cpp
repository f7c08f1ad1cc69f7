#include "app/zagruzka.h"

#include "console/read_write.h"
#include "serial/serial_channel.h"
#include "state/process_image.h"

TForm5* Form5 = nullptr;

TForm5::TForm5(vcl::TApplication& app) : vcl::TForm(app, "Form5") {
    SetCaption("Идет анализ схемы Ремиконта");
    SetBounds(254, 79, 227, 145);
    SetBorderStyle(vcl::TFormBorderStyle::bsSingle);
    SetBorderIcons({.biSystemMenu = true, .biMinimize = false, .biMaximize = false});

    Image1 = Make<vcl::TImage>(this, "Image1");
    Image1->SetBounds(-8, 0, 235, 144);
    Image1->SetPicture(vcl::TPicture::Hardware);

    Label1 = Make<vcl::TLabel>(this, "Label1");
    Label1->SetBounds(64, 8, 90, 24);
    Label1->SetCaption("Ждите ...");
    Label1->SetFont({.Name = "MS Sans Serif", .Height = 19, .Color = vcl::clNavy, .Bold = true});
    Label1->SetTransparent(true);

    Timer1 = MakeTimer("Timer1", 100, [this] { Timer1Timer(); });
    OnClose = [this](vcl::TCloseAction& action) { FormClose(action); };
    SetVisible(true);
}

void TForm5::Timer1Timer() {
    TProcessImage& pi = ProcessImage;
    if (pi.StartupDone > 0) {
        pi.StartupDone = 0;
        pi.ShutdownNotice = 1;
        Hide();
        Form1->Show();
    }
    if (pi.ShutdownNotice == 1) {
        SetCaption("Заканчиваем работу  !!!");
        Label1->Hide();
    }
}

void TForm5::FormClose(vcl::TCloseAction&) { PortClose(); }
