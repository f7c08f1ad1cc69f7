#include "sim/pty_server.h"

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <stdexcept>

namespace sim {

namespace {

std::string Errno(const std::string& what) { return what + ": " + std::strerror(errno); }

speed_t SpeedOf(int baud) {
    switch (baud) {
        case 1200: return B1200;
        case 2400: return B2400;
        case 4800: return B4800;
        case 9600: return B9600;
        case 19200: return B19200;
        case 38400: return B38400;
        case 57600: return B57600;
        case 115200: return B115200;
        default: return B0;
    }
}

// Raw bytes, 8 data bits, even parity, 2 stop bits, no echo: the gateway's side of the line.
bool SetLine(int fd, int baud) {
    termios t{};
    if (tcgetattr(fd, &t) != 0) return false;
    cfmakeraw(&t);
    t.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARODD | CRTSCTS);
    t.c_cflag |= CS8 | PARENB | CSTOPB | CREAD | CLOCAL;
    t.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY);
    t.c_cc[VMIN] = 1;
    t.c_cc[VTIME] = 0;
    const speed_t speed = SpeedOf(baud);
    if (speed != B0) {
        cfsetispeed(&t, speed);
        cfsetospeed(&t, speed);
    }
    return tcsetattr(fd, TCSANOW, &t) == 0;
}

}  // namespace

PtyServer::PtyServer(Scenario scenario) : session_(std::move(scenario), platform::RealClock().Now()) {
    session_.KeepLog(false);
}

PtyServer::~PtyServer() {
    Stop();
    if (fd_ >= 0) close(fd_);
    if (holdFd_ >= 0) close(holdFd_);
}

void PtyServer::SetTrace(std::function<void(const LoggedFrame&)> trace) {
    std::lock_guard lock(mutex_);
    session_.onFrame = std::move(trace);
}

std::string PtyServer::ServePty() {
    const int master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master < 0) throw std::runtime_error(Errno("cannot open a pseudo-terminal"));
    char name[128];
    if (grantpt(master) != 0 || unlockpt(master) != 0 || ptsname_r(master, name, sizeof name) != 0) {
        const std::string why = Errno("cannot set up the pseudo-terminal");
        close(master);
        throw std::runtime_error(why);
    }
    // Raw from the start: with the default line discipline the slave would echo the station's
    // bytes back to us and hold them until a newline.
    const int slave = open(name, O_RDWR | O_NOCTTY | O_CLOEXEC | O_NONBLOCK);
    if (slave < 0 || !SetLine(slave, session_.network().timing().baud)) {
        const std::string why = Errno(std::string("cannot set up ") + name);
        if (slave >= 0) close(slave);
        close(master);
        throw std::runtime_error(why);
    }
    holdFd_ = slave;
    path_ = name;
    Start(master);
    return path_;
}

void PtyServer::ServeDevice(const std::string& path) {
    const int fd = open(path.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) throw std::runtime_error(Errno("cannot open " + path));
    if (!SetLine(fd, session_.network().timing().baud)) {
        const std::string why = Errno(path + " is not a serial device that takes 8E2 settings");
        close(fd);
        throw std::runtime_error(why);
    }
    path_ = path;
    Start(fd);
}

void PtyServer::Start(int fd) {
    fd_ = fd;
    fcntl(fd_, F_SETFL, fcntl(fd_, F_GETFL) | O_NONBLOCK);
    if (pipe2(wake_, O_CLOEXEC | O_NONBLOCK) != 0) throw std::runtime_error(Errno("cannot make a pipe"));
    {
        std::lock_guard lock(mutex_);
        running_ = true;
    }
    thread_ = std::thread([this] { Serve(); });
}

void PtyServer::Stop() {
    if (!thread_.joinable()) return;
    const char stop = 1;
    (void)!write(wake_[1], &stop, 1);
    thread_.join();
    close(wake_[0]);
    close(wake_[1]);
    wake_[0] = wake_[1] = -1;
}

bool PtyServer::Running() const {
    std::lock_guard lock(mutex_);
    return running_;
}

std::string PtyServer::Error() const {
    std::lock_guard lock(mutex_);
    return error_;
}

void PtyServer::Serve() {
    platform::RealClock clock;
    struct Timed {
        platform::Micros at;
        std::uint8_t value;
    };
    std::deque<Timed> out;  // in arrival order: the network never overlaps its replies
    std::string failure;

    for (;;) {
        platform::Micros now = clock.Now();
        std::uint8_t due[512];
        std::size_t n = 0;
        while (!out.empty() && out.front().at <= now && n < sizeof due) {
            due[n++] = out.front().value;
            out.pop_front();
        }
        for (std::size_t done = 0; done < n;) {
            const ssize_t w = write(fd_, due + done, n - done);
            if (w > 0) {
                done += static_cast<std::size_t>(w);
            } else if (w < 0 && errno == EINTR) {
                continue;
            } else {
                break;  // nobody reads the other end and its buffer is full: the bytes are lost, as on a line
            }
        }

        pollfd fds[2] = {{fd_, POLLIN, 0}, {wake_[0], POLLIN, 0}};
        timespec wait{};
        timespec* timeout = nullptr;
        if (!out.empty()) {
            const platform::Micros d = std::max<platform::Micros>(0, out.front().at - clock.Now());
            wait.tv_sec = static_cast<time_t>(d / 1'000'000);
            wait.tv_nsec = static_cast<long>((d % 1'000'000) * 1000);
            timeout = &wait;
        }
        const int ready = ppoll(fds, 2, timeout, nullptr);
        if (ready < 0) {
            if (errno == EINTR) continue;
            failure = Errno("poll");
            break;
        }
        if (fds[1].revents) break;
        if (fds[0].revents & POLLIN) {
            std::uint8_t buf[256];
            const ssize_t r = read(fd_, buf, sizeof buf);
            if (r > 0) {
                std::lock_guard lock(mutex_);
                for (const Transmission& t : session_.Receive(std::span(buf, static_cast<std::size_t>(r)), clock.Now(), 0))
                    for (std::size_t i = 0; i < t.bytes.size(); ++i)
                        out.push_back({t.firstArrival + static_cast<platform::Micros>(i) * t.gap, t.bytes[i]});
            } else if (r == 0 || (errno != EAGAIN && errno != EINTR)) {
                failure = r == 0 ? path_ + ": the device is gone" : Errno("read " + path_);
                break;
            }
        } else if (fds[0].revents & (POLLERR | POLLHUP | POLLNVAL)) {
            failure = path_ + ": the device is gone";
            break;
        }
    }
    std::lock_guard lock(mutex_);
    running_ = false;
    error_ = failure;
}

}  // namespace sim
