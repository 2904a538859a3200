#include "printer-sim/HidrawTreeAdapter.h"

#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <future>
#include <system_error>

#include "platform/hid/ReportDescriptor.h"
#include "printer-sim/PrinterTypes.h"

namespace sim {

using platform::Bytes;

HidrawTreeAdapter::HidrawTreeAdapter(platform::HidTestTree& tree, SimConfig config, std::string usbPort)
    : tree_(tree) {
    device_.vendor = kVendorId;
    device_.product = printerType(config.printerType).productId;
    device_.port = std::move(usbPort);
    if (const auto info = platform::parseReportDescriptor(device_.reportDescriptor))
        inputLength_ = info->caps.InputReportByteLength;

    if (::pipe2(wakePipe_, O_CLOEXEC | O_NONBLOCK) != 0)
        throw std::system_error(errno, std::generic_category(), "pipe2");
    // The printer's loop is built here, before its thread starts, and must
    // not become the utility's current loop.
    platform::EventLoop* const current = platform::EventLoop::currentOrNull();
    loop_ = std::make_unique<platform::EventLoop>(clock_);
    platform::EventLoop::setCurrent(current);
    scheduler_ = std::make_unique<LoopScheduler>(*loop_);
    printer_ = std::make_unique<SimPrinter>(*scheduler_, std::move(config));
    printer_->attach(this);
    loop_->watch(wakePipe_[0], platform::IoRead, [this](unsigned) { drainQueue(); });
    node_ = tree_.addHidDevice(device_);
    thread_ = std::thread([this] { loop_->run(); });
}

HidrawTreeAdapter::~HidrawTreeAdapter() {
    runOnThread([this] {
        closeEnds();
        loop_->quit();
    });
    thread_.join();
    printer_->attach(nullptr);
    ::close(wakePipe_[0]);
    ::close(wakePipe_[1]);
}

void HidrawTreeAdapter::runOnThread(const std::function<void()>& fn) {
    if (std::this_thread::get_id() == thread_.get_id()) {
        fn();
        return;
    }
    std::packaged_task<void()> task(fn);
    std::future<void> done = task.get_future();
    {
        std::lock_guard lock(queueMutex_);
        queue_.push_back([&task] { task(); });
    }
    const char wake = 1;
    [[maybe_unused]] const ssize_t n = ::write(wakePipe_[1], &wake, 1);
    done.get();
}

void HidrawTreeAdapter::drainQueue() {
    char sink[64];
    while (::read(wakePipe_[0], sink, sizeof sink) > 0) {
    }
    std::vector<std::function<void()>> work;
    {
        std::lock_guard lock(queueMutex_);
        work.swap(queue_);
    }
    for (auto& fn : work) fn();
}

void HidrawTreeAdapter::call(const std::function<void(SimPrinter&)>& fn) {
    runOnThread([&] { fn(*printer_); });
}

std::string HidrawTreeAdapter::node() {
    std::string out;
    runOnThread([&] { out = node_; });
    return out;
}

platform::LinuxHidSystem::DeviceOpener HidrawTreeAdapter::opener(platform::LinuxHidSystem::DeviceOpener others) {
    return [this, others = std::move(others)](const std::string& deviceNode) {
        const int fd = openEnd(deviceNode);
        if (fd >= 0 || !others) return fd;
        return others(deviceNode);
    };
}

// Runs on the utility's thread (inside LinuxHidSystem::open); the printer's
// side of the pair is set up on the printer's thread.
int HidrawTreeAdapter::openEnd(const std::string& deviceNode) {
    int utilityEnd = -1;
    runOnThread([&] {
        if (node_.empty() || deviceNode != "/dev/" + node_) return;
        int pair[2];
        if (::socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0, pair) != 0) return;
        const int printerEnd = pair[1];
        ::fcntl(printerEnd, F_SETFL, O_NONBLOCK);
        const auto watch = loop_->watch(printerEnd, platform::IoRead, [this, printerEnd](unsigned) {
            onEndReady(printerEnd);
        });
        ends_.push_back({printerEnd, watch});
        utilityEnd = pair[0];
    });
    return utilityEnd;
}

void HidrawTreeAdapter::onEndReady(int fd) {
    std::uint8_t buffer[4096];
    const ssize_t n = ::recv(fd, buffer, sizeof buffer, MSG_DONTWAIT);
    if (n > 0) {
        printer_->receiveReport(Bytes(buffer, buffer + n));
        return;
    }
    if (n < 0 && (errno == EAGAIN || errno == EINTR)) return;
    closeEnd(fd);  // the utility closed its handle
}

void HidrawTreeAdapter::closeEnd(int fd) {
    for (auto it = ends_.begin(); it != ends_.end(); ++it) {
        if (it->fd != fd) continue;
        loop_->unwatch(it->watch);
        ::close(it->fd);
        ends_.erase(it);
        return;
    }
}

void HidrawTreeAdapter::closeEnds() {
    for (const End& end : ends_) {
        loop_->unwatch(end.watch);
        ::close(end.fd);
    }
    ends_.clear();
}

// Every open handle gets the report, as hidraw queues input for each reader.
void HidrawTreeAdapter::send(const Bytes& report) {
    for (const End& end : ends_) ::send(end.fd, report.data(), report.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
}

void HidrawTreeAdapter::setLinkUp(bool up) {
    if (up == !node_.empty()) return;
    if (up) {
        node_ = tree_.addHidDevice(device_);
        return;
    }
    tree_.removeHidDevice(node_);
    node_.clear();
    closeEnds();
}

}  // namespace sim
