// The utility's own modal message box: a text, an icon, one or two buttons
// and a result. Callers use ShowMessage (TypeDefinition.h), which makes a
// fresh box per question and destroys it before returning.
//
// Ownership: made with platform::newForm; the caller holds it while it is
// shown and reads Result afterwards. Show(vbModal) runs the event loop
// nested until a button, the keys "1"/"0" or the close box close the box.
#pragma once

#include <string>

#include "platform/MessageBoxStyles.h"
#include "platform/forms/CommandButton.h"
#include "platform/forms/Form.h"
#include "platform/forms/ImageList.h"
#include "platform/forms/Label.h"
#include "platform/forms/PictureBox.h"
#include "platform/forms/StandardIcons.h"

namespace shell {

// Button styles and results of the box.
using platform::vbCancel;
using platform::vbNo;
using platform::vbOK;
using platform::vbOKCancel;
using platform::vbOKOnly;
using platform::vbYes;
using platform::vbYesNo;
// Icon styles: the platform's standard icon styles under the utility's names.
inline constexpr long vbNoIcon = platform::kNoIcon;
inline constexpr long vbCritical = platform::kCriticalIcon;
inline constexpr long vbQuestion = platform::kQuestionIcon;
inline constexpr long vbExclamation = platform::kExclamationIcon;
inline constexpr long vbInformation = platform::kInformationIcon;

class ModalMessageBox : public platform::Form {
public:
    ModalMessageBox();

    void setMessageText(std::string text) { m_MessageText = std::move(text); }
    // Styles other than the known ones are stored as 0 (OK only; no icon).
    void setButtonStyle(long style);
    void setIconStyle(long style);
    long Result() const { return m_Result; }

    platform::Label MessageLabel;
    platform::PictureBox IconImage;
    platform::PictureBox ButtonGroup;
    platform::CommandButton OKButton;
    platform::CommandButton CancelButton;
    platform::ImageList IconImageList;

    // Design sizes of the buttons and their group, in twips.
    static constexpr int kButtonWidth = 1785;
    static constexpr int kButtonHeight = 555;
    static constexpr int kCancelOffset = 2160;

protected:
    void Form_Load() override;
    void Form_KeyPress(int& KeyAscii) override;

private:
    void OKButton_Click();
    void CancelButton_Click();
    void ArrangeControls();

    std::string m_MessageText;
    long m_ButtonStyle = vbOKOnly;
    long m_IconStyle = 0;
    long m_Result = vbOK;
};

}  // namespace shell
