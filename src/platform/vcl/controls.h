#pragma once
// The VCL controls the forms use, as plain models. A control holds its properties and
// events; the backend gives it a peer (a real widget, or nothing in tests) that is told
// of every change. Every component is owned by its form and lives as long as the form.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/vcl/graphics.h"

namespace vcl {

class TForm;
class TWinControl;

// What changed, for the peer.
enum class Prop {
    Caption, Visible, Enabled, Bounds, Font, Color, Hint, ShowHint, Cursor, Alignment,
    Transparent, Picture, Animate, Items, ItemIndex, Value, Range, ZOrder, Interval,
};

class Peer {
public:
    virtual ~Peer() = default;
    virtual void Changed(Prop what) = 0;
};

class TComponent {
public:
    TComponent(TForm* owner, std::string name);
    TComponent(const TComponent&) = delete;
    TComponent& operator=(const TComponent&) = delete;
    virtual ~TComponent();

    const std::string& Name() const { return name_; }
    TForm* OwnerForm() const { return owner_; }

    Peer* GetPeer() const { return peer_.get(); }
    void SetPeer(std::unique_ptr<Peer> peer);

protected:
    void Notify(Prop what) const { if (peer_) peer_->Changed(what); }

private:
    TForm* owner_;
    std::string name_;
    std::unique_ptr<Peer> peer_;
};

class TControl : public TComponent {
public:
    // Takes the font and colour of its parent, as a VCL control with ParentFont does.
    TControl(TForm* owner, TWinControl* parent, std::string name);

    TWinControl* Parent() const { return parent_; }

    int Left() const { return left_; }
    int Top() const { return top_; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    void SetBounds(int left, int top, int width, int height);

    bool Visible() const { return visible_; }
    void SetVisible(bool visible);
    void Show() { SetVisible(true); }
    void Hide() { SetVisible(false); }
    // Visible, and so is every parent up to the form.
    bool Showing() const;

    bool Enabled() const { return enabled_; }
    void SetEnabled(bool enabled);

    const std::string& Caption() const { return caption_; }
    void SetCaption(std::string caption);

    const std::string& Hint() const { return hint_; }
    void SetHint(std::string hint);
    bool ShowHint() const { return showHint_; }
    void SetShowHint(bool show);

    TCursor Cursor() const { return cursor_; }
    void SetCursor(TCursor cursor);

    const TFont& Font() const { return font_; }
    void SetFont(const TFont& font);

    TColor Color() const { return color_; }
    void SetColor(TColor color);

    bool Transparent() const { return transparent_; }
    void SetTransparent(bool transparent);

    TAlignment Alignment() const { return alignment_; }
    void SetAlignment(TAlignment alignment);

    // Puts the control above its siblings; a form, above the other windows.
    void BringToFront();

    std::function<void()> OnClick;
    // A click of the operator: it reaches OnClick only while the control is showing and it
    // and its parents are enabled, as a greyed or hidden control takes no clicks.
    void Click();
    bool AcceptsClicks() const;

protected:
    // For the application object: a form created visible is shown once its creation ends.
    void SetVisibleQuietly(bool visible) { visible_ = visible; }

private:
    TWinControl* parent_;
    int left_ = 0, top_ = 0, width_ = 0, height_ = 0;
    bool visible_ = true;
    bool enabled_ = true;
    std::string caption_;
    std::string hint_;
    bool showHint_ = false;
    TCursor cursor_ = TCursor::crDefault;
    TFont font_;
    TColor color_ = clBtnFace;
    bool transparent_ = false;
    TAlignment alignment_ = TAlignment::taLeftJustify;
};

class TWinControl : public TControl {
public:
    using TControl::TControl;
    // Children in z-order, the first at the bottom.
    const std::vector<TControl*>& Controls() const { return controls_; }

private:
    friend class TControl;
    std::vector<TControl*> controls_;
};

class TLabel : public TControl {
public:
    using TControl::TControl;
};

class TImage : public TControl {
public:
    using TControl::TControl;
    TPicture Picture() const { return picture_; }
    void SetPicture(TPicture picture);
    bool Center() const { return center_; }
    void SetCenter(bool center) { center_ = center; Notify(Prop::Picture); }

private:
    TPicture picture_ = TPicture::None;
    bool center_ = false;
};

// The animated picture control: a looping animation shown while Animate is on.
class TRxGIFAnimator : public TControl {
public:
    using TControl::TControl;
    TPicture Picture() const { return picture_; }
    void SetPicture(TPicture picture);
    bool Animate() const { return animate_; }
    void SetAnimate(bool animate);

private:
    TPicture picture_ = TPicture::None;
    bool animate_ = false;
};

class TGroupBox : public TWinControl {
public:
    using TWinControl::TWinControl;
};

class TButton : public TWinControl {
public:
    using TWinControl::TWinControl;
};

class TListBox : public TWinControl {
public:
    using TWinControl::TWinControl;
    const std::vector<std::string>& Items() const { return items_; }
    void SetItems(std::vector<std::string> items);
    int ItemIndex() const { return itemIndex_; }  // -1: none selected
    void SetItemIndex(int index);
    int ItemHeight() const { return itemHeight_; }
    void SetItemHeight(int height) { itemHeight_ = height; Notify(Prop::Items); }
    // The operator clicks item `index`: it becomes selected, then OnClick runs.
    void ClickItem(int index);

private:
    std::vector<std::string> items_;
    int itemIndex_ = -1;
    int itemHeight_ = 13;
};

// A status bar with one simple panel; its text is the Caption.
class TStatusBar : public TWinControl {
public:
    using TWinControl::TWinControl;
};

// The samples spin edit: a whole number kept within MinValue..MaxValue.
class TCSpinEdit : public TWinControl {
public:
    using TWinControl::TWinControl;
    int MinValue() const { return min_; }
    int MaxValue() const { return max_; }
    void SetRange(int minValue, int maxValue);
    int Value() const { return value_; }
    void SetValue(int value);  // clamped into the range, as the control does

private:
    int min_ = 0, max_ = 0, value_ = 0;
};

class TTimer : public TComponent {
public:
    using TComponent::TComponent;
    unsigned Interval() const { return interval_; }
    void SetInterval(unsigned ms);
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool enabled);
    std::function<void()> OnTimer;
    void Fire() { if (OnTimer) OnTimer(); }

private:
    unsigned interval_ = 1000;
    bool enabled_ = true;
};

}  // namespace vcl
