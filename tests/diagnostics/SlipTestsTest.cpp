// The slip station's tests against the simulated printer: the wait for the
// document, the MICR read with its receipt and message, the check flip and
// the slip print.
#include "DiagnosticsTestSupport.h"
#include "platform/loop/EventLoop.h"

#include "link/LinkFlags.h"
#include "link/PrinterCommands.h"

namespace diagtest {
namespace {

class SlipTests : public DiagnosticsWorld {
protected:
    // Answers the next message box with OK after running `before`.
    void okAfter(std::function<void()> before) {
        driver.answerNext([this, before = std::move(before)](platform::Form& box) {
            before();
            driver.pressKey(box, '1');
        });
    }
    bool micrSent() {
        runFor(kWireMs);
        return countCommand("ESC w P (MICR read)") > 0;
    }
};

TEST_F(SlipTests, InsertionWaitEndsOnlyWhenThePrinterReportsTheCheckIn) {
    using Button = platform::CommandButton diagnostics::DiagnosePrinterDlg::*;
    struct Case {
        const char* name;
        Link link;
        Button button;
        std::function<void()> arrange;
        bool done;
        std::size_t prompts;
        int maxMs = 0;  // how long the click may take in all
        bool edgesCovered = true;  // when done
    };
    const Case cases[] = {
        {"late", Link::Serial, &diagnostics::DiagnosePrinterDlg::MICRButton,
         [this] { okAfter([this] { setSlipDocument(printer.status(), sim::SlipDocument::Inserted); }); }, true, 0},
        {"never", Link::Lan, &diagnostics::DiagnosePrinterDlg::MICRButton, [this] { messageKeys = {'1', '1', '0'}; },
         false, 3},
        // A printer that answers late: the answers to the requests sent
        // before the wait's own (the second link check, a status poll) say
        // nothing of the document.
        {"never, late poll replies", Link::Lan, &diagnostics::DiagnosePrinterDlg::MICRButton,
         [this] {
             printer.config().replyDelay = 600'000;
             runFor(1500);
             messageKeys = {'1', '0'};
         },
         false, 2},
        {"never, late answers", Link::Serial, &diagnostics::DiagnosePrinterDlg::FlipButton,
         [this] {
             printer.config().replyDelay = 600'000;
             messageKeys = {'1', '0'};
         },
         false, 2},
        {"leading edge only", Link::Usb, &diagnostics::DiagnosePrinterDlg::FlipButton,
         [this] {
             setSlipDocument(printer.status(), sim::SlipDocument::LeadingEdge);
             messageKeys = {'1', '0'};
         },
         false, 2},
        // A poll that lost a reply a moment before is given up, not answered
        // by the wait's own request: the check is found at the first OK.
        {"one poll reply lost", Link::Serial, &diagnostics::DiagnosePrinterDlg::MICRButton,
         [this] {
             setSlipDocument(printer.status(), sim::SlipDocument::Inserted);
             printer.skipStatusReplies(1);
             runFor(2000);
         },
         true, 1},
        // The poll's ESC v and ESC u replies queue on the device behind a
        // late printer; none of them answers the wait's GS r 1.
        {"empty station, printer late", Link::Usb, &diagnostics::DiagnosePrinterDlg::MICRButton,
         [this] {
             printer.config().replyDelay = 600'000;
             runFor(1500);
             messageKeys = {'1', '0'};
         },
         false, 2},
        // A sensor message that comes at the end of the wait does not make it
        // wait its rest again (a status never answered is asked twice).
        {"sensor message at the end of the wait", Link::Serial, &diagnostics::DiagnosePrinterDlg::MICRButton,
         [this] {
             printer.setReply({0x1D, 0x04, 0x05}, {});
             printer.onLog = [this](const sim::SimLogEntry& entry) {
                 if (std::count(entry.decoded.begin(), entry.decoded.end(), "GS EOT 5") == 0) return;
                 printer.scheduler().after(4'900'000, [this] { serial.peerSend({0x91}); });
             };
             messageKeys = {'1', '0'};
         },
         false, 2, 11000},
        // Once the check is read, the printer answers its status polls as a
        // printer with the check in does.
        {"between unrelated bytes", Link::Lan, &diagnostics::DiagnosePrinterDlg::MICRButton,
         [this] {
             printer.setReply({0x1D, 0x04, 0x05}, {0x90, 0xA5, 0xB1, 0x80, 0x10, 0x12});
             printer.onLog = [this](const sim::SimLogEntry& entry) {
                 if (std::count(entry.decoded.begin(), entry.decoded.end(), "ESC w P (MICR read)") == 0) return;
                 printer.clearReplies();
                 setSlipDocument(printer.status(), sim::SlipDocument::Inserted);
             };
         },
         true, 1},
    };
    std::vector<Case> rows(std::begin(cases), std::end(cases));
    // A silent printer costs one wait per prompt: each OK brings it back
    // within about 6.5 s, not two whole waits.
    for (Link link : {Link::Serial, Link::Lan, Link::Usb})
        rows.push_back({"silent printer", link, &diagnostics::DiagnosePrinterDlg::SlipButton,
                        [this] {
                            printer.setReplyFault(sim::ReplyFault::Silent);
                            messageKeys = {'1', '1', '0'};
                        },
                        false, 3, 14000});
    // Every answer later than its request is given up: the poll's late
    // answers (a GS EOT 1 reply has an empty station's form of a document
    // in place) and its own must not pass for the station's status.
    rows.push_back({"printer 6 s late, empty station", Link::Lan, &diagnostics::DiagnosePrinterDlg::SlipButton,
                    [this, answer = driver.onModal] {
                        printer.config().replyDelay = 6'000'000;
                        runFor(1500);
                        messageKeys = {'1', '1', '1', '1', '0'};
                        // The technician reads the prompt; the polls go on meanwhile.
                        driver.onModal = [this, answer](platform::Form& f) {
                            runFor(5000);
                            answer(f);
                        };
                    },
                    false, 5});
    // A poll answered 6 s late, after it was given up: its replies, of the
    // slip status's form, come while the wait asks for the station.
    rows.push_back({"poll answered after it was given up", Link::Lan, &diagnostics::DiagnosePrinterDlg::SlipButton,
                    [this] {
                        int polls = 0;
                        printer.onLog = [this, &polls](const sim::SimLogEntry& entry) {
                            if (std::count(entry.decoded.begin(), entry.decoded.end(), "GS EOT 1") == 0) return;
                            if (++polls == 1)
                                printer.scheduler().after(300'000, [this] { printer.config().replyDelay = 6'000'000; });
                            else
                                printer.config().replyDelay = 2000;
                        };
                        while (polls < 2) runFor(10);
                        printer.onLog = nullptr;
                        messageKeys = {'1', '0'};
                    },
                    false, 2});
    // Pressed again while the window waits for a lost reply to be given up
    // before its prompt: Cancel ends both presses.
    for (Link link : {Link::Serial, Link::Lan, Link::Usb}) {
        rows.push_back({"pressed twice, cancelled", link, &diagnostics::DiagnosePrinterDlg::SlipButton,
                        [this] {
                            printer.skipStatusReplies(1);
                            runFor(1100);
                            printer.scheduler().after(1'000'000, [this] {
                                loop.post([this] { driver.click(window->SlipButton); });
                            });
                            messageKeys = {'0', '0'};  // a second prompt ends too
                        },
                        false, 1});
    }
    // One slip status the printer never answered is asked once more: the
    // check in place prints at the first prompt. (Once printed, the slip is
    // out: the edges are no longer covered.)
    for (Link link : {Link::Serial, Link::Lan, Link::Usb}) {
        rows.push_back({"one slip status never answered", link, &diagnostics::DiagnosePrinterDlg::SlipButton,
                        [this] {
                            setSlipDocument(printer.status(), sim::SlipDocument::Inserted);
                            printer.delayNextReply({0x1D, 0x04, 0x05}, platform::kForever);
                            messageKeys = {'1', '0'};
                        },
                        true, 1, 0, false});
    }
    // A poll's reply lost while the prompt is up costs the OK one wait, not
    // a wait for the poll's give-up and one more past its mark.
    rows.push_back({"poll reply lost during the prompt", Link::Serial, &diagnostics::DiagnosePrinterDlg::SlipButton,
                    [this, answer = driver.onModal] {
                        setSlipDocument(printer.status(), sim::SlipDocument::Inserted);
                        driver.onModal = [this, answer](platform::Form& f) {
                            printer.skipStatusReplies(1);
                            runFor(1500);
                            answer(f);
                        };
                    },
                    true, 1, 8000, false});
    // Pressed while replies are being lost: it prints once the losses stop,
    // each lost answer costing its own wait and at most one more.
    for (Link link : {Link::Serial, Link::Lan}) {
        rows.push_back({"replies lost meanwhile", link, &diagnostics::DiagnosePrinterDlg::SlipButton,
                        [this] {
                            setSlipDocument(printer.status(), sim::SlipDocument::Inserted);
                            printer.skipStatusReplies(3);
                            messageKeys = {'1', '1', '1', '1', '1', '1', '0'};
                        },
                        true, 0, 0, false});
    }
    // From the prompt's OK to the read or the print at most `withinMs`.
    const auto fromOkWithin = [this, answer = driver.onModal](platform::Micros withinMs) {
        auto okAt = std::make_shared<platform::Micros>(0);
        driver.onModal = [this, answer, okAt](platform::Form& f) {
            *okAt = clock.now();
            answer(f);
        };
        printer.onLog = [this, okAt, withinMs](const sim::SimLogEntry& entry) {
            for (const std::string& name : entry.decoded) {
                const bool done = name == "ESC w P (MICR read)" || name == "ESC c 48 4";
                EXPECT_TRUE(!done || clock.now() - *okAt <= withinMs * 1000) << name;
            }
        };
    };
    // The poll lost three replies (two on USB HID, whose poll asks two) a
    // moment before the press: one prompt, the wait they cost comes before
    // it, and its OK reads or prints at once.
    for (Link link : {Link::Serial, Link::Lan, Link::Usb}) {
        for (auto button : {&diagnostics::DiagnosePrinterDlg::SlipButton, &diagnostics::DiagnosePrinterDlg::MICRButton}) {
            for (int pressedAfterMs : {1, 500, 1000}) {
                rows.push_back({"three poll replies lost before the press", link, button,
                                [this, link, pressedAfterMs, fromOkWithin] {
                                    setSlipDocument(printer.status(), sim::SlipDocument::Inserted);
                                    printer.skipStatusReplies(link == Link::Usb ? 2 : 3);
                                    while (printer.skipsLeft() > 0) runFor(10);
                                    runFor(pressedAfterMs);
                                    fromOkWithin(1000);
                                },
                                true, 1, 0, false});
            }
        }
    }
    // The serial link check's answer at the press lost: its wait comes before
    // the prompt, and the OK prints at once.
    rows.push_back({"link check answer lost at the press", Link::Serial, &diagnostics::DiagnosePrinterDlg::SlipButton,
                    [this, fromOkWithin] {
                        setSlipDocument(printer.status(), sim::SlipDocument::Inserted);
                        printer.skipStatusReplies(1);
                        fromOkWithin(1000);
                    },
                    true, 1, 0, false});
    // Three replies lost from the press (on TCP: on serial the link's check
    // would fail and end the session), or from the first prompt on: the
    // read goes out within two prompts.
    for (Link link : {Link::Serial, Link::Lan}) {
        for (bool atPrompt : {false, true}) {
            if (link == Link::Serial && !atPrompt) continue;
            rows.push_back({atPrompt ? "three replies lost at the prompt" : "three replies lost from the press", link,
                            &diagnostics::DiagnosePrinterDlg::MICRButton,
                            [this, atPrompt, answer = driver.onModal] {
                                setSlipDocument(printer.status(), sim::SlipDocument::Inserted);
                                if (!atPrompt) printer.skipStatusReplies(3);
                                auto first = std::make_shared<bool>(true);
                                driver.onModal = [this, atPrompt, answer, first](platform::Form& f) {
                                    if (atPrompt && std::exchange(*first, false)) printer.skipStatusReplies(3);
                                    answer(f);
                                };
                            },
                            true, 2});
        }
    }
    // Silent from the first prompt until the fourth: each wait's asks leave
    // no marks past it, so the fourth OK reads.
    for (Link link : {Link::Serial, Link::Lan, Link::Usb})
        rows.push_back({"silent at three prompts", link, &diagnostics::DiagnosePrinterDlg::MICRButton,
                        [this, answer = driver.onModal] {
                            setSlipDocument(printer.status(), sim::SlipDocument::Inserted);
                            driver.onModal = [this, answer, n = std::make_shared<int>(0)](platform::Form& f) {
                                printer.setReplyFault(++*n < 4 ? sim::ReplyFault::Silent : sim::ReplyFault::None);
                                runFor(2000);
                                answer(f);
                            };
                        },
                        true, 4});
    const auto answerModal = driver.onModal;
    for (const Case& c : rows) {
        SCOPED_TRACE(std::string(c.name) + " " + linkName(c.link));
        auto& w = open(c.link, 0);
        messages.clear();
        c.arrange();
        const platform::Micros clickedAt = clock.now();
        ASSERT_TRUE(driver.click(w.*c.button));
        if (c.maxMs > 0) {
            EXPECT_LE(clock.now() - clickedAt, platform::Micros(c.maxMs) * 1000);
        }
        runFor(kWireMs);
        EXPECT_EQ(countCommand("ESC w P (MICR read)") + countCommand("ESC w F (check flip)") +
                          countCommand("ESC c 48 4") > 0,
                  c.done);
        if (c.prompts > 0) {
            EXPECT_EQ(std::count_if(messages.begin(), messages.end(),
                                    [](const MessageSeen& m) { return m.text.rfind("Insert a ", 0) == 0; }),
                      static_cast<long>(c.prompts));
        }
        if (c.done && c.edgesCovered) {
            EXPECT_EQ(checked().count(5) + checked().count(6), 2u) << "both slip edges covered";
        }
        printer.clearReplies();
        printer.setReplyFault(sim::ReplyFault::None);
        printer.onLog = nullptr;
        printer.config().replyDelay = 2000;
        messageKeys.clear();
        driver.onModal = answerModal;
        setSlipDocument(printer.status(), sim::SlipDocument::None);
        disconnect();
    }
}

// A printer whose firmware reply has no trailing byte (only the serial
// connect asks for it): the later replies are not taken for that byte, so
// the MICR read shows its fields.
TEST_F(SlipTests, FirmwareReplyWithoutTrailerCostsTheMicrReadNoByte) {
    printer.setReply({0x1D, 0x49, 0x40, 0xA3}, {0xA3, '0', '3', '9', '8'});
    auto& w = open(Link::Serial, 0);
    setSlipDocument(printer.status(), sim::SlipDocument::Inserted);
    messages.clear();
    ASSERT_TRUE(driver.click(w.MICRButton));
    runFor(3000);
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[0].text.rfind("Insert a check", 0), 0u);
    EXPECT_EQ(messages[1].text.rfind("Raw Data: <t021000021t", 0), 0u) << messages[1].text;
}

// On TCP the reply wait runs the loop, so the status poll would run in it:
// its GS EOT 1 reply (drawer closed: 16h) has the form of a slip status with
// both edges covered.
TEST_F(SlipTests, StatusPollRepliesAreNotTakenForTheSlipStatus) {
    auto& w = open(Link::Lan, 0);
    messageKeys = {'1', '0'};
    ASSERT_TRUE(driver.click(w.MICRButton));
    EXPECT_EQ(messages.size(), 2u);
    EXPECT_FALSE(micrSent());
    EXPECT_TRUE(w.StatusPollTimer.Enabled());
}

TEST_F(SlipTests, MicrFieldsAreSplitFromTheCleanedText) {
    struct Case {
        const char* raw;
        Strings fields;  // transit, bank, account, serial
    } cases[] = {
        {"tABCDEFGHItKLMNPQRSo WXYZ", {"ABCDEFGHI", "DEFGH", "KLMNPQRS", "WXYZ"}},
        {"tABCDEFGHItKLMN PQRSUVWo", {"ABCDEFGHI", "DEFGH", "PQRSUVW", "KLMN"}},
        {"tABCDEFGHItKLMNPQRSo WXYZo", {"ABCDEFGHI", "DEFGH", "KLMNPQRSo WXYZ", " WXYZ"}},
        {"tABCDEFGHItKLMNPQRSo WX", {"ABCDEFGHI", "DEFGH", "KLMNPQRS", ""}},
        {"tABCDEFGHItKLM-NPQRSo", {"ABCDEFGHI", "DEFGH", "NPQRS", "KLM"}},
        {"t1234t 9$88o 7777", {"1234", "", "9$88", ""}},
        {"$12 o456789", {"", "", "", ""}},
        {"12345 67890", {"", "", "", ""}},
    };
    for (const Case& c : cases) {
        Strings got(4);
        diagnostics::DiagnosePrinterDlg::ParseMICRFields(c.raw, got[0], got[1], got[2], got[3]);
        EXPECT_EQ(got, c.fields) << c.raw;
    }
}

TEST_F(SlipTests, MicrReadPrintsItsReceiptAndShowsTheFieldsOnEveryLink) {
    const std::string shown =
        "Raw Data: <t021000021t 1234567890o 0042>\r\nTransit Number: <021000021>\r\nBank Number: <00002>\r\n"
        "Account Number: <1234567890>\r\nSerial Number: <0042>";
    // Pressed again on the same check 0.3 s after the first OK, while the
    // window waits for a late printer's answer (over TCP a wait that serves
    // events): each read shows its own result.
    // After a read answered 7 s late, given up before its reply came, the
    // next read is the one shown.
    struct Case {
        Link link;
        platform::Micros late = 2000;
        int presses = 1;
        bool afterLateRead = false;
    };
    for (const Case& c : {Case{Link::Serial}, Case{Link::Lan}, Case{Link::Usb}, Case{Link::Serial, 700'000, 2},
                          Case{Link::Lan, 700'000, 2}, Case{Link::Serial, 2000, 1, true}}) {
        SCOPED_TRACE(std::string(linkName(c.link)) + " x" + std::to_string(c.presses) +
                     (c.afterLateRead ? " after a late read" : ""));
        auto& w = open(c.link, 0);
        setSlipDocument(printer.status(), sim::SlipDocument::Inserted);
        if (c.afterLateRead) {
            printer.delayNextReply(printerlink::MicrReadCommand, 7'000'000);
            ASSERT_TRUE(driver.click(w.MICRButton));
            runFor(10000);
            printer.paper().clear();
        }
        printer.config().replyDelay = c.late;
        runFor(3000);
        messages.clear();
        bool pressedAgain = c.presses == 1;
        printer.onLog = [&](const sim::SimLogEntry& entry) {
            if (pressedAgain || std::count(entry.decoded.begin(), entry.decoded.end(), "GS EOT 5") == 0)
                return;
            pressedAgain = true;
            printer.scheduler().after(300'000, [&] {
                platform::EventLoop::current().post([&] { driver.click(w.MICRButton); });
            });
        };
        ASSERT_TRUE(driver.click(w.MICRButton));
        runFor(8000);
        printer.onLog = nullptr;
        ASSERT_EQ(messages.size(), 2u * static_cast<std::size_t>(c.presses));
        EXPECT_EQ(std::count_if(messages.begin(), messages.end(), [&](const MessageSeen& m) { return m.text == shown; }),
                  c.presses);
        const Strings got = paper();
        EXPECT_EQ(std::count(got.begin(), got.end(), "line c00: MICR Read"), c.presses);
        const auto read = std::find(got.begin(), got.end(), "line c00: MICR Read");
        ASSERT_GE(got.end() - read, 8);
        EXPECT_EQ(Strings(read + 1, read + 8),
                  (Strings{"line l00: Raw Data:     <t021000021t 1234567890o 0042>",
                           "line l00: Transit Number:                  <021000021>",
                           "line l00: Bank Number:                         <00002>",
                           "line l00: Account Number:                 <1234567890>",
                           "line l00: Serial Number:                        <0042>", "feed 8", "cut"}));
        printer.config().replyDelay = 2000;
        setSlipDocument(printer.status(), sim::SlipDocument::None);
        disconnect();
    }
}

TEST_F(SlipTests, MicrStatusesOtherThanAGoodReadOnlyShowAMessage) {
    const std::string line = "t12345678t 1234567890123 0042o 9876";  // 40 characters on the receipt
    struct Case {
        int status;
        std::string text;
    } cases[] = {{1, "Bad read, but data follows\r\nRawData: <" + line + ">"},
                 {2, "No check present"}, {3, "Paper jam"}, {4, "No MICR characters"}, {7, "Unknown error"}};
    auto& w = open(Link::Lan, 0);
    setSlipDocument(printer.status(), sim::SlipDocument::Inserted);
    printer.slip().micrLine = line;
    for (const Case& c : cases) {
        printer.slip().micrStatus = c.status;
        messages.clear();
        printer.paper().clear();
        ASSERT_TRUE(driver.click(w.MICRButton));
        ASSERT_EQ(messages.size(), 2u) << c.status;
        EXPECT_EQ(messages[1].text, c.text);
        EXPECT_EQ(paper(), Strings{}) << c.status;
    }
    // A raw text too long for its line goes right-aligned under its label.
    printer.slip().micrStatus = 0;
    ASSERT_TRUE(driver.click(w.MICRButton));
    const Strings got = paper();
    const auto raw = std::find(got.begin(), got.end(), "line l00: Raw Data:");
    ASSERT_NE(raw, got.end());
    EXPECT_EQ(*(raw + 1), "line r00: <" + line + ">");
    // The replies waited behind the reads' blocking sleeps, past the TCP
    // reply watchdog's time: no time-out.
    EXPECT_EQ(w.PrinterOnlineText.Text(), "Online");
}

TEST_F(SlipTests, SerialMicrAndFlipWaitForAFreshAnswerAndGiveUpWithoutOne) {
    auto& w = open(Link::Serial, 0);
    setSlipDocument(printer.status(), sim::SlipDocument::Inserted);
    printerlink::statusHandshake.bDiagStatusAnswered = true;  // stale
    printer.config().replyDelay = 600'000;
    ASSERT_TRUE(driver.click(w.FlipButton));
    runFor(kWireMs);
    EXPECT_EQ(printer.slip().flips, 1);
    EXPECT_EQ(paper(), Strings{"slip eject"});
    EXPECT_TRUE(w.isLoaded());
    printer.config().replyDelay = 2000;
    runFor(3000);

    printerlink::statusHandshake.bDiagStatusAnswered = true;
    printer.setReplyFault(sim::ReplyFault::Silent);
    messages.clear();
    ASSERT_TRUE(driver.click(w.MICRButton));
    ASSERT_EQ(messageTexts(), Strings{shell::kLostLinkMessage});
    EXPECT_FALSE(w.isLoaded());
    EXPECT_FALSE(micrSent());
}

// A reader that does not answer leaves no MICR read pending: the status
// bytes after it are read as status, not collected as its text.
TEST_F(SlipTests, UnansweredMicrReadLeavesTheStatusPanelWorking) {
    for (Link link : {Link::Lan, Link::Usb}) {
        SCOPED_TRACE(linkName(link));
        if (link == Link::Lan) printer.setReply({0x1D, 0x04, 0x01}, {});  // polled with ESC v and ESC u
        auto& w = open(link, 0);
        setSlipDocument(printer.status(), sim::SlipDocument::Inserted);
        printer.setReply({0x1B, 0x77, 0x50, 0x0D}, {});
        messages.clear();
        ASSERT_TRUE(driver.click(w.MICRButton));
        ASSERT_TRUE(micrSent());
        printer.status().paperOut = true;
        runFor(2500);
        EXPECT_EQ(checked().count(1), 1u);
        EXPECT_EQ(messages.size(), 1u) << "the prompt alone";
        printer.status().paperOut = false;
        printer.clearReplies();
        setSlipDocument(printer.status(), sim::SlipDocument::None);
        disconnect();
    }
}

// A reply cut short after its status byte and part of the text is dropped
// once its time is up: a later CR ends no read, and the status bytes after it reach the panel.
TEST_F(SlipTests, CutMicrReplyIsDroppedAndThePanelGoesOn) {
    for (Link link : {Link::Serial, Link::Lan, Link::Usb}) {
        SCOPED_TRACE(linkName(link));
        auto& w = open(link, 0);
        setSlipDocument(printer.status(), sim::SlipDocument::Inserted);
        printer.setReply({0x1B, 0x77, 0x50, 0x0D}, {0x00, 't', '0', '2'});
        messages.clear();
        ASSERT_TRUE(driver.click(w.MICRButton));
        runFor(1500);
        printer.paper().clear();
        printer.setReply({0x1D, 0x04, 0x01}, {0x0D});  // a status byte that is a CR
        runFor(1500);
        printer.clearReplies();
        printer.status().paperOut = true;
        runFor(6500);  // the poll that lost its reply is given up first
        EXPECT_EQ(checked().count(1), 1u);
        EXPECT_EQ(messages.size(), 1u) << "the prompt alone";
        EXPECT_EQ(paper(), Strings{});
        printer.status().paperOut = false;
        setSlipDocument(printer.status(), sim::SlipDocument::None);
        disconnect();
    }
}

// On USB HID the window reads the MICR reply itself: noise faster than a HID
// read gives up must not hold it there beyond the time a reply takes.
TEST_F(SlipTests, HidNoiseHoldsTheMicrReadOnlyBriefly) {
    auto& w = open(Link::Usb, 0);
    setSlipDocument(printer.status(), sim::SlipDocument::Inserted);
    platform::Micros t0 = clock.now();
    ASSERT_TRUE(driver.click(w.MICRButton));
    const double quiet = elapsedMs(t0);
    printer.onLog = [this](const sim::SimLogEntry& entry) {
        if (std::count(entry.decoded.begin(), entry.decoded.end(), "ESC w P (MICR read)") == 0) return;
        printer.onLog = nullptr;
        printer.setNoise(100'000);  // ten bytes a second, for a minute
        printer.scheduler().after(60'000'000, [this] { printer.setNoise(0); });
    };
    t0 = clock.now();
    ASSERT_TRUE(driver.click(w.MICRButton));
    EXPECT_LT(elapsedMs(t0), quiet + 1500);
}

// The slip print and the flip sleep with no reply due; the status poll, held
// up as long as the TCP reply watchdog, is older and goes first: its requests
// are what the watchdog then waits for.
TEST_F(SlipTests, BlockingSleepsOnTcpAreNoTimeOut) {
    auto& w = open(Link::Lan, 0);
    for (auto button : {&diagnostics::DiagnosePrinterDlg::SlipButton, &diagnostics::DiagnosePrinterDlg::FlipButton}) {
        setSlipDocument(printer.status(), sim::SlipDocument::Inserted);
        ASSERT_TRUE(driver.click(w.*button));
        runFor(3000);
        EXPECT_EQ(w.PrinterOnlineText.Text(), "Online");
        EXPECT_TRUE((w.*button).Enabled());
    }
}

TEST_F(SlipTests, SlipPrintGoesToTheSlipStationAndEjectsIt) {
    for (Link link : {Link::Serial, Link::Usb}) {
        SCOPED_TRACE(linkName(link));
        auto& w = open(link, 0);
        setSlipDocument(printer.status(), sim::SlipDocument::Inserted);
        ASSERT_TRUE(driver.click(w.SlipButton));
        const Strings commands = printCommands();
        const auto slipStation = std::find(commands.begin(), commands.end(), "ESC c 48 4");
        ASSERT_NE(slipStation, commands.end());
        EXPECT_EQ(*(slipStation - 2), "ESC @");
        EXPECT_EQ(commands.back(), "ESC c 49 1");
        const Strings got = paper();
        EXPECT_EQ(got.front(), "line c00: " + std::string(45, '-')) << "the slip's columns";
        EXPECT_EQ(std::count(got.begin(), got.end(), "image m1 288x8"), 10);
        EXPECT_EQ(got.back(), "slip eject");
        EXPECT_EQ(slipDocument(printer.status()), sim::SlipDocument::None);
        disconnect();
    }
    // No slip station: nothing at all.
    auto& w = open(Link::Lan, 5);
    w.PrintSlipTestLan();
    w.ReadMICRLan();
    w.FlipCheckLan();
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(printCommands(), (Strings{"ESC @", "GS US 0"}));
}

// A test key pressed during the sleep after a slip print is taken then and
// runs once the slip test has ended: the receipt prints once, after the eject.
TEST_F(SlipTests, KeyPressedDuringTheSlipSleepRunsAfterIt) {
    for (Link link : {Link::Lan, Link::Usb}) {
        SCOPED_TRACE(linkName(link));
        auto& w = open(link, 0);
        setSlipDocument(printer.status(), sim::SlipDocument::Inserted);
        bool pressed = false;
        printer.onLog = [&](const sim::SimLogEntry& entry) {
            if (pressed || std::count(entry.decoded.begin(), entry.decoded.end(), "FF") == 0) return;
            pressed = true;
            printer.scheduler().after(5'000'000, [&] { loop.post([&] { driver.pressKey(w, '1'); }); });
        };
        ASSERT_TRUE(driver.click(w.SlipButton));
        printer.onLog = nullptr;
        const Strings got = paper();
        EXPECT_EQ(std::count(got.begin(), got.end(), "cut"), 1);
        EXPECT_EQ(std::count(std::find(got.begin(), got.end(), "slip eject"), got.end(), "cut"), 1);
        disconnect();
    }
}

// A noisy line and an empty station: only the answer to the wait's own
// request tells where the document is, so nothing goes to the slip station
// however long the technician keeps pressing OK. A slow printer leaves the
// noise time to fall between the request and its answer. With a check in,
// the print follows the first OK.
TEST_F(SlipTests, NoiseIsNeverTakenForADocumentInPlace) {
    struct Case {
        Link link;
        platform::Micros replyDelay;
        int presses;
        // With a document in, the answers the noise spoils cost OK presses;
        // none of them may be read away as a sensor message's bytes.
        int promptsWithCheckIn = 0;
    } cases[] = {
        {Link::Serial, 2000, 8},
        {Link::Lan, 2000, 8},
        {Link::Serial, 600'000, 30},
        {Link::Lan, 600'000, 30},
        {Link::Lan, 600'000, 10, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(linkName(c.link)) + " " + std::to_string(c.replyDelay));
        auto& w = open(c.link, 0);
        printer.config().replyDelay = c.replyDelay;
        printer.setNoise(250'000);  // four random bytes a second
        if (c.promptsWithCheckIn > 0) setSlipDocument(printer.status(), sim::SlipDocument::Inserted);
        messageKeys.assign(static_cast<std::size_t>(c.presses), '1');
        messageKeys.push_back('0');
        ASSERT_TRUE(driver.click(w.SlipButton));
        runFor(2000 + c.presses * 3 * static_cast<int>(c.replyDelay / 1000));
        if (c.promptsWithCheckIn > 0) {
            EXPECT_EQ(countCommand("ESC c 48 4"), 1);
            EXPECT_LE(c.presses + 1 - static_cast<int>(messageKeys.size()), c.promptsWithCheckIn);
            setSlipDocument(printer.status(), sim::SlipDocument::None);
        } else {
            EXPECT_EQ(countCommand("ESC c 48 4"), 0);
            EXPECT_TRUE(messageKeys.empty()) << "every OK got its answer and a new prompt";
        }
        printer.setNoise(0);
        printer.config().replyDelay = 2000;
        disconnect();
    }
}

// A TCP printer that closes the connection during a test and takes the
// reconnect: the window shows the failed test offline, and online again as
// soon as the printer answers its poll.
TEST_F(SlipTests, TcpPrinterBackAfterAFailedTestShowsOnlineAgain) {
    using Dlg = diagnostics::DiagnosePrinterDlg;
    for (auto button : {&Dlg::SlipButton, &Dlg::MICRButton, &Dlg::FlipButton}) {
        auto& w = open(Link::Lan, 4);
        setSlipDocument(printer.status(), sim::SlipDocument::Inserted);
        printer.scheduler().after(300'000, [this] { printer.closeConnection(); });
        ASSERT_TRUE(driver.click(w.*button));
        runFor(5000);
        EXPECT_EQ(w.PrinterOnlineText.Text(), "Online");
        EXPECT_EQ(enabledButtons(), "12345678-0");
        disconnect();
    }
}

}  // namespace
}  // namespace diagtest
