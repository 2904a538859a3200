#include "printer-sim/SimStatus.h"

#include <string_view>

#include "printer-sim/SimPrinter.h"

namespace sim {

namespace {

constexpr std::uint8_t kGsEotFixed = 0x12;
constexpr std::uint8_t kDleEmFixed = 0x80;

std::uint8_t bits(std::initializer_list<std::pair<bool, std::uint8_t>> flags, std::uint8_t base = 0) {
    std::uint8_t b = base;
    for (auto [on, mask] : flags)
        if (on) b |= mask;
    return b;
}

struct Condition {
    std::string_view name;
    bool SimStatusModel::*flag;
};
constexpr Condition kConditions[] = {
    {"paper-low", &SimStatusModel::paperLow},
    {"paper-out", &SimStatusModel::paperOut},
    {"cover-open", &SimStatusModel::coverOpen},
    {"slip-selected", &SimStatusModel::slipSelected},
    {"waiting-for-slip", &SimStatusModel::waitingForSlip},
    {"slip-tof", &SimStatusModel::slipTopOfForm},
    {"slip-bof", &SimStatusModel::slipBottomOfForm},
    {"slip-jam", &SimStatusModel::slipJam},
    {"feed-button", &SimStatusModel::feedButton},
    {"knife-error", &SimStatusModel::knifeError},
    {"head-temperature", &SimStatusModel::headTemperature},
    {"voltage", &SimStatusModel::voltage},
    {"unrecoverable", &SimStatusModel::unrecoverable},
    {"offline", &SimStatusModel::offline},
    {"drawer-open", &SimStatusModel::drawerOpen},
    {"presenter-paper", &SimStatusModel::presenterPaper},
    {"physical-reset", &SimStatusModel::physicalReset},
    {"presenter-error", &SimStatusModel::presenterError},
    {"jam", &SimStatusModel::jam},
    {"kiosk-door-open", &SimStatusModel::kioskDoorOpen},
    {"black-mark-failure", &SimStatusModel::blackMarkFailure},
    {"head-damaged", &SimStatusModel::headDamaged},
    {"flash-write-fails", &SimStatusModel::flashWriteFails},
};

}  // namespace

std::uint8_t gsEotStatus(const SimStatusModel& s, int n) {
    const bool error = s.knifeError || s.unrecoverable || s.headTemperature || s.voltage || s.slipJam;
    switch (n) {
        case 1: return bits({{!s.drawerOpen, 0x04}, {s.offline, 0x08}}, kGsEotFixed);
        case 2: return bits({{s.coverOpen, 0x04}, {s.feedButton, 0x08}, {s.paperOut, 0x20}, {error, 0x40}}, kGsEotFixed);
        case 3:
            return bits({{s.slipJam, 0x04}, {s.knifeError, 0x08}, {s.unrecoverable, 0x20},
                         {s.headTemperature || s.voltage, 0x40}},
                        kGsEotFixed);
        case 4: return bits({{s.paperLow, 0x0C}, {s.paperOut, 0x60}}, kGsEotFixed);
        case 5:
            return bits({{!s.slipSelected, 0x04}, {s.waitingForSlip, 0x08}, {!s.slipTopOfForm, 0x20},
                         {!s.slipBottomOfForm, 0x40}},
                        kGsEotFixed);
        default: return kGsEotFixed;
    }
}

std::uint8_t escVStatus(const SimStatusModel& s) {
    return bits({{s.paperLow, 0x01},
                 {s.coverOpen, 0x02},
                 {s.paperOut, 0x04},
                 {s.knifeError, 0x08},
                 {s.slipTopOfForm || s.headTemperature, 0x20},
                 {s.slipBottomOfForm || s.voltage, 0x40}});
}

std::uint8_t escUStatus(const SimStatusModel& s) { return s.drawerOpen ? 0x00 : 0x03; }

std::uint8_t dleEmStatus(const SimStatusModel& s, int n) {
    if (n == 1) return bits({{!s.presenterPaper, 0x01}, {s.physicalReset, 0x40}}, kDleEmFixed);
    return bits({{s.presenterError, 0x01}, {s.jam, 0x02}, {s.kioskDoorOpen, 0x08}, {s.blackMarkFailure, 0x20},
                 {s.headDamaged, 0x40}},
                kDleEmFixed);
}

bool setCondition(SimStatusModel& status, const std::string& name, bool on) {
    for (const Condition& c : kConditions) {
        if (c.name != name) continue;
        status.*c.flag = on;
        return true;
    }
    return false;
}

std::vector<std::string> conditionNames() {
    std::vector<std::string> names;
    for (const Condition& c : kConditions) names.emplace_back(c.name);
    return names;
}

void addStatusCommands(SimPrinter& printer) {
    printer.addCommand({{0x1D, 0x04, kAnyByte}, {}, commandName("GS EOT", 1), [](SimPrinter& p, const platform::Bytes& c) {
                            p.reply({gsEotStatus(p.status(), c.back())});
                        }});
    printer.addCommand({{0x1B, 0x76}, {}, [](const platform::Bytes&) { return std::string("ESC v"); },
                        [](SimPrinter& p, const platform::Bytes&) { p.reply({escVStatus(p.status())}); }});
    printer.addCommand({{0x1B, 0x75, kAnyByte}, {}, commandName("ESC u", 1),
                        [](SimPrinter& p, const platform::Bytes&) { p.reply({escUStatus(p.status())}); }});
    printer.addCommand({{0x10, 0x19, kAnyByte}, {}, commandName("DLE EM", 1), [](SimPrinter& p, const platform::Bytes& c) {
                            p.reply({dleEmStatus(p.status(), c.back())});
                        }});
}

}  // namespace sim
