// The printer link: the link half of the main window, which the shell's
// MainWindow derives from. Every window talks to the printer through it.
//
// Parts, each owning its state: the TCP tally flags, values and parsers
// (LanTallyReplies) and the TCP reply watchdog (LanReplyWatchdog), public
// bases; the USB HID device and its reports (HidChannel), a protected base
// of which the windows see the handle, the framing and the poll state;
// where incoming bytes go (ReceiveRouting) and the reply bytes a wait read
// but did not take (HeldReply), members. The link itself opens, sends,
// waits, probes and handles the transports' events. The codes its status
// event carries are in LinkStatus.h.
//
// Ownership: exactly one object per run. It does not own its transports or
// services: the caller (the program, or a test with the in-memory doubles)
// owns the serial control, the TCP control, the USB HID system and the shell
// services and keeps them alive as long as the link. The link owns its TCP
// reply watchdog timer and installs itself as the transports' event handler.
//
// What may block: the send operations, WaitResponse, PurgeCommunication,
// ConnectPrinter, the discovery walks and the probes sleep (Sleep: no event
// runs) and yield (DoEvents: any event may run, also the link's own
// handlers and any window's timer) as their waits prescribe. The serial wait
// of WaitResponse sleeps without yielding; its TCP wait runs the loop nested
// (like a modal window) until the reply or its time limit. fncReadHIDData
// blocks up to 150 ms in the device read and then raises its event
// synchronously.
//
// Nesting: handlers of the transports run from the loop, also inside any
// wait of this object. The waiter flags (the probes' awaiting flags below,
// HeldReply's collecting waits) are the only coordination;
// Winsock_SendComplete may run ConnectPrinter inside another operation's
// wait and clears its trigger first so it cannot start twice.
//
// Errors: the operations that talk to the printer trap platform::RuntimeError
// and leave it in LastError/LastErrorDesc (0 and "" on success); the waits
// and the framing let it reach the caller. An error of another handler that
// runs during a wait (a window's timer or event handler) is reported where
// the loop or the event dispatched it and never reaches these traps.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "link/HeldReply.h"
#include "link/HidChannel.h"
#include "link/LanReplyWatchdog.h"
#include "link/LanTallyReplies.h"
#include "link/LinkEvent.h"
#include "link/LinkServices.h"
#include "link/LinkStatus.h"
#include "link/ReceiveRouting.h"
#include "link/RequestDoor.h"
#include "platform/Text.h"
#include "platform/hid/HidSystem.h"
#include "platform/loop/EventLoop.h"
#include "platform/serial/SerialControl.h"
#include "platform/tcp/TcpControl.h"

namespace printerlink {

// The send operations take a text, a byte array or an array of decimal texts
// ("29", "4", "1" goes out as 1D 04 01).
using TextArray = std::vector<std::string>;

// The transports the link drives; owned by the caller.
struct LinkTransports {
    platform::SerialControl& serial;
    platform::TcpControl& tcp;
    platform::HidSystem& hid;
};

// The shell services the link uses; owned by the caller.
struct LinkShellServices {
    ConnectDialogService& connectDialog;
    SettingsStore& settings;
    UserNotices& notices;
};

// How long WaitResponse waits for the bytes it expects.
inline constexpr int kReplyWaitMs = 5000;

// The buffers PurgeCommunication empties, as bits that combine.
enum PurgeFlags : std::uint8_t {
    kPurgeOutput = 4,  // the serial output not sent yet
    kPurgeInput = 8,   // the input received and not taken yet
    kPurgeBoth = kPurgeOutput | kPurgeInput,
};

class PrinterLink : public LanTallyReplies, public LanReplyWatchdog, protected HidChannel {
public:
    PrinterLink(LinkTransports transports, LinkShellServices services,
                   platform::EventLoop& loop = platform::EventLoop::current());
    virtual ~PrinterLink();
    PrinterLink(const PrinterLink&) = delete;
    PrinterLink& operator=(const PrinterLink&) = delete;

    // ---- Events: every window holding m_MainComm subscribes. ----
    LinkEvent<const platform::Bytes&> OnDataReceived;  // ResponseData
    LinkEvent<int> OnStatusUpdated;                    // NewStatus

    // ---- The window's transport controls. ----
    platform::SerialControl& MSCommCtrl;
    platform::TcpControl& Winsock;

    // ---- The USB HID channel's part the windows use. ----
    using HidChannel::FrameHIDCommand;
    using HidChannel::HidCommandSends;
    using HidChannel::hidPollUnanswered;
    using HidChannel::m_lngHIDHandle;

    // ---- Public variables read and written by other windows. ----
    bool m_BlnReconnect = false;  // the reconnect after a USB HID restart is under way
    bool m_FWVersion48ColSupport = false;
    bool m_CheckingConfiguration = false;
    int m_iRetry = 0;
    std::string strUSBProductID;
    std::string StrVidPid;
    bool m_AHPIBufferCmd = false;
    bool bFlag = false;
    std::string m_AnyAHPIPrinter;
    std::string m_AnyHID;
    bool reconnect = false;
    bool breconnect = false;
    bool bConnectButton = false;
    bool bFlagforAHPI = false;
    bool bPrinterOffline = false;
    bool b2stFlag = false;
    bool bKiosk = false;
    bool bNoSlipMICR = false;
    bool bFontType = false;
    bool bSSC06 = false;
    bool bEnd = false;

    // ---- Connection properties. ----
    long get_paperWidth();
    int PortNumber() const { return m_iPortNumber; }
    long PrinterType() const { return m_lPrinterType; }
    long PaperWidth() const { return m_lPaperWidth; }
    std::string IPAddress() const { return m_strIPAddress; }
    std::string HostPortNumber() const { return m_strHostPort; }
    std::string EthernetStatus() const { return m_bEthernet ? "True" : "False"; }
    std::string AHPIStatus() const { return m_bAHPI ? "True" : "False"; }

    // ---- Opening and USB HID discovery. ----
    bool ConnectPrinter();
    bool fncFindHIDDevice();
    bool EnumerateUSBDevice();
    void Getthedprintername(const std::string& identifier);
    void VidPID();

    // ---- Receiving. ----
    // Reads one USB HID input report. During a window's status poll
    // (m_AHPIBufferCmd) it only tells whether the device answers; otherwise
    // the report goes the receive route, an error trapped as the sends'.
    // True when a report came.
    bool fncReadHIDData();
    // The first data byte of the report the last poll read got, if any.
    std::optional<std::uint8_t> pollReplyByte() const { return pollReplyByte_; }
    // The reports already waiting on the device, read without waiting and
    // sent the same way; a device that never stops sending is read a bounded
    // number of times. A printer that answers late has its replies queue up
    // on the device: read off before a new request, they cannot pass for
    // that request's answer.
    void readQueuedHidReports();
    // As readQueuedHidReports, after waiting at most waitMs for the first
    // report: a wait that ends when its report comes. False when no USB HID
    // device is open.
    bool readHidReportsWithin(int waitMs);
    // The configuration and tally windows' USB HID poll ends: a read is data
    // again, and a poll read that got no report counts for no later poll.
    // A window calls it as it closes; the link, as it opens or closes a
    // connection. Left, a miss of one window or link and the first of the
    // next would take the printer for silent at once.
    void forgetPollReads();
    // A window found a USB HID printer silent, where the link cannot tell:
    // until the printer sends again, a window that opens shows it Offline.
    // Its next report raises kPrinterAnswersAgainStatus. (On serial no
    // window that opens next asks the printer anything, so nothing would
    // ever show it back.)
    void printerFoundSilent() { silenceFoundByWindow_ = true; }
    // The diagnostics window's status handshake answered: its reply
    // interpreter found the answer to its request.
    void readrealTimeResponesDiag();

    // ---- Status requests: every one a work window sends goes through here. ----
    RequestDoor& requestDoor() { return requestDoor_; }

    // ---- Conversions. ----
    platform::Bytes UnicodeStringToBytes(const std::string& text) const;
    platform::Bytes PrintStringDataAsByteBuf(const std::string& text) const;
    std::string ByteArrayToString(const platform::Bytes& bytes) const;

    // ---- Sending, framing and waiting. ----
    // A send returns False when nothing is open, or when the link is closed
    // or lost (by an event that ran during its waits) before its last piece.
    bool IsPrinterOnline();
    // What a window shows as Online: IsPrinterOnline, less a printer found
    // silent on the open link that has not answered since (a TCP printer
    // whose time-out, error or closed connection was reported; a USB HID
    // printer whose poll went unanswered is not online already). The link's
    // socket stays connected to a TCP printer that stopped answering, and a
    // window that opens then would show it Online until its own sends had
    // timed out in turn. kPrinterAnswersAgainStatus tells when it answers.
    bool isPrinterAnswering();
    // How often, since the program started, a send failed or the TCP
    // connection was reset or closed by the printer. A window compares it
    // before and after an operation: a TCP reset shows only after the send
    // that met it has returned, and a connection the link has opened again
    // since does not bring the bytes sent on the lost one to the printer.
    unsigned failureCount() const { return failureCount_; }
    // How often a send's settle wait ran out with the printer still not
    // ready. A printer that holds CTS low for flow control raises it again
    // well within the wait; one switched off or unplugged never does, and
    // its port stays open.
    unsigned notReadyCount() const { return notReadyCount_; }
    bool SendOutput(const std::string& text);
    bool SendOutput(const platform::Bytes& data);
    bool SendOutput(const TextArray& data);
    bool SendRTOSCmd(const std::string& text);
    bool SendRTOSCmd(const platform::Bytes& data);
    bool SendRTOSCmd(const TextArray& data);
    bool SendRTOSCmdPrinterValidation(const std::string& text);
    bool SendRTOSCmdPrinterValidation(const platform::Bytes& data);
    bool SendRTOSCmdPrinterValidation(const TextArray& data);
    // One command: on a USB HID link every byte of it reaches the printer
    // framed exactly once, whatever its length; elsewhere it goes as it is.
    // The windows send their commands through these and frame nothing.
    bool SendOutputFramed(const platform::Bytes& command);
    bool SendRTOSCmdFramed(const platform::Bytes& command);
    bool PurgeCommunication(std::uint8_t flags);  // PurgeFlags
    // The printer's reply for the caller: fills resp[0 .. count-1] (resp
    // must hold at least count bytes) and returns False when fewer than
    // count bytes came in time (those that came are stored). Serial: the
    // input waiting or arriving within about 5 s of the port's output having
    // left (output that stops leaving ends the wait as soon), sleeping
    // without yielding.
    // TCP: what arrives while it waits, up to the same 5 s with the loop
    // running; those bytes are not raised through OnDataReceived. USB HID:
    // the data bytes of the input reports (after report ID and length byte)
    // read back to back, each within 150 ms. On TCP and USB HID, bytes read
    // beyond count are taken first by a WaitResponse that comes before the
    // loop's next pass, else they go on as other input of the link does;
    // PurgeCommunication with kPurgeInput drops them.
    bool WaitResponse(platform::Bytes& resp, int count);
    // WaitResponse that also gives up at `deadline` on the loop's clock: a
    // wait made of several reads keeps to the time it was given as a whole.
    bool waitResponseUntil(platform::Bytes& resp, int count, platform::Micros deadline);
    // waitResponseUntil for a window's own wait, which ends once `waiting`
    // no longer holds (the window closed). The TCP wait serves events but
    // cannot see the window: it waits in short slices, within the link's
    // reply wait. The serial and USB HID waits serve no events, so nothing
    // can close the window meanwhile.
    bool waitResponseWhile(platform::Bytes& resp, int count, platform::Micros deadline,
                           const std::function<bool()>& waiting);

protected:
    // ---- Closing and the after-connect probes (run by the main window). ----
    bool DisconnectPrinter();
    void ProbeLanPrinterStatus();
    void RequestConnectionCheckStatus();
    void CheckStatusResponse(const platform::Bytes& data);
    void RequestFirmwareVersion();
    void ParseFirmwareVersion(const platform::Bytes& data);
    void CheckFirmwareColumnSupport();

    // ---- Transport event handlers. ----
    void MSCommCtrl_OnComm();
    void Winsock_DataArrival(long bytesTotal);
    void Winsock_Error(int number, const std::string& description);
    void Winsock_Close();
    void Winsock_Connect() {}
    void Winsock_SendComplete();

    // ---- Private link state. ----
    int m_iPortNumber = -1;
    long m_lPrinterType = -1;
    long m_lPaperWidth = -1;
    std::string m_strIPAddress;
    std::string m_strHostPort;
    bool m_bEthernet = false;
    bool m_bAHPI = false;
    bool m_bAwaitingFirmware = false;
    double m_dblFirmwareVersion = 0;
    bool m_bFirmwareAnswered = false;
    bool m_bAwaitingConnectionStatus = false;
    bool m_bConnectionCheckPassed = false;
    bool m_bValidationSend = false;
    bool m_bLanReplyReceived = false;
    std::uint8_t lanFirstReplyByte_ = 0;  // of the first TCP data since m_bLanReplyReceived was cleared
    int LastError = 0;
    std::string LastErrorDesc;

    // Yields to the event loop n times.
    static void yieldTimes(int n);

    SettingsStore& settings() { return services_.settings; }
    UserNotices& notices() { return services_.notices; }

private:
    // The three send operations differ only in how they wait.
    struct SendWaits {
        bool readySleeps;        // ready wait: sleep 10 ms before each yield
        int afterSerialTextMs;   // sleep after writing a text to the serial port
        int afterSerialPieceMs;  // sleep after writing a piece to the serial port
        bool settleSleeps;       // settle wait: sleep 50 ms before each yield
    };
    // The connection check right after Connect must not sleep between rounds.
    static constexpr SendWaits kOutputWaits{true, 0, 0, true};
    static constexpr SendWaits kRtosWaits{true, 100, 100, true};
    static constexpr SendWaits kValidationWaits{false, 100, 10, false};
    using SendArgument = std::variant<std::string, platform::Bytes, TextArray>;
    bool send(const SendArgument& data, const SendWaits& waits);
    // Stops at the first send that failed: the rest of a command is no use.
    bool sendFramed(const platform::Bytes& command, const SendWaits& waits);
    void sendText(const std::string& text, const SendWaits& waits);
    // False when the link was closed or lost before the last piece went out.
    bool sendPieces(const platform::Bytes& data, const SendWaits& waits);
    void readyWait(const SendWaits& waits);
    void settleWait(const SendWaits& waits);
    bool sendWaitEnds();
    bool anyTransportOpen() const;

    // Runs body; a RuntimeError ends it early. Either way the last-error
    // fields end up holding the error (0 and "" when none).
    void trapErrors(const std::function<void()>& body);
    // For the transports' event handlers: a RuntimeError ends body and is
    // recorded in the last-error fields; success leaves them alone, so an
    // event arriving between an operation and its caller's look at
    // LastError does not wipe it.
    void guardEvent(const std::function<void()>& body);

    bool openFromDialog(const ConnectDialog& dialog);
    bool reopenFromSettings();
    bool reopenHidFromSettings();
    bool reopenLanFromSettings();
    bool reopenSerialFromSettings();
    void openSerialPort(int port, const std::string& settingsText, int handshake);
    bool connectTcp(const std::string& host, const std::string& port);
    void closeOpenTransports();

    void closeSilentDevice();
    void releaseUnfoundDevice();
    void adoptEnumeratedDevice(const std::string& productText);

    // The TCP and USB HID halves of WaitResponse, which collect into
    // heldReply_, and where the bytes they read beyond their count go.
    bool waitLanReply(platform::Bytes& resp, int count, platform::Micros deadline);
    bool waitHidReply(platform::Bytes& resp, int count, platform::Micros deadline);
    // What a USB HID read got, sent where fncReadHIDData sends it.
    void handleHidRead(const std::optional<platform::Bytes>& report);
    platform::Micros msUntil(platform::Micros deadline) const;
    // The last poll read got no report, and none came since.
    bool hidPollMissed_ = false;
    // A window found the printer silent, and it has sent nothing since.
    bool silenceFoundByWindow_ = false;
    // The printer sent something: a silence a window found is over.
    void printerSent();
    void handOnHeldReply(platform::Bytes data, std::uint8_t reportId);
    // The firmware reply is awaited for the reply time from its request; one
    // that has not ended by then is no answer. Forgetting it ends the wait.
    void limitFirmwareReply();
    void forgetFirmwareReply();

    platform::EventLoop& loop_;
    unsigned failureCount_ = 0;
    unsigned notReadyCount_ = 0;
    LinkShellServices services_;
    // Where incoming bytes go once no reply wait collects them.
    ReceiveRouting routing_;
    // The reply bytes the TCP and USB HID waits read but did not take.
    HeldReply heldReply_;
    RequestDoor requestDoor_;
    // The link's own pass: its after-connect probes and the main window's
    // checks are asked at the door like a window's requests, so that their
    // answers and a window's are each taken by the one that asked.
    RequestDoor::Owner linkPass_;
    // The link's firmware request at the door, while its reply is awaited:
    // let go when the link stops waiting, so that a reply after that is a
    // window's.
    RequestDoor::Ticket firmwareTicket_ = 0;
    // See pollReplyByte.
    std::optional<std::uint8_t> pollReplyByte_;
    // Asks the link's request of `form` at the door; see askAsLink.
    bool askAsLink(ReplyForm form, int tag, int rows, const std::function<bool()>& send);
    // The door finds `b` answers the link's own probe or check, and takes it.
    bool takeLinkAnswer(std::uint8_t b);
    platform::Timer firmwareReplyLimit_;  // one shot
    // When Winsock_Close last reconnected by itself, or -1 when the open
    // connection was made by ConnectPrinter.
    platform::Micros lanReconnectedAt_ = -1;
    // A TCP restart's reconnect was made and the printer has not answered on
    // it yet: its first answer ends the silence the restart asked of the
    // reply watchdog, and so does the grace after the reconnect, or a
    // printer that never answers again would never be reported.
    bool restartAnswerAwaited_ = false;
    platform::Timer restartAnswerGrace_;  // one shot
    void endRestartSilence();
    // The product text of the USB device the enumeration walk holds open.
    std::string openedProduct_;
};

}  // namespace printerlink
