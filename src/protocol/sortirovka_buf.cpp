// Replies that carry values, and the two error replies the operator must see.

#include <cstdio>
#include <string>

#include "protocol/decoders.h"
#include "protocol/frames.h"
#include "protocol/reply_frame.h"

namespace protocol {

namespace {

// Size of a value reply before DLE ETX: header, block or group, index or channel, word, type.
constexpr int kValueReplySize = 11;

constexpr std::uint8_t kTypeParameter = 0x51;      // "Q"
constexpr std::uint8_t kTypeParameterAlt = 0x71;   // "q"
constexpr std::uint8_t kTypeAnalog = 0x11;
constexpr std::uint8_t kTypeDiscrete = 0x01;
constexpr std::int32_t kDiscreteOn = 0x4001;
constexpr std::int32_t kDiscreteOff = 0xC001;

std::string Hex2(int value) {
    char text[8];
    std::snprintf(text, sizeof text, "%02X", value & 0xFF);
    return text;
}

void ZeroReceived(TProcessImage& pi) {
    for (pi.ScanAux = 0; pi.ScanAux < 28; ++pi.ScanAux) pi.RxBuf[pi.ScanAux] = 0;
}

void FlipRxLamp(TProcessImage& pi) { pi.RxLamp = 1 - pi.RxLamp; }

// Bit 15 is the sign; RxValue keeps the magnitude.
int SignedMagnitude(TProcessImage& pi) {
    if (pi.RxValue > 0x7FFF) {
        pi.RxValue -= 0x8000;
        return -1;
    }
    return 1;
}

// The fields every value reply sets before its type is looked at.
void TakeValueReply(TProcessImage& pi, const ReplyFrame& f) {
    pi.NoReplyCount = 0;
    pi.ControllerNo = f[3];
    pi.RxBlock = f[6];
    pi.RxIndex = f[7];
    pi.StuffShift = f.Pairs();
    pi.RxValue = f[9] * 256 + f[8];
}

void TakeParameter(TProcessImage& pi, const ReplyFrame& f) {
    TakeValueReply(pi, f);
    const int type = f[10];
    if (type != kTypeParameter && type != kTypeParameterAlt) return;
    const int sign = SignedMagnitude(pi);
    if (std::int32_t* slot = ParameterSlot(pi, pi.RxBlock, pi.RxIndex)) *slot = (pi.RxValue >> 2) * sign;
    FlipRxLamp(pi);
}

// The slot of an input by group code and channel; null for a channel outside its group or an
// unknown group, so a reply never lands in an unrelated field.
std::int32_t* InputSlot(TProcessImage& pi, int group, int channel) {
    if (group == kGroupA) return pi.InputA.Contains(channel) ? &pi.InputA[channel] : nullptr;
    if (group == kGroupB) return pi.GroupBSlot(channel);
    return nullptr;
}

void TakeInput(TProcessImage& pi, const ReplyFrame& f) {
    TakeValueReply(pi, f);
    const int type = f[10];
    std::int32_t* slot = InputSlot(pi, pi.RxBlock, pi.RxIndex);
    if (!slot) return;
    if (type == kTypeDiscrete && pi.RxBlock == kGroupB) {
        pi.GroupBKind = 0;
        if (pi.RxValue == kDiscreteOn) *slot = 1;
        else if (pi.RxValue == kDiscreteOff) *slot = 0;
        FlipRxLamp(pi);
    } else if (type == kTypeAnalog) {
        const int sign = SignedMagnitude(pi);
        *slot = (pi.RxValue >> 1) * sign;
        // Group A values come in bursts; the lamp follows group B and the parameters only.
        if (pi.RxBlock == kGroupB) {
            pi.GroupBKind = 1;
            FlipRxLamp(pi);
        }
    }
}

}  // namespace

void Sortirovka_Buf(TProcessImage& pi, DecoderWindows& windows) {
    pi.StuffShift = 0;
    for (pi.ScanPos = 0; pi.ScanPos <= 10; ++pi.ScanPos) {
        const ReplyFrame f(pi.RxBuf, pi.ScanPos, pi.RxCount);
        if (!f.Has(2)) continue;

        if (IsGatewayReport(f)) {
            pi.NoReplyCount = 0;
            const std::string text = "Шлюз выдает число ошибок = " + std::to_string(f[6]) + " ошибка -  " +
                                     Hex2(f[8]) + " . " + std::to_string(f[7]);
            if (f[7] == pi.ControllerNo && (f[8] == 0x1F || f[8] == 0x00)) {
                // The controller does not answer: the no-answer window, once per re-arming.
                if (pi.LinkWindowArmed == 1) {
                    pi.LinkWindowArmed = 0;
                    windows.ShowNoAnswerWindow();
                }
                return;
            }
            if (f[7] == pi.ControllerNo) windows.MessageBox(text, "       Шлюз выдает ошибку");
            ZeroReceived(pi);
            return;
        }

        if (f.At(4) == kFunctionParameter && f.At(5) == kLetterData) {
            if (f.Intact(kValueReplySize)) TakeParameter(pi, f);
        } else if (f.At(4) == kFunctionInput) {
            if (f.At(5) == kLetterStatus && f.Has(6) && f[6] != 0) {
                const std::string text = "Контроллер №  " + std::to_string(f[3]) + "  выдает ошибку c кодом № " +
                                         std::to_string(f[6]);
                windows.MessageBox(text, "Контроллер выдает ошибку");
                ZeroReceived(pi);
                return;
            }
            if (f.At(5) == kLetterData && f.Intact(kValueReplySize)) TakeInput(pi, f);
        }
    }
}

}  // namespace protocol
