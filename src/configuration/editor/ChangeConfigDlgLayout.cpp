// The configuration window's controls as designed: captions, places and
// sizes (twips), tab order and the status timer's design values.
#include "configuration/editor/ChangeConfigDlg.h"

namespace configuration {

namespace {

constexpr int kPx = platform::kTwipsPerPixel;

// Left part: the printer settings (categories and rows) above the status.
constexpr int kMargin = 8 * kPx;
constexpr int kCategoryWidth = 180 * kPx;
constexpr int kCategoryHeight = 152 * kPx;
constexpr int kOptionTop = 22 * kPx;
constexpr int kOptionStep = 25 * kPx;
constexpr int kRowTop = 22 * kPx;
constexpr int kRowStep = 23 * kPx;
// The lists take what the longest label leaves: the longest options need
// all of it.
constexpr int kBoxWidth = 196 * kPx;
constexpr int kBoxHeight = 19 * kPx;
constexpr int kListLeft = 214 * kPx;
constexpr int kListWidth = 252 * kPx;
constexpr int kListHeight = 21 * kPx;
constexpr int kSettingsLeft = kMargin + kCategoryWidth + kMargin;
constexpr int kSettingsWidth = kListLeft + kListWidth + 10 * kPx;
constexpr int kSettingsHeight = kRowTop + kSettingRows * kRowStep + 6 * kPx;
constexpr int kFrameTop = 18 * kPx;
constexpr int kPrinterSettingsWidth = kSettingsLeft + kSettingsWidth + kMargin;
constexpr int kPrinterSettingsHeight = kFrameTop + kSettingsHeight + kMargin;
constexpr int kStatusTop = kMargin + kPrinterSettingsHeight + 6 * kPx;
constexpr int kStatusHeight = 48 * kPx;

// Right column: the buttons.
constexpr int kColumnLeft = kMargin + kPrinterSettingsWidth + kMargin;
constexpr int kColumnWidth = 176 * kPx;
constexpr int kButtonHeight = 28 * kPx;
constexpr int kButtonStep = 34 * kPx;
constexpr int kCommandGroupTop = kButtonStep + 8 * kPx;
constexpr int kCommandGroupHeight = kFrameTop + 4 * kButtonStep + 4 * kPx;

constexpr int kClientWidth = kColumnLeft + kColumnWidth + kMargin;
constexpr int kClientHeight = kStatusTop + kStatusHeight + kMargin;

void borderless(platform::PictureBox& box) {
    box.setBorderStyle(0);
    box.setTabStop(false);
}

}  // namespace

void ChangeConfigDlg::layOut() {
    setCaption("Change Configuration");
    setBorderStyle(platform::vbFixedDouble);
    setStartUpPosition(platform::vbStartUpOwner);
    setKeyPreview(true);
    for (platform::Control* c : controls()) c->setFontSize(9);

    borderless(ConfigurationGroup);
    ConfigurationGroup.Move(0, 0, kClientWidth, kClientHeight);
    PrinterSettingsGroup.setCaption("Printer Settings");
    PrinterSettingsGroup.Move(kMargin, kMargin, kPrinterSettingsWidth, kPrinterSettingsHeight);

    CategoryGroup.setCaption("Category (&5)");
    CategoryGroup.Move(kMargin, kFrameTop, kCategoryWidth, kCategoryHeight);
    const char* categories[] = {"Communication Interface", "Emulation / Software", "Hardware", "Code Pages",
                                "Double Side"};
    for (int i = 0; i <= 4; ++i) {
        CategoryButton(i).setCaption(categories[i]);
        CategoryButton(i).Move(10 * kPx, kOptionTop + i * kOptionStep, kCategoryWidth - 20 * kPx, 20 * kPx);
    }
    CategoryButton(0).setValue(true);

    borderless(Picture1);
    Picture1.Move(kMargin, kFrameTop + kCategoryHeight + 10 * kPx, kCategoryWidth, 44 * kPx);
    Label1.setCaption("F1 Key: Set Focus to Options.");
    Label1.Move(4 * kPx, 0, kCategoryWidth - 4 * kPx, 18 * kPx);
    Label2.setCaption("F2 Key: Set Focus to Value List.");
    Label2.Move(4 * kPx, 22 * kPx, kCategoryWidth - 4 * kPx, 18 * kPx);

    SettingsGroup.setCaption("Settings (&6)");
    SettingsGroup.Move(kSettingsLeft, kFrameTop, kSettingsWidth, kSettingsHeight);
    int tab = 0;
    for (int i = 0; i <= 4; ++i) CategoryButton(i).setTabIndex(tab++);
    for (int i = 0; i < kSettingRows; ++i) {
        const int top = kRowTop + i * kRowStep;
        Setting(i).Move(10 * kPx, top + kPx, kBoxWidth, kBoxHeight);
        SettingList(i).Move(kListLeft, top, kListWidth, kListHeight);
        SettingList(i).setVisible(false);
        Setting(i).setTabIndex(tab++);
        SettingList(i).setTabIndex(tab++);
    }

    borderless(Picture2);
    Picture2.Move(kColumnLeft, kMargin, kColumnWidth, kCommandGroupTop + kCommandGroupHeight);
    ApplyButton.setCaption("Apply to Printer (&1)");
    ApplyButton.Move(0, 4 * kPx, kColumnWidth, kButtonHeight);
    ApplyButton.setTabIndex(tab++);
    ButtonGroup.setCaption("Printer Command");
    ButtonGroup.Move(0, kCommandGroupTop, kColumnWidth, kCommandGroupHeight);
    platform::CommandButton* commands[] = {&RebootButton, &PrintFormButton, &RestoreDefaultButton, &ApplyAll};
    const char* commandCaptions[] = {"Restart Printer (&2)", "Print Diag Form (&3)", "Restore Defaults (&4)",
                                     "ApplyAll(&5)"};
    for (int i = 0; i < 4; ++i) {
        commands[i]->setCaption(commandCaptions[i]);
        commands[i]->Move(10 * kPx, kFrameTop + 2 * kPx + i * kButtonStep, kColumnWidth - 20 * kPx, kButtonHeight);
        commands[i]->setTabIndex(tab++);
    }

    const int selectionsTop = kMargin + kCommandGroupTop + kCommandGroupHeight + 16 * kPx;
    borderless(Picture3);
    Picture3.Move(kColumnLeft, selectionsTop, kColumnWidth, kButtonStep + kButtonHeight);
    borderless(Picture4);
    Picture4.Move(kColumnLeft, selectionsTop + 2 * kButtonStep + 8 * kPx, kColumnWidth, kButtonStep + kButtonHeight);
    platform::CommandButton* selections[] = {&Clear, &ClearAll, &Command1, &Command2};
    const char* selectionCaptions[] = {"Clear(&6)", "ClearAll(&7)", "Export To File(&8)", "Import From File(&9)"};
    for (int i = 0; i < 4; ++i) {
        selections[i]->setCaption(selectionCaptions[i]);
        selections[i]->Move(0, (i % 2) * kButtonStep, kColumnWidth, kButtonHeight);
        selections[i]->setTabIndex(tab++);
    }

    borderless(Picture5);
    Picture5.Move(kColumnLeft, kStatusTop + kStatusHeight - kButtonHeight - 2 * kPx, kColumnWidth, kButtonHeight);
    CloseButton.setCaption("Close (&0)");
    CloseButton.Move(0, 0, kColumnWidth, kButtonHeight);
    CloseButton.setTabIndex(tab++);

    SerialStatusGroup.setCaption("Serial Communication Status");
    SerialStatusGroup.Move(kMargin, kStatusTop, kPrinterSettingsWidth, kStatusHeight);
    PrinterOnline.Move(10 * kPx, 23 * kPx, kPrinterSettingsWidth - 140 * kPx, 18 * kPx);
    PrinterOnlineText.setText("Offline");
    PrinterOnlineText.setLocked(true);
    PrinterOnlineText.setTabStop(false);
    PrinterOnlineText.Move(kPrinterSettingsWidth - 120 * kPx, 19 * kPx, 104 * kPx, 22 * kPx);

    StatusTimer.setInterval(500);
    StatusTimer.setEnabled(true);

    setClientSize(kClientWidth, kClientHeight);
}

}  // namespace configuration
