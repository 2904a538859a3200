#include "printer-sim/SimScan.h"

#include <algorithm>
#include <fstream>
#include <iterator>

#include "printer-sim/SimPrinter.h"
#include "printer-sim/SimSlip.h"

namespace sim {

using platform::Bytes;

namespace {

constexpr std::uint8_t kFieldEnd = 0x1F;
constexpr std::uint8_t kAck = 0x06, kCan = 0x18;
constexpr std::uint8_t kClear = 0x47, kScan = 0x41, kEnd = 0x4A;
constexpr char kReadStatus = '@', kNoCheckStatus = 'H';
constexpr std::size_t kBitmapHeader = 62;

void append(Bytes& out, const std::string& text) { out.insert(out.end(), text.begin(), text.end()); }

std::int32_t headerField(const Bytes& file, std::size_t at) {
    if (file.size() < at + 4) return 0;
    return static_cast<std::int32_t>(file[at] | file[at + 1] << 8 | file[at + 2] << 16 |
                                     static_cast<std::uint32_t>(file[at + 3]) << 24);
}

Bytes clearReply() {
    Bytes reply;
    append(reply, "7w48\x1F" "0\x1F" "12\x1F" "0A\x1F");
    reply.push_back(0);
    return reply;
}

Bytes fileInformation(char status) {
    Bytes block;
    append(block, "S BF1\x1FP");
    block.push_back(static_cast<std::uint8_t>(status));
    append(block, "\x1F" "1\x1F" "4804848");
    block.push_back(0);
    return block;
}

Bytes sizeInformation(const Bytes& image, std::size_t blocks) {
    const auto number = [](std::int64_t n) { return std::to_string(n < 0 ? -n : n); };
    const std::string fields[] = {number(headerField(image, 18)), number(headerField(image, 22)), "200", "200",
                                  std::to_string(image.size()),  std::to_string(blocks)};
    Bytes block;
    append(block, "S BS00\x1F");
    for (const std::string& field : fields) {
        append(block, field);
        block.push_back(kFieldEnd);
    }
    append(block, "1");
    block.push_back(0);
    return block;
}

std::vector<Bytes> imageBlocks(const Bytes& image, std::size_t blockSize) {
    blockSize = std::clamp<std::size_t>(blockSize, 1, 0xFFFF);
    std::vector<Bytes> blocks;
    std::size_t at = 0;
    do {
        const std::size_t n = std::min(blockSize, image.size() - at);
        const bool last = at + n == image.size();
        Bytes block{'S', ' ', static_cast<std::uint8_t>(last ? '@' : 'A'), static_cast<std::uint8_t>(n & 0xFF),
                    static_cast<std::uint8_t>(n >> 8)};
        block.insert(block.end(), image.begin() + static_cast<std::ptrdiff_t>(at),
                     image.begin() + static_cast<std::ptrdiff_t>(at + n));
        blocks.push_back(std::move(block));
        at += n;
    } while (at < image.size());
    return blocks;
}

// Sends the next block, shaped by the fault; silence ends the scan here.
void sendNext(SimPrinter& printer) {
    SimScanner& s = printer.scanner();
    const int index = static_cast<int>(s.next);
    if (s.next >= s.blocks.size() || (s.fault == ScanFault::Silent && index >= s.faultBlock)) {
        s.underWay = false;
        return;
    }
    Bytes block = s.blocks[s.next++];
    if (s.fault == ScanFault::Corrupt && index == s.faultBlock) block[0] = 'X';
    printer.reply(block);
}

void startScan(SimPrinter& printer) {
    SimScanner& s = printer.scanner();
    char status = slipDocument(printer.status()) == SlipDocument::Inserted ? kReadStatus : kNoCheckStatus;
    if (s.fault == ScanFault::ErrorStatus) status = s.errorStatus;
    const Bytes image = s.scanImage();
    s.blocks = {fileInformation(status)};
    if (status == kReadStatus) {
        std::vector<Bytes> images = imageBlocks(image, s.blockSize);
        s.blocks.push_back(sizeInformation(image, images.size()));
        s.blocks.insert(s.blocks.end(), images.begin(), images.end());
    }
    s.next = 0;
    s.underWay = true;
    sendNext(printer);
    // An error status ends the scan with its file information block.
    if (status != kReadStatus) s.underWay = false;
}

void acknowledge(SimPrinter& printer, const Bytes&) {
    SimScanner& s = printer.scanner();
    if (!s.underWay) return;
    if (s.next == s.blocks.size()) {
        s.underWay = false;
        ++s.scans;
        return;
    }
    sendNext(printer);
}

void cancel(SimPrinter& printer, const Bytes&) {
    SimScanner& s = printer.scanner();
    if (s.underWay) ++s.cancels;
    s.underWay = false;
}

// GS ( G pL pH fn ...: the function code follows the two length bytes.
std::size_t lengthPrefixed(const Bytes& pending) {
    if (pending.size() < 5) return 0;
    return 5u + pending[3] + 256u * pending[4];
}

std::string describeGsParenG(const Bytes& c) {
    const std::uint8_t fn = c.size() > 5 ? c[5] : 0;
    if (fn == kClear) return "GS ( G clear scan images";
    if (fn == kScan) return "GS ( G scan check";
    if (fn == kEnd) return "GS ( G end scan";
    return "GS ( G " + platform::hexBytes(Bytes(c.begin() + 5, c.end()));
}

void handleGsParenG(SimPrinter& printer, const Bytes& c) {
    const std::uint8_t fn = c.size() > 5 ? c[5] : 0;
    if (fn == kClear) printer.reply(clearReply());
    if (fn == kScan) startScan(printer);
    if (fn == kEnd) printer.scanner().underWay = false;
}

}  // namespace

Bytes SimScanner::scanImage() const { return image.empty() ? checkPicture() : image; }

bool loadScanImage(SimScanner& scanner, const std::string& path, std::string& error) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = "cannot read " + path;
        return false;
    }
    Bytes file{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (file.size() < kBitmapHeader || file[0] != 'B' || file[1] != 'M' || file[28] != 1 || file[29] != 0) {
        error = path + " is no bitmap file of one bit per pixel";
        return false;
    }
    scanner.image = std::move(file);
    return true;
}

// Palette entry 0 black, 1 white; rows bottom row first. The check has a
// border, three lines to write on, an amount box and a MICR band.
Bytes checkPicture() {
    constexpr int width = 640, height = 272, row = ((width + 31) / 32) * 4;
    Bytes file(kBitmapHeader + static_cast<std::size_t>(row * height), 0);
    const auto put32 = [&](std::size_t at, std::uint32_t v) {
        for (int i = 0; i < 4; ++i) file[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(v >> (8 * i));
    };
    file[0] = 'B';
    file[1] = 'M';
    put32(2, static_cast<std::uint32_t>(file.size()));
    put32(10, kBitmapHeader);
    put32(14, 40);
    put32(18, width);
    put32(22, height);
    file[26] = 1;
    file[28] = 1;
    put32(34, static_cast<std::uint32_t>(row * height));
    put32(46, 2);
    put32(58, 0x00FFFFFF);
    const auto black = [](int x, int y) {
        const bool border = x < 3 || x >= width - 3 || y < 3 || y >= height - 3;
        const bool writingLine = (y == 90 || y == 150 || y == 200) && x > 40 && x < 600;
        const bool amountBox = ((x == 470 || x == 600) && y > 60 && y < 100) || ((y == 60 || y == 100) && x >= 470 && x <= 600);
        const bool micrBand = y > 230 && y < 252 && x > 60 && x < 560 && (x / 4) % 3 != 0;
        return border || writingLine || amountBox || micrBand;
    };
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            if (!black(x, y))
                file[kBitmapHeader + static_cast<std::size_t>((height - 1 - y) * row + x / 8)] |=
                    static_cast<std::uint8_t>(0x80 >> (x % 8));
    return file;
}

void addScanCommands(SimPrinter& printer) {
    printer.addCommand({{0x1D, 0x28, 0x47, kAnyByte, kAnyByte}, lengthPrefixed, describeGsParenG, handleGsParenG});
    printer.addCommand({{0x1C, 0x28, 0x67, kAnyByte, kAnyByte}, lengthPrefixed,
                        [](const Bytes& c) { return "FS ( g " + platform::hexBytes(Bytes(c.begin() + 5, c.end())); },
                        {}});
    printer.addCommand({{kAck}, {}, [](const Bytes&) { return std::string("ACK"); }, acknowledge});
    printer.addCommand({{kCan}, {}, [](const Bytes&) { return std::string("CAN"); }, cancel});
}

}  // namespace sim
