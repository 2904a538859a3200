// The simulated printer's status: the sensors and conditions behind its
// status replies, and the replies built from them. Every reply byte carries
// the fixed bits of its kind: GS EOT n (b AND 93h) = 12h, ESC v and ESC u
// (b AND 90h) = 0, DLE EM n (b AND 90h) = 80h.
//
// Conditions are plain flags that tests set directly and that printer-sim
// sets by name from its command line and standard input. Pure data and
// functions; nothing blocks.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace sim {

class SimPrinter;

struct SimStatusModel {
    // Receipt paper.
    bool paperLow = false;
    bool paperOut = false;
    // Covers and doors.
    bool coverOpen = false;
    // Slip station: which station is selected, the paper sensors at the top
    // of form (leading edge) and bottom of form (trailing edge).
    bool slipSelected = false;
    bool waitingForSlip = false;
    bool slipTopOfForm = false;
    bool slipBottomOfForm = false;
    bool slipJam = false;
    // Mechanism.
    bool feedButton = false;
    bool knifeError = false;
    bool headTemperature = false;
    bool voltage = false;
    bool unrecoverable = false;
    bool offline = false;
    // A printer without a drawer connected reads its drawer pin low, which
    // it reports as open.
    bool drawerOpen = true;
    // Kiosk presenter and mechanism.
    bool presenterPaper = false;
    bool physicalReset = false;
    bool presenterError = false;
    bool jam = false;
    bool kioskDoorOpen = false;
    bool blackMarkFailure = false;
    bool headDamaged = false;
    // Flash memory: downloaded logos are not kept (SimLogo.h).
    bool flashWriteFails = false;
};

// The replies: GS EOT n (1-5; others all clear), ESC v, ESC u, DLE EM n.
std::uint8_t gsEotStatus(const SimStatusModel& status, int n);
std::uint8_t escVStatus(const SimStatusModel& status);
std::uint8_t escUStatus(const SimStatusModel& status);
std::uint8_t dleEmStatus(const SimStatusModel& status, int n);

// Conditions by name ("paper-out", "cover-open", ...): false for an
// unknown name.
bool setCondition(SimStatusModel& status, const std::string& name, bool on);
std::vector<std::string> conditionNames();

// The status requests answered from the model (GS EOT n, ESC v, ESC u n,
// DLE EM n); added to every printer by addStandardCommands.
void addStatusCommands(SimPrinter& printer);

}  // namespace sim
