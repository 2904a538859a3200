// Module-level flags shared by the printer link and the windows.
//
// Ownership: these are process-wide values, one set per run, all False (0)
// at start. The link and every window read and write them directly on the
// event-loop thread; nothing here blocks. Tests call resetLinkModuleState()
// between cases so one case never sees another's leftovers.
#pragma once

namespace printerlink {

// Connecting and reconnecting.
inline bool bLinkLost = false;                // a work window found the serial printer silent
inline bool bAutoReconnect = false;           // with bPrinterRestarted: reopen from the settings file
inline bool bPrinterRestarted = false;        // the configuration window restarted the printer
inline bool bConnectDialogCancelled = false;  // the connection dialog was closed without OK
inline bool bConnectRequested = false;        // the connection dialog was closed by OK
inline bool bLanRestartPending = false;       // reconnect once the TCP restart command is sent
inline bool bSuppressLanTimeout = false;      // the TCP reply watchdog stays silent
inline bool bVerifySerialLink = false;        // tell the user once when the serial check failed
inline bool bRestartPending = false;          // a printer restart is under way
inline bool bRestartSentOnLink = false;       // a restart went out over TCP or USB HID

// What the TCP printer answers after connecting.
inline bool bLanAnswersGsEot = false;
inline bool bLanAnswersEscV = false;

// Puts every module flag and the status handshake record
// (link/StatusHandshake.h) back to their start values.
void resetLinkModuleState();

}  // namespace printerlink
