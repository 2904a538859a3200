// The logo download from a bitmap file the user picks: what is refused and
// with which message, what reaches the printer's flash on each link, and
// the sample print that follows.
#include <algorithm>

#include "BitmapFiles.h"
#include "DiagnosticsTestSupport.h"

#include "link/LinkFlags.h"

namespace diagtest {
namespace {

bool diagonal(int x, int y) { return (x + y) % 7 == 0 || x == 0; }

class LogoDownload : public DiagnosticsWorld {
protected:
    LogoDownload() {
        platform::app().plainMessageHook = [this](const std::string& text, int, const std::string& caption) {
            plainMessages.push_back(caption + ": " + text);
        };
    }
    ~LogoDownload() override { platform::app().plainMessageHook = nullptr; }

    // Picks `name` in the file dialog (or cancels when empty) and downloads.
    void download(diagnostics::DiagnosePrinterDlg& w, const std::string& name) {
        driver.answerNext([this, name](platform::Form& f) {
            auto& dialog = dynamic_cast<platform::FileDialogForm&>(f);
            request = dialog.request();
            if (name.empty())
                dialog.cancel();
            else
                dialog.choose((folder / name).string());
        });
        ASSERT_TRUE(driver.click(w.DownloadLogoButton));
        runFor(kWireMs);
    }
    std::string file(const std::string& name, const Bytes& bytes) {
        writeFile(folder / name, bytes);
        return name;
    }

    Strings plainMessages;
    platform::FileDialogRequest request;
};

TEST_F(LogoDownload, FilesAreCheckedBeforeAnythingGoesToTheFlash) {
    const std::string tooWide = "Internal Error\r\n51 This file size exceeds maximum bitmap file size (576 X 512)";
    const std::string invalid =
        "Internal Error\r\n51 This file is not a valid bitmap file.Please select a monochrome bitmap file ";
    Bytes colour = monoBitmap(8, 8, false, diagonal);
    colour[28] = 24;
    Bytes notBm = monoBitmap(8, 8, false, diagonal);
    notBm[0] = 'X';
    Bytes cut = monoBitmap(64, 64, false, diagonal);
    cut.resize(300);
    Bytes flat = monoBitmap(8, 8, false, diagonal);
    put32(flat, 22, 0);
    Bytes packed = monoBitmap(8, 8, false, diagonal);
    put32(packed, 30, 1);
    struct Case {
        std::string name;
        Bytes bytes;
        std::string message;  // "" when it is downloaded
    } cases[] = {
        {"max.bmp", monoBitmap(576, 512, false, diagonal), ""},
        {"wide.bmp", monoBitmap(577, 8, false, diagonal), tooWide},
        {"tall.bmp", monoBitmap(8, 513, false, diagonal), tooWide},
        {"colour.bmp", colour, invalid},
        {"notbm.bmp", notBm, invalid},
        {"cut.bmp", cut, invalid},
        {"flat.bmp", flat, invalid},
        {"packed.bmp", packed, invalid},
        {"missing.bmp", {}, "Internal Error\r\n53 File not found"},
    };
    for (Link link : {Link::Usb, Link::Serial, Link::Lan}) {
        auto& w = open(link, 14, 2);
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(linkName(link)) + " " + c.name);
            if (!c.bytes.empty()) file(c.name, c.bytes);
            messages.clear();
            printer.clearLog();
            printer.flash().logos.clear();
            download(w, c.name);
            if (c.message.empty()) {
                EXPECT_TRUE(messages.empty());
                ASSERT_EQ(printer.flash().logos.count(1), 1u);
                EXPECT_EQ(printer.flash().logos[1].data.size(), 36864u);
            } else {
                // A refused file costs the printer none of its stored logos.
                EXPECT_EQ(messageTexts(), Strings{c.message});
                EXPECT_EQ(printCommands(), Strings{});
            }
        }
        disconnect();
    }
    EXPECT_EQ(request.title, "Browse File for Download Logo");
    EXPECT_EQ(request.filters.size(), 3u) << "the M27x offers its three paper widths";
    EXPECT_EQ(request.filters[2].description, "114.0mm (832x512) Bitmap (*.bmp)");
    EXPECT_EQ(request.folder, folder.string());
}

TEST_F(LogoDownload, LogoArrivesDotForDotOnEveryLinkAndPrintsInItsFourSizes) {
    const auto black = [](int x, int y) { return (x / 3 + y / 5) % 2 == 0; };
    file("logo.bmp", monoBitmap(263, 77, true, black));
    file("upside.bmp", monoBitmap(263, 77, false, black, true));
    for (Link link : {Link::Serial, Link::Lan, Link::Usb}) {
        for (const std::string name : {"logo.bmp", "upside.bmp"}) {
            SCOPED_TRACE(std::string(linkName(link)) + " " + name);
            auto& w = open(link, 0);
            download(w, name);
            EXPECT_TRUE(messages.empty());
            const Strings got = paper();
            const std::string caption = name == "logo.bmp" ? "LOGO.BMP" : "UPSIDE.BMP";
            ASSERT_EQ(got, (Strings{"line l00: " + caption + " (W:263 x H:77 dots)", "logo m0 264x80", "logo m2 264x80",
                                    "logo m1 264x80", "logo m3 264x80", "feed 8", "cut"}));
            const sim::PaperItem& logo = printer.paper().items()[1];
            for (int y = 0; y < 80; ++y)
                for (int x = 0; x < 264; ++x)
                    ASSERT_EQ(logo.dots[static_cast<std::size_t>(y * 264 + x)] != 0, x < 263 && y < 77 && black(x, y))
                        << x << "," << y;
            if (link == Link::Usb) {
                for (const auto& entry : printer.log()) ASSERT_NE(entry.framing, "unframed");
            }
            EXPECT_TRUE(plainMessages.empty());
            disconnect();
        }
    }
}

// The largest logo takes 38 s to leave at 9600 baud; the flash status
// request goes out behind it. A request nobody answers confirms no write; a
// printer that answers later than a USB HID read waits is read again. One
// later than the erase's wait sends the erase's answer after that wait: the
// byte is no flash status. A printer whose every answer comes 6 s late,
// past the give-up, has no answer taken for certain: the write is told
// unconfirmed.
// On a noisy line (4 bytes a second) the bytes that came while the logo
// left, or before a slow printer's answer, are no flash status either.
TEST_F(LogoDownload, FlashWriteIsToldAsThePrinterReportsItAndTheSamplePrintStillFollows) {
    file("logo.bmp", monoBitmap(16, 8, false, diagonal));
    file("max.bmp", monoBitmap(576, 512, false, diagonal));
    const Strings failed{"AXO36xxDiag: Flash Write failed."};
    struct Case {
        Link link;
        std::string name;
        bool atLineSpeed, unanswered;
        platform::Micros replyDelay = 2000;
        bool writeFails = true, confirmed = true;
        platform::Micros noiseEvery = 0;
        // The download before lost its flash status (TCP) or had it 6 s late
        // (serial): the next is confirmed and takes no longer than any.
        bool afterMissedStatus = false;
    } cases[] = {{Link::Serial, "logo.bmp", false, false},
                 {Link::Lan, "logo.bmp", false, false},
                 {Link::Usb, "logo.bmp", false, false},
                 {Link::Serial, "max.bmp", true, false},
                 {Link::Lan, "logo.bmp", false, true, 2000, true, false},
                 {Link::Usb, "logo.bmp", false, true, 2000, true, false},
                 {Link::Usb, "logo.bmp", false, false, 600'000},
                 {Link::Lan, "logo.bmp", false, false, 6'000'000, false, false},
                 {Link::Usb, "logo.bmp", false, false, 6'000'000, false, true},
                 {Link::Lan, "logo.bmp", false, false, 600'000, false, true, 250'000},
                 {Link::Usb, "logo.bmp", false, false, 600'000, false, true, 250'000},
                 {Link::Serial, "max.bmp", true, false, 2000, true, true, 250'000},
                 {Link::Lan, "logo.bmp", false, false, 2000, false, true, 0, true},
                 {Link::Serial, "logo.bmp", false, false, 2000, false, true, 0, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(linkName(c.link)) + " " + c.name + " " + std::to_string(c.replyDelay));
        serial.paceAtLineSpeed = c.atLineSpeed;
        serialBaudEntry = c.atLineSpeed ? 4 : 0;
        auto& w = open(c.link, 0);
        printer.status().flashWriteFails = c.writeFails;
        printer.config().replyDelay = c.replyDelay;
        if (c.unanswered) printer.setReply({0x1D, 0x72, 0x04}, {});
        printer.setNoise(c.noiseEvery);
        if (c.afterMissedStatus) {
            printer.delayNextReply({0x1D, 0x72, 0x04}, c.link == Link::Lan ? platform::kForever : 6'000'000);
            download(w, c.name);
            runFor(1000);
            printer.clearLog();
        }
        plainMessages.clear();
        messages.clear();
        const platform::Micros startedAt = clock.now();
        download(w, c.name);
        if (c.afterMissedStatus) {
            EXPECT_LT(clock.now() - startedAt, 3'000'000);
        }
        runFor(1000);  // the sample print crosses a slow line
        EXPECT_EQ(plainMessages, c.writeFails && c.confirmed ? failed : Strings{});
        const std::string unconfirmed = c.replyDelay > 5'000'000 ? "the printer answered too late."
                                                                 : "the printer did not answer.";
        EXPECT_EQ(messageTexts(), c.confirmed ? Strings{} : Strings{"Cannot confirm the Flash Write: " + unconfirmed});
        EXPECT_EQ(countCommand("GS / 0") + countCommand("GS / 2") + countCommand("GS / 1") + countCommand("GS / 3"), 4);
        printer.status().flashWriteFails = false;
        printer.config().replyDelay = 2000;
        printer.clearReplies();
        printer.setNoise(0);
        runFor(7000);  // the late replies cross before the next row
        disconnect();
    }
}

// The file is chosen before a printer that answers late has answered the
// click's link check: its answer is waited for, not taken as missing.
TEST_F(LogoDownload, SlowSerialPrinterPassesTheLinkCheckOfAQuicklyChosenFile) {
    file("logo.bmp", monoBitmap(16, 8, false, diagonal));
    auto& w = open(Link::Serial, 0);
    printer.config().replyDelay = 600'000;
    download(w, "logo.bmp");
    runFor(1000);
    EXPECT_TRUE(messages.empty());
    EXPECT_TRUE(w.isLoaded());
    EXPECT_EQ(printer.flash().logos.count(1), 1u);
}

// A printer that answers 3 s late goes away after the erase: switched off
// (its port open, CTS low) or its device gone. The panel keeps what the
// printer last reported (its late answers keep their rows, the real-time
// status answer among them), and the download says it could not confirm the
// write within a few seconds, with no sample print to sit out.
TEST_F(LogoDownload, SerialPrinterGoneAfterTheEraseIsToldAndThePanelKeepsItsValues) {
    file("logo.bmp", monoBitmap(200, 100, false, diagonal));
    struct Case {
        int dialogMs, goneAfterEraseMs;
        bool deviceGone;
    } cases[] = {{2300, 1500, false}, {1700, 200, false}, {1200, 3100, false}, {2300, 1500, true}, {1200, 3100, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.dialogMs) + " " + std::to_string(c.goneAfterEraseMs) +
                     (c.deviceGone ? " gone" : ""));
        printer.restoreDevice();
        serial.restoreDevice();
        printer.config().replyDelay = 2000;
        auto& w = open(Link::Serial, 0);
        printer.config().replyDelay = 3'000'000;
        runFor(10000);
        const std::set<int> shown = checked();
        const std::string station = w.SelectedStationText.Text();
        platform::Micros goneAt = 0;
        printer.onLog = [&](const sim::SimLogEntry& entry) {
            const auto& got = entry.decoded;
            if (goneAt != 0 || std::find(got.begin(), got.end(), "clear user-defined area") == got.end()) return;
            goneAt = clock.now() + c.goneAfterEraseMs * 1000;
            printer.scheduler().after(c.goneAfterEraseMs * 1000, [&] {
                c.deviceGone ? serial.removeDevice() : printer.removeDevice();
            });
        };
        messages.clear();
        driver.answerNext([&](platform::Form& f) {
            runFor(c.dialogMs);
            dynamic_cast<platform::FileDialogForm&>(f).choose((folder / "logo.bmp").string());
        });
        ASSERT_TRUE(driver.click(w.DownloadLogoButton));
        ASSERT_NE(goneAt, 0);
        EXPECT_LT(elapsedMs(goneAt), 11000);
        runFor(5000);
        printer.onLog = nullptr;
        EXPECT_EQ(messageTexts(), Strings{"Cannot confirm the Flash Write: the printer did not answer."});
        EXPECT_EQ(w.PrinterOnlineText.Text(), "Offline");
        EXPECT_EQ(w.SelectedStationText.Text(), station);
        EXPECT_EQ(checked(), shown);
        disconnect();
    }
}

TEST_F(LogoDownload, CancelSendsNothingAndOnSerialSkipsTheLinkCheck) {
    // A chosen file on a serial link whose printer does not answer.
    file("logo.bmp", monoBitmap(16, 8, false, diagonal));
    auto& lost = open(Link::Serial, 0);
    printer.setReplyFault(sim::ReplyFault::Silent);
    download(lost, "logo.bmp");
    EXPECT_EQ(messageTexts(), Strings{shell::kLostLinkMessage});
    EXPECT_FALSE(lost.isLoaded());
    EXPECT_EQ(printCommands(), (Strings{"ESC @", "GS US 0", "GS US 0"}));
    ASSERT_TRUE(clickButton(kDisconnectButton));
    messages.clear();
    for (Link link : {Link::Usb, Link::Serial}) {
        printer.setReplyFault(sim::ReplyFault::None);
        auto& w = open(link, 0);
        printer.setReplyFault(sim::ReplyFault::Silent);
        download(w, "");
        EXPECT_EQ(printCommands(), (Strings{"ESC @", "GS US 0"})) << linkName(link);
        EXPECT_TRUE(messages.empty());
        EXPECT_TRUE(w.isLoaded());
        disconnect();
    }
    // Pressed again while the first waits for its turn behind a lost reply:
    // a no to the file dialog or to the two-colour question ends both presses.
    using Dlg = diagnostics::DiagnosePrinterDlg;
    for (platform::CommandButton Dlg::*button : {&Dlg::DownloadLogoButton, &Dlg::ColorPrintButton}) {
        printer.setReplyFault(sim::ReplyFault::None);
        auto& w = open(Link::Serial, 0);
        printer.skipStatusReplies(1);
        runFor(1100);
        printer.scheduler().after(1'000'000, [&] { loop.post([&] { driver.click(w.*button); }); });
        int asked = 0;
        messages.clear();
        messageKeys = {'0', '0'};
        const auto answer = driver.onModal;
        driver.onModal = [&](platform::Form& f) {
            auto* dialog = dynamic_cast<platform::FileDialogForm*>(&f);
            if (!dialog) return answer(f);
            ++asked;
            runFor(1500);
            dialog->cancel();
        };
        ASSERT_TRUE(driver.click(w.*button));
        runFor(3000);
        driver.onModal = answer;
        for (const MessageSeen& m : messages) asked += m.text.rfind("To perform two color", 0) == 0;
        EXPECT_EQ(asked, 1);
        messageKeys.clear();
        disconnect();
    }
}

}  // namespace
}  // namespace diagtest
