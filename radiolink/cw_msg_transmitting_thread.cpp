#include "radiolink/cw_msg_transmitting_thread.h"

#include <utility>

#include "radiolink/k2_radio_port.h"

namespace {
template <class... Ts>
struct Overloaded : Ts... {
    using Ts::operator()...;
};
template <class... Ts>
Overloaded(Ts...) -> Overloaded<Ts...>;
}  // namespace

CCWMsgTransmittingThread::CCWMsgTransmittingThread(ClientNotifier* notifier, LogSink* log,
                                                   std::chrono::milliseconds watchdog)
    : RadioTask(std::chrono::milliseconds(100)),
      m_notifier(notifier),
      m_log(log),
      m_watchdog(watchdog) {}

bool CCWMsgTransmittingThread::AppendText(std::string text) {
    const std::size_t length = text.size();
    std::size_t promised = m_promised.load();
    do {
        if (length > CWTextRing::kCapacity - promised)
            return false;
    } while (!m_promised.compare_exchange_weak(promised, promised + length));
    if (!Post(TxCmd{CWTX_CMD_APPEND_TEXT, std::move(text)})) {
        m_promised -= length;
        return false;
    }
    return true;
}

std::size_t CCWMsgTransmittingThread::FreeSpace() const {
    return CWTextRing::kCapacity - m_promised.load();
}

void CCWMsgTransmittingThread::OnMessage(cw_task::Message& msg) {
    std::visit(Overloaded{
                   [&](ParamCmd& p) {
                       m_pRadioPort = p.radio;
                       SetInterval(p.pollInterval);
                       m_bTransmitting = false;
                   },
                   [&](TxCmd& c) { OnExecutingCommand(c.cmd, c.text); },
                   [&](TxStatus& s) { OnK2KybdCWTxStatus(s.status); },
                   [&](NotifierAddress& n) {
                       m_nNotifierMode = n.mode;
                       m_pNotifierTarget = n.target;
                       // Nobody is listening any more: do not leave the
                       // transmitter keying text the client cannot stop.
                       if (n.mode == NOTIFIER_NONE && Active())
                           Abort();
                   },
                   [&](AbortIfActive&) {
                       if (Active())
                           Abort();
                   },
               },
               msg);
    // A failed callback turns our notification off (done where it failed) and
    // ends the transmission, once the step that made it is complete.
    if (m_bCallbackFailed) {
        m_bCallbackFailed = false;
        if (Active())
            Abort();
    }
}

void CCWMsgTransmittingThread::OnTick() {
    if (!m_bKYPollingEnabled || !m_bKYInFlight)
        return;
    if (std::chrono::steady_clock::now() - m_awaitSince >= m_watchdog) {
        if (m_log != nullptr)
            m_log->LogMessage(kLogTimeStamped, kLogError,
                              "Keyboard CW aborted: no KY reply from the radio");
        Abort();
        NotifyEmpty();
        m_bCallbackFailed = false;
        return;
    }
    const auto now = std::chrono::steady_clock::now();
    ForgetLostKYQueries(now);
    // Ask again only when the answer seems lost.
    if (!m_kyQueries.empty() && now - m_kyQueries.back().sentAt < 5 * Interval())
        return;
    if (m_pRadioPort != nullptr) {
        m_pRadioPort->QueryKeyboardCWTxStatus();
        m_kyQueries.push_back(KYQuery{now, false});
    }
}

void CCWMsgTransmittingThread::ForgetLostKYQueries(std::chrono::steady_clock::time_point now) {
    while (!m_kyQueries.empty() && now - m_kyQueries.front().sentAt >= m_watchdog)
        m_kyQueries.pop_front();
}

bool CCWMsgTransmittingThread::Active() const {
    return m_bTransmitting || !m_TxBuffer.IsTxBufferEmpty() || !m_szLeftover.empty();
}

void CCWMsgTransmittingThread::SetInFlight() {
    if (!m_bKYInFlight)
        m_awaitSince = std::chrono::steady_clock::now();
    m_bKYInFlight = true;
}

void CCWMsgTransmittingThread::PauseStatusPolling(bool paused) {
    if (m_pRadioPort != nullptr)
        m_pRadioPort->PauseStatusPollingForCW(paused);
}

void CCWMsgTransmittingThread::ClearText() {
    m_bTransmitting = false;
    m_promised -= m_TxBuffer.GetTxBufferUsedSpace();
    m_TxBuffer.Clear();
    m_szLeftover.clear();
}

void CCWMsgTransmittingThread::Abort() {
    ClearText();
    m_bKYInFlight = false;
    if (m_pRadioPort != nullptr) {
        m_pRadioPort->AbortKeyboardCWText();
        m_pRadioPort->PauseStatusPollingForCW(false);
    }
}

void CCWMsgTransmittingThread::OnExecutingCommand(int cmd, const std::string& text) {
    switch (cmd) {
        case CWTX_CMD_POLL_ON:
            m_bKYPollingEnabled = true;
            // The radio's silence counts only while we ask it.
            m_awaitSince = std::chrono::steady_clock::now();
            break;
        case CWTX_CMD_POLL_OFF:
            m_bKYPollingEnabled = false;
            m_bKYInFlight = false;
            // The port is about to change: no answer to what was asked comes.
            m_kyQueries.clear();
            ClearText();
            PauseStatusPolling(false);
            break;
        case CWTX_CMD_APPEND_TEXT: {
            if (!m_bTransmitting) {
                m_bTransmitting = true;
                SetInFlight();
                PauseStatusPolling(true);
            }
            // AppendText promised the room, so every character fits.
            for (char c : text)
                m_TxBuffer.Put(c);
            break;
        }
        case CWTX_CMD_ABORT:
            Abort();
            break;
        case CWTX_CMD_CLEAR:
            ClearText();
            PauseStatusPolling(false);
            break;
        default:
            break;
    }
}

void CCWMsgTransmittingThread::OnK2KybdCWTxStatus(int status) {
    if (status < 0 || status > 2)
        return;
    m_awaitSince = std::chrono::steady_clock::now();
    ForgetLostKYQueries(m_awaitSince);
    if (!m_kyQueries.empty()) {
        const bool beforeChunk = m_kyQueries.front().beforeChunk;
        m_kyQueries.pop_front();
        // The radio answered before it had the last chunk.
        if (beforeChunk)
            return;
    }

    if (status != 2) {
        NotifyProgress();
        return;
    }

    if (m_bKYInFlight) {
        NotifyEmpty();
        m_bKYInFlight = false;
        PauseStatusPolling(false);
    }
    const std::size_t waiting = m_TxBuffer.GetTxBufferUsedSpace();
    if (!m_bTransmitting && (!m_szLeftover.empty() || waiting > 0)) {
        m_bTransmitting = true;
        PauseStatusPolling(true);
    }
    if (!m_bTransmitting)
        return;

    if (waiting == 0 && m_szLeftover.empty()) {
        m_bTransmitting = false;
        SetInFlight();
        NotifyEmpty();
        return;
    }

    CWChunk next = BuildCWChunk(m_szLeftover, m_TxBuffer);
    m_promised -= next.taken;
    m_szLeftover = std::move(next.leftover);
    if (m_pRadioPort == nullptr)
        return;
    m_pRadioPort->SendKeyboardCWText(next.chunk);
    for (KYQuery& query : m_kyQueries)
        query.beforeChunk = true;
    NotifySent(next.chunk);
    SetInFlight();
}

void CCWMsgTransmittingThread::CallbackFailed() {
    m_nNotifierMode = NOTIFIER_NONE;
    m_bCallbackFailed = true;
}

void CCWMsgTransmittingThread::NotifyEmpty() {
    if (m_nNotifierMode == NOTIFIER_THREAD_MSG) {
        if (m_pNotifierTarget != nullptr)
            m_pNotifierTarget->OnTextMessageSent(TXTMESG_EMPTY, {});
    } else if (m_nNotifierMode == NOTIFIER_CORBA && m_notifier != nullptr) {
        if (!m_notifier->NotifyTextMessageEmpty())
            CallbackFailed();
    }
}

void CCWMsgTransmittingThread::NotifySent(const std::string& chunk) {
    if (m_nNotifierMode == NOTIFIER_THREAD_MSG) {
        if (m_pNotifierTarget != nullptr)
            m_pNotifierTarget->OnTextMessageSent(TXTMESG_SENT, chunk);
    } else if (m_nNotifierMode == NOTIFIER_CORBA && m_notifier != nullptr) {
        if (!m_notifier->NotifyTextMessageSent(kSentTextLength, chunk))
            CallbackFailed();
    }
}

void CCWMsgTransmittingThread::NotifyProgress() {
    if (m_nNotifierMode == NOTIFIER_THREAD_MSG) {
        if (m_pNotifierTarget != nullptr)
            m_pNotifierTarget->OnTextMessageSent(m_bKYInFlight ? TXTMESG_SENT : TXTMESG_EMPTY, {});
    } else if (m_nNotifierMode == NOTIFIER_CORBA && m_notifier != nullptr) {
        const bool ok = m_bKYInFlight ? m_notifier->NotifyTextMessageSent(0, "")
                                      : m_notifier->NotifyTextMessageEmpty();
        if (!ok)
            CallbackFailed();
    }
}
