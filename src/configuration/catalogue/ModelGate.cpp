#include "configuration/catalogue/ModelGate.h"

#include <functional>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "configuration/CatalogueRules.h"
#include "link/PrinterTypes.h"

namespace configuration {

namespace {

// ---- By model identifier. ----

struct Capabilities {
    bool hardwareRow5 = false;
    bool slip = false;
    bool twoSided = false;
    bool hardwareRow9 = false;
};

struct IdentifierLine {
    std::vector<std::string_view> identifiers;
    Capabilities capabilities;
};

// Tested from the top; an identifier no line names has none of them.
const IdentifierLine kIdentifierLines[] = {
    {{"AXO3650"}, {false, true, true, true}},
    {{"AXO3640"}, {false, true, false, false}},
    {{"AXO3690"}, {false, false, true, false}},
    {{"AXO3640_5xxx", "AXO3640_x035"}, {false, true, false, true}},
    {{"AXO3xxx_R809"}, {true, false, true, false}},
    {{"AXO3740_R801", "AXO3xxx_R807", "AXO3xxx_R806", "AXO3690_xx4x", "AXO3680_5xxx"}, {true, false, false, false}},
    {{"AXOM27x"}, {false, false, false, false}},
    {{"AXO3720_2st"}, {false, false, true, false}},
};

Capabilities capabilitiesOf(std::string_view identifier) {
    for (const IdentifierLine& line : kIdentifierLines)
        for (std::string_view id : line.identifiers)
            if (id == identifier) return line.capabilities;
    return {};
}

// The rule of a software or hardware row; a row without one follows enable.
// Software row 8 of the 3640-x035 is not written at all.
GateRow nameRule(std::string_view id, int category, int row, bool enable) {
    const Capabilities c = capabilitiesOf(id);
    bool rule = true;
    if (category == kSoftware) {
        if (row == 8 && id == "AXO3640_x035") return {};
        if (row == 5 || row == 7) rule = id == "AXO3690_xx4x" || id == "AXO3680_5xxx" || c.slip;
    } else {
        // The 3695 has the buzzer in row 6, as its type gate says.
        if (row == 5) rule = c.hardwareRow5 || c.slip;
        if (row == 6) rule = id == "AXO3680_5xxx" || c.slip || id == "AXO3695";
        if (row == 8) rule = id == "AXO3680_5xxx" || c.slip;
        if (row == 9) rule = id == "AXO3690_xx4x" || c.hardwareRow9;
    }
    return {true, rule && enable, rule && enable};
}

// ---- By printer type. ----

struct TypeRule {
    std::vector<int> rows;
    TypeMask box;
    TypeMask list;
};

TypeRule same(std::vector<int> rows, TypeMask types) { return {std::move(rows), types, types}; }

const TypeRule kSoftwareRules[] = {
    same({0, 1}, TypeMask::of({})),
    same({2, 3, 6, 14, 15, 16}, TypeMask::all()),
    same({4}, TypeMask::allBut({1})),
    same({5, 7}, TypeMask::of({0, 1, 2, 3, 4, 8})),
    same({8}, TypeMask::allBut({1, 10})),
    same({9}, TypeMask::allBut({3, 5, 7, 10})),
    same({10}, TypeMask::of({4, 6, 8, 9, 13, 14, 16})),
    same({11}, TypeMask::of({2, 4, 6, 9, 13, 14, 16})),
    same({12}, TypeMask::of({6, 9, 14, 16})),
    same({13}, TypeMask::of({6, 9, 14})),
};

const TypeRule kHardwareRules[] = {
    same({0, 1, 2, 4, 7}, TypeMask::all()),
    same({3}, TypeMask::allBut({10, 15})),
    same({5}, TypeMask::of({0, 1, 2, 3, 4, 5, 6, 7, 8, 10, 11, 12, 13, 16})),
    {{6}, TypeMask::of({0, 1, 2, 3, 4, 16}), TypeMask::of({0, 1, 2, 3, 4, 6, 16})},
    {{8}, TypeMask::of({0, 1, 2, 3, 4}), TypeMask::of({0, 1, 2, 3, 4, 6})},
    same({9}, TypeMask::of({1, 8})),
    same({10}, TypeMask::allBut({3, 5, 7, 13})),
    same({11}, TypeMask::allBut({3, 5, 7, 10, 11})),
    same({12}, TypeMask::of({2, 4, 6, 13, 16})),
    same({13}, TypeMask::of({2, 4, 6})),
    same({14, 15, 16}, TypeMask::of({9, 14, 15})),
};

GateRow typeRule(long type, int category, int row, bool enable) {
    // The 3695's emulation and ID rows are not written.
    if (category == kSoftware && type == k3695Type && (row == 0 || row == 1)) return {};
    for (const TypeRule& rule : category == kSoftware ? std::span<const TypeRule>(kSoftwareRules)
                                                      : std::span<const TypeRule>(kHardwareRules))
        for (int r : rule.rows)
            if (r == row) return {true, rule.box.contains(type) && enable, rule.list.contains(type) && enable};
    return {true, enable, enable};
}

// ---- The steps both gates share. ----

ModelGateResult gate(bool m27x, bool twoSided, int shown, bool enable,
                     const std::function<GateRow(int category, int row)>& rowRule) {
    ModelGateResult result;
    result.frames = enable;
    for (int i = 0; i < kCategoryCount; ++i)
        result.categoryButtons[static_cast<std::size_t>(i)] = i < kDoubleSided || m27x ? enable : twoSided && enable;
    const GateRow on{true, enable, enable};
    for (int r = 0; r < kSettingRows; ++r) {
        GateRow& row = result.rows[static_cast<std::size_t>(r)];
        switch (shown) {
            case kSoftware:
            case kHardware: row = rowRule(shown, r); break;
            case kCodePage: row = on; break;
            case kDoubleSided:
                if (m27x && r == 0) row = on;
                break;
            default:
                if (r == 5) row = on;
                break;
        }
    }
    return result;
}

}  // namespace

ModelGateResult gateByModelName(std::string_view identifier, int shownCategory, bool enable) {
    return gate(identifier == "AXOM27x", capabilitiesOf(identifier).twoSided, shownCategory, enable,
                [&](int category, int row) { return nameRule(identifier, category, row, enable); });
}

ModelGateResult gateByModelCode(long printerType, int shownCategory, bool enable) {
    return gate(printerType == kM27xType, printerlink::isTwoSidedType(printerType), shownCategory, enable,
                [&](int category, int row) { return typeRule(printerType, category, row, enable); });
}

}  // namespace configuration
