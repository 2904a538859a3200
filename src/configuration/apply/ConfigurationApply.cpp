#include "configuration/apply/ConfigurationApply.h"

#include "configuration/editor/ChangeConfigDlg.h"
#include "link/LinkFlags.h"
#include "shell/MainWindow.h"

namespace configuration {

namespace {
const platform::Bytes GsEotStatusCommand = {0x1D, 0x04, 0x01};
const platform::Bytes GsRStatusCommand = {0x1D, 0x72, 0x01};
}  // namespace

// A TCP printer is asked what it answered when the link was opened; on USB
// HID the answer is read at once and consumed by the link. A serial link,
// or a TCP printer that answered neither probe, is not polled.
void ConfigurationApply::StatusTimer_Timer(ChangeConfigDlg& window) {
    shell::MainWindow& link = window.m_MainComm;
    if (!link.IsPrinterOnline()) return;
    if (printerlink::bLanAnswersGsEot) link.SendOutput(GsEotStatusCommand);
    if (link.m_lngHIDHandle > 0 || printerlink::bLanAnswersEscV) {
        platform::Bytes command = GsRStatusCommand;
        if (link.m_lngHIDHandle > 0) {
            link.m_AHPIBufferCmd = true;
            printerlink::MainWindowLink::FrameHIDCommand(2, command);
            link.SendOutput(command);
            link.fncReadHIDData();
        } else {
            link.SendOutput(command);
        }
    }
}

}  // namespace configuration
