#include "printer-sim/SimConsole.h"

#include <unistd.h>

#include <cerrno>

#include "printer-sim/SimConfigurationCommands.h"
#include "printer-sim/SimDeviceLines.h"
#include "printer-sim/SimPrinter.h"
#include "printer-sim/SimStatus.h"
#include "printer-sim/SimTally.h"

namespace sim {

namespace {

// A slip, MICR or scanner line, applied to every printer.
bool applyDeviceLines(const std::string& line, const std::vector<SimPrinter*>& printers, std::string& error) {
    bool deviceLine = false;
    for (SimPrinter* printer : printers) deviceLine = applyDeviceLine(*printer, line, error) || deviceLine;
    return deviceLine;
}

}  // namespace

void runConsoleLine(const std::string& line, const std::vector<SimPrinter*>& printers, std::ostream& out) {
    std::string word = line;
    while (!word.empty() && (word.back() == '\r' || word.back() == ' ')) word.pop_back();
    while (!word.empty() && word.front() == ' ') word.erase(word.begin());
    const auto blank = word.find(' ');
    const std::string verb = word.substr(0, blank);
    const std::string name = blank == std::string::npos ? "" : word.substr(blank + 1);
    if (word.empty() || word == "tallies") {
        for (const SimPrinter* printer : printers) out << describeTallies(*printer);
    } else if (word == "config") {
        for (const SimPrinter* printer : printers) out << describeConfiguration(*printer);
    } else if (std::string error; applyDeviceLines(word, printers, error)) {
        if (!error.empty()) out << "printer-sim: " << error << "\n";
    } else if (verb == "set" || verb == "clear") {
        bool known = true;
        for (SimPrinter* printer : printers) known = setCondition(printer->status(), name, verb == "set") && known;
        if (!known) out << "printer-sim: '" << name << "' is no condition\n";
    } else {
        out << "printer-sim: unknown line '" << word << "'; known: set NAME, clear NAME, tallies, config, "
               "delay MS, silent, answer, noise N|off, skip N, split MS, late HEX.. MS, lose HEX.. and the lines of "
               "--help\n";
    }
    out.flush();
}

SimConsole::SimConsole(platform::EventLoop& loop, int fd, std::function<std::vector<SimPrinter*>()> printers,
                       std::ostream& out)
    : loop_(loop), fd_(fd), printers_(std::move(printers)), out_(out) {
    watch_ = loop_.watch(fd_, platform::IoRead, [this](unsigned) { onReady(); });
}

SimConsole::~SimConsole() { stop(); }

void SimConsole::stop() {
    if (watch_ != 0) loop_.unwatch(watch_);
    watch_ = 0;
}

void SimConsole::onReady() {
    char buffer[512];
    const ssize_t n = ::read(fd_, buffer, sizeof buffer);
    if (n < 0 && (errno == EINTR || errno == EAGAIN)) return;
    if (n <= 0) {
        stop();
        return;
    }
    partial_.append(buffer, static_cast<std::size_t>(n));
    for (std::size_t end; (end = partial_.find('\n')) != std::string::npos;) {
        runConsoleLine(partial_.substr(0, end), printers_(), out_);
        partial_.erase(0, end + 1);
    }
}

}  // namespace sim
