// What an apply run leaves behind for the next connection: the applied
// choices that describe the utility's own link, written into section
// "Configurations" of the settings file (where the reconnect after a restart
// reads them), and SettingChangedFlags, which kinds of setting were sent
// (the restart decides from them how the link comes back).
//
// Both are left only by a run whose sends reached the printer, once they
// have: a printer that never took the new line settings must be reached on
// the old ones. The flags are module values, False at start and never
// cleared. Writes go through the window's settings-file writer, which
// reports a file that cannot be written itself; the apply goes on. A choice
// without a text of its own writes nothing: a key never gets an empty or
// unrelated text.
#pragma once

namespace configuration {

class ChangeConfigDlg;

struct SettingChangedFlags {
    bool interfaceType = false;
    bool baudRate = false;
    bool dataBits = false;
    bool stopBits = false;
    bool parity = false;
    bool flowControl = false;
    bool receptionErrors = false;
    bool receiveBuffer = false;
    bool ethernetProtocol = false;
    bool software = false;
    bool hardware = false;
    bool codePage = false;
    bool twoSided = false;

    // Changes after which a serial link is reopened; with one of group B as
    // well the printer no longer talks on the stored line settings.
    bool groupA() const;
    bool groupB() const;
};

inline SettingChangedFlags settingChangedFlags;

// The member of a category other than communication.
bool& categoryChangedFlag(int category);

// Which run writes back: the apply of the shown category (communication
// option 2 of the USB interface stored as "PRTR"; the reception-error,
// receive-buffer and Ethernet-protocol rows raise their flags) or of all
// categories ("19"; those three rows raise nothing).
enum class WriteBackRun { ShownCategory, AllCategories };

// One applied communication row.
void writeBackCommunication(ChangeConfigDlg& window, int row, int option, WriteBackRun run);

// Applied hardware row 3: "PaperWidth" as the connection dialog stores the
// width (" 80.0mm", with the leading blank), for the options of the type.
void writeBackPaperWidth(ChangeConfigDlg& window, long printerType, int option);

}  // namespace configuration
