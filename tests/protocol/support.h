#pragma once
// Helpers of the protocol tests: frames as hex text, a field-by-field comparison of two process
// images, and windows that record what the decoders ask of them.

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "protocol/decoder_windows.h"
#include "state/process_image.h"

namespace protocol_test {

// "10 02 01 .." to bytes; blanks separate the bytes.
std::vector<std::uint8_t> Hex(std::string_view text);
std::string ToHex(const std::uint8_t* bytes, std::size_t count);

// RxBuf as a read leaves it: the bytes at `offset`, everything else zero.
void LoadRx(TProcessImage& pi, std::string_view hex, int offset = 0);
void ZeroRx28(TProcessImage& pi);

// One line per field whose value differs, "Field: expected -> actual". ScanPos and ScanAux, the
// decoders' loop registers, are left out.
std::vector<std::string> Differences(const TProcessImage& expected, const TProcessImage& actual);

struct WindowCall {
    enum Kind { NoAnswer, CommandAccepted, Box, ControllerNo } kind;
    std::string text;
    std::string caption;
    bool operator==(const WindowCall&) const = default;
};
std::ostream& operator<<(std::ostream& os, const WindowCall& call);

WindowCall NoAnswerWindow();
WindowCall CommandAcceptedWindow();
// The text is given in pieces, as the operator texts are composed.
WindowCall Box(std::initializer_list<std::string_view> text, std::string caption);
WindowCall Lab1(std::string caption);

class RecordingWindows : public protocol::DecoderWindows {
public:
    std::vector<WindowCall> calls;
    // Runs while a modal box is open, as a nested timer would.
    std::function<void()> duringBox;

    void ShowNoAnswerWindow() override { calls.push_back(NoAnswerWindow()); }
    void ShowCommandAccepted() override { calls.push_back(CommandAcceptedWindow()); }
    void MessageBox(const std::string& text, const std::string& caption) override {
        calls.push_back({WindowCall::Box, text, caption});
        if (duringBox) duringBox();
    }
    void ShowControllerNo(const std::string& caption) override { calls.push_back(Lab1(caption)); }
};

}  // namespace protocol_test
