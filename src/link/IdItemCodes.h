// The printer's ID items and tallies and their command codes (IdItemCode),
// used by the tally window and by the link's firmware probe and TCP tally
// parsers.
//
// Every item has a base code B; the command GS I @ c (IdItemCommand in
// PrinterCommands.h) carries c = B for a
// write, B+1 for a write with a printed confirmation, B+2 for a clear and
// B+3 for a read. A read's reply starts with the read code as its marker.
// Tallies have a second set of bases for kiosk printers, and printer types 9
// and 15 answer kiosk tallies 4 and 10 under each other's read code.
//
// Pure lookups over constant tables; nothing here blocks or keeps state.
// Indices outside 0-7 (ID items) or 0-11 (tallies) raise run-time error 9.
#pragma once

#include <array>
#include <cstdint>

namespace printerlink::iditems {

inline constexpr int kIdItemCount = 8;
inline constexpr int kTallyCount = 12;

// The operations of the command family, in the order of their code offsets.
enum class IdItemOp : std::uint8_t { Write = 0, WriteAndPrint = 1, Clear = 2, Read = 3 };

// ID items by index.
inline constexpr int kFlashFirmwareRevision = 5, kFlashPartNumber = 7;

// Tallies by index.
inline constexpr int kReceiptLines = 0, kKnifeCuts = 1, kSlipLines = 2, kSlipChars = 3, kMicrReads = 4,
                     kHoursOn = 5, kFlashCycles = 6, kKnifeJams = 7, kCoverOpens = 8, kMaxTemp = 9,
                     kReceiptLinesBack = 10, kScanTimes = 11;

// The code of an operation on ID item `item` (only items 0 and 1 are
// writable; the other items' read codes are what the printer answers).
std::uint8_t IdItemCode(int item, IdItemOp op);
// The code of an operation on tally `tally`; the kiosk column when `kiosk`.
std::uint8_t TallyCode(int tally, IdItemOp op, bool kiosk);
// The marker a tally's reply starts with, which is also the read code that
// asks for it: the read code, with kiosk tallies 4 and 10 exchanged for
// printer types 9 and 15.
std::uint8_t TallyReplyMarker(int tally, bool kiosk, long printerType);

// Reply lengths, marker and trailing byte included.
int IdItemReplyLength(int item);
inline constexpr int kTallyReplyLength = 10;
// A reply's text is printable and its trailing byte is not: a control byte
// ends the text it follows.
inline bool endsReplyText(std::uint8_t b) { return b < 0x20; }
// The data characters a reply carries (its length less marker and trailer).
inline int IdItemShownLength(int item) { return IdItemReplyLength(item) - 2; }
// The widths a write pads to: 15 and 10 characters, 8 digits.
inline constexpr int kClassModelWidth = 15;
inline constexpr int kSerialNumberWidth = 10;
inline constexpr int kTallyDigits = 8;

// The order in which the ID items are requested and their replies expected.
inline constexpr std::array<int, kIdItemCount> kIdReadOrder = {0, 1, 4, 2, 3, 7, 5, 6};

}  // namespace printerlink::iditems
