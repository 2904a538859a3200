// FormWindow: the top-level Qt window of one loaded form and the views of
// its controls. The Renderer makes one when a form loads and drops it when
// the form unloads or is destroyed; it never outlives the form's model
// object (detach() cuts the link first).
//
// Model -> widget: the Renderer forwards every change the model reports
// (syncForm, syncControl, syncFocus, add/removeControl, show, hide,
// activate) and the window applies it at once. Widget -> model: the close
// box, a click on the window and keys (through InputBridge) become the
// model's UserInput operations, posted to the platform loop like every
// control's input (see ControlView.h). A window shown modally is
// window-modal in Qt as well; the model's nested loop stays in charge.
#pragma once

#include <QImage>
#include <QWidget>
#include <functional>
#include <map>
#include <memory>

#include "platform/forms/Form.h"
#include "platform/forms/FormObserver.h"
#include "platform/forms/UserInput.h"

class QKeyEvent;

namespace gui {

class ControlView;
class Renderer;

class FormWindow final : public QWidget {
public:
    FormWindow(platform::Form& form, Renderer& renderer);
    ~FormWindow() override;

    platform::Form* form() const { return form_; }
    // The form is going away: forget it and every control.
    void detach();
    // This window is going away: the windows of other forms shown over it
    // move over the next live window below and stay shown.
    void handOverWindowsShownOver();

    ControlView* viewOf(const platform::Control& c) const;
    QWidget* widgetOf(const platform::Control& c) const;
    // Pixel offset of the client area of the control's container.
    QPoint childOffset(const platform::Control& c) const;
    void syncChildGeometry(const platform::Control& container);

    void addControl(platform::Control& c);
    void removeControl(platform::Control& c);
    void syncForm(platform::Property p);
    void syncControl(platform::Control& c, platform::Property p);
    void syncFocus();
    void showFromModel(bool modal);
    void hideFromModel();
    void activateFromModel();

    // A key typed while this window had Qt's focus (from InputBridge).
    void keyFromQt(const QKeyEvent& event);
    // Text an input method committed: typed into the focused text box.
    void textFromQt(const QString& text);
    // The window as the desktop would show it: frame, title bar with icon,
    // caption and close box, and the client area, at the model's outer size.
    QImage screenshot();

protected:
    void closeEvent(QCloseEvent* e) override;
    void changeEvent(QEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void moveEvent(QMoveEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;

private:
    void build();
    QWidget* parentFor(const platform::Control& c) const;
    void place(platform::Control& c);
    void moveOver(FormWindow* over);
    void setParentWindow(FormWindow* over);
    void applyFlags();
    void applyGeometry();
    void geometryFromQt();
    void postFormAction(std::function<void(platform::UserInput&, platform::Form&)> action);
    QImage grabClient();

    platform::Form* form_;
    Renderer& renderer_;
    std::map<const platform::Control*, ControlView*> views_;
    std::shared_ptr<bool> alive_;
    int applying_ = 0;
};

}  // namespace gui
