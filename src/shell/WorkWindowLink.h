// What the three work windows (diagnostics, configuration, tally) share in
// talking to the printer: the buffer purge, the real-time status request and
// the serial link check with its notice and lost-link exit, and the bounded
// wait that serves events. Each window keeps its own flags and texts and
// passes them in; none of them includes another.
//
// Ownership: nothing here keeps state; the flags belong to the caller (module
// flags: the link's status handshake record) and must outlive the call.
//
// What may block and nest: every operation but takeRealTimeStatusAnswer
// and SendCheck::failed sends or waits. The sends yield to the event loop, the notice and the
// message box run the loop nested, and waitRounds yields and sleeps, so any
// handler (the link's receive routing among them, the calling window's own
// timer) may run inside them. The lost-link exit unloads the calling window;
// the window's destruction waits until its handler has returned.
#pragma once

#include <functional>
#include <string>

#include "link/PrinterLink.h"
#include "link/PrinterCommands.h"
#include "platform/forms/Form.h"
#include "platform/forms/TimerControl.h"

namespace shell {

// The printer's real-time status request, DLE EOT 2.
using printerlink::RealTimeStatusCommand;

// Empties the serial input and output buffers (the link's
// PurgeCommunication(kPurgeBoth)); on TCP and USB HID it lets pending
// replies in.
void PurgeBuffers(printerlink::PrinterLink& mainComm);

// One window's real-time status handshake: the link hands the next serial
// input after `requested` was set to the window's answer routine, which
// sets `answered` and clears `requested`.
struct RealTimeStatusHandshake {
    bool& requested;
    bool& answered;
};

// A work window's pass through the link's request door (RequestDoor.h):
// entered as the window is made, left when it closes, so that nothing is
// sent or shown for what it asked once it is gone.
class DoorPass {
public:
    explicit DoorPass(printerlink::PrinterLink& link) : door_(link.requestDoor()), owner_(door_.enter()) {}
    ~DoorPass() { leave(); }
    DoorPass(const DoorPass&) = delete;
    DoorPass& operator=(const DoorPass&) = delete;
    void leave() { door_.leave(owner_); }
    printerlink::RequestDoor::Owner owner() const { return owner_; }
    printerlink::RequestDoor& door() const { return door_; }

private:
    printerlink::RequestDoor& door_;
    printerlink::RequestDoor::Owner owner_;
};

// Sends DLE EOT 2 with SendRTOSCmd on whatever link is open, framed on USB
// HID, through the door: once nothing of its reply's form is owed, so that
// no other request's reply can pass for its answer. The answer flag is
// cleared first, so an answer left over from an earlier request cannot pass
// the check that follows this one; the request flag is set before the send:
// sends yield, and an answer handled during the send must find it. A send
// that failed leaves nothing owed and the request flag down; the call is
// still True, so the caller's check finds no answer. False when the window
// closed (or `stop` held) while the request waited for its turn: nothing
// was sent.
bool RequestRealTimeStatus(printerlink::PrinterLink& mainComm, const RealTimeStatusHandshake& handshake,
                           const DoorPass& pass, const std::function<bool()>& stop = {});

// The port name ReadPrinterLine gives a TCP connection.
inline constexpr const char* kLanPortName = "Ethernet";

// Whether a work window's printer operations go straight to the printer (an
// open USB HID device, or a window opened on TCP) rather than through the
// serial link check. TCP is told by the port the window read from the
// settings file when it loaded (ReadPrinterLine's "Ethernet"), not by the
// link's live kind: a restart's reconnect under the configuration window
// can show the connection dialog, and a link chosen or cancelled there
// does not change how the open window sends.
bool IsDirectLink(const printerlink::PrinterLink& mainComm, const std::string& windowPortName);

// How one window checks a serial link after its request.
struct SerialLinkCheck {
    // The timed notice shown modally before the answer test, while the
    // answer comes in; an empty text shows none.
    std::string noticeText;
    int noticeMs = 0;
    // The window's own flags of the lost-link exit, set before its message.
    std::function<void()> lostLinkFlags;
};

// The text of every work window's lost-link exit.
inline constexpr const char* kLostLinkMessage =
    "Printer configuration has changed,Go back to Main window and connect with correct configurations";

// The check's notice alone, for windows that test the answer later.
void ShowLinkCheckNotice(const SerialLinkCheck& check);

// Waits, serving events, until the answer came, the window closed, or
// `waitMs` passed: by default as long as the notice gives a printer that
// answers late (2 s), for a check that shows no notice. True when the
// answer came.
bool AwaitRealTimeStatusAnswer(const RealTimeStatusHandshake& handshake, const platform::Form& window,
                               int waitMs = 2000);

// True when the printer answered; both handshake flags are then cleared.
bool takeRealTimeStatusAnswer(const RealTimeStatusHandshake& handshake);

// The lost-link exit: both handshake flags cleared (a request nobody
// answered must not take the answer to the next connection check), the
// window's own flags, the message (OK, no icon), the main window's Connect
// button offered again (bConnectButton), and the window unloaded.
void LostLinkExit(printerlink::PrinterLink& mainComm, platform::Form& window,
                  const RealTimeStatusHandshake& handshake, const SerialLinkCheck& check);

// The answer test: True when the printer answered; on no answer the
// lost-link exit. A window closed while the answer was awaited tells nothing
// more: False, and no exit.
bool TakeAnswerOrExit(printerlink::PrinterLink& mainComm, platform::Form& window,
                      const RealTimeStatusHandshake& handshake, const SerialLinkCheck& check);

// The whole check after the request: notice, then the answer test. True
// when the printer answered and the caller goes on.
bool CheckSerialLink(printerlink::PrinterLink& mainComm, platform::Form& window,
                     const RealTimeStatusHandshake& handshake, const SerialLinkCheck& check);

// Whether what an operation sent can be taken as having reached the
// printer: made when the operation begins, it fails once a send of the link
// failed or the TCP connection was lost since then (also when the link has
// connected again), while the TCP connection is not up, or while a serial
// printer that let a send's settle wait run out is still not online. Every work
// window asks it before it reports an operation done, and its senders ask it
// so that an operation stops at the first send that failed.
class SendCheck {
public:
    explicit SendCheck(printerlink::PrinterLink& link);
    // Without waiting: True once something went wrong.
    bool failed() const;
    // True when nothing went wrong, asked after the link has had a moment to
    // report what became of the bytes already handed over: a TCP reset comes
    // in only after the send that met it has returned. Yields and sleeps.
    // On TCP a False leaves the link to report the printer's next data as
    // answering again: the window shows it offline after this.
    bool reached();

private:
    printerlink::PrinterLink* link_;
    unsigned failuresAtStart_;
    unsigned notReadyAtStart_;
    bool lan_;
};

// The operation of a window whose sends run now, for windows whose senders
// serve many operations: a sender asks stopped() and sends nothing once a
// send of the operation failed, so the operation ends there.
class OperationSends {
public:
    explicit OperationSends(printerlink::PrinterLink& link) : link_(link) {}
    // Runs an operation's sends under a fresh SendCheck; True when they
    // reached the printer. An operation run inside another (from a handler
    // that ran during a wait) has its own check, and the outer one's comes
    // back after it.
    bool run(const std::function<void()>& sends);
    bool stopped() const { return current_ && current_->failed(); }

private:
    printerlink::PrinterLink& link_;
    const SendCheck* current_ = nullptr;
};

// Up to `rounds` rounds of: stop when done() holds, else yield to the event
// loop once and sleep sleepMs. True when done() held.
bool waitRounds(int rounds, int sleepMs, const std::function<bool()>& done);

// Request-then-wait: sets the request flag, sends (the flag is up before
// the send, which may yield), then waits as waitRounds for done(). True
// when done() held; the send's result is the caller's through `send`.
bool requestThenWait(bool& requestFlag, const std::function<void()>& send, int rounds, int sleepMs,
                     const std::function<bool()>& done);

// The status poll of the configuration and tally windows' timers: a TCP
// printer is asked what it answered when the link was opened (GS EOT 1,
// GS r 1); on USB HID GS r 1 goes out framed and its answer is read at once
// and consumed by the link. A serial link, or a TCP printer that answered
// neither probe, is not polled; nor is a printer that is not online, but for
// a USB HID printer whose poll read went unanswered: asked on, it shows
// itself online again when it answers.
// Its requests go through the window's pass, and out only when nothing of
// their reply's form is owed.
void PollPrinterStatus(printerlink::PrinterLink& mainComm, const DoorPass& pass);

// Whether a printer that a window polls has fallen silent, for a window that
// tells it itself, where the link's TCP reply watchdog does not: it has
// answered none of the polls sent over the watchdog's time. The window calls
// polled() as each poll goes out and answered() for every byte the printer
// sends, and shows the printer offline, as after the watchdog's time-out,
// when polled() says so, and online again when answered() says so. A poll
// that comes well after its interval (the window rested its poll, or a
// blocking sleep held the loop) counts afresh: the printer had nothing to
// answer meanwhile, or its answer still waits behind the sleep.
//
// Pure bookkeeping on the caller's times; nothing here blocks.
class PollSilence {
public:
    explicit PollSilence(int pollIntervalMs);
    // True when the printer is to be shown offline now; once a silence.
    bool polled(platform::Micros now);
    // True when the printer was shown offline and now answers again.
    bool answered();

private:
    platform::Micros pollIntervalUs_;
    platform::Micros lastPollAt_ = -1;
    // When the oldest poll still unanswered went out, -1 while none is.
    platform::Micros unansweredSince_ = -1;
    bool silent_ = false;
};

// How the configuration and tally windows open on TCP and USB HID: the
// window's mode command goes out (on TCP after the yields the printer is
// given first, framed on USB HID) and the window's status timer starts its
// 3-second poll. On a serial link nothing is sent and the timer is left as
// the window designed it. A window `closed` during the yields sends nothing.
void StartWindowOnDirectLink(printerlink::PrinterLink& mainComm, const platform::Bytes& modeCommand,
                             platform::TimerControl& statusTimer, const std::function<bool()>& closed = {});

// The connection the settings file's section "Configurations" names, as
// every work window shows it: the port ("Ethernet" for 17, "AHPI" for 18,
// "COM" and the number otherwise) and the printer line "Model(PaperWidth)
// Printer on Port:", texts as stored.
struct PrinterLine {
    std::string portName;
    std::string caption;
};
PrinterLine ReadPrinterLine();

}  // namespace shell
