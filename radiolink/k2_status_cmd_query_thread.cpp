#include "radiolink/k2_status_cmd_query_thread.h"

#include "radiolink/k2_radio_port.h"

namespace {
template <class... Ts>
struct Overloaded : Ts... {
    using Ts::operator()...;
};
template <class... Ts>
Overloaded(Ts...) -> Overloaded<Ts...>;
}  // namespace

void CK2StatusCmdQueryThread::OnMessage(status_task::Message& msg) {
    const bool wasPolling = Polling();
    std::visit(Overloaded{
                   [&](ParamCmd& p) {
                       m_pRadioPort = p.radio;
                       SetInterval(p.period);
                       m_bPollingEnabled = false;
                       RestartInterval();
                   },
                   [&](RemoteCmd& r) {
                       switch (r.cmd) {
                           case CK2RadioPort::REMOTE_CMD_ENABLE_STATUS_QUERY:
                               m_bPollingEnabled = true;
                               break;
                           case CK2RadioPort::REMOTE_CMD_DISABLE_STATUS_QUERY:
                               m_bPollingEnabled = false;
                               break;
                           case CK2RadioPort::REMOTE_CMD_SET_STATUS_QUERY_MASK:
                               m_nQueryMask = static_cast<std::uint16_t>(r.mask & 7);
                               break;
                           default:
                               break;
                       }
                   },
                   [&](CWPause& c) { m_bPausedByCW = c.paused; },
               },
               msg);
    // The first query goes out one whole period after polling comes on.
    if (!wasPolling && Polling())
        RestartInterval();
}

void CK2StatusCmdQueryThread::OnTick() {
    if (Polling() && m_pRadioPort != nullptr)
        m_pRadioPort->QueryStatus(m_nQueryMask);
}
