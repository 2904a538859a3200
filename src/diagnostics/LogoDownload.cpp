// The logo download: a monochrome bitmap file the user picks, downloaded
// into the printer's flash as its logo, which is then printed in its four
// sizes.
#include <optional>
#include <utility>

#include "diagnostics/BitmapFile.h"
#include "diagnostics/DiagnosePrinterDlg.h"
#include "link/PrinterCommands.h"
#include "platform/Application.h"
#include "platform/loop/EventLoop.h"
#include "shell/ModalMessageBox.h"
#include "shell/TypeDefinition.h"
#include "shell/WorkWindowLink.h"

namespace diagnostics {

namespace {

constexpr int kLogoOnlineRounds = 50, kOnlineSleepMs = 50;
constexpr std::uint8_t kFlashWriteFailed = 0x08;
constexpr const char* kFlashWriteUnconfirmed = "Cannot confirm the Flash Write: the printer did not answer.";
constexpr const char* kFlashWriteAnsweredLate = "Cannot confirm the Flash Write: the printer answered too late.";
constexpr long kLogoDialogFlags = 3076;

}  // namespace

// Clears every logo and user-defined character; true when the printer
// answered that its flash is erased.
bool DiagnosePrinterDlg::SelectFlashLogoArea() { return own_.erase(); }

void DiagnosePrinterDlg::DownloadLogoButton_Click() {
    dispatch(&DiagnosePrinterDlg::DownloadLogoLan, &DiagnosePrinterDlg::DownloadLogoSerial);
}

// True when a file was chosen; a cancel is told by the dialog's result.
bool DiagnosePrinterDlg::chooseLogoFile(std::string& fileName) {
    CommonDlg.setFilter(m_MainComm.PrinterType() == kM27xType ? "80.0mm (576x512) Bitmap (*.bmp)|*.bmp|"
                                                                "82.5mm (592x512) Bitmap (*.bmp)|*.bmp|"
                                                                "114.0mm (832x512) Bitmap (*.bmp)|*.bmp|"
                                                              : "80.0mm (576x512) Bitmap (*.bmp)|*.bmp|"
                                                                "58.0mm (424x512) Bitmap (*.bmp)|*.bmp|");
    CommonDlg.setDialogTitle("Browse File for Download Logo");
    CommonDlg.setDefaultExt(".bmp");
    CommonDlg.setInitDir(platform::app().path());
    CommonDlg.setFileName("");
    CommonDlg.setFlags(kLogoDialogFlags);
    const bool chosen = CommonDlg.ShowOpen();
    platform::DoEvents();
    fileName = CommonDlg.FileName();
    return confirmed(chosen && !fileName.empty());
}

// The status poll rests meanwhile: its replies would be read as the erase's
// or the flash status's answer, and on USB HID its reads would take them.
// Once the erase has gone out the printer's stored logos are gone: a
// download that ends without the flash status's answer, the printer gone
// or silent, says the write could not be confirmed, once, and a printer
// that is gone gets no sample print.
void DiagnosePrinterDlg::downloadLogo(const std::string& fileName) {
    withoutStatusPoll([&] {
        long width = 0, height = 0;
        // The erase below clears every stored logo: a file that is refused
        // must not cost the printer the logos it holds.
        const std::optional<LogoImage> logo = readLogoFile(fileName, width, height);
        if (!logo) return;
        bool told = false;
        const auto unconfirmed = [&told](const char* text) {
            if (!std::exchange(told, true)) shell::ShowMessage(text, shell::vbOKOnly, shell::vbInformation);
        };
        const auto gone = [&] {
            if (sendsStopped() && windowOpen()) unconfirmed(kFlashWriteUnconfirmed);
            return sendsStopped();
        };
        if (!own_.awaitTurn()) return;
        bool stopped = false;
        std::optional<std::uint8_t> status;
        own_.reading([&] {
            Printer.InitializePrinter();
            SelectFlashLogoArea();
            Printer.SelectLogoNumber(1);
            Printer.sendLogoImage(*logo);
            if ((stopped = gone())) return;
            shell::waitRounds(kLogoOnlineRounds, kOnlineSleepMs, [this] { return m_MainComm.IsPrinterOnline(); });
            // What came before the request is no answer to it.
            own_.dropInput();
            // Framed on USB HID like every command, so the printer gets it there too.
            status = own_.flashStatus();
            stopped = gone();
        });
        // Closed meanwhile: nothing more is told or printed.
        if (stopped || !windowOpen()) return;
        // No answer at all is no good write either, nor is a late status
        // reply one; a printer that did answer, only too late, is not told
        // silent.
        if (!status)
            unconfirmed(own_.answeredLate() ? kFlashWriteAnsweredLate : kFlashWriteUnconfirmed);
        else if (*status & kFlashWriteFailed)
            platform::app().plainMessage("Flash Write failed.", platform::kNoIcon, platform::app().title());
        Printer.SelectPaperStation(0);
        Printer.PrintTextLine(platform::toUpperAscii(shell::GetFileName(fileName)) + " (W:" + platform::str(width) +
                              " x H:" + platform::str(height) + " dots)");
        for (int n : {0, 2, 1, 3}) {
            Printer.PrintLogoNumber(n);
            Printer.sendLogoLineEnd();
        }
        Printer.FeedAndCut(8);
        // Nothing more went out after a failed send; a sample print that
        // stopped says so too.
        gone();
    });
}

void DiagnosePrinterDlg::DownloadLogoLan() {
    std::string fileName;
    if (chooseLogoFile(fileName)) downloadLogo(fileName);
}

// The file first; a cancel skips the link check too. A file chosen quickly
// comes before the answer of a printer that answers late.
void DiagnosePrinterDlg::DownloadLogoSerial() {
    std::string fileName;
    if (chooseLogoFile(fileName) && serialAnswerAwaited()) downloadLogo(fileName);
}

}  // namespace diagnostics
