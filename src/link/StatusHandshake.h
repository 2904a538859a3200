// The work windows' real-time status handshakes, as one record the link
// routes the serial replies to.
//
// Ownership: one record for the whole run, all False and empty at start;
// resetLinkModuleState() puts it back. A window sets its request flag just
// before it sends DLE EOT 2 (10 04 02), not after: the send yields, and an
// answer that comes in during the send must find the flag up, or it would
// go to the windows as data and the check would wait for an answer that
// has already come (shell::RequestRealTimeStatus). While the diagnostics
// window's request flag is up, the serial input goes to the windows and that
// window answers its request itself. While the tally or the configuration
// window's is, the first byte of an input that has the real-time status
// reply's form and that the request door finds answering it (RequestDoor.h)
// answers it, and the input's other bytes go on as data; an input with no
// such byte answers nothing (ReceiveRouting.h). Answered, the
// answer flag is set and the request flag cleared. When several are up, the
// order of the fields below is the order they are served in, and the others
// stay up for the next input. The windows that the user sees are made anew
// for every opening, and each lets go of its request when it closes; they,
// the link and the connection dialog all reach the one record here. Nothing
// here blocks.
#pragma once

#include "platform/Text.h"

namespace printerlink {

struct StatusHandshake {
    // The diagnostics window's handshake, served first: while it is up the
    // input goes to the windows, and the window's reply interpreter answers
    // it (readrealTimeResponesDiag) when its request's turn comes.
    bool bDiagStatusRequested = false;
    bool bDiagStatusAnswered = false;

    // The tally window's handshake, served second.
    bool m_SendRealTimeStatusCmd = false;
    bool m_ResponseRealTimeStatusCmd = false;

    // The configuration window's handshake, served third; its serial
    // procedures take a clear answer flag for a lost link.
    bool bSendCmdForRealTimstatus = false;
    bool bResponseForRealTimestatus = false;

    // Set by the main window's View Tally button: on a serial or USB HID
    // link the tally window reads the ID items and tallies at its next
    // online status, and clears it then.
    bool m_Flag = false;
};

inline StatusHandshake statusHandshake;

}  // namespace printerlink
