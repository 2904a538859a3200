#include "configuration/editor/SelectionFiles.h"

#include <cctype>

#include "configuration/ConfigurationModel.h"
#include "platform/Text.h"
#include "shell/IniFile.h"

namespace configuration {

std::string exportFileName(std::string_view chosen) {
    const std::size_t nameStart = chosen.find_last_of('/') == std::string_view::npos ? 0 : chosen.find_last_of('/') + 1;
    const std::size_t dot = chosen.find_last_of('.');
    // A dot that starts the name (".profile") begins no extension.
    if (dot != std::string_view::npos && dot > nameStart) chosen = chosen.substr(0, dot);
    return std::string(chosen) + ".ini";
}

std::string exportedText(std::string_view settingsText, std::string_view targetText, bool targetIsSettings) {
    std::string target(targetText);
    const std::string settings(settingsText);
    auto read = [&](std::string_view section, std::string_view key) {
        return shell::ReadIniText(targetIsSettings ? target : settings, section, key);
    };
    target = shell::UpdateIniText(target, "Printer", "Model", read("Configurations", "Model"));
    for (int category = 0; category < kCategoryCount; ++category) {
        const CategoryDefinition& c = categoryDefinition(category);
        for (int row = 0; row < c.rowCount; ++row) {
            const std::string flag = read(c.flagSection, flagKey(row));
            target = shell::UpdateIniText(target, c.flagSection, flagKey(row), flag.empty() ? "False" : flag);
            const char* key = c.valueKeys[static_cast<std::size_t>(row)].key;
            target = shell::UpdateIniText(target, c.valueSection, key, read(c.valueSection, key));
        }
    }
    return target;
}

std::vector<FlaggedRow> flaggedRows(std::string_view fileText) {
    std::vector<FlaggedRow> rows;
    for (int category = 0; category < kCategoryCount; ++category) {
        const CategoryDefinition& c = categoryDefinition(category);
        for (int row = 0; row < c.rowCount; ++row) {
            if (shell::ReadIniText(fileText, c.flagSection, flagKey(row)) != "True") continue;
            rows.push_back(
                {category, row, shell::ReadIniText(fileText, c.valueSection, c.valueKeys[static_cast<std::size_t>(row)].key)});
        }
    }
    return rows;
}

std::string wrongModelMessage(std::string_view fileModel) {
    if (fileModel.empty()) return "Not Importing the correct file";
    return "Not Importing the correct file," + std::string(fileModel) + " Printer Model Confiurations are saved in this file";
}

bool importableValue(std::string_view value, int optionCount, int& choice) {
    choice = -1;
    if (value.empty()) return true;
    if (value.size() > 4) return false;
    for (char ch : value)
        if (!std::isdigit(static_cast<unsigned char>(ch))) return false;
    choice = std::stoi(std::string(value));
    return choice < optionCount;
}

}  // namespace configuration
