#include "configuration/apply/OpenChangeConfigDlg.h"

#include <memory>

#include "configuration/apply/ConfigurationApply.h"
#include "configuration/editor/ChangeConfigDlg.h"
#include "shell/MainWindow.h"

namespace configuration {

bool OpenChangeConfigDlg(shell::MainWindow& mainWindow) {
    const auto window = platform::newForm<ChangeConfigDlg>(mainWindow, std::make_unique<ConfigurationApply>());
    window->Show(platform::vbModal, &mainWindow);
    const bool wantDisconnect = window->WantDisconnect();
    platform::Unload(*window);
    return wantDisconnect;
}

}  // namespace configuration
