#include "configuration/RowParamNo.h"

#include <span>

#include "configuration/ConfigurationModel.h"

namespace configuration {

namespace {

std::uint8_t entry(std::span<const std::uint8_t> table, int row) {
    return row >= 0 && static_cast<std::size_t>(row) < table.size() ? table[static_cast<std::size_t>(row)] : 0;
}

}  // namespace

std::uint8_t rowParamNo(const ParamNoTables& tables, int category, int row, long printerType) {
    switch (category) {
        case kCommunication: return entry(tables.communication, row);
        case kSoftware: return entry(tables.software, row);
        case kHardware: return entry(tables.hardware, row);
        case kCodePage: return entry(tables.codePage, row);
        case kDoubleSided:
            return printerType == kM27xType ? entry(tables.formMode, row) : entry(tables.twoSided, row);
        default: return 0;
    }
}

}  // namespace configuration
