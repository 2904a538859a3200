// The probes after connecting: which status request a TCP printer answers,
// whether the printer answers at all, and its firmware version.
#include <algorithm>
#include <optional>
#include <utility>

#include "link/LinkFlags.h"
#include "link/IdItemCodes.h"
#include "link/PrinterLink.h"
#include "link/PrinterCommands.h"
#include "link/PrinterTypes.h"

namespace printerlink {

using platform::Bytes;

namespace {

constexpr int kConnectionCheckRequests = 2;  // DLE EOT 2 and DLE EOT 5
// The firmware version is the flash firmware revision's read (A3); the printer
// answers A3 and the version text.
const std::uint8_t kFirmwareItem = firmwareReplyMarker();
constexpr std::uint8_t kNoOfflineCondition = 0x12;
constexpr int kLanProbeYields = 5001;
constexpr int kMaxCheckResends = 3;

}  // namespace

// The link's requests are asked at the door with its own pass, behind
// whatever is owed: a check cannot wait for an earlier answer a silent
// printer may never send, and what it asks is only whether the printer
// answers at all.
bool PrinterLink::askAsLink(ReplyForm form, int tag, int rows, const std::function<bool()>& send) {
    return requestDoor_.askBehind(linkPass_, form, tag, rows, send) != 0;
}

// Only while the door's next request of the byte's form is the link's:
// any other byte of the form answers a window's request, and a window
// takes it.
bool PrinterLink::takeLinkAnswer(std::uint8_t b) {
    const std::optional<ReplyForm> form = replyForm(b);
    if (!form || !requestDoor_.nextIsOwners(*form, linkPass_)) return false;
    requestDoor_.take({*form, loop_.clock().now()});
    return true;
}

void PrinterLink::ProbeLanPrinterStatus() {
    if (!m_bEthernet) return;
    m_bLanReplyReceived = false;
    askAsLink(ReplyForm::Status, kLinkProbe, 1, [this] { return SendOutput(GsEotStatusCommand(1)); });
    yieldTimes(kLanProbeYields);
    if (m_bLanReplyReceived) {
        bLanAnswersGsEot = true;
        return;
    }
    m_bLanReplyReceived = false;
    askAsLink(ReplyForm::Esc, kLinkProbe, 1, [this] { return SendOutput(EscVStatusCommand); });
    yieldTimes(kLanProbeYields);
    if (!m_bLanReplyReceived) return;
    // A printer that answers GS EOT 1 later than its probe waits answers it
    // while ESC v is asked; the reply's form tells which request it answers.
    if (isGsEotReply(lanFirstReplyByte_))
        bLanAnswersGsEot = true;
    else
        bLanAnswersEscV = true;
}

void PrinterLink::RequestConnectionCheckStatus() {
    // A USB HID printer takes commands only as output reports.
    const SendWaits& waits = m_bValidationSend ? kValidationWaits : kRtosWaits;
    m_bValidationSend = false;
    // Awaited from before the send: a printer may answer while it yields.
    m_bAwaitingConnectionStatus = true;
    // Asked again after an answer was lost: the check before it is over, and
    // sent unbooked, this one's answers would go to the windows.
    requestDoor_.giveUpAsked(linkPass_, kRealTimeStatus);
    routing_.noteCheckAsked();
    askAsLink(ReplyForm::Status, kRealTimeStatus, kConnectionCheckRequests,
              [&] { return sendFramed(ConnectionCheckStatusCommand, waits); });
    // A USB HID printer answers each of the two requests with an input report
    // that only a read takes. Left queued, they would be the answers the
    // next reads get (the next ID item, the next status), each reply one
    // command late from then on; so they are taken here.
    if (m_lngHIDHandle > 0)
        for (int request = 0; request < kConnectionCheckRequests; ++request) {
            const std::optional<Bytes> report = readReport();
            if (!report) break;
            const std::size_t data = kHidReportHeaderBytes;
            if (report->size() > data) takeLinkAnswer((*report)[data]);
        }
}

void PrinterLink::CheckStatusResponse(const Bytes& data) {
    const std::size_t needed = isSlipType(m_lPrinterType) ? 2 : 1;
    if (data.size() < needed) {
        if (m_iRetry < kMaxCheckResends) {
            ++m_iRetry;
            RequestConnectionCheckStatus();
        } else {
            m_iRetry = 0;
            m_bConnectionCheckPassed = false;
            m_CheckingConfiguration = false;
        }
        return;
    }
    // The resends are this check's: kept over a whole connection, three lost
    // answers in all would fail a later check at its first.
    m_iRetry = 0;
    if (data[0] == kNoOfflineCondition) {
        m_bAwaitingConnectionStatus = false;
        m_bConnectionCheckPassed = true;
        m_CheckingConfiguration = true;
    }
}

// The reply is awaited from before the request goes out: a printer may
// answer while the send still yields.
void PrinterLink::RequestFirmwareVersion() {
    forgetFirmwareReply();
    m_bAwaitingFirmware = true;
    // Keyed, as a window's ID item: the reply goes to the link's parse only
    // while the link's request is the oldest of its code.
    firmwareTicket_ = requestDoor_.askKeyed(linkPass_, ReplyForm::IdItem, kFirmwareItem,
                                            [this] { return SendOutputFramed(IdItemCommand(kFirmwareItem)); });
    if (m_lngHIDHandle > 0) fncReadHIDData();
    limitFirmwareReply();
}

void PrinterLink::ParseFirmwareVersion(const Bytes& data) {
    auto from = std::find(data.begin(), data.end(), kFirmwareItem);
    from = from == data.end() ? data.begin() : from + 1;
    m_dblFirmwareVersion = platform::Val(std::string(from, data.end()));
    CheckFirmwareColumnSupport();
    m_bAwaitingFirmware = false;
    if (data.size() > 1) m_bFirmwareAnswered = true;
}

// The limit counts from the request, not from the reply's first byte: a
// printer that never answers must not leave its reply owed for good, and a
// byte that came meanwhile says nothing about when the reply will.
void PrinterLink::limitFirmwareReply() {
    if (!m_bAwaitingFirmware && !routing_.firmwareReplyOpen())
        firmwareReplyLimit_.setInterval(0);
    else if (firmwareReplyLimit_.interval() == 0)
        firmwareReplyLimit_.setInterval(kReplyWaitMs);
}

// Also the limit's end, for a reply that never began or whose rest never
// came: its first part alone would give a wrong version (a truncated
// number), so it gives none. The printer is taken as not having answered,
// and what comes later is no longer awaited. (A reply taken whole whose
// trailing byte never came just stops waiting for it.)
void PrinterLink::forgetFirmwareReply() {
    // A reply that comes after this is a window's, as before, not ours.
    requestDoor_.release(std::exchange(firmwareTicket_, 0));
    firmwareReplyLimit_.setInterval(0);
    routing_.dropFirmwareReply();
    m_bAwaitingFirmware = false;
}

void PrinterLink::CheckFirmwareColumnSupport() {
    double threshold;
    switch (m_lPrinterType) {
        case k3640Type: threshold = 398; break;
        case k3650Type: threshold = 4816; break;
        case k3690Type: threshold = 3545; break;
        default: return;
    }
    m_FWVersion48ColSupport = m_dblFirmwareVersion >= threshold;
}

}  // namespace printerlink
