// Screenshots of the shell's windows, drawn through the Qt front end, for a
// person to look at: the main window, the connection dialog for a serial
// port, LAN and AHPI, and each style of the message box.
#include "ShellTestSupport.h"

#include "gui/QtApplicationHolder.h"
#include "gui/QtFontMetrics.h"
#include "gui/Screenshot.h"
#include "platform/forms/FontMetrics.h"

namespace shelltest {
namespace {

class Screens : public ShellWorld {
protected:
    Screens() {
        gui::ensureQtApplication();
        // Text is measured as the front end draws it.
        platform::setFontMetrics(std::make_shared<gui::QtFontMetrics>());
        platform::app().setTitle("DuRudo");
    }
    ~Screens() override { platform::setFontMetrics(nullptr); }

    void shoot(platform::Form& form, const std::string& name) {
        const std::string path = std::string(SHELL_SCREENSHOT_DIR) + "/" + name + ".png";
        EXPECT_TRUE(gui::saveScreenshot(form, path)) << path;
        EXPECT_GT(fs::file_size(path), 1000u) << path;
    }
};

TEST_F(Screens, MainWindow) {
    shoot(mainWindow(), "main-window");
    printer.config().printerType = 14;
    attachTcp();
    answerDialog([this](shell::ConnectPrinterDlg& d) {
        chooseModel(d, 14);
        driver.chooseListItem(d.PrinterType(1), 1);
        chooseLan(d);
        pressOk(d);
    });
    ASSERT_TRUE(clickButton(1));
    EXPECT_EQ(mainWindow().Caption(), "DuRudo - M27x(82.5mm) on LAN");
    shoot(mainWindow(), "main-window-lan");
}

TEST_F(Screens, ConnectionDialog) {
    struct Case {
        const char* name;
        int port, model;
    } cases[] = {{"connect-com", 3, 5}, {"connect-lan", 17, 0}, {"connect-ahpi", 18, 9}};
    for (const Case& c : cases) {
        auto dlg = platform::newForm<shell::ConnectPrinterDlg>(mainWindow());
        answerDialog([&](shell::ConnectPrinterDlg& d) {
            if (c.port == 18) choosePort(d, c.port);
            chooseModel(d, c.model);
            if (c.port != 18) choosePort(d, c.port);
            shoot(d, c.name);
            pressCancel(d);
        });
        dlg->Show(platform::vbModal, &mainWindow());
    }
}

TEST_F(Screens, MessageBoxStyles) {
    struct Case {
        const char* name;
        std::string text;
        long buttons, icon;
    } cases[] = {
        {"message-ok-information", "Make sure DSR Signal option is enabled in the communication interface", 0, 64},
        {"message-okcancel-information", shell::MainWindow::kExitQuestion, 1, 64},
        {"message-yesno-question", "Do you want to print the diagnostic form?", 4, 32},
        {"message-ok-exclamation",
         "Runtime Error :75\r\nPath/File access error\r\nPlease restart the application with admin privileges.", 0,
         48},
        {"message-ok-critical", "Flash Write failed.", 0, 16},
        {"message-ok-noicon", "The printer on COM3 is not online.\r\nPlease check printer cable and power.", 0, 0},
    };
    for (const Case& c : cases) {
        driver.answerNext([&](platform::Form& box) {
            shoot(box, c.name);
            driver.closeBox(box);
        });
        shell::ShowMessage(c.text, c.buttons, c.icon);
    }
    driver.answerNext([&](platform::Form& notice) { shoot(notice, "notice-checking-connection"); });
    shell::ShowTimedNotice("Checking the printer connection....", 800);
}

}  // namespace
}  // namespace shelltest
