#include "console/read_write.h"

#include "app/zagruzka.h"
#include "serial/serial_channel.h"
#include "state/process_image.h"

TForm1* Form1 = nullptr;

TForm1::TForm1(vcl::TApplication& app) : vcl::TForm(app, "Form1") {
    SetCaption("Тест контроллеров Ремиконт Р-130");
    SetBounds(52, 106, 715, 349);
    SetBorderStyle(vcl::TFormBorderStyle::bsSingle);
    SetBorderIcons({.biSystemMenu = true, .biMinimize = true, .biMaximize = false});
    SetIcon(vcl::TPicture::WindowIcon);

    Timer1 = MakeTimer("Timer1", 2000, [this] { Timer1Timer(); });
    Timer2 = MakeTimer("Timer2", 500, [this] { Timer2Timer(); });
    Timer3 = MakeTimer("Timer3", 55000, [this] { Timer3Timer(); });
    Timer4 = MakeTimer("Timer4", 200, [this] { Timer4Timer(); });

    OnCreate = [this] { FormCreate(); };
    OnClose = [this](vcl::TCloseAction& action) { FormClose(action); };
}

void TForm1::FormCreate() {
    PortOpen();
    ProcessImage.StartupDone = 1;
}

void TForm1::FormClose(vcl::TCloseAction&) { Form5->Show(); }

void TForm1::Timer1Timer() {}
void TForm1::Timer2Timer() {}
void TForm1::Timer3Timer() {}
void TForm1::Timer4Timer() {}
