#include "client/panel/hot_keys.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QKeyEvent>

namespace {

HeldKeyWatch* s_current = nullptr;

// The keys that click a focused button.
bool ClicksButton(int key) {
    return key == Qt::Key_Space || key == Qt::Key_Select || key == Qt::Key_Return ||
           key == Qt::Key_Enter;
}

}  // namespace

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

bool IsRepeatedPress(const QKeyEvent& key) {
    if (key.isAutoRepeat()) {
        return true;
    }
    const HeldKeyWatch* watch = HeldKeyWatch::current();
    return watch != nullptr && watch->isReleasePartner(key.key(), key.timestamp());
}

bool IsRepeatedHotKey(const QKeyEvent& key, EnterKey enter) {
    return IsHotKey(key, enter) && IsRepeatedPress(key);
}

HeldKeyWatch::HeldKeyWatch() : m_previous(s_current) {
    QCoreApplication::instance()->installEventFilter(this);
    s_current = this;
}

HeldKeyWatch::~HeldKeyWatch() {
    if (s_current == this) {
        s_current = m_previous;
    }
    if (QCoreApplication* app = QCoreApplication::instance()) {
        app->removeEventFilter(this);
    }
}

const HeldKeyWatch* HeldKeyWatch::current() {
    return s_current;
}

bool HeldKeyWatch::isReleasePartner(int key, std::uint64_t timestamp) const {
    if (timestamp == 0) {
        return false;
    }
    const auto release = m_lastRelease.find(key);
    return release != m_lastRelease.end() && release->second == timestamp;
}

bool HeldKeyWatch::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyRelease) {
        const auto& key = *static_cast<QKeyEvent*>(event);
        m_lastRelease[key.key()] = key.timestamp();
    } else if (event->type() == QEvent::KeyPress) {
        // The press that would set the button down again, so that the next
        // release clicks it.
        const auto& key = *static_cast<QKeyEvent*>(event);
        if (ClicksButton(key.key()) && qobject_cast<QAbstractButton*>(watched) != nullptr &&
            (key.isAutoRepeat() || isReleasePartner(key.key(), key.timestamp()))) {
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}
