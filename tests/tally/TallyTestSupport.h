// The tally window's tests: the work-window world (virtual clock, doubles,
// simulated printer, a main window connected through the connection dialog)
// with the tally window opened as View Tally opens it, but modeless, so a
// test can act on it and look at it step by step. Message boxes are
// answered by the world's driver ('1' Yes/OK unless messageKeys says '0').
#pragma once

#include "shell/WorkWindowTestSupport.h"
#include "tally/ViewTallyDlg.h"

namespace tallytest {

using platform::Bytes;
using shelltest::Link;
using Strings = std::vector<std::string>;

class TallyWorld : public shelltest::WorkWindowWorld {
protected:
    // As the main window's View Tally does: the read is asked for, then a
    // fresh window shows and reads from the loop; the first pass runs the
    // read whole, then the window is given 500 ms.
    tally::ViewTallyDlg& openTally() {
        printerlink::statusHandshake.m_Flag = true;
        window_ = platform::newForm<tally::ViewTallyDlg>(mainWindow());
        window_->Show();
        idle(1);
        idle(500);
        return *window_;
    }
    tally::ViewTallyDlg& w() { return *window_; }

    Strings idTexts() {
        Strings out;
        for (int i = 0; i < tally::kIdItemCount; ++i) out.push_back(w().PrinterIDText(i).Text());
        return out;
    }
    Strings tallyTexts() {
        Strings out;
        for (int i = 0; i < tally::kTallyCount; ++i) out.push_back(w().PrinterTallyText(i).Text());
        return out;
    }
    // Ticks a box and types into its field, as a user does.
    void setTally(int i, const std::string& text) {
        ASSERT_TRUE(driver.click(w().PrinterTally(i)));
        driver.editText(w().PrinterTallyText(i), text);
    }
    void setId(int item, const std::string& text) {
        ASSERT_TRUE(driver.click(w().PrinterID(item)));
        driver.editText(w().PrinterIDText(item), text);
    }
    // The commands the printer took since the last call, by their names.
    Strings commandsSince() {
        Strings names = printer.commands();
        printer.clearLog();
        return names;
    }

    std::shared_ptr<tally::ViewTallyDlg> window_;
};

}  // namespace tallytest
