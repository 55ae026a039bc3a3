// The panel's keyboard map: keys pressed on the panel or any control on it.
//
//   Esc, Alt+Esc        abort the keyboard-CW window's sending (key 27)
//   F1-F11, Alt+F10     send that memory key (0-10) from the keyboard-CW window
//   Alt+F1 - Alt+F4     menu commands 162-165 (stacking registers, memories)
//   Alt+F5-F9, Alt+F11  nothing
//   Alt+L, Alt+T, Alt+X QSO logging, the keyboard-CW window, the exit
//
// The keys for the keyboard-CW window do nothing while it is closed. No key
// is taken away from the control that has it: Enter and Esc keep their
// meaning (Esc never closes the panel; Enter in a VFO readout is its ">>").
// A key press that a control passes on reaches the panel too; it acts only
// once. A held hot key acts once too: its auto-repeats are dropped.
//
// The map watches the whole application and keeps the presses aimed at the
// panel: the panel itself, any widget inside it, whenever it was made, and
// the pop-up lists of its combo boxes, which are windows of their own. Other
// windows (menus, dialogs) keep their keys.

#include <QKeyEvent>
#include <QMenu>

#include "client/panel/hot_keys.h"
#include "client/panel/k2_front_panel_control_dlg.h"

using namespace front_panel;

bool CK2FrontPanelControlDlg::IsPanelKeyTarget(const QObject* watched) const {
    if (!watched->isWidgetType()) {
        return false;
    }
    for (auto* w = static_cast<const QWidget*>(watched); w != nullptr; w = w->parentWidget()) {
        if (w == this) {
            return true;
        }
        if (w->isWindow() &&
            (w->windowType() != Qt::Popup || qobject_cast<const QMenu*>(w) != nullptr)) {
            return false;
        }
    }
    return false;
}

bool CK2FrontPanelControlDlg::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress && IsPanelKeyTarget(watched)) {
        const auto& key = *static_cast<QKeyEvent*>(event);
        if (IsRepeatedHotKey(key)) {
            return true;
        }
        const int modifiers = static_cast<int>(key.modifiers().toInt());
        // The same press passed on from a control to one of its parents.
        const bool passedOn =
            event == m_keySeen && key.key() == m_keySeenKey && modifiers == m_keySeenModifiers &&
            m_keySeenAt != nullptr && watched != m_keySeenAt && watched->isWidgetType() &&
            m_keySeenAt->isWidgetType() &&
            static_cast<QWidget*>(watched)->isAncestorOf(static_cast<QWidget*>(m_keySeenAt));
        if (!passedOn) {
            m_keySeen = event;
            m_keySeenAt = watched;
            m_keySeenKey = key.key();
            m_keySeenModifiers = modifiers;
            HandleKeyPress(key);
        }
    }
    return QDialog::eventFilter(watched, event);
}

void CK2FrontPanelControlDlg::HandleKeyPress(const QKeyEvent& key) {
    const bool alt = (key.modifiers() & Qt::AltModifier) != 0;
    const int k = key.key();

    if (k == Qt::Key_Escape) {
        qDebug("ESC is PRESSED! (Aborting)");
        TransmitMemKey(27);
        return;
    }
    if (k >= Qt::Key_F1 && k <= Qt::Key_F11) {
        const int n = k - Qt::Key_F1 + 1;
        if (!alt || n == 10) {
            qDebug("F%d is PRESSED!", n);
            TransmitMemKey(n - 1);
            return;
        }
        if (n <= 4) {
            PostMenuCommand(ID_SAVE_STACK_REGISTER + (n - 1));
        }
        return;
    }
    if (!alt) {
        return;
    }
    switch (k) {
        case Qt::Key_L:
            qDebug("ALT-L is PRESSED!");
            PostMenuCommand(ID_QSO_LOGGING);
            break;
        case Qt::Key_T:
            qDebug("ALT-T is PRESSED!");
            PostMenuCommand(IDC_CW_WINDOW);
            break;
        case Qt::Key_X:
            qDebug("ALT-X is PRESSED!");
            PostMenuCommand(IDOK);
            break;
        default:
            break;
    }
}
