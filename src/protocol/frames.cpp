#include "protocol/frames.h"

#include <cassert>

namespace protocol {

namespace {

std::uint8_t Low8(int value) { return static_cast<std::uint8_t>(value & 0xFF); }

// Patch node and the two argument bytes, then seal.
std::span<const std::uint8_t> Fill(TProcessImage& pi, std::span<std::uint8_t> frame, int arg6, int arg7) {
    frame[kPosNode] = Low8(pi.ControllerNo);
    frame[kPosGroup] = Low8(arg6);
    frame[kPosChannel] = Low8(arg7);
    FrameChecksum(pi, frame);
    return frame;
}

}  // namespace

void FrameChecksum(TProcessImage& pi, std::span<std::uint8_t> frame) {
    assert(!frame.empty());
    pi.SumCell = 0;
    for (std::size_t i = 0; i + 1 < frame.size(); ++i)
        pi.SumCell = static_cast<std::uint8_t>(pi.SumCell + frame[i]);
    frame[frame.size() - 1] = pi.SumCell;
}

std::span<const std::uint8_t> GatewayProbe(const TProcessImage& pi) { return pi.ReqGatewayProbe; }

std::span<const std::uint8_t> BuildReadInput(TProcessImage& pi, int group, int channel) {
    return Fill(pi, pi.ReqReadInput, group, channel);
}

std::span<const std::uint8_t> BuildReadParam(TProcessImage& pi, int block, int index) {
    return Fill(pi, pi.ReqReadParam, block, index);
}

std::span<const std::uint8_t> BuildLoopState(TProcessImage& pi, int loop) {
    std::span<std::uint8_t> frame = pi.ReqLoopState;
    frame[kPosNode] = Low8(pi.ControllerNo);
    frame[kPosGroup] = Low8(loop);
    FrameChecksum(pi, frame);
    return frame;
}

std::span<const std::uint8_t> BuildWriteParam(TProcessImage& pi, int block, int index, int percentage,
                                              int bias) {
    std::span<std::uint8_t> frame = pi.ReqWriteParam;
    int raw = percentage * 4096 / 100;
    // Exactly a quarter of full scale never takes the bias.
    if (raw != 1024) raw += bias;
    pi.WriteValue = raw * 4 + 1;
    frame[8] = Low8(pi.WriteValue);
    frame[9] = Low8(pi.WriteValue >> 8);
    // The word 0x1001 goes out as 0x1101 (the controller reads back 1088).
    if (raw == 1024) {
        frame[8] = 0x01;
        frame[9] = 0x11;
    }
    frame[kPosNode] = Low8(pi.ControllerNo);
    frame[kPosGroup] = Low8(block);
    frame[kPosChannel] = Low8(index);
    FrameChecksum(pi, frame);
    return frame;
}

std::array<std::uint8_t, 11> BuildLoopCommand(TProcessImage& pi, int loop) {
    const std::uint8_t* templates[] = {pi.ReqLoopCommand1, pi.ReqLoopCommand2, pi.ReqLoopCommand3,
                                       pi.ReqLoopCommand4};
    assert(loop >= 1 && loop <= 4);
    std::array<std::uint8_t, 11> frame;
    const std::uint8_t* source = templates[loop - 1];
    for (std::size_t i = 0; i < frame.size(); ++i) frame[i] = source[i];
    frame[kPosNode] = Low8(pi.ControllerNo);
    frame[kPosGroup] = Low8(loop);
    frame[kPosChannel] = kLoopCommandCode;
    FrameChecksum(pi, frame);
    return frame;
}

std::int32_t* ParameterSlot(TProcessImage& pi, int block, int index) {
    for (const LoopParameters& p : kLoopParameters) {
        if (p.setpoint.block == block && p.setpoint.index == index) return &pi.LoopSetpoint[p.loop];
        if (p.setting.block == block && p.setting.index == index) return &pi.LoopUstavka[p.loop];
    }
    return nullptr;
}

}  // namespace protocol
