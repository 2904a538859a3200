#include "printer-sim/SimLogo.h"

#include "printer-sim/SimPrinter.h"

namespace sim {

using platform::Bytes;

namespace {

constexpr std::uint8_t kFlashWriteFailed = 0x08;

// GS * X Y: 8 × X × Y data bytes follow the four command bytes.
std::size_t definitionLength(const Bytes& pending) {
    if (pending.size() < 4) return 0;
    return 4 + 8u * pending[2] * pending[3];
}

void eraseFlash(SimPrinter& printer, const Bytes&) {
    printer.flash().logos.clear();
    printer.reply({kFlashErasedAnswer});
}

void defineLogo(SimPrinter& printer, const Bytes& c) {
    if (printer.status().flashWriteFails) return;
    SimFlash& flash = printer.flash();
    flash.logos[flash.selected] = {8 * c[2], c[3], Bytes(c.begin() + 4, c.end())};
    ++flash.writes;
}

void printLogo(SimPrinter& printer, const Bytes& c) {
    const SimFlash& flash = printer.flash();
    const auto it = flash.logos.find(flash.selected);
    if (it == flash.logos.end()) return;
    printer.paper().bitImage(c[2] % 48, it->second.columns, it->second.bytesPerColumn, it->second.data,
                             PaperItem::Kind::Logo);
}

}  // namespace

void addLogoCommands(SimPrinter& printer) {
    printer.addCommand({{0x1D, 0x40, 0x31}, {}, commandName("clear user-defined area"), eraseFlash});
    printer.addCommand({{0x1D, 0x23, kAnyByte}, {}, commandName("GS #", 1),
                        [](SimPrinter& p, const Bytes& c) { p.flash().selected = c[2]; }});
    printer.addCommand({{0x1D, 0x2A, kAnyByte, kAnyByte}, definitionLength,
                        [](const Bytes& c) {
                            return "GS * " + std::to_string(c[2]) + " " + std::to_string(c[3]);
                        },
                        defineLogo});
    printer.addCommand({{0x1D, 0x2F, kAnyByte}, {}, commandName("GS /", 1), printLogo});
    printer.addCommand({{0x1D, 0x72, 0x04}, {}, commandName("GS r 4"), [](SimPrinter& p, const Bytes&) {
                            p.reply({static_cast<std::uint8_t>(p.status().flashWriteFails ? kFlashWriteFailed : 0)});
                        }});
}

}  // namespace sim
