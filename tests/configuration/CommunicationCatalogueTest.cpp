// The communication category for every printer type, on a TCP link and
// without one, and after a printer restart: the result table of the
// catalogue, row by row.
#include "CatalogueExpect.h"

namespace configtest {
namespace {

using configuration::CatalogueInputs;
using configuration::kCommunication;

const Options kBaud = {" 115200", " 57600", " 38400", " 19200", " 9600", " 4800", " 2400", " 1200"};
const Options kBaud3695 = {" 115200", " 57600", " 38400", " 19200", " 9600"};
const Options kUsbTypes = {" Not Used", " AHPI (HID)", " PRTR Class"};

// The table of the communication rows, read for one type and link.
std::vector<Expected> communicationTable(long t, bool tcp) {
    const bool m27x = t == 14, is3695 = t == 16;
    std::vector<Expected> rows(12);
    rows[0] = {"Interface Type:", is3695 ? Options{} : Options{" RS232/USB", " RS232", " USB"}, is3695 ? -1 : 0,
               !(is3695 || m27x || tcp)};
    rows[1] = {"Baud Rate:", is3695 ? kBaud3695 : kBaud, t == 1 ? 0 : (t == 3 || is3695) ? 3 : 4, !(m27x || tcp)};
    rows[2] = {"Data Bits:", {" 8", " 7"}, 0, !(m27x || tcp)};
    rows[3] = {"Stop Bits:", {" 1", " 2"}, 0, !(m27x || tcp)};
    rows[4] = {"Parity:", {" None", " Even", " Odd"}, 0, !(m27x || tcp)};
    rows[5] = {"Flow Control:", {" Xon / Xoff", " DTR / DSR"}, 1, !(m27x || tcp)};
    rows[6] = {"Reception Errors:", {" Ignore Errors", " Print '?'"}, 1, !m27x};
    if (t == 6)
        rows[7] = {"Receive Buffer:", {" 4K", " 128 Bytes", " 8K Bytes", " 12K Bytes"}, 0, true};
    else if (m27x || is3695)
        rows[7] = {"Receive Buffer:", {}, -1, false};
    else
        rows[7] = {"Receive Buffer:", {" 4096 Bytes", " 64 Bytes"}, 0, true};
    const bool noDsr = t == 10 || m27x;
    rows[8] = {"DSR Signal:", noDsr ? Options{} : Options{" Enabled", " Disabled"}, noDsr ? -1 : 0,
               !(noDsr || tcp)};
    rows[9] = {"USB Interface Type:", kUsbTypes, is3695 ? 1 : 0, !(m27x || tcp)};
    rows[10] = {"Ethernet RTC Protocol:", {"TCP", "UDP"}, 0, tcp};
    rows[11] = {"USB Speed:", is3695 ? Options{" Full Speed", " High Speed"} : Options{}, is3695 ? 0 : -1,
                is3695 && !tcp};
    return rows;
}

TEST(CommunicationCatalogue, EveryTypeWithAndWithoutTcp) {
    for (bool tcp : {false, true}) {
        for (long t : kAllTypes) {
            SCOPED_TRACE("type " + std::to_string(t) + (tcp ? " on TCP" : ""));
            CatalogueInputs in{.printerType = t, .tcpConnected = tcp};
            expectLayout(configuration::catalogueLayout(kCommunication, in), communicationTable(t, tcp));
        }
    }
}

TEST(CommunicationCatalogue, AfterARestartTheStored3695DecidesRowsOneFiveNineAndElevenOnly) {
    // The link still says 3640; the settings file names the 3695.
    CatalogueInputs in{.printerType = 0, .printerRestarted = true, .printerModelText = "16"};
    std::vector<Expected> rows = communicationTable(0, false);
    rows[0].state = State::Disabled;  // disabled by the stored model, filled by the link's
    rows[1] = {"Baud Rate:", kBaud3695, 3, true};
    rows[7].state = State::Disabled;
    rows[9].defaultIndex = 1;
    rows[11] = {"USB Speed:", {" Full Speed", " High Speed"}, 0, true};
    expectLayout(configuration::catalogueLayout(kCommunication, in), rows);

    // Every other stored type leaves every row to the link, the 3695's
    // rows included when the link is the 3695 and the stored model is not.
    for (long t : kAllTypes) {
        if (t == 16) continue;
        const long linkType = (t + 1) % 17;
        SCOPED_TRACE("stored " + std::to_string(t));
        in = CatalogueInputs{.printerType = linkType, .printerRestarted = true, .printerModelText = std::to_string(t)};
        rows = communicationTable(linkType, false);
        if (linkType == 16) {
            rows[1] = {"Baud Rate:", kBaud, 4, true};
            rows[9].defaultIndex = 0;
            rows[11] = {"USB Speed:", {}, -1, false};
        }
        expectLayout(configuration::catalogueLayout(kCommunication, in), rows);
    }

    // A stored text that is no number leaves the decision to the link.
    for (const char* text : {"", "x16", "1 6"}) {
        in.printerModelText = text;
        in.printerType = 16;
        SCOPED_TRACE(text);
        expectLayout(configuration::catalogueLayout(kCommunication, in), communicationTable(16, false));
    }
}

}  // namespace
}  // namespace configtest
