#include <gtest/gtest.h>
#include <unistd.h>

#include <clocale>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <initializer_list>
#include <string>

#include "platform/RuntimeError.h"
#include "platform/Text.h"

using namespace platform;

namespace {

struct Conversion {
    const char* name;
    std::function<void()> convert;
};

void expectEachRaises(int number, const std::string& description, std::initializer_list<Conversion> cases) {
    for (const auto& c : cases) {
        try {
            c.convert();
            ADD_FAILURE() << c.name << " did not raise";
        } catch (const RuntimeError& e) {
            EXPECT_EQ(e.number(), number) << c.name;
            EXPECT_EQ(e.description(), description) << c.name;
        }
    }
}

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
    expectEachRaises(6, "Overflow",
                     {{"byte 256", [] { CByte(256); }},
                      {"byte -1", [] { CByte(-1); }},
                      {"byte 255.5", [] { CByte(255.5); }},
                      {"int 32768", [] { CInt(32768); }},
                      {"int -32769", [] { CInt(-32769); }},
                      {"long 2^31", [] { CLng(2147483648.0); }},
                      {"text 256", [] { CByte("256"); }},
                      {"text 1e999", [] { CDbl("1e999"); }}});
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

// A port text typed as "9100x" or "91O0", or a stored "1x", must not pass as
// a number; Val alone takes the leading number.
TEST(Text, ConversionsTakeOnlyAWholeNumberText) {
    const struct {
        const char* text;
        double value;
    } whole[] = {{" 42 ", 42}, {"\t9100\t", 9100}, {"-3.5", -3.5}, {"+7", 7}, {".5", 0.5},
                 {"1e3", 1000}, {"2D2", 200}, {"&H1F", 31}, {"&O17", 15}};
    for (const auto& c : whole) EXPECT_DOUBLE_EQ(CDbl(c.text), c.value) << '"' << c.text << '"';

    expectEachRaises(13, "Type mismatch",
                     {{"empty", [] { CDbl(""); }},       {"blanks", [] { CDbl("   "); }},
                      {"9100x", [] { CLng("9100x"); }},  {"91O0", [] { CLng("91O0"); }},
                      {"1x", [] { CInt("1x"); }},        {"8 bits", [] { CByte("8 bits"); }},
                      {"1.2.3", [] { CDbl("1.2.3"); }},  {"12 34", [] { CDbl("12 34"); }},
                      {"1e", [] { CDbl("1e"); }},        {"sign only", [] { CDbl("-"); }},
                      {"point only", [] { CDbl("."); }}, {"&H", [] { CDbl("&H"); }},
                      {"&H1G", [] { CLng("&H1G"); }},    {"comma decimal", [] { CDbl("1,5"); }}});
    EXPECT_EQ(CInt(" 2.5 "), 2);
    EXPECT_EQ(CByte("255"), 255);
    EXPECT_DOUBLE_EQ(Val("9100x"), 9100);
    EXPECT_DOUBLE_EQ(Val("91O0"), 91);
}

// The Qt front end sets the process locale from the environment; a German
// user must still get 1.5 from "1.5". A locale with a decimal comma is used
// when the machine has one, or generated for the test.
class CommaLocale {
public:
    CommaLocale() {
        previous_ = std::setlocale(LC_NUMERIC, nullptr);
        for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "de_DE", "fr_FR.UTF-8", "fr_FR"})
            if (useCommaLocale(name)) return;
        generated_ = std::filesystem::temp_directory_path() / ("comma-locale-" + std::to_string(::getpid()));
        const std::string command = "localedef -i de_DE -f ISO-8859-1 '" + (generated_ / "de_DE").string() +
                                    "' >/dev/null 2>&1";
        std::error_code ignored;
        if (std::filesystem::create_directories(generated_, ignored) && std::system(command.c_str()) == 0) {
            ::setenv("LOCPATH", generated_.c_str(), 1);
            useCommaLocale("de_DE");
        }
    }
    ~CommaLocale() {
        std::setlocale(LC_NUMERIC, previous_.c_str());
        ::unsetenv("LOCPATH");
        std::error_code ignored;
        if (!generated_.empty()) std::filesystem::remove_all(generated_, ignored);
    }
    bool active() const { return active_; }

private:
    bool useCommaLocale(const char* name) {
        active_ = std::setlocale(LC_NUMERIC, name) != nullptr && std::string(std::localeconv()->decimal_point) == ",";
        if (!active_) std::setlocale(LC_NUMERIC, previous_.c_str());
        return active_;
    }
    std::string previous_;
    std::filesystem::path generated_;
    bool active_ = false;
};

TEST(Text, NumbersReadTheSameUnderACommaLocale) {
    CommaLocale comma;
    if (!comma.active()) GTEST_SKIP() << "no locale with a decimal comma is installed and localedef could not make one";
    // The C library now reads "1.5" as 1: what a parser that follows the
    // locale would give.
    ASSERT_DOUBLE_EQ(std::strtod("1.5", nullptr), 1);
    const struct {
        const char* text;
        double val, cdbl;
    } cases[] = {{"1.5", 1.5, 1.5}, {"9600.5", 9600.5, 9600.5}, {"-0.25e2", -25, -25}, {"3.0", 3, 3}};
    for (const auto& c : cases) {
        EXPECT_DOUBLE_EQ(Val(c.text), c.val) << c.text;
        EXPECT_DOUBLE_EQ(CDbl(c.text), c.cdbl) << c.text;
    }
    EXPECT_DOUBLE_EQ(Val("1,5"), 1);
    EXPECT_THROW(CDbl("1,5"), RuntimeError);
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
