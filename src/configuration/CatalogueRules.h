// The catalogue of the configuration window as data: for each category an
// ordered list of rules, each one step of the category's layout order (a
// label, options, the default choice, a row shown disabled...) with the
// printer types and model conditions it applies to. Running the rules over
// the 17 rows gives each row's final layout, which the window then puts on
// its controls (the window's layout frame).
//
// A category's layout takes its printer type in up to three ways, because
// after a printer restart some decisions follow the model stored in the
// settings file while others keep following the link:
// - group: the type that chooses the model group (after a restart: the stored
//   text only when it is exactly one of the numerals "0".."16");
// - model: the type the other model decisions test (after a restart: the
//   stored text's number);
// - link: the link's PrinterType, always.
// Without a restart all three are the link's PrinterType.
//
// Pure functions over constant data; nothing blocks.
#pragma once

#include <array>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

#include "configuration/ConfigurationModel.h"

namespace configuration {

// A set of printer types 0-16, plus one member for every type outside them.
class TypeMask {
public:
    static constexpr long kOther = 17;
    // Every type, the other types included.
    static TypeMask all() { return TypeMask(0x3FFFF); }
    // The listed types; kOther stands for every type outside 0-16.
    static TypeMask of(std::initializer_list<long> types);
    // Every type but the listed ones (the other types included unless listed).
    static TypeMask allBut(std::initializer_list<long> types) { return TypeMask(all().bits_ & ~of(types).bits_); }

    bool contains(long type) const;
    TypeMask operator&(TypeMask other) const { return TypeMask(bits_ & other.bits_); }

private:
    explicit TypeMask(std::uint32_t bits) : bits_(bits) {}
    std::uint32_t bits_;
};

// Model conditions besides the type.
enum ModelFlag : unsigned {
    kFontType = 1u << 0,          // the link's bFontType
    kColumns48 = 1u << 1,         // the link's m_FWVersion48ColSupport
    kRestarted = 1u << 2,         // bPrinterRestarted: the model comes from the settings file
    kTcpConnected = 1u << 3,      // the link's TCP connection is up
    kModelFromSettings = 1u << 4, // the model was taken from the settings file
};

// When a rule applies: every mask holds its type, every required flag is set
// and no forbidden one.
struct When {
    TypeMask group = TypeMask::all();
    TypeMask model = TypeMask::all();
    TypeMask link = TypeMask::all();
    unsigned require = 0;
    unsigned forbid = 0;

    When operator&(const When& other) const;
};

inline When group(std::initializer_list<long> types) { return When{.group = TypeMask::of(types)}; }
inline When model(std::initializer_list<long> types) { return When{.model = TypeMask::of(types)}; }
inline When modelNot(std::initializer_list<long> types) { return When{.model = TypeMask::allBut(types)}; }
inline When link(std::initializer_list<long> types) { return When{.link = TypeMask::of(types)}; }
inline When linkNot(std::initializer_list<long> types) { return When{.link = TypeMask::allBut(types)}; }
inline When with(unsigned flags) { return When{.require = flags}; }
inline When without(unsigned flags) { return When{.forbid = flags}; }

using Options = std::vector<std::string>;

// One row as a layout leaves it. A fresh row is what the category switch
// and the frame leave: no caption, no options, box enabled, list free to
// follow its box.
struct RowLayout {
    std::string caption;
    Options options;
    int defaultIndex = -1;    // the ListIndex the layout assigns; -1: none
    bool boxEnabled = true;   // Setting(i).Enabled
    bool listHidden = false;  // SettingList(i) hidden whatever the box says
    bool listEnabled = true;  // SettingList(i).Enabled
};
using CategoryLayout = std::array<RowLayout, kSettingRows>;

enum class RuleOp {
    Label,         // caption := text (a later label replaces an earlier one)
    AddOptions,    // options added after those the row has
    ClearOptions,  // the row's options removed (a row that takes another definition)
    Default,       // the default choice := index
    Disable,       // shown disabled: box disabled, then list hidden
    DisableBox,    // box disabled; the list keeps its visibility
    EnableBox,     // box enabled; the list keeps its visibility
    HideList,      // list hidden
    DisableList,   // list disabled; its visibility is left as it is
};

struct Rule {
    int row;
    RuleOp op;
    When when;
    std::string text;
    Options options;
    int index = 0;
};

// A category's rules in layout order, written as the layout steps read.
class Rules {
public:
    Rules& label(int row, std::string text, When when = {});
    Rules& options(int row, Options options, When when = {});
    Rules& clearOptions(int row, When when = {});
    Rules& pick(int row, int index, When when = {});
    // Label, options and default choice in that order.
    Rules& fill(int row, std::string text, Options options, int index, When when = {});
    Rules& disable(int row, When when = {});
    Rules& disableBox(int row, When when = {});
    Rules& enableBox(int row, When when = {});
    Rules& hideList(int row, When when = {});
    Rules& disableList(int row, When when = {});

    const std::vector<Rule>& rules() const { return rules_; }

private:
    Rules& add(Rule rule);
    std::vector<Rule> rules_;
};

// The model as one layout sees it.
struct ModelTypes {
    long group = -1;
    long model = -1;
    long link = -1;
    unsigned flags = 0;
};

// What the catalogue reads of the link and the settings file.
struct CatalogueInputs {
    long printerType = -1;          // the link's PrinterType
    bool printerRestarted = false;  // bPrinterRestarted
    std::string printerModelText{};  // [Configurations] PrinterModel
    bool fontType = false;
    bool columns48 = false;
    bool tcpConnected = false;
    std::string modelText{};   // [Configurations] Model, leading blank included
    bool anyHidPrinter = false;  // bFlagforAHPI: connected as "Any HID USB POS Printer"
    bool twoStation = false;     // the link's b2stFlag
    bool kiosk = false;          // the link's bKiosk
};

// The types and flags one layout uses. After a restart a stored text that is
// no whole number (a missing key, a hand-edited file) leaves the model to the
// link's PrinterType instead of stopping the layout.
ModelTypes modelTypesFor(const CatalogueInputs& inputs);

// Runs the rules over fresh rows.
CategoryLayout runRules(const Rules& rules, const ModelTypes& types);

}  // namespace configuration
