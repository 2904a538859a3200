// The tally window as a technician uses it, opened from the main window's
// View Tally on the real transports and the real clock, against the
// simulated printer behind a loopback TCP listener and a pseudo-terminal
// (COM1 through ports/COM1 in the application folder).
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>

#include "printer-sim/PtyAdapter.h"
#include "printer-sim/TcpListenerAdapter.h"
#include "shell/RealShellWorld.h"
#include "tally/ViewTallyDlg.h"

namespace {

namespace fs = std::filesystem;

class RealTally : public RealShellWorld {
protected:
    RealTally() : RealShellWorld("tally-e2e-") { window->workWindows.viewTally = tally::ShowViewTallyDlg; }

    void connect(int port, const std::string& tcpPort = "") {
        RealShellWorld::connect(port, tcpPort);
        ASSERT_TRUE(firmwareAnswered());
    }

    // Every ID item and every tally the layout shows has its value.
    static bool readComplete(tally::ViewTallyDlg& w) {
        for (int item = 0; item < tally::kIdItemCount; ++item)
            if (w.PrinterIDText(item).Text().empty()) return false;
        for (int i = 0; i < tally::kTallyCount; ++i)
            if (w.PrinterTallyText(i).Visible() && w.PrinterTallyText(i).Text().empty()) return false;
        return true;
    }

    // Opens View Tally; `use` acts on the window, which then closes.
    void viewTally(const std::function<void(tally::ViewTallyDlg&)>& use) {
        bool opened = false;
        if (window->IsPrinterOnline()) {  // the connection check's notice comes first on serial
            if (serial.PortOpen()) driver.answerNext([](platform::Form&) {});
            driver.answerNext([&](platform::Form& form) {
                auto& w = dynamic_cast<tally::ViewTallyDlg&>(form);
                opened = true;
                EXPECT_TRUE(waitUntil([&] { return readComplete(w); })) << "replies still coming in after the read";
                use(w);
                driver.click(w.CloseButton);
            });
        }
        ASSERT_TRUE(driver.click(window->FunctionButton(5)));
        EXPECT_TRUE(opened);
        ASSERT_TRUE(firmwareAnswered());
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
            EXPECT_TRUE(waitUntil([&] { return w.PrinterTallyText(tally::kKnifeCuts).Text() == "0"; }));
            EXPECT_EQ(w.PrinterIDText(1).Text(), "AX-771");
        });
        viewTally([](tally::ViewTallyDlg& w) {
            EXPECT_EQ(w.PrinterIDText(1).Text(), "AX-771    ");
            EXPECT_EQ(w.PrinterTallyText(tally::kKnifeCuts).Text(), "0");
        });
    }
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
