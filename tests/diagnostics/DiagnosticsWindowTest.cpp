// The diagnostics window as a whole: opening and closing, keys, the buttons
// each model has, and the serial link check of its tests.
#include "DiagnosticsTestSupport.h"

#include "link/LinkFlags.h"
#include "platform/forms/Keys.h"

namespace diagtest {
namespace {

constexpr int kF1 = 112;

using DiagnosticsWindow = DiagnosticsWorld;

TEST_F(DiagnosticsWindow, OpensWithInitAndGsUs0BeforeTheFirstPollAndAlwaysClosesWithGsUs0) {
    for (Link link : {Link::Serial, Link::Lan, Link::Usb}) {
        SCOPED_TRACE(linkName(link));
        auto& w = open(link);
        EXPECT_EQ(w.Caption(), " Diagnose POS Printer");
        runFor(1500);
        const Strings commands = printer.commands();
        ASSERT_GE(commands.size(), 3u);
        EXPECT_EQ(Strings(commands.begin(), commands.begin() + 2), (Strings{"ESC @", "GS US 0"}));
        EXPECT_EQ(commands[2], link == Link::Usb ? "ESC v" : "GS EOT 1");
        if (link == Link::Usb) {
            EXPECT_EQ(Bytes(printer.log()[0].raw.begin(), printer.log()[0].raw.begin() + 4),
                      (Bytes{0x08, 0x03, 0x1B, 0x40}));
            EXPECT_EQ(Bytes(printer.log()[1].raw.begin(), printer.log()[1].raw.begin() + 5),
                      (Bytes{0x08, 0x04, 0x1D, 0x1F, 0x00}));
        }
        EXPECT_EQ(w.PrinterOnlineText.Text(), "Online");
        ASSERT_TRUE(driver.click(w.CloseButton));
        EXPECT_FALSE(w.isLoaded());
        runFor(kWireMs);
        EXPECT_EQ(printer.commands().back(), "GS US 0");
        disconnect();
    }
}

TEST_F(DiagnosticsWindow, DiagnoseButtonOpensItModallyAndKeyZeroClosesIt) {
    connect(Link::Lan);
    mainWindow().workWindows.diagnose = diagnostics::OpenDiagnosePrinterDlg;
    std::string caption;
    driver.answerNext([&](platform::Form& form) {
        caption = dynamic_cast<diagnostics::DiagnosePrinterDlg&>(form).PrinterOnline.Caption();
        driver.pressKey(form, '0');
    });
    ASSERT_TRUE(clickButton(kDiagnoseButton));
    EXPECT_EQ(driver.modalLog().back(), "DiagnosePrinterDlg");
    EXPECT_EQ(caption, " 3640( 80.0mm) Printer on Ethernet:");
    EXPECT_EQ(countCommand("GS US 0"), 2);
}

TEST_F(DiagnosticsWindow, KeysOneAndTwoActEvenWhenDisabledTheOthersOnlyWhenEnabled) {
    auto& w = open(Link::Lan);
    w.ReceiptButton.setEnabled(false);
    w.ColorPrintButton.setEnabled(false);
    driver.pressKey(w, '1');
    EXPECT_EQ(paper().back(), "cut");
    printer.paper().clear();
    driver.pressKey(w, '3');
    driver.pressKey(w, kF1, platform::vbShiftMask);
    EXPECT_TRUE(messages.empty());
    EXPECT_TRUE(paper().empty());
    driver.pressKey(w, kF1);
    EXPECT_EQ(paper(), (Strings{"drawer 0 100 100", "drawer 1 100 100"}));
}

TEST_F(DiagnosticsWindow, ButtonsAndPanelFollowThePrinterTypeOrTheUsbModel) {
    // Buttons: Receipt, Form, Color, TwoSide, Logo, Slip, MICR, Flip, Scan,
    // Drawer; then whether the slip station and kiosk groups are usable.
    struct Case {
        int type;
        const char* byType;  // over TCP, the type decides
        // Over USB HID with "Any HID USB POS Printer" the identifier does; the
        // USB product list counts the 3640 and 3680 as two-station printers,
        // which enables their Two Side button when the window opens.
        const char* byModel;
        bool slip, kiosk;
    } cases[] = {
        {0, "123-5678-0", "12345678-0", true, false},  {1, "123-567890", "12345678-0", true, false},
        {2, "123-5678-0", "12345678-0", true, false},  {3, "12345678-0", "12345678-0", true, false},
        {4, "12345678-0", "12345678-0", true, false},  {5, "123-5----0", "12345----0", false, false},
        {6, "123-5----0", "12345----0", false, false}, {7, "12345----0", "12345----0", false, false},
        {8, "12345----0", "12345----0", false, false}, {9, "12345-----", "12345-----", false, true},
        {10, "123-5-----", "123-5-----", false, true}, {11, "123-5-----", "123-5-----", false, true},
        {12, "12345-----", "12345-----", false, true}, {14, "12--5-----", "12--5-----", false, true},
        {15, "12345-----", "12345-----", false, true}, {16, "123-5----0", "123-5----0", false, false},
    };
    for (const Case& c : cases) {
        for (Link link : {Link::Lan, Link::Usb}) {
            SCOPED_TRACE(std::to_string(c.type) + " " + linkName(link));
            auto& w = open(link, c.type, 0, true);
            EXPECT_EQ(enabledButtons(), link == Link::Lan ? c.byType : c.byModel);
            EXPECT_EQ(w.SelectedStationText.Enabled(), c.slip);
            EXPECT_EQ(w.KioskStatusGroup.Enabled(), c.kiosk);
            disconnect();
        }
    }
}

TEST_F(DiagnosticsWindow, SerialTestsCheckTheLinkBehindATwoSecondNotice) {
    auto& w = open(Link::Serial);
    ASSERT_TRUE(driver.click(w.ReceiptButton));
    ASSERT_EQ(notices.size(), 1u);
    EXPECT_EQ(notices[0].text, "Checking the printer is connected or not...");
    EXPECT_DOUBLE_EQ(notices[0].shownMs(), 2000.0);
    EXPECT_EQ(countCommand("DLE EOT 2"), 1) << "one click asks once";
    EXPECT_EQ(paper().back(), "cut");
    EXPECT_FALSE(printerlink::statusHandshake.bDiagStatusAnswered);
    EXPECT_TRUE(w.isLoaded());
}

TEST_F(DiagnosticsWindow, SilentSerialPrinterEndsTheTestAndTheWindow) {
    // Every serial procedure that checks the link gives up the same way,
    // clicked at once; the print tests also while a poll the printer left
    // unanswered is owed: the click asks when that poll is given up. A lost
    // answer is no lost link: the check is asked again once, briefly, unless
    // the poll's was lost already; the window ends within about 7 s.
    void (diagnostics::DiagnosePrinterDlg::*clicks[])() = {
        &diagnostics::DiagnosePrinterDlg::ReceiptButton_Click, &diagnostics::DiagnosePrinterDlg::PrintFormButton_Click,
        &diagnostics::DiagnosePrinterDlg::ColorPrintButton_Click, &diagnostics::DiagnosePrinterDlg::TwoSideButton_Click,
        &diagnostics::DiagnosePrinterDlg::DrawerButton_Click,     &diagnostics::DiagnosePrinterDlg::MICRButton_Click,
        &diagnostics::DiagnosePrinterDlg::FlipButton_Click};
    for (int i = 0; i < 14; ++i) {
        const auto click = clicks[i % 7];
        const int silentMs = i < 7 ? 0 : 1200;  // then a poll went out unanswered
        SCOPED_TRACE(testing::Message() << "procedure " << i % 7 << ", silent " << silentMs << " ms before");
        auto& w = open(Link::Serial, 3);
        printerlink::bAutoReconnect = true;
        mainWindow().bConnectButton = false;
        printer.setReplyFault(sim::ReplyFault::Silent);
        if (silentMs > 0) runFor(silentMs);  // a zero interval is no timer
        messages.clear();
        const platform::Micros clickedAt = clock.now();
        {
            platform::Form::HandlerScope scope(w);
            (w.*click)();
        }
        EXPECT_LE(elapsedMs(clickedAt), 7500.0);
        EXPECT_EQ(countCommand("DLE EOT 2"), silentMs > 0 ? 1 : 2);
        EXPECT_EQ(messageTexts(), Strings{shell::kLostLinkMessage});
        EXPECT_TRUE(printerlink::bLinkLost);
        EXPECT_FALSE(printerlink::bAutoReconnect);
        EXPECT_TRUE(mainWindow().bConnectButton);
        EXPECT_FALSE(w.isLoaded());
        EXPECT_TRUE(paper().empty());
        EXPECT_EQ(printCommands(), (Strings{"ESC @", "GS US 0", "GS US 0"}));
        printer.setReplyFault(sim::ReplyFault::None);
        ASSERT_TRUE(clickButton(kDisconnectButton));
    }
}

// The slip print checks no link, so its answer is left unread: it must not
// pass the check of a later test on a printer that has since gone silent.
TEST_F(DiagnosticsWindow, AnAnswerLeftUnreadPassesNoLaterLinkCheck) {
    auto& w = open(Link::Serial, 0);
    setSlipDocument(printer.status(), sim::SlipDocument::Inserted);
    ASSERT_TRUE(driver.click(w.SlipButton));
    ASSERT_EQ(paper().back(), "slip eject");
    printer.setReplyFault(sim::ReplyFault::Silent);
    printer.paper().clear();
    messages.clear();
    ASSERT_TRUE(driver.click(w.ReceiptButton));
    EXPECT_EQ(messageTexts(), Strings{shell::kLostLinkMessage});
    EXPECT_FALSE(w.isLoaded());
    EXPECT_TRUE(paper().empty());
}

TEST_F(DiagnosticsWindow, M27xDrawerOnASerialLinkShowsTheNoticeAndSendsNothing) {
    auto& w = open(Link::Serial, 14);
    w.DrawerButton_Click();
    EXPECT_EQ(notices.size(), 1u);
    EXPECT_TRUE(paper().empty());
    EXPECT_TRUE(w.isLoaded());
    // Its answer must not pass a later test's check.
    EXPECT_FALSE(printerlink::statusHandshake.bDiagStatusAnswered);
}

}  // namespace
}  // namespace diagtest
