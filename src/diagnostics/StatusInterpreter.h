// The reply interpreter of the diagnostics window: every block of bytes the
// printer sends goes in, and out come the status panel's indicator changes
// (Host::showIndicator). On the way it tells the bytes apart: a check
// scan's blocks (handed to the scan), a MICR reply (collected up to its CR),
// and the status replies: GS EOT and real-time status replies, DLE EM kiosk
// replies, and ESC v / ESC u replies on TCP and USB HID, each answering what
// the link's request door finds it answers. On USB HID a report answers
// one request whole: the form of its status byte says which.
//
// A poll's replies change the panel only as a whole sample: they are held
// until the set's last request is answered, and a set with a reply lost or
// given up changes no row. A reply lost in a set would otherwise move the
// set's later replies onto the rows before theirs.
//
// What the rules know of the model is the printer type and the model the
// settings file named when the interpreter was made: the settings cannot
// change while the window is open.
//
// Re-entrant: a host call may yield (a check box's click handler, a scan's
// send), and bytes that arrive meanwhile are queued and interpreted in order
// after the current ones. A MICR reply read whole is told after the bytes in
// hand, with the interpreter free: its message may stay up for long, and the
// replies that come meanwhile are read at once. Nothing here blocks of itself.
#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <string>
#include <utility>
#include <vector>

#include "diagnostics/StatusRules.h"
#include "link/RequestDoor.h"
#include "platform/Text.h"
#include "platform/loop/Clock.h"

namespace diagnostics {

class StatusInterpreter {
public:
    // What the interpreter needs of its window.
    class Host {
    public:
        virtual long printerType() const = 0;
        virtual bool lanLink() const = 0;  // the link is TCP
        virtual bool usbLink() const = 0;  // the link is USB HID
        virtual platform::Micros timeNow() const = 0;
        // StatusIndex 1-29 (7: the selected station) to `state`.
        virtual void showIndicator(std::uint8_t index, std::uint8_t state) = 0;
        // A check scan runs and takes the bytes.
        virtual bool scanRunning() const = 0;
        virtual void scanByte(std::uint8_t b) = 0;
        // A MICR reply is complete: its status byte; the text is
        // m_strMICRText. Told outside the reading of bytes, so it may run
        // the loop.
        virtual void micrReplyRead(int status) = 0;
        // The printer sent something.
        virtual void printerAnswered() = 0;
        // The printer answered the window's real-time status request.
        virtual void realTimeStatusAnswered() = 0;
        // A request the window waits for itself was answered with b.
        virtual void ownReplyRead(const printerlink::RequestDoor::Answer& answer, std::uint8_t b) = 0;
        // The link's request door and the window's pass through it.
        virtual printerlink::RequestDoor& requestDoor() = 0;
        virtual printerlink::RequestDoor::Owner doorOwner() const = 0;

        virtual ~Host() = default;
    };

    // The ESC reply a byte of that form answers: ESC v, ESC u, or neither
    // (kNoEscReply: a USB HID report that answers no ESC request, whose
    // report ID and length byte must not be read as ESC replies).
    static constexpr int kEscVReply = 0, kEscUReply = 1, kNoEscReply = 2;

    // `modelIdentifier`: the settings file's model, as its identifier.
    StatusInterpreter(Host& host, std::string modelIdentifier);

    // A block of bytes as the link raised it.
    void receive(const platform::Bytes& ResponseData);
    // A MICR reply has begun and is being read: the window's own requests
    // wait until it has ended, as its bytes would pass for their answers.
    bool micrReplyPending();
    // A failed scan: the rest of the block being read is dropped; after a
    // block that did not fit, the blocks waiting too.
    void dropRestOfReply();
    void dropQueuedReplies();
    // The window blocked until now: a MICR reply begun before has its time
    // to end counted from now.
    void micrReplyHeldUntilNow();
    const std::string& modelIdentifier() const { return modelIdentifier_; }

    // A MICR reply is being collected. One that has not ended within its
    // time is dropped at the next byte, which is read as any other.
    bool m_bMICRReading = false;
    int m_iMICRStatus = 0;
    std::string m_strMICRText;

private:
    struct ReplyBlock {
        platform::Bytes bytes;
        platform::Micros arrivedAt;
    };
    ModelFacts replyFacts() const;
    void interpretReply(const ReplyBlock& block);
    // What a USB HID report answers, nothing (owner 0) when its status byte
    // has another form or nothing of its form is open.
    printerlink::RequestDoor::Answer hidReportEscAnswer(const platform::Bytes& report, platform::Micros arrivedAt);
    void interpretByte(const ReplyBlock& block, int i, int last, const printerlink::RequestDoor::Answer& hidEsc,
                       const ModelFacts& facts);
    // The door's answer for a byte of `form`: only the window's own count.
    printerlink::RequestDoor::Answer take(printerlink::ReplyForm form, platform::Micros arrivedAt);
    void interpretGsEotReply(std::uint8_t b, platform::Micros arrivedAt, const ModelFacts& facts);
    Reply escReply(int kind, int i, int last) const;
    void applyReply(Reply reply, std::uint8_t b, const ModelFacts& facts);

    // A poll set's replies until the set is whole, one sample per form.
    struct Sample {
        printerlink::RequestDoor::Ticket ticket = 0;
        std::vector<std::pair<Reply, std::uint8_t>> replies;
        // A reply that may be a late one to a set given up: not shown.
        bool maybeLate = false;
    };
    // Adds a reply to its set's sample, and shows the whole sample when the
    // reply is the set's last (showWhenLast: a USB HID report shows it once
    // all its bytes are read).
    void addToSample(printerlink::ReplyForm form, const printerlink::RequestDoor::Answer& answer, Reply reply,
                     std::uint8_t b, const ModelFacts& facts, bool showWhenLast = true);
    // Shows the set's sample, unless it holds a reply that may be late.
    void showWholeSample(printerlink::ReplyForm form, printerlink::RequestDoor::Ticket ticket,
                         const ModelFacts& facts);
    std::array<Sample, 3> samples_;
    // While the door's next ESC request is the window's MICR read, the next
    // byte that is no GS EOT or DLE EM reply is its status byte, also on TCP
    // and USB HID where it would pass for an ESC reply. A read given up (or
    // of a window that left) is not awaited any more.
    bool micrReplyAwaited();
    void dropMicrReply();

    Host& host_;
    const std::string modelIdentifier_;
    platform::Micros micrReplyEndsBy_ = 0;
    // A scan that failed drops the rest of the reply it failed in.
    bool dropRestOfReply_ = false;
    // Reply bytes waiting for the interpreter, which is busy.
    std::deque<ReplyBlock> pendingReplies_;
    // MICR replies read whole and not told yet.
    struct MicrResult {
        int status;
        std::string text;
    };
    std::deque<MicrResult> micrResults_;
    bool interpreting_ = false;
};

}  // namespace diagnostics
