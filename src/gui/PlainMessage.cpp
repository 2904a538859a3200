#include "gui/PlainMessage.h"

#include <QMessageBox>

#include "gui/Convert.h"
#include "gui/QtApplicationHolder.h"
#include "gui/QtLoopBackend.h"
#include "platform/forms/StandardIcons.h"
#include "platform/loop/EventLoop.h"

namespace gui {

void showPlainMessage(const std::string& title, const std::string& text, bool critical) {
    ensureQtApplication();
    QMessageBox box;
    box.setWindowTitle(toQString(title));
    box.setText(toQString(text));
    box.setTextFormat(Qt::PlainText);
    box.setIconPixmap(QPixmap::fromImage(toQImage(platform::standardIcon(critical ? platform::kCriticalIcon : platform::kInformationIcon))));
    box.setStandardButtons(QMessageBox::Ok);

    platform::EventLoop* loop = platform::EventLoop::currentOrNull();
    if (!loop || !dynamic_cast<QtLoopBackend*>(&loop->backend())) {
        box.exec();
        return;
    }
    // One event loop: the program's own waits for the box.
    bool closed = false;
    QObject::connect(&box, &QMessageBox::finished, [&closed] { closed = true; });
    box.setWindowModality(Qt::ApplicationModal);
    box.show();
    loop->runUntil([&closed] { return closed; });
}

}  // namespace gui
