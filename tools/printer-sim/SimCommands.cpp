// The commands every simulated printer knows. Entries are data: the bytes,
// a name for the log, and what the printer does. Later features add theirs
// with SimPrinter::addCommand. The firmware version is an ID item
// (SimTally.cpp).
#include <string>

#include "printer-sim/SimConfigurationCommands.h"
#include "printer-sim/SimPrinter.h"

namespace sim {

using platform::Bytes;

namespace {

void answerStatus(SimPrinter& printer, const Bytes&) { printer.reply({printer.config().status}); }

void restartPrinter(SimPrinter& printer, const Bytes&) { printer.restart(); }

}  // namespace

void addStandardCommands(SimPrinter& printer) {

    // The real-time status request: one status byte (the other status
    // requests are answered from the status model, SimStatus.cpp).
    printer.addCommand({{0x10, 0x04, kAnyByte}, {}, commandName("DLE EOT", 1), answerStatus});

    printer.addCommand({{0x1D, 0xFF}, {}, commandName("restart 1D FF"), restartPrinter});

    addPrintCommands(printer);
    addStatusCommands(printer);
    addConfigurationWindowCommands(printer);
    addSlipCommands(printer);
    addLogoCommands(printer);
    addScanCommands(printer);
}

}  // namespace sim
