#include "printer-sim/SimConfigurationCommands.h"

#include <string>

#include "printer-sim/SimPrinter.h"

namespace sim {

namespace {
constexpr std::uint8_t kPaperPresent = 0x00;
}  // namespace

void addConfigurationWindowCommands(SimPrinter& printer) {
    printer.addCommand({{0x1D, 0x1F, 0x00}, {}, [](const platform::Bytes&) { return std::string("GS US 0"); }, {}});
    printer.addCommand({{0x1D, 0x72, kAnyByte},
                        {},
                        [](const platform::Bytes& command) { return "GS r " + std::to_string(command.back()); },
                        [](SimPrinter& p, const platform::Bytes&) { p.reply({kPaperPresent}); }});
}

}  // namespace sim
