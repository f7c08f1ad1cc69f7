#include "sim/network.h"

#include <algorithm>

namespace sim {

namespace {

constexpr std::array<std::pair<int, int>, 4> kSetpoints{{{7, 4}, {10, 4}, {13, 4}, {17, 4}}};
constexpr std::array<std::pair<int, int>, 4> kSettings{{{8, 5}, {11, 5}, {14, 5}, {18, 5}}};

// Loop command codes this controller model knows, and its refusal codes.
constexpr int kCommandExternalSetpoint = 7;  // "Включить ВЗ": clears bit 6 of the status word
constexpr int kRefuseUnknownCommand = 0x01;
constexpr int kRefuseNoSuchLoop = 0x02;
constexpr int kRefuseLoopNotInUse = 0x03;

bool Has(const std::vector<const FaultRule*>& struck, FaultType type) {
    return std::any_of(struck.begin(), struck.end(), [&](const FaultRule* r) { return r->type == type; });
}
const FaultRule* First(const std::vector<const FaultRule*>& struck, FaultType type) {
    for (const FaultRule* r : struck)
        if (r->type == type) return r;
    return nullptr;
}

}  // namespace

const char* FieldName(Field field) {
    switch (field) {
        case Field::NetworkMap: return "network map";
        case Field::InputA: return "input A";
        case Field::InputB: return "input B";
        case Field::Setpoint: return "setpoint";
        case Field::Setting: return "setting";
        case Field::LoopState: return "loop state";
    }
    return "?";
}

std::pair<int, int> Network::SetpointAddress(int loop) { return kSetpoints.at(static_cast<std::size_t>(loop - 1)); }
std::pair<int, int> Network::SettingAddress(int loop) { return kSettings.at(static_cast<std::size_t>(loop - 1)); }

Network::Network(Scenario scenario, platform::Micros origin)
    : scenario_(std::move(scenario)), origin_(origin), faults_(scenario_.faults), rng_(scenario_.seed) {
    CheckScenario(scenario_);
    for (const ControllerSpec& setup : scenario_.controllers) {
        Controller c{setup, {}, {}};
        for (int k = 1; k <= 4; ++k) {
            const LoopSpec& loop = setup.loops[static_cast<std::size_t>(k - 1)];
            c.parameters[SetpointAddress(k)] = sim::ParameterWord(loop.setpoint);
            c.parameters[SettingAddress(k)] = sim::ParameterWord(loop.setting);
            c.status[static_cast<std::size_t>(k - 1)] = loop.status;
        }
        nodes_[static_cast<std::size_t>(setup.node)] = std::move(c);
    }
}

Network::Controller* Network::Find(int node) {
    if (node < 1 || node > 14 || !nodes_[static_cast<std::size_t>(node)]) return nullptr;
    return &*nodes_[static_cast<std::size_t>(node)];
}
const Network::Controller* Network::Find(int node) const { return const_cast<Network*>(this)->Find(node); }

bool Network::Answers(int node) const {
    const Controller* c = Find(node);
    return c && !c->setup.silent;
}

void Network::SetSilent(int node, bool silent) {
    if (Controller* c = Find(node)) c->setup.silent = silent;
}

std::uint16_t Network::ParameterWord(int node, int block, int index) const {
    const Controller* c = Find(node);
    if (!c) return 0;
    auto it = c->parameters.find({block, index});
    // Parameters the scenario does not name read as zero.
    return it == c->parameters.end() ? sim::ParameterWord(0) : it->second;
}

std::uint16_t Network::LoopStatus(int node, int loop) const {
    const Controller* c = Find(node);
    return c && loop >= 1 && loop <= 4 ? c->status[static_cast<std::size_t>(loop - 1)] : 0;
}

void Network::SetLoopStatus(int node, int loop, std::uint16_t status) {
    if (Controller* c = Find(node); c && loop >= 1 && loop <= 4) c->status[static_cast<std::size_t>(loop - 1)] = status;
}

int Network::InputAt(int node, int group, int channel, platform::Micros t) const {
    const Controller* c = Find(node);
    if (!c) return 0;
    const auto& list = group == kGroupA ? c->setup.inputsA : c->setup.inputsB;
    if ((group != kGroupA && group != kGroupB) || channel < 1 || channel > static_cast<int>(list.size())) return 0;
    return list[static_cast<std::size_t>(channel - 1)].At(t - origin_);
}

Bytes Network::Answer(const Request& r, int replyNode, std::vector<SentValue>& values) {
    if (r.kind == RequestKind::Probe) {
        const std::uint16_t map = scenario_.MapWord();
        values.push_back({Field::NetworkMap, 0, map});
        return reply::Identification(map);
    }
    Controller* c = Find(r.node);
    if (!c || c->setup.silent) return reply::GatewayReport(1, r.node, kCodeNoAnswer);

    switch (r.kind) {
        case RequestKind::Probe: break;
        case RequestKind::ReadInput: {
            const bool groupA = r.group == kGroupA;
            const auto& list = groupA ? c->setup.inputsA : c->setup.inputsB;
            if ((!groupA && r.group != kGroupB) || r.channel < 1 || r.channel > static_cast<int>(list.size()))
                return reply::Status(replyNode, kFuncInput, kCodeNoSuchChannel);
            const InputSpec& in = list[static_cast<std::size_t>(r.channel - 1)];
            const int v = in.At(r.end - origin_);
            values.push_back({groupA ? Field::InputA : Field::InputB, r.channel, v});
            if (in.type == InputSpec::Type::Discrete)
                return reply::InputValue(replyNode, r.group, r.channel, v ? kDiscreteOn : kDiscreteOff, kTypeDiscrete);
            return reply::InputValue(replyNode, r.group, r.channel, AnalogWord(v), kTypeAnalog);
        }
        case RequestKind::ReadParam: {
            const std::uint16_t word = ParameterWord(r.node, r.block, r.index);
            for (int k = 1; k <= 4; ++k) {
                if (SetpointAddress(k) == std::pair(r.block, r.index)) values.push_back({Field::Setpoint, k, ParameterRaw(word)});
                if (SettingAddress(k) == std::pair(r.block, r.index)) values.push_back({Field::Setting, k, ParameterRaw(word)});
            }
            return reply::ParameterValue(replyNode, r.block, r.index, word);
        }
        case RequestKind::WriteParam:
            // Stored as the word came: what was written reads back the same.
            c->parameters[{r.block, r.index}] = r.word;
            return reply::Status(replyNode, kFuncParameter, 0);
        case RequestKind::LoopState: {
            if (r.loop < 1 || r.loop > 4) return reply::Status(replyNode, kFuncLoop, kRefuseNoSuchLoop);
            const auto k = static_cast<std::size_t>(r.loop - 1);
            values.push_back({Field::LoopState, r.loop, ModeOfStatus(c->status[k])});
            return reply::LoopState(replyNode, r.loop, c->setup.loops[k].opaque, c->status[k]);
        }
        case RequestKind::LoopCommand: {
            if (r.loop < 1 || r.loop > 4) return reply::Status(replyNode, kFuncLoop, kRefuseNoSuchLoop);
            if (r.command != kCommandExternalSetpoint) return reply::Status(replyNode, kFuncLoop, kRefuseUnknownCommand);
            std::uint16_t& status = c->status[static_cast<std::size_t>(r.loop - 1)];
            if (!(status & kLoopInUse)) return reply::Status(replyNode, kFuncLoop, kRefuseLoopNotInUse);
            status = static_cast<std::uint16_t>(status & ~kLoopBit6);
            return reply::Status(replyNode, kFuncLoop, 0);
        }
    }
    return {};
}

Outcome Network::Respond(const Request& r) {
    Outcome out;
    if (!r.checksumOk) return out;
    const std::vector<const FaultRule*> struck = faults_.Strike(r, rng_);
    const auto noteWrite = [&](bool acknowledged) {
        if (r.kind == RequestKind::WriteParam) faults_.NoteWrite(r, acknowledged);
    };

    // Lost on the way: nothing happens, nothing comes back.
    for (FaultType lost : {FaultType::Silence, FaultType::NoAck}) {
        if (Has(struck, lost)) {
            out.faults.push_back(lost);
            noteWrite(false);
            return out;
        }
    }

    if (const FaultRule* g = First(struck, FaultType::GatewayError)) {
        // The gateway refuses to pass the request on: nothing is carried out.
        out.faults.push_back(FaultType::GatewayError);
        out.frame = reply::GatewayReport(g->count, g->about >= 0 ? g->about : r.node, g->code);
        noteWrite(false);
    } else {
        int replyNode = r.node;
        const FaultRule* w = First(struck, FaultType::WrongNode);
        if (w && r.kind != RequestKind::Probe && Answers(r.node)) {
            replyNode = w->replyNode >= 0 ? w->replyNode : r.node % 14 + 1;
            out.faults.push_back(FaultType::WrongNode);
        }
        out.frame = Answer(r, replyNode, out.values);
        noteWrite(Answers(r.node));
    }
    out.transmissions = Schedule(out.frame, r, struck);
    for (FaultType t : {FaultType::BadChecksum, FaultType::BitFlip, FaultType::Noise, FaultType::Split, FaultType::Late})
        if (Has(struck, t)) out.faults.push_back(t);
    return out;
}

std::vector<Transmission> Network::Schedule(Bytes bytes, const Request& r, const std::vector<const FaultRule*>& struck) {
    if (First(struck, FaultType::BadChecksum)) bytes.back() = static_cast<std::uint8_t>(bytes.back() + 1);
    if (const FaultRule* f = First(struck, FaultType::BitFlip)) {
        // Drawn within the body, so that the frame still opens and closes where it did.
        const std::size_t n = bytes.size();
        const std::size_t at = f->byteIndex >= 0 ? std::min<std::size_t>(static_cast<std::size_t>(f->byteIndex), n - 1)
                                                 : 2 + static_cast<std::size_t>(Draw(rng_, n - 5));
        const int bit = f->bit >= 0 ? f->bit : static_cast<int>(Draw(rng_, 8));
        bytes[at] = static_cast<std::uint8_t>(bytes[at] ^ (1u << bit));
    }
    if (const FaultRule* f = First(struck, FaultType::Noise)) bytes.insert(bytes.begin(), f->noise.begin(), f->noise.end());

    const Timing& timing = scenario_.timing;
    const bool line = timing.mode == TimingMode::Line;
    const platform::Micros charTime = line ? timing.CharTime() : 0;
    platform::Micros ready = r.end;
    if (line) ready += timing.latencyMin + static_cast<platform::Micros>(Draw(
                           rng_, static_cast<std::uint64_t>(timing.latencyMax - timing.latencyMin + 1)));
    if (const FaultRule* f = First(struck, FaultType::Late)) ready += f->delay;
    const platform::Micros start = std::max(ready, lineFree_);

    std::vector<Transmission> parts;
    const FaultRule* split = First(struck, FaultType::Split);
    std::size_t cut = bytes.size();
    if (split) cut = split->splitAt >= 0 ? std::min(bytes.size(), static_cast<std::size_t>(split->splitAt)) : bytes.size() / 2;
    Transmission first{Bytes(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(cut)), start + charTime, charTime};
    if (!first.bytes.empty()) parts.push_back(first);
    if (cut < bytes.size()) {
        // A byte cannot follow the one before it sooner than its own time on the line.
        const platform::Micros after = first.bytes.empty() ? start : first.LastArrival();
        const platform::Micros gap = first.bytes.empty() ? charTime : std::max(split->gap, charTime);
        parts.push_back({Bytes(bytes.begin() + static_cast<std::ptrdiff_t>(cut), bytes.end()), after + gap, charTime});
    }
    if (!parts.empty()) lineFree_ = parts.back().LastArrival();
    return parts;
}

}  // namespace sim
