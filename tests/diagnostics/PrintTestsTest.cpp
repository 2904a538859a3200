// The print tests as the printer receives them and as they come out on
// paper, decoded by the simulated printer's own command table.
#include "BitmapFiles.h"
#include "DiagnosticsTestSupport.h"

#include "diagnostics/AXOLogo.h"
#include "platform/Application.h"

namespace diagtest {
namespace {


std::string dashes(int n) { return std::string(static_cast<std::size_t>(n), '-'); }

std::string characterLine() {
    std::string line;
    for (int c = 32; c <= 255; ++c) line += static_cast<char>(c);
    return line;
}

const Strings kLogoAndBarcode = {
    "image m33 288x24", "image m33 288x24", "image m33 288x24", "image m33 288x24",
    "line c00: " + dashes(44), "line c00: UPC-A: 046066500146", "barcode 65 046066500146"};

class PrintTests : public DiagnosticsWorld {
protected:
    // The time of the n-th (from 0) log entry that decoded `name`, or -1.
    platform::Micros timeOf(const std::string& name, int n = 0) const {
        for (const auto& entry : printer.log())
            for (const auto& c : entry.decoded)
                if (c == name && n-- == 0) return entry.at;
        return -1;
    }
};

TEST_F(PrintTests, ReceiptDecodesTheSameOnEveryLinkForASlipAndAKioskModel) {
    Strings expected = kLogoAndBarcode;
    expected.insert(expected.end(), {"feed 8", "cut"});
    for (int type : {0, 9}) {
        Strings serialCommands;
        for (Link link : {Link::Serial, Link::Lan, Link::Usb}) {
            SCOPED_TRACE(std::to_string(type) + " " + linkName(link));
            auto& w = open(link, type);
            ASSERT_TRUE(driver.click(w.ReceiptButton));
            EXPECT_EQ(paper(), expected);
            // The slip model selects its receipt station first. The NUL
            // that ends each picture band may be lost as report padding.
            Strings commands = printCommands();
            std::erase(commands, "NUL");
            EXPECT_EQ(std::count(commands.begin(), commands.end(), "ESC c 48 1"), type == 0 ? 1 : 0);
            if (link == Link::Serial) serialCommands = commands;
            EXPECT_EQ(commands, serialCommands);
            if (link == Link::Usb) {
                for (const auto& entry : printer.log()) EXPECT_NE(entry.framing, "unframed");
            }
            disconnect();
        }
    }
}

TEST_F(PrintTests, TheLogoPrintsDotForDotAsTheWindowHoldsIt) {
    open(Link::Usb);
    window->Printer.PrintPictureBitmap(window->AXOLogo.Picture(), 33);
    runFor(kWireMs);
    const auto& items = printer.paper().items();
    ASSERT_EQ(items.size(), 4u);
    const platform::PictureData& logo = *window->AXOLogo.Picture();
    for (int y = 0; y < 96; ++y)
        for (int x = 0; x < 288; ++x) {
            const auto& band = items[static_cast<std::size_t>(y / 24)];
            const bool printed = band.dots[static_cast<std::size_t>((y % 24) * 288 + x)] != 0;
            const bool black = x < logo.width && y < logo.height &&
                               logo.pixels[static_cast<std::size_t>(y * logo.width + x)] == 0xFF000000u;
            ASSERT_EQ(printed, black) << x << "," << y;
        }
}

TEST_F(PrintTests, TwoColourTestPrintsTheBodyTwiceAndResetsTheOptionAfterTwentySeconds) {
    auto& w = open(Link::Lan, 0);
    ASSERT_TRUE(driver.click(w.ColorPrintButton));
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text.substr(0, 56), "To perform two color print, the following should be met:");
    const std::string title = platform::app().title();
    const std::string version = "Version " + std::to_string(platform::app().major()) + "." +
                                std::to_string(platform::app().minor()) + "." +
                                std::to_string(platform::app().revision());
    const std::string chars = characterLine();
    const Strings pass = {
        "line c00: " + dashes(44),
        // The description is wider than the line and wraps at its last blank.
        "line c00: AXO 3640 Printer: Thermal Receipt, Impact",
        "line c00: Slip",
        "line c00: 80.0mm Thermal Receipt",
        "line c00: " + dashes(44),
        "line c00: " + title,
        "line c00: " + version,
        "line c00: " + dashes(44),
        "line c00: Code Page 437 : US-English",
        "line c00: Columns per Line: 44",
        "line c00: SH/SW: 0123456789:;<=>?@ABCDEFGHIJKLMNOPQRST",
        "line c10: DH/SW: 0123456789:;<=>?@ABCDEFGHIJKLMNOPQRST",
        "line c20: SH/DW: 0123456789:;<=>",
        "line c30: DH/DW: 0123456789:;<=>",
        "line c00: " + dashes(44),
        "line l00: " + chars,
        "line l00: " + dashes(44),
        "line c01: Code Page 437 : US-English",
        "line c01: Columns per Line: 56",
        "line c01: SH/SW: 0123456789:;<=>?@ABCDEFGHIJKLMNOPQRSTUVWXYZ[\\]^_`",
        "line c11: DH/SW: 0123456789:;<=>?@ABCDEFGHIJKLMNOPQRSTUVWXYZ[\\]^_`",
        "line c21: SH/DW: 0123456789:;<=>?@ABCD",
        "line c31: DH/DW: 0123456789:;<=>?@ABCD",
        "line c01: " + dashes(56),
        "line l01: " + chars,
        "line l01: " + dashes(56),
        "line c00: AXOLOGO.BMP (W:263 x H:77 dots)",
    };
    Strings expected = {"colour option 1", "line c00: " + dashes(44), "line c00: Print in Black"};
    expected.insert(expected.end(), pass.begin(), pass.end());
    expected.insert(expected.end(), kLogoAndBarcode.begin(), kLogoAndBarcode.end());
    expected.insert(expected.end(), {"feed 8", "cut"});
    const Strings blackPass = expected;
    const Strings got = paper();
    ASSERT_GT(got.size(), blackPass.size());
    EXPECT_EQ(Strings(got.begin(), got.begin() + static_cast<std::ptrdiff_t>(blackPass.size())), blackPass);
    // The second pass in the second colour, then the option back to
    // monochrome after the blocking sleep, with nothing sent in between.
    EXPECT_EQ(got[blackPass.size() + 1], "line c00 colour 1: Print in Second Color");
    EXPECT_EQ(got.size(), 2 * blackPass.size());
    EXPECT_EQ(got.back(), "colour option 0");
    const platform::Micros lastCut = timeOf("GS V 0", 1);
    const platform::Micros reset = timeOf("set parameters 37=00");
    EXPECT_GE(reset - lastCut, 20'000'000);
    for (const auto& entry : printer.log())
        EXPECT_FALSE(entry.at > lastCut + 1'000'000 && entry.at < reset - 1'000'000) << entry.decoded.size();
}

TEST_F(PrintTests, ReceiptBodyColumnsFollowPaperWidthFontAndStation) {
    struct Case {
        int type, paperEntry;
        bool receipt;
        int fontA, fontB;
    } cases[] = {{0, 0, true, 44, 56},  {0, 1, true, 32, 42}, {14, 1, true, 45, 59},
                 {14, 2, true, 64, 83}, {0, 0, false, 45, 55}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.type) + "/" + std::to_string(c.paperEntry) + (c.receipt ? " receipt" : " slip"));
        auto& w = open(Link::Lan, c.type, c.paperEntry);
        bool receipt = c.receipt;
        w.Printer.PrintReceiptTestBody(receipt);
        runFor(kWireMs);
        std::vector<std::size_t> widths;  // the columns lines and the four size lines of each font
        for (const auto& item : printer.paper().items()) {
            if (item.text.rfind("Columns per Line: ", 0) == 0) widths.push_back(std::stoul(item.text.substr(18)));
            if (item.text.size() > 5 && (item.text.substr(2, 3) == "/SW" || item.text.substr(2, 3) == "/DW"))
                widths.push_back(item.text.size());
        }
        const auto a = static_cast<std::size_t>(c.fontA), b = static_cast<std::size_t>(c.fontB);
        EXPECT_EQ(widths, (std::vector<std::size_t>{a, a, a, a / 2, a / 2, b, b, b, b / 2, b / 2}));
        disconnect();
    }
}

TEST_F(PrintTests, TwoColourAskedNoOrOnTheM27xSendsNothing) {
    messageKeys.push_back('0');
    auto& w = open(Link::Lan, 0);
    w.ColorPrintButton_Click();
    EXPECT_EQ(messages.size(), 1u);
    EXPECT_EQ(printCommands(), (Strings{"ESC @", "GS US 0"}));
    disconnect();
    messages.clear();
    auto& m27x = open(Link::Usb, 14);
    m27x.ColorPrintButton_Click();
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(printCommands(), (Strings{"ESC @", "GS US 0"}));
}

TEST_F(PrintTests, TwoSidedTestOnlyForItsThreeTypesWithItsSideCommands) {
    struct Case {
        Link link;
        int type;
        bool prints;
        bool sleeps;
    } cases[] = {{Link::Lan, 3, true, true},   {Link::Usb, 9, true, true},     {Link::Serial, 4, true, false},
                 {Link::Lan, 7, false, false}, {Link::Serial, 12, false, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.type) + " " + linkName(c.link));
        auto& w = open(c.link, c.type);
        w.TwoSideButton_Click();
        const Strings got = paper();
        if (!c.prints) {
            EXPECT_TRUE(got.empty());
        } else {
            ASSERT_GT(got.size(), 40u);
            EXPECT_EQ(Strings(got.begin(), got.begin() + 2), (Strings{"two-sided 2", "side 0"}));
            const auto side1 = std::find(got.begin(), got.end(), "side 1");
            ASSERT_NE(side1, got.end());
            EXPECT_EQ(Strings(side1 - 6, side1), Strings(6, "line l00: "));
            EXPECT_EQ(Strings(got.end() - 2, got.end()), (Strings{"feed 15", "cut"}));
            const platform::Micros gap = timeOf("ESC @", 2) - timeOf("GS V 0");
            EXPECT_EQ(gap >= 5'000'000, c.sleeps) << gap;
        }
        disconnect();
    }
}

TEST_F(PrintTests, DrawerPulsesBothPinsOnEveryLink) {
    for (Link link : {Link::Serial, Link::Lan, Link::Usb}) {
        SCOPED_TRACE(linkName(link));
        auto& w = open(link);
        ASSERT_TRUE(driver.click(w.DrawerButton));
        EXPECT_EQ(paper(), (Strings{"drawer 0 100 100", "drawer 1 100 100"}));
        if (link == Link::Usb) {
            const auto& log = printer.log();
            const Bytes first{0x08, 0x06, 0x1B, 0x70, 0x00, 0x64, 0x64}, second{0x08, 0x06, 0x1B, 0x70, 0x01, 0x64, 0x64};
            int found = 0;
            for (const auto& entry : log)
                found += Bytes(entry.raw.begin(), entry.raw.begin() + 7) == (found == 0 ? first : second);
            EXPECT_EQ(found, 2);
        }
        disconnect();
    }
}

TEST_F(PrintTests, CommandBuildersOnUsbHidAreFramedOnce) {
    struct Case {
        std::function<void(diagnostics::DiagnosePrinterDlg&)> call;
        Bytes report;  // the first output report, before its padding
    } cases[] = {
        {[](auto& w) { w.Printer.InitializePrinter(); }, {0x08, 0x03, 0x1B, 0x40}},
        {[](auto& w) { w.Printer.SendGsUs0(); }, {0x08, 0x04, 0x1D, 0x1F, 0x00}},
        {[](auto& w) { w.Printer.EjectSlip(); }, {0x08, 0x02, 0x0C}},
        {[](auto& w) { w.Printer.SetColorOption(true); }, {0x08, 0x06, 0x1F, 0x11, 0x37, 0x01, 0xFF}},
        {[](auto& w) { w.Printer.SetPrintMode(4, false); }, {0x08, 0x04, 0x1B, 0x21, 0x00}},
        {[](auto& w) { w.Printer.SetPrintMode(3, true); }, {0x08, 0x04, 0x1B, 0x21, 0x31}},
        {[](auto& w) { w.Printer.SetAlignment(7); }, {0x08, 0x04, 0x1B, 0x61, 0x00}},
        {[](auto& w) { w.Printer.SelectPaperStation(1); }, {0x08, 0x05, 0x1B, 0x63, 0x30, 0x04}},
        {[](auto& w) { w.Printer.PrintBarcode(65, "046066500146"); },
         {0x08, 0x04, 0x1D, 0x48, 0x02}},
    };
    auto& w = open(Link::Usb, 0);
    w.StatusPollTimer.setEnabled(false);
    for (const Case& c : cases) {
        printer.clearLog();
        c.call(w);
        runFor(kWireMs);
        ASSERT_FALSE(printer.log().empty());
        const Bytes& raw = printer.log()[0].raw;
        EXPECT_EQ(Bytes(raw.begin(), raw.begin() + static_cast<std::ptrdiff_t>(c.report.size())), c.report);
    }
    // The bar code's head and digits go as one report.
    const Bytes& last = printer.log().back().raw;
    EXPECT_EQ(Bytes(last.begin(), last.begin() + 6), (Bytes{0x08, 0x11, 0x1D, 0x6B, 0x41, 0x0C}));
}

TEST_F(PrintTests, LinesLongerThanOneReportArriveWhole) {
    // The 114 mm M27x: 83 hyphens and CR LF do not fit one USB HID report.
    auto& w = open(Link::Usb, 14, 2);
    w.Printer.PrintSeparatorLine({.fontB = true});
    w.Printer.PrintSeparatorLine();
    w.Printer.PrintTextLine(std::string(61, 'x'), {.wrap = false});  // 63 bytes with its CR LF
    EXPECT_EQ(paper(), (Strings{"line l00: " + dashes(83), "line l00: " + dashes(64), "line l00: " + std::string(61, 'x')}));
}

TEST_F(PrintTests, SlipStationAndEjectOnlyForSlipModels) {
    for (int type : {4, 5}) {
        auto& w = open(Link::Lan, type);
        w.Printer.SelectPaperStation(0);
        w.Printer.EjectSlip();
        const Strings expected = type == 4 ? Strings{"ESC @", "GS US 0", "ESC c 48 1", "ESC c 49 1", "FF"}
                                           : Strings{"ESC @", "GS US 0"};
        EXPECT_EQ(printCommands(), expected);
        disconnect();
    }
}

// A serial printer switched off (CTS and DSR drop, the port stays open) just
// after a test began: the test stops at the first send that sat out its
// wait, and the window shows the printer offline.
TEST_F(PrintTests, SerialPrinterSwitchedOffStopsTheTest) {
    using Dlg = diagnostics::DiagnosePrinterDlg;
    const struct {
        platform::CommandButton Dlg::*button;
        int type;
    } tests[] = {{&Dlg::ReceiptButton, 0}, {&Dlg::ColorPrintButton, 0}, {&Dlg::TwoSideButton, 3}};
    for (const auto& t : tests) {
        SCOPED_TRACE(t.type);
        auto& w = open(Link::Serial, t.type);
        printer.scheduler().after(300'000, [this] { printer.removeDevice(); });
        const platform::Micros t0 = clock.now();
        ASSERT_TRUE(driver.click(w.*t.button));
        EXPECT_LT(elapsedMs(t0), 15000.0);
        EXPECT_EQ(w.PrinterOnlineText.Text(), "Offline");
        printer.restoreDevice();
        disconnect();
    }
}

// Closed while a test waits (for the printer's answer, for its turn behind a
// poll a silent printer left owed, in the sleep after a slip print, for the
// answer to a logo's erase or flash status or to a scan's clear): the
// window goes at once, and the printer gets nothing more than the close's
// own GS US 0, nor the technician another notice or message.
TEST_F(PrintTests, ClosingTheWindowStopsTheTest) {
    using Dlg = diagnostics::DiagnosePrinterDlg;
    struct Case {
        const char* name;
        Link link;
        platform::CommandButton Dlg::*button;
        // The command whose arrival starts closeMs; nullptr: the click, on a
        // printer silent since before the last poll.
        const char* closeAfter;
        int closeMs;
        bool queued = true;  // pressed through the loop, as input comes; else right then
        // What the printer gets after the press: the window's GS US 0, and
        // the receipt station selected back, which prints nothing.
        Strings after = {"GS US 0"};
        int type = 0;
        Bytes unanswered = {};  // a command the printer leaves unanswered
        Bytes sentOnClose = {};  // what the printer sends as Close is pressed
    } cases[] = {
        {"answer awaited", Link::Serial, &Dlg::ReceiptButton, "DLE EOT 2", 1, false},
        {"turn awaited", Link::Serial, &Dlg::ReceiptButton, nullptr, 1000},
        {"slip sleep", Link::Lan, &Dlg::SlipButton, "FF", 5000, true, {"GS US 0", "ESC c 48 1", "ESC c 49 1"}},
        {"slip sleep", Link::Usb, &Dlg::SlipButton, "FF", 5000, true, {"GS US 0", "ESC c 48 1", "ESC c 49 1"}},
        {"erase answer awaited", Link::Serial, &Dlg::DownloadLogoButton, "clear user-defined area", 1000, true,
         {"GS US 0"}, 0, {0x1D, 0x40, 0x31}},
        {"flash status awaited", Link::Serial, &Dlg::DownloadLogoButton, "GS r 4", 1000, true, {"GS US 0"}, 0,
         {0x1D, 0x72, 0x04}},
        {"scan clear awaited", Link::Serial, &Dlg::CheckScanButton, "GS ( G clear scan images", 1000, true,
         {"GS US 0"}, 1, {0x1D, 0x28, 0x47, 0x01, 0x00, 0x47}},
        {"slip status awaited", Link::Serial, &Dlg::SlipButton, "GS EOT 5", 1000, true, {"GS US 0"}, 0,
         {0x1D, 0x04, 0x05}},
        {"slip status awaited", Link::Lan, &Dlg::SlipButton, "GS EOT 5", 1000, true, {"GS US 0"}, 0,
         {0x1D, 0x04, 0x05}},
        // The MICR reply comes as Close is pressed: no box, no notice.
        {"MICR read", Link::Lan, &Dlg::MICRButton, "ESC w 1", 3000, true, {"GS US 0", "ESC c 48 1", "ESC c 49 1"}, 0,
         {0x1B, 0x77, 0x50, 0x0D}, {0x00, '1', 0x0D}},
        {"MICR read", Link::Serial, &Dlg::MICRButton, "ESC w 1", 500, true, {"GS US 0"}, 0, {0x1B, 0x77, 0x50, 0x0D},
         {0x00, '1', 0x0D}},
    };
    writeFile(folder / "logo.bmp", monoBitmap(16, 8, false, [](int x, int) { return x % 2 == 0; }));
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.name) + " " + linkName(c.link));
        auto& w = open(c.link, c.type);
        setSlipDocument(printer.status(), sim::SlipDocument::Inserted);
        if (!c.unanswered.empty()) printer.setReply(c.unanswered, {});
        if (c.button == &Dlg::DownloadLogoButton)
            driver.answerNext([this](platform::Form& f) {
                dynamic_cast<platform::FileDialogForm&>(f).choose((folder / "logo.bmp").string());
            });
        if (!c.closeAfter) {
            printer.setReplyFault(sim::ReplyFault::Silent);
            runFor(1200);
        }
        platform::Micros pressedAt = -1;
        std::size_t logSeen = 0, paperSeen = 0, told = 0, noticed = 0;
        const auto closeIn = [&](int ms) {
            printer.scheduler().after(ms * 1000, [&] {
                pressedAt = clock.now();
                logSeen = printer.log().size();
                paperSeen = printer.paper().items().size();
                told = messages.size();
                noticed = notices.size();
                if (!c.sentOnClose.empty()) printer.reply(c.sentOnClose);
                if (c.queued)
                    loop.post([&] { driver.click(w.CloseButton); });
                else
                    driver.click(w.CloseButton);
            });
        };
        bool armed = c.closeAfter != nullptr;
        printer.onLog = [&](const sim::SimLogEntry& entry) {
            if (!armed || std::count(entry.decoded.begin(), entry.decoded.end(), c.closeAfter) == 0) return;
            armed = false;
            closeIn(c.closeMs);
        };
        if (!c.closeAfter) closeIn(c.closeMs);
        ASSERT_TRUE(driver.click(w.*c.button));
        const platform::Micros returnedAt = clock.now();
        runFor(6000);
        EXPECT_FALSE(w.isLoaded());
        ASSERT_GE(pressedAt, 0);
        EXPECT_LE(returnedAt - pressedAt, 1'000'000);
        Strings after;
        for (std::size_t i = logSeen; i < printer.log().size(); ++i)
            after.insert(after.end(), printer.log()[i].decoded.begin(), printer.log()[i].decoded.end());
        EXPECT_EQ(after, c.after);
        EXPECT_EQ(printer.paper().items().size(), paperSeen);
        EXPECT_EQ(messages.size(), told);
        EXPECT_EQ(notices.size(), noticed);
        printer.onLog = nullptr;
        printer.setReplyFault(sim::ReplyFault::None);
        printer.clearReplies();
        setSlipDocument(printer.status(), sim::SlipDocument::None);
        if (w.isLoaded()) platform::Unload(w);
        clickButton(kDisconnectButton);  // gone already where the test lost the link
    }
}

}  // namespace
}  // namespace diagtest
