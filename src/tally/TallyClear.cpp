// Clearing the ticked tallies, and showing them again from the printer
// afterwards so the window never shows a value from before the clear.
#include <algorithm>

#include "shell/ModalMessageBox.h"
#include "shell/TypeDefinition.h"
#include "tally/ViewTallyDlg.h"

namespace tally {

namespace {

constexpr const char* kClearQuestion = "Clear selected tally item(s) of POS printer to 0.\r\nDo you wish to continue?";
// The wait for the printer's values after a clear on TCP, as long as the
// link's TCP reply watchdog.
constexpr int kLanValueRounds = 100;
constexpr int kLanValueSleepMs = 50;

}  // namespace

void ViewTallyDlg::ClearSelectedTalliesLan() { clearSelectedTallies(false); }

void ViewTallyDlg::ClearSelectedTalliesSerial() { clearSelectedTallies(true); }

// The stored connection, not the link, chooses the path: TCP, where
// the values come back through the main window's reply parsers.
void ViewTallyDlg::clearSelectedTallies(bool serialTwin) {
    const bool lanPath = settingsValue("PortNumber") == platform::str(shell::kLanPortNumber);
    if (!ValidateInput()) return;
    if (lanPath && serialTwin) shell::ShowLinkCheckNotice(linkCheck());
    if (shell::ShowMessage(kClearQuestion, shell::vbYesNo, shell::vbInformation) != shell::vbYes) {
        if (!lanPath) m_MainComm_OnStatusUpdated(platform::comm::EvDSR);
        return;
    }
    // The clear does not test the answer to the click's status request. A
    // request still waiting for it (a printer that answers late or never)
    // would take the next serial input, the cleared tallies' values, as
    // that answer and drop them; a late answer now reaches the reply parser,
    // which passes over a status byte.
    if (serialTwin) sharedFlags().m_SendRealTimeStatusCmd = false;
    // The poll's own USB HID read must not take a reply the clear waits for.
    const PollState poll = stopStatusPoll();
    std::vector<int> cleared;
    const bool sent = sendChecked([&] {
        cleared = sendTallyClears(lanPath);
        if (!operationSends_.stopped()) rereadClearedTallies(cleared, lanPath);
    });
    // The waits for the values serve events: a window closed meanwhile shows
    // nothing more.
    if (sent && lanPath && isLoaded()) showLanTallyValues(cleared);
    // The requests end with the clear, answered or not (a failed send, a
    // printer that did not answer in time): left up, the next TCP reply,
    // a status poll's, would be taken for the tally's value.
    if (lanPath)
        for (int i : cleared) m_MainComm.tallyRequested(i) = false;
    if (!isLoaded()) return;
    resumeStatusPoll(poll);
    // A refresh would show the window online again on a link that failed.
    if (sent && !lanPath) m_MainComm_OnStatusUpdated(platform::comm::EvDSR);
}

// Sends the clear of every ticked tally the layout shows; gives back which.
std::vector<int> ViewTallyDlg::sendTallyClears(bool requestLanValues) {
    if (!awaitReadAnswers()) return {};
    std::vector<int> cleared;
    for (int i = 0; i < kTallyCount; ++i) {
        if (!tallySelected(i)) continue;
        const bool kiosk = m_MainComm.bKiosk;
        const std::uint8_t code = TallyCode(i, IdItemOp::Clear, kiosk);
        // On USB HID the printer's one-byte answer waits in an input report;
        // left there, every later read would get the reply before its own.
        // It is asked at the door and awaited there for one device read, with
        // events served, and the window takes it as its report comes
        // (noteHidReply). A printer that does not answer clears costs that
        // read and no more: the clear is let go, and an answer still to come
        // is known at the door for a late one.
        if (m_MainComm.m_lngHIDHandle > 0) {
            m_MainComm.m_AHPIBufferCmd = false;  // the reads bring data, not the poll's answer
            printerlink::RequestDoor& door = doorPass_.door();
            const auto ticket = door.ask(doorPass_.owner(), printerlink::ReplyForm::Esc, printerlink::kOwnRequest, 1,
                                         [&] { return WriteIdItem(code, ""); });
            if (ticket != 0) {
                door.awaitAnswers(doorPass_.owner(), printerlink::ReplyForm::Esc, kHidReportReadMicros);
                door.release(ticket);
            }
            if (!isLoaded()) break;
        } else {
            WriteIdItem(code, "");
        }
        if (requestLanValues && !kiosk) m_MainComm.tallyRequested(i) = true;
        cleared.push_back(i);
    }
    return cleared;
}

// Asks for the cleared tallies again. The replies fill the emptied cache
// slots through the reply parser (and on TCP the main window's parsers);
// on TCP the window waits for them, bounded, before it shows them.
void ViewTallyDlg::rereadClearedTallies(const std::vector<int>& cleared, bool waitForLanValues) {
    if (cleared.empty()) return;
    const bool kiosk = m_MainComm.bKiosk;
    // Until the printer answers, a cleared tally shows nothing: its count
    // from before the clear is gone. Emptied before the requests go out,
    // since a quick answer is shown while they are being sent.
    for (int i : cleared) {
        m_strTallyValues[static_cast<std::size_t>(i)].clear();
        PrinterTallyText(i).setText("");
    }
    m_MainComm.m_AHPIBufferCmd = false;
    for (int i : cleared) RequestIdItem(TallyReplyMarker(i, kiosk, m_MainComm.PrinterType()));
    if (m_MainComm.m_lngHIDHandle > 0) awaitReadAnswers();
    if (!waitForLanValues) return;
    // A window closed meanwhile shows nothing: its wait would only hold the
    // main window back.
    shell::waitRounds(kLanValueRounds, kLanValueSleepMs, [&] {
        return !isLoaded() || std::all_of(cleared.begin(), cleared.end(), [&](int i) {
            return kiosk ? !tallyText(m_strTallyValues[static_cast<std::size_t>(i)]).empty()
                         : !m_MainComm.tallyRequested(i);
        });
    });
}

// Every ticked tally shows the main window's value; a cleared one shows
// what the printer answered after the clear, or nothing when no answer came.
void ViewTallyDlg::showLanTallyValues(const std::vector<int>& cleared) {
    const bool kiosk = m_MainComm.bKiosk;
    for (int i = 0; i < kTallyCount; ++i) {
        if (PrinterTally(i).Value() != platform::vbChecked) continue;
        std::string text = platform::str(m_MainComm.tallyValue(i));
        if (std::find(cleared.begin(), cleared.end(), i) != cleared.end()) {
            if (kiosk)
                text = tallyText(m_strTallyValues[static_cast<std::size_t>(i)]);
            else if (m_MainComm.tallyRequested(i))
                text.clear();
        }
        PrinterTallyText(i).setText(text);
    }
}

}  // namespace tally
