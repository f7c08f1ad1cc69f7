// Virtual devices behind the Win32 calls: time on the line, faults, one opener at a time.

#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <vector>

#include "platform/clock.h"
#include "platform/win32/ports.h"
#include "platform/win32/win32.h"

namespace {

using namespace win32;
using platform::Micros;
using platform::Ms;

struct Recorder : VirtualDevice {
    struct Write {
        std::vector<std::uint8_t> bytes;
        Micros start, charTime;
    };
    std::vector<Write> writes;
    std::vector<LineSettings> settings;
    int opens = 0, closes = 0;
    void OnOpen() override { ++opens; }
    void OnClose() override { ++closes; }
    void OnSettings(const LineSettings& l) override { settings.push_back(l); }
    void OnWrite(std::span<const std::uint8_t> b, Micros start, Micros charTime) override {
        writes.push_back({{b.begin(), b.end()}, start, charTime});
    }
};

class Virtual : public ::testing::Test {
protected:
    void SetUp() override {
        platform::SetCurrentClock(&clock_);
        clock_.AdvanceTo(Ms(1000));
        RegisterVirtualDevice("COM1", device_);
    }
    void TearDown() override {
        if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
        UnregisterVirtualDevice("COM1");
        platform::SetCurrentClock(nullptr);
    }
    HANDLE OpenCom1() { return CreateFileA("COM1", GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr); }
    void OpenAtStationSettings() {
        handle_ = OpenCom1();
        ASSERT_NE(handle_, INVALID_HANDLE_VALUE);
        DCB dcb;
        ASSERT_TRUE(GetCommState(handle_, &dcb));
        dcb.BaudRate = 4800;
        dcb.ByteSize = 8;
        dcb.Parity = EVENPARITY;
        dcb.StopBits = TWOSTOPBITS;
        ASSERT_TRUE(SetCommState(handle_, &dcb));
        COMMTIMEOUTS t{5, 1, 10, 0, 0};
        ASSERT_TRUE(SetCommTimeouts(handle_, &t));
    }

    platform::VirtualClock clock_;
    std::shared_ptr<Recorder> device_ = std::make_shared<Recorder>();
    HANDLE handle_ = INVALID_HANDLE_VALUE;
};

TEST_F(Virtual, SettingsAndTimeoutsReachTheDeviceAndReadBack) {
    OpenAtStationSettings();
    ASSERT_EQ(device_->settings.size(), 1u);
    EXPECT_EQ(device_->settings[0].baudRate, 4800u);
    EXPECT_EQ(device_->settings[0].parity, EVENPARITY);
    EXPECT_EQ(device_->settings[0].stopBits, TWOSTOPBITS);
    EXPECT_EQ(device_->timeouts.ReadIntervalTimeout, 5u);
    EXPECT_EQ(device_->timeouts.ReadTotalTimeoutConstant, 10u);
    DCB back;
    ASSERT_TRUE(GetCommState(handle_, &back));
    EXPECT_EQ(back.BaudRate, 4800u);
    EXPECT_EQ(back.ByteSize, 8);
    EXPECT_EQ(back.Parity, EVENPARITY);
    EXPECT_EQ(back.StopBits, TWOSTOPBITS);
}

TEST_F(Virtual, AWriteTakesItsBytesTimeOnTheLine) {
    OpenAtStationSettings();
    const std::uint8_t frame[11] = {0x10, 0x02, 0x01, 0x01, 0x04, 0x4E, 0x05, 0x03, 0x10, 0x03, 0xCE};
    DWORD written = 0;
    ASSERT_TRUE(WriteFile(handle_, frame, 11, &written, nullptr));
    EXPECT_EQ(written, 11u);
    ASSERT_EQ(device_->writes.size(), 1u);
    EXPECT_EQ(device_->writes[0].bytes, std::vector<std::uint8_t>(frame, frame + 11));
    EXPECT_EQ(device_->writes[0].start, Ms(1000));
    EXPECT_EQ(device_->writes[0].charTime, 2500);  // 12 bits at 4800 baud
    EXPECT_EQ(clock_.Now(), Ms(1000) + 11 * 2500);
}

TEST_F(Virtual, AReadWaitsAsReadFileWouldAndMovesTheClockToItsEnd) {
    OpenAtStationSettings();
    const std::uint8_t reply[12] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
    device_->Deliver(std::span(reply, 10), Ms(1010), 2500);  // last byte at 1032.5 ms
    std::array<std::uint8_t, 30> buf;
    buf.fill(0xEE);
    DWORD got = 0;
    ASSERT_TRUE(ReadFile(handle_, buf.data(), 30, &got, nullptr));
    EXPECT_EQ(got, 10u);
    EXPECT_EQ(buf[9], 10);
    EXPECT_EQ(buf[10], 0xEE);
    EXPECT_EQ(clock_.Now(), Ms(1032) + 500 + Ms(5));
    EXPECT_TRUE(device_->Pending().empty());

    // Nothing more: the read ends at its total limit of 40 ms.
    const Micros before = clock_.Now();
    ASSERT_TRUE(ReadFile(handle_, buf.data(), 30, &got, nullptr));
    EXPECT_EQ(got, 0u);
    EXPECT_EQ(clock_.Now() - before, Ms(40));

    // A short read leaves the rest pending for the next one.
    device_->Deliver(std::span(reply, 12), clock_.Now() + Ms(1), 0);
    ASSERT_TRUE(ReadFile(handle_, buf.data(), 5, &got, nullptr));
    EXPECT_EQ(got, 5u);
    EXPECT_EQ(device_->Pending().size(), 7u);
}

TEST_F(Virtual, InjectedFaultsFailTheirCallsOnceEach) {
    OpenAtStationSettings();
    device_->faults.reads = {ERROR_HANDLE_EOF, ERROR_IO_PENDING};
    device_->faults.writes = {ERROR_ALREADY_EXISTS};
    const std::uint8_t b[1] = {7};
    device_->DeliverAt(9, clock_.Now());
    std::uint8_t buf[4] = {};
    DWORD n = 0;
    const Micros before = clock_.Now();

    EXPECT_FALSE(ReadFile(handle_, buf, 4, &n, nullptr));
    EXPECT_EQ(GetLastError(), ERROR_HANDLE_EOF);
    EXPECT_FALSE(ReadFile(handle_, buf, 4, &n, nullptr));
    EXPECT_EQ(GetLastError(), ERROR_IO_PENDING);
    EXPECT_FALSE(WriteFile(handle_, b, 1, &n, nullptr));
    EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
    // Failed calls move neither bytes nor time.
    EXPECT_EQ(clock_.Now(), before);
    EXPECT_EQ(device_->Pending().size(), 1u);
    EXPECT_TRUE(device_->writes.empty());

    EXPECT_TRUE(ReadFile(handle_, buf, 4, &n, nullptr));
    EXPECT_EQ(n, 1u);
    EXPECT_TRUE(WriteFile(handle_, b, 1, &n, nullptr));

    device_->faults.getCommState = ERROR_GEN_FAILURE;
    device_->faults.setCommState = ERROR_INVALID_PARAMETER;
    device_->faults.setCommTimeouts = ERROR_ACCESS_DENIED;
    DCB dcb;
    COMMTIMEOUTS t{};
    EXPECT_FALSE(GetCommState(handle_, &dcb));
    EXPECT_EQ(GetLastError(), ERROR_GEN_FAILURE);
    EXPECT_FALSE(SetCommState(handle_, &dcb));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    EXPECT_FALSE(SetCommTimeouts(handle_, &t));
    EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
    EXPECT_EQ(device_->timeouts.ReadIntervalTimeout, 5u);
}

TEST_F(Virtual, OneOpenerAtATimeAndAnOpenFault) {
    handle_ = OpenCom1();
    ASSERT_NE(handle_, INVALID_HANDLE_VALUE);
    EXPECT_EQ(device_->opens, 1);
    EXPECT_EQ(OpenCom1(), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
    ASSERT_TRUE(CloseHandle(handle_));
    handle_ = INVALID_HANDLE_VALUE;
    EXPECT_EQ(device_->closes, 1);
    EXPECT_FALSE(device_->isOpen);

    device_->faults.open = ERROR_FILE_NOT_FOUND;
    EXPECT_EQ(OpenCom1(), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(device_->opens, 1);
}

TEST_F(Virtual, UnderTheRealClockAReadTakesOnlyWhatHasArrived) {
    OpenAtStationSettings();
    platform::SetCurrentClock(nullptr);
    const Micros now = platform::CurrentClock().Now();
    device_->DeliverAt(1, now - Ms(2));
    device_->DeliverAt(2, now - Ms(1));
    device_->DeliverAt(3, now + Ms(60'000));
    std::uint8_t buf[30] = {};
    DWORD got = 0;
    ASSERT_TRUE(ReadFile(handle_, buf, 30, &got, nullptr));
    EXPECT_EQ(got, 2u);
    EXPECT_EQ(device_->Pending().size(), 1u);
    EXPECT_LT(platform::CurrentClock().Now() - now, Ms(1000));  // no waiting on the real clock
}

}  // namespace
