// Clearing tallies: the clear codes, and the values shown afterwards, which
// come from the printer after the clear on every link.
#include "TallyTestSupport.h"
#include "link/PrinterCommands.h"

namespace tallytest {
namespace {

class TallyClear : public TallyWorld {
protected:
    Strings clearsSince() {
        idle(100);
        Strings out;
        for (const std::string& name : commandsSince())
            if (name.find("(clear") != std::string::npos) out.push_back(name);
        return out;
    }
};

TEST_F(TallyClear, ClearedTalliesShowZeroFromThePrinterOnEveryLink) {
    struct Case {
        Link link;
        int type;
        int tally;
        std::string clear;
    } cases[] = {
        {Link::Lan, 0, tally::kKnifeCuts, "GS I @ 86 (clear knife cuts)"},
        {Link::Lan, 9, tally::kScanTimes, "GS I @ C6 (clear scan times / partial knife cut)"},  // kiosk
        {Link::Serial, 0, tally::kKnifeCuts, "GS I @ 86 (clear knife cuts)"},
        {Link::Usb, 9, tally::kScanTimes, "GS I @ C6 (clear scan times / partial knife cut)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(shelltest::linkName(c.link)) + " type " + std::to_string(c.type));
        detachPrinter();
        printer.tally().counters = sim::SimTally().counters;
        connect(c.link, c.type);
        openTally();
        ASSERT_EQ(w().PrinterTallyText(tally::kReceiptLines).Text(), "12345");
        ASSERT_TRUE(driver.click(w().PrinterTally(tally::kReceiptLines)));
        ASSERT_TRUE(driver.click(w().PrinterTally(c.tally)));
        commandsSince();
        ASSERT_TRUE(driver.click(w().ClearTallyButton));
        EXPECT_EQ(clearsSince(), (Strings{"GS I @ 82 (clear receipt lines)", c.clear}));
        EXPECT_EQ(w().PrinterTallyText(tally::kReceiptLines).Text(), "0");
        EXPECT_EQ(w().PrinterTallyText(c.tally).Text(), "0");
        EXPECT_EQ(w().PrinterTallyText(tally::kHoursOn).Text(), "345");
        EXPECT_EQ(printer.tally().counters[static_cast<std::size_t>(c.tally)], 0u);
        EXPECT_EQ(w().PrinterOnlineText.Text(), "Online");
        EXPECT_FALSE(mainWindow().m_bKnifeCut) << "no request is left waiting";
        // After a clear the USB HID replies still match their requests.
        printer.tally().counters[tally::kReceiptLines] = 17;
        ASSERT_TRUE(driver.click(w().ClearTallyButton));
        idle(100);  // the serial read after the clear is not waited for
        EXPECT_EQ(w().PrinterTallyText(tally::kReceiptLines).Text(), "0");
        ASSERT_TRUE(driver.click(w().CloseButton));
        ASSERT_TRUE(clickButton(2));
    }
}

TEST_F(TallyClear, ClearingEveryTallyTheModelShows) {
    connect(Link::Lan, 3);
    openTally();
    for (int i = 0; i < tally::kTallyCount; ++i) {
        if (w().PrinterTally(i).Enabled()) {
            ASSERT_TRUE(driver.click(w().PrinterTally(i)));
        }
    }
    ASSERT_TRUE(driver.click(w().ClearTallyButton));
    EXPECT_EQ(tallyTexts(), (Strings{"0", "0", "0", "0", "0", "0", "0", "0", "0", "0", "0", ""}));
    EXPECT_EQ(clearsSince().size(), 11u);
}

TEST_F(TallyClear, PrinterThatDoesNotAnswerOnTcpLeavesTheClearedValueEmpty) {
    connect(Link::Lan);
    openTally();
    ASSERT_TRUE(driver.click(w().PrinterTally(tally::kKnifeJams)));
    printer.setReply({0x1D, 0x49, 0x40, 0xAB}, {});
    const platform::Micros start = clock.now();
    ASSERT_TRUE(driver.click(w().ClearTallyButton));
    EXPECT_EQ(w().PrinterTallyText(tally::kKnifeJams).Text(), "") << "not the value from before the clear";
    EXPECT_LT(elapsedMs(start), 6000.0);
}

// A printer slow to answer the read after a clear: its tally shows nothing
// until the answer comes, never the count from before the clear. A USB HID
// answer later than a report read waits is read once it has come. Nor do
// the answers to the read as the window opened, when the clear or a write
// went out before they came: they carry the count from before.
TEST_F(TallyClear, SlowAnswersNeverShowTheCountFromBeforeAClearOrWrite) {
    struct Case {
        Link link;
        bool readAnswered;  // the opening read's answers came before the click
        bool write;         // Apply of 4242 instead of the clear
        bool readAgain = false;  // a second read (TCP online again) before the first's answers
    } cases[] = {{Link::Serial, true, false},  {Link::Lan, true, false},  {Link::Serial, false, false},
                 {Link::Lan, false, false}, {Link::Lan, false, true}, {Link::Usb, true, false},
                 {Link::Lan, false, false, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(shelltest::linkName(c.link)) + (c.readAnswered ? "" : " before the read's answers") +
                     (c.write ? " write" : " clear") + (c.readAgain ? " read again" : ""));
        detachPrinter();
        printer.config().replyDelay = 2000;
        printer.tally().counters = sim::SimTally().counters;
        connect(c.link);
        if (!c.readAnswered) printer.config().replyDelay = 3'000'000;
        openTally();
        ASSERT_EQ(w().PrinterTallyText(tally::kKnifeCuts).Text(), c.readAnswered ? "678" : "");
        if (c.readAgain) w().m_MainComm_OnStatusUpdated(platform::comm::EvDSR);
        const std::string after = c.write ? "4242" : "0";
        if (c.write)
            setTally(tally::kKnifeCuts, after);
        else
            ASSERT_TRUE(driver.click(w().PrinterTally(tally::kKnifeCuts)));
        printer.config().replyDelay = 3'000'000;
        ASSERT_TRUE(driver.click(c.write ? w().ApplyButton : w().ClearTallyButton));
        const std::string shown = w().PrinterTallyText(tally::kKnifeCuts).Text();
        EXPECT_TRUE(shown.empty() || shown == after) << shown;
        idle(4000);
        EXPECT_EQ(w().PrinterTallyText(tally::kKnifeCuts).Text(), after);
        EXPECT_EQ(printer.tally().counters[tally::kKnifeCuts], c.write ? 4242u : 0u);
        printer.config().replyDelay = 2000;
        ASSERT_TRUE(driver.click(w().CloseButton));
        ASSERT_TRUE(clickButton(2));
    }
}

// A USB HID printer that never answers the read as the window opens or
// after a clear: the window stays live while it waits (the loop runs, the
// window shown can be closed), waits no longer than the link waits for any
// reply, and closed, waits no more.
TEST_F(TallyClear, ReadNeverAnsweredKeepsTheWindowLiveForNoMoreThanTheReplyWait) {
    struct Case {
        bool atOpening;
        int closeAtMs;  // 0: left open
        double withinMs;
        Link link = Link::Usb;
        bool silent = true;  // at opening; else only the last item asked is not answered
        platform::CommandButton tally::ViewTallyDlg::*clear = &tally::ViewTallyDlg::ClearTallyButton;
    } cases[] = {{false, 0, printerlink::kReplyWaitMs + 100.0},
                 {false, 1000, 1100.0},
                 {false, 1000, 1200.0, Link::Lan},  // the wait for the TCP values
                 {true, 0, printerlink::kReplyWaitMs + 200.0},
                 {true, 500, 600.0, Link::Usb, false},
                 {true, 300, 600.0, Link::Lan, false},  // the link's purge yields run on
                 {false, 1000, 1200.0, Link::Lan, true, &tally::ViewTallyDlg::ClearUserDefinedArea}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.atOpening ? "opening " : "clear ") + std::to_string(c.closeAtMs));
        detachPrinter();
        connect(c.link);
        if (c.atOpening && c.silent) {
            printer.setReplyFault(sim::ReplyFault::Silent);
        } else if (c.atOpening) {
            printer.setReply(printerlink::IdItemCommand(tally::TallyReplyMarker(tally::kMicrReads, false, 0)), {});
        } else {
            openTally();
            ASSERT_TRUE(driver.click(w().PrinterTally(tally::kKnifeCuts)));
            printer.setReply(printerlink::IdItemCommand(tally::TallyReplyMarker(tally::kKnifeCuts, false, 0)), {});
            printer.setReply(printerlink::ClearUserAreaCommand(printerlink::kUserDefinedArea), {});
        }
        platform::Timer ticking(loop), closing(loop);
        platform::Micros lastTick = clock.now(), longestGap = 0;
        ticking.onTimer = [&] {
            longestGap = std::max(longestGap, clock.now() - lastTick);
            lastTick = clock.now();
        };
        ticking.setInterval(50);
        closing.onTimer = [&] {
            closing.setEnabled(false);
            EXPECT_TRUE(w().Visible());
            EXPECT_TRUE(driver.click(w().CloseButton));
        };
        closing.setInterval(c.closeAtMs);
        const platform::Micros start = clock.now();
        if (c.atOpening) {
            printerlink::statusHandshake.m_Flag = true;
            window_ = platform::newForm<tally::ViewTallyDlg>(mainWindow());
            window_->Show();
            idle(1);  // the read, posted once shown
        } else {
            ASSERT_TRUE(driver.click(w().*c.clear));
        }
        EXPECT_LE(elapsedMs(start), c.withinMs);
        EXPECT_LT(std::max(longestGap, clock.now() - lastTick), 500'000);
        printer.clearReplies();
        printer.setReplyFault(sim::ReplyFault::None);
        if (c.closeAtMs == 0) driver.click(w().CloseButton);
        EXPECT_FALSE(w().isLoaded());
        ASSERT_TRUE(clickButton(2));
    }
}

// A clear changes the boxes of the cleared tallies only: a serial number
// just written and a tally count typed stay as shown, so the next Apply
// writes what the technician sees.
TEST_F(TallyClear, ClearKeepsWhatTheOtherBoxesShowOnEveryLink) {
    for (Link link : {Link::Lan, Link::Serial, Link::Usb}) {
        SCOPED_TRACE(shelltest::linkName(link));
        detachPrinter();
        printer.tally().serialNumber = sim::SimTally().serialNumber;
        connect(link);
        openTally();
        setId(1, "AX-771");
        ASSERT_TRUE(driver.click(w().ApplyButton));
        setTally(tally::kFlashCycles, "77");  // typed, not applied
        ASSERT_TRUE(driver.click(w().PrinterTally(tally::kFlashCycles)));
        ASSERT_TRUE(driver.click(w().PrinterTally(tally::kKnifeCuts)));
        ASSERT_TRUE(driver.click(w().ClearTallyButton));
        idle(2000);
        EXPECT_EQ(w().PrinterIDText(1).Text(), "AX-771");
        EXPECT_EQ(w().PrinterTallyText(tally::kFlashCycles).Text(), "77");
        EXPECT_EQ(w().PrinterTallyText(tally::kKnifeCuts).Text(), "0");
        ASSERT_TRUE(driver.click(w().ApplyButton));
        idle(100);
        EXPECT_EQ(printer.tally().serialNumber, "AX-771    ");
        ASSERT_TRUE(driver.click(w().CloseButton));
        ASSERT_TRUE(clickButton(2));
    }
}

// The status request a serial click sends first may be answered, answered
// late or not at all; the cleared tally's value is read back all the same.
// A USB HID printer that answers no clear costs each clear one device read.
TEST_F(TallyClear, ClearedTallyIsReadBackWhateverBecameOfTheStatusRequest) {
    struct Case {
        Link link;
        platform::Micros replyDelay;
        bool statusAnswered;
        std::vector<int> ticked = {tally::kKnifeCuts};
        platform::Micros clickWithin = platform::kForever;
    } cases[] = {{Link::Serial, 2000, true},     {Link::Serial, 2000, false}, {Link::Serial, 600'000, true},
                 {Link::Serial, 600'000, false}, {Link::Lan, 600'000, false}, {Link::Usb, 2000, false},
                 {Link::Usb, 2000, true, {tally::kKnifeCuts, tally::kHoursOn, tally::kCoverOpens}, 1'000'000}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(shelltest::linkName(c.link)) + " delay " + std::to_string(c.replyDelay) +
                     (c.statusAnswered ? " answered" : " silent") + " ticked " + std::to_string(c.ticked.size()));
        detachPrinter();
        connect(c.link);
        openTally();
        for (int i : c.ticked) ASSERT_TRUE(driver.click(w().PrinterTally(i)));
        printer.config().replyDelay = c.replyDelay;
        if (!c.statusAnswered) printer.setReply(shell::RealTimeStatusCommand, {});
        printer.tally().answerTallyClears = false;
        const platform::Micros clickedAt = clock.now();
        ASSERT_TRUE(driver.click(w().ClearTallyButton));
        EXPECT_LE(clock.now() - clickedAt, c.clickWithin);
        idle(3000);
        for (int i : c.ticked) EXPECT_EQ(w().PrinterTallyText(i).Text(), "0") << i;
        printer.config().replyDelay = 2000;
        printer.clearReplies();
        printer.tally().answerTallyClears = true;
        ASSERT_TRUE(driver.click(w().CloseButton));
        ASSERT_TRUE(clickButton(2));
    }
}

TEST_F(TallyClear, AnsweringNoClearsNothing) {
    for (Link link : {Link::Lan, Link::Serial}) {
        connect(link);
        openTally();
        ASSERT_TRUE(driver.click(w().PrinterTally(tally::kKnifeCuts)));
        w().PrinterOnlineText.setText("");
        messageKeys.push_back('0');
        commandsSince();
        ASSERT_TRUE(driver.click(w().ClearTallyButton));
        EXPECT_TRUE(clearsSince().empty());
        // The plain path looks at the printer's status all the same.
        EXPECT_EQ(w().PrinterOnlineText.Text(), link == Link::Lan ? "" : "Online");
        EXPECT_EQ(w().PrinterTallyText(tally::kKnifeCuts).Text(), "678");
        ASSERT_TRUE(driver.click(w().CloseButton));
        ASSERT_TRUE(clickButton(2));
    }
}

}  // namespace
}  // namespace tallytest
