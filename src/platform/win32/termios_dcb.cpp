#include "platform/win32/termios_dcb.h"

namespace win32 {

namespace {

struct Speed {
    DWORD baud;
    speed_t code;
};

constexpr Speed kSpeeds[] = {
    {50, B50},           {75, B75},           {110, B110},         {134, B134},         {150, B150},
    {200, B200},         {300, B300},         {600, B600},         {1200, B1200},       {1800, B1800},
    {2400, B2400},       {4800, B4800},       {9600, B9600},       {19200, B19200},     {38400, B38400},
    {57600, B57600},     {115200, B115200},   {230400, B230400},   {460800, B460800},   {500000, B500000},
    {576000, B576000},   {921600, B921600},   {1000000, B1000000}, {1152000, B1152000}, {1500000, B1500000},
    {2000000, B2000000}, {2500000, B2500000}, {3000000, B3000000}, {3500000, B3500000}, {4000000, B4000000},
};

bool SpeedCode(DWORD baud, speed_t& code) {
    for (const Speed& s : kSpeeds)
        if (s.baud == baud) {
            code = s.code;
            return true;
        }
    return false;
}

DWORD BaudOf(speed_t code) {
    for (const Speed& s : kSpeeds)
        if (s.code == code) return s.baud;
    return 0;
}

tcflag_t SizeFlag(BYTE byteSize) {
    switch (byteSize) {
    case 5: return CS5;
    case 6: return CS6;
    case 7: return CS7;
    default: return CS8;
    }
}

}  // namespace

DWORD CheckLineFields(const DCB& dcb) {
    if (dcb.ByteSize < 5 || dcb.ByteSize > 8) return ERROR_INVALID_PARAMETER;
    if (dcb.Parity > SPACEPARITY) return ERROR_INVALID_PARAMETER;
    if (dcb.StopBits > TWOSTOPBITS) return ERROR_INVALID_PARAMETER;
    if (dcb.StopBits == ONE5STOPBITS && dcb.ByteSize != 5) return ERROR_INVALID_PARAMETER;
    if (dcb.StopBits == TWOSTOPBITS && dcb.ByteSize == 5) return ERROR_INVALID_PARAMETER;
    return ERROR_SUCCESS;
}

DWORD TermiosFromDcb(const DCB& dcb, termios& t) {
    speed_t speed{};
    if (!SpeedCode(dcb.BaudRate, speed)) return ERROR_INVALID_PARAMETER;
    if (const DWORD e = CheckLineFields(dcb); e != ERROR_SUCCESS) return e;

    termios r = t;
    cfmakeraw(&r);
    r.c_iflag &= ~(IXON | IXOFF | IXANY | INPCK | IGNPAR);
    r.c_cflag &= ~(CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS);
    r.c_cflag |= SizeFlag(dcb.ByteSize) | CREAD | CLOCAL;
    switch (dcb.Parity) {
    case ODDPARITY: r.c_cflag |= PARENB | PARODD; break;
    case EVENPARITY: r.c_cflag |= PARENB; break;
    case MARKPARITY: r.c_cflag |= PARENB | CMSPAR | PARODD; break;
    case SPACEPARITY: r.c_cflag |= PARENB | CMSPAR; break;
    default: break;
    }
    if (dcb.Parity != NOPARITY) r.c_iflag |= INPCK;
    // With 5 data bits CSTOPB means 1.5 stop bits, which is what ONE5STOPBITS asks for.
    if (dcb.StopBits != ONESTOPBIT) r.c_cflag |= CSTOPB;
    r.c_cc[VMIN] = 1;  // with 0 a non-blocking read returns 0 when nothing waits: a hang-up's sign
    r.c_cc[VTIME] = 0;
    cfsetispeed(&r, speed);
    cfsetospeed(&r, speed);
    t = r;
    return ERROR_SUCCESS;
}

void DcbFromTermios(const termios& t, DCB& dcb) {
    dcb.DCBlength = sizeof(DCB);
    dcb.BaudRate = BaudOf(cfgetospeed(&t));
    switch (t.c_cflag & CSIZE) {
    case CS5: dcb.ByteSize = 5; break;
    case CS6: dcb.ByteSize = 6; break;
    case CS7: dcb.ByteSize = 7; break;
    default: dcb.ByteSize = 8; break;
    }
    if (!(t.c_cflag & PARENB))
        dcb.Parity = NOPARITY;
    else if (t.c_cflag & CMSPAR)
        dcb.Parity = (t.c_cflag & PARODD) ? MARKPARITY : SPACEPARITY;
    else
        dcb.Parity = (t.c_cflag & PARODD) ? ODDPARITY : EVENPARITY;
    if (!(t.c_cflag & CSTOPB))
        dcb.StopBits = ONESTOPBIT;
    else
        dcb.StopBits = dcb.ByteSize == 5 ? ONE5STOPBITS : TWOSTOPBITS;
    dcb.fBinary = 1;
    dcb.fParity = (t.c_iflag & INPCK) ? 1 : 0;
    const bool rtscts = (t.c_cflag & CRTSCTS) != 0;
    dcb.fOutxCtsFlow = rtscts ? 1 : 0;
    dcb.fRtsControl = rtscts ? 2 : 1;  // RTS_CONTROL_HANDSHAKE : RTS_CONTROL_ENABLE
    dcb.fDtrControl = 1;                // DTR_CONTROL_ENABLE: Linux raises DTR on open
    dcb.fOutX = (t.c_iflag & IXON) ? 1 : 0;
    dcb.fInX = (t.c_iflag & IXOFF) ? 1 : 0;
    dcb.XonChar = static_cast<char>(t.c_cc[VSTART]);
    dcb.XoffChar = static_cast<char>(t.c_cc[VSTOP]);
}

bool LineKept(const termios& wanted, const termios& got) {
    return cfgetospeed(&got) == cfgetospeed(&wanted) && cfgetispeed(&got) == cfgetispeed(&wanted) &&
           (got.c_cflag & CSIZE) == (wanted.c_cflag & CSIZE) &&
           (got.c_cflag & CSTOPB) == (wanted.c_cflag & CSTOPB);
}

}  // namespace win32
