#include "link/ReceiveRouting.h"

namespace printerlink {

using platform::Bytes;

namespace {
// A window's real-time status request answered, whatever the bytes are.
void takeAsAnswer(bool& requested, bool& answered) {
    answered = true;
    requested = false;
}
}  // namespace

void ReceiveRouting::routeSerialInput(const Bytes& data) {
    StatusHandshake& handshake = to_.handshake;
    if (handshake.bDiagStatusRequested) {
        readrealTimeResponesDiag(data);
    } else if (handshake.m_SendRealTimeStatusCmd) {
        takeAsAnswer(handshake.m_SendRealTimeStatusCmd, handshake.m_ResponseRealTimeStatusCmd);
    } else if (handshake.bSendCmdForRealTimstatus) {
        takeAsAnswer(handshake.bSendCmdForRealTimstatus, handshake.bResponseForRealTimestatus);
    } else if (to_.awaitingConnectionStatus) {
        to_.connectionStatus(data);
    } else {
        toFirmwareOrWindows(data);
    }
}

void ReceiveRouting::readrealTimeResponesDiag(const Bytes& data) {
    Bytes& taken = to_.handshake.diagStatusAnswerBytes;
    taken.insert(taken.end(), data.begin(), data.end());
    takeAsAnswer(to_.handshake.bDiagStatusRequested, to_.handshake.bDiagStatusAnswered);
}

void ReceiveRouting::routeLanData(const Bytes& data) {
    to_.tallies.parseWaitingTallies(data);
    toFirmwareOrWindows(data);
}

// A report reaches the windows from its report ID up to its first zero byte.
void ReceiveRouting::deliverHidReport(const Bytes& report) {
    toFirmwareOrWindows(platform::toBytes(platform::toTextUntilNul(report)));
}

void ReceiveRouting::toFirmwareOrWindows(const Bytes& data) {
    if (to_.awaitingFirmware)
        to_.firmwareVersion(data);
    else
        to_.windows(data);
}

}  // namespace printerlink
