// The communication category: interface type, the serial line settings,
// receive handling, USB interface and speed, and the protocol of the
// Ethernet real-time commands.
//
// Only the decision whether the printer is the 3695 (rows 1, 9 and 11, and
// after a restart rows 0 and 7) follows the model stored in the settings
// file after a restart; every other row follows the link's PrinterType.
// Rows the M27x, the 3695 or an open TCP connection lack are shown disabled.
#include "configuration/catalogue/Catalogue.h"

namespace configuration {

namespace {

const Options kInterfaceTypes = {" RS232/USB", " RS232", " USB"};
const Options kBaudRates = {" 115200", " 57600", " 38400", " 19200", " 9600", " 4800", " 2400", " 1200"};
const Options kBaudRates3695 = {" 115200", " 57600", " 38400", " 19200", " 9600"};
const Options kFlowControls = {" Xon / Xoff", " DTR / DSR"};
const Options kUsbInterfaces = {" Not Used", " AHPI (HID)", " PRTR Class"};
const Options kUsbSpeeds = {" Full Speed", " High Speed"};

Rules makeCommunicationRules() {
    const When is3695 = model({k3695Type});
    const When not3695 = modelNot({k3695Type});
    const When m27x = link({kM27xType});
    const When tcp = with(kTcpConnected);
    Rules r;
    // The 3695 decision.
    r.fill(9, "USB Interface Type:", kUsbInterfaces, 1, is3695)
        .fill(11, "USB Speed:", kUsbSpeeds, 0, is3695)
        .fill(1, "Baud Rate:", kBaudRates3695, 3, is3695)
        .fill(5, "Flow Control:", kFlowControls, 1, is3695)
        .label(7, "Receive Buffer:", is3695 & with(kModelFromSettings))
        .disable(7, is3695 & with(kModelFromSettings))
        .label(0, "Interface Type:", is3695 & with(kModelFromSettings))
        .disable(0, is3695 & with(kModelFromSettings));
    r.fill(9, "USB Interface Type:", kUsbInterfaces, 0, not3695)
        .label(11, "USB Speed:", not3695)
        .disable(11, not3695)
        .label(1, "Baud Rate:", not3695)
        .options(1, kBaudRates, not3695)
        .fill(5, "Flow Control:", kFlowControls, 1, not3695)
        .pick(1, 0, not3695 & link({1}))
        .pick(1, 3, not3695 & link({3}))
        .pick(1, 4, not3695 & linkNot({1, 3}));
    // From here on the link's PrinterType decides.
    r.label(0, "Interface Type:", link({k3695Type}))
        .disable(0, link({k3695Type}))
        .fill(0, "Interface Type:", kInterfaceTypes, 0, linkNot({k3695Type}))
        .disable(0, m27x)
        .disable(1, m27x)
        .fill(2, "Data Bits:", {" 8", " 7"}, 0)
        .disable(2, m27x)
        .fill(3, "Stop Bits:", {" 1", " 2"}, 0)
        .disable(3, m27x)
        .fill(4, "Parity:", {" None", " Even", " Odd"}, 0)
        .disable(4, m27x)
        .disable(5, m27x)
        .fill(6, "Reception Errors:", {" Ignore Errors", " Print '?'"}, 1)
        .disable(6, m27x)
        .label(7, "Receive Buffer:", link({kM27xType, k3695Type}))
        .disable(7, link({kM27xType, k3695Type}))
        .fill(7, "Receive Buffer:", {" 4K", " 128 Bytes", " 8K Bytes", " 12K Bytes"}, 0, link({6}))
        .fill(7, "Receive Buffer:", {" 4096 Bytes", " 64 Bytes"}, 0, linkNot({6, kM27xType, k3695Type}))
        .label(8, "DSR Signal:", link({kM27xType, 10}))
        .disable(8, link({kM27xType, 10}))
        .fill(8, "DSR Signal:", {" Enabled", " Disabled"}, 0, linkNot({kM27xType, 10}))
        .fill(10, "Ethernet RTC Protocol:", {"TCP", "UDP"}, 0);
    // Over TCP only the Ethernet protocol and the receive settings remain.
    r.enableBox(10, tcp);
    for (int row : {0, 1, 2, 3, 4, 5, 8, 9, 11}) r.disable(row, tcp);
    r.disable(10, without(kTcpConnected)).disable(9, m27x);
    return r;
}

}  // namespace

const Rules& communicationRules() {
    static const Rules rules = makeCommunicationRules();
    return rules;
}

}  // namespace configuration
