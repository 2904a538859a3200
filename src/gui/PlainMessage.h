// The platform's own message box: a title, a text, an OK button and the
// critical or information icon, for what the program says before its own
// windows exist ("Application is already running"). It runs Qt's own modal
// loop and blocks until the user closes it; no utility event runs
// meanwhile. Makes a QApplication when the process has none.
#pragma once

#include <string>

namespace gui {

// Title and text are CP1252, as all of the utility's text.
void showPlainMessage(const std::string& title, const std::string& text, bool critical);

}  // namespace gui
