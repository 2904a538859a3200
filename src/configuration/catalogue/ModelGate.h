// The model gate of the configuration window: from the link state (enable:
// the printer is online) and what the connected model supports, the
// Enabled state of the window's three group frames, its five category
// buttons and the rows of the category on show. A printer connected as "Any
// HID USB POS Printer" is told by its model identifier, every other printer
// by its printer type; the rules of both are tables.
//
// The gate says what each rule allows. The window enables a row only where,
// besides, the catalogue gave the row options and the printer has a
// parameter number for it, since applying any other row would send a value
// the printer cannot take.
//
// Pure functions over constant data; nothing blocks.
#pragma once

#include <array>
#include <string_view>

#include "configuration/ConfigurationModel.h"

namespace configuration {

// What the gate writes to one row; a row it does not write keeps its state.
struct GateRow {
    bool written = false;
    bool box = false;   // Setting(r).Enabled
    bool list = false;  // SettingList(r).Enabled
};

struct ModelGateResult {
    bool frames = false;  // PrinterSettingsGroup, CategoryGroup and SettingsGroup
    std::array<bool, kCategoryCount> categoryButtons{};
    std::array<GateRow, kSettingRows> rows{};  // of the category on show
};

// By model identifier ("AXO3650", "AXOM27x", ..., see link/ModelIdentifiers.h).
ModelGateResult gateByModelName(std::string_view identifier, int shownCategory, bool enable);

// By printer type; a type outside 0-16 takes the entries for other types.
ModelGateResult gateByModelCode(long printerType, int shownCategory, bool enable);

}  // namespace configuration
