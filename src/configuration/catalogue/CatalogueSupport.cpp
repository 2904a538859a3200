#include "configuration/catalogue/CatalogueSupport.h"

#include <cctype>
#include <cmath>
#include <string>
#include <vector>

#include "configuration/RowParamNo.h"
#include "link/PrinterTypes.h"
#include "platform/Text.h"

namespace configuration {

namespace {

// A decimal number with an optional sign and fraction, blanks around it.
bool decimalNumber(const std::string& text, double& value) {
    const std::string t = platform::trim(text);
    std::size_t i = (!t.empty() && (t[0] == '+' || t[0] == '-')) ? 1 : 0;
    std::size_t digits = 0;
    bool point = false;
    for (; i < t.size(); ++i) {
        if (std::isdigit(static_cast<unsigned char>(t[i])))
            ++digits;
        else if (t[i] == '.' && !point)
            point = true;
        else
            return false;
    }
    if (digits == 0 || digits > 15) return false;
    value = std::stod(t);
    return true;
}

}  // namespace

long followedPrinterType(const CatalogueInputs& inputs) {
    if (!inputs.printerRestarted) return inputs.printerType;
    double stored = 0;
    if (!decimalNumber(inputs.printerModelText, stored)) return inputs.printerType;
    if (stored != std::floor(stored) || stored < 0 || stored > printerlink::kLastPrinterType) return -1;
    return static_cast<long>(stored);
}

ModelTypes followedTypes(const CatalogueInputs& inputs) {
    ModelTypes types;
    types.group = types.link = inputs.printerType;
    types.model = followedPrinterType(inputs);
    if (inputs.printerRestarted) types.flags |= kRestarted;
    return types;
}

void disableRowsWithoutParamNo(Rules& rules, int category) {
    std::vector<ParamNoTables> tables;
    for (long type = 0; type <= TypeMask::kOther; ++type) tables.push_back(ParamNoFor(type));
    for (long type = 0; type <= TypeMask::kOther; ++type) {
        for (int row = 0; row < categoryRowCount(category, type); ++row)
            if (rowParamNo(tables[static_cast<std::size_t>(type)], category, row, type) == 0)
                rules.disableBox(row, link({type}));
    }
}

}  // namespace configuration
