// The software category for every printer type, with and without the font
// setting and the 48-column firmware, and after a printer restart: the
// labels, options and result tables of the catalogue, row by row.
#include <set>

#include "CatalogueExpect.h"

namespace configtest {
namespace {

using configuration::CatalogueInputs;
using configuration::kSoftware;

const Options kOnOff = {" On", " Off"};
const Options kCols = {" 9 Columns", " 14 Columns"};
const Options kDisEn = {" Disabled", " Enabled"};
const Options kFonts = {" Font1", " Font2"};
const Options kOffOn = {" OFF", " ON"};
const Options kReset = {" Disabled",       " Enabled 10 sec", " Enabled 20 sec", " Enabled 30 sec",
                        " Enabled 40 sec", " Enabled 50 sec", " Enabled 60 sec"};
const Options kEmu3680 = {" 3664 Mode", " 3663 Mode", " 3680 Native"};
const Options kId3680 = {" 3664 Native ID", " Emulation ID", " 3680 Native ID"};

bool in(long t, std::set<long> types) { return types.count(t) != 0; }

Expected row(std::string caption, Options options, int defaultIndex = 0) {
    const int d = options.empty() ? -1 : defaultIndex;
    return Expected(std::move(caption), std::move(options), d, true);
}

// Labels, options and default choices of rows 0-13 for one type.
std::vector<Expected> softwareRows(long t, bool font, bool col48) {
    const bool g1 = in(t, {0, 1, 2}), slip = in(t, {0, 1, 2, 3, 4}), e3680 = in(t, {5, 6, 7, 8, 10, 11, 12, 13});
    const bool fontRows = in(t, {9, 15}) || font;
    std::vector<Expected> r(14);
    Options emulation = g1 ? Options{" 3628 Native", " 3624", " 3612", " 3640"}
                        : t == 4 ? Options{" 3628", " 3624", " 3612", " 3640 Native"}
                        : t == 3 ? Options{" 3628 Native", " 3624", " 3612", "3650"}
                        : e3680  ? kEmu3680
                                 : Options{};
    Options id = slip ? Options{" 3628 Native ID", " Emulation ID", t == 3 ? " 3650 Native ID" : " 3640 Native ID"}
                 : e3680 ? kId3680
                         : Options{};
    r[0] = row(t == 14 ? "Printer Emulation" : t == 16 ? " Printer Emulation:" : "Printer Emulation:", emulation);
    r[1] = row(t == 16 ? " Printer ID:" : "Printer ID Mode:", id);
    r[2] = row("Default LPI:", {" 8.13", " 7.52", " 6.00"}, 1);
    r[3] = row("Carriage Return:", {" Ignored", " Used as Cmd"}, 1);
    r[4] = in(t, {1, 14}) ? row("Asian Mode:", {})
           : in(t, {9, 15}) ? row("Asian Mode:", kOnOff, 0)
           : t == 16        ? row("Asian Mode:", {" 932 On", " Off", " 936 On", " 949 On", " 950 On"}, 1)
                            : row("Asian Mode:", kOnOff, 1);
    r[5] = slip     ? row("Slip Print Width:", {t == 3 ? " 3650 Mode" : " 3640 Mode", " 3624/28 Mode"})
           : t == 8 ? row("Label Font Attr:", {" Bold", " Bold, Dbl Wide", " Bold, Dbl High", " Bold, Dbl Wide & High",
                                               " Normal", " Dbl Wide", " Dbl High", " Dbl Wide & High"})
                    : row("Code page:", {" 437", " 850", " 852", " 858", " 860", " 862", " 863", " 864", " 865",
                                         " 866", " 874", " 1252", " Katakana"});
    r[6] = in(t, {2, 6})
               ? row("Receipt Sync:", {" Enabled (Mode2)", " Disabled", " Enabled (Mode1)", " Enabled (Mode3)"}, 1)
           : t == 13 ? row("Receipt Sync:", {" Enabled (Mode2)", " Disabled", " Enabled (Mode1)"}, 1)
           : t == 14 ? row("Receipt Sync:", {})
           : t == 4  ? row("Receipt Sync:", {" Enabled (Mode1)", " Enabled (Mode2)", " Disabled "}, 2)
           : t == 16 ? row("Receipt Sync:", {" Syn.Mode2", " Disabled", " Syn.Mode1", " Syn.Mode3"}, 1)
                     : row("Receipt Sync:", {" Enabled", " Disabled"}, t == 3 ? 1 : 0);
    r[7] = slip     ? row("Platen Wait Time:", {" No Extra Time", " 1 Second", " 2 Seconds"})
           : t == 8 ? row("Gap before Cut:", {" Keep", " Remove"})
                    : row("48 Character Mode:", {"Enable", "Disable"});
    r[8] = in(t, {1, 10}) ? row("PDF417Column:", {})
           : t == 5       ? row("PDF417 Max Cols:", {})
           : t == 16      ? row("PDF417 Max Cols:", {"9 Columns", "14 Columns"})
                          : row("PDF417 Max Cols:", kCols);
    r[9] = in(t, {0, 1, 2, 4, 8}) ? row("48 Char Print:", kOffOn)
           : in(t, {3, 7})        ? row("48 Char Print:", col48 ? kOffOn : Options{})
           : in(t, {5, 10, 14})   ? row("Auto Reset:", {})
                                  : row("Auto Reset:", kReset, t == 16 ? 2 : 0);
    r[10] = t == 16 ? row("Special Font:", {" Disabled", " Mode 1", " Mode 2", " Mode 3", " Mode 4"})
            : in(t, {4, 6, 8, 9, 13, 15}) || (font && !in(t, {2, 14})) ? row("Font Type:", kFonts)
            : font ? row("", {})
                   : row("Font Type:", {});
    const bool rest = !in(t, {2, 4, 6, 13, 14, 16});
    r[11] = t == 16                 ? row("CompatibleTopMargin:", kDisEn, 1)
            : in(t, {6, 13})        ? row("Compatible Barcode length", kDisEn)
            : rest && fontRows      ? row("CompatibleTopMargin:", {" Enabled", " Disabled"})
            : in(t, {0, 1, 2, 4})   ? row("Compatible Barcode Length:", kDisEn)
                                    : row("Compatible Barcode Length:", {});
    r[12] = t == 16              ? row("Compress Pitch:", {" Valid", " Invalid"})
            : t == 6             ? row("Compress Pitch:", {" Enabled", " Ignore"})
            : rest && fontRows   ? row("USU:", kDisEn)
                                 : row("Compress Pitch:", {});
    r[13] = fontRows ? row("Logos Defined:", {" Disabled", " Enabled", " No", " Yes"})
                     : row("Ignore Sync Config:", kDisEn);
    return r;
}

// The result table: usable rows by type, and the rows the font setting and
// the 48-column firmware make usable besides.
std::set<int> usableRows(long t, bool font, bool col48) {
    static const std::vector<std::set<int>> usable = {
        {0, 1, 2, 3, 4, 5, 6, 7, 8},         {0, 1, 2, 3, 5, 6, 7, 9},
        {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 11, 13}, {0, 1, 2, 3, 4, 5, 6, 7, 8},
        {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}, {0, 1, 2, 3, 4, 6},
        {0, 1, 2, 3, 4, 6, 8, 9, 10, 11, 12, 13}, {0, 1, 2, 3, 4, 6, 8},
        {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10},   {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13},
        {0, 1, 2, 3, 4, 6},                   {0, 1, 2, 3, 4, 6, 8, 9},
        {0, 1, 2, 3, 4, 6, 8, 9},             {0, 1, 2, 3, 4, 6, 8, 9, 10, 11},
        {},                                   {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13},
        {2, 3, 4, 6, 8, 9, 10, 11, 12}};
    static const std::vector<std::set<int>> withFont = {
        {10, 11, 12, 13}, {10, 11, 12, 13}, {}, {10, 11, 12, 13}, {13}, {10, 11, 12, 13}, {}, {10, 11, 13},
        {11, 12, 13},     {},               {10, 11, 12, 13}, {10, 11, 12, 13}, {10, 11, 12, 13}, {13}, {13}, {},
        {13}};
    std::set<int> rows = usable[static_cast<std::size_t>(t)];
    if (font) rows.insert(withFont[static_cast<std::size_t>(t)].begin(), withFont[static_cast<std::size_t>(t)].end());
    if (col48 && in(t, {0, 3, 7})) rows.insert(9);
    return rows;
}

std::vector<Expected> softwareTable(long t, bool font, bool col48) {
    std::vector<Expected> rows = softwareRows(t, font, col48);
    const std::set<int> usable = usableRows(t, font, col48);
    for (int i = 0; i < 14; ++i)
        if (!usable.count(i)) rows[static_cast<std::size_t>(i)].state = State::Disabled;
    // Rows whose box and list part ways.
    if (in(t, {4, 8})) rows[9].state = State::ListHidden;
    if (in(t, {2, 6}) && !font) rows[13].state = State::ListHidden;
    if (t == 14) rows[3].state = State::BoxDisabled;
    if (font && in(t, {2, 14})) rows[10].state = State::Usable;  // left as the category switch left it
    return rows;
}

TEST(SoftwareCatalogue, EveryTypeWithTheFontSettingAndThe48ColumnFirmware) {
    struct Variant {
        bool font, col48;
    } variants[] = {{false, false}, {true, false}, {false, true}};
    for (const Variant& v : variants) {
        for (long t : kAllTypes) {
            SCOPED_TRACE("type " + std::to_string(t) + (v.font ? " font" : "") + (v.col48 ? " 48col" : ""));
            CatalogueInputs in{.printerType = t, .fontType = v.font, .columns48 = v.col48};
            expectLayout(configuration::catalogueLayout(kSoftware, in), softwareTable(t, v.font, v.col48));
        }
    }
}

TEST(SoftwareCatalogue, AfterARestartEveryStoredTypeLaysOutItsOwnRows) {
    for (long t : kAllTypes) {
        // The link is another printer; the slip emulations still follow it.
        const long linkType = t == 3 ? 4 : t == 4 ? 3 : (t + 1) % 17;
        SCOPED_TRACE("stored " + std::to_string(t) + ", link " + std::to_string(linkType));
        CatalogueInputs in{.printerType = linkType, .printerRestarted = true, .printerModelText = std::to_string(t)};
        std::vector<Expected> rows = softwareTable(t, false, false);
        if (t == 3 || t == 4) {
            for (int row : {0, 1, 5}) rows[row] = softwareTable(linkType, false, false)[row];
        }
        if (t == 14) rows[0].caption = "Printer Emulation:";
        if (t == 6 || t == 13) rows[11].caption = "Compatible Barcode Length:";
        expectLayout(configuration::catalogueLayout(kSoftware, in), rows);
    }
}

TEST(SoftwareCatalogue, AfterARestartTheStoredModelChoosesTheRows) {
    struct Case {
        const char* stored;
        long linkType;
        bool col48;
        std::vector<Expected> rows;
    };
    std::vector<Expected> ninetyNoGroup = softwareTable(9, false, false);
    for (int row : {0, 1}) ninetyNoGroup[static_cast<std::size_t>(row)].options = {};
    ninetyNoGroup[4] = Expected("", {}, -1, true);  // the group's rows stay as the switch left them
    ninetyNoGroup[8] = Expected("", {}, -1, true);
    ninetyNoGroup[9] = Expected("", {}, -1, true);
    ninetyNoGroup[5].state = ninetyNoGroup[7].state = State::Disabled;  // no kiosk group ran
    std::vector<Expected> twoSlip = softwareTable(4, false, false);  // stored "3", link type 4
    twoSlip[6] = softwareTable(3, false, false)[6];
    twoSlip[9] = softwareTable(3, false, false)[9];
    twoSlip[10] = softwareTable(3, false, false)[10];
    twoSlip[11] = softwareTable(3, false, false)[11];
    std::vector<Expected> m27x = softwareTable(14, false, false);
    m27x[0].caption = "Printer Emulation:";
    std::vector<Expected> ninety = softwareTable(7, false, true);
    ninety[9].state = State::ListHidden;
    const Case cases[] = {
        {"9", 3, false, softwareTable(9, false, false)},
        {"09", 3, false, ninetyNoGroup},
        {" 9", 3, false, ninetyNoGroup},
        {"3", 4, false, twoSlip},
        {"14", 0, false, m27x},
        {"7", 7, true, ninety},
        // No number: the link's type, as without a restart.
        {"", 10, false, softwareTable(10, false, false)},
        {"R809", 12, false, softwareTable(12, false, false)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string("stored '") + c.stored + "'");
        CatalogueInputs in{.printerType = c.linkType, .printerRestarted = true, .printerModelText = c.stored,
                           .columns48 = c.col48};
        expectLayout(configuration::catalogueLayout(kSoftware, in), c.rows);
    }
}

TEST(SoftwareCatalogue, ATypeOutsideTheListGetsTheCommonRowsOnly) {
    CatalogueInputs in{.printerType = -1};
    const configuration::CategoryLayout layout = configuration::catalogueLayout(kSoftware, in);
    EXPECT_EQ(layout[0].caption, "Printer Emulation:");
    EXPECT_TRUE(layout[0].options.empty());
    EXPECT_TRUE(layout[0].boxEnabled);
    EXPECT_EQ(layout[5].caption, "Code page:");
    EXPECT_FALSE(layout[5].boxEnabled);
    EXPECT_EQ(layout[6].options, (Options{" Enabled", " Disabled"}));
    EXPECT_EQ(layout[4].caption, "");  // no group fills it
}

}  // namespace
}  // namespace configtest
