#include "shell/IniFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <vector>

#include "platform/RuntimeError.h"
#include "platform/Text.h"
#include "shell/RuntimeErrorReport.h"

namespace shell {

namespace {

constexpr std::string_view kCrLf = "\r\n";

[[noreturn]] void raiseFileAccess() { platform::raiseError(platform::err::PathFileAccess); }

// A line ends at CR LF, at a lone CR, at a lone LF or at the end of the text.
// The store itself writes CR LF only; a file edited or made with other line
// ends (a Linux editor writes LF) must read as the same lines, and the
// writer must see the lines the reader sees.
std::vector<std::string_view> splitLines(std::string_view text) {
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find_first_of("\r\n", start);
        if (end == std::string_view::npos) {
            lines.push_back(text.substr(start));
            break;
        }
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
        if (text[end] == '\r' && start < text.size() && text[start] == '\n') ++start;
    }
    return lines;
}

// The text with every line end made CR LF; a file that has CR LF only comes
// back unchanged, byte for byte.
std::string withCrLfLineEnds(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    // Line by line, not byte by byte: every setting written goes through here.
    std::size_t i = 0;
    while (i < text.size()) {
        const std::size_t end = std::min(text.find_first_of("\r\n", i), text.size());
        out.append(text.substr(i, end - i));
        if (end == text.size()) break;
        out += kCrLf;
        i = end + (text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n' ? 2 : 1);
    }
    return out;
}

// A setting is one line: a line break in a value would end it early and make
// the rest a line of its own (another key, even a section). What the reader
// could give back, the text before the first line break, is what is stored.
std::string_view firstLineOf(std::string_view value) { return value.substr(0, value.find_first_of("\r\n")); }

void replaceAll(std::string& text, std::string_view from, std::string_view to) {
    std::string out;
    std::size_t pos = 0;
    for (std::size_t hit; (hit = text.find(from, pos)) != std::string::npos; pos = hit + from.size()) {
        out.append(text, pos, hit - pos);
        out.append(to);
    }
    out.append(text, pos, std::string::npos);
    text = std::move(out);
}

// The three texts joined. (Also keeps GCC 12's optimiser from warning
// falsely about overlapping copies in a chain of string additions.)
std::string joined(std::string_view a, std::string_view b, std::string_view c) {
    std::string out;
    out.reserve(a.size() + b.size() + c.size());
    out.append(a).append(b).append(c);
    return out;
}

bool isControlOrBlankLine(char c) { return static_cast<unsigned char>(c) <= 13; }

// The file the settings live in; a symbolic link is followed so that the
// rename of a write replaces the file and not the link.
std::string resolvedPath(const std::string& path) {
    char buffer[PATH_MAX];
    if (::realpath(path.c_str(), buffer) != nullptr) return buffer;
    return path;
}

// Creates the file, empty, when it is missing and gives its owner the write
// permission when it lacks it, as every read and write of the store does first.
void prepareFile(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        if (errno != ENOENT) raiseFileAccess();
        int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0666);
        if (fd < 0) raiseFileAccess();
        ::close(fd);
        return;
    }
    if (!S_ISREG(st.st_mode)) raiseFileAccess();
    if ((st.st_mode & S_IWUSR) == 0 && ::chmod(path.c_str(), (st.st_mode & 07777) | S_IWUSR) != 0)
        raiseFileAccess();
}

// A settings file is a few kilobytes. Whatever is far larger (a disk image
// picked in the import dialog) is refused before it is read whole, rather than
// exhausting memory.
constexpr std::size_t kMaxIniFileSize = 16u << 20;

std::string readWholeFile(const std::string& path) {
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) raiseFileAccess();
    std::string text;
    char buffer[8192];
    for (;;) {
        ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR) continue;
            ::close(fd);
            raiseFileAccess();
        }
        if (n == 0) break;
        text.append(buffer, static_cast<std::size_t>(n));
        if (text.size() > kMaxIniFileSize) {
            ::close(fd);
            platform::raiseError(platform::err::OutOfMemory);
        }
    }
    ::close(fd);
    return text;
}

bool writeAll(int fd, std::string_view data) {
    while (!data.empty()) {
        ssize_t n = ::write(fd, data.data(), data.size());
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        data.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

// Writes the new contents to the temporary file and renames it over the old
// file: whatever fails on the way, the old file stays whole. A temporary
// file that a failed write could not remove (the folder or the file system
// turned read-only) has the same name, so the next write replaces it or
// takes it away.
void replaceFile(const std::string& path, std::string_view contents) {
    struct stat st {};
    mode_t mode = 0666 & ~0022;
    if (::stat(path.c_str(), &st) == 0) mode = (st.st_mode & 07777) | S_IWUSR;

    const std::string temp = temporaryIniPath(path);
    ::unlink(temp.c_str());
    int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0) raiseFileAccess();
    bool ok = ::fchmod(fd, mode) == 0 && writeAll(fd, contents) && ::fsync(fd) == 0;
    ok = (::close(fd) == 0) && ok;
    if (!ok || ::rename(temp.c_str(), path.c_str()) != 0) {
        ::unlink(temp.c_str());
        raiseFileAccess();
    }
}

}  // namespace

std::string temporaryIniPath(const std::string& path) { return path + ".tmp"; }

void writeWholeFileOrThrow(const std::string& path, std::string_view contents) {
    replaceFile(resolvedPath(path), contents);
}

std::string ReadIniText(std::string_view fileText, std::string_view section, std::string_view key) {
    const std::string header = joined("[", platform::toLowerAscii(section), "]");
    const std::string pattern = platform::toLowerAscii(key) + "=";
    bool inSection = false;
    for (std::string_view line : splitLines(fileText)) {
        const std::string low = platform::toLowerAscii(line);
        const bool hasBracket = low.find('[') != std::string::npos;
        if (hasBracket) inSection = false;
        if (low == header) inSection = true;
        if (hasBracket || !inSection) continue;
        if (low.starts_with(pattern)) return std::string(line.substr(pattern.size()));
    }
    return {};
}

std::string UpdateIniText(std::string_view fileText, std::string_view section, std::string_view key,
                          std::string_view value) {
    const std::string endMark = "[]";
    std::string text = std::string(kCrLf) + withCrLfLineEnds(fileText);
    // A header on the last line must end like every other, or it is not
    // found and the section is added a second time.
    if (!text.ends_with(kCrLf)) text += kCrLf;
    text += endMark;
    const std::string low = platform::toLowerAscii(text);
    const std::string setting = std::string(key) + "=" + std::string(firstLineOf(value));

    const std::string header = joined("\r\n[", platform::toLowerAscii(section), "]\r");
    const std::size_t p = low.find(header);
    text.resize(text.size() - endMark.size());
    if (p == std::string::npos) {
        text += "\r\n\r\n[" + std::string(section) + "]\r\n" + setting;
    } else {
        const std::size_t afterHeader = p + header.size();
        const std::size_t q = low.find('[', afterHeader);
        const std::size_t k = low.find(joined("\n", platform::toLowerAscii(key), "="), p);
        if (k == std::string::npos || k > q) {
            // Right after the header line, behind its CR LF.
            std::size_t at = afterHeader;
            if (at < text.size() && text[at] == '\n') ++at;
            text.insert(at, setting + "\r\n");
        } else {
            const std::size_t from = k + 1;
            std::size_t to = text.find('\r', from);
            if (to == std::string::npos) to = text.size();
            text.replace(from, to - from, setting);
        }
    }

    text.erase(0, 1);
    while (text.find("\r\n\r\n\r\n") != std::string::npos) replaceAll(text, "\r\n\r\n\r\n", "\r\n\r\n");
    while (!text.empty() && isControlOrBlankLine(text.back())) text.pop_back();
    std::size_t first = 0;
    while (first < text.size() && isControlOrBlankLine(text[first])) ++first;
    text.erase(0, first);
    return text + std::string(kCrLf);
}

std::string readIniValueOrThrow(const std::string& path, const std::string& section, const std::string& key) {
    prepareFile(path);
    return ReadIniText(readWholeFile(path), section, key);
}

void writeIniValueOrThrow(const std::string& path, const std::string& section, const std::string& key,
                          const std::string& value) {
    writeIniValuesOrThrow(path, section, {{key, value}});
}

void writeIniValuesOrThrow(const std::string& path, const std::string& section, const IniSettings& settings) {
    prepareFile(path);
    const std::string target = resolvedPath(path);
    std::string text = readWholeFile(target);
    for (const auto& [key, value] : settings) text = UpdateIniText(text, section, key, value);
    replaceFile(target, text);
}

std::optional<std::string> readIniFileOrThrow(const std::string& path, bool createMissing) {
    if (createMissing) {
        prepareFile(path);
        return readWholeFile(path);
    }
    // A file that is only read keeps its permissions.
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        if (errno == ENOENT) return std::nullopt;
        raiseFileAccess();
    }
    if (!S_ISREG(st.st_mode)) raiseFileAccess();
    return readWholeFile(path);
}

// A missing file is not created first: a write that then failed (a full
// disk) would leave an empty file where there was none.
void writeIniFileOrThrow(const std::string& path, std::string_view text) {
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0) prepareFile(path);
    replaceFile(resolvedPath(path), text);
}

bool sameIniFile(const std::string& a, const std::string& b) {
    struct stat sa {}, sb {};
    if (::stat(a.c_str(), &sa) == 0 && ::stat(b.c_str(), &sb) == 0) return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
    return resolvedPath(a) == resolvedPath(b);
}

std::string ReadIniValue(const std::string& INIpath, const std::string& KEY, const std::string& Variable) {
    try {
        return readIniValueOrThrow(INIpath, KEY, Variable);
    } catch (const platform::RuntimeError& e) {
        ReportRuntimeError(e);
        return {};
    }
}

void WriteIniValue(const std::string& INIpath, const std::string& PutKey, const std::string& PutVariable,
                   const std::string& PutValue) {
    writeIniValues(INIpath, PutKey, {{PutVariable, PutValue}});
}

void writeIniValues(const std::string& path, const std::string& section, const IniSettings& settings) {
    try {
        writeIniValuesOrThrow(path, section, settings);
    } catch (const platform::RuntimeError& e) {
        ReportRuntimeError(e);
    }
}

}  // namespace shell
