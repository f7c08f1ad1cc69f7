#include "app/station.h"

#include <exception>
#include <stdexcept>

#include "app/no_error.h"
#include "app/status_windows.h"
#include "app/zagruzka.h"
#include "app/zastavka.h"
#include "console/read_write.h"
#include "network/oll.h"
#include "platform/vcl/forms.h"
#include "state/process_image.h"

namespace app {

void CreateStationForms(vcl::TApplication& application) {
    application.Initialize();
    application.CreateForm(Form5);
    application.CreateForm(Form1);
    application.CreateForm(Form2);
    application.CreateForm(Form3);
    ShowDeferredStatusWindows();
    application.CreateForm(Form4);
}

void DestroyStation(vcl::TApplication& application) {
    application.DestroyForms();
    Form1 = nullptr;
    Form2 = nullptr;
    Form3 = nullptr;
    Form4 = nullptr;
    Form5 = nullptr;
    ResetStatusWindows();
    ProcessImage = TProcessImage{};
}

int RunStation(vcl::TApplication& application) {
    int status = 0;
    try {
        CreateStationForms(application);
        application.Run();
    } catch (const std::exception& e) {
        application.ShowException(e);
        status = 1;
    } catch (...) {
        application.ShowException(std::runtime_error("Unknown exception"));
        status = 1;
    }
    DestroyStation(application);
    return status;
}

}  // namespace app
