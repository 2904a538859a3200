// ControlView: the drawing of one control of a shown form. Each view is a
// Qt widget (it derives from one) that a FormWindow owns through Qt's
// parent chain; it mirrors the control's properties on request (sync) and
// turns what the user does to the widget into the model's UserInput
// operations.
//
// User input is never handled inside Qt's event dispatch: a view posts the
// operation to the platform event loop, which runs it on its next pass, so
// handlers run where every other utility event runs and a widget's own code
// is never on the stack when a handler destroys its window. After the
// operation the view is brought back in step with the model, which may have
// refused it (a control that became unreachable in the meantime).
#pragma once

#include <QPalette>
#include <QPoint>
#include <QWidget>
#include <functional>
#include <memory>

#include "platform/forms/Control.h"
#include "platform/forms/UserInput.h"

namespace gui {

class FormWindow;

class ControlView {
public:
    ControlView(platform::Control& control, FormWindow& window);
    virtual ~ControlView();
    ControlView(const ControlView&) = delete;
    ControlView& operator=(const ControlView&) = delete;

    virtual QWidget* widget() = 0;
    // The model control; nullptr once the view was detached.
    platform::Control* control() const { return control_; }
    FormWindow& formWindow() const { return window_; }

    void sync(platform::Property p);
    void syncAll();
    // The control is going away: forget it; pending user actions are dropped.
    void detach();

    // Where children of a container control sit: relative to the control's
    // outer edge, except that a bordered picture box's client area starts
    // inside its border.
    virtual QPoint childOffset() const { return {}; }

protected:
    // Kind-specific properties (captions, values, lists, colours...).
    virtual void syncOwn(platform::Property p) = 0;

    // Queues a user action for the loop's next pass (see the contract above).
    void postUserAction(std::function<void(platform::UserInput&, platform::Control&)> action);

    // True while the model's state is being written into the widget, when
    // the widget's own change signals must not go back to the model.
    bool applying() const { return applying_ > 0; }
    struct Applying {
        explicit Applying(ControlView& v) : view(v) { ++view.applying_; }
        ~Applying() { --view.applying_; }
        ControlView& view;
    };

private:
    void syncGeometry();

    platform::Control* control_;
    FormWindow& window_;
    std::shared_ptr<bool> alive_;
    int applying_ = 0;
};

// A new view for the control as a child of `parent`, or nullptr for the
// controls that are not drawn (Timer, ImageList).
ControlView* makeView(platform::Control& control, FormWindow& window, QWidget* parent);

// Queues fn on the current platform event loop (at once when there is none).
void postToLoop(std::function<void()> fn);

// Gives one palette role of the widget a model colour. A foreground keeps
// the grey of the disabled state; a background applies in every state.
void setWidgetColor(QWidget* widget, QPalette::ColorRole role, platform::Color color, bool foreground);

// The model opened a combo box's list (a key did, see ComboBox::opensList):
// the view shows it open on the current entry.
void showOpenedList(QWidget* comboView);

// Per-kind factories (ButtonViews.cpp, EntryViews.cpp, PaintedViews.cpp).
ControlView* makeCommandButtonView(platform::Control& c, FormWindow& w, QWidget* parent);
ControlView* makeCheckBoxView(platform::Control& c, FormWindow& w, QWidget* parent);
ControlView* makeOptionButtonView(platform::Control& c, FormWindow& w, QWidget* parent);
ControlView* makeTextBoxView(platform::Control& c, FormWindow& w, QWidget* parent);
ControlView* makeComboBoxView(platform::Control& c, FormWindow& w, QWidget* parent);
ControlView* makeLabelView(platform::Control& c, FormWindow& w, QWidget* parent);
ControlView* makeFrameView(platform::Control& c, FormWindow& w, QWidget* parent);
ControlView* makePictureBoxView(platform::Control& c, FormWindow& w, QWidget* parent);
ControlView* makeImageView(platform::Control& c, FormWindow& w, QWidget* parent);

}  // namespace gui
