// The path the link's discovery code builds from a USB list entry: "\\?\",
// the identifier with each doubled backslash turned into "#", then "#" and
// the class text.
#pragma once

#include <string>

#include "platform/hid/HidSystem.h"

namespace platform {

inline std::string pathFromIdentifier(const std::string& id) {
    std::string path = "\\\\?\\";
    for (std::size_t i = 0; i < id.size(); ++i) {
        const bool doubled = id.compare(i, 2, "\\\\") == 0;
        path += doubled ? '#' : id[i];
        if (doubled) ++i;
    }
    path.append("#").append(kHidClassGuid);
    return path;
}

}  // namespace platform
