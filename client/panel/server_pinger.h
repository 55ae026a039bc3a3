#pragma once

// ServerPinger: notices a server that has gone while the operator waits.
//
// Call-backs do not flow steadily: the server forwards a reading only when
// it has changed, so a quiet radio (or none) gives none, and the panel would
// learn of a dead server only through the operator's next command. While the
// panel is connected, the pinger asks the server a cheap question that writes
// nothing in its log, whenever no call-back has come for kSilence, at most
// once per kSilence, and never while its last question is unanswered. The
// question runs off the GUI thread (PanelEntryPoints::askServerAlive); its
// answer is handled here, on the GUI thread, and a "no" (the call failed, or
// the server no longer knows the object) runs `lost` once, if the panel is
// still on the link the question was asked on.
//
// Owned by the front panel; GUI thread only, but for the answer, which may
// come from any thread and reaches the pinger as a queued call (or not at
// all once it has gone).

#include <QObject>

#include <chrono>
#include <functional>
#include <memory>

class QTimer;

class ServerPinger : public QObject {
  public:
    using Clock = std::chrono::steady_clock;
    // Asks the question; the answer (true: alive) may come on any thread.
    // False when nothing was asked.
    using Ask = std::function<bool(std::function<void(bool alive)> answer)>;

    static constexpr std::chrono::milliseconds kSilence{3000};

    // `connected` tells whether the panel holds the link; `lost` takes the
    // panel's lost-connection path. An empty `ask` asks nothing.
    ServerPinger(Ask ask, std::function<bool()> connected, std::function<void()> lost,
                 QObject* parent = nullptr);
    ~ServerPinger() override;

    // A call-back arrived.
    void noteCallback();

  private:
    struct Mailbox;

    void check();
    void onAnswer(unsigned link, bool alive);

    Ask m_ask;
    std::function<bool()> m_connected;
    std::function<void()> m_lost;
    std::shared_ptr<Mailbox> m_mailbox;
    QTimer* m_timer = nullptr;
    // The link a question belongs to: counted up whenever the panel goes from
    // not connected to connected.
    unsigned m_link = 0;
    bool m_wasConnected = false;
    bool m_asking = false;
    Clock::time_point m_lastCallback{};
    Clock::time_point m_lastQuestion{};
};
