#include "link/LinkFlags.h"

#include "link/StatusHandshake.h"

namespace printerlink {

void resetLinkModuleState() {
    for (bool* flag : {&bLinkLost, &bAutoReconnect, &bPrinterRestarted, &bConnectDialogCancelled,
                       &bConnectRequested, &bLanRestartPending, &bSuppressLanTimeout, &bVerifySerialLink,
                       &bRestartPending, &bRestartSentOnLink, &bLanAnswersGsEot, &bLanAnswersEscV})
        *flag = false;
    statusHandshake = {};
}

}  // namespace printerlink
