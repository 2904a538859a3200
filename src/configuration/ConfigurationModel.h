// The configuration model that the configuration window's catalogue, editor
// and apply share: the five setting categories with the rows they use, the
// settings-file sections that hold the user's selections, every row's value
// key and the default written at each opening of the window.
//
// Pure constant data and lookups; nothing here blocks or touches a file.
#pragma once

#include <span>
#include <string>

#include "link/PrinterTypes.h"

namespace configuration {

// The number 0-4 of a setting category; the index of its category button.
enum SettingCategory : int {
    kCommunication = 0,
    kSoftware = 1,
    kHardware = 2,
    kCodePage = 3,
    kDoubleSided = 4,  // the form mode (one row) on the M27x
};
inline constexpr int kCategoryCount = 5;

// The window's rows, 0-16, shared by every category.
inline constexpr int kSettingRows = 17;

// Printer type codes the window treats apart.
using printerlink::k3695Type;
using printerlink::kM27xType;

// A row's value key and the option index written under it at each opening.
struct ValueKey {
    const char* key;
    int defaultIndex;
};

struct CategoryDefinition {
    SettingCategory category;
    int rowCount;
    const char* flagSection;   // "True"/"False" per row, keys "0".."n-1"
    const char* valueSection;  // the chosen option index per row, under its value key
    std::span<const ValueKey> valueKeys;
};

// The definition of category 0-4; any other number raises RuntimeError 9.
const CategoryDefinition& categoryDefinition(int category);

// The rows a category shows for a printer type: as its definition, except
// the form mode of the M27x, which has one.
int categoryRowCount(int category, long printerType);

// The flag key of a row: its index in decimal.
std::string flagKey(int row);

}  // namespace configuration
