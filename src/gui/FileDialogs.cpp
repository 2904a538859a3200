#include "gui/FileDialogs.h"

#include <QDir>
#include <QFile>
#include <QFileDialog>

#include "gui/ControlView.h"
#include "gui/Convert.h"
#include "gui/FormWindow.h"
#include "gui/Renderer.h"
#include "platform/dialogs/CommonDialog.h"
#include "platform/forms/Forms.h"

namespace gui {

namespace {

QString fromPath(const std::string& path) { return QFile::decodeName(QByteArray::fromStdString(path)); }
std::string toPath(const QString& path) { return QFile::encodeName(path).toStdString(); }

// Qt takes the patterns from the last parentheses of a filter and, with
// HideNameFilterDetails, shows the rest: the description stays as given,
// also when it holds patterns of its own ("INI(*.ini)" listing *.txt).
QStringList nameFilters(const platform::FileDialogRequest& request) {
    QStringList filters;
    for (const platform::FileFilter& f : request.filters) {
        QStringList patterns;
        for (const std::string& p : f.patterns) patterns << fromPath(p);
        filters << toQString(f.description) + QStringLiteral(" (") + patterns.join(QLatin1Char(' ')) +
                       QLatin1Char(')');
    }
    return filters;
}

}  // namespace

FileDialogs::FileDialogs(Renderer& renderer) : renderer_(renderer), alive_(std::make_shared<bool>(true)) {}

FileDialogs::~FileDialogs() {
    *alive_ = false;
    for (auto& [form, dialog] : dialogs_) delete dialog.data();
}

platform::FileDialogForm* FileDialogs::fileDialog(platform::Form& form) {
    return dynamic_cast<platform::FileDialogForm*>(&form);
}

QFileDialog* FileDialogs::dialogOf(const platform::Form& form) const {
    auto it = dialogs_.find(&form);
    return it == dialogs_.end() ? nullptr : it->second.data();
}

void FileDialogs::show(platform::FileDialogForm& form) {
    drop(form);
    const platform::FileDialogRequest& request = form.request();
    platform::Form* over = form.owner() ? form.owner() : platform::Forms::activeForm();
    QWidget* parent = over && over != &form ? renderer_.windowOf(*over) : nullptr;
    if (parent && !parent->isVisible()) parent = nullptr;

    auto* dialog = new QFileDialog(parent);
    dialog->setOption(QFileDialog::DontUseNativeDialog);
    dialog->setOption(QFileDialog::HideNameFilterDetails);
    dialog->setWindowTitle(toQString(request.title));
    const bool save = request.kind == platform::FileDialogKind::Save;
    dialog->setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog->setFileMode(request.fileMustExist() ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    dialog->setOption(QFileDialog::DontConfirmOverwrite, !request.confirmOverwrite());
    if (const QStringList filters = nameFilters(request); !filters.isEmpty()) dialog->setNameFilters(filters);
    dialog->setDirectory(request.folder.empty() ? QDir::currentPath() : fromPath(request.folder));
    if (!request.defaultExt.empty()) dialog->setDefaultSuffix(fromPath(request.defaultExt));
    if (!request.fileName.empty()) dialog->selectFile(fromPath(request.fileName));
    dialog->setWindowModality(parent ? Qt::WindowModal : Qt::ApplicationModal);

    QPointer<QFileDialog> guarded(dialog);
    dialogs_[&form] = guarded;
    std::weak_ptr<bool> alive = alive_;
    QObject::connect(dialog, &QDialog::finished, dialog, [this, alive, form = &form, guarded](int result) {
        auto token = alive.lock();
        if (!token || !*token) return;
        const QStringList files = guarded ? guarded->selectedFiles() : QStringList();
        const bool accepted = result == QDialog::Accepted && !files.isEmpty();
        answer(form, guarded, accepted, accepted ? files.first() : QString());
    });
    dialog->open();
}

void FileDialogs::answer(platform::FileDialogForm* form, QPointer<QFileDialog> dialog, bool accepted,
                         const QString& path) {
    std::weak_ptr<bool> alive = alive_;
    postToLoop([this, alive, form, dialog, accepted, path] {
        auto token = alive.lock();
        if (!token || !*token) return;
        auto it = dialogs_.find(form);
        // The model closed the form, or showed it again, in the meantime.
        if (it == dialogs_.end() || !dialog || it->second != dialog) return;
        if (accepted)
            form->choose(toPath(path));
        else
            form->cancel();
    });
}

void FileDialogs::drop(const platform::Form& form) {
    auto it = dialogs_.find(&form);
    if (it == dialogs_.end()) return;
    QPointer<QFileDialog> dialog = it->second;
    dialogs_.erase(it);
    if (!dialog) return;
    // A finished signal still to come finds no entry and answers nothing.
    dialog->hide();
    dialog->deleteLater();
}

}  // namespace gui
