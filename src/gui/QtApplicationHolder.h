// The process's QApplication for code that may run without gui::Application
// (screenshots from other libraries' tests, the platform's plain message
// box before the program's application exists). Made on first use with the
// offscreen-friendly defaults and kept for the rest of the process.
#pragma once

namespace gui {

// Makes sure a QApplication exists (an existing one is used as it is).
void ensureQtApplication();

}  // namespace gui
