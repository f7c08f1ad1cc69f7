// The value display of the main window: input values, labels in use, the loops' mode pictures
// and the warning about a silent gateway, from process-image states.

#include <string>
#include <vector>

#include "display_fixture.h"

namespace display_test {
namespace {

struct ValueCase {
    float scale;
    int raw;
    char separator;
    const char* text;
};

// Raw inputs are 1/8192 of full scale; the text is rounded once to the coarser of four
// significant digits and two decimals.
const ValueCase kValueCases[] = {
    {5.0f, 4096, '.', "2.50"},
    {5.0f, 4096, ',', "2,50"},
    {100.0f, 8192, '.', "100.00"},
    {100.0f, 1234, '.', "15.06"},    // 15.0634...
    {100.0f, 16000, '.', "195.30"},  // 195.3125: four digits, not two decimals
    {20.0f, 8191, '.', "20.00"},     // 19.9975... rounds up into a new digit
    {100.0f, 1, '.', "0.01"},
    {5.0f, -4096, ',', "-2,50"},
    {0.0f, 4096, '.', "0.00"},       // no scale yet
};

class ValueText : public DisplayFixture, public ::testing::WithParamInterface<ValueCase> {};

TEST_P(ValueText, EveryScaledInputShowsTheSameText) {
    const ValueCase& c = GetParam();
    vcl::DecimalSeparator = c.separator;
    TProcessImage& pi = ProcessImage;
    pi.Scale = c.scale;
    pi.GroupBKind = 1;
    for (int k = 1; k <= 8; ++k) pi.InputA[k] = pi.InputB[k] = c.raw;
    for (int k = 9; k <= 15; ++k) pi.InputBUpper[k] = c.raw;
    RunValueDisplay();
    for (int k = 1; k <= 8; ++k) EXPECT_EQ(Form1->InputALabels[k - 1]->Caption(), c.text) << "TIT" << k;
    for (int k = 1; k <= 15; ++k) EXPECT_EQ(Form1->InputBLabels[k - 1]->Caption(), c.text) << "TC" << k;
    EXPECT_EQ(Form1->TC16->Caption(), "0.0");
}

INSTANTIATE_TEST_SUITE_P(Display, ValueText, ::testing::ValuesIn(kValueCases));

// Scale 16 makes input k at 512 x k read "k.00", so each label shows which input it took.
TEST_F(DisplayFixture, EachInputLabelShowsItsOwnInput) {
    TProcessImage& pi = ProcessImage;
    pi.Scale = 16.0f;
    for (int k = 1; k <= 8; ++k) pi.InputA[k] = 512 * k;
    for (int k = 1; k <= 8; ++k) pi.InputB[k] = 512 * k;
    for (int k = 9; k <= 15; ++k) pi.InputBUpper[k] = 512 * k;

    pi.GroupBKind = 1;  // analog group B
    RunValueDisplay();
    for (int k = 1; k <= 8; ++k) EXPECT_EQ(Form1->InputALabels[k - 1]->Caption(), std::to_string(k) + ".00");
    for (int k = 1; k <= 15; ++k) EXPECT_EQ(Form1->InputBLabels[k - 1]->Caption(), std::to_string(k) + ".00");

    pi.GroupBKind = 0;  // discrete group B: the stored integers as they are
    for (int k = 1; k <= 8; ++k) pi.InputB[k] = k;
    for (int k = 9; k <= 15; ++k) pi.InputBUpper[k] = k;
    RunValueDisplay();
    for (int k = 1; k <= 15; ++k) EXPECT_EQ(Form1->InputBLabels[k - 1]->Caption(), std::to_string(k));
    EXPECT_EQ(Form1->TC16->Caption(), "0.0");
}

TEST_F(DisplayFixture, GroupBCaptionsWaitUntilTheKindIsKnown) {
    TProcessImage& pi = ProcessImage;
    pi.Scale = 100.0f;
    pi.CountB = 15;
    for (int k = 1; k <= 8; ++k) pi.InputB[k] = 4096;
    for (int k = 9; k <= 15; ++k) pi.InputBUpper[k] = 4096;
    pi.InputA[1] = 4096;
    RunValueDisplay();  // GroupBKind still 3
    EXPECT_EQ(Form1->TIT1->Caption(), "50.00");
    for (int k = 1; k <= 16; ++k) EXPECT_EQ(Form1->InputBLabels[k - 1]->Caption(), "0.0") << "TC" << k;
    EXPECT_TRUE(Form1->GroupBox4->Visible());  // the box and enabling do not wait
    EXPECT_TRUE(Form1->TC15->Enabled());
}

struct CountCase {
    int countA;
    int countB;
};

const CountCase kCountCases[] = {{3, 5}, {8, 12}, {0, 0}, {8, 15}, {1, 9}, {8, 8}};

class LabelsInUse : public DisplayFixture, public ::testing::WithParamInterface<CountCase> {};

// Labels of inputs the controller does not have are greyed, yet still written.
TEST_P(LabelsInUse, FollowTheCountsOfBothGroups) {
    const CountCase& c = GetParam();
    TProcessImage& pi = ProcessImage;
    pi.CountA = c.countA;
    pi.CountB = c.countB;
    pi.Scale = 5.0f;
    for (int k = 1; k <= 8; ++k) pi.InputA[k] = 4096;
    pi.GroupBKind = 1;
    for (int k = 1; k <= 8; ++k) pi.InputB[k] = 8192;
    for (int k = 9; k <= 15; ++k) pi.InputBUpper[k] = 8192;
    RunValueDisplay();
    for (int k = 1; k <= 8; ++k) {
        EXPECT_EQ(Form1->InputALabels[k - 1]->Enabled(), k <= c.countA) << "TIT" << k;
        EXPECT_EQ(Form1->InputALabels[k - 1]->Caption(), "2.50") << "TIT" << k;
    }
    for (int k = 1; k <= 15; ++k) {
        EXPECT_EQ(Form1->InputBLabels[k - 1]->Enabled(), k <= c.countB) << "TC" << k;
        EXPECT_EQ(Form1->InputBLabels[k - 1]->Caption(), "5.00") << "TC" << k;
    }
    EXPECT_TRUE(Form1->TC16->Enabled());
    EXPECT_EQ(Form1->TC16->Caption(), "0.0");
    EXPECT_EQ(Form1->GroupBox4->Visible(), c.countB > 8);
}

INSTANTIATE_TEST_SUITE_P(Display, LabelsInUse, ::testing::ValuesIn(kCountCases));

TEST_F(DisplayFixture, TheSecondGroupBBoxOnceShownStaysShown) {
    ProcessImage.CountB = 12;
    RunValueDisplay();
    ASSERT_TRUE(Form1->GroupBox4->Visible());
    ProcessImage.CountB = 5;
    RunValueDisplay();
    EXPECT_TRUE(Form1->GroupBox4->Visible());
    EXPECT_FALSE(Form1->TC9->Enabled());
}

// What the loop box of one loop shows.
struct LoopView {
    bool LU, BS, PS, DU, Mestn, Dispetch, labels;
    bool operator==(const LoopView&) const = default;
};

std::ostream& operator<<(std::ostream& os, const LoopView& v) {
    return os << "LU " << v.LU << " BS " << v.BS << " PS " << v.PS << " DU " << v.DU << " Mestn " << v.Mestn
              << " Dispetch " << v.Dispetch << " labels " << v.labels;
}

LoopView ViewOf(const console::LoopControls& loop) {
    return {loop.LU->Visible(),    loop.BS->Visible(),       loop.PS->Visible(),
            loop.DU->Visible(),    loop.Mestn->Visible(),    loop.Dispetch->Visible(),
            loop.setpoint.value->Enabled() && loop.setting.value->Enabled()};
}

struct ModeCase {
    int state;
    int inputB;  // discrete input of the loop: 0 local, 1 dispatcher
    LoopView view;
};

constexpr LoopView kOutOfUse{false, false, false, false, false, false, false};

const ModeCase kModeCases[] = {
    {0, 0, kOutOfUse},
    {0, 1, kOutOfUse},
    {10, 1, kOutOfUse},
    {10, 0, kOutOfUse},
    {1, 0, {true, true, false, false, true, false, true}},
    {1, 1, {true, true, false, false, false, true, true}},
    {2, 0, {true, false, true, false, true, false, true}},
    {31, 1, {false, true, false, true, false, true, true}},
    {31, 0, {false, true, false, true, true, false, true}},
    {32, 0, {false, false, true, true, true, false, true}},
    {32, 1, {false, false, true, true, false, true, true}},
};

class LoopPictures : public DisplayFixture, public ::testing::WithParamInterface<ModeCase> {};

// Each state on each loop in turn, after each of two states that light the other lamps, so
// that every lamp is seen both turned on and turned off. The other loops stay out of use.
TEST_P(LoopPictures, FollowTheLoopStateAndTheDiscreteInput) {
    const ModeCase& c = GetParam();
    TProcessImage& pi = ProcessImage;
    pi.GroupBKind = 0;
    for (int loop = 1; loop <= 4; ++loop) {
        for (const auto& [before, input] : {std::pair{1, 1}, std::pair{32, 0}}) {
            pi.LoopState[loop] = before;
            pi.InputB[loop] = input;
            RunValueDisplay();
            pi.LoopState[loop] = c.state;
            pi.InputB[loop] = c.inputB;
            RunValueDisplay();
            for (int other = 1; other <= 4; ++other)
                EXPECT_EQ(ViewOf(Form1->Loops[other - 1]), other == loop ? c.view : kOutOfUse)
                    << "loop " << other << " with loop " << loop << " in state " << c.state << " after "
                    << before;
        }
        pi.LoopState[loop] = 0;
        pi.InputB[loop] = 0;
    }
}

INSTANTIATE_TEST_SUITE_P(Display, LoopPictures, ::testing::ValuesIn(kModeCases));

// The loops follow the process image only while group B is discrete; otherwise they keep what
// they showed last, at first the window's initial state.
TEST_F(DisplayFixture, LoopsChangeOnlyWhileGroupBIsDiscrete) {
    TProcessImage& pi = ProcessImage;
    pi.LoopState[2] = 31;
    pi.InputB[2] = 1;
    const LoopView initial{false, false, false, false, false, false, true};
    for (int kind : {3, 1}) {
        pi.GroupBKind = kind;
        RunValueDisplay();
        EXPECT_EQ(ViewOf(Form1->Loops[1]), initial) << "kind " << kind;
        EXPECT_EQ(ViewOf(Form1->Loops[0]), initial) << "kind " << kind;
    }
    pi.GroupBKind = 0;
    RunValueDisplay();
    const LoopView remote31{false, true, false, true, false, true, true};
    EXPECT_EQ(ViewOf(Form1->Loops[1]), remote31);
    EXPECT_EQ(ViewOf(Form1->Loops[0]), kOutOfUse);

    pi.GroupBKind = 1;
    pi.LoopState[2] = 10;
    pi.InputB[2] = 0;
    RunValueDisplay();
    EXPECT_EQ(ViewOf(Form1->Loops[1]), remote31);
}

TEST_F(DisplayFixture, ADisabledLoopLabelTakesNoClick) {
    Form1->Show();
    int clicks = 0;
    Form1->koff3->OnClick = [&] { ++clicks; };
    ProcessImage.GroupBKind = 0;
    ProcessImage.LoopState[3] = 10;
    RunValueDisplay();
    Form1->koff3->Click();
    EXPECT_EQ(clicks, 0);
    ProcessImage.LoopState[3] = 2;
    RunValueDisplay();
    Form1->koff3->Click();
    EXPECT_EQ(clicks, 1);
}

// The warning box: text, caption with seven leading blanks, OK only and no icon.
void ExpectLinkWarning(const headless::BoxRecord& box) {
    EXPECT_EQ(box.kind, vcl::BoxKind::Application);
    EXPECT_EQ(box.text, "Проблема с линией связи");
    EXPECT_EQ(box.caption, "       Шлюз не отвечает");
    EXPECT_EQ(box.flags, 0u);
}

TEST_F(DisplayFixture, ASilentGatewayIsReportedOnThe51stRunAndEvery26RunsAfter) {
    const platform::Micros start = backend.Now();
    backend.RunFor(Ms(50 * 2000));
    EXPECT_TRUE(backend.Boxes().empty());
    EXPECT_EQ(ProcessImage.NoReplyCount, 50);

    backend.RunFor(Ms(2000));
    ASSERT_EQ(backend.Boxes().size(), 1u);
    ExpectLinkWarning(backend.Boxes()[0]);
    EXPECT_EQ(backend.Boxes()[0].openedAt - start, Ms(102000));
    EXPECT_EQ(ProcessImage.NoReplyCount, 25);

    backend.RunFor(Ms(25 * 2000));
    EXPECT_EQ(backend.Boxes().size(), 1u);
    backend.RunFor(Ms(2 * 26 * 2000 - 25 * 2000));
    ASSERT_EQ(backend.Boxes().size(), 3u);
    EXPECT_EQ(backend.Boxes()[1].openedAt - start, Ms(154000));
    EXPECT_EQ(backend.Boxes()[2].openedAt - start, Ms(206000));
    ExpectLinkWarning(backend.Boxes()[2]);
}

TEST_F(DisplayFixture, AnAcceptedReplyPutsTheWarningOff) {
    backend.RunFor(Ms(40 * 2000));
    ProcessImage.NoReplyCount = 0;  // what a decoder does with a reply it accepts
    backend.RunFor(Ms(50 * 2000));
    EXPECT_TRUE(backend.Boxes().empty());
    backend.RunFor(Ms(2000));
    EXPECT_EQ(backend.Boxes().size(), 1u);
}

// The box is modal for the operator only: the display goes on inside it, and a silence that
// lasts opens the next box on top of the first.
TEST_F(DisplayFixture, TheDisplayRunsOnWhileTheWarningIsOpen) {
    ProcessImage.NoReplyCount = 50;
    ProcessImage.Scale = 5.0f;
    std::string shownInsideTheBox;
    backend.onBox = [&](headless::OpenBox& box) {
        if (box.Depth() > 1) return;
        ProcessImage.InputA[1] = 4096;
        box.RunFor(Ms(26 * 2000));
        shownInsideTheBox = Form1->TIT1->Caption();
    };
    RunValueDisplay();
    ASSERT_EQ(backend.Boxes().size(), 2u);
    EXPECT_EQ(backend.Boxes()[1].depth, 2);
    EXPECT_EQ(shownInsideTheBox, "2.50");
}

}  // namespace
}  // namespace display_test
