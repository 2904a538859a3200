// The run-time error report: the one message that tells the user about a
// trapped run-time error (a settings file that cannot be written, say).
//
// ReportRuntimeError shows a modal OK box with the exclamation icon through
// ShowMessage, so the event loop runs nested until the user closes it; it
// changes nothing else. Error number 0 shows nothing.
#pragma once

#include <string>

namespace platform {
class RuntimeError;
}

namespace shell {

// "Runtime Error :<number>" CR LF <description>, plus the admin hint for a
// path/file access error (75).
std::string RuntimeErrorText(int number, const std::string& description);

void ReportRuntimeError(int number, const std::string& description);
void ReportRuntimeError(const platform::RuntimeError& error);

// Makes ReportRuntimeError the application's report of run-time errors that
// escape event handlers (platform::setHandlerErrorReport). Main installs it.
void InstallRuntimeErrorReport();

}  // namespace shell
