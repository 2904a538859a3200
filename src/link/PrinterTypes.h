// The printer type codes and the classes of printers the utility tells
// apart by them. A printer type code is the index of the model in the
// model list (0-16); the link holds it as PrinterType() (-1 while closed),
// the connection dialog as its PrinterModel, the settings file under key
// "PrinterModel". Every window and the link name a type through the
// constants below and ask for a class through the predicates below; the
// model identifiers of each type are in ModelIdentifiers.h.
//
// The classes are what the code relies on today; they overlap and they do
// not all agree with the models' descriptions (the two-sided test prints
// on fewer models than have the two-sided settings), so a rule that needs
// a set of its own names its types rather than stretching a class.
// Constant data and pure functions; nothing blocks.
#pragma once

#include <initializer_list>

namespace printerlink {

// The constants are named after the model list's entries ("3640-x035",
// "3720-2ST", "M27x", ...).
inline constexpr long k3640Type = 0;
inline constexpr long k3640x035Type = 1;
inline constexpr long k3640_5xxxType = 2;
inline constexpr long k3650Type = 3;
inline constexpr long k3650_5xxxType = 4;
inline constexpr long k3680Type = 5;
inline constexpr long k3680_5xxxType = 6;
inline constexpr long k3690Type = 7;
inline constexpr long k3690xx4xType = 8;
inline constexpr long k3720_2stType = 9;
inline constexpr long kR806Type = 10;
inline constexpr long kR807Type = 11;
inline constexpr long kR809Type = 12;
inline constexpr long k3740R801Type = 13;
inline constexpr long kM27xType = 14;
inline constexpr long k3720_1stType = 15;
inline constexpr long k3695Type = 16;

inline constexpr long kLastPrinterType = k3695Type;
inline constexpr int kPrinterTypeCount = static_cast<int>(kLastPrinterType) + 1;

// A code of one of the models; false for -1 (no printer) and any other code.
constexpr bool isPrinterType(long type) { return type >= 0 && type <= kLastPrinterType; }

constexpr bool typeIsOneOf(long type, std::initializer_list<long> types) {
    for (long member : types)
        if (member == type) return true;
    return false;
}

// The models with an impact slip station (3640, 3640-x035, 3640-5xxx/6xxx,
// 3650, 3650-5xxx): the slip tests, the station commands and the slip rows
// of the status panel are theirs.
constexpr bool isSlipType(long type) { return type >= k3640Type && type <= k3650_5xxxType; }

// The slip models with a check scanner (3640-x035, 3650-5xxx).
constexpr bool isScanType(long type) { return type == k3640x035Type || type == k3650_5xxxType; }

// The kiosk printers (3720-2ST, 3720-1ST, R806, R807, R809, M27x): the
// status panel's kiosk rows are theirs.
constexpr bool isKioskType(long type) {
    return typeIsOneOf(type, {k3720_2stType, k3720_1stType, kR806Type, kR807Type, kR809Type, kM27xType});
}

// The two 3720 kiosk printers (one and two stations): the status panel's
// class without a cover, the configuration's kiosk group, and the models
// that answer a few tally and ID item reads in their own way.
constexpr bool is3720Type(long type) { return type == k3720_2stType || type == k3720_1stType; }

// The models with a two-sided settings category (3650, 3650-5xxx, 3690,
// 3720-2ST, R809); the M27x shows its form mode there instead.
constexpr bool isTwoSidedType(long type) {
    return typeIsOneOf(type, {k3650Type, k3650_5xxxType, k3690Type, k3720_2stType, kR809Type});
}

}  // namespace printerlink
