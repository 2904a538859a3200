#include "platform/forms/Control.h"

#include <algorithm>
#include <stdexcept>

#include "platform/RuntimeError.h"
#include "platform/forms/Forms.h"

namespace platform {

const char* kindName(ControlKind kind) {
    switch (kind) {
    case ControlKind::CommandButton: return "CommandButton";
    case ControlKind::CheckBox: return "CheckBox";
    case ControlKind::OptionButton: return "OptionButton";
    case ControlKind::ComboBox: return "ComboBox";
    case ControlKind::TextBox: return "TextBox";
    case ControlKind::Label: return "Label";
    case ControlKind::Frame: return "Frame";
    case ControlKind::PictureBox: return "PictureBox";
    case ControlKind::Image: return "Image";
    case ControlKind::Timer: return "Timer";
    case ControlKind::ImageList: return "ImageList";
    }
    return "Control";
}

char accessKeyOf(const std::string& caption) {
    for (size_t i = 0; i + 1 < caption.size(); ++i) {
        if (caption[i] != '&') continue;
        if (caption[i + 1] == '&') {
            ++i;
            continue;
        }
        char c = caption[i + 1];
        return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c;
    }
    return 0;
}

std::string stripAccessKey(const std::string& caption) {
    std::string out;
    out.reserve(caption.size());
    for (size_t i = 0; i < caption.size(); ++i) {
        if (caption[i] == '&' && i + 1 < caption.size()) ++i;  // "&&" keeps one
        out += caption[i];
    }
    return out;
}

Control::Control(Form& form, ControlKind kind, std::string name)
    : form_(form), kind_(kind), name_(std::move(name)), font_(form.Font()) {
    form_.addControl(this);
}

Control::Control(Control& container, ControlKind kind, std::string name)
    : form_(container.form()), kind_(kind), name_(std::move(name)), container_(&container),
      font_(container.form().Font()) {
    if (!container.isContainer_)
        throw std::logic_error(container.displayName() + " cannot hold controls");
    form_.addControl(this);
}

Control::~Control() { form_.removeControl(this); }

void Control::notify(Property p) {
    propertyChanged(p);
    Forms::notify([&](FormObserver& o) { o.changed(*this, p); });
}

void Control::setContainer(Control* container) {
    if (container == container_) return;
    if (container && (!container->isContainer_ || &container->form_ != &form_))
        throw std::logic_error(container->displayName() + " cannot hold " + displayName());
    for (Control* c = container; c; c = c->container_)
        if (c == this) throw std::logic_error(displayName() + " cannot hold itself");
    container_ = container;
    notify(Property::Container);
    effectiveStateChanged();
    childrenStateChanged();
}

std::vector<Control*> Control::children() const {
    std::vector<Control*> out;
    for (Control* c : form_.controls())
        if (c->container_ == this) out.push_back(c);
    return out;
}

std::string Control::displayName() const {
    return index_ >= 0 ? name_ + "(" + std::to_string(index_) + ")" : name_;
}

void Control::setEnabled(bool enabled) {
    if (!assign(enabled_, enabled, Property::Enabled)) return;
    effectiveStateChanged();
    childrenStateChanged();
}

void Control::setVisible(bool visible) {
    if (!assign(visible_, visible, Property::Visible)) return;
    effectiveStateChanged();
    childrenStateChanged();
}

bool Control::effectiveEnabled() const {
    if (!enabled_) return false;
    return container_ ? container_->effectiveEnabled() : form_.Enabled();
}

bool Control::effectiveVisible() const {
    if (!visible_) return false;
    return container_ ? container_->effectiveVisible() : true;
}

void Control::effectiveStateChanged() {
    // The focus does not stay on a control the user can no longer reach.
    if (hasFocus() && !canTakeFocus()) form_.setActiveControl(nullptr, false);
}

void Control::childrenStateChanged() {
    for (Control* c : children()) {
        c->effectiveStateChanged();
        c->childrenStateChanged();
    }
}

void Control::Move(int left, int top, int width, int height) {
    if (width < 0 || height < 0) throw RuntimeError(err::InvalidProperty, "Invalid property value");
    if (left == left_ && top == top_ && width == width_ && height == height_) return;
    left_ = left;
    top_ = top;
    width_ = width;
    height_ = height;
    notify(Property::Geometry);
}

int Control::formLeft() const { return left_ + (container_ ? container_->formLeft() : 0); }
int Control::formTop() const { return top_ + (container_ ? container_->formTop() : 0); }

void Control::setFont(const FontSpec& font) {
    assign(font_, font, Property::Font);
}

void Control::setFontName(const std::string& name) { setFontField(&FontSpec::name, name); }
void Control::setFontSize(double points) { setFontField(&FontSpec::size, points); }
void Control::setFontBold(bool bold) { setFontField(&FontSpec::bold, bold); }
void Control::setFontItalic(bool italic) { setFontField(&FontSpec::italic, italic); }
void Control::setFontUnderline(bool underline) { setFontField(&FontSpec::underline, underline); }

void Control::setTabIndex(int v) {
    if (v < 0) throw RuntimeError(err::InvalidProperty, "Invalid property value");
    // Tab indices stay a permutation 0..n-1: the others close up around the
    // new position, as the designer of the windows expects.
    std::vector<Control*> order = form_.controls();
    std::stable_sort(order.begin(), order.end(),
                     [](Control* a, Control* b) { return a->tabIndex_ < b->tabIndex_; });
    order.erase(std::remove(order.begin(), order.end(), this), order.end());
    size_t pos = std::min(static_cast<size_t>(v), order.size());
    order.insert(order.begin() + static_cast<long>(pos), this);
    for (size_t i = 0; i < order.size(); ++i) {
        if (order[i]->tabIndex_ == static_cast<int>(i)) continue;
        order[i]->tabIndex_ = static_cast<int>(i);
        order[i]->notify(Property::TabIndex);
    }
}

void Control::setTabStop(bool v) {
    assign(tabStop_, v, Property::TabStop);
}

void Control::setToolTipText(std::string text) {
    assign(toolTip_, std::move(text), Property::ToolTipText);
}

void Control::setBackColor(Color c) {
    assign(backColor_, c, Property::BackColor);
}

void Control::setForeColor(Color c) {
    assign(foreColor_, c, Property::ForeColor);
}

bool Control::canTakeFocus() const {
    return focusable() && form_.isLoaded() && effectiveEnabled() && effectiveVisible();
}

void Control::SetFocus() {
    if (!canTakeFocus()) return;
    form_.setActiveControl(this, true);
}

bool Control::hasFocus() const { return form_.ActiveControl() == this; }

const std::string& Control::accessCaption() const {
    static const std::string none;
    return none;
}

void Control::accessKeyAction() {}

void Control::focusNextInTabOrder() {
    Control* best = nullptr;
    for (Control* c : form_.controls()) {
        if (c == this || c->tabIndex_ <= tabIndex_ || !c->canTakeFocus()) continue;
        if (!best || c->tabIndex_ < best->tabIndex_) best = c;
    }
    if (best) best->SetFocus();
}

}  // namespace platform
