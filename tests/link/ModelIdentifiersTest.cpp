// Every USB product the link knows reaches the model identifier the work
// windows compare.
#include <gtest/gtest.h>

#include "link/HidProducts.h"
#include "link/ModelIdentifiers.h"
#include "printer-sim/PrinterTypes.h"

namespace {

using namespace printerlink;

TEST(ModelIdentifiers, EveryKnownProductTextHasAnIdentifier) {
    for (std::string_view product : knownProductTexts()) {
        SCOPED_TRACE(std::string(product));
        EXPECT_FALSE(modelIdentifierForProduct(product).empty());
    }
}

TEST(ModelIdentifiers, DiscoveredProductsReachTheWindowsIdentifiers) {
    // What discovery stores for each simulated model's USB identity, and the
    // identifier the windows compare for it. Variants share their family's
    // product ID, so discovery reports the family.
    const std::string_view expected[sim::kPrinterTypeCount] = {
        "AXO3640",      "AXO3640",      "AXO3640",      "AXO3650",      "AXO3650",     "AXO3680",
        "AXO3680",      "AXO3690",      "AXO3690_xx4x", "AXO3720_2st",  "AXO3xxx_R806", "AXO3xxx_R807",
        "AXO3xxx_R809", "",             "AXOM27x",      "AXO3720_1st",  "AXO3695"};
    for (int type = 0; type < sim::kPrinterTypeCount; ++type) {
        SCOPED_TRACE(type);
        std::string stored, modelText;
        printerNameForProduct(sim::usbProductText(type), stored, modelText);
        EXPECT_EQ(modelIdentifierForProduct(stored), expected[type]);
        EXPECT_EQ(modelIdentifierForModelText(modelText), expected[type]);
    }
}

TEST(ModelIdentifiers, TextsThatDifferFromTheIdentifiers) {
    struct Case {
        std::string_view text, identifier;
        bool product;
    } cases[] = {
        {"AXOM27X", "AXOM27x", true},
        {"AXOR809", "AXO3xxx_R809", true},
        {"AXO3640-5XXX/6XXX", "AXO3640_5xxx", true},
        {"AXO3720-R801(2ST)", "AXO3720_2st", true},
        {"AXO3690-XX4X", "AXO3690_xx4x", true},
        {"AXO 3640-0X35", "AXO3640_x035", true},
        {"AXO3740-R801", "AXO3740_R801", true},
        {"Any HID USB POS Printer", "", true},
        {" M27X", "AXOM27x", false},
        {" R801", "AXO3740_R801", false},
        {" 3680-5XXX", "AXO3680_5xxx", false},
        {" 3640-x035", "AXO3640_x035", false},
        {"", "", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.text));
        EXPECT_EQ(c.product ? modelIdentifierForProduct(c.text) : modelIdentifierForModelText(c.text), c.identifier);
    }
}

}  // namespace
