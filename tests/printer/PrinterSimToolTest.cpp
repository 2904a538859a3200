// printer-sim as a program: started as a child process and talked to over a
// plain socket and its pseudo-terminal, on the real clock. Every wait is a
// poll() bounded by a deadline, so a fault fails the test instead of
// hanging it.
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/Text.h"

namespace {

using platform::Bytes;
using Clock = std::chrono::steady_clock;

constexpr int kWaitMs = 5000;
const Bytes kFirmwareRequest{0x1D, 0x49, 0x40, 0xA3};
const Bytes kFirmwareReply{0xA3, 0x30, 0x33, 0x39, 0x38, 0x0D};

int msLeft(Clock::time_point deadline) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left > 0 ? static_cast<int>(left) : 0;
}

// Reads until `n` bytes came, the peer closed, or the time ran out.
Bytes readBytes(int fd, std::size_t n, int ms = kWaitMs) {
    const auto deadline = Clock::now() + std::chrono::milliseconds(ms);
    Bytes out;
    while (out.size() < n) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, msLeft(deadline)) <= 0) break;
        std::uint8_t buffer[256];
        const ssize_t got = ::read(fd, buffer, std::min(sizeof buffer, n - out.size()));
        if (got <= 0) break;
        out.insert(out.end(), buffer, buffer + got);
    }
    return out;
}

std::string readLine(int fd) {
    std::string line;
    for (;;) {
        const Bytes c = readBytes(fd, 1);
        if (c.empty() || c[0] == '\n') return line;
        line += static_cast<char>(c[0]);
    }
}

std::string readAll(int fd) {
    const Bytes all = readBytes(fd, 1 << 16);
    return std::string(all.begin(), all.end());
}

class Child {
public:
    explicit Child(const std::vector<std::string>& args) {
        int out[2], err[2];
        if (::pipe2(out, O_CLOEXEC) != 0 || ::pipe2(err, O_CLOEXEC) != 0) return;
        pid_ = ::fork();
        if (pid_ == 0) {
            ::dup2(out[1], 1);
            ::dup2(err[1], 2);
            std::vector<char*> argv{const_cast<char*>(PRINTER_SIM_PATH)};
            for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
            argv.push_back(nullptr);
            ::execv(PRINTER_SIM_PATH, argv.data());
            ::_exit(127);
        }
        ::close(out[1]);
        ::close(err[1]);
        out_ = out[0];
        err_ = err[0];
    }
    ~Child() {
        if (pid_ > 0 && !reaped_) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
        ::close(out_);
        ::close(err_);
    }
    int out() const { return out_; }
    int err() const { return err_; }
    void signal(int sig) { ::kill(pid_, sig); }

    // The exit code, or -1 when the child did not exit normally in time.
    int exitCode() {
        const int pidfd = static_cast<int>(::syscall(SYS_pidfd_open, pid_, 0));
        if (pidfd >= 0) {
            pollfd p{pidfd, POLLIN, 0};
            ::poll(&p, 1, kWaitMs);
            ::close(pidfd);
        }
        int status = 0;
        if (::waitpid(pid_, &status, pidfd >= 0 ? WNOHANG : 0) != pid_) return -1;
        reaped_ = true;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

private:
    pid_t pid_ = -1;
    int out_ = -1, err_ = -1;
    bool reaped_ = false;
};

int freeLoopbackPort() {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
    socklen_t length = sizeof addr;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &length);
    ::close(fd);
    return ntohs(addr.sin_port);
}

int connectLoopback(int port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(static_cast<std::uint16_t>(port));
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

TEST(PrinterSimTool, AnswersTheFirmwareRequestOnTcpAndPtyLogsAndExitsOnSigterm) {
    const int port = freeLoopbackPort();
    const std::string logPath = ::testing::TempDir() + "printer-sim-" + std::to_string(::getpid()) + ".log";
    Child sim({"--tcp", "127.0.0.1:" + std::to_string(port), "--pty", "--type", "0", "--firmware", "0398", "--log",
               logPath});
    const std::string ptyLine = readLine(sim.out());
    ASSERT_EQ(ptyLine.rfind("pty: /dev/pts/", 0), 0u) << ptyLine << readAll(sim.err());
    ASSERT_EQ(readLine(sim.out()), "tcp: 127.0.0.1:" + std::to_string(port));

    const int tcp = connectLoopback(port);
    ASSERT_GE(tcp, 0);
    ASSERT_EQ(::write(tcp, kFirmwareRequest.data(), kFirmwareRequest.size()), 4);
    EXPECT_EQ(readBytes(tcp, 6), kFirmwareReply);
    ::close(tcp);

    const int pty = ::open(ptyLine.substr(5).c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    ASSERT_GE(pty, 0);
    termios tio{};
    ::tcgetattr(pty, &tio);
    ::cfmakeraw(&tio);
    ::tcsetattr(pty, TCSANOW, &tio);
    ASSERT_EQ(::write(pty, kFirmwareRequest.data(), kFirmwareRequest.size()), 4);
    EXPECT_EQ(readBytes(pty, 6), kFirmwareReply);
    ::close(pty);

    sim.signal(SIGTERM);
    EXPECT_EQ(sim.exitCode(), 0);
    std::ifstream log(logPath);
    std::stringstream text;
    text << log.rdbuf();
    EXPECT_EQ(text.str(), "1D 49 40 A3\n1D 49 40 A3\n");
    std::remove(logPath.c_str());
}

TEST(PrinterSimTool, StopsOnSigintWithStatusAndTypeGiven) {
    Child sim({"--pty", "--type", "16", "--status", "0x16", "--reply-delay", "150", "--noise", "0.01", "--skip", "1",
               "--split", "20"});
    const std::string ptyLine = readLine(sim.out());
    ASSERT_EQ(ptyLine.rfind("pty: ", 0), 0u) << readAll(sim.err());
    const int pty = ::open(ptyLine.substr(5).c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    ASSERT_GE(pty, 0);
    // GS EOT 1 (12h) goes unanswered; DLE EOT 1 gets the status given.
    const Bytes status{0x1D, 0x04, 0x01, 0x10, 0x04, 0x01};
    ASSERT_EQ(::write(pty, status.data(), status.size()), 6);
    EXPECT_EQ(readBytes(pty, 1), Bytes{0x16});
    ::close(pty);
    sim.signal(SIGINT);
    EXPECT_EQ(sim.exitCode(), 0);
}

TEST(PrinterSimTool, BadArgumentsExitWithTwoAndSayWhy) {
    const std::vector<std::vector<std::string>> cases = {
        {},
        {"--type", "17", "--pty"},
        {"--type", "three", "--pty"},
        {"--tcp", "127.0.0.1", "--pty"},
        {"--tcp", "printer.example:9100"},
        {"--tcp", "127.0.0.1:70000"},
        {"--status", "123", "--pty"},
        {"--pty", "--firmware"},
        {"--pty", "--verbose"},
        {"--pty", "--noise", "fast"},
        {"--pty", "--split", "-5"},
    };
    for (const auto& args : cases) {
        Child sim(args);
        const std::string message = readAll(sim.err());
        std::string shown;
        for (const auto& a : args) shown += a + " ";
        EXPECT_EQ(sim.exitCode(), 2) << shown;
        EXPECT_NE(message.find("printer-sim: "), std::string::npos) << shown;
        EXPECT_TRUE(readAll(sim.out()).empty()) << shown;
    }
}

}  // namespace
