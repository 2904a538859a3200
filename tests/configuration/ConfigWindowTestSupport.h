// The configuration window on the simulated printer: the work-window world
// (main window connected through the connection dialog on the virtual clock)
// with the window opened as the main window's hook opens it, or shown
// modeless so a test can work it between runs of the loop.
#pragma once

#include <memory>

#include "configuration/apply/ConfigurationApply.h"
#include "configuration/apply/ConnectionWriteBack.h"
#include "configuration/apply/OpenChangeConfigDlg.h"
#include "configuration/editor/ChangeConfigDlg.h"
#include "shell/WorkWindowTestSupport.h"

namespace configtest {

using configuration::ChangeConfigDlg;
using shelltest::Link;

class ConfigWindowWorld : public shelltest::WorkWindowWorld {
protected:
    ConfigWindowWorld() {
        mainWindow().workWindows.changeConfiguration = configuration::OpenChangeConfigDlg;
        configuration::settingChangedFlags = {};
    }

    // A window over the connected link, loaded and shown modeless.
    ChangeConfigDlg& open() {
        dlg = platform::newForm<ChangeConfigDlg>(mainWindow(), std::make_unique<configuration::ConfigurationApply>());
        dlg->Show(platform::vbModeless, &mainWindow());
        return *dlg;
    }

    std::string ini(const std::string& section, const std::string& key) {
        return shell::ReadIniValue(shell::SettingsFilePath(), section, key);
    }
    void tick(int row) { ASSERT_TRUE(driver.click(dlg->Setting(row))); }
    void choose(int row, int option) { ASSERT_TRUE(driver.chooseListItem(dlg->SettingList(row), option)); }
    void showCategory(int category) { ASSERT_TRUE(driver.click(dlg->CategoryButton(category))); }

    std::shared_ptr<ChangeConfigDlg> dlg;
};

}  // namespace configtest
