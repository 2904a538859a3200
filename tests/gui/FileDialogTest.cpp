// The model's file dialog drawn by Qt's: what it offers, and how the user's
// choice or cancel, or the model closing it, reaches the other side.
#include <QFileDialog>
#include <filesystem>
#include <fstream>
#include <unistd.h>

#include "GuiTestSupport.h"
#include "gui/FileDialogs.h"
#include "gui/FormWindow.h"
#include "platform/dialogs/CommonDialog.h"

namespace gui::test {
namespace {

class FileDialogTest : public GuiTest {
protected:
    FileDialogTest() {
        std::filesystem::create_directories(folder);
        std::ofstream(folder + "/logo.bmp") << "BM";
        owner.Show();
    }
    ~FileDialogTest() override { std::filesystem::remove_all(folder); }

    // Shows the dialog; `user` acts on the Qt dialog once the model's loop runs.
    bool show(bool save, std::function<void(QFileDialog&)> user) {
        driver.answerNext([this, user](platform::Form& form) {
            loop.post([this, user, &form] {
                QFileDialog* qt = renderer->fileDialogs().dialogOf(form);
                ASSERT_NE(qt, nullptr);
                shown = qt;
                user(*qt);
            });
        });
        return save ? dlg.ShowSave() : dlg.ShowOpen();
    }

    std::string folder = std::filesystem::temp_directory_path().string() + "/filedlg_" + std::to_string(::getpid());
    platform::Form owner{"Owner"};
    platform::CommonDialog dlg{owner, "CommonDlg"};
    QPointer<QFileDialog> shown;
};

TEST_F(FileDialogTest, ShowsTheModelsTitleFiltersAndFolderOverItsOwner) {
    dlg.setFilter("80.0mm (576x512) Bitmap (*.bmp)|*.bmp|INI(*.ini)|*.txt|");
    dlg.setDialogTitle("Browse File for Download Logo");
    dlg.setDefaultExt(".bmp");
    dlg.setInitDir(folder);
    dlg.setFlags(3076);
    EXPECT_FALSE(show(false, [this](QFileDialog& qt) {
        EXPECT_EQ(qt.windowTitle(), QStringLiteral("Browse File for Download Logo"));
        EXPECT_EQ(qt.nameFilters(),
                  (QStringList{"80.0mm (576x512) Bitmap (*.bmp) (*.bmp)", "INI(*.ini) (*.txt)"}));
        EXPECT_TRUE(qt.testOption(QFileDialog::HideNameFilterDetails));
        EXPECT_EQ(qt.acceptMode(), QFileDialog::AcceptOpen);
        EXPECT_EQ(qt.defaultSuffix(), QStringLiteral("bmp"));
        EXPECT_EQ(qt.directory().absolutePath(), QString::fromStdString(folder));
        EXPECT_EQ(qt.parentWidget(), renderer->windowOf(owner));
        EXPECT_TRUE(qt.isVisible());
        qt.reject();
    }));
    EXPECT_EQ(dlg.FileName(), "");
}

TEST_F(FileDialogTest, TheUsersChoiceOrCancelReachesTheCallerAndTheDialogGoesWithItsForm) {
    dlg.setInitDir(folder);
    dlg.setDefaultExt("bmp");
    struct Case {
        const char* name;
        bool save;
        std::function<void(QFileDialog&)> user;
        bool result;
        std::string fileName;
    } cases[] = {
        {"open an existing file", false, [](QFileDialog& qt) { qt.selectFile("logo.bmp"); static_cast<QDialog&>(qt).accept(); }, true,
         folder + "/logo.bmp"},
        {"cancel", false, [](QFileDialog& qt) { qt.reject(); }, false, ""},
        {"save a new name", true, [](QFileDialog& qt) { qt.selectFile("export"); static_cast<QDialog&>(qt).accept(); }, true,
         folder + "/export.bmp"},
        {"close box", true, [](QFileDialog& qt) { qt.close(); }, false, ""},
        {"closed by the model", false, [](QFileDialog&) { platform::TestDriver::topModal()->unload(); }, false, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(show(c.save, c.user), c.result);
        EXPECT_EQ(dlg.FileName(), c.fileName);
        QCoreApplication::processEvents();
        EXPECT_TRUE(shown.isNull() || !shown->isVisible()) << "the Qt dialog goes with the model's";
    }
}

}  // namespace
}  // namespace gui::test
