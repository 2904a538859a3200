// The main window on the real transports and the real clock, against the
// simulated printer behind a pseudo-terminal (as COM1 through ports/COM1 in
// the application folder) and a loopback TCP listener: what a person does
// with tools/printer-sim, with the test driver as the person.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "printer-sim/PtyAdapter.h"
#include "printer-sim/TcpListenerAdapter.h"
#include "shell/RealShellWorld.h"

namespace {

namespace fs = std::filesystem;

class RealShell : public RealShellWorld {
protected:
    RealShell() : RealShellWorld("shell-e2e-") {}

    bool connectedButtons() const {
        return !window->FunctionButton(1).Enabled() && window->FunctionButton(2).Enabled() &&
               window->FunctionButton(5).Enabled();
    }
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
