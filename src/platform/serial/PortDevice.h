// Which device node stands behind a COM port number.
//
// COM1..COM16 are /dev/ttyS0../dev/ttyS15 unless the application folder holds
// ports/COMn: a symbolic link to the device, or a text file whose first line
// names it (how USB adapters and pseudo-terminals are reached). The mapping
// is pure; portDevice() only reads the folder. Nothing here opens a device
// or blocks beyond reading one small file.
#pragma once

#include <string>
#include <string_view>

namespace platform {

// "COM5" for 5.
std::string portName(int port);

// The built-in device of COMn, or "" when the number has none.
std::string defaultPortDevice(int port);

// The device a ports/COMn text file names: its first line without
// surrounding blanks, tabs and carriage return; a bare name such as
// "ttyUSB0" is taken as a node in /dev. "" when the line is empty.
std::string deviceFromPortFile(std::string_view content);

// The device of COMn: the override in `appFolder`/ports/COMn when it exists
// (a link is returned as the link's own path, so opening it follows the
// link), else the built-in one. "" when the port has no device at all.
std::string portDevice(int port, const std::string& appFolder);

}  // namespace platform
