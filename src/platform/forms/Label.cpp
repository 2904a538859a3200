#include "platform/forms/Label.h"

#include <algorithm>

#include "platform/forms/FontMetrics.h"

namespace platform {

Label::Label(Form& form, std::string name) : Control(form, ControlKind::Label, std::move(name)) {
    setTabStop(false);
}

Label::Label(Control& container, std::string name)
    : Control(container, ControlKind::Label, std::move(name)) {
    setTabStop(false);
}

void Label::setCaption(std::string caption) {
    if (!assign(caption_, std::move(caption), Property::Caption)) return;
    fit();
}

void Label::setAutoSize(bool on) {
    if (!assign(autoSize_, on, Property::AutoSize)) return;
    fit();
}

void Label::setWordWrap(bool on) {
    if (!assign(wordWrap_, on, Property::WordWrap)) return;
    fit();
}

void Label::setAlignment(int a) {
    assign(alignment_, a, Property::Alignment);
}

void Label::setBackStyle(int v) {
    assign(backStyle_, v, Property::BackStyle);
}

void Label::setBorderStyle(int v) {
    assign(borderStyle_, v, Property::BorderStyle);
}

const std::string& Label::accessCaption() const {
    return useMnemonic_ ? caption_ : Control::accessCaption();
}

void Label::accessKeyAction() { focusNextInTabOrder(); }

namespace {

std::vector<std::string> paragraphs(const std::string& text) {
    std::vector<std::string> out(1);
    for (size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == '\r' || c == '\n') {
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
            out.emplace_back();
        } else {
            out.back() += c;
        }
    }
    return out;
}

// Greedy wrapping at blanks; a word wider than the line is cut between
// characters so that nothing is drawn outside the label.
void wrapInto(std::vector<std::string>& lines, const std::string& para, int width,
              const FontSpec& font) {
    const FontMetrics& m = fontMetrics();
    std::string line;
    size_t pos = 0;
    while (pos <= para.size()) {
        size_t end = para.find(' ', pos);
        if (end == std::string::npos) end = para.size();
        std::string word = para.substr(pos, end - pos);
        std::string candidate = line.empty() ? word : line + " " + word;
        if (line.empty() || m.textWidth(font, candidate) <= width) {
            line = candidate;
        } else {
            lines.push_back(line);
            line = word;
        }
        while (line.size() > 1 && m.textWidth(font, line) > width) {
            size_t fit = 1;
            while (fit < line.size() && m.textWidth(font, line.substr(0, fit + 1)) <= width) ++fit;
            lines.push_back(line.substr(0, fit));
            line = line.substr(fit);
        }
        pos = end + 1;
    }
    lines.push_back(line);
}

}  // namespace

std::vector<std::string> Label::lines() const {
    const std::string shown = useMnemonic_ ? stripAccessKey(caption_) : caption_;
    std::vector<std::string> out;
    for (const std::string& para : paragraphs(shown)) {
        if (wordWrap_)
            wrapInto(out, para, Width(), Font());
        else
            out.push_back(para);
    }
    return out;
}

void Label::fit() {
    if (!autoSize_ || fitting_) return;
    const FontMetrics& m = fontMetrics();
    const std::vector<std::string> text = lines();
    const int height = m.lineHeight(Font()) * static_cast<int>(text.size());
    int left = Left(), width = Width();
    if (!wordWrap_) {
        width = 0;
        for (const std::string& line : text) width = std::max(width, m.textWidth(Font(), line));
        if (alignment_ == vbRightJustify) left += Width() - width;
        if (alignment_ == vbCenter) left += (Width() - width) / 2;
    }
    fitting_ = true;  // our own Move must not fit again
    Move(left, Top(), width, height);
    fitting_ = false;
}

}  // namespace platform

namespace platform {

void Label::propertyChanged(Property p) {
    // A new font changes the text's size; with WordWrap a new width changes
    // where the lines break.
    if (p == Property::Font || (p == Property::Geometry && wordWrap_)) fit();
}

}  // namespace platform
