// Finding the USB HID printer: which device is kept, what is closed, and
// where the model flags come from.
#include "LinkTestSupport.h"

namespace linktest {
namespace {

enum class Behaviour { Silent, OneByte, Answers };

struct Device {
    std::uint16_t vendor;
    std::uint16_t product;
    Behaviour behaviour;
};

struct Flags {
    bool b2st, kiosk, noSlip, font, ssc06;
};

// A fresh machine with the given HID devices and a link on it.
class Discovery {
public:
    Discovery(doubles::FakeSerialPort& serial, doubles::FakeTcpSocket& tcp, FakeSettings& settings,
              FakeDialogService& dialogs, FakeNotices& notices, platform::EventLoop& loop,
              platform::VirtualClock& clock, const std::vector<Device>& devices)
        : hid(clock), link(printerlink::LinkTransports{serial, tcp, hid},
                           printerlink::LinkShellServices{dialogs, settings, notices}, loop) {
        int n = 0;
        for (const auto& d : devices) {
            doubles::FakeHidDeviceSpec spec;
            spec.vendorId = d.vendor;
            spec.productId = d.product;
            spec.instance = "7&1000&0&000" + std::to_string(n++);
            const auto id = hid.addDevice(spec);
            ids.push_back(id);
            if (d.behaviour == Behaviour::Silent) continue;
            // A one-byte answer: a report holding the single byte, then zeros.
            const Bytes answer = d.behaviour == Behaviour::OneByte
                                     ? Bytes{0xA3}
                                     : Bytes{0x09, 0x05, 0xA3, '0', '4', '0', '0'};
            hid.setOutputHandler(id, [this, id, answer](const Bytes&) {
                ++written[id];
                hid.queueInputReport(id, answer);
            });
        }
    }
    // Index of the one device left open, or -1.
    int heldOpen() const {
        int held = -1;
        for (std::size_t i = 0; i < ids.size(); ++i) {
            if (hid.openHandles(ids[i]) == 0) continue;
            if (held != -1) return -2;
            held = static_cast<int>(i);
        }
        return held;
    }

    doubles::FakeHidSystem hid;
    TestLink link;
    std::vector<doubles::FakeHidSystem::DeviceId> ids;
    std::map<int, int> written;
};

constexpr std::uint16_t kVendor = 0x1B7D, kMouseVendor = 0x046D;

TEST_F(LinkTest, AnyPrinterSearchKeepsTheDeviceThatAnsweredAndTakesItsModel) {
    struct Case {
        const char* name;
        std::vector<Device> devices;
        bool result;
        int held;
        Flags flags;
        const char* model;  // nullptr: nothing written
        const char* anyAhpi;
    } cases[] = {
        {"silent kiosk passed over",
         {{kVendor, 0xD2C5, Behaviour::Silent}, {kVendor, 0xD2E3, Behaviour::Answers}},
         true, 1, {true, false, true, true, false}, " 3690-XX4X", "AXO3690-XX4X"},
        {"first of two printers",
         {{kVendor, 0xD2A8, Behaviour::Answers}, {kVendor, 0xD2C2, Behaviour::Answers}},
         true, 0, {true, false, false, false, false}, " 3640", "AXO3640"},
        {"one-byte answer does not stop the walk",
         {{kVendor, 0xD2A5, Behaviour::OneByte}, {kVendor, 0xD2CB, Behaviour::Answers}},
         true, 1, {true, true, true, false, false}, " R809", "AXOR809"},
        {"two-station kiosk", {{kVendor, 0xD2F4, Behaviour::Answers}}, true, 0, {true, true, true, true, true},
         " 3720-2ST", "AXO3720-R801(2ST)"},
        {"unlisted product and another vendor",
         {{kVendor, 0xD2FF, Behaviour::Answers}, {kMouseVendor, 0xD2A8, Behaviour::Answers}},
         false, -1, {false, false, false, false, false}, nullptr, ""},
        {"a silent printer as the last chance stays open",
         {{kVendor, 0xD2A8, Behaviour::Silent}}, true, 0, {true, false, false, false, false}, " 3640", "AXO3640"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        settings.values.clear();
        Discovery d(serial, tcp, settings, dialogs, notices, loop, clock, c.devices);
        d.link.bKiosk = d.link.b2stFlag = d.link.bNoSlipMICR = d.link.bFontType = d.link.bSSC06 = true;
        EXPECT_EQ(d.link.EnumerateUSBDevice(), c.result);
        EXPECT_EQ(d.heldOpen(), c.held);
        EXPECT_EQ(d.link.m_lngHIDHandle > 0, c.held >= 0);
        EXPECT_GE(d.link.m_lngHIDHandle, 0);
        if (c.held < 0) {
            EXPECT_EQ(d.link.m_lngHIDHandle, 0);
        }
        const Flags got{d.link.b2stFlag, d.link.bKiosk, d.link.bNoSlipMICR, d.link.bFontType, d.link.bSSC06};
        EXPECT_EQ(got.b2st, c.flags.b2st);
        EXPECT_EQ(got.kiosk, c.flags.kiosk);
        EXPECT_EQ(got.noSlip, c.flags.noSlip);
        EXPECT_EQ(got.font, c.flags.font);
        EXPECT_EQ(got.ssc06, c.flags.ssc06);
        const auto model = settings.values.find({"Configurations", "Model"});
        if (c.model) {
            ASSERT_NE(model, settings.values.end());
            EXPECT_EQ(model->second, c.model);
        } else {
            EXPECT_EQ(model, settings.values.end());
        }
        EXPECT_EQ(d.link.m_AnyAHPIPrinter, c.anyAhpi);
    }
}

TEST_F(LinkTest, ChosenProductSearchClosesEveryDeviceItDoesNotKeep) {
    struct Case {
        const char* name;
        std::vector<Device> devices;
        bool result;
        int held;
        std::vector<int> neverWritten;
    } cases[] = {
        {"mouse first", {{kMouseVendor, 0xC077, Behaviour::Answers}, {kVendor, 0xD2A8, Behaviour::Answers}}, true, 1,
         {0}},
        {"printer first", {{kVendor, 0xD2A8, Behaviour::Answers}, {kMouseVendor, 0xC077, Behaviour::Answers}}, true,
         0, {1}},
        {"only a mouse", {{kMouseVendor, 0xC077, Behaviour::Answers}}, false, -1, {0}},
        {"silent printer, then one that answers",
         {{kVendor, 0xD2A8, Behaviour::Silent}, {kVendor, 0xD2C2, Behaviour::Answers}}, true, 1, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Discovery d(serial, tcp, settings, dialogs, notices, loop, clock, c.devices);
        d.link.strUSBProductID = "AXO3650";
        EXPECT_EQ(d.link.fncFindHIDDevice(), c.result);
        EXPECT_EQ(d.link.StrVidPid, "vid_1B7D&pid_D2C2");
        EXPECT_EQ(d.heldOpen(), c.held);
        if (c.held < 0) {
            EXPECT_EQ(d.link.m_lngHIDHandle, 0);
        }
        for (int i : c.neverWritten) EXPECT_EQ(d.written[d.ids[static_cast<std::size_t>(i)]], 0);
    }
}

TEST_F(LinkTest, UsbHidConnectThroughTheDialogFindsTheSimulatedPrinter) {
    for (const char* product : {"Any HID USB POS Printer", "AXO 3650"}) {
        SCOPED_TRACE(product);
        ASSERT_TRUE(connect(18, 3, product));
        EXPECT_GT(link->m_lngHIDHandle, 0);
        EXPECT_EQ(link->AHPIStatus(), "True");
        EXPECT_EQ(link->m_dblFirmwareVersion, 398);
        EXPECT_EQ(countCommand("GS I @ A3 (firmware)"), 1);
        EXPECT_TRUE(link->DisconnectPrinter());
        EXPECT_EQ(hid.openHandles(hidAdapter->device()), 0);
        printer.clearLog();
    }
}

}  // namespace
}  // namespace linktest
