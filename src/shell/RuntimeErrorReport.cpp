#include "shell/RuntimeErrorReport.h"

#include "platform/RuntimeError.h"
#include "platform/Text.h"
#include "shell/ModalMessageBox.h"
#include "shell/TypeDefinition.h"

namespace shell {

std::string RuntimeErrorText(int number, const std::string& description) {
    std::string text = "Runtime Error :" + platform::str(number) + "\r\n" + description;
    if (number == platform::err::PathFileAccess) text += "\r\nPlease restart the application with admin privileges.";
    return text;
}

void ReportRuntimeError(int number, const std::string& description) {
    if (number == 0) return;
    ShowMessage(RuntimeErrorText(number, description), vbOKOnly, vbExclamation);
}

void ReportRuntimeError(const platform::RuntimeError& error) { ReportRuntimeError(error.number(), error.description()); }

void InstallRuntimeErrorReport() {
    platform::setHandlerErrorReport([](const platform::RuntimeError& error) { ReportRuntimeError(error); });
}

}  // namespace shell
