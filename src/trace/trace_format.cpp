#include "trace/trace_format.h"

#include <cstdio>

#include "protocol/frames.h"

namespace trace {

namespace {

using protocol::DecodeNote;
using Kind = DecodeNote::Kind;
using Outcome = DecodeNote::Outcome;

constexpr std::uint8_t kDle = protocol::kDle;

std::string Hex2(int v) {
    char text[8];
    std::snprintf(text, sizeof text, "%02X", v & 0xFF);
    return text;
}

std::string Hex4(int v) {
    char text[8];
    std::snprintf(text, sizeof text, "%04X", v & 0xFFFF);
    return text;
}

std::string HexBytes(const std::uint8_t* bytes, std::size_t n) {
    std::string s;
    s.reserve(n * 3);
    for (std::size_t i = 0; i < n; ++i) {
        if (i) s += ' ';
        s += Hex2(bytes[i]);
    }
    return s;
}

std::string Group(int code) {
    if (code == protocol::kGroupA) return "A";
    if (code == protocol::kGroupB) return "B";
    return "(group " + std::to_string(code) + ") ";
}

// "setpoint" or "setting" of a loop, or the bare block and index.
std::string ParameterName(int block, int index) {
    for (const protocol::LoopParameters& l : protocol::kLoopParameters) {
        if (l.setpoint.block == block && l.setpoint.index == index)
            return "loop " + std::to_string(l.loop) + " setpoint";
        if (l.setting.block == block && l.setting.index == index)
            return "loop " + std::to_string(l.loop) + " setting";
    }
    return "parameter " + std::to_string(block) + "/" + std::to_string(index);
}

// A parameter word: bit 15 the sign, the magnitude in units of 1/4096 shifted left by 2.
int ParameterValue(int word) {
    const int magnitude = (word & 0x7FFF) >> 2;
    return word & 0x8000 ? -magnitude : magnitude;
}

std::string DefectText(protocol::Defect d) {
    switch (d) {
        case protocol::Defect::NoEtx: return "no DLE ETX";
        case protocol::Defect::Length: return "DLE ETX out of place";
        case protocol::Defect::Checksum: return "bad checksum";
        case protocol::Defect::None: break;
    }
    return "damaged";
}

// The frame a function and letter name, as a reader of the trace knows it.
std::string FrameName(int kind, int function, int letter) {
    const bool data = letter == protocol::kLetterData;
    if (kind == protocol::kKindGateway) return "identification";
    if (function == protocol::kFunctionParameter) return data ? "parameter reply" : "write acknowledgement";
    if (function == protocol::kFunctionInput) return data ? "input reply" : "input refusal";
    if (function == protocol::kFunctionLoop) return data ? "loop-state reply" : "loop status";
    if (function == protocol::kFunctionReport) return "gateway report";
    return "frame " + Hex2(kind) + "/" + Hex2(function) + "/" + Hex2(letter);
}

std::string N(int v) { return std::to_string(v); }

std::string GatewayReport(const DecodeNote& n) {
    const std::string s = "gateway report: " + N(n.a) + (n.a == 1 ? " error" : " errors") + ", code " + Hex2(n.c) +
                          " about node " + N(n.b);
    switch (n.outcome) {
        case Outcome::NoAnswerWindow: return s + ": no-answer window";
        case Outcome::WindowHeld: return s + ": no-answer window already shown";
        case Outcome::Box: return s + ": box";
        case Outcome::OtherNode: return s + ": not the controller in service, dropped";
        case Outcome::WriteRefused: return s + ": write refused";
        default: return s;
    }
}

std::string Nodes(int map) {
    std::string s;
    for (int k = 1; k <= 14; ++k)
        if (map >> (k - 1) & 1) s += (s.empty() ? "" : " ") + N(k);
    if (s.empty()) return "no controller";
    return (s.find(' ') == std::string::npos ? "controller " : "controllers ") + s;
}

}  // namespace

std::string DescribeNote(const DecodeNote& n) {
    const std::string input = "input " + Group(n.a) + N(n.b);
    switch (n.kind) {
        case Kind::Parameter:
            return ParameterName(n.a, n.b) + " = " + N(n.value) + (n.slot == 0 ? " (kept nowhere)" : "");
        case Kind::ParameterType:
            return ParameterName(n.a, n.b) + ": type " + Hex2(n.c) + " is no value, nothing stored";
        case Kind::Input: return input + " = " + N(n.value);
        case Kind::InputWord: return input + ": word " + Hex4(n.value) + " is neither 1 nor 0, kept";
        case Kind::InputUnstored:
            if (n.outcome == Outcome::NoSuchChannel) return input + ": no such channel, dropped";
            return input + ": type " + Hex2(n.c) + " is no value, dropped";
        case Kind::GatewayReport: return GatewayReport(n);
        case Kind::ControllerError: return "controller " + N(n.a) + " refuses, code " + N(n.c) + ": box";
        case Kind::LoopCommandAck: return "loop command acknowledged: command-accepted window";
        case Kind::InputMissing:
            return "input missing (code 22): count " + Group(n.a) +
                   (n.outcome == Outcome::Unchanged ? " already 0" : " = " + N(n.value));
        case Kind::WriteAck:
            if (n.outcome == Outcome::Accepted) return "write acknowledged: command-accepted window";
            return "write acknowledgement while no write is under way: ignored";
        case Kind::Identification:
            if (n.outcome == Outcome::MapKept)
                return "identification: map " + Hex4(n.value) + ", controller " + N(n.slot) + " kept";
            return "identification: map " + Hex4(n.value) + " (" + Nodes(n.value) + ")";
        case Kind::IdentificationNoEtx: return "identification without DLE ETX: box";
        case Kind::ControllerChosen: return "controller " + N(n.value) + " in service";
        case Kind::LoopState:
            return "loop " + N(n.a) + " state = " + N(n.value) + " (status " + Hex2(n.c) + ")";
        case Kind::LoopStateNoLoop: return "loop-state reply for loop " + N(n.a) + ": no such loop, dropped";
        case Kind::StatusOnly:
            return "loop status from controller " + N(n.a) + ", code " + N(n.c) +
                   ": no acknowledgement here, link alive";
        case Kind::Damaged:
            return (n.a < 0 ? std::string("identification") : FrameName(protocol::kKindNetwork, n.a, n.c)) +
                   " dropped: " + DefectText(n.defect);
        case Kind::Foreign: return FrameName(n.a, n.b, n.c) + ": not for this decoder";
    }
    return "?";
}

std::string DescribeRequest(const std::uint8_t* b, std::size_t n, ExchangeKind kind) {
    if (n >= 3 && b[2] == protocol::kKindGateway) return "probe";
    if (n < 8) return "?";
    const int function = b[4], letter = b[5];
    if (function == protocol::kFunctionLoop && letter == protocol::kLetterRead)
        return "loop " + std::to_string(b[6]) + " state?";
    if (function == protocol::kFunctionLoop && letter == protocol::kLetterWrite)
        return "loop " + std::to_string(b[6]) + " command " + std::to_string(b[7]);
    if (function == protocol::kFunctionInput && letter == protocol::kLetterRead)
        return "input " + Group(b[6]) + std::to_string(b[7]) + "?" +
               (kind == ExchangeKind::InputCount ? " (counting)" : "");
    if (function == protocol::kFunctionParameter && letter == protocol::kLetterRead)
        return ParameterName(b[6], b[7]) + "?" + (kind == ExchangeKind::ReadBack ? " (read-back)" : "");
    if (function == protocol::kFunctionParameter && letter == protocol::kLetterWrite && n >= 10)
        return ParameterName(b[6], b[7]) + " := " + std::to_string(ParameterValue(b[9] << 8 | b[8]));
    return "?";
}

std::string LineMarks(const std::uint8_t* b, std::size_t n) {
    enum class Scan { Frame, Cut, Broken };
    // From a DLE STX at `i`: a whole frame (with its checksum), the end of the bytes before that,
    // or a DLE that neither doubles nor closes, where the frame breaks off.
    const auto scan = [b, n](std::size_t i, std::size_t& next) {
        for (std::size_t j = i + 2; j < n; ++j) {
            if (b[j] != kDle) continue;
            if (j + 1 >= n) break;
            if (b[j + 1] == kDle) {
                ++j;
                continue;
            }
            if (b[j + 1] != protocol::kEtx) {
                // The frame breaks off at a DLE that neither doubles nor closes; what follows up
                // to the next DLE STX is its wreck.
                next = j;
                while (next < n && !(b[next] == kDle && next + 1 < n && b[next + 1] == protocol::kStx)) ++next;
                return Scan::Broken;
            }
            if (j + 2 >= n) break;
            next = j + 3;
            return Scan::Frame;
        }
        return Scan::Cut;
    };

    int frames = 0, noise = 0, broken = 0;
    bool cut = false;
    for (std::size_t i = 0; i < n && !cut;) {
        if (b[i] == kDle && i + 1 == n) {
            cut = true;  // a lone DLE at the end: a frame may have begun
        } else if (b[i] == kDle && b[i + 1] == protocol::kStx) {
            std::size_t next = n;
            switch (scan(i, next)) {
                case Scan::Frame: ++frames; break;
                case Scan::Broken: ++broken; break;
                case Scan::Cut: cut = true; break;
            }
            i = next;
        } else {
            ++noise;
            ++i;
        }
    }

    std::string marks;
    const auto add = [&marks](const std::string& m) { marks += (marks.empty() ? "" : ", ") + m; };
    if (frames == 0 && broken == 0 && !cut) {
        add("no frame");
    } else if (noise > 0) {
        add("noise " + std::to_string(noise));
    }
    if (broken > 0) add("broken frame");
    if (cut) add("cut short");
    if (frames > 1) add(std::to_string(frames) + " frames");
    return marks.empty() ? marks : "[" + marks + "]";
}

std::string FormatLine(const Record& r, Micros origin) {
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "%10.3f", static_cast<double>(r.at - origin) / 1000.0);
    std::string line = stamp;

    if (r.type == Record::Type::Request) {
        const std::size_t n = std::min<std::size_t>(r.asked, r.bytes.size());
        line += " T " + HexBytes(r.bytes.data(), n) + "  " + DescribeRequest(r.bytes.data(), n, r.kind);
        const std::string taken = std::to_string(r.moved) + " of " + std::to_string(r.asked) + " bytes taken";
        if (r.error != 0)
            line += "  [write failed: error " + std::to_string(r.error) + ", " + taken + "]";
        else if (r.moved < r.asked)
            line += "  [" + taken + "]";
        return line;
    }

    std::string what;
    const auto add = [&what](const std::string& part) {
        if (!part.empty()) what += (what.empty() ? "" : "; ") + part;
    };
    if (r.type == Record::Type::AfterBox) {
        line += " R+";
    } else {
        const std::size_t n = std::min<std::size_t>(r.moved, r.bytes.size());
        line += " R";
        if (n > 0) line += " " + HexBytes(r.bytes.data(), n);
        line += " ";
        if (r.error != 0) add("[read failed: error " + std::to_string(r.error) + "]");
        add(n == 0 ? std::string("silence") : LineMarks(r.bytes.data(), n));
    }
    for (int i = r.firstNote; i < r.report.count; ++i) {
        const protocol::DecodeNote& note = r.report.notes[static_cast<std::size_t>(i)];
        // The decoder scans the whole buffer: bytes past this read's are an earlier reply's.
        const bool earlier = r.type == Record::Type::Reply && note.pos >= r.moved;
        add((earlier ? "earlier bytes: " : "") + DescribeNote(note));
    }
    if (r.type == Record::Type::Reply && r.decoded && r.report.count == 0 && r.moved > 0) add("nothing taken");
    if (r.box) add("box \"" + r.boxCaption + "\": " + r.boxText);
    line += " " + what;
    // No trailing blanks when nothing was said.
    while (!line.empty() && line.back() == ' ') line.pop_back();
    return line;
}

}  // namespace trace
