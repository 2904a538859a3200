#include "configuration/apply/CommandLogFiles.h"

#include <filesystem>
#include <fstream>

#include "platform/Application.h"
#include "platform/RuntimeError.h"

namespace configuration {

namespace {

namespace fs = std::filesystem;

[[noreturn]] void raiseFileAccess() { platform::raiseError(platform::err::PathFileAccess); }

void removeIfPresent(const std::string& path) {
    std::error_code error;
    if (!fs::exists(fs::symlink_status(path, error))) return;
    if (!fs::remove(path, error) || error) raiseFileAccess();
}

}  // namespace

std::string CommandsWithoutRestartPath() { return platform::app().path() + "/CommandsWithoutRestart.bin"; }
std::string CommandsWithRestartPath() { return platform::app().path() + "/CommandsWithRestart.bin"; }

void DeleteCommandLogs() {
    removeIfPresent(CommandsWithoutRestartPath());
    removeIfPresent(CommandsWithRestartPath());
}

void CreateCommandLog(const std::string& path) { WriteCommandLog(path, {}); }

void WriteCommandLog(const std::string& path, const platform::Bytes& bytes) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    if (!file) raiseFileAccess();
    file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    file.close();
    if (!file) raiseFileAccess();
}

}  // namespace configuration
