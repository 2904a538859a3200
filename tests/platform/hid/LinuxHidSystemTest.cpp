// Enumeration and report I/O against a fake sysfs tree, with one end of a
// SOCK_SEQPACKET socketpair standing in for each /dev/hidrawN.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <csignal>
#include <chrono>
#include <map>

#include "DiscoveryPath.h"
#include "platform/hid/HidTestTree.h"
#include "platform/hid/LinuxHidSystem.h"

namespace platform {
namespace {

class HidFixture : public ::testing::Test {
protected:
    static HidTestDevice device(std::uint16_t vendor, std::uint16_t product, const char* port) {
        HidTestDevice d;
        d.vendor = vendor;
        d.product = product;
        d.port = port;
        return d;
    }

    void SetUp() override {
        tree.addUsbDevice(0x0ABC, 0x0608, "1-1");  // a hub: USB, not HID
        printer = tree.addHidDevice(device(0x1B7D, 0xD2A8, "1-2"));
        HidTestDevice d = device(0x1B7D, 0xD2F4, "1-3");
        d.version = 0x0207;
        second = tree.addHidDevice(d);
        d = device(0x1234, 0x0001, "1-4");
        d.reportDescriptor = {0x05, 0x01, 0xA1, 0x01, 0xC0};
        other = tree.addHidDevice(d);
        d = device(0x1B7D, 0xD2A8, "1-5");
        d.uevent = std::string("\xff\x01garbage\nHID_ID=zz\n");
        tree.addHidDevice(d);
        d = device(0x1B7D, 0xD2C2, "1-6");
        d.reportDescriptor = {0xA1, 0x01, 0x81};
        badCaps = tree.addHidDevice(d);
        d = device(0x1B7D, 0xD2A8, "1-7");
        d.bus = 0x0005;  // not on USB
        tree.addHidDevice(d);
    }
    void TearDown() override {
        for (auto& [node, fd] : peers) ::close(fd);
    }

    // Hands out one end of a fresh socketpair per open; keeps the other.
    LinuxHidSystem::DeviceOpener opener() {
        return [this](const std::string& devNode) {
            ++opens;
            if (failOpen) return -1;
            int sv[2];
            if (::socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0, sv) != 0) return -1;
            std::string node = devNode.substr(devNode.rfind('/') + 1);
            if (peers.count(node)) ::close(peers[node]);
            peers[node] = sv[1];
            return sv[0];
        };
    }

    std::intptr_t openPrinter() { return hid.open(hid.hidInterfacePaths().at(0)); }

    HidTestTree tree;
    std::string printer, second, other, badCaps;
    std::map<std::string, int> peers;
    int opens = 0;
    bool failOpen = false;
    LinuxHidSystem hid{tree.root(), opener()};
};

TEST_F(HidFixture, ListsUsbHidDevicesInBothFormsAndSkipsBadOnes) {
    const std::string g = kHidClassGuid;
    EXPECT_EQ(hid.usbDeviceIdentifiers(),
              (std::vector<std::string>{
                  "HID\\\\VID_1B7D&PID_D2A8\\\\USB-0000&00&14.0-2&INPUT0",
                  "HID\\\\VID_1B7D&PID_D2F4\\\\USB-0000&00&14.0-3&INPUT0",
                  "HID\\\\VID_1234&PID_0001\\\\USB-0000&00&14.0-4&INPUT0",
                  "HID\\\\VID_1B7D&PID_D2C2\\\\USB-0000&00&14.0-6&INPUT0",
                  "USB\\\\VID_0ABC&PID_0608\\\\1-1", "USB\\\\VID_1B7D&PID_D2A8\\\\1-2",
                  "USB\\\\VID_1B7D&PID_D2F4\\\\1-3", "USB\\\\VID_1234&PID_0001\\\\1-4",
                  "USB\\\\VID_1B7D&PID_D2A8\\\\1-5", "USB\\\\VID_1B7D&PID_D2C2\\\\1-6",
                  "USB\\\\VID_1B7D&PID_D2A8\\\\1-7"}));
    EXPECT_EQ(hid.hidInterfacePaths(),
              (std::vector<std::string>{"\\\\?\\hid#vid_1b7d&pid_d2a8#usb-0000&00&14.0-2&input0#" + g,
                                        "\\\\?\\hid#vid_1b7d&pid_d2f4#usb-0000&00&14.0-3&input0#" + g,
                                        "\\\\?\\hid#vid_1234&pid_0001#usb-0000&00&14.0-4&input0#" + g,
                                        "\\\\?\\hid#vid_1b7d&pid_d2c2#usb-0000&00&14.0-6&input0#" + g}));
}

TEST_F(HidFixture, OpensByEitherPathAndReportsAttributesAndCaps) {
    struct Case {
        std::string path;
        std::uint16_t product, version;
        bool capsOk;
        std::uint16_t in, out;
    };
    std::vector<std::string> ids = hid.usbDeviceIdentifiers();
    std::vector<std::string> paths = hid.hidInterfacePaths();
    const Case cases[] = {
        {pathFromIdentifier(ids[0]), 0xD2A8, 0x0100, true, 64, 64},
        {toUpperAscii(paths[1]), 0xD2F4, 0x0207, true, 64, 64},
        {paths[2], 0x0001, 0x0100, true, 0, 0},
        {paths[3], 0xD2C2, 0x0100, false, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        std::intptr_t h = hid.open(c.path);
        ASSERT_GT(h, 0);
        HidAttributes a;
        ASSERT_TRUE(hid.getAttributes(h, a));
        EXPECT_EQ(a.ProductID, c.product);
        EXPECT_EQ(a.VersionNumber, c.version);
        HidCaps caps;
        caps.InputReportByteLength = 99;
        EXPECT_EQ(hid.getCaps(h, caps), c.capsOk);
        EXPECT_EQ(caps.InputReportByteLength, c.in);
        EXPECT_EQ(caps.OutputReportByteLength, c.out);
        hid.close(h);
    }
    // Not a device, a USB entry that is not HID, a path too long, a failing open.
    EXPECT_EQ(hid.open(""), -1);
    EXPECT_EQ(hid.open(pathFromIdentifier(ids[4])), -1);
    EXPECT_EQ(hid.open(paths[0] + std::string(5000, 'x')), -1);
    int before = opens;
    failOpen = true;
    EXPECT_EQ(hid.open(paths[0]), -1);
    EXPECT_EQ(opens, before + 1);
}

TEST_F(HidFixture, VanishedFromTheTreeCannotBeOpened) {
    std::string path = hid.hidInterfacePaths().at(0);
    tree.removeHidDevice(printer);
    EXPECT_EQ(hid.open(path), -1);
    EXPECT_EQ(hid.hidInterfacePaths().size(), 3u);
}

TEST_F(HidFixture, WritesWholeReportsAndReadsOneReportWithinTheBound) {
    std::intptr_t h = openPrinter();
    ASSERT_GT(h, 0);
    int peer = peers.at(printer);

    Bytes report(64, 0);
    report[0] = 0x08;
    report[1] = 0x02;
    report[2] = 0x1D;
    ASSERT_TRUE(hid.write(h, report));
    Bytes seen(200);
    ASSERT_EQ(::recv(peer, seen.data(), seen.size(), 0), 64);
    seen.resize(64);
    EXPECT_EQ(seen, report);

    Bytes answer = {0x09, 0x02, 0x41, 0x00, 0x42};
    ASSERT_EQ(::send(peer, answer.data(), answer.size(), 0), 5);
    EXPECT_EQ(hid.read(h, 150), answer);

    // Nothing sent: the read gives up after its bound (real time, kept short).
    auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(hid.read(h, 30));
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(25));

    // The device goes away: no report, no signal, a failed write.
    ::close(peer);
    peers.erase(printer);
    EXPECT_FALSE(hid.read(h, 150));
    EXPECT_FALSE(hid.write(h, report));

    hid.close(h);
    EXPECT_FALSE(hid.write(h, report));
    EXPECT_FALSE(hid.read(h, 0));
    HidAttributes a;
    EXPECT_FALSE(hid.getAttributes(h, a));
}

TEST_F(HidFixture, ReportsOfADeviceWithoutReportIdsGetByteZeroBack) {
    std::intptr_t h = hid.open(hid.hidInterfacePaths().at(2));
    ASSERT_GT(h, 0);
    Bytes raw = {0x41, 0x42};
    ASSERT_EQ(::send(peers.at(other), raw.data(), raw.size(), 0), 2);
    EXPECT_EQ(hid.read(h, 150), (Bytes{0x00, 0x41, 0x42}));
}

TEST_F(HidFixture, HandleStaysAboveZeroWhenTheOpenerGivesDescriptorZero) {
    int savedStdin = ::dup(0);
    ASSERT_GE(savedStdin, 0);
    LinuxHidSystem zero(tree.root(), [&](const std::string&) {
        int sv[2];
        if (::socketpair(AF_UNIX, SOCK_SEQPACKET, 0, sv) != 0) return -1;
        ::dup2(sv[0], 0);
        ::close(sv[0]);
        peers["zero"] = sv[1];
        return 0;
    });
    std::intptr_t h = zero.open(zero.hidInterfacePaths().at(0));
    ::dup2(savedStdin, 0);
    ::close(savedStdin);
    ASSERT_GT(h, 0);
    ASSERT_TRUE(zero.write(h, Bytes{0x08, 0x01}));
    char buf[8];
    EXPECT_EQ(::recv(peers["zero"], buf, sizeof buf, 0), 2);
}

TEST_F(HidFixture, StreamStandInWhosePeerClosedFailsTheWriteWithoutASignal) {
    int peer = -1;
    LinuxHidSystem stream(tree.root(), [&](const std::string&) {
        int sv[2];
        if (::socketpair(AF_UNIX, SOCK_STREAM, 0, sv) != 0) return -1;
        peer = sv[1];
        return sv[0];
    });
    std::intptr_t h = stream.open(stream.hidInterfacePaths().at(0));
    ASSERT_GT(h, 0);
    ::close(peer);
    auto oldPipe = ::signal(SIGPIPE, SIG_DFL);
    EXPECT_FALSE(stream.write(h, Bytes(64, 0x08)));
    ::signal(SIGPIPE, oldPipe);
}

// Devices of one product whose locations read alike: each still gets a path
// of its own, and the path opens that device and no other.
TEST(HidInstances, EveryDeviceGetsAPathThatOpensIt) {
    const std::vector<std::vector<std::string>> cases = {
        {"x/hidraw2", "x", "x"},  // the third "x" would become the first's "X&HIDRAW2"
        {"hidraw1", ""},          // no location: the node name, which the first already is
    };
    for (const auto& locations : cases) {
        SCOPED_TRACE(testing::PrintToString(locations));
        HidTestTree tree;
        for (const std::string& phys : locations) {
            HidTestDevice d;
            d.uevent = "HID_ID=0003:00001B7D:0000D2A8\nHID_NAME=POS Printer\nHID_PHYS=" + phys + "\n";
            tree.addHidDevice(d);
        }
        std::string opened;
        LinuxHidSystem hid(tree.root(), [&](const std::string& node) {
            opened = node;
            return ::open("/dev/null", O_RDWR | O_CLOEXEC);
        });
        const std::vector<std::string> paths = hid.hidInterfacePaths();
        ASSERT_EQ(paths.size(), locations.size());
        for (std::size_t i = 0; i < paths.size(); ++i) {
            std::intptr_t h = hid.open(paths[i]);
            ASSERT_GT(h, 0);
            EXPECT_EQ(opened, "/dev/hidraw" + std::to_string(i)) << paths[i];
            hid.close(h);
        }
    }
}

}  // namespace
}  // namespace platform
