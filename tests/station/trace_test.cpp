// The exchange trace on the simulated line, in virtual time: the line of each kind with its
// time, silence and partial replies marked, what the decoders dropped and why, the file whole
// after shutdown, and the line itself the same with and without the trace.

#include <gmock/gmock.h>

#include <algorithm>
#include <fstream>
#include <regex>
#include <string>
#include <vector>

#include "app/zagruzka.h"
#include "line_fixture.h"
#include "trace/exchange_trace.h"
#include "trace/trace_file.h"
#include "trace/trace_format.h"

namespace line_test {
namespace {

using ::testing::Contains;
using ::testing::ElementsAreArray;
using ::testing::HasSubstr;

// The texts of the boxes the decoders show.
const std::string kProbeCaption = "Нажмите ОК и расслабтесь";
const std::string kProbeText = "Считывается информация с контроллера. Код № = ";
const std::string kGatewayCaption = "       Шлюз выдает ошибку";
const std::string kGatewayErrors = "Шлюз выдает число ошибок = ";
const std::string kGatewayCode = " ошибка -  ";
const std::string kGatewayNode = " . ";

std::vector<std::string> ReadLines(const std::string& path) {
    std::ifstream in(path);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

// The line without its time: "T 10 02 ...  input A3?".
std::string Untimed(const std::string& line) { return line.size() > 11 ? line.substr(11) : line; }

// A trace file of its own for each test.
std::string TracePath() {
    std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
    std::replace(name.begin(), name.end(), '/', '_');
    return ::testing::TempDir() + "station-trace-" + name + ".log";
}

// The station with the trace installed from before its start; times count from 0.
struct Traced : StationOnLine {
    std::string path = TracePath();
    trace::ExchangeTracer tracer;
    std::unique_ptr<trace::TraceFile> file;

    void SetUp() override {
        file = std::make_unique<trace::TraceFile>(path, backend.Now());
        tracer.AddSink(file.get());
        trace::Install(&tracer);
    }
    // Ends the trace as the program does at its end, and reads the file.
    std::vector<std::string> Finish() {
        trace::Install(nullptr);
        file->Close();
        return ReadLines(path);
    }
    void TearDown() override {
        trace::Install(nullptr);
        StationOnLine::TearDown();
    }
};

// The R line right after the nth T line saying `request`, without its time.
std::string ReplyTo(const std::vector<std::string>& lines, const std::string& request, int nth = 1) {
    for (std::size_t i = 0; i + 1 < lines.size(); ++i)
        if (Untimed(lines[i]).starts_with("T ") && lines[i].ends_with("  " + request) && --nth == 0)
            return Untimed(lines[i + 1]);
    return "(no request " + request + ")";
}

TEST_F(Traced, EachKindOfExchangeHasItsLinesWithWriteCallAndReadReturnTimes) {
    Start(Network(5, 8, {1, 2, 31, 0}, TimingMode::Instant));
    ShowMainWindow();
    // Past the first burst of loop parameters (tick 275 of the polling).
    backend.RunFor(Ms(150'000));
    Form1->Timer2->SetEnabled(false);
    Form1->Timer3->SetEnabled(false);
    const Micros pressed = backend.Now();
    Form1->koff1->Click();
    Form1->CS_koff1->SetValue(50);
    Form1->OK_koff1->Click();
    Form1->Kontur2_PS->Click();
    const std::vector<std::string> lines = Finish();

    // Instant replies: a write call, the request's bytes at 2.5 ms each, and a read that ends
    // 5 ms after the waiting reply (40 ms when nothing comes).
    ASSERT_GE(lines.size(), 7u);
    const std::vector<std::string> discovery(lines.begin(), lines.begin() + 7);
    EXPECT_THAT(discovery, ElementsAreArray(std::vector<std::string>{
        "   300.000 T 10 02 04 10 03 29  probe",
        "   320.000 R 10 02 04 10 10 00 10 03 49  identification: map 0010 (controller 5); box \"" + kProbeCaption +
            "\": " + kProbeText + "16",
        "   320.000 R+ controller 5 in service",
        "   620.000 T 10 02 04 10 03 29  probe",
        "   640.000 R 10 02 04 10 10 00 10 03 49  identification: map 0010, controller 5 kept",
        "  1140.000 T 10 02 01 05 02 4E 01 10 03 7C  loop 1 state?",
        "  1170.000 R 10 02 01 05 02 52 01 00 00 00 00 00 00 00 00 00 00 20 00 10 03 A0  "
        "loop 1 state = 1 (status 20)",
    }));
    EXPECT_THAT(lines, Contains("  3790.000 T 10 02 01 05 04 4E 05 08 10 03 8A  input A8? (counting)"));
    EXPECT_THAT(lines, Contains("  3822.500 R 10 02 01 05 04 50 16 10 03 95  input missing (code 22): count A = 7"));
    // Counting takes only refusals; a value there is the data decoder's business.
    EXPECT_EQ(ReplyTo(lines, "input A5? (counting)"),
              "R 10 02 01 05 04 52 05 05 88 13 11 10 03 37  input reply: not for this decoder");

    const struct {
        const char* request;
        const char* reply;
    } kinds[] = {
        {"input B1?", "R 10 02 01 05 04 52 06 01 01 40 01 10 03 CA  input B1 = 1"},
        {"input A3?", "R 10 02 01 05 04 52 05 03 B8 0B 11 10 03 5D  input A3 = 1500"},
        {"loop 2 setting?", "R 10 02 01 05 01 52 0B 05 35 03 51 10 03 17  loop 2 setting = 205"},
        {"loop 1 setpoint := 2048",
         "R 10 02 01 05 01 50 00 10 03 7C  write acknowledged: command-accepted window"},
        {"loop 1 setpoint? (read-back)",
         "R 10 02 01 05 01 52 07 04 01 20 51 10 03 FB  loop 1 setpoint = 2048"},
        {"loop 2 command 7",
         "R 10 02 01 05 02 50 00 10 03 7D  loop command acknowledged: command-accepted window"},
    };
    for (const auto& k : kinds) EXPECT_EQ(ReplyTo(lines, k.request), k.reply) << k.request;

    // The write goes out 500 ms after the click; its reply 13 bytes (32.5 ms) and 5 ms later.
    const std::string at = std::to_string((pressed + Ms(500)) / 1000) + ".000 T ";
    EXPECT_THAT(lines, Contains(HasSubstr(at + "10 02 01 05 01 49 07 04 01 20 10 03 A1")));
}

struct LineFault {
    const char* name;
    std::vector<sim::FaultRule> faults;
    std::string request;  // the request whose reply is looked at
    std::string reply;    // its R line, without the time
};
void PrintTo(const LineFault& c, std::ostream* os) { *os << c.name; }

sim::FaultRule Split(sim::RequestKind on, int nth, int at) {
    sim::FaultRule r = Fault(sim::FaultType::Split, on, nth);
    r.splitAt = at;
    r.gap = Ms(8);  // beyond the 5 ms the read waits between bytes
    return r;
}
sim::FaultRule Coded(sim::FaultType type, sim::RequestKind on, int nth, int code) {
    sim::FaultRule r = Fault(type, on, nth);
    r.code = code;
    return r;
}
sim::FaultRule Late(sim::RequestKind on, int nth, Micros delay) {
    sim::FaultRule r = Fault(sim::FaultType::Late, on, nth);
    r.delay = delay;
    return r;
}

// With 8 inputs in each group discovery reads 41 inputs; the last tells group B's kind and goes
// to the data decoder. The third loop-state read asks loop 2, the fourth loop 3.
constexpr int kKindRead = 41;
using RK = sim::RequestKind;
using FT = sim::FaultType;
const LineFault kLineFaults[] = {
    {"Silence", {Fault(FT::Silence, RK::LoopState, 3)}, "loop 2 state?", "R  silence"},
    {"CutShort", {Split(RK::LoopState, 3, 10)}, "loop 2 state?",
     "R 10 02 01 05 02 52 02 00 00 00  [cut short]; loop-state reply dropped: no DLE ETX"},
    {"RestOfACutReplyIsNoFrame", {Split(RK::LoopState, 3, 10), Fault(FT::Silence, RK::LoopState, 4)},
     "loop 3 state?", "R 00 00 00 00 00 00 00 60 00 10 03 E1  [no frame]; nothing taken"},
    {"LateReplyReadWithTheNext", {Late(RK::LoopState, 3, Ms(60))},
     "loop 3 state?",
     // The decoders look for a frame at positions 0 to 10 only: loop 3's reply, cut off by the 30 bytes, is
     // not looked at.
     "R 10 02 01 05 02 52 02 00 00 00 00 00 00 00 00 00 00 60 00 10 03 E1 10 02 01 05 02 52 03 00  [cut short]; "
     "loop 2 state = 2 (status 60)"},
    {"Noise", {Fault(FT::Noise, RK::ReadInput, kKindRead)}, "input B1?",
     "R 55 FF 00 10 02 01 05 04 52 06 01 01 40 01 10 03 CA  [noise 3]; input B1 = 1"},
    {"BadChecksum", {Fault(FT::BadChecksum, RK::ReadInput, kKindRead)}, "input B1?",
     "R 10 02 01 05 04 52 06 01 01 40 01 10 03 CB  input reply dropped: bad checksum"},
    {"ControllerSilent", {Coded(FT::GatewayError, RK::ReadInput, kKindRead, 0x1F)}, "input B1?",
     "R 10 02 01 00 00 50 01 05 1F 10 03 9B  gateway report: 1 error, code 1F about node 5: no-answer window"},
    {"GatewayErrorBox", {Coded(FT::GatewayError, RK::ReadInput, kKindRead, 0x2C)}, "input B1?",
     "R 10 02 01 00 00 50 01 05 2C 10 03 A8  gateway report: 1 error, code 2C about node 5: box; box \"" +
         kGatewayCaption + "\": " + kGatewayErrors + "1" + kGatewayCode + "2C" + kGatewayNode + "5"},
};

class TracedFaults : public Traced, public ::testing::WithParamInterface<LineFault> {};

TEST_P(TracedFaults, MarkedOnTheReplyLine) {
    const LineFault& c = GetParam();
    sim::Scenario s = Network(8, 8, {1, 2, 31, 32}, TimingMode::Instant);
    s.faults = c.faults;
    Start(s);
    EXPECT_EQ(ReplyTo(Finish(), c.request), c.reply);
}

INSTANTIATE_TEST_SUITE_P(Faults, TracedFaults, ::testing::ValuesIn(kLineFaults),
                         [](const auto& info) { return std::string(info.param.name); });

// How the bytes of one read stand as frames, before any decoder looks at them.
TEST(TraceLineMarks, TellFramesNoiseAndCutsApart) {
    const struct {
        const char* hex;
        const char* marks;
    } cases[] = {
        {"10 02 01 05 01 50 00 10 03 7C", ""},
        {"10 02 01 05 01 50 00 10 03 7C 10 02 01 05 01 50 00 10 03 7C", "[2 frames]"},
        {"55 FF 00 10 02 01 05 01 50 00 10 03 7C", "[noise 3]"},
        {"10 02 01 05 01 50 00 10 03", "[cut short]"},
        {"10 02 01 05 01 50", "[cut short]"},
        {"10", "[cut short]"},
        {"00 00 60 00 10 03 E1", "[no frame]"},
        {"10 02 01 10 10 10 03 23", ""},                           // a doubled DLE inside
        {"10 02 01 10 05 10 02 01 05 01 50 00 10 03 7C", "[broken frame]"},  // a stray DLE ends the first
        {"10 02 01 05 10 02 01 05 01 50 00 10 03 7C", "[broken frame]"},     // a frame begins inside one
        {"AA 10 02 01 10 05 00 10", "[noise 1, broken frame]"},
    };
    for (const auto& c : cases) {
        const Bytes b = FromHex(c.hex);
        EXPECT_EQ(trace::LineMarks(b.data(), b.size()), c.marks) << c.hex;
    }
}

// A long run on the line as it really is (every reply read one exchange late), shut down: every
// request the gateway saw has its T line, in order, and every read its R line.
TEST_F(Traced, FileHoldsEveryExchangeAfterShutdown) {
    Start(Network(8, 8, {1, 2, 31, 32}, TimingMode::Line));
    ShowMainWindow();
    backend.RunFor(Ms(60'000));
    Form1->koff11->Click();
    Form1->CS_koff11->SetValue(10);
    Form1->OK_koff11->Click();
    Form1->Kontur2_PS->Click();
    backend.RunFor(Ms(60'000));
    Form5->Close();
    const std::vector<Sent> sent = Requests();
    const std::vector<std::string> lines = Finish();

    const std::regex request(R"( *\d+\.\d{3} T ((?:[0-9A-F]{2} )*[0-9A-F]{2})  \S.*)");
    const std::regex reply(R"( *\d+\.\d{3} R( (?:[0-9A-F]{2} )*[0-9A-F]{2})?  \S.*)");
    const std::regex afterBox(R"( *\d+\.\d{3} R\+ \S.*)");
    std::vector<std::string> written;
    std::size_t replies = 0;
    for (const std::string& line : lines) {
        std::smatch m;
        if (std::regex_match(line, m, request)) {
            written.push_back(m[1]);
        } else if (std::regex_match(line, reply)) {
            ++replies;
        } else {
            EXPECT_TRUE(std::regex_match(line, afterBox)) << line;
        }
    }
    std::vector<std::string> onLine;
    for (const Sent& s : sent) onLine.push_back(Hex(s.bytes));
    EXPECT_EQ(written, onLine);
    EXPECT_EQ(replies, sent.size());
    EXPECT_GT(sent.size(), 80u);
}

// Everything that crossed the line in a run: the same bytes at the same moments with the trace.
std::vector<sim::LoggedFrame> RunOnLine(bool traced) {
    headless::HeadlessBackend backend;
    vcl::TApplication app{backend};
    ProcessImage = TProcessImage{};
    auto device = std::make_shared<sim::SimDevice>(Network(8, 8, {1, 2, 31, 32}, TimingMode::Line));
    win32::RegisterVirtualDevice("COM1", device);
    trace::ExchangeTracer tracer;
    trace::TraceFile file(TracePath(), backend.Now());
    tracer.AddSink(&file);
    if (traced) trace::Install(&tracer);
    app::CreateStationForms(app);
    backend.RunUntil([] { return Form1->Visible(); }, Ms(200));
    backend.RunFor(Ms(40'000));
    Form1->koff1->Click();
    Form1->CS_koff1->SetValue(26);
    Form1->OK_koff1->Click();
    Form1->Kontur3_PS->Click();
    backend.RunFor(Ms(20'000));
    trace::Install(nullptr);
    PortClose();
    app::DestroyStation(app);
    win32::UnregisterVirtualDevice("COM1");
    return device->log();
}

TEST(TraceOnTheLine, ChangesNeitherBytesNorTimes) {
    const std::vector<sim::LoggedFrame> plain = RunOnLine(false);
    const std::vector<sim::LoggedFrame> traced = RunOnLine(true);
    ASSERT_GT(plain.size(), 100u);
    EXPECT_TRUE(plain == traced);
}

TEST(TraceFile, ThatCannotBeOpenedIsAnErrorNamingIt) {
    const std::string path = "/nonexistent-directory/trace.log";
    try {
        trace::TraceFile file(path, 0);
        ADD_FAILURE() << "opened " << path;
    } catch (const trace::TraceFileError& e) {
        EXPECT_EQ(std::string(e.what()), "cannot open the trace file " + path + ": No such file or directory");
    }
}

}  // namespace
}  // namespace line_test
