// The lines printer-sim takes on its standard input for the slip station,
// the MICR reader and the check scanner; the console (SimConsole.h) hands
// them here. Pure parsing and setting; nothing blocks.
#pragma once

#include <string>

namespace sim {

class SimPrinter;

// For --help: one line per form.
extern const char* const kDeviceLinesHelp;

// Applies one such line to the printer. False when the line is none of
// them; true when it is, with `error` set when it could not be applied.
bool applyDeviceLine(SimPrinter& printer, const std::string& line, std::string& error);

}  // namespace sim
