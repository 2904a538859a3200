#include "configuration/CatalogueRules.h"

#include <cctype>
#include <utility>

#include "link/PrinterTypes.h"
#include "platform/Text.h"

namespace configuration {

namespace {

// The whole number a text holds (blanks around it allowed, as the utility's
// conversions take them), or false for any other text.
bool wholeNumber(const std::string& text, long& value) {
    const std::string t = platform::trim(text);
    std::size_t i = (!t.empty() && (t[0] == '+' || t[0] == '-')) ? 1 : 0;
    if (i >= t.size() || t.size() - i > 9) return false;
    for (std::size_t k = i; k < t.size(); ++k)
        if (!std::isdigit(static_cast<unsigned char>(t[k]))) return false;
    value = std::stol(t);
    return true;
}

bool applies(const When& when, const ModelTypes& types) {
    return when.group.contains(types.group) && when.model.contains(types.model) && when.link.contains(types.link) &&
           (types.flags & when.require) == when.require && (types.flags & when.forbid) == 0;
}

void apply(const Rule& rule, RowLayout& row) {
    switch (rule.op) {
        case RuleOp::Label: row.caption = rule.text; break;
        case RuleOp::AddOptions: row.options.insert(row.options.end(), rule.options.begin(), rule.options.end()); break;
        case RuleOp::ClearOptions:
            row.options.clear();
            row.defaultIndex = -1;
            break;
        case RuleOp::Default: row.defaultIndex = rule.index; break;
        case RuleOp::Disable:
            row.boxEnabled = false;
            row.listHidden = true;
            break;
        case RuleOp::DisableBox: row.boxEnabled = false; break;
        case RuleOp::EnableBox: row.boxEnabled = true; break;
        case RuleOp::HideList: row.listHidden = true; break;
        case RuleOp::DisableList: row.listEnabled = false; break;
    }
}

}  // namespace

TypeMask TypeMask::of(std::initializer_list<long> types) {
    std::uint32_t bits = 0;
    for (long t : types) bits |= 1u << (printerlink::isPrinterType(t) ? t : kOther);
    return TypeMask(bits);
}

bool TypeMask::contains(long type) const {
    return (bits_ >> (printerlink::isPrinterType(type) ? type : kOther)) & 1u;
}

When When::operator&(const When& other) const {
    return When{group & other.group, model & other.model, link & other.link, require | other.require,
                forbid | other.forbid};
}

Rules& Rules::add(Rule rule) {
    rules_.push_back(std::move(rule));
    return *this;
}

Rules& Rules::label(int row, std::string text, When when) {
    return add({row, RuleOp::Label, when, std::move(text), {}, 0});
}
Rules& Rules::options(int row, Options options, When when) {
    return add({row, RuleOp::AddOptions, when, {}, std::move(options), 0});
}
Rules& Rules::clearOptions(int row, When when) { return add({row, RuleOp::ClearOptions, when, {}, {}, 0}); }
Rules& Rules::pick(int row, int index, When when) { return add({row, RuleOp::Default, when, {}, {}, index}); }
Rules& Rules::fill(int row, std::string text, Options options, int index, When when) {
    return label(row, std::move(text), when).options(row, std::move(options), when).pick(row, index, when);
}
Rules& Rules::disable(int row, When when) { return add({row, RuleOp::Disable, when, {}, {}, 0}); }
Rules& Rules::disableBox(int row, When when) { return add({row, RuleOp::DisableBox, when, {}, {}, 0}); }
Rules& Rules::enableBox(int row, When when) { return add({row, RuleOp::EnableBox, when, {}, {}, 0}); }
Rules& Rules::hideList(int row, When when) { return add({row, RuleOp::HideList, when, {}, {}, 0}); }
Rules& Rules::disableList(int row, When when) { return add({row, RuleOp::DisableList, when, {}, {}, 0}); }

ModelTypes modelTypesFor(const CatalogueInputs& inputs) {
    ModelTypes types;
    types.link = types.group = types.model = inputs.printerType;
    if (inputs.fontType) types.flags |= kFontType;
    if (inputs.columns48) types.flags |= kColumns48;
    if (inputs.tcpConnected) types.flags |= kTcpConnected;
    if (!inputs.printerRestarted) return types;
    types.flags |= kRestarted;
    long stored = 0;
    if (!wholeNumber(inputs.printerModelText, stored)) return types;
    types.flags |= kModelFromSettings;
    types.model = stored;
    // The group is chosen by the text itself: " 9" or "09" names no group.
    types.group = (printerlink::isPrinterType(stored) && inputs.printerModelText == platform::str(stored))
                      ? stored
                      : TypeMask::kOther;
    return types;
}

CategoryLayout runRules(const Rules& rules, const ModelTypes& types) {
    CategoryLayout layout;
    for (const Rule& rule : rules.rules())
        if (rule.row >= 0 && rule.row < kSettingRows && applies(rule.when, types))
            apply(rule, layout[static_cast<std::size_t>(rule.row)]);
    return layout;
}

}  // namespace configuration
