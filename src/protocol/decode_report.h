#pragma once
// What a decoder made of a receive buffer, for the exchange trace: one note per frame it looked
// at, saying what it took from the frame or why it dropped it. Plain data of a fixed size, so
// that the caller can copy it off its thread without allocating; the decoders fill it only when
// handed one, and behave the same either way.

#include <array>
#include <cstdint>

namespace protocol {

// Why a frame the decoder wanted was dropped.
enum class Defect : std::uint8_t {
    None,
    NoEtx,     // no DLE ETX: the frame is cut short or broken by a stray DLE
    Length,    // DLE ETX, but not where a frame of its kind has it
    Checksum,  // framed right, but the last byte is not the sum of those before it
};

struct DecodeNote {
    enum class Kind : std::uint8_t {
        // The data decoder.
        Parameter,        // a: block, b: index, value; slot: 1..4 setpoint, 11..41 setting, 0 stored nowhere
        ParameterType,    // a: block, b: index, c: type byte that is no parameter value; nothing stored
        Input,            // a: group code, b: channel, value (analog raw, or 1/0 for a discrete word)
        InputWord,        // a: group code, b: channel, value: a discrete word meaning neither 1 nor 0; kept
        InputUnstored,    // a: group code, b: channel, c: type byte; outcome NoSuchChannel or NoValue
        GatewayReport,    // a: error count, b: node concerned, c: code; outcome below
        ControllerError,  // a: node, c: code; message box
        // The status decoder.
        LoopCommandAck,   // a: node; command-accepted window
        InputMissing,     // refusal code 22: a: group (5/6 by the count lowered), value: the count now;
                          // outcome Unchanged when the count was 0 already
        WriteAck,         // a: node; outcome Accepted, or NotUnderWrite
        Identification,   // value: map word; outcome MapTaken (with the box when above 0), MapKept
                          // (a controller is already in service)
        IdentificationNoEtx,  // "КТ отсутствует"
        ControllerChosen,     // value: ControllerNo after the map was taken
        LoopState,        // a: loop, value: state code, c: status word's low byte
        LoopStateNoLoop,  // a: loop number outside 1..4; nothing changed
        StatusOnly,       // a: node, c: code: a loop-function status reply that is no acknowledgement for
                          // the controller in service; it only tells the link is alive
        // Either decoder.
        Damaged,          // a: function byte (-1: identification), c: letter; defect: why it was dropped
        Foreign,          // a: frame kind, b: function, c: letter: a reply for the other decoder
    };
    enum class Outcome : std::uint8_t {
        None,
        NoAnswerWindow,   // gateway report about the controller in service, code 1F or 0: window shown
        WindowHeld,       // the same, while the window is not re-armed: nothing shown
        Box,              // a message box was asked for
        OtherNode,        // gateway report about another node: dropped
        WriteRefused,     // gateway report 2C about node 0: the write counts as not accepted
        Noted,            // gateway report that only flips the lamp
        Accepted,         // command-accepted window
        NotUnderWrite,    // a write acknowledgement while no write is under way
        Unchanged,
        MapTaken,
        MapKept,
        NoSuchChannel,    // an input reply for a channel the image has no place for
        NoValue,          // an input reply whose type byte carries no value for its group
    };

    Kind kind = Kind::Foreign;
    Outcome outcome = Outcome::None;
    Defect defect = Defect::None;
    std::uint8_t pos = 0;   // start of the frame in RxBuf
    std::int16_t a = 0;
    std::int16_t b = 0;
    std::int16_t c = 0;
    std::int16_t slot = 0;
    std::int32_t value = 0;
};

struct DecodeReport {
    // One note per start position at most, and a box's follow-up.
    static constexpr int kCapacity = 16;
    std::array<DecodeNote, kCapacity> notes{};
    int count = 0;

    void Add(const DecodeNote& note) {
        if (count < kCapacity) notes[static_cast<std::size_t>(count++)] = note;
    }
};

// How a decoder notes a frame at start position `pos`: into the caller's report, if it asked for one.
struct NoteTaker {
    DecodeReport* report;
    int pos;
    void operator()(DecodeNote note) const {
        if (!report) return;
        note.pos = static_cast<std::uint8_t>(pos);
        report->Add(note);
    }
};

// A byte or count as a note field.
constexpr std::int16_t NoteField(int v) { return static_cast<std::int16_t>(v); }

}  // namespace protocol
