// The USB HID channel on the in-memory HID system, without a link.
#include <gtest/gtest.h>

#include "LinkTestSupport.h"
#include "doubles/FakeHidSystem.h"
#include "link/HidChannel.h"
#include "platform/RuntimeError.h"

namespace linktest {
namespace {

using printerlink::HidChannel;

class TestChannel : public HidChannel {
public:
    using HidChannel::HidChannel;
    using HidChannel::m_bHIDDeviceFound;
};

// A device with 8-byte input and output reports, so that cutting and
// padding show.
class HidChannelTest : public ::testing::Test {
protected:
    doubles::FakeHidDeviceSpec spec(std::uint16_t vendor, std::string instance = "7&2F1B3C&0&0000") {
        doubles::FakeHidDeviceSpec s;
        s.instance = std::move(instance);
        s.vendorId = vendor;
        s.caps.InputReportByteLength = 8;
        s.caps.OutputReportByteLength = 8;
        return s;
    }
    platform::VirtualClock clock;
    doubles::FakeHidSystem hid{clock};
    TestChannel channel{hid};
};

TEST_F(HidChannelTest, OnlyThePrinterMakersDeviceStaysOpen) {
    struct Case {
        std::uint16_t vendor;
        bool present, kept;
        std::string instance;
    };
    for (const Case& c : {Case{0x1B7D, true, true, "7&1&0&0000"}, Case{0x046D, true, false, "7&2&0&0000"},
                          Case{0x1B7D, false, false, "7&3&0&0000"}}) {
        SCOPED_TRACE(c.instance);
        const auto device = hid.addDevice(spec(c.vendor, c.instance));
        const std::string path = hid.interfacePath(device);
        if (!c.present) hid.removeDevice(device);
        channel.OpenHidPrinter(path);
        EXPECT_EQ(channel.m_lngHIDHandle > 0, c.kept);
        EXPECT_EQ(channel.m_bHIDDeviceFound, c.kept);
        EXPECT_EQ(hid.openHandles(device), c.kept ? 1 : 0);
        channel.closeHidDevice();
        EXPECT_EQ(hid.openHandles(device), 0);
        EXPECT_EQ(channel.m_lngHIDHandle, 0);
    }
}

TEST_F(HidChannelTest, ReportsFitTheDevicesLengths) {
    const auto device = hid.addDevice(spec(0x1B7D));
    channel.OpenHidPrinter(hid.interfacePath(device));
    EXPECT_EQ(channel.HidOutputReport({1, 2, 3}, false), (Bytes{1, 2, 3, 0, 0, 0, 0, 0}));
    EXPECT_EQ(channel.HidOutputReport({1, 2, 3}, true), (Bytes{0x08, 3, 1, 2, 3, 0, 0, 0}));
    EXPECT_THROW(channel.HidOutputReport(counting(7), true), platform::RuntimeError);

    // In: cut to the input report length; the length byte never reaches
    // past it.
    const Bytes long12 = counting(12);
    const Bytes buffer = channel.inputBuffer(long12);
    ASSERT_EQ(buffer.size(), 1025u);
    EXPECT_EQ(Bytes(buffer.begin(), buffer.begin() + 9), (Bytes{1, 2, 3, 4, 5, 6, 7, 8, 0}));
    EXPECT_EQ(channel.inputBuffer(std::nullopt), Bytes(1025, 0));
    const auto input = channel.inputData({0x08, 200, 'a', 'b', 'c', 'd', 'e', 'f', 'g'});
    ASSERT_TRUE(input);
    EXPECT_EQ(input->reportId, 0x08);
    EXPECT_EQ(input->data, (Bytes{'a', 'b', 'c', 'd', 'e', 'f'}));
    EXPECT_FALSE(channel.inputData({0x08}));
}

TEST_F(HidChannelTest, APollLeftUnansweredEndsWithTheNextReportOrTheClose) {
    const auto device = hid.addDevice(spec(0x1B7D));
    channel.OpenHidPrinter(hid.interfacePath(device));
    EXPECT_FALSE(channel.answersAgain()) << "no poll went unanswered";
    channel.pollUnanswered();
    EXPECT_TRUE(channel.hidPollUnanswered());
    EXPECT_FALSE(channel.m_bHIDDeviceFound);
    EXPECT_TRUE(channel.answersAgain());
    EXPECT_TRUE(channel.m_bHIDDeviceFound);
    EXPECT_FALSE(channel.answersAgain()) << "only once";
    channel.pollUnanswered();
    channel.closeHidDevice();
    EXPECT_FALSE(channel.hidPollUnanswered());
    EXPECT_FALSE(channel.readReport()) << "no device, no read";
}

TEST(FrameHIDCommand, PutsReportIdAndLengthPlusOneCappedAt61) {
    Bytes firmware{0x1D, 0x49, 0x40, 0xA3};
    HidChannel::FrameHIDCommand(3, firmware);
    EXPECT_EQ(firmware, (Bytes{0x08, 0x05, 0x1D, 0x49, 0x40, 0xA3}));

    // The largest logo block, 72 x 64 x 8 data bytes and its trailing 00,
    // needs a count wider than 16 bits.
    for (std::size_t size : {300u, 36865u}) {
        const Bytes data = counting(size);
        Bytes framed = data;
        HidChannel::FrameHIDCommand(static_cast<int>(size) - 1, framed);
        ASSERT_EQ(framed.size(), size + 2);
        EXPECT_EQ(framed[0], 0x08);
        EXPECT_EQ(framed[1], 61);
        EXPECT_TRUE(std::equal(data.begin(), data.end(), framed.begin() + 2));
    }
}

TEST(HidCommandSends, FrameEachByteOnceAndLeaveLongCommandsToTheSend) {
    const Bytes b62 = counting(62), b63 = counting(63), b65 = counting(65);
    EXPECT_EQ(HidChannel::HidCommandSends(b62), (std::vector<Bytes>{framed({0x08, 63}, b62, 0, 62)}));
    EXPECT_EQ(HidChannel::HidCommandSends(b63),
              (std::vector<Bytes>{framed({0x08, 62}, b63, 0, 61), framed({0x08, 3}, b63, 61, 63)}));
    EXPECT_EQ(HidChannel::HidCommandSends(b65), (std::vector<Bytes>{b65}));
}

}  // namespace
}  // namespace linktest
