#pragma once

// CRecvrCmdParsingThread: the one reader of the radio's reply stream.
//
// Each interval, while reading is enabled, it takes every byte that the port
// has waiting (the radio object reads them under the port lock), cuts them
// into replies, logs each reply when "SW Logging Mode" asks for it, drops a
// display or bar-graph reading equal to the last one forwarded, re-encodes the
// display, hands a KY buffer status to the CW task, and forwards (code, text):
// to the diagnostic dialog while one is registered, else by notifier mode to
// the mode-2 target or the client. The last readings are forgotten whenever
// the port generation moves (another port, or a reopen that kept the old
// one), and the diagnostic sink gets each reply with the generation it was
// read under. Framing, logging and forwarding run without
// the port lock, so a slow client never holds up a command write.
//
// Runs on its own thread. Only the diagnostic sink is shared with other
// threads, under m_diagLock, so that unregistering it is synchronous.

#include <chrono>
#include <cstdint>
#include <mutex>
#include <string>
#include <variant>

#include "radiolink/radio_services.h"
#include "radiolink/radio_task.h"
#include "radiolink/reply_framer.h"

class CK2RadioPort;

namespace recvr_task {
struct ParamCmd {
    int kind = 1;  // PARAM_CMD_ALL, PARAM_CMD_NOTIFIER or PARAM_CMD_COMM_HANDLE
    int notifierMode = NOTIFIER_NONE;
    NotifierTarget* target = nullptr;
    std::chrono::milliseconds pollInterval{100};
};
struct ExecuteCmd {
    int cmd = 0;
};
struct RemoteCmd {
    int cmd = 0;
};
using Message = std::variant<ParamCmd, ExecuteCmd, RemoteCmd>;
}  // namespace recvr_task

class CRecvrCmdParsingThread : public RadioTask<recvr_task::Message> {
  public:
    using ParamCmd = recvr_task::ParamCmd;
    using ExecuteCmd = recvr_task::ExecuteCmd;
    using RemoteCmd = recvr_task::RemoteCmd;

    static constexpr int PARAM_CMD_ALL = 1;
    static constexpr int PARAM_CMD_NOTIFIER = 2;
    static constexpr int PARAM_CMD_COMM_HANDLE = 3;
    static constexpr int EXEC_CMD_PURGE_RX = 1;
    static constexpr int EXEC_CMD_START = 3;
    static constexpr int EXEC_CMD_STOP = 4;
    static constexpr int REMOTE_CMD_ENTER_COMPORT_DIAG = 25;
    static constexpr int REMOTE_CMD_EXIT_COMPORT_DIAG = 26;

    CRecvrCmdParsingThread(CK2RadioPort& radio, ClientNotifier* notifier, LogSink* log,
                           std::uint8_t swLoggingMode);
    ~CRecvrCmdParsingThread() override { Stop(); }

    // Registers the diagnostic sink, or with nullptr removes it. Once a call
    // with nullptr has returned, the old sink is not called again.
    void SetDiagSink(ReplySink* sink);

  protected:
    void OnMessage(recvr_task::Message& msg) override;
    void OnTick() override;

  private:
    void ProcessRadioReply(const std::string& reply);
    void ClearLastReadings();

    CK2RadioPort& m_radio;
    ClientNotifier* const m_notifier;
    LogSink* const m_log;
    const std::uint8_t m_nSWLoggingMode;

    bool m_bReadingEnabled = false;
    int m_nNotifierMode = NOTIFIER_NONE;
    NotifierTarget* m_pNotifierTarget = nullptr;
    ReplyFramer m_framer;
    std::uint64_t m_portGeneration = 0;
    std::string m_readBuffer;
    std::string m_szLastDS;
    std::string m_szLastBG;

    std::mutex m_diagLock;
    ReplySink* m_pDiagWnd = nullptr;  // guarded by m_diagLock
};
