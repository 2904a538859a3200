#include "link/LinkFlags.h"

#include "link/ChangeConfigDlgFlags.h"
#include "link/ViewTallyDlgFlags.h"

namespace printerlink {

void resetLinkModuleState() {
    for (bool* flag : {&bLinkLost, &bAutoReconnect, &bPrinterRestarted, &bConnectDialogCancelled,
                       &bConnectRequested, &bLanRestartPending, &bSuppressLanTimeout, &bVerifySerialLink,
                       &bRestartPending, &bRestartSentOnLink, &bLanAnswersGsEot, &bLanAnswersEscV,
                       &bDiagStatusRequested, &bDiagStatusAnswered})
        *flag = false;
    iEscStatusReplyKind = 0;
    diagStatusAnswerBytes.clear();
    objChangeConfigDlg.reset();
    objViewTallyDlg.reset();
}

void ChangeConfigDlgFlags::readrealTimeResponesChangeConf(const platform::Bytes&) {
    bResponseForRealTimestatus = true;
    bSendCmdForRealTimstatus = false;
}

ChangeConfigDlgFlags& changeConfigDlgObject() {
    if (!objChangeConfigDlg)
        objChangeConfigDlg = makeChangeConfigDlgObject ? makeChangeConfigDlgObject()
                                                       : std::make_unique<ChangeConfigDlgFlags>();
    return *objChangeConfigDlg;
}

void ViewTallyDlgFlags::readrealTimeResponesVieTally(const platform::Bytes&) {
    m_ResponseRealTimeStatusCmd = true;
    m_SendRealTimeStatusCmd = false;
}

ViewTallyDlgFlags& viewTallyDlgObject() {
    if (!objViewTallyDlg)
        objViewTallyDlg = makeViewTallyDlgObject ? makeViewTallyDlgObject() : std::make_unique<ViewTallyDlgFlags>();
    return *objViewTallyDlg;
}

}  // namespace printerlink
