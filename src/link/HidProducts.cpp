#include "link/HidProducts.h"

#include <array>
#include <utility>

#include "platform/Text.h"

namespace printerlink {
namespace {

constexpr std::string_view kVendorPrefix = "VID_1B7D&PID_";

// The four hex digits of a "VID_1B7D&PID_xxxx" text, or "" for another text.
std::string productId(std::string_view productText) {
    if (productText.size() != kVendorPrefix.size() + 4) return {};
    if (!platform::equalsIgnoreCase(productText.substr(0, kVendorPrefix.size()), kVendorPrefix)) return {};
    return platform::toUpperAscii(productText.substr(kVendorPrefix.size()));
}

template <std::size_t N>
bool listed(const std::array<std::string_view, N>& list, std::string_view id) {
    for (auto entry : list)
        if (entry == id) return true;
    return false;
}

constexpr std::array<std::string_view, 12> kPrinters = {"D2A8", "D2C2", "D2AB", "D2CB", "D2A5", "D2C5",
                                                        "D2C8", "D2CE", "D2E3", "D2F1", "D2F4", "D2ED"};
constexpr std::array<std::string_view, 5> kKiosk = {"D2C5", "D2A5", "D2CB", "D2F1", "D2F4"};
constexpr std::array<std::string_view, 4> kTwoStation = {"D2A8", "D2C2", "D2AB", "D2F4"};
constexpr std::array<std::string_view, 4> kFontType = {"D2AB", "D2E3", "D2F1", "D2F4"};
constexpr std::array<std::string_view, 2> kSsc06 = {"D2F1", "D2F4"};

struct ProductName {
    std::string_view identifier, anyAhpiPrinter, modelText;
};
constexpr std::array<ProductName, 12> kNames = {{
    {"VID_1B7D&PID_D2A8", "AXO3640", " 3640"},
    {"VID_1B7D&PID_D2C2", "AXO3650", " 3650"},
    {"VID_1B7D&PID_D2AB", "AXO3680", " 3680"},
    {"VID_1B7D&PID_D2CE", "AXO3690", " 3690"},
    {"VID_1B7D&PID_D2E3", "AXO3690-XX4X", " 3690-XX4X"},
    {"VID_1B7D&PID_D2C5", "AXOR806", " R806"},
    {"VID_1B7D&PID_D2A5", "AXOR807", " R807"},
    {"VID_1B7D&PID_D2CB", "AXOR809", " R809"},
    {"VID_1B7D&PID_D2C8", "AXOM27X", " M27X"},
    {"VID_1B7D&PID_D2F1", "AXO3720-R801(1ST)", " 3720-1ST"},
    {"VID_1B7D&PID_D2F4", "AXO3720-R801(2ST)", " 3720-2ST"},
    {"VID_1B7D&PID_D2ED", "AXO3695", " 3695"},
}};

constexpr std::array<std::pair<std::string_view, std::string_view>, 16> kVidPid = {{
    {"AXO3640", "vid_1B7D&pid_D2A8"},
    {"AXO3640-5XXX/6XXX", "vid_1B7D&pid_D2A8"},
    {"AXO3650", "vid_1B7D&pid_D2C2"},
    {"AXO3650-5XXX", "vid_1B7D&pid_D2C2"},
    {"AXO3680", "vid_1B7D&pid_D2AB"},
    {"AXO3680-5XXX", "vid_1B7D&pid_D2AB"},
    {"AXO3690", "vid_1B7D&pid_D2CE"},
    {"AXO3690-XX4X", "vid_1B7D&pid_D2E3"},
    {"AXOR806", "vid_1B7D&pid_D2C5"},
    {"AXOR807", "vid_1B7D&pid_D2A5"},
    {"AXOR809", "vid_1B7D&pid_D2CB"},
    // The 3740 entry names no single product; it stays as the model list has it.
    {"AXO3740-R801", "vid_1B7D&pid_D2A"},
    {"AXOM27X", "vid_1B7D&pid_D2C8"},
    {"AXO3720-R801(1ST)", "vid_1B7D&pid_D2F1"},
    {"AXO3720-R801(2ST)", "vid_1B7D&pid_D2F4"},
    {"AXO3695", "vid_1B7D&pid_D2ED"},
}};

// Texts with an "x" are compared without regard to letter case, the others exactly.
bool sameModelText(std::string_view text, std::string_view entry) {
    if (entry.find('x') != std::string_view::npos) return platform::equalsIgnoreCase(text, entry);
    return text == entry;
}

}  // namespace

bool isPrinterProduct(std::string_view productText) { return listed(kPrinters, productId(productText)); }

bool isTwoStationModelText(std::string_view modelText) {
    for (auto entry : {" 3650-5xxx", " 3650", " 3690", " 3690-xx4x", " R809", " 3720-2ST"})
        if (sameModelText(modelText, entry)) return true;
    return false;
}

bool isNoSlipModelText(std::string_view modelText) {
    for (auto entry : {" R807", " R806", " R809", " 3740-R801", " 3720-1ST", " 3720-2ST", " 3680",
                       " 3680-5xxx/6xxx", " 3690", " 3690-xx4x", " 3695"})
        if (sameModelText(modelText, entry)) return true;
    return false;
}

HidModelFlags modelFlagsForProduct(std::string_view productText) {
    const std::string id = productId(productText);
    HidModelFlags flags;
    flags.bKiosk = listed(kKiosk, id);
    flags.b2stFlag = listed(kTwoStation, id);
    flags.bFontType = listed(kFontType, id);
    flags.bSSC06 = listed(kSsc06, id);
    std::string anyAhpi, modelText;
    if (printerNameForProduct(platform::toUpperAscii(productText), anyAhpi, modelText)) {
        flags.b2stFlag = flags.b2stFlag || isTwoStationModelText(modelText);
        flags.bNoSlipMICR = isNoSlipModelText(modelText);
    }
    return flags;
}

bool printerNameForProduct(std::string_view identifier, std::string& anyAhpiPrinter, std::string& modelText) {
    for (const auto& entry : kNames) {
        if (entry.identifier == identifier) {
            anyAhpiPrinter = entry.anyAhpiPrinter;
            modelText = entry.modelText;
            return true;
        }
    }
    return false;
}

bool vidPidForProductName(std::string_view productName, std::string& vidPid) {
    for (const auto& [name, value] : kVidPid) {
        if (name == productName) {
            vidPid = value;
            return true;
        }
    }
    return false;
}

std::vector<std::string_view> knownProductTexts() {
    std::vector<std::string_view> texts;
    for (const auto& entry : kNames) texts.push_back(entry.anyAhpiPrinter);
    for (const auto& [name, value] : kVidPid) texts.push_back(name);
    return texts;
}

}  // namespace printerlink
