// The window around the operations: its layout by model, its status
// handling and poll, its keys, the user-area clears and the diagnostic
// form, and what it sends when it opens and closes.
#include "TallyTestSupport.h"

#include "platform/forms/Keys.h"

namespace tallytest {
namespace {

class TallyWindow : public TallyWorld {
protected:
    // 'v' where a tally's field shows, '-' where the layout hides it.
    std::string shownFields() {
        std::string out;
        for (int i = 0; i < tally::kTallyCount; ++i) out += w().PrinterTallyText(i).Visible() ? 'v' : '-';
        return out;
    }
    Strings tallyCaptions() {
        Strings out;
        for (int i : {tally::kSlipLines, tally::kSlipChars, tally::kMicrReads, tally::kScanTimes})
            out.push_back(w().PrinterTally(i).Caption());
        return out;
    }
    // Every raw piece the printer received since the last call, as hex.
    Strings rawSince() {
        idle(100);
        Strings out;
        for (const auto& entry : printer.log()) out.push_back(platform::hexBytes(entry.raw));
        printer.clearLog();
        return out;
    }
    void reopen(Link link, int type, bool anyHid = true) {
        if (window_ && window_->isLoaded()) driver.click(w().CloseButton);
        if (mainWindow().FunctionButton(2).Enabled()) clickButton(2);
        detachPrinter();
        connect(link, type, 0, anyHid);
        openTally();
    }
    const Strings kStandardCaptions = {"Slip Lines:", "Slip Characters:", "MICR Reads:", "Scan Times:"};
    const Strings kKioskCaptions = {"Paper Jams", "Present Length", "Presenter Jams", "Partial Knife Cut"};
};

TEST_F(TallyWindow, LayoutByModelAndByUsbDevice) {
    const std::string byType[] = {"vvvvvvvvvv--", "vvvvvvvvvv--", "vvvvvvvvvv--", "vvvvvvvvvvv-", "vvvvvvvvvvv-",
                                  "vv---vvvvv--", "vv---vvvvv--", "vv---vvvvvv-", "vv---vvvvv--", "vvvvvvvvvv-v",
                                  "vvvvvvvvvv--", "vvvvvvvvvv--", "vvvvvvvvvvv-", "vvvvvvvvvv--", "vv---vvvv---",
                                  "vvvvvvvvvv-v", "vvvvvvvvvv--"};
    for (int type = 0; type < 17; ++type) {
        SCOPED_TRACE(type);
        reopen(Link::Lan, type);
        EXPECT_EQ(shownFields(), byType[type]);
        EXPECT_EQ(tallyCaptions(), type == 9 || type == 15 ? kKioskCaptions : kStandardCaptions);
        // Type 14 keeps what it lacks greyed when the printer is online.
        if (type == 14) {
            for (int i : {2, 3, 4, 9, 10, 11}) EXPECT_FALSE(w().PrinterTally(i).Enabled()) << i;
        }
    }

    struct Case {
        int type;
        std::string shown;
        bool kioskCaptions;
        bool scanTimesEnabled;
    } usb[] = {{5, "vv---vvvvv--", false, false}, {3, "vvvvvvvvvvv-", true, false},
               {12, "vvvvvvvvvvv-", true, false}, {9, "vvvvvvvvvv-v", true, true}};
    for (const Case& c : usb) {
        SCOPED_TRACE("USB type " + std::to_string(c.type));
        reopen(Link::Usb, c.type);
        EXPECT_EQ(shownFields(), c.shown);
        EXPECT_EQ(tallyCaptions(), c.kioskCaptions ? kKioskCaptions : kStandardCaptions);
        EXPECT_EQ(w().PrinterTally(tally::kScanTimes).Enabled(), c.scanTimesEnabled);
    }
}

TEST_F(TallyWindow, OpensWithNothingTickedAndTicksUnlockTheirFields) {
    connect(Link::Serial);
    openTally();
    EXPECT_EQ(w().PrinterOnline.Caption(), " 3640( 80.0mm) Printer on COM1:");
    EXPECT_FALSE(w().ApplyButton.Enabled());
    EXPECT_FALSE(w().ClearTallyButton.Enabled());
    EXPECT_TRUE(w().PrinterTallyText(tally::kKnifeCuts).Locked());
    // The window's digit keys work from the start: the first focus is no text box.
    EXPECT_EQ(dynamic_cast<platform::TextBox*>(w().ActiveControl()), nullptr);
    ASSERT_TRUE(driver.click(w().PrinterTally(tally::kMaxTemp)));
    EXPECT_FALSE(w().ApplyButton.Enabled());
    EXPECT_TRUE(w().ClearTallyButton.Enabled());
    EXPECT_TRUE(w().PrinterTallyText(tally::kMaxTemp).Locked());
    ASSERT_TRUE(driver.click(w().PrinterTally(tally::kKnifeCuts)));
    EXPECT_FALSE(w().PrinterTallyText(tally::kKnifeCuts).Locked());
    EXPECT_EQ(w().PrinterTallyText(tally::kKnifeCuts).BackColor(), platform::vbWindowBackground);

    // Keys: a digit typed into a field is text; on a check box it is a command.
    ASSERT_TRUE(driver.focus(w().PrinterTallyText(tally::kKnifeCuts)));
    ASSERT_TRUE(driver.pressKey(w(), '1'));
    EXPECT_TRUE(messages.empty());
    ASSERT_TRUE(driver.focus(w().PrinterTally(tally::kKnifeCuts)));
    messageKeys.push_back('0');
    ASSERT_TRUE(driver.pressKey(w(), '1'));
    EXPECT_EQ(messages.size(), 1u) << "Apply asks first";
    ASSERT_TRUE(driver.pressKey(w(), platform::vbKeyF2));
    EXPECT_EQ(w().ActiveControl(), &w().PrinterTallyText(tally::kKnifeCuts));
    ASSERT_TRUE(driver.pressKey(w(), platform::vbKeyF1));
    ASSERT_TRUE(driver.pressKey(w(), platform::vbKeyReturn));
    EXPECT_EQ(w().PrinterTally(tally::kKnifeCuts).Value(), 0);
}

TEST_F(TallyWindow, StatusPollByLinkAndTheEventsThatTakeThePrinterOffline) {
    struct Case {
        Link link;
        std::string poll;
        int polls;
    } cases[] = {{Link::Lan, "GS EOT 1", 3}, {Link::Usb, "GS r 1", 3}, {Link::Serial, "GS EOT 1", 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(shelltest::linkName(c.link));
        reopen(c.link, 0);
        printer.clearLog();
        idle(9100);
        EXPECT_EQ(countCommand(c.poll), c.polls);
        EXPECT_EQ(w().PrinterOnlineText.Text(), "Online");
    }
    w().m_MainComm_OnStatusUpdated(printerlink::kLanTimeoutStatus);
    EXPECT_EQ(w().PrinterOnlineText.Text(), "Offline");
    EXPECT_FALSE(w().ClearUserAreaButton.Enabled());
    EXPECT_FALSE(w().PrinterIDGroup.Enabled());
}

TEST_F(TallyWindow, UserAreasDiagnosticFormAndTheClosingCommandByLink) {
    reopen(Link::Usb, 14);
    rawSince();
    ASSERT_TRUE(driver.click(w().ClearUserDefinedArea));
    ASSERT_TRUE(driver.click(w().ClearUserAreaButton));
    ASSERT_TRUE(driver.click(w().PrintFormButton));
    ASSERT_TRUE(driver.click(w().CloseButton));
    const Strings reports = rawSince();
    ASSERT_EQ(reports.size(), 4u);
    EXPECT_EQ(reports[0].substr(0, 14), "08 04 1D 40 31");
    EXPECT_EQ(reports[1].substr(0, 14), "08 04 1D 40 32");
    EXPECT_EQ(reports[2].substr(0, 17), "08 05 1F 74 00 01");
    EXPECT_EQ(reports[3].substr(0, 14), "08 04 1D 1F 00") << "framed, not taken for a report ID";

    reopen(Link::Serial, 0);
    messageKeys = {'0', '0'};
    notices.clear();
    rawSince();
    ASSERT_TRUE(driver.click(w().ClearUserDefinedArea));  // notice, then No
    ASSERT_TRUE(driver.click(w().ClearUserAreaButton));   // No, no notice
    EXPECT_EQ(notices.size(), 1u);
    ASSERT_TRUE(driver.click(w().PrintFormButton));
    EXPECT_EQ(rawSince(), (Strings{"10 04 02", "10 04 02", "10 04 02", "1F 74"}));
}

// A status request the printer never answered, left behind by an operation
// declined before its test, must not eat the next opening's read.
TEST_F(TallyWindow, UnansweredStatusRequestDoesNotOutliveTheWindow) {
    connect(Link::Serial);
    openTally();
    setTally(tally::kKnifeCuts, "5");
    printer.setReply(shell::RealTimeStatusCommand, {});
    messageKeys.push_back('0');
    ASSERT_TRUE(driver.click(w().ApplyButton));
    ASSERT_TRUE(driver.click(w().CloseButton));
    printer.clearReplies();
    openTally();
    EXPECT_EQ(idTexts()[1], "SN00012345");
    EXPECT_EQ(w().PrinterTallyText(tally::kKnifeCuts).Text(), "678");
}

TEST_F(TallyWindow, TallyReplyThatIsNoNumberShowsZeroAndEightDigitsShowWhole) {
    connect(Link::Serial);
    printer.tally().counters[tally::kHoursOn] = 99999999;
    openTally();
    ASSERT_TRUE(driver.click(w().PrinterTally(tally::kKnifeCuts)));
    printer.setReply({0x1D, 0x49, 0x40, 0x87}, {0x87, '1', '2', '3', '4', '5', '6', '7', 'A', 0x0D});
    ASSERT_TRUE(driver.click(w().ClearTallyButton));  // read again after the clear
    idle(100);
    EXPECT_EQ(w().PrinterTallyText(tally::kKnifeCuts).Text(), "0");
    EXPECT_EQ(w().PrinterTallyText(tally::kHoursOn).Text(), "99999999");
}

}  // namespace
}  // namespace tallytest
