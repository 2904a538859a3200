#include "configuration/catalogue/Catalogue.h"

namespace configuration {

const Rules& catalogueRules(int category) {
    static const Rules none;
    switch (category) {
        case kCommunication: return communicationRules();
        case kSoftware: return softwareRules();
        case kHardware: return hardwareRules();
        case kCodePage: return codePageRules();
        case kDoubleSided: return twoSidedRules();
        default: return none;
    }
}

ModelTypes catalogueTypes(int category, const CatalogueInputs& inputs) {
    switch (category) {
        case kHardware: return hardwareTypes(inputs);
        case kCodePage: return codePageTypes(inputs);
        case kDoubleSided: return twoSidedTypes(inputs);
        default: return modelTypesFor(inputs);
    }
}

CategoryLayout catalogueLayout(int category, const CatalogueInputs& inputs) {
    return runRules(catalogueRules(category), catalogueTypes(category, inputs));
}

}  // namespace configuration
