// Form: one window of the utility. Window classes derive from Form, hold
// their controls as members (constructed with *this or a container control)
// and override the Form_* handlers they need; control events are
// std::function members wired in the window's constructor.
//
// Ownership: make forms with newForm<T>(...), which returns a shared_ptr,
// runs Form_Initialize once the object is complete and Form_Terminate just
// before it is destroyed. While loaded, a form keeps itself alive (like the
// Forms collection holding it); Unload gives that reference up, but never
// while one of the form's own handlers (or its modal Show) is on the stack:
// release and destruction wait until the outermost one has returned, so a
// handler may unload its own window and carry on. A form that is unloaded
// but still referenced loads again (Form_Load runs again) on the next Show.
//
// What may block and nest: Show(vbModal) runs EventLoop::runUntil until the
// form is hidden or unloaded; every handler of every form may run inside it,
// including further modal shows. Nothing else here waits.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/forms/Color.h"
#include "platform/forms/FontSpec.h"
#include "platform/forms/FormObserver.h"
#include "platform/forms/Picture.h"

namespace platform {

class Control;
class UserInput;
class Forms;

inline constexpr int vbModeless = 0;
inline constexpr int vbModal = 1;

// Why a form is being closed (QueryUnload's UnloadMode).
inline constexpr int vbFormControlMenu = 0;  // the user's close box or system menu
inline constexpr int vbFormCode = 1;         // an Unload statement in code
inline constexpr int vbAppWindows = 2;       // the desktop session is ending
inline constexpr int vbAppTaskManager = 3;   // closed from outside the program
inline constexpr int vbFormMDIForm = 4;
inline constexpr int vbFormOwner = 5;  // the owner form is closing

// StartUpPosition values.
inline constexpr int vbStartUpManual = 0;
inline constexpr int vbStartUpOwner = 1;
inline constexpr int vbStartUpScreen = 2;
inline constexpr int vbStartUpWindowsDefault = 3;

// Form BorderStyle values.
inline constexpr int vbBSNone = 0;
inline constexpr int vbFixedSingle = 1;
inline constexpr int vbSizable = 2;
inline constexpr int vbFixedDouble = 3;  // fixed dialog
inline constexpr int vbFixedToolWindow = 4;
inline constexpr int vbSizableToolWindow = 5;

inline constexpr int kTwipsPerPixel = 15;

class Form : public std::enable_shared_from_this<Form> {
public:
    explicit Form(std::string name);
    virtual ~Form();
    Form(const Form&) = delete;
    Form& operator=(const Form&) = delete;

    const std::string& Name() const { return name_; }

    // --- Properties -------------------------------------------------------
    const std::string& Caption() const { return caption_; }
    void setCaption(std::string caption);
    const PicturePtr& Icon() const { return icon_; }
    void setIcon(PicturePtr icon);

    // Outer geometry in twips, screen coordinates.
    int Left() const { return left_; }
    int Top() const { return top_; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    void setLeft(int v) { Move(v, top_, width_, height_); }
    void setTop(int v) { Move(left_, v, width_, height_); }
    void setWidth(int v) { Move(left_, top_, v, height_); }
    void setHeight(int v) { Move(left_, top_, width_, v); }
    void Move(int left, int top, int width, int height);
    // Client (inner) area in twips: the outer size less the window frame.
    int ScaleWidth() const { return width_ - frameWidth_; }
    int ScaleHeight() const { return height_ - frameHeight_; }
    void setClientSize(int width, int height);
    // Size of the frame and title bar around the client area (outer less
    // inner), in twips. The front end may set what its window system uses.
    int frameWidth() const { return frameWidth_; }
    int frameHeight() const { return frameHeight_; }
    void setFrameSize(int width, int height);

    bool Visible() const { return visible_; }
    void setVisible(bool visible);  // true: Show modeless; false: Hide
    bool Enabled() const { return enabled_; }
    void setEnabled(bool enabled);
    bool KeyPreview() const { return keyPreview_; }
    void setKeyPreview(bool on);
    int StartUpPosition() const { return startUpPosition_; }
    void setStartUpPosition(int v) { startUpPosition_ = v; }
    int BorderStyle() const { return borderStyle_; }
    void setBorderStyle(int v);
    bool ControlBox() const { return controlBox_; }
    void setControlBox(bool v);
    // Font given to controls created after it is set (design time).
    const FontSpec& Font() const { return font_; }
    void setFont(const FontSpec& font) { font_ = font; }
    // Sets the form's Font and gives it to every control it has now (a
    // window's constructor runs after its member controls were made).
    void applyFont(const FontSpec& font);
    Color BackColor() const { return backColor_; }
    void setBackColor(Color c);

    // Centring helpers (StartUpPosition 1 and 2 apply them on the first Show
    // after a load).
    void centerOnScreen();
    void centerOn(const Form& other);

    // --- Lifetime ---------------------------------------------------------
    // Runs Form_Initialize once; newForm calls it, Show and Load call it when
    // nobody has yet.
    void initialize();
    bool isLoaded() const { return loaded_; }
    // Shown with vbModal and its nested loop still running.
    bool isModal() const { return modal_; }
    Form* owner() const { return owner_; }

    // Loads when needed (Load event), makes the form visible and active, and
    // gives the focus to the first control in tab order. vbModal: returns
    // when the form is hidden or unloaded, running the event loop meanwhile.
    void Show(int modal = vbModeless, Form* owner = nullptr);
    void Hide();
    // Load without showing.
    void load();
    // QueryUnload(Cancel, mode), then Unload(Cancel); either may refuse.
    // Returns true when the form is unloaded afterwards.
    bool unload(int unloadMode = vbFormCode);

    // --- Controls and focus -----------------------------------------------
    // Every control of the form, in creation order (the design order).
    const std::vector<Control*>& controls() const { return controls_; }
    // The control with the given name (first of an array when index is -1).
    Control* findControl(const std::string& name, int index = -1) const;
    // Controls that can take the focus now, by TabIndex (ties: creation order).
    std::vector<Control*> tabOrder() const;
    Control* ActiveControl() const { return activeControl_; }
    // Gives the form the focus (activates it).
    void SetFocus();

    // Keeps the form's release and destruction back while a handler of it
    // runs. The model opens one around every event it raises; hold one
    // while calling several handlers of a form from outside.
    class HandlerScope {
    public:
        explicit HandlerScope(Form& form);
        ~HandlerScope();
        HandlerScope(const HandlerScope&) = delete;
        HandlerScope& operator=(const HandlerScope&) = delete;

    private:
        Form& form_;
    };
    bool inHandler() const { return handlerDepth_ > 0; }

protected:
    // --- Window events; override the ones the window handles -------------
    virtual void Form_Initialize() {}
    virtual void Form_Load() {}
    virtual void Form_Activate() {}
    virtual void Form_Deactivate() {}
    virtual void Form_QueryUnload(int& /*Cancel*/, int /*UnloadMode*/) {}
    virtual void Form_Unload(int& /*Cancel*/) {}
    virtual void Form_Terminate() {}
    virtual void Form_Resize() {}
    virtual void Form_Click() {}
    // With KeyPreview the form sees keys before the focused control;
    // without, only when no control has the focus. Setting KeyAscii or
    // KeyCode to 0 swallows the key.
    virtual void Form_KeyPress(int& /*KeyAscii*/) {}
    virtual void Form_KeyDown(int& /*KeyCode*/, int /*Shift*/) {}
    virtual void Form_KeyUp(int& /*KeyCode*/, int /*Shift*/) {}

    // For forms not made by newForm: runs Form_Terminate once. Call it
    // first in the window's destructor when it has a Terminate handler.
    void terminate();

private:
    friend class Control;
    friend class UserInput;
    friend class Forms;
    friend struct FormDeleter;

    void notifyChanged(Property p);
    // Stores a property value and tells the observers, unless it was
    // already there.
    template <class T, class V>
    void assign(T& field, V&& value, Property p);
    void addControl(Control* c);
    void removeControl(Control* c);
    void setActiveControl(Control* c, bool raiseEvents);
    void activate();
    void applyStartUpPosition();
    void endModal(Form* previousActive);
    void settle();  // the outermost handler has returned
    void raiseClick();
    void markUnloaded();

    std::string name_;
    std::string caption_;
    PicturePtr icon_;
    int left_ = 0, top_ = 0, width_ = 4800, height_ = 3600;
    int frameWidth_ = 90, frameHeight_ = 450;
    bool visible_ = false, enabled_ = true, keyPreview_ = false, controlBox_ = true;
    int startUpPosition_ = vbStartUpWindowsDefault;
    int borderStyle_ = vbSizable;
    FontSpec font_;
    Color backColor_ = vbButtonFace;

    bool initialized_ = false, terminated_ = false;
    bool loaded_ = false, unloading_ = false, modal_ = false, positioned_ = false;
    Form* owner_ = nullptr;
    std::vector<Control*> controls_;
    Control* activeControl_ = nullptr;
    int nextTabIndex_ = 0;

    int handlerDepth_ = 0;
    bool releasePending_ = false, deletePending_ = false, destroyNotified_ = false;
    std::shared_ptr<Form> keepAlive_;
};

// Deleter of the shared_ptr that newForm makes: Form_Terminate, then delete,
// both deferred while a handler of the form is running.
struct FormDeleter {
    void operator()(Form* form) const;
};

template <class T, class... Args>
std::shared_ptr<T> newForm(Args&&... args) {
    std::shared_ptr<T> form(new T(std::forward<Args>(args)...), FormDeleter{});
    form->initialize();
    return form;
}

// The Load and Unload statements.
inline void Load(Form& form) { form.load(); }
inline bool Unload(Form& form) { return form.unload(vbFormCode); }

}  // namespace platform
