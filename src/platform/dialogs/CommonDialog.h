// CommonDialog: a window's common file dialog (open and save), as a model.
//
// A window holds one as a member, constructed with the window and a name,
// sets its properties and calls ShowOpen or ShowSave. Each show makes a
// FileDialogForm and shows it modally over the window: the call blocks while
// the event loop runs nested (every handler may run meanwhile) until the
// user chose a file or cancelled. The Qt front end draws the form with its
// own file dialog; tests answer it through TestDriver like any modal window,
// with FileDialogForm::choose or cancel.
//
// Results: ShowOpen and ShowSave return true when a file was chosen;
// FileName then holds its path. A cancel (the Cancel button, the close box,
// or the dialog unloaded by anything else) returns false and leaves FileName
// empty, so a name from an earlier use never passes for a choice; Cancelled()
// tells the same afterwards. Otherwise FileName keeps its value between uses
// and a path in it makes the next show start in its folder.
//
// Texts: the title and the filter descriptions are CP1252 like all of the
// utility's text; InitDir and FileName are file-system paths, passed to and
// from the system unchanged.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/forms/Form.h"

namespace platform {

// Flags the dialog honours; others are kept but do nothing here (there is no
// read-only box to hide, and a folder must exist for a path to be chosen).
inline constexpr long cdlOFNOverwritePrompt = 0x2;  // save: ask before replacing a file
inline constexpr long cdlOFNHideReadOnly = 0x4;
inline constexpr long cdlOFNExtensionDifferent = 0x400;
inline constexpr long cdlOFNPathMustExist = 0x800;
inline constexpr long cdlOFNFileMustExist = 0x1000;  // open: only an existing file

// One entry of a filter text "description|pattern|description|pattern|".
struct FileFilter {
    std::string description;
    std::vector<std::string> patterns;  // the pattern text split at ';' ("*.bmp")

    bool operator==(const FileFilter&) const = default;
};

// The entries in order; a trailing "|" and a description without a pattern
// are dropped, blanks around patterns are removed.
std::vector<FileFilter> parseFileFilter(std::string_view filter);

enum class FileDialogKind { Open, Save };

// What one show of the dialog offers.
struct FileDialogRequest {
    FileDialogKind kind = FileDialogKind::Open;
    std::string title;  // DialogTitle, or "Open" / "Save As" when that is empty
    std::vector<FileFilter> filters;
    std::string defaultExt;  // without a leading dot; "" for none
    std::string folder;      // where the dialog starts; "" for the current folder
    std::string fileName;    // the name it offers, without a folder
    long flags = 0;

    bool fileMustExist() const { return kind == FileDialogKind::Open && (flags & cdlOFNFileMustExist) != 0; }
    bool confirmOverwrite() const { return kind == FileDialogKind::Save && (flags & cdlOFNOverwritePrompt) != 0; }
};

// The modal window of one show. The front end or a test closes it with
// choose or cancel; closing it any other way is a cancel.
class FileDialogForm : public Form {
public:
    explicit FileDialogForm(FileDialogRequest request);

    const FileDialogRequest& request() const { return request_; }

    // The user chose this path. A relative path is taken in the dialog's
    // folder; a name without an extension gets the default extension.
    void choose(const std::string& path);
    void cancel();

    bool chosen() const { return chosen_; }
    const std::string& chosenPath() const { return chosenPath_; }

private:
    FileDialogRequest request_;
    bool chosen_ = false;
    std::string chosenPath_;
};

class CommonDialog {
public:
    // owner: the window that holds the dialog; shows are modal over it.
    CommonDialog(Form& owner, std::string name);
    CommonDialog(const CommonDialog&) = delete;
    CommonDialog& operator=(const CommonDialog&) = delete;

    const std::string& Name() const { return name_; }

    const std::string& Filter() const { return filter_; }
    void setFilter(std::string filter) { filter_ = std::move(filter); }
    const std::string& DialogTitle() const { return title_; }
    void setDialogTitle(std::string title) { title_ = std::move(title); }
    const std::string& DefaultExt() const { return defaultExt_; }
    void setDefaultExt(std::string ext) { defaultExt_ = std::move(ext); }
    const std::string& InitDir() const { return initDir_; }
    void setInitDir(std::string folder) { initDir_ = std::move(folder); }
    const std::string& FileName() const { return fileName_; }
    void setFileName(std::string path) { fileName_ = std::move(path); }
    long Flags() const { return flags_; }
    void setFlags(long flags) { flags_ = flags; }

    // Modal; true when a file was chosen (see the contract above).
    bool ShowOpen() { return show(FileDialogKind::Open); }
    bool ShowSave() { return show(FileDialogKind::Save); }
    // The last show ended without a file (false before the first show).
    bool Cancelled() const { return cancelled_; }

    // What a show would offer now.
    FileDialogRequest request(FileDialogKind kind) const;

private:
    bool show(FileDialogKind kind);

    Form& owner_;
    std::string name_;
    std::string filter_, title_, defaultExt_, initDir_, fileName_;
    long flags_ = 0;
    bool cancelled_ = false;
};

}  // namespace platform
