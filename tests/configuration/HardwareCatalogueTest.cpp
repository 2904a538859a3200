// The hardware category for all 17 types, connected by model and as "Any HID
// USB POS Printer", and after a printer restart: the result tables of the
// category written out as data.
#include "CatalogueExpect.h"

namespace configtest {
namespace {

using configuration::CatalogueInputs;
using configuration::kHardware;
using S = State;

Options densities(int max) {
    Options list;
    const auto add = [&list](int i) {
        std::string text = " ";
        text += std::to_string(i);
        list.push_back(std::move(text));
    };
    for (int i = 0; i <= max; ++i) add(i);
    for (int i = -max; i <= -1; ++i) add(i);
    return list;
}

const Options kPct = {" 100%", " 110%", " 120%"}, kEnDis = {" Enabled", " Disabled"},
              kDisEn = {" Disabled", " Enabled"}, kBezel = {"Auto Mode", "User Mode"},
              kLoop = {" 100 cm", " 90 cm", " 80 cm", " 70 cm", " 60 cm", " 50 cm"},
              kMarks = {"111mm", "127mm", "140mm", "152mm", "90mm"},
              kMm = {"75mm", "111mm", "150mm", "225mm", "300mm", "375mm", "450mm", "525mm", "600mm"},
              kIps = {" 40 ips", " 20 ips"}, kCutter = {" Enable Cutter", " Disabled"},
              kModes3 = {" High Speed Print", " High Quality Print", " Eco Print"},
              kModes2 = {" High Speed Print", " High Quality Print"},
              kTimeouts = {" Timeout", "20Secs", "30Secs", "40Secs", "50Secs", "60Secs"},
              kTones = {" Enabled: No Tone", " Disabled", " Enabled: Low Tone", " Enabled: High Tone"},
              kPower = {" 55W", " 75W"}, kBuzzer = {" Low", " Middle", " High"};
const std::vector<long> kNot9or15 = {0, 1, 2, 3, 4, 5, 6, 7, 8, 10, 11, 12, 13, 14};

struct Def {
    int row;
    std::vector<long> types;
    Expected rowResult;
};

// The table for printer types connected by their own entry (" 55W"/" 75W" in
// row 1: the model text names no power-option model).
const std::vector<Def> kByType = {
    {0, {0, 1, 5, 7, 10, 11, 12}, {"Print Density:", kPct, 0, S::Usable}},
    {0, {2, 4, 6, 9, 13, 15, 16}, {"Print Density:", densities(15), 10, S::Usable}},
    {0, {3}, {"Print Density:", kPct, 2, S::Usable}},
    {0, {8}, {"Print Density:", densities(5), 0, S::Usable}},
    {0, {14}, {"Print Density:", kPct, 0, S::BoxDisabled}},
    {1, {0, 1, 2, 3, 4, 5, 6, 7, 8, 10, 11, 12, 13, 16}, {"Max Power:", kPower, 0, S::Usable}},
    {1, {9, 15}, {"Maximum LoopLen:", kLoop, 0, S::Usable}},
    {1, {14}, {"Max Power", {}, -1, S::Disabled}},
    {2, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 15}, {"Paper Low Sensor:", {" Enabled(40ff)", " Disabled"}, 0, S::Usable}},
    {2, {14}, {"Paper Low Sensor:", {"Enabled 50 ft", "Enabled 10 ft", "Disable"}, 0, S::ListHidden}},
    {2, {16}, {"Paper Low Sensor:", {" Enabled(40ff)", " Disabled", " Enabled(30ff)", " Enabled(20ff)", " Enabled(15ff)"}, 4, S::Usable}},
    {3, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 11, 12, 13, 15, 16}, {"Paper Width:", {" 80mm", " 58mm"}, 0, S::Usable}},
    {3, {10}, {"Paper Width:", {}, -1, S::Disabled}},
    {3, {14}, {"Paper Width:", {" 80mm", "82.5mm", "114mm"}, 0, S::Usable}},
    {4, {0, 1, 3, 5, 7, 8, 10, 11, 12, 13}, {"Knife:", kEnDis, 0, S::Usable}},
    {4, {2, 6, 16}, {"Knife:", kTones, 0, S::Usable}},
    {4, {4}, {"Knife:", {" Enable Knife", " Disabled Knife", " Enable Knife with Buzzer (Low)", " Enable Knife with Buzzer (High)"}, 0, S::Usable}},
    {4, {9, 15}, {"Knife:", kCutter, 0, S::Usable}},
    {4, {14}, {"Knife", {}, -1, S::Disabled}},
    {5, {0, 1, 2, 3, 4}, {"MICR:", kEnDis, 0, S::Usable}},
    {5, {5, 6, 7, 8, 10, 11, 12, 13}, {"Power LED Control:", kDisEn, 0, S::Usable}},
    {5, {9, 15, 16}, {"Bezel LED:", kBezel, 0, S::Usable}},
    {5, {14}, {"MICR:", {}, -1, S::Disabled}},
    {6, {0, 1, 2, 3, 4}, {"Check Flip:", kEnDis, 0, S::Disabled}},
    {6, {5, 6, 7, 8, 10, 11, 12, 13, 14}, {"Check Flip:", {}, -1, S::Disabled}},
    {6, {9, 15}, {"", {}, -1, S::Disabled}},
    {6, {16}, {"Buzzer Tone:", kBuzzer, 1, S::Usable}},
    {7, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 15, 16}, {"Color Paper:", {" Monochrome", " Two Color"}, 0, S::Usable}},
    {7, {14}, {"Color Paper", {}, -1, S::Disabled}},
    {8, {0, 1, 2, 3, 4}, {"MICR Dual Pass:", kDisEn, 1, S::Usable}},
    {8, {5, 6, 7, 8, 10, 11, 12, 13, 14}, {"MICR Dual:", {}, -1, S::Disabled}},
    {8, {9, 15}, {"Black Mark Detection:", {"Disable", "Enable"}, 0, S::Usable}},
    {8, {16}, {"Black Mark Detection:", {}, -1, S::Disabled}},
    {9, {0, 2, 3, 4, 5, 6, 7, 10, 11, 12, 13, 14, 16}, {"Scan:", {}, -1, S::Disabled}},
    {9, {1}, {"Scan:", kEnDis, 0, S::Usable}},
    {9, {8}, {"Knife Tone:", kDisEn, 0, S::Usable}},
    {9, {9, 15}, {"Black Mark Distance:", kMarks, 0, S::Usable}},
    {10, {0, 1}, {"Receipt Motor Hold:", {" 4ms", " 20ms"}, 0, S::Usable}},
    {10, {2, 4, 6}, {"Standby Mode:", kDisEn, 0, S::Usable}},
    {10, {16}, {"Standby Mode:", kDisEn, 1, S::Usable}},
    {10, {3, 13, 14}, {"Receipt Motor Hold:", {}, -1, S::Disabled}},
    {10, {5}, {"Standby Mode:", {}, -1, S::Disabled}},
    {10, {7}, {"Min Receipt Length:", {}, -1, S::Disabled}},
    {10, {8}, {"Paper Type:", {" Automatic Detection", " Label Paper", " Thermal Paper"}, 0, S::Usable}},
    {10, {9, 15}, {"Min Receipt Length:", kMm, 0, S::Usable}},
    {10, {10, 11, 12}, {"Min Receipt Length:", {" None", " 6 Inches", " 6.5 Inches", " 7 Inches", " 7.5 Inches", " 8 Inches", " 5 Inches", " 4 Inches", " 3 Inches", " 2 Inches", " 1 Inches"}, 1, S::Usable}},
    {11, {0, 1}, {"Feed After Cut:", {" No Feed", " 0.5mm Feed"}, 0, S::Usable}},
    {11, {2, 4, 6, 16}, {"Shift to Power Off:", {" Disabled", " 60min", " 120min", " 180min", " 240min", " 300min"}, 0, S::Usable}},
    {11, {3, 13, 14}, {"Feed After Cut:", {}, -1, S::Disabled}},
    {11, {5}, {"Shift to Power Off:", {}, -1, S::Disabled}},
    {11, {7, 12}, {"2ST Paper Detection:", kEnDis, 0, S::Usable}},
    {11, {8}, {"Clean Head Warning:", {" Enable Pwr ON, Print", " Enable Pwr ON ", " Enable Print", " Disable"}, 0, S::Usable}},
    {11, {9, 15}, {"Presenter Speed:", kIps, 0, S::Usable}},
    {11, {10, 11}, {"2ST Paper Detection:", {}, -1, S::Disabled}},
    {12, {0, 1, 3, 5, 7, 8, 10, 11, 12, 14}, {"Receipt Print Mode:", {}, -1, S::Disabled}},
    {12, {2, 6, 9, 13, 15}, {"Receipt Print Mode:", kModes3, 0, S::Usable}},
    {12, {4, 16}, {"Receipt Print Mode:", kModes2, 0, S::Usable}},
    {13, {0, 1, 3, 5, 7, 8, 10, 11, 12, 13, 14}, {"Pwr On Head Failure Detect:", {}, -1, S::Disabled}},
    {13, {2, 4, 6}, {"Pwr On Head Failure Detect:", {" Off", " On"}, 0, S::Usable}},
    {13, {9, 15}, {"Presenter Timeout:", kTimeouts, 0, S::Usable}},
    {13, {16}, {"Presenter Timeout:", {}, -1, S::Disabled}},
    {14, kNot9or15, {"Presenter Retry:", {}, -1, S::BoxDisabled}},
    {14, {9, 15}, {"Presenter Retry:", {"2", "3", "4", "5"}, 0, S::Usable}},
    {15, kNot9or15, {"Presenter ForwardLength:", {}, -1, S::BoxDisabled}},
    {15, {9, 15}, {"Presenter ForwardLength:", {"25mm", "50mm", "75mm"}, 0, S::Usable}},
    {16, kNot9or15, {"Presenter PullSensor:", {}, -1, S::BoxDisabled}},
    {16, {9, 15}, {"Presenter PullSensor:", {"Enable", "Disable"}, 0, S::Usable}},
    {14, {16}, {"Presenter Retry:", {}, -1, S::Disabled}},
    {15, {16}, {"Presenter ForwardLength:", {}, -1, S::Disabled}},
    {16, {16}, {"Presenter PullSensor:", {}, -1, S::Disabled}},
};

// The rows that differ for a printer connected as "Any HID USB POS Printer".
// Rows that get two definitions show the one given last. The presenter rows
// have no parameter number outside the kiosk types: they keep their options
// but cannot be ticked.
const std::vector<Def> kAnyHid = {
    {0, {0, 1, 3, 5, 7, 8, 10, 11, 12}, {"Print Density:", densities(15), 10, S::Usable}},
    {0, {14}, {"Print Density:", densities(15), 10, S::BoxDisabled}},
    {4, {0, 1, 2, 3, 4, 5, 6, 7, 8, 10, 11, 12, 13}, {"Knife:", kCutter, 0, S::Usable}},
    {5, kNot9or15, {"Bezel LED:", kBezel, 0, S::Usable}},
    {9, {0, 1, 2, 3, 4, 5, 6, 7, 8, 10, 11, 12, 13, 14}, {"Black Mark Distance:", kMarks, 0, S::Usable}},
    {9, {16}, {"Black Mark Distance:", {}, -1, S::Disabled}},
    {10, {0, 1, 7, 10, 11, 12}, {"Min Receipt Length:", kMm, 0, S::Usable}},
    {11, {0, 1, 7, 10, 11, 12}, {"Presenter Speed:", kIps, 0, S::Usable}},
    {12, {0, 1, 3, 5, 7, 8, 10, 11, 12, 14}, {"Receipt Print Mode:", kModes3, 0, S::Usable}},
    {13, kNot9or15, {"Presenter Timeout:", kTimeouts, 0, S::Usable}},
    {14, kNot9or15, {"Presenter Retry:", {"2", "3", "4", "5"}, 0, S::BoxDisabled}},
    {15, kNot9or15, {"Presenter ForwardLength:", {"25mm", "50mm", "75mm"}, 0, S::BoxDisabled}},
    {16, kNot9or15, {"Presenter PullSensor:", {"Enable", "Disable"}, 0, S::BoxDisabled}},
};

std::vector<Expected> table(long type, bool anyHid) {
    std::vector<Expected> rows(17);
    auto apply = [&](const std::vector<Def>& defs) {
        for (const Def& d : defs)
            if (std::find(d.types.begin(), d.types.end(), type) != d.types.end())
                rows[static_cast<std::size_t>(d.row)] = d.rowResult;
    };
    apply(kByType);
    if (anyHid) apply(kAnyHid);
    return rows;
}

TEST(HardwareCatalogue, EveryTypeByItsOwnEntryAndAsAnyHidPrinter) {
    for (bool anyHid : {false, true}) {
        for (long t : kAllTypes) {
            SCOPED_TRACE("type " + std::to_string(t) + (anyHid ? " as any HID printer" : ""));
            CatalogueInputs in{.printerType = t, .modelText = " model", .anyHidPrinter = anyHid};
            expectLayout(configuration::catalogueLayout(kHardware, in), table(t, anyHid));
        }
    }
}

// After a restart: the stored number and model text decide, the link's type
// and the "Any HID" connection do not.
configuration::CategoryLayout afterRestart(long linkType, const std::string& number, const std::string& text) {
    CatalogueInputs in{.printerType = linkType, .printerRestarted = true, .printerModelText = number,
                       .modelText = text, .anyHidPrinter = true};
    return configuration::catalogueLayout(kHardware, in);
}

TEST(HardwareCatalogue, AfterARestartEachDialogModelTextGetsItsTypesRows) {
    const char* texts[] = {" 3640", " 3640-x035", " 3640-5xxx/6xxx", " 3650", " 3650-5xxx", " 3680",
                           " 3680-5xxx/6xxx", " 3690", " 3690-xx4x", " 3720-2ST", " R806", " R807",
                           " R809", " 3740-R801", " M27x", " 3720-1ST", " 3695"};
    for (long t : kAllTypes) {
        SCOPED_TRACE(texts[t]);
        std::vector<Expected> rows = table(t, false);
        if (t == 2 || t == 4 || t == 6) rows[1].options = kPower;  // the restart path compares upper-case texts
        if (t == 16) {
            rows[1].options = {"Term Pwr-High", "AXO 75W Ext Pwr", "Term Pwr-Low", "AXO 60W Ext Pwr"};
            rows[6].state = S::ListHidden;
            rows[8] = {"MICR Dual:", {}, -1, S::Disabled};
            rows[12].defaultIndex = 1;
            for (int r : {14, 15, 16}) rows[static_cast<std::size_t>(r)].state = S::BoxDisabled;
        }
        // The link's type is 0: the parameter numbers of rows 14 to 16 are 00.
        if (t == 9 || t == 15)
            for (int r : {14, 15, 16}) rows[static_cast<std::size_t>(r)].state = S::BoxDisabled;
        expectLayout(afterRestart(0, std::to_string(t), texts[t]), rows);
    }
}

// Single rows that the model text decides, and after a restart the stored
// number ("-": no restart; the link's type is `link`).
TEST(HardwareCatalogue, RowsByModelTextAndStoredNumber) {
    const Options term = {"Term Pwr-High", "AXO 75W Ext Pwr", "Term Pwr-Low", "AXO 60W Ext Pwr"};
    const struct {
        long link;
        const char* number;
        const char* text;
        int row;
        Expected result;
    } cases[] = {
        {4, "-", " 3650-5xxx", 1, {"Max Power:", {"AXO Term Pwr", "AXO 75W Ext Pwr"}, 0, S::Usable}},
        {6, "-", " 3680-5xxx/6xxx", 1, {"Max Power:", term, 0, S::Usable}},
        {0, "-", " 3695", 1, {"Max Power:", term, 0, S::Usable}},
        {2, "-", " 3640-5XXX/6XXX", 1, {"Max Power:", kPower, 0, S::Usable}},
        // After a restart: the discovery's labels, which name no group.
        {4, "4", " 3650-5XXX", 1, {"Max Power:", {"AXO Term Pwr", "AXO 75W Ext Pwr"}, 0, S::Usable}},
        {4, "4", " 3650-5XXX", 5, {"MICR:", {}, -1, S::Disabled}},
        {4, "4", " 3650-5XXX", 8, {"MICR Dual:", {}, -1, S::Disabled}},
        // A row two definitions reach shows the one given last.
        {16, "16", " 3640", 5, {"Bezel LED:", kBezel, 0, S::Usable}},
        {16, "16", " 3640", 6, {"Buzzer Tone:", kBuzzer, 1, S::Usable}},
        {16, "16", " 3640", 8, {"MICR Dual Pass:", kDisEn, 1, S::Usable}},
        {9, "9", " 3640", 1, {"Max Power:", kPower, 0, S::Usable}},
        {8, "8", " 3640-x035", 9, {"Scan:", kEnDis, 0, S::Usable}},
        {0, "0", " 3720-2ST", 1, {"", {}, -1, S::Usable}},
        // A number that is no type 2-16 is type 0; no number is the link's type.
        {16, "17", " 3640", 0, {"Print Density:", kPct, 0, S::Usable}},
        {16, "2.5", " 3640", 0, {"Print Density:", kPct, 0, S::Usable}},
        {16, "1", " 3640", 0, {"Print Density:", kPct, 0, S::Usable}},
        {3, "", " 3650", 0, {"Print Density:", kPct, 2, S::Usable}},
        {3, "16x", " 3650", 0, {"Print Density:", kPct, 2, S::Usable}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.number) + c.text + " row " + std::to_string(c.row));
        const bool restarted = std::string(c.number) != "-";
        const auto row = restarted ? afterRestart(c.link, c.number, c.text)[static_cast<std::size_t>(c.row)]
                                   : configuration::catalogueLayout(kHardware, {.printerType = c.link, .modelText = c.text})
                                         [static_cast<std::size_t>(c.row)];
        EXPECT_EQ(row.caption, c.result.caption);
        EXPECT_EQ(row.options, c.result.options);
        EXPECT_EQ(row.defaultIndex, c.result.defaultIndex);
        EXPECT_EQ(stateOf(row), c.result.state);
    }
}

}  // namespace
}  // namespace configtest
