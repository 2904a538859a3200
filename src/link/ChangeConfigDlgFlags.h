// The configuration window's side of the real-time status handshake, as the
// link reaches it through the module object objChangeConfigDlg.
//
// Ownership: the module keeps one object, created on first use by
// changeConfigDlgObject() (through makeChangeConfigDlgObject when the
// configuration window installs a factory for its own class). The link's
// serial receive handler calls the answer routine; nothing here blocks.
#pragma once

#include <functional>
#include <memory>

#include "platform/Text.h"

namespace printerlink {

class ChangeConfigDlgFlags {
public:
    virtual ~ChangeConfigDlgFlags() = default;

    // Set by the window right after it sends DLE EOT 2; while set, the next
    // serial input goes to readrealTimeResponesChangeConf.
    bool bSendCmdForRealTimstatus = false;
    // The printer answered the window's DLE EOT 2.
    bool bResponseForRealTimestatus = false;

    // Any bytes count as an answer.
    void readrealTimeResponesChangeConf(const platform::Bytes& data);
};

inline std::unique_ptr<ChangeConfigDlgFlags> objChangeConfigDlg;
inline std::function<std::unique_ptr<ChangeConfigDlgFlags>()> makeChangeConfigDlgObject;

// The module object, created (empty, request flag False) when missing.
ChangeConfigDlgFlags& changeConfigDlgObject();

}  // namespace printerlink
