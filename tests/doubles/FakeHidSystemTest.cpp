#include "doubles/FakeHidSystem.h"

#include <gtest/gtest.h>

namespace {

using platform::Bytes;

class FakeHidSystemTest : public ::testing::Test {
protected:
    FakeHidSystemTest() {
        device = hid.addDevice({});
        hid.addOtherUsbDevice(0x046D, 0xC52B, "2-1");
    }
    platform::VirtualClock clock;
    doubles::FakeHidSystem hid{clock};
    doubles::FakeHidSystem::DeviceId device;
};

TEST_F(FakeHidSystemTest, ListsUseTheFormsDiscoveryCompares) {
    const auto ids = hid.usbDeviceIdentifiers();
    ASSERT_EQ(ids.size(), 3u);
    EXPECT_EQ(ids[1], "USB\\\\VID_1B7D&PID_D2A8\\\\1-1");
    EXPECT_EQ(ids[2], "USB\\\\VID_046D&PID_C52B\\\\2-1");
    const std::string& id = ids[0];
    EXPECT_EQ(id, "HID\\\\VID_1B7D&PID_D2A8\\\\7&2F1B3C&0&0000");
    // The discovery code reads characters 1-3, 10-13 and 6-22 (1-based).
    EXPECT_EQ(id.substr(0, 3), "HID");
    EXPECT_EQ(id.substr(9, 4), "1B7D");
    EXPECT_EQ(id.substr(5, 17), "VID_1B7D&PID_D2A8");
    EXPECT_EQ(hid.hidInterfacePaths(),
              std::vector<std::string>{"\\\\?\\hid#vid_1b7d&pid_d2a8#7&2f1b3c&0&0000#{4d1e55b2-f16f-11cf-88cb-001111000030}"});
}

TEST_F(FakeHidSystemTest, OpensByEitherPathFormIgnoringCaseWithFreshHandles) {
    const std::string fromList = hid.hidInterfacePaths()[0];
    const std::string fromIdentifier =
        "\\\\?\\HID#VID_1B7D&PID_D2A8#7&2F1B3C&0&0000#{4d1e55b2-f16f-11cf-88cb-001111000030}";
    const auto a = hid.open(fromList);
    const auto b = hid.open(fromIdentifier);
    EXPECT_GT(a, 0);
    EXPECT_GT(b, 0);
    EXPECT_NE(a, b);
    hid.close(a);
    const auto c = hid.open(fromList);
    EXPECT_NE(c, a) << "a closed handle is never handed out again";
    EXPECT_EQ(hid.open("\\\\?\\hid#vid_1b7d&pid_d2a9#7&2f1b3c&0&0000#{4d1e55b2-f16f-11cf-88cb-001111000030}"), -1);

    platform::HidAttributes attributes;
    platform::HidCaps caps;
    ASSERT_TRUE(hid.getAttributes(b, attributes));
    ASSERT_TRUE(hid.getCaps(b, caps));
    EXPECT_EQ(attributes.VendorID, 0x1B7D);
    EXPECT_EQ(attributes.ProductID, 0xD2A8);
    EXPECT_EQ(caps.InputReportByteLength, 64);
    EXPECT_EQ(caps.OutputReportByteLength, 64);
}

TEST_F(FakeHidSystemTest, ReadWaitsOnTheVirtualClockForThePeersReport) {
    Bytes written;
    hid.setOutputHandler(device, [&](const Bytes& report) {
        written = report;
        clock.scheduleAfter(40'000, [&] { hid.queueInputReport(device, {0x09, 0x01, 0x12}); });
    });
    const auto h = hid.open(hid.hidInterfacePaths()[0]);
    ASSERT_TRUE(hid.write(h, {0x08, 0x04, 0x10, 0x04, 0x02}));
    const platform::Micros start = clock.now();
    const auto report = hid.read(h, 150);
    ASSERT_TRUE(report.has_value());
    EXPECT_EQ(*report, (Bytes{0x09, 0x01, 0x12}));
    EXPECT_EQ(written, (Bytes{0x08, 0x04, 0x10, 0x04, 0x02}));
    EXPECT_EQ(clock.now() - start, 40'000) << "the read returns as soon as the report is there";

    EXPECT_FALSE(hid.read(h, 150).has_value());
    EXPECT_EQ(clock.now() - start, 190'000) << "a read without a report times out after 150 ms";
}

TEST_F(FakeHidSystemTest, RemovalFailsEveryCallUntilReopenedAfterComingBack) {
    const auto h = hid.open(hid.hidInterfacePaths()[0]);
    hid.removeDevice(device);
    platform::HidAttributes attributes;
    EXPECT_FALSE(hid.getAttributes(h, attributes));
    EXPECT_FALSE(hid.write(h, {0x08, 0x01}));
    const platform::Micros start = clock.now();
    EXPECT_FALSE(hid.read(h, 150).has_value());
    EXPECT_EQ(clock.now(), start) << "a vanished device fails at once";
    EXPECT_TRUE(hid.hidInterfacePaths().empty());
    EXPECT_EQ(hid.usbDeviceIdentifiers().size(), 1u) << "only the other USB device is left";
    EXPECT_EQ(hid.open("\\\\?\\hid#vid_1b7d&pid_d2a8#7&2f1b3c&0&0000#{4d1e55b2-f16f-11cf-88cb-001111000030}"), -1);

    hid.restoreDevice(device);
    EXPECT_FALSE(hid.write(h, {0x08, 0x01})) << "the old handle stays dead";
    const auto again = hid.open(hid.hidInterfacePaths()[0]);
    EXPECT_TRUE(hid.write(again, {0x08, 0x01}));
}

}  // namespace
