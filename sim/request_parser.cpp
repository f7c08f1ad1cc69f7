#include "sim/request_parser.h"

#include <array>

namespace sim {

namespace {

struct Shape {
    std::uint8_t function;
    std::uint8_t letter;
    RequestKind kind;
    std::size_t length;
};

// Controller requests (frame kind 01) by function and letter.
constexpr std::array<Shape, 5> kShapes{{
    {kFuncInput, kLetterRead, RequestKind::ReadInput, 11},
    {kFuncParameter, kLetterRead, RequestKind::ReadParam, 11},
    {kFuncLoop, kLetterRead, RequestKind::LoopState, 10},
    {kFuncParameter, kLetterWrite, RequestKind::WriteParam, 13},
    {kFuncLoop, kLetterWrite, RequestKind::LoopCommand, 11},
}};

constexpr std::size_t kProbeLength = 6;

constexpr std::array<std::pair<RequestKind, const char*>, 6> kNames{{
    {RequestKind::Probe, "probe"},
    {RequestKind::ReadInput, "input_read"},
    {RequestKind::ReadParam, "param_read"},
    {RequestKind::LoopState, "loop_state"},
    {RequestKind::WriteParam, "param_write"},
    {RequestKind::LoopCommand, "loop_command"},
}};

}  // namespace

const char* KindName(RequestKind kind) {
    for (const auto& [k, name] : kNames)
        if (k == kind) return name;
    return "?";
}

std::optional<RequestKind> KindFromName(std::string_view name) {
    for (const auto& [k, n] : kNames)
        if (name == n) return k;
    return std::nullopt;
}

void RequestParser::Skip() {
    held_.pop_front();
    ++skipped_;
}

std::vector<Request> RequestParser::Feed(std::span<const std::uint8_t> bytes, platform::Micros firstDone,
                                         platform::Micros charTime) {
    for (std::size_t i = 0; i < bytes.size(); ++i)
        held_.push_back({bytes[i], firstDone + static_cast<platform::Micros>(i) * charTime, charTime});

    std::vector<Request> requests;
    for (;;) {
        // Line up on DLE STX.
        while (!held_.empty() && held_[0].value != kDle) Skip();
        if (held_.size() < 2) break;
        if (held_[1].value != kStx) {
            Skip();
            continue;
        }
        if (held_.size() < 3) break;

        std::size_t length = 0;
        RequestKind kind = RequestKind::Probe;
        if (held_[2].value == kKindGateway) {
            length = kProbeLength;
        } else if (held_[2].value == kKindController) {
            if (held_.size() < 6) break;
            for (const Shape& s : kShapes) {
                if (held_[4].value == s.function && held_[5].value == s.letter) {
                    length = s.length;
                    kind = s.kind;
                }
            }
        }
        if (length == 0) {
            Skip();
            continue;
        }
        if (held_.size() < length) break;
        if (held_[length - 3].value != kDle || held_[length - 2].value != kEtx) {
            Skip();
            continue;
        }

        Request r;
        r.kind = kind;
        for (std::size_t i = 0; i < length; ++i) r.bytes.push_back(held_[i].value);
        r.checksumOk = Checksum(std::span(r.bytes).first(length - 1)) == r.bytes[length - 1];
        r.start = held_[0].done - held_[0].charTime;
        r.end = held_[length - 1].done;
        const Bytes& b = r.bytes;
        if (kind != RequestKind::Probe) r.node = b[3];
        switch (kind) {
            case RequestKind::Probe: break;
            case RequestKind::ReadInput: r.group = b[6]; r.channel = b[7]; break;
            case RequestKind::ReadParam: r.block = b[6]; r.index = b[7]; break;
            case RequestKind::LoopState: r.loop = b[6]; break;
            case RequestKind::WriteParam:
                r.block = b[6];
                r.index = b[7];
                r.word = static_cast<std::uint16_t>(b[8] | (b[9] << 8));
                break;
            case RequestKind::LoopCommand: r.loop = b[6]; r.command = b[7]; break;
        }
        held_.erase(held_.begin(), held_.begin() + static_cast<std::ptrdiff_t>(length));
        requests.push_back(std::move(r));
    }
    return requests;
}

}  // namespace sim
