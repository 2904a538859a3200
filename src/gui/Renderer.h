// Renderer: keeps a Qt window (FormWindow) for every loaded form of the
// window model, in step with it, by observing the model (Forms). One
// renderer at a time; gui::Application owns the program's, tests make
// their own. Needs a QApplication for its whole life.
//
// Windows are made when a form loads (or when a screenshot asks for one)
// and dropped when it unloads or is destroyed; dropping hides the window
// at once and deletes it later, between loop passes (QtLoopBackend), or
// when the renderer goes. Observer calls come on the model's stack and only
// touch widgets; nothing here runs utility code or blocks.
#pragma once

#include <QElapsedTimer>
#include <QPointer>
#include <map>
#include <memory>

#include "platform/forms/FormObserver.h"

class QWidget;

namespace gui {

class FileDialogs;
class FormWindow;
class InputBridge;

class Renderer final : private platform::FormObserver {
public:
    Renderer();
    ~Renderer() override;
    Renderer(const Renderer&) = delete;
    Renderer& operator=(const Renderer&) = delete;

    // The renderer alive now, or nullptr.
    static Renderer* current();

    // The window of a loaded form (nullptr when it has none; a file dialog
    // form is drawn by Qt's file dialog, see FileDialogs).
    FormWindow* windowOf(const platform::Form& form) const;
    FileDialogs& fileDialogs() { return *fileDialogs_; }
    // The widget drawing a control (nullptr for Timer and ImageList).
    QWidget* widgetOf(const platform::Control& control) const;
    // The form's window, made now if it has none (forms not loaded too).
    FormWindow* ensureWindow(platform::Form& form);

    // Qt made a window active: the model hears of it unless the model
    // itself asked for that activation a moment ago (Qt reports them late).
    void activatedByQt(FormWindow& window);
    void activationRequested(FormWindow& window);

private:
    void formLoaded(platform::Form& form) override;
    void formShown(platform::Form& form, bool modal) override;
    void formHidden(platform::Form& form) override;
    void formUnloaded(platform::Form& form) override;
    void formDestroyed(platform::Form& form) override;
    void formChanged(platform::Form& form, platform::Property p) override;
    void changed(platform::Control& control, platform::Property p) override;
    void controlAdded(platform::Control& control) override;
    void controlRemoved(platform::Control& control) override;
    void focusChanged(platform::Form& form, platform::Control* focused) override;
    void formActivated(platform::Form& form) override;

    void dropWindow(const platform::Form& form);

    std::map<const platform::Form*, QPointer<FormWindow>> windows_;
    std::unique_ptr<InputBridge> input_;
    std::unique_ptr<FileDialogs> fileDialogs_;
    QPointer<FormWindow> requestedActivation_;
    QElapsedTimer requestedAt_;
};

}  // namespace gui
