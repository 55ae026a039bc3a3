#include "platform/window_registry.h"

#include <QCoreApplication>
#include <QMetaObject>

#include <map>
#include <mutex>
#include <utility>

Q_LOGGING_CATEGORY(lcWindowRegistry, "orvo.window.registry", QtWarningMsg)

namespace {

std::mutex& registryMutex() {
    static std::mutex mutex;
    return mutex;
}

std::map<std::string, WindowMessageTarget*>& registryMap() {
    static std::map<std::string, WindowMessageTarget*> map;
    return map;
}

void deliver(const std::string& title, const WindowMessage& message) {
    WindowMessageTarget* target = WindowRegistry::find(title);
    if (target == nullptr) {
        qCDebug(lcWindowRegistry, "no window titled \"%s\": message 0x%X (%d) dropped",
                title.c_str(), message.message, message.wParam);
        return;
    }
    target->onWindowMessage(message);
}

}  // namespace

void WindowRegistry::registerWindow(const std::string& title, WindowMessageTarget* target) {
    std::lock_guard<std::mutex> lock(registryMutex());
    if (target == nullptr) {
        registryMap().erase(title);
    } else {
        registryMap()[title] = target;
    }
}

void WindowRegistry::unregisterWindow(const std::string& title, WindowMessageTarget* target) {
    std::lock_guard<std::mutex> lock(registryMutex());
    auto it = registryMap().find(title);
    if (it != registryMap().end() && it->second == target) {
        registryMap().erase(it);
    }
}

WindowMessageTarget* WindowRegistry::find(const std::string& title) {
    std::lock_guard<std::mutex> lock(registryMutex());
    auto it = registryMap().find(title);
    return it == registryMap().end() ? nullptr : it->second;
}

bool WindowRegistry::post(const std::string& title, WindowMessage message) {
    QCoreApplication* app = QCoreApplication::instance();
    if (app == nullptr) {
        qCDebug(lcWindowRegistry, "no application: message 0x%X for \"%s\" dropped",
                message.message, title.c_str());
        return false;
    }
    // Queued even from the GUI thread itself, so delivery order is post order
    // whichever thread posts.
    QMetaObject::invokeMethod(
        app, [title, message = std::move(message)]() { deliver(title, message); },
        Qt::QueuedConnection);
    return true;
}

WindowRegistration::WindowRegistration(std::string title, WindowMessageTarget* target)
    : m_title(std::move(title)), m_target(target) {
    WindowRegistry::registerWindow(m_title, m_target);
}

WindowRegistration::~WindowRegistration() {
    WindowRegistry::unregisterWindow(m_title, m_target);
}
