// Start-up discovery: the gateway and the controller in service, the state of its loops, the
// number of inputs in each group and what kind group B carries. One blocking pass inside the
// main window's creation; the polling timers keep off the line meanwhile (BusyMode 10).

#include "console/read_write.h"
#include "console/scale.h"
#include "platform/vcl/format.h"
#include "protocol/frames.h"
#include "serial/serial_channel.h"
#include "state/process_image.h"

namespace {

constexpr int kProbePause = 300;
constexpr int kProbes = 2;
// Loop 1 is asked twice: on a real line each reply is read by the exchange after its own.
constexpr int kLoopsAsked[] = {1, 1, 2, 3, 4};
constexpr int kLoopStatePause = 500;
constexpr int kCountPause = 500;       // counting a group from the top down
constexpr int kSecondPassPause = 300;  // asking again up to the count found
constexpr int kLowerChannels = 8;
constexpr int kGroupBChannels = 15;
constexpr int kStatusClear = 28;  // replies about the network and the loops
constexpr int kInputClear = 23;   // input replies

const char* const kLoopPollingStatus =
    "             Опрос группы А - каждые 30 сек. ,    группы Б - каждые 15 сек. ,    "
    "контуров регулирования - каждые  2  минуты ";

}  // namespace

// Asks the channels `top` down to `bottom` of a group; Nastrojka lowers the group's count for
// each channel the controller refuses.
void TForm1::CountInputs(int group, int top, int bottom, int pauseMs) {
    for (int channel = top; channel >= bottom; --channel)
        Exchange({protocol::BuildReadInput(ProcessImage, group, channel), pauseMs, kInputClear,
                  ClearAt::AfterWrite, &TForm1::Nastrojka, trace::ExchangeKind::InputCount});
}

void TForm1::FormCreate() {
    TProcessImage& pi = ProcessImage;

    // The caption says "5,0" whatever the system's separator is.
    if (const auto scale = console::ScaleFromCaption(Shkala->Caption())) pi.Scale = *scale;

    PortOpen();
    pi.BusyMode = 10;

    for (int i = 0; i < kProbes; ++i)
        Exchange({protocol::GatewayProbe(pi), kProbePause, kStatusClear, ClearAt::AfterWrite,
                  &TForm1::Nastrojka, trace::ExchangeKind::Probe});

    for (int loop : kLoopsAsked)
        Exchange({protocol::BuildLoopState(pi, loop), kLoopStatePause, kStatusClear, ClearAt::AfterWrite,
                  &TForm1::Nastrojka, trace::ExchangeKind::LoopState});

    CountInputs(protocol::kGroupA, kLowerChannels, 1, kCountPause);
    // The number of requests is fixed by the count found, even if it falls during the pass.
    CountInputs(protocol::kGroupA, pi.CountA, 1, kSecondPassPause);

    pi.DiscoveringB = 1;
    pi.CountB = kLowerChannels;
    CountInputs(protocol::kGroupB, kLowerChannels, 1, kCountPause);
    // Channel 8 is asked again with the upper channels: it is where their count stops.
    if (pi.CountB > kLowerChannels - 1) {
        pi.CountB = kGroupBChannels;
        CountInputs(protocol::kGroupB, kGroupBChannels, kLowerChannels, kCountPause);
    }
    CountInputs(protocol::kGroupB, pi.CountB, 1, kSecondPassPause);

    // One group B value tells whether the group is analog or discrete.
    if (pi.CountB > 0)
        Exchange({protocol::BuildReadInput(pi, protocol::kGroupB, 1), 0, kInputClear, ClearAt::AfterWrite,
                  &TForm1::Sortirovka_Buf, trace::ExchangeKind::InputRead});

    pi.DiscoveringB = 0;
    pi.BusyMode = 0;

    GroupBox11->SetCaption(GroupBox11->Caption() + vcl::IntToStr(pi.CountA) + ") ");
    GroupBox14->SetCaption(GroupBox14->Caption() + vcl::IntToStr(pi.CountB) + ") ");
    GroupBox4->SetCaption(GroupBox14->Caption());

    for (int k = 1; k <= 4; ++k)
        if (pi.LoopState[k] > 0) pi.LoopCount = k;

    if (pi.LoopState[1] > 0 || pi.LoopState[2] > 0) StatusBar1->SetCaption(kLoopPollingStatus);

    pi.StartupDone = 1;
}
