// The main window on the real transports and the real clock, against the
// simulated printer behind a pseudo-terminal (as COM1 through ports/COM1 in
// the application folder) and a loopback TCP listener: what a person does
// with tools/printer-sim, with the test driver as the person.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "link/LinkFlags.h"
#include "platform/Application.h"
#include "platform/forms/Forms.h"
#include "platform/forms/TestDriver.h"
#include "platform/hid/LinuxHidSystem.h"
#include "platform/loop/EventLoop.h"
#include "platform/serial/PosixSerialPort.h"
#include "platform/tcp/TcpSocket.h"
#include "printer-sim/PtyAdapter.h"
#include "printer-sim/SimPrinter.h"
#include "printer-sim/SimScheduler.h"
#include "printer-sim/TcpListenerAdapter.h"
#include "shell/ConnectPrinterDlg.h"
#include "shell/MainWindow.h"
#include "shell/ModalMessageBox.h"
#include "shell/TypeDefinition.h"

namespace {

namespace fs = std::filesystem;

class RealShell : public ::testing::Test {
protected:
    RealShell() {
        platform::EventLoop::setCurrent(&loop);
        printerlink::resetLinkModuleState();
        sim::addStandardCommands(printer);
        fs::remove_all(folder);
        fs::create_directories(folder / "ports");
        fs::create_directories(folder / "sys");
        savedPath = platform::app().path();
        platform::app().setPath(folder.string());
        shell::endProgramHandler = [] {};
        driver.onModal = [this](platform::Form& form) {
            if (auto* box = dynamic_cast<shell::ModalMessageBox*>(&form)) {
                messages.push_back(box->MessageLabel.Caption());
                driver.click(box->OKButton);
            }
        };
        window = platform::newForm<shell::MainWindow>(printerlink::LinkTransports{serial, tcp, hid}, loop);
        shell::objMainWindow = window.get();
        window->Show();
    }
    ~RealShell() override {
        platform::Forms::discardAll();
        window.reset();
        shell::endProgramHandler = nullptr;
        platform::app().setPath(savedPath);
        printerlink::resetLinkModuleState();
        platform::EventLoop::setCurrent(nullptr);
        std::error_code ignored;
        fs::remove_all(folder, ignored);
    }

    void connect(int port, const std::string& tcpPort = "") {
        driver.answerNext([this, port, tcpPort](platform::Form& form) {
            auto& d = dynamic_cast<shell::ConnectPrinterDlg&>(form);
            driver.chooseListItem(d.PortSetting(0), port - 1);
            driver.chooseListItem(d.PortSetting(1), 4);  // 9600
            if (port == 17) {
                driver.editText(d.EthernetSetting(0), "127.0.0.1");
                driver.editText(d.EthernetSetting(1), tcpPort);
            }
            driver.click(d.OKButton);
        });
        ASSERT_TRUE(driver.click(window->FunctionButton(1)));
    }
    bool connectedButtons() const {
        return !window->FunctionButton(1).Enabled() && window->FunctionButton(2).Enabled() &&
               window->FunctionButton(5).Enabled();
    }

    platform::RealClock clock;
    platform::EventLoop loop{clock};
    fs::path folder = fs::temp_directory_path() / ("shell-e2e-" + std::to_string(::getpid()));
    std::string savedPath;
    platform::PosixSerialPort serial{loop};
    platform::TcpSocket tcp{loop};
    platform::LinuxHidSystem hid{folder / "sys"};
    sim::LoopScheduler scheduler{loop};
    sim::SimPrinter printer{scheduler};
    platform::TestDriver driver;
    std::shared_ptr<shell::MainWindow> window;
    std::vector<std::string> messages;
};

TEST_F(RealShell, ConnectsOverLoopbackTcpShowsItInTheCaptionAndDisconnects) {
    sim::TcpListenerAdapter listener(printer, loop, "127.0.0.1", 0);
    connect(17, std::to_string(listener.port()));
    EXPECT_TRUE(messages.empty()) << messages.front();
    EXPECT_TRUE(connectedButtons());
    EXPECT_EQ(window->Caption(), platform::app().title() + " - 3640(80.0mm) on LAN");
    EXPECT_TRUE(printerlink::bLanAnswersGsEot);

    ASSERT_TRUE(driver.click(window->FunctionButton(2)));
    EXPECT_EQ(window->Caption(), platform::app().title());
    EXPECT_TRUE(window->FunctionButton(1).Enabled());
    EXPECT_FALSE(window->FunctionButton(2).Enabled());
}

TEST_F(RealShell, ConnectsOverAPseudoTerminalAsCom1AndDisconnects) {
    sim::PtyAdapter pty(printer, loop);
    fs::create_symlink(pty.slavePath(), folder / "ports" / "COM1");
    connect(1);
    EXPECT_EQ(messages, std::vector<std::string>{
                            "Make sure DSR Signal option is enabled in the communication interface"});
    EXPECT_TRUE(serial.PortOpen());
    EXPECT_TRUE(connectedButtons());
    EXPECT_TRUE(window->m_CheckingConfiguration);

    ASSERT_TRUE(driver.click(window->FunctionButton(2)));
    EXPECT_FALSE(serial.PortOpen());
    EXPECT_TRUE(window->FunctionButton(1).Enabled());
    EXPECT_EQ(messages.size(), 1u);
}

}  // namespace
