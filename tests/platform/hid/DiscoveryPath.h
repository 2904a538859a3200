// The path the link's discovery code builds from a USB list entry: "\\?\",
// the identifier with each doubled backslash turned into "#", then "#" and
// the class text.
#pragma once

#include <string>

#include "platform/hid/HidSystem.h"

namespace platform {

inline std::string pathFromIdentifier(std::string id) {
    for (std::size_t at; (at = id.find("\\\\")) != std::string::npos;) id.replace(at, 2, "#");
    return "\\\\?\\" + id + "#" + kHidClassGuid;
}

}  // namespace platform
