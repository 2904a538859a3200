// The simulated printer's check scanner and its block protocol.
//
// GS ( G fn 47h clears the stored images and answers with its reply form
// ("7w48", a station digit, a count, a hex field, each ended by 1F, then
// 00). GS ( G fn 41h scans the check in the slip station: the printer sends
// the file information block (its status letter "@" when the check was
// read, "H" when no check is in), and after each ACK the next block: the
// size information block, then the image in blocks of at most blockSize
// bytes ("S", " ", "A" or "@" for the last, the length low and high byte,
// the data). The ACK of the last block ends the scan; CAN ends it at any
// time; a status other than "@" ends it after the file information block.
// The image is the bytes of a 1-bpp bitmap file, sent as they are.
//
// Faults for tests and printer-sim: an error status letter in the file
// information block, silence from a given block on, and a given block
// whose first byte is wrong. Blocks are counted from the file information
// block (0) and the size information block (1); image blocks follow.
//
// Ownership: each SimPrinter holds one SimScanner (SimPrinter::scanner()).
// Nothing here blocks; blocks go out as the printer's scheduled replies.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "platform/Text.h"

namespace sim {

class SimPrinter;

enum class ScanFault { None, ErrorStatus, Silent, Corrupt };

struct SimScanner {
    // A whole bitmap file; empty: the built-in check picture.
    platform::Bytes image;
    std::size_t blockSize = 4096;  // 1 to 65535
    ScanFault fault = ScanFault::None;
    char errorStatus = 'D';
    int faultBlock = 2;
    // Scans whose last block was acknowledged, and scans cancelled.
    int scans = 0;
    int cancels = 0;

    // The scan under way: its blocks and the next one to send after an ACK.
    std::vector<platform::Bytes> blocks;
    std::size_t next = 0;
    bool underWay = false;

    // The image the next scan sends.
    platform::Bytes scanImage() const;
};

// Reads a bitmap file to scan; false (and why) when it is no 1-bpp bitmap.
bool loadScanImage(SimScanner& scanner, const std::string& path, std::string& error);

// The built-in picture: a check of 640 × 272 dots as a 1-bpp bitmap file.
platform::Bytes checkPicture();

// GS ( G (clear, scan, end), FS ( g (scanner set-up), ACK, CAN; added to
// every printer by addStandardCommands.
void addScanCommands(SimPrinter& printer);

}  // namespace sim
