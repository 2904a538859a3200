#include "platform/dialogs/CommonDialog.h"

#include "platform/Text.h"

namespace platform {

namespace {

std::vector<std::string> split(std::string_view text, char separator) {
    std::vector<std::string> parts;
    std::size_t from = 0;
    for (;;) {
        const std::size_t at = text.find(separator, from);
        parts.emplace_back(text.substr(from, at == std::string_view::npos ? std::string_view::npos : at - from));
        if (at == std::string_view::npos) return parts;
        from = at + 1;
    }
}

std::size_t nameStart(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? 0 : slash + 1;
}

}  // namespace

std::vector<FileFilter> parseFileFilter(std::string_view filter) {
    std::vector<FileFilter> filters;
    const std::vector<std::string> parts = split(filter, '|');
    for (std::size_t i = 0; i + 1 < parts.size(); i += 2) {
        FileFilter entry{parts[i], {}};
        for (const std::string& pattern : split(parts[i + 1], ';'))
            if (std::string p = trim(pattern); !p.empty()) entry.patterns.push_back(std::move(p));
        if (!entry.patterns.empty()) filters.push_back(std::move(entry));
    }
    return filters;
}

FileDialogForm::FileDialogForm(FileDialogRequest request) : Form("FileDialog"), request_(std::move(request)) {
    setCaption(request_.title);
    setBorderStyle(vbFixedDouble);
    setStartUpPosition(vbStartUpOwner);
}

void FileDialogForm::choose(const std::string& path) {
    if (path.empty()) return;
    std::string full = path;
    if (full.front() != '/' && !request_.folder.empty())
        full = request_.folder + (request_.folder.back() == '/' ? "" : "/") + full;
    const std::size_t name = nameStart(full);
    if (!request_.defaultExt.empty() && name < full.size() && full.find('.', name) == std::string::npos)
        full += "." + request_.defaultExt;
    chosen_ = true;
    chosenPath_ = std::move(full);
    Unload(*this);
}

void FileDialogForm::cancel() {
    chosen_ = false;
    chosenPath_.clear();
    Unload(*this);
}

CommonDialog::CommonDialog(Form& owner, std::string name) : owner_(owner), name_(std::move(name)) {}

FileDialogRequest CommonDialog::request(FileDialogKind kind) const {
    FileDialogRequest r;
    r.kind = kind;
    r.title = !title_.empty() ? title_ : kind == FileDialogKind::Open ? "Open" : "Save As";
    r.filters = parseFileFilter(filter_);
    r.defaultExt = defaultExt_.starts_with('.') ? defaultExt_.substr(1) : defaultExt_;
    // A path left in FileName starts the dialog in its folder, as the
    // system's dialog does; a bare name is offered in InitDir.
    const std::size_t name = nameStart(fileName_);
    r.folder = name > 0 ? fileName_.substr(0, name) : initDir_;
    r.fileName = fileName_.substr(name);
    r.flags = flags_;
    return r;
}

bool CommonDialog::show(FileDialogKind kind) {
    auto dialog = newForm<FileDialogForm>(request(kind));
    dialog->Show(vbModal, owner_.isLoaded() ? &owner_ : nullptr);
    const bool chosen = dialog->chosen();
    fileName_ = chosen ? dialog->chosenPath() : std::string();
    cancelled_ = !chosen;
    Unload(*dialog);
    return chosen;
}

}  // namespace platform
