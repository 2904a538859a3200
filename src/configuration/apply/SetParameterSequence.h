// One apply run's configuration command: what goes to the printer, write by
// write, and what the two command log files record of it.
//
// On a serial or TCP link the command is a stream of writes: the header
// 1F 11, each setting's bytes by themselves, and FF once per category used.
// On USB HID each category used goes out as one ParameterPacket at the end:
// 08 1B 40 1F 11, that category's settings, FF and zero padding to
// 2n + 10 bytes (n the settings counted for it). The M27x takes no header
// and no FF: each setting is a command by itself, on USB HID framed as its
// own report.
//
// The CommandLog holds exactly the bytes that went out: the head (1F 11, or
// 08 1B 40 1F 11 on USB HID), every setting's bytes, one FF per category
// used. It is padded with zeros to the size its run's rule gives, and made
// larger where the bytes and the trailing 1D FF would not fit. The second
// file carries 1D FF after the recorded bytes (one 00 between them for the
// M27x's apply of the shown category, which records no closing FF).
//
// Pure: the caller hands the writes to the link. Nothing blocks.
#pragma once

#include <array>
#include <vector>

#include "configuration/ConfigurationModel.h"
#include "platform/Text.h"

namespace configuration {

class SetParameterSequence {
public:
    struct Shape {
        bool hid = false;               // the link is USB HID
        long printerType = 0;           // the connected printer's type
        bool shownCategoryRun = false;  // the apply of the shown category (else of all)
        // Settings counted per category (the packet sizes) and the
        // categories that get their closing FF.
        std::array<int, kCategoryCount> counts{};
        std::array<bool, kCategoryCount> used{};
        std::size_t logSize = 0;  // the CommandLog's size by its run's rule
    };

    explicit SetParameterSequence(Shape shape);

    // Each gives the byte arrays to hand to the link now, one send each.
    std::vector<platform::Bytes> Head();
    std::vector<platform::Bytes> Add(int category, const platform::Bytes& command);
    std::vector<platform::Bytes> Close();

    // The contents of "CommandsWithoutRestart.bin" and "CommandsWithRestart.bin".
    platform::Bytes WithoutRestart() const;
    platform::Bytes WithRestart() const;

private:
    bool m27x() const;
    std::size_t restartAt() const;
    std::size_t logSize() const;

    Shape shape_;
    platform::Bytes recorded_;
    std::array<platform::Bytes, kCategoryCount> packets_;
};

}  // namespace configuration
