#pragma once
// Forms, the application object and the backend that renders and drives them.

#include <exception>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "platform/vcl/controls.h"

namespace vcl {

enum class TCloseAction { caNone, caHide, caFree, caMinimize };
enum class TFormBorderStyle { bsSingle, bsDialog, bsSizeable };
enum class TPosition { poDesigned, poScreenCenter };
struct TBorderIcons {
    bool biSystemMenu = true;
    bool biMinimize = false;
    bool biMaximize = false;
    bool operator==(const TBorderIcons&) const = default;
};

class TApplication;

// A window. Width and Height are those of the client area; Left and Top its place on screen.
class TForm : public TWinControl {
public:
    explicit TForm(TApplication& app, std::string name);
    ~TForm() override;

    TApplication& App() const { return app_; }

    // Creates a component owned by this form; `parent` null for timers and direct children.
    template <class T>
    T* Make(TWinControl* parent, std::string name) {
        auto owned = std::make_unique<T>(this, parent, std::move(name));
        T* raw = owned.get();
        components_.push_back(std::move(owned));
        return raw;
    }
    TTimer* MakeTimer(std::string name, unsigned interval, std::function<void()> onTimer);

    // Every component in creation order.
    const std::vector<std::unique_ptr<TComponent>>& Components() const { return components_; }
    TComponent* FindComponent(const std::string& name) const;

    TFormBorderStyle BorderStyle() const { return borderStyle_; }
    void SetBorderStyle(TFormBorderStyle style) { borderStyle_ = style; }
    TBorderIcons BorderIcons() const { return borderIcons_; }
    void SetBorderIcons(TBorderIcons icons) { borderIcons_ = icons; }
    TPosition Position() const { return position_; }
    void SetPosition(TPosition position) { position_ = position; }
    TPicture Icon() const { return icon_; }
    void SetIcon(TPicture icon) { icon_ = icon; }

    // The window's own handlers.
    std::function<void()> OnCreate;
    std::function<void(TCloseAction&)> OnClose;

    // The operator's close box, or Close() from code: OnClose decides; the main form's
    // closing ends the application, any other form is hidden.
    void Close();

private:
    friend class TApplication;
    TApplication& app_;
    std::vector<std::unique_ptr<TComponent>> components_;
    TFormBorderStyle borderStyle_ = TFormBorderStyle::bsSingle;
    TBorderIcons borderIcons_{};
    TPosition position_ = TPosition::poDesigned;
    TPicture icon_ = TPicture::None;
};

enum class BoxKind {
    Application,  // TApplication::MessageBox: modal to every window of the program
    System,       // MessageBoxA without an owner
};

struct MessageBoxRequest {
    BoxKind kind = BoxKind::Application;
    std::string text;
    std::string caption;
    unsigned flags = 0;  // MB_ICONERROR (16) and friends; one OK button always
};

// Renders forms and runs the message loop. The Qt backend shows real windows; the headless
// one keeps virtual time and answers message boxes from a test's script.
class Backend {
public:
    virtual ~Backend() = default;
    // The form's components exist: give them peers and start its enabled timers.
    virtual void Attach(TForm& form) = 0;
    // Before the form and its components are destroyed.
    virtual void Detach(TForm& form) = 0;
    // Paints a visible form at once, before the message loop runs.
    virtual void PaintNow(TForm& form) = 0;
    // Shows a modal box and runs a nested message loop until the operator closes it.
    virtual int MessageBox(const MessageBoxRequest& box) = 0;
    // The message loop, until Quit.
    virtual void Run() = 0;
    // Ends Run and every nested loop.
    virtual void Quit() = 0;
    // The standard exception box.
    virtual void ShowException(const std::string& message) = 0;
    virtual platform::Clock& Clock() = 0;
};

class TApplication {
public:
    // Installs the backend's clock as the current one and routes MessageBoxA to `backend`.
    explicit TApplication(Backend& backend);
    ~TApplication();

    void Initialize() {}

    // Creates a form as the VCL does: the reference is set before the form's OnCreate runs,
    // the first form created becomes the main form, and a form created visible is shown.
    template <class T>
    void CreateForm(T*& reference) {
        auto form = std::make_unique<T>(*this);
        reference = form.get();
        Adopt(std::move(form));
    }

    TForm* MainForm() const { return mainForm_; }
    const std::vector<std::unique_ptr<TForm>>& Forms() const { return forms_; }

    void Run();
    void Terminate();
    bool Terminated() const { return terminated_; }

    // The application message box; answered IDOK.
    int MessageBox(const std::string& text, const std::string& caption, unsigned flags);
    // Every modal box of the program goes through here, whichever API asked for it.
    // Each box runs a nested loop in which the timers keep firing, so a line that keeps
    // failing would open box inside box until the stack gave out: while kMaxOpenBoxes are
    // open a further box is not opened (the caller's count of reports still counts it).
    int ShowBox(const MessageBoxRequest& box);
    int OpenBoxes() const { return openBoxes_; }
    static constexpr int kMaxOpenBoxes = 8;
    // Boxes not opened because kMaxOpenBoxes were open.
    long SuppressedBoxes() const { return suppressedBoxes_; }

    void ShowException(const std::exception& e);

    // Destroys the forms, the last created first.
    void DestroyForms();

    Backend& GetBackend() const { return backend_; }

private:
    void Adopt(std::unique_ptr<TForm> form);

    Backend& backend_;
    std::vector<std::unique_ptr<TForm>> forms_;
    TForm* mainForm_ = nullptr;
    bool terminated_ = false;
    int openBoxes_ = 0;
    long suppressedBoxes_ = 0;
};

// The application object of the running program (set by TApplication's constructor).
extern TApplication* Application;

}  // namespace vcl
