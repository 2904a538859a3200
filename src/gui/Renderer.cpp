#include "gui/Renderer.h"

#include <QCoreApplication>
#include <QPixmapCache>
#if defined(__GLIBC__)
#include <malloc.h>
#endif

#include "gui/ControlView.h"
#include "gui/FileDialogs.h"
#include "gui/FormWindow.h"
#include "gui/InputBridge.h"
#include "platform/forms/Control.h"
#include "platform/forms/Form.h"
#include "platform/forms/Forms.h"

namespace gui {

namespace {
Renderer* g_current = nullptr;
// How long an activation the model asked for may take to come back from
// the window system before Qt's reports count as the user's again.
constexpr qint64 kActivationEchoMs = 1000;

// The C library keeps what a closed window's widgets freed: in per-thread
// caches of small blocks that are never merged with their neighbours, and
// in free blocks between live ones. Each opening then lays its blocks
// partly over pages no window used before, and the resident size creeps up
// by a few kilobytes an opening with the live heap unchanged. Whole free
// pages go back to the system once the window's widgets are gone.
void returnFreedPages() {
#if defined(__GLIBC__)
    malloc_trim(0);
#endif
}
}  // namespace

Renderer::Renderer()
    : input_(std::make_unique<InputBridge>(*this)), fileDialogs_(std::make_unique<FileDialogs>(*this)) {
    g_current = this;
    platform::Forms::addObserver(this);
    for (platform::Form* form : platform::Forms::loaded()) {
        if (auto* dialog = FileDialogs::fileDialog(*form)) {
            if (form->Visible()) fileDialogs_->show(*dialog);
            continue;
        }
        FormWindow* w = ensureWindow(*form);
        if (form->Visible()) w->showFromModel(form->isModal());
    }
}

Renderer::~Renderer() {
    platform::Forms::removeObserver(this);
    fileDialogs_.reset();
    // All detached first, so that no window is shown again over another
    // that goes with it.
    for (auto& [form, window] : windows_)
        if (window) window->detach();
    for (auto& [form, window] : windows_) delete window.data();
    windows_.clear();
    // Windows dropped earlier wait for deletion; they go with their renderer.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    if (g_current == this) g_current = nullptr;
}

Renderer* Renderer::current() { return g_current; }

FormWindow* Renderer::windowOf(const platform::Form& form) const {
    auto it = windows_.find(&form);
    return it == windows_.end() ? nullptr : it->second.data();
}

QWidget* Renderer::widgetOf(const platform::Control& control) const {
    FormWindow* w = windowOf(control.form());
    return w ? w->widgetOf(control) : nullptr;
}

FormWindow* Renderer::ensureWindow(platform::Form& form) {
    if (FormWindow* w = windowOf(form)) return w;
    auto* w = new FormWindow(form, *this);
    windows_[&form] = w;
    return w;
}

void Renderer::dropWindow(const platform::Form& form) {
    auto it = windows_.find(&form);
    if (it == windows_.end()) return;
    QPointer<FormWindow> w = it->second;
    windows_.erase(it);
    if (!w) return;
    w->detach();
    w->hide();
    w->handOverWindowsShownOver();
    QObject::connect(w, &QObject::destroyed, [] { returnFreedPages(); });
    w->deleteLater();
    // The style keeps the pieces it has drawn (button faces, frames) in the
    // application's pixmap cache under keys that include the palette's
    // cache key: those of a window that went are used again only if the
    // same colours are drawn again (see SharedPaletteStyle), and would
    // otherwise stay until the cache is full. The windows still shown draw
    // theirs again when next painted.
    QPixmapCache::clear();
}

void Renderer::activationRequested(FormWindow& window) {
    requestedActivation_ = &window;
    requestedAt_.start();
}

void Renderer::activatedByQt(FormWindow& window) {
    if (requestedActivation_ && requestedAt_.elapsed() < kActivationEchoMs) {
        // The echo of our own request, or a stale report overtaken by it.
        if (requestedActivation_ == &window) requestedActivation_ = nullptr;
        return;
    }
    requestedActivation_ = nullptr;
    platform::Form* form = window.form();
    if (!form || !form->Visible() || platform::Forms::activeForm() == form) return;
    postToLoop([w = QPointer<FormWindow>(&window)] {
        if (!w || !w->form()) return;
        platform::UserInput input;
        input.activate(*w->form());
    });
}

void Renderer::formLoaded(platform::Form& form) {
    if (!FileDialogs::fileDialog(form)) ensureWindow(form);
}

void Renderer::formShown(platform::Form& form, bool modal) {
    if (auto* dialog = FileDialogs::fileDialog(form))
        fileDialogs_->show(*dialog);
    else
        ensureWindow(form)->showFromModel(modal);
}

void Renderer::formHidden(platform::Form& form) {
    fileDialogs_->drop(form);
    if (FormWindow* w = windowOf(form)) w->hideFromModel();
}

void Renderer::formUnloaded(platform::Form& form) {
    fileDialogs_->drop(form);
    dropWindow(form);
}

void Renderer::formDestroyed(platform::Form& form) {
    fileDialogs_->drop(form);
    dropWindow(form);
}

void Renderer::formChanged(platform::Form& form, platform::Property p) {
    if (FormWindow* w = windowOf(form)) w->syncForm(p);
}

void Renderer::changed(platform::Control& control, platform::Property p) {
    if (FormWindow* w = windowOf(control.form())) w->syncControl(control, p);
}

void Renderer::controlAdded(platform::Control& control) {
    if (FormWindow* w = windowOf(control.form())) w->addControl(control);
}

void Renderer::controlRemoved(platform::Control& control) {
    if (FormWindow* w = windowOf(control.form())) w->removeControl(control);
}

void Renderer::focusChanged(platform::Form& form, platform::Control*) {
    if (FormWindow* w = windowOf(form)) w->syncFocus();
}

void Renderer::formActivated(platform::Form& form) {
    if (FormWindow* w = windowOf(form)) w->activateFromModel();
}

}  // namespace gui
