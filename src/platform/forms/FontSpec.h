// The font of a form or control: a value, copied into each control (a
// control starts with its form's font). Sizes are in points.
#pragma once

#include <string>

namespace platform {

struct FontSpec {
    std::string name = "Arial";
    double size = 8;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strikethrough = false;

    bool operator==(const FontSpec&) const = default;
};

}  // namespace platform
