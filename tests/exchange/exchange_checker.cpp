#include "exchange_checker.h"

#include <algorithm>
#include <cstdio>
#include <sstream>

#include "protocol/decoders.h"

namespace exchange {

namespace {

constexpr std::uint8_t kDle = 0x10;
constexpr std::uint8_t kStx = 0x02;
constexpr std::uint8_t kEtx = 0x03;

constexpr const char* kGatewayCaption = "       Шлюз выдает ошибку";
constexpr const char* kControllerCaption = "Контроллер выдает ошибку";
constexpr const char* kNoControllerText = "КТ отсутствует";
constexpr const char* kNoControllerCaption = " При определении № контролл.";
constexpr const char* kMapText = "Считывается информация с контроллера. Код № = ";
constexpr const char* kMapCaption = "Нажмите ОК и расслабтесь";

std::string Name(const char* base, int k) { return k ? std::string(base) + "[" + std::to_string(k) + "]" : base; }

// Bit 15 is the sign, the magnitude below it is shifted right.
long Signed(int word, int shift) {
    const long magnitude = (word & 0x7FFF) >> shift;
    return (word & 0x8000) ? -magnitude : magnitude;
}

// The loop state code of a status word's low byte: bit 5, then bits 3 and 6.
int LoopCode(int low) {
    if (!(low & 0x20)) return 10;
    if (low & 0x08) return (low & 0x40) ? 32 : 31;
    return (low & 0x40) ? 2 : 1;
}

struct Destination {
    int block, index;
    const char* field;
    int loop;
};
constexpr Destination kParameters[] = {
    {7, 4, "LoopSetpoint", 1},  {8, 5, "LoopUstavka", 1},  {10, 4, "LoopSetpoint", 2}, {11, 5, "LoopUstavka", 2},
    {13, 4, "LoopSetpoint", 3}, {14, 5, "LoopUstavka", 3}, {17, 4, "LoopSetpoint", 4}, {18, 5, "LoopUstavka", 4},
};

// The fields a reply can put a value into, in one fixed order.
struct Field {
    const char* base;
    int k;
    long value;
};

std::vector<Field> ValueFields(const TProcessImage& pi) {
    std::vector<Field> f;
    f.reserve(72);
    f.push_back({"ControllerNo", 0, pi.ControllerNo});
    for (int k = 1; k <= 15; ++k) f.push_back({"NetNode", k, pi.NetNode[k]});
    f.push_back({"NetMapLo", 0, pi.NetMapLo});
    f.push_back({"NetMapHi", 0, pi.NetMapHi});
    for (int k = 1; k <= 4; ++k) f.push_back({"LoopState", k, pi.LoopState[k]});
    f.push_back({"GroupBKind", 0, pi.GroupBKind});
    for (int k = 1; k <= 8; ++k) f.push_back({"InputA", k, pi.InputA[k]});
    for (int k = 1; k <= 8; ++k) f.push_back({"InputB", k, pi.InputB[k]});
    for (int k = 9; k <= 15; ++k) f.push_back({"InputBUpper", k, pi.InputBUpper[k]});
    for (int k = 1; k <= 4; ++k) f.push_back({"LoopSetpoint", k, pi.LoopSetpoint[k]});
    for (int k = 1; k <= 4; ++k) f.push_back({"LoopUstavka", k, pi.LoopUstavka[k]});
    return f;
}

// What each decoder writes, with RxBuf and RxCount that the read fills; everything else in the
// image is not theirs to touch.
const std::set<std::string> kDataFields = {
    "NoReplyCount", "ControllerNo", "RxBlock", "RxIndex",  "StuffShift",  "RxValue",    "LoopSetpoint",
    "LoopUstavka",  "InputA",       "InputB",  "InputBUpper", "GroupBKind", "RxLamp", "LinkWindowArmed", "RxBuf",
    "RxCount",
};
const std::set<std::string> kStatusFields = {
    "StuffShift", "RxValue",      "NoReplyCount", "RxLamp",   "CommandAccepted", "WriteRetryBias",
    "CountA",     "CountB",       "CalcChecksum", "RxChecksum", "NetMapLo",      "NetMapHi",
    "NetNode",    "ControllerNo", "LoopState",    "RxBuf",        "RxCount",
};

std::string Hex2(int v) {
    char b[8];
    std::snprintf(b, sizeof b, "%02X", v & 0xFF);
    return b;
}

// Frames starting at the positions the decoders scan, in the buffer the decoder got.
struct Start {
    int p;
    LineFrame f;
};
std::vector<Start> Starts(const std::array<std::uint8_t, 30>& rx) {
    std::vector<Start> starts;
    for (int p = 0; p <= 10; ++p)
        if (rx[p] == kDle && rx[p + 1] == kStx) starts.push_back({p, ReadFrame(rx, static_cast<std::size_t>(p))});
    return starts;
}

bool IsReport(const LineFrame& f) {
    return f.At(2) == 0x01 && f.At(3) == 0 && f.At(4) == 0 && f.At(5) == 0x50 && f.bytes.size() >= 9;
}
bool IsInputRefusal(const LineFrame& f) { return f.At(4) == 0x04 && f.At(5) == 0x50 && f.At(6) > 0; }
// Acknowledgements and refusals of Nastrojka: 01, node, function, "P", code.
bool IsStatus(const LineFrame& f, int function, int code) {
    return f.At(2) == 0x01 && f.At(4) == function && f.At(5) == 0x50 && f.At(6) == code;
}
// Their checksum: the tenth byte on the line, the sum of the nine before it.
bool RawSumOk(const std::array<std::uint8_t, 30>& rx, int p) {
    if (p + 9 >= 30) return false;
    std::uint8_t sum = 0;
    for (int i = 0; i < 9; ++i) sum = static_cast<std::uint8_t>(sum + rx[p + i]);
    return sum == rx[p + 9];
}

std::string ReportText(const LineFrame& f) {
    return "Шлюз выдает число ошибок = " + std::to_string(f.At(6)) + " ошибка -  " + Hex2(f.At(8)) + " . " +
           std::to_string(f.At(7));
}
std::string RefusalText(const LineFrame& f) {
    return "Контроллер №  " + std::to_string(f.At(3)) + "  выдает ошибку c кодом № " + std::to_string(f.At(6));
}

std::string Describe(const protocol_test::WindowCall& call) {
    std::ostringstream os;
    os << call;
    return os.str();
}

}  // namespace

LineFrame ReadFrame(std::span<const std::uint8_t> line, std::size_t start) {
    LineFrame f;
    if (start + 1 >= line.size() || line[start] != kDle || line[start + 1] != kStx) return f;
    f.bytes = {kDle, kStx};
    std::uint8_t sum = kDle + kStx;
    for (std::size_t i = start + 2; i < line.size();) {
        if (line[i] != kDle) {
            f.bytes.push_back(line[i]);
            sum = static_cast<std::uint8_t>(sum + line[i]);
            ++i;
            continue;
        }
        if (i + 1 >= line.size()) break;
        if (line[i + 1] == kDle) {
            f.bytes.push_back(kDle);
            sum = static_cast<std::uint8_t>(sum + 2 * kDle);
            i += 2;
            continue;
        }
        if (line[i + 1] == kEtx) {
            f.closed = true;
            sum = static_cast<std::uint8_t>(sum + kDle + kEtx);
            f.sumOk = i + 2 < line.size() && line[i + 2] == sum;
        }
        break;  // DLE ETX, or a lone DLE: the frame ends here
    }
    return f;
}

Checker::Checker(const Run& run) {
    Collect(run.earlier);
    Collect(run.line);
}

void Checker::Collect(std::span<const std::uint8_t> segment) {
    for (std::size_t q = 0; q + 1 < segment.size(); ++q) {
        if (segment[q] != kDle || segment[q + 1] != kStx) continue;
        const LineFrame f = ReadFrame(segment, q);
        const auto& b = f.bytes;
        if (f.Intact(11) && b[5] == 0x52 && (b[4] == 0x01 || b[4] == 0x04)) DataReply(b);
        else if (f.Intact(5) && b[2] == 0x04) Identification(b);
        else if (f.Intact(19) && b[2] == 0x01 && b[4] == 0x02) LoopStateReply(b);
    }
}

void Checker::DataReply(const std::vector<std::uint8_t>& b) {
    data_["ControllerNo"].insert(b[3]);
    const int word = b[9] * 256 + b[8];
    const int type = b[10];
    if (b[4] == 0x01) {
        if (type != 0x51 && type != 0x71) return;
        for (const Destination& d : kParameters)
            if (d.block == b[6] && d.index == b[7]) data_[Name(d.field, d.loop)].insert(Signed(word, 2));
        return;
    }
    const int group = b[6];
    const int channel = b[7];
    if (group == 5 && channel >= 1 && channel <= 8 && type == 0x11) data_[Name("InputA", channel)].insert(Signed(word, 1));
    if (group != 6 || channel < 1 || channel > 15) return;
    const std::string field = Name(channel <= 8 ? "InputB" : "InputBUpper", channel);
    if (type == 0x11) {
        data_["GroupBKind"].insert(1);
        data_[field].insert(Signed(word, 1));
    } else if (type == 0x01) {
        data_["GroupBKind"].insert(0);
        if (word == 0x4001) data_[field].insert(1);
        if (word == 0xC001) data_[field].insert(0);
    }
}

void Checker::Identification(const std::vector<std::uint8_t>& b) {
    const int lo = b[3];
    const int hi = b[4];
    maps_.insert(hi * 256 + lo);
    status_["NetMapLo"].insert(lo);
    status_["NetMapHi"].insert(hi);
    int highest = 0;
    for (int k = 1; k <= 14; ++k) {
        const int bit = k <= 8 ? (lo >> (k - 1)) & 1 : (hi >> (k - 9)) & 1;
        status_[Name("NetNode", k)].insert(bit);
        if (bit) highest = k;
    }
    if (highest) status_["ControllerNo"].insert(highest);
}

void Checker::LoopStateReply(const std::vector<std::uint8_t>& b) {
    const int loop = b[6];
    if (loop >= 1 && loop <= 4) status_[Name("LoopState", loop)].insert(LoopCode(b[17]));
}

std::vector<std::string> Checker::Check(bool data, int cleared, const Exchange& x) const {
    std::vector<std::string> out;
    CheckRead(data, cleared, x, out);
    CheckFields(data, x, out);
    CheckFlags(data, x, out);
    if (data)
        CheckDataWindows(x, out);
    else
        CheckStatusWindows(x, out);
    return out;
}

void Checker::CheckRead(bool data, int cleared, const Exchange& x, std::vector<std::string>& out) const {
    const std::size_t n = x.fresh.size();
    if (n > 30) out.push_back("the read took " + std::to_string(n) + " bytes into a buffer of 30");
    if (x.after.RxCount != static_cast<std::int32_t>(n))
        out.push_back("RxCount = " + std::to_string(x.after.RxCount) + " after a read of " + std::to_string(n));
    for (int i = 0; i < 30; ++i) {
        const std::size_t u = static_cast<std::size_t>(i);
        if (i < cleared && x.cleared[u] != 0) out.push_back("RxBuf[" + std::to_string(i) + "] not cleared");
        if (i >= cleared && x.cleared[u] != x.before.RxBuf[i])
            out.push_back("RxBuf[" + std::to_string(i) + "] changed by clearing");
        if (u < n && x.received[u] != x.fresh[u])
            out.push_back("RxBuf[" + std::to_string(i) + "] = " + Hex2(x.received[u]) + ", but the read took " +
                          Hex2(x.fresh[u]));
        if (u >= n && x.received[u] != x.cleared[u])
            out.push_back("RxBuf[" + std::to_string(i) + "] changed from " + Hex2(x.cleared[u]) + " to " +
                          Hex2(x.received[u]) + " beyond the " + std::to_string(n) + " bytes read");
    }

    // A decoder leaves RxBuf alone, except that the data decoder clears bytes 0..27 after an
    // error reply.
    bool same = true;
    bool errorCleared = true;
    for (int i = 0; i < 30; ++i) {
        const std::uint8_t a = x.after.RxBuf[i];
        same = same && a == x.received[static_cast<std::size_t>(i)];
        errorCleared = errorCleared && (i < 28 ? a == 0 : a == x.received[static_cast<std::size_t>(i)]);
    }
    if (same) return;
    bool errorReply = false;
    for (const Start& s : Starts(x.received)) errorReply = errorReply || IsReport(s.f) || IsInputRefusal(s.f);
    if (!(data && errorCleared && errorReply))
        out.push_back("the decoder changed RxBuf: " + protocol_test::ToHex(x.received.data(), 30) + " -> " +
                      protocol_test::ToHex(x.after.RxBuf, 30));
}

void Checker::CheckFields(bool data, const Exchange& x, std::vector<std::string>& out) const {
    const std::set<std::string>& mine = data ? kDataFields : kStatusFields;
    for (const std::string& line : protocol_test::Differences(x.before, x.after)) {
        std::string name = line.substr(0, line.find(':'));
        name = name.substr(0, name.find('['));
        if (!mine.count(name)) out.push_back(std::string(data ? "data" : "status") + " decoder changed " + line);
    }

    const Carried& carried = data ? data_ : status_;
    const std::vector<Field> before = ValueFields(x.before);
    const std::vector<Field> after = ValueFields(x.after);
    bool mapChanged = false;
    for (std::size_t i = 0; i < after.size(); ++i) {
        if (after[i].value == before[i].value) continue;
        const std::string name = Name(after[i].base, after[i].k);
        mapChanged = mapChanged || name.rfind("Net", 0) == 0;
        const auto it = carried.find(name);
        if (it == carried.end() || !it->second.count(after[i].value))
            out.push_back(name + " := " + std::to_string(after[i].value) + " (was " + std::to_string(before[i].value) +
                          "), a value no intact reply on the line carries");
    }
    // A map is taken whole: fourteen flags from the two bytes of one map word.
    if (mapChanged) {
        const int lo = x.after.NetMapLo;
        const int hi = x.after.NetMapHi;
        if (!maps_.count(hi * 256 + lo)) out.push_back("NetMapLo/NetMapHi hold no map word an intact reply carries");
        for (int k = 1; k <= 14; ++k) {
            const int bit = k <= 8 ? (lo >> (k - 1)) & 1 : (hi >> (k - 9)) & 1;
            if (x.after.NetNode[k] != bit) out.push_back(Name("NetNode", k) + " disagrees with the map taken");
        }
    }

    // Counts: at most one of them, by one, by a refusal with a good checksum, never below zero.
    const int dropA = x.before.CountA - x.after.CountA;
    const int dropB = x.before.CountB - x.after.CountB;
    if (dropA < 0 || dropB < 0) out.push_back("a count grew");
    if (x.after.CountA < 0 || x.after.CountB < 0) out.push_back("a count fell below zero");
    if (dropA + dropB > 1) out.push_back("the counts fell by more than one");
    if (dropA > 0 || dropB > 0) {
        bool refusal = false;
        for (const Start& s : Starts(x.received)) refusal = refusal || (IsStatus(s.f, 0x04, 0x16) && RawSumOk(x.received, s.p));
        if (!refusal) out.push_back("a count fell without a refusal with a good checksum");
        if ((dropA > 0) != (x.before.DiscoveringB == 0)) out.push_back("the count of the other group fell");
    }
    if (x.after.NoReplyCount != x.before.NoReplyCount && x.after.NoReplyCount != 0)
        out.push_back("NoReplyCount := " + std::to_string(x.after.NoReplyCount));
}

bool Checker::ControllerCandidate(bool data, const Exchange& x, int node) const {
    if (node == x.before.ControllerNo || node == x.after.ControllerNo) return true;
    const Carried& carried = data ? data_ : status_;
    const auto it = carried.find("ControllerNo");
    return it != carried.end() && it->second.count(node);
}

void Checker::CheckFlags(bool data, const Exchange& x, std::vector<std::string>& out) const {
    auto called = [&](protocol_test::WindowCall::Kind kind) {
        for (const auto& c : x.calls)
            if (c.kind == kind) return true;
        return false;
    };
    const auto& b = x.before;
    const auto& a = x.after;
    if (a.RxLamp != 0 && a.RxLamp != 1) out.push_back("RxLamp := " + std::to_string(a.RxLamp));
    if (a.LinkWindowArmed != b.LinkWindowArmed &&
        !(b.LinkWindowArmed == 1 && a.LinkWindowArmed == 0 && called(protocol_test::WindowCall::NoAnswer)))
        out.push_back("LinkWindowArmed " + std::to_string(b.LinkWindowArmed) + " -> " + std::to_string(a.LinkWindowArmed) +
                      " without the no-answer window");
    if (a.CommandAccepted != b.CommandAccepted) {
        const auto starts = Starts(x.received);
        bool cause = false;
        for (const Start& s : starts) {
            if (a.CommandAccepted == 1)
                cause = cause || (IsStatus(s.f, 0x01, 0x00) && RawSumOk(x.received, s.p) && b.BusyMode == 10);
            else
                cause = cause || (IsReport(s.f) && s.f.At(7) == 0 && s.f.At(8) == 0x2C);
        }
        if (data || !cause)
            out.push_back("CommandAccepted := " + std::to_string(a.CommandAccepted) + " without a reply that says so");
    }
    if (a.WriteRetryBias != b.WriteRetryBias && !(a.WriteRetryBias == 0 && a.CommandAccepted == 1))
        out.push_back("WriteRetryBias := " + std::to_string(a.WriteRetryBias) + " without a write acknowledged");
}

void Checker::CheckDataWindows(const Exchange& x, std::vector<std::string>& out) const {
    // Each window request ends the scan.
    if (x.calls.size() > 1) out.push_back("the data decoder made " + std::to_string(x.calls.size()) + " window requests");
    const auto starts = Starts(x.received);
    for (const auto& call : x.calls) {
        bool allowed = false;
        for (const Start& s : starts) {
            const LineFrame& f = s.f;
            switch (call.kind) {
            case protocol_test::WindowCall::NoAnswer:
                allowed = allowed || (IsReport(f) && (f.At(8) == 0 || f.At(8) == 0x1F) &&
                                      ControllerCandidate(true, x, f.At(7)) && x.before.LinkWindowArmed == 1);
                break;
            case protocol_test::WindowCall::Box:
                if (call.caption == kGatewayCaption)
                    allowed = allowed || (IsReport(f) && call.text == ReportText(f) && ControllerCandidate(true, x, f.At(7)));
                else if (call.caption == kControllerCaption)
                    allowed = allowed || (IsInputRefusal(f) && call.text == RefusalText(f));
                break;
            default: break;
            }
        }
        if (!allowed) out.push_back("data decoder: " + Describe(call) + " for no reply of a kind that asks for it");
    }
}

bool Checker::MapDigits(const std::string& digits) const {
    // The working text gathers the map words of every identification taken in the scan; the box
    // shows it after the first word above zero.
    std::vector<bool> reach(digits.size() + 1, false);
    reach[0] = true;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (!reach[i]) continue;
        for (long w : maps_) {
            const std::string s = std::to_string(w);
            if (digits.compare(i, s.size(), s) == 0) reach[i + s.size()] = true;
        }
    }
    for (long w : maps_) {
        const std::string s = std::to_string(w);
        if (w > 0 && digits.size() >= s.size() && digits.compare(digits.size() - s.size(), s.size(), s) == 0 &&
            reach[digits.size() - s.size()])
            return true;
    }
    return false;
}

void Checker::CheckStatusWindows(const Exchange& x, std::vector<std::string>& out) const {
    const auto starts = Starts(x.received);
    int accepted = 0;
    for (const auto& call : x.calls) {
        bool allowed = false;
        switch (call.kind) {
        case protocol_test::WindowCall::CommandAccepted:
            ++accepted;
            for (const Start& s : starts)
                allowed = allowed || (IsStatus(s.f, 0x02, 0x00) && ControllerCandidate(false, x, s.f.At(3))) ||
                          (IsStatus(s.f, 0x01, 0x00) && RawSumOk(x.received, s.p) && x.before.BusyMode == 10);
            break;
        case protocol_test::WindowCall::Box:
            if (call.caption == kNoControllerCaption && call.text == kNoControllerText) {
                // An identification without DLE ETX right after its map word.
                for (const Start& s : starts)
                    allowed = allowed || (s.f.At(2) == 0x04 && !(s.f.closed && s.f.bytes.size() == 5));
            } else if (call.caption == kMapCaption && call.text.rfind(kMapText, 0) == 0) {
                allowed = x.before.ControllerNo == 0 && MapDigits(call.text.substr(std::string(kMapText).size()));
            }
            break;
        case protocol_test::WindowCall::ControllerNo:
            if (!maps_.empty()) {
                allowed = call.text == std::to_string(x.before.ControllerNo);
                const auto it = status_.find("ControllerNo");
                if (it != status_.end())
                    for (long n : it->second) allowed = allowed || call.text == std::to_string(n);
            }
            break;
        default: break;
        }
        if (!allowed) out.push_back("status decoder: " + Describe(call) + " for no reply of a kind that asks for it");
    }
    if (accepted > 1) out.push_back("the command-accepted window requested " + std::to_string(accepted) + " times");
}

std::vector<std::string> CheckRun(const Role& role, const Run& run) {
    return CheckRun(role.decode == static_cast<decltype(role.decode)>(protocol::Sortirovka_Buf), role.cleared, run);
}

std::vector<std::string> CheckRun(bool data, int cleared, const Run& run) {
    const Checker checker(run);
    std::vector<std::string> out;
    if (run.serialBoxes != 0) out.push_back("the serial channel showed " + std::to_string(run.serialBoxes) + " boxes");
    // The reads take the line's bytes in order, each once, and drop none.
    std::vector<std::uint8_t> read;
    for (const Exchange& x : run.exchanges) read.insert(read.end(), x.fresh.begin(), x.fresh.end());
    if (read.size() + run.unread != run.line.size() || !std::equal(read.begin(), read.end(), run.line.begin()))
        out.push_back("the reads took " + protocol_test::ToHex(read.data(), read.size()) + " of the line's " +
                      protocol_test::ToHex(run.line.data(), run.line.size()) + " (" + std::to_string(run.unread) +
                      " left unread)");
    for (std::size_t i = 0; i < run.exchanges.size(); ++i)
        for (const std::string& p : checker.Check(data, cleared, run.exchanges[i]))
            out.push_back("exchange " + std::to_string(i + 1) + ": " + p);
    return out;
}

}  // namespace exchange
