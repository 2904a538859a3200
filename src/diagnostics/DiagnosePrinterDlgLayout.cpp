// The diagnostics window's design: positions, captions and fonts.
#include "diagnostics/AXOLogo.h"
#include "diagnostics/DiagnosePrinterDlg.h"

namespace diagnostics {

namespace {

// Layout, in twips.
constexpr int kMargin = 120;
constexpr int kLeftWidth = kAxoLogoWidth * platform::kTwipsPerPixel;
constexpr int kLogoHeight = kAxoLogoHeight * platform::kTwipsPerPixel;
constexpr int kSerialTop = kMargin + kLogoHeight + kMargin;
constexpr int kSerialHeight = 1020;
constexpr int kButtonsTop = kSerialTop + kSerialHeight + kMargin;
constexpr int kButtonWidth = 1785;
constexpr int kButtonHeight = 450;
constexpr int kButtonRowTop = 300;
constexpr int kButtonRowStep = 540;
constexpr int kButtonsHeight = kButtonRowTop + 5 * kButtonRowStep + 60;
constexpr int kCloseTop = kButtonsTop + kButtonsHeight + kMargin;
constexpr int kClientHeight = kCloseTop + kButtonHeight + kMargin;

constexpr int kPanelLeft = kMargin + kLeftWidth + kMargin;
constexpr int kFrameWidth = 3840;
constexpr int kFrameGap = 120;
constexpr int kPanelWidth = 2 * kFrameWidth + kFrameGap;
constexpr int kPanelHeight = kClientHeight - 2 * kMargin;
constexpr int kTopFrameHeight = 2700;
constexpr int kBottomFrameTop = kTopFrameHeight + kFrameGap;
constexpr int kBottomFrameHeight = kPanelHeight - kBottomFrameTop;
constexpr int kRowTop = 300;
constexpr int kRowStep = 300;
constexpr int kIndicatorLeft = 150;
constexpr int kIndicatorWidth = kFrameWidth - 2 * kIndicatorLeft;
constexpr int kIndicatorHeight = 255;

void placeIndicator(platform::CheckBox& box, const char* caption, int row) {
    box.setCaption(caption);
    box.Move(kIndicatorLeft, kRowTop + row * kRowStep, kIndicatorWidth, kIndicatorHeight);
}

}  // namespace

void DiagnosePrinterDlg::layOut() {
    setBorderStyle(platform::vbFixedDouble);
    setStartUpPosition(platform::vbStartUpOwner);
    setKeyPreview(true);
    for (platform::Control* c : controls()) c->setFontSize(8);

    AXOLogo.Move(kMargin, kMargin, kLeftWidth, kLogoHeight);

    SerialStatusGroup.setCaption("Serial Communication Status");
    SerialStatusGroup.Move(kMargin, kSerialTop, kLeftWidth, kSerialHeight);
    PrinterOnline.Move(150, 300, kLeftWidth - 300, 255);
    PrinterOnlineText.setText("Offline");
    PrinterOnlineText.setLocked(true);
    PrinterOnlineText.setTabStop(false);
    PrinterOnlineText.Move(150, 600, 1500, 300);

    ButtonGroup.setCaption("Printer Command");
    ButtonGroup.Move(kMargin, kButtonsTop, kLeftWidth, kButtonsHeight);
    struct ButtonPlace {
        platform::CommandButton* button;
        const char* caption;
    };
    const ButtonPlace buttons[] = {
        {&ReceiptButton, "Receipt (&1)"},         {&PrintFormButton, "Print Diag Form (&2)"},
        {&ColorPrintButton, "Two Color (&3)"},    {&TwoSideButton, "Two Side Print (&4)"},
        {&DownloadLogoButton, "Download Logo (&5)"}, {&SlipButton, "Slip (&6)"},
        {&MICRButton, "MICR (&7)"},               {&FlipButton, "Flip (&8)"},
        {&CheckScanButton, "Check Scan (&9)"},    {&DrawerButton, "Cash Drawers (F1)"},
    };
    const int columnLeft[] = {120, kLeftWidth - 120 - kButtonWidth};
    for (int i = 0; i < 10; ++i) {
        buttons[i].button->setCaption(buttons[i].caption);
        buttons[i].button->setFontSize(9);
        buttons[i].button->Move(columnLeft[i / 5], kButtonRowTop + (i % 5) * kButtonRowStep, kButtonWidth,
                                kButtonHeight);
        buttons[i].button->setTabIndex(i);
    }
    CloseButton.setCaption("Close (&0)");
    CloseButton.setFontSize(9);
    CloseButton.Move(kMargin + kLeftWidth - kButtonWidth - 120, kCloseTop, kButtonWidth, kButtonHeight);
    CloseButton.setTabIndex(10);

    layOutStatusPanel(kPanelLeft, kMargin);
    setClientSize(kPanelLeft + kPanelWidth + kMargin, kClientHeight);
}

void DiagnosePrinterDlg::layOutStatusPanel(int left, int top) {
    StatusGroup.setBorderStyle(0);
    StatusGroup.Move(left, top, kPanelWidth, kPanelHeight);

    PaperStatusGroup.setCaption("Paper Sensor ");
    PaperStatusGroup.Move(0, 0, kFrameWidth, kTopFrameHeight);
    const char* paper[] = {"Receipt Paper Exhausted", "Receipt Paper Low", "Journal Paper Exhausted",
                           "Journal Paper Low",       "Slip Leading Edge", "Slip Trailing Edge"};
    for (int i = 0; i <= 5; ++i) placeIndicator(PaperStatus(i), paper[i], i);

    PrinterStatusGroup.setCaption("Printer Status");
    PrinterStatusGroup.Move(kFrameWidth + kFrameGap, 0, kFrameWidth, kTopFrameHeight);
    SelectedStationLabel.setCaption("Selected Station:");
    SelectedStationLabel.Move(kIndicatorLeft, kRowTop + 30, 1500, kIndicatorHeight);
    SelectedStationText.setText("Receipt");
    SelectedStationText.setLocked(true);
    SelectedStationText.setTabStop(false);
    SelectedStationText.Move(kIndicatorLeft + 1560, kRowTop - 15, 1200, 285);
    const char* printer[] = {"Waiting for Slip Paper",  "Drawer 1 or 2 Opened",       "Cash Drawer 2 Opened",
                             " Busy at RS232 Interface", "Receipt Door Opened",        "Slip Door Opened",
                             "Paper Feed Button Pressed"};
    for (int i = 1; i <= 7; ++i) placeIndicator(PrinterStatus(i), printer[i - 1], i);

    ErrorConditionGroup.setCaption("Error Condition");
    ErrorConditionGroup.Move(0, kBottomFrameTop, kFrameWidth, kBottomFrameHeight);
    const char* errors[] = {"Printer Stopped due to Error Condition", "Error Detected",
                            "Slip Flip in Jam State",                 "Slip Motor in Jam State",
                            "Knife in Error Condition",               "Unrecoverable Error",
                            "Thermal Head Temp.  Out of Range",       "Power Supply Voltage Out of Range"};
    for (int i = 0; i <= 7; ++i) placeIndicator(ErrorCondition(i), errors[i], i);

    KioskStatusGroup.setCaption("Kiosk Printer Status");
    KioskStatusGroup.Move(kFrameWidth + kFrameGap, kBottomFrameTop, kFrameWidth, kBottomFrameHeight);
    const char* kiosk[] = {"Presenter Paper Sensor", "Printer Physical Reset Took Place",
                           "Presenter in Error Condition", "Printer in Jam State", "Printer Door Opened",
                           "Black Mark Detection Failure", "Print Head Damaged"};
    for (int i = 0; i <= 6; ++i) placeIndicator(KioskStatus(i), kiosk[i], i);
}

}  // namespace diagnostics
