#include "client/panel/server_pinger.h"

#include <QMetaObject>
#include <QTimer>

#include <mutex>
#include <utility>

namespace {

// How often the pinger looks at the clock: a dead server shows within
// kSilence plus this, plus the question's own time.
constexpr int kCheckMs = 250;

}  // namespace

// The answer's way back: the thread that got it posts to the pinger while it
// lives; the pinger's destructor cuts the way under the same lock.
struct ServerPinger::Mailbox {
    std::mutex mutex;
    ServerPinger* target = nullptr;
};

ServerPinger::ServerPinger(Ask ask, std::function<bool()> connected, std::function<void()> lost,
                           QObject* parent)
    : QObject(parent),
      m_ask(std::move(ask)),
      m_connected(std::move(connected)),
      m_lost(std::move(lost)),
      m_mailbox(std::make_shared<Mailbox>()) {
    m_mailbox->target = this;
    m_timer = new QTimer(this);
    m_timer->setInterval(kCheckMs);
    connect(m_timer, &QTimer::timeout, this, [this] { check(); });
    if (m_ask) {
        m_timer->start();
    }
}

ServerPinger::~ServerPinger() {
    std::lock_guard<std::mutex> lock(m_mailbox->mutex);
    m_mailbox->target = nullptr;
}

void ServerPinger::noteCallback() {
    m_lastCallback = Clock::now();
}

void ServerPinger::check() {
    const bool connected = m_connected && m_connected();
    if (!connected) {
        m_wasConnected = false;
        return;
    }
    const auto now = Clock::now();
    if (!m_wasConnected) {
        // A new link: its silence counts from now, and an answer still on
        // its way belongs to the old one.
        m_wasConnected = true;
        ++m_link;
        m_lastCallback = now;
    }
    if (m_asking || now - m_lastCallback < kSilence || now - m_lastQuestion < kSilence) {
        return;
    }
    m_asking = true;
    m_lastQuestion = now;
    const unsigned link = m_link;
    std::weak_ptr<Mailbox> mailbox = m_mailbox;
    const bool asked = m_ask([mailbox, link](bool alive) {
        const auto box = mailbox.lock();
        if (!box) {
            return;
        }
        std::lock_guard<std::mutex> lock(box->mutex);
        if (box->target != nullptr) {
            ServerPinger* pinger = box->target;
            QMetaObject::invokeMethod(
                pinger, [pinger, link, alive] { pinger->onAnswer(link, alive); },
                Qt::QueuedConnection);
        }
    });
    if (!asked) {
        m_asking = false;
    }
}

void ServerPinger::onAnswer(unsigned link, bool alive) {
    m_asking = false;
    if (alive || link != m_link || !m_wasConnected || !(m_connected && m_connected())) {
        return;
    }
    m_wasConnected = false;
    if (m_lost) {
        m_lost();
    }
}
