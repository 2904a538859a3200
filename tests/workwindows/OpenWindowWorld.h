// The work windows opened straight over the main window's link to the
// simulated printer, as their buttons open them, and what the tests here
// read off them.
#pragma once

#include <memory>
#include <string>
#include <type_traits>
#include <vector>

#include "configuration/apply/ConfigurationApply.h"
#include "configuration/editor/ChangeConfigDlg.h"
#include "diagnostics/BitmapFiles.h"
#include "diagnostics/DiagnosePrinterDlg.h"
#include "platform/dialogs/CommonDialog.h"
#include "shell/WorkWindowTestSupport.h"
#include "tally/ViewTallyDlg.h"

namespace shelltest {

using Config = configuration::ChangeConfigDlg;
using Tally = tally::ViewTallyDlg;
using Diag = diagnostics::DiagnosePrinterDlg;
using Strings = std::vector<std::string>;

class OpenWindowWorld : public WorkWindowWorld {
public:
    using WorkWindowWorld::driver;
    using WorkWindowWorld::folder;
    using WorkWindowWorld::idle;
    using WorkWindowWorld::mainWindow;
    using WorkWindowWorld::clickButton;
    using WorkWindowWorld::printer;

    // Shows the window as its button does (View Tally's button asks for the
    // read) and gives it `settleMs` after what it reads on opening (the
    // tally window reads in the loop's first pass once shown).
    template <class Window>
    Window& show(int settleMs) {
        printerlink::statusHandshake.m_Flag = true;
        std::shared_ptr<Window> window;
        if constexpr (std::is_same_v<Window, Config>)
            window = platform::newForm<Config>(mainWindow(), std::make_unique<configuration::ConfigurationApply>());
        else
            window = platform::newForm<Window>(mainWindow());
        window->Show(platform::vbModeless, &mainWindow());
        workWindow = window;
        idle(1);
        idle(settleMs);
        return *window;
    }

    // Whether `box` shows `text` within `ms`, looked at every 100 ms.
    bool shownWithin(const platform::TextBox& box, const char* text, int ms) {
        const platform::Micros until = clock.now() + ms * 1000;
        while (box.Text() != text && clock.now() < until) idle(100);
        return box.Text() == text && clock.now() <= until;
    }

    // What the windows told, questions left out.
    Strings told() const {
        Strings out;
        for (const MessageSeen& m : messages)
            if (!m.cancelShown) out.push_back(m.text);
        return out;
    }

    // Writes a small one-bit logo and chooses it in the next file dialog.
    void chooseLogoNext() {
        const auto file = folder / "logo.bmp";
        diagtest::writeFile(file, diagtest::monoBitmap(16, 8, false, [](int x, int y) { return x == y; }));
        driver.answerNext([file](platform::Form& f) { dynamic_cast<platform::FileDialogForm&>(f).choose(file); });
    }

    std::shared_ptr<platform::Form> workWindow;
};

}  // namespace shelltest
