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
    if (m_MainComm.m_lngHIDHandle > 0) hidReplyCode_ = noteHidReply(ResponseData);
    if (m_MainComm.m_lngHIDHandle > 0 && ResponseData.size() >= printerlink::kHidReportHeaderBytes) {
        from = printerlink::kHidReportHeaderBytes;
        to = printerlink::hidReportDataEnd(ResponseData);
    }
    // Each report starts a reply of its own.
    if (m_MainComm.m_lngHIDHandle > 0) bytesOutsideReplies_ = 0;
    ReplySlots taken;
    for (std::size_t i = from; i < to; ++i) takeReplyByte(ResponseData[i], taken);
    hidReplyCode_.reset();
    if (!m_MainComm.bPrinterOffline) showReplies(taken);
}

// A reply starts only where the door finds it answers a read of this
// window: on USB HID the one its report answered, elsewhere the oldest
// open request of its code, as the printer answers in order.
bool ViewTallyDlg::answersOpenRead(std::uint8_t code) {
    if (m_MainComm.m_lngHIDHandle > 0) return hidReplyCode_ == code;
    return doorPass_.door().keyedAskedBy(ReplyForm::IdItem, code) == doorPass_.owner();
}

// Gives one received byte to the slot whose reply it continues or starts,
// and marks that slot in `taken`. A reply under way takes every byte until
// it is whole, as its text may hold any marker. Between replies a byte
// starts the empty slot whose marker it is, and only when it answers a
// read still open: a reply left out leaves its own box empty and no other,
// and a byte that answers nothing (a reply given up, a digit of a reply
// read past) fills nothing. A reply to a code asked twice whose box is
// already whole is read to its end and left.
void ViewTallyDlg::takeReplyByte(std::uint8_t byte, ReplySlots& taken) {
    const long type = m_MainComm.PrinterType();
    struct Slot {
        std::string& value;
        std::size_t length;
        std::uint8_t marker;
        bool* taken;
    };
    std::vector<Slot> slots;
    for (int item : kIdReadOrder)
        slots.push_back({m_strIdValues[static_cast<std::size_t>(item)],
                         static_cast<std::size_t>(IdItemReplyLength(item)), IdItemCode(item, IdItemOp::Read),
                         &taken.ids[static_cast<std::size_t>(item)]});
    for (int i = 0; i < kTallyCount; ++i)
        slots.push_back({m_strTallyValues[static_cast<std::size_t>(i)], static_cast<std::size_t>(kTallyReplyLength),
                         TallyReplyMarker(i, m_MainComm.bKiosk, type), &taken.tallies[static_cast<std::size_t>(i)]});
    slots.push_back({repeatedReply_.value, repeatedReply_.length, 0, nullptr});
    const auto take = [&](Slot& slot) {
        bytesOutsideReplies_ = 0;
        slot.value += static_cast<char>(byte);
        if (slot.taken) *slot.taken = true;
        if (slot.value.size() < slot.length) return;
        if (endsReplyText(byte)) {
            takeWholeReply(slot.value);
            return;
        }
        // Ended on text, it began on a noise byte that looked like its code
        // and holds another reply's bytes: it is left, its read still open
        // for its own reply.
        slot.value.clear();
    };
    for (Slot& slot : slots) {
        if (slot.value.empty() || slot.value.size() >= slot.length) continue;
        if (!endsReplyText(byte) || slot.value.size() + 1 == slot.length) return take(slot);
        // A reply's text holds no control byte: this one ended another
        // reply, which the slot took for its own text.
        slot.value.clear();
        ++bytesOutsideReplies_;
        return;
    }
    // Fill nothing: a byte that answers no open read, the flash part
    // number's lead bytes whatever they are, and its code before them. A
    // lead byte that is the code of another read still open starts that
    // reply: a printer that left the part number out answers that read
    // there.
    // A reply of a read given up by a window closed since is read to its end
    // and left: its text must not start a reply. So is the part number's
    // reply whose code stands further on than right after its lead bytes:
    // bytes of no reply came between (a status answer, noise), and where
    // they came the code cannot tell that reply from another's text. It is
    // still the reply the printer sends in turn for that read.
    const bool answers = answersOpenRead(byte);
    const bool othersLate =
        !answers && m_MainComm.m_lngHIDHandle <= 0 && doorPass_.door().keyedMarked(ReplyForm::IdItem, byte);
    const bool shifted = misplacedFlashPartCode(byte, bytesOutsideReplies_);
    if ((!othersLate && !answers) || (shifted && bytesOutsideReplies_ < kFlashPartLeadBytes)) {
        ++bytesOutsideReplies_;
        return;
    }
    for (Slot& slot : slots)
        if (!othersLate && !shifted && slot.value.empty() && slot.taken && byte == slot.marker) return take(slot);
    for (const Slot& slot : slots)
        if (slot.taken && byte == slot.marker) {
            bytesOutsideReplies_ = 0;
            repeatedReply_ = {std::string(1, static_cast<char>(byte)), slot.length, othersLate};
            if (slot.length == 1) takeWholeReply(repeatedReply_.value);
            return;
        }
    ++bytesOutsideReplies_;
}

bool ViewTallyDlg::misplacedFlashPartCode(std::uint8_t code, std::size_t index) const {
    return is3720Type(m_MainComm.PrinterType()) && code == IdItemCode(kFlashPartNumber, IdItemOp::Read) &&
           index != kFlashPartLeadBytes;
}

bool ViewTallyDlg::boxShows(std::uint8_t code) const {
    for (int item = 0; item < kIdItemCount; ++item)
        if (IdItemCode(item, IdItemOp::Read) == code) return true;
    for (int i = 0; i < kTallyCount; ++i)
        if (TallyReplyMarker(i, m_MainComm.bKiosk, m_MainComm.PrinterType()) == code) return true;
    return false;
}

// A slot's first byte is its marker, the read code that asked for it.
// A reply read as a closed window's whose read of this window is still
// owed may have been this window's: that window's reply came while no
// window read, and its mark stood. The read is asked again; by the
// printer's order the next reply of its code with no mark left is this
// window's.
void ViewTallyDlg::takeWholeReply(const std::string& slot) {
    if (m_MainComm.m_lngHIDHandle > 0) return;
    const auto code = static_cast<std::uint8_t>(slot.front());
    doorPass_.door().take({ReplyForm::IdItem, platform::EventLoop::current().clock().now(), code});
    if (&slot == &repeatedReply_.value && repeatedReply_.othersLate) askReadAgain(code);
}

}  // namespace tally
