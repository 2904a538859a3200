// Control: the common part of every control on a form. A control belongs to
// one form for its whole life and sits either directly on the form or in a
// container control (Frame, PictureBox); its Left/Top are twips relative to
// that parent. Controls are members of their window (or elements of a
// ControlArray) and must not outlive the form.
//
// Events are std::function members. The model raises them synchronously on
// the caller's stack: assigning a value in code that changes it raises the
// control's Click (or Change) before the assignment returns, so handlers may
// nest. Every event opens a Form::HandlerScope for the form.
//
// Effective state: a control is usable only while it and every container
// above it are Enabled and Visible; a container never changes its
// children's own Enabled or Visible.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/forms/Color.h"
#include "platform/forms/FontSpec.h"
#include "platform/forms/Form.h"
#include "platform/forms/FormObserver.h"

namespace platform {

template <class T>
class ControlArray;

enum class ControlKind {
    CommandButton,
    CheckBox,
    OptionButton,
    ComboBox,
    TextBox,
    Label,
    Frame,
    PictureBox,
    Image,
    Timer,
    ImageList,
};

const char* kindName(ControlKind kind);

// Alignment values (Label, TextBox, CheckBox).
inline constexpr int vbLeftJustify = 0;
inline constexpr int vbRightJustify = 1;
inline constexpr int vbCenter = 2;

// The upper-case access key of a caption ("E&xit" gives 'X'; "&&" is a
// literal ampersand), or 0.
char accessKeyOf(const std::string& caption);
// The caption as shown, ampersands of access keys removed.
std::string stripAccessKey(const std::string& caption);

class Control {
public:
    virtual ~Control();
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;

    ControlKind kind() const { return kind_; }
    Form& form() const { return form_; }
    // The Frame or PictureBox holding it; nullptr when it sits on the form.
    Control* Container() const { return container_; }
    void setContainer(Control* container);
    bool isContainer() const { return isContainer_; }
    std::vector<Control*> children() const;

    const std::string& Name() const { return name_; }
    // Index in its control array; -1 for a plain control.
    int Index() const { return index_; }
    bool isArrayElement() const { return index_ >= 0; }
    // "Name" or "Name(3)", for messages and logs.
    std::string displayName() const;

    bool Enabled() const { return enabled_; }
    void setEnabled(bool enabled);
    bool Visible() const { return visible_; }
    void setVisible(bool visible);
    // Own state and every container's (Enabled also needs the form's).
    bool effectiveEnabled() const;
    bool effectiveVisible() const;

    int Left() const { return left_; }
    int Top() const { return top_; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    void setLeft(int v) { Move(v, top_, width_, height_); }
    void setTop(int v) { Move(left_, v, width_, height_); }
    void setWidth(int v) { Move(left_, top_, v, height_); }
    void setHeight(int v) { Move(left_, top_, width_, v); }
    void Move(int left, int top, int width, int height);
    void Move(int left, int top) { Move(left, top, width_, height_); }
    // Position in the form's client area (containers' offsets added).
    int formLeft() const;
    int formTop() const;

    const FontSpec& Font() const { return font_; }
    void setFont(const FontSpec& font);
    void setFontName(const std::string& name);
    void setFontSize(double points);
    void setFontBold(bool bold);
    void setFontItalic(bool italic);
    void setFontUnderline(bool underline);

    int TabIndex() const { return tabIndex_; }
    void setTabIndex(int v);
    bool TabStop() const { return tabStop_; }
    void setTabStop(bool v);
    const std::string& Tag() const { return tag_; }
    void setTag(std::string tag) { tag_ = std::move(tag); }
    const std::string& ToolTipText() const { return toolTip_; }
    void setToolTipText(std::string text);
    Color BackColor() const { return backColor_; }
    void setBackColor(Color c);
    Color ForeColor() const { return foreColor_; }
    void setForeColor(Color c);

    // The control's kind can hold the focus (buttons, boxes, lists...).
    virtual bool focusable() const { return false; }
    // It can take the focus now: focusable, loaded form, effectively
    // enabled and visible.
    bool canTakeFocus() const;
    // Moves the focus here; does nothing when the control cannot take it.
    void SetFocus();
    bool hasFocus() const;
    // The caption whose `&` gives the control's access key ("" if none).
    virtual const std::string& accessCaption() const;

    std::function<void()> Click;
    std::function<void()> DblClick;

protected:
    Control(Form& form, ControlKind kind, std::string name);
    Control(Control& container, ControlKind kind, std::string name);

    void notify(Property p);
    // Stores a property value and tells the observers; false when the
    // value was already there (nothing is told then).
    template <class T, class V>
    bool assign(T& field, V&& value, Property p) {
        if (field == value) return false;
        field = std::forward<V>(value);
        notify(p);
        return true;
    }
    void setContainerFlag() { isContainer_ = true; }
    void setDefaultSize(int width, int height) { width_ = width; height_ = height; }

    // Raises an event handler with a HandlerScope; the handler is copied
    // first because it may replace itself.
    template <class... Params, class... Args>
    void raise(const std::function<void(Params...)>& handler, Args&&... args) {
        if (!handler) return;
        auto h = handler;
        Form::HandlerScope scope(form_);
        h(std::forward<Args>(args)...);
    }

    // What the user's mouse click does (after the focus moved here).
    virtual void userClick() { raise(Click); }
    // What the access key (Alt+letter) does.
    virtual void accessKeyAction();
    // Default actions of keys that reach the control and were not
    // swallowed; return true when the key was used.
    virtual bool keyDownAction(int /*keyCode*/, int /*shift*/) { return false; }
    virtual bool keyPressAction(int /*keyAscii*/) { return false; }
    // Keyboard and focus events; FocusableControl raises its handlers.
    virtual void raiseKeyDown(int& /*keyCode*/, int /*shift*/) {}
    virtual void raiseKeyPress(int& /*keyAscii*/) {}
    virtual void raiseKeyUp(int& /*keyCode*/, int /*shift*/) {}
    virtual void raiseGotFocus() {}
    virtual void raiseLostFocus() {}
    // The form was loaded or unloaded, or the control's effective
    // Enabled/Visible may have changed.
    virtual void formLoadChanged(bool /*loaded*/) {}
    virtual void effectiveStateChanged();
    // Called for every change before observers hear of it.
    virtual void propertyChanged(Property /*p*/) {}
    // Focuses the first control after this one in tab order that can take
    // the focus (what a label's or frame's access key does).
    void focusNextInTabOrder();

private:
    friend class Form;
    friend class UserInput;
    template <class T>
    friend class ControlArray;

    void setArrayIndex(int index) { index_ = index; }
    template <class T>
    void setFontField(T FontSpec::*field, const T& value) {
        FontSpec f = font_;
        f.*field = value;
        setFont(f);
    }
    void childrenStateChanged();

    Form& form_;
    ControlKind kind_;
    std::string name_;
    int index_ = -1;
    Control* container_ = nullptr;
    bool isContainer_ = false;
    bool enabled_ = true, visible_ = true, tabStop_ = true;
    int left_ = 0, top_ = 0, width_ = 1215, height_ = 495;
    FontSpec font_;
    int tabIndex_ = 0;
    std::string tag_, toolTip_;
    Color backColor_ = vbButtonFace, foreColor_ = vbButtonText;
};

// A control that can hold the focus and takes keyboard input.
class FocusableControl : public Control {
public:
    bool focusable() const override { return true; }

    std::function<void()> GotFocus;
    std::function<void()> LostFocus;
    std::function<void(int& KeyAscii)> KeyPress;
    std::function<void(int& KeyCode, int Shift)> KeyDown;
    std::function<void(int& KeyCode, int Shift)> KeyUp;

protected:
    using Control::Control;
    void raiseKeyDown(int& keyCode, int shift) override { raise(KeyDown, keyCode, shift); }
    void raiseKeyPress(int& keyAscii) override { raise(KeyPress, keyAscii); }
    void raiseKeyUp(int& keyCode, int shift) override { raise(KeyUp, keyCode, shift); }
    void raiseGotFocus() override { raise(GotFocus); }
    void raiseLostFocus() override { raise(LostFocus); }
};

}  // namespace platform
