// The model identifiers the work windows compare when they gate features by
// model ("AXO3640_5xxx", "AXOM27x", "AXO3xxx_R809", ...), and the way to them
// from what the link and the settings file hold: the USB product text the
// link stores in m_AnyAHPIPrinter ("AXO3640-5XXX/6XXX", "AXOM27X",
// "AXOR809", ...), the model text of key "Model" (" 3640-x035", " M27X",
// " R801", ...) and the printer type code. The product texts and the
// identifiers agree only for a few models, so every window's name rules go
// through this table instead of comparing the stored texts.
//
// One identifier per printer type; where a window's own rules name a model
// by its product text (the tally window's "AXOR809") they mean the same
// identifier. Pure lookups over constant data; nothing blocks.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace printerlink {

// The identifier of printer type code 0-16; "" for any other code.
std::string_view modelIdentifierForType(long printerType);

// The printer type code of a USB product text as the link stores it in
// m_AnyAHPIPrinter, or as the connection dialog names a product (letter
// case and the blank after "AXO" ignored); -1 for any other text.
long printerTypeForProduct(std::string_view productText);

// The identifier for such a product text; "" for any other text.
std::string_view modelIdentifierForProduct(std::string_view productText);

// The identifier for a model text of key "Model" as the connection dialog
// or the USB discovery writes it (leading blank and letter case ignored);
// "" for any other text.
std::string_view modelIdentifierForModelText(std::string_view modelText);

}  // namespace printerlink
