#include "configuration/apply/ConnectionWriteBack.h"

#include <array>
#include <vector>

#include "configuration/ConfigurationModel.h"
#include "configuration/editor/ChangeConfigDlg.h"
#include "platform/RuntimeError.h"
#include "shell/TypeDefinition.h"

namespace configuration {

namespace {

constexpr const char* kSection = "Configurations";

struct CommunicationRow {
    const char* key;                   // nullptr: nothing written
    std::vector<std::string> texts;    // by option
    bool SettingChangedFlags::*flag;   // nullptr: no flag
    int flaggedOptions;                // options 0 .. n-1 raise the flag
    bool shownRunOnly;                 // the flag is raised by the shown category's apply only
};

const std::array<CommunicationRow, 11> kCommunicationRows = {{
    {nullptr, {}, &SettingChangedFlags::interfaceType, 1, false},
    {"Baud Rate", {"115200", "57600", "38400", "19200", "9600", "4800", "2400", "1200"},
     &SettingChangedFlags::baudRate, 8, false},
    {"DataBits", {"8", "7"}, &SettingChangedFlags::dataBits, 2, false},
    {"StopBits", {"1", "2"}, &SettingChangedFlags::stopBits, 2, false},
    {"Parity", {"N", "E", "O"}, &SettingChangedFlags::parity, 3, false},
    {"HandShake", {"0", "1"}, &SettingChangedFlags::flowControl, 2, false},
    {nullptr, {}, &SettingChangedFlags::receptionErrors, 2, true},
    {nullptr, {}, &SettingChangedFlags::receiveBuffer, 4, true},
    {nullptr, {}, nullptr, 0, false},
    {"ConnectionType", {"USB", platform::str(shell::kAhpiPortNumber), "PRTR"}, nullptr, 0, false},
    {nullptr, {}, &SettingChangedFlags::ethernetProtocol, 2, true},
}};

constexpr int kUsbInterfaceRow = 9;
constexpr int kPrinterClassOption = 2;

}  // namespace

bool SettingChangedFlags::groupA() const {
    return parity || stopBits || baudRate || software || hardware || codePage || twoSided || ethernetProtocol ||
           receptionErrors || interfaceType;
}

bool SettingChangedFlags::groupB() const { return dataBits || flowControl || receiveBuffer; }

bool& categoryChangedFlag(int category) {
    switch (category) {
        case kSoftware: return settingChangedFlags.software;
        case kHardware: return settingChangedFlags.hardware;
        case kCodePage: return settingChangedFlags.codePage;
        case kDoubleSided: return settingChangedFlags.twoSided;
        default: platform::raiseError(platform::err::SubscriptOutOfRange);
    }
}

void writeBackCommunication(ChangeConfigDlg& window, int row, int option, WriteBackRun run) {
    if (row < 0 || row >= static_cast<int>(kCommunicationRows.size()) || option < 0) return;
    const CommunicationRow& r = kCommunicationRows[static_cast<std::size_t>(row)];
    if (r.flag && option < r.flaggedOptions && (run == WriteBackRun::ShownCategory || !r.shownRunOnly))
        settingChangedFlags.*(r.flag) = true;
    if (!r.key || option >= static_cast<int>(r.texts.size())) return;
    const bool allRunPrinterClass =
        row == kUsbInterfaceRow && option == kPrinterClassOption && run == WriteBackRun::AllCategories;
    const std::string text = allRunPrinterClass ? "19" : r.texts[static_cast<std::size_t>(option)];
    window.WriteIniValue(shell::SettingsFilePath(), kSection, r.key, text);
}

void writeBackPaperWidth(ChangeConfigDlg& window, long printerType, int option) {
    // The widths the row offers, in option order, as paper width codes.
    const std::vector<int> widths = printerType == kM27xType ? std::vector<int>{0, 2, 3} : std::vector<int>{0, 1};
    if (option < 0 || option >= static_cast<int>(widths.size())) return;
    const auto width = static_cast<std::size_t>(widths[static_cast<std::size_t>(option)]);
    const std::string text = " " + shell::PaperWidthList[width];
    window.WriteIniValue(shell::SettingsFilePath(), kSection, "PaperWidth", text);
}

}  // namespace configuration
