// The check scan: the scan started on the printer, its blocks received
// byte by byte as the reply interpreter hands them over, acknowledged and
// collected, the image written to a bitmap file in the current folder,
// and the file printed.
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "diagnostics/DiagnosePrinterDlg.h"
#include "diagnostics/ScanBlocks.h"
#include "link/PrinterCommands.h"
#include "platform/Application.h"
#include "platform/RuntimeError.h"
#include "platform/loop/EventLoop.h"
#include "shell/IniFile.h"
#include "shell/ModalMessageBox.h"
#include "shell/TypeDefinition.h"
#include "shell/WorkWindowLink.h"

namespace diagnostics {

using platform::Bytes;

namespace {

using printerlink::kPurgeInput;
constexpr std::uint8_t kScanLevel = 0xEC;
constexpr std::uint8_t kReadStatus = '@';
// A scan that sends nothing for this long is given up.
constexpr platform::Micros kScanQuietLimit = 20'000'000;
constexpr const char* kScanPrompt =
    "Insert a check to the slip station.\r\nAnd then select OK button to scan image.\r\nTo cancel scan, select "
    "Cancel button.";
constexpr const char* kNotCleared =
    "Cannot clear scan images on the printer.\r\nPlease confirm the printer enables scan function.";
constexpr const char* kNoFileInformation = "Cannot retrieve valid file information block.";
constexpr const char* kNoSizeInformation = "Cannot retrieve valid size information block.";
constexpr const char* kNoImage = "Cannot retrieve valid scanned image.";
constexpr const char* kNoFile =
    "Check scanning is successfully completed.\r\nBut, cannot create bitmap file for the scanned image.";

const char* statusText(std::uint8_t status) {
    switch (status) {
        case 'A': return "There is not any data for the scanned image.";
        case 'D': return "Processing stopped due to cover open.";
        case 'G': return "An error occured in the compression of image data.";
        case 'H': return "A check feeding error occured during the scan of the check,";
        default: return "";
    }
}


}  // namespace

void DiagnosePrinterDlg::ClearScanImages() { sendCommand(printerlink::ClearScanImagesCommand); }
void DiagnosePrinterDlg::SendScanSetupLt() { sendCommand(printerlink::ScanSetupLtCommand); }
void DiagnosePrinterDlg::SendScanParamLevel(std::uint8_t n) { sendCommand(printerlink::ScanLevelCommand(n)); }
void DiagnosePrinterDlg::SendScanSetupE() { sendCommand(printerlink::ScanSetupECommand); }
void DiagnosePrinterDlg::SendScanSetup2() { sendCommand(printerlink::ScanSetup2Command); }
void DiagnosePrinterDlg::StartCheckScan() { sendCommand(printerlink::StartCheckScanCommand); }
void DiagnosePrinterDlg::SendScanEndJ() { sendCommand(printerlink::EndScanCommand); }

void DiagnosePrinterDlg::CheckScanButton_Click() {
    dispatch(&DiagnosePrinterDlg::ScanCheckLan, &DiagnosePrinterDlg::ScanCheckSerial);
}

// One scan at a time: a second would mix two images into one file.
bool DiagnosePrinterDlg::scanAllowed() const {
    return printerlink::isScanType(m_MainComm.PrinterType()) && !m_bScanning;
}

void DiagnosePrinterDlg::ScanCheckLan() {
    if (scanAllowed()) beginScan();
}

void DiagnosePrinterDlg::ScanCheckSerial() {
    RequestRealTimeStatus();
    shell::ShowLinkCheckNotice(linkCheck());
    if (!scanAllowed()) {
        // The answer must not pass a later test's link check.
        shell::takeRealTimeStatusAnswer(statusHandshake());
        return;
    }
    if (!shell::takeRealTimeStatusAnswer(statusHandshake())) {
        shell::LostLinkExit(m_MainComm, *this, statusHandshake(), linkCheck());
        return;
    }
    beginScan();
}

// The rest happens as the blocks arrive.
void DiagnosePrinterDlg::beginScan() {
    bool ok = false;
    WaitForSlipInsertion(kScanPrompt, false, ok);
    if (!ok) return;
    setScanning(true);
    bool cleared = false;
    withoutStatusPoll([&] {
        ClearScanImages();
        cleared = WaitReplyAndPurge();
    });
    if (!cleared) {
        shell::ShowMessage(kNotCleared, shell::vbOKOnly, shell::vbNoIcon);
        m_MainComm.PurgeCommunication(kPurgeInput);
        setScanning(false);
        return;
    }
    InitializePrinter();
    SelectCharacterSetUSA();
    SelectPaperStation(1);
    SendScanSetupLt();
    SendScanParamLevel(kScanLevel);
    SendScanSetupE();
    SendScanSetup2();
    ScanReceptionState = {};
    m_ScanImage.clear();
    m_iScanPhase = 1;
    lastScanByteAt_ = now();
    StartCheckScan();
}

// No reply counts as cleared; a reply of another form does not. Status
// replies still owed to earlier requests come before it; once it has begun,
// every byte is its own.
bool DiagnosePrinterDlg::WaitReplyAndPurge() {
    int position = 0;
    std::size_t earlierReplies = repliesOwedNow();
    for (;;) {
        std::uint8_t b = 0;
        if (!waitOwnReply(b, earlierReplies)) return true;
        earlierReplies = 0;
        const Fit fit = fitByte(clearReplyForm(), position, b);
        if (fit == Fit::Complete) return true;
        if (fit == Fit::Mismatch) {
            m_MainComm.PurgeCommunication(kPurgeInput);
            return false;
        }
    }
}

// What followed the fault in the input, also while the message was up,
// belongs to the failed scan: read on, it would pass for a MICR reply.
bool DiagnosePrinterDlg::scanMismatch(const char* blockText) {
    sendCommand(printerlink::CancelCommand);
    m_MainComm.PurgeCommunication(kPurgeInput);
    dropRestOfReply_ = true;
    shell::ShowMessage(std::string("Scan Error\r\n") + blockText +
                           "\r\nPlease verify the printer enables check scan function.",
                       shell::vbOKOnly, shell::vbInformation);
    pendingReplies_.clear();
    return false;
}

// An error status ends the scan at once: the printer sends nothing more.
void DiagnosePrinterDlg::ReceiveScanFileInfo(std::uint8_t b, int& Position, bool& result) {
    result = true;
    if (Position == 0) ScanReceptionState.StatusCode = 0;
    const int at = Position;
    const Fit fit = fitByte(fileInformationForm(), Position, b);
    if (fit == Fit::Mismatch) {
        result = scanMismatch(kNoFileInformation);
        return;
    }
    if (at == kStatusElement) ScanReceptionState.StatusCode = b;
    if (fit != Fit::Complete) return;
    const std::uint8_t status = ScanReceptionState.StatusCode;
    if (status == kReadStatus) {
        sendCommand(printerlink::AckCommand);
        return;
    }
    sendCommand(printerlink::CancelCommand);
    dropRestOfReply_ = true;
    shell::ShowMessage("Scan Error: Error Code = " + platform::str(status) + "\r\n" + statusText(status),
                       shell::vbOKOnly, shell::vbInformation);
    result = false;
}

void DiagnosePrinterDlg::ReceiveScanSizeInfo(std::uint8_t b, int& Position, bool& result) {
    result = true;
    const Fit fit = fitByte(sizeInformationForm(), Position, b);
    if (fit == Fit::Mismatch)
        result = scanMismatch(kNoSizeInformation);
    else if (fit == Fit::Complete)
        sendCommand(printerlink::AckCommand);
}

// "S", " ", "A" (more follow) or "@" (the last), the length's low and high
// byte, then the data. A block of length 0 is complete at once.
void DiagnosePrinterDlg::ReceiveScanImage(std::uint8_t b, int& Position, bool& LastBlock, bool& result) {
    ScanReception& s = ScanReceptionState;
    result = true;
    bool fits = true;
    switch (Position) {
        case 0:
            s.LengthLow = 0;
            s.BlockLength = 0;
            s.BlockCount = 0;
            fits = b == 'S';
            break;
        case 1: fits = b == ' '; break;
        case 2:
            fits = b == '@' || b == 'A';
            LastBlock = b == '@';
            break;
        case 3: s.LengthLow = b; break;
        case 4:
            s.BlockLength = b * 256 + s.LengthLow;
            s.BlockBase = static_cast<std::int32_t>(m_ScanImage.size()) - 1;
            m_ScanImage.reserve(m_ScanImage.size() + static_cast<std::size_t>(s.BlockLength));
            break;
        case 5:
            ++s.BlockCount;
            m_ScanImage.push_back(b);
            break;
        default: fits = false;
    }
    if (!fits) {
        result = scanMismatch(kNoImage);
        return;
    }
    if (Position < 5) ++Position;
    if (Position == 5 && s.BlockCount == s.BlockLength) {
        Position = -1;
        sendCommand(printerlink::AckCommand);
    }
}

// The scan rule of the reply interpreter, one byte at a time.
void DiagnosePrinterDlg::HandleScanByte(std::uint8_t b) {
    ScanReception& s = ScanReceptionState;
    bool result = true;
    lastScanByteAt_ = now();
    if (m_iScanPhase == 1) {
        ReceiveScanFileInfo(b, s.Position, result);
        if (result && s.Position == -1) {
            s.Position = 0;
            m_iScanPhase = 2;
            s.FileName = CreateScanFileName();
            m_ScanImage.clear();
        }
    } else if (m_iScanPhase == 2) {
        ReceiveScanSizeInfo(b, s.Position, result);
        if (result && s.Position == -1) {
            s.Position = 0;
            m_iScanPhase = 3;
        }
    } else if (m_iScanPhase == 3) {
        ReceiveScanImage(b, s.Position, s.LastBlock, result);
        if (result && s.Position == -1) {
            s.Position = 0;
            if (s.LastBlock) {
                endCheckScan();
                m_iScanPhase = 0;
                setScanning(false);
            }
        }
    }
    if (!result) {
        m_iScanPhase = 0;
        s.Position = 0;
        setScanning(false);
    }
}

void DiagnosePrinterDlg::setScanning(bool scanning) {
    m_bScanning = scanning;
    if (scanning == scanHoldsReplyWatchdog_) return;
    scanHoldsReplyWatchdog_ = scanning;
    if (scanning)
        holdReplyWatchdog();
    else
        releaseReplyWatchdog();
}

void DiagnosePrinterDlg::endCheckScan() {
    scanEnding_ = true;
    const std::string fileName = ScanReceptionState.FileName;
    if (AppendBytesToFile(fileName)) {
        FinishCheckScan();
        PrintScanFile(fileName);
    } else {
        shell::ShowMessage(kNoFile, shell::vbOKOnly, shell::vbInformation);
    }
    scanEnding_ = false;
}

// Scan_yyyymmdd_hhnnss.bmp in the current folder, from the platform's
// clock; no file of that name is left behind.
std::string DiagnosePrinterDlg::CreateScanFileName() {
    const platform::LocalTime t = platform::app().localTime();
    char name[64];
    std::snprintf(name, sizeof name, "Scan_%04d%02d%02d_%02d%02d%02d.bmp", t.year, t.month, t.day, t.hour, t.minute,
                  t.second);
    { std::ofstream probe(name, std::ios::binary | std::ios::trunc); }
    std::error_code ignored;
    std::filesystem::remove(name, ignored);
    return name;
}

// The file appears whole or not at all: a write cut short (a full disk)
// leaves no truncated image behind the message that none was made.
bool DiagnosePrinterDlg::AppendBytesToFile(const std::string& fileName) {
    bool written = false;
    try {
        shell::writeWholeFileOrThrow(
            fileName, std::string_view(reinterpret_cast<const char*>(m_ScanImage.data()), m_ScanImage.size()));
        written = true;
    } catch (const platform::RuntimeError&) {
    }
    m_ScanImage.clear();
    return written;
}

void DiagnosePrinterDlg::FinishCheckScan() {
    SendScanEndJ();
    EjectSlip();
    m_MainComm.PurgeCommunication(kPurgeInput);
}

void DiagnosePrinterDlg::PrintScanFile(const std::string& fileName) {
    SelectPaperStation(0);
    PrintBitmapFile(fileName);
    FeedAndCut(8);
}

// On USB HID no event brings the blocks: the status timer reads them while
// the scan runs, and each block's ACK brings the next within the reads.
void DiagnosePrinterDlg::readScanReportsOnHid() {
    while (m_bScanning && m_iScanPhase > 0) {
        const Bytes data = readHidReplyBytes();
        if (data.empty()) return;
        for (std::uint8_t b : data) {
            if (!m_bScanning) return;
            m_iStatusReplyIndex = 0;
            m_iKioskReplyIndex = 0;
            HandleScanByte(b);
        }
    }
}

void DiagnosePrinterDlg::endQuietScan() {
    if (!m_bScanning || m_iScanPhase == 0 || scanEnding_ || now() - lastScanByteAt_ < kScanQuietLimit) return;
    scanMismatch(m_iScanPhase == 1 ? kNoFileInformation : m_iScanPhase == 2 ? kNoSizeInformation : kNoImage);
    m_iScanPhase = 0;
    ScanReceptionState.Position = 0;
    setScanning(false);
}

}  // namespace diagnostics
