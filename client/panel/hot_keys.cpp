#include "client/panel/hot_keys.h"

#include <QKeyEvent>

bool IsHotKey(const QKeyEvent& key, EnterKey enter) {
    const int k = key.key();
    if (k == Qt::Key_Escape || (k >= Qt::Key_F1 && k <= Qt::Key_F11)) {
        return true;
    }
    if (k == Qt::Key_Return || k == Qt::Key_Enter) {
        return enter == EnterKey::Stores;
    }
    const Qt::KeyboardModifiers modifiers = key.modifiers();
    if ((modifiers & Qt::AltModifier) == 0 || (modifiers & Qt::ControlModifier) != 0) {
        return false;
    }
    return k == Qt::Key_L || k == Qt::Key_T || k == Qt::Key_X;
}

bool IsRepeatedHotKey(const QKeyEvent& key, EnterKey enter) {
    return key.isAutoRepeat() && IsHotKey(key, enter);
}
