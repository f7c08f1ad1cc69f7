// The wait, no-answer and command-accepted windows on the Qt backend: their controls in place
// and a screenshot of each.

#include <QLabel>

#include <string>
#include <vector>

#include "app/no_error.h"
#include "app/zagruzka.h"
#include "app/zastavka.h"
#include "station_windows.h"

namespace gui_test {
namespace {

struct StatusWindows : ::testing::Test {
    qtbackend::QtBackend backend;
    vcl::TApplication app{backend};

    void SetUp() override {
        ProcessImage = TProcessImage{};
        app.CreateForm(Form5);
        app.CreateForm(Form2);
        app.CreateForm(Form3);
        for (vcl::TForm* f : {static_cast<vcl::TForm*>(Form5), static_cast<vcl::TForm*>(Form2),
                              static_cast<vcl::TForm*>(Form3)})
            StopTimers(*f);
    }
    void TearDown() override {
        app.DestroyForms();
        Form5 = nullptr;
        Form2 = nullptr;
        Form3 = nullptr;
        ProcessImage = TProcessImage{};
    }
};

struct WindowPlace {
    vcl::TForm* form;
    QString title;
    QSize client;
};

struct ControlPlace {
    vcl::TForm* form;
    std::string name;
    QRect rect;
    QString text;
};

TEST_F(StatusWindows, EveryControlIsInItsPlace) {
    const WindowPlace windows[] = {
        {Form5, QStringLiteral("Идет анализ схемы Ремиконта"), {227, 145}},
        {Form2, QStringLiteral(" Контроллер не отвечает"), {300, 249}},
        {Form3, QStringLiteral("Команда прошла !"), {162, 99}},
    };
    for (const WindowPlace& w : windows) {
        SCOPED_TRACE(w.title.toStdString());
        QWidget* window = WidgetOf(*w.form);
        EXPECT_EQ(window->windowTitle(), w.title);
        EXPECT_EQ(window->minimumSize(), w.client);
        EXPECT_EQ(window->maximumSize(), w.client);
        EXPECT_FALSE(window->windowFlags() & Qt::WindowMaximizeButtonHint);
    }
    EXPECT_TRUE(WidgetOf(*Form5)->isVisible());
    EXPECT_TRUE(WidgetOf(*Form2)->isHidden());
    EXPECT_TRUE(WidgetOf(*Form3)->isHidden());

    const ControlPlace controls[] = {
        {Form5, "Image1", {-8, 0, 235, 144}, {}},
        {Form5, "Label1", {64, 8, 90, 24}, QStringLiteral("Ждите ...")},
        {Form2, "Image1", {0, 0, 300, 205}, {}},
        {Form2, "StatusBar1", {0, 199, 300, 25}, QStringLiteral("            Возможно прошел сбой на линии связи")},
        {Form2, "StatusBar2", {0, 224, 300, 25}, QStringLiteral("   Включен режим программирования или нет питания")},
        {Form3, "RxGIFAnimator1", {32, 0, 107, 98}, {}},
    };
    for (const ControlPlace& c : controls) {
        SCOPED_TRACE(c.name);
        QWidget* w = WidgetNamed(*c.form, c.name);
        ASSERT_NE(w, nullptr);
        EXPECT_EQ(w->geometry(), c.rect);
        if (auto* label = qobject_cast<QLabel*>(w)) EXPECT_EQ(label->text(), c.text);
    }
    EXPECT_EQ(WidgetOf(*Form3->RxGIFAnimator1)->toolTip(), QStringLiteral("Закрыть"));
}

TEST_F(StatusWindows, Screenshots) {
    SaveScreenshot(*Form5, QStringLiteral("wait_window.png"));
    ProcessImage.ShutdownNotice = 1;
    Form5->Timer1Timer();
    SaveScreenshot(*Form5, QStringLiteral("wait_window_closing.png"));
    ShowNow(app, *Form2);
    SaveScreenshot(*Form2, QStringLiteral("no_answer_window.png"));
    ShowNow(app, *Form3);
    SaveScreenshot(*Form3, QStringLiteral("command_accepted_window.png"));
}

}  // namespace
}  // namespace gui_test
