// The check scan against the simulated scanner: the image saved as the
// printer sent it and printed, on every link, and each way a scan fails.
#include <sys/resource.h>
#include <unistd.h>

#include <csignal>

#include <regex>

#include "BitmapFiles.h"
#include "DiagnosticsTestSupport.h"

namespace diagtest {
namespace {

bool checkDrawing(int x, int y) { return x < 2 || y < 2 || (x + 2 * y) % 9 == 0; }

class CheckScan : public DiagnosticsWorld {
protected:
    CheckScan() : previous_(fs::current_path()) {
        platform::app().setClock(&clock);
        fs::current_path(folder);
        image = monoBitmap(200, 50, true, checkDrawing);
        writeFile(folder / "check.bmp", image);
        std::string error;
        EXPECT_TRUE(sim::loadScanImage(printer.scanner(), (folder / "check.bmp").string(), error)) << error;
        printer.scanner().blockSize = 1000;
    }
    ~CheckScan() override {
        fs::current_path(previous_);
        platform::app().setClock(nullptr);
    }

    // Opens the window on a scanning printer and presses Check Scan. The
    // connection dialog refuses USB HID for type 1 and the type 4 shows no
    // scan button, but its procedure scans; it is run directly there.
    diagnostics::DiagnosePrinterDlg& start(Link link, const std::function<void()>& arrange = {}) {
        auto& w = open(link, link == Link::Usb ? 4 : 1);
        setSlipDocument(printer.status(), sim::SlipDocument::Inserted);
        if (arrange) arrange();
        messages.clear();
        if (link == Link::Usb)
            w.CheckScanButton_Click();
        else
            EXPECT_TRUE(driver.click(w.CheckScanButton));
        return w;
    }
    diagnostics::DiagnosePrinterDlg& scan(Link link, const std::function<void()>& arrange = {}) {
        auto& w = start(link, arrange);
        runFor(3000);
        return w;
    }
    std::vector<fs::path> scanFiles() const {
        std::vector<fs::path> out;
        for (const auto& entry : fs::directory_iterator(folder))
            if (entry.path().filename().string().rfind("Scan_", 0) == 0) out.push_back(entry.path());
        return out;
    }
    Bytes contents(const fs::path& path) const {
        std::ifstream in(path, std::ios::binary);
        return Bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    std::string scanError(const char* text) const {
        return std::string("Scan Error\r\n") + text + "\r\nPlease verify the printer enables check scan function.";
    }

    Bytes image;

private:
    fs::path previous_;
};

TEST_F(CheckScan, ImageIsSavedAsSentAndPrintedOnEveryLink) {
    for (Link link : {Link::Serial, Link::Lan, Link::Usb}) {
        SCOPED_TRACE(linkName(link));
        const int scans = printer.scanner().scans;
        auto& w = scan(link);
        EXPECT_EQ(messageTexts().size(), 1u) << "the prompt only";
        const auto files = scanFiles();
        ASSERT_EQ(files.size(), 1u);
        EXPECT_TRUE(std::regex_match(files[0].filename().string(), std::regex(R"(Scan_20260102_03\d{4}\.bmp)")));
        EXPECT_EQ(contents(files[0]), image);
        EXPECT_EQ(printer.scanner().scans, scans + 1);
        EXPECT_FALSE(w.ScanSession.m_bScanning);
        const Strings got = paper();
        EXPECT_EQ(got, (Strings{"slip eject", "image m33 224x24", "image m33 224x24", "image m33 224x24", "feed 8",
                                "cut"}));
        const sim::PaperItem& band = printer.paper().items()[1];
        for (int y = 0; y < 24; ++y)
            for (int x = 0; x < 224; ++x)
                ASSERT_EQ(band.dots[static_cast<std::size_t>(y * 224 + x)] != 0, x < 200 && checkDrawing(x, y))
                    << x << "," << y;
        EXPECT_EQ(countCommand("GS ( G end scan"), 1);
        if (link == Link::Usb) {
            for (const auto& entry : printer.log()) ASSERT_NE(entry.framing, "unframed");
        }
        runFor(1000);
        EXPECT_EQ(w.Caption(), " Diagnose POS Printer");
        fs::remove(files[0]);
        disconnect();
    }
}

TEST_F(CheckScan, EachFaultEndsTheScanWithItsMessage) {
    const Bytes clear{0x1D, 0x28, 0x47, 0x01, 0x00, 0x47};
    const auto late = [&] {
        printer.config().replyDelay = 600'000;
        runFor(1100);
    };
    // A test pressed while the image comes (its key queued through the
    // loop) runs once the scan has ended: its link check's answer or its own
    // reads would break into the blocks.
    writeFile(folder / "logo.bmp", monoBitmap(16, 8, false, checkDrawing));
    const auto pressDuringScan = [&](void (diagnostics::DiagnosePrinterDlg::*click)()) {
        return [this, click] {
            printer.config().replyDelay = 100'000;
            printer.onLog = [this, click](const sim::SimLogEntry& entry) {
                if (std::count(entry.decoded.begin(), entry.decoded.end(), "GS ( G scan check") == 0) return;
                printer.scheduler().after(150'000, [this, click] {
                    loop.post([this, click] {
                        if (click == &diagnostics::DiagnosePrinterDlg::DownloadLogoButton_Click)
                            driver.answerNext([this](platform::Form& f) {
                                dynamic_cast<platform::FileDialogForm&>(f).choose((folder / "logo.bmp").string());
                            });
                        ((*window).*click)();
                    });
                });
            };
        };
    };
    struct Case {
        const char* name;
        Link link;
        std::function<void()> arrange;
        std::string message;  // "" when the scan succeeds
        int quietMs = 0;
        // A command the printer gets after the scan's end (a test pressed meanwhile).
        const char* afterScan = nullptr;
    };
    const Case cases[] = {
        {"clear refused", Link::Lan, [&] { printer.setReply(clear, {'7', 'w', '4', '9'}); },
         "Cannot clear scan images on the printer.\r\nPlease confirm the printer enables scan function."},
        {"clear unanswered", Link::Usb, [&] { printer.setReply(clear, {}); }, ""},
        // The replies still due to the poll are neither the check's nor the clear's.
        {"late printer on TCP", Link::Lan, late, ""},
        {"late printer on serial", Link::Serial, late, ""},
        {"cover open", Link::Serial,
         [&] {
             printer.scanner().fault = sim::ScanFault::ErrorStatus;
             printer.scanner().errorStatus = 'A';
         },
         "Scan Error: Error Code = 65\r\nThere is not any data for the scanned image."},
        {"check gone before the scan", Link::Lan,
         [&] {
             printer.setReply({0x1D, 0x04, 0x05}, {0x12});
             setSlipDocument(printer.status(), sim::SlipDocument::None);
         },
         "Scan Error: Error Code = 72\r\nA check feeding error occured during the scan of the check,"},
        {"corrupt file information", Link::Usb,
         [&] {
             printer.scanner().fault = sim::ScanFault::Corrupt;
             printer.scanner().faultBlock = 0;
         },
         scanError("Cannot retrieve valid file information block.")},
        {"corrupt size information", Link::Serial,
         [&] {
             printer.scanner().fault = sim::ScanFault::Corrupt;
             printer.scanner().faultBlock = 1;
         },
         scanError("Cannot retrieve valid size information block.")},
        {"corrupt image block", Link::Lan,
         [&] {
             printer.scanner().fault = sim::ScanFault::Corrupt;
             printer.scanner().faultBlock = 3;
         },
         scanError("Cannot retrieve valid scanned image.")},
        {"receipt pressed during the scan", Link::Serial,
         pressDuringScan(&diagnostics::DiagnosePrinterDlg::ReceiptButton_Click), "", 0, "GS k"},
        {"logo pressed during the scan", Link::Lan,
         pressDuringScan(&diagnostics::DiagnosePrinterDlg::DownloadLogoButton_Click), "", 0, "clear user-defined area"},
        {"logo pressed during the scan", Link::Usb,
         pressDuringScan(&diagnostics::DiagnosePrinterDlg::DownloadLogoButton_Click), "", 0, "clear user-defined area"},
        {"silent after the size", Link::Usb,
         [&] {
             printer.scanner().fault = sim::ScanFault::Silent;
             printer.scanner().faultBlock = 2;
         },
         scanError("Cannot retrieve valid scanned image."), 25000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto& w = start(c.link, c.arrange);
        runFor(3000 + c.quietMs);
        const Strings texts = messageTexts();
        if (c.message.empty()) {
            EXPECT_EQ(texts.size(), 1u);
            EXPECT_EQ(scanFiles().size(), 1u);
            if (c.afterScan) {
                const Strings got = printer.commands();
                const auto end = std::find(got.begin(), got.end(), "GS ( G end scan");
                EXPECT_NE(std::find(end, got.end(), c.afterScan), got.end());
            }
        } else {
            // The prompt, then the one message: nothing after the fault is
            // read as anything else (a MICR reply, say).
            ASSERT_EQ(texts.size(), 2u);
            EXPECT_EQ(texts[1], c.message);
            EXPECT_TRUE(scanFiles().empty());
            EXPECT_EQ(countCommand("GS ( G scan check") == 0 || countCommand("CAN") == 1, true);
        }
        EXPECT_FALSE(w.ScanSession.m_bScanning);
        EXPECT_EQ(w.ScanSession.m_iScanPhase, 0);
        // The status panel follows the printer again.
        printer.status().paperOut = true;
        runFor(2500);
        EXPECT_EQ(checked().count(1), 1u);
        printer.status().paperOut = false;
        for (const auto& f : scanFiles()) fs::remove(f);
        printer.clearReplies();
        printer.config().replyDelay = 2000;
        printer.scanner().fault = sim::ScanFault::None;
        printer.onLog = nullptr;
        disconnect();
    }
}

TEST_F(CheckScan, OneScanAtATimeAnEmptyBlockCompletesAndUnprintableFilesAreRefused) {
    auto& w = open(Link::Lan, 1);
    w.ScanSession.m_bScanning = true;
    runFor(kWireMs);
    printer.clearLog();
    ASSERT_TRUE(driver.click(w.CheckScanButton));
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(printCommands(), Strings{});

    // The last block, empty: acknowledged, and the empty file written.
    w.ScanSession.m_iScanPhase = 3;
    w.ScanSession.ScanReceptionState.FileName = "Scan_empty.bmp";
    w.m_MainComm_OnDataReceived(Bytes{'S', ' ', '@', 0, 0});
    EXPECT_EQ(countCommand("ACK"), 1);
    EXPECT_FALSE(w.ScanSession.m_bScanning);
    EXPECT_TRUE(fs::exists(folder / "Scan_empty.bmp"));
    EXPECT_EQ(messageTexts(), Strings{"Internal Error\r\n51 This file is not a valid bitmap file."});

    // Wider than a band can say: refused, not cut.
    writeFile(folder / "wide.bmp", monoBitmap(65537, 1, true, checkDrawing));
    messages.clear();
    EXPECT_FALSE(w.Printer.PrintBitmapFile((folder / "wide.bmp").string()));
    EXPECT_EQ(messageTexts(), Strings{"Internal Error\r\n51 This file is not a valid bitmap file."});
}

// The folder gone, or the disk full part way through the image (a file size
// limit stands in for it): the file is there whole or not at all.
TEST_F(CheckScan, AFileThatCannotBeWrittenIsReportedAndNothingMoreIsSent) {
    const fs::path gone = folder / "gone";
    rlimit fileSize{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &fileSize), 0);
    const auto previousSignal = std::signal(SIGXFSZ, SIG_IGN);
    const std::function<void()> failures[] = {
        [&] {
            fs::create_directories(gone);
            fs::current_path(gone);
            fs::remove(gone);
        },
        [&] {
            rlimit small = fileSize;
            small.rlim_cur = 1000;
            ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
        },
    };
    for (const auto& failure : failures) {
        scan(Link::Lan, failure);
        setrlimit(RLIMIT_FSIZE, &fileSize);
        EXPECT_EQ(messageTexts().back(),
                  "Check scanning is successfully completed.\r\nBut, cannot create bitmap file for the scanned image.");
        EXPECT_EQ(countCommand("GS ( G end scan"), 0);
        EXPECT_TRUE(paper().empty());
        fs::current_path(folder);
        for (const auto& entry : fs::directory_iterator(folder))
            EXPECT_EQ(entry.path().filename().string().rfind("Scan_", 0), std::string::npos) << entry.path();
        disconnect();
    }
    std::signal(SIGXFSZ, previousSignal);
}

// The status poll rests while a scan runs, while the window waits for a
// reply of its own and during a test's blocking sleep. What went out then
// and is never answered (the scan's last ACK, its CAN, a print) is no
// time-out: with every message box held open 10 s the window stays Online.
TEST_F(CheckScan, SendsLeftUnansweredWhileThePollRestsAreNoTimeOutOnTcp) {
    using Dlg = diagnostics::DiagnosePrinterDlg;
    const struct Case {
        const char* name;
        int type;
        platform::CommandButton Dlg::*button;
        sim::ScanFault fault;
        bool folderGone = false;
    } cases[] = {
        {"scan, no file made", 1, &Dlg::CheckScanButton, sim::ScanFault::None, true},
        {"scan, error status", 1, &Dlg::CheckScanButton, sim::ScanFault::ErrorStatus},
        {"scan, corrupt block", 1, &Dlg::CheckScanButton, sim::ScanFault::Corrupt},
        {"scan, scanner falls silent", 1, &Dlg::CheckScanButton, sim::ScanFault::Silent},
        {"MICR read with its receipt", 1, &Dlg::MICRButton, sim::ScanFault::None},
        {"two-sided test", 4, &Dlg::TwoSideButton, sim::ScanFault::None},
    };
    Strings shownUnderBoxes;
    driver.onModal = [this, &shownUnderBoxes, answer = driver.onModal](platform::Form& form) {
        if (dynamic_cast<shell::ModalMessageBox*>(&form)) {
            runFor(10000);
            shownUnderBoxes.push_back(window->PrinterOnlineText.Text());
        }
        answer(form);
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto& w = open(Link::Lan, c.type);
        setSlipDocument(printer.status(), sim::SlipDocument::Inserted);
        printer.scanner().fault = c.fault;
        if (c.folderGone) {
            fs::create_directories(folder / "gone");
            fs::current_path(folder / "gone");
            fs::remove(folder / "gone");
        }
        int timeOuts = 0;
        const auto counting = mainWindow().OnStatusUpdated.subscribe(
            [&](int status) { timeOuts += status == printerlink::kLanTimeoutStatus; });
        shownUnderBoxes.clear();
        ASSERT_TRUE(driver.click(w.*c.button));
        runFor(30000);
        EXPECT_EQ(timeOuts, 0);
        EXPECT_EQ(shownUnderBoxes, Strings(c.type == 4 ? 0 : 2, "Online"));
        fs::current_path(folder);
        disconnect();
    }
}

}  // namespace
}  // namespace diagtest
