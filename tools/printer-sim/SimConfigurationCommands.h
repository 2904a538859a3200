// What the simulated printer does with the commands the configuration window
// sends when it opens and while it polls the printer's status.
#pragma once

namespace sim {

class SimPrinter;

// GS US 0 (1D 1F 00), taken without an answer; GS r n (1D 72 n), answered
// with one status byte: paper present, no near-end.
void addConfigurationWindowCommands(SimPrinter& printer);

}  // namespace sim
