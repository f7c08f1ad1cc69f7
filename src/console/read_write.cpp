#include "console/read_write.h"

#include "app/zagruzka.h"

TForm1* Form1 = nullptr;

void TForm1::FormClose(vcl::TCloseAction&) { Form5->Show(); }
