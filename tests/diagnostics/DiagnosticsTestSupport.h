// The diagnostics window on the simulated printer: connect the main window
// over a link, open the window (modeless, so the test can click, type and
// let time pass while it is open), and read its panel and buttons.
#pragma once

#include <set>

#include "diagnostics/DiagnosePrinterDlg.h"
#include "shell/WorkWindowTestSupport.h"

namespace diagtest {

using namespace shelltest;
using platform::Bytes;
using Strings = std::vector<std::string>;

class DiagnosticsWorld : public WorkWindowWorld {
protected:
    static constexpr int kWireMs = 50;
    static constexpr int kDisconnectButton = 2;

    DiagnosticsWorld() { printer.status().drawerOpen = false; }

    // Connects and opens the window; the printer's log and paper start empty
    // just before the window opens.
    diagnostics::DiagnosePrinterDlg& open(Link link, int type = 0, int paperEntry = 0, bool anyHid = true) {
        connect(link, type, paperEntry, anyHid);
        printer.clearLog();
        printer.paper().clear();
        window = platform::newForm<diagnostics::DiagnosePrinterDlg>(mainWindow());
        window->Show();
        return *window;
    }

    // Closes the window and the link, so the next open connects afresh.
    void disconnect() {
        platform::Unload(*window);
        ASSERT_TRUE(clickButton(kDisconnectButton));
    }

    // StatusIndex of every checked indicator.
    std::set<int> checked() {
        std::set<int> out;
        for (int i = 1; i <= 29; ++i)
            if (auto* box = indicatorBox(i); box && box->Value() == platform::vbChecked) out.insert(i);
        return out;
    }
    std::set<int> enabledIndicators() {
        std::set<int> out;
        for (int i = 1; i <= 29; ++i)
            if (auto* box = indicatorBox(i); box && box->Enabled()) out.insert(i);
        return out;
    }
    platform::CheckBox* indicatorBox(int i) {
        auto& w = *window;
        if (i >= 1 && i <= 6) return &w.PaperStatus(i - 1);
        if (i >= 8 && i <= 14) return &w.PrinterStatus(i - 7);
        if (i >= 15 && i <= 22) return &w.ErrorCondition(i - 15);
        if (i >= 23 && i <= 29) return &w.KioskStatus(i - 23);
        return nullptr;
    }

    // The ten test buttons' Enabled, as "1234567890" with '-' for disabled:
    // Receipt, Form, Color, TwoSide, Logo, Slip, MICR, Flip, Scan, Drawer.
    std::string enabledButtons() {
        auto& w = *window;
        const platform::CommandButton* buttons[] = {&w.ReceiptButton, &w.PrintFormButton, &w.ColorPrintButton,
                                                     &w.TwoSideButton, &w.DownloadLogoButton, &w.SlipButton,
                                                     &w.MICRButton,    &w.FlipButton,      &w.CheckScanButton,
                                                     &w.DrawerButton};
        std::string out;
        for (int i = 0; i < 10; ++i) out += buttons[i]->Enabled() ? "1234567890"[i] : '-';
        return out;
    }

    // What went on paper, one readable line each, once the last bytes sent
    // have crossed the wire.
    Strings paper() {
        runFor(kWireMs);
        return printer.paper().describe();
    }

    // The decoded commands the printer received, status requests left out.
    Strings printCommands() {
        runFor(kWireMs);
        Strings out;
        for (const std::string& c : printer.commands())
            if (c.rfind("GS EOT", 0) != 0 && c.rfind("DLE E", 0) != 0 && c != "ESC v" && c.rfind("ESC u", 0) != 0)
                out.push_back(c);
        return out;
    }

    std::shared_ptr<diagnostics::DiagnosePrinterDlg> window;
};

}  // namespace diagtest
