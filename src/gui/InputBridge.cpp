#include "gui/InputBridge.h"

#include <QApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QWidget>

#include "gui/FormWindow.h"

namespace gui {

InputBridge::InputBridge(Renderer&) {
    if (QCoreApplication* app = QCoreApplication::instance()) app->installEventFilter(this);
}

InputBridge::~InputBridge() {
    if (QCoreApplication* app = QCoreApplication::instance()) app->removeEventFilter(this);
}

bool InputBridge::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (type != QEvent::KeyPress && type != QEvent::KeyRelease && type != QEvent::ShortcutOverride &&
        type != QEvent::InputMethod)
        return false;
    auto* widget = qobject_cast<QWidget*>(watched);
    if (!widget) return false;
    auto* window = dynamic_cast<FormWindow*>(widget->window());
    if (!window || !window->form()) return false;
    switch (type) {
    case QEvent::KeyPress: window->keyFromQt(*static_cast<QKeyEvent*>(event)); break;
    case QEvent::InputMethod:
        window->textFromQt(static_cast<QInputMethodEvent*>(event)->commitString());
        break;
    default: break;  // an accepted ShortcutOverride keeps Qt's shortcuts (mnemonics) out
    }
    event->accept();
    return true;
}

}  // namespace gui
