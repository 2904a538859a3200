// The lines printer-sim takes on its standard input for the slip station,
// the MICR reader and the check scanner, and for how the printer answers
// (reply delay, silence, noise, skipped
// and split status replies, one reply late or lost); the console
// (SimConsole.h) hands them here.
// Pure parsing and setting; nothing blocks.
#pragma once

#include <string>

#include "platform/loop/Clock.h"

namespace sim {

class SimPrinter;

// For --help: one line per form.
extern const char* const kDeviceLinesHelp;

// Applies one such line to the printer. False when the line is none of
// them; true when it is, with `error` set when it could not be applied.
bool applyDeviceLine(SimPrinter& printer, const std::string& line, std::string& error);

// A noise rate as a person gives it, random bytes a second (decimals allowed,
// 0.01 to 1000) or "off" or 0, as the time between two bytes (0: none).
// False when the text is no such rate.
bool parseNoiseRate(const std::string& text, platform::Micros& every);

}  // namespace sim
