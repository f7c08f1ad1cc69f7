#include "sim/frames.h"

#include <cstdio>
#include <cstdlib>

namespace sim {

std::uint8_t Checksum(std::span<const std::uint8_t> bytes) {
    std::uint8_t sum = 0;
    for (std::uint8_t b : bytes) sum = static_cast<std::uint8_t>(sum + b);
    return sum;
}

Bytes ReplyFrame(std::span<const std::uint8_t> body) {
    Bytes frame{kDle, kStx};
    for (std::uint8_t b : body) {
        frame.push_back(b);
        if (b == kDle) frame.push_back(kDle);
    }
    frame.push_back(kDle);
    frame.push_back(kEtx);
    frame.push_back(Checksum(frame));
    return frame;
}

namespace {
std::uint16_t SignMagnitude(int raw, int shift, std::uint16_t low) {
    const int magnitude = ((std::abs(raw) << shift) | low) & 0x7FFF;
    return static_cast<std::uint16_t>((raw < 0 ? 0x8000 : 0) | magnitude);
}
std::uint8_t Lo(unsigned v) { return static_cast<std::uint8_t>(v & 0xFF); }
std::uint8_t Hi(unsigned v) { return static_cast<std::uint8_t>((v >> 8) & 0xFF); }
std::uint8_t B(int v) { return static_cast<std::uint8_t>(v & 0xFF); }
}  // namespace

std::uint16_t AnalogWord(int raw) { return SignMagnitude(raw, 1, 0); }
std::uint16_t ParameterWord(int raw) { return SignMagnitude(raw, 2, 1); }

int ParameterRaw(std::uint16_t word) {
    const int magnitude = (word & 0x7FFF) >> 2;
    return (word & 0x8000) ? -magnitude : magnitude;
}

namespace reply {

Bytes Identification(std::uint16_t map) {
    const std::uint8_t body[] = {kKindGateway, Lo(map), Hi(map)};
    return ReplyFrame(body);
}

Bytes InputValue(int node, int group, int channel, std::uint16_t word, std::uint8_t type) {
    const std::uint8_t body[] = {kKindController, B(node), kFuncInput, kLetterData, B(group), B(channel),
                                 Lo(word), Hi(word), type};
    return ReplyFrame(body);
}

Bytes ParameterValue(int node, int block, int index, std::uint16_t word) {
    const std::uint8_t body[] = {kKindController, B(node), kFuncParameter, kLetterData, B(block), B(index),
                                 Lo(word), Hi(word), kTypeParameter};
    return ReplyFrame(body);
}

Bytes Status(int node, int function, int code) {
    const std::uint8_t body[] = {kKindController, B(node), B(function), kLetterStatus, B(code)};
    return ReplyFrame(body);
}

Bytes LoopState(int node, int loop, const std::array<std::uint8_t, 10>& opaque, std::uint16_t status) {
    Bytes body{kKindController, B(node), kFuncLoop, kLetterData, B(loop)};
    body.insert(body.end(), opaque.begin(), opaque.end());
    body.push_back(Lo(status));
    body.push_back(Hi(status));
    return ReplyFrame(body);
}

Bytes GatewayReport(int count, int node, int code) {
    const std::uint8_t body[] = {kKindController, 0x00, kFuncGateway, kLetterStatus, B(count), B(node), B(code)};
    return ReplyFrame(body);
}

}  // namespace reply

std::string Hex(std::span<const std::uint8_t> bytes) {
    std::string text;
    char cell[4];
    for (std::uint8_t b : bytes) {
        std::snprintf(cell, sizeof cell, "%02X", b);
        if (!text.empty()) text += ' ';
        text += cell;
    }
    return text;
}

}  // namespace sim
