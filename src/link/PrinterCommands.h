// The printer's command vocabulary: every command the link and the work
// windows send, named once. Fixed commands are byte sequences; a command
// with an argument is a small builder that takes it. A command only one
// window sends is named here too, so every byte the utility sends is found
// in this file and a second sender needs no move. A window's own builders
// (InitializePrinter, FeedAndCut, ...) are made of these names; the codes of
// the GS I @ family and the markers of its replies are in IdItemCodes.h.
//
// The bytes are the unframed command: on a USB HID link the sender frames
// them as an output report. Constant data and pure functions; nothing
// blocks.
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>

#include "link/PrinterTypes.h"
#include "platform/Text.h"

namespace printerlink {

// Appends a command to a run of commands that goes out in one write.
inline void AppendCommand(platform::Bytes& run, const platform::Bytes& command) {
    run.insert(run.end(), command.begin(), command.end());
}
// The commands back to back, in the order given, for one write.
inline platform::Bytes JoinedCommands(std::initializer_list<platform::Bytes> commands) {
    platform::Bytes run;
    for (const platform::Bytes& command : commands) AppendCommand(run, command);
    return run;
}

// Status requests.
inline const platform::Bytes RealTimeStatusCommand = {0x10, 0x04, 0x02};  // DLE EOT 2
// DLE EOT 2 then DLE EOT 5: whether the printer answers at all after connecting.
inline const platform::Bytes ConnectionCheckStatusCommand = {0x10, 0x04, 0x02, 0x10, 0x04, 0x05};
inline const platform::Bytes GsRStatusCommand = {0x1D, 0x72, 0x01};  // GS r 1
inline const platform::Bytes EscVStatusCommand = {0x1B, 0x76};         // ESC v
inline const platform::Bytes EscUStatusCommand = {0x1B, 0x75, 0x00};   // ESC u 0
inline const platform::Bytes FlashStatusCommand = {0x1D, 0x72, 0x04};  // GS r 4
// DLE EM n: the kiosk indicators of the M27x (n = 1 or 2).
inline platform::Bytes KioskStatusCommand(std::uint8_t n) { return {0x10, 0x19, n}; }

// GS EOT n: status of kind n (1 printer, 5 slip station, ...).
inline platform::Bytes GsEotStatusCommand(std::uint8_t n) { return {0x1D, 0x04, n}; }
// Every DLE EOT n and GS EOT n reply carries these fixed bits; an ESC v reply
// never does.
inline constexpr bool hasStatusReplyForm(std::uint8_t b) { return (b & 0x93) == 0x12; }

// GS US 0: sent when a work window opens on TCP or USB HID and when it closes.
inline const platform::Bytes GsUs0Command = {0x1D, 0x1F, 0x00};
// ESC @: initialises the printer.
inline const platform::Bytes InitializeCommand = {0x1B, 0x40};

// GS FF: restart the printer.
inline const platform::Bytes RestartCommand = {0x1D, 0xFF};

// US DC1 (parameter, value)... FF: the configuration command. The settings
// go between its header and its end.
inline const platform::Bytes SetParameterHeader = {0x1F, 0x11};
inline constexpr std::uint8_t SetParameterEnd = 0xFF;
// The configuration command with the single pair (parameter, value).
inline platform::Bytes SetParameterCommand(std::uint8_t parameter, std::uint8_t value) {
    return {SetParameterHeader[0], SetParameterHeader[1], parameter, value, SetParameterEnd};
}
// US n v: one hardware or two-sided setting of the M27x, which takes its
// settings one command each rather than in one configuration command.
inline platform::Bytes SingleSettingCommand(std::uint8_t parameter, std::uint8_t value) {
    return {0x1F, parameter, value};
}
// What the USB HID packet of settings starts with: the output report ID
// (08h), ESC @ and the configuration command's header.
inline const platform::Bytes ParameterPacketHead = {0x08, 0x1B, 0x40, 0x1F, 0x11};

// GS a n: automatic status back of the conditions n selects (0: none).
inline platform::Bytes AutoStatusBackCommand(std::uint8_t n) { return {0x1D, 0x61, n}; }

// Printing.
// ESC R n: the international character set (0: USA).
inline platform::Bytes CharacterSetCommand(std::uint8_t set) { return {0x1B, 0x52, set}; }
// ESC c 0 n: the station that prints; ESC c 1 n: the station later
// settings apply to. n is a station bit set of the slip models.
inline platform::Bytes PrintStationCommand(std::uint8_t n) { return {0x1B, 0x63, 0x30, n}; }
inline platform::Bytes SettingStationCommand(std::uint8_t n) { return {0x1B, 0x63, 0x31, n}; }
// ESC ! n: character size (high nibble) and font (bit 0: font B).
inline platform::Bytes PrintModeCommand(std::uint8_t n) { return {0x1B, 0x21, n}; }
// ESC a n: left (0), centred (1) or right (2).
inline platform::Bytes AlignmentCommand(std::uint8_t n) { return {0x1B, 0x61, n}; }
// FF: ejects the slip of a slip model.
inline const platform::Bytes EjectSlipCommand = {0x0C};
// Bar codes: GS H n places the human-readable digits, GS f n chooses their
// font, GS h n sets the height in dots; GS k m n is the head of a bar code of
// kind m whose n data bytes follow it.
inline platform::Bytes BarcodeTextPositionCommand(std::uint8_t n) { return {0x1D, 0x48, n}; }
inline platform::Bytes BarcodeTextFontCommand(std::uint8_t n) { return {0x1D, 0x66, n}; }
inline platform::Bytes BarcodeHeightCommand(std::uint8_t dots) { return {0x1D, 0x68, dots}; }
inline platform::Bytes BarcodeHead(std::uint8_t kind, std::uint8_t length) { return {0x1D, 0x6B, kind, length}; }
// ESC d n: feed n lines.
inline platform::Bytes FeedLinesCommand(std::uint8_t lines) { return {0x1B, 0x64, lines}; }
// GS V 0: cut the paper.
inline const platform::Bytes CutPaperCommand = {0x1D, 0x56, 0x00};
// CR LF: ends a printed line.
inline const platform::Bytes LineEndCommand = {0x0D, 0x0A};
// ESC * m nL nH: the head of a bit-image band of mode m and the given width
// in dots; the band's data bytes follow it.
inline platform::Bytes BitImageBandCommand(std::uint8_t mode, std::size_t dots) {
    return {0x1B, 0x2A, mode, static_cast<std::uint8_t>(dots % 256), static_cast<std::uint8_t>(dots / 256)};
}
// ESC r n: the colour of two-colour paper printed next (0 the first, 1 the
// second).
inline platform::Bytes SelectColorCommand(std::uint8_t color) { return {0x1B, 0x72, color}; }
// US ` 2 puts a two-sided printer into two-sided printing; US a n then
// selects the side printed next (0 the first, 1 the second).
inline const platform::Bytes TwoSidedPrintCommand = {0x1F, 0x60, 0x02};
inline platform::Bytes SelectSideCommand(std::uint8_t side) { return {0x1F, 0x61, side}; }
// CR repeated: blank lines fed as one command.
inline platform::Bytes CarriageReturnsCommand(std::uint8_t count) { return platform::Bytes(count, 0x0D); }
// ESC p m 100 100: pulse cash drawer m (0 or 1).
inline platform::Bytes DrawerPulseCommand(std::uint8_t drawer) { return {0x1B, 0x70, drawer, 0x64, 0x64}; }
// US t: print the diagnostic form; the M27x takes two more bytes.
inline platform::Bytes PrintFormCommand(long printerType) {
    if (printerType == kM27xType) return {0x1F, 0x74, 0x00, 0x01};
    return {0x1F, 0x74};
}

// Logos in flash. GS * x y: the head of a downloaded bit image x bytes
// across and y bytes down; its data block follows it. GS # n selects the
// logo the download goes to, GS / n prints logo n.
inline platform::Bytes DownloadBitImageHead(std::uint8_t across, std::uint8_t down) {
    return {0x1D, 0x2A, across, down};
}
inline platform::Bytes SelectLogoCommand(std::uint8_t n) { return {0x1D, 0x23, n}; }
inline platform::Bytes PrintLogoCommand(std::uint8_t n) { return {0x1D, 0x2F, n}; }
// CR LF as one USB HID output report: report ID 08h and its length byte
// before it, for a line end that goes out past the framing sender.
inline const platform::Bytes HidLineEndReport = {0x08, 0x02, LineEndCommand[0], LineEndCommand[1]};

// Slip station. ESC w P CR then ESC w 1: read the check's MICR line; the
// reply is a status byte and the text up to CR. ESC w F: flip the check.
// ESC e n: feed n lines back.
inline const platform::Bytes MicrReadCommand = {0x1B, 0x77, 0x50, 0x0D};
inline const platform::Bytes MicrReadStartCommand = {0x1B, 0x77, 0x01};
inline const platform::Bytes FlipCheckCommand = {0x1B, 0x77, 0x46};
inline platform::Bytes ReverseFeedCommand(std::uint8_t lines) { return {0x1B, 0x65, lines}; }

// Check scan. GS ( G 47h: clear the stored scan images; GS ( G 41h ...:
// scan the check in the slip station; GS ( G 4Ah 30h: end the scan.
inline const platform::Bytes ClearScanImagesCommand = {0x1D, 0x28, 0x47, 0x01, 0x00, 0x47};
inline const platform::Bytes StartCheckScanCommand = {0x1D, 0x28, 0x47, 0x05, 0x00, 0x41, 0x01, 0x00, 0x30, 0x30};
inline const platform::Bytes EndScanCommand = {0x1D, 0x28, 0x47, 0x02, 0x00, 0x4A, 0x30};
// FS ( g ...: the scanner's settings: FS ( g 3Ch 30h, FS ( g 28h 30h 01h
// 31h n (the level n), FS ( g 65h 30h and FS ( g 32h 30h 31h.
inline const platform::Bytes ScanSetupLtCommand = {0x1C, 0x28, 0x67, 0x02, 0x00, 0x3C, 0x30};
inline platform::Bytes ScanLevelCommand(std::uint8_t n) {
    return {0x1C, 0x28, 0x67, 0x05, 0x00, 0x28, 0x30, 0x01, 0x31, n};
}
inline const platform::Bytes ScanSetupECommand = {0x1C, 0x28, 0x67, 0x02, 0x00, 0x65, 0x30};
inline const platform::Bytes ScanSetup2Command = {0x1C, 0x28, 0x67, 0x03, 0x00, 0x32, 0x30, 0x31};
// ACK takes a scan block and asks for the next; CAN gives the scan up.
inline const platform::Bytes AckCommand = {0x06};
inline const platform::Bytes CancelCommand = {0x18};

// GS @ n: clear a flash user area.
inline constexpr std::uint8_t kUserDefinedArea = 0x31;
inline constexpr std::uint8_t kUserDataArea = 0x32;
inline platform::Bytes ClearUserAreaCommand(std::uint8_t area) { return {0x1D, 0x40, area}; }

// GS I @ code: writes, clears or reads one ID item or tally (IdItemCodes.h);
// a write appends the item's text.
inline platform::Bytes IdItemCommand(std::uint8_t code) { return {0x1D, 0x49, 0x40, code}; }

}  // namespace printerlink
