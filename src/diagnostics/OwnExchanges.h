// The diagnostics window's own exchanges with the printer: the requests
// whose answers a test waits for itself (the slip status, the logo erase
// and flash status, the scanner's clear), asked at the link's request door
// and awaited here.
//
// An own request goes out once nothing of any form is owed (awaitTurn): the
// printer answers in order, and these waits read the printer's bytes
// themselves, so a reply still owed would pass for their answer. Each is
// booked at the door, so a late answer to one is known for what it is and
// a closed window ends every wait: the door drops what the window asked
// when it leaves, and each wait here ends as soon as its window is gone or
// its request was given up.
//
// What feeds, prints or writes acts only on the door's Answer: past a byte
// the door finds Late the request stays owed, is asked again, and the wait
// reads on. The window's poll sets still owed are given up first, so a lost
// poll reply costs no wait. The panel's rule for such answers is the reply
// interpreter's.
//
// What may block and nest: every wait serves events, so any handler of the
// window may run inside it (Close among them). On serial the input the link
// hands the window is kept for these waits while `reading` runs; elsewhere
// they read the link themselves, and an answer the reply interpreter took
// between reads is handed in with answeredThrough.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>

#include "link/RequestDoor.h"
#include "platform/Text.h"
#include "platform/loop/Clock.h"
#include "shell/MainWindow.h"
#include "shell/WorkWindowLink.h"

namespace diagnostics {

class OwnExchanges {
public:
    // What the exchanges need of their window.
    class Host {
    public:
        // The window is open and its tests may go on.
        virtual bool windowOpen() const = 0;
        virtual bool sendsStopped() const = 0;
        // A MICR reply has begun and is still being read.
        virtual bool micrReplyBegun() = 0;
        // Runs body with the status poll resting: its requests and reads
        // would take the replies the body waits for.
        virtual void withPollResting(const std::function<void()>& body) = 0;
        // StatusIndex 1-29 to `state`, from a slip status or sensor message.
        virtual void showIndicator(std::uint8_t index, std::uint8_t state) = 0;
        // A command through the window's printer, which stops its sends
        // once one failed.
        virtual void send(const platform::Bytes& command) = 0;
        virtual ~Host() = default;
    };

    using Ticket = printerlink::RequestDoor::Ticket;

    OwnExchanges(Host& host, shell::MainWindow& link, const shell::DoorPass& pass);

    // Waits, with the poll resting and events served, until nothing is owed
    // to any request of the link and no MICR reply is being read. False when
    // the window closed meanwhile.
    bool awaitTurn();
    // Asks one request of `form` through `send` once the form has its turn;
    // 0 when the window closed, the send failed or it could not be asked.
    Ticket ask(printerlink::ReplyForm form, int tag, const std::function<void()>& send);
    // Asks (awaitTurn first) and reads until the door finds a byte the
    // answer (see readAnswer). `fits`: a byte of the answer's form; `other`:
    // what to do with a byte that does not fit (`next` reads on). Nothing
    // when the window closed or the request went unanswered by `deadline`.
    // `askAgain`: asking twice does no harm (not so the logo area's erase).
    using Next = std::function<bool(std::uint8_t&)>;
    // `other` gives back a byte it read that is to be looked at again.
    // `maxBytes`: the bytes read in all before the wait ends unanswered.
    using Fits = std::function<bool(std::uint8_t)>;
    using Other = std::function<std::optional<std::uint8_t>(std::uint8_t, const Next&)>;
    std::optional<std::uint8_t> sureAnswer(printerlink::ReplyForm form, const platform::Bytes& command,
                                           const std::function<platform::Micros()>& deadline, const Fits& fits,
                                           const Other& other = {}, int maxBytes = kNoByteLimit,
                                           bool askAgain = true);
    // The answer to `ticket`, read byte by byte; the request is let go at
    // the door when the wait ends. `sendAgain`: sends the request once more.
    std::optional<std::uint8_t> readAnswer(printerlink::ReplyForm form, Ticket ticket,
                                           const std::function<platform::Micros()>& deadline, const Fits& fits,
                                           const Other& other, int maxBytes, const std::function<bool()>& sendAgain);
    static constexpr int kNoByteLimit = 1 << 30;

    // The slip station holds a document, as the printer reported it twice in
    // a row for certain: a random byte of a noisy line that falls between a
    // request and its answer has the answer's form now and then, and taken
    // for "in" it would print into an empty station. gsR1: GS r 1 is asked
    // (USB HID), else GS EOT 5.
    bool slipInPlace(bool gsR1);
    // No answer of `form` may still come late once it returns (a status of
    // the form asked for certain where one may). False when the window closed.
    bool settle(printerlink::ReplyForm form);
    // The logo area's erase: true when the printer answered it.
    bool erase();
    // The flash status's byte, once the printer answered it for certain.
    std::optional<std::uint8_t> flashStatus();
    // The last wait for an answer got none in time, but replies to its
    // request came: late ones, read past.
    bool answeredLate() const { return answeredLate_; }
    // The scanner's clear through `send`: true when its answer said cleared
    // or none came, false on another answer; nothing when the window closed.
    std::optional<bool> clearScan(const std::function<void()>& send);
    // Every data byte the printer sent until a USB HID read finds none or
    // `deadline` passes: a printer that never stops sending must not hold
    // the window.
    platform::Bytes readAll(platform::Micros deadline);

    // One byte of a reply the window waits for itself, by `deadline`.
    bool readByte(std::uint8_t& b, platform::Micros deadline);
    // Runs body with the serial input the link hands the window kept for
    // these waits, not read as status replies. Serial only.
    void reading(const std::function<void()>& body);
    // The window's data: true when kept for a wait here.
    bool keep(const platform::Bytes& data);
    // The reply interpreter took the answer to an own request.
    void answeredThrough(const printerlink::RequestDoor::Answer& answer, std::uint8_t b);
    // The input that came before a request went out: the serial input kept,
    // the USB HID reports waiting on the device.
    void dropInput();
    // One reply's deadline: the link's reply wait on USB HID; a serial wait
    // counts its own polls from when the output has left.
    platform::Micros replyDeadline() const;

private:
    bool serialLink() const;
    bool hidOpen() const { return link_.m_lngHIDHandle > 0; }
    bool readSerialByte(std::uint8_t& b, platform::Micros deadline);
    // Serves events between the serial polls until `done` holds, the window
    // closed, the output stopped leaving or `deadline` passed; True when
    // `done` held.
    bool servingSerialPolls(const std::function<bool()>& done, platform::Micros deadline);
    std::optional<std::uint8_t> slipStatus(bool gsR1);
    static platform::Micros now();

    Host& host_;
    shell::MainWindow& link_;
    const shell::DoorPass& pass_;
    struct ThroughAnswer {
        printerlink::RequestDoor::Answer answer;
        std::uint8_t b;
    };
    std::optional<ThroughAnswer> through_;
    bool answeredLate_ = false;
    std::optional<platform::Bytes> kept_;
};

}  // namespace diagnostics
