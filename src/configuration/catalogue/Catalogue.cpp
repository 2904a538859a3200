#include "configuration/catalogue/Catalogue.h"

namespace configuration {

const Rules& catalogueRules(int category) {
    static const Rules none;
    switch (category) {
        case kCommunication: return communicationRules();
        case kSoftware: return softwareRules();
        default: return none;
    }
}

CategoryLayout catalogueLayout(int category, const CatalogueInputs& inputs) {
    return runRules(catalogueRules(category), modelTypesFor(inputs));
}

}  // namespace configuration
