// The printers' USB identities: which product IDs are printers, what model
// each one is, and which model flags it carries. Pure lookups over text; no
// I/O, nothing blocks.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace printerlink {

inline constexpr std::string_view kAnyHidProduct = "Any HID USB POS Printer";

// The model flags a USB HID printer's product ID and model text imply.
struct HidModelFlags {
    bool b2stFlag = false;
    bool bKiosk = false;
    bool bNoSlipMICR = false;
    bool bFontType = false;
    bool bSSC06 = false;
};

// A product text "VID_1B7D&PID_xxxx" (letter case ignored) names a printer.
bool isPrinterProduct(std::string_view productText);

// Flags from the product lists and from the model text; the product text in
// the "VID_1B7D&PID_xxxx" form.
HidModelFlags modelFlagsForProduct(std::string_view productText);

// Model identifier and model text (with its leading blank) for the exact
// identifier text "VID_1B7D&PID_xxxx"; false for any other text.
bool printerNameForProduct(std::string_view identifier, std::string& anyAhpiPrinter, std::string& modelText);

// Model texts of two-station printers, as the discovery code lists them.
bool isTwoStationModelText(std::string_view modelText);
// Model texts of printers without slip station and MICR reader.
bool isNoSlipModelText(std::string_view modelText);

// "vid_1B7D&pid_xxxx" for a product name of the connection dialog; false
// when the name has no entry.
bool vidPidForProductName(std::string_view productName, std::string& vidPid);

// Every product text of the lists above: the model identifiers discovery
// stores in m_AnyAHPIPrinter and the product names of vidPidForProductName.
std::vector<std::string_view> knownProductTexts();

}  // namespace printerlink
