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


// Where a parameter lands, as the trace names it: 1..4 a loop's setpoint, 11..41 its setting.
std::int16_t SlotName(int block, int index) {
    for (const LoopParameters& l : kLoopParameters) {
        if (l.setpoint.block == block && l.setpoint.index == index) return NoteField(l.loop);
        if (l.setting.block == block && l.setting.index == index) return NoteField(l.loop * 10 + 1);
    }
    return 0;
}

void TakeParameter(TProcessImage& pi, const ReplyFrame& f, const NoteTaker& note) {
    TakeValueReply(pi, f);
    const int type = f[10];
    if (type != kTypeParameter && type != kTypeParameterAlt) {
        note({.kind = DecodeNote::Kind::ParameterType, .a = NoteField(pi.RxBlock), .b = NoteField(pi.RxIndex),
              .c = NoteField(type)});
        return;
    }
    const int sign = SignedMagnitude(pi);
    const std::int32_t value = (pi.RxValue >> 2) * sign;
    if (std::int32_t* slot = ParameterSlot(pi, pi.RxBlock, pi.RxIndex)) *slot = value;
    FlipRxLamp(pi);
    note({.kind = DecodeNote::Kind::Parameter, .a = NoteField(pi.RxBlock), .b = NoteField(pi.RxIndex),
          .slot = SlotName(pi.RxBlock, pi.RxIndex), .value = value});
}

// The slot of an input by group code and channel; null for a channel outside its group or an
// unknown group, so a reply never lands in an unrelated field.
std::int32_t* InputSlot(TProcessImage& pi, int group, int channel) {
    if (group == kGroupA) return pi.InputA.Contains(channel) ? &pi.InputA[channel] : nullptr;
    if (group == kGroupB) return pi.GroupBSlot(channel);
    return nullptr;
}

void TakeInput(TProcessImage& pi, const ReplyFrame& f, const NoteTaker& note) {
    TakeValueReply(pi, f);
    const int type = f[10];
    DecodeNote unstored{.kind = DecodeNote::Kind::InputUnstored, .outcome = DecodeNote::Outcome::NoValue,
                        .a = NoteField(pi.RxBlock), .b = NoteField(pi.RxIndex), .c = NoteField(type)};
    std::int32_t* slot = InputSlot(pi, pi.RxBlock, pi.RxIndex);
    if (!slot) {
        unstored.outcome = DecodeNote::Outcome::NoSuchChannel;
        note(unstored);
        return;
    }
    if (type == kTypeDiscrete && pi.RxBlock == kGroupB) {
        pi.GroupBKind = 0;
        if (pi.RxValue == kDiscreteOn) *slot = 1;
        else if (pi.RxValue == kDiscreteOff) *slot = 0;
        FlipRxLamp(pi);
        const bool meaningful = pi.RxValue == kDiscreteOn || pi.RxValue == kDiscreteOff;
        note({.kind = meaningful ? DecodeNote::Kind::Input : DecodeNote::Kind::InputWord,
              .a = NoteField(pi.RxBlock), .b = NoteField(pi.RxIndex), .value = meaningful ? *slot : pi.RxValue});
    } else if (type == kTypeAnalog) {
        const int sign = SignedMagnitude(pi);
        *slot = (pi.RxValue >> 1) * sign;
        // Group A values come in bursts; the lamp follows group B and the parameters only.
        if (pi.RxBlock == kGroupB) {
            pi.GroupBKind = 1;
            FlipRxLamp(pi);
        }
        note({.kind = DecodeNote::Kind::Input, .a = NoteField(pi.RxBlock), .b = NoteField(pi.RxIndex), .value = *slot});
    } else {
        note(unstored);
    }
}

}  // namespace

void Sortirovka_Buf(TProcessImage& pi, DecoderWindows& windows) { Sortirovka_Buf(pi, windows, nullptr); }

void Sortirovka_Buf(TProcessImage& pi, DecoderWindows& windows, DecodeReport* report) {
    using Kind = DecodeNote::Kind;
    using Outcome = DecodeNote::Outcome;
    pi.StuffShift = 0;
    for (pi.ScanPos = 0; pi.ScanPos <= 10; ++pi.ScanPos) {
        const ReplyFrame f(pi.RxBuf, pi.ScanPos, pi.RxCount);
        if (!f.Has(2)) continue;
        const NoteTaker note{report, pi.ScanPos};

        if (IsGatewayReport(f)) {
            pi.NoReplyCount = 0;
            const std::string text = "Шлюз выдает число ошибок = " + std::to_string(f[6]) + " ошибка -  " +
                                     Hex2(f[8]) + " . " + std::to_string(f[7]);
            DecodeNote seen{.kind = Kind::GatewayReport, .a = NoteField(f[6]), .b = NoteField(f[7]),
                            .c = NoteField(f[8])};
            if (f[7] == pi.ControllerNo && (f[8] == 0x1F || f[8] == 0x00)) {
                // The controller does not answer: the no-answer window, once per re-arming.
                seen.outcome = pi.LinkWindowArmed == 1 ? Outcome::NoAnswerWindow : Outcome::WindowHeld;
                note(seen);
                if (pi.LinkWindowArmed == 1) {
                    pi.LinkWindowArmed = 0;
                    windows.ShowNoAnswerWindow();
                }
                return;
            }
            seen.outcome = f[7] == pi.ControllerNo ? Outcome::Box : Outcome::OtherNode;
            note(seen);
            if (f[7] == pi.ControllerNo) windows.MessageBox(text, "       Шлюз выдает ошибку");
            ZeroReceived(pi);
            return;
        }

        if (f.At(4) == kFunctionParameter && f.At(5) == kLetterData) {
            if (f.Intact(kValueReplySize))
                TakeParameter(pi, f, note);
            else
                note({.kind = Kind::Damaged, .defect = DefectOf(f, kValueReplySize), .a = kFunctionParameter,
                      .c = kLetterData});
        } else if (f.At(4) == kFunctionInput && f.At(5) == kLetterStatus && f.Has(6) && f[6] != 0) {
            const std::string text = "Контроллер №  " + std::to_string(f[3]) + "  выдает ошибку c кодом № " +
                                     std::to_string(f[6]);
            note({.kind = Kind::ControllerError, .outcome = Outcome::Box, .a = NoteField(f[3]),
                  .c = NoteField(f[6])});
            windows.MessageBox(text, "Контроллер выдает ошибку");
            ZeroReceived(pi);
            return;
        } else if (f.At(4) == kFunctionInput && f.At(5) == kLetterData) {
            if (f.Intact(kValueReplySize))
                TakeInput(pi, f, note);
            else
                note({.kind = Kind::Damaged, .defect = DefectOf(f, kValueReplySize), .a = kFunctionInput,
                      .c = kLetterData});
        } else {
            note({.kind = Kind::Foreign, .a = NoteField(f.At(2)), .b = NoteField(f.At(4)), .c = NoteField(f.At(5))});
        }
    }
}

}  // namespace protocol
