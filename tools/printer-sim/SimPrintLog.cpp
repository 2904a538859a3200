#include "printer-sim/SimPrintLog.h"

#include <algorithm>
#include <cstdio>

#include "printer-sim/SimPrinter.h"

namespace sim {

using platform::Bytes;
using Kind = PaperItem::Kind;

std::string PaperItem::describe() const {
    char head[64];
    switch (kind) {
        case Kind::Line:
            std::snprintf(head, sizeof head, "line %c%02X%s: ", "lcr"[std::clamp(alignment, 0, 2)], mode & 0xFF,
                          colour != 0 ? " colour 1" : "");
            return head + text;
        case Kind::Image: std::snprintf(head, sizeof head, "image m%d %dx%d", mode, width, height); return head;
        case Kind::Barcode: return "barcode " + std::to_string(mode) + " " + text;
        case Kind::Feed: return "feed " + std::to_string(value);
        case Kind::Cut: return "cut";
        case Kind::Drawer:
            return "drawer " + std::to_string(value) + " " + std::to_string(mode) + " " + std::to_string(alignment);
        case Kind::Form: return "diagnostic form";
        case Kind::ColourOption: return "colour option " + std::to_string(value);
        case Kind::TwoSided: return "two-sided " + std::to_string(value);
        case Kind::Side: return "side " + std::to_string(value);
        case Kind::SlipEject: return "slip eject";
        case Kind::Logo: std::snprintf(head, sizeof head, "logo m%d %dx%d", mode, width, height); return head;
    }
    return {};
}

std::vector<std::string> SimPaper::describe() const {
    std::vector<std::string> out;
    for (const PaperItem& item : items_) out.push_back(item.describe());
    return out;
}

void SimPaper::add(PaperItem item) {
    items_.push_back(std::move(item));
    if (onItem) onItem(items_.back());
}

void SimPaper::text(const Bytes& characters) {
    afterCarriageReturn_ = false;
    line_ += platform::toText(characters);
}

void SimPaper::carriageReturn() {
    endLine();
    afterCarriageReturn_ = true;
}

void SimPaper::lineFeed() {
    if (!afterCarriageReturn_) endLine();
    afterCarriageReturn_ = false;
}

// A line that holds bit images prints them; otherwise the text, also an
// empty one (a blank line).
void SimPaper::endLine() {
    if (!lineImages_.empty()) {
        for (PaperItem& image : lineImages_) add(std::move(image));
        lineImages_.clear();
    } else {
        PaperItem line;
        line.kind = Kind::Line;
        line.text = line_;
        line.mode = mode_;
        line.alignment = alignment_;
        line.colour = colour_;
        add(std::move(line));
    }
    line_.clear();
}

void SimPaper::initialise() {
    line_.clear();
    lineImages_.clear();
    afterCarriageReturn_ = false;
    mode_ = alignment_ = colour_ = 0;
}

void SimPaper::bitImage(int mode, int columns, int k, const Bytes& data, Kind kind) {
    afterCarriageReturn_ = false;
    PaperItem image;
    image.kind = kind;
    image.mode = mode;
    image.width = columns;
    image.height = 8 * k;
    image.dots.assign(static_cast<std::size_t>(image.width * image.height), 0);
    for (int c = 0; c < columns; ++c)
        for (int y = 0; y < image.height; ++y) {
            const std::uint8_t byte = data[static_cast<std::size_t>(c * k + y / 8)];
            image.dots[static_cast<std::size_t>(y * columns + c)] = (byte >> (7 - y % 8)) & 1;
        }
    lineImages_.push_back(std::move(image));
}

namespace {

using Handler = std::function<void(SimPrinter&, const Bytes&)>;

PaperItem item(Kind kind, int value = 0) {
    PaperItem it;
    it.kind = kind;
    it.value = value;
    return it;
}

void add(SimPrinter& printer, std::vector<int> pattern, std::string name, std::size_t arguments, Handler handle,
         std::function<std::size_t(const Bytes&)> length = {}) {
    printer.addCommand({std::move(pattern), std::move(length), commandName(std::move(name), arguments), std::move(handle)});
}

std::size_t printableRun(const Bytes& pending) {
    const auto end = std::find_if(pending.begin(), pending.end(), [](std::uint8_t b) { return b < 0x20; });
    const auto n = static_cast<std::size_t>(end - pending.begin());
    return n == 0 ? kNoMatch : n;
}

// ESC * m nL nH: nL + 256 nH columns of 1 byte (m 0 or 1) or 3 bytes.
int bytesPerColumn(int mode) { return mode == 0 || mode == 1 ? 1 : 3; }
std::size_t bitImageLength(const Bytes& p) {
    if (p.size() < 5) return 0;
    return 5 + static_cast<std::size_t>(p[3] + 256 * p[4]) * static_cast<std::size_t>(bytesPerColumn(p[2]));
}

// GS k m: kinds 0-6 end with NUL, kinds 65 and up carry their length.
std::size_t barcodeLength(const Bytes& p) {
    if (p[2] <= 6) {
        const auto nul = std::find(p.begin() + 3, p.end(), 0);
        return nul == p.end() ? 0 : static_cast<std::size_t>(nul - p.begin()) + 1;
    }
    return p.size() < 4 ? 0 : 4u + p[3];
}

void addLayoutCommands(SimPrinter& printer) {
    printer.addCommand({{kAnyByte}, printableRun, [](const Bytes& c) { return "text " + platform::toText(c); },
                        [](SimPrinter& p, const Bytes& c) { p.paper().text(c); }});
    add(printer, {0x00}, "NUL", 0, {});
    add(printer, {0x0D}, "CR", 0, [](SimPrinter& p, const Bytes&) { p.paper().carriageReturn(); });
    add(printer, {0x0A}, "LF", 0, [](SimPrinter& p, const Bytes&) { p.paper().lineFeed(); });
    add(printer, {0x0C}, "FF", 0, [](SimPrinter& p, const Bytes&) {
        p.paper().add(item(Kind::SlipEject));
        ejectSlip(p);
    });
    add(printer, {0x1B, 0x40}, "ESC @", 0, [](SimPrinter& p, const Bytes&) { p.paper().initialise(); });
    add(printer, {0x1B, 0x21, kAnyByte}, "ESC !", 1, [](SimPrinter& p, const Bytes& c) { p.paper().setMode(c[2]); });
    add(printer, {0x1B, 0x61, kAnyByte}, "ESC a", 1,
        [](SimPrinter& p, const Bytes& c) { p.paper().setAlignment(c[2] % 48); });
    add(printer, {0x1B, 0x72, kAnyByte}, "ESC r", 1, [](SimPrinter& p, const Bytes& c) { p.paper().setColour(c[2] % 48); });
    add(printer, {0x1B, 0x52, kAnyByte}, "ESC R", 1, {});
    add(printer, {0x1B, 0x63, kAnyByte, kAnyByte}, "ESC c", 2, {});
    add(printer, {0x1D, 0x1F, kAnyByte}, "GS US", 1, {});
    add(printer, {0x1B, 0x64, kAnyByte}, "ESC d", 1,
        [](SimPrinter& p, const Bytes& c) { p.paper().add(item(Kind::Feed, c[2])); });
    add(printer, {0x1D, 0x56, kAnyByte}, "GS V", 1, [](SimPrinter& p, const Bytes&) { p.paper().add(item(Kind::Cut)); },
        [](const Bytes& p) { return std::size_t(p[2] >= 65 ? 4 : 3); });
    add(printer, {0x1B, 0x2A, kAnyByte, kAnyByte, kAnyByte}, "ESC *", 0,
        [](SimPrinter& p, const Bytes& c) {
            p.paper().bitImage(c[2], c[3] + 256 * c[4], bytesPerColumn(c[2]), Bytes(c.begin() + 5, c.end()));
        },
        bitImageLength);
}

void addDeviceCommands(SimPrinter& printer) {
    add(printer, {0x1B, 0x70, kAnyByte, kAnyByte, kAnyByte}, "ESC p", 3, [](SimPrinter& p, const Bytes& c) {
        PaperItem pulse = item(Kind::Drawer, c[2] % 48);
        pulse.mode = c[3];
        pulse.alignment = c[4];
        p.paper().add(std::move(pulse));
    });
    add(printer, {0x1D, 0x48, kAnyByte}, "GS H", 1, {});
    add(printer, {0x1D, 0x66, kAnyByte}, "GS f", 1, {});
    add(printer, {0x1D, 0x68, kAnyByte}, "GS h", 1,
        [](SimPrinter& p, const Bytes& c) { p.paper().setBarcodeHeight(c[2]); });
    add(printer, {0x1D, 0x6B, kAnyByte}, "GS k", 0,
        [](SimPrinter& p, const Bytes& c) {
            PaperItem code = item(Kind::Barcode);
            code.mode = c[2];
            code.text = c[2] <= 6 ? platform::toText({c.begin() + 3, c.end() - 1}) : platform::toText({c.begin() + 4, c.end()});
            p.paper().add(std::move(code));
        },
        barcodeLength);
    add(printer, {0x1F, 0x60, kAnyByte}, "two-sided", 1,
        [](SimPrinter& p, const Bytes& c) { p.paper().add(item(Kind::TwoSided, c[2])); });
    add(printer, {0x1F, 0x61, kAnyByte}, "side", 1,
        [](SimPrinter& p, const Bytes& c) { p.paper().add(item(Kind::Side, c[2])); });
    // The M27x's form command carries two more bytes.
    printer.addCommand({{0x1F, 0x74},
                        [&printer](const Bytes&) { return std::size_t(printer.config().printerType == 14 ? 4 : 2); },
                        commandName("print form"), [](SimPrinter& p, const Bytes&) { p.paper().add(item(Kind::Form)); }});
}

}  // namespace

void addPrintCommands(SimPrinter& printer) {
    addLayoutCommands(printer);
    addDeviceCommands(printer);
}

}  // namespace sim
