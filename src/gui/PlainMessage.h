// The platform's own message box: a title, a text, an OK button and the
// critical or information icon, for the few messages that do not go
// through the utility's own box ("Application is already running" at
// start-up). It blocks until the user closes it. When the current event
// loop runs on Qt (gui::Application), the box is application-modal and
// that loop keeps serving the utility's timers and descriptors meanwhile;
// otherwise (before the program's loop exists) Qt's own modal loop runs
// and no utility event does. Makes a QApplication when the process has
// none.
#pragma once

#include <string>

namespace gui {

// Title and text are CP1252, as all of the utility's text.
void showPlainMessage(const std::string& title, const std::string& text, bool critical);

}  // namespace gui
