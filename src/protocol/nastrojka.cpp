// Replies about the network and the controller.

#include <string>

#include "protocol/decoders.h"
#include "protocol/frames.h"
#include "protocol/reply_frame.h"

namespace protocol {

namespace {

// Sizes before DLE ETX: identification (header, map word), loop state (header, loop, ten bytes
// not interpreted, status word).
constexpr int kIdentificationSize = 5;
constexpr int kLoopStateSize = 19;
// Acknowledgements and refusals: header and code.
constexpr int kStatusReplySize = 7;

constexpr std::uint8_t kCodeInputMissing = 0x16;
constexpr std::uint8_t kErrorWriteRefused = 0x2C;

void FlipRxLamp(TProcessImage& pi) { pi.RxLamp = 1 - pi.RxLamp; }

// Acknowledgements and refusals are ten bytes, the last the sum of the nine before, as they
// stand on the line; a last byte the read did not receive matches nothing.
bool StatusChecksumMatches(TProcessImage& pi, int start) {
    std::uint8_t sum = 0;
    for (pi.ScanAux = 0; pi.ScanAux <= 8; ++pi.ScanAux)
        sum = static_cast<std::uint8_t>(sum + pi.RxBuf[start + pi.ScanAux]);
    pi.CalcChecksum = sum;
    pi.RxChecksum = pi.RxBuf[start + 9];
    return pi.CalcChecksum == pi.RxChecksum && start + 9 < pi.RxCount;
}

int LoopStateCode(int statusLow) {
    if (!(statusLow & 0x20)) return 10;
    const bool bit3 = statusLow & 0x08;
    const bool bit6 = statusLow & 0x40;
    if (bit3) return bit6 ? 32 : 31;
    return bit6 ? 2 : 1;
}

enum class Scan { Next, Return };


Scan TakeIdentification(TProcessImage& pi, DecoderWindows& windows, const ReplyFrame& f, std::string& text,
                        const NoteTaker& note) {
    if (!f.Closed() || f.Size() != kIdentificationSize) {
        // No DLE ETX right after the map word.
        pi.StuffShift = f.PairsBefore(kIdentificationSize);
        note({.kind = DecodeNote::Kind::IdentificationNoEtx, .outcome = DecodeNote::Outcome::Box});
        windows.MessageBox("КТ отсутствует", " При определении № контролл.");
        return Scan::Next;
    }
    // Framed but with a wrong checksum: not a reply the gateway sent, dropped like no reply.
    if (!f.Intact(kIdentificationSize)) {
        note({.kind = DecodeNote::Kind::Damaged, .defect = Defect::Checksum, .a = -1});
        return Scan::Next;
    }
    pi.StuffShift = f.Pairs();
    const std::uint8_t mapLo = f[3];
    const std::uint8_t mapHi = f[4];
    pi.RxValue = mapHi * 256 + mapLo;
    text += std::to_string(pi.RxValue);
    DecodeNote seen{.kind = DecodeNote::Kind::Identification, .outcome = DecodeNote::Outcome::MapTaken,
                    .value = pi.RxValue};
    if (pi.RxValue > 0) {
        pi.NoReplyCount = 0;
        // The map is taken in only while no controller is in service.
        if (pi.ControllerNo > 0) {
            seen.outcome = DecodeNote::Outcome::MapKept;
            seen.slot = NoteField(pi.ControllerNo);
            note(seen);
            return Scan::Return;
        }
        note(seen);
        windows.MessageBox(text, "Нажмите ОК и расслабтесь");
    } else {
        note(seen);
    }
    pi.NetMapLo = mapLo;
    pi.NetMapHi = mapHi;
    for (int k = 1; k <= 8; ++k) pi.NetNode[k] = (mapLo >> (k - 1)) & 1;
    for (int k = 9; k <= 14; ++k) pi.NetNode[k] = (mapHi >> (k - 9)) & 1;
    for (int k = 1; k <= 15; ++k)
        if (pi.NetNode[k] == 1) pi.ControllerNo = k;
    windows.ShowControllerNo(std::to_string(pi.ControllerNo));
    note({.kind = DecodeNote::Kind::ControllerChosen, .value = pi.ControllerNo});
    return Scan::Next;
}

void TakeLoopState(TProcessImage& pi, const ReplyFrame& f, const NoteTaker& note) {
    if (f.Intact(kLoopStateSize)) {
        const int loop = f[6];
        // A loop number the station does not know changes nothing.
        if (!pi.LoopState.Contains(loop)) {
            note({.kind = DecodeNote::Kind::LoopStateNoLoop, .a = NoteField(loop)});
            return;
        }
        pi.NoReplyCount = 0;
        pi.StuffShift = f.Pairs();
        pi.RxValue = f[18] * 256 + f[17];
        FlipRxLamp(pi);
        pi.LoopState[loop] = LoopStateCode(pi.RxValue & 0xFF);
        note({.kind = DecodeNote::Kind::LoopState, .a = NoteField(loop), .c = NoteField(pi.RxValue & 0xFF),
              .value = pi.LoopState[loop]});
    } else if (f.At(5) == kLetterStatus && f.Closed() && f.Size() == kStatusReplySize) {
        // A loop command acknowledged by another node, or refused: the gateway did answer. A
        // damaged loop-state reply is not one of these and stays dropped.
        pi.NoReplyCount = 0;
        note({.kind = DecodeNote::Kind::StatusOnly, .a = NoteField(f[3]), .c = NoteField(f.At(6))});
    } else {
        note({.kind = DecodeNote::Kind::Damaged, .defect = DefectOf(f, kLoopStateSize), .a = kFunctionLoop,
              .c = NoteField(f.At(5))});
    }
}

}  // namespace

void Nastrojka(TProcessImage& pi, DecoderWindows& windows) { Nastrojka(pi, windows, nullptr); }

void Nastrojka(TProcessImage& pi, DecoderWindows& windows, DecodeReport* report) {
    using Kind = DecodeNote::Kind;
    using Outcome = DecodeNote::Outcome;
    pi.StuffShift = 0;
    std::string text = "Считывается информация с контроллера. Код № = ";
    for (pi.ScanPos = 0; pi.ScanPos <= 10; ++pi.ScanPos) {
        const int p = pi.ScanPos;
        const ReplyFrame f(pi.RxBuf, p, pi.RxCount);
        if (!f.Has(2)) continue;
        const NoteTaker note{report, p};

        if (f.At(2) == kKindNetwork && f.At(4) == kFunctionLoop && f.At(5) == kLetterStatus && f.At(6) == 0 &&
            f.At(3) == pi.ControllerNo) {
            note({.kind = Kind::LoopCommandAck, .outcome = Outcome::Accepted, .a = NoteField(f[3])});
            windows.ShowCommandAccepted();
            pi.NoReplyCount = 0;
            FlipRxLamp(pi);
            return;
        }
        if (f.At(2) == kKindNetwork && f.At(4) == kFunctionInput && f.At(5) == kLetterStatus &&
            f.At(6) == kCodeInputMissing) {
            if (StatusChecksumMatches(pi, p)) {
                // A refusal beyond the count is a stale reply: a count never goes below zero.
                std::int32_t& count = pi.DiscoveringB == 0 ? pi.CountA : pi.CountB;
                const bool lowered = count > 0;
                if (lowered) --count;
                note({.kind = Kind::InputMissing, .outcome = lowered ? Outcome::None : Outcome::Unchanged,
                      .a = NoteField(pi.DiscoveringB == 0 ? kGroupA : kGroupB), .value = count});
            } else {
                note({.kind = Kind::Damaged, .defect = Defect::Checksum, .a = kFunctionInput,
                      .c = kLetterStatus});
            }
            return;
        }
        if (IsGatewayReport(f)) {
            const bool refused = f[7] == 0 && f[8] == kErrorWriteRefused;
            if (refused) pi.CommandAccepted = 0;
            FlipRxLamp(pi);
            note({.kind = Kind::GatewayReport, .outcome = refused ? Outcome::WriteRefused : Outcome::Noted,
                  .a = NoteField(f[6]), .b = NoteField(f[7]), .c = NoteField(f[8])});
            return;
        }
        if (f.At(2) == kKindNetwork && f.At(4) == kFunctionParameter && f.At(5) == kLetterStatus &&
            f.At(6) == 0) {
            if (!StatusChecksumMatches(pi, p)) {
                note({.kind = Kind::Damaged, .defect = Defect::Checksum, .a = kFunctionParameter,
                      .c = kLetterStatus});
            } else if (pi.BusyMode != 10) {
                note({.kind = Kind::WriteAck, .outcome = Outcome::NotUnderWrite, .a = NoteField(f[3])});
            } else {
                note({.kind = Kind::WriteAck, .outcome = Outcome::Accepted, .a = NoteField(f[3])});
                windows.ShowCommandAccepted();
                pi.WriteRetryBias = 0;
                pi.CommandAccepted = 1;
                pi.NoReplyCount = 0;
                FlipRxLamp(pi);
            }
            return;
        }
        if (f.At(2) == kKindGateway) {
            if (TakeIdentification(pi, windows, f, text, note) == Scan::Return) return;
            continue;
        }
        if (f.At(2) == kKindNetwork && f.At(4) == kFunctionLoop) {
            TakeLoopState(pi, f, note);
            continue;
        }
        note({.kind = Kind::Foreign, .a = NoteField(f.At(2)), .b = NoteField(f.At(4)), .c = NoteField(f.At(5))});
    }
}

}  // namespace protocol
