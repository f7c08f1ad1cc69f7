// The Qt backend mirrors the models on real widgets and keeps the system's timer behaviour.

#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QMouseEvent>
#include <QElapsedTimer>
#include <QTimer>
#include <gtest/gtest.h>

#include "platform/qt/qt_backend.h"
#include "platform/vcl/forms.h"

namespace {

struct SmokeForm : vcl::TForm {
    explicit SmokeForm(vcl::TApplication& app) : vcl::TForm(app, "SmokeForm") {
        SetBounds(10, 10, 200, 100);
        label = Make<vcl::TLabel>(this, "Label");
        label->SetBounds(8, 8, 80, 20);
        label->SetCaption("0.0");
        label->OnClick = [this] { ++clicks; };
        timer = MakeTimer("Timer", 40, [this] { ++ticks; if (onTick) onTick(); });
    }
    vcl::TLabel* label;
    vcl::TTimer* timer;
    int clicks = 0;
    int ticks = 0;
    std::function<void()> onTick;
};

// Presses OK in the topmost box after `ms`, and again for every box still open.
void AnswerBoxesAfter(int ms) {
    QTimer::singleShot(ms, [ms] {
        if (QWidget* box = QApplication::activeModalWidget()) {
            if (auto* mb = qobject_cast<QMessageBox*>(box)) mb->accept();
            AnswerBoxesAfter(ms);
        }
    });
}

struct QtSmoke : ::testing::Test {
    qtbackend::QtBackend backend;
    vcl::TApplication app{backend};
    SmokeForm* form = nullptr;
    void SetUp() override {
        app.CreateForm(form);
        form->Show();
    }
};

TEST_F(QtSmoke, CaptionVisibilityAndClicksReachTheWidget) {
    auto* w = qobject_cast<QLabel*>(qtbackend::QtBackend::WidgetOf(*form->label));
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->geometry(), QRect(8, 8, 80, 20));
    form->label->SetCaption("Проблема");
    EXPECT_EQ(w->text(), QString::fromUtf8("Проблема"));
    form->label->Hide();
    EXPECT_FALSE(w->isVisible());
    form->label->Show();
    EXPECT_TRUE(w->isVisible());

    const QPoint centre = w->rect().center();
    QMouseEvent press(QEvent::MouseButtonPress, centre, w->mapToGlobal(centre), Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QMouseEvent release(QEvent::MouseButtonRelease, centre, w->mapToGlobal(centre), Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(w, &press);
    QApplication::sendEvent(w, &release);
    EXPECT_EQ(form->clicks, 1);

    form->label->SetEnabled(false);  // a greyed label takes no clicks
    EXPECT_FALSE(w->isEnabled());
    QApplication::sendEvent(w, &press);
    QApplication::sendEvent(w, &release);
    EXPECT_EQ(form->clicks, 1);
}

TEST_F(QtSmoke, ATimerFiresInsideAModalBoxAndItsOwnHandlerMayOpenAnother) {
    int depth = 0, maxDepth = 0;
    form->onTick = [&] {
        if (form->ticks > 2) return;
        ++depth;
        maxDepth = std::max(maxDepth, depth);
        app.MessageBox("text", "caption", 16);
        --depth;
    };
    AnswerBoxesAfter(300);
    form->ticks = 0;
    QElapsedTimer t;
    t.start();
    while (form->ticks < 6 && t.elapsed() < 5000) QApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    EXPECT_GE(form->ticks, 6);
    // The timer's second tick came while its first handler waited in its box.
    EXPECT_EQ(maxDepth, 2);
    EXPECT_EQ(app.OpenBoxes(), 0);
}

TEST_F(QtSmoke, FormHasAFixedClientSizeAndItsCaption) {
    form->SetCaption("Тест");
    QWidget* w = qtbackend::QtBackend::WidgetOf(*form);
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->windowTitle(), QString::fromUtf8("Тест"));
    EXPECT_EQ(w->minimumSize(), QSize(200, 100));
    EXPECT_EQ(w->maximumSize(), QSize(200, 100));
}

}  // namespace
