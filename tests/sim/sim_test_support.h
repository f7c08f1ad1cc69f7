#pragma once
// Helpers of the simulator tests: frames written as hex text, a network with one of every
// interesting value, and a session answering at once.

#include <sstream>
#include <string>

#include "sim/session.h"

namespace simtest {

inline sim::Bytes FromHex(const std::string& text) {
    sim::Bytes bytes;
    std::istringstream in(text);
    std::string cell;
    while (in >> cell) bytes.push_back(static_cast<std::uint8_t>(std::stoul(cell, nullptr, 16)));
    return bytes;
}

inline sim::InputSpec Analog(int raw) {
    sim::InputSpec s;
    s.value = raw;
    return s;
}
inline sim::InputSpec Discrete(int v) {
    sim::InputSpec s;
    s.type = sim::InputSpec::Type::Discrete;
    s.value = v;
    return s;
}

// Controller 5 answers with values chosen for their bytes; controller 3 is on the map but silent.
inline sim::Scenario WorkedScenario() {
    sim::Scenario s;
    sim::ControllerSpec c5;
    c5.node = 5;
    c5.inputsA = {Analog(60),     // word 0x0078: the reply's checksum comes out as 0x10
                  Analog(8),      // word 0x0010: low byte 0x10
                  Analog(8192),   // word 0x4000: full scale
                  Analog(-16)};   // word 0x8020
    c5.inputsB = {Discrete(1), Discrete(0), Analog(-16)};
    c5.loops[0].status = 0x20;
    c5.loops[0].setpoint = 2048;  // word 0x2001
    c5.loops[0].setting = 1024;   // word 0x1001: high byte 0x10
    c5.loops[1].status = 0x60;
    c5.loops[1].setpoint = -2048;  // word 0xA001
    c5.loops[1].opaque = {0x01, 0x10, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08, 0x09, 0x10};
    c5.loops[2].status = 0x68;
    sim::ControllerSpec c3;
    c3.node = 3;
    c3.silent = true;
    s.controllers = {c3, c5};
    s.timing.mode = sim::TimingMode::Instant;
    return s;
}

// Everything a session puts on the line for `request`, joined, as hex text.
inline std::string Answer(sim::Session& session, const std::string& request, platform::Micros at = 0) {
    sim::Bytes all;
    for (const sim::Transmission& t : session.Receive(FromHex(request), at, 0))
        all.insert(all.end(), t.bytes.begin(), t.bytes.end());
    return sim::Hex(all);
}

}  // namespace simtest
