// Opening the link: from the connection dialog, or by itself from the
// settings file after the printer was restarted; and the TCP control's
// close and send-complete handlers.
#include <utility>

#include "link/HidProducts.h"
#include "link/LinkFlags.h"
#include "link/PrinterLink.h"
#include "link/PrinterTypes.h"
#include "platform/MessageBoxStyles.h"
#include "platform/RuntimeError.h"

namespace printerlink {

namespace {

constexpr const char* kSection = "Configurations";
constexpr int kConnectYields = 10000;
constexpr const char* kRestartNotice =
    "Restarting POS Printer.\r\nPlease wait system will connect automatically.";
constexpr int kHidRestartNoticeMs = 15000;
constexpr int kRestartNoticeMs = 10000;
constexpr int kSlipRestartNoticeMs = 17000;
// The notice's own default display time, which it takes for a display time of 0.
constexpr int kNoticeDefaultMs = 1000;
// How long a printer just reconnected after its restart may take to answer
// before its silence is reported again.
constexpr int kRestartAnswerGraceMs = 10000;
// A reconnect the printer closes sooner than this was refused, not dropped.
constexpr platform::Micros kLanRejectedWithinUs = 1'000'000;

char parityLetter(int parity) {
    switch (parity) {
        case 2: return 'E';
        case 3: return 'O';
        default: return 'N';
    }
}

// The dialog's and the settings file's handshake choice to the serial
// control's: 0 Xon/Xoff, anything else the hardware lines.
int serialHandshaking(int handshake) {
    return handshake == 0 ? platform::comm::HandshakeXonXoff : platform::comm::HandshakeRtsCts;
}

long printerTypeForModelText(const std::string& model) {
    if (model == " 3640") return k3640Type;
    if (model == " 3640-x035") return k3640x035Type;
    if (model == " 3640-5xxx/6xxx") return k3640_5xxxType;
    if (model == " 3650") return k3650Type;
    if (model == " 3650-5xxx") return k3650_5xxxType;
    if (model == " 3690") return k3690Type;
    return -1;
}

bool isSlipModelText(const std::string& model) {
    return model == " 3640" || model == " 3640-5xxx/6xxx" || model == " 3640-x035" || model == " 3650" ||
           model == " 3650-5xxx";
}

}  // namespace

bool PrinterLink::ConnectPrinter() {
    bool result = false;
    trapErrors([&] {
        m_bEthernet = false;
        const auto dialog = services_.connectDialog.createConnectDialog();
        if (bLinkLost) {
            dialog->showModal();
            bAutoReconnect = false;
            reconnect = true;
            if (!bConnectDialogCancelled) result = openFromDialog(*dialog);
        }
        if (!dialog->Canceled() && bAutoReconnect && bPrinterRestarted) {
            result = reopenFromSettings();
            reconnect = true;
        }
        if (!reconnect && !dialog->Canceled()) {
            dialog->showModal();
            if (!bConnectDialogCancelled) result = openFromDialog(*dialog);
        }
    });
    bConnectRequested = false;
    return result;
}

// Only one transport is open at a time: whatever is still open is closed
// before another is opened, so no "port already open" and no leaked device.
void PrinterLink::closeOpenTransports() {
    heldReply_.clear();
    // Nothing asked on the link that closes is answered on the next.
    requestDoor_.forgetAll();
    forgetPollReads();
    silenceFoundByWindow_ = false;
    // A silence found on the connection closed here is not the next one's.
    disarmWatchdog();
    if (MSCommCtrl.PortOpen()) MSCommCtrl.setPortOpen(false);
    if (Winsock.State() != platform::sck::Closed) Winsock.Close();
    closeHidDevice();
}

void PrinterLink::openSerialPort(int port, const std::string& settingsText, int handshake) {
    closeOpenTransports();
    MSCommCtrl.CommPort = port;
    MSCommCtrl.Settings = settingsText;
    MSCommCtrl.Handshaking = serialHandshaking(handshake);
    MSCommCtrl.InputMode = platform::comm::InputModeBinary;
    MSCommCtrl.RThreshold = 1;
    MSCommCtrl.OutBufferSize = 64;
    MSCommCtrl.InBufferSize = 32000;
    MSCommCtrl.DTREnable = true;
    MSCommCtrl.setPortOpen(true);
    PurgeCommunication(kPurgeBoth);
}

bool PrinterLink::connectTcp(const std::string& host, const std::string& port) {
    closeOpenTransports();
    lanReconnectedAt_ = -1;
    Winsock.RemoteHost = host;
    Winsock.RemotePort = platform::CLng(port);
    // Known before the wait: a printer that accepts and closes at once (busy
    // with another client) is reconnected by Winsock_Close during it, and to
    // this address, not to the one an earlier link left, or the connect would
    // succeed on the wrong printer.
    m_strIPAddress = host;
    m_strHostPort = port;
    Winsock.Connect();
    yieldTimes(kConnectYields);
    if (Winsock.State() == platform::sck::Connected) return true;
    // Given up: a connect left pending would end minutes later on its own,
    // with a time-out box and status out of any context.
    Winsock.Close();
    return false;
}

bool PrinterLink::openFromDialog(const ConnectDialog& dialog) {
    m_bEthernet = dialog.EthernetStatus();
    m_bAHPI = dialog.AHPIStatus();
    // The connection dialog sets the other model flags; these two come only
    // from a USB HID printer found now, never from an earlier link.
    bFontType = false;
    bSSC06 = false;
    bool result = false;
    if (!m_bEthernet && !m_bAHPI) {
        const std::string settingsText = std::to_string(dialog.BaudRate()) + "," + parityLetter(dialog.Parity()) +
                                         "," + std::to_string(dialog.DataBits()) + "," +
                                         std::to_string(dialog.StopBits());
        openSerialPort(dialog.PortNumber(), settingsText, dialog.Handshake());
        m_iPortNumber = dialog.PortNumber();
        m_lPrinterType = dialog.PrinterModel();
        m_lPaperWidth = dialog.PaperWidth();
        m_strIPAddress = dialog.IPAddress();
        m_strHostPort = dialog.HostPortNumber();
        result = MSCommCtrl.PortOpen();
    } else if (m_bEthernet) {
        result = connectTcp(dialog.IPAddress(), dialog.HostPortNumber());
    } else {
        closeOpenTransports();
        strUSBProductID = dialog.USBProductId();
        result = strUSBProductID == kAnyHidProduct ? EnumerateUSBDevice() : fncFindHIDDevice();
        m_bHIDDeviceFound = result;
    }
    m_iPortNumber = dialog.PortNumber();
    m_lPrinterType = dialog.PrinterModel();
    m_lPaperWidth = dialog.PaperWidth();
    return result;
}

bool PrinterLink::reopenFromSettings() {
    // The printer is the same one after its restart. Its type code stays,
    // so the windows keep its rules and parameter numbers; the model text
    // names only a few types.
    const long printerType = m_lPrinterType;
    settings().ReadIniValue(kSection, "ConnectionType");
    DisconnectPrinter();
    const std::string connectionType = settings().ReadIniValue(kSection, "ConnectionType");
    m_lPrinterType = printerType >= 0 ? printerType
                                      : printerTypeForModelText(settings().ReadIniValue(kSection, "Model"));
    // The link kind follows what is reopened, so that the windows and the
    // waits treat a reconnected TCP or USB HID link as what it is.
    m_bEthernet = connectionType == platform::str(kLanPortNumber);
    m_bAHPI = connectionType == platform::str(kAhpiPortNumber);
    if (m_bAHPI) return reopenHidFromSettings();
    if (m_bEthernet) return reopenLanFromSettings();
    return reopenSerialFromSettings();
}

bool PrinterLink::reopenHidFromSettings() {
    notices().ShowTimedNotice(kRestartNotice, kHidRestartNoticeMs);
    m_bHIDDeviceFound = EnumerateUSBDevice();
    bFlagforAHPI = true;
    if (!m_bHIDDeviceFound) {
        notices().ShowMessage(
            "Not able to connect with AHPI Communication ,Check whether firmware is supporting with AHPI not or "
            "Check the cable, Go back to Main window",
            platform::vbOKOnly, platform::kNoIcon);
        bConnectButton = true;
        return false;
    }
    return true;
}

bool PrinterLink::reopenLanFromSettings() {
    notices().ShowTimedNotice(kRestartNotice, kRestartNoticeMs);
    const std::string host = settings().ReadIniValue(kSection, "IPAddress");
    const std::string port = settings().ReadIniValue(kSection, "HostNumber");
    return connectTcp(host, port);
}

bool PrinterLink::reopenSerialFromSettings() {
    const std::string port = settings().ReadIniValue(kSection, "PortNumber");
    const std::string model = settings().ReadIniValue(kSection, "Model");
    const std::string baud = settings().ReadIniValue(kSection, "Baud Rate");
    const std::string stopBits = settings().ReadIniValue(kSection, "StopBits");
    const std::string dataBits = settings().ReadIniValue(kSection, "DataBits");
    const std::string parity = settings().ReadIniValue(kSection, "Parity");
    const std::string handshake = settings().ReadIniValue(kSection, "HandShake");
    notices().ShowTimedNotice(kRestartNotice, isSlipModelText(model) ? kSlipRestartNoticeMs : kRestartNoticeMs);
    notices().ShowTimedNotice(kRestartNotice, kNoticeDefaultMs);
    const std::string settingsText = std::to_string(platform::CLng(baud)) + "," + parity + "," +
                                     std::to_string(platform::CByte(dataBits)) + "," +
                                     std::to_string(platform::CByte(stopBits));
    const int portNumber = platform::CInt(port);
    openSerialPort(portNumber, settingsText, platform::CInt(handshake));
    m_iPortNumber = portNumber;
    return MSCommCtrl.PortOpen();
}

void PrinterLink::Winsock_Close() {
    ++failureCount_;
    Winsock.Close();
    // After the user disconnected there is nothing to reconnect to.
    if (m_strIPAddress.empty() || m_strIPAddress == "-1") return;
    // Until the reconnect is made and the printer answers on it, nothing the
    // windows send reaches it and no watchdog runs: were it not reported now,
    // a printer that went away would stay Online for as long as the
    // reconnect takes (minutes, when nothing answers it). Its first answer
    // shows it online again. A restart's own close is expected.
    if (!bSuppressLanTimeout) {
        StopResponseTimer();
        reportLanTimeout();
    }
    // A printer busy with another client accepts a connection and closes it
    // at once. Chasing it would reconnect as fast as the network allows, so
    // a reconnect it closes within a second is not repeated: the link stays
    // closed until the next ConnectPrinter.
    const platform::Micros now = loop_.clock().now();
    if (lanReconnectedAt_ >= 0 && now - lanReconnectedAt_ < kLanRejectedWithinUs) {
        lanReconnectedAt_ = -1;
        return;
    }
    Winsock.RemoteHost = m_strIPAddress;
    Winsock.RemotePort = platform::CLng(platform::Val(m_strHostPort));
    Winsock.Connect();
    lanReconnectedAt_ = now;
}

void PrinterLink::Winsock_SendComplete() {
    if (!bLanRestartPending) return;
    // Cleared first: a further send-complete arriving while the reconnect
    // yields must not start a second one.
    bLanRestartPending = false;
    ConnectPrinter();
    bSuppressLanTimeout = true;
    restartAnswerAwaited_ = true;
    restartAnswerGrace_.setInterval(kRestartAnswerGraceMs);
}

void PrinterLink::endRestartSilence() {
    restartAnswerGrace_.setInterval(0);
    if (std::exchange(restartAnswerAwaited_, false)) bSuppressLanTimeout = false;
}

}  // namespace printerlink
