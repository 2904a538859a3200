// What the configuration window's printer commands do: its Apply, Apply
// All, Restart, Print Diag Form and Restore Defaults buttons and its status
// poll. The window owns one object and calls it from those buttons, their
// keys and its StatusTimer; the configuration apply supplies the object
// when it opens the window (a window made without one does nothing there).
//
// Every call runs on the event loop inside the window's handler; an
// implementation may send, wait, show modal boxes and unload the window
// (its destruction waits until the handler has returned).
#pragma once

namespace configuration {

class ChangeConfigDlg;

class ConfigurationCommands {
public:
    virtual ~ConfigurationCommands() = default;
    virtual void ApplyButton_Click(ChangeConfigDlg& /*window*/) {}
    virtual void ApplyAll_Click(ChangeConfigDlg& /*window*/) {}
    virtual void RebootButton_Click(ChangeConfigDlg& /*window*/) {}
    virtual void PrintFormButton_Click(ChangeConfigDlg& /*window*/) {}
    virtual void RestoreDefaultButton_Click(ChangeConfigDlg& /*window*/) {}
    virtual void StatusTimer_Timer(ChangeConfigDlg& /*window*/) {}
};

}  // namespace configuration
