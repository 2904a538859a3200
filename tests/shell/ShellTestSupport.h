// The shell's windows on the virtual clock, with the in-memory transports,
// the simulated printer and a test driver that answers every modal window.
//
// Message boxes are answered with the key queued in messageKeys ('1' or '0',
// '1' when the queue is empty) and their texts recorded; timed notices are
// left to close themselves and recorded with the virtual time they stayed
// up. The application folder is a scratch folder per test. The fixture owns
// everything; windows go first, the world (printer, doubles) last. The
// printer sits on one transport at a time.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <deque>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "link/LinkFlags.h"
#include "platform/Application.h"
#include "platform/forms/Forms.h"
#include "platform/forms/TestDriver.h"
#include "printer/SimulatedPrinterWorld.h"
#include "shell/ConnectPrinterDlg.h"
#include "shell/MainWindow.h"
#include "shell/ModalMessageBox.h"
#include "shell/ModelessMsgBox.h"
#include "shell/IniFile.h"
#include "shell/RuntimeErrorReport.h"
#include "shell/TypeDefinition.h"

namespace shelltest {

namespace fs = std::filesystem;
using sim::kPrinterHost;

// Every caption built from the application's title carries this text.
inline constexpr const char* kAppTitle = "AXO36xxDiag";
using sim::kPrinterPort;

struct MessageSeen {
    std::string text;
    std::string okCaption;
    bool cancelShown = false;
    bool iconShown = false;
};

struct NoticeSeen {
    std::string text;
    platform::Micros shownAt = 0;
    platform::Micros closedAt = -1;
    double shownMs() const { return static_cast<double>(closedAt - shownAt) / 1000.0; }
};

class ShellWorld : public ::testing::Test, public sim::SimulatedPrinterWorld, private platform::FormObserver {
protected:
    ShellWorld() {
        printerOnOneTransport = true;
        printerlink::resetLinkModuleState();
        // A parameterised test's name has a slash, which would leave a folder
        // above this one behind.
        std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
        std::replace(name.begin(), name.end(), '/', '-');
        folder = fs::temp_directory_path() / ("shell-test-" + std::to_string(::getpid()) + "-" + name);
        fs::remove_all(folder);
        fs::create_directories(folder);
        platform::app().setPath(folder.string());
        platform::app().beepHook = [this](int style) { beeps.push_back(style); };
        shell::endProgramHandler = [this] { ++programEnds; };
        shell::InstallRuntimeErrorReport();  // as Main does
        platform::Forms::addObserver(this);
        driver.onModal = [this](platform::Form& form) { answer(form); };
    }

    ~ShellWorld() override {
        platform::Forms::removeObserver(this);
        platform::Forms::discardAll();
        window.reset();
        shell::endProgramHandler = nullptr;
        platform::setHandlerErrorReport(nullptr);
        platform::app().beepHook = nullptr;
        printerlink::resetLinkModuleState();
        std::error_code ignored;
        fs::remove_all(folder, ignored);
    }

    // The main window on the doubles, shown as Main shows it.
    shell::MainWindow& mainWindow() {
        if (!window) {
            window = platform::newForm<shell::MainWindow>(
                printerlink::LinkTransports{serial, tcp, hid}, loop);
            shell::objMainWindow = window.get();
            window->Show();
        }
        return *window;
    }

    // Answers the next connection dialog with `actions`, which must close it.
    void answerDialog(std::function<void(shell::ConnectPrinterDlg&)> actions) {
        driver.answerNext([actions = std::move(actions)](platform::Form& form) {
            actions(dynamic_cast<shell::ConnectPrinterDlg&>(form));
        });
    }

    // Dialog steps as a user takes them.
    void choosePort(shell::ConnectPrinterDlg& dlg, int portNumber) {
        ASSERT_TRUE(driver.chooseListItem(dlg.PortSetting(0), portNumber - 1));
    }
    void chooseModel(shell::ConnectPrinterDlg& dlg, int type) {
        ASSERT_TRUE(driver.chooseListItem(dlg.PrinterType(0), type));
    }
    void chooseLan(shell::ConnectPrinterDlg& dlg) {
        choosePort(dlg, shell::kLanPortNumber);
        driver.editText(dlg.EthernetSetting(0), kPrinterHost);
        driver.editText(dlg.EthernetSetting(1), std::to_string(kPrinterPort));
    }
    void pressOk(shell::ConnectPrinterDlg& dlg) { ASSERT_TRUE(driver.click(dlg.OKButton)); }
    void pressCancel(shell::ConnectPrinterDlg& dlg) { ASSERT_TRUE(driver.click(dlg.CancelButton)); }

    void idle(int ms) { runFor(ms); }

    // Clicks a function button of the main window as the user would.
    bool clickButton(int index) { return driver.click(mainWindow().FunctionButton(index)); }

    std::string settingsFile() const {
        std::ifstream in(folder / "DuRudo.ini", std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
    bool settingsFileExists() const { return fs::exists(folder / "DuRudo.ini"); }

    std::vector<std::string> messageTexts() const {
        std::vector<std::string> out;
        for (const auto& m : messages) out.push_back(m.text);
        return out;
    }

    platform::TestDriver driver;
    std::shared_ptr<shell::MainWindow> window;

    fs::path folder;
    std::deque<char> messageKeys;
    std::vector<MessageSeen> messages;
    std::vector<NoticeSeen> notices;
    std::vector<int> beeps;
    int programEnds = 0;

private:
    void answer(platform::Form& form) {
        if (auto* box = dynamic_cast<shell::ModalMessageBox*>(&form)) {
            messages.push_back({box->MessageLabel.Caption(), box->OKButton.Caption(), box->CancelButton.Visible(),
                                box->IconImage.Visible()});
            char key = '1';
            if (!messageKeys.empty()) {
                key = messageKeys.front();
                messageKeys.pop_front();
            }
            driver.pressKey(form, key);
        } else if (auto* notice = dynamic_cast<shell::ModelessMsgBox*>(&form)) {
            notices.push_back({notice->MessageLabel.Caption(), clock.now()});
        }
    }
    void formUnloaded(platform::Form& form) override {
        if (dynamic_cast<shell::ModelessMsgBox*>(&form) && !notices.empty() && notices.back().closedAt < 0)
            notices.back().closedAt = clock.now();
    }
};

}  // namespace shelltest
