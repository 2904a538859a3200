// The two-sided category: thermal print mode, upside down, swap side, the
// top/bottom and reprint messages, minimum receipt length or default print
// side, reprint after an error and second-station detection. On the M27x the
// same category is the form mode, one row.
//
// The form mode is chosen by the printer type (after a restart, the type
// stored in the settings file), whichever way the model text is written;
// rows 5 and 7 follow the model text, row 6 the link's station and kiosk
// flags.
#include "configuration/catalogue/Catalogue.h"
#include "configuration/catalogue/CatalogueSupport.h"

namespace configuration {

namespace {

Rules makeTwoSidedRules() {
    const When formMode = model({kM27xType});
    const When printModes = modelNot({kM27xType});
    const When printSide = with(kDefaultPrintSide);
    const When detection = with(kTwoStationDetection);
    Rules r;
    r.fill(0, "Mode:", {"Document", "Black Mark", "Advanced Black Mark"}, 0, formMode)
        .fill(0, "Thermal Print Mode:", {" Single Side", " Dbl w/ SnglCmd", " Dbl w/ DblCmd", " Dbl w/ PreData"}, 0,
              printModes)
        .fill(1, "Upside Down:", {" Disabled", " Front Side", " Back Side", " Front & Back"}, 0)
        .fill(2, "Swap Side:", {" Disabled", " Enabled"}, 0)
        .fill(3, "Top/Bottom Msg:", {" Disabled", " Btm of Front", " Top of Back", " Both Btm & Top"}, 0)
        .fill(4, "Reprint Msg:", {" Disabled", " Enabled"}, 0)
        .fill(5, "Default Print Side:", {" Front", " Back"}, 0, printSide)
        .fill(5, "Min Rcpt Length:", {" Disabled", " 5 inch", " 10 inch", " 15 inch"}, 0, without(kDefaultPrintSide))
        .fill(6, "Reprint Error Page:", {" Resume Printing from last error line", " Reprint entire error page"}, 0,
              with(kResumeReprint))
        .fill(6, "Reprint Error Page:", {" OFF", " ON"}, 0, without(kResumeReprint))
        .label(7, "2ST Detection:")
        .options(7, {" Enable", "Disable"}, detection)
        .pick(7, 0, detection)
        .disableBox(7, without(kTwoStationDetection))
        .disableList(7, without(kTwoStationDetection));
    disableRowsWithoutParamNo(r, kDoubleSided);
    return r;
}

bool oneOf(const std::string& text, std::initializer_list<const char*> texts) {
    for (const char* t : texts)
        if (text == t) return true;
    return false;
}

}  // namespace

const Rules& twoSidedRules() {
    static const Rules rules = makeTwoSidedRules();
    return rules;
}

ModelTypes twoSidedTypes(const CatalogueInputs& inputs) {
    ModelTypes types = followedTypes(inputs);
    // The model texts as the connection dialog stores them, compared exactly.
    if (inputs.modelText == " 3720-2ST") types.flags |= kDefaultPrintSide;
    if (oneOf(inputs.modelText, {" 3690", " 3720-2ST", " R809", " 3650-5xxx"})) types.flags |= kTwoStationDetection;
    if (inputs.twoStation || inputs.kiosk) types.flags |= kResumeReprint;
    return types;
}

}  // namespace configuration
