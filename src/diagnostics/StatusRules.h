// The status panel's rules as data: which indicator each reply bit sets, per
// reply kind; which model classes a printer belongs to, by printer type or by
// model identifier; which panel items a model lacks and which follow the
// link's online state; and which test buttons each printer type or model
// identifier has. The diagnostics window interprets them; nothing here
// touches a window or the link. Pure, constant data; nothing blocks.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "link/PrinterCommands.h"
#include "link/PrinterTypes.h"

namespace diagnostics {

// ---- Model classes ----
using printerlink::isSlipType;
using printerlink::kM27xType;

enum class ModelClass { Slip, Kiosk, Scan, NoDoor };

// What a rule knows of the connected model: its printer type (-1 when the
// rule does not go by type) and the model identifiers it goes by (empty
// when it goes by type alone). A model is of a class when either matches.
struct ModelFacts {
    long printerType = -1;
    std::vector<std::string> identifiers;
};
bool isOfClass(ModelClass modelClass, const ModelFacts& facts);

// ---- Reply bits to indicators ----
enum class Reply { GsEot1, GsEot2, GsEot3, GsEot4, GsEot5, DleEm1, DleEm2, EscVLan, EscVUsb, EscVUsbHeader, EscU };

enum class Sense {
    Set,      // 1 when a bit of the mask is 1
    Clear,    // 1 when a bit of the mask is 0
    Zero,     // always 0
    Station,  // 2 ("Receipt") when the bit is 1, 1 ("Slip") when it is 0
};

struct IndicatorEntry {
    int index;  // StatusIndex 1-29
    std::uint8_t mask;
    Sense sense;
    bool slipOnly;  // applied only for a model of the slip class
};

// The entries of one reply, in the order they are applied.
const std::vector<IndicatorEntry>& replyEntries(Reply reply);
int indicatorState(const IndicatorEntry& entry, std::uint8_t b);

// The reply kinds by their fixed bits.
using printerlink::isDleEmReply;
using printerlink::isEscReply;
using printerlink::isGsEotReply;

// The status poll asks GS EOT 1 to 4, and GS EOT 5 too on a slip printer:
// as many replies, one per row.
inline int statusPollRows(long printerType) { return printerlink::isSlipType(printerType) ? 5 : 4; }

// ---- Panel items by model ----
enum class PanelItem { Indicator, PaperGroup, PrinterGroup, ErrorGroup, KioskGroup, StationLabel, StationText };
enum class When { Always, Slip, NotSlip, Kiosk, NotKiosk, NotNoDoor, KioskFlag };

struct PanelRule {
    PanelItem item;
    int index;  // StatusIndex for PanelItem::Indicator
    When when;
};

struct PanelClasses {
    bool slip = false, kiosk = false, noDoor = false;
    bool kioskFlag = false;  // the main window's bKiosk
};
bool applies(When when, const PanelClasses& classes);

// Items disabled when the window loads, each when its condition holds.
const std::vector<PanelRule>& missingItemRules();
// Items whose Enabled follows the link's online state, each when its
// condition holds; the others are left as they are.
const std::vector<PanelRule>& onlineItemRules();

// ---- Test buttons ----
// Receipt, diagnostic form, logo download and two colour follow the online
// state for every model; these four groups depend on the model.
enum class ButtonState { Online, Off, Untouched };
struct ButtonRule {
    ButtonState drawer, twoSide, slipMicrFlip, checkScan;
};
ButtonRule buttonRuleForType(long printerType);
ButtonRule buttonRuleForIdentifier(std::string_view identifier);

}  // namespace diagnostics
