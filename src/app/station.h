#pragma once
// The program entry of the station: the application object initialised, the five windows
// created in order with the wait window as the main form, then the message loop.

namespace vcl {
class TApplication;
}

namespace app {

// Creates the windows in the order Form5, Form1 (whose creation runs discovery), Form2,
// Form3, Form4. Exceptions propagate.
void CreateStationForms(vcl::TApplication& application);

// Destroys the windows and forgets them; the process image starts afresh.
void DestroyStation(vcl::TApplication& application);

// The whole run. An exception escaping start-up or the message loop is shown in the
// standard exception box; the program then ends with status 1.
int RunStation(vcl::TApplication& application);

}  // namespace app
