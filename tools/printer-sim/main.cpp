// printer-sim: the simulated printer as a program, so a person can try the
// utility without hardware. It serves a loopback TCP port and/or a
// pseudo-terminal on the real clock until SIGINT or SIGTERM, then exits 0.
// Bad arguments: a message on stderr and exit 2; a port that cannot be
// served: a message and exit 1.
#include <arpa/inet.h>
#include <signal.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/loop/EventLoop.h"
#include "printer-sim/PrinterTypes.h"
#include "printer-sim/PtyAdapter.h"
#include "printer-sim/SimConsole.h"
#include "printer-sim/SimDeviceLines.h"
#include "printer-sim/SimPrinter.h"
#include "printer-sim/TcpListenerAdapter.h"

namespace {

const char* const kUsage =
    "usage: printer-sim [--tcp HOST:PORT] [--pty] [--type N] [--firmware TEXT] [--status HEX] [--set CONDITION]...\n"
    "                   [--clear CONDITION]... [--scan-image FILE] [--log FILE] [--paper] [--restart-time MS]\n"
    "                   [--reply-delay MS] [--noise N] [--skip N] [--split MS]\n"
    "  --tcp HOST:PORT  serve a TCP port (HOST a numeric IPv4 address or localhost; PORT 0 picks one)\n"
    "  --pty            serve a pseudo-terminal; its path is the first line printed: pty: /dev/pts/N\n"
    "  --type N         printer type 0-16 (default 0); types 9 and 15 answer the flash part number\n"
    "                   read (1D 49 40 33) with two lead bytes, 01 02, ahead of its code 33\n"
    "  --firmware TEXT  firmware version text (default 0398)\n"
    "  --status HEX     status byte answered to DLE EOT n (default 12)\n"
    "  --set CONDITION  start with a status condition on; --clear CONDITION: off (only drawer-open starts on)\n"
    "  --scan-image FILE  the 1-bpp bitmap file a check scan sends (default: a built-in check picture)\n"
    "  --log FILE       one line of hex per received chunk\n"
    "  --paper          print what goes on paper on standard output, one item a line\n"
    "  --restart-time MS  how long a restart (1D FF) keeps the link down (default 3000)\n"
    "  --reply-delay MS  wait MS milliseconds before every reply (default 2; 0-600000)\n"
    "  --noise N        send N random bytes a second unasked (0.01 to 1000; default none)\n"
    "  --skip N         leave the first N status requests unanswered (0-100000; default 0)\n"
    "  --split MS       answer the second half of the status requests written together MS milliseconds\n"
    "                   after the first half (0-600000; default 0)\n"
    "At least one of --tcp and --pty is needed. Stops on SIGINT or SIGTERM.\n"
    "While it runs, lines on standard input change the status: 'set CONDITION' or 'clear CONDITION';\n"
    "'tallies' (or an empty line) shows the ID items and tallies; 'config' the configuration it holds;\n"
    "and these change the slip station, the MICR reader, the check scanner and how the printer answers:\n";

const char* const kConditionsHeading = "Conditions: ";

struct Options {
    std::optional<std::string> tcpHost;
    int tcpPort = 0;
    bool pty = false;
    sim::SimConfig config;
    std::vector<std::pair<std::string, bool>> conditions;
    std::string scanImage;
    std::string logPath;
    bool paper = false;
    platform::Micros noise = 0;  // between two noise bytes; 0: none
    int skip = 0;  // status requests left unanswered at the start
};

struct BadArgument {
    std::string message;
};

int parseNumber(const std::string& text, int base, int max, const std::string& what) {
    if (text.empty() || text.size() > 6) throw BadArgument{what + ": '" + text + "' is not a number"};
    std::size_t used = 0;
    long value = -1;
    try {
        value = std::stol(text, &used, base);
    } catch (const std::exception&) {
        used = 0;
    }
    if (used != text.size() || value < 0 || value > max)
        throw BadArgument{what + ": '" + text + "' is not a number from 0 to " + std::to_string(max)};
    return static_cast<int>(value);
}

void parseTcp(const std::string& text, Options& options) {
    const auto colon = text.rfind(':');
    if (colon == std::string::npos || colon == 0) throw BadArgument{"--tcp: '" + text + "' is not HOST:PORT"};
    std::string host = text.substr(0, colon);
    if (host == "localhost") host = "127.0.0.1";
    in_addr address{};
    if (inet_pton(AF_INET, host.c_str(), &address) != 1)
        throw BadArgument{"--tcp: '" + host + "' is not a numeric IPv4 address"};
    options.tcpHost = host;
    options.tcpPort = parseNumber(text.substr(colon + 1), 10, 65535, "--tcp port");
}

std::uint8_t parseStatus(std::string text) {
    if (text.size() > 2 && (text.rfind("0x", 0) == 0 || text.rfind("0X", 0) == 0)) text.erase(0, 2);
    if (!text.empty() && (text.back() == 'h' || text.back() == 'H')) text.pop_back();
    if (text.empty() || text.size() > 2 || text.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos)
        throw BadArgument{"--status: give one byte in hex, such as 12"};
    return static_cast<std::uint8_t>(std::stoi(text, nullptr, 16));
}

std::string parseCondition(const std::string& option, const std::string& name) {
    sim::SimStatusModel probe;
    if (!sim::setCondition(probe, name, true)) throw BadArgument{option + ": '" + name + "' is no condition"};
    return name;
}

std::string parseScanImage(const std::string& path) {
    sim::SimScanner probe;
    std::string error;
    if (!sim::loadScanImage(probe, path, error)) throw BadArgument{"--scan-image: " + error};
    return path;
}

platform::Micros parseNoise(const std::string& text) {
    platform::Micros every = 0;
    if (!sim::parseNoiseRate(text, every))
        throw BadArgument{"--noise: '" + text + "' is no rate from 0.01 to 1000 bytes a second"};
    return every;
}

void printUsage(std::ostream& out) {
    out << kUsage << sim::kDeviceLinesHelp << kConditionsHeading;
    for (const std::string& name : sim::conditionNames()) out << name << ' ';
    out << '\n';
}

Options parseOptions(const std::vector<std::string>& args) {
    Options options;
    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string name = args[i];
        std::optional<std::string> inlineValue;
        if (const auto eq = name.find('='); name.rfind("--", 0) == 0 && eq != std::string::npos) {
            inlineValue = name.substr(eq + 1);
            name.erase(eq);
        }
        auto value = [&]() -> std::string {
            if (inlineValue) return *inlineValue;
            if (i + 1 >= args.size()) throw BadArgument{name + " needs a value"};
            return args[++i];
        };
        if (name == "--tcp")
            parseTcp(value(), options);
        else if (name == "--pty" && !inlineValue)
            options.pty = true;
        else if (name == "--type")
            options.config.printerType = parseNumber(value(), 10, sim::kPrinterTypeCount - 1, "--type");
        else if (name == "--firmware")
            options.config.firmware = value();
        else if (name == "--status")
            options.config.status = parseStatus(value());
        else if (name == "--set" || name == "--clear")
            options.conditions.emplace_back(parseCondition(name, value()), name == "--set");
        else if (name == "--scan-image")
            options.scanImage = parseScanImage(value());
        else if (name == "--log")
            options.logPath = value();
        else if (name == "--paper" && !inlineValue)
            options.paper = true;
        else if (name == "--restart-time")
            options.config.restartTime = 1000LL * parseNumber(value(), 10, 600000, "--restart-time");
        else if (name == "--reply-delay")
            options.config.replyDelay = 1000LL * parseNumber(value(), 10, 600000, "--reply-delay");
        else if (name == "--noise")
            options.noise = parseNoise(value());
        else if (name == "--skip")
            options.skip = parseNumber(value(), 10, 100000, "--skip");
        else if (name == "--split")
            options.config.splitDelay = 1000LL * parseNumber(value(), 10, 600000, "--split");
        else
            throw BadArgument{"unknown argument '" + args[i] + "'"};
    }
    if (!options.tcpHost && !options.pty) throw BadArgument{"nothing to serve: give --tcp HOST:PORT and/or --pty"};
    return options;
}

// SIGINT and SIGTERM arrive as a readable descriptor on the loop.
int signalDescriptor() {
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGINT);
    sigaddset(&set, SIGTERM);
    sigprocmask(SIG_BLOCK, &set, nullptr);
    return signalfd(-1, &set, SFD_NONBLOCK | SFD_CLOEXEC);
}

int serve(const Options& options) {
    const int signals = signalDescriptor();
    if (signals < 0) {
        std::cerr << "printer-sim: cannot watch signals: " << std::strerror(errno) << "\n";
        return 1;
    }
    std::ofstream log;
    if (!options.logPath.empty()) {
        log.open(options.logPath, std::ios::out | std::ios::trunc);
        if (!log) {
            std::cerr << "printer-sim: cannot write the log file " << options.logPath << "\n";
            return 1;
        }
    }

    platform::RealClock clock;
    platform::EventLoop loop(clock);
    platform::EventLoop::setCurrent(&loop);
    sim::LoopScheduler scheduler(loop);

    // One printer per link, alike in everything, so each link gets its
    // replies and its own restarts.
    std::vector<std::unique_ptr<sim::SimPrinter>> printers;
    auto makePrinter = [&]() -> sim::SimPrinter& {
        printers.push_back(std::make_unique<sim::SimPrinter>(scheduler, options.config));
        for (const auto& [condition, on] : options.conditions)
            sim::setCondition(printers.back()->status(), condition, on);
        std::string unreadable;
        if (!options.scanImage.empty()) sim::loadScanImage(printers.back()->scanner(), options.scanImage, unreadable);
        if (options.noise > 0) printers.back()->setNoise(options.noise);
        printers.back()->skipStatusReplies(options.skip);
        if (options.paper)
            printers.back()->paper().onItem = [](const sim::PaperItem& item) {
                std::cout << "paper: " << item.describe() << std::endl;
            };
        printers.back()->onLog = [&log](const sim::SimLogEntry& entry) {
            if (!log.is_open()) return;
            log << platform::hexBytes(entry.raw) << '\n';
            log.flush();
        };
        return *printers.back();
    };

    std::unique_ptr<sim::PtyAdapter> pty;
    std::unique_ptr<sim::TcpListenerAdapter> tcp;
    try {
        if (options.pty) pty = std::make_unique<sim::PtyAdapter>(makePrinter(), loop);
        if (options.tcpHost)
            tcp = std::make_unique<sim::TcpListenerAdapter>(makePrinter(), loop, *options.tcpHost, options.tcpPort);
    } catch (const std::exception& e) {
        std::cerr << "printer-sim: " << e.what() << "\n";
        return 1;
    }
    if (pty) std::cout << "pty: " << pty->slavePath() << std::endl;
    if (tcp) std::cout << "tcp: " << *options.tcpHost << ":" << tcp->port() << std::endl;

    sim::SimConsole console(loop, STDIN_FILENO, [&] {
        std::vector<sim::SimPrinter*> all;
        for (const auto& printer : printers) all.push_back(printer.get());
        return all;
    }, std::cout);
    loop.watch(signals, platform::IoRead, [&](unsigned) {
        signalfd_siginfo info{};
        while (::read(signals, &info, sizeof info) == static_cast<ssize_t>(sizeof info)) loop.quit();
    });
    loop.run();

    tcp.reset();
    pty.reset();
    ::close(signals);
    platform::EventLoop::setCurrent(nullptr);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() == 1 && (args[0] == "--help" || args[0] == "-h")) {
        printUsage(std::cout);
        return 0;
    }
    Options options;
    try {
        options = parseOptions(args);
    } catch (const BadArgument& bad) {
        std::cerr << "printer-sim: " << bad.message << "\n";
        printUsage(std::cerr);
        return 2;
    }
    return serve(options);
}
