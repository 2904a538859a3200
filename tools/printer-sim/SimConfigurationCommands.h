// What the simulated printer does with the configuration window's commands:
// the command it opens with, the status poll, the configuration command in
// each form, restore defaults and print form. The restart (1D FF) is a
// standard command.
#pragma once

#include <string>

namespace sim {

class SimPrinter;

// GS US 0 (1D 1F 00), taken without an answer; GS r n (1D 72 n), answered
// with one status byte: paper present, no near-end. ESC @ taken. The
// configuration command 1F 11, [number, value] pairs, FF (also split over
// several writes, and as a USB HID ParameterPacket) sets the printer's
// parameters; a lone FF after it (one per category of an apply of all) is
// taken. 1F 11 50 00 FF (60 for types 10-12) restores the defaults. The
// M27x takes 1F, number, value as a command by itself. 1F 74 (M27x:
// 1F 74 00 01) prints the diagnostic form, which shows in the log.
void addConfigurationWindowCommands(SimPrinter& printer);

// The parameters the printer holds, one "number = value" line each in hex,
// or a line saying it holds the defaults.
std::string describeConfiguration(const SimPrinter& printer);

}  // namespace sim
