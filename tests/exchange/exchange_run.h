#pragma once
// Whole exchanges as the callers run them, against a virtual "COM1" in virtual time: build the
// request, write it, clear the start of RxBuf, PortRead 30 bytes, call the decoder. The far end
// only sends what a run is given, at the times it is given, so a reply can be split across
// reads, cut short, run long or come wrapped in noise exactly as a line does it.

#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "platform/clock.h"
#include "protocol/decoder_windows.h"
#include "state/process_image.h"
#include "../protocol/support.h"

namespace exchange {

using platform::Micros;
using Decoder = void (*)(TProcessImage&, protocol::DecoderWindows&);

// One kind of caller: the state discovery or polling leaves when it runs, the request it
// writes, how much of RxBuf it clears and which decoder gets the reply.
struct Role {
    const char* name;
    void (*state)(TProcessImage&);
    std::vector<std::uint8_t> (*request)(TProcessImage&);
    int cleared;  // RxBuf[0 .. cleared-1] zeroed before the read
    Decoder decode;
};

// Probe, discovery's loop-state reads and input counting, the group B kind read, the cyclic
// poll, the loop-state poll, a write try, its read-back, a loop command.
const std::vector<Role>& Roles();
const Role& RoleNamed(const char* name);

// Time of one character at 4800 baud, 8 data bits, even parity, 2 stop bits.
inline constexpr Micros kCharTime = 2500;

// Bytes the far end sends: the first reaches the port `lead` after the read call of exchange
// `exchange` (negative: already waiting when the read starts), the next ones `spacing` apart.
// A chunk never overtakes bytes sent before it.
struct Chunk {
    std::vector<std::uint8_t> bytes;
    int exchange = 0;
    Micros lead = -kCharTime;
    Micros spacing = kCharTime;
};

// A chunk waiting in the port when the read of exchange `e` starts, as if it came at line pace.
inline Chunk Waiting(std::vector<std::uint8_t> bytes, int e = 0) {
    const Micros lead = -kCharTime * static_cast<Micros>(bytes.size());
    return {std::move(bytes), e, lead, kCharTime};
}
// A chunk arriving at line pace, its first byte `lead` after the read call of exchange `e`.
inline Chunk Paced(std::vector<std::uint8_t> bytes, int e, Micros lead) {
    return {std::move(bytes), e, lead, kCharTime};
}

// What one exchange saw and left.
struct Exchange {
    TProcessImage before;                 // after the request was built, before the write
    std::array<std::uint8_t, 30> cleared; // RxBuf when the read started
    std::vector<std::uint8_t> fresh;      // the bytes the read took
    std::array<std::uint8_t, 30> received;// RxBuf as the decoder got it
    TProcessImage after;
    std::vector<protocol_test::WindowCall> calls;
};

struct Run {
    std::vector<std::uint8_t> line;       // every byte the far end sent, in order
    std::array<std::uint8_t, 30> earlier; // RxBuf as the run found it: bytes of earlier reads
    std::vector<Exchange> exchanges;
    std::size_t unread = 0;               // bytes still waiting in the port at the end
    int serialBoxes = 0;                  // boxes of the serial channel
};

// Exchanges of `role` from the image `start`: until every chunk is sent and read, then one more,
// at most `maxExchanges`. The port is opened on the global ProcessImage and closed again.
Run RunExchanges(const Role& role, const TProcessImage& start, const std::vector<Chunk>& chunks,
                 int maxExchanges = 64);

}  // namespace exchange
