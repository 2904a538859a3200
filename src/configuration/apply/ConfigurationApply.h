// The configuration window's printer commands as the apply carries them
// out: for now the window's status poll, which keeps a TCP or USB HID link
// telling the window whether the printer still answers. The buttons' own
// procedures do nothing yet.
//
// Runs inside the window's timer handler. The poll sends through the link
// (which yields) and on USB HID reads one report, blocking up to 150 ms; a
// read that times out raises the link's status event, which the window
// turns into "Offline".
#pragma once

#include "configuration/editor/ConfigurationCommands.h"

namespace configuration {

class ConfigurationApply : public ConfigurationCommands {
public:
    void StatusTimer_Timer(ChangeConfigDlg& window) override;
};

}  // namespace configuration
