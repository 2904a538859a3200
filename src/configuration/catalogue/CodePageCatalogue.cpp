// The code-page category: the printer's default code page, one row. The
// list's positions are the values the printer takes; the model adds the
// Asian and the Hungarian and Arabic pages it supports. After a printer
// restart the model is the one stored in the settings file.
#include "configuration/catalogue/Catalogue.h"
#include "configuration/catalogue/CatalogueSupport.h"

namespace configuration {

namespace {

Rules makeCodePageRules() {
    Rules r;
    r.label(0, "Default Code Page:")
        .options(0, {" 437", " 850", " 852", " 858", " 860", " 862", " 863", " 864", " 865", " 866", " 874", " 1252",
                     " Katakana"})
        .options(0, {" 932,936,949,950"}, modelNot({1}))
        .options(0, {" Hungary", " 1256"}, model({2, 4, 6, 16, 13}))
        .pick(0, 0)
        // The M27x's code page is not set from here; the list stays enabled.
        .disableBox(0, model({kM27xType}));
    disableRowsWithoutParamNo(r, kCodePage);
    return r;
}

}  // namespace

const Rules& codePageRules() {
    static const Rules rules = makeCodePageRules();
    return rules;
}

ModelTypes codePageTypes(const CatalogueInputs& inputs) { return followedTypes(inputs); }

}  // namespace configuration
