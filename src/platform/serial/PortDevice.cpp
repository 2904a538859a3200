#include "platform/serial/PortDevice.h"

#include <sys/stat.h>

#include <fstream>

namespace platform {

namespace {
constexpr int kBuiltInPorts = 16;
// A port file holds one path; anything longer is not one.
constexpr std::size_t kPortFileLimit = 4096;
}  // namespace

std::string portName(int port) { return "COM" + std::to_string(port); }

std::string defaultPortDevice(int port) {
    if (port < 1 || port > kBuiltInPorts) return {};
    return "/dev/ttyS" + std::to_string(port - 1);
}

std::string deviceFromPortFile(std::string_view content) {
    std::string_view line = content.substr(0, content.find('\n'));
    auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
    while (!line.empty() && blank(line.front())) line.remove_prefix(1);
    while (!line.empty() && blank(line.back())) line.remove_suffix(1);
    if (line.empty()) return {};
    if (line.front() != '/') return "/dev/" + std::string(line);
    return std::string(line);
}

std::string portDevice(int port, const std::string& appFolder) {
    std::string override = appFolder + "/ports/" + portName(port);
    struct stat info {};
    if (::lstat(override.c_str(), &info) != 0) return defaultPortDevice(port);
    if (!S_ISREG(info.st_mode)) return override;  // a link or a device node: open it as it is

    std::ifstream file(override, std::ios::binary);
    std::string content(kPortFileLimit, '\0');
    file.read(content.data(), static_cast<std::streamsize>(content.size()));
    content.resize(static_cast<std::size_t>(file.gcount()));
    return deviceFromPortFile(content);
}

}  // namespace platform
