// What the hardware, code-page and two-sided catalogues share: the model
// conditions they test besides the printer type, the printer type that
// follows the settings file after a restart, and the rule that a row the
// printer has no parameter number for is never offered for ticking.
//
// Pure functions over constant data; nothing blocks.
#pragma once

#include "configuration/CatalogueRules.h"

namespace configuration {

// Model conditions of these catalogues, above the bits of ModelFlag.
enum CatalogueFlag : unsigned {
    kAnyHidPrinter = 1u << 8,        // bFlagforAHPI (ignored after a restart)
    kPowerAxoList = 1u << 9,         // the Model text names the 3650-5xxx
    kPowerTermList = 1u << 10,       // the Model text names a model with the terminal power options
    kDefaultPrintSide = 1u << 11,    // the Model text is " 3720-2ST"
    kTwoStationDetection = 1u << 12, // the Model text names a model that detects a second station
    kResumeReprint = 1u << 13,       // b2stFlag or bKiosk
};

// The printer type a category follows: the link's PrinterType, or after a
// restart the number stored under PrinterModel. A stored number that is no
// type 0-16 (17, -1, 2.5) is returned as -1, "any other type"; a stored text
// that holds no decimal number at all (absent, empty, letters) leaves the
// link's type, since the layout must complete with some type.
long followedPrinterType(const CatalogueInputs& inputs);

// The types of a category whose rules test that type alone (model), the
// link's type as group and link.
ModelTypes followedTypes(const CatalogueInputs& inputs);

// Rules that disable the box of every shown row of `category` whose
// parameter number is 00 for the link's printer type (applying it would send
// number 00); the list keeps its visibility.
void disableRowsWithoutParamNo(Rules& rules, int category);

}  // namespace configuration
