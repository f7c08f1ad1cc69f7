#pragma once
// The four line fields of a DCB (BaudRate, ByteSize, Parity, StopBits) and a termios in raw
// mode, both ways. Pure: the tty code applies the result and checks what the driver kept.

#include <termios.h>

#include "platform/win32/win32.h"

namespace win32 {

// ERROR_SUCCESS, or ERROR_INVALID_PARAMETER for a combination no UART takes: size outside
// 5..8, parity or stop bits out of range, 1.5 stop bits with more than 5 data bits, 2 with 5.
DWORD CheckLineFields(const DCB& dcb);

// `t` made raw (no echo, no line editing, no flow control, VMIN 1, VTIME 0) with the DCB's
// speed, size, parity and stop bits. ERROR_INVALID_PARAMETER for a speed termios lacks or a
// combination CheckLineFields refuses; `t` is then unchanged.
DWORD TermiosFromDcb(const DCB& dcb, termios& t);

// The DCB as the termios states it: the four line fields and the flow control flags.
void DcbFromTermios(const termios& t, DCB& dcb);

// What the driver must have kept of an applied setting: speed, size and stop bits. Parity is
// not compared: a pseudo-terminal drops PARENB and is still a usable line for tests.
bool LineKept(const termios& wanted, const termios& got);

}  // namespace win32
