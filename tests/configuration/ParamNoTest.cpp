// The parameter numbers of the configuration command by printer type: the
// entries where the types differ.
#include <gtest/gtest.h>

#include "configuration/ParamNo.h"

namespace {

using configuration::ParamNoFor;

TEST(ParamNo, TypesDifferWhereTheirPrintersDo) {
    struct Case {
        long type;
        char table;  // c s h d (two-sided)
        int row;
        int number;
    } cases[] = {
        {16, 'c', 11, 0x69}, {0, 'c', 11, 0x00},  {-1, 'c', 9, 0x68},   {16, 's', 11, 0x2D}, {16, 'h', 9, 0x00},
        {16, 'h', 6, 0x78},  {8, 's', 5, 0x2C},   {8, 's', 7, 0x2D},    {8, 'h', 9, 0x54},   {8, 'h', 10, 0x52},
        {8, 'h', 11, 0x55},  {14, 's', 3, 0x0D},  {14, 'h', 2, 0x06},   {14, 'h', 3, 0x07},  {9, 'h', 14, 0x39},
        {15, 'h', 16, 0x42}, {0, 'h', 14, 0x00},  {12, 'd', 2, 0x22},   {12, 'd', 7, 0x00},  {3, 'd', 7, 0x45},
        {7, 'h', 10, 0x38},  {13, 's', 9, 0x3C},  {4, 's', 12, 0x00},   {-1, 's', 12, 0x7E}, {-1, 'h', 10, 0x3A},
        {2, 'h', 10, 0x82},  {5, 'h', 5, 0x24},   {10, 'h', 11, 0x79},
    };
    for (const Case& c : cases) {
        const configuration::ParamNoTables t = ParamNoFor(c.type);
        const auto r = static_cast<std::size_t>(c.row);
        const int number = c.table == 'c' ? t.communication[r]
                           : c.table == 's' ? t.software[r]
                           : c.table == 'h' ? t.hardware[r]
                                            : t.twoSided[r];
        EXPECT_EQ(number, c.number) << "type " << c.type << " " << c.table << " row " << c.row;
    }
    EXPECT_EQ(ParamNoFor(14).formMode[0], 0x08);
    EXPECT_EQ(ParamNoFor(13).formMode[0], 0x00);
    EXPECT_EQ(ParamNoFor(6).codePage[0], 0x40);
}

}  // namespace
