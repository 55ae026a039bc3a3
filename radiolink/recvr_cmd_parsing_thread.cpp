#include "radiolink/recvr_cmd_parsing_thread.h"

#include "radiolink/display_reply.h"
#include "radiolink/k2_radio_port.h"
#include "radiolink/k2_reply_codes.h"
#include "radiolink/k2_reply_decoders.h"

namespace {
template <class... Ts>
struct Overloaded : Ts... {
    using Ts::operator()...;
};
template <class... Ts>
Overloaded(Ts...) -> Overloaded<Ts...>;
}  // namespace

CRecvrCmdParsingThread::CRecvrCmdParsingThread(CK2RadioPort& radio, ClientNotifier* notifier,
                                               LogSink* log, std::uint8_t swLoggingMode)
    : RadioTask(std::chrono::milliseconds(100)),
      m_radio(radio),
      m_notifier(notifier),
      m_log(log),
      m_nSWLoggingMode(swLoggingMode) {}

void CRecvrCmdParsingThread::SetDiagSink(ReplySink* sink) {
    std::lock_guard lock(m_diagLock);
    m_pDiagWnd = sink;
}

void CRecvrCmdParsingThread::ClearLastReadings() {
    m_szLastDS.clear();
    m_szLastBG.clear();
}

void CRecvrCmdParsingThread::OnMessage(recvr_task::Message& msg) {
    std::visit(
        Overloaded{
            [&](ParamCmd& p) {
                if (p.kind == PARAM_CMD_COMM_HANDLE) {
                    // Another port: whatever was half read, and the last
                    // readings, belong to the old one.
                    m_framer.reset();
                    ClearLastReadings();
                    return;
                }
                m_nNotifierMode = p.notifierMode;
                m_pNotifierTarget = p.target;
                // A client that (re)connects must see the display even
                // when it has not changed since the last reading.
                if (p.notifierMode == NOTIFIER_CORBA)
                    ClearLastReadings();
                if (p.kind == PARAM_CMD_ALL) {
                    SetInterval(p.pollInterval);
                    RestartInterval();
                }
            },
            [&](ExecuteCmd& e) {
                switch (e.cmd) {
                    case EXEC_CMD_PURGE_RX:
                        m_radio.PurgeReceiveQueue();
                        m_framer.reset();
                        break;
                    case EXEC_CMD_START:
                        m_bReadingEnabled = true;
                        break;
                    case EXEC_CMD_STOP:
                        m_bReadingEnabled = false;
                        break;
                    default:
                        break;
                }
            },
            [&](RemoteCmd& r) {
                if (r.cmd == REMOTE_CMD_ENTER_COMPORT_DIAG || r.cmd == REMOTE_CMD_EXIT_COMPORT_DIAG)
                    ClearLastReadings();
            },
        },
        msg);
}

void CRecvrCmdParsingThread::OnTick() {
    if (!m_bReadingEnabled)
        return;
    m_readBuffer.clear();
    const CK2RadioPort::PortRead read = m_radio.ReadWaitingBytes(m_readBuffer);
    if (read.generation != m_portGeneration) {
        // Another port, or a try that kept this one: an unchanged reading
        // must still reach whoever now listens.
        m_framer.reset();
        ClearLastReadings();
        m_portGeneration = read.generation;
    }
    if (m_readBuffer.empty())
        return;
    for (ReplyFramer::Event& event : m_framer.feed(m_readBuffer)) {
        if (event.kind == ReplyFramer::Event::kDropped) {
            if (m_log != nullptr)
                m_log->LogMessage(kLogTimeStamped, kLogError, event.text);
            continue;
        }
        if ((m_nSWLoggingMode & kLogReplies) != 0 && m_log != nullptr)
            m_log->LogMessage(kLogPlain, kLogInformation, event.text);
        ProcessRadioReply(event.text);
    }
}

void CRecvrCmdParsingThread::ProcessRadioReply(const std::string& reply) {
    const int code = LookupK2Cmd(reply);
    std::string text = reply;
    switch (code) {
        case K2_CMD_BG:
            if (!m_szLastBG.empty() && m_szLastBG == text)
                return;
            m_szLastBG = text;
            break;
        case K2_CMD_DS:
            if (auto translated = TranslateDisplayReply(text))
                text = std::move(*translated);
            if (!m_szLastDS.empty() && m_szLastDS == text)
                return;
            m_szLastDS = text;
            break;
        case K2_CMD_KY:
            // A KY reply without a digit still goes to the client, but tells
            // the CW task nothing.
            if (auto status = ParseKYReply(std::string_view(text).substr(2)))
                m_radio.PostKeyboardCWStatus(*status);
            break;
        default:
            break;
    }

    {
        std::lock_guard lock(m_diagLock);
        if (m_pDiagWnd != nullptr) {
            m_pDiagWnd->OnPortReply(code, text, m_portGeneration);
            return;
        }
    }

    switch (m_nNotifierMode) {
        case NOTIFIER_THREAD_MSG:
            if (m_pNotifierTarget != nullptr)
                m_pNotifierTarget->OnRadioReply(code, text);
            break;
        case NOTIFIER_CORBA:
            if (m_notifier != nullptr && !m_notifier->NotifyCmd(code, text)) {
                // The notifier has logged the failure; stay quiet until the
                // next connect, and do not leave the transmitter keying.
                m_nNotifierMode = NOTIFIER_NONE;
                m_radio.AbortKeyboardCWIfActive();
            }
            break;
        default:
            break;
    }
}
