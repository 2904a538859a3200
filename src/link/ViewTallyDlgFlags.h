// The tally window's flags as the link and the connection dialog reach them
// through the module object objViewTallyDlg.
//
// Ownership: the module keeps one object, created on first use by
// viewTallyDlgObject() (through makeViewTallyDlgObject when the tally window
// installs a factory for its own class). The link's serial receive handler
// calls the answer routine; nothing here blocks.
#pragma once

#include <functional>
#include <memory>

#include "platform/Text.h"

namespace printerlink {

class ViewTallyDlgFlags {
public:
    virtual ~ViewTallyDlgFlags() = default;

    // Set by the main window's View Tally button: read the tallies at the
    // next online status.
    bool m_Flag = false;
    // Set by the window right after it sends DLE EOT 2; while set, the next
    // serial input goes to readrealTimeResponesVieTally.
    bool m_SendRealTimeStatusCmd = false;
    // The printer answered the window's DLE EOT 2.
    bool m_ResponseRealTimeStatusCmd = false;

    // Any bytes count as an answer.
    void readrealTimeResponesVieTally(const platform::Bytes& data);
};

inline std::unique_ptr<ViewTallyDlgFlags> objViewTallyDlg;
inline std::function<std::unique_ptr<ViewTallyDlgFlags>()> makeViewTallyDlgObject;

// The module object, created (empty, flags False) when missing.
ViewTallyDlgFlags& viewTallyDlgObject();

}  // namespace printerlink
