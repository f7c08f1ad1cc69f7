// The network window on the Qt backend: its lamps in place, the red lamp over the green one,
// a click on a green lamp opening the feedback box of the main window, and a screenshot.

#include <QLabel>
#include <QTest>

#include <string>

#include "station_windows.h"

namespace gui_test {
namespace {

TEST_F(MainAndNetworkWindows, EveryControlOfTheNetworkWindowIsInItsPlace) {
    QWidget* window = WidgetOf(*Form4);
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Вся сеть ТРАНЗИТ"));
    EXPECT_EQ(window->minimumSize(), QSize(356, 64));
    EXPECT_EQ(window->maximumSize(), QSize(356, 64));
    EXPECT_EQ(window->pos(), QPoint(162, 178));
    EXPECT_FALSE(window->windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_FALSE(window->windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_TRUE(window->isHidden());

    QWidget* strip = WidgetNamed(*Form4, "Image15");
    EXPECT_EQ(strip->geometry(), QRect(8, 8, 335, 37));
    EXPECT_FALSE(strip->isHidden());
    auto* status = qobject_cast<QLabel*>(WidgetNamed(*Form4, "StatusBar1"));
    ASSERT_NE(status, nullptr);
    EXPECT_EQ(status->geometry(), QRect(0, 45, 356, 19));
    EXPECT_EQ(status->text(), QStringLiteral("Для подключения другого Ремиконта нажмите на ЗЕЛЁНУЮ лампу"));

    for (int k = 1; k <= 14; ++k) {
        SCOPED_TRACE(k);
        const QRect place(14 + 24 * (k - 1), 27, 12, 12);
        QWidget* green = WidgetNamed(*Form4, "Remik" + std::to_string(k));
        QWidget* red = WidgetNamed(*Form4, "RemikVkl" + std::to_string(k));
        ASSERT_TRUE(green && red);
        EXPECT_EQ(green->geometry(), place);
        EXPECT_EQ(red->geometry(), place);
        EXPECT_TRUE(green->isHidden());
        EXPECT_TRUE(red->isHidden());
        EXPECT_EQ(green->toolTip(), QStringLiteral("Подключить"));
        EXPECT_EQ(green->cursor().shape(), Qt::PointingHandCursor);
        EXPECT_TRUE(red->toolTip().isEmpty());  // set on the lamp, never shown
    }
}

// Nodes 3 and 7 present, controller 7 in service; then a controller 5 that
// the map does not mark. What the operator hits is what lies on top.
TEST_F(MainAndNetworkWindows, TheRedLampLiesOverTheGreenOneAndTakesTheClick) {
    ShowNow(app, *main);
    main->Button1->Click();
    ASSERT_TRUE(WidgetOf(*Form4)->isVisible());
    ProcessImage.NetNode[3] = 1;
    ProcessImage.NetNode[7] = 1;
    ProcessImage.ControllerNo = 7;
    Form4->Timer1Timer();
    ASSERT_TRUE(Form4->Remik7->Visible());
    QWidget* window = WidgetOf(*Form4);
    const QPoint lamp7(14 + 24 * 6 + 6, 33);
    QWidget* hit = window->childAt(lamp7);
    EXPECT_EQ(hit, WidgetOf(*Form4->RemikVkl7));
    QTest::mouseClick(hit, Qt::LeftButton, {}, hit->rect().center());
    EXPECT_EQ(ProcessImage.FeedbackPanel, 0);

    ProcessImage.ControllerNo = 5;
    Form4->Timer1Timer();
    hit = window->childAt(QPoint(14 + 24 * 4 + 6, 33));
    ASSERT_EQ(hit, WidgetOf(*Form4->Remik5));
    QTest::mouseClick(hit, Qt::LeftButton, {}, hit->rect().center());
    EXPECT_EQ(ProcessImage.FeedbackPanel, 1);
    main->Timer4Timer();
    EXPECT_TRUE(WidgetOf(*main->GroupBox6)->isVisible());
}

TEST_F(MainAndNetworkWindows, ScreenshotOfTheNetwork) {
    for (int k : {3, 7, 11}) ProcessImage.NetNode[k] = 1;
    ProcessImage.ControllerNo = 5;
    Form4->Timer1Timer();
    ShowNow(app, *Form4);
    SaveScreenshot(*Form4, QStringLiteral("network_window.png"));
}

}  // namespace
}  // namespace gui_test
