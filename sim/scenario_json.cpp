// Scenario files: JSON read strictly, so that a typo in a field name is an error naming the
// field rather than a silently ignored setting.

#include <cmath>
#include <fstream>
#include <limits>
#include <nlohmann/json.hpp>
#include <set>
#include <sstream>

#include "sim/scenario.h"

namespace sim {

namespace {

using nlohmann::json;

class Fields {
public:
    Fields(const json& j, std::string path, const std::string& origin) : j_(j), path_(std::move(path)), origin_(origin) {
        if (!j.is_object()) Fail("", "must be an object");
    }

    [[noreturn]] void Fail(const std::string& key, const std::string& why) const {
        std::string field = path_;
        if (!key.empty()) field += (field.empty() ? "" : ".") + key;
        throw ScenarioError(origin_ + ": " + (field.empty() ? std::string("top level") : field) + ": " + why);
    }
    std::string Path(const std::string& key) const { return path_.empty() ? key : path_ + "." + key; }

    const json* Find(const std::string& key) {
        used_.insert(key);
        auto it = j_.find(key);
        return it == j_.end() ? nullptr : &*it;
    }
    bool Has(const std::string& key) const { return j_.contains(key); }

    // Whole numbers, written in decimal or as a string "0x2C".
    std::optional<long long> Integer(const std::string& key, long long lo, long long hi) {
        const json* v = Find(key);
        if (!v) return std::nullopt;
        long long n = 0;
        if (v->is_number_integer()) {
            n = v->get<long long>();
        } else if (v->is_string()) {
            const std::string s = v->get<std::string>();
            std::size_t used = 0;
            try {
                n = std::stoll(s, &used, 0);
            } catch (const std::exception&) {
                used = 0;
            }
            if (used == 0 || used != s.size()) Fail(key, "'" + s + "' is not a whole number");
        } else {
            Fail(key, "must be a whole number");
        }
        if (n < lo || n > hi)
            Fail(key, std::to_string(n) + " is out of range " + std::to_string(lo) + ".." + std::to_string(hi));
        return n;
    }
    std::optional<double> Number(const std::string& key) {
        const json* v = Find(key);
        if (!v) return std::nullopt;
        if (!v->is_number()) Fail(key, "must be a number");
        return v->get<double>();
    }
    std::optional<bool> Bool(const std::string& key) {
        const json* v = Find(key);
        if (!v) return std::nullopt;
        if (!v->is_boolean()) Fail(key, "must be true or false");
        return v->get<bool>();
    }
    std::optional<std::string> String(const std::string& key) {
        const json* v = Find(key);
        if (!v) return std::nullopt;
        if (!v->is_string()) Fail(key, "must be a string");
        return v->get<std::string>();
    }
    const json* Array(const std::string& key) {
        const json* v = Find(key);
        if (v && !v->is_array()) Fail(key, "must be an array");
        return v;
    }

    // Every field given must have been read: anything else is unknown or not used here.
    void Done() const {
        for (auto it = j_.begin(); it != j_.end(); ++it)
            if (!used_.count(it.key())) Fail(it.key(), "unknown field, or not used here");
    }

private:
    const json& j_;
    std::string path_;
    std::string origin_;
    std::set<std::string> used_;
};

constexpr long long kBig = std::numeric_limits<int>::max();

platform::Micros MsToMicros(double ms) { return static_cast<platform::Micros>(std::llround(ms * 1000)); }

Bytes ByteList(Fields& f, const std::string& key, const json& list) {
    Bytes bytes;
    for (std::size_t i = 0; i < list.size(); ++i) {
        const json& b = list[i];
        long long v = -1;
        if (b.is_number_integer()) {
            v = b.get<long long>();
        } else if (b.is_string()) {
            try {
                std::size_t used = 0;
                v = std::stoll(b.get<std::string>(), &used, 0);
                if (used != b.get<std::string>().size()) v = -1;
            } catch (const std::exception&) {
                v = -1;
            }
        }
        if (v < 0 || v > 255) f.Fail(key + "[" + std::to_string(i) + "]", "must be a byte, 0..255");
        bytes.push_back(static_cast<std::uint8_t>(v));
    }
    return bytes;
}

InputSpec ReadInput(const json& j, const std::string& path, const std::string& origin) {
    Fields f(j, path, origin);
    InputSpec in;
    const auto type = f.String("type");
    if (!type) f.Fail("type", "missing (analog or discrete)");
    if (*type == "discrete") {
        in.type = InputSpec::Type::Discrete;
        in.value = static_cast<int>(f.Integer("value", 0, 1).value_or(0));
        in.toggleS = f.Number("toggle_s").value_or(0);
    } else if (*type == "analog") {
        const std::string shape = f.String("shape").value_or("constant");
        if (shape == "constant") {
            in.shape = InputSpec::Shape::Constant;
            const auto v = f.Integer("value", -kBig, kBig);
            if (!v) f.Fail("value", "missing for a constant input");
            in.value = static_cast<int>(*v);
        } else if (shape == "ramp") {
            in.shape = InputSpec::Shape::Ramp;
            in.from = static_cast<int>(f.Integer("from", -kBig, kBig).value_or(0));
            in.to = static_cast<int>(f.Integer("to", -kBig, kBig).value_or(8192));
        } else if (shape == "sine") {
            in.shape = InputSpec::Shape::Sine;
            in.center = static_cast<int>(f.Integer("center", -kBig, kBig).value_or(0));
            in.amplitude = static_cast<int>(f.Integer("amplitude", -kBig, kBig).value_or(0));
            in.phaseDeg = f.Number("phase_deg").value_or(0);
        } else {
            f.Fail("shape", "'" + shape + "' is not one of constant, ramp, sine");
        }
        if (in.shape != InputSpec::Shape::Constant) {
            const auto p = f.Number("period_s");
            if (!p) f.Fail("period_s", "missing for a " + shape + " input");
            in.periodS = *p;
        }
    } else {
        f.Fail("type", "'" + *type + "' is not one of analog, discrete");
    }
    f.Done();
    return in;
}

void ReadLoop(const json& j, const std::string& path, const std::string& origin, ControllerSpec& c,
              std::set<int>& seen) {
    Fields f(j, path, origin);
    const auto number = f.Integer("loop", 1, 4);
    if (!number) f.Fail("loop", "missing (1..4)");
    if (!seen.insert(static_cast<int>(*number)).second) f.Fail("loop", "loop " + std::to_string(*number) + " appears twice");
    LoopSpec& l = c.loops[static_cast<std::size_t>(*number - 1)];
    const bool hasMode = f.Has("mode"), hasStatus = f.Has("status");
    if (hasMode && hasStatus) f.Fail("mode", "give either mode or status, not both");
    if (auto mode = f.Integer("mode", -kBig, kBig)) {
        const auto status = StatusOfMode(static_cast<int>(*mode));
        if (!status) f.Fail("mode", std::to_string(*mode) + " is not one of 0 (not in use), 1, 2, 31, 32");
        l.status = *status;
    } else if (auto status = f.Integer("status", 0, 0xFFFF)) {
        l.status = static_cast<std::uint16_t>(*status);
    } else {
        f.Fail("mode", "missing (0 for not in use, 1, 2, 31, 32; or a status word)");
    }
    if (auto v = f.Integer("setpoint", -kBig, kBig)) l.setpoint = static_cast<int>(*v);
    if (auto v = f.Integer("setting", -kBig, kBig)) l.setting = static_cast<int>(*v);
    if (const json* bytes = f.Array("state_bytes")) {
        if (bytes->size() != l.opaque.size()) f.Fail("state_bytes", "must hold exactly 10 bytes");
        const Bytes b = ByteList(f, "state_bytes", *bytes);
        std::copy(b.begin(), b.end(), l.opaque.begin());
    }
    f.Done();
}

ControllerSpec ReadController(const json& j, const std::string& path, const std::string& origin) {
    Fields f(j, path, origin);
    ControllerSpec c;
    const auto node = f.Integer("node", -kBig, kBig);
    if (!node) f.Fail("node", "missing (1..14)");
    c.node = static_cast<int>(*node);
    c.silent = f.Bool("silent").value_or(false);
    for (const char* key : {"inputs_a", "inputs_b"}) {
        auto& list = std::string(key) == "inputs_a" ? c.inputsA : c.inputsB;
        if (const json* a = f.Array(key))
            for (std::size_t i = 0; i < a->size(); ++i)
                list.push_back(ReadInput((*a)[i], f.Path(key) + "[" + std::to_string(i) + "]", origin));
    }
    if (const json* a = f.Array("loops")) {
        std::set<int> seen;
        for (std::size_t i = 0; i < a->size(); ++i)
            ReadLoop((*a)[i], f.Path("loops") + "[" + std::to_string(i) + "]", origin, c, seen);
    }
    f.Done();
    return c;
}

Timing ReadTiming(const json& j, const std::string& origin) {
    Fields f(j, "timing", origin);
    Timing t;
    if (auto mode = f.String("mode")) {
        if (*mode == "instant") t.mode = TimingMode::Instant;
        else if (*mode == "line") t.mode = TimingMode::Line;
        else f.Fail("mode", "'" + *mode + "' is not one of instant, line");
    }
    if (auto baud = f.Integer("baud", -kBig, kBig)) t.baud = static_cast<int>(*baud);
    if (const json* lat = f.Find("latency_ms")) {
        if (lat->is_number()) {
            t.latencyMin = t.latencyMax = MsToMicros(lat->get<double>());
        } else if (lat->is_array() && lat->size() == 2 && (*lat)[0].is_number() && (*lat)[1].is_number()) {
            t.latencyMin = MsToMicros((*lat)[0].get<double>());
            t.latencyMax = MsToMicros((*lat)[1].get<double>());
        } else {
            f.Fail("latency_ms", "must be a number or [min, max]");
        }
    }
    f.Done();
    return t;
}

FaultRule ReadFault(const json& j, const std::string& path, const std::string& origin) {
    Fields f(j, path, origin);
    FaultRule r;
    const auto name = f.String("fault");
    if (!name) f.Fail("fault", "missing");
    const auto type = FaultFromName(*name);
    if (!type)
        f.Fail("fault", "'" + *name + "' is not one of silence, late, split, noise, bad_checksum, bit_flip, "
                        "gateway_error, wrong_node, no_ack");
    r.type = *type;
    if (auto on = f.String("on"); on && *on != "any") {
        r.on = KindFromName(*on);
        if (!r.on)
            f.Fail("on", "'" + *on + "' is not one of any, probe, input_read, param_read, loop_state, "
                         "param_write, loop_command");
    }
    if (auto node = f.Integer("node", -kBig, kBig)) r.node = static_cast<int>(*node);
    if (auto v = f.Integer("nth", -kBig, kBig)) r.nth = static_cast<int>(*v);
    if (auto v = f.Integer("every", -kBig, kBig)) r.every = static_cast<int>(*v);
    r.probability = f.Number("probability");
    switch (r.type) {
        case FaultType::Silence:
        case FaultType::BadChecksum: break;
        case FaultType::Late:
            if (auto v = f.Number("delay_ms")) r.delay = MsToMicros(*v);
            break;
        case FaultType::Split:
            if (auto v = f.Integer("at", -kBig, kBig)) r.splitAt = static_cast<int>(*v);
            if (auto v = f.Number("gap_ms")) r.gap = MsToMicros(*v);
            break;
        case FaultType::Noise:
            if (const json* b = f.Array("bytes")) r.noise = ByteList(f, "bytes", *b);
            break;
        case FaultType::BitFlip:
            if (auto v = f.Integer("byte", -kBig, kBig)) r.byteIndex = static_cast<int>(*v);
            if (auto v = f.Integer("bit", -kBig, kBig)) r.bit = static_cast<int>(*v);
            break;
        case FaultType::GatewayError:
            if (auto v = f.Integer("code", -kBig, kBig)) r.code = static_cast<int>(*v);
            if (auto v = f.Integer("about", -kBig, kBig)) r.about = static_cast<int>(*v);
            if (auto v = f.Integer("count", -kBig, kBig)) r.count = static_cast<int>(*v);
            break;
        case FaultType::WrongNode:
            if (auto v = f.Integer("reply_node", -kBig, kBig)) r.replyNode = static_cast<int>(*v);
            break;
        case FaultType::NoAck:
            if (auto v = f.Integer("tries", -kBig, kBig)) r.tries = static_cast<int>(*v);
            break;
    }
    f.Done();
    return r;
}

}  // namespace

Scenario ParseScenario(std::string_view text, const std::string& origin) {
    json j;
    try {
        j = json::parse(text);
    } catch (const json::parse_error& e) {
        throw ScenarioError(origin + ": not valid JSON: " + e.what());
    }
    Fields f(j, "", origin);
    Scenario s;
    if (auto seed = f.Integer("seed", 0, std::numeric_limits<long long>::max())) s.seed = static_cast<std::uint64_t>(*seed);
    if (auto map = f.Integer("map", 0, 0xFFFF)) s.map = static_cast<std::uint16_t>(*map);
    if (const json* t = f.Find("timing")) s.timing = ReadTiming(*t, origin);
    if (const json* a = f.Array("controllers"))
        for (std::size_t i = 0; i < a->size(); ++i)
            s.controllers.push_back(ReadController((*a)[i], "controllers[" + std::to_string(i) + "]", origin));
    if (const json* a = f.Array("faults"))
        for (std::size_t i = 0; i < a->size(); ++i)
            s.faults.push_back(ReadFault((*a)[i], "faults[" + std::to_string(i) + "]", origin));
    f.Done();
    CheckScenario(s, origin);
    return s;
}

Scenario LoadScenario(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw ScenarioError(path + ": cannot be read");
    std::ostringstream text;
    text << in.rdbuf();
    return ParseScenario(text.str(), path);
}

}  // namespace sim
