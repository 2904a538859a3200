// The main window on the real transports and the real clock, in an
// application folder of its own, for end-to-end tests against the simulated
// printer behind a pseudo-terminal (as COM1 through ports/COM1) or a
// loopback TCP listener. Message boxes are answered with OK and their texts
// kept in `messages`.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "link/LinkFlags.h"
#include "platform/Application.h"
#include "platform/forms/Forms.h"
#include "platform/forms/TestDriver.h"
#include "platform/hid/LinuxHidSystem.h"
#include "platform/loop/EventLoop.h"
#include "platform/serial/PosixSerialPort.h"
#include "platform/tcp/TcpSocket.h"
#include "printer-sim/SimPrinter.h"
#include "printer-sim/SimScheduler.h"
#include "shell/ConnectPrinterDlg.h"
#include "shell/MainWindow.h"
#include "shell/ModalMessageBox.h"
#include "shell/TypeDefinition.h"

class RealShellWorld : public ::testing::Test {
    // Names the link's protected state the tests look at.
    struct Inspect : shell::MainWindow {
        using PrinterLink::m_bAwaitingFirmware;
    };

protected:
    explicit RealShellWorld(const std::string& folderPrefix)
        : folder(std::filesystem::temp_directory_path() / (folderPrefix + std::to_string(::getpid()))) {
        platform::EventLoop::setCurrent(&loop);
        printerlink::resetLinkModuleState();
        std::filesystem::remove_all(folder);
        std::filesystem::create_directories(folder / "ports");
        std::filesystem::create_directories(folder / "sys");
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
    ~RealShellWorld() override {
        platform::Forms::discardAll();
        window.reset();
        shell::endProgramHandler = nullptr;
        platform::app().setPath(savedPath);
        printerlink::resetLinkModuleState();
        platform::EventLoop::setCurrent(nullptr);
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
    }

    // Connect through the connection dialog: a COM port number (1-16) at
    // 9600 baud, or 17 with the loopback listener's port.
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

    // Runs the loop until done() holds; false when it did not within limitMs,
    // a bound generous enough for a loaded machine. A ticking timer bounds
    // each wait of the loop.
    bool waitUntil(const std::function<bool()>& done, int limitMs = 10000) {
        platform::Timer tick(loop);
        tick.onTimer = [] {};
        tick.setInterval(5);
        const platform::Micros deadline = clock.now() + platform::Micros{limitMs} * 1000;
        loop.runUntil([&] { return done() || clock.now() >= deadline; });
        return done();
    }

    // The firmware version the main window asks for after connecting and
    // after each button has come in, so the next reply is not taken for it.
    bool firmwareAnswered() {
        return waitUntil([this] { return !((*window).*(&Inspect::m_bAwaitingFirmware)); });
    }

    platform::RealClock clock;
    platform::EventLoop loop{clock};
    std::filesystem::path folder;
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
