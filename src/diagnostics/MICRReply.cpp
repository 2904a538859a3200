// The MICR reply: the text cleaned of the reader's substitute characters,
// split into transit, bank, account and serial numbers, printed as a
// receipt and shown.
#include "diagnostics/DiagnosePrinterDlg.h"
#include "shell/ModalMessageBox.h"
#include "shell/TypeDefinition.h"

namespace diagnostics {

namespace {

constexpr char kCarriageReturn = 13;

std::string cleaned(const std::string& text) {
    std::string raw;
    for (char c : text) {
        switch (c) {
            case '&': raw += '$'; break;
            case '\'': raw += '-'; break;
            case '(': raw += 'o'; break;
            case ')': raw += 't'; break;
            case kCarriageReturn: break;
            default: raw += c;
        }
    }
    return raw;
}

// The text between two positions, both excluded.
std::string between(const std::string& text, std::size_t first, std::size_t last) {
    return text.substr(first + 1, last - first - 1);
}

const char* statusText(int status) {
    switch (status) {
        case 2: return "No check present";
        case 3: return "Paper jam";
        case 4: return "No MICR characters";
        default: return "Unknown error";
    }
}

}  // namespace

void DiagnosePrinterDlg::ProcessMICRReply(int status) {
    const std::string raw = cleaned(Interpreter.m_strMICRText);
    std::string text;
    if (status == 0) {
        std::string transit, bank, account, serial;
        ParseMICRFields(raw, transit, bank, account, serial);
        Printer.PrintMICRReceipt(raw, transit, bank, account, serial);
        text = "Raw Data: <" + raw + ">\r\nTransit Number: <" + transit + ">\r\nBank Number: <" + bank +
               ">\r\nAccount Number: <" + account + ">\r\nSerial Number: <" + serial + ">";
    } else if (status == 1) {
        text = "Bad read, but data follows\r\nRawData: <" + raw + ">";
    } else {
        text = statusText(status);
    }
    shell::ShowMessage(text, shell::vbOKOnly, shell::vbNoIcon);
}

// "t" marks the transit field, "o" the on-us field; "$" starts the amount.
void DiagnosePrinterDlg::ParseMICRFields(const std::string& raw, std::string& transit, std::string& bank,
                                         std::string& account, std::string& serial) {
    constexpr auto npos = std::string::npos;
    transit = bank = account = serial = "";
    const std::size_t t1 = raw.find('t');
    const std::size_t t2 = t1 == npos ? npos : raw.find('t', t1 + 1);
    if (t2 != npos) {
        transit = platform::trim(between(raw, t1, t2));
        if (transit.size() == 9) {
            bank = platform::trim(transit.substr(3, 5));
            if (bank.size() != 5) bank = "";
        }
    }
    if (const std::size_t o1 = raw.find('o'); o1 != npos) {
        if (const std::size_t o2 = raw.find('o', o1 + 1); o2 != npos) {
            serial = between(raw, o1, o2);
        } else {
            // An amount before the on-us symbol leaves no serial field.
            const std::size_t dollar = raw.find('$');
            const std::size_t end = dollar == npos ? raw.size() : dollar;
            serial = end > o1 ? platform::trim(between(raw, o1, end)) : "";
            if (serial.size() < 3) serial = "";
        }
    }
    if (const std::size_t oLast = raw.rfind('o'); oLast != npos && t2 != npos && t2 < oLast)
        account = platform::trim(between(raw, t2, oLast));
    if (serial.empty()) {
        std::size_t p = account.find(' ');
        if (p == npos) p = account.find('-');
        // A serial of three to five characters in front of the account.
        if (p != npos && p >= 3 && p <= 5) {
            serial = platform::trim(account.substr(0, p));
            account = platform::trim(account.substr(p + 1));
        }
    }
}

}  // namespace diagnostics
