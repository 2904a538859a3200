// The utility's own settings file store ("DuRudo.ini" in the application
// folder): CR LF separated lines, "[Section]" headers and "Key=Value"
// settings, section names and keys matched without regard to case. A lone
// CR or LF in a file made elsewhere ends a line as well; what is written
// always has CR LF.
//
// ReadIniValue and WriteIniValue are the only way any window touches the
// file; nothing is cached, every call reads the file afresh. Both create a
// missing file and make a read-only one writable first. They never throw: a
// file that cannot be created, read or written ends in the run-time error
// report (ReportRuntimeError) and the read gives the empty text, the write
// leaves the file as it stood. A write goes to a temporary file beside the
// settings file (temporaryIniPath) that is then renamed over it, so a failed
// write never leaves a half-written file; a temporary file a failed write
// could not remove is replaced by the next write. Both may show a modal
// message box (and so run the event loop nested) only when an error is
// reported. Writing the same value again gives the same file.
//
// ReadIniText and UpdateIniText are the pure text rules behind the two and
// never touch a file.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace shell {

// The value of `Variable` in section `KEY`, or the empty text when the
// section or the key is missing.
std::string ReadIniValue(const std::string& INIpath, const std::string& KEY, const std::string& Variable);

// Sets `PutVariable` to `PutValue` in section `PutKey`, adding the key and
// the section when they are missing.
void WriteIniValue(const std::string& INIpath, const std::string& PutKey, const std::string& PutVariable,
                   const std::string& PutValue);

// Several keys of one section, set in the given order: the file ends up with
// the same bytes as after one WriteIniValue per key, but it is replaced once,
// and a file error is reported once.
using IniSettings = std::vector<std::pair<std::string, std::string>>;
void writeIniValues(const std::string& path, const std::string& section, const IniSettings& settings);

// The same operations on the file's contents.
std::string ReadIniText(std::string_view fileText, std::string_view section, std::string_view key);
std::string UpdateIniText(std::string_view fileText, std::string_view section, std::string_view key,
                          std::string_view value);

// The temporary file a write of the settings file at `path` goes through:
// the same name followed by ".tmp".
std::string temporaryIniPath(const std::string& path);

// Any file written whole the way the settings file is: through the temporary
// file beside it, renamed over it when complete. The file ends up with all
// of `contents` or as it was, a missing file still missing; a failure raises
// the file access error.
void writeWholeFileOrThrow(const std::string& path, std::string_view contents);

// Throwing forms of the file operations (platform::RuntimeError), for code
// that reports the error itself.
std::string readIniValueOrThrow(const std::string& path, const std::string& section, const std::string& key);
void writeIniValueOrThrow(const std::string& path, const std::string& section, const std::string& key,
                          const std::string& value);
void writeIniValuesOrThrow(const std::string& path, const std::string& section, const IniSettings& settings);

// The whole file, for code that works on many keys at once with ReadIniText
// and UpdateIniText. With createMissing the file is prepared as ReadIniValue
// prepares it (created empty, made writable); without, a missing file reads
// as nothing and the file is left as it is.
std::optional<std::string> readIniFileOrThrow(const std::string& path, bool createMissing);
// Replaces the whole file with `text` as one write does: made writable
// first; if the write fails, the old contents stay whole and a file that
// was missing stays missing.
void writeIniFileOrThrow(const std::string& path, std::string_view text);
// Whether two paths name the same file (links followed; a missing file is
// the same only as the same path).
bool sameIniFile(const std::string& a, const std::string& b);

}  // namespace shell
