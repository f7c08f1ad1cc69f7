#pragma once
// The request frames. Each builder patches its template in the process image in place (the
// polling reads the last group and channel back from ReqReadInput), seals it with its checksum
// and hands back the frame for PortWrite. Nothing in a request is ever doubled: every byte goes
// out as the template holds it, a 0x10 value byte or checksum included.

#include <array>
#include <cstdint>
#include <span>

#include "state/process_image.h"

namespace protocol {

inline constexpr std::uint8_t kDle = 0x10;
inline constexpr std::uint8_t kStx = 0x02;
inline constexpr std::uint8_t kEtx = 0x03;

// Frame kinds, functions and letters.
inline constexpr std::uint8_t kKindNetwork = 0x01;
inline constexpr std::uint8_t kKindGateway = 0x04;
inline constexpr std::uint8_t kFunctionReport = 0x00;
inline constexpr std::uint8_t kFunctionParameter = 0x01;
inline constexpr std::uint8_t kFunctionLoop = 0x02;
inline constexpr std::uint8_t kFunctionInput = 0x04;
inline constexpr std::uint8_t kLetterRead = 0x4E;     // "N"
inline constexpr std::uint8_t kLetterWrite = 0x49;    // "I"
inline constexpr std::uint8_t kLetterData = 0x52;     // "R"
inline constexpr std::uint8_t kLetterStatus = 0x50;   // "P"

// Input group codes.
inline constexpr int kGroupA = 5;
inline constexpr int kGroupB = 6;

// Positions the senders patch (the polling patches ReqReadInput and ReqReadParam itself).
inline constexpr int kPosNode = 3;
inline constexpr int kPosGroup = 6;      // also the block of a parameter, the loop of a loop frame
inline constexpr int kPosChannel = 7;    // also the index of a parameter

inline constexpr std::uint8_t kLoopCommandCode = 7;

// The last byte of the frame := 8-bit sum of all bytes before it, accumulated in SumCell.
void FrameChecksum(TProcessImage& pi, std::span<std::uint8_t> frame);

// ReqGatewayProbe as it stands; it is never patched.
std::span<const std::uint8_t> GatewayProbe(const TProcessImage& pi);
// ReqReadInput, 11 bytes: node, group code (kGroupA, kGroupB), channel, checksum.
std::span<const std::uint8_t> BuildReadInput(TProcessImage& pi, int group, int channel);
// ReqReadParam, 11 bytes: node, block, index, checksum.
std::span<const std::uint8_t> BuildReadParam(TProcessImage& pi, int block, int index);
// ReqLoopState, 10 bytes: node, loop, checksum.
std::span<const std::uint8_t> BuildLoopState(TProcessImage& pi, int loop);
// ReqWriteParam, 13 bytes: node, block, index, value word from the percentage of full scale
// and the retry bias, checksum. Sets WriteValue.
std::span<const std::uint8_t> BuildWriteParam(TProcessImage& pi, int block, int index, int percentage,
                                              int bias);
// A copy of ReqLoopCommand<loop> (loop 1..4) with node, loop, command code and checksum filled;
// the four templates stay as they are.
std::array<std::uint8_t, 11> BuildLoopCommand(TProcessImage& pi, int loop);

// The two parameters of each control loop, by block and index: read by the polling, written
// by the editors, stored by the data decoder.
struct ParameterAddress {
    int block;
    int index;
};

struct LoopParameters {
    int loop;
    ParameterAddress setpoint;  // "Задание", LoopSetpoint[loop]
    ParameterAddress setting;   // "Уставка", LoopUstavka[loop]
};

inline constexpr std::array<LoopParameters, 4> kLoopParameters{{
    {1, {7, 4}, {8, 5}},
    {2, {10, 4}, {11, 5}},
    {3, {13, 4}, {14, 5}},
    {4, {17, 4}, {18, 5}},
}};

// Where a parameter value echoed with this block and index is kept: null for any other pair.
std::int32_t* ParameterSlot(TProcessImage& pi, int block, int index);

}  // namespace protocol
