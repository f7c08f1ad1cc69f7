#include "console/read_write.h"
#include "network/oll.h"

// The network window is not modal; a second press brings it forward.
void TForm1::Button1Click() {
    Form4->Show();
    Form4->BringToFront();
}
