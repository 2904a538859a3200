// A misbehaving printer on each link: replies of random bytes, huge replies,
// replies cut short, unasked input, a printer that restarts, drops its line
// or vanishes while the link waits, and windows that call back into the link
// from its events. A fixed seed makes every run the same walk. Whatever
// happens, no operation may crash, hang or wait without bound, the
// last-error fields must stay sane, and once the printer behaves again the
// link must connect and probe as on the first day.
#include <algorithm>
#include <exception>
#include <functional>
#include <random>

#include "LinkTestSupport.h"
#include "link/StatusHandshake.h"
#include "platform/RuntimeError.h"

namespace linktest {
namespace {

using printerlink::PrinterLink;
using printerlink::TextArray;

// The commands the printer answers and the answers of a healthy printer.
const std::vector<std::pair<Bytes, Bytes>> kHealthyAnswers = {
    {{0x10, 0x04, 0x02}, {0x12}},
    {{0x10, 0x04, 0x05}, {0x12}},
    {{0x10, 0x04, 0x04}, {0x12}},
    {{0x1D, 0x04, 0x01}, {0x12}},
    {{0x1B, 0x76}, {0x12}},
    {{0x1D, 0x49, 0x40, 0xA3}, {0xA3, '0', '3', '9', '8'}},
};

// Bytes the link gives meaning to, so garbage often looks almost right.
constexpr std::uint8_t kTelling[] = {0x00, 0x12, 0xA3, 0x83, 0x87, 0xB7, 0xBB, 0xBF, 0x09, 0x10, 0x04,
                                     '0',  '3',  '9',  '8',  '-',  '.',  'E',  '&',  'H',  ' ',  0xFF};

constexpr int kOperations = 300;
// Longer than any single operation may take on a link that misbehaves: a
// five-piece send to a printer that never reports ready is about 26 s.
constexpr double kLongestOperationMs = 60000;

class LinkUnderGarbage : public LinkTest, public ::testing::WithParamInterface<int> {
protected:
    LinkUnderGarbage() : port(GetParam()), rng(20261207u + static_cast<unsigned>(GetParam())) {
        // A window that answers some replies by asking the printer again,
        // as the work windows do, but never more than one level deep.
        windowSub = link->OnDataReceived.subscribe([this](const Bytes&) {
            if (nested > 0 || !chance(10)) return;
            ++nested;
            sendStatusRequest();
            --nested;
        });
    }

    int pick(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); }
    bool chance(int percent) { return pick(1, 100) <= percent; }

    Bytes garbage() {
        const int size = pick(1, 100);
        const int n = size <= 60 ? pick(0, 8) : size <= 92 ? pick(9, 300) : pick(1000, 40000);
        Bytes bytes(static_cast<std::size_t>(n));
        for (auto& b : bytes)
            b = chance(40) ? kTelling[pick(0, std::size(kTelling) - 1)] : static_cast<std::uint8_t>(pick(0, 255));
        return bytes;
    }

    Bytes command(Bytes bytes) {
        if (port == 18) PrinterLink::FrameHIDCommand(static_cast<int>(bytes.size()) - 1, bytes);
        return bytes;
    }

    void sendStatusRequest() { link->SendRTOSCmd(command({0x10, 0x04, 0x02})); }

    bool reconnect() {
        printer.restoreDevice();
        printer.setCtsLow(false);
        serial.restoreDevice();
        link->DisconnectPrinter();
        const int types[] = {0, 3, 5, 7};
        if (!connect(port, types[pick(0, 3)])) return false;
        // What the main window does after a good connect.
        link->m_iRetry = 0;
        link->m_bValidationSend = true;
        link->RequestConnectionCheckStatus();
        return true;
    }

    // The printer answers one command with garbage for a while.
    void garbleAnAnswer() {
        const auto& [request, answer] = kHealthyAnswers[static_cast<std::size_t>(pick(0, 5))];
        printer.setReply(request, garbage());
        scheduler.after(pick(0, 5'000'000), [this, request, answer] { printer.setReply(request, answer); });
    }

    // For a while every reply is lost, cut short or garbled.
    void shapeReplies() {
        printer.setReplyFault(static_cast<sim::ReplyFault>(pick(1, 3)), static_cast<std::size_t>(pick(0, 3)));
        scheduler.after(pick(0, 5'000'000), [this] { printer.setReplyFault(sim::ReplyFault::None); });
    }

    // Input the printer did not announce, now or while the link waits.
    void unaskedInput() {
        const Bytes bytes = garbage();
        const auto deliver = [this, bytes] {
            if (port == 1) serial.peerSend(bytes);
            if (port == 17 && tcpAdapter) tcpAdapter->send(bytes);
            if (port == 18 && hidAdapter) hid.queueInputReport(hidAdapter->device(), bytes);
        };
        if (chance(50))
            deliver();
        else
            scheduler.after(pick(0, 3'000'000), deliver);
    }

    // Trouble on the line in the middle of whatever the link does next; most
    // of it passes again after a while, as a technician's printer does.
    void lineTrouble() {
        std::function<void()> trouble, recovery;
        switch (pick(0, 4)) {
            case 0:
                trouble = [this] { printer.setCtsLow(true); };
                recovery = [this] { printer.setCtsLow(false); };
                break;
            case 1: trouble = [this] { printer.closeConnection(); }; break;
            case 2:
                trouble = [this] { printer.removeDevice(); };
                recovery = [this] { printer.restoreDevice(); };
                break;
            case 3:
                trouble = [this] { serial.removeDevice(); };
                recovery = [this] { serial.restoreDevice(); };
                break;
            default: trouble = [this] { printer.restart(); }; break;
        }
        const int at = pick(0, 3'000'000);
        scheduler.after(at, trouble);
        if (recovery) scheduler.after(at + pick(0, 8'000'000), recovery);
    }

    bool linkOpen() const {
        return serial.PortOpen() || tcp.State() == platform::sck::Connected || link->m_lngHIDHandle > 0;
    }

    void send() {
        Bytes data;
        switch (pick(0, 3)) {
            case 0: data = command(kHealthyAnswers[static_cast<std::size_t>(pick(0, 5))].first); break;
            case 1: data = garbage(); data.resize(std::min<std::size_t>(data.size(), 300)); break;
            case 2: {
                TextArray texts;
                const char* elements[] = {"29", "4", "1", "300", "-1", "4.5", "x", "", " 16"};
                for (int i = pick(0, 4); i > 0; --i) texts.push_back(elements[pick(0, 8)]);
                return checkSend([&](PrinterLink& l) { return l.SendOutput(texts); });
            }
            default: {
                const std::string text = "garbage\x1b@";
                return checkSend([&](PrinterLink& l) { return l.SendOutput(text); });
            }
        }
        switch (pick(0, 2)) {
            case 0: return checkSend([&](PrinterLink& l) { return l.SendOutput(data); });
            case 1: return checkSend([&](PrinterLink& l) { return l.SendRTOSCmd(data); });
            default: return checkSend([&](PrinterLink& l) { return l.SendRTOSCmdPrinterValidation(data); });
        }
    }

    void checkSend(const std::function<bool(PrinterLink&)>& sendIt) {
        if (sendIt(*link)) {
            EXPECT_EQ(link->LastError, 0) << "a send that reports success recorded no error";
        }
    }

    void waitResponse() {
        const int count = pick(0, 8);
        Bytes resp(static_cast<std::size_t>(count + pick(0, 2)), 0xEE);
        const std::size_t size = resp.size();
        try {
            link->WaitResponse(resp, count);
        } catch (const platform::RuntimeError&) {
            // The wait does not trap: its errors are the caller's, as designed.
        }
        EXPECT_EQ(resp.size(), size);
    }

    void waiters() {
        printerlink::statusHandshake.bDiagStatusRequested = chance(10);
        printerlink::statusHandshake.m_SendRealTimeStatusCmd = chance(10);
        printerlink::statusHandshake.bSendCmdForRealTimstatus = chance(10);
        for (bool* flag : {&link->m_blnReceiptLinecmd, &link->m_bKnifeCut, &link->m_bHoursOn, &link->m_bScantimes})
            *flag = chance(50);
    }

    void operate() {
        switch (pick(0, 13)) {
            case 0: garbleAnAnswer(); break;
            case 1: shapeReplies(); break;
            case 2: unaskedInput(); break;
            case 3: case 4: send(); break;
            case 5: waitResponse(); break;
            case 6:
                link->m_AHPIBufferCmd = chance(50);
                link->fncReadHIDData();
                break;
            case 7:
                link->m_iRetry = 0;
                link->m_bValidationSend = chance(50);
                link->RequestConnectionCheckStatus();
                break;
            case 8: link->RequestFirmwareVersion(); break;
            case 9: link->ProbeLanPrinterStatus(); break;
            case 10: link->PurgeCommunication(12); break;
            case 11: lineTrouble(); break;
            case 12: waiters(); break;
            default:
                if (!linkOpen() || !link->IsPrinterOnline() || chance(10)) reconnect();
                runFor(pick(0, 3000));
                break;
        }
    }

    void expectSaneState() {
        EXPECT_EQ(link->LastError == 0, link->LastErrorDesc.empty())
            << link->LastError << " \"" << link->LastErrorDesc << "\"";
        EXPECT_GE(link->m_iRetry, 0);
        EXPECT_LE(link->m_iRetry, 3);
        if (hidAdapter) {
            EXPECT_EQ(hid.openHandles(hidAdapter->device()), link->m_lngHIDHandle > 0 ? 1 : 0)
                << "the link holds exactly the device handle it shows";
        }
        for (int status : statuses) {
            const bool known = status == 0 || (status >= 3 && status <= 7) || status >= 1001;
            EXPECT_TRUE(known) << status;
        }
        statuses.clear();
        received.clear();
    }

    // The printer behaves again: every fault gone, every answer healthy.
    void healPrinter() {
        for (const auto& [request, answer] : kHealthyAnswers) printer.setReply(request, answer);
        printer.setReplyFault(sim::ReplyFault::None);
        runFor(5000);  // let every scheduled trouble happen first
        printerlink::resetLinkModuleState();
        for (bool* flag : {&link->m_blnReceiptLinecmd, &link->m_bKnifeCut, &link->m_bHoursOn, &link->m_bScantimes})
            *flag = false;
        link->m_AHPIBufferCmd = false;
    }

    int port;
    std::mt19937 rng;
    int nested = 0;
    printerlink::LinkEvent<const Bytes&>::Subscription windowSub;
};

TEST_P(LinkUnderGarbage, NothingCrashesHangsOrSticks) {
    ASSERT_TRUE(connect(port, 5));
    for (int i = 0; i < kOperations; ++i) {
        SCOPED_TRACE("operation " + std::to_string(i));
        const auto start = clock.now();
        try {
            operate();
        } catch (const std::exception& e) {
            ADD_FAILURE() << "escaped: " << e.what();
        }
        EXPECT_LT(elapsedMs(start), kLongestOperationMs);
        expectSaneState();
        if (HasFailure()) return;
    }

    healPrinter();
    ASSERT_TRUE(reconnect()) << link->LastError << " " << link->LastErrorDesc;
    if (port == 1) {
        link->m_iRetry = 0;
        link->m_bValidationSend = true;
        link->RequestConnectionCheckStatus();
        runFor(1000);
        EXPECT_TRUE(link->m_CheckingConfiguration);
    }
    // As the main window does after a button: the check's answers come in
    // before the version is asked, not in the same TCP read as its reply.
    runFor(1000);
    link->m_dblFirmwareVersion = -1;
    link->RequestFirmwareVersion();
    runFor(100);
    EXPECT_FALSE(link->m_bAwaitingFirmware);
    EXPECT_EQ(link->m_dblFirmwareVersion, 398);
    EXPECT_TRUE(link->SendOutput(command({0x1D, 0x04, 0x01})));
    EXPECT_EQ(link->LastError, 0);
}

INSTANTIATE_TEST_SUITE_P(EveryLink, LinkUnderGarbage, ::testing::Values(1, 17, 18),
                         [](const ::testing::TestParamInfo<int>& info) {
                             return info.param == 1 ? std::string("Serial")
                                                    : info.param == 17 ? std::string("Tcp") : std::string("UsbHid");
                         });

}  // namespace
}  // namespace linktest
