// The utility's shared module: the option lists every window reads by index,
// the module references to the long-lived windows, and the small shared
// procedures (wrapping a print line, characters per line, file names, the
// message box entry point).
//
// The lists are constant for the whole run. The module Booleans shared with
// the link and the windows' status handshake record are the link's
// (link/LinkFlags.h, link/StatusHandshake.h); they are brought in here by
// name. Nothing here blocks except ShowMessage, which shows a modal box and
// runs the event loop nested until the user answers it, so any handler of
// the utility may run inside it.
#pragma once

#include <array>
#include <functional>
#include <memory>
#include <string>

#include "link/LinkFlags.h"
#include "link/PrinterLink.h"
#include "link/PrinterTypes.h"
#include "link/StatusHandshake.h"

namespace shell {

class MainWindow;

using printerlink::bAutoReconnect;
using printerlink::bConnectDialogCancelled;
using printerlink::bConnectRequested;
using printerlink::bLanAnswersEscV;
using printerlink::bLanAnswersGsEot;
using printerlink::bLanRestartPending;
using printerlink::bLinkLost;
using printerlink::bPrinterRestarted;
using printerlink::bRestartPending;
using printerlink::bRestartSentOnLink;
using printerlink::bSuppressLanTimeout;
using printerlink::bVerifySerialLink;
using printerlink::statusHandshake;

// The codes the windows, the link and the settings file store and pass: a
// port number code is the PortList index + 1 (1-16 COM1-COM16, 17 TCP, 18
// USB HID); a printer type code indexes PrinterModelList and
// PrinterDescList; a paper width code indexes PaperWidthList.
using PortNumberCode = int;
using PrinterTypeCode = int;
using PaperWidthCode = int;

inline constexpr int kPortCount = 18;
using printerlink::kPrinterTypeCount;
inline constexpr int kPaperWidthCount = 4;

extern const std::array<std::string, kPortCount> PortList;
extern const std::array<std::string, 8> BaudRateList;
extern const std::array<std::string, 2> DataBitsList;
extern const std::array<std::string, 2> StopBitsList;
extern const std::array<std::string, 3> ParityList;
extern const std::array<std::string, 2> HandshakeList;
// Indexed by the printer type code 0-16; types 0-4 have a slip station.
extern const std::array<std::string, kPrinterTypeCount> PrinterModelList;
extern const std::array<std::string, kPrinterTypeCount> PrinterDescList;
// Indexed by the paper width code 0-3.
extern const std::array<std::string, kPaperWidthCount> PaperWidthList;

using printerlink::kAhpiPortNumber;
using printerlink::kLanPortNumber;

// The one main window of the run; set by Main, or by a test that builds one.
extern MainWindow* objMainWindow;

// The settings file: "DuRudo.ini" in the application folder.
std::string SettingsFilePath();

// The entry procedure. When another instance of the utility runs it shows
// "Application is already running" through the platform's own message box
// (text, icon style, caption) and gives nullptr; otherwise it creates the
// main window on the given transports, keeps it in objMainWindow and shows
// it. The caller keeps the transports alive as long as the window. From then
// on a run-time error escaping an event handler is shown in the run-time
// error report.
std::shared_ptr<MainWindow> Main(
    const printerlink::LinkTransports& transports,
    const std::function<void(const std::string& text, int iconStyle, const std::string& caption)>&
        platformMessageBox);

// Ends the program at once: the process ends here, with exit code 0, and
// nothing of the utility runs after it, not even the rest of the handler
// that called it. Tests install endProgramHandler to record the call instead.
void EndProgram();
extern std::function<void()> endProgramHandler;

template <typename T>
bool IsObjectSet(const T* reference) {
    return reference != nullptr;
}
template <typename T>
bool IsObjectSet(const std::shared_ptr<T>& reference) {
    return reference != nullptr;
}
template <typename T>
bool IsObjectSet(const std::unique_ptr<T>& reference) {
    return reference != nullptr;
}

// A print line with at most one line break, made at the last blank of the
// trimmed text that lies before position `limit`.
std::string WrapAtSpace(const std::string& text, int limit);

// The modal message box: ButtonStyle vbOKOnly, vbOKCancel or vbYesNo;
// IconStyle vbNoIcon, vbCritical, vbQuestion, vbExclamation or
// vbInformation; gives vbOK, vbCancel, vbYes or vbNo (ModalMessageBox.h).
long ShowMessage(const std::string& text, long ButtonStyle, long IconStyle);

// The platform identifier the utility's printing code asks for; this
// platform answers as the one family it was written for.
long GetPlatformId();

// Characters per printed line for the receipt or slip station and the font.
int GetColumnsPerLine(bool& receiptStation, bool& fontFlag);
// The same for a given paper width code, for code that does not go through
// the main window.
int columnsPerLine(bool receiptStation, bool fontFlag, PaperWidthCode paperWidth);

// The part of a path after its last folder separator.
std::string GetFileName(const std::string& path);

}  // namespace shell
