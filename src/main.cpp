// The utility as a program: the Qt front end with its one event loop on the
// real clock, the real transports (serial ports, TCP, USB HID through
// hidraw), and the main window, with the settings file in the folder of the
// executable. A second start while one runs is refused with the platform's
// own message box.
#include "diagnostics/DiagnosePrinterDlg.h"
#include "configuration/apply/OpenChangeConfigDlg.h"
#include "gui/Application.h"
#include "gui/PlainMessage.h"
#include "platform/hid/LinuxHidSystem.h"
#include "platform/serial/PosixSerialPort.h"
#include "platform/tcp/TcpSocket.h"
#include "shell/MainWindow.h"
#include "shell/TypeDefinition.h"
#include "tally/ViewTallyDlg.h"

int main(int argc, char** argv) {
    gui::Application frontEnd(argc, argv);
    // The transports outlive the main window, which is declared after them.
    platform::PosixSerialPort serial(frontEnd.loop());
    platform::TcpSocket tcp(frontEnd.loop());
    platform::LinuxHidSystem hid;

    const auto window = shell::Main(printerlink::LinkTransports{serial, tcp, hid},
                                    [](const std::string& text, int iconStyle, const std::string& caption) {
                                        gui::showPlainMessage(caption, text, iconStyle == 16);
                                    });
    if (!window) return 0;
    window->workWindows.diagnose = diagnostics::OpenDiagnosePrinterDlg;
    window->workWindows.changeConfiguration = configuration::OpenChangeConfigDlg;
    window->workWindows.viewTally = tally::ShowViewTallyDlg;
    frontEnd.run();
    return 0;
}
