#include "link/IdItemCodes.h"

#include "link/PrinterTypes.h"
#include "platform/RuntimeError.h"

namespace printerlink::iditems {

namespace {

struct IdItem {
    std::uint8_t base;
    int replyLength;
};
// Items 2 to 7 are read only; their bases are their read codes less 3.
constexpr std::array<IdItem, kIdItemCount> kIdItems = {{
    {0x24, 17},  // class and model
    {0x20, 12},  // serial number
    {0x94, 6},   // boot firmware revision
    {0x2C, 6},   // boot firmware CRC
    {0x28, 14},  // boot firmware part number
    {0xA0, 6},   // flash firmware revision
    {0x34, 6},   // flash firmware CRC
    {0x30, 14},  // flash firmware part number
}};

struct TallyBase {
    std::uint8_t standard, kiosk;
};
constexpr std::array<TallyBase, kTallyCount> kTallies = {{
    {0x80, 0x80},  // receipt lines, front side
    {0x84, 0x84},  // knife cuts
    {0xB4, 0xC8},  // slip lines / paper jams
    {0x88, 0xCC},  // slip characters / present length
    {0x8C, 0xBC},  // MICR reads / presenter jams
    {0x90, 0x90},  // hours on
    {0xA4, 0xA4},  // flash cycles
    {0xA8, 0xA8},  // knife jams
    {0xAC, 0xAC},  // cover openings
    {0xB0, 0xB0},  // maximum temperature reached (read and clear only)
    {0xBC, 0xDC},  // receipt lines, back side
    {0xB8, 0xC4},  // scan times / partial knife cut
}};

void checkIndex(int index, int count) {
    if (index < 0 || index >= count) platform::raiseError(platform::err::SubscriptOutOfRange);
}

std::uint8_t withOp(std::uint8_t base, IdItemOp op) {
    return static_cast<std::uint8_t>(base + static_cast<std::uint8_t>(op));
}

}  // namespace

std::uint8_t IdItemCode(int item, IdItemOp op) {
    checkIndex(item, kIdItemCount);
    return withOp(kIdItems[static_cast<std::size_t>(item)].base, op);
}

std::uint8_t TallyCode(int tally, IdItemOp op, bool kiosk) {
    checkIndex(tally, kTallyCount);
    const TallyBase& base = kTallies[static_cast<std::size_t>(tally)];
    return withOp(kiosk ? base.kiosk : base.standard, op);
}

std::uint8_t TallyReplyMarker(int tally, bool kiosk, long printerType) {
    const bool swapped = kiosk && is3720Type(printerType);
    if (swapped && tally == kMicrReads) return TallyCode(kReceiptLinesBack, IdItemOp::Read, true);
    if (swapped && tally == kReceiptLinesBack) return TallyCode(kMicrReads, IdItemOp::Read, true);
    return TallyCode(tally, IdItemOp::Read, kiosk);
}

int IdItemReplyLength(int item) {
    checkIndex(item, kIdItemCount);
    return kIdItems[static_cast<std::size_t>(item)].replyLength;
}

}  // namespace printerlink::iditems
