// A click on a loop's blinking lamp ("Включить ВЗ") sends the switching command for that loop
// and reads the loop's state twice, so that its new mode shows.

#include "console/read_write.h"
#include "platform/win32/win32.h"
#include "protocol/frames.h"
#include "state/process_image.h"

namespace console {

struct SwitchRow {
    int loop;
    int pauseBeforeStateMs;  // after the command's reply, before the state reads
};

}  // namespace console

namespace {

using console::SwitchRow;

constexpr int kPause = 500;
constexpr int kStateReads = 2;
constexpr int kClear = 28;

constexpr SwitchRow kLoop1{1, 0};
constexpr SwitchRow kLoop2{2, 150};
constexpr SwitchRow kLoop3{3, 150};
constexpr SwitchRow kLoop4{4, 0};

}  // namespace

void TForm1::SwitchLoop(const SwitchRow& row) {
    TProcessImage& pi = ProcessImage;
    pi.BusyMode = 10;
    // A copy of the loop's template: the four templates themselves never change.
    const auto command = protocol::BuildLoopCommand(pi, row.loop);
    Exchange({command, kPause, kClear, ClearAt::BeforeWrite, &TForm1::Nastrojka,
              trace::ExchangeKind::LoopCommand});

    pi.BusyMode = 1;
    if (row.pauseBeforeStateMs > 0) win32::Sleep(static_cast<win32::DWORD>(row.pauseBeforeStateMs));
    for (int i = 0; i < kStateReads; ++i)
        Exchange({protocol::BuildLoopState(pi, row.loop), kPause, kClear, ClearAt::AfterWrite,
                  &TForm1::Nastrojka, trace::ExchangeKind::LoopState});
    pi.BusyMode = 0;
}

void TForm1::Kontur1_PSClick() { SwitchLoop(kLoop1); }
void TForm1::Kontur2_PSClick() { SwitchLoop(kLoop2); }
void TForm1::Kontur3_PSClick() { SwitchLoop(kLoop3); }
void TForm1::Kontur4_PSClick() { SwitchLoop(kLoop4); }
