// FileDialogs: draws the window model's file dialogs (FileDialogForm) with
// Qt's own file dialog, in place of a FormWindow. The Renderer owns one and
// hands it every file dialog form that is shown, hidden, unloaded or
// destroyed.
//
// A Qt dialog opens window-modal over its owner's window (or the active
// form's) and never blocks: the model's modal show is already running the
// loop. What the user does is posted to the platform loop like every other
// input and reaches the model as FileDialogForm::choose or cancel; a dialog
// the model closed itself goes away without answering. Paths go to and from
// the file system unchanged; the title and the filter descriptions are the
// utility's CP1252 text.
#pragma once

#include <QPointer>
#include <map>
#include <memory>

namespace platform {
class Form;
class FileDialogForm;
}  // namespace platform

class QFileDialog;

namespace gui {

class Renderer;

class FileDialogs {
public:
    explicit FileDialogs(Renderer& renderer);
    ~FileDialogs();
    FileDialogs(const FileDialogs&) = delete;
    FileDialogs& operator=(const FileDialogs&) = delete;

    // The form as a file dialog, or nullptr when it is another window.
    static platform::FileDialogForm* fileDialog(platform::Form& form);

    void show(platform::FileDialogForm& form);
    // The model closed the form or is destroying it.
    void drop(const platform::Form& form);
    // The Qt dialog showing the form, or nullptr.
    QFileDialog* dialogOf(const platform::Form& form) const;

private:
    void answer(platform::FileDialogForm* form, QPointer<QFileDialog> dialog, bool accepted, const QString& path);

    Renderer& renderer_;
    std::map<const platform::Form*, QPointer<QFileDialog>> dialogs_;
    std::shared_ptr<bool> alive_;
};

}  // namespace gui
