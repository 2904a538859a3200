// The check scan: the scan started on the printer, its blocks received
// byte by byte as the reply interpreter hands them over, acknowledged and
// collected, the image written to a bitmap file in the current folder,
// and the file printed.
#include "diagnostics/DiagnosePrinterDlgHosts.h"
#include "diagnostics/ScanBlocks.h"
#include "link/PrinterCommands.h"
#include "platform/loop/EventLoop.h"
#include "shell/ModalMessageBox.h"
#include "shell/TypeDefinition.h"
#include "shell/WorkWindowLink.h"

namespace diagnostics {

using platform::Bytes;

namespace {

using printerlink::kPurgeInput;
constexpr std::uint8_t kScanLevel = 0xEC;
// A block of up to 64 KiB comes in about a thousand HID reports.
constexpr platform::Micros kScanReadPerTick = 3'000'000;
constexpr const char* kScanPrompt =
    "Insert a check to the slip station.\r\nAnd then select OK button to scan image.\r\nTo cancel scan, select "
    "Cancel button.";
constexpr const char* kNotCleared =
    "Cannot clear scan images on the printer.\r\nPlease confirm the printer enables scan function.";
constexpr const char* kNoFile =
    "Check scanning is successfully completed.\r\nBut, cannot create bitmap file for the scanned image.";

}  // namespace

void DiagnosePrinterDlg::CheckScanButton_Click() {
    dispatch(&DiagnosePrinterDlg::ScanCheckLan, &DiagnosePrinterDlg::ScanCheckSerial);
}

// One scan at a time: a second would mix two images into one file.
bool DiagnosePrinterDlg::scanAllowed() const {
    return printerlink::isScanType(m_MainComm.PrinterType()) && !ScanSession.m_bScanning;
}

void DiagnosePrinterDlg::ScanCheckLan() {
    if (scanAllowed()) beginScan();
}

void DiagnosePrinterDlg::ScanCheckSerial() {
    shell::ShowLinkCheckNotice(linkCheck());
    if (!scanAllowed()) {
        // The answer must not pass a later test's link check.
        shell::takeRealTimeStatusAnswer(statusHandshake());
        return;
    }
    if (serialAnswerTaken()) beginScan();
}

// The rest happens as the blocks arrive.
void DiagnosePrinterDlg::beginScan() {
    bool ok = false;
    WaitForSlipInsertion(kScanPrompt, false, ok);
    if (!ok) return;
    ScanSession.setScanning(true);
    const bool cleared = WaitReplyAndPurge();
    if (!windowOpen()) {
        ScanSession.setScanning(false);
        return;
    }
    if (!cleared) {
        shell::ShowMessage(kNotCleared, shell::vbOKOnly, shell::vbNoIcon);
        m_MainComm.PurgeCommunication(kPurgeInput);
        ScanSession.setScanning(false);
        return;
    }
    Printer.InitializePrinter();
    Printer.SelectCharacterSetUSA();
    Printer.SelectPaperStation(1);
    Scanner.SendScanSetupLt();
    Scanner.SendScanParamLevel(kScanLevel);
    Scanner.SendScanSetupE();
    Scanner.SendScanSetup2();
    ScanSession.start(now());
    Scanner.StartCheckScan();
}

// The scanner's clear, asked at the door: no reply counts as cleared, a
// reply of another form does not, and what followed it is purged.
bool DiagnosePrinterDlg::WaitReplyAndPurge() {
    return own_.clearScan([this] { Scanner.ClearScanImages(); }).value_or(false);
}

void DiagnosePrinterDlg::ScanHost::sendToScanner(const Bytes& command) { window_.Printer.sendCommand(command); }

// What followed the fault in the input, also while the message was up,
// belongs to the failed scan: read on, it would pass for a MICR reply.
void DiagnosePrinterDlg::ScanHost::scanFailed(const std::string& message, bool mismatch) {
    if (mismatch) window_.m_MainComm.PurgeCommunication(kPurgeInput);
    window_.Interpreter.dropRestOfReply();
    shell::ShowMessage(message, shell::vbOKOnly, shell::vbInformation);
    if (mismatch) window_.Interpreter.dropQueuedReplies();
}

void DiagnosePrinterDlg::ScanHost::scanReceived(const std::string& fileName, bool written) {
    if (written) {
        window_.FinishCheckScan();
        window_.PrintScanFile(fileName);
    } else {
        shell::ShowMessage(kNoFile, shell::vbOKOnly, shell::vbInformation);
    }
}

void DiagnosePrinterDlg::ScanHost::scanningChanged(bool scanning) {
    if (!scanning) window_.runPressedTestsLater();
    if (scanning == holdsReplyWatchdog_) return;
    holdsReplyWatchdog_ = scanning;
    if (scanning)
        window_.m_MainComm.holdReplyWatchdog();
    else
        window_.m_MainComm.releaseReplyWatchdog();
}

void DiagnosePrinterDlg::FinishCheckScan() {
    Scanner.SendScanEndJ();
    Printer.EjectSlip();
    m_MainComm.PurgeCommunication(kPurgeInput);
}

void DiagnosePrinterDlg::PrintScanFile(const std::string& fileName) {
    Printer.SelectPaperStation(0);
    Printer.PrintBitmapFile(fileName);
    Printer.FeedAndCut(8);
}

// On USB HID no event brings the blocks: the status timer reads them while
// the scan runs, and each block's ACK brings the next within the reads. A
// tick reads for a bounded time, long enough for the largest block at the
// HID's pace; a scan that takes longer goes on at the next tick.
void DiagnosePrinterDlg::readScanReportsOnHid() {
    const platform::Micros deadline = now() + kScanReadPerTick;
    while (ScanSession.m_bScanning && ScanSession.m_iScanPhase > 0 && now() < deadline) {
        const Bytes data = own_.readAll(deadline);
        if (data.empty()) return;
        for (std::uint8_t b : data) {
            if (!ScanSession.m_bScanning) return;
            ScanSession.HandleScanByte(b, now());
        }
    }
}


}  // namespace diagnostics
