#include <gtest/gtest.h>

#include "platform/RuntimeError.h"
#include "platform/Text.h"

using namespace platform;

namespace {

TEST(Text, ValReadsTheLeadingNumberOnly) {
    struct Case {
        const char* text;
        double value;
    } cases[] = {{"", 0},        {"12", 12},       {"  12ab", 12},  {"ab12", 0},     {"-3.5x", -3.5},
                 {"1.2.3", 1.2}, {"&H1B7D", 7037}, {"&O17", 15},    {"\t 9600,N", 9600},
                 {"1e3", 1000},  {"1e", 1},        {"+7", 7},       {".5", 0.5}};
    for (const auto& c : cases) EXPECT_DOUBLE_EQ(Val(c.text), c.value) << '"' << c.text << '"';
}

TEST(Text, ConversionsRoundHalfToEvenAndRaiseOverflow) {
    EXPECT_EQ(CByte(2.5), 2);
    EXPECT_EQ(CByte(3.5), 4);
    EXPECT_EQ(CByte(255), 255);
    EXPECT_EQ(CInt(-32768), -32768);
    EXPECT_EQ(CLng(99999999), 99999999);
    struct Overflowing {
        const char* name;
        std::function<void()> convert;
    } cases[] = {{"byte 256", [] { CByte(256); }},          {"byte -1", [] { CByte(-1); }},
                 {"byte 255.5", [] { CByte(255.5); }},      {"int 32768", [] { CInt(32768); }},
                 {"int -32769", [] { CInt(-32769); }},      {"long 2^31", [] { CLng(2147483648.0); }}};
    for (const auto& c : cases) {
        try {
            c.convert();
            ADD_FAILURE() << c.name << " did not raise";
        } catch (const RuntimeError& e) {
            EXPECT_EQ(e.number(), 6) << c.name;
            EXPECT_EQ(e.description(), "Overflow");
        }
    }
}

TEST(Text, CDblRefusesTextWithoutANumber) {
    EXPECT_DOUBLE_EQ(CDbl(" 42 "), 42);
    try {
        CDbl("abc");
        FAIL();
    } catch (const RuntimeError& e) {
        EXPECT_EQ(e.number(), 13);
    }
}

TEST(Text, EveryCp1252ByteSurvivesTheTripThroughUtf8) {
    std::string all;
    for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
    const std::string utf8 = cp1252ToUtf8(all);
    EXPECT_EQ(utf8ToCp1252(utf8), all);
    EXPECT_EQ(cp1252ToUtf8("\x80"), "\xE2\x82\xAC");  // euro sign
    EXPECT_EQ(cp1252ToUtf8("\xE9"), "\xC3\xA9");      // e acute
}

TEST(Text, Utf8ThatCp1252CannotHoldBecomesQuestionMarks) {
    EXPECT_EQ(utf8ToCp1252("a\xE4\xB8\xAD" "b"), "a?b");  // a CJK character
    EXPECT_EQ(utf8ToCp1252("\xC3"), "?");                 // truncated sequence
    EXPECT_EQ(utf8ToCp1252("\xFF" "x"), "?x");
}

TEST(Text, BytesToTextStopsAtTheFirstZero) {
    EXPECT_EQ(toTextUntilNul(Bytes{0x41, 0x42, 0x00, 0x43}), "AB");
    EXPECT_EQ(toTextUntilNul(Bytes{0x00, 0x41}), "");
    EXPECT_EQ(toText(Bytes{0x41, 0x00, 0x43}).size(), 3u);
}

TEST(Text, CaseFoldingTouchesAsciiLettersOnly) {
    EXPECT_EQ(toUpperAscii("vid_1b7d&pid_d2a8\xE9"), "VID_1B7D&PID_D2A8\xE9");
    EXPECT_TRUE(equalsIgnoreCase("3690-xx4x", "3690-XX4X"));
    EXPECT_FALSE(equalsIgnoreCase("\xE9", "\xC9"));
}

TEST(Text, HexHelpers) {
    EXPECT_EQ(hex(0x1B7D), "1B7D");
    EXPECT_EQ(hex(0), "0");
    EXPECT_EQ(hexBytes(Bytes{0x1D, 0x49, 0x40, 0xA3}), "1D 49 40 A3");
    EXPECT_EQ(trim("  a b  "), "a b");
}

}  // namespace
