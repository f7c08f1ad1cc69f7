#pragma once
// The real backend: every form and control model gets a Qt widget that mirrors it, window
// timers are QTimers, message boxes are QMessageBox::exec (a nested loop in which the
// timers keep firing) and Sleep blocks the GUI thread.

#include <QImage>
#include <QString>
#include <QWidget>

#include "platform/clock.h"
#include "platform/vcl/forms.h"

namespace qtbackend {

class QtBackend final : public vcl::Backend {
public:
    // Needs a QApplication; takes the decimal separator from the system locale.
    QtBackend();
    ~QtBackend() override;

    void Attach(vcl::TForm& form) override;
    void Detach(vcl::TForm& form) override;
    void PaintNow(vcl::TForm& form) override;
    int MessageBox(const vcl::MessageBoxRequest& box) override;
    void Run() override;
    void Quit() override;
    void ShowException(const std::string& message) override;
    platform::Clock& Clock() override { return clock_; }

    // The widget that mirrors a control or form (null before Attach).
    static QWidget* WidgetOf(const vcl::TComponent& component);
    // A picture of the form's client area as it is on screen now.
    static QImage Grab(const vcl::TForm& form);

private:
    platform::RealClock clock_;
};

// The family that stands in for "MS Sans Serif" at the same pixel heights.
QString FontFamilyFor(const std::string& vclName);

}  // namespace qtbackend
