// The user's selections in the settings file: the ten sections as the window
// writes them, ticks and choices across category switches and closing, and
// what a hand-edited file or a tick on a default does.
#include "ConfigWindowTestSupport.h"
#include "link/LinkFlags.h"

namespace configtest {
namespace {

using Keys = std::vector<std::pair<const char*, int>>;

// The value sections and defaults, and the flag sections with their row counts.
const std::vector<std::pair<const char*, Keys>> kValueSections = {
    {"CommuncationInterface",
     {{"InterfaceType", 0}, {"BaudRate", 4}, {"DataBits", 0}, {"StopBits", 0}, {"Parity", 0}, {"FlowControl", 1},
      {"RecError", 1}, {"RecBuffer", 0}, {"DSRSignal", 0}, {"USBInterface", 0}, {"EthernetRTCProtocal", 0},
      {"USBSpeed", 0}}},
    {"Software",
     {{"PrinterEmulation/UserCharDefined", 0}, {"PrinterID", 0}, {"DefaultLPI", 1}, {"CarriageReturn", 1},
      {"AsianMode", 1}, {"SlipPaperWidth/LabelMode/CodePage", 0}, {"ReceiptSync", 0},
      {"SlipWait/48CharMode/KnifeGap", 0}, {"PDF417Coloumn", 0}, {"AutoReset/Charprint", 0}, {"FontType", 0},
      {"CompactBarcodeLen/CompatableTopMargin", 0}, {"CompressPitch/USU", 0}, {"IgnoreSync/LogosDefined", 0}}},
    {"Hardware",
     {{"PrinterDensity", 0}, {"MaxPower/MaximumLoopLength", 0}, {"PaperLow", 0}, {"PaperWidth", 0}, {"knife", 0},
      {"MICR/PowerLedControl/BezelLed", 1}, {"CheckFlip/BuzzerTone", 0}, {"ColorPaper", 0},
      {"MICRDual/BlackMarkDetection", 0}, {"Scan/BlackMarkDetection/KnifeTone", 0},
      {"RecMotorHold/MinReceiptLength/PaperType/StandByMode", 1},
      {"FeedAfterCut/PaperDetect/HeadClenWarning/PresenterSpeed/ShiftToOFF", 0}, {"RecPrintMode", 0},
      {"HeadFail/PresenterTimeOut", 0}, {"PresentRetry", 0}, {"PresenterForwaredLength", 0},
      {"PresenterPullSensor", 0}}},
    {"CodePage", {{"DefaultCP", 0}}},
    {"DoubleSidedPage",
     {{"PrintMode", 0}, {"UpsideDown", 0}, {"SwapSide", 0}, {"TopBottomMsg", 0}, {"ReprintMSg", 0},
      {"MinRecLength/DefaultPrintSide", 0}, {"ReprintonErrMsg", 0}, {"2stDetection", 0}}},
};
const std::vector<std::pair<const char*, int>> kFlagSections = {
    {"CommuncationParameter", 12}, {"SoftwareParameter", 14}, {"HardWareParameter", 17},
    {"CodePageParameter", 1},      {"DoublesidedParameter", 8}};

// A section added by one write per key: appended after an empty line, each
// later key inserted first under the header.
std::string appendedSection(const std::string& name, const std::vector<std::string>& lines) {
    std::string text = "\r\n[" + name + "]\r\n";
    for (auto it = lines.rbegin(); it != lines.rend(); ++it) text += *it + "\r\n";
    return text;
}

class Selections : public ConfigWindowWorld {
protected:
    void close() { ASSERT_TRUE(driver.click(dlg->CloseButton)); }
    void edit(const std::string& section, const std::string& key, const std::string& value) {
        shell::WriteIniValue(shell::SettingsFilePath(), section, key, value);
    }
};

TEST_F(Selections, OpeningWritesEveryDefaultAndClosingEveryFlagFalse) {
    connect(Link::Serial, 0);
    std::string expected = settingsFile();
    open();
    close();
    for (const auto& [section, keys] : kValueSections) {
        std::vector<std::string> lines;
        for (const auto& [key, value] : keys) lines.push_back(std::string(key) + "=" + std::to_string(value));
        expected += appendedSection(section, lines);
    }
    for (const auto& [section, rows] : kFlagSections) {
        std::vector<std::string> lines;
        for (int row = 0; row < rows; ++row) lines.push_back(std::to_string(row) + "=False");
        expected += appendedSection(section, lines);
    }
    EXPECT_EQ(settingsFile(), expected);
}

TEST_F(Selections, TicksAndChoicesSurviveCategorySwitchesUntilTheWindowCloses) {
    connect(Link::Serial, 0);
    open();
    tick(1);
    choose(1, 2);
    showCategory(1);
    tick(2);
    choose(2, 0);
    tick(3);
    tick(3);  // unticked by hand: its flag is cleared
    EXPECT_EQ(ini("CommuncationParameter", "1"), "True");
    EXPECT_EQ(ini("CommuncationInterface", "BaudRate"), "2");
    EXPECT_EQ(ini("SoftwareParameter", "2"), "True");
    EXPECT_EQ(ini("Software", "DefaultLPI"), "0");
    EXPECT_EQ(ini("SoftwareParameter", "3"), "False");
    for (int category : {0, 1, 0}) {
        showCategory(category);
        const int row = category == 0 ? 1 : 2;
        EXPECT_EQ(dlg->Setting(row).Value(), 1);
        EXPECT_TRUE(dlg->SettingList(row).Visible());
        EXPECT_EQ(dlg->SettingList(row).ListIndex(), category == 0 ? 2 : 0);
        EXPECT_EQ(dlg->CountCheckedSettings(), 1);  // switching clears no flag, restores no other
    }
    close();
    for (const auto& [section, rows] : kFlagSections)
        for (int row = 0; row < rows; ++row) EXPECT_EQ(ini(section, std::to_string(row)), "False");
    open();
    EXPECT_EQ(dlg->CountCheckedSettings(), 0);
    EXPECT_EQ(dlg->SettingList(1).ListIndex(), 4);
    EXPECT_EQ(ini("CommuncationInterface", "BaudRate"), "4");
    EXPECT_EQ(ini("Software", "DefaultLPI"), "1");
}

TEST_F(Selections, ATickKeepsTheChoiceItsListShowsAndTheInterfaceTypeWaitsForApply) {
    connect(Link::Serial, 3);  // the 3650's baud rate list shows " 19200", option 3
    open();
    tick(1);
    EXPECT_EQ(ini("CommuncationInterface", "BaudRate"), "3");
    const std::string connectionType = ini("Configurations", "ConnectionType");
    tick(9);
    for (int option : {1, 0, 2}) {
        choose(9, option);
        EXPECT_EQ(ini("CommuncationInterface", "USBInterface"), std::to_string(option));
        EXPECT_EQ(ini("Configurations", "ConnectionType"), connectionType);
    }
}

TEST_F(Selections, AStoredValueOrFlagTheRowCannotTakeLeavesItUnselected) {
    connect(Link::Serial, 0);
    open();
    showCategory(1);
    tick(2);
    tick(3);
    tick(6);
    choose(6, 1);
    edit("Software", "DefaultLPI", "7");  // beyond the row's three options
    edit("Software", "CarriageReturn", "1x");
    edit("SoftwareParameter", "4", "yes");
    showCategory(0);
    showCategory(1);
    for (int row : {2, 3, 4}) {
        SCOPED_TRACE(row);
        EXPECT_EQ(dlg->Setting(row).Value(), 0);
        EXPECT_EQ(dlg->SettingList(row).ListIndex(), 1);  // the catalogue's choice
        EXPECT_NE(ini("SoftwareParameter", std::to_string(row)), "True");
    }
    EXPECT_EQ(dlg->Setting(6).Value(), 1);
    EXPECT_EQ(dlg->SettingList(6).ListIndex(), 1);
}

TEST_F(Selections, ARowBeyondItsCategoryLeavesTheLastValueKey) {
    connect(Link::Serial, 0);
    open();
    dlg->GetHardwareSettingKeyName(9);
    EXPECT_EQ(dlg->strCommInt, "Scan/BlackMarkDetection/KnifeTone");
    dlg->GetSoftwareSettingKeyName(14);
    EXPECT_EQ(dlg->strCommInt, "Scan/BlackMarkDetection/KnifeTone");
    dlg->GetSoftwareSettingKeyName(13);
    EXPECT_EQ(dlg->strCommInt, "IgnoreSync/LogosDefined");
}

TEST_F(Selections, AfterARestartTheSoftwareRowsFollowTheStoredModelOrElseTheLink) {
    connect(Link::Serial, 3);
    printerlink::bPrinterRestarted = true;
    for (const auto& [stored, row5] : std::vector<std::pair<const char*, const char*>>{
             {"9", " 437"}, {"", " 3650 Mode"}, {"x9", " 3650 Mode"}}) {
        SCOPED_TRACE(stored);
        edit("Configurations", "PrinterModel", stored);
        open();
        showCategory(1);
        EXPECT_EQ(dlg->SettingList(5).List(0), row5);
        close();
    }
}

}  // namespace
}  // namespace configtest
