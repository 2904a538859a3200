// The simulated printer's configuration commands: each form the
// configuration window sends, what the printer keeps of it, and the
// console line that shows it.
#include <gtest/gtest.h>

#include <sstream>

#include "printer-sim/SimConfigurationCommands.h"
#include "printer-sim/SimConsole.h"
#include "printer-sim/SimPrinter.h"

namespace {

using platform::Bytes;
using Parameters = std::map<std::uint8_t, std::uint8_t>;

TEST(SimConfiguration, TakesEachFormOfTheCommandAndKeepsWhatItSets) {
    struct Case {
        int type;
        std::vector<Bytes> writes;  // stream chunks, or one USB HID report
        bool hid;
        Parameters before;
        std::vector<std::string> decoded;
        Parameters kept;
    };
    Bytes packet(64, 0);
    const Bytes packetHead = {0x08, 0x1B, 0x40, 0x1F, 0x11, 0x30, 0x01, 0x64, 0xF7, 0x65, 0x03, 0xFF};
    std::copy(packetHead.begin(), packetHead.end(), packet.begin());
    const Case cases[] = {
        {0, {{0x1F, 0x11}, {0x11, 0x04}, {0x21, 0x01}, {0xFF}, {0xFF}}, false, {},
         {"set parameters 11=04 21=01", "FF"}, {{0x11, 4}, {0x21, 1}}},
        {0, {packet}, true, {}, {"ESC @", "set parameters 30=01 64=F7 65=03"}, {{0x30, 1}, {0x64, 0xF7}, {0x65, 3}}},
        {14, {{0x1F, 0x06, 0x01}, {0x1F, 0x08, 0x02}, {0x21, 0x01}}, false, {},
         {"set parameter 06=01", "set parameter 08=02", "text !", "unknown 01"}, {{0x06, 1}, {0x08, 2}}},
        // The M27x's single setting is no command of other types: the bytes
        // are unknown and never hold back what follows.
        {0, {{0x1F, 0x06, 0x01, 0x1B, 0x40}}, false, {}, {"unknown 1F", "ACK", "unknown 01", "ESC @"}, {}},
        {0, {{0x1F, 0x11, 0x11, 0x04, 0xFF, 0x1F, 0x11, 0x50, 0x00, 0xFF}}, false, {{0x40, 9}},
         {"set parameters 11=04", "restore defaults"}, {}},
        {11, {{0x1F, 0x11, 0x60, 0x00, 0xFF}, {0x1F, 0x74}}, false, {{0x40, 9}}, {"restore defaults", "print form"},
         {}},
        {14, {{0x1F, 0x74, 0x00, 0x01}}, false, {}, {"print form"}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(platform::hexBytes(c.writes.front()));
        platform::VirtualClock clock;
        sim::VirtualScheduler scheduler{clock};
        sim::SimPrinter printer{scheduler};
        printer.config().printerType = c.type;
        printer.config().parameters = c.before;
        for (const Bytes& write : c.writes) c.hid ? printer.receiveReport(write) : printer.receive(write);
        EXPECT_EQ(printer.commands(), c.decoded);
        EXPECT_EQ(printer.config().parameters, c.kept);
    }
}

TEST(SimConfiguration, ConsoleLinePrintsTheHeldConfiguration) {
    platform::VirtualClock clock;
    sim::VirtualScheduler scheduler{clock};
    sim::SimPrinter printer{scheduler};
    std::ostringstream out;
    sim::runConsoleLine("config\r", {&printer}, out);
    printer.config().parameters = {{0x11, 4}, {0x21, 1}};
    sim::runConsoleLine(" config", {&printer}, out);
    sim::runConsoleLine("paper", {&printer}, out);
    EXPECT_EQ(out.str(),
              "configuration: defaults\nconfiguration:\n  11=04\n  21=01\n"
              "printer-sim: unknown line 'paper'; known: set NAME, clear NAME, tallies, config, delay MS, silent, answer, "
              "noise N|off, skip N, split MS, late HEX.. MS, lose HEX.. and the lines of --help\n");
}

}  // namespace
