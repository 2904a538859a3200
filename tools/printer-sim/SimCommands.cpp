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

// "DLE EOT 2": the name followed by the command's last byte in decimal.
std::function<std::string(const Bytes&)> namedWithArgument(std::string name) {
    return [name = std::move(name)](const Bytes& command) { return name + " " + std::to_string(command.back()); };
}

std::function<std::string(const Bytes&)> named(std::string name) {
    return [name = std::move(name)](const Bytes&) { return name; };
}

void answerStatus(SimPrinter& printer, const Bytes&) { printer.reply({printer.config().status}); }

void restartPrinter(SimPrinter& printer, const Bytes&) { printer.restart(); }

}  // namespace

void addStandardCommands(SimPrinter& printer) {
    // Status requests answered later (names only for now, so the log reads).
    printer.addCommand({{0x1B, 0x75, kAnyByte}, {}, namedWithArgument("ESC u"), {}});
    printer.addCommand({{0x10, 0x19, kAnyByte}, {}, namedWithArgument("DLE EM"), {}});

    // Real-time and ordinary status requests: one status byte each.
    printer.addCommand({{0x10, 0x04, kAnyByte}, {}, namedWithArgument("DLE EOT"), answerStatus});
    printer.addCommand({{0x1D, 0x04, kAnyByte}, {}, namedWithArgument("GS EOT"), answerStatus});
    printer.addCommand({{0x1B, 0x76}, {}, named("ESC v"), answerStatus});
    printer.addCommand({{0x1D, 0x72, kAnyByte}, {}, namedWithArgument("GS r"), answerStatus});

    printer.addCommand({{0x1D, 0xFF}, {}, named("restart 1D FF"), restartPrinter});

    addPrintCommands(printer);
    addStatusCommands(printer);
    addConfigurationWindowCommands(printer);
    addSlipCommands(printer);
    addLogoCommands(printer);
    addScanCommands(printer);
}

}  // namespace sim
