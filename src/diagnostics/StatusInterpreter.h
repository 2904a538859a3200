// The reply interpreter of the diagnostics window: every block of bytes the
// printer sends goes in, and out come the status panel's indicator changes
// (Host::showIndicator), each as soon as its byte is read. On the way it
// tells the bytes apart: a check scan's blocks (handed to the scan), a MICR
// reply (collected up to its CR), and the status replies: GS EOT and
// real-time status replies, DLE EM kiosk replies, and ESC v / ESC u replies
// on TCP and USB HID, each answering the oldest open request of its form
// (ExpectedReplies). On USB HID a report answers one request whole: the
// form of its status byte says which book's.
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

#include <cstdint>
#include <deque>
#include <string>

#include "diagnostics/ExpectedReplies.h"
#include "diagnostics/StatusRules.h"
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
        virtual void realTimeStatusAnswered(std::uint8_t b) = 0;

    protected:
        ~Host() = default;
    };

    // The ESC reply a byte of that form answers: ESC v, ESC u, or neither,
    // as for a USB HID
    // report that answers a kiosk request, whose report ID and length byte
    // must not be read as ESC replies.
    static constexpr int kEscVReply = 0, kEscUReply = 1, kNoEscReply = 2;

    // `modelIdentifier`: the settings file's model, as its identifier.
    StatusInterpreter(Host& host, std::string modelIdentifier);

    // A block of bytes as the link raised it.
    void receive(const platform::Bytes& ResponseData);
    // A poll's GS EOT 1 to `rows` and a real-time status request go out now.
    void expectPoll(int rows);
    void expectRealTimeStatus();
    // DLE EM requests for kiosk rows firstRow .. firstRow + rows - 1 (0: DLE
    // EM 1) go out now, together; ESC v (0) and ESC u (1) likewise.
    void expectKioskStatus(int firstRow, int rows);
    void expectEscStatus(int firstRow, int rows);
    // A reply of the poll's forms (GS EOT and real-time status, ESC v and
    // ESC u) is still owed; the kiosk replies; any reply the window awaits,
    // a MICR reply among them. A request of a form goes out only once
    // nothing of that form is owed.
    bool owesStatusReplies();
    bool owesKioskReplies();
    bool owesReplies();
    // A failed scan: the rest of the block being read is dropped; after a
    // block that did not fit, the blocks waiting too.
    void dropRestOfReply();
    void dropQueuedReplies();
    // A MICR read is going out: a byte that is no GS EOT or DLE EM reply
    // starts its reply, once the replies of the reads sent before have
    // begun, until awaitMicrUntil's deadline. Each read that went out gets
    // its own reply; the ticket names the read.
    using MicrRead = unsigned;
    MicrRead awaitMicrReply();
    void awaitMicrUntil(MicrRead read, platform::Micros deadline);
    // The read's reply has not begun and is still awaited.
    bool micrReplyAwaited(MicrRead read) const;
    // The read's reply is no longer awaited (it did not go out, or it had
    // its time).
    void stopAwaitingMicrReply(MicrRead read);
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
    // The ESC reply a USB HID report answers, kNoEscReply when its status
    // byte has another form or nothing of its form is owed.
    int hidReportEscReply(const platform::Bytes& report, platform::Micros arrivedAt);
    void interpretByte(const ReplyBlock& block, int i, int last, int hidEscReply, const ModelFacts& facts);
    void interpretGsEotReply(std::uint8_t b, platform::Micros arrivedAt, const ModelFacts& facts);
    void interpretEscReply(std::uint8_t b, int kind, int i, int last);
    void applyReply(Reply reply, std::uint8_t b, const ModelFacts& facts);
    // A MICR read was sent: the next byte that is no GS EOT or DLE EM reply
    // is its status byte, also on TCP and USB HID where it would pass for
    // an ESC reply. A reply that has not begun by its deadline is not
    // coming, as after the direct read's sleep.
    bool micrReplyAwaited();
    void dropMicrReply();

    Host& host_;
    const std::string modelIdentifier_;
    // Which request each reply answers, one book per reply form.
    ExpectedReplies expectedReplies_;
    ExpectedReplies kioskReplies_;
    ExpectedReplies escReplies_;
    struct MicrAwait {
        MicrRead read;
        platform::Micros until;
    };
    std::deque<MicrAwait> micrAwaits_;
    MicrRead nextMicrRead_ = 0;
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
