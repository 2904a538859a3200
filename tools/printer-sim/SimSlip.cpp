#include "printer-sim/SimSlip.h"

#include "printer-sim/SimPrinter.h"

namespace sim {

using platform::Bytes;

namespace {

constexpr std::uint8_t kCarriageReturn = 0x0D;
constexpr int kGoodRead = 0, kBadRead = 1, kNoCheck = 2;
constexpr std::uint8_t kSlipStation = 0x04;

char readerCharacter(char c) {
    switch (c) {
        case 't': return ')';
        case 'o': return '(';
        case '$': return '&';
        case '-': return '\'';
        default: return c;
    }
}

void readMicr(SimPrinter& printer, const Bytes&) {
    ++printer.slip().micrReads;
    printer.reply(micrReply(printer.slip(), printer.status()));
}

void flipCheck(SimPrinter& printer, const Bytes&) {
    if (slipDocument(printer.status()) == SlipDocument::Inserted) ++printer.slip().flips;
}

}  // namespace

void setSlipDocument(SimStatusModel& status, SlipDocument document) {
    status.slipTopOfForm = document != SlipDocument::None;
    status.slipBottomOfForm = document == SlipDocument::Inserted;
}

SlipDocument slipDocument(const SimStatusModel& status) {
    if (status.slipTopOfForm && status.slipBottomOfForm) return SlipDocument::Inserted;
    return status.slipTopOfForm ? SlipDocument::LeadingEdge : SlipDocument::None;
}

Bytes micrReply(const SimSlip& slip, const SimStatusModel& status) {
    int code = slip.micrStatus;
    if (code < 0) code = slipDocument(status) == SlipDocument::Inserted ? kGoodRead : kNoCheck;
    Bytes reply{static_cast<std::uint8_t>(code)};
    if (code == kGoodRead || code == kBadRead)
        for (char c : slip.micrLine) reply.push_back(static_cast<std::uint8_t>(readerCharacter(c)));
    reply.push_back(kCarriageReturn);
    return reply;
}

void ejectSlip(SimPrinter& printer) { setSlipDocument(printer.status(), SlipDocument::None); }

void addSlipCommands(SimPrinter& printer) {
    printer.addCommand({{0x1B, 0x63, 0x30, kAnyByte}, {},
                        [](const Bytes& c) { return "ESC c 48 " + std::to_string(c[3]); },
                        [](SimPrinter& p, const Bytes& c) { p.status().slipSelected = (c[3] & kSlipStation) != 0; }});
    printer.addCommand({{0x1B, 0x77, 0x50, 0x0D}, {}, commandName("ESC w P (MICR read)"), readMicr});
    printer.addCommand({{0x1B, 0x77, 0x01}, {}, commandName("ESC w 1"), {}});
    printer.addCommand({{0x1B, 0x77, 0x46}, {}, commandName("ESC w F (check flip)"), flipCheck});
    printer.addCommand({{0x1B, 0x65, kAnyByte}, {},
                        [](const Bytes& c) { return "ESC e " + std::to_string(c[2]); }, {}});
}

}  // namespace sim
