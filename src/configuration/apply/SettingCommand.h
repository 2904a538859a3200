// The command bytes of one configuration setting: the one place that turns
// a setting (category, row, chosen option) into what the printer is sent
// for it. Applying the shown category, applying every category, the two
// command logs and the tests all go through it, so one setting never goes
// out in two encodings.
//
// The forms, for the printer type the window's tables were filled for:
//   [number, option]                      most settings
//   1F, number, option                    M27x: hardware rows and the form mode,
//                                         each a whole command by itself
//   n, x mod 256, n+1, x div 256          two-sided row 5 (minimum receipt
//                                         length) of other types, x = option
//                                         x 5 inches x 203 dots
// A row whose number is 00 names no setting of that type: nothing goes out.
//
// Pure functions; nothing blocks.
#pragma once

#include <cstdint>

#include "configuration/ParamNo.h"
#include "link/PrinterCommands.h"
#include "platform/Text.h"

namespace configuration {

struct SettingBytes {
    enum class Status {
        Ok,
        NoParameter,  // the type has no number for the row: nothing to send
        BadValue,     // the option cannot be sent (no choice, beyond a byte, a length too long)
    };
    Status status = Status::Ok;
    platform::Bytes bytes;
};

// `option` is the chosen option's index (0 the first; -1 none).
SettingBytes settingCommandBytes(const ParamNoTables& tables, long printerType, int category, int row, long option);

// The printer's configuration command around the settings, and the restart.
using printerlink::ParameterPacketHead;
using printerlink::RestartCommand;
using printerlink::SetParameterEnd;
using printerlink::SetParameterHeader;

}  // namespace configuration
