#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

#include "shell/RuntimeErrorReport.h"
#include "shell/TypeDefinition.h"

namespace {

using namespace shell;

TEST(ModuleLists, HoldTheCodesTheRestOfTheSystemStores) {
    EXPECT_EQ(PortList[0], "COM1");
    EXPECT_EQ(PortList[15], "COM16");
    EXPECT_EQ(PortList[16], "LAN");
    EXPECT_EQ(PortList[17], "AHPI");
    EXPECT_EQ(BaudRateList.front(), "115200");
    EXPECT_EQ(BaudRateList.back(), "1200");
    EXPECT_EQ(HandshakeList[1], "DTR / DSR");
    EXPECT_EQ(ParityList[2], "Odd");
    EXPECT_EQ(PrinterModelList[14], "M27x");
    EXPECT_EQ(PrinterModelList[16], "3695");
    EXPECT_EQ(PrinterDescList[15], "");
    EXPECT_EQ(PrinterDescList[4], "AXO 3650_5xxx Printer: Thermal Receipt, Impact Slip");
    EXPECT_EQ(PaperWidthList[3], "114.0mm");
}

TEST(WrapAtSpace, BreaksOnceAtTheLastBlankBeforeTheLimit) {
    struct Case {
        std::string text;
        int limit;
        std::string wrapped;
    } cases[] = {
        {"abc def", 10, "abc def"},
        // Blanks at 8 and 15 of 20 characters, limit 12.
        {"abcdefg hijklmn opqr", 12, "abcdefg\r\nhijklmn opqr"},
        {"abcdefghijklmnop qr", 12, "abcdefghijklmnop qr"},
        {"abcdefghijklmnop", 5, "abcdefghijklmnop"},
        // A blank exactly at the limit is not used.
        {"abcd efgh ij", 5, "abcd efgh ij"},
        {"abc efgh ij", 5, "abc\r\nefgh ij"},
        // Leading blanks: the break still falls between the words.
        {"    abc def ghijk", 9, "abc def\r\nghijk"},
        {"  abcdefghij klm", 9, "abcdefghij klm"},
        {"", 0, ""},
    };
    for (const Case& c : cases) EXPECT_EQ(WrapAtSpace(c.text, c.limit), c.wrapped) << '"' << c.text << '"';
}

TEST(ColumnsPerLine, FollowStationPaperAndFont) {
    struct Case {
        bool receipt;
        int paper;
        int wide, narrow;
    } cases[] = {
        {false, 1, 55, 45}, {false, -1, 55, 45}, {true, 1, 42, 32}, {true, 2, 59, 45},
        {true, 3, 83, 64},  {true, 0, 56, 44},   {true, -1, 56, 44},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(columnsPerLine(c.receipt, true, c.paper), c.wide) << c.receipt << " " << c.paper;
        EXPECT_EQ(columnsPerLine(c.receipt, false, c.paper), c.narrow) << c.receipt << " " << c.paper;
    }
}

TEST(GetFileName, IsThePartAfterTheLastSeparator) {
    EXPECT_EQ(GetFileName(""), "");
    EXPECT_EQ(GetFileName("logo.bmp"), "logo.bmp");
    EXPECT_EQ(GetFileName("/home/tech/logo.bmp"), "logo.bmp");
    EXPECT_EQ(GetFileName("/home/"), "");
}

// A confirmed Exit may come from inside the yields after another button;
// the rest of that button's handler must not run (no message box after the
// user left, no settings file written again after Exit deleted it).
TEST(EndProgramDeathTest, NothingRunsAfterIt) {
    EXPECT_EXIT(
        {
            endProgramHandler = nullptr;
            EndProgram();
            std::fputs("still running", stderr);
            std::_Exit(3);
        },
        testing::ExitedWithCode(0), "");
}

TEST(RuntimeErrorReport, TextNamesNumberDescriptionAndTheHintForFileAccess) {
    EXPECT_EQ(RuntimeErrorText(75, "Path/File access error"),
              "Runtime Error :75\r\nPath/File access error\r\nPlease restart the application with admin privileges.");
    EXPECT_EQ(RuntimeErrorText(13, "Type mismatch"), "Runtime Error :13\r\nType mismatch");
}

}  // namespace
