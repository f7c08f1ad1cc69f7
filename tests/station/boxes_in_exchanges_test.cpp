// Message boxes raised in the middle of an exchange run a nested loop in which the window
// timers keep firing; BusyMode keeps their exchanges off the line until the command is done.

#include <string>
#include <vector>

#include "line_fixture.h"

namespace line_test {
namespace {

constexpr int kNode = 5;

struct BoxesInExchanges : StationOnLine {
    std::vector<headless::BoxRecord> seen;

    // The station polling as usual; the operator reads each box for `readFor`.
    void StartPolling(const sim::Scenario& s, Micros readFor) {
        Start(s);
        Form1->Timer3->SetEnabled(false);
        ShowMainWindow();
        RecordTicks();
        backend.onBox = [readFor](headless::OpenBox& box) { box.RunFor(readFor); };
        backend.ClearBoxes();
        backend.RunFor(Ms(15'000));  // into the schedule
    }

    // Polling ticks that ran while a box was open, and whether any of them passed BusyMode.
    int TicksInside(const headless::BoxRecord& box, bool* anyPassed) const {
        int n = 0;
        for (const Tick& t : ticks)
            if (t.at > box.openedAt && t.at < box.closedAt) {
                ++n;
                *anyPassed = *anyPassed || t.passed;
            }
        return n;
    }
    // No request began while a box was open.
    void ExpectLineQuietDuring(const headless::BoxRecord& box, std::size_t logFrom) const {
        for (const Sent& r : Requests(logFrom))
            EXPECT_FALSE(r.at > box.openedAt && r.at < box.closedAt) << Hex(r.bytes) << " inside " << box.caption;
    }
};

// The port refuses the first try of a write: its boxes (system text, "Проблема",
// "dwError != ERROR_IO_PENDING ") stay open 2 s each while BusyMode is 10. The polling timer fires
// inside them and sends nothing; the write goes on with its second try.
TEST_F(BoxesInExchanges, APortFailureDuringAWriteKeepsThePollingOffTheLine) {
    StartPolling(Network(8, 8, {1, 2, 31, 32}, TimingMode::Instant), Ms(2000));
    Form1->koff1->Click();
    Form1->CS_koff1->SetValue(50);
    device->faults.writes.push_back(win32::ERROR_GEN_FAILURE);
    const std::size_t logBefore = LogSize();
    Form1->OK_koff1->Click();

    const auto& boxes = backend.Boxes();
    ASSERT_EQ(boxes.size(), 3u);
    EXPECT_EQ(boxes[0].kind, vcl::BoxKind::System);
    EXPECT_EQ(boxes[1].text, "Проблема");
    EXPECT_EQ(boxes[1].caption, "Не могу отправить байт");
    EXPECT_EQ(boxes[2].text, "dwError != ERROR_IO_PENDING ");
    bool anyPassed = false;
    int inside = 0;
    for (const headless::BoxRecord& box : boxes) {
        EXPECT_EQ(box.closedAt - box.openedAt, Ms(2000));
        inside += TicksInside(box, &anyPassed);
        ExpectLineQuietDuring(box, logBefore);
    }
    EXPECT_GE(inside, 9);  // three or four in each box
    EXPECT_FALSE(anyPassed);

    // The failed try put nothing on the line; the second one (still the raw value) was
    // acknowledged, then the two read-backs.
    const std::vector<Sent> sent = Requests(logBefore);
    ASSERT_EQ(sent.size(), 3u);
    EXPECT_EQ(Hex(sent[0].bytes), Hex(ParamWrite(kNode, 7, 4, 0x01, 0x20)));
    EXPECT_EQ(sent[0].at, boxes[2].closedAt + kReadWithout + Ms(500));
    EXPECT_EQ(Hex(sent[1].bytes), Hex(ParamRead(kNode, 7, 4)));
    EXPECT_EQ(ProcessImage.BusyMode, 0);
    EXPECT_EQ(ProcessImage.LoopSetpoint[1], 2048);
}

// The gateway reports an error to the first read-back, while BusyMode is 1: the polling timer
// fires inside the box and sends nothing; the second read-back follows the box.
TEST_F(BoxesInExchanges, AGatewayErrorDuringAReadBackKeepsThePollingOffTheLine) {
    sim::Scenario s = Network(8, 8, {1, 2, 31, 32}, TimingMode::Instant);
    sim::FaultRule error = Fault(sim::FaultType::GatewayError, sim::RequestKind::ReadParam, 1);
    error.code = 0x2C;
    s.faults.push_back(error);
    StartPolling(s, Ms(3000));
    Form1->koff11->Click();
    Form1->CS_koff11->SetValue(20);
    const std::size_t logBefore = LogSize();
    Form1->OK_koff11->Click();

    const auto& boxes = backend.Boxes();
    ASSERT_EQ(boxes.size(), 1u);
    const headless::BoxRecord& box = boxes[0];
    EXPECT_EQ(box.text, std::string("Шлюз выдает число ошибок = ") + "1" + " ошибка -  " + "2C" + " . " + "5");
    EXPECT_EQ(box.caption, "       Шлюз выдает ошибку");
    bool anyPassed = false;
    EXPECT_GE(TicksInside(box, &anyPassed), 5);
    EXPECT_FALSE(anyPassed);
    ExpectLineQuietDuring(box, logBefore);

    const std::vector<Sent> sent = Requests(logBefore);
    ASSERT_EQ(sent.size(), 3u);
    EXPECT_EQ(Hex(sent[1].bytes), Hex(ParamRead(kNode, 8, 5)));
    EXPECT_EQ(sent[2].at, box.closedAt + Ms(500));
    EXPECT_EQ(ProcessImage.BusyMode, 0);
    EXPECT_EQ(ProcessImage.LoopUstavka[1], 819);
}

}  // namespace
}  // namespace line_test
