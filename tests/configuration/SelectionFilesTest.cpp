// Export, import, Clear and Clear All on the configuration window over the
// simulated printer, and the model gate on the rows a category lays out.
#include <filesystem>
#include <fstream>

#include "ConfigWindowTestSupport.h"
#include "configuration/ConfigurationModel.h"
#include "platform/dialogs/CommonDialog.h"

namespace configtest {
namespace {

namespace fs = std::filesystem;
using configuration::categoryDefinition;

class SelectionFiles : public ConfigWindowWorld {
protected:
    // The next file dialog chooses `path`, or is cancelled when it is empty.
    void answerFile(const std::string& path) {
        driver.answerNext([this, path](platform::Form& f) {
            auto& dialog = dynamic_cast<platform::FileDialogForm&>(f);
            filters = dialog.request().filters;
            path.empty() ? dialog.cancel() : dialog.choose(path);
        });
    }
    void exportTo(const std::string& path) {
        answerFile(path);
        ASSERT_TRUE(driver.click(dlg->Command1));
    }
    void importFrom(const std::string& path) {
        answerFile(path);
        ASSERT_TRUE(driver.click(dlg->Command2));
    }
    std::string file(const std::string& name) const { return (folder / name).string(); }
    static std::string contents(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }
    static void put(const std::string& path, const std::string& text) { std::ofstream(path, std::ios::binary) << text; }
    std::vector<platform::FileFilter> filters;  // of the last file dialog

    // The export as one settings-file write per key, on `target`, reading `source`.
    static void writeOneByOne(const std::string& source, const std::string& target) {
        shell::WriteIniValue(target, "Printer", "Model", shell::ReadIniValue(source, "Configurations", "Model"));
        for (int category = 0; category < configuration::kCategoryCount; ++category) {
            const auto& c = categoryDefinition(category);
            for (int row = 0; row < c.rowCount; ++row) {
                const std::string flag = shell::ReadIniValue(source, c.flagSection, std::to_string(row));
                shell::WriteIniValue(target, c.flagSection, std::to_string(row), flag.empty() ? "False" : flag);
                const char* key = c.valueKeys[static_cast<std::size_t>(row)].key;
                shell::WriteIniValue(target, c.valueSection, key, shell::ReadIniValue(source, c.valueSection, key));
            }
        }
    }

    // A 3650 on a serial link with hardware row 3 (" 58mm") and the code
    // page (" 852") selected; the code page is on show.
    void selectSome() {
        connect(Link::Serial, 3);
        open();
        showCategory(2);
        tick(3);
        choose(3, 1);
        showCategory(3);
        tick(0);
        choose(0, 2);
    }
};

TEST_F(SelectionFiles, ExportIsByteForByteWhatOneWritePerKeyLeaves) {
    selectSome();
    shell::WriteIniValue(shell::SettingsFilePath(), "SoftwareParameter", "4", "");  // a flag the file has empty
    const struct {
        const char* name;
        std::string before;  // "-": no file
    } cases[] = {{"new.ini", "-"},
                 {"old.ini", "[Other]\r\nkeep=1\r\n\r\n[Printer]\r\nModel= 3690\r\n\r\n[hardware]\r\nPaperWidth=9\r\n"},
                 {"DuRudo.ini", ""}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string target = file(c.name), reference = file("reference.ini");
        const bool toSettings = std::string(c.name) == "DuRudo.ini";
        fs::remove(reference);
        if (toSettings) put(reference, settingsFile());
        if (c.before != "-" && !toSettings) {
            put(target, c.before);
            put(reference, c.before);
        }
        writeOneByOne(toSettings ? reference : shell::SettingsFilePath(), reference);
        exportTo(target);
        EXPECT_EQ(contents(target), contents(reference));
    }
    EXPECT_TRUE(messages.empty());
}

TEST_F(SelectionFiles, ExportNames) {
    const std::pair<const char*, const char*> names[] = {
        {"/d/x.txt", "/d/x.ini"},         {"/d/x.ini", "/d/x.ini"},     {"/d/x.INI", "/d/x.ini"},
        {"/d/x.ini.txt", "/d/x.ini.ini"}, {"/d/backup", "/d/backup.ini"}, {"/d.d/.cfg", "/d.d/.cfg.ini"}};
    for (const auto& [chosen, saved] : names) EXPECT_EQ(configuration::exportFileName(chosen), saved);
}

TEST_F(SelectionFiles, ExportClearAllImportBringsTheSameTicksAndChoicesBack) {
    selectSome();
    exportTo(file("sel.txt"));
    EXPECT_EQ(filters, (std::vector<platform::FileFilter>{{"INI(*.ini)", {"*.ini"}}}));
    ASSERT_TRUE(fs::exists(file("sel.ini")));
    EXPECT_FALSE(fs::exists(file("sel.txt")));
    ASSERT_TRUE(driver.click(dlg->ClearAll));
    EXPECT_EQ(dlg->Setting(0).Value(), 0);
    EXPECT_EQ(ini("CodePageParameter", "0"), "False");
    importFrom(file("sel.ini"));
    EXPECT_EQ(filters, (std::vector<platform::FileFilter>{{"INI Files(*.ini)", {"*.ini"}}, {"All Files", {"*.*"}}}));
    EXPECT_EQ(dlg->Setting(0).Value(), 1);
    EXPECT_TRUE(dlg->SettingList(0).Visible());
    EXPECT_EQ(dlg->SettingList(0).ListIndex(), 2);
    showCategory(2);
    EXPECT_EQ(dlg->CountCheckedSettings(), 1);
    EXPECT_EQ(dlg->SettingList(3).ListIndex(), 1);
    EXPECT_EQ(ini("HardWareParameter", "3"), "True");
    EXPECT_EQ(ini("Hardware", "PaperWidth"), "1");
    EXPECT_TRUE(messages.empty());
}

TEST_F(SelectionFiles, ACancelOrARefusedFileChangesNothing) {
    selectSome();
    exportTo(file("sel.ini"));  // the dialog keeps this name for its next use
    tick(0);                    // the code page unticked since
    put(file("other.ini"), "[Printer]\r\nModel= 3690\r\n[CodePageParameter]\r\n0=True\r\n");
    put(file("nomodel.ini"), "[CodePageParameter]\r\n0=True\r\n");
    put(file("huge.ini"), "");
    fs::resize_file(file("huge.ini"), std::uintmax_t{1} << 30);  // sparse: no disk, but no memory for it either
    const std::string settings = settingsFile(), exported = contents(file("sel.ini"));
    exportTo("");
    importFrom("");
    importFrom(file("other.ini"));
    importFrom(file("nomodel.ini"));
    importFrom(file("missing.ini"));
    importFrom(file("huge.ini"));
    EXPECT_EQ(settingsFile(), settings);
    EXPECT_EQ(contents(file("sel.ini")), exported);
    EXPECT_EQ(dlg->Setting(0).Value(), 0);
    EXPECT_FALSE(fs::exists(file("missing.ini")));
    EXPECT_EQ(messageTexts(), (std::vector<std::string>{
                                  "Not Importing the correct file, 3690 Printer Model Confiurations are saved in this file",
                                  "Not Importing the correct file", "Not Importing the correct file",
                                  "Runtime Error :7\r\nOut of memory"}));
}

// A folder in place of the temporary file makes the write fail after the
// target was chosen, as a full disk does: the target is left as it was.
TEST_F(SelectionFiles, AnExportThatCannotBeWrittenIsReportedOnceAndLeavesTheTargetAsItWas) {
    selectSome();
    put(file("old.ini"), "[Printer]\r\nModel= 3690\r\n");
    const struct {
        std::string target;
        bool blockTemporary;
        bool existed;
    } cases[] = {{"no/such/folder/sel.ini", false, false}, {"new.ini", true, false}, {"old.ini", true, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.target);
        const std::string before = contents(file(c.target));
        if (c.blockTemporary) fs::create_directory(shell::temporaryIniPath(file(c.target)));
        messages.clear();
        exportTo(file(c.target));
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_EQ(messages[0].text.rfind("Runtime Error :75", 0), 0u);
        EXPECT_EQ(fs::exists(file(c.target)), c.existed);
        EXPECT_EQ(contents(file(c.target)), before);
    }
}

TEST_F(SelectionFiles, ADamagedFileImportsOnlyTheRowsThisPrinterCanTake) {
    selectSome();
    showCategory(2);
    put(file("bad.ini"), "[Printer]\r\nModel= 3650\r\n[HardWareParameter]\r\n0=True\r\n1=True\r\n2=True\r\n"
                         "3=True\r\n4=true\r\n9=True\r\n7=True\r\n[Hardware]\r\nPrinterDensity=abc\r\n"
                         "MaxPower/MaximumLoopLength=9\r\nPaperWidth=1\r\nknife=1\r\n"
                         "Scan/BlackMarkDetection/KnifeTone=0\r\nColorPaper=-1\r\n[CodePageParameter]\r\n0=Tr");
    importFrom(file("bad.ini"));
    // Row 2 has no value: ticked with its own choice. Row 3 takes its value.
    for (int row = 0; row < 17; ++row) {
        SCOPED_TRACE(row);
        EXPECT_EQ(dlg->Setting(row).Value(), row == 2 || row == 3 ? 1 : 0);
        EXPECT_EQ(ini("HardWareParameter", std::to_string(row)), row == 2 || row == 3 ? "True" : "False");
    }
    EXPECT_EQ(dlg->SettingList(2).ListIndex(), 0);
    EXPECT_EQ(dlg->SettingList(3).ListIndex(), 1);
    EXPECT_EQ(ini("CodePageParameter", "0"), "False");
    EXPECT_TRUE(messages.empty());
}

TEST_F(SelectionFiles, ClearResetsTheShownCategoryAndClearAllEveryCategory) {
    selectSome();
    showCategory(2);
    choose(3, 1);
    ASSERT_TRUE(driver.click(dlg->Clear));
    EXPECT_EQ(dlg->Setting(3).Value(), 0);
    EXPECT_EQ(dlg->SettingList(3).ListIndex(), 1);  // the list keeps its choice
    EXPECT_EQ(ini("HardWareParameter", "3"), "False");
    EXPECT_EQ(ini("Hardware", "PaperWidth"), "0");
    EXPECT_EQ(ini("CodePageParameter", "0"), "True");  // another category
    EXPECT_EQ(ini("CodePage", "DefaultCP"), "2");
    ASSERT_TRUE(driver.click(dlg->ClearAll));
    EXPECT_EQ(ini("CodePageParameter", "0"), "False");
    EXPECT_EQ(ini("CodePage", "DefaultCP"), "0");
    EXPECT_EQ(ini("Hardware", "MICR/PowerLedControl/BezelLed"), "1");
    showCategory(3);
    EXPECT_EQ(dlg->CountCheckedSettings(), 0);
}

// The gate enables a row only where the catalogue gave it options and the
// printer has a parameter number for it.
class GateOnRows : public ConfigWindowWorld {
protected:
    // The rows of `category`, '1' enabled, after a status event.
    std::string enabledRows(Link link, int type, int category, int rows) {
        connect(link, type);
        open();
        showCategory(category);
        mainWindow().OnStatusUpdated.raise(4);
        std::string enabled;
        for (int r = 0; r < rows; ++r) enabled += dlg->Setting(r).Enabled() ? '1' : '0';
        return enabled;
    }
};

TEST_F(GateOnRows, M27xHardwareRowsFourteenToSixteenHaveNoNumber) {
    EXPECT_EQ(enabledRows(Link::Serial, 14, 2, 17), "10110000000000000");
}
TEST_F(GateOnRows, R809TwoSidedRowSevenHasNoNumber) { EXPECT_EQ(enabledRows(Link::Serial, 12, 4, 8), "11111110"); }
TEST_F(GateOnRows, AnyHidPrinterPresenterRowsHaveNoNumberOutsideTheKioskModels) {
    EXPECT_EQ(enabledRows(Link::Usb, 0, 2, 17), "11111111101111000");
}

}  // namespace
}  // namespace configtest
