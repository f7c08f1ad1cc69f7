// The program's windows: creation order, hand-over from the wait window, shut-down.

#include <gtest/gtest.h>

#include <stdexcept>

#include "app/no_error.h"
#include "app/station.h"
#include "app/status_windows.h"
#include "app/zagruzka.h"
#include "app/zastavka.h"
#include "console/read_write.h"
#include "network/oll.h"
#include "platform/headless/headless_backend.h"
#include "platform/win32/ports.h"
#include "state/process_image.h"

namespace {

using platform::Ms;

// A port with nothing behind it; remembers whether the station holds it open.
struct QuietPort : win32::VirtualDevice {
    void OnOpen() override {
        if (throwOnOpen) throw std::runtime_error("port driver failed");
        ++opens;
    }
    void OnClose() override { ++closes; }
    void OnWrite(std::span<const std::uint8_t>, platform::Micros, platform::Micros) override {}
    bool throwOnOpen = false;
    int opens = 0;
    int closes = 0;
};

struct AppShell : ::testing::Test {
    headless::HeadlessBackend backend;
    vcl::TApplication app{backend};
    std::shared_ptr<QuietPort> port = std::make_shared<QuietPort>();

    void SetUp() override {
        ProcessImage = TProcessImage{};
        win32::RegisterVirtualDevice("COM1", port);
    }
    void TearDown() override {
        app::DestroyStation(app);
        win32::UnregisterVirtualDevice("COM1");
    }
};

TEST_F(AppShell, WindowsAreCreatedInOrderWithTheWaitWindowAsMainForm) {
    app::CreateStationForms(app);
    ASSERT_EQ(app.Forms().size(), 5u);
    EXPECT_EQ(app.Forms()[0].get(), Form5);
    EXPECT_EQ(app.Forms()[1].get(), Form1);
    EXPECT_EQ(app.Forms()[2].get(), Form2);
    EXPECT_EQ(app.Forms()[3].get(), Form3);
    EXPECT_EQ(app.Forms()[4].get(), Form4);
    EXPECT_EQ(app.MainForm(), Form5);
    // The wait window was painted before the main window's creation ran discovery.
    EXPECT_EQ(backend.PaintCount(*Form5), 1);
    EXPECT_TRUE(Form5->Visible());
    EXPECT_EQ(Form5->Caption(), "Идет анализ схемы Ремиконта");
    EXPECT_FALSE(Form1->Visible());
    EXPECT_FALSE(Form2->Visible());
    EXPECT_FALSE(Form3->Visible());
    EXPECT_FALSE(Form4->Visible());
    EXPECT_EQ(port->opens, 1);
}

TEST_F(AppShell, HandOverComesWithinOneTickAfterStartupDone) {
    app::CreateStationForms(app);
    const platform::Micros created = backend.Now();
    ASSERT_TRUE(backend.RunUntil([] { return Form1->Visible(); }, Ms(100)));
    EXPECT_LE(backend.Now() - created, Ms(100));
    EXPECT_FALSE(Form5->Visible());
    EXPECT_EQ(ProcessImage.StartupDone, 0);
    EXPECT_EQ(ProcessImage.ShutdownNotice, 1);
    // The hidden wait window has already become the shut-down notice.
    EXPECT_EQ(Form5->Caption(), "Заканчиваем работу  !!!");
    EXPECT_FALSE(Form5->Label1->Visible());
}

TEST_F(AppShell, WithoutStartupDoneTheWaitWindowStays) {
    app::CreateStationForms(app);
    ProcessImage.StartupDone = 0;  // as if discovery had not reached its end
    ProcessImage.ShutdownNotice = 0;
    Form1->Hide();
    Form5->Show();
    backend.RunFor(Ms(5000));
    EXPECT_TRUE(Form5->Visible());
    EXPECT_FALSE(Form1->Visible());
    EXPECT_EQ(Form5->Caption(), "Идет анализ схемы Ремиконта");
    EXPECT_TRUE(Form5->Label1->Visible());
}

TEST_F(AppShell, ClosingTheMainWindowBringsBackTheWaitWindowAndPollingGoesOn) {
    app::CreateStationForms(app);
    backend.RunFor(Ms(100));
    ASSERT_TRUE(Form1->Visible());

    int polls = 0;
    auto poll = Form1->Timer2->OnTimer;
    Form1->Timer2->OnTimer = [&] { ++polls; poll(); };
    Form1->Close();
    EXPECT_FALSE(Form1->Visible());
    EXPECT_TRUE(Form5->Visible());
    EXPECT_EQ(Form5->Caption(), "Заканчиваем работу  !!!");
    EXPECT_FALSE(Form5->Label1->Visible());
    EXPECT_FALSE(app.Terminated());

    backend.RunFor(Ms(5000));
    EXPECT_EQ(polls, 10);
    EXPECT_EQ(port->closes, 0);  // the port stays open until the wait window closes
}

TEST_F(AppShell, ClosingTheWaitWindowClosesThePortAndEndsTheProgram) {
    app::CreateStationForms(app);
    backend.RunFor(Ms(100));
    Form1->Close();
    Form5->Close();
    EXPECT_EQ(port->closes, 1);
    EXPECT_TRUE(app.Terminated());
    EXPECT_TRUE(port->isOpen == false);
}

TEST_F(AppShell, NoAnswerWindowRearmsEverySixtySecondsFromItsCreation) {
    app::CreateStationForms(app);
    ProcessImage.LinkWindowArmed = 0;
    backend.RunFor(Ms(59'999));
    EXPECT_EQ(ProcessImage.LinkWindowArmed, 0);
    backend.RunFor(Ms(1));
    EXPECT_EQ(ProcessImage.LinkWindowArmed, 1);
}

TEST_F(AppShell, StatusWindowsAskedForBeforeTheyExistAreShownOnceCreated) {
    app::ShowNoAnswerWindow();
    app::ShowCommandAcceptedWindow();
    app::CreateStationForms(app);
    EXPECT_TRUE(Form2->Visible());
    EXPECT_TRUE(Form3->Visible());
    // One click anywhere closes the command-accepted window; the photograph closes the other.
    Form3->RxGIFAnimator1->Click();
    EXPECT_FALSE(Form3->Visible());
    Form2->Image1->Click();
    EXPECT_FALSE(Form2->Visible());
}

TEST(AppShellRun, AnExceptionEscapingStartUpIsShownAndEndsWithAFailureStatus) {
    headless::HeadlessBackend backend;
    vcl::TApplication app(backend);
    auto port = std::make_shared<QuietPort>();
    port->throwOnOpen = true;
    win32::RegisterVirtualDevice("COM1", port);
    ProcessImage = TProcessImage{};
    const int status = app::RunStation(app);
    win32::UnregisterVirtualDevice("COM1");
    EXPECT_EQ(status, 1);
    ASSERT_EQ(backend.Exceptions().size(), 1u);
    EXPECT_EQ(backend.Exceptions()[0], "port driver failed");
    EXPECT_EQ(Form1, nullptr);
}

}  // namespace
