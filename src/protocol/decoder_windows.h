#pragma once
// What the two reply decoders ask of the windows. The main window implements it; tests
// record the requests.

#include <string>

namespace protocol {

class DecoderWindows {
public:
    virtual ~DecoderWindows() = default;
    // The no-answer window " Контроллер не отвечает", not modal.
    virtual void ShowNoAnswerWindow() = 0;
    // The command-accepted window "Команда прошла !", not modal.
    virtual void ShowCommandAccepted() = 0;
    // A modal box with one OK button and no icon; returns when the operator has closed it.
    virtual void MessageBox(const std::string& text, const std::string& caption) = 0;
    // The caption of the controller number label.
    virtual void ShowControllerNo(const std::string& caption) = 0;
};

}  // namespace protocol
