// Writing ID items and tallies, with and without the printed confirmation,
// the input check before it, and the serial link check in front of it.
#include "TallyTestSupport.h"

#include <algorithm>

namespace tallytest {
namespace {

constexpr const char* kApplyQuestion =
    "Apply the selected ID and/or tally item(s) to the POS printer.\r\nDo you wish to continue?";

class TallyWrite : public TallyWorld {
protected:
    // The GS I @ writes and the feed and cut among the printer's commands.
    Strings writesSince() {
        idle(100);
        Strings out;
        for (const std::string& name : commandsSince())
            if (name.find("write") != std::string::npos || name.rfind("ESC d", 0) == 0 || name.rfind("GS V", 0) == 0 ||
                name == "LF")
                out.push_back(name);
        return out;
    }
};

TEST_F(TallyWrite, ApplyAndApplyAndPrintSendEachTickedItemPaddedOnEveryLink) {
    for (Link link : {Link::Serial, Link::Lan, Link::Usb}) {
        SCOPED_TRACE(shelltest::linkName(link));
        connect(link);
        openTally();
        setId(0, "AB");
        setId(1, "");
        setTally(tally::kReceiptLines, "42");
        setTally(tally::kHoursOn, "12345678");
        ASSERT_TRUE(driver.click(w().PrinterTally(tally::kMaxTemp)));  // read and clear only
        commandsSince();
        ASSERT_TRUE(driver.click(w().ApplyButton));
        EXPECT_EQ(writesSince(), (Strings{"GS I @ 24 (write class and model 'AB             ')",
                                          "GS I @ 20 (write serial number '          ')",
                                          "GS I @ 80 (write receipt lines '00000042')",
                                          "GS I @ 90 (write hours on '12345678')"}));
        EXPECT_EQ(printer.tally().counters[tally::kReceiptLines], 42u);
        EXPECT_EQ(printer.tally().serialNumber, "          ");
        ASSERT_TRUE(driver.click(w().ApplyAndPrintButton));
        EXPECT_EQ(writesSince(), (Strings{"GS I @ 25 (write and print class and model 'AB             ')",
                                          "GS I @ 21 (write and print serial number '          ')",
                                          "GS I @ 81 (write and print receipt lines '00000042')",
                                          "GS I @ 91 (write and print hours on '12345678')", "ESC d 3", "GS V 0"}));
        const Strings onPaper = printer.paper().describe();
        EXPECT_TRUE(std::any_of(onPaper.begin(), onPaper.end(),
                                [](const std::string& item) { return item.ends_with(" 12345678"); }));
        ASSERT_TRUE(driver.click(w().CloseButton));
        ASSERT_TRUE(clickButton(2));
    }
}

TEST_F(TallyWrite, KioskTalliesGoOutWithTheKioskCodes) {
    connect(Link::Lan, 9);
    openTally();
    setTally(tally::kScanTimes, "7");
    w().PrinterTally(tally::kSlipLines).setValue(1);  // disabled on this model; ticked in code
    commandsSince();
    ASSERT_TRUE(driver.click(w().ApplyButton));
    ASSERT_TRUE(driver.click(w().ApplyAndPrintButton));
    const Strings written = writesSince();
    ASSERT_GE(written.size(), 4u);
    EXPECT_EQ(Strings(written.begin(), written.begin() + 4),
              (Strings{"GS I @ C8 (write slip lines / paper jams '00000090')",
                       "GS I @ C4 (write scan times / partial knife cut '00000007')",
                       "GS I @ C9 (write and print slip lines / paper jams '00000090')",
                       "GS I @ C5 (write and print scan times / partial knife cut '00000007')"}));
}

TEST_F(TallyWrite, Type16WritesThenPrintsEachItemWithALabelLineOnTcpOnly) {
    for (Link link : {Link::Lan, Link::Serial}) {
        SCOPED_TRACE(shelltest::linkName(link));
        connect(link, 16);
        openTally();
        setId(1, "X9");
        setTally(tally::kKnifeCuts, "5");
        commandsSince();
        ASSERT_TRUE(driver.click(w().ApplyAndPrintButton));
        Strings expected = {"GS I @ 20 (write serial number 'X9        ')",
                            "GS I @ 21 (write and print serial number 'X9        ')",
                            "GS I @ 84 (write knife cuts '00000005')",
                            "GS I @ 85 (write and print knife cuts '00000005')", "ESC d 8", "GS V 0"};
        if (link == Link::Lan) expected.insert(expected.begin() + 1, "LF");
        idle(100);
        const Bytes label = platform::toBytes("Serial Number:\r\n");
        const Bytes stream = streamReceivedByPrinter();
        EXPECT_EQ(std::search(stream.begin(), stream.end(), label.begin(), label.end()) != stream.end(),
                  link == Link::Lan);
        EXPECT_EQ(writesSince(), expected);
        ASSERT_TRUE(driver.click(w().CloseButton));
        ASSERT_TRUE(clickButton(2));
    }
}

// Code may set a text longer than a user can type; on USB HID its write
// does not fit one report and must still be framed only once.
TEST_F(TallyWrite, IdTextLongerThanOneReportGoesOutFramedOnce) {
    connect(Link::Usb);
    openTally();
    ASSERT_TRUE(driver.click(w().PrinterID(0)));
    w().PrinterIDText(0).setText(std::string(70, 'A'));
    printer.clearLog();
    ASSERT_TRUE(driver.click(w().ApplyButton));
    idle(100);
    const auto& log = printer.log();
    const auto write = std::find_if(log.begin(), log.end(), [](const auto& entry) {
        return platform::hexBytes(entry.raw).find("1D 49 40 24") != std::string::npos;
    });
    ASSERT_NE(write, log.end());
    EXPECT_EQ(platform::hexBytes(write->raw).substr(0, 17), "08 3D 1D 49 40 24");
}

TEST_F(TallyWrite, InvalidTextIsRefusedBeforeAnythingIsAsked) {
    struct Case {
        bool id;
        int index;
        std::string text;
        std::string rule;
    } cases[] = {
        {true, 0, "AB\x07", "Valid data is 15 digits ASCII value."},
        {true, 1, "\xE9t\xE9", "Valid data is 10 digits ASCII value."},
        {false, tally::kKnifeJams, "12a", "Valid data is 8 digits numeric value."},  // not ticked
        {false, tally::kReceiptLines, "-1", "Valid data is 8 digits numeric value."},
    };
    connect(Link::Lan);
    openTally();
    ASSERT_TRUE(driver.click(w().PrinterTally(tally::kReceiptLines)));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        platform::TextBox& box = c.id ? w().PrinterIDText(c.index) : w().PrinterTallyText(c.index);
        const std::string before = box.Text();
        box.setText(c.text);
        messages.clear();
        commandsSince();
        for (platform::CommandButton* b : {&w().ApplyButton, &w().ApplyAndPrintButton, &w().ClearTallyButton}) {
            ASSERT_TRUE(driver.click(*b));
            EXPECT_EQ(messageTexts().back(), "Invalid data is entered.\r\n" + c.rule);
        }
        EXPECT_EQ(messages.size(), 3u) << "no confirmation";
        EXPECT_EQ(w().ActiveControl() == &box, box.canTakeFocus());
        EXPECT_TRUE(commandsSince().empty());
        box.setText(before);
    }
}

TEST_F(TallyWrite, SerialLinkCheckPassesThenFailsWhenThePrinterIsGone) {
    connect(Link::Serial);
    openTally();
    setTally(tally::kKnifeCuts, "3");
    ASSERT_TRUE(driver.click(w().ApplyButton));
    EXPECT_EQ(messageTexts(), Strings{kApplyQuestion});
    ASSERT_EQ(notices.size(), 1u);
    EXPECT_EQ(notices[0].text, tally::ViewTallyDlg::kLinkCheckNotice);
    EXPECT_DOUBLE_EQ(notices[0].shownMs(), 800.0);
    idle(100);
    EXPECT_EQ(printer.tally().counters[tally::kKnifeCuts], 3u);

    printer.setReplyFault(sim::ReplyFault::Silent);
    printerlink::bAutoReconnect = true;
    messages.clear();
    commandsSince();
    ASSERT_TRUE(driver.click(w().ApplyButton));
    EXPECT_EQ(messageTexts(), (Strings{kApplyQuestion, shell::kLostLinkMessage}));
    EXPECT_TRUE(writesSince().empty());
    EXPECT_FALSE(w().isLoaded());
    EXPECT_TRUE(mainWindow().bConnectButton);
    EXPECT_FALSE(printerlink::bAutoReconnect);
}

}  // namespace
}  // namespace tallytest
