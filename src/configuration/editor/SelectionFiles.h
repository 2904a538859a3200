// The text rules of the configuration window's file work: exporting the
// selections of the five categories with the printer model to a file of the
// user's, and reading such a file back for the same model.
//
// An exported file has the settings file's format: section [Printer] with
// the model text, then each category's flag and value sections under the
// settings file's own names and keys. The export is built in memory from
// the files' texts, so that it is written once: the target holds either its
// old contents or the whole export, never a part of it.
//
// Pure functions over texts; nothing blocks or touches a file.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace configuration {

// The name an export is saved under: the name's extension replaced by
// ".ini", or ".ini" added to a name without one ("a.txt" -> "a.ini",
// "a.INI" -> "a.ini", "backup" -> "backup.ini").
std::string exportFileName(std::string_view chosen);

// The target's text after the export, byte for byte what these writes of
// the settings-file writer leave, in this order: [Printer] Model from
// [Configurations] Model; then for each category (communication, software,
// hardware, code page, two-sided) and each of its rows, the row's flag
// ("False" when the settings file has none) and the row's value (empty when
// it has none). The reads see `settingsText`; when the target is the
// settings file itself they see the target as the writes before them left it.
std::string exportedText(std::string_view settingsText, std::string_view targetText, bool targetIsSettings);

// A row that an exported file marks as selected (its flag is exactly
// "True"), with its value text as the file holds it.
struct FlaggedRow {
    int category = 0;
    int row = 0;
    std::string value;
};
// In the import's order: category by category, row by row.
std::vector<FlaggedRow> flaggedRows(std::string_view fileText);

// The message that refuses a file made for another model ("" in the file:
// no model at all).
std::string wrongModelMessage(std::string_view fileModel);

// A stored value a row of `optionCount` options can take: the empty text (no
// choice stored: the list keeps its own) or a whole number 0 to count - 1.
// `choice` is -1 for the empty text.
bool importableValue(std::string_view value, int optionCount, int& choice);

}  // namespace configuration
