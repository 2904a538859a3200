// What a front end (or a test) hears from the window model: forms appearing
// and going away, and every property change of a form or control, so it can
// keep a drawing of each shown form in step.
//
// Observers are registered with Forms::addObserver and called synchronously,
// on the stack of the change, possibly from inside a control's own event
// handler: an observer must not destroy a widget whose own input is being
// handled (defer such deletions). Observers may call back into the model.
#pragma once

namespace platform {

class Form;
class Control;

enum class Property {
    Caption,
    Text,
    Value,
    List,  // list entries added, removed or changed
    ListIndex,
    Enabled,
    Visible,
    Geometry,  // Left, Top, Width or Height
    Font,
    ForeColor,
    BackColor,
    BackStyle,
    BorderStyle,
    Picture,
    Default,
    Cancel,
    Locked,
    MaxLength,
    Selection,  // SelStart or SelLength
    Alignment,
    AutoSize,
    WordWrap,
    TabIndex,
    TabStop,
    Container,
    Style,
    Interval,
    Icon,
    KeyPreview,
    ControlBox,
    ToolTipText,
    Multiline,
    PasswordChar,
    Stretch,
};

const char* propertyName(Property p);

class FormObserver {
public:
    virtual ~FormObserver() = default;

    // Load event about to run; the form is not shown yet.
    virtual void formLoaded(Form&) {}
    // The form became visible (modal: shown with vbModal; owner via Form::owner()).
    virtual void formShown(Form&, bool /*modal*/) {}
    // Just before the nested loop of a modal show starts; a test driver
    // answers the window here. Runs after every observer's formShown.
    virtual void modalShown(Form&) {}
    virtual void formHidden(Form&) {}
    // After QueryUnload and Unload agreed; the form is no longer loaded.
    virtual void formUnloaded(Form&) {}
    // The form object is being destroyed: forget every pointer to it and to
    // its controls.
    virtual void formDestroyed(Form&) {}
    virtual void formChanged(Form&, Property) {}
    virtual void changed(Control&, Property) {}
    // A control array element loaded or unloaded at run time.
    virtual void controlAdded(Control&) {}
    virtual void controlRemoved(Control&) {}
    // The form's active control changed (nullptr: none).
    virtual void focusChanged(Form&, Control* /*focused*/) {}
    // The application's active form changed.
    virtual void formActivated(Form&) {}
};

}  // namespace platform
