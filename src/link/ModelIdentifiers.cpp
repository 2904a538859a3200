#include "link/ModelIdentifiers.h"

#include <array>
#include <initializer_list>

#include "link/PrinterTypes.h"
#include "platform/Text.h"

namespace printerlink {
namespace {

struct ModelIdentity {
    std::string_view identifier;
    // USB product texts (m_AnyAHPIPrinter, the product lists) without the
    // blank after "AXO".
    std::initializer_list<std::string_view> products;
    // Model texts without their leading blank: the model list's and the
    // labels the USB discovery writes.
    std::initializer_list<std::string_view> modelTexts;
};

// Indexed by printer type code.
const std::array<ModelIdentity, kPrinterTypeCount> kModels = {{
    {"AXO3640", {"AXO3640"}, {"3640"}},
    {"AXO3640_x035", {"AXO3640-0X35"}, {"3640-x035"}},
    {"AXO3640_5xxx", {"AXO3640-5XXX/6XXX"}, {"3640-5xxx/6xxx"}},
    {"AXO3650", {"AXO3650"}, {"3650"}},
    {"AXO3650_5xxx", {"AXO3650-5XXX"}, {"3650-5xxx"}},
    {"AXO3680", {"AXO3680"}, {"3680"}},
    {"AXO3680_5xxx", {"AXO3680-5XXX"}, {"3680-5xxx/6xxx", "3680-5xxx"}},
    {"AXO3690", {"AXO3690"}, {"3690"}},
    {"AXO3690_xx4x", {"AXO3690-XX4X"}, {"3690-xx4x"}},
    {"AXO3720_2st", {"AXO3720-R801(2ST)"}, {"3720-2ST"}},
    {"AXO3xxx_R806", {"AXOR806"}, {"R806"}},
    {"AXO3xxx_R807", {"AXOR807"}, {"R807"}},
    {"AXO3xxx_R809", {"AXOR809"}, {"R809"}},
    {"AXO3740_R801", {"AXO3740-R801"}, {"3740-R801", "R801"}},
    {"AXOM27x", {"AXOM27X"}, {"M27x"}},
    {"AXO3720_1st", {"AXO3720-R801(1ST)"}, {"3720-1ST"}},
    {"AXO3695", {"AXO3695"}, {"3695"}},
}};

// "AXO 3640" and "AXO3640" name the same product.
std::string withoutMakerBlank(std::string_view text) {
    std::string out(text);
    if (out.rfind("AXO ", 0) == 0 || out.rfind("axo ", 0) == 0) out.erase(3, 1);
    return out;
}

bool anyEqualsIgnoreCase(std::initializer_list<std::string_view> list, std::string_view text) {
    for (std::string_view entry : list)
        if (platform::equalsIgnoreCase(entry, text)) return true;
    return false;
}

}  // namespace

std::string_view modelIdentifierForType(long printerType) {
    if (printerType < 0 || printerType >= static_cast<long>(kModels.size())) return {};
    return kModels[static_cast<std::size_t>(printerType)].identifier;
}

long printerTypeForProduct(std::string_view productText) {
    const std::string product = withoutMakerBlank(productText);
    for (std::size_t type = 0; type < kModels.size(); ++type)
        if (anyEqualsIgnoreCase(kModels[type].products, product)) return static_cast<long>(type);
    return -1;
}

std::string_view modelIdentifierForProduct(std::string_view productText) {
    return modelIdentifierForType(printerTypeForProduct(productText));
}

std::string_view modelIdentifierForModelText(std::string_view modelText) {
    if (!modelText.empty() && modelText.front() == ' ') modelText.remove_prefix(1);
    for (const ModelIdentity& model : kModels)
        if (anyEqualsIgnoreCase(model.modelTexts, modelText)) return model.identifier;
    return {};
}

}  // namespace printerlink
