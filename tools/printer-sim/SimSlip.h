// The simulated printer's slip station with its MICR reader and check
// flipper: the document in the station (none, in as far as the leading edge
// sensor, or fully in with both edge sensors covered), the MICR line printed
// on the check and the reply the reader gives for it, and the commands that
// use them (station select, MICR read, check flip, slip eject).
//
// Where the document is lives in the status model's two edge sensors
// (SimStatusModel::slipTopOfForm, slipBottomOfForm), so the GS EOT 5 and
// ESC v replies follow it. Tests change it directly; printer-sim through
// lines on its standard input (SimDeviceLines.h).
//
// Ownership: each SimPrinter holds one SimSlip (SimPrinter::slip()).
// Nothing here blocks; replies run as the printer's scheduled actions.
#pragma once

#include <string>

#include "platform/Text.h"

namespace sim {

class SimPrinter;
struct SimStatusModel;

enum class SlipDocument { None, LeadingEdge, Inserted };

struct SimSlip {
    // The check's MICR line as a person reads it: digits, blanks and the
    // symbols "t" (transit), "o" (on-us), "$" (amount) and "-" (dash). The
    // reader sends the symbols as its substitute characters ")", "(", "&"
    // and "'".
    std::string micrLine = "t021000021t 1234567890o 0042";
    // The reply's status byte: -1 decides by the document (0 when a check is
    // in, 2 "no check" otherwise); 0 to 4 forces it. Statuses 0 and 1 send
    // the MICR line, the others only the closing CR.
    int micrStatus = -1;
    int micrReads = 0;
    int flips = 0;
};

void setSlipDocument(SimStatusModel& status, SlipDocument document);
SlipDocument slipDocument(const SimStatusModel& status);

// The MICR reply: the status byte, the line in the reader's characters
// (statuses 0 and 1) and CR.
platform::Bytes micrReply(const SimSlip& slip, const SimStatusModel& status);

// ESC c 0 n (station select), ESC w P CR (MICR read), ESC w 1, ESC w F
// (check flip), ESC e n; added to every printer by addStandardCommands.
void addSlipCommands(SimPrinter& printer);

// FF: the slip station ejects its document.
void ejectSlip(SimPrinter& printer);

}  // namespace sim
