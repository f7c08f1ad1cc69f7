// Each message box runs a nested loop in which the timers keep polling. A line that answers
// every poll with an error, or stays silent all night, would open box inside box until the
// stack gave out; here the operator never answers, and the boxes stop at eight deep while the
// station polls on underneath them.

#include <ostream>
#include <string>
#include <tuple>
#include <vector>

#include "reliability_fixture.h"

namespace reliability {
namespace {

constexpr int kDeepest = vcl::TApplication::kMaxOpenBoxes;
const std::string kLinkCaption = "       Шлюз не отвечает";
const std::string kLinkText = "Проблема с линией связи";
const std::vector<std::string> kChannelCaptions = {
    "Ошибка->GetLastError(Возможно Сом порт не подключен, или обрыв лин. связи ", "Не могу отправить байт"};

sim::Scenario Healthy(TimingMode timing) { return Network(8, 8, {1, 2, 31, 32}, timing); }

// --- A stream of error replies ---

struct ErrorStream {
    const char* name;
    sim::Scenario (*faulty)(TimingMode);
    std::string text;
    std::string caption;
};

sim::Scenario GatewayErrorOnEveryRequest(TimingMode timing) {
    sim::Scenario s = Healthy(timing);
    sim::FaultRule error = Fault(sim::FaultType::GatewayError);
    error.code = 0x2C;  // about the controller in service, not "does not answer"
    s.faults.push_back(error);
    return s;
}

// The controller has lost its input modules: it refuses every input read.
sim::Scenario EveryInputRefused(TimingMode timing) { return Network(0, 0, {1, 2, 31, 32}, timing); }

void PrintTo(const ErrorStream& stream, std::ostream* os) { *os << stream.name; }

const ErrorStream kStreams[] = {
    {"gateway_error", GatewayErrorOnEveryRequest,
     std::string("Шлюз выдает число ошибок = ") + "1" + " ошибка -  " + "2C" + " . " + "5",
     "       Шлюз выдает ошибку"},
    {"refusal", EveryInputRefused, std::string("Контроллер №  ") + "5" + "  выдает ошибку c кодом № " + "22",
     "Контроллер выдает ошибку"},
};

struct ErrorReplies : StationGoingBad, ::testing::WithParamInterface<std::tuple<ErrorStream, TimingMode>> {};

// A box stays open two hours; once eight are open the port fails three writes, whose nine
// reports are counted but not shown. A failure after the boxes have closed shows nothing
// either: the count has passed its limit.
TEST_P(ErrorReplies, NestAtMostEightDeepWhilePollingGoesOnAndCountedReportsStillCount) {
    const auto& [stream, timing] = GetParam();
    Start(Healthy(timing), stream.faulty(timing));
    bool failed = false;
    backend.onBox = [&](headless::OpenBox& box) {
        if (box.Depth() == kDeepest && !failed) {
            failed = true;
            for (int i = 0; i < 3; ++i) device->faults.writes.push_back(win32::ERROR_GEN_FAILURE);
        }
        box.RunFor(2 * kHour);
    };
    long pollsUnderEight = 0;
    auto poll = Form1->Timer2->OnTimer;
    Form1->Timer2->OnTimer = [&, poll] {
        if (backend.OpenDepth() == kDeepest && ProcessImage.BusyMode == 0) ++pollsUnderEight;
        poll();
    };
    backend.ClearBoxes();
    GoBad();
    backend.RunFor(5 * kHour);
    ASSERT_TRUE(failed);
    EXPECT_TRUE(device->faults.writes.empty());
    EXPECT_EQ(ProcessImage.ErrorMsgCount, 9);
    device->faults.writes.push_back(win32::ERROR_GEN_FAILURE);
    backend.RunFor(kMinute);
    EXPECT_TRUE(device->faults.writes.empty());
    EXPECT_EQ(ProcessImage.ErrorMsgCount, 12);

    const std::vector<headless::BoxRecord>& boxes = backend.Boxes();
    EXPECT_EQ(backend.MaxDepth(), kDeepest);
    EXPECT_GT(app.SuppressedBoxes(), 1000);
    ASSERT_GT(boxes.size(), static_cast<std::size_t>(kDeepest));
    for (std::size_t i = 0; i < boxes.size(); ++i) {
        EXPECT_EQ(boxes[i].text, stream.text) << i;
        EXPECT_EQ(boxes[i].caption, stream.caption) << i;
        if (i < static_cast<std::size_t>(kDeepest)) {
            EXPECT_EQ(boxes[i].depth, static_cast<int>(i) + 1);
        }
    }
    // Once the operator has answered, a new box opens on its own again.
    EXPECT_EQ(boxes[kDeepest].depth, 1);
    for (const std::string& caption : kChannelCaptions) EXPECT_TRUE(BoxesCaptioned(boxes, caption).empty());
    // The polling went on under the eight boxes (two hours of ticks), and the code is not
    // "does not answer": the no-answer window stays away. (On a late line a report cut off by
    // the end of a read has zeros where its code was, which does read as "does not answer".)
    EXPECT_GT(pollsUnderEight, 10'000);
    if (timing == TimingMode::Instant) {
        EXPECT_FALSE(Form2->Visible());
    }
    EXPECT_EQ(app.OpenBoxes(), 0);
    EXPECT_EQ(backend.OpenDepth(), 0);
    EXPECT_EQ(ProcessImage.BusyMode, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Station, ErrorReplies,
    ::testing::Combine(::testing::ValuesIn(kStreams), ::testing::Values(TimingMode::Instant, TimingMode::Line)),
    [](const auto& info) {
        return std::string(std::get<0>(info.param).name) + "_" + line_test::ModeName(std::get<1>(info.param));
    });

// --- Silence all night ---

struct OvernightSilence : StationGoingBad, ::testing::WithParamInterface<TimingMode> {};

// The link box comes 102 s into the silence and every 52 s after, each over the one before,
// while the operator sleeps (a box stays three hours). From the ninth on, none opens, yet
// each is still due on time: the count restarts at 25 whether or not its box opens.
TEST_P(OvernightSilence, LinkBoxesNestEightDeepThenOpenNoFurther) {
    const TimingMode timing = GetParam();
    sim::Scenario dead = Healthy(timing);
    dead.faults.push_back(Fault(sim::FaultType::Silence));
    Start(Healthy(timing), dead);
    backend.onBox = [](headless::OpenBox& box) { box.RunFor(3 * kHour); };
    int highestCount = 0;
    long linkDue = 0;
    auto display = Form1->Timer1->OnTimer;
    Form1->Timer1->OnTimer = [&, display] {
        if (ProcessImage.NoReplyCount == 50) ++linkDue;
        display();
        highestCount = std::max(highestCount, ProcessImage.NoReplyCount);
    };
    backend.ClearBoxes();
    Micros silentFrom = 0;
    device->onSwitch = [&] { silentFrom = backend.Now(); };
    GoBad();
    backend.RunFor(8 * kHour);
    const Micros night = backend.Now() - silentFrom;

    const std::vector<headless::BoxRecord>& boxes = backend.Boxes();
    EXPECT_EQ(backend.MaxDepth(), kDeepest);
    ASSERT_GE(boxes.size(), 2u * kDeepest);
    // 51 runs of the display timer after the last reply, a few seconds more where the loop-state
    // runs held it back.
    EXPECT_LE(boxes[0].openedAt, silentFrom + Ms(110'000));
    for (std::size_t i = 0; i < boxes.size(); ++i) {
        EXPECT_EQ(boxes[i].text, kLinkText) << i;
        EXPECT_EQ(boxes[i].caption, kLinkCaption) << i;
        EXPECT_EQ(boxes[i].depth, static_cast<int>(i % kDeepest) + 1) << i;
        // A second box over the first, and so on: 26 runs of the display timer apart, a little
        // more when an exchange held the timer back.
        if (i % kDeepest != 0) {
            const Micros gap = boxes[i].openedAt - boxes[i - 1].openedAt;
            EXPECT_GE(gap, Ms(52'000)) << i;
            EXPECT_LE(gap, Ms(56'000)) << i;
        }
    }
    // Every box that fell due was either opened or held back; one fell due about every 52 s.
    EXPECT_EQ(static_cast<long>(boxes.size()) + app.SuppressedBoxes(), linkDue);
    EXPECT_GE(linkDue, night / Ms(56'000));
    EXPECT_LE(linkDue, night / Ms(52'000) + 1);
    EXPECT_LE(highestCount, 50);
    EXPECT_EQ(app.OpenBoxes(), 0);
}

INSTANTIATE_TEST_SUITE_P(Station, OvernightSilence, ::testing::Values(TimingMode::Instant, TimingMode::Line),
                         [](const auto& info) { return std::string(line_test::ModeName(info.param)); });

// --- A failure inside the boxes of a failure ---

struct FailureInsideBoxes : line_test::StationOnLine {};

// A polling write fails with 183 and its first box stays open while the polling fires inside
// it; there a read fails with 38. The write's own boxes still follow its own code: the system
// text, "Проблема", the box for 183 and "dwError != ERROR_IO_PENDING ", in that order.
TEST_F(FailureInsideBoxes, TheBoxesOfAWriteFollowItsOwnCode) {
    Start(Healthy(TimingMode::Instant));
    ShowMainWindow();
    backend.RunFor(Ms(20'000));
    backend.ClearBoxes();
    backend.onBox = [](headless::OpenBox& box) { box.RunFor(box.Depth() == 1 ? Ms(20'000) : Ms(1000)); };
    device->faults.writes.push_back(win32::ERROR_ALREADY_EXISTS);
    device->faults.reads.push_back(win32::ERROR_HANDLE_EOF);
    ASSERT_TRUE(backend.RunUntil([this] { return device->faults.writes.empty(); }, kMinute));
    ASSERT_TRUE(device->faults.reads.empty());

    std::vector<std::string> writeBoxes;
    for (const headless::BoxRecord& b : backend.Boxes()) {
        if (b.depth == 1) writeBoxes.push_back(b.text);
    }
    ASSERT_EQ(writeBoxes.size(), 4u);
    EXPECT_EQ(writeBoxes[0], win32::SystemMessage(win32::ERROR_ALREADY_EXISTS).value_or(""));
    EXPECT_EQ(writeBoxes[1], "Проблема");
    EXPECT_EQ(writeBoxes[2], "ERROR_ALREADY_EXISTS -> повторное открытие при OPEN_ALWAYS");
    EXPECT_EQ(writeBoxes[3], "dwError != ERROR_IO_PENDING ");
    // The read inside the first box reported its own failure, once.
    const auto eof = BoxesCaptioned(backend.Boxes(), "Не могу получить данные с Ремиконта");
    ASSERT_EQ(eof.size(), 1u);
    EXPECT_EQ(eof[0].text, "dwError = ERROR_HANDLE_EOF");
    EXPECT_EQ(eof[0].depth, 2);
    EXPECT_EQ(ProcessImage.ErrorMsgCount, 5);
}

}  // namespace
}  // namespace reliability
