#include "platform/qt/qt_backend.h"

#include <QApplication>
#include <QCloseEvent>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QLocale>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QSpinBox>
#include <QStyle>
#include <QStyleFactory>
#include <QThread>
#include <QTimer>
#include <QWindow>

#include "platform/qt/art/art.h"
#include "platform/vcl/format.h"

namespace qtbackend {

using vcl::Prop;

QString FontFamilyFor(const std::string& vclName) {
    if (vclName == "MS Sans Serif" || vclName == "Arial") return QStringLiteral("Liberation Sans");
    return QString::fromStdString(vclName);
}

namespace {

QString Q(const std::string& s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }

// The classic button-face grey of the forms, whatever the desktop theme says.
QColor ToQColor(vcl::TColor c) {
    switch (c) {
    case vcl::clBtnFace: return QColor(212, 208, 200);
    case vcl::clWindowText:
    case vcl::clBtnText: return QColor(0, 0, 0);
    case vcl::clWindow: return QColor(255, 255, 255);
    case vcl::clGrayText: return QColor(128, 128, 128);
    default: return QColor(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF);
    }
}

QFont ToQFont(const vcl::TFont& f) {
    QFont font(FontFamilyFor(f.Name));
    font.setPixelSize(f.Height);
    font.setBold(f.Bold);
    font.setItalic(f.Italic);
    font.setStyleStrategy(QFont::PreferAntialias);
    return font;
}

Qt::Alignment ToQAlignment(vcl::TAlignment a) {
    switch (a) {
    case vcl::TAlignment::taCenter: return Qt::AlignHCenter | Qt::AlignTop;
    case vcl::TAlignment::taRightJustify: return Qt::AlignRight | Qt::AlignTop;
    default: return Qt::AlignLeft | Qt::AlignTop;
    }
}

// Clicks reach the model as the operator's clicks: the model decides whether they count.
template <class Base>
class Clickable : public Base {
public:
    using Base::Base;
    vcl::TControl* model = nullptr;

protected:
    void mouseReleaseEvent(QMouseEvent* e) override {
        Base::mouseReleaseEvent(e);
        if (model && e->button() == Qt::LeftButton && this->rect().contains(e->position().toPoint()))
            model->Click();
    }
};

class LabelWidget final : public Clickable<QLabel> {
public:
    using Clickable::Clickable;
};

class GroupBoxWidget final : public Clickable<QGroupBox> {
public:
    using Clickable::Clickable;
};

// TImage and TRxGIFAnimator: a picture, or the frames of an animation played in a loop.
class PictureWidget final : public Clickable<QWidget> {
public:
    explicit PictureWidget(QWidget* parent) : Clickable(parent) {
        QObject::connect(&timer_, &QTimer::timeout, this, [this] {
            if (frames_.images.empty()) return;
            frame_ = (frame_ + 1) % static_cast<int>(frames_.images.size());
            update();
        });
    }
    void SetPicture(vcl::TPicture picture, bool center) {
        picture_ = picture;
        center_ = center;
        frames_ = art::Draw(picture, size());
        frame_ = 0;
        Restart();
        update();
    }
    void SetAnimate(bool animate) {
        animate_ = animate;
        Restart();
    }
    void Resized() { SetPicture(picture_, center_); }

protected:
    void paintEvent(QPaintEvent*) override {
        if (frames_.images.empty()) return;
        QPainter p(this);
        const QImage& img = frames_.images[static_cast<std::size_t>(frame_)];
        QPoint at(0, 0);
        if (center_) at = QPoint((width() - img.width()) / 2, (height() - img.height()) / 2);
        p.drawImage(at, img);
    }

private:
    void Restart() {
        if (animate_ && frames_.images.size() > 1 && frames_.frameMs > 0)
            timer_.start(frames_.frameMs);
        else
            timer_.stop();
    }
    vcl::TPicture picture_ = vcl::TPicture::None;
    bool center_ = false;
    bool animate_ = false;
    art::Frames frames_;
    int frame_ = 0;
    QTimer timer_;
};

class FormWidget final : public QWidget {
public:
    explicit FormWidget(vcl::TForm& model) : model_(model) {}

protected:
    void closeEvent(QCloseEvent* e) override {
        // The model decides: hide this form, or end the program if it is the main form.
        e->ignore();
        QPointer<FormWidget> self(this);
        model_.Close();
    }
    void mouseReleaseEvent(QMouseEvent* e) override {
        QWidget::mouseReleaseEvent(e);
        if (e->button() == Qt::LeftButton) model_.Click();
    }

private:
    vcl::TForm& model_;
};

// Mirrors one control model on its widget.
class WidgetPeer final : public vcl::Peer {
public:
    WidgetPeer(vcl::TControl& model, QWidget* widget) : model_(model), widget_(widget) {}
    ~WidgetPeer() override {
        // A form's widget owns its children's widgets: delete only what still exists.
        if (widget_ && !widget_->parentWidget()) delete widget_.data();
    }
    QWidget* Widget() const { return widget_.data(); }

    void Changed(Prop what) override {
        if (!widget_) return;
        switch (what) {
        case Prop::Bounds: ApplyBounds(); break;
        case Prop::Visible: widget_->setVisible(model_.Visible()); break;
        case Prop::Enabled: widget_->setEnabled(model_.Enabled()); break;
        case Prop::Caption: ApplyCaption(); break;
        case Prop::Hint:
        case Prop::ShowHint: widget_->setToolTip(model_.ShowHint() ? Q(model_.Hint()) : QString()); break;
        case Prop::Cursor:
            if (model_.Cursor() == vcl::TCursor::crHandPoint) widget_->setCursor(Qt::PointingHandCursor);
            else widget_->unsetCursor();
            break;
        case Prop::Font:
        case Prop::Color:
        case Prop::Transparent: ApplyLook(); break;
        case Prop::Alignment:
            if (auto* l = qobject_cast<QLabel*>(widget_.data()); l && !dynamic_cast<vcl::TStatusBar*>(&model_))
                l->setAlignment(ToQAlignment(model_.Alignment()));
            break;
        case Prop::Picture:
        case Prop::Animate: ApplyPicture(); break;
        case Prop::Items:
        case Prop::ItemIndex: ApplyItems(); break;
        case Prop::Value:
        case Prop::Range: ApplySpin(); break;
        case Prop::ZOrder:
            widget_->raise();
            if (widget_->isWindow()) widget_->activateWindow();
            break;
        case Prop::Interval: break;
        }
    }

    void ApplyAll() {
        ApplyBounds();
        ApplyLook();
        ApplyCaption();
        Changed(Prop::Alignment);
        Changed(Prop::Hint);
        Changed(Prop::Cursor);
        ApplyPicture();
        ApplyItems();
        ApplySpin();
        widget_->setEnabled(model_.Enabled());
        if (!dynamic_cast<vcl::TForm*>(&model_)) widget_->setVisible(model_.Visible());
    }

private:
    void ApplyBounds() {
        if (auto* form = dynamic_cast<vcl::TForm*>(&model_)) {
            widget_->setFixedSize(form->Width(), form->Height());
            if (form->Position() == vcl::TPosition::poScreenCenter) {
                if (QScreen* s = QGuiApplication::primaryScreen()) {
                    const QRect r = s->availableGeometry();
                    widget_->move(r.center() - QPoint(form->Width() / 2, form->Height() / 2));
                }
            } else {
                widget_->move(form->Left(), form->Top());
            }
            return;
        }
        widget_->setGeometry(model_.Left(), model_.Top(), model_.Width(), model_.Height());
        if (auto* p = dynamic_cast<PictureWidget*>(widget_.data())) p->Resized();
    }

    void ApplyLook() {
        widget_->setFont(ToQFont(model_.Font()));
        QPalette pal = widget_->palette();
        const QColor text = ToQColor(model_.Font().Color);
        pal.setColor(QPalette::WindowText, text);
        pal.setColor(QPalette::Text, text);
        pal.setColor(QPalette::ButtonText, text);
        pal.setColor(QPalette::Window, ToQColor(model_.Color()));
        pal.setColor(QPalette::Button, ToQColor(vcl::clBtnFace));
        // A disabled control greys its text whatever its own colour, etched in white.
        const QColor grey = ToQColor(vcl::clGrayText);
        for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
            pal.setColor(QPalette::Disabled, role, grey);
        widget_->setPalette(pal);
        const bool isForm = dynamic_cast<vcl::TForm*>(&model_) != nullptr;
        // Group boxes are opaque: an editor box hides the one below it and whatever it covers.
        const bool paintsBackground = isForm || dynamic_cast<vcl::TStatusBar*>(&model_) ||
                                      dynamic_cast<vcl::TGroupBox*>(&model_) ||
                                      (dynamic_cast<vcl::TLabel*>(&model_) && !model_.Transparent());
        widget_->setAutoFillBackground(paintsBackground);
    }

    void ApplyCaption() {
        const QString text = Q(model_.Caption());
        if (auto* form = dynamic_cast<vcl::TForm*>(&model_)) {
            widget_->setWindowTitle(Q(form->Caption()));
        } else if (auto* g = qobject_cast<QGroupBox*>(widget_.data())) {
            g->setTitle(text);
        } else if (auto* b = qobject_cast<QPushButton*>(widget_.data())) {
            b->setText(text);
        } else if (auto* l = qobject_cast<QLabel*>(widget_.data())) {
            l->setText(text);
        }
    }

    void ApplyPicture() {
        auto* p = dynamic_cast<PictureWidget*>(widget_.data());
        if (!p) return;
        if (auto* img = dynamic_cast<vcl::TImage*>(&model_)) {
            p->SetPicture(img->Picture(), img->Center());
        } else if (auto* anim = dynamic_cast<vcl::TRxGIFAnimator*>(&model_)) {
            p->SetPicture(anim->Picture(), false);
            p->SetAnimate(anim->Animate());
        }
    }

    void ApplyItems() {
        auto* list = qobject_cast<QListWidget*>(widget_.data());
        auto* box = dynamic_cast<vcl::TListBox*>(&model_);
        if (!list || !box) return;
        const QSignalBlocker block(list);
        list->clear();
        for (const auto& item : box->Items()) {
            auto* it = new QListWidgetItem(Q(item), list);
            it->setSizeHint(QSize(0, box->ItemHeight()));
        }
        list->setCurrentRow(box->ItemIndex());
    }

    void ApplySpin() {
        auto* spin = qobject_cast<QSpinBox*>(widget_.data());
        auto* model = dynamic_cast<vcl::TCSpinEdit*>(&model_);
        if (!spin || !model) return;
        const QSignalBlocker block(spin);
        spin->setRange(model->MinValue(), model->MaxValue());
        spin->setValue(model->Value());
    }

    vcl::TControl& model_;
    QPointer<QWidget> widget_;
};

// A window timer. The QTimer only posts the tick, so that the handler runs as a posted
// call: a handler that opens a message box lets this same timer fire again inside the box,
// as the system's timers do, while a tick that falls due during a blocked thread is
// delivered once.
class TimerPeer final : public QObject, public vcl::Peer {
public:
    explicit TimerPeer(vcl::TTimer& model) : model_(model) {
        QObject::connect(&timer_, &QTimer::timeout, this, [this] {
            if (pending_) return;
            pending_ = true;
            QMetaObject::invokeMethod(this, [this] {
                pending_ = false;
                model_.Fire();
            }, Qt::QueuedConnection);
        });
        Apply();
    }
    void Changed(Prop) override { Apply(); }

private:
    void Apply() {
        if (model_.Enabled() && model_.Interval() > 0) timer_.start(static_cast<int>(model_.Interval()));
        else timer_.stop();
    }
    vcl::TTimer& model_;
    QTimer timer_;
    bool pending_ = false;
};

QWidget* MakeWidget(vcl::TControl& c, QWidget* parent) {
    if (auto* l = dynamic_cast<vcl::TLabel*>(&c)) {
        auto* w = new LabelWidget(parent);
        w->model = l;
        return w;
    }
    if (dynamic_cast<vcl::TImage*>(&c) || dynamic_cast<vcl::TRxGIFAnimator*>(&c)) {
        auto* w = new PictureWidget(parent);
        w->model = &c;
        return w;
    }
    if (auto* g = dynamic_cast<vcl::TGroupBox*>(&c)) {
        auto* w = new GroupBoxWidget(parent);
        w->model = g;
        return w;
    }
    if (auto* b = dynamic_cast<vcl::TButton*>(&c)) {
        auto* w = new QPushButton(parent);
        w->setFocusPolicy(Qt::TabFocus);
        QObject::connect(w, &QPushButton::clicked, w, [b] { b->Click(); });
        return w;
    }
    if (auto* lb = dynamic_cast<vcl::TListBox*>(&c)) {
        auto* w = new QListWidget(parent);
        w->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        QObject::connect(w, &QListWidget::itemClicked, w, [lb, w](QListWidgetItem* item) {
            lb->ClickItem(w->row(item));
        });
        return w;
    }
    if (dynamic_cast<vcl::TStatusBar*>(&c)) {
        auto* w = new QLabel(parent);
        w->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        w->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        return w;
    }
    if (auto* s = dynamic_cast<vcl::TCSpinEdit*>(&c)) {
        auto* w = new QSpinBox(parent);
        QObject::connect(w, &QSpinBox::valueChanged, w, [s](int v) { s->SetValue(v); });
        return w;
    }
    auto* w = new Clickable<QWidget>(parent);
    w->model = &c;
    return w;
}

WidgetPeer* PeerOf(const vcl::TComponent& c) { return dynamic_cast<WidgetPeer*>(c.GetPeer()); }

// The grey 3D look of the classic desktop the forms were drawn for.
QPalette ClassicPalette() {
    const QColor face = ToQColor(vcl::clBtnFace);
    QPalette pal(QColor(0, 0, 0), face, QColor(255, 255, 255), QColor(128, 128, 128), QColor(160, 160, 160),
                 QColor(0, 0, 0), QColor(255, 255, 255), QColor(255, 255, 255), face);
    pal.setColor(QPalette::Midlight, face);
    pal.setColor(QPalette::Shadow, QColor(64, 64, 64));
    pal.setColor(QPalette::Highlight, QColor(10, 36, 106));
    pal.setColor(QPalette::HighlightedText, QColor(255, 255, 255));
    pal.setColor(QPalette::ToolTipBase, QColor(255, 255, 225));
    pal.setColor(QPalette::ToolTipText, QColor(0, 0, 0));
    const QColor grey = ToQColor(vcl::clGrayText);
    for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        pal.setColor(QPalette::Disabled, role, grey);
    return pal;
}

}  // namespace

QtBackend::QtBackend() {
    // The classic style draws group box frames through the middle of their titles and etches
    // disabled text, as the forms expect; the desktop's own theme would not.
    if (QStyle* classic = QStyleFactory::create(QStringLiteral("Windows"))) QApplication::setStyle(classic);
    QApplication::setPalette(ClassicPalette());
    const QString point = QLocale::system().decimalPoint();
    vcl::DecimalSeparator = point.isEmpty() ? '.' : point.at(0).toLatin1();
    if (vcl::DecimalSeparator == 0) vcl::DecimalSeparator = '.';
    QApplication::setQuitOnLastWindowClosed(false);
    QApplication::setWindowIcon(art::WindowIcon());
}

QtBackend::~QtBackend() = default;

void QtBackend::Attach(vcl::TForm& form) {
    auto* window = new FormWidget(form);
    Qt::WindowFlags flags = Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint;
    if (form.BorderStyle() == vcl::TFormBorderStyle::bsDialog) flags = Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint;
    const vcl::TBorderIcons icons = form.BorderIcons();
    if (icons.biSystemMenu) flags |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
    if (icons.biMinimize) flags |= Qt::WindowMinimizeButtonHint;
    if (icons.biMaximize) flags |= Qt::WindowMaximizeButtonHint;
    window->setWindowFlags(flags);
    window->setWindowIcon(art::WindowIcon());  // the station has one icon for all its windows
    window->setAttribute(Qt::WA_QuitOnClose, false);
    auto formPeer = std::make_unique<WidgetPeer>(form, window);
    WidgetPeer* formPeerRaw = formPeer.get();
    form.SetPeer(std::move(formPeer));

    for (const auto& component : form.Components()) {
        if (auto* timer = dynamic_cast<vcl::TTimer*>(component.get())) {
            timer->SetPeer(std::make_unique<TimerPeer>(*timer));
            continue;
        }
        auto* control = dynamic_cast<vcl::TControl*>(component.get());
        if (!control) continue;
        QWidget* parent = window;
        if (control->Parent() && control->Parent() != &form)
            if (WidgetPeer* pp = PeerOf(*control->Parent())) parent = pp->Widget();
        QWidget* w = MakeWidget(*control, parent);
        auto peer = std::make_unique<WidgetPeer>(*control, w);
        peer->ApplyAll();
        control->SetPeer(std::move(peer));
    }
    // Later controls lie above earlier ones; the model's child lists say the final order.
    std::function<void(const vcl::TWinControl&)> stack = [&](const vcl::TWinControl& parent) {
        for (vcl::TControl* child : parent.Controls()) {
            if (WidgetPeer* p = PeerOf(*child)) p->Widget()->raise();
            if (auto* wc = dynamic_cast<vcl::TWinControl*>(child)) stack(*wc);
        }
    };
    stack(form);
    formPeerRaw->ApplyAll();
    window->setVisible(form.Visible());
}

void QtBackend::Detach(vcl::TForm& form) {
    // Children first: the form's widget deletes what is left of them.
    const auto& components = form.Components();
    for (auto it = components.rbegin(); it != components.rend(); ++it) (*it)->SetPeer(nullptr);
    form.SetPeer(nullptr);
}

void QtBackend::PaintNow(vcl::TForm& form) {
    WidgetPeer* peer = PeerOf(form);
    if (!peer || !peer->Widget()) return;
    QWidget* w = peer->Widget();
    w->show();
    // The window must be mapped before it can be painted; give the window system a moment.
    QElapsedTimer waited;
    waited.start();
    while (waited.elapsed() < 500) {
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents, 20);
        if (w->windowHandle() && w->windowHandle()->isExposed()) break;
        QThread::msleep(5);
    }
    w->repaint();
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents, 20);
}

int QtBackend::MessageBox(const vcl::MessageBoxRequest& box) {
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    switch (box.flags & 0xF0) {
    case 0x10: icon = QMessageBox::Critical; break;
    case 0x20: icon = QMessageBox::Question; break;
    case 0x30: icon = QMessageBox::Warning; break;
    case 0x40: icon = QMessageBox::Information; break;
    default: break;
    }
    QMessageBox mb(icon, Q(box.caption), Q(box.text), QMessageBox::Ok);
    mb.setWindowModality(Qt::ApplicationModal);
    mb.setFont(ToQFont(vcl::TFont{}));
    mb.exec();
    return 1;  // IDOK
}

void QtBackend::Run() { QApplication::exec(); }

void QtBackend::Quit() { QCoreApplication::exit(0); }

void QtBackend::ShowException(const std::string& message) {
    QMessageBox::critical(nullptr, QCoreApplication::applicationName(), Q(message));
}

QWidget* QtBackend::WidgetOf(const vcl::TComponent& component) {
    WidgetPeer* p = PeerOf(component);
    return p ? p->Widget() : nullptr;
}

QImage QtBackend::Grab(const vcl::TForm& form) {
    QWidget* w = WidgetOf(form);
    return w ? w->grab().toImage() : QImage();
}

}  // namespace qtbackend
