#include "platform/headless/headless_backend.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/win32/win32.h"

namespace {

using platform::Ms;

// A form with two timers that log when they fire; the first may block or open a box.
struct TimedForm : vcl::TForm {
    explicit TimedForm(vcl::TApplication& app) : vcl::TForm(app, "TimedForm") {
        fast = MakeTimer("Fast", 100, [this] { log.push_back("fast@" + Now()); if (onFast) onFast(); });
        slow = MakeTimer("Slow", 250, [this] { log.push_back("slow@" + Now()); });
    }
    std::string Now() const { return std::to_string(platform::CurrentClock().Now() / 1000); }
    vcl::TTimer* fast;
    vcl::TTimer* slow;
    std::vector<std::string> log;
    std::function<void()> onFast;
};

struct HeadlessFixture : ::testing::Test {
    headless::HeadlessBackend backend;
    vcl::TApplication app{backend};
    TimedForm* form = nullptr;
    void SetUp() override { app.CreateForm(form); }
};

TEST_F(HeadlessFixture, TimersFireInDueOrder) {
    backend.RunFor(Ms(500));
    EXPECT_EQ(form->log, (std::vector<std::string>{"fast@100", "fast@200", "slow@250", "fast@300",
                                                   "fast@400", "fast@500", "slow@500"}));
}

TEST_F(HeadlessFixture, AnOverdueTimerFiresOnceNotOncePerMissedInterval) {
    bool blocked = false;
    form->onFast = [&] {
        if (!blocked) {
            blocked = true;
            win32::Sleep(1000);  // the thread is blocked from 100 to 1100 ms
        }
    };
    backend.RunFor(Ms(1200));
    // Both fell due while blocked; each fires once, in the order they fell due.
    EXPECT_EQ(form->log, (std::vector<std::string>{"fast@100", "fast@1100", "slow@1100", "fast@1200"}));
}

TEST_F(HeadlessFixture, TimersKeepFiringInsideAMessageBoxAndMayReenter) {
    int opened = 0;
    form->onFast = [&] {
        if (opened < 2) {
            ++opened;
            app.MessageBox("text", "caption", 16);
        }
    };
    backend.onBox = [](headless::OpenBox& box) { box.RunFor(Ms(150)); };
    backend.RunFor(Ms(100));
    ASSERT_EQ(backend.Boxes().size(), 2u);
    EXPECT_EQ(backend.Boxes()[0].depth, 1);
    EXPECT_EQ(backend.Boxes()[1].depth, 2);  // the same timer fired again inside the first box
    EXPECT_EQ(backend.Boxes()[1].openedAt, Ms(200));
    EXPECT_EQ(backend.Boxes()[1].closedAt, Ms(350));
    EXPECT_EQ(backend.Boxes()[0].closedAt, Ms(350));
    EXPECT_EQ(backend.MaxDepth(), 2);
}

TEST_F(HeadlessFixture, BoxesNestAtMostEightDeep) {
    // A timer that opens a box on every tick, with the operator never answering: without a
    // bound the boxes would nest until the stack overflows.
    int asked = 0;
    form->onFast = [&] {
        ++asked;
        app.MessageBox("Проблема", "caption", 16);
    };
    backend.onBox = [](headless::OpenBox& box) { box.RunFor(Ms(1000)); };
    backend.RunFor(Ms(100));
    EXPECT_EQ(backend.MaxDepth(), vcl::TApplication::kMaxOpenBoxes);
    EXPECT_EQ(backend.Boxes().size(), 8u);
    EXPECT_GT(asked, 8);
    EXPECT_EQ(app.SuppressedBoxes(), asked - 8);
    EXPECT_EQ(app.OpenBoxes(), 0);
    // Once the boxes are closed, boxes open again.
    backend.onBox = nullptr;
    backend.RunFor(Ms(100));
    EXPECT_EQ(backend.Boxes().size(), 9u);
    EXPECT_EQ(backend.Boxes().back().depth, 1);
}

TEST_F(HeadlessFixture, MessageBoxAOfTheSystemIsRecordedAsSuch) {
    win32::MessageBoxA(nullptr, "system text", "system caption", win32::MB_ICONERROR);
    app.MessageBox("app text", "app caption", 16);
    ASSERT_EQ(backend.Boxes().size(), 2u);
    EXPECT_EQ(backend.Boxes()[0].kind, vcl::BoxKind::System);
    EXPECT_EQ(backend.Boxes()[0].text, "system text");
    EXPECT_EQ(backend.Boxes()[1].kind, vcl::BoxKind::Application);
    EXPECT_EQ(backend.Boxes()[1].caption, "app caption");
}

TEST_F(HeadlessFixture, ADisabledTimerStandsStillAndRestartsFromItsEnabling) {
    form->fast->SetEnabled(false);
    backend.RunFor(Ms(300));
    form->fast->SetEnabled(true);
    backend.RunFor(Ms(100));
    EXPECT_EQ(form->log, (std::vector<std::string>{"slow@250", "fast@400"}));
}

TEST_F(HeadlessFixture, ClosingTheMainFormEndsTheLoop) {
    form->onFast = [&] { form->Close(); };
    backend.Run();
    EXPECT_TRUE(app.Terminated());
    EXPECT_EQ(platform::CurrentClock().Now(), Ms(100));
}

struct ControlsFixture : HeadlessFixture {};

TEST_F(ControlsFixture, ClicksReachOnlyShowingEnabledControls) {
    form->Show();
    auto* box = form->Make<vcl::TGroupBox>(form, "Box");
    auto* label = form->Make<vcl::TLabel>(box, "Label");
    int clicks = 0;
    label->OnClick = [&] { ++clicks; };
    label->Click();
    EXPECT_EQ(clicks, 1);
    label->SetEnabled(false);
    label->Click();
    label->SetEnabled(true);
    box->Hide();
    label->Click();
    box->Show();
    box->SetEnabled(false);
    label->Click();
    EXPECT_EQ(clicks, 1);
}

TEST(SpinEdit, ValueIsKeptInItsRange) {
    headless::HeadlessBackend backend;
    vcl::TApplication app(backend);
    TimedForm* form = nullptr;
    app.CreateForm(form);
    auto* spin = form->Make<vcl::TCSpinEdit>(form, "Spin");
    spin->SetRange(2, 98);
    spin->SetValue(50);
    EXPECT_EQ(spin->Value(), 50);
    spin->SetValue(1);
    EXPECT_EQ(spin->Value(), 2);
    spin->SetValue(120);
    EXPECT_EQ(spin->Value(), 98);
}

}  // namespace
