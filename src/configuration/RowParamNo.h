// The parameter number that names one row of one category in the printer's
// configuration command, for the printer type the tables were filled for:
// the form-mode row of the M27x takes the form-mode table, every other row
// its category's table. 0 means the row has no number for that type (or is
// no row of the category): the printer cannot be given that setting.
//
// Pure lookup; nothing blocks.
#pragma once

#include <cstdint>

#include "configuration/ParamNo.h"

namespace configuration {

std::uint8_t rowParamNo(const ParamNoTables& tables, int category, int row, long printerType);

}  // namespace configuration
