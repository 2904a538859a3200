// Screenshots of the shell's windows, drawn through the Qt front end: the
// main window, the connection dialog for a serial port, LAN and AHPI, and
// each style of the message box. They are saved for a person to look at,
// and each is checked to show every visible control where the model puts it.
#include "ShellTestSupport.h"

#include "gui/QtApplicationHolder.h"
#include "gui/QtFontMetrics.h"
#include "gui/Screenshot.h"
#include "platform/forms/FontMetrics.h"
#include "platform/forms/PictureBox.h"

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
        SCOPED_TRACE(name);
        const std::string path = std::string(SHELL_SCREENSHOT_DIR) + "/" + name + ".png";
        EXPECT_TRUE(gui::saveScreenshot(form, path)) << path;
        expectControlsDrawnInPlace(form, *gui::screenshotPicture(form));
    }

    // Inside each visible control something other than the window's face
    // is drawn, and a picture box's picture lies at its top left corner.
    static void expectControlsDrawnInPlace(platform::Form& form, const platform::PictureData& shot) {
        const std::uint32_t face = 0xFF000000u | argbOf(platform::systemColorRgb(form.BackColor()));
        auto pixel = [&](int x, int y) {
            return x >= 0 && y >= 0 && x < shot.width && y < shot.height ? shot.pixels[size_t(y) * shot.width + x] : 0u;
        };
        for (platform::Control* c : form.controls()) {
            if (!c->effectiveVisible() || !drawsSomething(*c)) continue;
            SCOPED_TRACE(c->displayName());
            const gui::PixelRect r = gui::screenshotRect(*c);
            int drawn = 0;
            for (int y = r.top; y < r.top + r.height; ++y)
                for (int x = r.left; x < r.left + r.width; ++x) drawn += pixel(x, y) != face;
            EXPECT_GE(drawn, std::max(10, r.width * r.height / 50)) << "not drawn where it is";
            auto* box = dynamic_cast<platform::PictureBox*>(c);
            if (!box || !box->Picture()) continue;
            const platform::PictureData& picture = *box->Picture();
            int opaque = 0, matching = 0;
            for (int y = 0; y < picture.height; ++y)
                for (int x = 0; x < picture.width; ++x) {
                    const std::uint32_t p = picture.pixels[size_t(y) * picture.width + x];
                    if ((p >> 24) != 0xFF) continue;
                    ++opaque;
                    matching += pixel(r.left + x, r.top + y) == p;
                }
            EXPECT_GE(matching, opaque * 9 / 10) << "its picture is not where it is";
        }
    }
    static bool drawsSomething(const platform::Control& c) {
        using platform::ControlKind;
        switch (c.kind()) {
        case ControlKind::Label: return !static_cast<const platform::Label&>(c).Caption().empty();
        case ControlKind::PictureBox: return static_cast<const platform::PictureBox&>(c).Picture() != nullptr;
        case ControlKind::CommandButton:
        case ControlKind::ComboBox:
        case ControlKind::TextBox:
        case ControlKind::Frame: return true;
        default: return false;
        }
    }
    static std::uint32_t argbOf(platform::Color bgr) {
        return (std::uint32_t(platform::redOf(bgr)) << 16) | (std::uint32_t(platform::greenOf(bgr)) << 8) |
               std::uint32_t(platform::blueOf(bgr));
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
