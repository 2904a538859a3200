// The simulated printer as a USB HID device of the fake hidraw tree.
//
// The device appears in the tree (with the vendor and the product ID of the
// printer's type) and is opened through opener(), which LinuxHidSystem takes
// as its device opener: each open of the printer's node gets one end of a
// fresh SOCK_SEQPACKET socket pair (report boundaries kept), the printer
// holds the other. A restart or a removed device takes the node out of the
// tree and closes the printer's ends, so the utility's reads see end of file
// and its writes fail; coming back adds the device again as a new node.
//
// Threads: LinuxHidSystem::read blocks the caller in poll() for up to 150 ms,
// so a printer served on the caller's loop could never answer it. Like a real
// device, this printer runs on a thread of its own with its own loop and
// clock; the adapter owns that thread, the loop, the scheduler and the
// printer. Reach the printer only through call(), which runs a function on
// the printer's thread and waits for it. The tree must not be changed by
// others while the adapter lives (a restart edits it from the printer's
// thread). Throws std::system_error when no socket pair or pipe can be made.
#pragma once

#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/hid/HidTestTree.h"
#include "platform/hid/LinuxHidSystem.h"
#include "platform/loop/EventLoop.h"
#include "printer-sim/SimPrinter.h"

namespace sim {

class HidrawTreeAdapter final : public SimPort {
public:
    // usbPort: where the device sits in the tree ("1-2").
    HidrawTreeAdapter(platform::HidTestTree& tree, SimConfig config = {}, std::string usbPort = "1-2");
    ~HidrawTreeAdapter() override;
    HidrawTreeAdapter(const HidrawTreeAdapter&) = delete;
    HidrawTreeAdapter& operator=(const HidrawTreeAdapter&) = delete;

    // The opener for LinuxHidSystem: this printer's node opens as a socket;
    // other nodes go to `others` (or fail with -1).
    platform::LinuxHidSystem::DeviceOpener opener(platform::LinuxHidSystem::DeviceOpener others = {});
    // "hidrawN" while the device is present, "" while it is gone.
    std::string node();
    // Runs fn with the printer on the printer's thread and waits for it;
    // an exception fn throws comes back to the caller.
    void call(const std::function<void(SimPrinter&)>& fn);

    // SimPort, on the printer's thread.
    bool reportFramed() const override { return true; }
    std::size_t inputReportLength() const override { return inputLength_; }
    void send(const platform::Bytes& report) override;
    void setLinkUp(bool up) override;

private:
    struct End {
        int fd;
        platform::EventLoop::WatchId watch;
    };
    void runOnThread(const std::function<void()>& fn);
    void drainQueue();
    int openEnd(const std::string& deviceNode);
    void onEndReady(int fd);
    void closeEnd(int fd);
    void closeEnds();

    platform::HidTestTree& tree_;
    platform::HidTestDevice device_;
    std::string node_;
    std::size_t inputLength_ = 64;

    platform::RealClock clock_;
    std::unique_ptr<platform::EventLoop> loop_;
    std::unique_ptr<LoopScheduler> scheduler_;
    std::unique_ptr<SimPrinter> printer_;
    std::vector<End> ends_;

    int wakePipe_[2] = {-1, -1};
    std::mutex queueMutex_;
    std::vector<std::function<void()>> queue_;
    std::thread thread_;
};

}  // namespace sim
