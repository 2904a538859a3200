// Qt key events as the window model's keys: the key code of the physical
// key (letters and digits by their upper-case code, punctuation by its US
// layout key), the shift state and the character typed (CP1252, 0 for
// none). Pure functions; nothing here blocks.
#pragma once

#include <QKeyEvent>
#include <optional>

namespace gui {

struct ModelKey {
    int keyCode = 0;
    int shift = 0;
    int keyAscii = 0;
};

// nullopt for keys the model has no code for (media keys and the like).
std::optional<ModelKey> modelKeyOf(const QKeyEvent& event);
int shiftStateOf(Qt::KeyboardModifiers modifiers);

}  // namespace gui
