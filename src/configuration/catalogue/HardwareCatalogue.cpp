// The hardware category: print density, motor power or loop length, paper
// low sensor, paper width, knife, MICR or LED control, check flip or buzzer,
// colour paper, and the model-specific rows 8 to 16 (MICR dual pass or black
// mark, scan, knife tone or black mark distance, motor hold, standby and
// power-off timers, paper type, receipt length, second-station paper
// detection, clean-head warning, print mode, head failure detection and the
// presenter settings of the kiosk printers).
//
// The rows are written by printer type. A printer connected as "Any HID USB
// POS Printer" takes the kiosk definitions of several rows; where a type has
// a definition of its own for such a row, the row shows the definition given
// last, with that definition's options only, so that its list's positions
// are the values of the one setting the row sends.
//
// After a printer restart the rows follow the settings file instead (see
// hardwareTypes): rows 1, 5, 6, 8 and 9 by the stored number and the model
// group of the stored model text, the other rows by the stored number alone.
#include "configuration/catalogue/Catalogue.h"
#include "configuration/catalogue/CatalogueSupport.h"

namespace configuration {

namespace {

const Options kPercent = {" 100%", " 110%", " 120%"};
const Options kEnabledDisabled = {" Enabled", " Disabled"};
const Options kDisabledEnabled = {" Disabled", " Enabled"};
const Options kBezel = {"Auto Mode", "User Mode"};
const Options kLoopLengths = {" 100 cm", " 90 cm", " 80 cm", " 70 cm", " 60 cm", " 50 cm"};
const Options kMarkDistances = {"111mm", "127mm", "140mm", "152mm", "90mm"};
const Options kKioskLengths = {"75mm", "111mm", "150mm", "225mm", "300mm", "375mm", "450mm", "525mm", "600mm"};
const Options kPresenterSpeeds = {" 40 ips", " 20 ips"};
const Options kPresenterTimeouts = {" Timeout", "20Secs", "30Secs", "40Secs", "50Secs", "60Secs"};
const Options kCutter = {" Enable Cutter", " Disabled"};
const Options kPrintModes = {" High Speed Print", " High Quality Print", " Eco Print"};

// " 0" ... " max", then " -max" ... " -1".
Options signedDensities(int max) {
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

// Model groups by type; after a restart the group stands for the model text.
const When kSlip = When{.group = TypeMask::of({0, 1, 2, 3, 4})};
const When kNotSlip = When{.group = TypeMask::allBut({0, 1, 2, 3, 4})};
const When kScanner = When{.group = TypeMask::of({1})};
const When kNotScanner = When{.group = TypeMask::allBut({1})};
const When kThermal = When{.group = TypeMask::of({5, 6, 7, 8, 10, 11, 12, 13})};
const When kNotThermal = When{.group = TypeMask::allBut({5, 6, 7, 8, 10, 11, 12, 13})};
const When kNotKiosk = When{.group = TypeMask::allBut({9, 15})};

const When kPlain = without(kAnyHidPrinter);
const When kAnyHid = with(kAnyHidPrinter);
const When kByLink = without(kRestarted);
const When kByFile = with(kRestarted);
const When kM27x = model({kM27xType});
const When k3695 = model({k3695Type});
const std::initializer_list<long> kAllButKiosk = {0, 1, 2, 3, 4, 5, 6, 7, 8, 10, 11, 12, 13, 14};

// Row 1's "Max Power:" options, chosen by the model text.
void addMaxPower(Rules& r, When when) {
    r.label(1, "Max Power:", when)
        .options(1, {"AXO Term Pwr", "AXO 75W Ext Pwr"}, when & with(kPowerAxoList))
        .options(1, {"Term Pwr-High", "AXO 75W Ext Pwr", "Term Pwr-Low", "AXO 60W Ext Pwr"},
                 when & with(kPowerTermList))
        .options(1, {" 55W", " 75W"}, when & without(kPowerAxoList | kPowerTermList))
        .pick(1, 0, when);
}

// Rows that keep their caption but are shown disabled without options.
void off(Rules& r, int row, const std::string& caption, When when) { r.label(row, caption, when).disable(row, when); }

void addRowsZeroToFour(Rules& r) {
    r.fill(0, "Print Density:", signedDensities(15), 10, model({2, 4, 6, 9, 13, 15, 16}))
        .fill(0, "Print Density:", signedDensities(15), 10, model({0, 1, 3, 5, 7, 8, 10, 11, 12, 14}) & kAnyHid)
        .fill(0, "Print Density:", kPercent, 0, model({0, 1, 5, 7, 10, 11, 12, 14}) & kPlain)
        .fill(0, "Print Density:", kPercent, 2, model({3}) & kPlain)
        .fill(0, "Print Density:", signedDensities(5), 0, model({8}) & kPlain)
        .disableBox(0, kM27x);

    addMaxPower(r, model({0, 1, 2, 3, 4, 5, 6, 7, 8, 10, 11, 12, 13, 16}) & kByLink);
    r.fill(1, "Maximum LoopLen:", kLoopLengths, 0, model({9, 15}) & kByLink);
    off(r, 1, "Max Power", kM27x & kByLink);

    r.fill(2, "Paper Low Sensor:", {" Enabled(40ff)", " Disabled"}, 0, modelNot({kM27xType, k3695Type}))
        .fill(2, "Paper Low Sensor:", {"Enabled 50 ft", "Enabled 10 ft", "Disable"}, 0, kM27x)
        .enableBox(2, kM27x)
        .hideList(2, kM27x)
        .fill(2, "Paper Low Sensor:",
              {" Enabled(40ff)", " Disabled", " Enabled(30ff)", " Enabled(20ff)", " Enabled(15ff)"}, 4, k3695);

    r.fill(3, "Paper Width:", {" 80mm", " 58mm"}, 0, modelNot({10, kM27xType}))
        .fill(3, "Paper Width:", {" 80mm", "82.5mm", "114mm"}, 0, kM27x);
    off(r, 3, "Paper Width:", model({10}));

    r.fill(4, "Knife:", kEnabledDisabled, 0, model({0, 1, 3, 5, 7, 8, 10, 11, 12, 13}) & kPlain)
        .fill(4, "Knife:", {" Enabled: No Tone", " Disabled", " Enabled: Low Tone", " Enabled: High Tone"}, 0,
              model({2, 6}) & kPlain)
        .fill(4, "Knife:", {" Enabled: No Tone", " Disabled", " Enabled: Low Tone", " Enabled: High Tone"}, 0, k3695)
        .fill(4, "Knife:",
              {" Enable Knife", " Disabled Knife", " Enable Knife with Buzzer (Low)",
               " Enable Knife with Buzzer (High)"},
              0, model({4}) & kPlain)
        .fill(4, "Knife:", kCutter, 0, model({9, 15}))
        .fill(4, "Knife:", kCutter, 0, model({0, 1, 2, 3, 4, 5, 6, 7, 8, 10, 11, 12, 13}) & kAnyHid);
    off(r, 4, "Knife", kM27x);
}

// Rows 5, 6, 8 and 9 by the link's type.
void addSlipAndScannerRows(Rules& r) {
    const When byLink = kByLink;
    r.fill(5, "MICR:", kEnabledDisabled, 0, model({0, 1, 2, 3, 4}) & kPlain & byLink)
        .fill(5, "Power LED Control:", kDisabledEnabled, 0, model({5, 6, 7, 8, 10, 11, 12, 13}) & kPlain & byLink)
        .fill(5, "Bezel LED:", kBezel, 0, model({9, 15, 16}) & byLink)
        .fill(5, "Bezel LED:", kBezel, 0, model(kAllButKiosk) & kAnyHid & byLink);
    off(r, 5, "MICR:", kM27x & kPlain & byLink);

    r.fill(6, "Check Flip:", kEnabledDisabled, 0, model({0, 1, 2, 3, 4}) & byLink)
        .disable(6, model({0, 1, 2, 3, 4}) & byLink)
        .disable(6, model({9, 15}) & byLink)
        .fill(6, "Buzzer Tone:", {" Low", " Middle", " High"}, 1, k3695 & byLink);
    off(r, 6, "Check Flip:", model({5, 6, 7, 8, 10, 11, 12, 13, 14}) & byLink);

    r.fill(8, "MICR Dual Pass:", kDisabledEnabled, 1, model({0, 1, 2, 3, 4}) & byLink)
        .fill(8, "Black Mark Detection:", {"Disable", "Enable"}, 0, model({9, 15}) & byLink);
    off(r, 8, "MICR Dual:", model({5, 6, 7, 8, 10, 11, 12, 13, 14}) & byLink);
    off(r, 8, "Black Mark Detection:", k3695 & byLink);

    r.fill(9, "Scan:", kEnabledDisabled, 0, model({1}) & kPlain & byLink)
        .fill(9, "Knife Tone:", kDisabledEnabled, 0, model({8}) & kPlain & byLink)
        .fill(9, "Black Mark Distance:", kMarkDistances, 0, model({9, 15}) & byLink)
        .fill(9, "Black Mark Distance:", kMarkDistances, 0, model(kAllButKiosk) & kAnyHid & byLink);
    off(r, 9, "Scan:", model({0, 2, 3, 4, 5, 6, 7, 10, 11, 12, 13, 14, 16}) & kPlain & byLink);
    off(r, 9, "Black Mark Distance:", k3695 & kAnyHid & byLink);
}

void addRowsSevenAndTenToThirteen(Rules& r) {
    r.fill(7, "Color Paper:", {" Monochrome", " Two Color"}, 0, modelNot({kM27xType}));
    off(r, 7, "Color Paper", kM27x);

    const When kioskLength = model({9, 15});
    const When hidLength = model({0, 1, 7, 10, 11, 12}) & kAnyHid;
    r.fill(10, "Receipt Motor Hold:", {" 4ms", " 20ms"}, 0, model({0, 1}) & kPlain)
        .fill(10, "Standby Mode:", kDisabledEnabled, 0, model({2, 4, 6}))
        .fill(10, "Standby Mode:", kDisabledEnabled, 1, k3695)
        .fill(10, "Paper Type:", {" Automatic Detection", " Label Paper", " Thermal Paper"}, 0, model({8}))
        .fill(10, "Min Receipt Length:", kKioskLengths, 0, kioskLength)
        .fill(10, "Min Receipt Length:", kKioskLengths, 0, hidLength)
        .fill(10, "Min Receipt Length:",
              {" None", " 6 Inches", " 6.5 Inches", " 7 Inches", " 7.5 Inches", " 8 Inches", " 5 Inches", " 4 Inches",
               " 3 Inches", " 2 Inches", " 1 Inches"},
              1, model({10, 11, 12}) & kPlain);
    off(r, 10, "Receipt Motor Hold:", model({3, 13, 14}));
    off(r, 10, "Standby Mode:", model({5}));
    off(r, 10, "Min Receipt Length:", model({7}) & kPlain);

    r.fill(11, "Feed After Cut:", {" No Feed", " 0.5mm Feed"}, 0, model({0, 1}) & kPlain)
        .fill(11, "Shift to Power Off:", {" Disabled", " 60min", " 120min", " 180min", " 240min", " 300min"}, 0,
              model({2, 4, 6, 16}))
        .fill(11, "2ST Paper Detection:", kEnabledDisabled, 0, model({7, 12}) & kPlain)
        .fill(11, "Clean Head Warning:", {" Enable Pwr ON, Print", " Enable Pwr ON ", " Enable Print", " Disable"}, 0,
              model({8}))
        .fill(11, "Presenter Speed:", kPresenterSpeeds, 0, kioskLength)
        .fill(11, "Presenter Speed:", kPresenterSpeeds, 0, hidLength);
    off(r, 11, "Feed After Cut:", model({3, 13, 14}));
    off(r, 11, "Shift to Power Off:", model({5}));
    off(r, 11, "2ST Paper Detection:", model({10, 11}) & kPlain);

    const When noPrintMode = model({0, 1, 3, 5, 7, 8, 10, 11, 12, 14});
    r.fill(12, "Receipt Print Mode:", kPrintModes, 0, model({2, 6, 9, 13, 15}))
        .fill(12, "Receipt Print Mode:", kPrintModes, 0, noPrintMode & kAnyHid)
        .fill(12, "Receipt Print Mode:", {" High Speed Print", " High Quality Print"}, 0, model({4, 16}))
        .pick(12, 1, k3695 & kByFile);
    off(r, 12, "Receipt Print Mode:", noPrintMode & kPlain);

    r.fill(13, "Pwr On Head Failure Detect:", {" Off", " On"}, 0, model({2, 4, 6}) & kPlain)
        .fill(13, "Presenter Timeout:", kPresenterTimeouts, 0, model({9, 15}))
        .fill(13, "Presenter Timeout:", kPresenterTimeouts, 0, model(kAllButKiosk) & kAnyHid);
    off(r, 13, "Pwr On Head Failure Detect:", model({0, 1, 3, 5, 7, 8, 10, 11, 12, 13, 14}) & kPlain);
    off(r, 13, "Presenter Timeout:", k3695);
}

void addPresenterRows(Rules& r) {
    const struct {
        int row;
        const char* caption;
        Options options;
    } rows[] = {
        {14, "Presenter Retry:", {"2", "3", "4", "5"}},
        {15, "Presenter ForwardLength:", {"25mm", "50mm", "75mm"}},
        {16, "Presenter PullSensor:", {"Enable", "Disable"}},
    };
    const When others = model(kAllButKiosk);
    for (const auto& p : rows) {
        r.label(p.row, p.caption, others & kPlain)
            .disableBox(p.row, others & kPlain)
            .fill(p.row, p.caption, p.options, 0, model({9, 15}))
            .fill(p.row, p.caption, p.options, 0, others & kAnyHid)
            .label(p.row, p.caption, k3695)
            .disable(p.row, k3695 & kByLink)
            .disableBox(p.row, k3695 & kByFile);
    }
}

// After a restart: rows 1, 5, 6, 8 and 9 by the stored number and the group
// of the stored model text. A row two of whose conditions hold shows the one
// tested last.
void addRowsAfterRestart(Rules& r) {
    const When p = kByFile;
    r.clearOptions(1, p & model({9, 15})).fill(1, "Maximum LoopLen:", kLoopLengths, 0, p & model({9, 15}));
    r.clearOptions(1, p & modelNot({kM27xType}) & kNotKiosk);
    addMaxPower(r, p & modelNot({kM27xType}) & kNotKiosk);
    off(r, 1, "Max Power", p & kM27x);

    const When not9or15or16 = modelNot({9, 15, 16});
    r.fill(5, "MICR:", kEnabledDisabled, 0, p & kSlip & modelNot({9, 15}))
        .clearOptions(5, p & model({9, 15, 16}))
        .fill(5, "Bezel LED:", kBezel, 0, p & model({9, 15, 16}))
        .fill(5, "Power LED Control:", kDisabledEnabled, 0, p & not9or15or16 & kThermal);
    off(r, 5, "MICR:", p & not9or15or16 & kNotThermal & kNotSlip);

    r.fill(6, "Check Flip:", kEnabledDisabled, 0, p & modelNot({9, 15}) & kSlip);
    off(r, 6, "Check Flip:", p & modelNot({9, 15}) & kNotSlip);
    r.label(6, "Buzzer Tone:", p & k3695)
        .enableBox(6, p & k3695)
        .clearOptions(6, p & k3695)
        .options(6, {" Low", " Middle", " High"}, p & k3695)
        .pick(6, 1, p & k3695)
        .disable(6, p & modelNot({k3695Type}));

    r.fill(8, "Black Mark Detection:", {"Disable", "Enable"}, 0, p & model({9, 15}))
        .fill(8, "MICR Dual Pass:", kDisabledEnabled, 1, p & modelNot({9, 15}) & kSlip);
    off(r, 8, "MICR Dual:", p & modelNot({9, 15}) & kNotSlip);

    r.fill(9, "Knife Tone:", kDisabledEnabled, 0, p & model({8}))
        .fill(9, "Black Mark Distance:", kMarkDistances, 0, p & model({9, 15}))
        .clearOptions(9, p & modelNot({9, 15}) & kScanner)
        .fill(9, "Scan:", kEnabledDisabled, 0, p & modelNot({9, 15}) & kScanner);
    off(r, 9, "Scan:", p & modelNot({9, 15, 8}) & kNotScanner);
}

Rules makeHardwareRules() {
    Rules r;
    addRowsZeroToFour(r);
    addSlipAndScannerRows(r);
    addRowsSevenAndTenToThirteen(r);
    addPresenterRows(r);
    addRowsAfterRestart(r);
    disableRowsWithoutParamNo(r, kHardware);
    return r;
}

// The group a model text names after a restart, as a type of that group
// (the masks above hold every type of a group): slip station 0, slip
// station with scanner 1, thermal 5, kiosk 9; any other text none.
long groupOfModelText(const std::string& text) {
    for (const char* t : {" 3680-5xxx/6xxx", " 3680", " 3690-xx4x", " R806", " R807", " R809", " 3740-R801", " 3690"})
        if (text == t) return 5;
    for (const char* t : {" 3640", " 3650", " 3640-5xxx/6xxx", " 3650-5xxx"})
        if (text == t) return 0;
    if (text == " 3640-x035") return 1;
    if (text == " 3720-2ST" || text == " 3720-1ST") return 9;
    return -1;
}

}  // namespace

const Rules& hardwareRules() {
    static const Rules rules = makeHardwareRules();
    return rules;
}

// Row 1's power options follow the model text exactly as it is stored: the
// connection dialog's lower-case forms without a restart, the USB discovery's
// upper-case labels after one.
ModelTypes hardwareTypes(const CatalogueInputs& inputs) {
    ModelTypes types;
    types.link = inputs.printerType;
    const std::string& text = inputs.modelText;
    if (!inputs.printerRestarted) {
        types.group = types.model = inputs.printerType;
        if (inputs.anyHidPrinter) types.flags |= kAnyHidPrinter;
        if (text == " 3650-5xxx") types.flags |= kPowerAxoList;
        if (text == " 3640-5xxx/6xxx" || text == " 3680-5xxx/6xxx" || text == " 3695") types.flags |= kPowerTermList;
        return types;
    }
    types.flags |= kRestarted;
    const long stored = followedPrinterType(inputs);
    // Only 2 to 16 name their own definitions; every other number takes type 0's.
    types.model = stored >= 2 && stored <= k3695Type ? stored : 0;
    types.group = groupOfModelText(text);
    if (text == " 3650-5XXX") types.flags |= kPowerAxoList;
    if (text == " 3640-5XXX/6XXX" || text == " 3680-5XXX" || text == " 3695") types.flags |= kPowerTermList;
    return types;
}

}  // namespace configuration
