#include "app/status_windows.h"

#include "app/no_error.h"
#include "app/zastavka.h"

namespace app {

namespace {
bool noAnswerPending = false;
bool acceptedPending = false;
}  // namespace

void ShowNoAnswerWindow() {
    if (Form2) Form2->Show();
    else noAnswerPending = true;
}

void ShowCommandAcceptedWindow() {
    if (Form3) Form3->Show();
    else acceptedPending = true;
}

void ShowDeferredStatusWindows() {
    if (Form2 && noAnswerPending) {
        noAnswerPending = false;
        Form2->Show();
    }
    if (Form3 && acceptedPending) {
        acceptedPending = false;
        Form3->Show();
    }
}

void ResetStatusWindows() {
    noAnswerPending = false;
    acceptedPending = false;
}

}  // namespace app
