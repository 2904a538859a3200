// Writing the ticked ID items and tallies, optionally with the printer
// printing them, after the fields passed the input check.
#include "link/PrinterTypes.h"
#include "shell/ModalMessageBox.h"
#include "shell/TypeDefinition.h"
#include "tally/ViewTallyDlg.h"

namespace tally {

namespace {

constexpr const char* kApplyQuestion =
    "Apply the selected ID and/or tally item(s) to the POS printer.\r\nDo you wish to continue?";
constexpr const char* kApplyAndPrintQuestion =
    "Apply the selected ID and/or tally item(s) to the POS printer.\r\n"
    "POS printer will print them on receipt to verify.\r\nDo you wish to continue?";
// The label line printed before each ID item on printer type 16.
const std::array<const char*, 2> kType16Labels = {"Class/Model:", "Serial Number:"};
// The tallies printer type 16 writes and prints.
constexpr std::array<int, 6> kType16Tallies = {kReceiptLines, kKnifeCuts,  kHoursOn,
                                               kFlashCycles,  kKnifeJams, kCoverOpens};

bool allCharsIn(const std::string& text, unsigned char lo, unsigned char hi) {
    for (char c : text) {
        const auto code = static_cast<unsigned char>(c);
        if (code < lo || code > hi) return false;
    }
    return true;
}

}  // namespace

bool ViewTallyDlg::ValidateInput() {
    platform::TextBox* invalid = nullptr;
    std::string rule;
    for (int item = 0; item < 2 && !invalid; ++item) {
        if (allCharsIn(PrinterIDText(item).Text(), 32, 126)) continue;
        invalid = &PrinterIDText(item);
        rule = item == 0 ? "Valid data is 15 digits ASCII value." : "Valid data is 10 digits ASCII value.";
    }
    for (int i = 0; i < kTallyCount && !invalid; ++i) {
        if (allCharsIn(PrinterTallyText(i).Text(), '0', '9')) continue;
        invalid = &PrinterTallyText(i);
        rule = "Valid data is 8 digits numeric value.";
    }
    if (!invalid) return true;
    shell::ShowMessage("Invalid data is entered.\r\n" + rule, shell::vbOKOnly, shell::vbInformation);
    invalid->SetFocus();  // only when it can take the focus
    return false;
}

bool ViewTallyDlg::tallySelected(int i) const {
    return PrinterTally(i).Value() == platform::vbChecked && PrinterTallyText(i).Visible();
}

std::string ViewTallyDlg::paddedIdText(int item) const {
    std::string text = PrinterIDText(item).Text();
    const std::size_t width = item == 0 ? kClassModelWidth : kSerialNumberWidth;
    if (text.size() < width) text.append(width - text.size(), ' ');
    return text;
}

std::string ViewTallyDlg::paddedTallyText(int i) const {
    std::string text = PrinterTallyText(i).Text();
    if (text.size() < kTallyDigits) text.insert(0, kTallyDigits - text.size(), '0');
    return text;
}

// The read's answers that come while the write waits for them fill the
// boxes with the printer's values from before: a ticked box keeps what the
// technician typed, which is what goes out.
bool ViewTallyDlg::awaitReadAnswersKeepingTicked() {
    std::array<std::string, 2> ids;
    std::array<std::string, kTallyCount> tallies;
    for (int item = 0; item < 2; ++item) ids[static_cast<std::size_t>(item)] = PrinterIDText(item).Text();
    for (int i = 0; i < kTallyCount; ++i) tallies[static_cast<std::size_t>(i)] = PrinterTallyText(i).Text();
    if (!awaitReadAnswers()) return false;
    for (int item = 0; item < 2; ++item)
        if (PrinterID(item).Value() == platform::vbChecked)
            PrinterIDText(item).setText(ids[static_cast<std::size_t>(item)]);
    for (int i = 0; i < kTallyCount; ++i)
        if (tallySelected(i)) PrinterTallyText(i).setText(tallies[static_cast<std::size_t>(i)]);
    return true;
}

// Every ticked item once, with the code of `op`; tally 9 is read only.
void ViewTallyDlg::sendSelectedItems(IdItemOp op) {
    if (!awaitReadAnswersKeepingTicked()) return;
    for (int item = 0; item < 2; ++item)
        if (PrinterID(item).Value() == platform::vbChecked) WriteIdItem(IdItemCode(item, op), paddedIdText(item));
    for (int i = 0; i < kTallyCount; ++i)
        if (i != kMaxTemp && tallySelected(i))
            WriteIdItem(TallyCode(i, op, m_MainComm.bKiosk), paddedTallyText(i));
}

// Printer type 16 takes each item written and then written and printed. A
// tally without a code of its own on this model is left out.
void ViewTallyDlg::sendSelectedItemsForType16(bool printLabels) {
    if (!awaitReadAnswersKeepingTicked()) return;
    for (int item = 0; item < 2; ++item) {
        if (PrinterID(item).Value() != platform::vbChecked) continue;
        const std::string data = paddedIdText(item);
        WriteIdItem(IdItemCode(item, IdItemOp::Write), data);
        if (printLabels) PrintTextLine(kType16Labels[static_cast<std::size_t>(item)], true, true, false);
        WriteIdItem(IdItemCode(item, IdItemOp::WriteAndPrint), data);
    }
    for (int i : kType16Tallies) {
        if (!tallySelected(i)) continue;
        const std::string data = paddedTallyText(i);
        WriteIdItem(TallyCode(i, IdItemOp::Write, false), data);
        WriteIdItem(TallyCode(i, IdItemOp::WriteAndPrint, false), data);
    }
}

void ViewTallyDlg::ApplySelectedItemsLan() {
    if (!ValidateInput()) return;
    if (shell::ShowMessage(kApplyQuestion, shell::vbYesNo, shell::vbInformation) != shell::vbYes) return;
    sendChecked([this] { sendSelectedItems(IdItemOp::Write); });
}

void ViewTallyDlg::ApplySelectedItemsSerial() {
    if (!ValidateInput()) return;
    if (shell::ShowMessage(kApplyQuestion, shell::vbYesNo, shell::vbInformation) != shell::vbYes) return;
    if (CheckLink()) sendChecked([this] { sendSelectedItems(IdItemOp::Write); });
}

// The sends of Apply and Print, ending with the feed and cut.
void ViewTallyDlg::sendSelectedItemsAndPrint(bool labelLines) {
    if (m_MainComm.PrinterType() == printerlink::k3695Type) {
        sendSelectedItemsForType16(labelLines);
        FeedAndCut(8);
    } else {
        sendSelectedItems(IdItemOp::WriteAndPrint);
        FeedAndCut(3);
    }
}

void ViewTallyDlg::ApplyAndPrintItemsLan() {
    if (!ValidateInput()) return;
    if (shell::ShowMessage(kApplyAndPrintQuestion, shell::vbYesNo, shell::vbInformation) != shell::vbYes) return;
    sendChecked([this] { sendSelectedItemsAndPrint(true); });
}

// The same sends, but type 16 prints no label lines over a serial link.
void ViewTallyDlg::ApplyAndPrintItemsSerial() {
    if (!ValidateInput()) return;
    if (shell::ShowMessage(kApplyAndPrintQuestion, shell::vbYesNo, shell::vbInformation) != shell::vbYes) return;
    if (CheckLink()) sendChecked([this] { sendSelectedItemsAndPrint(false); });
}

}  // namespace tally
