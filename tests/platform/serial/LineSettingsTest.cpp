#include <gtest/gtest.h>

#include <termios.h>

#include "TransportTestSupport.h"
#include "platform/RuntimeError.h"
#include "platform/serial/PortDevice.h"
#include "platform/serial/TermiosSetup.h"

using namespace platform;
using test::errorOf;

namespace {

TEST(LineSettings, ReadsTheFourFieldsTheLinkBuilds) {
    struct Case {
        const char* text;
        LineSettings want;
    };
    const Case cases[] = {
        {"9600,N,8,1", {9600, 'N', 8, 1}},
        {"19200,E,7,2", {19200, 'E', 7, 2}},
        {"115200,o,8,1", {115200, 'O', 8, 1}},
        {" 4800 , N , 8 , 1 ", {4800, 'N', 8, 1}},
        {"9600,M,8,1", {9600, 'M', 8, 1}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        LineSettings got = parseLineSettings(c.text);
        EXPECT_EQ(got.baud, c.want.baud);
        EXPECT_EQ(got.parity, c.want.parity);
        EXPECT_EQ(got.dataBits, c.want.dataBits);
        EXPECT_EQ(got.stopBits, c.want.stopBits);
    }
}

TEST(LineSettings, MalformedTextIsAnInvalidPropertyValue) {
    const char* bad[] = {"",           "9600",          "9600,N,8",       "9600,N,8,1,1", "abc,N,8,1",
                         "9600,X,8,1", "9600,NN,8,1",   "9600,N,9,1",     "9600,N,8,3",   "9600,N,8,1.5",
                         "-9600,N,8,1", "9600,,8,1",    "0,N,8,1",        "96 00,N,8,1",  "99999999,N,8,1"};
    for (const char* text : bad) {
        SCOPED_TRACE(text);
        EXPECT_EQ(errorOf([&] { parseLineSettings(text); }), err::InvalidProperty);
    }
}

TEST(LineSettings, TermiosCarriesRateFramingAndHandshake) {
    struct Case {
        LineSettings line;
        int handshaking;
        speed_t speed;
        tcflag_t cflagSet, cflagClear, iflagSet, iflagClear;
    };
    const Case cases[] = {
        {{9600, 'N', 8, 1}, 0, B9600, CS8 | CREAD | CLOCAL, PARENB | CSTOPB | CRTSCTS, 0, IXON | IXOFF},
        {{19200, 'E', 7, 2}, 1, B19200, CS7 | PARENB | CSTOPB, PARODD | CRTSCTS, IXON | IXOFF | INPCK, 0},
        {{115200, 'O', 8, 1}, 2, B115200, CS8 | PARENB | PARODD | CRTSCTS, CSTOPB, INPCK, IXON | IXOFF},
        {{1200, 'N', 8, 2}, 0, B1200, CS8 | CSTOPB, PARENB | CRTSCTS, 0, IXON | IXOFF},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line.baud);
        termios tio {};
        tio.c_iflag = IXON | ICRNL;
        tio.c_lflag = ICANON | ECHO;
        applyLineSettings(tio, c.line, c.handshaking);
        EXPECT_EQ(cfgetispeed(&tio), c.speed);
        EXPECT_EQ(cfgetospeed(&tio), c.speed);
        EXPECT_EQ(tio.c_cflag & CSIZE, c.cflagSet & CSIZE);
        EXPECT_EQ(tio.c_cflag & (c.cflagSet & ~CSIZE), c.cflagSet & ~CSIZE);
        EXPECT_EQ(tio.c_cflag & c.cflagClear, 0u);
        EXPECT_EQ(tio.c_iflag & c.iflagSet, c.iflagSet);
        EXPECT_EQ(tio.c_iflag & c.iflagClear, 0u);
        // Raw: no line editing, no echo, no CR translation of printer bytes.
        EXPECT_EQ(tio.c_lflag & (ICANON | ECHO), 0u);
        EXPECT_EQ(tio.c_iflag & ICRNL, 0u);
    }
}

TEST(LineSettings, ValuesThePortCannotDriveAreRefused) {
    struct Case {
        LineSettings line;
        int handshaking;
    };
    const Case cases[] = {
        {{14400, 'N', 8, 1}, 0}, {{300, 'N', 8, 1}, 0}, {{9600, 'M', 8, 1}, 0},
        {{9600, 'S', 8, 1}, 0},  {{9600, 'N', 5, 1}, 0}, {{9600, 'N', 8, 1}, 3},
    };
    for (const Case& c : cases) {
        termios tio {};
        EXPECT_EQ(errorOf([&] { applyLineSettings(tio, c.line, c.handshaking); }), err::InvalidProperty);
    }
}

TEST(PortDevice, BuiltInPortsAndPortFiles) {
    EXPECT_EQ(defaultPortDevice(1), "/dev/ttyS0");
    EXPECT_EQ(defaultPortDevice(16), "/dev/ttyS15");
    EXPECT_EQ(defaultPortDevice(0), "");
    EXPECT_EQ(defaultPortDevice(17), "");

    struct Case {
        const char* content;
        const char* device;
    };
    const Case cases[] = {
        {"/dev/ttyUSB0\n", "/dev/ttyUSB0"},
        {"  /dev/ttyUSB1\r\nsecond line\n", "/dev/ttyUSB1"},
        {"ttyACM0", "/dev/ttyACM0"},
        {"", ""},
        {"\n/dev/ttyUSB0\n", ""},
        {" \t\r\n", ""},
    };
    for (const Case& c : cases) EXPECT_EQ(deviceFromPortFile(c.content), c.device) << c.content;
}

}  // namespace
