// The two command log files in the application folder,
// "CommandsWithoutRestart.bin" and "CommandsWithRestart.bin": each apply
// run deletes both before it asks, creates the first once the user said
// Yes, and writes each whole as one byte array. Nothing reads them back.
//
// A file that cannot be deleted, created or written raises
// platform::RuntimeError 75 (path/file access), which the run reports.
// Nothing blocks beyond the file system.
#pragma once

#include <string>

#include "platform/Text.h"

namespace configuration {

std::string CommandsWithoutRestartPath();
std::string CommandsWithRestartPath();

// Deletes both files where they exist.
void DeleteCommandLogs();
// Creates the file empty (or empties it).
void CreateCommandLog(const std::string& path);
// Replaces the file's contents with the bytes.
void WriteCommandLog(const std::string& path, const platform::Bytes& bytes);

}  // namespace configuration
