// Keys and input-method text of a form window, turned into the model's
// key presses; plus the clipboard keys of text boxes, which the model
// leaves to the desktop.
#include <QClipboard>
#include <QGuiApplication>
#include <QKeyEvent>

#include "gui/ControlView.h"
#include "gui/Convert.h"
#include "gui/FormWindow.h"
#include "gui/KeyMap.h"
#include "platform/forms/ComboBox.h"
#include "platform/forms/Keys.h"
#include "platform/forms/TextBox.h"

namespace gui {

namespace {

enum class ClipboardAction { None, Copy, Cut, Paste, SelectAll };

ClipboardAction clipboardActionOf(const ModelKey& k) {
    const bool ctrl = k.shift == platform::vbCtrlMask;
    const bool shift = k.shift == platform::vbShiftMask;
    if ((ctrl && k.keyCode == 'C') || (ctrl && k.keyCode == platform::vbKeyInsert)) return ClipboardAction::Copy;
    if ((ctrl && k.keyCode == 'X') || (shift && k.keyCode == platform::vbKeyDelete)) return ClipboardAction::Cut;
    if ((ctrl && k.keyCode == 'V') || (shift && k.keyCode == platform::vbKeyInsert)) return ClipboardAction::Paste;
    if (ctrl && k.keyCode == 'A') return ClipboardAction::SelectAll;
    return ClipboardAction::None;
}

void applyClipboard(ClipboardAction action, platform::UserInput& input, platform::Form& form) {
    auto* box = dynamic_cast<platform::TextBox*>(form.ActiveControl());
    if (!box || action == ClipboardAction::None) return;
    QClipboard* clipboard = QGuiApplication::clipboard();
    switch (action) {
    case ClipboardAction::Copy:
    case ClipboardAction::Cut:
        if (box->SelLength() > 0 && box->PasswordChar() == 0) clipboard->setText(toQString(box->SelText()));
        if (action == ClipboardAction::Cut) input.pressKey(form, platform::vbKeyDelete, 0, 0);
        break;
    case ClipboardAction::Paste: {
        std::string text = box->Text();
        text.replace(static_cast<size_t>(box->SelStart()), static_cast<size_t>(box->SelLength()),
                     fromQString(clipboard->text()));
        input.editText(*box, std::move(text));
        break;
    }
    case ClipboardAction::SelectAll:
        box->setSelStart(0);
        box->setSelLength(static_cast<int>(box->Text().size()));
        break;
    case ClipboardAction::None: break;
    }
}

}  // namespace

void FormWindow::keyFromQt(const QKeyEvent& event) {
    const std::optional<ModelKey> key = modelKeyOf(event);
    if (!key) return;
    const ModelKey k = *key;
    postFormAction([this, k, alive = std::weak_ptr<bool>(alive_)](platform::UserInput& input, platform::Form& form) {
        input.pressKey(form, k.keyCode, k.shift, k.keyAscii);
        // The key may have closed the window (and released the form).
        if (auto token = alive.lock(); !token || !*token) return;
        applyClipboard(clipboardActionOf(k), input, form);
        if (auto* combo = dynamic_cast<platform::ComboBox*>(form.ActiveControl());
            combo && platform::ComboBox::opensList(k.keyCode, k.shift))
            showOpenedList(widgetOf(*combo));
    });
}

void FormWindow::textFromQt(const QString& text) {
    std::string typed = fromQString(text);
    if (typed.empty()) return;
    postFormAction([typed = std::move(typed)](platform::UserInput& input, platform::Form& form) {
        if (auto* box = dynamic_cast<platform::TextBox*>(form.ActiveControl())) input.type(*box, typed);
    });
}

}  // namespace gui
