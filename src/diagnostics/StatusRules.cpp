#include "diagnostics/StatusRules.h"

#include <algorithm>
#include <initializer_list>

namespace diagnostics {

namespace {

struct ClassMembers {
    ModelClass modelClass;
    std::initializer_list<std::string_view> identifiers;
    bool (*isOfType)(long printerType);
};

const ClassMembers kClasses[] = {
    {ModelClass::Slip, {"AXO3640", "AXO3640_x035", "AXO3640_5xxx", "AXO3650", "AXO3650_5xxx"}, isSlipType},
    {ModelClass::Kiosk,
     {"AXO3720_2st", "AXO3720_1st", "AXOM27x", "AXO3xxx_R809", "AXO3xxx_R807", "AXO3xxx_R806"},
     printerlink::isKioskType},
    {ModelClass::Scan, {"AXO3640_x035", "AXO3650_5xxx"}, printerlink::isScanType},
    {ModelClass::NoDoor, {"AXO3720_2st", "AXO3720_1st"}, printerlink::is3720Type},
};

constexpr std::uint8_t bit(int n) { return static_cast<std::uint8_t>(1u << n); }

using S = Sense;
const std::vector<IndicatorEntry> kGsEot1 = {{9, bit(2), S::Clear, false}, {11, bit(3), S::Set, false}};
const std::vector<IndicatorEntry> kGsEot2 = {{12, bit(2), S::Set, false}, {13, bit(2), S::Set, true},
                                             {14, bit(3), S::Set, false}, {15, bit(5), S::Set, false},
                                             {16, bit(6), S::Set, false}};
const std::vector<IndicatorEntry> kGsEot3 = {{17, bit(2), S::Set, true},  {18, bit(2), S::Set, true},
                                             {19, bit(3), S::Set, false}, {20, bit(5), S::Set, false},
                                             {21, bit(6), S::Set, false}, {22, bit(6), S::Set, false}};
const std::vector<IndicatorEntry> kGsEot4 = {{2, bit(3), S::Set, false}, {1, bit(6), S::Set, false}};
const std::vector<IndicatorEntry> kGsEot5 = {{7, bit(2), S::Station, true}, {8, bit(3), S::Set, true},
                                             {5, bit(5), S::Clear, true},   {6, bit(6), S::Clear, true}};
const std::vector<IndicatorEntry> kDleEm1 = {{23, bit(0), S::Clear, false}, {24, bit(6), S::Set, false}};
const std::vector<IndicatorEntry> kDleEm2 = {{25, bit(0), S::Set, false}, {26, bit(1), S::Set, false},
                                             {27, bit(3), S::Set, false}, {28, bit(5), S::Set, false},
                                             {29, bit(6), S::Set, false}};
const std::vector<IndicatorEntry> kEscVLan = {{2, bit(0), S::Set, false},  {12, bit(1), S::Set, false},
                                              {1, bit(2), S::Set, false},  {5, bit(5), S::Set, false},
                                              {6, bit(6), S::Set, false},  {19, bit(3), S::Set, false},
                                              {21, bit(5), S::Set, false}, {22, bit(6), S::Set, false}};
const std::vector<IndicatorEntry> kEscVUsb = {{2, bit(0), S::Set, false},  {12, bit(1), S::Set, false},
                                              {1, bit(2), S::Set, false},  {19, bit(3), S::Set, false},
                                              {5, bit(5), S::Set, false},  {6, bit(6), S::Set, false},
                                              {21, 0, S::Zero, false},     {22, 0, S::Zero, false}};
// The report ID and length bytes of a USB HID reply, and a reply too short
// to hold a status byte, clear the ESC v indicators.
const std::vector<IndicatorEntry> kEscVUsbHeader = {{2, 0, S::Zero, false},  {12, 0, S::Zero, false},
                                                    {1, 0, S::Zero, false},  {5, 0, S::Zero, false},
                                                    {6, 0, S::Zero, false},  {19, 0, S::Zero, false},
                                                    {21, 0, S::Zero, false}, {22, 0, S::Zero, false}};
// One indicator for both drawers: open when either drawer's bit says so.
const std::vector<IndicatorEntry> kEscU = {{9, bit(0) | bit(1), S::Clear, false}};

using W = When;
const std::vector<PanelRule> kMissing = {
    {PanelItem::Indicator, 3, W::Always},      {PanelItem::Indicator, 4, W::Always},
    {PanelItem::Indicator, 10, W::Always},     {PanelItem::Indicator, 5, W::NotSlip},
    {PanelItem::Indicator, 6, W::NotSlip},     {PanelItem::StationLabel, 0, W::NotSlip},
    {PanelItem::StationText, 0, W::NotSlip},   {PanelItem::Indicator, 8, W::NotSlip},
    {PanelItem::Indicator, 13, W::NotSlip},    {PanelItem::Indicator, 17, W::NotSlip},
    {PanelItem::Indicator, 18, W::NotSlip},    {PanelItem::Indicator, 11, W::KioskFlag},
    {PanelItem::Indicator, 14, W::KioskFlag},  {PanelItem::KioskGroup, 0, W::NotKiosk},
    {PanelItem::Indicator, 23, W::NotKiosk},   {PanelItem::Indicator, 24, W::NotKiosk},
    {PanelItem::Indicator, 25, W::NotKiosk},   {PanelItem::Indicator, 26, W::NotKiosk},
    {PanelItem::Indicator, 27, W::NotKiosk},   {PanelItem::Indicator, 28, W::NotKiosk},
    {PanelItem::Indicator, 29, W::NotKiosk},   {PanelItem::Indicator, 9, W::Kiosk},
};

const std::vector<PanelRule> kOnline = {
    {PanelItem::PaperGroup, 0, W::Always},    {PanelItem::Indicator, 1, W::Always},
    {PanelItem::Indicator, 2, W::Always},     {PanelItem::Indicator, 5, W::Slip},
    {PanelItem::Indicator, 6, W::Slip},       {PanelItem::PrinterGroup, 0, W::Always},
    {PanelItem::StationLabel, 0, W::Slip},    {PanelItem::StationText, 0, W::Slip},
    {PanelItem::Indicator, 8, W::Slip},       {PanelItem::Indicator, 13, W::Slip},
    {PanelItem::Indicator, 9, W::NotKiosk},   {PanelItem::Indicator, 11, W::NotNoDoor},
    {PanelItem::Indicator, 12, W::NotNoDoor}, {PanelItem::Indicator, 14, W::NotNoDoor},
    {PanelItem::ErrorGroup, 0, W::Always},    {PanelItem::Indicator, 15, W::Always},
    {PanelItem::Indicator, 16, W::Always},    {PanelItem::Indicator, 19, W::Always},
    {PanelItem::Indicator, 20, W::Always},    {PanelItem::Indicator, 21, W::Always},
    {PanelItem::Indicator, 22, W::Always},    {PanelItem::Indicator, 17, W::Slip},
    {PanelItem::Indicator, 18, W::Slip},      {PanelItem::KioskGroup, 0, W::Kiosk},
    {PanelItem::Indicator, 23, W::Kiosk},     {PanelItem::Indicator, 24, W::Kiosk},
    {PanelItem::Indicator, 25, W::Kiosk},     {PanelItem::Indicator, 26, W::Kiosk},
    {PanelItem::Indicator, 27, W::Kiosk},     {PanelItem::Indicator, 28, W::Kiosk},
    {PanelItem::Indicator, 29, W::Kiosk},
};

constexpr ButtonState On = ButtonState::Online, Off = ButtonState::Off, Keep = ButtonState::Untouched;

struct TypeButtons {
    std::initializer_list<long> types;
    ButtonRule rule;
};
const TypeButtons kTypeButtons[] = {
    {{0, 2}, {On, Off, On, Off}},  {{1}, {On, Off, On, On}},       {{3, 4}, {On, On, On, Off}},
    {{7, 8}, {On, On, Off, Off}},  {{9, 15}, {Off, On, Off, Off}}, {{10, 11}, {Off, Off, Off, Off}},
    {{12}, {Off, On, Off, Off}},   {{kM27xType}, {Keep, Off, Off, Off}},
};
// Types 5, 6, 13 and 16.
constexpr ButtonRule kOtherTypeButtons{On, Off, Off, Off};

struct IdentifierButtons {
    std::initializer_list<std::string_view> identifiers;
    ButtonRule rule;
};
const IdentifierButtons kIdentifierButtons[] = {
    {{"AXO3640", "AXO3640_5xxx"}, {On, Off, On, Off}},
    {{"AXO3640_x035"}, {On, Off, On, On}},
    {{"AXO3650", "AXO3650_5xxx"}, {On, On, On, Off}},
    {{"AXO3690"}, {On, On, Off, Off}},
    {{"AXOM27x", "AXO3xxx_R807", "AXO3xxx_R806"}, {Off, Off, Off, Off}},
    {{"AXO3xxx_R809", "AXO3720_2st", "AXO3720_1st"}, {Off, On, Off, Off}},
};
constexpr ButtonRule kOtherIdentifierButtons{On, Off, Off, Off};

template <class T, class V>
bool contains(std::initializer_list<T> list, const V& value) {
    return std::find(list.begin(), list.end(), value) != list.end();
}

}  // namespace

bool isOfClass(ModelClass modelClass, const ModelFacts& facts) {
    for (const ClassMembers& members : kClasses) {
        if (members.modelClass != modelClass) continue;
        if (members.isOfType(facts.printerType)) return true;
        for (const std::string& identifier : facts.identifiers)
            if (contains(members.identifiers, std::string_view(identifier))) return true;
    }
    return false;
}

const std::vector<IndicatorEntry>& replyEntries(Reply reply) {
    switch (reply) {
        case Reply::GsEot1: return kGsEot1;
        case Reply::GsEot2: return kGsEot2;
        case Reply::GsEot3: return kGsEot3;
        case Reply::GsEot4: return kGsEot4;
        case Reply::GsEot5: return kGsEot5;
        case Reply::DleEm1: return kDleEm1;
        case Reply::DleEm2: return kDleEm2;
        case Reply::EscVLan: return kEscVLan;
        case Reply::EscVUsb: return kEscVUsb;
        case Reply::EscVUsbHeader: return kEscVUsbHeader;
        case Reply::EscU: return kEscU;
    }
    return kEscU;
}

int indicatorState(const IndicatorEntry& entry, std::uint8_t b) {
    switch (entry.sense) {
        case Sense::Set: return (b & entry.mask) != 0 ? 1 : 0;
        case Sense::Clear: return (b & entry.mask) != entry.mask ? 1 : 0;
        case Sense::Zero: return 0;
        case Sense::Station: return (b & entry.mask) != 0 ? 2 : 1;
    }
    return 0;
}

bool applies(When when, const PanelClasses& classes) {
    switch (when) {
        case When::Always: return true;
        case When::Slip: return classes.slip;
        case When::NotSlip: return !classes.slip;
        case When::Kiosk: return classes.kiosk;
        case When::NotKiosk: return !classes.kiosk;
        case When::NotNoDoor: return !classes.noDoor;
        case When::KioskFlag: return classes.kioskFlag;
    }
    return false;
}

const std::vector<PanelRule>& missingItemRules() { return kMissing; }
const std::vector<PanelRule>& onlineItemRules() { return kOnline; }

ButtonRule buttonRuleForType(long printerType) {
    for (const TypeButtons& row : kTypeButtons)
        if (contains(row.types, printerType)) return row.rule;
    return kOtherTypeButtons;
}

ButtonRule buttonRuleForIdentifier(std::string_view identifier) {
    for (const IdentifierButtons& row : kIdentifierButtons)
        if (contains(row.identifiers, identifier)) return row.rule;
    return kOtherIdentifierButtons;
}

}  // namespace diagnostics
