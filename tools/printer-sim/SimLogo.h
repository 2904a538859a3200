// The simulated printer's flash logos: the downloaded bit images kept in
// its flash memory by logo number, and the commands that clear, select,
// define and print them and report the flash write.
//
// GS @ 1 clears every logo (and the user-defined characters) and answers
// when the flash is erased, with a reply that ends in CR. GS # n selects the
// number the next GS * X Y defines: X × 8 columns of Y bytes each, top byte
// first, 8 × X × Y bytes. When the flash write is set to fail
// (SimStatusModel::flashWriteFails) the image is not kept and GS r 4 answers
// with bit 3 set. GS / n prints the selected logo in mode n (0
// normal, 1 double width, 2 double height, 3 both) into the paper log, as
// an image the following line end prints.
//
// Ownership: each SimPrinter holds one SimFlash (SimPrinter::flash()).
// Nothing here blocks.
#pragma once

#include <cstdint>
#include <map>

#include "platform/Text.h"

namespace sim {

class SimPrinter;

// The byte that ends the answer to GS @ 1.
inline constexpr std::uint8_t kFlashErasedAnswer = 0x0D;

struct SimFlash {
    struct Logo {
        int columns = 0;       // dots across: 8 × X
        int bytesPerColumn = 0;  // Y; the logo is 8 × Y dots high
        platform::Bytes data;  // column after column, top byte first
    };
    std::map<int, Logo> logos;
    int selected = 0;
    int writes = 0;  // images the flash took
};

// GS @ 1, GS # n, GS * X Y, GS / n, GS r 4; added to every printer by
// addStandardCommands.
void addLogoCommands(SimPrinter& printer);

}  // namespace sim
