// The file dialog model: filter texts, what a show offers, and how a show
// ends (a choice, a cancel, a close) as the test driver answers it.
#include "platform/dialogs/CommonDialog.h"

#include <functional>

#include "forms/FormsTestSupport.h"

namespace platform::test {
namespace {

TEST(FileFilter, SplitsDescriptionPatternPairs) {
    struct Case {
        const char* text;
        std::vector<FileFilter> filters;
    } cases[] = {
        {"80.0mm (576x512) Bitmap (*.bmp)|*.bmp|58.0mm (424x512) Bitmap (*.bmp)|*.bmp|",
         {{"80.0mm (576x512) Bitmap (*.bmp)", {"*.bmp"}}, {"58.0mm (424x512) Bitmap (*.bmp)", {"*.bmp"}}}},
        {"INI(*.ini)|*.txt", {{"INI(*.ini)", {"*.txt"}}}},
        {"INI Files(*.ini)|*.ini|All Files|*.*", {{"INI Files(*.ini)", {"*.ini"}}, {"All Files", {"*.*"}}}},
        {"Pictures|*.bmp; *.dib|Orphan", {{"Pictures", {"*.bmp", "*.dib"}}}},
        {"", {}},
    };
    for (const auto& c : cases) EXPECT_EQ(parseFileFilter(c.text), c.filters) << c.text;
}

class CommonDialogTest : public FormsTest {
protected:
    CommonDialogTest() { owner.Show(); }

    // Shows the dialog, answered by `answer`; returns what the show returned.
    bool show(bool save, std::function<void(FileDialogForm&)> answer) {
        driver.answerNext([answer](Form& f) { answer(dynamic_cast<FileDialogForm&>(f)); });
        return save ? dlg.ShowSave() : dlg.ShowOpen();
    }

    Form owner{"Owner"};
    CommonDialog dlg{owner, "CommonDlg"};
};

TEST_F(CommonDialogTest, OffersWhatItsPropertiesSay) {
    dlg.setFilter("INI(*.ini)|*.txt");
    dlg.setDefaultExt(".bmp");
    dlg.setInitDir("/app");
    dlg.setFlags(3076);
    FileDialogRequest seen;
    EXPECT_FALSE(show(false, [&](FileDialogForm& f) {
        seen = f.request();
        EXPECT_EQ(f.owner(), &owner);
        EXPECT_EQ(f.Caption(), "Open");
        f.cancel();
    }));
    EXPECT_EQ(seen.filters, parseFileFilter("INI(*.ini)|*.txt"));
    EXPECT_EQ(seen.defaultExt, "bmp");
    EXPECT_EQ(seen.folder, "/app");
    EXPECT_FALSE(seen.fileMustExist());
    EXPECT_EQ(dlg.request(FileDialogKind::Save).title, "Save As");

    dlg.setDialogTitle("Browse File for Download Logo");
    dlg.setFileName("/last/export.ini");
    const FileDialogRequest again = dlg.request(FileDialogKind::Open);
    EXPECT_EQ(again.title, "Browse File for Download Logo");
    EXPECT_EQ(again.folder, "/last/");
    EXPECT_EQ(again.fileName, "export.ini");
}

TEST_F(CommonDialogTest, AChoiceGivesItsPathAndACancelNeverAnOldOne) {
    dlg.setInitDir("/app");
    dlg.setDefaultExt("bmp");
    struct Step {
        const char* name;
        bool save;
        std::function<void(FileDialogForm&)> answer;
        bool result;
        std::string fileName;
    } steps[] = {
        {"absolute path", false, [](FileDialogForm& f) { f.choose("/data/logo.bmp"); }, true, "/data/logo.bmp"},
        {"cancel after a choice", false, [](FileDialogForm& f) { f.cancel(); }, false, ""},
        {"bare name in the folder", true, [](FileDialogForm& f) { f.choose("logo"); }, true, "/app/logo.bmp"},
        {"close box", true, [this](FileDialogForm& f) { driver.closeBox(f); }, false, ""},
        {"name with its own extension", false, [](FileDialogForm& f) { f.choose("a.txt"); }, true, "/app/a.txt"},
    };
    for (const auto& s : steps) {
        SCOPED_TRACE(s.name);
        EXPECT_EQ(show(s.save, s.answer), s.result);
        EXPECT_EQ(dlg.FileName(), s.fileName);
        EXPECT_EQ(dlg.Cancelled(), !s.result);
        EXPECT_EQ(Forms::Count(), 1) << "only the owner stays loaded";
    }
}

}  // namespace
}  // namespace platform::test
