#pragma once
// The window system for a program: the toolkit's application object and the Qt backend, alive
// while `body` runs. Keeps the toolkit's headers out of the program entry.

#include <functional>

#include "platform/vcl/forms.h"

namespace qtbackend {

int RunWithWindows(const char* programName, int argc, char** argv,
                   const std::function<int(vcl::Backend& backend)>& body);

}  // namespace qtbackend
