// Any 30 received bytes, any state the exchanges can leave: protocol::Nastrojka must neither
// crash nor read or write outside the image, and must keep it consistent.

#include <cstddef>
#include <cstdint>

#include "fuzz_image.h"
#include "protocol/decoders.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const TProcessImage before = fuzz::ImageFromInput(data, size);
    TProcessImage after = before;
    fuzz::AcceptingWindows windows;
    protocol::Nastrojka(after, windows);
    fuzz::CheckInvariants(before, after);
    return 0;
}
