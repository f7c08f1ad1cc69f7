// The layer against a real pseudo-terminal: the test holds the master, the layer opens the
// slave as "COM7". A pty passes bytes at once, so every delay here is the peer's own.

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "platform/win32/ports.h"
#include "platform/win32/termios_dcb.h"
#include "platform/win32/win32.h"

namespace {

using namespace win32;
using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

double MsSince(Clock::time_point t0, Clock::time_point t1 = Clock::now()) {
    return std::chrono::duration<double, std::milli>(t1 - t0).count();
}

constexpr const char* kPort = "COM7";

class Pty : public ::testing::Test {
protected:
    void SetUp() override {
        master_ = posix_openpt(O_RDWR | O_NOCTTY);
        ASSERT_GE(master_, 0);
        ASSERT_EQ(grantpt(master_), 0);
        ASSERT_EQ(unlockpt(master_), 0);
        slavePath_ = ptsname(master_);
        SetPortPath(kPort, slavePath_);
    }
    void TearDown() override {
        if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
        CloseMaster();
    }

    // Opens the port at the station's line settings with the given read time-outs.
    void Open(DWORD interval, DWORD multiplier, DWORD constant) {
        handle_ = CreateFileA(kPort, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                              FILE_FLAG_WRITE_THROUGH | FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(handle_, INVALID_HANDLE_VALUE) << GetLastError();
        DCB dcb;
        ASSERT_TRUE(GetCommState(handle_, &dcb));
        dcb.BaudRate = 4800;
        dcb.ByteSize = 8;
        dcb.Parity = EVENPARITY;
        dcb.StopBits = TWOSTOPBITS;
        ASSERT_TRUE(SetCommState(handle_, &dcb)) << GetLastError();
        COMMTIMEOUTS t{interval, multiplier, constant, 0, 0};
        ASSERT_TRUE(SetCommTimeouts(handle_, &t));
    }

    void PeerWrite(std::vector<std::uint8_t> bytes) {
        ASSERT_EQ(::write(master_, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    }
    void CloseMaster() {
        if (master_ >= 0) ::close(master_);
        master_ = -1;
    }

    int master_ = -1;
    std::string slavePath_;
    HANDLE handle_ = INVALID_HANDLE_VALUE;
};

TEST_F(Pty, LineSettingsReachTheDevice) {
    // Opened before the layer's exclusive open, to look at the line from the side.
    const int peek = ::open(slavePath_.c_str(), O_RDWR | O_NOCTTY);
    ASSERT_GE(peek, 0);
    Open(5, 1, 10);
    termios t{};
    ASSERT_EQ(tcgetattr(peek, &t), 0);
    ::close(peek);
    EXPECT_EQ(cfgetospeed(&t), B4800);
    EXPECT_EQ(cfgetispeed(&t), B4800);
    EXPECT_EQ(t.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
    EXPECT_TRUE(t.c_cflag & CSTOPB);
    EXPECT_TRUE(t.c_cflag & CREAD);
    EXPECT_TRUE(t.c_cflag & CLOCAL);
    EXPECT_FALSE(t.c_cflag & CRTSCTS);
    EXPECT_FALSE(t.c_iflag & (IXON | IXOFF | ICRNL));
    EXPECT_FALSE(t.c_lflag & (ICANON | ECHO | ISIG));
    EXPECT_FALSE(t.c_oflag & OPOST);
    EXPECT_EQ(t.c_cc[VMIN], 1);
    EXPECT_EQ(t.c_cc[VTIME], 0);

    DCB back;
    ASSERT_TRUE(GetCommState(handle_, &back));
    EXPECT_EQ(back.BaudRate, 4800u);
    EXPECT_EQ(back.ByteSize, 8);
    EXPECT_EQ(back.StopBits, TWOSTOPBITS);

    // A speed termios lacks is refused and leaves the line as it was.
    back.BaudRate = 4801;
    EXPECT_FALSE(SetCommState(handle_, &back));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    ASSERT_TRUE(GetCommState(handle_, &back));
    EXPECT_EQ(back.BaudRate, 4800u);
}

// A pty drops PARENB, so parity is checked in the termios the layer writes.
TEST(TermiosFromDcb, ParityAndStopBits) {
    struct Case {
        BYTE parity, stopBits, byteSize;
        tcflag_t set, clear;
    };
    const Case cases[] = {
        {EVENPARITY, TWOSTOPBITS, 8, PARENB | CSTOPB | CS8, PARODD | CMSPAR},
        {ODDPARITY, ONESTOPBIT, 8, PARENB | PARODD | CS8, CSTOPB | CMSPAR},
        {NOPARITY, ONESTOPBIT, 7, CS7, PARENB | CSTOPB},
        {SPACEPARITY, ONE5STOPBITS, 5, PARENB | CMSPAR | CSTOPB, PARODD},
    };
    for (const Case& c : cases) {
        DCB dcb;
        dcb.BaudRate = 4800;
        dcb.Parity = c.parity;
        dcb.StopBits = c.stopBits;
        dcb.ByteSize = c.byteSize;
        termios t{};
        t.c_cflag = CRTSCTS;
        t.c_iflag = IXON | IXOFF;
        ASSERT_EQ(TermiosFromDcb(dcb, t), ERROR_SUCCESS);
        SCOPED_TRACE(testing::Message() << "parity " << int(c.parity) << " stop " << int(c.stopBits));
        EXPECT_EQ(t.c_cflag & c.set, c.set);
        EXPECT_EQ(t.c_cflag & c.clear, 0u);
        EXPECT_EQ((t.c_iflag & INPCK) != 0, c.parity != NOPARITY);
        EXPECT_EQ(t.c_cflag & CRTSCTS, 0u);
        EXPECT_EQ(t.c_iflag & (IXON | IXOFF), 0u);
        DCB back;
        DcbFromTermios(t, back);
        EXPECT_EQ(back.Parity, c.parity);
        EXPECT_EQ(back.StopBits, c.stopBits);
        EXPECT_EQ(back.ByteSize, c.byteSize);
    }
    DCB bad;
    bad.BaudRate = 4800;
    bad.ByteSize = 9;
    termios t{};
    EXPECT_EQ(TermiosFromDcb(bad, t), ERROR_INVALID_PARAMETER);
    bad.ByteSize = 8;
    bad.StopBits = ONE5STOPBITS;
    EXPECT_EQ(TermiosFromDcb(bad, t), ERROR_INVALID_PARAMETER);
}

TEST_F(Pty, ReadWithNoPeerEndsAtTheTotalLimit) {
    Open(5, 1, 10);  // 30 bytes: 40 ms
    std::array<std::uint8_t, 30> buf{};
    DWORD got = 99;
    const auto t0 = Clock::now();
    ASSERT_TRUE(ReadFile(handle_, buf.data(), 30, &got, nullptr));
    const double ms = MsSince(t0);
    EXPECT_EQ(got, 0u);
    EXPECT_GE(ms, 39.0);
    EXPECT_LT(ms, 100.0);  // termios VTIME would have rounded up to 100 ms steps
}

TEST_F(Pty, ReplyEndsTheReadOneIntervalAfterItsLastByteAndLeavesTheRestOfTheBuffer) {
    Open(5, 1, 200);  // a total limit far away: only the interval may end this read
    std::array<std::uint8_t, 30> buf;
    buf.fill(0xEE);
    const std::vector<std::uint8_t> reply = {0x10, 0x02, 0x04, 0x01, 0x01, 0x52, 0x34, 0x12, 0x10, 0x03};
    Clock::time_point sent;
    std::thread peer([&] {
        std::this_thread::sleep_for(milliseconds(20));
        // Taken before the write: the bytes cannot arrive earlier, so a busy machine can only
        // make the measured time longer, never shorter.
        sent = Clock::now();
        PeerWrite(reply);
    });
    DWORD got = 0;
    const bool ok = ReadFile(handle_, buf.data(), 30, &got, nullptr);
    const auto returned = Clock::now();
    peer.join();
    ASSERT_TRUE(ok);
    ASSERT_EQ(got, 10u);
    EXPECT_TRUE(std::equal(reply.begin(), reply.end(), buf.begin()));
    for (std::size_t i = 10; i < buf.size(); ++i) EXPECT_EQ(buf[i], 0xEE) << "byte " << i;
    const double afterLast = MsSince(sent, returned);
    EXPECT_GE(afterLast, 4.0);
    EXPECT_LT(afterLast, 100.0);  // far below the 200 ms total limit
}

TEST_F(Pty, TheIntervalRunsFromTheLastByteNotTheFirst) {
    Open(30, 0, 2000);
    std::array<std::uint8_t, 30> buf{};
    Clock::time_point sent;
    std::thread peer([&] {
        // Six pairs 10 ms apart: 50 ms from first to last, more than one interval.
        for (std::uint8_t i = 0; i < 6; ++i) {
            sent = Clock::now();  // before the write, as above
            PeerWrite({i, i});
            std::this_thread::sleep_for(milliseconds(10));
        }
    });
    DWORD got = 0;
    const bool ok = ReadFile(handle_, buf.data(), 30, &got, nullptr);
    const auto returned = Clock::now();
    peer.join();
    ASSERT_TRUE(ok);
    EXPECT_EQ(got, 12u);
    EXPECT_GE(MsSince(sent, returned), 25.0);
}

TEST_F(Pty, BytesAlreadyWaitingAreTakenAtOnce) {
    Open(5, 1, 200);
    PeerWrite({1, 2, 3, 4});
    std::this_thread::sleep_for(milliseconds(20));  // the pty hands them over asynchronously
    std::array<std::uint8_t, 30> buf{};
    DWORD got = 0;
    const auto t0 = Clock::now();
    ASSERT_TRUE(ReadFile(handle_, buf.data(), 30, &got, nullptr));
    const double ms = MsSince(t0);
    EXPECT_EQ(got, 4u);
    EXPECT_EQ(buf[3], 4);
    EXPECT_GE(ms, 4.0);    // one interval after the call...
    EXPECT_LT(ms, 100.0);  // ...not the total limit of 230 ms
}

TEST_F(Pty, WrittenBytesReachThePeer) {
    Open(5, 1, 10);
    const std::uint8_t frame[] = {0x10, 0x02, 0x04, 0x10, 0x03, 0x29};
    DWORD written = 0;
    ASSERT_TRUE(WriteFile(handle_, frame, sizeof frame, &written, nullptr));
    EXPECT_EQ(written, sizeof frame);
    std::uint8_t seen[16] = {};
    std::size_t n = 0;
    const auto t0 = Clock::now();
    while (n < sizeof frame && MsSince(t0) < 1000) {
        const ssize_t r = ::read(master_, seen + n, sizeof seen - n);
        if (r > 0) n += static_cast<std::size_t>(r);
    }
    ASSERT_EQ(n, sizeof frame);
    EXPECT_TRUE(std::equal(frame, frame + sizeof frame, seen));
}

TEST_F(Pty, ASecondOpenIsRefusedUntilTheFirstCloses) {
    Open(5, 1, 10);
    EXPECT_EQ(CreateFileA(kPort, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr),
              INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
    ASSERT_TRUE(CloseHandle(handle_));
    handle_ = CreateFileA(kPort, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_NE(handle_, INVALID_HANDLE_VALUE) << GetLastError();
}

TEST(TtyOpen, AMissingDeviceIsFileNotFound) {
    SetPortPath("COM8", "/nonexistent/ttyUSB9");
    SetLastError(ERROR_SUCCESS);
    EXPECT_EQ(CreateFileA("COM8", GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr),
              INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
}

TEST_F(Pty, TheOtherSideClosedMidReadFailsAtOnceAndSoDoLaterCalls) {
    Open(5, 1, 1000);  // a read of 30 bytes could wait 1030 ms
    std::thread peer([&] {
        std::this_thread::sleep_for(milliseconds(30));
        CloseMaster();
    });
    std::array<std::uint8_t, 30> buf{};
    DWORD got = 0;
    auto t0 = Clock::now();
    const bool ok = ReadFile(handle_, buf.data(), 30, &got, nullptr);
    const DWORD error = GetLastError();
    const double ms = MsSince(t0);
    peer.join();
    EXPECT_FALSE(ok);
    EXPECT_EQ(error, ERROR_DEVICE_NOT_CONNECTED);
    EXPECT_LT(ms, 300.0);

    t0 = Clock::now();
    EXPECT_FALSE(ReadFile(handle_, buf.data(), 30, &got, nullptr));
    EXPECT_EQ(GetLastError(), ERROR_DEVICE_NOT_CONNECTED);
    const std::uint8_t frame[] = {0x10, 0x02, 0x04, 0x10, 0x03, 0x29};
    DWORD written = 0;
    EXPECT_FALSE(WriteFile(handle_, frame, sizeof frame, &written, nullptr));
    EXPECT_EQ(GetLastError(), ERROR_DEVICE_NOT_CONNECTED);
    EXPECT_LT(MsSince(t0), 300.0);
}

}  // namespace
