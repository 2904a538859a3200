#include "platform/Application.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <ctime>
#include <filesystem>
#include <functional>

#include "platform/loop/Clock.h"

namespace platform {

namespace {
std::string executableFolder() {
    std::error_code ec;
    auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec) return std::filesystem::current_path(ec).string();
    return exe.parent_path().string();
}
}  // namespace

Application::Application() : path_(executableFolder()) {}

Application::~Application() {
    if (lockFd_ >= 0) close(lockFd_);
}

int Application::major() const { return POS_VERSION_MAJOR; }
int Application::minor() const { return POS_VERSION_MINOR; }
int Application::revision() const { return POS_VERSION_REVISION; }

bool Application::previousInstance() {
    if (lockFd_ >= 0) return false;
    // One lock per user and application folder, kept outside the folder
    // because an installed program's folder may not be writable.
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    std::string dir = (runtime && *runtime) ? runtime : "/tmp";
    const auto key = std::hash<std::string>{}(path_);
    const std::string lockPath =
        dir + "/" + title_ + "-" + std::to_string(getuid()) + "-" + std::to_string(key) + ".lock";
    int fd = open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) return false;  // no lock possible: do not refuse to start
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        close(fd);
        return true;
    }
    lockFd_ = fd;
    return false;
}

void Application::messageBeep(int style) {
    if (beepHook) beepHook(style);
}

LocalTime Application::localTime() const {
    std::int64_t micros;
    if (clock_) {
        micros = clock_->wallMicros();
    } else {
        RealClock rc;
        micros = rc.wallMicros();
    }
    const std::time_t secs = static_cast<std::time_t>(micros / 1000000);
    std::tm tm{};
    if (clock_ && clock_->isVirtual()) gmtime_r(&secs, &tm);  // tests want the same answer everywhere
    else localtime_r(&secs, &tm);
    return LocalTime{tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec,
                     static_cast<int>((micros / 1000) % 1000)};
}

Application& app() {
    static Application instance;
    return instance;
}

}  // namespace platform
