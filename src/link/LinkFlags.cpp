#include "link/LinkFlags.h"

#include "link/StatusHandshake.h"

namespace printerlink {

void resetLinkModuleState() {
    for (bool* flag : {&bLinkLost, &bAutoReconnect, &bPrinterRestarted, &bConnectDialogCancelled,
                       &bConnectRequested, &bLanRestartPending, &bSuppressLanTimeout, &bVerifySerialLink,
                       &bRestartPending, &bRestartSentOnLink, &bLanAnswersGsEot, &bLanAnswersEscV})
        *flag = false;
    iEscStatusReplyKind = 0;
    statusHandshake = {};
}

}  // namespace printerlink
