// Reading the ID items and tallies: the request sequence, and the reply
// parser that cuts what comes back into the cached replies in request order.
#include <algorithm>
#include <map>
#include <vector>

#include "link/PrinterCommands.h"
#include "link/PrinterTypes.h"
#include "platform/loop/EventLoop.h"
#include "tally/ViewTallyDlg.h"

namespace tally {

namespace {

using namespace printerlink;

constexpr int kQuietYields = 101;
constexpr int kFlashPartLeadBytes = 2;
// The model code the read derives from the stored model text; any other
// text is 17.
constexpr int kOtherModel = 17;
const std::map<std::string, int> kModelCodes = {
    {" 3650", 3}, {" 3650-5xxx", 4}, {" 3690", 7}, {" 3690_xx4x", 8}, {" R809", 11}, {" 3720-R802", 15}, {" 3640-x035", 1}};

int modelCodeOf(const std::string& modelText) {
    const auto it = kModelCodes.find(modelText);
    return it == kModelCodes.end() ? kOtherModel : it->second;
}

// The last step of the read sequence by printer type.
int lastReadStep(long type) {
    if (typeIsOneOf(type, {k3680Type, k3680_5xxxType})) return 16;
    if (typeIsOneOf(type, {kR806Type, kR807Type, k3695Type})) return 17;
    if (type == kM27xType) return 15;
    return 20;
}

// Steps 10 to 16 read the tallies every model has.
constexpr std::array<int, 7> kCommonTallySteps = {kReceiptLines, kKnifeCuts, kHoursOn, kFlashCycles,
                                                  kKnifeJams,    kCoverOpens, kMaxTemp};

std::uint8_t readCode(int tally, bool kiosk) { return TallyCode(tally, IdItemOp::Read, kiosk); }

}  // namespace

ViewTallyDlg::PollState ViewTallyDlg::stopStatusPoll() {
    const PollState state{VStatusTimer.Enabled(), VStatusTimer.Interval()};
    VStatusTimer.setEnabled(false);
    VStatusTimer.setInterval(0);
    return state;
}

void ViewTallyDlg::resumeStatusPoll(const PollState& state) {
    VStatusTimer.setInterval(state.interval);
    VStatusTimer.setEnabled(state.enabled);
}

// Run from the loop once the window is shown: a read whose printer is late
// or silent would otherwise keep the window off the screen for its whole
// wait. A window closed meanwhile reads nothing and starts no poll; closing
// sent what it sends.
void ViewTallyDlg::openShown() {
    m_MainComm_OnStatusUpdated(platform::comm::EvDSR);
    if (!isLoaded()) return;
    shell::StartWindowOnDirectLink(m_MainComm, GsUs0Command, VStatusTimer, [this] { return !isLoaded(); });
    if (!isLoaded()) return;
    for (int item = 2; item < kIdItemCount; ++item) PrinterIDText(item).setEnabled(false);
    if (m_MainComm.bNoSlipMICR && !m_MainComm.b2stFlag) {
        for (int i : {kSlipLines, kReceiptLinesBack, kSlipChars, kMicrReads}) PrinterTally(i).setEnabled(false);
    } else if (m_MainComm.bNoSlipMICR && m_MainComm.b2stFlag) {
        for (int i : {kSlipLines, kSlipChars, kMicrReads}) PrinterTally(i).setEnabled(false);
        PrinterTally(kReceiptLinesBack).setEnabled(true);
    }
}

void ViewTallyDlg::ReadIdsAndTallies() {
    shell::PurgeBuffers(m_MainComm);
    const int modelCode = modelCodeOf(settingsValue("Model"));
    ClearCachedValues();
    const int last = lastReadStep(m_MainComm.PrinterType());
    const PollState poll = stopStatusPoll();
    for (int i = 0; i < kQuietYields; ++i) platform::DoEvents();
    // Closed while it read: nothing more is sent or shown.
    if (!isLoaded()) return;
    m_MainComm.m_AHPIBufferCmd = false;
    for (int step = 0; step <= last; ++step)
        if (!isLoaded() || !runReadStep(step)) break;
    requestAfterReadSteps(modelCode);
    if (m_MainComm.m_lngHIDHandle > 0) awaitReadAnswers();
    if (!isLoaded()) return;
    if (!m_MainComm.bPrinterOffline) ShowReadValues();
    // The poll is what notices a TCP or USB HID printer that went away.
    resumeStatusPoll(poll);
}

// One step of the read sequence; false when the request it sent failed. A
// step that sends nothing leaves the sequence going.
bool ViewTallyDlg::runReadStep(int step) {
    const long type = m_MainComm.PrinterType();
    const bool kiosk = m_MainComm.bKiosk;
    if (step == 0) return InitializePrinter();
    if (step == 1) return SetAutoStatusBack(false);
    if (step <= 9) return RequestIdItem(IdItemCode(kIdReadOrder[static_cast<std::size_t>(step - 2)], IdItemOp::Read));
    if (step <= 16) return RequestIdItem(readCode(kCommonTallySteps[static_cast<std::size_t>(step - 10)], false));
    switch (step) {
        case 17: {
            bool sent = true;
            if (is3720Type(type) || type == k3695Type) sent = RequestIdItem(readCode(kSlipLines, true));
            if (!typeIsOneOf(type, {kR806Type, kR809Type, k3695Type}))
                sent = RequestIdItem(readCode(kSlipLines, false));
            return sent;
        }
        case 18:
            if (!kiosk) return RequestIdItem(readCode(kSlipChars, false));
            return type == kR809Type || RequestIdItem(readCode(kSlipChars, true));
        case 19:
            return RequestIdItem(kiosk ? readCode(kReceiptLinesBack, true) : readCode(kMicrReads, false));
        case 20: return !is3720Type(type) || RequestIdItem(readCode(kScanTimes, true));
        default: return false;
    }
}

void ViewTallyDlg::requestAfterReadSteps(int modelCode) {
    const long type = m_MainComm.PrinterType();
    if (type == k3640x035Type)
        RequestIdItem(readCode(kScanTimes, false));
    else if (type == modelCode || typeIsOneOf(type, {k3650Type, k3650_5xxxType, k3690Type}))
        RequestIdItem(readCode(kReceiptLinesBack, false));
    else if (type == kR809Type)
        RequestIdItem(readCode(kReceiptLinesBack, true));
    if (m_MainComm.bFlagforAHPI || type < 0) {
        if (modelCode == k3640x035Type)
            RequestIdItem(readCode(kScanTimes, false));
        else if (typeIsOneOf(modelCode, {k3650Type, k3650_5xxxType, k3690Type, k3690xx4xType}))
            RequestIdItem(readCode(kReceiptLinesBack, false));
    }
}

void ViewTallyDlg::m_MainComm_OnDataReceived(const platform::Bytes& ResponseData) {
    // A USB HID input report starts with its report ID and data length; the
    // reply is what follows.
    std::size_t from = 0, to = ResponseData.size();
    if (m_MainComm.m_lngHIDHandle > 0) noteHidReply(ResponseData);
    if (m_MainComm.m_lngHIDHandle > 0 && ResponseData.size() >= printerlink::kHidReportHeaderBytes) {
        from = printerlink::kHidReportHeaderBytes;
        to = printerlink::hidReportDataEnd(ResponseData);
    }
    ReplySlots taken;
    for (std::size_t i = from; i < to; ++i) takeReplyByte(ResponseData[i], taken);
    if (!m_MainComm.bPrinterOffline) showReplies(taken);
}

// Gives one received byte to the slot whose reply it continues or starts,
// and marks that slot in `taken`. A reply under way takes every byte until
// it is whole, as its text may hold any marker. Between replies a byte
// starts the first empty slot, ID items in request order before the
// tallies, whose marker it is. The printer may leave an item unanswered:
// served strictly in request order, one missing reply would leave every
// slot after it empty, though the printer sent their values.
void ViewTallyDlg::takeReplyByte(std::uint8_t byte, ReplySlots& taken) {
    const long type = m_MainComm.PrinterType();
    struct Slot {
        std::string& value;
        std::size_t length;
        std::uint8_t marker;
        bool& taken;
    };
    std::vector<Slot> slots;
    for (int item : kIdReadOrder)
        slots.push_back({m_strIdValues[static_cast<std::size_t>(item)],
                         static_cast<std::size_t>(IdItemReplyLength(item)), IdItemCode(item, IdItemOp::Read),
                         taken.ids[static_cast<std::size_t>(item)]});
    for (int i = 0; i < kTallyCount; ++i)
        slots.push_back({m_strTallyValues[static_cast<std::size_t>(i)], static_cast<std::size_t>(kTallyReplyLength),
                         TallyReplyMarker(i, m_MainComm.bKiosk, type), taken.tallies[static_cast<std::size_t>(i)]});
    const auto take = [&](Slot& slot) {
        slot.value += static_cast<char>(byte);
        slot.taken = true;
        if (slot.value.size() == slot.length) takeWholeReply(slot.value);
    };
    for (Slot& slot : slots)
        if (!slot.value.empty() && slot.value.size() < slot.length) return take(slot);
    // Types 9 and 15 send two bytes ahead of the flash part number, which
    // may look like its marker. They are counted from the end of the reply
    // asked before it, not from where a block starts: TCP joins and cuts
    // replies as it likes; and they come before any reply asked after it.
    const auto flashPart = std::find(kIdReadOrder.begin(), kIdReadOrder.end(), 7) - kIdReadOrder.begin();
    const bool leadBytesDue = slots[static_cast<std::size_t>(flashPart) - 1].value.size() ==
                                  slots[static_cast<std::size_t>(flashPart) - 1].length &&
                              std::all_of(slots.begin() + flashPart, slots.end(),
                                          [](const Slot& slot) { return slot.value.empty(); });
    if (is3720Type(type) && leadBytesDue && flashPartLeadBytes_ < kFlashPartLeadBytes) {
        ++flashPartLeadBytes_;
        return;
    }
    for (Slot& slot : slots)
        if (slot.value.empty() && byte == slot.marker) return take(slot);
}

bool ViewTallyDlg::boxShows(std::uint8_t code) const {
    for (int item = 0; item < kIdItemCount; ++item)
        if (IdItemCode(item, IdItemOp::Read) == code) return true;
    for (int i = 0; i < kTallyCount; ++i)
        if (TallyReplyMarker(i, m_MainComm.bKiosk, m_MainComm.PrinterType()) == code) return true;
    return false;
}

// A slot's first byte is its marker, the read code that asked for it.
void ViewTallyDlg::takeWholeReply(const std::string& slot) {
    if (m_MainComm.m_lngHIDHandle > 0) return;
    doorPass_.door().takeKeyedInTurn(ReplyForm::IdItem, static_cast<std::uint8_t>(slot.front()),
                                     platform::EventLoop::current().clock().now());
}

}  // namespace tally
