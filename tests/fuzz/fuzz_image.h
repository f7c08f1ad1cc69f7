#pragma once
// What a fuzz input stands for: the 30 bytes of RxBuf, then the state discovery or polling can
// leave in the process image when a decoder runs. Missing bytes count as zero.

#include <cstddef>
#include <cstdint>
#include <string>

#include "protocol/decoder_windows.h"
#include "state/process_image.h"

namespace fuzz {

TProcessImage ImageFromInput(const std::uint8_t* data, std::size_t size);

// What no reply may ever do to the image; a violation aborts, so the fuzzer reports it.
void CheckInvariants(const TProcessImage& before, const TProcessImage& after);

// Every window request is accepted; boxes close at once.
class AcceptingWindows : public protocol::DecoderWindows {
public:
    int boxes = 0;
    void ShowNoAnswerWindow() override {}
    void ShowCommandAccepted() override {}
    void MessageBox(const std::string&, const std::string&) override { ++boxes; }
    void ShowControllerNo(const std::string&) override {}
};

}  // namespace fuzz
