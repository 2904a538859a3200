#include "gui/PlainMessage.h"

#include <QMessageBox>

#include "gui/Convert.h"
#include "gui/MessageIcons.h"
#include "gui/Painting.h"
#include "gui/QtApplicationHolder.h"

namespace gui {

void showPlainMessage(const std::string& title, const std::string& text, bool critical) {
    ensureQtApplication();
    QMessageBox box;
    box.setWindowTitle(toQString(title));
    box.setText(toQString(text));
    box.setTextFormat(Qt::PlainText);
    box.setIconPixmap(QPixmap::fromImage(messageIconImage(critical ? kCriticalIcon : kInformationIcon, 32)));
    box.setStandardButtons(QMessageBox::Ok);
    box.exec();
}

}  // namespace gui
