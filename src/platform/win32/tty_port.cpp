#include "platform/win32/tty_port.h"

#include <fcntl.h>
#include <linux/serial.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <optional>

#include "platform/clock.h"
#include "platform/win32/errno_map.h"
#include "platform/win32/read_timeouts.h"
#include "platform/win32/termios_dcb.h"

namespace win32 {

namespace {

using platform::Micros;

Micros MonotonicNow() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<Micros>(ts.tv_sec) * 1'000'000 + ts.tv_nsec / 1000;
}

enum class Wait { Ready, TimedOut, HungUp, Failed };

// Waits until `fd` is ready for `events` or `deadline` (none: no limit) has passed.
// EINTR counts as ready: the caller's loop tries again and recomputes its deadline.
Wait WaitFor(int fd, short events, std::optional<Micros> deadline, int& error) {
    pollfd p{fd, events, 0};
    timespec ts{};
    timespec* timeout = nullptr;
    if (deadline) {
        const Micros left = *deadline - MonotonicNow();
        if (left <= 0) return Wait::TimedOut;
        ts.tv_sec = left / 1'000'000;
        ts.tv_nsec = (left % 1'000'000) * 1000;
        timeout = &ts;
    }
    const int r = ppoll(&p, 1, timeout, nullptr);
    if (r < 0) {
        if (errno == EINTR) return Wait::Ready;
        error = errno;
        return Wait::Failed;
    }
    if (r == 0) return Wait::TimedOut;
    if (p.revents & (POLLHUP | POLLERR | POLLNVAL)) return Wait::HungUp;
    return Wait::Ready;
}

// EIO is what a tty gives once its device has gone (a pulled adapter, a closed pty master).
DWORD GoneOr(int error) { return error == EIO ? ERROR_DEVICE_NOT_CONNECTED : ErrorFromErrno(error); }

void AskLowLatency(int fd) {
    // A UART or USB adapter otherwise may hold bytes back longer than the 5 ms between bytes
    // that ends a read. Not every driver knows the request; then the line runs as it is.
    serial_struct ss{};
    if (ioctl(fd, TIOCGSERIAL, &ss) != 0) return;
    ss.flags |= ASYNC_LOW_LATENCY;
    (void)ioctl(fd, TIOCSSERIAL, &ss);
}

}  // namespace

DWORD TtyOpen(const std::string& path, int& fd) {
    fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return ErrorFromErrno(errno);
    // TIOCEXCL keeps out other users but not root; the lock keeps out everyone who asks for it.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        ::close(fd);
        fd = -1;
        return error == EWOULDBLOCK ? ERROR_ACCESS_DENIED : ErrorFromErrno(error);
    }
    (void)ioctl(fd, TIOCEXCL);
    AskLowLatency(fd);
    return ERROR_SUCCESS;
}

void TtyClose(int fd) {
    // Exclusive mode can outlive the descriptor on some drivers; leave the device as found.
    (void)ioctl(fd, TIOCNXCL);
    ::close(fd);
}

DWORD TtyGetState(int fd, DCB& dcb) {
    termios t{};
    if (tcgetattr(fd, &t) != 0) return GoneOr(errno);
    DcbFromTermios(t, dcb);
    return ERROR_SUCCESS;
}

DWORD TtySetState(int fd, const DCB& dcb) {
    termios t{};
    if (tcgetattr(fd, &t) != 0) return GoneOr(errno);
    if (const DWORD e = TermiosFromDcb(dcb, t); e != ERROR_SUCCESS) return e;
    if (tcsetattr(fd, TCSANOW, &t) != 0) return GoneOr(errno);
    // tcsetattr succeeds when any one change took: see what the driver kept.
    termios back{};
    if (tcgetattr(fd, &back) != 0) return GoneOr(errno);
    return LineKept(t, back) ? ERROR_SUCCESS : ERROR_INVALID_PARAMETER;
}

DWORD TtyRead(int fd, const COMMTIMEOUTS& timeouts, std::uint8_t* buffer, DWORD count, DWORD& got) {
    got = 0;
    if (count == 0) return ERROR_SUCCESS;
    const ReadLimits limits = LimitsFor(timeouts, count);
    const Micros call = MonotonicNow();
    std::optional<Micros> lastByte;
    bool first = true;      // bytes of the first read were waiting: they count as received at the call
    bool lastTry = false;   // the deadline passed: one more read, then the read is over
    bool hungUp = false;
    for (;;) {
        const ssize_t n = ::read(fd, buffer + got, count - got);
        const bool wasFirst = first;
        first = false;
        if (n > 0) {
            got += static_cast<DWORD>(n);
            lastByte = wasFirst ? call : MonotonicNow();
            if (got == count) return ERROR_SUCCESS;
            lastTry = false;
            continue;
        }
        if (n == 0) return ERROR_DEVICE_NOT_CONNECTED;  // with VMIN 1 only a hang-up reads 0
        if (errno == EINTR) continue;
        if (errno != EAGAIN) return GoneOr(errno);
        // Nothing waits. A hang-up seen by poll leaves nothing to wait for: never spin on it.
        if (hungUp) return ERROR_DEVICE_NOT_CONNECTED;
        if (lastTry) return ERROR_SUCCESS;
        int error = 0;
        switch (WaitFor(fd, POLLIN, ReadDeadline(limits, call, lastByte), error)) {
        case Wait::Ready: break;
        case Wait::TimedOut: lastTry = true; break;
        case Wait::HungUp: hungUp = true; break;  // bytes still buffered are read first
        case Wait::Failed: return GoneOr(error);
        }
    }
}

DWORD TtyWrite(int fd, const COMMTIMEOUTS& timeouts, const std::uint8_t* bytes, DWORD count,
               DWORD& written) {
    written = 0;
    std::optional<Micros> deadline;
    if (timeouts.WriteTotalTimeoutMultiplier != 0 || timeouts.WriteTotalTimeoutConstant != 0)
        deadline = MonotonicNow() +
                   platform::Ms(std::int64_t{timeouts.WriteTotalTimeoutMultiplier} * count +
                                timeouts.WriteTotalTimeoutConstant);
    while (written < count) {
        const ssize_t n = ::write(fd, bytes + written, count - written);
        if (n > 0) {
            written += static_cast<DWORD>(n);
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && errno != EAGAIN) return GoneOr(errno);
        int error = 0;
        switch (WaitFor(fd, POLLOUT, deadline, error)) {
        case Wait::Ready: break;
        case Wait::TimedOut: return ERROR_SUCCESS;  // as Windows: a write time-out is no failure
        case Wait::HungUp: return ERROR_DEVICE_NOT_CONNECTED;
        case Wait::Failed: return GoneOr(error);
        }
    }
    return ERROR_SUCCESS;
}

}  // namespace win32
