#include "fuzz_image.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace fuzz {

namespace {

constexpr int kLoopStates[] = {0, 1, 2, 10, 31, 32};

bool IsLoopState(int code) {
    for (int s : kLoopStates)
        if (s == code) return true;
    return false;
}

void Require(bool ok, const char* what) {
    if (ok) return;
    std::fprintf(stderr, "invariant broken: %s\n", what);
    std::abort();
}

}  // namespace

TProcessImage ImageFromInput(const std::uint8_t* data, std::size_t size) {
    TProcessImage pi;
    const std::size_t rx = size < sizeof pi.RxBuf ? size : sizeof pi.RxBuf;
    std::memcpy(pi.RxBuf, data, rx);
    auto state = [&](std::size_t i) -> int { return sizeof pi.RxBuf + i < size ? data[sizeof pi.RxBuf + i] : 0; };

    pi.ControllerNo = state(0) % 15;
    static constexpr int kBusy[] = {0, 1, 10};
    pi.BusyMode = kBusy[state(1) % 3];
    const int flags = state(2);
    pi.DiscoveringB = flags & 1;
    pi.LinkWindowArmed = (flags >> 1) & 1;
    pi.RxLamp = (flags >> 2) & 1;
    pi.CommandAccepted = (flags >> 3) & 1;
    static constexpr int kKinds[] = {3, 0, 1, 3};
    pi.GroupBKind = kKinds[(flags >> 4) & 3];
    pi.CountA = state(3) % 9;
    pi.CountB = state(4) % 16;
    const int loops = state(5) | state(6) << 8;
    for (int k = 1; k <= 4; ++k) pi.LoopState[k] = kLoopStates[((loops >> (3 * (k - 1))) & 7) % 6];
    pi.LoopCount = 1 + state(7) % 4;
    pi.NoReplyCount = state(8);
    pi.WriteRetryBias = 3 * (state(9) % 19);
    pi.NetMapLo = static_cast<std::uint8_t>(state(10));
    pi.NetMapHi = static_cast<std::uint8_t>(state(11) & 0x3F);
    for (int k = 1; k <= 8; ++k) pi.NetNode[k] = (pi.NetMapLo >> (k - 1)) & 1;
    for (int k = 9; k <= 14; ++k) pi.NetNode[k] = (pi.NetMapHi >> (k - 9)) & 1;
    pi.StuffShift = state(12) % 6;
    return pi;
}

void CheckInvariants(const TProcessImage& before, const TProcessImage& after) {
    for (int k = 1; k <= 4; ++k) Require(IsLoopState(after.LoopState[k]), "loop state code");
    Require(after.GroupBKind == 0 || after.GroupBKind == 1 || after.GroupBKind == 3, "group B kind");
    Require(after.CountA >= 0 && after.CountB >= 0, "count below zero");
    Require(before.CountA - after.CountA + before.CountB - after.CountB <= 1 && after.CountA <= before.CountA &&
                after.CountB <= before.CountB,
            "a reply lowers one count by at most one");
    for (int k = 1; k <= 15; ++k) Require(after.NetNode[k] == 0 || after.NetNode[k] == 1, "node flag");
    Require(after.NetNode[15] == 0, "node 15 flagged");
    Require(after.RxLamp == 0 || after.RxLamp == 1, "reception lamp");
    Require(after.LinkWindowArmed == 0 || after.LinkWindowArmed == 1, "link window arming");
    Require(after.CommandAccepted == 0 || after.CommandAccepted == 1, "command accepted");
    Require(after.ControllerNo >= 0 && after.ControllerNo <= 255, "controller number");
    Require(after.StuffShift >= 0 && after.StuffShift <= 14, "doubled pairs");
    // Inputs are 15-bit magnitudes halved; parameters quartered.
    for (int k = 1; k <= 8; ++k) Require(after.InputA[k] >= -16383 && after.InputA[k] <= 16383, "input A range");
    for (int k = 1; k <= 4; ++k)
        Require(after.LoopSetpoint[k] >= -8191 && after.LoopSetpoint[k] <= 8191, "setpoint range");
    // Request templates are not the decoders' to touch.
    Require(std::memcmp(before.ReqLoopCommand1, after.ReqLoopCommand1, 11) == 0, "loop command template");
    Require(std::memcmp(before.ReqWriteParam, after.ReqWriteParam, 13) == 0, "write template");
    Require(before.SumCell == after.SumCell, "SumCell");
}

}  // namespace fuzz
