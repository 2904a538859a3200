// The status panel: the poll on each link, every indicator from the status
// the printer reports, and the reply interpreter in the window (its edge
// cases without a window are in StatusInterpreterTest).
#include "DiagnosticsTestSupport.h"

#include "diagnostics/StatusRules.h"
#include "link/LinkFlags.h"
#include "link/ModelIdentifiers.h"

namespace diagtest {
namespace {


class StatusPanel : public DiagnosticsWorld {
protected:
    // Feeds one received block to the interpreter as the link raises it.
    void receive(const Bytes& bytes) {
        platform::Form::HandlerScope scope(*window);
        window->m_MainComm_OnDataReceived(bytes);
    }
    // The window's first poll goes out and the printer leaves it unanswered:
    // bytes received next answer it.
    void leaveFirstPollOpen() {
        printer.setReplyFault(sim::ReplyFault::Silent);
        runFor(1100);
        printer.setReplyFault(sim::ReplyFault::None);
    }
};

TEST_F(StatusPanel, EveryIndicatorFollowsThePrintersStatusOnEachLink) {
    struct Case {
        Link link;
        int type;
        Strings conditions;
        std::set<int> checked;
        const char* station;
        int lostReplies = 0;  // status requests the printer then leaves unanswered
        // Opened right after a window closed while its poll's replies were
        // on their way: they come to no window.
        bool reopened = false;
        // One poll's second half comes after its give-up, when the next
        // poll is out: it may not show as that poll's first rows.
        bool lateOnce = false;
    } cases[] = {
        {Link::Serial, 0, {}, {}, "Receipt"},
        {Link::Serial, 0, {"paper-out"}, {1, 15}, "Receipt"},
        {Link::Serial, 0, {"paper-low"}, {2}, "Receipt"},
        {Link::Serial, 0, {"cover-open"}, {12, 13}, "Receipt"},
        {Link::Serial, 5, {"cover-open"}, {12}, ""},
        {Link::Serial, 0, {"knife-error"}, {16, 19}, "Receipt"},
        {Link::Serial, 0, {"head-temperature"}, {16, 21, 22}, "Receipt"},
        {Link::Serial, 0, {"drawer-open", "offline"}, {9, 11}, "Receipt"},
        {Link::Serial, 0, {"slip-selected", "slip-tof"}, {5}, "Slip"},
        {Link::Serial, 0, {"waiting-for-slip", "slip-bof"}, {6, 8}, "Receipt"},
        {Link::Serial, 0, {"slip-jam", "feed-button"}, {14, 16, 17, 18}, "Receipt"},
        {Link::Serial, 5, {"slip-jam", "unrecoverable"}, {16, 20}, ""},
        {Link::Serial, 14, {"presenter-paper", "head-damaged"}, {23, 29}, ""},
        {Link::Serial, 14, {"jam", "kiosk-door-open"}, {26, 27}, ""},
        {Link::Lan, 14, {"physical-reset", "presenter-error", "black-mark-failure"}, {24, 25, 28}, ""},
        {Link::Lan, 0, {"paper-out"}, {1, 15}, "Receipt"},
        {Link::Usb, 0, {"paper-out", "paper-low", "cover-open", "knife-error"}, {1, 2, 12, 19}, "Receipt"},
        {Link::Usb, 0, {"drawer-open"}, {9}, "Receipt"},
        // ESC v has one bit for the slip's leading edge and the head
        // temperature; on USB HID it stands for the edge.
        {Link::Usb, 0, {"head-temperature"}, {5}, "Receipt"},
        {Link::Usb, 14, {"presenter-paper", "jam"}, {23, 26}, ""},
        {Link::Serial, 0, {"paper-low"}, {2}, "Receipt", 1},
        {Link::Lan, 0, {"paper-low"}, {2}, "Receipt", 1},
        {Link::Usb, 0, {"paper-low"}, {2}, "Receipt", 1},
        {Link::Serial, 0, {"paper-out"}, {1, 15}, "Receipt", 0, true},
        {Link::Lan, 0, {"paper-out"}, {1, 15}, "Receipt", 0, true},
        {Link::Serial, 0, {"paper-low"}, {2}, "Receipt", 0, false, true},
        {Link::Lan, 0, {"paper-low"}, {2}, "Receipt", 0, false, true},
    };
    for (const Case& c : cases) {
        std::string trace = std::to_string(c.type) + " " + linkName(c.link);
        for (const auto& name : c.conditions) trace += " " + name;
        SCOPED_TRACE(trace);
        printer.status() = {};
        printer.status().drawerOpen = false;
        for (const auto& name : c.conditions) ASSERT_TRUE(sim::setCondition(printer.status(), name, true));
        auto& w = open(c.link, c.type);
        if (c.reopened) {
            printer.config().replyDelay = 200'000;
            runFor(1050);  // the first poll has gone out
            platform::Unload(w);
            window.reset();
            runFor(300);  // the technician reaches for the button again
            printer.config().replyDelay = 2000;
            window = platform::newForm<diagnostics::DiagnosePrinterDlg>(mainWindow());
            window->Show();
        }
        auto& shown = *window;
        runFor(2500);
        EXPECT_EQ(checked(), c.checked);
        EXPECT_EQ(shown.SelectedStationText.Text(), c.station);
        // The replies after a lost one are out of step with their rows
        // until the set is given up: no sample may show them.
        printer.skipStatusReplies(c.lostReplies);
        if (c.lateOnce) {
            printer.config().replyDelay = 5'300'000;
            printer.config().splitDelay = 1'500'000;
            runFor(1000);  // one poll has gone out
            printer.config().replyDelay = 2000;
            printer.config().splitDelay = 0;
        }
        int offMs = 0;
        std::set<int> shownOff;
        for (int ms = 0; (c.lostReplies > 0 || c.lateOnce) && ms < 9000; ms += 100) {
            runFor(100);
            if (checked() == c.checked) continue;
            offMs += 100;
            for (int row : checked()) shownOff.insert(row);
        }
        EXPECT_EQ(offMs, 0) << "rows then shown: " << ::testing::PrintToString(shownOff);
        disconnect();
    }
}

TEST_F(StatusPanel, PollSendsWhatTheLinkAndModelAnswer) {
    struct Case {
        Link link;
        int type;
        std::vector<Bytes> writes;  // what one poll writes, in order (USB HID: report starts)
    } cases[] = {
        {Link::Serial, 3, {{0x1D, 0x04, 0x01, 0x1D, 0x04, 0x02, 0x1D, 0x04, 0x03, 0x1D, 0x04, 0x04, 0x1D, 0x04, 0x05}}},
        {Link::Lan, 5, {{0x1D, 0x04, 0x01, 0x1D, 0x04, 0x02, 0x1D, 0x04, 0x03, 0x1D, 0x04, 0x04}}},
        {Link::Serial, 14,
         {{0x1D, 0x04, 0x01, 0x1D, 0x04, 0x02, 0x1D, 0x04, 0x03, 0x1D, 0x04, 0x04}, {0x10, 0x19, 0x01, 0x10, 0x19, 0x02}}},
        {Link::Usb, 14,
         {{0x08, 0x03, 0x1B, 0x76}, {0x08, 0x04, 0x1B, 0x75, 0x00}, {0x08, 0x04, 0x10, 0x19, 0x01}, {0x08, 0x04, 0x10, 0x19, 0x02}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.type) + " " + linkName(c.link));
        open(c.link, c.type);
        runFor(1100);
        if (c.link == Link::Usb) {
            // Consecutive output reports, each framed.
            const auto& log = printer.log();
            auto starts = [&](std::size_t i, const Bytes& prefix) {
                return i < log.size() && log[i].raw.size() >= prefix.size() &&
                       std::equal(prefix.begin(), prefix.end(), log[i].raw.begin());
            };
            std::size_t first = 0;
            while (first < log.size() && !starts(first, c.writes[0])) ++first;
            for (std::size_t i = 0; i < c.writes.size(); ++i) EXPECT_TRUE(starts(first + i, c.writes[i])) << i;
        } else {
            Bytes expected;
            for (const Bytes& write : c.writes) expected.insert(expected.end(), write.begin(), write.end());
            const Bytes stream = streamReceivedByPrinter();
            EXPECT_NE(std::search(stream.begin(), stream.end(), expected.begin(), expected.end()), stream.end());
        }
        if (c.type > 4) {
            EXPECT_EQ(countCommand("GS EOT 5"), 0);
        }
        disconnect();
    }
}

TEST_F(StatusPanel, TcpPrinterAnsweringOnlyEscVIsPolledWithEscVAndEscU) {
    // A printer restart sent on the link of an earlier connection says
    // nothing about how this printer's replies read.
    for (const bool restartedBefore : {false, true}) {
        SCOPED_TRACE(restartedBefore);
        printer.setReply({0x1D, 0x04, 0x01}, {});
        printer.status().paperOut = true;
        printer.status().drawerOpen = true;
        printerlink::bRestartSentOnLink = restartedBefore;
        open(Link::Lan, 5);
        ASSERT_TRUE(printerlink::bLanAnswersEscV);
        runFor(2500);
        EXPECT_GE(countCommand("ESC u 0"), 2);
        EXPECT_EQ(countCommand("GS EOT 2"), 0);
        EXPECT_EQ(checked(), (std::set<int>{1, 9}));
        disconnect();
    }
}

// The configuration and tally windows mark USB HID reads as their own status
// polls and, closed by the window's close box, leave that mark behind.
TEST_F(StatusPanel, UsbHidPollIsReadAfterAnotherWindowLeftItsPollMarkBehind) {
    printer.status().paperOut = true;
    connect(Link::Usb, 0);
    mainWindow().m_AHPIBufferCmd = true;
    window = platform::newForm<diagnostics::DiagnosePrinterDlg>(mainWindow());
    window->Show();
    runFor(2500);
    EXPECT_EQ(checked().count(1), 1u);
    EXPECT_TRUE(mainWindow().IsPrinterOnline());
}

TEST_F(StatusPanel, SerialPollNeverTakesTheEscVOfAnEarlierTcpPrinter) {
    printerlink::bLanAnswersEscV = true;
    connect(Link::Serial);
    printerlink::bLanAnswersEscV = true;
    window = platform::newForm<diagnostics::DiagnosePrinterDlg>(mainWindow());
    window->Show();
    runFor(1500);
    EXPECT_EQ(countCommand("ESC v"), 0);
    EXPECT_GE(countCommand("GS EOT 4"), 1);
}

// Bytes that are no status reply start a MICR reply only while a MICR read
// is awaited: not out of the blue, nor long after a read nobody answered.
// A stray byte of a status reply's form that comes while a poll waits for a
// late printer's answer cannot be told from that answer, but it costs that
// poll alone: the next poll's rows have their own replies.
TEST_F(StatusPanel, NoiseOnASlipPrinterStartsNoMicrReply) {
    for (bool unansweredRead : {false, true}) {
        SCOPED_TRACE(unansweredRead ? "after an unanswered MICR read" : "no MICR read");
        auto& w = open(Link::Serial, 0);
        if (unansweredRead) {
            setSlipDocument(printer.status(), sim::SlipDocument::Inserted);
            printer.setReply({0x1B, 0x77, 0x50, 0x0D}, {});
            ASSERT_TRUE(driver.click(w.MICRButton));
            setSlipDocument(printer.status(), sim::SlipDocument::None);
            runFor(10000);
        }
        messages.clear();
        printer.status().paperOut = true;
        printer.config().replyDelay = 400'000;
        int polls = 0;
        printer.onLog = [&](const sim::SimLogEntry& entry) {
            if (std::count(entry.decoded.begin(), entry.decoded.end(), "GS EOT 1") == 0) return;
            if (++polls == 1)
                printer.scheduler().after(100'000, [this] { serial.peerSend({0x41, 0x16, 0x07, 0x00, 0x0D}); });
        };
        for (int poll = 0; poll < 4; ++poll) {
            const int before = polls;
            while (polls == before) runFor(10);
            runFor(600);
            if (poll > 0) {
                EXPECT_EQ(checked(), (std::set<int>{1, 15})) << "after poll " << poll;
            }
        }
        EXPECT_TRUE(messages.empty());
        printer.onLog = nullptr;
        printer.config().replyDelay = 2000;
        printer.status().paperOut = false;
        printer.clearReplies();
        disconnect();
    }
}

// Each serial test asks for the real-time status twice, and the link takes
// one answer (or whatever comes first) as the link check's. However late the
// printer answers, the other answer must not put the poll's rows out of step:
// the panel follows paper out and an open drawer within two polls.
TEST_F(StatusPanel, SlowSerialPrinterIsReadRightAfterEveryTest) {
    using Dlg = diagnostics::DiagnosePrinterDlg;
    struct Test {
        platform::CommandButton Dlg::*button;
        int type;
    };
    const Test tests[] = {{&Dlg::ReceiptButton, 0},   {&Dlg::PrintFormButton, 0}, {&Dlg::ColorPrintButton, 0},
                          {&Dlg::TwoSideButton, 3},   {&Dlg::CheckScanButton, 1}};
    for (int lateMs : {0, 150, 600, 1000}) {
        for (const Test& t : tests) {
            SCOPED_TRACE(std::to_string(lateMs) + " ms late, type " + std::to_string(t.type));
            printer.status() = {};
            printer.status().drawerOpen = false;
            auto& w = open(Link::Serial, t.type);
            printer.config().replyDelay = lateMs * 1000;
            runFor(1500);
            messageKeys = {t.button == &Dlg::CheckScanButton ? '0' : '1'};  // no check to scan
            ASSERT_TRUE(driver.click(w.*t.button));
            ASSERT_TRUE(w.isLoaded());
            printer.status().paperOut = true;
            printer.status().drawerOpen = true;
            runFor(2000 + lateMs + kWireMs);
            EXPECT_EQ(checked(), (std::set<int>{1, 9, 15}));
            printer.config().replyDelay = 2000;
            disconnect();
        }
    }
}

TEST_F(StatusPanel, BytesArrivingWhileTheInterpreterIsBusyWaitTheirTurn) {
    auto& w = open(Link::Serial, 5);
    leaveFirstPollOpen();
    bool nested = false;
    // Setting "Drawer 1 or 2 Opened" runs its click handler, and with it
    // the loop: a stray byte arrives while the whole sample is shown.
    w.PrinterStatus(2).Click = [&] {
        if (nested) return;
        nested = true;
        receive({0x1E});
    };
    receive({0x12});
    EXPECT_TRUE(checked().empty()) << "a part of a set shows nothing";
    receive({0x1E, 0x12, 0x12});
    // 12h as GS EOT 1, 1Eh as GS EOT 2 (the receipt door, the feed button),
    // and the stray byte after the sample, answering nothing.
    EXPECT_EQ(checked(), (std::set<int>{9, 12, 14}));
}

TEST_F(StatusPanel, LinkStatusEventsSwitchThePanelAndButtons) {
    auto& w = open(Link::Lan, 0);
    w.m_MainComm_OnStatusUpdated(11053);
    EXPECT_EQ(w.PrinterOnlineText.Text(), "Offline");
    EXPECT_EQ(enabledButtons(), "----------");
    EXPECT_FALSE(w.PaperStatusGroup.Enabled());
    w.m_MainComm_OnStatusUpdated(4);
    EXPECT_EQ(w.PrinterOnlineText.Text(), "Online");
    EXPECT_EQ(enabledButtons(), "123-5678-0");
    EXPECT_EQ(enabledIndicators(), (std::set<int>{1, 2, 5, 6, 8, 9, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22}));
    w.SetStatusIndicator(0, 1);
    w.SetStatusIndicator(30, 1);
    EXPECT_TRUE(checked().empty());
    w.SetStatusIndicator(7, 4);
    EXPECT_EQ(w.SelectedStationText.Text(), "Unknown");
}

// The panel tells classes apart by printer type on most links and by model
// identifier on a USB printer chosen as any HID printer: both must name the
// same models.
TEST(StatusPanelClasses, ByTypeAndByIdentifierNameTheSameModels) {
    using diagnostics::ModelClass;
    for (ModelClass c : {ModelClass::Slip, ModelClass::Kiosk, ModelClass::Scan, ModelClass::NoDoor})
        for (long type = 0; type <= printerlink::kLastPrinterType; ++type) {
            const std::string id(printerlink::modelIdentifierForType(type));
            EXPECT_EQ(diagnostics::isOfClass(c, {type, {}}), diagnostics::isOfClass(c, {-1, {id}}))
                << "class " << static_cast<int>(c) << ", type " << type << " " << id;
        }
}

}  // namespace
}  // namespace diagtest
