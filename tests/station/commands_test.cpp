// The operator's commands on the line: writing a loop parameter until the controller
// acknowledges (with the retry bias), reading it back, and switching a loop from its lamp.

#include <string>
#include <vector>

#include "app/no_error.h"
#include "line_fixture.h"
#include "platform/vcl/format.h"

namespace line_test {
namespace {

constexpr int kNode = 5;

struct Commands : StationOnLine {
    // The station up and idle: the main window shown, the polling timers stopped so that only
    // the command talks to the controller.
    void StartIdle(const sim::Scenario& s) {
        Start(s);
        ShowMainWindow();
        Form1->Timer2->SetEnabled(false);
        Form1->Timer3->SetEnabled(false);
    }
};

// The value bytes a try carries: raw = percentage of 4096, plus the bias from the third try on
// (3 per try), as the word raw x 4 + 1; a quarter of full scale goes out as 01 11 in every try.
std::pair<int, int> ValueBytes(int percentage, int tryNo) {
    int raw = percentage * 4096 / 100;
    if (raw == 1024) return {0x01, 0x11};
    if (tryNo > 2) raw += 3 * (tryNo - 2);
    const int word = raw * 4 + 1;
    return {word & 0xFF, word >> 8};
}

struct WriteCase {
    const char* name;
    int percentage;
    int unanswered;  // tries the controller leaves unanswered before it acknowledges one
};
void PrintTo(const WriteCase& c, std::ostream* os) { *os << c.name; }

const WriteCase kWrites[] = {
    {"Quarter_AckedAtOnce", 25, 0},  {"Quarter_AckedAtTwentieth", 25, 19},  {"Quarter_NeverAcked", 25, 40},
    {"Percent26_AckedAtOnce", 26, 0}, {"Percent26_AckedAtTwentieth", 26, 19}, {"Percent26_NeverAcked", 26, 40},
};

class ParameterWrite : public Commands, public ::testing::WithParamInterface<std::tuple<WriteCase, TimingMode>> {};

TEST_P(ParameterWrite, TriesUntilAcknowledgedThenReadsBackTwice) {
    const auto& [c, mode] = GetParam();
    sim::Scenario s = Network(8, 8, {1, 2, 31, 32}, mode);
    if (c.unanswered > 0) {
        sim::FaultRule noAck = Fault(sim::FaultType::NoAck, sim::RequestKind::WriteParam, 1);
        noAck.tries = c.unanswered;
        s.faults.push_back(noAck);
    }
    StartIdle(s);

    Form1->koff1->Click();
    Form1->CS_koff1->SetValue(c.percentage);
    const std::size_t logBefore = LogSize();
    const Micros pressed = backend.Now();
    Form1->OK_koff1->Click();
    const std::vector<Sent> sent = Requests(logBefore);

    // An acknowledgement is read by the try after the one it answers, on the line one try later.
    const int lag = mode == TimingMode::Line ? 1 : 0;
    const int acknowledgedTry = c.unanswered + 1;
    const int writes = std::min(acknowledgedTry + lag, 20);
    ASSERT_EQ(sent.size(), static_cast<std::size_t>(writes + 2));
    for (int n = 1; n <= writes; ++n) {
        const auto [lo, hi] = ValueBytes(c.percentage, n);
        EXPECT_EQ(Hex(sent[n - 1].bytes), Hex(ParamWrite(kNode, 7, 4, lo, hi))) << "try " << n;
    }
    for (int i = writes; i < writes + 2; ++i) EXPECT_EQ(Hex(sent[i].bytes), Hex(ParamRead(kNode, 7, 4)));
    EXPECT_EQ(sent[0].at, pressed + Ms(500));
    for (std::size_t i = 1; i < sent.size(); ++i) ExpectPaced(sent, i, Ms(500), mode);

    TProcessImage& pi = ProcessImage;
    EXPECT_EQ(pi.BusyMode, 0);
    // Acknowledged by the twentieth try, the repetition ends by count and leaves the flag set.
    EXPECT_EQ(pi.CommandAccepted, acknowledgedTry + lag == 20 ? 1 : 0);
    EXPECT_EQ(Form3->Visible(), acknowledgedTry + lag <= 20);

    // The controller keeps the last value it acknowledged, and that is what reads back.
    int raw = 2048;
    if (acknowledgedTry <= writes) {
        const auto [lo, hi] = ValueBytes(c.percentage, writes);
        raw = (hi * 256 + lo) >> 2;
    }
    EXPECT_EQ(pi.LoopSetpoint[1], raw);
    backend.RunFor(Ms(200));
    EXPECT_EQ(Form1->koff1->Caption(), vcl::FloatToStrF(raw * 5.0 / 4096, vcl::TFloatFormat::ffFixed, 4, 2));
}

INSTANTIATE_TEST_SUITE_P(Station, ParameterWrite,
                         ::testing::Combine(::testing::ValuesIn(kWrites),
                                            ::testing::Values(TimingMode::Instant, TimingMode::Line)),
                         [](const auto& info) {
                             return std::string(std::get<0>(info.param).name) + "_" +
                                    ModeName(std::get<1>(info.param));
                         });

// Percentage 26 is raw 1064 (A1 10): the high byte stays 10 up to the ninth try and becomes 11
// from the tenth (raw + 24 = 1088).
TEST_F(Commands, UnacknowledgedWritesOf26PercentClimbOutOfThe10Range) {
    sim::Scenario s = Network(8, 8, {1, 2, 31, 32}, TimingMode::Instant);
    sim::FaultRule noAck = Fault(sim::FaultType::NoAck, sim::RequestKind::WriteParam, 1);
    noAck.tries = 40;
    s.faults.push_back(noAck);
    StartIdle(s);
    Form1->koff1->Click();
    Form1->CS_koff1->SetValue(26);
    const std::size_t logBefore = LogSize();
    Form1->OK_koff1->Click();
    const std::vector<Sent> sent = Requests(logBefore);
    ASSERT_EQ(sent.size(), 22u);
    EXPECT_EQ(sent[0].bytes[8], 0xA1);
    EXPECT_EQ(sent[1].bytes[8], 0xA1);
    for (int n = 1; n <= 20; ++n) EXPECT_EQ(sent[n - 1].bytes[9], n < 10 ? 0x10 : 0x11) << "try " << n;
    EXPECT_EQ(sent[19].bytes[8], 0x79);  // raw + 54 = 1118, word 0x1179
}

// The frames as they stand for controller 5 and loop 1's setpoint.
TEST_F(Commands, WorkedFramesOfASetpointWrite) {
    StartIdle(Network(8, 8, {1, 2, 31, 32}, TimingMode::Instant));
    const std::string readBack = "10 02 01 05 01 4E 07 04 10 03 85";
    for (const auto& [percentage, write, shown] :
         {std::tuple{50, "10 02 01 05 01 49 07 04 01 20 10 03 A1", "2.50"},
          std::tuple{25, "10 02 01 05 01 49 07 04 01 11 10 03 92", "1.33"}}) {
        Form1->koff1->Click();
        Form1->CS_koff1->SetValue(percentage);
        const std::size_t logBefore = LogSize();
        Form1->OK_koff1->Click();
        const std::vector<Sent> sent = Requests(logBefore);
        ASSERT_EQ(sent.size(), 3u);
        EXPECT_EQ(Hex(sent[0].bytes), write);
        EXPECT_EQ(Hex(sent[1].bytes), readBack);
        EXPECT_EQ(Hex(sent[2].bytes), readBack);
        backend.RunFor(Ms(200));
        EXPECT_EQ(Form1->koff1->Caption(), shown);
    }
}

// Every editor writes its own parameter with its spin edit's value and reads it back into its
// own field; opening an editor sends nothing.
struct EditorCase {
    int loop;
    bool setting;
    int block, index;
};
void PrintTo(const EditorCase& c, std::ostream* os) {
    *os << "loop " << c.loop << (c.setting ? " setting" : " setpoint");
}

class Editor : public Commands, public ::testing::WithParamInterface<EditorCase> {};

TEST_P(Editor, WritesItsOwnParameter) {
    const EditorCase& c = GetParam();
    StartIdle(Network(8, 8, {1, 2, 31, 32}, TimingMode::Instant));
    console::LoopEditor& e = c.setting ? Form1->Loops[c.loop - 1].setting : Form1->Loops[c.loop - 1].setpoint;
    const int percentage = c.setting ? 15 : 70;  // 614 (99 09) and 2867 (CD 2C)

    std::size_t logBefore = LogSize();
    e.value->Click();
    EXPECT_EQ(LogSize(), logBefore);
    for (vcl::TControl* control : std::initializer_list<vcl::TControl*>{e.box, e.preview, e.spin, e.ok})
        EXPECT_TRUE(control->Visible()) << control->Name();
    e.spin->SetValue(percentage);
    e.ok->Click();
    for (vcl::TControl* control : std::initializer_list<vcl::TControl*>{e.box, e.preview, e.spin, e.ok})
        EXPECT_FALSE(control->Visible()) << control->Name();

    const std::vector<Sent> sent = Requests(logBefore);
    ASSERT_EQ(sent.size(), 3u);
    const auto [lo, hi] = ValueBytes(percentage, 1);
    EXPECT_EQ(Hex(sent[0].bytes), Hex(ParamWrite(kNode, c.block, c.index, lo, hi)));
    EXPECT_EQ(Hex(sent[2].bytes), Hex(ParamRead(kNode, c.block, c.index)));
    const TProcessImage& pi = ProcessImage;
    EXPECT_EQ(c.setting ? pi.LoopUstavka[c.loop] : pi.LoopSetpoint[c.loop], percentage * 4096 / 100);
}

INSTANTIATE_TEST_SUITE_P(Station, Editor,
                         ::testing::Values(EditorCase{1, false, 7, 4}, EditorCase{2, false, 10, 4},
                                           EditorCase{3, false, 13, 4}, EditorCase{4, false, 17, 4},
                                           EditorCase{1, true, 8, 5}, EditorCase{2, true, 11, 5},
                                           EditorCase{3, true, 14, 5}, EditorCase{4, true, 18, 5}));

// Both editors of a loop open at once lie at one place, the setting on top; each OK closes and
// writes only its own.
TEST_F(Commands, BothEditorsOfALoopOpenAtOnce) {
    StartIdle(Network(8, 8, {1, 2, 31, 32}, TimingMode::Instant));
    Form1->koff1->Click();
    Form1->koff11->Click();
    ASSERT_TRUE(Form1->Zadanie1->Visible());
    ASSERT_TRUE(Form1->Zadanie11->Visible());
    EXPECT_EQ(Form1->Zadanie1->Left(), Form1->Zadanie11->Left());
    EXPECT_EQ(Form1->Zadanie1->Top(), Form1->Zadanie11->Top());
    const auto& z = Form1->Controls();
    EXPECT_GT(std::find(z.begin(), z.end(), Form1->Zadanie11), std::find(z.begin(), z.end(), Form1->Zadanie1));

    std::size_t logBefore = LogSize();
    Form1->OK_koff11->Click();
    EXPECT_FALSE(Form1->Zadanie11->Visible());
    EXPECT_TRUE(Form1->Zadanie1->Visible());
    std::vector<Sent> sent = Requests(logBefore);
    ASSERT_EQ(sent.size(), 3u);
    for (const Sent& r : sent) EXPECT_EQ(std::pair(r.bytes[6], r.bytes[7]), std::pair(B(8), B(5)));

    logBefore = LogSize();
    Form1->OK_koff1->Click();
    EXPECT_FALSE(Form1->Zadanie1->Visible());
    sent = Requests(logBefore);
    ASSERT_EQ(sent.size(), 3u);
    for (const Sent& r : sent) EXPECT_EQ(std::pair(r.bytes[6], r.bytes[7]), std::pair(B(7), B(4)));
}

// --- Loop switching ---

const Bytes kCommandTemplate = FromHex("10 02 01 01 02 49 01 07 10 03 AA");

class LoopSwitch : public Commands, public ::testing::WithParamInterface<std::tuple<int, TimingMode>> {};

// Loops in modes 2, 32, 2, 32 show their lamp; the command clears the mode's bit 6.
TEST_P(LoopSwitch, SendsTheCommandAndReadsTheNewState) {
    const auto [loop, mode] = GetParam();
    Start(Network(8, 8, {2, 32, 2, 32}, mode));
    Form1->Timer3->SetEnabled(false);
    vcl::TRxGIFAnimator* lamp = Form1->Loops[loop - 1].PS;
    ASSERT_TRUE(backend.RunUntil([&] { return lamp->Showing(); }, Ms(30'000)));
    Form1->Timer2->SetEnabled(false);
    backend.RunFor(Ms(1000));  // a late reply of the polling has come in meanwhile

    const std::size_t logBefore = LogSize();
    const Micros clicked = backend.Now();
    lamp->Click();
    const std::vector<Sent> sent = Requests(logBefore);
    ASSERT_EQ(sent.size(), 3u);
    EXPECT_EQ(Hex(sent[0].bytes), Hex(LoopCommand(kNode, loop)));
    EXPECT_EQ(Hex(sent[1].bytes), Hex(LoopStateRead(kNode, loop)));
    EXPECT_EQ(Hex(sent[2].bytes), Hex(LoopStateRead(kNode, loop)));
    if (loop == 3) {
        EXPECT_EQ(Hex(sent[0].bytes), "10 02 01 05 02 49 03 07 10 03 80");
        EXPECT_EQ(Hex(sent[1].bytes), "10 02 01 05 02 4E 03 10 03 7E");
    }
    EXPECT_EQ(sent[0].at, clicked + Ms(500));
    ExpectPaced(sent, 1, loop == 2 || loop == 3 ? Ms(650) : Ms(500), mode);
    ExpectPaced(sent, 2, Ms(500), mode);

    const TProcessImage& pi = ProcessImage;
    EXPECT_EQ(pi.BusyMode, 0);
    EXPECT_EQ(pi.LoopState[loop], loop % 2 == 1 ? 1 : 31);
    EXPECT_TRUE(Form3->Visible());
    for (const std::uint8_t* t : {pi.ReqLoopCommand1, pi.ReqLoopCommand2, pi.ReqLoopCommand3, pi.ReqLoopCommand4})
        EXPECT_EQ(Hex(Bytes(t, t + 11)), Hex(kCommandTemplate));
    EXPECT_EQ(Hex(Bytes(pi.ReqLoopState, pi.ReqLoopState + 10)), Hex(LoopStateRead(kNode, loop)));

    // The new mode shows at the next display run: the red lamp goes out, the green one on ВЗ
    // lights; mode 31 keeps its other red lamp, mode 1 its green one on ЛУ.
    backend.RunFor(Ms(2000));
    const console::LoopControls& controls = Form1->Loops[loop - 1];
    EXPECT_FALSE(lamp->Visible());
    EXPECT_TRUE(controls.BS->Visible());
    EXPECT_EQ(controls.DU->Visible(), loop % 2 == 0);
    EXPECT_EQ(controls.LU->Visible(), loop % 2 == 1);
}

INSTANTIATE_TEST_SUITE_P(Station, LoopSwitch,
                         ::testing::Combine(::testing::Values(1, 2, 3, 4),
                                            ::testing::Values(TimingMode::Instant, TimingMode::Line)),
                         [](const auto& info) {
                             return "Loop" + std::to_string(std::get<0>(info.param)) + "_" +
                                    ModeName(std::get<1>(info.param));
                         });

// A lamp that is out (loop in mode 1) takes no click and nothing is sent.
TEST_F(Commands, AHiddenLampSendsNothing) {
    StartIdle(Network(8, 8, {1, 2, 31, 32}, TimingMode::Instant));
    backend.RunFor(Ms(2000));
    ASSERT_FALSE(Form1->Kontur1_PS->Visible());
    const std::size_t logBefore = LogSize();
    Form1->Kontur1_PS->Click();
    EXPECT_EQ(LogSize(), logBefore);
}

}  // namespace
}  // namespace line_test
