// The software category: emulation and ID mode, line spacing, carriage
// return, Asian mode, the slip, label and code-page rows, receipt sync, the
// PDF417 column limit, 48-column printing or automatic reset, fonts, barcode
// and top-margin compatibility, compressed pitch, and the sync and logo rows.
//
// The model group (the first decision after rows 0 and 1) fills the rows the
// group has; the common steps after it label the rest and show what the
// model lacks disabled. A model with a slip station or a kiosk model keeps
// rows 5 and 7 for its own settings. After a printer restart the group and
// the type tests follow the model stored in the settings file (see
// CatalogueRules.h), with the few differences marked below.
#include "configuration/catalogue/Catalogue.h"

namespace configuration {

namespace {

const Options kOnOff = {" On", " Off"};
const Options kColumns = {" 9 Columns", " 14 Columns"};
const Options kAutoReset = {" Disabled",       " Enabled 10 sec", " Enabled 20 sec", " Enabled 30 sec",
                            " Enabled 40 sec", " Enabled 50 sec", " Enabled 60 sec"};
const Options kPlatenWait = {" No Extra Time", " 1 Second", " 2 Seconds"};
const Options kDisabledEnabled = {" Disabled", " Enabled"};
const Options kFonts = {" Font1", " Font2"};
const Options kCodePages = {" 437", " 850", " 852", " 858", " 860", " 862", " 863",
                            " 864", " 865", " 866", " 874", " 1252", " Katakana"};
const Options kEmulationG3 = {" 3664 Mode", " 3663 Mode", " 3680 Native"};
const Options kEmulationIdG3 = {" 3664 Native ID", " Emulation ID", " 3680 Native ID"};
const Options kOffOn = {" OFF", " ON"};

const std::initializer_list<long> kSlipModels = {0, 1, 2, 3, 4};
const std::initializer_list<long> kKioskModels = {9, 15};

void addGroupRules(Rules& r) {
    // Models with a slip station.
    const When g1 = group({0, 1, 2});
    r.options(0, {" 3628 Native", " 3624", " 3612", " 3640"}, g1)
        .pick(0, 0, g1)
        .options(1, {" 3628 Native ID", " Emulation ID", " 3640 Native ID"}, g1)
        .pick(1, 0, g1)
        .fill(5, "Slip Print Width:", {" 3640 Mode", " 3624/28 Mode"}, 0, g1)
        .fill(7, "Platen Wait Time:", kPlatenWait, 0, g1)
        .fill(4, "Asian Mode:", kOnOff, 1, group({0, 2}))
        .fill(8, "PDF417 Max Cols:", kColumns, 0, group({0, 2}))
        .label(4, "Asian Mode:", group({1}))
        .disable(4, group({1}))
        .label(8, "PDF417Column:", group({1}))
        .disable(8, group({1}))
        .fill(11, "Compatible Barcode Length:", kDisabledEnabled, 0, g1)
        .fill(9, "48 Char Print:", kOffOn, 0, g1);
    // Inside this group the emulation lists follow the link's type, also
    // after a restart.
    const When g2 = group({3, 4});
    r.options(0, {" 3628", " 3624", " 3612", " 3640 Native"}, g2 & link({4}))
        .options(0, {" 3628 Native", " 3624", " 3612", "3650"}, g2 & link({3}))
        .pick(0, 0, g2)
        .options(1, {" 3628 Native ID", " Emulation ID"}, g2)
        .options(1, {" 3640 Native ID"}, g2 & link({4}))
        .options(1, {" 3650 Native ID"}, g2 & link({3}))
        .pick(1, 0, g2)
        .fill(4, "Asian Mode:", kOnOff, 1, g2)
        .label(5, "Slip Print Width:", g2)
        .options(5, {" 3640 Mode"}, g2 & link({4}))
        .options(5, {" 3650 Mode"}, g2 & link({3}))
        .options(5, {" 3624/28 Mode"}, g2)
        .pick(5, 0, g2)
        .fill(7, "Platen Wait Time:", kPlatenWait, 0, g2)
        .fill(8, "PDF417 Max Cols:", kColumns, 0, g2);
    // Receipt printers with the 3680 emulations.
    // Every model with the 3680 emulations starts the same way.
    const When e3680 = group({5, 6, 7, 8, 10, 11, 12, 13});
    r.options(0, kEmulationG3, e3680)
        .pick(0, 0, e3680)
        .options(1, kEmulationIdG3, e3680)
        .pick(1, 0, e3680)
        .fill(4, "Asian Mode:", kOnOff, 1, e3680);
    r.label(8, "PDF417 Max Cols:", group({5}))
        .disable(8, group({5}))
        .fill(8, "PDF417 Max Cols:", kColumns, 0, group({6, 7, 13}))
        .fill(9, "Auto Reset:", kAutoReset, 0, group({6, 13}))
        .fill(10, "Font Type:", kFonts, 0, group({6, 13}))
        .fill(11, "Compatible Barcode length", kDisabledEnabled, 0, group({6, 13}) & without(kRestarted))
        .fill(11, "Compatible Barcode Length:", kDisabledEnabled, 0, group({6, 13}) & with(kRestarted))
        .fill(12, "Compress Pitch:", {" Enabled", " Ignore"}, 0, group({6}))
        .label(12, "Compress Pitch:", group({7, 13}))
        .disable(12, group({7, 13}));
    const When g4 = group({8});
    r.fill(8, "PDF417 Max Cols:", kColumns, 0, g4)
        .fill(10, "Font Type:", kFonts, 0, g4)
        .fill(5, "Label Font Attr:",
              {" Bold", " Bold, Dbl Wide", " Bold, Dbl High", " Bold, Dbl Wide & High", " Normal", " Dbl Wide",
               " Dbl High", " Dbl Wide & High"},
              0, g4)
        .fill(7, "Gap before Cut:", {" Keep", " Remove"}, 0, g4);
    // Kiosk printers; rows 0 and 1 get no options.
    const When g5 = group(kKioskModels);
    r.fill(4, "Asian Mode:", kOnOff, 0, g5).fill(8, "PDF417 Max Cols:", kColumns, 0, g5).fill(9, "Auto Reset:",
                                                                                           kAutoReset, 0, g5);
    r.label(8, "PDF417Column:", group({10}))
        .disable(8, group({10}))
        .fill(9, "Auto Reset:", kAutoReset, 0, group({11, 12}))
        .fill(8, "PDF417 Max Cols:", kColumns, 0, group({11, 12}));
    const When g7 = group({kM27xType});
    r.label(0, "Printer Emulation", g7 & without(kRestarted))
        .label(0, "Printer Emulation:", g7 & with(kRestarted))
        .disable(0, g7)
        .label(1, "Printer ID Mode:", g7)
        .disable(1, g7)
        .label(4, "Asian Mode:", g7)
        .disable(4, g7)
        .fill(8, "PDF417 Max Cols:", kColumns, 0, g7);
    const When g8 = group({k3695Type});
    r.fill(4, "Asian Mode:", {" 932 On", " Off", " 936 On", " 949 On", " 950 On"}, 1, g8)
        .fill(8, "PDF417 Max Cols:", {"9 Columns", "14 Columns"}, 0, g8)
        .fill(10, "Special Font:", {" Disabled", " Mode 1", " Mode 2", " Mode 3", " Mode 4"}, 0, g8)
        .fill(9, "Auto Reset:", kAutoReset, 2, g8)
        .label(0, " Printer Emulation:", g8)
        .disable(0, g8)
        .label(1, " Printer ID:", g8)
        .disable(1, g8)
        .fill(11, "CompatibleTopMargin:", kDisabledEnabled, 1, g8)
        .fill(12, "Compress Pitch:", {" Valid", " Invalid"}, 0, g8)
        .fill(6, "Receipt Sync:", {" Syn.Mode2", " Disabled", " Syn.Mode1", " Syn.Mode3"}, 1, g8);
}

void addReceiptSyncRules(Rules& r) {
    // The first case that matches applies.
    r.fill(6, "Receipt Sync:", {" Enabled (Mode2)", " Disabled", " Enabled (Mode1)", " Enabled (Mode3)"}, 1,
           model({2, 6}))
        .enableBox(13, model({2, 6}))
        .fill(6, "Receipt Sync:", {" Enabled (Mode2)", " Disabled", " Enabled (Mode1)"}, 1, model({13}));
    const When m27x = model({kM27xType});
    r.label(6, "Receipt Sync:", m27x)
        .disable(6, m27x)
        .label(11, "Compatible Barcode Length:", m27x)
        .disable(11, m27x)
        .label(12, "Compress Pitch:", m27x)
        .disable(12, m27x);
    r.fill(6, "Receipt Sync:", {" Enabled (Mode1)", " Enabled (Mode2)", " Disabled "}, 2, model({4}))
        .fill(10, "Font Type:", kFonts, 0, model({4}))
        .fill(11, "Compatible Barcode Length:", kDisabledEnabled, 0, model({4}))
        .label(12, "Compress Pitch:", model({4}))
        .disable(12, model({4}));
    // Every other type, those outside 0-16 included.
    const When rest = modelNot({2, 6, 13, kM27xType, 4, k3695Type});
    r.label(6, "Receipt Sync:", rest)
        .options(6, {" Enabled", " Disabled"}, rest)
        .pick(6, 1, rest & model({3}))
        .pick(6, 0, rest & modelNot({3}));
    // The font, top-margin and USU rows of kiosk models and of models with
    // the font setting. A row that had the barcode-length definition takes
    // this one instead, so it offers one setting's options, not two.
    for (const When& fonts : {rest & model(kKioskModels), rest & modelNot(kKioskModels) & with(kFontType)}) {
        r.label(10, "Font Type:", fonts)
            .options(10, kFonts, fonts & modelNot({8}))
            .pick(10, 0, fonts)
            .clearOptions(11, fonts)
            .fill(11, "CompatibleTopMargin:", {" Enabled", " Disabled"}, 0, fonts)
            .fill(12, "USU:", kDisabledEnabled, 0, fonts);
    }
    const When plain = rest & modelNot(kKioskModels) & without(kFontType);
    r.label(11, "Compatible Barcode Length:", plain)
        .disable(11, plain)
        .label(12, "Compress Pitch:", plain)
        .disable(12, plain);
}

void addCommonRules(Rules& r) {
    const When neitherSlipNorKiosk = modelNot({8}) & When{.group = TypeMask::allBut({0, 1, 2, 3, 4, 9, 15})};
    r.disable(5, neitherSlipNorKiosk)
        .disable(7, neitherSlipNorKiosk)
        .label(10, "Font Type:", modelNot({4, 6, 8, 9, 13, 15, k3695Type}) & without(kFontType))
        .disable(10, modelNot({4, 6, 8, 9, 13, 15, k3695Type}) & without(kFontType));
    const When noSlip = modelNot({8}) & When{.group = TypeMask::allBut(kSlipModels)};
    r.fill(5, "Code page:", kCodePages, 0, noSlip)
        .fill(7, "48 Character Mode:", {"Enable", "Disable"}, 0, noSlip)
        .label(9, "Auto Reset:", model({5, 10, kM27xType}))
        .disable(9, model({5, 10, kM27xType}))
        .fill(2, "Default LPI:", {" 8.13", " 7.52", " 6.00"}, 1)
        .disable(2, model({kM27xType}))
        .disable(8, model({kM27xType}))
        .disableBox(3, model({kM27xType}))
        .fill(3, "Carriage Return:", {" Ignored", " Used as Cmd"}, 1);
    const When logos = model(kKioskModels);
    const When logosByFont = modelNot(kKioskModels) & with(kFontType);
    const When ignoreSync = modelNot(kKioskModels) & without(kFontType);
    r.fill(13, "Logos Defined:", {" Disabled", " Enabled", " No", " Yes"}, 0, logos)
        .fill(13, "Logos Defined:", {" Disabled", " Enabled", " No", " Yes"}, 0, logosByFont)
        .fill(13, "Ignore Sync Config:", kDisabledEnabled, 0, ignoreSync)
        .disable(13, ignoreSync);
    addReceiptSyncRules(r);
    // 48-column printing; the first case that matches applies.
    r.fill(9, "48 Char Print:", kOffOn, 0, model({4, 8})).enableBox(9, model({4, 8})).hideList(9, model({4, 8}));
    const When col48Models = model({0, 3, 7});
    r.label(9, "48 Char Print:", col48Models)
        .options(9, kOffOn, model({3, 7}) & with(kColumns48))
        .pick(9, 0, col48Models & with(kColumns48))
        .disable(9, col48Models & without(kColumns48))
        // After a restart the row is made usable again with its list hidden.
        .enableBox(9, col48Models & with(kColumns48 | kRestarted))
        .hideList(9, col48Models & with(kColumns48 | kRestarted))
        .label(12, "Compress Pitch:", model({2}))
        .disable(12, model({2}));
}

Rules makeSoftwareRules() {
    Rules r;
    r.label(0, "Printer Emulation:").label(1, "Printer ID Mode:").disable(0, group({k3695Type})).disable(
        1, group({k3695Type}));
    addGroupRules(r);
    addCommonRules(r);
    return r;
}

}  // namespace

const Rules& softwareRules() {
    static const Rules rules = makeSoftwareRules();
    return rules;
}

}  // namespace configuration
