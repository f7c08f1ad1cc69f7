#include "sim/session.h"

namespace sim {

const std::set<int>& SentValues::Of(Field field, int index) const {
    static const std::set<int> none;
    auto it = sets_.find({field, index});
    return it == sets_.end() ? none : it->second;
}

std::string Describe(const LoggedFrame& f) {
    std::string text = f.direction == LoggedFrame::Direction::Request ? "station>sim " : "sim>station ";
    text += Hex(f.bytes);
    text += "  ";
    text += KindName(f.kind);
    if (f.direction == LoggedFrame::Direction::Reply) text += " reply";
    if (!f.checksumOk) text += ", bad checksum: not answered";
    if (!f.faults.empty()) {
        text += " [";
        for (std::size_t i = 0; i < f.faults.size(); ++i) text += (i ? "," : "") + std::string(FaultName(f.faults[i]));
        text += "]";
    }
    return text;
}

Session::Session(Scenario scenario, platform::Micros origin) : network_(std::move(scenario), origin) {}

void Session::Record(LoggedFrame frame) {
    if (onFrame) onFrame(frame);
    if (keepLog_) log_.push_back(std::move(frame));
}

std::vector<Transmission> Session::Receive(std::span<const std::uint8_t> bytes, platform::Micros firstDone,
                                           platform::Micros charTime) {
    std::vector<Transmission> all;
    for (const Request& r : parser_.Feed(bytes, firstDone, charTime)) {
        Outcome out = network_.Respond(r);
        Record({LoggedFrame::Direction::Request, r.start, r.end, r.bytes, r.kind, r.checksumOk, out.faults});
        if (out.transmissions.empty()) continue;
        LoggedFrame reply{LoggedFrame::Direction::Reply, out.transmissions.front().firstArrival,
                          out.transmissions.back().LastArrival(), {}, r.kind, true, out.faults};
        for (Transmission& t : out.transmissions) {
            reply.bytes.insert(reply.bytes.end(), t.bytes.begin(), t.bytes.end());
            all.push_back(std::move(t));
        }
        for (const SentValue& v : out.values) sent_.Add(v);
        Record(std::move(reply));
    }
    return all;
}

}  // namespace sim
