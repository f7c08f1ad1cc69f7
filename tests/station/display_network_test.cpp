// The network window: the lamps of the nodes from the network map and the controller in
// service, and its green lamp opening the feedback box of the main window.

#include <set>
#include <vector>

#include "display_fixture.h"

namespace display_test {
namespace {

struct NetworkCase {
    std::vector<int> present;  // nodes the network map marks (NetNode = 1)
    int controllerNo;
    std::set<int> red;
    std::set<int> green;
};

const NetworkCase kNetworkCases[] = {
    {{3, 7}, 7, {3, 7}, {7}},
    {{}, 5, {}, {5}},
    {{}, 0, {}, {}},
    {{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14}, 14, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14}, {14}},
    {{2}, 15, {2}, {}},
    {{1}, -1, {1}, {}},
};

std::set<int> Shown(const std::array<vcl::TImage*, TForm4::kNodes>& lamps) {
    std::set<int> shown;
    for (int k = 1; k <= TForm4::kNodes; ++k)
        if (lamps[k - 1]->Visible()) shown.insert(k);
    return shown;
}

class NetworkLamps : public DisplayFixture, public ::testing::WithParamInterface<NetworkCase> {};

// The window is hidden here: its lamps follow the record all the same.
TEST_P(NetworkLamps, ShowTheMapInRedAndTheControllerInServiceInGreen) {
    const NetworkCase& c = GetParam();
    // From every lamp lit, so that each is seen to go out.
    for (int k = 1; k <= 14; ++k) ProcessImage.NetNode[k] = 1;
    ProcessImage.ControllerNo = c.controllerNo == 1 ? 2 : 1;
    backend.RunFor(Ms(450));
    ProcessImage.NetNode = {};
    for (int k : c.present) ProcessImage.NetNode[k] = 1;
    ProcessImage.ControllerNo = c.controllerNo;
    backend.RunFor(Ms(450));
    EXPECT_FALSE(Form4->Visible());
    EXPECT_EQ(Shown(Form4->RedLamps), c.red);
    EXPECT_EQ(Shown(Form4->GreenLamps), c.green);
}

INSTANTIATE_TEST_SUITE_P(Display, NetworkLamps, ::testing::ValuesIn(kNetworkCases));

TEST_F(DisplayFixture, OnlyAMapEntryOfOneLightsARedLamp) {
    ProcessImage.NetNode[4] = 2;
    ProcessImage.NetNode[5] = -1;
    ProcessImage.NetNode[6] = 1;
    backend.RunFor(Ms(450));
    EXPECT_EQ(Shown(Form4->RedLamps), std::set<int>{6});
}

TEST_F(DisplayFixture, TheNetworkButtonShowsTheWindowWithoutWaiting) {
    Form1->Show();
    const platform::Micros before = backend.Now();
    Form1->Button1->Click();
    EXPECT_TRUE(Form4->Visible());
    EXPECT_EQ(backend.Now(), before);
    EXPECT_TRUE(backend.Boxes().empty());
    Form1->Button1->Click();  // a second press leaves the one window shown
    EXPECT_TRUE(Form4->Visible());
}

// The green lamp of a node not in the map: a click opens the feedback box of the main window
// and changes nothing else.
TEST_F(DisplayFixture, AGreenLampOpensTheFeedbackBox) {
    Form1->Show();
    RunFastDisplay();
    ASSERT_FALSE(Form1->GroupBox6->Visible());
    Form1->Button1->Click();
    ProcessImage.ControllerNo = 5;
    backend.RunFor(Ms(450));
    ASSERT_TRUE(Form4->Remik5->Visible());

    const TProcessImage before = ProcessImage;
    Form4->Remik5->Click();
    EXPECT_EQ(ProcessImage.FeedbackPanel, 1);
    EXPECT_EQ(ProcessImage.ControllerNo, 5);
    EXPECT_EQ(ProcessImage.NetNode, before.NetNode);
    RunFastDisplay();
    EXPECT_TRUE(Form1->GroupBox6->Visible());

    Form4->Remik5->Click();  // again: the box stays until it is clicked on the main window
    backend.RunFor(Ms(1000));
    EXPECT_TRUE(Form1->GroupBox6->Visible());
    Form1->Image3->Click();
    RunFastDisplay();
    EXPECT_FALSE(Form1->GroupBox6->Visible());
}

// Every green lamp does the same, whichever node it stands for.
TEST_F(DisplayFixture, EveryGreenLampHasTheSameAction) {
    Form4->Show();
    for (int k = 1; k <= TForm4::kNodes; ++k) {
        ProcessImage.ControllerNo = k;
        ProcessImage.FeedbackPanel = 0;
        backend.RunFor(Ms(450));
        Form4->GreenLamps[k - 1]->Click();
        EXPECT_EQ(ProcessImage.FeedbackPanel, 1) << "Remik" << k;
        Form4->RedLamps[k - 1]->Show();
        ProcessImage.FeedbackPanel = 0;
        Form4->RedLamps[k - 1]->Click();
        EXPECT_EQ(ProcessImage.FeedbackPanel, 0) << "RemikVkl" << k;
    }
}

}  // namespace
}  // namespace display_test
