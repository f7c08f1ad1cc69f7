#pragma once
// Frames of the gateway line as the gateway side builds them. Every frame is DLE STX, a body,
// DLE ETX and a checksum byte. A reply doubles each 0x10 of its body, so that a lone DLE only
// ever opens or closes a frame; the checksum is the 8-bit sum of every byte before it as the
// bytes stand on the line, and is itself never doubled.

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace sim {

using Bytes = std::vector<std::uint8_t>;

constexpr std::uint8_t kDle = 0x10;
constexpr std::uint8_t kStx = 0x02;
constexpr std::uint8_t kEtx = 0x03;

// Frame kinds: exchanges with a controller, and the gateway's own identification.
constexpr std::uint8_t kKindController = 0x01;
constexpr std::uint8_t kKindGateway = 0x04;

// Functions.
constexpr std::uint8_t kFuncGateway = 0x00;
constexpr std::uint8_t kFuncParameter = 0x01;
constexpr std::uint8_t kFuncLoop = 0x02;
constexpr std::uint8_t kFuncInput = 0x04;

// Letters.
constexpr std::uint8_t kLetterRead = 0x4E;    // 'N', request
constexpr std::uint8_t kLetterWrite = 0x49;   // 'I', request: write or command
constexpr std::uint8_t kLetterData = 0x52;    // 'R', reply with data
constexpr std::uint8_t kLetterStatus = 0x50;  // 'P', reply with a status or error code

// Input groups and value types.
constexpr int kGroupA = 5;
constexpr int kGroupB = 6;
constexpr std::uint8_t kTypeAnalog = 0x11;
constexpr std::uint8_t kTypeDiscrete = 0x01;
constexpr std::uint8_t kTypeParameter = 0x51;  // 'Q'

// Status codes.
constexpr int kCodeNoSuchChannel = 0x16;  // a controller refusing an input it lacks
constexpr int kCodeNoAnswer = 0x1F;       // the gateway: the controller does not answer

constexpr std::uint16_t kDiscreteOn = 0x4001;
constexpr std::uint16_t kDiscreteOff = 0xC001;

// 8-bit sum of the bytes.
std::uint8_t Checksum(std::span<const std::uint8_t> bytes);

// DLE STX, `body` with each 0x10 doubled, DLE ETX, checksum.
Bytes ReplyFrame(std::span<const std::uint8_t> body);

// Value words: bit 15 the sign, the magnitude below it.
std::uint16_t AnalogWord(int raw);     // raw in 1/8192 of full scale, magnitude raw << 1
std::uint16_t ParameterWord(int raw);  // raw in 1/4096 of full scale, magnitude raw << 2 | 1
int ParameterRaw(std::uint16_t word);  // the raw value a parameter word stands for

// The replies, as the gateway sends them.
namespace reply {
// Identification: the network map, bit k-1 for controller k.
Bytes Identification(std::uint16_t map);
// An input value of `type` (analog or discrete).
Bytes InputValue(int node, int group, int channel, std::uint16_t word, std::uint8_t type);
// A parameter value.
Bytes ParameterValue(int node, int block, int index, std::uint16_t word);
// Acknowledgement (code 0) or refusal (any other code) of a request of `function`.
Bytes Status(int node, int function, int code);
// A loop's state: ten bytes this side leaves uninterpreted, then the status word.
Bytes LoopState(int node, int loop, const std::array<std::uint8_t, 10>& opaque, std::uint16_t status);
// The gateway's own report: `count` errors, the first about `node` with `code`.
Bytes GatewayReport(int count, int node, int code);
}  // namespace reply

// "10 02 04 10 03 29".
std::string Hex(std::span<const std::uint8_t> bytes);

}  // namespace sim
