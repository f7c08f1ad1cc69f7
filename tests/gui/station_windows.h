#pragma once
// The station's windows on the Qt backend (offscreen), for tests of their look and of clicks
// reaching their handlers. The main window is built without its creation handler, since
// start-up talks to the port, and every timer is stopped: a test sets the process image and
// runs the display handlers itself.

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QWidget>
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "console/read_write.h"
#include "network/oll.h"
#include "platform/qt/qt_backend.h"
#include "platform/vcl/forms.h"
#include "state/process_image.h"

namespace gui_test {

inline QString Q(const std::string& s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }

inline QWidget* WidgetOf(const vcl::TComponent& c) { return qtbackend::QtBackend::WidgetOf(c); }

// The widget of the control `name` of `form`; fails the test if there is none.
inline QWidget* WidgetNamed(const vcl::TForm& form, const std::string& name) {
    const vcl::TComponent* c = form.FindComponent(name);
    EXPECT_NE(c, nullptr) << name;
    return c ? WidgetOf(*c) : nullptr;
}

inline void StopTimers(vcl::TForm& form) {
    for (const auto& c : form.Components())
        if (auto* t = dynamic_cast<vcl::TTimer*>(c.get())) t->SetEnabled(false);
}

// Shows the window and lets the window system map and paint it.
inline void ShowNow(vcl::TApplication& app, vcl::TForm& form) {
    form.Show();
    app.GetBackend().PaintNow(form);
}

inline void SaveScreenshot(const vcl::TForm& form, const QString& file) {
    QCoreApplication::processEvents();
    const QImage image = qtbackend::QtBackend::Grab(form);
    ASSERT_FALSE(image.isNull()) << file.toStdString();
    const QString path = QStringLiteral(SCREENSHOT_DIR) + QLatin1Char('/') + file;
    EXPECT_TRUE(image.save(path)) << path.toStdString();
}

struct MainAndNetworkWindows : ::testing::Test {
    qtbackend::QtBackend backend;
    vcl::TApplication app{backend};
    std::unique_ptr<TForm1> main;

    void SetUp() override {
        ProcessImage = TProcessImage{};
        main = std::make_unique<TForm1>(app);
        backend.Attach(*main);
        Form1 = main.get();
        StopTimers(*main);
        app.CreateForm(Form4);
        StopTimers(*Form4);
    }

    void TearDown() override {
        app.DestroyForms();
        Form4 = nullptr;
        backend.Detach(*main);
        main.reset();
        Form1 = nullptr;
        ProcessImage = TProcessImage{};
    }
};

}  // namespace gui_test
