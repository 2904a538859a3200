// The model gate's result tables, by printer type and by model identifier,
// online and offline.
#include <gtest/gtest.h>

#include <set>
#include <sstream>
#include <string>

#include "configuration/catalogue/ModelGate.h"

namespace {

using namespace configuration;

// "0-8, 10" -> {0, ..., 8, 10}.
std::set<int> rows(const std::string& text) {
    std::set<int> out;
    std::stringstream in(text);
    for (std::string part; std::getline(in, part, ',');) {
        const auto dash = part.find('-');
        const int from = std::stoi(part), to = dash == std::string::npos ? from : std::stoi(part.substr(dash + 1));
        for (int r = from; r <= to; ++r) out.insert(r);
    }
    return out;
}

void expectEnabledRows(const ModelGateResult& g, int used, const std::set<int>& enabled,
                       const std::set<int>& notWritten = {}) {
    for (int r = 0; r < used; ++r) {
        SCOPED_TRACE("row " + std::to_string(r));
        const GateRow& row = g.rows[static_cast<std::size_t>(r)];
        EXPECT_EQ(row.written, !notWritten.count(r));
        if (row.written) {
            EXPECT_EQ(row.box, enabled.count(r) == 1);
        }
    }
}

// Software row 8 of types 5 and 7 follows its rule ("every type but 1 and 10").
TEST(ModelGate, ByPrinterTypeOnline) {
    const struct {
        long type;
        bool twoSided;
        const char* software;
        const char* hardware;
    } table[] = {
        {0, false, "2-9", "0-8, 10, 11"},          {1, false, "2, 3, 5-7, 9", "0-11"},
        {2, false, "2-9, 11", "0-8, 10-13"},       {3, true, "2-8", "0-8"},
        {4, true, "2-11", "0-8, 10-13"},           {5, false, "2-4, 6, 8", "0-5, 7"},
        {6, false, "2-4, 6, 8-13", "0-5, 7, 10-13"}, {7, true, "2-4, 6, 8", "0-5, 7"},
        {8, false, "2-10", "0-5, 7, 9-11"},        {9, true, "2-4, 6, 8-13", "0-4, 7, 10, 11, 14-16"},
        {10, false, "2-4, 6", "0-2, 4, 5, 7, 10"}, {11, false, "2-4, 6, 8, 9", "0-5, 7, 10"},
        {12, true, "2-4, 6, 8, 9", "0-5, 7, 10, 11"}, {13, false, "2-4, 6, 8-11", "0-5, 7, 11, 12"},
        {14, true, "2-4, 6, 8-13", "0-4, 7, 10, 11, 14-16"}, {15, false, "2-4, 6, 8, 9", "0-2, 4, 7, 10, 11, 14-16"},
        {16, false, "2-4, 6, 8-12", "0-7, 10-12"},  {-1, false, "2-4, 6, 8, 9", "0-4, 7, 10, 11"},
    };
    for (const auto& t : table) {
        SCOPED_TRACE("type " + std::to_string(t.type));
        const ModelGateResult software = gateByModelCode(t.type, kSoftware, true);
        EXPECT_TRUE(software.frames);
        EXPECT_EQ(software.categoryButtons, (std::array<bool, 5>{true, true, true, true, t.twoSided}));
        expectEnabledRows(software, 14, rows(t.software), t.type == 16 ? std::set<int>{0, 1} : std::set<int>{});
        expectEnabledRows(gateByModelCode(t.type, kHardware, true), 17, rows(t.hardware));
        expectEnabledRows(gateByModelCode(t.type, kCodePage, true), 17, rows("0-16"));
        expectEnabledRows(gateByModelCode(t.type, kCommunication, true), 12, {5}, rows("0-4, 6-11"));
        expectEnabledRows(gateByModelCode(t.type, kDoubleSided, true), 8, t.type == 14 ? rows("0") : std::set<int>{},
                          t.type == 14 ? rows("1-7") : rows("0-7"));
    }
    // The lists of rows 6 and 8 of the 3680-5xxx follow the link; their boxes do not.
    const ModelGateResult g = gateByModelCode(6, kHardware, true);
    EXPECT_TRUE(g.rows[6].list && g.rows[8].list && !g.rows[6].box && !g.rows[8].box);
}

TEST(ModelGate, ByModelIdentifierOnline) {
    const struct {
        const char* id;
        bool twoSided;
        const char* softwareOff;
        const char* hardwareOff;
    } table[] = {
        {"AXO3650", true, "", ""},           {"AXO3640", false, "", "9"},
        {"AXO3690", true, "5, 7", "5, 6, 8, 9"}, {"AXO3640_5xxx", false, "", ""},
        {"AXO3640_x035", false, "", ""},     {"AXO3xxx_R809", true, "5, 7", "6, 8, 9"},
        {"AXO3740_R801", false, "5, 7", "6, 8, 9"}, {"AXO3xxx_R807", false, "5, 7", "6, 8, 9"},
        {"AXO3xxx_R806", false, "5, 7", "6, 8, 9"}, {"AXO3690_xx4x", false, "", "6, 8"},
        {"AXO3680_5xxx", false, "", "9"},    {"AXOM27x", true, "5, 7", "5, 6, 8, 9"},
        {"AXO3720_2st", true, "5, 7", "5, 6, 8, 9"}, {"AXO3650_5xxx", false, "5, 7", "5, 6, 8, 9"},
        {"AXO3695", false, "5, 7", "5, 8, 9"},  // row 6, the buzzer, as by type
        {"", false, "5, 7", "5, 6, 8, 9"},
    };
    auto allBut = [](const char* off) {
        std::set<int> on = rows("0-16");
        if (*off)
            for (int r : rows(off)) on.erase(r);
        return on;
    };
    for (const auto& t : table) {
        SCOPED_TRACE(t.id);
        const ModelGateResult software = gateByModelName(t.id, kSoftware, true);
        EXPECT_EQ(software.categoryButtons[4], t.twoSided);
        expectEnabledRows(software, 14, allBut(t.softwareOff),
                          std::string(t.id) == "AXO3640_x035" ? std::set<int>{8} : std::set<int>{});
        expectEnabledRows(gateByModelName(t.id, kHardware, true), 17, allBut(t.hardwareOff));
        const bool m27x = std::string(t.id) == "AXOM27x";
        expectEnabledRows(gateByModelName(t.id, kDoubleSided, true), 8, m27x ? rows("0") : std::set<int>{},
                          m27x ? rows("1-7") : rows("0-7"));
    }
}

TEST(ModelGate, OfflineEverythingItWritesIsDisabledTheTwoStationPrinterIncluded) {
    for (int category = 0; category < kCategoryCount; ++category) {
        for (const ModelGateResult& g : {gateByModelCode(14, category, false), gateByModelName("AXO3650", category, false),
                                         gateByModelName("AXO3720_2st", category, false)}) {
            EXPECT_FALSE(g.frames);
            for (bool button : g.categoryButtons) EXPECT_FALSE(button);
            for (const GateRow& row : g.rows) EXPECT_FALSE(row.box || row.list);
        }
    }
}

}  // namespace
