// The fast display of the main window (editor previews, loop parameters, exchange lamps, the
// feedback box) and the operator's choice of full scale.

#include <optional>
#include <string>

#include "console/scale.h"
#include "display_fixture.h"

namespace display_test {
namespace {

TEST_F(DisplayFixture, PreviewsShowTheSpinValueAsAPercentageOfTheScale) {
    ProcessImage.Scale = 5.0f;
    RunFastDisplay();
    // The editors' start values.
    for (const console::LoopControls& loop : Form1->Loops) {
        EXPECT_EQ(loop.setpoint.preview->Caption(), "2.50") << "loop " << loop.loop;
        EXPECT_EQ(loop.setting.preview->Caption(), "0.50") << "loop " << loop.loop;
    }

    // Each preview follows its own spin edit.
    ProcessImage.Scale = 100.0f;
    for (console::LoopControls& loop : Form1->Loops) {
        loop.setpoint.spin->SetValue(10 * loop.loop);
        loop.setting.spin->SetValue(loop.loop);
    }
    RunFastDisplay();
    for (const console::LoopControls& loop : Form1->Loops) {
        EXPECT_EQ(loop.setpoint.preview->Caption(), std::to_string(10 * loop.loop) + ".00");
        EXPECT_EQ(loop.setting.preview->Caption(), std::to_string(loop.loop) + ".00");
    }

    vcl::DecimalSeparator = ',';
    ProcessImage.Scale = 20.0f;
    Form1->CS_koff4->SetValue(98);
    Form1->CS_koff41->SetValue(1);
    RunFastDisplay();
    EXPECT_EQ(Form1->nastr_koff4->Caption(), "19,60");
    EXPECT_EQ(Form1->nastr_koff41->Caption(), "0,20");
}

// Loop parameters are 1/4096 of full scale (inputs 1/8192).
TEST_F(DisplayFixture, LoopParametersShowAsLastRead) {
    ProcessImage.Scale = 100.0f;
    RunFastDisplay();
    for (const console::LoopControls& loop : Form1->Loops) {
        EXPECT_EQ(loop.setpoint.value->Caption(), "0.00") << "loop " << loop.loop;
        EXPECT_EQ(loop.setting.value->Caption(), "0.00") << "loop " << loop.loop;
    }
    for (int k = 1; k <= 4; ++k) {
        ProcessImage.LoopSetpoint[k] = 1024 * k;  // 25 x k per cent
        ProcessImage.LoopUstavka[k] = 41 * k;     // k per cent, near enough
    }
    RunFastDisplay();
    const char* setpoints[] = {"25.00", "50.00", "75.00", "100.00"};
    const char* settings[] = {"1.00", "2.00", "3.00", "4.00"};
    for (const console::LoopControls& loop : Form1->Loops) {
        EXPECT_EQ(loop.setpoint.value->Caption(), setpoints[loop.loop - 1]) << "loop " << loop.loop;
        EXPECT_EQ(loop.setting.value->Caption(), settings[loop.loop - 1]) << "loop " << loop.loop;
        // Written whatever the loop's state: these loops are out of use.
        EXPECT_EQ(ProcessImage.LoopState[loop.loop], 0);
    }
}

struct LampCase {
    int rx, tx;
    bool priemZ, priemK, peredZ, peredK;
};

const LampCase kLampCases[] = {
    {0, 0, false, true, false, true},
    {1, 0, true, false, false, true},
    {0, 1, false, true, true, false},
    {1, 1, true, false, true, false},
};

class ExchangeLamps : public DisplayFixture, public ::testing::WithParamInterface<LampCase> {};

TEST_P(ExchangeLamps, ShowGreenOrRedByTheirFlags) {
    const LampCase& c = GetParam();
    // From the opposite state, so that every lamp is seen to change.
    ProcessImage.RxLamp = 1 - c.rx;
    ProcessImage.TxLamp = 1 - c.tx;
    RunFastDisplay();
    ProcessImage.RxLamp = c.rx;
    ProcessImage.TxLamp = c.tx;
    RunFastDisplay();
    EXPECT_EQ(Form1->PriemZ->Visible(), c.priemZ);
    EXPECT_EQ(Form1->PriemK->Visible(), c.priemK);
    EXPECT_EQ(Form1->PeredZ->Visible(), c.peredZ);
    EXPECT_EQ(Form1->PeredK->Visible(), c.peredK);
}

INSTANTIATE_TEST_SUITE_P(Display, ExchangeLamps, ::testing::ValuesIn(kLampCases));

TEST_F(DisplayFixture, TheFeedbackBoxComesAndGoesWithItsFlag) {
    Form1->Show();
    EXPECT_TRUE(Form1->GroupBox6->Visible());  // as created
    RunFastDisplay();
    EXPECT_FALSE(Form1->GroupBox6->Visible());

    for (vcl::TControl* closer : {static_cast<vcl::TControl*>(Form1->GroupBox6),
                                  static_cast<vcl::TControl*>(Form1->Image3)}) {
        ProcessImage.FeedbackPanel = 1;
        RunFastDisplay();
        ASSERT_TRUE(Form1->GroupBox6->Visible());
        closer->Click();
        EXPECT_EQ(ProcessImage.FeedbackPanel, 0) << closer->Name();
        RunFastDisplay();
        EXPECT_FALSE(Form1->GroupBox6->Visible()) << closer->Name();
    }
}

struct ScaleCase {
    char separator;
    int item;
    const char* caption;
    float scale;
};

const ScaleCase kScaleCases[] = {
    {',', 0, "100", 100.0f}, {',', 1, "20,0", 20.0f}, {',', 2, "5,0", 5.0f},
    {'.', 0, "100", 100.0f}, {'.', 1, "20,0", 20.0f}, {'.', 2, "5,0", 5.0f},
};

class ScaleChoice : public DisplayFixture, public ::testing::WithParamInterface<ScaleCase> {};

TEST_P(ScaleChoice, SetsTheCaptionAndTheScaleUnderAnySeparator) {
    const ScaleCase& c = GetParam();
    vcl::DecimalSeparator = c.separator;
    Form1->Show();
    ProcessImage.Scale = 1.0f;
    ASSERT_FALSE(Form1->ListBox1->Visible());
    Form1->Shkala->Click();
    ASSERT_TRUE(Form1->ListBox1->Visible());
    Form1->ListBox1->ClickItem(c.item);
    EXPECT_FALSE(Form1->ListBox1->Visible());
    EXPECT_EQ(Form1->Shkala->Caption(), c.caption);
    EXPECT_EQ(ProcessImage.Scale, c.scale);
    EXPECT_TRUE(backend.Boxes().empty());
}

INSTANTIATE_TEST_SUITE_P(Display, ScaleChoice, ::testing::ValuesIn(kScaleCases));

// The list's texts are its own; what the displays show keeps the system's separator.
TEST_F(DisplayFixture, DisplaysFollowANewScaleWithTheSystemSeparator) {
    vcl::DecimalSeparator = ',';
    Form1->Show();
    ProcessImage.Scale = 5.0f;
    ProcessImage.InputA[1] = 4096;
    ProcessImage.LoopSetpoint[1] = 2048;
    RunValueDisplay();
    ASSERT_EQ(Form1->TIT1->Caption(), "2,50");
    EXPECT_EQ(Form1->ListBox1->Items(), (std::vector<std::string>{"100.0", "20.0", "5.0"}));

    Form1->Shkala->Click();
    Form1->ListBox1->ClickItem(1);
    RunFastDisplay();
    EXPECT_EQ(Form1->koff1->Caption(), "10,00");
    EXPECT_EQ(Form1->nastr_koff1->Caption(), "10,00");
    backend.RunFor(Ms(1800));
    EXPECT_EQ(Form1->TIT1->Caption(), "10,00");
}

TEST_F(DisplayFixture, AListClickWithoutASelectionKeepsTheCaption) {
    Form1->Show();
    Form1->Shkala->Click();
    Form1->ListBox1->ClickItem(-1);
    EXPECT_FALSE(Form1->ListBox1->Visible());
    EXPECT_EQ(Form1->Shkala->Caption(), "5,0");
    EXPECT_EQ(ProcessImage.Scale, 5.0f);  // read again from the caption
}

struct CaptionCase {
    const char* text;
    std::optional<float> scale;
};

const CaptionCase kCaptionCases[] = {
    {"100", 100.0f}, {"20,0", 20.0f}, {"5,0", 5.0f}, {"20.0", 20.0f}, {" 5,0 ", 5.0f}, {"0,5", 0.5f},
    {"", std::nullopt}, {",", std::nullopt}, {"5,0,0", std::nullopt}, {"5;0", std::nullopt},
    {"abc", std::nullopt}, {"5,0x", std::nullopt},
};

TEST(ScaleFromCaption, ReadsCommaAndPointAlikeWhateverTheSystemSeparator) {
    const char saved = vcl::DecimalSeparator;
    for (char separator : {',', '.'}) {
        vcl::DecimalSeparator = separator;
        for (const CaptionCase& c : kCaptionCases)
            EXPECT_EQ(console::ScaleFromCaption(c.text), c.scale) << "'" << c.text << "' under " << separator;
    }
    vcl::DecimalSeparator = saved;
}

}  // namespace
}  // namespace display_test
