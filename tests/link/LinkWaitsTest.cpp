// How long the link's operations wait, and that what runs during their
// yields cannot end them.
#include <functional>
#include <string>
#include <vector>

#include "LinkTestSupport.h"
#include "platform/RuntimeError.h"

namespace linktest {
namespace {

using printerlink::PrinterLink;

// Records what the application's report of handler errors is given.
struct ReportedErrors {
    ReportedErrors() {
        platform::setHandlerErrorReport([this](const platform::RuntimeError& e) { numbers.push_back(e.number()); });
    }
    ~ReportedErrors() { platform::setHandlerErrorReport(nullptr); }
    std::vector<int> numbers;
};

TEST_F(LinkTest, EachSendWaitsItsOwnTimeOnSerial) {
    using Send = std::function<bool(PrinterLink&, bool text)>;
    const Send output = [](PrinterLink& l, bool text) {
        return text ? l.SendOutput(std::string("ABC")) : l.SendOutput(Bytes(130, 0x20));
    };
    const Send rtos = [](PrinterLink& l, bool text) {
        return text ? l.SendRTOSCmd(std::string("ABC")) : l.SendRTOSCmd(Bytes(130, 0x20));
    };
    const Send validation = [](PrinterLink& l, bool text) {
        return text ? l.SendRTOSCmdPrinterValidation(std::string("ABC"))
                    : l.SendRTOSCmdPrinterValidation(Bytes(130, 0x20));
    };
    // 130 bytes go out as three pieces. A busy printer (CTS low) is waited
    // for in ten rounds before the send, with a 10 ms sleep in each round
    // except for the connection check's send.
    struct Case {
        const char* name;
        Send send;
        bool text;
        bool busy;
        double ms;
    } cases[] = {
        {"output text", output, true, false, 0},
        {"output bytes", output, false, false, 0},
        {"output text, busy printer", output, true, true, 101},
        {"RTOS text", rtos, true, false, 100},
        {"RTOS bytes", rtos, false, false, 300},
        {"RTOS text, busy printer", rtos, true, true, 201},
        {"validation text", validation, true, false, 100},
        {"validation bytes", validation, false, false, 30},
        {"validation text, busy printer", validation, true, true, 101},
    };
    ASSERT_TRUE(connect(1, 5));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        printer.setCtsLow(c.busy);
        runFor(10);
        printer.clearLog();
        const auto start = clock.now();
        EXPECT_TRUE(c.send(*link, c.text));
        EXPECT_NEAR(elapsedMs(start), c.ms, 1.5);
        runFor(10);  // the last bytes on their way
        EXPECT_EQ(streamReceivedByPrinter().size(), c.text ? 3u : 130u);
    }
}

TEST_F(LinkTest, LanConnectWaitsTenThousandYieldsForThePrinterToAccept) {
    network.connectDelay = 500'000;  // a printer slow to accept
    const auto start = clock.now();
    EXPECT_TRUE(connect(17));
    EXPECT_NEAR(elapsedMs(start), 1000, 5);
}

TEST_F(LinkTest, AWindowsFailingTimerDoesNotEndALongSend) {
    ReportedErrors reported;
    ASSERT_TRUE(connect(1, 5));
    printer.setCtsLow(true);  // busy for two seconds
    scheduler.after(2'000'000, [this] { printer.setCtsLow(false); });
    printer.clearLog();
    platform::Timer statusTimer(loop);
    statusTimer.onTimer = [] { platform::raiseError(platform::err::TypeMismatch); };
    statusTimer.setInterval(1000);
    EXPECT_TRUE(link->SendOutput(Bytes(610, 0x20)));
    EXPECT_EQ(link->LastError, 0);
    runFor(10);
    EXPECT_EQ(streamReceivedByPrinter().size(), 610u);
    ASSERT_FALSE(reported.numbers.empty());
    EXPECT_EQ(reported.numbers, std::vector<int>(reported.numbers.size(), platform::err::TypeMismatch));
}

}  // namespace
}  // namespace linktest
