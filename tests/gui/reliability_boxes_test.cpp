// On real widgets: the gateway reports an error to every poll, each report opens a box, and the
// polling timer fires inside the box the operator has not closed. The boxes stop at eight deep;
// once the operator answers, they close and the polling goes on.

#include <QApplication>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QTimer>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "serial/serial_channel.h"
#include "sim/sim_device.h"
#include "station_windows.h"

namespace gui_test {
namespace {

constexpr int kDeepest = vcl::TApplication::kMaxOpenBoxes;
const std::string kReport = std::string("Шлюз выдает число ошибок = ") + "1" + " ошибка -  " + "2C" + " . " + "5";

int OpenMessageBoxes() {
    int n = 0;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (qobject_cast<QMessageBox*>(w) && w->isVisible()) ++n;
    return n;
}

// Controller 5 with eight inputs in each group, whose gateway answers every request with an
// error report about it (code 0x2C: not "does not answer").
sim::Scenario ReportOnEveryRequest() {
    sim::ControllerSpec c;
    c.node = 5;
    c.inputsA.resize(8);
    c.inputsB.resize(8);
    sim::Scenario s;
    s.controllers = {c};
    s.timing.mode = sim::TimingMode::Instant;
    sim::FaultRule error;
    error.type = sim::FaultType::GatewayError;
    error.code = 0x2C;
    s.faults = {error};
    return s;
}

struct ErrorStream : ::testing::Test {
    qtbackend::QtBackend backend;
    vcl::TApplication app{backend};
    std::unique_ptr<TForm1> main;

    // The main window as discovery leaves it, polling; the other timers are stopped.
    void SetUp() override {
        ProcessImage = TProcessImage{};
        win32::RegisterVirtualDevice("COM1", std::make_shared<sim::SimDevice>(ReportOnEveryRequest()));
        PortOpen();
        TProcessImage& pi = ProcessImage;
        pi.ControllerNo = 5;
        pi.CountA = 8;
        // Fifteen inputs in group B make a run of sixteen ticks that each send a request; the
        // gateway answers each one with its report all the same.
        pi.CountB = 15;
        pi.LoopCount = 4;
        for (int k = 1; k <= 4; ++k) pi.LoopState[k] = 1;
        pi.PollTick = 20;  // the next tick asks group B
        main = std::make_unique<TForm1>(app);
        backend.Attach(*main);
        Form1 = main.get();
        StopTimers(*main);
    }
    void TearDown() override {
        backend.Detach(*main);
        main.reset();
        Form1 = nullptr;
        PortClose();
        win32::UnregisterVirtualDevice("COM1");
        ProcessImage = TProcessImage{};
    }
};

TEST_F(ErrorStream, BoxesOpenOnePerTickUpToEightDeepThenCloseWhenAnswered) {
    int ticksUnderEight = 0, deepest = 0, mostWidgets = 0;
    auto poll = main->Timer2->OnTimer;
    main->Timer2->OnTimer = [&, poll] {
        if (app.OpenBoxes() == kDeepest) ++ticksUnderEight;
        poll();
    };
    // A reply is read by the exchange after its own, so from the second tick on every tick opens
    // a box. The operator stays away until two boxes beyond the eighth have fallen due, then
    // closes every box as it comes; the polling goes on meanwhile.
    std::vector<std::string> answered;
    QTimer operatorBack;
    QObject::connect(&operatorBack, &QTimer::timeout, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            answered.push_back(box->text().toStdString());
            box->accept();
        }
    });
    // Sampled often, from whichever loop runs.
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        deepest = std::max(deepest, app.OpenBoxes());
        mostWidgets = std::max(mostWidgets, OpenMessageBoxes());
        if (app.SuppressedBoxes() >= 2 && !operatorBack.isActive()) operatorBack.start(50);
    });
    watch.start(20);

    main->Timer2->SetEnabled(true);
    QElapsedTimer clock;
    clock.start();
    while (answered.size() < kDeepest + 2 && clock.elapsed() < 30'000)
        QApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    main->Timer2->SetEnabled(false);
    operatorBack.start(50);
    while (app.OpenBoxes() > 0 && clock.elapsed() < 40'000)
        QApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    operatorBack.stop();
    watch.stop();

    EXPECT_EQ(deepest, kDeepest);
    EXPECT_LE(mostWidgets, kDeepest);
    EXPECT_GE(ticksUnderEight, 2);
    EXPECT_GE(app.SuppressedBoxes(), 2);
    EXPECT_EQ(app.OpenBoxes(), 0);
    EXPECT_EQ(OpenMessageBoxes(), 0);
    // After the eight, more boxes came and were answered one by one.
    EXPECT_GE(answered.size(), static_cast<std::size_t>(kDeepest) + 2);
    for (const std::string& text : answered) EXPECT_EQ(text, kReport);
}

}  // namespace
}  // namespace gui_test
