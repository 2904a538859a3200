#include "configuration/ConfigurationModel.h"

#include <array>

#include "platform/RuntimeError.h"
#include "platform/Text.h"

namespace configuration {

namespace {

// The section names and keys are stored and exported as they are spelled
// here; earlier files and other installations rely on them.
constexpr std::array<ValueKey, 12> kCommunicationKeys = {{
    {"InterfaceType", 0},
    {"BaudRate", 4},
    {"DataBits", 0},
    {"StopBits", 0},
    {"Parity", 0},
    {"FlowControl", 1},
    {"RecError", 1},
    {"RecBuffer", 0},
    {"DSRSignal", 0},
    {"USBInterface", 0},
    {"EthernetRTCProtocal", 0},
    {"USBSpeed", 0},
}};

constexpr std::array<ValueKey, 14> kSoftwareKeys = {{
    {"PrinterEmulation/UserCharDefined", 0},
    {"PrinterID", 0},
    {"DefaultLPI", 1},
    {"CarriageReturn", 1},
    {"AsianMode", 1},
    {"SlipPaperWidth/LabelMode/CodePage", 0},
    {"ReceiptSync", 0},
    {"SlipWait/48CharMode/KnifeGap", 0},
    {"PDF417Coloumn", 0},
    {"AutoReset/Charprint", 0},
    {"FontType", 0},
    {"CompactBarcodeLen/CompatableTopMargin", 0},
    {"CompressPitch/USU", 0},
    {"IgnoreSync/LogosDefined", 0},
}};

constexpr std::array<ValueKey, 17> kHardwareKeys = {{
    {"PrinterDensity", 0},
    {"MaxPower/MaximumLoopLength", 0},
    {"PaperLow", 0},
    {"PaperWidth", 0},
    {"knife", 0},
    {"MICR/PowerLedControl/BezelLed", 1},
    {"CheckFlip/BuzzerTone", 0},
    {"ColorPaper", 0},
    {"MICRDual/BlackMarkDetection", 0},
    {"Scan/BlackMarkDetection/KnifeTone", 0},
    {"RecMotorHold/MinReceiptLength/PaperType/StandByMode", 1},
    {"FeedAfterCut/PaperDetect/HeadClenWarning/PresenterSpeed/ShiftToOFF", 0},
    {"RecPrintMode", 0},
    {"HeadFail/PresenterTimeOut", 0},
    {"PresentRetry", 0},
    {"PresenterForwaredLength", 0},
    {"PresenterPullSensor", 0},
}};

constexpr std::array<ValueKey, 1> kCodePageKeys = {{{"DefaultCP", 0}}};

constexpr std::array<ValueKey, 8> kDoubleSidedKeys = {{
    {"PrintMode", 0},
    {"UpsideDown", 0},
    {"SwapSide", 0},
    {"TopBottomMsg", 0},
    {"ReprintMSg", 0},
    {"MinRecLength/DefaultPrintSide", 0},
    {"ReprintonErrMsg", 0},
    {"2stDetection", 0},
}};

const std::array<CategoryDefinition, kCategoryCount> kCategories = {{
    {kCommunication, 12, "CommuncationParameter", "CommuncationInterface", kCommunicationKeys},
    {kSoftware, 14, "SoftwareParameter", "Software", kSoftwareKeys},
    {kHardware, 17, "HardWareParameter", "Hardware", kHardwareKeys},
    {kCodePage, 1, "CodePageParameter", "CodePage", kCodePageKeys},
    {kDoubleSided, 8, "DoublesidedParameter", "DoubleSidedPage", kDoubleSidedKeys},
}};

}  // namespace

const CategoryDefinition& categoryDefinition(int category) {
    if (category < 0 || category >= kCategoryCount) platform::raiseError(platform::err::SubscriptOutOfRange);
    return kCategories[static_cast<std::size_t>(category)];
}

int categoryRowCount(int category, long printerType) {
    if (category == kDoubleSided && printerType == kM27xType) return 1;
    return categoryDefinition(category).rowCount;
}

std::string flagKey(int row) { return platform::str(row); }

}  // namespace configuration
