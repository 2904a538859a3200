#include "platform/serial/TermiosSetup.h"

#include "platform/RuntimeError.h"

namespace platform {

namespace {

[[noreturn]] void refuse(const std::string& what) {
    throw RuntimeError(err::InvalidProperty, errorDescription(err::InvalidProperty) + " (" + what + ")");
}

}  // namespace

speed_t baudConstant(int baud) {
    switch (baud) {
    case 1200: return B1200;
    case 2400: return B2400;
    case 4800: return B4800;
    case 9600: return B9600;
    case 19200: return B19200;
    case 38400: return B38400;
    case 57600: return B57600;
    case 115200: return B115200;
    default: return B0;
    }
}

void applyLineSettings(termios& tio, const LineSettings& line, int handshaking) {
    speed_t speed = baudConstant(line.baud);
    if (speed == B0) refuse("baud rate " + std::to_string(line.baud) + " is not supported");
    if (line.parity != 'N' && line.parity != 'E' && line.parity != 'O')
        refuse(std::string("parity ") + line.parity + " is not supported");
    if (line.dataBits != 7 && line.dataBits != 8)
        refuse(std::to_string(line.dataBits) + " data bits are not supported");
    if (line.stopBits != 1 && line.stopBits != 2)
        refuse(std::to_string(line.stopBits) + " stop bits are not supported");
    if (handshaking < comm::HandshakeNone || handshaking > comm::HandshakeRtsCts)
        refuse("handshaking " + std::to_string(handshaking));

    ::cfmakeraw(&tio);
    ::cfsetispeed(&tio, speed);
    ::cfsetospeed(&tio, speed);

    tio.c_cflag &= ~(CSIZE | PARENB | PARODD | CSTOPB | CRTSCTS);
    tio.c_cflag |= CREAD | CLOCAL | (line.dataBits == 7 ? CS7 : CS8);
    if (line.parity != 'N') {
        tio.c_cflag |= PARENB;
        if (line.parity == 'O') tio.c_cflag |= PARODD;
        tio.c_iflag |= INPCK;
    }
    if (line.stopBits == 2) tio.c_cflag |= CSTOPB;

    tio.c_iflag &= ~(IXON | IXOFF | IXANY);
    if (handshaking == comm::HandshakeXonXoff) {
        tio.c_iflag |= IXON | IXOFF;
        tio.c_cc[VSTART] = 0x11;
        tio.c_cc[VSTOP] = 0x13;
    } else if (handshaking == comm::HandshakeRtsCts) {
        tio.c_cflag |= CRTSCTS;
    }

    // With O_NONBLOCK an empty read then fails with EAGAIN instead of
    // returning 0, so a zero-length read means the device hung up.
    tio.c_cc[VMIN] = 1;
    tio.c_cc[VTIME] = 0;
}

}  // namespace platform
