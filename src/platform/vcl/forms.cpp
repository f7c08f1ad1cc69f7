#include "platform/vcl/forms.h"

#include <cstdio>

#include "platform/win32/ports.h"

namespace vcl {

TApplication* Application = nullptr;

TForm::TForm(TApplication& app, std::string name) : TWinControl(this, nullptr, std::move(name)), app_(app) {
    SetVisibleQuietly(false);
}

TForm::~TForm() = default;

TTimer* TForm::MakeTimer(std::string name, unsigned interval, std::function<void()> onTimer) {
    auto owned = std::make_unique<TTimer>(this, std::move(name));
    TTimer* timer = owned.get();
    timer->SetInterval(interval);
    timer->OnTimer = std::move(onTimer);
    components_.push_back(std::move(owned));
    return timer;
}

TComponent* TForm::FindComponent(const std::string& name) const {
    for (const auto& c : components_)
        if (c->Name() == name) return c.get();
    return nullptr;
}

void TForm::Close() {
    TCloseAction action = TCloseAction::caHide;
    if (OnClose) OnClose(action);
    if (action == TCloseAction::caNone) return;
    if (app_.MainForm() == this)
        app_.Terminate();
    else
        Hide();
}

TApplication::TApplication(Backend& backend) : backend_(backend) {
    Application = this;
    platform::SetCurrentClock(&backend_.Clock());
    win32::SetMessageBoxHook([this](const std::string& text, const std::string& caption, unsigned type) {
        return ShowBox({BoxKind::System, text, caption, type});
    });
}

TApplication::~TApplication() {
    DestroyForms();
    win32::SetMessageBoxHook(nullptr);
    platform::SetCurrentClock(nullptr);
    if (Application == this) Application = nullptr;
}

void TApplication::Adopt(std::unique_ptr<TForm> owned) {
    TForm& form = *owned;
    forms_.push_back(std::move(owned));
    if (!mainForm_) mainForm_ = &form;
    // A form designed visible appears once its creation is over.
    const bool showWhenCreated = form.Visible();
    form.SetVisibleQuietly(false);
    backend_.Attach(form);
    if (form.OnCreate) form.OnCreate();
    if (showWhenCreated) {
        form.Show();
        backend_.PaintNow(form);
    }
}

void TApplication::Run() {
    if (!terminated_) backend_.Run();
}

void TApplication::Terminate() {
    terminated_ = true;
    backend_.Quit();
}

int TApplication::MessageBox(const std::string& text, const std::string& caption, unsigned flags) {
    return ShowBox({BoxKind::Application, text, caption, flags});
}

int TApplication::ShowBox(const MessageBoxRequest& box) {
    if (openBoxes_ >= kMaxOpenBoxes) {
        ++suppressedBoxes_;
        return 1;  // IDOK, as if the operator had closed it at once
    }
    ++openBoxes_;
    const int answer = backend_.MessageBox(box);
    --openBoxes_;
    return answer;
}

void TApplication::ShowException(const std::exception& e) { backend_.ShowException(e.what()); }

void TApplication::DestroyForms() {
    while (!forms_.empty()) {
        backend_.Detach(*forms_.back());
        forms_.pop_back();
    }
    mainForm_ = nullptr;
}

}  // namespace vcl
