// The port vanishes mid-run: the station polls the simulated network on a real pseudo-terminal
// and another thread closes the far side while it runs (as a pulled USB adapter does: reads
// hang up, writes fail). Timers and pauses run in virtual time; the reads and writes on the
// dead descriptor are real, so a busy loop on it would show as real CPU time.

#include <time.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "reliability_fixture.h"
#include "sim/pty_server.h"

namespace reliability {
namespace {

const std::string kSystemCaption = "Ошибка->GetLastError(Возможно Сом порт не подключен, или обрыв лин. связи ";
const std::string kWriteCaption = "Не могу отправить байт";
const std::string kReadCaption = "Не могу получить данные с Ремиконта";
const std::string kLinkCaption = "       Шлюз не отвечает";

double Seconds(clockid_t clock) {
    timespec ts{};
    clock_gettime(clock, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

struct PortLoss : ::testing::Test {
    headless::HeadlessBackend backend;
    vcl::TApplication app{backend};
    std::unique_ptr<sim::PtyServer> server;

    void SetUp() override {
        ProcessImage = TProcessImage{};
        server = std::make_unique<sim::PtyServer>(Network(8, 8, {1, 2, 31, 32}, TimingMode::Instant));
        win32::SetPortPath("COM1", server->ServePty());
    }
    void TearDown() override {
        PortClose();
        app::DestroyStation(app);
        server.reset();
        win32::SetPortPath("COM1", "/dev/ttyS0");
    }
};

TEST_F(PortLoss, TheStationReportsWithinTheLimitKeepsRunningAndDoesNotSpin) {
    app::CreateStationForms(app);
    ASSERT_TRUE(backend.RunUntil([] { return Form1->Visible(); }, Ms(200)));
    ASSERT_EQ(ProcessImage.ControllerNo, 5);
    ASSERT_EQ(ProcessImage.CountB, 8);
    backend.ClearBoxes();
    backend.onBox = [](headless::OpenBox& box) { box.RunFor(Ms(3000)); };  // read, then OK
    long polls = 0, displays = 0;
    for (const auto& counted : {std::pair{Form1->Timer2, &polls}, std::pair{Form1->Timer1, &displays}}) {
        long* count = counted.second;
        auto handler = counted.first->OnTimer;
        counted.first->OnTimer = [handler, count] {
            ++*count;
            handler();
        };
    }

    // Once the line has worked, the far side goes away while the station polls on.
    std::atomic<bool> working = false, gone = false;
    std::thread puller([&] {
        const auto start = std::chrono::steady_clock::now();
        while (!working && std::chrono::steady_clock::now() - start < std::chrono::seconds(20))
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
        server.reset();
        gone = true;
    });
    const auto realStart = std::chrono::steady_clock::now();
    while (!gone && std::chrono::steady_clock::now() - realStart < std::chrono::seconds(30)) {
        backend.RunFor(Ms(500));
        if (ProcessImage.InputA[1] == 500) working = true;
    }
    puller.join();
    ASSERT_TRUE(working);
    ASSERT_TRUE(gone);
    const Micros lostAt = backend.Now();

    // Ten minutes of the station on a dead port.
    const long pollsBefore = polls, displaysBefore = displays;
    const std::int32_t countBefore = ProcessImage.ErrorMsgCount;
    const double cpu0 = Seconds(CLOCK_PROCESS_CPUTIME_ID), wall0 = Seconds(CLOCK_MONOTONIC);
    backend.RunFor(10 * kMinute);
    const double cpu = Seconds(CLOCK_PROCESS_CPUTIME_ID) - cpu0, wall = Seconds(CLOCK_MONOTONIC) - wall0;

    // Every write failed at once and was counted three times over (the system text, "Проблема",
    // "dwError != ERROR_IO_PENDING "); reads of a vanished device report nothing.
    const long failedWrites = (ProcessImage.ErrorMsgCount - countBefore) / 3;
    EXPECT_EQ((ProcessImage.ErrorMsgCount - countBefore) % 3, 0);
    EXPECT_GT(failedWrites, 300);
    const std::vector<headless::BoxRecord>& boxes = backend.Boxes();
    const auto system = BoxesCaptioned(boxes, kSystemCaption);
    const auto write = BoxesCaptioned(boxes, kWriteCaption);
    // Nine counted boxes, less any held back because eight boxes were open at the time.
    const std::size_t shown = system.size() + write.size();
    EXPECT_LE(shown, 9u);
    EXPECT_TRUE(shown == 9u || app.SuppressedBoxes() > 0) << shown;
    ASSERT_FALSE(system.empty());
    EXPECT_EQ(system[0].text, win32::SystemMessage(win32::ERROR_DEVICE_NOT_CONNECTED).value_or(""));
    EXPECT_EQ(boxes[0].caption, kSystemCaption);
    for (const headless::BoxRecord& b : write)
        EXPECT_TRUE(b.text == "Проблема" || b.text == "dwError != ERROR_IO_PENDING ") << b.text;
    EXPECT_TRUE(BoxesCaptioned(boxes, kReadCaption).empty());
    // The line is silent: the link box 102 s after the last reply and every 52 s after.
    const auto link = BoxesCaptioned(boxes, kLinkCaption);
    ASSERT_GE(link.size(), 8u);
    EXPECT_LE(link[0].openedAt, lostAt + Ms(110'000));
    for (std::size_t i = 1; i < link.size(); ++i) EXPECT_GE(link[i].openedAt - link[i - 1].openedAt, Ms(52'000));
    EXPECT_EQ(boxes.size(), shown + link.size());
    EXPECT_LE(backend.MaxDepth(), vcl::TApplication::kMaxOpenBoxes);

    // The timers kept their pace.
    EXPECT_GE(polls - pollsBefore, 1100);
    EXPECT_GE(displays - displaysBefore, 290);
    // No spinning on the dead descriptor: a read that polled it until its 40 ms were up would
    // burn 40 ms of CPU each time; these take next to nothing.
    EXPECT_LT(cpu, 0.002 * static_cast<double>(failedWrites) + 0.5) << failedWrites << " exchanges";
    EXPECT_LT(wall, 0.005 * static_cast<double>(failedWrites) + 2.0) << failedWrites << " exchanges";

    // The windows still answer the operator: the network window opens, and a write goes
    // through its twenty tries and read-backs on the dead port and hands the line back.
    Form1->Button1->Click();
    EXPECT_TRUE(Form4->Visible());
    Form1->koff1->Click();
    ASSERT_TRUE(Form1->Zadanie1->Visible());
    Form1->CS_koff1->SetValue(60);
    const std::int32_t countBeforeWrite = ProcessImage.ErrorMsgCount;
    Form1->OK_koff1->Click();
    EXPECT_FALSE(Form1->Zadanie1->Visible());
    EXPECT_EQ(ProcessImage.ErrorMsgCount - countBeforeWrite, 3 * (20 + 2));
    EXPECT_EQ(ProcessImage.BusyMode, 0);
    const long pollsAfterWrite = polls;
    backend.RunFor(Ms(10'000));
    EXPECT_GE(polls - pollsAfterWrite, 14);  // twenty, less those a loop-state run held back
    EXPECT_EQ(BoxesCaptioned(backend.Boxes(), kSystemCaption).size() +
                  BoxesCaptioned(backend.Boxes(), kWriteCaption).size(),
              shown);
}

}  // namespace
}  // namespace reliability
