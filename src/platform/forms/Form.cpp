#include "platform/forms/Form.h"

#include <algorithm>
#include <stdexcept>
#include <utility>

#include "platform/RuntimeError.h"
#include "platform/forms/Control.h"
#include "platform/forms/Forms.h"
#include "platform/loop/EventLoop.h"

namespace platform {

namespace {

// Clears a flag when the scope ends, also when a handler throws.
struct FlagGuard {
    bool& flag;
    ~FlagGuard() { flag = false; }
};

}  // namespace

Form::Form(std::string name) : name_(std::move(name)) { Forms::constructed(); }

Form::~Form() {
    if (!destroyNotified_) {
        // Destroyed without the deleter of newForm (a plain object); the
        // observers still must forget it.
        Forms::notify([&](FormObserver& o) { o.formDestroyed(*this); });
    }
    Forms::removed(this);
    Forms::destroyed();
    for (Control* c : controls_) c->container_ = nullptr;
}

// --- Properties -------------------------------------------------------------

void Form::notifyChanged(Property p) {
    Forms::notify([&](FormObserver& o) { o.formChanged(*this, p); });
}

template <class T, class V>
void Form::assign(T& field, V&& value, Property p) {
    if (field == value) return;
    field = std::forward<V>(value);
    notifyChanged(p);
}

void Form::setCaption(std::string caption) { assign(caption_, std::move(caption), Property::Caption); }

void Form::setIcon(PicturePtr icon) {
    icon_ = std::move(icon);
    notifyChanged(Property::Icon);
}

void Form::Move(int left, int top, int width, int height) {
    if (width < 0 || height < 0) throw RuntimeError(err::InvalidProperty, "Invalid property value");
    if (left == left_ && top == top_ && width == width_ && height == height_) return;
    bool resized = width != width_ || height != height_;
    left_ = left;
    top_ = top;
    width_ = width;
    height_ = height;
    notifyChanged(Property::Geometry);
    if (resized && loaded_) {
        HandlerScope scope(*this);
        Form_Resize();
    }
}

void Form::setClientSize(int width, int height) {
    Move(left_, top_, width + frameWidth_, height + frameHeight_);
}

void Form::setFrameSize(int width, int height) {
    frameWidth_ = width;
    frameHeight_ = height;
    notifyChanged(Property::Geometry);
}

void Form::setVisible(bool visible) {
    if (visible)
        Show();
    else
        Hide();
}

void Form::setEnabled(bool enabled) {
    if (enabled == enabled_) return;
    enabled_ = enabled;
    notifyChanged(Property::Enabled);
    for (Control* c : controls_)
        if (!c->container_) {
            c->effectiveStateChanged();
            c->childrenStateChanged();
        }
}

void Form::setKeyPreview(bool on) { assign(keyPreview_, on, Property::KeyPreview); }

void Form::setBorderStyle(int v) { assign(borderStyle_, v, Property::BorderStyle); }

void Form::setControlBox(bool v) { assign(controlBox_, v, Property::ControlBox); }

void Form::setBackColor(Color c) { assign(backColor_, c, Property::BackColor); }

void Form::applyFont(const FontSpec& font) {
    font_ = font;
    for (Control* c : controls_) c->setFont(font);
}

void Form::centerOnScreen() {
    Move((Forms::screenWidth() - width_) / 2, (Forms::screenHeight() - height_) / 2, width_,
         height_);
}

void Form::centerOn(const Form& other) {
    Move(other.left_ + (other.width_ - width_) / 2, other.top_ + (other.height_ - height_) / 2,
         width_, height_);
}

void Form::applyStartUpPosition() {
    if (startUpPosition_ == vbStartUpScreen)
        centerOnScreen();
    else if (startUpPosition_ == vbStartUpOwner)
        owner_ ? centerOn(*owner_) : centerOnScreen();
}

// --- Lifetime ---------------------------------------------------------------

void Form::initialize() {
    if (initialized_) return;
    initialized_ = true;
    HandlerScope scope(*this);
    Form_Initialize();
}

void Form::terminate() {
    if (!initialized_ || terminated_) return;
    terminated_ = true;
    // No HandlerScope: the form is on its way out and must not settle again.
    Form_Terminate();
}

void Form::load() {
    if (loaded_) return;
    initialize();
    HandlerScope scope(*this);
    loaded_ = true;
    positioned_ = false;
    releasePending_ = false;
    if (!keepAlive_) keepAlive_ = weak_from_this().lock();
    Forms::added(this);
    Forms::notify([&](FormObserver& o) { o.formLoaded(*this); });
    for (Control* c : std::vector<Control*>(controls_)) c->formLoadChanged(true);
    Form_Load();
}

void Form::Show(int modal, Form* owner) {
    HandlerScope scope(*this);
    const bool modalShow = modal != vbModeless;
    if (modal_) return;  // already running its own modal loop
    if (modalShow && visible_)
        throw RuntimeError(400, "Form already displayed; can't show modally");
    if (owner) owner_ = owner;
    if (!loaded_) {
        load();
        if (!loaded_) return;  // unloaded itself while loading
    }
    if (!positioned_) {
        positioned_ = true;
        applyStartUpPosition();
    }
    Form* previous = Forms::activeForm();
    if (modalShow) {
        EventLoop* loop = EventLoop::currentOrNull();
        if (!loop) throw std::logic_error("modal show of " + name_ + " without an event loop");
        modal_ = true;
        Forms::pushModal(this);
    }
    try {
        if (!visible_) {
            visible_ = true;
            Forms::markShown(this);
            Forms::notify([&](FormObserver& o) { o.formShown(*this, modalShow); });
        }
        activate();
        if (loaded_ && visible_ && !activeControl_) {
            auto order = tabOrder();
            if (!order.empty()) setActiveControl(order.front(), true);
        }
        if (modalShow) {
            Forms::notify([&](FormObserver& o) { o.modalShown(*this); });
            EventLoop::current().runUntil([this] { return !visible_ || !loaded_; });
        }
    } catch (...) {
        if (modalShow) endModal(previous);
        throw;
    }
    if (modalShow) endModal(previous);
}

void Form::endModal(Form* previous) {
    modal_ = false;
    Forms::popModal(this);
    if (previous && previous != this && previous->loaded_ && previous->visible_)
        previous->activate();
}

void Form::activate() {
    Form* previous = Forms::activeForm();
    if (previous == this) return;
    if (previous) {
        HandlerScope scope(*previous);
        previous->Form_Deactivate();
    }
    Forms::setActive(this);
    Forms::notify([&](FormObserver& o) { o.formActivated(*this); });
    HandlerScope scope(*this);
    Form_Activate();
}

void Form::SetFocus() {
    if (loaded_ && visible_) activate();
}

void Form::Hide() {
    if (!visible_) return;
    visible_ = false;
    if (Forms::activeForm() == this) Forms::setActive(nullptr);
    Forms::notify([&](FormObserver& o) { o.formHidden(*this); });
}

bool Form::unload(int unloadMode) {
    if (!loaded_) return true;
    if (unloading_) return false;  // Unload from inside its own QueryUnload/Unload
    HandlerScope scope(*this);
    int cancel = 0;
    {
        unloading_ = true;
        FlagGuard guard{unloading_};
        Form_QueryUnload(cancel, unloadMode);
        if (cancel == 0 && loaded_) Form_Unload(cancel);
    }
    if (cancel != 0) return false;
    if (!loaded_) return true;
    // Windows this one owns close with it.
    for (Form* f : std::vector<Form*>(Forms::loaded()))
        if (f != this && f->owner_ == this) f->unload(vbFormOwner);
    markUnloaded();
    return true;
}

void Form::markUnloaded() {
    if (!loaded_) return;
    const bool wasVisible = visible_;
    loaded_ = false;
    visible_ = false;
    activeControl_ = nullptr;
    for (Control* c : std::vector<Control*>(controls_)) c->formLoadChanged(false);
    Forms::removed(this);
    if (wasVisible) Forms::notify([&](FormObserver& o) { o.formHidden(*this); });
    Forms::notify([&](FormObserver& o) { o.formUnloaded(*this); });
    releasePending_ = true;
    if (handlerDepth_ == 0) settle();  // may destroy the form: nothing after this
}

Form::HandlerScope::HandlerScope(Form& form) : form_(form) { ++form_.handlerDepth_; }

Form::HandlerScope::~HandlerScope() {
    if (--form_.handlerDepth_ == 0) form_.settle();
}

void Form::settle() {
    if (deletePending_) {
        deletePending_ = false;
        FormDeleter{}(this);
        return;
    }
    if (releasePending_ && !loaded_) {
        releasePending_ = false;
        // Dropping the last reference destroys the form inside this call;
        // nothing here touches it afterwards.
        std::shared_ptr<Form> last = std::move(keepAlive_);
    }
}

void FormDeleter::operator()(Form* form) const {
    if (form->handlerDepth_ > 0) {
        form->deletePending_ = true;
        return;
    }
    form->terminate();
    form->destroyNotified_ = true;
    Forms::notify([&](FormObserver& o) { o.formDestroyed(*form); });
    delete form;
}

// --- Controls and focus -----------------------------------------------------

void Form::addControl(Control* c) {
    controls_.push_back(c);
    c->tabIndex_ = nextTabIndex_++;
}

void Form::removeControl(Control* c) {
    controls_.erase(std::remove(controls_.begin(), controls_.end(), c), controls_.end());
    if (activeControl_ == c) activeControl_ = nullptr;
    for (Control* other : controls_)
        if (other->container_ == c) other->container_ = nullptr;
}

Control* Form::findControl(const std::string& name, int index) const {
    for (Control* c : controls_)
        if (c->Name() == name && (index < 0 || c->Index() == index)) return c;
    return nullptr;
}

std::vector<Control*> Form::tabOrder() const {
    std::vector<Control*> order;
    for (Control* c : controls_)
        if (c->TabStop() && c->canTakeFocus()) order.push_back(c);
    std::stable_sort(order.begin(), order.end(),
                     [](Control* a, Control* b) { return a->TabIndex() < b->TabIndex(); });
    return order;
}

void Form::setActiveControl(Control* c, bool raiseEvents) {
    if (c == activeControl_) return;
    Control* old = activeControl_;
    activeControl_ = c;
    Forms::notify([&](FormObserver& o) { o.focusChanged(*this, c); });
    if (!raiseEvents) return;
    HandlerScope scope(*this);
    if (old) old->raiseLostFocus();
    if (c && activeControl_ == c) c->raiseGotFocus();
}

void Form::raiseClick() {
    HandlerScope scope(*this);
    Form_Click();
}

}  // namespace platform
