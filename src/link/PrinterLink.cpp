#include "link/PrinterLink.h"

#include "link/StatusHandshake.h"
#include "platform/RuntimeError.h"

namespace printerlink {

using platform::Bytes;

PrinterLink::PrinterLink(LinkTransports transports, LinkShellServices services, platform::EventLoop& loop)
    : LanReplyWatchdog(loop, [this] { return Winsock.BytesReceived() > 0; },
                       [this] { OnStatusUpdated.raise(kLanTimeoutStatus); }),
      HidChannel(transports.hid),
      MSCommCtrl(transports.serial),
      Winsock(transports.tcp),
      loop_(loop),
      services_(services),
      routing_({statusHandshake, *this, m_bAwaitingConnectionStatus, m_bAwaitingFirmware,
                [this](const Bytes& data) { CheckStatusResponse(data); },
                [this](const Bytes& data) {
                    requestDoor_.take({ReplyForm::IdItem, loop_.clock().now(), firmwareReplyMarker()});
                    firmwareTicket_ = 0;
                    ParseFirmwareVersion(data);
                },
                [this](const Bytes& data) { OnDataReceived.raise(data); },
                [this] {
                    const RequestDoor::Answer answer = requestDoor_.take({ReplyForm::Status, loop_.clock().now()});
                    return answer.owner != 0 && answer.owner != linkPass_ && answer.tag == kRealTimeStatus;
                },
                [this] { return requestDoor_.keyedAskedBy(ReplyForm::IdItem, firmwareReplyMarker()) == linkPass_; },
                [this](std::uint8_t b) { return takeLinkAnswer(b); },
                [this](std::uint8_t b) {
                    return requestDoor_.keyedMarked(ReplyForm::IdItem, b) ||
                           requestDoor_.keyedAskedBy(ReplyForm::IdItem, b) != 0;
                }}),
      heldReply_(loop, [this](Bytes data, std::uint8_t reportId) { handOnHeldReply(std::move(data), reportId); }),
      requestDoor_(loop, [this](int waitMs) { return readHidReportsWithin(waitMs); }),
      linkPass_(requestDoor_.enter()),
      firmwareReplyLimit_(loop),
      restartAnswerGrace_(loop) {
    // A run-time error inside an event handler is recorded, never thrown
    // into the event loop.
    TimerWinsock.onTimer = [this] { guardEvent([this] { TimerWinsock_Timer(); }); };
    firmwareReplyLimit_.onTimer = [this] { guardEvent([this] { forgetFirmwareReply(); }); };
    restartAnswerGrace_.onTimer = [this] { endRestartSilence(); };
    MSCommCtrl.OnComm = [this] { guardEvent([this] { MSCommCtrl_OnComm(); }); };
    Winsock.OnDataArrival = [this](long total) { guardEvent([this, total] { Winsock_DataArrival(total); }); };
    Winsock.OnError = [this](int number, const std::string& description) {
        guardEvent([&] { Winsock_Error(number, description); });
    };
    Winsock.OnClose = [this] { guardEvent([this] { Winsock_Close(); }); };
    Winsock.OnConnect = [this] { guardEvent([this] { Winsock_Connect(); }); };
    Winsock.OnSendComplete = [this] { guardEvent([this] { Winsock_SendComplete(); }); };
}

PrinterLink::~PrinterLink() {
    MSCommCtrl.OnComm = nullptr;
    Winsock.OnDataArrival = nullptr;
    Winsock.OnError = nullptr;
    Winsock.OnClose = nullptr;
    Winsock.OnConnect = nullptr;
    Winsock.OnSendComplete = nullptr;
}

void PrinterLink::trapErrors(const std::function<void()>& body) {
    int number = 0;
    std::string description;
    try {
        body();
    } catch (const platform::RuntimeError& e) {
        number = e.number();
        description = e.description();
    }
    LastError = number;
    LastErrorDesc = description;
}

void PrinterLink::guardEvent(const std::function<void()>& body) {
    try {
        body();
    } catch (const platform::RuntimeError& e) {
        LastError = e.number();
        LastErrorDesc = e.description();
    }
}

long PrinterLink::get_paperWidth() {
    if (m_lPaperWidth < 0 || m_lPaperWidth > 2) m_lPaperWidth = 3;
    return m_lPaperWidth;
}

Bytes PrinterLink::UnicodeStringToBytes(const std::string& text) const { return platform::toBytes(text); }

std::string PrinterLink::ByteArrayToString(const Bytes& bytes) const { return platform::toTextUntilNul(bytes); }

Bytes PrinterLink::PrintStringDataAsByteBuf(const std::string& text) const {
    Bytes data = UnicodeStringToBytes(text);
    FrameHIDCommand(static_cast<int>(data.size()) - 1, data);
    return data;
}

bool PrinterLink::anyTransportOpen() const {
    return MSCommCtrl.PortOpen() || Winsock.State() == platform::sck::Connected || m_lngHIDHandle > 0;
}

bool PrinterLink::DisconnectPrinter() {
    bool result = false;
    trapErrors([&] {
        if (MSCommCtrl.PortOpen()) {
            MSCommCtrl.setPortOpen(false);
            result = !MSCommCtrl.PortOpen();
        }
        // The reply watchdog of a closed connection would raise its time-out
        // into whatever link comes next.
        disarmWatchdog();
        requestDoor_.forgetAll();
        // A TCP link that went away by itself (the printer reset it, a
        // reconnect after the printer closed it is still being made) is
        // closed as well, and that is a successful disconnect: nothing is
        // left open, and a reconnect still under way would otherwise bring
        // the link back by itself.
        if (Winsock.State() != platform::sck::Closed) {
            Winsock.Close();
            m_strHostPort = "-1";
            m_strIPAddress = "-1";
            result = true;
        }
        if (releaseDevice()) result = true;
        PurgeCommunication(kPurgeBoth);
        m_iPortNumber = -1;
        m_lPrinterType = -1;
        m_lPaperWidth = -1;
        forgetDevice();
        forgetPollReads();
        // A request on the closed link, or part of its reply, cannot be
        // answered or ended on the next link.
        forgetFirmwareReply();
        if (breconnect) {
            m_dblFirmwareVersion = -1;
            m_FWVersion48ColSupport = false;
        }
    });
    return result;
}

}  // namespace printerlink
