// The diagnostics window as the host of its two state-owning parts: the
// reply interpreter and the check scan's reception each reach the window
// only through their own Host interface, implemented here by a small object
// the window's base owns, so it is built before the parts that hold it.
// Included only by the window's own sources.
#pragma once

#include "diagnostics/DiagnosePrinterDlg.h"
#include "platform/loop/EventLoop.h"

namespace diagnostics {

// The time on the program's clock.
inline platform::Micros now() { return platform::EventLoop::current().clock().now(); }

// The window's serial link check: its notice, flags and lost-link exit.
shell::SerialLinkCheck linkCheck();
shell::RealTimeStatusHandshake statusHandshake();

class DiagnosePrinterDlg::InterpreterHost final : public StatusInterpreter::Host {
public:
    explicit InterpreterHost(DiagnosePrinterDlg& window) : window_(window) {}
    long printerType() const override;
    bool lanLink() const override;
    bool usbLink() const override;
    platform::Micros timeNow() const override;
    void showIndicator(std::uint8_t index, std::uint8_t state) override;
    bool scanRunning() const override;
    void scanByte(std::uint8_t b) override;
    void micrReplyRead(int status) override;
    void printerAnswered() override;
    void realTimeStatusAnswered() override;
    void ownReplyRead(const printerlink::RequestDoor::Answer& answer, std::uint8_t b) override;
    printerlink::RequestDoor& requestDoor() override;
    printerlink::RequestDoor::Owner doorOwner() const override;

private:
    DiagnosePrinterDlg& window_;
};

class DiagnosePrinterDlg::ScanHost final : public CheckScanSession::Host {
public:
    explicit ScanHost(DiagnosePrinterDlg& window) : window_(window) {}
    void sendToScanner(const platform::Bytes& command) override;
    void scanFailed(const std::string& message, bool mismatch) override;
    void scanReceived(const std::string& fileName, bool written) override;
    void scanningChanged(bool scanning) override;

private:
    DiagnosePrinterDlg& window_;
    // The scan holds the link's reply watchdog from its start until it has ended.
    bool holdsReplyWatchdog_ = false;
};

class DiagnosePrinterDlg::OwnHost final : public OwnExchanges::Host {
public:
    explicit OwnHost(DiagnosePrinterDlg& window) : window_(window) {}
    bool windowOpen() const override { return window_.windowOpen(); }
    bool sendsStopped() const override { return window_.sendsStopped(); }
    bool micrReplyBegun() override { return window_.Interpreter.micrReplyPending(); }
    void withPollResting(const std::function<void()>& body) override { window_.withoutStatusPoll(body); }
    void showIndicator(std::uint8_t index, std::uint8_t state) override { window_.SetStatusIndicator(index, state); }
    void send(const platform::Bytes& command) override { window_.Printer.sendCommand(command); }

private:
    DiagnosePrinterDlg& window_;
};

}  // namespace diagnostics
