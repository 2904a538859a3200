// What the simulated printer put on paper, decoded from the print commands
// it received: text lines with the print mode, alignment and colour they
// were printed in, bit-image bands, bar codes, feeds, cuts, drawer pulses,
// the diagnostic form, and the colour and two-sided options. Tests assert on
// it as a person would look at the receipt.
//
// Line ends: CR ends a line and a LF right after it is part of the same
// line end; a lone LF ends a line too. Bit-image data waits in the line
// buffer and is printed by the line end, as one image item. ESC @ puts mode,
// alignment and colour back to their defaults.
//
// Ownership: one per printer, owned by it. Nothing blocks.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/Text.h"

namespace sim {

class SimPrinter;

struct PaperItem {
    enum class Kind {
        Line,          // text: the characters; mode, alignment, colour
        Image,         // a bit-image band: mode, width (dots), height (dots), dots
        Barcode,       // text: the data; mode: the bar code kind; value: height
        Feed,          // value: lines
        Cut,
        Drawer,        // value: the connector pin; mode: on time, alignment: off time
        Form,          // the printer's own diagnostic form
        ColourOption,  // value: the configured colour option
        TwoSided,      // value: the two-sided mode (1F 60 n)
        Side,          // value: the side printed next (1F 61 n)
        SlipEject,
        Logo,          // a downloaded logo printed (GS / n): mode n, width, height, dots
    };
    Kind kind = Kind::Line;
    std::string text;
    int mode = 0;
    int alignment = 0;
    int colour = 0;
    int value = 0;
    int width = 0;
    int height = 0;
    // Image: the band's dots, row by row from the top, one byte per dot
    // (1 printed).
    std::vector<std::uint8_t> dots;

    // One readable line, e.g. "line c 00 Receipt", "image 288x24", "cut".
    std::string describe() const;
};

class SimPaper {
public:
    const std::vector<PaperItem>& items() const { return items_; }
    std::vector<std::string> describe() const;
    void clear() { items_.clear(); }
    std::function<void(const PaperItem&)> onItem;

    // ---- Fed by the print commands ----
    void text(const platform::Bytes& characters);
    void carriageReturn();
    void lineFeed();
    void initialise();
    void setMode(int mode) { mode_ = mode; }
    void setAlignment(int alignment) { alignment_ = alignment; }
    void setColour(int colour) { colour_ = colour; }
    void setBarcodeHeight(int dots) { barcodeHeight_ = dots; }
    // ESC * m nL nH data: columns of k bytes each, top byte first. A
    // downloaded logo prints from the same layout.
    void bitImage(int mode, int columns, int k, const platform::Bytes& data,
                  PaperItem::Kind kind = PaperItem::Kind::Image);
    void add(PaperItem item);

private:
    void endLine();

    std::vector<PaperItem> items_;
    std::string line_;
    std::vector<PaperItem> lineImages_;
    bool afterCarriageReturn_ = false;
    int mode_ = 0, alignment_ = 0, colour_ = 0, barcodeHeight_ = 162;
};

// The print commands (text, ESC @, ESC !, ESC a, ESC r, ESC d, ESC *, ESC p,
// ESC R, ESC c, GS V, GS H, GS f, GS h, GS k, GS US, FF, CR, LF, NUL, the
// configuration command 1F 11 ... FF, 1F 60, 1F 61, 1F 74); added to every
// printer by addStandardCommands.
void addPrintCommands(SimPrinter& printer);

}  // namespace sim
