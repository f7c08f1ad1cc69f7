// The simulator's request parser fed the station's stream in arbitrary pieces. Whatever the
// bytes, every request it returns has its kind's exact length and framing, a checksum flag that
// tells the truth, fields read from its own bytes and times that place it in the stream; every
// byte fed is returned, skipped or held; and the pieces change nothing.
//
// Input: pieces, each a length byte (0..16) and that many bytes.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <span>
#include <vector>

#include "sim/request_parser.h"

namespace {

constexpr platform::Micros kChar = 2500;
constexpr platform::Micros kBase = 1'000'000;

void Require(bool ok, const char* what) {
    if (ok) return;
    std::fprintf(stderr, "request parser: %s\n", what);
    std::abort();
}

std::size_t LengthOf(sim::RequestKind kind) {
    switch (kind) {
    case sim::RequestKind::Probe: return 6;
    case sim::RequestKind::LoopState: return 10;
    case sim::RequestKind::WriteParam: return 13;
    default: return 11;
    }
}

// Function and letter of each controller request.
bool ShapeMatches(sim::RequestKind kind, const sim::Bytes& b) {
    if (kind == sim::RequestKind::Probe) return b[2] == 0x04;
    if (b[2] != 0x01) return false;
    switch (kind) {
    case sim::RequestKind::ReadInput: return b[4] == 0x04 && b[5] == 0x4E;
    case sim::RequestKind::ReadParam: return b[4] == 0x01 && b[5] == 0x4E;
    case sim::RequestKind::LoopState: return b[4] == 0x02 && b[5] == 0x4E;
    case sim::RequestKind::WriteParam: return b[4] == 0x01 && b[5] == 0x49;
    case sim::RequestKind::LoopCommand: return b[4] == 0x02 && b[5] == 0x49;
    default: return false;
    }
}

void CheckRequest(const sim::Request& r) {
    const sim::Bytes& b = r.bytes;
    const std::size_t n = LengthOf(r.kind);
    Require(b.size() == n, "a request of the wrong length");
    Require(b[0] == 0x10 && b[1] == 0x02 && b[n - 3] == 0x10 && b[n - 2] == 0x03, "a request without its framing");
    Require(ShapeMatches(r.kind, b), "a request of another kind");
    std::uint8_t sum = 0;
    for (std::size_t i = 0; i + 1 < n; ++i) sum = static_cast<std::uint8_t>(sum + b[i]);
    Require(r.checksumOk == (sum == b[n - 1]), "a checksum flag that does not tell the truth");
    Require(r.end - r.start == static_cast<platform::Micros>(n) * kChar, "times that do not span the request");
    if (r.kind == sim::RequestKind::Probe) return;
    Require(r.node == b[3], "node not from byte 3");
    switch (r.kind) {
    case sim::RequestKind::ReadInput: Require(r.group == b[6] && r.channel == b[7], "group or channel"); break;
    case sim::RequestKind::ReadParam: Require(r.block == b[6] && r.index == b[7], "block or index"); break;
    case sim::RequestKind::LoopState: Require(r.loop == b[6], "loop"); break;
    case sim::RequestKind::WriteParam:
        Require(r.block == b[6] && r.index == b[7] && r.word == (b[8] | b[9] << 8), "block, index or word");
        break;
    case sim::RequestKind::LoopCommand: Require(r.loop == b[6] && r.command == b[7], "loop or command"); break;
    default: break;
    }
}

bool Same(const sim::Request& a, const sim::Request& b) {
    return a.kind == b.kind && a.bytes == b.bytes && a.checksumOk == b.checksumOk && a.start == b.start &&
           a.end == b.end;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::vector<std::span<const std::uint8_t>> pieces;
    std::vector<std::uint8_t> stream;
    for (std::size_t i = 0; i < size;) {
        const std::size_t length = data[i] % 17;
        ++i;
        const std::size_t n = std::min(length, size - i);
        pieces.emplace_back(data + i, n);
        stream.insert(stream.end(), data + i, data + i + n);
        i += n;
    }

    sim::RequestParser parser;
    std::vector<sim::Request> got;
    std::size_t fed = 0;
    for (const auto& piece : pieces) {
        for (sim::Request& r : parser.Feed(piece, kBase + static_cast<platform::Micros>(fed) * kChar, kChar))
            got.push_back(std::move(r));
        fed += piece.size();
    }

    std::size_t taken = 0;
    std::size_t next = 0;  // a request starts after the one before it
    for (const sim::Request& r : got) {
        CheckRequest(r);
        const std::size_t n = r.bytes.size();
        const std::size_t last = static_cast<std::size_t>((r.end - kBase) / kChar);
        Require(last + 1 >= n && last < stream.size(), "a request placed outside the stream");
        const std::size_t at = last + 1 - n;
        Require(at >= next, "requests overlapping or out of order");
        Require(std::equal(r.bytes.begin(), r.bytes.end(), stream.begin() + static_cast<std::ptrdiff_t>(at)),
                "a request's bytes not the stream's");
        next = at + n;
        taken += n;
    }
    Require(parser.Skipped() + parser.Held() + taken == stream.size(), "bytes lost or counted twice");

    sim::RequestParser whole;
    const std::vector<sim::Request> once = whole.Feed(stream, kBase, kChar);
    Require(once.size() == got.size(), "pieces changed the requests found");
    for (std::size_t i = 0; i < once.size(); ++i) Require(Same(once[i], got[i]), "pieces changed a request");
    Require(whole.Skipped() == parser.Skipped() && whole.Held() == parser.Held(), "pieces changed what was skipped");
    return 0;
}
