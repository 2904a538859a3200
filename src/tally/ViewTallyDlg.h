// The tally window: the connected printer's eight ID items and twelve usage
// counters (tallies), read from the printer and shown; the writable ones
// written, optionally with a printed confirmation; tallies cleared; the
// user-defined character area and the user data area cleared; the
// diagnostic form printed; and the window's status poll and serial link
// check.
//
// Ownership: ShowViewTallyDlg makes a fresh window for every View Tally,
// shows it modally owned by the main window and releases it when it has
// closed. The window refers to the main window as m_MainComm (which must
// outlive it) and holds its subscriptions to the main window's two events,
// so it stops receiving when it goes. The real-time status handshake flags
// and m_Flag live in the link's record printerlink::statusHandshake for the
// whole run, where the link, the main window and the connection dialog
// reach them.
//
// What may block and nest: every printer operation sends through the link,
// whose sends yield to the event loop; the message boxes and notices run the
// loop nested; the read and the clear on TCP, and their reads of late USB
// HID replies, wait, bounded, serving events. The read as the window opens
// runs from the loop once the window is shown, so it paints and takes its
// keys and Close while the read waits.
// The link's events, this window's timer and its keys may run inside any of
// them. A serial operation whose printer did not answer the status request
// unloads the window (the lost-link exit); its destruction waits until the
// handler has returned.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "link/IdItemCodes.h"
#include "link/StatusHandshake.h"
#include "platform/forms/CheckBox.h"
#include "platform/forms/CommandButton.h"
#include "platform/forms/ControlArray.h"
#include "platform/forms/Form.h"
#include "platform/forms/Frame.h"
#include "platform/forms/Label.h"
#include "platform/forms/TextBox.h"
#include "platform/forms/TimerControl.h"
#include "shell/MainWindow.h"
#include "shell/WorkWindowLink.h"

namespace tally {

// The window names the ID items, the tallies and their codes as its own.
using namespace printerlink::iditems;

class ViewTallyDlg : public platform::Form {
public:
    explicit ViewTallyDlg(shell::MainWindow& mainComm);
    ~ViewTallyDlg() override;

    // ---- Variables (the three shared flags are the link's record's). ----
    static printerlink::StatusHandshake& sharedFlags() { return printerlink::statusHandshake; }
    std::string m_PortNo;  // "COM<n>", "Ethernet" or "AHPI"
    shell::MainWindow& m_MainComm;

    // ---- Controls. ----
    platform::Frame SerialStatusGroup;
    platform::Label PrinterOnline;
    platform::TextBox PrinterOnlineText;
    platform::CommandButton CloseButton;
    platform::Frame ButtonGroup;
    platform::CommandButton ApplyButton;
    platform::CommandButton ApplyAndPrintButton;
    platform::CommandButton ClearTallyButton;
    platform::CommandButton ClearUserAreaButton;
    platform::CommandButton ClearUserDefinedArea;
    platform::CommandButton PrintFormButton;
    platform::Frame PrinterIDGroup;
    platform::ControlArray<platform::CheckBox> PrinterID;     // items 0 and 1
    platform::ControlArray<platform::Label> PrinterIDLabel;   // items 2 to 7, index item - 2
    platform::ControlArray<platform::TextBox> PrinterIDText;  // items 0 to 7
    platform::Frame PrinterTallyGroup;
    platform::ControlArray<platform::CheckBox> PrinterTally;
    platform::ControlArray<platform::TextBox> PrinterTallyText;
    platform::Label Label2;
    platform::Label Label1;
    platform::Label Label3;
    platform::TimerControl VStatusTimer;

    // ---- Handlers the main window's events and the user reach. ----
    void m_MainComm_OnDataReceived(const platform::Bytes& ResponseData);
    void m_MainComm_OnStatusUpdated(int NewStatus);
    void VStatusTimer_Timer();
    void CloseButton_Click();
    void ApplyButton_Click();
    void ApplyAndPrintButton_Click();
    void ClearTallyButton_Click();
    void ClearUserAreaButton_Click();
    void ClearUserDefinedArea_Click();
    void PrintFormButton_Click();
    void PrinterID_Click(int Index);
    void PrinterTally_Click(int Index);
    void PrinterIDText_GotFocus(int Index);
    void PrinterTallyText_GotFocus(int Index);

    // The notice of the serial link check, and its time.
    static constexpr const char* kLinkCheckNotice = "Checking whether the printer is connected or not...";
    static constexpr int kLinkCheckNoticeMs = 800;

protected:
    void Form_Initialize() override;
    void Form_Load() override;
    void Form_KeyPress(int& KeyAscii) override;
    void Form_KeyDown(int& KeyCode, int Shift) override;
    void Form_Unload(int& Cancel) override;
    void Form_Terminate() override;

private:
    // ---- Design and layout (ViewTallyDlgLayout.cpp). ----
    void layOut();
    void layOutIdItems();
    void layOutTallies();
    void setDesignState();
    void hideTally(int i);
    void setKioskCaptions();
    void SetupTalliesByModel();
    void SetupTalliesByDeviceName();

    // ---- The window (ViewTallyDlg.cpp). ----
    void ClearCachedValues();
    void SetAllChecks(bool flag);
    void EnableTallyControls(bool flag);
    void UpdateApplyButtons();
    void UpdateClearTallyButton();
    int CountCheckedIds() const;
    int CountCheckedTallies(bool includeMaxTemp) const;
    // The cache slots a piece of the printer's input went into.
    struct ReplySlots {
        std::array<bool, kIdItemCount> ids{};
        std::array<bool, kTallyCount> tallies{};
    };
    void ShowReadValues();
    void showReplies(const ReplySlots& slots);
    // A tally's text box text for its cached reply.
    static std::string tallyText(const std::string& reply);
    void lockText(platform::TextBox& box, bool locked);
    bool focusedOnTextBox() const;
    std::string settingsValue(const std::string& key);

    // ---- The senders (TallyCommands.cpp). ----
    bool InitializePrinter();
    bool SetAutoStatusBack(bool enable);
    // Asked at the link's door, keyed by its code; false when it did not go
    // out (a failed send, a closed window). On USB HID it waits for its
    // report at most one device read, serving events.
    bool RequestIdItem(std::uint8_t code);
    // One USB HID device read: how long a read or a clear waits for its report.
    static constexpr platform::Micros kHidReportReadMicros = platform::Micros(printerlink::kHidReadTimeoutMs) * 1000;
    // Waits at the door, serving events, until every item the window asked
    // was answered, the link's reply wait has passed since the first still
    // owed, or the window has closed; false when it closed. On USB HID the
    // replies queued on the device are read meanwhile.
    bool awaitReadAnswers();
    bool awaitReadAnswersKeepingTicked();
    // A report answers the request whose code leads its data (after the two
    // bytes types 9 and 15 send ahead of the flash part number), or, one
    // byte long, the window's tally clear next at the door: a status reply
    // answers none. The code of the read it answered, if any.
    std::optional<std::uint8_t> noteHidReply(const platform::Bytes& report);
    bool WriteIdItem(std::uint8_t code, const std::string& text);
    void PrintTextLine(const std::string& text, bool receiptStation, bool wrap, bool font);
    void FeedAndCut(int lines);
    bool sendCommand(platform::Bytes command);
    // Runs an operation's sends. A send that failed stops those after it,
    // and an operation whose sends did not all reach the printer ends with
    // the window shown offline. True when they did.
    bool sendChecked(const std::function<void()>& sends);
    void showOffline();

    // ---- Reading (TallyRead.cpp). ----
    // What the window does once shown: the read, then the poll.
    void openShown();
    void ReadIdsAndTallies();
    bool runReadStep(int step);
    void requestAfterReadSteps(int modelCode);
    void takeReplyByte(std::uint8_t byte, ReplySlots& taken);
    // The door finds a reply led by `code` answers a read of this window.
    bool answersOpenRead(std::uint8_t code);
    // Whether a box shows the reply to the read of `code`.
    bool boxShows(std::uint8_t code) const;
    // On serial and TCP a reply answers its request at the door once its
    // box has it whole; a USB HID report does when it comes (noteHidReply).
    void takeWholeReply(const std::string& slot);
    // Stops the status poll for a read and gives back how it ran.
    struct PollState {
        bool enabled;
        int interval;
    };
    PollState stopStatusPoll();
    void resumeStatusPoll(const PollState& state);

    // ---- Writing (TallyWrite.cpp). ----
    bool ValidateInput();
    void ApplySelectedItemsLan();
    void ApplySelectedItemsSerial();
    void ApplyAndPrintItemsLan();
    void ApplyAndPrintItemsSerial();
    void sendSelectedItems(IdItemOp op);
    void sendSelectedItemsForType16(bool printLabels);
    void sendSelectedItemsAndPrint(bool labelLines);
    bool tallySelected(int i) const;
    std::string paddedIdText(int item) const;
    std::string paddedTallyText(int i) const;

    // ---- Clearing tallies (TallyClear.cpp). ----
    void ClearSelectedTalliesLan();
    void ClearSelectedTalliesSerial();
    void clearSelectedTallies(bool serialTwin);
    std::vector<int> sendTallyClears(bool requestLanValues);
    void rereadClearedTallies(const std::vector<int>& cleared, bool waitForLanValues);
    void showLanTallyValues(const std::vector<int>& cleared);

    // ---- User areas and the diagnostic form (TallyUserAreas.cpp). ----
    void ClearUserDefinedAreaLan();
    void ClearUserDefinedAreaSerial();
    void ClearUserDataAreaLan();
    void ClearUserDataAreaSerial();
    void PrintTallyDiagnosticFormLan();
    void PrintTallyDiagnosticFormSerial();
    bool confirmUserAreaClear(const std::string& firstLine);
    void sendUserAreaClear(std::uint8_t area);
    platform::Bytes buildPrintFormCommand();

    // ---- Status poll and link check (TallyStatus.cpp). ----
    // False when the window closed before the request's turn came.
    bool RequestRealTimeStatus();
    void dispatch(void (ViewTallyDlg::*direct)(), void (ViewTallyDlg::*serial)());
    shell::RealTimeStatusHandshake handshake() const;
    shell::SerialLinkCheck linkCheck() const;
    // Notice and answer test; on no answer the lost-link exit. True: go on.
    bool CheckLink();
    // The answer test alone, for procedures that show the notice earlier.
    bool AnswerTest();

    // The last reply of each item as received: marker, data, trailing byte.
    std::array<std::string, kIdItemCount> m_strIdValues;
    std::array<std::string, kTallyCount> m_strTallyValues;
    // Types 9 and 15 send two bytes ahead of the flash part number reply,
    // whatever they are: its code stands third in the reply.
    static constexpr std::size_t kFlashPartLeadBytes = 2;
    // The flash part number's code where it cannot lead that reply: a lead
    // byte, or text of a reply whose start was missed.
    bool misplacedFlashPartCode(std::uint8_t code, std::size_t index) const;
    // The bytes that filled no slot since the last one that did, the read
    // began or the USB HID report began: where in a reply the next byte
    // stands, counted across blocks, however the link cut them.
    std::size_t bytesOutsideReplies_ = 0;
    // A reply to a code read twice (type 12's receipt lines, back) whose box
    // is already whole: read to its end, so that its digits start no reply.
    struct RepeatedReply {
        std::string value;
        std::size_t length = 0;
        // It used up the mark a closed window's read left: if it was this
        // window's own reply after all, its read is asked again.
        bool othersLate = false;
    } repeatedReply_;
    // The window's open reads on serial and TCP by code, for asking one again.
    std::map<std::uint8_t, printerlink::RequestDoor::Ticket> readTickets_;
    void askReadAgain(std::uint8_t code);
    // The read the USB HID report being parsed answered.
    std::optional<std::uint8_t> hidReplyCode_;
    shell::OperationSends operationSends_{m_MainComm};
    // Its status requests go through the link's door on this pass.
    shell::DoorPass doorPass_{m_MainComm};
    // A line change found the printer silent where it would have read.
    bool readAwaited_ = false;

    printerlink::LinkEvent<const platform::Bytes&>::Subscription dataSubscription_;
    printerlink::LinkEvent<int>::Subscription statusSubscription_;
};

// Opens a fresh tally window modally, owned by the main window, and returns
// when it has closed: the main window's View Tally hook.
void ShowViewTallyDlg(shell::MainWindow& mainWindow);

}  // namespace tally
