// The printer as the diagnostics window's tests drive it: the print command
// builders, each building one command (or a short fixed run) from the
// command vocabulary and sending it at once, the receipts the tests are made
// of (the heading, the receipt body, the logo and bar code, the colour and
// two-sided passes, the MICR receipt), pictures and bitmap files as bit
// image bands, and the stored logo's download and sample print. Every byte
// a test sends goes through it (ScannerCommands' too), so one rule stops
// them all. On USB HID every command goes out framed once, whatever its
// length.
//
// Ownership: the window owns one and passes it its link, which outlives it,
// and a test of whether the operation it prints for has stopped (a send
// failed, the window closed): from then on nothing more is sent.
//
// What may block: every builder sends, and sends yield, so any handler may
// run inside one; the bar code and each picture band wait, yielding and
// sleeping, for the printer to be online. A bitmap that cannot be printed
// is told in a message box.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "diagnostics/BitmapFile.h"
#include "link/PrinterLink.h"
#include "platform/Text.h"
#include "platform/forms/Picture.h"

namespace diagnostics {

// How a print line is laid out: the station and the font give its width in
// characters; a wrapped text line breaks at its last blank before it.
struct LineStyle {
    bool receipt = true;  // the receipt station; false for the slip
    bool fontB = false;   // font B, the narrower characters
    bool wrap = true;
};

class DiagnosticPrinter {
public:
    DiagnosticPrinter(printerlink::PrinterLink& link, std::function<bool()> stopped)
        : link_(link), stopped_(std::move(stopped)) {}

    // ---- Builders ----
    void InitializePrinter();
    void SendGsUs0();
    void SelectCharacterSetUSA();
    void SelectPaperStation(int station);
    void SetPrintMode(int size, bool fontB);
    void SetAlignment(int alignment);
    void PrintSeparatorLine(LineStyle style = {});
    void PrintTextLine(const std::string& text, LineStyle style = {});
    void PrintBarcode(int kind, const std::string& data);
    void FeedAndCut(std::uint8_t lines);
    void EjectSlip();
    void SetColorOption(bool on);
    void PrintPictureBitmap(const platform::PicturePtr& picture, int mode);
    // A bitmap file as 24-line bands; false, its message shown, when refused.
    bool PrintBitmapFile(const std::string& fileName);
    void sendLogoImage(const LogoImage& logo);
    void SelectLogoNumber(int n);
    void PrintLogoNumber(int n);
    // The line end after a stored logo: on USB HID a ready-made report, the
    // link sends it as it is.
    void sendLogoLineEnd();
    // A command's bytes; a print line, as text on serial and TCP.
    void sendCommand(platform::Bytes command);
    void sendText(const std::string& text);

    // ---- The tests' receipts ----
    // The printer, the paper and the utility between separators.
    void printTestHeading(bool receipt);
    void PrintReceiptTestBody(bool receipt);
    // The logo caption (when captionFirst), the logo, then the bar code.
    void printLogoAndBarcode(const platform::PicturePtr& logo, bool captionFirst, int logoMode);
    void printTwoColorPasses(const platform::PicturePtr& logo);
    void printTwoSidedSequence(const platform::PicturePtr& logo);
    void PrintMICRReceipt(const std::string& raw, const std::string& transit, const std::string& bank,
                          const std::string& account, const std::string& serial);

private:
    bool hidOpen() const { return link_.m_lngHIDHandle > 0; }
    void sendBand(const platform::Bytes& command, platform::Bytes& band);
    void printSizeLines(int columns, bool fontB, bool receipt);
    void printBarcodeCaptionAndCode();
    void printColorPass(const platform::PicturePtr& logo, int pass);

    printerlink::PrinterLink& link_;
    std::function<bool()> stopped_;
};

}  // namespace diagnostics
