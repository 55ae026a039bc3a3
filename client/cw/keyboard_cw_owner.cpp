#include "client/cw/keyboard_cw_owner.h"

#include "client/cw/cw_transmit_dlg.h"
#include "client/cw/memory_key_store.h"
#include "client/panel/k2_front_panel_control_dlg.h"

KeyboardCwOwner::KeyboardCwOwner(pelorin::CRegistryStore& store) : m_store(store) {
    m_memories =
        std::make_unique<MemoryKeyStore>(m_store, [this](int kind, const std::string& text) {
            if (m_panel) {
                m_panel->ShowStatus(kind, text);
            }
        });
}

KeyboardCwOwner::~KeyboardCwOwner() {
    delete m_closing.data();
    delete m_window.data();
}

CCWTransmitDlg* KeyboardCwOwner::window() const {
    return m_window.data();
}

void KeyboardCwOwner::fill(PanelEntryPoints& entry) {
    entry.closeKeyboardCw = [this] { close(); };
    entry.notifyTextMessageSent = [this](int kind, const std::string& text) {
        notifyTextMessageSent(kind, text);
    };
}

void KeyboardCwOwner::fill(PanelCommandEntryPoints& entry) {
    entry.openKeyboardCw = [this] { open(); };
    entry.transmitMemKey = [this](int key) { transmitMemKey(key); };
    entry.transmitCwText = [this](const std::string& text) { transmitCwText(text); };
    entry.moveKeyboardCw = [this] { move(); };
}

void KeyboardCwOwner::setPanel(CK2FrontPanelControlDlg* panel) {
    m_panel = panel;
}

void KeyboardCwOwner::open() {
    if (m_window || !m_panel) {
        return;
    }
    if (m_closing) {
        // Reopening finishes the slide-in at once (which deletes that window).
        m_closing->FinishSlide();
    }
    m_window = new CCWTransmitDlg(*m_panel, m_panel->remote(), m_store, *m_memories);
    m_window->SetSlideDelay(kSlideDelayMs);
    m_window->SetDockSide(kDockBelow);
    m_window->SlideOut();
}

void KeyboardCwOwner::close() {
    if (!m_window) {
        return;
    }
    CCWTransmitDlg* window = m_window;
    m_window = nullptr;
    window->autoplay().abort();
    window->FinishSlide();
    m_closing = window;
    window->SlideIn([window] { window->deleteLater(); });
}

void KeyboardCwOwner::transmitMemKey(int key) {
    if (m_window) {
        m_window->RequestTransmitMemKey(key);
    }
}

void KeyboardCwOwner::transmitCwText(const std::string& text) {
    if (m_window) {
        m_window->TransmitMemoryText(text);
    }
}

void KeyboardCwOwner::move() {
    if (m_window && !m_window->sliding()) {
        m_window->MoveWithParent();
    }
}

void KeyboardCwOwner::notifyTextMessageSent(int kind, const std::string& text) {
    if (m_window) {
        m_window->OnNotifyTextMessageSent(kind, text);
    }
}
