// The code-page and two-sided (form-mode) categories for every type and the
// model texts that change them, with and without a printer restart.
#include "CatalogueExpect.h"

namespace configtest {
namespace {

using configuration::CatalogueInputs;

const Options kPages = {" 437", " 850", " 852", " 858", " 860", " 862", " 863", " 864", " 865", " 866", " 874",
                        " 1252", " Katakana", " 932,936,949,950", " Hungary", " 1256"};

Expected codePageRow(long t) {
    const std::size_t count = t == 1 ? 13 : (t == 2 || t == 4 || t == 6 || t == 13 || t == 16) ? 16 : 14;
    return {"Default Code Page:", Options(kPages.begin(), kPages.begin() + count), 0,
            t == 14 ? State::BoxDisabled : State::Usable};
}

TEST(CodePageCatalogue, EveryTypeAndTheStoredTypeAfterARestart) {
    for (long t : kAllTypes) {
        SCOPED_TRACE(t);
        expectLayout(configuration::catalogueLayout(configuration::kCodePage, {.printerType = t}), {codePageRow(t)});
        // After a restart the stored number decides, whatever the link says.
        CatalogueInputs in{.printerType = 3, .printerRestarted = true, .printerModelText = std::to_string(t)};
        expectLayout(configuration::catalogueLayout(configuration::kCodePage, in), {codePageRow(t)});
    }
    // A stored number that is no type is any other type; no number is the link's.
    const struct {
        const char* stored;
        long expectedAs;
    } stored[] = {{"17", 0}, {"2.5", 0}, {"", 14}, {"abc", 14}};
    for (const auto& s : stored) {
        CatalogueInputs in{.printerType = 14, .printerRestarted = true, .printerModelText = s.stored};
        expectLayout(configuration::catalogueLayout(configuration::kCodePage, in), {codePageRow(s.expectedAs)});
    }
}

struct TwoSidedCase {
    long type;
    std::string modelText;
    bool twoStation, kiosk;
};

std::vector<Expected> twoSidedTable(const TwoSidedCase& c) {
    const bool detection = c.modelText == " 3690" || c.modelText == " 3720-2ST" || c.modelText == " R809" ||
                           c.modelText == " 3650-5xxx";
    std::vector<Expected> rows = {
        c.type == 14 ? Expected{"Mode:", {"Document", "Black Mark", "Advanced Black Mark"}, 0, true}
                     : Expected{"Thermal Print Mode:",
                                {" Single Side", " Dbl w/ SnglCmd", " Dbl w/ DblCmd", " Dbl w/ PreData"}, 0, true},
        {"Upside Down:", {" Disabled", " Front Side", " Back Side", " Front & Back"}, 0, true},
        {"Swap Side:", {" Disabled", " Enabled"}, 0, true},
        {"Top/Bottom Msg:", {" Disabled", " Btm of Front", " Top of Back", " Both Btm & Top"}, 0, true},
        {"Reprint Msg:", {" Disabled", " Enabled"}, 0, true},
        c.modelText == " 3720-2ST" ? Expected{"Default Print Side:", {" Front", " Back"}, 0, true}
                                   : Expected{"Min Rcpt Length:", {" Disabled", " 5 inch", " 10 inch", " 15 inch"}, 0, true},
        c.twoStation || c.kiosk
            ? Expected{"Reprint Error Page:", {" Resume Printing from last error line", " Reprint entire error page"}, 0, true}
            : Expected{"Reprint Error Page:", {" OFF", " ON"}, 0, true},
        detection ? Expected{"2ST Detection:", {" Enable", "Disable"}, 0, true}
                  : Expected{"2ST Detection:", {}, -1, State::BoxDisabled},
    };
    // The R809 has no parameter number for row 7: it cannot be ticked there.
    if (c.type == 12) rows[7].state = State::BoxDisabled;
    return rows;
}

TEST(TwoSidedCatalogue, RowsByTypeModelTextAndStationFlags) {
    const TwoSidedCase cases[] = {
        {14, " M27X", false, false}, {14, " M27x", false, false}, {7, " 3690", true, false},
        {9, " 3720-2ST", true, true}, {12, " R809", true, false},  {4, " 3650-5xxx", true, false},
        {4, " 3650-5XXX", true, false}, {15, " 3720-1ST", false, true}, {0, " 3640", false, false},
        {3, "", false, false},
    };
    for (const TwoSidedCase& c : cases) {
        SCOPED_TRACE(c.modelText);
        CatalogueInputs in{.printerType = c.type, .modelText = c.modelText, .twoStation = c.twoStation, .kiosk = c.kiosk};
        const auto layout = configuration::catalogueLayout(configuration::kDoubleSided, in);
        expectLayout(layout, twoSidedTable(c));
        EXPECT_EQ(layout[7].listEnabled, c.type == 12 || twoSidedTable(c)[7].defaultIndex == 0);
    }
}

TEST(TwoSidedCatalogue, AfterARestartTheStoredTypeChoosesTheFormMode) {
    CatalogueInputs in{.printerType = 3, .printerRestarted = true, .printerModelText = "14", .modelText = " 3650"};
    EXPECT_EQ(configuration::catalogueLayout(configuration::kDoubleSided, in)[0].caption, "Mode:");
    in = {.printerType = 14, .printerRestarted = true, .printerModelText = "3", .modelText = " M27X"};
    EXPECT_EQ(configuration::catalogueLayout(configuration::kDoubleSided, in)[0].caption, "Thermal Print Mode:");
    in.printerModelText = "no number";  // the link's M27x
    EXPECT_EQ(configuration::catalogueLayout(configuration::kDoubleSided, in)[0].caption, "Mode:");
}

}  // namespace
}  // namespace configtest
