// The tally window as a technician uses it, opened from the main window's
// View Tally on the real transports and the real clock, against the
// simulated printer behind a loopback TCP listener and a pseudo-terminal
// (COM1 through ports/COM1 in the application folder).
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "link/LinkFlags.h"
#include "platform/Application.h"
#include "platform/forms/Forms.h"
#include "platform/forms/TestDriver.h"
#include "platform/hid/LinuxHidSystem.h"
#include "platform/serial/PosixSerialPort.h"
#include "platform/tcp/TcpSocket.h"
#include "printer/SimulatedPrinterWorld.h"
#include "printer-sim/PtyAdapter.h"
#include "printer-sim/TcpListenerAdapter.h"
#include "shell/ConnectPrinterDlg.h"
#include "shell/ModalMessageBox.h"
#include "shell/TypeDefinition.h"
#include "tally/ViewTallyDlg.h"

namespace {

namespace fs = std::filesystem;

class RealTally : public ::testing::Test {
protected:
    RealTally() {
        platform::EventLoop::setCurrent(&loop);
        printerlink::resetLinkModuleState();
        fs::remove_all(folder);
        fs::create_directories(folder / "ports");
        fs::create_directories(folder / "sys");
        savedPath = platform::app().path();
        platform::app().setPath(folder.string());
        shell::endProgramHandler = [] {};
        driver.onModal = [this](platform::Form& form) {
            if (auto* box = dynamic_cast<shell::ModalMessageBox*>(&form)) driver.click(box->OKButton);
        };
        window = platform::newForm<shell::MainWindow>(printerlink::LinkTransports{serial, tcp, hid}, loop);
        shell::objMainWindow = window.get();
        window->workWindows.viewTally = tally::ShowViewTallyDlg;
        window->Show();
    }
    ~RealTally() override {
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
            if (port == 17) {
                driver.editText(d.EthernetSetting(0), "127.0.0.1");
                driver.editText(d.EthernetSetting(1), tcpPort);
            }
            driver.click(d.OKButton);
        });
        ASSERT_TRUE(driver.click(window->FunctionButton(1)));
        sim::runLoopFor(loop, 300);  // the firmware version asked for after connecting comes in
    }

    // Opens View Tally; `use` acts on the window, which then closes.
    void viewTally(const std::function<void(tally::ViewTallyDlg&)>& use) {
        bool opened = false;
        if (window->IsPrinterOnline()) {  // the connection check's notice comes first on serial
            if (serial.PortOpen()) driver.answerNext([](platform::Form&) {});
            driver.answerNext([&](platform::Form& form) {
                auto& w = dynamic_cast<tally::ViewTallyDlg&>(form);
                opened = true;
                sim::runLoopFor(loop, 300);  // replies still coming in after the read
                use(w);
                driver.click(w.CloseButton);
            });
        }
        ASSERT_TRUE(driver.click(window->FunctionButton(5)));
        EXPECT_TRUE(opened);
        sim::runLoopFor(loop, 300);  // the firmware version asked for after each button comes in
    }

    // Reads, sees printing grow the receipt lines, writes a serial number,
    // clears a tally and sees it at 0.
    void technicianSession() {
        viewTally([](tally::ViewTallyDlg& w) {
            EXPECT_EQ(w.PrinterIDText(1).Text(), "SN00012345");
            EXPECT_EQ(w.PrinterOnlineText.Text(), "Online");
            EXPECT_EQ(w.PrinterTallyText(tally::kReceiptLines).Text(), "12345");
        });
        ASSERT_TRUE(window->SendOutput(std::string("TOTAL 4.20\r\nTHANK YOU\r\n")));
        viewTally([this](tally::ViewTallyDlg& w) {
            EXPECT_EQ(w.PrinterTallyText(tally::kReceiptLines).Text(), "12347");
            driver.click(w.PrinterID(1));
            driver.editText(w.PrinterIDText(1), "AX-771");
            driver.click(w.ApplyButton);
            driver.click(w.PrinterTally(tally::kKnifeCuts));
            driver.click(w.ClearTallyButton);
            // The re-read reply takes longer while other tests load the machine.
            for (int waited = 0; waited < 3000 && w.PrinterTallyText(tally::kKnifeCuts).Text() != "0"; waited += 100)
                sim::runLoopFor(loop, 100);
            EXPECT_EQ(w.PrinterTallyText(tally::kKnifeCuts).Text(), "0");
        });
        viewTally([](tally::ViewTallyDlg& w) {
            EXPECT_EQ(w.PrinterIDText(1).Text(), "AX-771    ");
            EXPECT_EQ(w.PrinterTallyText(tally::kKnifeCuts).Text(), "0");
        });
    }

    platform::RealClock clock;
    platform::EventLoop loop{clock};
    fs::path folder = fs::temp_directory_path() / ("tally-e2e-" + std::to_string(::getpid()));
    std::string savedPath;
    platform::PosixSerialPort serial{loop};
    platform::TcpSocket tcp{loop};
    platform::LinuxHidSystem hid{folder / "sys"};
    sim::LoopScheduler scheduler{loop};
    sim::SimPrinter printer{scheduler};
    platform::TestDriver driver;
    std::shared_ptr<shell::MainWindow> window;
};

TEST_F(RealTally, TechnicianSessionOverLoopbackTcp) {
    sim::TcpListenerAdapter listener(printer, loop, "127.0.0.1", 0);
    connect(17, std::to_string(listener.port()));
    technicianSession();
}

TEST_F(RealTally, TechnicianSessionOverAPseudoTerminal) {
    sim::PtyAdapter pty(printer, loop);
    fs::create_symlink(pty.slavePath(), folder / "ports" / "COM1");
    connect(1);
    technicianSession();
}

}  // namespace
