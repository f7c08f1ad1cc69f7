#include "platform/vcl/controls.h"

#include <algorithm>

namespace vcl {

TComponent::TComponent(TForm* owner, std::string name) : owner_(owner), name_(std::move(name)) {}

TComponent::~TComponent() = default;

void TComponent::SetPeer(std::unique_ptr<Peer> peer) { peer_ = std::move(peer); }

TControl::TControl(TForm* owner, TWinControl* parent, std::string name)
    : TComponent(owner, std::move(name)), parent_(parent) {
    if (parent_) {
        font_ = parent_->Font();
        color_ = parent_->Color();
        parent_->controls_.push_back(this);
    }
}

void TControl::SetBounds(int left, int top, int width, int height) {
    if (left == left_ && top == top_ && width == width_ && height == height_) return;
    left_ = left;
    top_ = top;
    width_ = width;
    height_ = height;
    Notify(Prop::Bounds);
}

void TControl::SetVisible(bool visible) {
    if (visible == visible_) return;
    visible_ = visible;
    Notify(Prop::Visible);
}

bool TControl::Showing() const {
    for (const TControl* c = this; c; c = c->parent_)
        if (!c->visible_) return false;
    return true;
}

void TControl::SetEnabled(bool enabled) {
    if (enabled == enabled_) return;
    enabled_ = enabled;
    Notify(Prop::Enabled);
}

void TControl::SetCaption(std::string caption) {
    if (caption == caption_) return;
    caption_ = std::move(caption);
    Notify(Prop::Caption);
}

void TControl::SetHint(std::string hint) {
    if (hint == hint_) return;
    hint_ = std::move(hint);
    Notify(Prop::Hint);
}

void TControl::SetShowHint(bool show) {
    if (show == showHint_) return;
    showHint_ = show;
    Notify(Prop::ShowHint);
}

void TControl::SetCursor(TCursor cursor) {
    if (cursor == cursor_) return;
    cursor_ = cursor;
    Notify(Prop::Cursor);
}

void TControl::SetFont(const TFont& font) {
    if (font == font_) return;
    font_ = font;
    Notify(Prop::Font);
}

void TControl::SetColor(TColor color) {
    if (color == color_) return;
    color_ = color;
    Notify(Prop::Color);
}

void TControl::SetTransparent(bool transparent) {
    if (transparent == transparent_) return;
    transparent_ = transparent;
    Notify(Prop::Transparent);
}

void TControl::SetAlignment(TAlignment alignment) {
    if (alignment == alignment_) return;
    alignment_ = alignment;
    Notify(Prop::Alignment);
}

void TControl::BringToFront() {
    if (!parent_) {  // a window: above the other windows
        Notify(Prop::ZOrder);
        return;
    }
    auto& siblings = parent_->controls_;
    auto it = std::find(siblings.begin(), siblings.end(), this);
    if (it == siblings.end() || it + 1 == siblings.end()) return;
    siblings.erase(it);
    siblings.push_back(this);
    Notify(Prop::ZOrder);
}

bool TControl::AcceptsClicks() const {
    if (!Showing()) return false;
    for (const TControl* c = this; c; c = c->parent_)
        if (!c->enabled_) return false;
    return true;
}

void TControl::Click() {
    if (AcceptsClicks() && OnClick) OnClick();
}

void TImage::SetPicture(TPicture picture) {
    if (picture == picture_) return;
    picture_ = picture;
    Notify(Prop::Picture);
}

void TRxGIFAnimator::SetPicture(TPicture picture) {
    if (picture == picture_) return;
    picture_ = picture;
    Notify(Prop::Picture);
}

void TRxGIFAnimator::SetAnimate(bool animate) {
    if (animate == animate_) return;
    animate_ = animate;
    Notify(Prop::Animate);
}

void TListBox::SetItems(std::vector<std::string> items) {
    items_ = std::move(items);
    if (itemIndex_ >= static_cast<int>(items_.size())) itemIndex_ = -1;
    Notify(Prop::Items);
}

void TListBox::SetItemIndex(int index) {
    if (index < -1 || index >= static_cast<int>(items_.size())) index = -1;
    if (index == itemIndex_) return;
    itemIndex_ = index;
    Notify(Prop::ItemIndex);
}

void TListBox::ClickItem(int index) {
    if (!AcceptsClicks()) return;
    SetItemIndex(index);
    if (OnClick) OnClick();
}

void TCSpinEdit::SetRange(int minValue, int maxValue) {
    min_ = minValue;
    max_ = maxValue;
    Notify(Prop::Range);
    SetValue(value_);
}

void TCSpinEdit::SetValue(int value) {
    if (max_ != min_) value = std::clamp(value, min_, max_);
    if (value == value_) return;
    value_ = value;
    Notify(Prop::Value);
}

void TTimer::SetInterval(unsigned ms) {
    if (ms == interval_) return;
    interval_ = ms;
    Notify(Prop::Interval);
}

void TTimer::SetEnabled(bool enabled) {
    if (enabled == enabled_) return;
    enabled_ = enabled;
    Notify(Prop::Enabled);
}

}  // namespace vcl
