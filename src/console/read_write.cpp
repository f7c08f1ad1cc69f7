#include "console/read_write.h"

#include "app/zagruzka.h"
#include "serial/serial_channel.h"
#include "state/process_image.h"

TForm1* Form1 = nullptr;

void TForm1::FormCreate() {
    PortOpen();
    ProcessImage.StartupDone = 1;
}

void TForm1::FormClose(vcl::TCloseAction&) { Form5->Show(); }

void TForm1::Timer2Timer() {}
void TForm1::Timer3Timer() {}
