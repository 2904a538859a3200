// The parameter numbers of the printer's configuration command: per setting
// category and printer type, the one-byte number that names each row's
// setting. Row k of a category goes out as the pair (table entry k, value).
// 00 means the row has no number for that type.
//
// Pure constant data; the window fills its tables once, when it is made,
// for the printer type of the link open at that moment.
#pragma once

#include <array>
#include <cstdint>

namespace configuration {

struct ParamNoTables {
    std::array<std::uint8_t, 12> communication{};
    std::array<std::uint8_t, 14> software{};
    std::array<std::uint8_t, 17> hardware{};
    std::array<std::uint8_t, 1> codePage{};
    std::array<std::uint8_t, 1> formMode{};  // the M27x's "Mode:" row of category 4
    std::array<std::uint8_t, 8> twoSided{};
};

// The tables for a printer type; a type outside 0-16 gets the entries the
// tables give "other types".
ParamNoTables ParamNoFor(long printerType);

}  // namespace configuration
