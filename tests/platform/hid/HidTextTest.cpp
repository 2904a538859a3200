// The pure parts of the hidraw layer: uevent lines, identifier and path
// texts, report descriptors.
#include <gtest/gtest.h>

#include <random>

#include "DiscoveryPath.h"
#include "platform/hid/HidSysfs.h"
#include "platform/hid/ReportDescriptor.h"

namespace platform {
namespace {

TEST(HidUevent, ParsesGoodLinesAndRejectsBadIds) {
    struct Case {
        std::string text;
        bool valid;
        std::uint16_t bus, vendor, product;
        std::string name, phys;
    };
    const std::string longName(100000, 'x');
    const Case cases[] = {
        {"DRIVER=hid-generic\nHID_ID=0003:00001B7D:0000D2A8\nHID_NAME=POS Printer\n"
         "HID_PHYS=usb-0000:00:14.0-2/input0\nHID_UNIQ=\n",
         true, 3, 0x1B7D, 0xD2A8, "POS Printer", "usb-0000:00:14.0-2/input0"},
        {"HID_ID=0005:0000abcd:00000001\r\nHID_NAME=Wireless=Thing\r\n", true, 5, 0xABCD, 1,
         "Wireless=Thing", ""},
        {"HID_NAME=" + longName + "\nHID_ID=3:1b7d:d2a8", true, 3, 0x1B7D, 0xD2A8, longName, ""},
        {"HID_NAME=no id\n", false, 0, 0, 0, "", ""},
        {"HID_ID=0003:00001B7D\n", false, 0, 0, 0, "", ""},
        {"HID_ID=0003:00001B7D:0000D2A8:0001\n", false, 0, 0, 0, "", ""},
        {"HID_ID=0003:00011B7D:0000D2A8\n", false, 0, 0, 0, "", ""},
        {"HID_ID=0003:0000XB7D:0000D2A8\n", false, 0, 0, 0, "", ""},
        {"HID_ID=0003::0000D2A8\n", false, 0, 0, 0, "", ""},
        {"HID_ID=0003:00001B7D:0000D2A8\nHID_ID=0003:00001234:00000001\n", false, 0, 0, 0, "", ""},
        {std::string("\x01\xff===\n\n\0HID_ID", 12), false, 0, 0, 0, "", ""},
        {"", false, 0, 0, 0, "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text.substr(0, 60));
        HidUevent ev = parseHidUevent(c.text);
        EXPECT_EQ(ev.valid, c.valid);
        EXPECT_EQ(ev.bus, c.bus);
        EXPECT_EQ(ev.vendor, c.vendor);
        EXPECT_EQ(ev.product, c.product);
        EXPECT_EQ(ev.name, c.name);
        EXPECT_EQ(ev.phys, c.phys);
    }
}

TEST(HidNames, IdentifiersHoldTheComparedCharactersAndLeadToTheInterfacePath) {
    struct Case {
        std::uint16_t vendor, product;
        std::string phys, instance, identifier, path;
    };
    const Case cases[] = {
        {0x1B7D, 0xD2A8, "usb-0000:00:14.0-2/input0", "USB-0000&00&14.0-2&INPUT0",
         "HID\\\\VID_1B7D&PID_D2A8\\\\USB-0000&00&14.0-2&INPUT0",
         "\\\\?\\hid#vid_1b7d&pid_d2a8#usb-0000&00&14.0-2&input0#"
         "{4d1e55b2-f16f-11cf-88cb-001111000030}"},
        {0x00AB, 0x0C0F, "odd#name\\with=\"quotes\"", "ODD&NAME&WITH&&QUOTES&",
         "HID\\\\VID_00AB&PID_0C0F\\\\ODD&NAME&WITH&&QUOTES&",
         "\\\\?\\hid#vid_00ab&pid_0c0f#odd&name&with&&quotes&#"
         "{4d1e55b2-f16f-11cf-88cb-001111000030}"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.identifier);
        EXPECT_EQ(hidInstanceText(c.phys), c.instance);
        std::string id = hidDeviceIdentifier(c.vendor, c.product, c.instance);
        EXPECT_EQ(id, c.identifier);
        EXPECT_EQ(id.substr(0, 3), "HID");
        EXPECT_EQ(id.substr(9, 4), hex4(c.vendor));
        EXPECT_EQ(id.substr(5, 17), "VID_" + hex4(c.vendor) + "&PID_" + hex4(c.product));
        std::string path = hidInterfacePath(c.vendor, c.product, c.instance);
        EXPECT_EQ(path, c.path);
        EXPECT_TRUE(equalsIgnoreCase(pathFromIdentifier(id), path));
    }
    EXPECT_EQ(usbDeviceIdentifier(0x0ABC, 0x0001, "1-1"), "USB\\\\VID_0ABC&PID_0001\\\\1-1");
}

using B = Bytes;

const B kPrinter = {0x06, 0x8B, 0xFF, 0x09, 0x05, 0xA1, 0x01, 0x15, 0x00, 0x26, 0xFF, 0x00,
                    0x75, 0x08, 0x85, 0x09, 0x95, 0x3F, 0x09, 0x01, 0x81, 0x02, 0x85, 0x08,
                    0x95, 0x3F, 0x09, 0x01, 0x91, 0x02, 0xC0};
const B kNoIds = {0x06, 0x00, 0xFF, 0x09, 0x01, 0xA1, 0x01, 0x15, 0x00, 0x26, 0xFF, 0x00,
                  0x75, 0x08, 0x95, 0x40, 0x09, 0x01, 0x81, 0x02, 0x95, 0x40, 0x09, 0x01,
                  0x91, 0x02, 0x95, 0x08, 0x09, 0x02, 0xB1, 0x02, 0xC0};
const B kKeyboard = {0x05, 0x01, 0x09, 0x06, 0xA1, 0x01, 0x05, 0x07, 0x19, 0xE0, 0x29, 0xE7,
                     0x15, 0x00, 0x25, 0x01, 0x75, 0x01, 0x95, 0x08, 0x81, 0x02, 0x95, 0x01,
                     0x75, 0x08, 0x81, 0x01, 0x95, 0x05, 0x75, 0x01, 0x05, 0x08, 0x19, 0x01,
                     0x29, 0x05, 0x91, 0x02, 0x95, 0x01, 0x75, 0x03, 0x91, 0x01, 0x95, 0x06,
                     0x75, 0x08, 0x15, 0x00, 0x25, 0x65, 0x05, 0x07, 0x19, 0x00, 0x29, 0x65,
                     0x81, 0x00, 0xC0};
// Several input IDs (the longest counts), a feature report, no output.
const B kSeveralIds = {0x05, 0x01, 0x09, 0x02, 0xA1, 0x01, 0x85, 0x01, 0x75, 0x08, 0x95, 0x03,
                       0x81, 0x02, 0x85, 0x02, 0x95, 0x07, 0x81, 0x02, 0x85, 0x03, 0x95, 0x02,
                       0xB1, 0x02, 0xC0};
// A four-byte usage naming its page, push/pop of the report size, a long item.
const B kPushPop = {0x0B, 0x01, 0x00, 0x8B, 0xFF, 0xA1, 0x01, 0x75, 0x08, 0x95, 0x04, 0xA4,
                    0x75, 0x10, 0x95, 0x02, 0x81, 0x02, 0xB4, 0x81, 0x02, 0xFE, 0x02, 0x10,
                    0xAA, 0xBB, 0xC0};

TEST(ReportDescriptor, GivesUsageAndLongestReportsCountingByteZero) {
    struct Case {
        const char* what;
        B descriptor;
        HidCaps caps;  // Usage, UsagePage, In, Out, Feature, value caps
        bool numbered;
    };
    const Case cases[] = {
        {"printer", kPrinter, {5, 0xFF8B, 64, 64, 0, 1}, true},
        {"no report IDs", kNoIds, {1, 0xFF00, 65, 65, 9, 1}, false},
        {"keyboard", kKeyboard, {6, 1, 9, 2, 0, 0}, false},
        {"several IDs", kSeveralIds, {2, 1, 8, 0, 3, 2}, true},
        {"push, pop, long item", kPushPop, {1, 0xFF8B, 9, 0, 0, 2}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto info = parseReportDescriptor(c.descriptor);
        ASSERT_TRUE(info);
        const HidCaps& caps = info->caps;
        EXPECT_EQ(caps.Usage, c.caps.Usage);
        EXPECT_EQ(caps.UsagePage, c.caps.UsagePage);
        EXPECT_EQ(caps.InputReportByteLength, c.caps.InputReportByteLength);
        EXPECT_EQ(caps.OutputReportByteLength, c.caps.OutputReportByteLength);
        EXPECT_EQ(caps.FeatureReportByteLength, c.caps.FeatureReportByteLength);
        EXPECT_EQ(caps.NumberInputValueCaps, c.caps.NumberInputValueCaps);
        EXPECT_EQ(info->usesReportIds, c.numbered);
    }
}

TEST(ReportDescriptor, RejectsMalformedDescriptors) {
    B truncated(kPrinter.begin(), kPrinter.end() - 2);
    const std::pair<const char*, B> cases[] = {
        {"empty", {}},
        {"truncated item", truncated},
        {"collection left open", {0x09, 0x01, 0xA1, 0x01, 0x75, 0x08, 0x95, 0x01, 0x81, 0x02}},
        {"end without collection", {0xA1, 0x01, 0xC0, 0xC0}},
        {"no collection", {0x75, 0x08, 0x95, 0x01, 0x81, 0x02}},
        {"report ID 0", {0xA1, 0x01, 0x85, 0x00, 0x75, 0x08, 0x95, 0x01, 0x81, 0x02, 0xC0}},
        {"pop with nothing pushed", {0xA1, 0x01, 0xB4, 0xC0}},
        {"unnumbered then numbered",
         {0xA1, 0x01, 0x75, 0x08, 0x95, 0x01, 0x81, 0x02, 0x85, 0x01, 0x81, 0x02, 0xC0}},
        {"numbered, then unnumbered again through Pop", {0xA4, 0x85, 0x09, 0x90, 0xA0, 0xB4, 0x90, 0xC0}},
        {"endless report",
         {0xA1, 0x01, 0x77, 0xFF, 0xFF, 0xFF, 0xFF, 0x97, 0xFF, 0xFF, 0xFF, 0xFF, 0x81, 0x02, 0xC0}},
        {"long item cut short", {0xA1, 0x01, 0xC0, 0xFE, 0x05, 0x10, 0x01}},
    };
    for (const auto& [what, descriptor] : cases) {
        SCOPED_TRACE(what);
        EXPECT_FALSE(parseReportDescriptor(descriptor));
    }
}

TEST(ReportDescriptor, RandomAndMutatedInputNeverGivesUnboundedLengths) {
    std::mt19937 rng(20240611);
    const B* seeds[] = {&kPrinter, &kNoIds, &kKeyboard, &kSeveralIds, &kPushPop};
    int parsed = 0;
    for (int round = 0; round < 20000; ++round) {
        B d;
        if (round % 2) {
            d.resize(rng() % 80);
            for (auto& b : d) b = static_cast<std::uint8_t>(rng());
        } else {
            d = *seeds[rng() % 5];
            for (int flips = 1 + rng() % 4; flips > 0; --flips)
                d[rng() % d.size()] = static_cast<std::uint8_t>(rng());
            d.resize(rng() % (d.size() + 1));
        }
        auto info = parseReportDescriptor(d);
        if (!info) continue;
        ++parsed;
        const HidCaps& caps = info->caps;
        for (std::uint16_t len : {caps.InputReportByteLength, caps.OutputReportByteLength,
                                  caps.FeatureReportByteLength})
            EXPECT_LE(len, kMaxHidReportBytes);
    }
    EXPECT_GT(parsed, 0);  // the mutations reach past the first item
}

}  // namespace
}  // namespace platform
