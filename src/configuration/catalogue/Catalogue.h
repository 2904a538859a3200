// The per-model catalogue of the configuration window: for each category,
// the rules that lay its rows out for the connected printer model (labels,
// options in the order whose positions the printer takes as values, default
// choices, rows the model or the link lacks).
//
// Pure constant data; nothing blocks.
#pragma once

#include "configuration/CatalogueRules.h"

namespace configuration {

// The rules of category 0-4. A category whose catalogue is not part of the
// window yet has no rules: its rows stay as the frame leaves them.
const Rules& catalogueRules(int category);

// The rows of a category for a model, as its rules leave them.
CategoryLayout catalogueLayout(int category, const CatalogueInputs& inputs);

const Rules& communicationRules();
const Rules& softwareRules();
const Rules& hardwareRules();
const Rules& codePageRules();
const Rules& twoSidedRules();

// The types and conditions a category's rules are run with.
ModelTypes catalogueTypes(int category, const CatalogueInputs& inputs);
ModelTypes hardwareTypes(const CatalogueInputs& inputs);
ModelTypes codePageTypes(const CatalogueInputs& inputs);
ModelTypes twoSidedTypes(const CatalogueInputs& inputs);

}  // namespace configuration
