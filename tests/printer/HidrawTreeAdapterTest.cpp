// The simulated printer in the fake hidraw tree, reached with the utility's
// own LinuxHidSystem on the real clock: a restart of a second, so the dead
// handle is seen before the device is back. Every read that expects a
// report waits for it, bounded generously for a loaded machine.
#include "printer-sim/HidrawTreeAdapter.h"

#include <poll.h>

#include <algorithm>
#include <chrono>

#include <gtest/gtest.h>

namespace {

using platform::Bytes;

Bytes framed(const Bytes& command) {
    Bytes report(64, 0);
    report[0] = 0x08;
    report[1] = static_cast<std::uint8_t>(command.size() + 1);
    std::copy(command.begin(), command.end(), report.begin() + 2);
    return report;
}

Bytes untilZero(const std::optional<Bytes>& report) {
    if (!report) return {};
    return Bytes(report->begin(), std::find(report->begin(), report->end(), 0));
}

constexpr int kReplyMs = 5000;

// Polls the device list every 10 ms for at most ten seconds.
bool waitForPaths(platform::LinuxHidSystem& hid, bool present) {
    for (int i = 0; i < 1000; ++i) {
        if (hid.hidInterfacePaths().empty() != present) return true;
        ::poll(nullptr, 0, 10);
    }
    return false;
}

TEST(HidrawTreeAdapter, AnswersInInputReportsAndComesBackAfterARestart) {
    platform::HidTestTree tree;
    sim::SimConfig config;
    config.printerType = 9;
    config.restartTime = 1'000'000;
    sim::HidrawTreeAdapter adapter(tree, config);
    platform::LinuxHidSystem hid(tree.root(), adapter.opener());

    ASSERT_EQ(hid.usbDeviceIdentifiers().at(0).substr(0, 22), "HID\\\\VID_1B7D&PID_D2F4");
    auto handle = hid.open(hid.hidInterfacePaths().at(0));
    ASSERT_GT(handle, 0);
    platform::HidCaps caps;
    ASSERT_TRUE(hid.getCaps(handle, caps));
    EXPECT_EQ(caps.InputReportByteLength, 64);
    EXPECT_EQ(caps.OutputReportByteLength, 64);

    ASSERT_TRUE(hid.write(handle, framed({0x1D, 0x49, 0x40, 0xA3})));
    EXPECT_EQ(untilZero(hid.read(handle, kReplyMs)), (Bytes{0x09, 0x06, 0xA3, 0x30, 0x33, 0x39, 0x38, 0x0D}));

    ASSERT_TRUE(hid.write(handle, {0x08, 0x03, 0x1D, 0xFF, 0x00, 0x00}));
    EXPECT_FALSE(hid.read(handle, kReplyMs).has_value()) << "the restarting printer's handle reads end of file";
    EXPECT_FALSE(hid.write(handle, framed({0x10, 0x04, 0x02})));
    hid.close(handle);
    ASSERT_TRUE(waitForPaths(hid, true)) << "the device comes back";

    handle = hid.open(hid.hidInterfacePaths().at(0));
    ASSERT_GT(handle, 0);
    ASSERT_TRUE(hid.write(handle, framed({0x10, 0x04, 0x02})));
    EXPECT_EQ(untilZero(hid.read(handle, kReplyMs)), (Bytes{0x09, 0x01, 0x12}));

    std::vector<std::string> commands;
    adapter.call([&](sim::SimPrinter& printer) { commands = printer.commands(); });
    EXPECT_EQ(commands, (std::vector<std::string>{"GS I @ A3 (firmware)", "restart 1D FF", "DLE EOT 2"}));
}

TEST(HidrawTreeAdapter, RemovedDeviceLeavesTheTreeAndOtherNodesGoToTheFallbackOpener) {
    platform::HidTestTree tree;
    sim::HidrawTreeAdapter adapter(tree);
    std::vector<std::string> others;
    platform::LinuxHidSystem hid(tree.root(), adapter.opener([&](const std::string& node) {
        others.push_back(node);
        return -1;
    }));
    platform::HidTestDevice mouse;
    mouse.vendor = 0x046D;
    mouse.port = "1-3";
    tree.addHidDevice(mouse);
    ASSERT_EQ(hid.hidInterfacePaths().size(), 2u);
    EXPECT_EQ(hid.open(hid.hidInterfacePaths()[1]), -1);
    EXPECT_EQ(others, std::vector<std::string>{"/dev/hidraw1"});

    adapter.call([](sim::SimPrinter& printer) { printer.removeDevice(); });
    EXPECT_EQ(hid.hidInterfacePaths().size(), 1u);
    EXPECT_EQ(adapter.node(), "");
}

}  // namespace
