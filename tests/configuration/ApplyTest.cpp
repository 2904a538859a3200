// Apply and Apply All on the simulated printer: the bytes each setting goes
// out as on each link (the same through both), the two command log files,
// the connection settings written back, and runs that must send nothing.
#include <fstream>
#include <iterator>

#include "ConfigWindowTestSupport.h"
#include "configuration/apply/SettingCommand.h"
#include "link/StatusHandshake.h"

namespace configtest {
namespace {

using platform::Bytes;
using configuration::settingChangedFlags;

constexpr const char* kUpdated = "Configuration is updated, but it does not effect  until the printer is restarted.";

class Apply : public ConfigWindowWorld {
protected:
    // What the printer received since its log was cleared, status requests
    // and polls left out, USB HID reports without their padding.
    Bytes received() const {
        Bytes all;
        for (const sim::SimLogEntry& entry : printer.log()) {
            const bool status = entry.decoded.size() == 1 &&
                                (entry.decoded[0] == "DLE EOT 2" || entry.decoded[0] == "GS EOT 1" ||
                                 entry.decoded[0] == "GS r 1");
            if (status) continue;
            Bytes raw = entry.raw;
            while (entry.hidReport && !raw.empty() && raw.back() == 0) raw.pop_back();
            all.insert(all.end(), raw.begin(), raw.end());
        }
        return all;
    }
    Bytes logFile(const char* name) const {
        std::ifstream in(folder / name, std::ios::binary);
        return Bytes(std::istreambuf_iterator<char>(in), {});
    }
    bool logExists(const char* name) const { return std::filesystem::exists(folder / name); }
    void setIni(const std::string& section, const std::string& key, const std::string& value) {
        shell::WriteIniValue(shell::SettingsFilePath(), section, key, value);
    }
    void press(platform::CommandButton& button) { ASSERT_TRUE(driver.click(button)); }
    // The window open, with what it sends when it opens delivered.
    void openWindow() {
        open();
        idle(5);
    }
};

TEST(SettingCommand, OneSettingsBytesByTypeAndRow) {
    using S = configuration::SettingBytes::Status;
    struct Case {
        long type;
        int category, row;
        long option;
        S status;
        Bytes bytes;
    } cases[] = {
        {0, 0, 1, 4, S::Ok, {0x11, 0x04}},
        {0, 1, 12, 1, S::NoParameter, {}},  // the 3640 has no number there
        {7, 4, 5, 1, S::Ok, {0x64, 0xF7, 0x65, 0x03}},
        {12, 4, 5, 2, S::Ok, {0x74, 0xEE, 0x75, 0x07}},
        {7, 4, 5, 0, S::Ok, {0x64, 0x00, 0x65, 0x00}},
        {7, 4, 5, 33, S::BadValue, {}},  // longer than the printer's length takes
        {14, 2, 2, 1, S::Ok, {0x1F, 0x06, 0x01}},
        {14, 4, 0, 2, S::Ok, {0x1F, 0x08, 0x02}},
        {14, 4, 5, 1, S::NoParameter, {}},
        {14, 1, 3, 1, S::Ok, {0x0D, 0x01}},
        {3, 3, 0, 255, S::Ok, {0x40, 0xFF}},
        {3, 3, 0, 256, S::BadValue, {}},
        {3, 3, 0, -1, S::BadValue, {}},
    };
    for (const Case& c : cases) {
        const auto got = configuration::settingCommandBytes(configuration::ParamNoFor(c.type), c.type, c.category,
                                                            c.row, c.option);
        EXPECT_EQ(got.status, c.status) << c.type << " " << c.category << " " << c.row;
        EXPECT_EQ(got.bytes, c.bytes) << c.type << " " << c.category << " " << c.row;
    }
}

TEST_F(Apply, BothRunsSendEachSettingAlikeOnEveryLinkAndLogIt) {
    struct Tick {
        int row, option;
        bool inCode = false;  // ticked in code, past the model gate, option left
    };
    struct Case {
        Link link;
        int type, category;
        std::vector<Tick> ticks;
        Bytes wire;
        Bytes firstLog, secondLog;  // of Apply
        const char* message;
        platform::Micros replyDelay = 2000;
    } cases[] = {
        {Link::Serial, 0, 1, {{2, 1}, {3, 0}, {12, 1, true}},  // row 12 has no number on the 3640
         {0x1F, 0x11, 0x21, 0x01, 0x22, 0x00, 0xFF},
         {0x1F, 0x11, 0x21, 0x01, 0x22, 0x00, 0xFF, 0, 0},
         {0x1F, 0x11, 0x21, 0x01, 0x22, 0x00, 0xFF, 0x1D, 0xFF}, kUpdated},
        {Link::Lan, 7, 4, {{5, 1}},
         {0x1F, 0x11, 0x64, 0xF7, 0x65, 0x03, 0xFF},
         {0x1F, 0x11, 0x64, 0xF7, 0x65, 0x03, 0xFF, 0, 0},
         {0x1F, 0x11, 0x64, 0xF7, 0x65, 0x03, 0xFF, 0x1D, 0xFF}, kUpdated},
        {Link::Usb, 12, 4, {{5, 2}},
         {0x08, 0x1B, 0x40, 0x1F, 0x11, 0x74, 0xEE, 0x75, 0x07, 0xFF},
         {0x08, 0x1B, 0x40, 0x1F, 0x11, 0x74, 0xEE, 0x75, 0x07, 0xFF, 0, 0},
         {0x08, 0x1B, 0x40, 0x1F, 0x11, 0x74, 0xEE, 0x75, 0x07, 0xFF, 0x1D, 0xFF}, kUpdated},
        {Link::Serial, 14, 2, {{2, 1}, {3, 2}},
         {0x1F, 0x06, 0x01, 0x1F, 0x07, 0x02},
         {},
         {0x1F, 0x06, 0x01, 0x1F, 0x07, 0x02, 0, 0x1D, 0xFF}, "Configuration is updated"},
        {Link::Usb, 14, 4, {{0, 1}}, {0x08, 0x04, 0x1F, 0x08, 0x01}, {}, {0x1F, 0x08, 0x01, 0, 0x1D, 0xFF, 0, 0, 0, 0,
         0, 0}, "Configuration is updated"},
        // The question answered at once: a printer that answers 600 ms late is no lost one.
        {Link::Serial, 0, 1, {{2, 1}, {3, 0}}, {0x1F, 0x11, 0x21, 0x01, 0x22, 0x00, 0xFF},
         {0x1F, 0x11, 0x21, 0x01, 0x22, 0x00, 0xFF, 0, 0}, {0x1F, 0x11, 0x21, 0x01, 0x22, 0x00, 0xFF, 0x1D, 0xFF},
         kUpdated, 600'000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(shelltest::linkName(c.link)) + " type " + std::to_string(c.type));
        connect(c.link, c.type);
        openWindow();
        if (c.category != 0) showCategory(c.category);
        for (const Tick& t : c.ticks) {
            if (t.inCode) {
                dlg->Setting(t.row).setValue(platform::vbChecked);
            } else {
                tick(t.row);
                choose(t.row, t.option);
            }
        }
        printer.clearLog();
        printer.config().replyDelay = c.replyDelay;
        press(dlg->ApplyButton);
        EXPECT_EQ(received(), c.wire);
        EXPECT_EQ(logFile("CommandsWithoutRestart.bin"), c.firstLog);
        EXPECT_EQ(logFile("CommandsWithRestart.bin"), c.secondLog);
        EXPECT_EQ(messages.back().text, c.message);
        printer.clearLog();
        press(dlg->ApplyAll);
        EXPECT_EQ(received(), c.wire) << "Apply All sends what Apply sent";
        printer.config().replyDelay = 2000;
        press(dlg->CloseButton);
        ASSERT_TRUE(clickButton(2));
    }
}

TEST_F(Apply, ApplyAllSendsEverySavedSelectionWithItsLogsAndWriteBack) {
    connect(Link::Lan, 0);
    openWindow();
    setIni("CommuncationParameter", "1", "True");
    setIni("CommuncationInterface", "BaudRate", "4");
    setIni("SoftwareParameter", "2", "True");
    setIni("Software", "DefaultLPI", "1");
    setIni("HardWareParameter", "3", "True");
    setIni("Hardware", "PaperWidth", "1");
    setIni("DoublesidedParameter", "4", "True");
    setIni("DoubleSidedPage", "ReprintMSg", "");  // selected without a value: counted, not sent
    printer.clearLog();
    press(dlg->ApplyAll);
    const Bytes wire = {0x1F, 0x11, 0x11, 0x04, 0x21, 0x01, 0x32, 0x01, 0xFF, 0xFF, 0xFF, 0xFF};
    EXPECT_EQ(received(), wire);
    Bytes log = wire;
    log.resize(2 * 4 + 4 + 4, 0);
    EXPECT_EQ(logFile("CommandsWithoutRestart.bin"), log);
    log[12] = 0x1D, log[13] = 0xFF;
    EXPECT_EQ(logFile("CommandsWithRestart.bin"), log);
    EXPECT_EQ(ini("Configurations", "Baud Rate"), "9600");
    EXPECT_EQ(ini("Configurations", "PaperWidth"), " 58.0mm");
    EXPECT_TRUE(settingChangedFlags.baudRate && settingChangedFlags.software && settingChangedFlags.hardware &&
                settingChangedFlags.twoSided);

    // Every category on USB HID: the log holds the trailing 1D FF as well.
    press(dlg->CloseButton);
    ASSERT_TRUE(clickButton(2));
    connect(Link::Usb, 7);
    openWindow();
    const char* flagSections[] = {"CommuncationParameter", "SoftwareParameter", "HardWareParameter",
                                  "CodePageParameter", "DoublesidedParameter"};
    for (const char* section : flagSections) setIni(section, "0", "True");
    printer.clearLog();
    press(dlg->ApplyAll);
    EXPECT_EQ(printer.commands().size(), 10u);  // five packets of ESC @ and the command
    const Bytes second = logFile("CommandsWithRestart.bin");
    ASSERT_EQ(second.size(), 2u * 5 + 12);
    EXPECT_EQ(Bytes(second.end() - 7, second.end()), (Bytes{0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x1D, 0xFF}));
    EXPECT_EQ(messages.back().text, kUpdated);
}

TEST_F(Apply, ConnectionSettingsWrittenBackByEachRun) {
    struct Case {
        bool all;
        int row;
        const char* value;
        const char* key;
        const char* text;  // nullptr: the key keeps "keep"
        bool configuration::SettingChangedFlags::*flag;
    } cases[] = {
        {false, 1, "3", "Baud Rate", "19200", &configuration::SettingChangedFlags::baudRate},
        {false, 9, "2", "ConnectionType", "PRTR", nullptr},
        {true, 9, "2", "ConnectionType", "19", nullptr},
        {true, 5, "1", "HandShake", "1", &configuration::SettingChangedFlags::flowControl},
        {true, 2, "7", "DataBits", nullptr, nullptr},
        {false, 7, "1", "DataBits", nullptr, &configuration::SettingChangedFlags::receiveBuffer},
        {true, 7, "1", "DataBits", nullptr, nullptr},
    };
    connect(Link::Serial, 0);
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.key) + " " + c.value);
        settingChangedFlags = {};
        openWindow();
        setIni("Configurations", c.key, "keep");
        if (c.all) {
            setIni("CommuncationParameter", std::to_string(c.row), "True");
            setIni("CommuncationInterface", configuration::categoryDefinition(0).valueKeys[c.row].key, c.value);
            press(dlg->ApplyAll);
        } else {
            tick(c.row);
            choose(c.row, std::stoi(c.value));
            press(dlg->ApplyButton);
        }
        EXPECT_EQ(ini("Configurations", c.key), c.text ? c.text : "keep");
        EXPECT_EQ(c.flag != nullptr, c.flag && settingChangedFlags.*(c.flag));
        press(dlg->CloseButton);
    }
}

TEST_F(Apply, ValueThatCannotBeSentStopsTheRunBeforeItsFirstByte) {
    connect(Link::Lan, 0);
    openWindow();
    setIni("SoftwareParameter", "2", "True");
    setIni("Software", "DefaultLPI", "1");
    setIni("HardWareParameter", "0", "True");
    setIni("Hardware", "PrinterDensity", "300");
    printer.clearLog();
    press(dlg->ApplyAll);
    EXPECT_TRUE(received().empty());
    EXPECT_EQ(messages.back().text,
              "Cannot apply new configuration: \"300\" is no valid option for PrinterDensity in section [Hardware] "
              "of the settings file.");
    tick(10);
    dlg->SettingList(10).setListIndex(-1);
    press(dlg->ApplyButton);
    EXPECT_TRUE(received().empty());
    EXPECT_EQ(messages.back().text,
              "Cannot apply new configuration: no valid option is chosen for \"Ethernet RTC Protocol\".");
    EXPECT_FALSE(logExists("CommandsWithoutRestart.bin") || logExists("CommandsWithRestart.bin"));
}

// A link lost while the run waits on the receipt-sync note: what follows
// does not reach the printer, and the run does not say it applied.
TEST_F(Apply, SendsThatFailAreNotReportedAsApplied) {
    connect(Link::Serial, 0);
    open();
    showCategory(1);
    tick(6);
    driver.answerNext([this](platform::Form& form) { driver.pressKey(form, '1'); });
    driver.answerNext([this](platform::Form& form) {
        mainWindow().MSCommCtrl.setPortOpen(false);
        driver.pressKey(form, '1');
    });
    press(dlg->ApplyButton);
    EXPECT_EQ(messages.back().text, "Cannot apply new configuration due to offline.");
}

TEST_F(Apply, SerialRunGivesUpWhenThePrinterDoesNotAnswer) {
    connect(Link::Serial, 0);
    open();
    tick(1);
    // An answer left from an earlier request must not pass this check.
    printerlink::statusHandshake.bResponseForRealTimestatus = true;
    printer.setReplyFault(sim::ReplyFault::Silent);
    printer.clearLog();
    press(dlg->ApplyButton);
    EXPECT_EQ(printer.commands(), std::vector<std::string>{"DLE EOT 2"});
    EXPECT_EQ(messages.back().text, shell::kLostLinkMessage);
    EXPECT_TRUE(printerlink::bLinkLost && dlg->WantDisconnect() && mainWindow().bConnectButton);
    EXPECT_FALSE(dlg->isLoaded() || logExists("CommandsWithoutRestart.bin"));
}

// A status request the printer never answered, left by a run declined at
// its question, must not take the main window's next connection check.
TEST_F(Apply, UnansweredStatusRequestDoesNotOutliveTheWindow) {
    connect(Link::Serial, 0);
    open();
    tick(1);
    printer.setReply(shell::RealTimeStatusCommand, {});
    messageKeys.push_back('0');
    press(dlg->ApplyButton);
    press(dlg->CloseButton);
    printer.clearReplies();
    messages.clear();
    ASSERT_TRUE(clickButton(kViewTallyButton));
    for (const shelltest::MessageSeen& m : messages) ADD_FAILURE() << m.text;
}

}  // namespace
}  // namespace configtest
