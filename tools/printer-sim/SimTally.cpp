#include "printer-sim/SimTally.h"

#include <algorithm>
#include <optional>

#include "printer-sim/PrinterTypes.h"
#include "printer-sim/SimPrinter.h"

namespace sim {

using platform::Bytes;

namespace {

constexpr std::uint8_t kEndByte = 0x0D;
// Time one reply byte takes on the line (about 115200 baud).
constexpr platform::Micros kByteTime = 100;
constexpr int kWrite = 0, kWriteAndPrint = 1, kClear = 2, kRead = 3;
// Not the read code they come before: a reader that looks for that reply
// by its code alone would miss it.
const Bytes kFlashPartLeadBytes = {0x01, 0x02};

struct IdItemInfo {
    std::uint8_t base;
    int width;  // data characters
    const char* name;
};
constexpr std::array<IdItemInfo, kSimIdItemCount> kIdItems = {{
    {0x24, 15, "class and model"},
    {0x20, 10, "serial number"},
    {0x94, 4, "boot firmware revision"},
    {0x2C, 4, "boot firmware CRC"},
    {0x28, 12, "boot firmware part number"},
    {0xA0, 4, "firmware"},
    {0x34, 4, "flash firmware CRC"},
    {0x30, 12, "flash firmware part number"},
}};
const std::array<std::string, kSimIdItemCount> kFixedIdItems = {"", "", "0102", "5A1F", "BT-004412-01",
                                                                "", "C39E", "FW-007731-02"};

struct TallyInfo {
    std::uint8_t standardBase, kioskBase;
    const char* name;
};
constexpr std::array<TallyInfo, kSimTallyCount> kTallies = {{
    {0x80, 0x80, "receipt lines"},
    {0x84, 0x84, "knife cuts"},
    {0xB4, 0xC8, "slip lines / paper jams"},
    {0x88, 0xCC, "slip characters / present length"},
    {0x8C, 0xBC, "MICR reads / presenter jams"},
    {0x90, 0x90, "hours on"},
    {0xA4, 0xA4, "flash cycles"},
    {0xA8, 0xA8, "knife jams"},
    {0xAC, 0xAC, "cover openings"},
    {0xB0, 0xB0, "max temperature reached"},
    {0xBC, 0xDC, "receipt lines (back)"},
    {0xB8, 0xC4, "scan times / partial knife cut"},
}};
constexpr int kMaxTempTally = 9, kPresenterJams = 4, kReceiptLinesBack = 10;

// What one GS I @ code names on a printer of the given type.
struct Item {
    bool tally = false;
    int index = 0;
    int op = 0;
};

std::optional<Item> itemOf(std::uint8_t code, int type) {
    const std::uint8_t base = code & 0xFC;
    const int op = code & 0x03;
    for (int i = 0; i < kSimIdItemCount; ++i)
        if (kIdItems[static_cast<std::size_t>(i)].base == base) return Item{false, i, op};
    // The printer's own column first: the standard tally 10 bases are the
    // kiosk tally 4 bases.
    const bool kiosk = isKioskType(type);
    for (bool kioskColumn : {kiosk, !kiosk}) {
        for (int i = 0; i < kSimTallyCount; ++i) {
            const TallyInfo& t = kTallies[static_cast<std::size_t>(i)];
            if ((kioskColumn ? t.kioskBase : t.standardBase) != base) continue;
            int index = i;
            if (op == kRead && kioskColumn && (type == 9 || type == 15)) {
                if (i == kPresenterJams) index = kReceiptLinesBack;
                else if (i == kReceiptLinesBack) index = kPresenterJams;
            }
            return Item{true, index, op};
        }
    }
    return std::nullopt;
}

bool writable(const Item& item) {
    if (item.op != kWrite && item.op != kWriteAndPrint) return false;
    return item.tally ? item.index != kMaxTempTally : item.index < 2;
}

int dataWidth(const Item& item) { return item.tally ? 8 : kIdItems[static_cast<std::size_t>(item.index)].width; }

std::string fitted(std::string text, std::size_t width) {
    text.resize(width, ' ');
    return text;
}

std::string idItemData(const SimPrinter& printer, int index) {
    const SimTally& tally = printer.tally();
    std::string text = kFixedIdItems[static_cast<std::size_t>(index)];
    if (index == 0) text = tally.classModel.empty() ? printerType(printer.config().printerType).model : tally.classModel;
    if (index == 1) text = tally.serialNumber;
    if (index == 5) text = printer.config().firmware;
    // Item 5 carries the firmware text as it is, so the link's firmware
    // probe reads it whatever its length.
    return index == 5 ? text : fitted(text, static_cast<std::size_t>(kIdItems[static_cast<std::size_t>(index)].width));
}

std::string counterDigits(std::uint32_t value) {
    std::string digits = std::to_string(value % 100000000u);
    return std::string(8 - digits.size(), '0') + digits;
}

std::string itemName(const Item& item) {
    return item.tally ? kTallies[static_cast<std::size_t>(item.index)].name
                      : kIdItems[static_cast<std::size_t>(item.index)].name;
}

std::size_t commandLength(const Bytes& pending, int type) {
    const auto item = itemOf(pending[3], type);
    return 4 + (item && writable(*item) ? static_cast<std::size_t>(dataWidth(*item)) : 0);
}

std::string describeCommand(const Bytes& command, int type) {
    const std::string code = platform::hexBytes(Bytes{command[3]});
    const auto item = itemOf(command[3], type);
    if (!item) return "GS I @ " + code + " (unknown item)";
    if (!item->tally && item->index == 5 && item->op == kRead) return "GS I @ " + code + " (firmware)";
    const std::string name = itemName(*item);
    const std::string data(command.begin() + 4, command.end());
    switch (item->op) {
        case kWrite: return "GS I @ " + code + " (write " + name + " '" + data + "')";
        case kWriteAndPrint: return "GS I @ " + code + " (write and print " + name + " '" + data + "')";
        case kClear: return "GS I @ " + code + " (clear " + name + ")";
        default: return "GS I @ " + code + " (read " + name + ")";
    }
}

// Replies go out one after the other: each starts when the one before has
// gone down the line. A late reply holds the line until it goes, so those
// behind it wait; a lost one is never sent and takes no time on the line.
// The lateness belongs to the command handled now, not to whichever command
// is being handled when a queued reply falls due.
void sendInTurn(SimPrinter& printer, const Bytes& reply) {
    const platform::Micros late = printer.lateness();
    if (late == platform::kForever) return;
    SimTally& tally = printer.tally();
    const platform::Micros now = printer.scheduler().now();
    const platform::Micros start = std::max(now, tally.lineFreeAt) + late;
    tally.lineFreeAt = start + static_cast<platform::Micros>(reply.size()) * kByteTime;
    // One held whose time has come may not have had its turn yet (a
    // request read first): this one goes behind it, as on the line.
    if (start == now && tally.repliesHeld == 0) {
        printer.reply(reply, 0);
        return;
    }
    ++tally.repliesHeld;
    printer.scheduler().after(start - now, tally.life.wrap([&printer, reply] {
        --printer.tally().repliesHeld;
        printer.reply(reply, 0);
    }));
}

void answerRead(SimPrinter& printer, const Item& item, std::uint8_t code) {
    const SimTally& tally = printer.tally();
    const int type = printer.config().printerType;
    Bytes reply;
    if (!item.tally && item.index == 7 && (type == 9 || type == 15)) reply = kFlashPartLeadBytes;
    reply.push_back(code);
    const std::string data =
        item.tally ? counterDigits(tally.counters[static_cast<std::size_t>(item.index)]) : idItemData(printer, item.index);
    reply.insert(reply.end(), data.begin(), data.end());
    reply.push_back(kEndByte);
    sendInTurn(printer, reply);
}

void store(SimPrinter& printer, const Item& item, const std::string& data) {
    SimTally& tally = printer.tally();
    if (!item.tally) {
        (item.index == 0 ? tally.classModel : tally.serialNumber) = data;
        return;
    }
    const double value = platform::Val(data);
    tally.counters[static_cast<std::size_t>(item.index)] = value > 0 ? static_cast<std::uint32_t>(value) : 0;
}

void handleIdItem(SimPrinter& printer, const Bytes& command) {
    const auto item = itemOf(command[3], printer.config().printerType);
    if (!item) return;
    const std::string data(command.begin() + 4, command.end());
    if (item->op == kRead) {
        answerRead(printer, *item, command[3]);
    } else if (item->op == kClear) {
        if (item->tally) printer.tally().counters[static_cast<std::size_t>(item->index)] = 0;
        if (!item->tally || printer.tally().answerTallyClears) sendInTurn(printer, {kClearAnswer});
    } else if (writable(*item)) {
        store(printer, *item, data);
        if (item->op == kWriteAndPrint) {
            printer.tally().printed.push_back(data);
            // The printer confirms the new value on paper.
            PaperItem line;
            line.text = data;
            printer.paper().add(std::move(line));
        }
    }
}

void answerClear(SimPrinter& printer, const Bytes&) { sendInTurn(printer, {kClearAnswer}); }

}  // namespace

bool isKioskType(int type) { return type == 9 || type == 10 || type == 11 || type == 12 || type == 13 || type == 15; }

void SimTally::follow(const Bytes& command) {
    if (command.size() == 1 && command[0] == 0x0A) ++counters[0];
    if (command.size() == 3 && command[0] == 0x1B && command[1] == 0x64) counters[0] += command[2];
    if (command.size() >= 3 && command[0] == 0x1D && command[1] == 0x56) ++counters[1];
}

void addTallyCommands(SimPrinter& printer) {
    printer.addCommand({{0x1D, 0x49, 0x40, kAnyByte},
                        [&printer](const Bytes& pending) { return commandLength(pending, printer.config().printerType); },
                        [&printer](const Bytes& command) { return describeCommand(command, printer.config().printerType); },
                        handleIdItem});
    printer.addCommand({{0x1D, 0x40, 0x31}, {}, commandName("clear user-defined area"), answerClear});
    printer.addCommand({{0x1D, 0x40, 0x32}, {}, commandName("clear user data area"), answerClear});
    printer.addCommand({{0x1D, 0x61, kAnyByte}, {}, commandName("GS a", 1), {}});
}

std::string describeTallies(const SimPrinter& printer) {
    std::string out = "ID items:\n";
    for (int i = 0; i < kSimIdItemCount; ++i)
        out += "  " + std::to_string(i) + " " + kIdItems[static_cast<std::size_t>(i)].name + ": " +
               idItemData(printer, i) + "\n";
    out += "Tallies:\n";
    for (int i = 0; i < kSimTallyCount; ++i)
        out += "  " + std::to_string(i) + " " + kTallies[static_cast<std::size_t>(i)].name + ": " +
               std::to_string(printer.tally().counters[static_cast<std::size_t>(i)]) + "\n";
    return out;
}

}  // namespace sim
