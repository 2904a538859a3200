#include "diagnostics/CheckScanSession.h"

#include <cstdio>

#include "diagnostics/ScanBlocks.h"
#include "link/PrinterCommands.h"
#include "platform/Application.h"
#include "platform/RuntimeError.h"
#include "shell/IniFile.h"

namespace diagnostics {

namespace {

constexpr std::uint8_t kReadStatus = '@';
constexpr const char* kNoFileInformation = "Cannot retrieve valid file information block.";
constexpr const char* kNoSizeInformation = "Cannot retrieve valid size information block.";
constexpr const char* kNoImage = "Cannot retrieve valid scanned image.";

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

void CheckScanSession::setScanning(bool scanning) {
    m_bScanning = scanning;
    host_.scanningChanged(scanning);
}

void CheckScanSession::start(platform::Micros now) {
    ScanReceptionState = {};
    m_ScanImage.clear();
    m_iScanPhase = 1;
    lastScanByteAt_ = now;
}

// What followed the fault in the input, also while the message was up,
// belongs to the failed scan: read on, it would pass for a MICR reply.
bool CheckScanSession::scanMismatch(const char* blockText) {
    host_.sendToScanner(printerlink::CancelCommand);
    host_.scanFailed(std::string("Scan Error\r\n") + blockText +
                         "\r\nPlease verify the printer enables check scan function.",
                     true);
    return false;
}

// An error status ends the scan at once: the printer sends nothing more.
void CheckScanSession::ReceiveScanFileInfo(std::uint8_t b, int& Position, bool& result) {
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
        host_.sendToScanner(printerlink::AckCommand);
        return;
    }
    host_.sendToScanner(printerlink::CancelCommand);
    host_.scanFailed("Scan Error: Error Code = " + platform::str(status) + "\r\n" + statusText(status), false);
    result = false;
}

void CheckScanSession::ReceiveScanSizeInfo(std::uint8_t b, int& Position, bool& result) {
    result = true;
    const Fit fit = fitByte(sizeInformationForm(), Position, b);
    if (fit == Fit::Mismatch)
        result = scanMismatch(kNoSizeInformation);
    else if (fit == Fit::Complete)
        host_.sendToScanner(printerlink::AckCommand);
}

// "S", " ", "A" (more follow) or "@" (the last), the length's low and high
// byte, then the data. A block of length 0 is complete at once.
void CheckScanSession::ReceiveScanImage(std::uint8_t b, int& Position, bool& LastBlock, bool& result) {
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
        case 4: s.BlockLength = b * 256 + s.LengthLow; break;
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
        host_.sendToScanner(printerlink::AckCommand);
    }
}

void CheckScanSession::HandleScanByte(std::uint8_t b, platform::Micros now) {
    ScanReception& s = ScanReceptionState;
    bool result = true;
    lastScanByteAt_ = now;
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
    if (!result) stop();
}

void CheckScanSession::stop() {
    m_iScanPhase = 0;
    ScanReceptionState.Position = 0;
    setScanning(false);
}

void CheckScanSession::endCheckScan() {
    scanEnding_ = true;
    const std::string fileName = ScanReceptionState.FileName;
    const bool written = AppendBytesToFile(fileName);
    host_.scanReceived(fileName, written);
    scanEnding_ = false;
}

// Scan_yyyymmdd_hhnnss.bmp in the current folder, from the platform's
// clock. Only the name is made here: a file of that name (an earlier scan in
// the same second) stays as it is until the new image, written whole, takes
// its place, so a scan that fails costs no image already there. Whether the
// folder takes the file shows when it is written.
std::string CheckScanSession::CreateScanFileName() {
    const platform::LocalTime t = platform::app().localTime();
    char name[64];
    std::snprintf(name, sizeof name, "Scan_%04d%02d%02d_%02d%02d%02d.bmp", t.year, t.month, t.day, t.hour, t.minute,
                  t.second);
    return name;
}

// The file appears whole or not at all: a write cut short (a full disk)
// leaves no truncated image behind the message that none was made.
bool CheckScanSession::AppendBytesToFile(const std::string& fileName) {
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

void CheckScanSession::endIfQuiet(platform::Micros now) {
    if (!m_bScanning || m_iScanPhase == 0 || scanEnding_ || now - lastScanByteAt_ < kScanQuietLimit) return;
    scanMismatch(m_iScanPhase == 1 ? kNoFileInformation : m_iScanPhase == 2 ? kNoSizeInformation : kNoImage);
    stop();
}

}  // namespace diagnostics
