// The tally window's design (controls, captions, their state before the
// window loads) and its per-model layouts.
#include <algorithm>

#include "link/ModelIdentifiers.h"
#include "link/PrinterTypes.h"
#include "tally/ViewTallyDlg.h"

namespace tally {

namespace {

// Layout, in twips.
constexpr int kMargin = 120;
constexpr int kGap = 90;
constexpr int kFieldHeight = 300;
constexpr int kBoxHeight = 255;
constexpr int kRowTop = 300;
constexpr int kRowStep = 375;
constexpr int kStatusHeight = 660;
constexpr int kCloseWidth = 1500;
constexpr int kButtonTop = 270;
constexpr int kButtonHeight = 405;
constexpr int kButtonGap = 75;
constexpr int kButtonGroupHeight = kButtonTop + kButtonHeight + 150;
constexpr std::array<int, 6> kButtonWidths = {1200, 1740, 1500, 2040, 2400, 1740};
// ID items: a caption column and a field column.
constexpr int kIdCaptionLeft = 150;
constexpr int kIdCaptionWidth = 2280;
constexpr int kIdFieldLeft = 2460;
constexpr int kIdFieldWidth = 1860;
constexpr int kIdGroupWidth = kIdFieldLeft + kIdFieldWidth + 150;
constexpr int kIdGroupHeight = kRowTop + kIdItemCount * kRowStep + 60;
// Tallies: two columns of six rows; the right column's captions are longer.
constexpr int kTallyFieldWidth = 930;
constexpr std::array<int, 2> kTallyBoxLeft = {150, 3630};
constexpr std::array<int, 2> kTallyBoxWidth = {2400, 3600};
constexpr int kTallyGroupWidth = kTallyBoxLeft[1] + kTallyBoxWidth[1] + kTallyFieldWidth + 150;
constexpr int kTallyRows = 6;
constexpr int kTallyGroupHeight = kRowTop + kTallyRows * kRowStep + 60;
constexpr int kHintStep = 255;
// Which tally stands in each row of the two columns.
constexpr std::array<std::array<int, kTallyRows>, 2> kTallyColumns = {{{0, 10, 1, 2, 3, 4}, {5, 6, 7, 8, 9, 11}}};

constexpr int kClientWidth = kMargin + kIdGroupWidth + kGap + kTallyGroupWidth + kMargin;

const std::array<const char*, kIdItemCount> kIdCaptions = {
    "Class / Model:", "Serial Number:", "Boot Firmware Revision:", "CRC:", "Part Number:",
    "Flash Firmware Revision:", "CRC:", "Part Number:"};
const std::array<int, 2> kIdMaxLength = {kClassModelWidth, kSerialNumberWidth};

const std::array<const char*, kTallyCount> kTallyCaptions = {
    "Receipt Lines: (Front)", "Knife Cuts:",  "Slip Lines:",     "Slip Characters:",
    "MICR Reads:",            "Hours On:",    "Flash Cycles:",   "Knife Jams:",
    "Cover Openings:",        "Max Temp Reached: (Read / Clear Only)", "Receipt Lines: (Back)", "Scan Times:"};

}  // namespace

void ViewTallyDlg::layOut() {
    setCaption("View Printer ID and Tally");
    setBorderStyle(platform::vbFixedDouble);
    setStartUpPosition(platform::vbStartUpOwner);
    setKeyPreview(true);
    for (platform::Control* c : controls()) c->setFontSize(8);

    const int groupWidth = kClientWidth - 2 * kMargin;
    SerialStatusGroup.setCaption("Serial Communication Status");
    SerialStatusGroup.Move(kMargin, kMargin, groupWidth - kCloseWidth - kGap, kStatusHeight);
    const int onlineTextLeft = SerialStatusGroup.Width() - 1300;
    PrinterOnline.Move(150, 300, onlineTextLeft - 240, kBoxHeight);
    PrinterOnlineText.Move(onlineTextLeft, 240, 1140, kFieldHeight);
    CloseButton.setCaption("Close (&0)");
    CloseButton.setCancel(true);
    CloseButton.Move(kMargin + groupWidth - kCloseWidth, kMargin + 165, kCloseWidth, kButtonHeight);

    ButtonGroup.setCaption("Printer Command");
    ButtonGroup.Move(kMargin, kMargin + kStatusHeight + kGap, groupWidth, kButtonGroupHeight);
    platform::CommandButton* buttons[] = {&ApplyButton,         &ApplyAndPrintButton,  &ClearTallyButton,
                                          &ClearUserAreaButton, &ClearUserDefinedArea, &PrintFormButton};
    const char* captions[] = {"Apply (&1)",          "Apply and Print (&2)",         "Clear Tallies (&3)",
                              "Clear All User Area (&4)", "Clear User Defined Area(&8)", "Print Diag Form (&5)"};
    int spare = groupWidth - 240;
    for (int w : kButtonWidths) spare -= w + kButtonGap;
    int left = 120 + (spare + kButtonGap) / 2;
    for (std::size_t i = 0; i < kButtonWidths.size(); ++i) {
        buttons[i]->setCaption(captions[i]);
        buttons[i]->Move(left, kButtonTop, kButtonWidths[i], kButtonHeight);
        left += kButtonWidths[i] + kButtonGap;
    }

    layOutIdItems();
    layOutTallies();

    const int bottom = std::max(PrinterIDGroup.Top() + PrinterIDGroup.Height(), Label3.Top() + Label3.Height());
    setClientSize(kClientWidth, bottom + kMargin);
}

void ViewTallyDlg::layOutIdItems() {
    const int top = ButtonGroup.Top() + ButtonGroup.Height() + kGap;
    PrinterIDGroup.setCaption("Printer ID (&6)");
    PrinterIDGroup.Move(kMargin, top, kIdGroupWidth, std::max(kIdGroupHeight, kTallyGroupHeight + 3 * kHintStep + 60));
    for (int item = 0; item < kIdItemCount; ++item) {
        const int rowTop = kRowTop + item * kRowStep;
        platform::Control& caption = item < 2 ? static_cast<platform::Control&>(PrinterID(item))
                                              : static_cast<platform::Control&>(PrinterIDLabel(item - 2));
        if (item < 2)
            PrinterID(item).setCaption(kIdCaptions[static_cast<std::size_t>(item)]);
        else
            PrinterIDLabel(item - 2).setCaption(kIdCaptions[static_cast<std::size_t>(item)]);
        // A label's text sits where a check box's caption does.
        const int captionLeft = item < 2 ? kIdCaptionLeft : kIdCaptionLeft + 255;
        caption.Move(captionLeft, rowTop + 30, kIdCaptionWidth - (captionLeft - kIdCaptionLeft), kBoxHeight);
        PrinterIDText(item).Move(kIdFieldLeft, rowTop, kIdFieldWidth, kFieldHeight);
    }
}

void ViewTallyDlg::layOutTallies() {
    const int left = kMargin + kIdGroupWidth + kGap;
    const int top = PrinterIDGroup.Top();
    PrinterTallyGroup.setCaption("Printer Tally (&7)");
    PrinterTallyGroup.Move(left, top, kTallyGroupWidth, kTallyGroupHeight);
    for (std::size_t column = 0; column < kTallyColumns.size(); ++column) {
        for (int row = 0; row < kTallyRows; ++row) {
            const int i = kTallyColumns[column][static_cast<std::size_t>(row)];
            const int rowTop = kRowTop + row * kRowStep;
            PrinterTally(i).setCaption(kTallyCaptions[static_cast<std::size_t>(i)]);
            PrinterTally(i).Move(kTallyBoxLeft[column], rowTop + 30, kTallyBoxWidth[column], kBoxHeight);
            PrinterTallyText(i).Move(kTallyBoxLeft[column] + kTallyBoxWidth[column], rowTop, kTallyFieldWidth,
                                     kFieldHeight);
        }
    }
    platform::Label* hints[] = {&Label2, &Label1, &Label3};
    const char* texts[] = {"Enter: Toggle Selected Check Option.",
                           "F1: Select Check Option to the Right of the Input Field.",
                           "F2: Select Enabled Input Field to the Left of Check Option."};
    for (int i = 0; i < 3; ++i) {
        hints[i]->setCaption(texts[i]);
        hints[i]->Move(left + 60, top + kTallyGroupHeight + 60 + i * kHintStep, kTallyGroupWidth - 60, kBoxHeight);
    }
}

// The state the window is in before it loads: every box ticked, the
// read-only fields locked.
void ViewTallyDlg::setDesignState() {
    PrinterOnlineText.setText("Offline");
    lockText(PrinterOnlineText, true);
    // A status display: as in the other work windows it takes no focus, so
    // the window opens with its keys working.
    PrinterOnlineText.setTabStop(false);
    for (int item = 0; item < 2; ++item) {
        PrinterID(item).setValue(platform::vbChecked);
        PrinterIDText(item).setMaxLength(kIdMaxLength[static_cast<std::size_t>(item)]);
    }
    for (int item : {2, 3, 5, 6}) lockText(PrinterIDText(item), true);
    PrinterIDText(4).setLocked(true);
    PrinterIDText(7).setLocked(true);
    PrinterIDText(7).setBackColor(platform::vbInactiveBorder);
    PrinterIDText(7).setForeColor(platform::vbButtonText);
    for (int i = 0; i < kTallyCount; ++i) {
        PrinterTally(i).setValue(platform::vbChecked);
        PrinterTallyText(i).setMaxLength(kTallyDigits);
    }
    lockText(PrinterTallyText(kMaxTemp), true);
    PrinterTallyText(kReceiptLinesBack).setLocked(true);
    VStatusTimer.setInterval(500);
    VStatusTimer.setEnabled(true);
}

void ViewTallyDlg::hideTally(int i) {
    PrinterTally(i).setEnabled(false);
    PrinterTallyText(i).setVisible(false);
}

void ViewTallyDlg::setKioskCaptions() {
    PrinterTally(kSlipLines).setCaption("Paper Jams");
    PrinterTally(kSlipChars).setCaption("Present Length");
    PrinterTally(kMicrReads).setCaption("Presenter Jams");
    PrinterTally(kScanTimes).setCaption("Partial Knife Cut");
}

void ViewTallyDlg::SetupTalliesByModel() {
    const std::string model = settingsValue("Model");
    using namespace printerlink;
    const long type = m_MainComm.PrinterType();
    if (typeIsOneOf(type, {k3680Type, k3680_5xxxType, k3690Type, k3690xx4xType, kM27xType}))
        for (int i : {kSlipLines, kSlipChars, kMicrReads}) hideTally(i);
    if (type == kM27xType) hideTally(kMaxTemp);
    if (is3720Type(type)) setKioskCaptions();
    const bool backShown = model == " 3650-5xxx" || model == " 3650" || model == " R809" || model == " 3690" ||
                           typeIsOneOf(type, {k3650Type, k3650_5xxxType, k3690Type, kR809Type});
    if (!backShown) hideTally(kReceiptLinesBack);
    if (!is3720Type(type)) hideTally(kScanTimes);
}

// The USB product the link found goes through the model identifier table:
// the product texts it stores are not the identifiers these rules name.
void ViewTallyDlg::SetupTalliesByDeviceName() {
    const std::string_view id = printerlink::modelIdentifierForProduct(m_MainComm.m_AnyAHPIPrinter);
    const auto idIs = [id](std::initializer_list<std::string_view> ids) {
        return std::find(ids.begin(), ids.end(), id) != ids.end();
    };
    if (idIs({"AXOM27x", "AXO3695", "AXO3680_5xxx", "AXO3680"})) {
        for (int i : {kSlipLines, kSlipChars, kMicrReads}) hideTally(i);
        if (m_MainComm.PrinterType() == printerlink::kM27xType) hideTally(kMaxTemp);
    } else {
        setKioskCaptions();
    }
    if (!idIs({"AXO3690", "AXO3xxx_R809", "AXO3650_5xxx", "AXO3650"})) hideTally(kReceiptLinesBack);
    if (idIs({"AXO3720_2st", "AXO3720_1st", "AXO3640_x035"}) || m_MainComm.bSSC06)
        PrinterTally(kScanTimes).setEnabled(true);
    else
        hideTally(kScanTimes);
}

}  // namespace tally
