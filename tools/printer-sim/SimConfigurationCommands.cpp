#include "printer-sim/SimConfigurationCommands.h"

#include "printer-sim/SimPrintLog.h"
#include "printer-sim/SimPrinter.h"
#include "printer-sim/SimSlip.h"

namespace sim {

namespace {

using platform::Bytes;

constexpr std::uint8_t kPaperPresent = 0x00;
constexpr std::uint8_t kNoSlipDocument = 0x20;
constexpr std::uint8_t kUs = 0x1F;
constexpr std::uint8_t kSetParameters = 0x11;
constexpr std::uint8_t kPrintForm = 0x74;
constexpr std::uint8_t kEnd = 0xFF;
// The colour option is the one setting that shows on paper (the two-colour test).
constexpr std::uint8_t kColourOption = 0x37;
constexpr int kM27x = 14;

std::uint8_t restoreNumber(int printerType) { return printerType >= 10 && printerType <= 12 ? 0x60 : 0x50; }

// 1F 11, pairs, FF: the FF stands where a pair's number would.
std::size_t sequenceLength(const Bytes& pending) {
    for (std::size_t i = 2; i < pending.size(); i += 2)
        if (pending[i] == kEnd) return i + 1;
    return 0;
}

bool isRestore(const SimPrinter& printer, const Bytes& command) {
    return command.size() == 5 && command[2] == restoreNumber(printer.config().printerType) && command[3] == 0;
}

std::string pairText(std::uint8_t number, std::uint8_t value) {
    return platform::hexBytes(Bytes{number}) + "=" + platform::hexBytes(Bytes{value});
}

void addSetParameters(SimPrinter& printer) {
    printer.addCommand({{kUs, kSetParameters},
                        sequenceLength,
                        [&printer](const Bytes& command) {
                            if (isRestore(printer, command)) return std::string("restore defaults");
                            std::string text = "set parameters";
                            for (std::size_t i = 2; i + 1 < command.size(); i += 2) {
                                text += ' ';
                                text += pairText(command[i], command[i + 1]);
                            }
                            return text;
                        },
                        [](SimPrinter& p, const Bytes& command) {
                            if (isRestore(p, command)) {
                                p.config().parameters.clear();
                                return;
                            }
                            for (std::size_t i = 2; i + 1 < command.size(); i += 2) {
                                p.config().parameters[command[i]] = command[i + 1];
                                if (command[i] == kColourOption) {
                                    PaperItem option;
                                    option.kind = PaperItem::Kind::ColourOption;
                                    option.value = command[i + 1];
                                    p.paper().add(std::move(option));
                                }
                            }
                        }});
}

}  // namespace

void addConfigurationWindowCommands(SimPrinter& printer) {
    printer.addCommand({{0x1D, 0x1F, 0x00}, {}, commandName("GS US 0"), {}});
    printer.addCommand({{0x1D, 0x72, kAnyByte},
                        {},
                        [](const Bytes& command) { return "GS r " + std::to_string(command.back()); },
                        [](SimPrinter& p, const Bytes& command) {
                            // GS r 1 also tells whether a document fills the slip station.
                            const bool noSlip = command.back() == 1 && slipDocument(p.status()) != SlipDocument::Inserted;
                            p.reply({noSlip ? kNoSlipDocument : kPaperPresent});
                        }});
    printer.addCommand({{kEnd}, {}, commandName("FF"), {}});
    // The M27x's single setting; the header and print form are found first, and
    // on other types 1F n v is one of the print commands (two-sided, side).
    printer.addCommand({{kUs, kAnyByte, kAnyByte},
                        [&printer](const Bytes& pending) -> std::size_t {
                            if (printer.config().printerType != kM27x) return kNoMatch;
                            return pending[1] == kSetParameters || pending[1] == kPrintForm ? 0 : 3;
                        },
                        [](const Bytes& command) { return "set parameter " + pairText(command[1], command[2]); },
                        [](SimPrinter& p, const Bytes& command) {
                            if (p.config().printerType == kM27x) p.config().parameters[command[1]] = command[2];
                        }});
    addSetParameters(printer);
}

std::string describeConfiguration(const SimPrinter& printer) {
    const auto& parameters = printer.config().parameters;
    if (parameters.empty()) return "configuration: defaults\n";
    std::string text = "configuration:\n";
    for (const auto& [number, value] : parameters) text += "  " + pairText(number, value) + "\n";
    return text;
}

}  // namespace sim
