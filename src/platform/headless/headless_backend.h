#pragma once
// The test backend: no widgets, virtual time, message boxes answered by a script.
//
// Timers fire in due order (ties in the order they were created); a timer that fell due
// while the thread was blocked fires once when the loop runs again, not once per missed
// interval, and is next due one interval after it fired. Sleep moves the virtual clock
// and fires nothing. A message box runs the script, which may let time pass inside the
// box (the nested loop in which the timers keep firing) before it presses OK.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "platform/vcl/forms.h"

namespace headless {

using platform::Micros;

struct BoxRecord {
    Micros openedAt = 0;
    Micros closedAt = -1;  // -1 while open
    vcl::BoxKind kind = vcl::BoxKind::Application;
    std::string text;
    std::string caption;
    unsigned flags = 0;
    int depth = 1;  // 1 for a box opened from the top-level loop
};

class HeadlessBackend;

// A box on screen, handed to the script.
class OpenBox {
public:
    const BoxRecord& Record() const;
    int Depth() const;
    // Runs the nested message loop for `d` of virtual time.
    void RunFor(Micros d);

private:
    friend class HeadlessBackend;
    OpenBox(HeadlessBackend& backend, std::size_t index) : backend_(backend), index_(index) {}
    HeadlessBackend& backend_;
    std::size_t index_;
};

class HeadlessBackend final : public vcl::Backend {
public:
    HeadlessBackend();
    ~HeadlessBackend() override;

    platform::VirtualClock& VClock() { return clock_; }
    Micros Now() const { return clock_.Now(); }

    // Runs the message loop for `d` of virtual time (stops early once the application quits).
    void RunFor(Micros d);
    // Runs until `done` holds or `limit` of virtual time has passed; true if `done` held.
    bool RunUntil(const std::function<bool()>& done, Micros limit);

    // Run() gives up after this much virtual time without Quit.
    Micros runLimit = platform::Ms(48LL * 3600 * 1000);

    // The operator's answer to every box. The default presses OK at once.
    std::function<void(OpenBox&)> onBox;
    // Every box shown so far, in the order they opened.
    const std::vector<BoxRecord>& Boxes() const { return boxes_; }
    void ClearBoxes() { boxes_.clear(); }
    int OpenDepth() const { return depth_; }
    int MaxDepth() const { return maxDepth_; }
    bool Quitting() const { return quitting_; }
    std::vector<std::string> Exceptions() const { return exceptions_; }
    int PaintCount(const vcl::TForm& form) const;

    // vcl::Backend
    void Attach(vcl::TForm& form) override;
    void Detach(vcl::TForm& form) override;
    void PaintNow(vcl::TForm& form) override;
    int MessageBox(const vcl::MessageBoxRequest& box) override;
    void Run() override;
    void Quit() override;
    void ShowException(const std::string& message) override;
    platform::Clock& Clock() override { return clock_; }

private:
    friend class OpenBox;
    struct Slot;
    class TimerPeer;
    void Loop(Micros until);
    Slot* NextDue(Micros until);

    platform::VirtualClock clock_;
    std::vector<std::unique_ptr<Slot>> slots_;
    long nextSeq_ = 0;
    std::vector<BoxRecord> boxes_;
    std::vector<std::string> exceptions_;
    std::vector<std::pair<const vcl::TForm*, int>> paints_;
    int depth_ = 0;
    int maxDepth_ = 0;
    bool quitting_ = false;
};

}  // namespace headless
