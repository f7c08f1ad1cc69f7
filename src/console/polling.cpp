// The two polling timers: inputs and loop parameters on a schedule counted in ticks of
// Timer2, the loop states every 55 s on Timer3. Both stand still while another exchange
// holds the line (BusyMode).

#include <array>

#include "console/read_write.h"
#include "protocol/frames.h"
#include "state/process_image.h"

namespace {

using protocol::kPosChannel;
using protocol::kPosGroup;
using protocol::kPosNode;

constexpr int kGroupBFromTick = 21;  // PollTick above 20: the group B part of a cycle
constexpr int kBurstTick = 5;        // GroupATick and ParamTick count here...
constexpr int kSecondBurstTick = 10; // ...and GroupATick here too
constexpr int kGroupADue = 2;        // GroupATick above this: a group A burst
constexpr int kGroupAOver = 3;
constexpr int kParamDue = 9;         // ParamTick above this: a parameter burst
constexpr int kParamOver = 10;
constexpr int kLastParamIndex = 8;
constexpr int kReductionPasses = 255;
constexpr int kInputClear = 23;

constexpr int kLoopStatePasses = 5;
constexpr int kLoopStatePause = 500;
constexpr int kLoopStateClear = 28;

std::uint8_t Low8(int value) { return static_cast<std::uint8_t>(value & 0xFF); }

// The parameter each ParamPollIndex reads, and the loop that must be in use for it. Index 0
// and 1 both read loop 1's setpoint.
struct PolledParameter {
    int loop;
    protocol::ParameterAddress protocol::LoopParameters::*which;
};
constexpr std::array<PolledParameter, kLastParamIndex + 1> kPolledParameters{{
    {1, &protocol::LoopParameters::setpoint},
    {1, &protocol::LoopParameters::setpoint},
    {1, &protocol::LoopParameters::setting},
    {2, &protocol::LoopParameters::setpoint},
    {2, &protocol::LoopParameters::setting},
    {3, &protocol::LoopParameters::setpoint},
    {3, &protocol::LoopParameters::setting},
    {4, &protocol::LoopParameters::setpoint},
    {4, &protocol::LoopParameters::setting},
}};

// Brings the channel of ReqReadInput into 1..count if it asks `group`; a count of 0 leaves it.
void ReduceChannel(std::uint8_t* frame, int group, int count) {
    if (frame[kPosGroup] != group) return;
    for (int pass = 0; pass < kReductionPasses && frame[kPosChannel] > count; ++pass)
        frame[kPosChannel] = Low8(frame[kPosChannel] - count);
}

void ToggleTxLamp(TProcessImage& pi) {
    if (++pi.TxLamp > 1) pi.TxLamp = 0;
}

}  // namespace

void TForm1::Timer2Timer() {
    TProcessImage& pi = ProcessImage;
    if (pi.BusyMode != 0) return;

    if (pi.ChannelCursor > pi.CountA + pi.CountB) pi.ChannelCursor = 1;
    if (pi.ChannelCursor < 1) pi.ChannelCursor = 1;
    const int cursor = pi.ChannelCursor;
    if (pi.ParamPollIndex > kLastParamIndex) pi.ParamPollIndex = 0;

    ++pi.PollTick;
    if (pi.PollTick == kBurstTick) {
        ++pi.GroupATick;
        ++pi.ParamTick;
    }
    if (pi.PollTick == kSecondBurstTick) ++pi.GroupATick;

    std::uint8_t* input = pi.ReqReadInput;
    if (pi.PollTick >= kGroupBFromTick) {
        input[kPosGroup] = protocol::kGroupB;
        input[kPosChannel] = Low8(cursor);
    }
    ReduceChannel(input, protocol::kGroupB, pi.CountB);
    if (pi.PollTick > pi.CountB + kGroupBFromTick) pi.PollTick = 0;

    if (pi.GroupATick > kGroupADue) {
        input[kPosGroup] = protocol::kGroupA;
        // Group A keeps a cursor of its own, so that a burst of five reaches every input in
        // turn; the shared cursor would leave some of them unread for ever.
        input[kPosChannel] = Low8(pi.CountA > 0 ? pi.GroupACursor % pi.CountA + 1 : cursor);
    }
    ReduceChannel(input, protocol::kGroupA, pi.CountA);
    if (pi.GroupATick > kGroupAOver) pi.GroupATick = 0;

    if (pi.ParamTick > kParamDue) {
        const PolledParameter& p = kPolledParameters[static_cast<std::size_t>(pi.ParamPollIndex)];
        // A loop out of use leaves the template as it was: its request goes out again.
        if (pi.LoopState[p.loop] > 0) {
            const protocol::ParameterAddress& address = protocol::kLoopParameters[p.loop - 1].*p.which;
            pi.ReqReadParam[kPosGroup] = Low8(address.block);
            pi.ReqReadParam[kPosChannel] = Low8(address.index);
        }
    }
    if (pi.ParamTick > kParamOver) {
        pi.ParamTick = 0;
        pi.ChannelCursor = 0;
    }

    // Both templates follow the controller in service on every tick, sent or not.
    input[kPosNode] = Low8(pi.ControllerNo);
    protocol::FrameChecksum(pi, pi.ReqReadInput);
    pi.ReqReadParam[kPosNode] = Low8(pi.ControllerNo);
    protocol::FrameChecksum(pi, pi.ReqReadParam);

    if (pi.ParamTick > kParamDue) {
        const ExchangeStep step{pi.ReqReadParam, 0, kInputClear, ClearAt::BeforeWrite, &TForm1::Sortirovka_Buf,
                                trace::ExchangeKind::ParameterRead};
        Exchange(step, [&pi] {
            ToggleTxLamp(pi);
            if (++pi.ParamPollIndex > 2 * pi.LoopCount) {
                pi.ParamPollIndex = 0;
                pi.ParamTick = 0;
            }
        });
    }

    if (pi.PollTick >= kGroupBFromTick || pi.GroupATick > kGroupADue) {
        const int group = pi.ReqReadInput[kPosGroup];
        const int count = group == protocol::kGroupA ? pi.CountA : pi.CountB;
        if (count > 0) {
            const ExchangeStep step{pi.ReqReadInput, 0, kInputClear, ClearAt::BeforeWrite,
                                    &TForm1::Sortirovka_Buf, trace::ExchangeKind::InputRead};
            Exchange(step, [&pi] {
                ToggleTxLamp(pi);
                ++pi.ChannelCursor;
                if (pi.ReqReadInput[kPosGroup] == protocol::kGroupA)
                    pi.GroupACursor = pi.ReqReadInput[kPosChannel];
            });
        } else {
            // A group without inputs is not asked (the controller would refuse every time);
            // the schedule moves on as if it had been.
            ++pi.ChannelCursor;
        }
    }
}

void TForm1::Timer3Timer() {
    TProcessImage& pi = ProcessImage;
    if (pi.BusyMode == 10) return;

    int loop = 0;
    for (int pass = 0; pass < kLoopStatePasses; ++pass) {
        pi.BusyMode = 1;
        pi.ReqLoopState[kPosNode] = Low8(pi.ControllerNo);
        if (++loop > pi.LoopCount) loop = 1;
        if (loop > 4) loop = 1;
        // Loops never heard of, or out of use, are not asked.
        if (pi.LoopState[loop] == 0 || pi.LoopState[loop] == 10) continue;
        Exchange({protocol::BuildLoopState(pi, loop), kLoopStatePause, kLoopStateClear, ClearAt::AfterWrite,
                  &TForm1::Nastrojka, trace::ExchangeKind::LoopState});
    }
    pi.BusyMode = 0;
}
