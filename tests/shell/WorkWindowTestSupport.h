// The world a work window's tests run in: the shell's world (virtual clock,
// doubles, simulated printer, test driver answering every modal window)
// with a connect step that opens the main window's link to the simulated
// printer as a user does, through the connection dialog. The work window
// itself is opened through the main window's workWindows hook, exactly as
// the program does.
#pragma once

#include "ShellTestSupport.h"

namespace shelltest {

enum class Link { Serial, Lan, Usb };

inline const char* linkName(Link link) { return link == Link::Serial ? "serial" : link == Link::Lan ? "LAN" : "USB"; }

class WorkWindowWorld : public ShellWorld {
protected:
    static constexpr int kConnectButton = 1, kDiagnoseButton = 3, kChangeConfigurationButton = 4,
                         kViewTallyButton = 5;

    // Connect through the dialog to the simulated printer of `type` on
    // `link`, with the dialog's paper width entry `paperEntry` (80.0 and
    // 58.0 mm; 80.0, 82.5 and 114.0 mm for the M27x), and let the
    // after-connect probes finish. On USB HID the product is "Any HID USB
    // POS Printer" unless anyHid is false (then the model's own entry).
    // Messages and notices of the connect are forgotten.
    void connect(Link link, int type = 0, int paperEntry = 0, bool anyHid = true) {
        printer.config().printerType = type;
        answerDialog([this, link, type, paperEntry, anyHid](shell::ConnectPrinterDlg& d) {
            if (link == Link::Usb) choosePort(d, shell::kAhpiPortNumber);
            chooseModel(d, type);
            driver.chooseListItem(d.PrinterType(1), paperEntry);
            if (link == Link::Lan) chooseLan(d);
            if (link == Link::Usb && !anyHid) driver.chooseListItem(d.USBPidVid, 1);
            if (link == Link::Serial) driver.chooseListItem(d.PortSetting(1), serialBaudEntry);
            pressOk(d);
        });
        // A fresh attachment, so a USB HID printer shows the USB identity of
        // its present type.
        detachPrinter();
        if (link == Link::Serial) attachSerial();
        if (link == Link::Lan) attachTcp();
        if (link == Link::Usb) attachHid();
        ASSERT_TRUE(clickButton(kConnectButton));
        ASSERT_EQ(driver.pendingAnswers(), 0);
        idle(1000);
        messages.clear();
        notices.clear();
    }

    // The connection dialog's Baud Rate entry on serial: 0 is 115200, 4 is 9600.
    int serialBaudEntry = 0;
};

}  // namespace shelltest
