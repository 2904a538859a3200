// The simulated printer's ID items and usage counters (tallies), and the
// commands that read, write, print and clear them: GS I @ c [data].
//
// Item codes: every item has a base code B; B writes it, B+1 writes and
// prints it, B+2 clears it and B+3 reads it. A read is answered with the
// read code, the item's data and one end byte, never with a 00 byte. Kiosk
// printers keep some tallies under other bases; types 9 and 15 answer kiosk
// tallies 4 and 10 under each other's read code, and put two bytes (01 02)
// before their flash part number reply. The firmware version is ID item 5.
//
// The counters follow what the printer does: receipt lines grow with every
// line fed, knife cuts with every cut. Clears and the two user-area clears
// are answered with one byte (tally clears only while answerTallyClears). Replies of these commands go out one after
// the other, each taking its time on the line, as from a real printer.
//
// Ownership: each SimPrinter holds one SimTally (SimPrinter::tally());
// addTallyCommands puts its commands into that printer's table. Nothing
// here blocks; replies run as the printer's scheduled actions.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/Text.h"
#include "platform/loop/Clock.h"
#include "platform/loop/LifeToken.h"

namespace sim {

class SimPrinter;

inline constexpr int kSimIdItemCount = 8;
inline constexpr int kSimTallyCount = 12;
// The one byte a clear is answered with.
inline constexpr std::uint8_t kClearAnswer = 0x06;

struct SimTally {
    // ID items 0 and 1 as last written; an empty class and model reads as the
    // printer type's model name. Items 2 to 7 are fixed; item 5 is the
    // configured firmware text.
    std::string classModel;
    std::string serialNumber = "SN00012345";
    // Tallies by index: receipt lines (front), knife cuts, slip lines / paper
    // jams, slip characters / present length, MICR reads / presenter jams,
    // hours on, flash cycles, knife jams, cover openings, maximum temperature
    // reached, receipt lines (back), scan times / partial knife cut.
    std::array<std::uint32_t, kSimTallyCount> counters = {12345, 678, 90, 4321, 12, 345, 23, 1, 56, 2, 789, 34};
    // The values write-and-print commands printed, in order.
    std::vector<std::string> printed;
    // False: a printer that clears tallies without its one-byte answer.
    bool answerTallyClears = true;

    // Counts what a command the printer took does on paper (line feeds,
    // feeds of n lines, cuts); any other command changes nothing.
    void follow(const platform::Bytes& command);

    // When the line is free again after the replies already scheduled.
    platform::Micros lineFreeAt = 0;
    // Replies held for the line whose turn has not run yet.
    int repliesHeld = 0;
    platform::LifeToken life;
};

void addTallyCommands(SimPrinter& printer);

// The printer types whose tallies use the kiosk bases.
bool isKioskType(int type);

// The printer's ID items and tallies, one per line, for a person.
std::string describeTallies(const SimPrinter& printer);

}  // namespace sim
