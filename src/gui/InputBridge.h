// InputBridge: an application-wide Qt event filter that takes every key
// meant for a form window before Qt's widgets or shortcuts see it and hands
// it to the model (FormWindow::keyFromQt), so Tab order, access keys,
// Default and Cancel buttons and text editing follow the model's rules
// exactly as they do without Qt. Keys for other windows (an open combo
// list, a plain message box) are left to Qt. Made and owned by the Renderer.
#pragma once

#include <QObject>

namespace gui {

class Renderer;

class InputBridge final : public QObject {
public:
    explicit InputBridge(Renderer& renderer);
    ~InputBridge() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};

}  // namespace gui
