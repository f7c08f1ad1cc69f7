#pragma once
// The lines of the trace file, one per record:
//
//     1234.567 T 10 02 01 05 04 4E 05 03 10 03 7B  input A3?
//     1274.912 R 10 02 01 05 04 52 05 03 00 40 11 10 03 DA  input A3 = 8192
//     1314.000 R  silence
//     1315.250 R+ controller 5 in service
//
// The time is in milliseconds since the trace began; T is a request as written, R the bytes a
// read returned with what the decoder made of them, R+ what the decoder found after a box it
// showed. Marks in brackets tell how the bytes stood on the line (noise, a frame cut short).

#include <cstddef>
#include <cstdint>
#include <string>

#include "trace/exchange_trace.h"

namespace trace {

std::string FormatLine(const Record& record, Micros origin);

// The meaning of a request frame: "input A3?", "loop 1 setpoint := 2048", "probe".
std::string DescribeRequest(const std::uint8_t* bytes, std::size_t count, ExchangeKind kind);

// How received bytes stand as frames: "" for whole frames only, else "[noise 3, cut short]".
std::string LineMarks(const std::uint8_t* bytes, std::size_t count);

// One decoder note: "input A3 = 8192", "parameter reply dropped: bad checksum".
std::string DescribeNote(const protocol::DecodeNote& note);

}  // namespace trace
