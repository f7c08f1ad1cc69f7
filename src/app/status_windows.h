#pragma once
// The decoders ask for the no-answer window (Form2) and the command-accepted window (Form3)
// to be shown. A reply decoded during discovery can ask before the window exists: the
// request is then kept and the window shown as soon as it has been created.

namespace app {

void ShowNoAnswerWindow();
void ShowCommandAcceptedWindow();

// Shows what was asked for while the windows did not exist; called after each is created.
void ShowDeferredStatusWindows();
// Drops requests still kept (a new run of the station in the same process).
void ResetStatusWindows();

}  // namespace app
