#include "shell/TypeDefinition.h"

#include <cstdio>
#include <cstdlib>

#include "platform/Application.h"
#include "platform/Text.h"
#include "shell/MainWindow.h"
#include "shell/RuntimeErrorReport.h"

namespace shell {

namespace {

std::array<std::string, kPortCount> makePortList() {
    std::array<std::string, kPortCount> list;
    for (int n = 1; n <= 16; ++n) list[n - 1] = "COM" + platform::str(n);
    list[16] = "LAN";
    list[17] = "AHPI";
    return list;
}

}  // namespace

const std::array<std::string, kPortCount> PortList = makePortList();
const std::array<std::string, 8> BaudRateList = {"115200", "57600", "38400", "19200",
                                                 "9600",   "4800",  "2400",  "1200"};
const std::array<std::string, 2> DataBitsList = {"8", "7"};
const std::array<std::string, 2> StopBitsList = {"1", "2"};
const std::array<std::string, 3> ParityList = {"None", "Even", "Odd"};
const std::array<std::string, 2> HandshakeList = {"Xon / Xoff", "DTR / DSR"};
const std::array<std::string, kPrinterTypeCount> PrinterModelList = {
    "3640", "3640-x035", "3640-5xxx/6xxx", "3650", "3650-5xxx", "3680",      "3680-5xxx/6xxx", "3690", "3690-xx4x",
    "3720-2ST", "R806",  "R807",           "R809", "3740-R801", "M27x",      "3720-1ST",       "3695"};
const std::array<std::string, kPrinterTypeCount> PrinterDescList = {
    "AXO 3640 Printer: Thermal Receipt, Impact Slip",
    "AXO 3640-x035 Printer: Thermal Receipt, Impact Slip and Scan",
    "AXO 3640-5xxx Printer: Thermal Receipt, Impact Slip",
    "AXO 3650 Printer: Thermal Receipt, Impact Slip",
    "AXO 3650_5xxx Printer: Thermal Receipt, Impact Slip",
    "AXO 3680 Printer: Thermal Receipt",
    "AXO 3680 R2 Printer: Thermal Receipt",
    "AXO 3690 Printer: Two Sided Thermal Receipt",
    "AXO 3690 ROL Printer: Thermal/Label Receipt",
    "AXO 3720_2st Printer: Thermal Receipt, Kiosk Printer",
    "AXO R806 Printer: Thermal Receipt, Kiosk Printer",
    "AXO R807 Printer: Thermal Receipt, Kiosk Printer",
    "AXO R809 Printer: Thermal Receipt, Kiosk Printer",
    "AXO 3740_R801 Printer: Japan Thermal Receipt",
    "AXO 3730-M27x Printer: Thermal Receipt Self-Service Printer",
    "",
    "AXO 3695 Printer: Thermal Receipt"};
const std::array<std::string, kPaperWidthCount> PaperWidthList = {"80.0mm", "58.0mm", "82.5mm", "114.0mm"};

MainWindow* objMainWindow = nullptr;

std::string SettingsFilePath() { return platform::app().path() + "/DuRudo.ini"; }

std::function<void()> endProgramHandler;

void EndProgram() {
    if (endProgramHandler) {
        endProgramHandler();
        return;
    }
    // Ending means ending here. The close may come from inside the yields
    // that follow another button, or from a box nested in them; returning
    // would let that handler go on: show its message boxes after the user
    // left, write the settings file that Exit has just deleted. Nothing is
    // left to save: every settings write has completed, and the system
    // closes the ports.
    std::fflush(nullptr);
    std::_Exit(0);
}

std::shared_ptr<MainWindow> Main(
    const printerlink::LinkTransports& transports,
    const std::function<void(const std::string&, int, const std::string&)>& platformMessageBox) {
    if (platform::app().previousInstance()) {
        if (platformMessageBox) platformMessageBox("Application is already running", 16, platform::app().title());
        return nullptr;
    }
    InstallRuntimeErrorReport();
    auto window = platform::newForm<MainWindow>(transports);
    objMainWindow = window.get();
    window->Show();
    return window;
}

std::string WrapAtSpace(const std::string& text, int limit) {
    const std::string result = platform::trim(text);
    const long long length = static_cast<long long>(text.size());
    if (limit >= length) return result;
    // The break is searched for and made in the trimmed text; searching one
    // text and cutting the other would misplace it after leading blanks.
    std::string work = result;
    for (;;) {
        const std::size_t blank = work.rfind(' ');
        if (blank == std::string::npos) return result;
        const long long p = static_cast<long long>(blank) + 1;
        if (p < limit) return result.substr(0, blank) + "\r\n" + result.substr(blank + 1);
        work.resize(blank);
    }
}

long GetPlatformId() { return 2; }

int columnsPerLine(bool receiptStation, bool fontFlag, PaperWidthCode paperWidth) {
    int wide = 55, narrow = 45;
    if (receiptStation) {
        switch (paperWidth) {
            case 1: wide = 42, narrow = 32; break;
            case 2: wide = 59, narrow = 45; break;
            case 3: wide = 83, narrow = 64; break;
            default: wide = 56, narrow = 44; break;
        }
    }
    return fontFlag ? wide : narrow;
}

int GetColumnsPerLine(bool& receiptStation, bool& fontFlag) {
    const PaperWidthCode paperWidth = objMainWindow != nullptr ? static_cast<int>(objMainWindow->PaperWidth()) : -1;
    return columnsPerLine(receiptStation, fontFlag, paperWidth);
}

std::string GetFileName(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace shell
