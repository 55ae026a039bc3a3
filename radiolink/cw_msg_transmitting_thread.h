#pragma once

// CCWMsgTransmittingThread: feeds keyboard-CW text to the radio.
//
// Text queues in a ring; each time the radio reports by its KY status 2 that
// its buffer has run empty, the next chunk of at most 24 characters goes out
// as "KY <chunk>;" (see BuildCWChunk). While a report is awaited the task asks
// "KY;" every interval, one query at a time. It reports progress to the client (or the mode-2
// target), pauses status polling while a transmission runs, and gives up with
// an abort when the radio stays silent for the watchdog time.
//
// Runs on its own thread; other threads reach it only through messages, and
// through the count of characters promised to the ring (AppendText), which
// lets the caller refuse a text that would not fit.

#include <atomic>
#include <chrono>
#include <cstddef>
#include <deque>
#include <string>
#include <variant>

#include "radiolink/cw_text_ring.h"
#include "radiolink/radio_services.h"
#include "radiolink/radio_task.h"

class CK2RadioPort;

namespace cw_task {
struct ParamCmd {
    CK2RadioPort* radio = nullptr;
    std::chrono::milliseconds pollInterval{100};
};
struct TxCmd {
    int cmd = 0;
    std::string text;  // CWTX_CMD_APPEND_TEXT only
};
struct TxStatus {
    int status = 0;
};
struct NotifierAddress {
    int mode = NOTIFIER_NONE;
    NotifierTarget* target = nullptr;
};
// Abort as CWTX_CMD_ABORT does, but only while a transmission is under way.
struct AbortIfActive {};
using Message = std::variant<ParamCmd, TxCmd, TxStatus, NotifierAddress, AbortIfActive>;
}  // namespace cw_task

class CCWMsgTransmittingThread : public RadioTask<cw_task::Message> {
  public:
    using ParamCmd = cw_task::ParamCmd;
    using TxCmd = cw_task::TxCmd;
    using TxStatus = cw_task::TxStatus;
    using NotifierAddress = cw_task::NotifierAddress;
    using AbortIfActive = cw_task::AbortIfActive;

    static constexpr int CWTX_CMD_POLL_ON = 3;
    static constexpr int CWTX_CMD_POLL_OFF = 4;
    static constexpr int CWTX_CMD_APPEND_TEXT = 5;
    static constexpr int CWTX_CMD_ABORT = 6;
    static constexpr int CWTX_CMD_CLEAR = 7;
    // NotifyTextMessageSent always announces this length.
    static constexpr int kSentTextLength = 25;

    CCWMsgTransmittingThread(ClientNotifier* notifier, LogSink* log,
                             std::chrono::milliseconds watchdog = std::chrono::seconds(5));
    ~CCWMsgTransmittingThread() override { Stop(); }

    // Queues `text` when it fits the ring's space not yet promised to earlier
    // texts; false (nothing queued) otherwise. Any thread.
    bool AppendText(std::string text);
    // Characters the ring can still take, counting texts not yet taken.
    std::size_t FreeSpace() const;

  protected:
    void OnMessage(cw_task::Message& msg) override;
    void OnTick() override;

  private:
    void OnExecutingCommand(int cmd, const std::string& text);
    void OnK2KybdCWTxStatus(int status);
    void Abort();
    void ClearText();
    bool Active() const;
    void SetInFlight();
    void NotifyEmpty();
    void NotifySent(const std::string& chunk);
    void NotifyProgress();
    void CallbackFailed();
    void PauseStatusPolling(bool paused);
    void ForgetLostKYQueries(std::chrono::steady_clock::time_point now);

    ClientNotifier* const m_notifier;
    LogSink* const m_log;
    const std::chrono::steady_clock::duration m_watchdog;

    bool m_bTransmitting = false;
    CWTextRing m_TxBuffer;
    std::atomic<std::size_t> m_promised{0};  // in the ring or on the way to it
    CK2RadioPort* m_pRadioPort = nullptr;
    int m_nNotifierMode = NOTIFIER_NONE;
    NotifierTarget* m_pNotifierTarget = nullptr;
    std::string m_szLeftover;
    bool m_bKYInFlight = false;
    bool m_bKYPollingEnabled = false;
    bool m_bCallbackFailed = false;
    std::chrono::steady_clock::time_point m_awaitSince{};
    // "KY;" queries not yet answered, oldest first: one at a time, asked
    // again only when the answer seems lost. An answer to a query sent before
    // the last chunk says nothing about that chunk and must not release the
    // next. A query unanswered for the watchdog time is taken as lost.
    struct KYQuery {
        std::chrono::steady_clock::time_point sentAt;
        bool beforeChunk = false;
    };
    std::deque<KYQuery> m_kyQueries;
};
