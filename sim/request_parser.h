#pragma once
// The gateway's side of the station's requests. Requests are never stuffed (a value's high
// byte or the checksum may be a lone 0x10), so a frame is cut by the length its kind implies,
// not by looking for DLE ETX. Bytes that cannot start a known request are skipped one at a
// time until a frame lines up again.

#include <cstdint>
#include <deque>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "platform/clock.h"
#include "sim/frames.h"

namespace sim {

enum class RequestKind { Probe, ReadInput, ReadParam, LoopState, WriteParam, LoopCommand };

// "probe", "input_read", "param_read", "loop_state", "param_write", "loop_command".
const char* KindName(RequestKind kind);
std::optional<RequestKind> KindFromName(std::string_view name);

struct Request {
    RequestKind kind = RequestKind::Probe;
    Bytes bytes;                    // exactly as received
    bool checksumOk = false;        // a request failing its checksum is not answered
    platform::Micros start = 0;     // its first byte began on the line
    platform::Micros end = 0;       // its last byte was complete
    int node = 0;                   // every kind but the probe
    int group = 0, channel = 0;     // ReadInput
    int block = 0, index = 0;       // ReadParam, WriteParam
    std::uint16_t word = 0;         // WriteParam: the value word
    int loop = 0, command = 0;      // LoopState (loop), LoopCommand (loop, command)
};

class RequestParser {
public:
    // The station's bytes: the first complete at `firstDone`, the next ones `charTime` apart.
    // Returns the requests completed by them, in order.
    std::vector<Request> Feed(std::span<const std::uint8_t> bytes, platform::Micros firstDone,
                              platform::Micros charTime);

    // Bytes skipped so far because no request could start with them.
    std::size_t Skipped() const { return skipped_; }
    // Bytes held while a request is still incomplete.
    std::size_t Held() const { return held_.size(); }

private:
    struct HeldByte {
        std::uint8_t value;
        platform::Micros done;
        platform::Micros charTime;
    };
    void Skip();
    std::deque<HeldByte> held_;
    std::size_t skipped_ = 0;
};

}  // namespace sim
