// The serial channel against a virtual "COM1" on the headless backend: the boxes the operator
// sees, in order, and the report count that silences them.

#include "serial/serial_channel.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "platform/headless/headless_backend.h"
#include "platform/win32/ports.h"
#include "state/process_image.h"

namespace {

using namespace win32;
using platform::Micros;
using platform::Ms;

constexpr const char* kReportCaption = "Ошибка->GetLastError(Возможно Сом порт не подключен, или обрыв лин. связи ";
constexpr const char* kWriteCaption = "Не могу отправить байт";
constexpr const char* kReadCaption = "Не могу получить данные с Ремиконта";

struct Box {
    vcl::BoxKind kind;
    std::string text;
    std::string caption;
    unsigned flags;
    bool operator==(const Box&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Box& b) {
    return os << (b.kind == vcl::BoxKind::System ? "MessageBoxA" : "Application") << " [" << b.text << "] / ["
              << b.caption << "] flags " << b.flags;
}

// The ReportPortError box for a code: the system's text, or the 255 blanks it starts from.
Box Report(DWORD code) {
    return {vcl::BoxKind::System, SystemMessage(code).value_or(std::string(255, ' ')), kReportCaption, 16};
}
Box App(const std::string& text, const std::string& caption) { return {vcl::BoxKind::Application, text, caption, 16}; }

const Box kInvalidHandle = App("INVALID_HANDLE_VALUE", "Нет доступа к СОМ порту");
const Box kProblem = App("Проблема", kWriteCaption);
const Box kAlreadyExists = App("ERROR_ALREADY_EXISTS -> повторное открытие при OPEN_ALWAYS", "Дважды открываешь СОМ порт");
const Box kNotPending = App("dwError != ERROR_IO_PENDING ", kWriteCaption);
const Box kReadEof = App("dwError = ERROR_HANDLE_EOF", kReadCaption);
const Box kReadPending = App("dwError = ERROR_IO_PENDING", kReadCaption);

struct Gateway : VirtualDevice {
    std::vector<LineSettings> settings;
    std::vector<std::vector<std::uint8_t>> frames;
    void OnSettings(const LineSettings& l) override { settings.push_back(l); }
    void OnWrite(std::span<const std::uint8_t> b, Micros, Micros) override { frames.emplace_back(b.begin(), b.end()); }
};

const std::uint8_t kProbe[6] = {0x10, 0x02, 0x04, 0x10, 0x03, 0x29};

class Channel : public ::testing::Test {
protected:
    void SetUp() override {
        ProcessImage = TProcessImage{};
        RegisterVirtualDevice(serial::kPortName, device);
    }
    void TearDown() override {
        if (ProcessImage.ComHandle != INVALID_HANDLE_VALUE) CloseHandle(ProcessImage.ComHandle);
        UnregisterVirtualDevice(serial::kPortName);
        SetPortPath(serial::kPortName, "/dev/ttyS0");
        ProcessImage = TProcessImage{};
    }
    std::vector<Box> Boxes() const {
        std::vector<Box> boxes;
        for (const auto& r : backend.Boxes()) boxes.push_back({r.kind, r.text, r.caption, r.flags});
        return boxes;
    }
    std::vector<Box> BoxesSince(std::size_t first) const {
        auto all = Boxes();
        return {all.begin() + static_cast<std::ptrdiff_t>(first), all.end()};
    }
    Micros Now() const { return backend.Now(); }

    headless::HeadlessBackend backend;
    vcl::TApplication app{backend};
    std::shared_ptr<Gateway> device = std::make_shared<Gateway>();
};

TEST_F(Channel, OpenSetsTheLineAndTheTimeoutsAndCloseReleasesThePort) {
    PortOpen();
    EXPECT_TRUE(Boxes().empty());
    EXPECT_EQ(ProcessImage.ErrorMsgCount, 0);
    ASSERT_TRUE(device->isOpen);
    ASSERT_EQ(device->settings.size(), 1u);
    EXPECT_EQ(device->settings[0].baudRate, 4800u);
    EXPECT_EQ(device->settings[0].byteSize, 8);
    EXPECT_EQ(device->settings[0].parity, EVENPARITY);
    EXPECT_EQ(device->settings[0].stopBits, TWOSTOPBITS);
    const COMMTIMEOUTS& t = device->timeouts;
    EXPECT_EQ(t.ReadIntervalTimeout, 5u);
    EXPECT_EQ(t.ReadTotalTimeoutMultiplier, 1u);
    EXPECT_EQ(t.ReadTotalTimeoutConstant, 10u);
    EXPECT_EQ(t.WriteTotalTimeoutMultiplier, 0u);
    EXPECT_EQ(t.WriteTotalTimeoutConstant, 0u);

    const Micros t0 = Now();
    PortWrite(kProbe, 6);
    ASSERT_EQ(device->frames.size(), 1u);
    EXPECT_EQ(device->frames[0], std::vector<std::uint8_t>(kProbe, kProbe + 6));
    EXPECT_EQ(Now() - t0, 6 * 2500);  // 12 bits a byte at 4800 baud

    PortClose();
    EXPECT_FALSE(device->isOpen);
    ProcessImage.ComHandle = INVALID_HANDLE_VALUE;
}

TEST_F(Channel, ReadsEndByTheirTimeoutsWithoutAnyReport) {
    PortOpen();
    std::uint8_t* rx = ProcessImage.RxBuf;
    std::fill(rx, rx + 30, 0xEE);

    // A gateway that does not answer: 40 ms, nothing read.
    Micros t0 = Now();
    PortRead(rx, 30);
    EXPECT_EQ(Now() - t0, Ms(40));
    EXPECT_EQ(rx[0], 0xEE);

    // A reply of 10 bytes: the read ends 5 ms after the last, the rest of RxBuf is kept.
    const std::uint8_t reply[10] = {0x10, 0x02, 0x04, 0x01, 0x01, 0x52, 0x34, 0x12, 0x10, 0x03};
    t0 = Now();
    device->Deliver(reply, t0 + Ms(3), 2500);
    PortRead(rx, 30);
    EXPECT_EQ(Now() - t0, Ms(3) + 9 * 2500 + Ms(5));
    EXPECT_TRUE(std::equal(reply, reply + 10, rx));
    for (int i = 10; i < 30; ++i) EXPECT_EQ(rx[i], 0xEE) << "RxBuf[" << i << "]";
    EXPECT_TRUE(Boxes().empty());
    EXPECT_EQ(ProcessImage.ErrorMsgCount, 0);
}

struct FailureCase {
    std::string name;
    std::function<void(DeviceFaults&)> inject;
    enum { Open, Write, Read } step;
    std::vector<Box> boxes;  // what the step shows
    int count;               // ErrorMsgCount after it
    DWORD lastError;         // ProcessImage.LastError after it
};

const std::vector<FailureCase> kFailures = {
    {"GetCommStateFails", [](DeviceFaults& f) { f.getCommState = ERROR_GEN_FAILURE; }, FailureCase::Open,
     {Report(ERROR_GEN_FAILURE)}, 1, 0},
    {"SetCommStateFails", [](DeviceFaults& f) { f.setCommState = ERROR_INVALID_PARAMETER; }, FailureCase::Open,
     {Report(ERROR_INVALID_PARAMETER)}, 1, 0},
    {"SetCommTimeoutsFails", [](DeviceFaults& f) { f.setCommTimeouts = ERROR_ACCESS_DENIED; }, FailureCase::Open,
     {Report(ERROR_ACCESS_DENIED)}, 1, 0},
    {"OpenRefused", [](DeviceFaults& f) { f.open = ERROR_ACCESS_DENIED; }, FailureCase::Open,
     {kInvalidHandle, Report(ERROR_INVALID_HANDLE), Report(ERROR_INVALID_HANDLE), Report(ERROR_INVALID_HANDLE)}, 3, 0},
    {"WriteFails", [](DeviceFaults& f) { f.writes = {ERROR_DEVICE_NOT_CONNECTED}; }, FailureCase::Write,
     {Report(ERROR_DEVICE_NOT_CONNECTED), kProblem, kNotPending}, 3, ERROR_DEVICE_NOT_CONNECTED},
    {"WriteFailsWithAlreadyExists", [](DeviceFaults& f) { f.writes = {ERROR_ALREADY_EXISTS}; }, FailureCase::Write,
     {Report(ERROR_ALREADY_EXISTS), kProblem, kAlreadyExists, kNotPending}, 4, ERROR_ALREADY_EXISTS},
    {"WriteFailsWithIoPending", [](DeviceFaults& f) { f.writes = {ERROR_IO_PENDING}; }, FailureCase::Write,
     {Report(ERROR_IO_PENDING), kProblem}, 2, ERROR_IO_PENDING},
    {"WriteFailsWithACodeWithoutText", [](DeviceFaults& f) { f.writes = {0xBEEF}; }, FailureCase::Write,
     {Report(0xBEEF), kProblem, kNotPending}, 3, 0xBEEF},
    {"ReadFailsWithHandleEof", [](DeviceFaults& f) { f.reads = {ERROR_HANDLE_EOF}; }, FailureCase::Read, {kReadEof}, 1,
     ERROR_HANDLE_EOF},
    {"ReadFailsWithIoPending", [](DeviceFaults& f) { f.reads = {ERROR_IO_PENDING}; }, FailureCase::Read,
     {kReadPending}, 1, ERROR_IO_PENDING},
    {"ReadFailsWithAnotherCodeSilently", [](DeviceFaults& f) { f.reads = {ERROR_ACCESS_DENIED}; }, FailureCase::Read,
     {}, 0, ERROR_ACCESS_DENIED},
};

class ChannelFailure : public Channel, public ::testing::WithParamInterface<FailureCase> {};

TEST_P(ChannelFailure, ShowsItsBoxesInOrderAndCountsThem) {
    const FailureCase& c = GetParam();
    if (c.step == FailureCase::Open) {
        c.inject(device->faults);
        PortOpen();
        EXPECT_EQ(Boxes(), c.boxes);
        if (!device->faults.open) {
            // The steps after a failing one still run.
            EXPECT_EQ(device->settings.size(), device->faults.setCommState ? 0u : 1u);
            EXPECT_EQ(device->timeouts.ReadTotalTimeoutConstant, device->faults.setCommTimeouts ? 0u : 10u);
        }
    } else {
        PortOpen();
        ASSERT_TRUE(Boxes().empty());
        c.inject(device->faults);
        if (c.step == FailureCase::Write) {
            PortWrite(kProbe, 6);
            EXPECT_TRUE(device->frames.empty());
        } else {
            std::fill(std::begin(ProcessImage.RxBuf), std::end(ProcessImage.RxBuf), 0x5A);
            const std::uint8_t waiting[3] = {1, 2, 3};
            device->Deliver(waiting, Now(), 0);
            PortRead(ProcessImage.RxBuf, 30);
            for (std::uint8_t b : ProcessImage.RxBuf) EXPECT_EQ(b, 0x5A);
            EXPECT_EQ(device->Pending().size(), 3u);
        }
        EXPECT_EQ(Boxes(), c.boxes);
    }
    EXPECT_EQ(ProcessImage.ErrorMsgCount, c.count);
    EXPECT_EQ(ProcessImage.LastError, c.lastError);
    EXPECT_TRUE(ProcessImage.ErrorText.empty());
}

INSTANTIATE_TEST_SUITE_P(Paths, ChannelFailure, ::testing::ValuesIn(kFailures),
                         [](const auto& info) { return info.param.name; });

TEST_F(Channel, NineCountedBoxesThenSilenceWhateverFails) {
    PortOpen();
    device->faults.writes = {ERROR_ALREADY_EXISTS, ERROR_DEVICE_NOT_CONNECTED, ERROR_DEVICE_NOT_CONNECTED,
                             ERROR_IO_PENDING};
    device->faults.reads = {ERROR_HANDLE_EOF};
    PortWrite(kProbe, 6);  // counts 1..4
    PortWrite(kProbe, 6);  // 5..7
    PortWrite(kProbe, 6);  // 8 and 9 shown, 10 not
    EXPECT_EQ(ProcessImage.ErrorMsgCount, 10);
    PortRead(ProcessImage.RxBuf, 30);  // 11
    PortWrite(kProbe, 6);              // 12, 13
    SetLastError(ERROR_ACCESS_DENIED);
    ReportPortError();                 // 14
    EXPECT_EQ(Boxes(), (std::vector<Box>{Report(ERROR_ALREADY_EXISTS), kProblem, kAlreadyExists, kNotPending,
                                         Report(ERROR_DEVICE_NOT_CONNECTED), kProblem, kNotPending,
                                         Report(ERROR_DEVICE_NOT_CONNECTED), kProblem}));
    EXPECT_EQ(ProcessImage.ErrorMsgCount, 14);
}

TEST_F(Channel, AMissingPortIsReportedAndTheStationRunsOnWithTheInvalidHandle) {
    UnregisterVirtualDevice(serial::kPortName);
    SetPortPath(serial::kPortName, "/nonexistent/ttyS0");
    PortOpen();
    EXPECT_EQ(ProcessImage.ComHandle, INVALID_HANDLE_VALUE);
    const std::vector<Box> openBoxes = {kInvalidHandle, Report(ERROR_INVALID_HANDLE), Report(ERROR_INVALID_HANDLE),
                                        Report(ERROR_INVALID_HANDLE)};
    EXPECT_EQ(Boxes(), openBoxes);
    EXPECT_EQ(ProcessImage.ErrorMsgCount, 3);  // the INVALID_HANDLE_VALUE box is not counted

    const std::vector<Box> writeBoxes = {Report(ERROR_INVALID_HANDLE), kProblem, kNotPending};
    PortWrite(kProbe, 6);
    EXPECT_EQ(BoxesSince(4), writeBoxes);
    PortWrite(kProbe, 6);
    EXPECT_EQ(BoxesSince(7), writeBoxes);
    PortWrite(kProbe, 6);
    EXPECT_EQ(Boxes().size(), 10u);
    EXPECT_EQ(ProcessImage.ErrorMsgCount, 12);

    // Reads fail with a code that is neither 38 nor 997: silently.
    PortRead(ProcessImage.RxBuf, 30);
    EXPECT_EQ(ProcessImage.LastError, ERROR_INVALID_HANDLE);
    EXPECT_EQ(ProcessImage.ErrorMsgCount, 12);
    EXPECT_EQ(Boxes().size(), 10u);
}

}  // namespace
