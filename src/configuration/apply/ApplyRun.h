// Pieces the two apply runs share (the apply's own files only).
//
// Each may show a modal box, which runs the event loop nested.
#pragma once

#include <functional>
#include <string>

namespace configuration {

// Runs the run; a run-time error ends it and is shown in the run-time
// error report once the run has unwound.
void runTrappingErrors(const std::function<void()>& run);

// The Yes/No question before a run; True on Yes.
bool askToApply(long printerType);

// Why a run sends nothing: `what` names the value that cannot be sent.
void showInvalidValue(const std::string& what);

class ChangeConfigDlg;

// The warnings before the question: the saved flow-control choice, and on
// the 3695 a ticked Flow Control or DSR Signal row on show.
void flowControlWarnings(ChangeConfigDlg& window);
void type16FlowControlWarning(ChangeConfigDlg& window);

}  // namespace configuration
