// What the apply of the shown category and the apply of all categories
// share: the question, the online test and link check before the first
// byte, the sends, the two log files and the closing message.
#include "configuration/apply/ApplyRun.h"

#include "configuration/apply/CommandLogFiles.h"
#include "configuration/apply/ConfigurationApply.h"
#include "configuration/apply/SetParameterSequence.h"
#include "configuration/editor/ChangeConfigDlg.h"
#include "shell/MainWindow.h"
#include "shell/ModalMessageBox.h"
#include "shell/RuntimeErrorReport.h"
#include "shell/TypeDefinition.h"

namespace configuration {

namespace {

constexpr const char* kOffline = "Cannot apply new configuration due to offline.";

}  // namespace

void runTrappingErrors(const std::function<void()>& run) {
    std::optional<platform::RuntimeError> error;
    try {
        run();
    } catch (const platform::RuntimeError& e) {
        error = e;
    }
    if (error) shell::ReportRuntimeError(*error);
}

bool askToApply(long printerType) {
    std::string question = "Apply the selected configuration(s) to the POS printer.\r\n";
    if (printerType != kM27xType)
        question += "The changes will be effective after the reboot of the\r\nPOS printer.\r\n";
    question += "Do you wish to continue?";
    return shell::ShowMessage(question, shell::vbYesNo, shell::vbInformation) == shell::vbYes;
}

void showInvalidValue(const std::string& what) {
    shell::ShowMessage("Cannot apply new configuration: " + what, shell::vbOKOnly, shell::vbExclamation);
}

// The direct procedures create the first log before the online test (an
// offline printer leaves it empty); the serial ones only once the printer
// answered, so a lost link leaves no file.
bool ConfigurationApply::openRun(ChangeConfigDlg& window, bool serial) {
    if (!serial) CreateCommandLog(CommandsWithoutRestartPath());
    if (!window.m_MainComm.IsPrinterOnline()) {
        shell::ShowMessage(kOffline, shell::vbOKOnly, shell::vbInformation);
        return false;
    }
    if (serial) {
        if (!CheckSerialLink(window, nullptr, 0)) return false;
        CreateCommandLog(CommandsWithoutRestartPath());
    }
    sentSomething_ = false;
    runSends_.emplace(window.m_MainComm);
    return true;
}

void ConfigurationApply::sendAll(ChangeConfigDlg& window, const std::vector<platform::Bytes>& writes) {
    for (const platform::Bytes& write : writes)
        if (window.m_MainComm.SendOutput(write)) sentSomething_ = true;
}

// A run whose bytes did not all reach the printer (a send failed, or the TCP
// connection was lost before the run ended) is not reported as applied, and
// leaves nothing behind for the restart and the next connection: the
// printer never took the line settings a write-back would make the next
// connect use. The M27x, which takes each setting at once, reports only
// what it took.
void ConfigurationApply::finishRun(ChangeConfigDlg& window, const SetParameterSequence& sequence,
                                   bool writeFirstLog, const std::function<void()>& leaveBehind) {
    const bool reached = runSends_->reached();
    if (reached) leaveBehind();
    if (writeFirstLog) WriteCommandLog(CommandsWithoutRestartPath(), sequence.WithoutRestart());
    WriteCommandLog(CommandsWithRestartPath(), sequence.WithRestart());
    if (!reached) {
        shell::ShowMessage(kOffline, shell::vbOKOnly, shell::vbInformation);
    } else if (window.m_MainComm.PrinterType() == kM27xType) {
        if (sentSomething_) shell::ShowMessage("Configuration is updated", shell::vbOKOnly, shell::vbInformation);
    } else {
        shell::ShowMessage(std::string("Configuration is updated, but it does not effect ") +
                               " until the printer is restarted.",
                           shell::vbOKOnly, shell::vbInformation);
    }
}

}  // namespace configuration
