// The status panel: which indicators and buttons a model has, and what
// follows the link's online state. The rules are the tables of
// StatusRules; the procedures here only apply them.
#include "diagnostics/DiagnosePrinterDlg.h"
#include "link/ModelIdentifiers.h"
#include "shell/TypeDefinition.h"

namespace diagnostics {

namespace {

PanelClasses classesOf(const ModelFacts& facts, bool kioskFlag) {
    return {isOfClass(ModelClass::Slip, facts), isOfClass(ModelClass::Kiosk, facts),
            isOfClass(ModelClass::NoDoor, facts), kioskFlag};
}

void setButton(platform::CommandButton& button, ButtonState state, bool online) {
    if (state == ButtonState::Online) button.setEnabled(online);
    if (state == ButtonState::Off) button.setEnabled(false);
}

}  // namespace

platform::CheckBox* DiagnosePrinterDlg::indicator(int index) {
    if (index >= 1 && index <= 6) return &PaperStatus(index - 1);
    if (index >= 8 && index <= 14) return &PrinterStatus(index - 7);
    if (index >= 15 && index <= 22) return &ErrorCondition(index - 15);
    if (index >= 23 && index <= 29) return &KioskStatus(index - 23);
    return nullptr;
}

platform::Control* DiagnosePrinterDlg::panelItem(const PanelRule& rule) {
    switch (rule.item) {
        case PanelItem::Indicator: return indicator(rule.index);
        case PanelItem::PaperGroup: return &PaperStatusGroup;
        case PanelItem::PrinterGroup: return &PrinterStatusGroup;
        case PanelItem::ErrorGroup: return &ErrorConditionGroup;
        case PanelItem::KioskGroup: return &KioskStatusGroup;
        case PanelItem::StationLabel: return &SelectedStationLabel;
        case PanelItem::StationText: return &SelectedStationText;
    }
    return nullptr;
}

void DiagnosePrinterDlg::applyPanelRules(const std::vector<PanelRule>& rules, const PanelClasses& classes,
                                         const std::function<void(platform::Control&)>& action) {
    for (const PanelRule& rule : rules)
        if (applies(rule.when, classes))
            if (platform::Control* item = panelItem(rule)) action(*item);
}

ModelFacts DiagnosePrinterDlg::modelFacts(bool byModel) const {
    if (!byModel) return {m_MainComm.PrinterType(), {}};
    return {-1, {std::string(printerlink::modelIdentifierForProduct(m_MainComm.m_AnyAHPIPrinter))}};
}

void DiagnosePrinterDlg::InitStatusListsByType() {
    applyPanelRules(missingItemRules(), classesOf(modelFacts(false), m_MainComm.bKiosk),
                    [](platform::Control& item) { item.setEnabled(false); });
    if (!SelectedStationText.Enabled()) SelectedStationText.setText("");
}

void DiagnosePrinterDlg::InitStatusListsByModel() {
    ModelFacts facts = modelFacts(true);
    facts.identifiers.push_back(Interpreter.modelIdentifier());
    applyPanelRules(missingItemRules(), classesOf(facts, m_MainComm.bKiosk),
                    [](platform::Control& item) { item.setEnabled(false); });
    if (!SelectedStationText.Enabled()) SelectedStationText.setText("");
}

void DiagnosePrinterDlg::ArrangeStatusGroupsByType(bool online) {
    applyPanelRules(onlineItemRules(), classesOf(modelFacts(false), m_MainComm.bKiosk),
                    [online](platform::Control& item) { item.setEnabled(online); });
    EnableTestButtonsByType(online);
}

void DiagnosePrinterDlg::ArrangeStatusGroupsByModel(bool online) {
    applyPanelRules(onlineItemRules(), classesOf(modelFacts(true), m_MainComm.bKiosk),
                    [online](platform::Control& item) { item.setEnabled(online); });
    EnableTestButtonsByModel(online);
}

void DiagnosePrinterDlg::applyButtonRule(const ButtonRule& rule, bool online) {
    for (platform::CommandButton* button : {&ReceiptButton, &PrintFormButton, &DownloadLogoButton, &ColorPrintButton})
        button->setEnabled(online);
    setButton(DrawerButton, rule.drawer, online);
    setButton(TwoSideButton, rule.twoSide, online);
    for (platform::CommandButton* button : {&SlipButton, &MICRButton, &FlipButton})
        setButton(*button, rule.slipMicrFlip, online);
    setButton(CheckScanButton, rule.checkScan, online);
}

void DiagnosePrinterDlg::EnableTestButtonsByType(bool online) {
    applyButtonRule(buttonRuleForType(m_MainComm.PrinterType()), online);
}

void DiagnosePrinterDlg::EnableTestButtonsByModel(bool online) {
    ButtonRule rule = buttonRuleForIdentifier(printerlink::modelIdentifierForProduct(m_MainComm.m_AnyAHPIPrinter));
    if (m_MainComm.PrinterType() == kM27xType) rule.drawer = ButtonState::Untouched;
    applyButtonRule(rule, online);
}

void DiagnosePrinterDlg::SetStatusIndicator(std::uint8_t index, std::uint8_t state) {
    if (index == 7) {
        SelectedStationText.setText(state == 1 ? "Slip" : state == 2 ? "Receipt" : state == 3 ? "Journal" : "Unknown");
        return;
    }
    if (platform::CheckBox* box = indicator(index)) box->setValue(state == 1 ? platform::vbChecked : platform::vbUnchecked);
}

}  // namespace diagnostics
