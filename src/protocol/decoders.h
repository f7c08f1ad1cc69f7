#pragma once
// The two reply decoders. Each reads the reply the last PortRead left in RxBuf (bytes that did
// not arrive are zero), tries every start position 0..10, and writes what it finds into the
// process image; what it asks of windows goes through DecoderWindows. A modal box shown by a
// decoder lets the window timers run before the decoder returns.

#include "protocol/decode_report.h"
#include "protocol/decoder_windows.h"
#include "state/process_image.h"

namespace protocol {

// Replies to parameter and input reads: values, the gateway's error report, a controller's
// refusal of an input read.
void Sortirovka_Buf(TProcessImage& pi, DecoderWindows& windows);
// The same, noting in `report` (if not null) what it made of each frame.
void Sortirovka_Buf(TProcessImage& pi, DecoderWindows& windows, DecodeReport* report);

// Replies about the network and the controller: gateway identification with the network map,
// loop states, acknowledgements of writes and loop commands, refusals that count inputs.
void Nastrojka(TProcessImage& pi, DecoderWindows& windows);
void Nastrojka(TProcessImage& pi, DecoderWindows& windows, DecodeReport* report);

}  // namespace protocol
