// Opening the configuration window from the main window's Change
// Configuration button (its workWindows.changeConfiguration hook).
//
// Makes a new window for each opening, shows it modally owned by the main
// window (the event loop runs nested until it closes) and releases it.
#pragma once

namespace shell {
class MainWindow;
}

namespace configuration {

// The window's WantDisconnect: True when the main window is to drop the link.
bool OpenChangeConfigDlg(shell::MainWindow& mainWindow);

}  // namespace configuration
