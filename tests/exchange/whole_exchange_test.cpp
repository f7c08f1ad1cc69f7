// Whole exchanges through the read path: every worked reply whole, split at every offset across
// two reads, cut short at every length, run long, and wrapped in noise, for every caller. The
// checker holds each exchange to what the line carried; the reply's own caller must moreover
// take it when it lies whole in one read, and drop a checksummed reply that never does.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "exchange_checker.h"
#include "exchange_run.h"
#include "protocol/decoders.h"

namespace {

using namespace exchange;
using protocol_test::Box;
using protocol_test::CommandAcceptedWindow;
using protocol_test::Differences;
using protocol_test::Hex;
using protocol_test::Lab1;
using protocol_test::NoAnswerWindow;
using protocol_test::WindowCall;
using ::testing::Contains;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::Not;
using Bytes = std::vector<std::uint8_t>;

constexpr const char* kGatewayCaption = "       Шлюз выдает ошибку";
constexpr const char* kMapText = "Считывается информация с контроллера. Код № = ";
constexpr const char* kMapCaption = "Нажмите ОК и расслабтесь";

struct ReplyRow {
    const char* name;
    const char* role;                           // the caller the reply answers
    const char* hex;                            // as on the line, checksum included
    void (*changes)(TProcessImage&) = nullptr;  // the fields it sets when taken
    std::vector<WindowCall> windows = {};       // and the windows it asks for
    bool checked = true;                        // taken only when intact
    void (*given)(TProcessImage&) = nullptr;    // on top of the caller's state
};

void PrintTo(const ReplyRow& row, std::ostream* os) { *os << row.name; }

const ReplyRow kReplies[] = {
    {"SetpointOfLoop1", "read-back", "10 02 01 05 01 52 07 04 01 20 51 10 03 FB",
     [](TProcessImage& pi) { pi.LoopSetpoint[1] = 2048; }},
    {"NegativeSetpoint", "read-back", "10 02 01 05 01 52 07 04 01 A0 51 10 03 7B",
     [](TProcessImage& pi) { pi.LoopSetpoint[1] = -2048; }},
    {"DoubledHighByte", "read-back", "10 02 01 05 01 52 07 04 01 10 10 51 10 03 FB",
     [](TProcessImage& pi) { pi.LoopSetpoint[1] = 1024; }},
    {"DoubledLowByte", "read-back", "10 02 01 05 01 52 07 04 10 10 20 51 10 03 1A",
     [](TProcessImage& pi) { pi.LoopSetpoint[1] = 2052; }},
    {"SettingOfLoop4LowerCaseType", "poll", "10 02 01 05 01 52 12 05 CD 0C 71 10 03 DF",
     [](TProcessImage& pi) { pi.LoopUstavka[4] = 819; }},
    {"ReplyFromNode7", "poll", "10 02 01 07 01 52 0A 04 01 20 51 10 03 00",
     [](TProcessImage& pi) { pi.ControllerNo = 7; pi.LoopSetpoint[2] = 2048; }},
    {"GroupAAnalog", "poll", "10 02 01 05 04 52 05 03 00 40 11 10 03 DA",
     [](TProcessImage& pi) { pi.InputA[3] = 8192; }},
    {"GroupBDiscreteOff", "group-b-kind", "10 02 01 05 04 52 06 02 01 C0 01 10 03 4B",
     [](TProcessImage& pi) { pi.InputB[2] = 0; pi.GroupBKind = 0; }, {}, true,
     [](TProcessImage& pi) { pi.InputB[2] = 1; }},
    {"GroupBAnalogNegative", "group-b-kind", "10 02 01 05 04 52 06 04 20 80 11 10 03 3C",
     [](TProcessImage& pi) { pi.InputB[4] = -16; pi.GroupBKind = 1; }},
    {"GroupBUpperChannel", "poll", "10 02 01 05 04 52 06 0C 40 1F 11 10 03 03",
     [](TProcessImage& pi) { pi.InputBUpper[12] = 4000; }},
    {"GatewayReportAboutController", "poll", "10 02 01 00 00 50 01 05 2C 10 03 A8", nullptr,
     {Box({"Шлюз выдает число ошибок = ", "1", " ошибка -  ", "2C", " . ", "5"}, kGatewayCaption)}, false},
    {"ControllerSilent", "poll", "10 02 01 00 00 50 01 05 1F 10 03 9B",
     [](TProcessImage& pi) { pi.LinkWindowArmed = 0; }, {NoAnswerWindow()}, false},
    {"ControllerRefusesInput", "poll", "10 02 01 05 04 50 16 10 03 95", nullptr,
     {Box({"Контроллер №  ", "5", "  выдает ошибку c кодом № ", "22"}, "Контроллер выдает ошибку")}, false},
    {"IdentificationAtStartUp", "probe", "10 02 04 10 10 00 10 03 49",
     [](TProcessImage& pi) { pi.NetMapLo = 0x10; pi.NetNode[5] = 1; pi.ControllerNo = 5; },
     {Box({kMapText, "16"}, kMapCaption), Lab1("5")}},
    {"IdentificationTwoNodes", "probe", "10 02 04 04 02 10 03 2F",
     [](TProcessImage& pi) {
         pi.NetMapLo = 0x04; pi.NetMapHi = 0x02; pi.NetNode[3] = 1; pi.NetNode[10] = 1; pi.ControllerNo = 10;
     },
     {Box({kMapText, "516"}, kMapCaption), Lab1("10")}},
    {"IdentificationHighByteDoubled", "probe", "10 02 04 01 10 10 10 03 4A",
     [](TProcessImage& pi) {
         pi.NetMapLo = 0x01; pi.NetMapHi = 0x10; pi.NetNode[1] = 1; pi.NetNode[13] = 1; pi.ControllerNo = 13;
     },
     {Box({kMapText, "4097"}, kMapCaption), Lab1("13")}},
    // A checksum of 00: cut before it, the cleared byte in its place must not pass for it.
    {"IdentificationChecksumZero", "probe", "10 02 04 D7 00 10 03 00",
     [](TProcessImage& pi) {
         pi.NetMapLo = 0xD7;
         for (int k : {1, 2, 3, 5, 7, 8}) pi.NetNode[k] = 1;
         pi.ControllerNo = 8;
     },
     {Box({kMapText, "215"}, kMapCaption), Lab1("8")}},
    {"LoopStateModeTwo", "loop-state-poll", "10 02 01 05 02 52 02 A1 A2 A3 A4 A5 A6 A7 A8 A9 AA 60 01 10 03 59",
     [](TProcessImage& pi) { pi.LoopState[2] = 2; }},
    {"LoopStateThirtyOne", "loop-state-read", "10 02 01 05 02 52 02 A1 A2 A3 A4 A5 A6 A7 A8 A9 AA 28 01 10 03 21",
     [](TProcessImage& pi) { pi.LoopState[2] = 31; }},
    {"LoopStateTwoDoubledPairs", "loop-state-poll",
     "10 02 01 05 02 52 02 A1 10 10 A3 10 10 A5 A6 A7 A8 A9 AA 60 01 10 03 53",
     [](TProcessImage& pi) { pi.LoopState[2] = 2; }},
    {"WriteAcknowledged", "write", "10 02 01 05 01 50 00 10 03 7C",
     [](TProcessImage& pi) { pi.CommandAccepted = 1; pi.WriteRetryBias = 0; }, {CommandAcceptedWindow()}},
    {"RefusalCountsGroupA", "count-a", "10 02 01 05 04 50 16 10 03 95", [](TProcessImage& pi) { pi.CountA = 7; }},
    {"RefusalCountsGroupB", "count-b", "10 02 01 05 04 50 16 10 03 95", [](TProcessImage& pi) { pi.CountB = 14; }},
    {"LoopCommandAcknowledged", "loop-command", "10 02 01 05 02 50 00 10 03 7D", nullptr,
     {CommandAcceptedWindow()}, false},
    {"GatewayReportWriteRefused", "write", "10 02 01 00 00 50 01 00 2C 10 03 A3",
     [](TProcessImage& pi) { pi.CommandAccepted = 0; }, {}, false,
     [](TProcessImage& pi) { pi.CommandAccepted = 1; }},
};

// Noise as a line makes it: false starts (10 02), doubled DLEs, a stray DLE ETX, zeros.
const Bytes kNoise = Hex("7E 10 02 FF 10 10 A5 10 02 10 10 33 C3 10 03 5A 00 10 E1 10 10 02");
// Trailing garbage: a lone DLE, a DLE ETX with no frame before it.
const Bytes kGarbage = Hex("55 10 AA 10 03 00 10");
// Second frames: another value reply, another loop's state.
const Bytes kValueReply = Hex("10 02 01 05 04 52 05 07 00 20 11 10 03 BE");
const Bytes kLoopReply = Hex("10 02 01 05 02 52 04 B1 B2 B3 B4 B5 B6 B7 B8 B9 BA 20 00 10 03 BA");

Bytes Cat(std::initializer_list<std::span<const std::uint8_t>> parts) {
    Bytes all;
    for (auto p : parts) all.insert(all.end(), p.begin(), p.end());
    return all;
}
std::span<const std::uint8_t> Head(const Bytes& b, std::size_t n) { return std::span(b).first(n); }
std::span<const std::uint8_t> Tail(const Bytes& b, std::size_t n) { return std::span(b).subspan(n); }

struct Variant {
    std::string name;
    std::vector<Chunk> chunks;
    std::size_t firstRead;  // bytes the first read takes
};

// The reply `r` as a line may deliver it. The first chunk always waits in the port when the first
// read starts; a rest comes 8 ms after that read's call, past its 5 ms interval, at line pace.
std::vector<Variant> Variants(const Bytes& r) {
    const std::size_t n = r.size();
    auto firstRead = [](const Bytes& b) { return std::min<std::size_t>(b.size(), 30); };
    std::vector<Variant> v;
    v.push_back({"whole", {Waiting(r)}, n});
    for (std::size_t k = 1; k < n; ++k)
        v.push_back({"split at " + std::to_string(k), {Waiting(Cat({Head(r, k)})), Paced(Cat({Tail(r, k)}), 0, platform::Ms(8))}, k});
    for (std::size_t k = 1; k < n; ++k) v.push_back({"cut at " + std::to_string(k), {Waiting(Cat({Head(r, k)}))}, k});
    for (const auto& [name, bytes] : {std::pair<const char*, Bytes>{"trailing garbage", Cat({r, kGarbage})},
                                      {"then a value reply", Cat({r, kValueReply})},
                                      {"then a loop-state reply", Cat({r, kLoopReply})},
                                      {"then noise", Cat({r, kNoise})},
                                      {"twice with noise between, over 30 bytes", Cat({r, kNoise, r})},
                                      {"noise around", Cat({Head(kNoise, 6), r, Tail(kNoise, 6)})}})
        v.push_back({name, {Waiting(bytes)}, firstRead(bytes)});
    for (std::size_t k = 1; k <= 12; ++k) {
        const Bytes bytes = Cat({Head(kNoise, k), r});
        v.push_back({std::to_string(k) + " noise bytes before", {Waiting(bytes)}, firstRead(bytes)});
    }
    v.push_back({"noise, then the reply in the next read", {Waiting(kNoise), Paced(r, 0, platform::Ms(8))},
                 kNoise.size()});
    return v;
}

std::string Line(const Run& run) { return "line: " + protocol_test::ToHex(run.line.data(), run.line.size()); }

// The exchange whose read took `r` whole at a start position the decoders scan; -1 if none.
int TakingExchange(const Run& run, const Bytes& r) {
    for (std::size_t i = 0; i < run.exchanges.size(); ++i) {
        const Bytes& f = run.exchanges[i].fresh;
        for (std::size_t at = 0; at <= 10 && at + r.size() <= f.size(); ++at)
            if (std::equal(r.begin(), r.end(), f.begin() + static_cast<std::ptrdiff_t>(at))) return static_cast<int>(i);
    }
    return -1;
}

// The lines of `differences` about the fields named in `fields` ("InputA[3]: ...").
std::vector<std::string> About(const std::vector<std::string>& fields, const std::vector<std::string>& differences) {
    std::vector<std::string> out;
    for (const std::string& d : differences)
        if (std::find(fields.begin(), fields.end(), d.substr(0, d.find(':'))) != fields.end()) out.push_back(d);
    return out;
}

std::vector<std::string> FieldNames(const std::vector<std::string>& differences) {
    std::vector<std::string> names;
    for (const std::string& d : differences) names.push_back(d.substr(0, d.find(':')));
    return names;
}

class OwnCaller : public ::testing::TestWithParam<ReplyRow> {};

// The caller the reply answers takes it in the exchange whose read holds it whole; a reply that
// must be intact is dropped in every other case.
TEST_P(OwnCaller, TakesTheReplyWholeInOneReadAndDropsItOtherwise) {
    const ReplyRow& row = GetParam();
    const Role& role = RoleNamed(row.role);
    const Bytes r = Hex(row.hex);
    TProcessImage start;
    role.state(start);
    if (row.given) row.given(start);
    TProcessImage expected = start;
    if (row.changes) row.changes(expected);
    const std::vector<std::string> fields = FieldNames(Differences(start, expected));
    ASSERT_FALSE(fields.empty() && row.windows.empty()) << "the row says nothing the reply does";

    for (const Variant& v : Variants(r)) {
        SCOPED_TRACE(v.name);
        const exchange::Run run = RunExchanges(role, start, v.chunks);
        EXPECT_THAT(CheckRun(role, run), IsEmpty()) << Line(run);
        ASSERT_FALSE(run.exchanges.empty());
        EXPECT_EQ(run.exchanges[0].fresh.size(), v.firstRead) << Line(run);

        const int taking = TakingExchange(run, r);
        if (taking >= 0) {
            const Exchange& x = run.exchanges[static_cast<std::size_t>(taking)];
            EXPECT_THAT(About(fields, Differences(expected, x.after)), IsEmpty()) << Line(run);
            for (const WindowCall& w : row.windows) EXPECT_THAT(x.calls, Contains(w)) << Line(run);
        } else if (row.checked) {
            EXPECT_THAT(About(fields, Differences(start, run.exchanges.back().after)), IsEmpty()) << Line(run);
            for (const Exchange& x : run.exchanges)
                for (const WindowCall& w : row.windows) EXPECT_THAT(x.calls, Not(Contains(w))) << Line(run);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Worked, OwnCaller, ::testing::ValuesIn(kReplies),
                         [](const auto& info) { return std::string(info.param.name); });

class EveryCaller : public ::testing::TestWithParam<ReplyRow> {};

// Any caller, either decoder, any of the streams: the properties hold.
TEST_P(EveryCaller, KeepsThePropertiesWhateverTheStream) {
    const Bytes r = Hex(GetParam().hex);
    for (const Role& role : Roles()) {
        TProcessImage start;
        role.state(start);
        for (const Variant& v : Variants(r)) {
            const exchange::Run run = RunExchanges(role, start, v.chunks);
            EXPECT_THAT(CheckRun(role, run), IsEmpty()) << role.name << ", " << v.name << ", " << Line(run);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Worked, EveryCaller, ::testing::ValuesIn(kReplies),
                         [](const auto& info) { return std::string(info.param.name); });

// A checksum the read did not receive: the zero the caller cleared in its place, or a byte an
// earlier read left beyond the bytes just read. Neither may pass for the reply's own.
struct UnreceivedChecksum {
    const char* name;
    const char* role;
    void (*given)(TProcessImage&);
    std::vector<Chunk> chunks;
    std::size_t secondRead;  // bytes the second read takes
};

void PrintTo(const UnreceivedChecksum& c, std::ostream* os) { *os << c.name; }

const UnreceivedChecksum kUnreceived[] = {
    // The first read leaves 59 in RxBuf[28], the checksum of the loop-state reply whose first 21
    // bytes the second read takes at offset 7.
    {"LeftByAnEarlierRead", "loop-state-poll", nullptr,
     {Waiting(Hex("EE EE EE EE EE EE EE EE EE EE EE EE EE EE EE EE EE EE EE EE EE EE EE EE EE EE EE EE 59 00"), 0),
      Waiting(Hex("7E 10 02 FF 10 10 A5 10 02 01 05 02 52 02 A1 A2 A3 A4 A5 A6 A7 A8 A9 AA 60 01 10 03"), 1)},
     28},
    // Found by fuzz_exchange: a value reply of type 56 from node 5 sums to 00 without its checksum
    // and comes after a gap, at offset 3 of the second read; the cleared RxBuf[16] posed as 00.
    {"ZeroLeftByClearing", "read-back", [](TProcessImage& pi) { pi.ControllerNo = 3; },
     {Waiting(Hex("7E 00 00 00 10 02 FF")), {Hex("0E 09 77 10 02 01 05 01 52 07 04 01 20 56 10 03"), 0, 11840, 2500}},
     16},
};

class ChecksumNeverReceived : public ::testing::TestWithParam<UnreceivedChecksum> {};

TEST_P(ChecksumNeverReceived, MakesNoReplyIntact) {
    const UnreceivedChecksum& c = GetParam();
    const Role& role = RoleNamed(c.role);
    TProcessImage start;
    role.state(start);
    if (c.given) c.given(start);
    const exchange::Run run = RunExchanges(role, start, c.chunks);
    ASSERT_GE(run.exchanges.size(), 2u);
    EXPECT_EQ(run.exchanges[1].fresh.size(), c.secondRead) << Line(run);
    EXPECT_THAT(CheckRun(role, run), IsEmpty()) << Line(run);
}

INSTANTIATE_TEST_SUITE_P(Cases, ChecksumNeverReceived, ::testing::ValuesIn(kUnreceived),
                         [](const auto& info) { return std::string(info.param.name); });

// The checker is only worth its silence if it speaks up: decoders that break one property each.
struct Sabotage {
    const char* name;
    const char* role;
    const char* hex;
    Decoder decode;
    const char* finding;
};

void PrintTo(const Sabotage& s, std::ostream* os) { *os << s.name; }

const Sabotage kSabotage[] = {
    {"ValueFromAReplyCutShort", "poll", "10 02 01 05 04 52 05 03 00 40 11 10 03",
     [](TProcessImage& pi, protocol::DecoderWindows& w) {
         protocol::Sortirovka_Buf(pi, w);
         pi.InputA[3] = 8192;
     },
     "InputA[3] := 8192"},
    {"LoopStateFromABadChecksum", "loop-state-poll",
     "10 02 01 05 02 52 02 A1 A2 A3 A4 A5 A6 A7 A8 A9 AA 60 01 10 03 58",
     [](TProcessImage& pi, protocol::DecoderWindows& w) {
         protocol::Nastrojka(pi, w);
         pi.LoopState[2] = 2;
     },
     "LoopState[2] := 2"},
    {"CountLoweredByABadChecksum", "count-a", "10 02 01 05 04 50 16 10 03 96",
     [](TProcessImage& pi, protocol::DecoderWindows& w) {
         protocol::Nastrojka(pi, w);
         --pi.CountA;
     },
     "without a refusal with a good checksum"},
    {"DataDecoderTouchesACount", "poll", "10 02 01 05 04 52 05 03 00 40 11 10 03 DA",
     [](TProcessImage& pi, protocol::DecoderWindows& w) {
         protocol::Sortirovka_Buf(pi, w);
         pi.CountB = 0;
     },
     "data decoder changed CountB"},
    {"CommandAcceptedForAValueReply", "loop-command", "10 02 01 05 01 52 07 04 01 20 51 10 03 FB",
     [](TProcessImage& pi, protocol::DecoderWindows& w) {
         protocol::Nastrojka(pi, w);
         w.ShowCommandAccepted();
     },
     "status decoder: command-accepted window"},
    {"BoxNamingAnotherNode", "poll", "10 02 01 00 00 50 01 05 2C 10 03 A8",
     [](TProcessImage& pi, protocol::DecoderWindows& w) {
         w.MessageBox(std::string("Шлюз выдает число ошибок = ") + "1" + " ошибка -  " + "2C" + " . " + "6", kGatewayCaption);
         std::fill(pi.RxBuf, pi.RxBuf + 28, 0);
     },
     "data decoder: box"},
    {"DecoderWritesRxBuf", "poll", "10 02 01 05 04 52 05 03 00 40 11 10 03 DA",
     [](TProcessImage& pi, protocol::DecoderWindows& w) {
         protocol::Sortirovka_Buf(pi, w);
         pi.RxBuf[29] = 0x55;
     },
     "the decoder changed RxBuf"},
};

class CheckerFinds : public ::testing::TestWithParam<Sabotage> {};

TEST_P(CheckerFinds, TheBrokenProperty) {
    const Sabotage& s = GetParam();
    const Role& real = RoleNamed(s.role);
    Role role = real;
    role.decode = s.decode;
    TProcessImage start;
    role.state(start);
    const exchange::Run run = RunExchanges(role, start, {Waiting(Hex(s.hex))});
    EXPECT_THAT(CheckRun(real.decode == static_cast<decltype(real.decode)>(protocol::Sortirovka_Buf), role.cleared, run), Contains(HasSubstr(s.finding)));
    // The real decoder on the same line keeps every property.
    EXPECT_THAT(CheckRun(real, RunExchanges(real, start, {Waiting(Hex(s.hex))})), IsEmpty());
}

INSTANTIATE_TEST_SUITE_P(Decoders, CheckerFinds, ::testing::ValuesIn(kSabotage),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
