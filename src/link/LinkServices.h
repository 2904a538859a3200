// What the link needs of the application shell: the connection dialog, the
// settings file and the user notices. The shell implements these; tests
// supply fakes.
//
// Ownership: the caller owns the service objects and keeps them alive as
// long as the link. What may block: ConnectDialog::showModal(),
// ShowMessage() and ShowTimedNotice() run a nested event loop until the
// window closes, so any link or window event may run inside them.
// ReadIniValue/WriteIniValue do not touch the loop themselves; the shell's
// store reports a file error to the user (through its run-time error report,
// a modal message) and never throws, so a read that failed gives "".
#pragma once

#include <memory>
#include <string>

namespace printerlink {

// The port number codes of the two links that are not a COM port (COM1-COM16
// are 1-16): the connection dialog gives them, and the settings file keeps
// them as "PortNumber" and "ConnectionType".
inline constexpr int kLanPortNumber = 17;   // TCP
inline constexpr int kAhpiPortNumber = 18;  // USB HID

// One connection dialog object per ConnectPrinter call. Its result
// properties are readable before it was shown (then as a fresh dialog holds
// them) and after it closed.
class ConnectDialog {
public:
    virtual ~ConnectDialog() = default;
    // Shows the dialog modally, owned by the main window, until it closes.
    // Throws platform::RuntimeError when the dialog's OK failed (its settings
    // file could not be written): the choice was not confirmed.
    virtual void showModal() = 0;

    virtual bool Canceled() const = 0;
    virtual bool EthernetStatus() const = 0;
    virtual bool AHPIStatus() const = 0;
    virtual int PortNumber() const = 0;    // 1-16 COM, kLanPortNumber, kAhpiPortNumber
    virtual long BaudRate() const = 0;
    virtual int DataBits() const = 0;
    virtual int StopBits() const = 0;
    virtual int Parity() const = 0;        // 1 None, 2 Even, 3 Odd
    virtual int Handshake() const = 0;     // 0 Xon/Xoff, 1 DTR/DSR
    virtual int PrinterModel() const = 0;  // 0-16
    virtual int PaperWidth() const = 0;    // 0-3
    virtual std::string IPAddress() const = 0;
    virtual std::string HostPortNumber() const = 0;
    virtual std::string USBProductId() const = 0;
};

class ConnectDialogService {
public:
    virtual ~ConnectDialogService() = default;
    virtual std::unique_ptr<ConnectDialog> createConnectDialog() = 0;
};

// The settings file "DuRudo.ini" in the application folder.
class SettingsStore {
public:
    virtual ~SettingsStore() = default;
    // "" when the key is missing.
    virtual std::string ReadIniValue(const std::string& section, const std::string& key) = 0;
    virtual void WriteIniValue(const std::string& section, const std::string& key, const std::string& value) = 0;
};

class UserNotices {
public:
    virtual ~UserNotices() = default;
    // The modal message box, with the button and icon styles and answers
    // of platform/MessageBoxStyles.h.
    virtual int ShowMessage(const std::string& text, int buttons, int icon) = 0;
    // The self-closing notice, shown modally for displayMs milliseconds.
    virtual void ShowTimedNotice(const std::string& text, int displayMs) = 0;
};

}  // namespace printerlink
