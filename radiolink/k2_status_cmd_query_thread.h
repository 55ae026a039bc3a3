#pragma once

// CK2StatusCmdQueryThread: asks the radio for its display and bar graph.
//
// While polling is enabled and the CW task has not paused it, each period it
// has the radio object send the queries of its mask (DS, BG, IF for the bit
// values 1, 2, 4; by default "DS;BG;"). The answers come back through the
// reply task. The two switches are kept apart so that the CW task's resume
// cannot undo a client's "polling off": `enabled` belongs to the radio object
// (client, notifier, diagnostic mode, reopen), `pausedByCW` to the CW task.
// Runs on its own thread; every change arrives as a message.

#include <chrono>
#include <cstdint>
#include <variant>

#include "radiolink/radio_task.h"

class CK2RadioPort;

namespace status_task {
struct ParamCmd {
    CK2RadioPort* radio = nullptr;
    std::chrono::milliseconds period{1000};
};
struct RemoteCmd {
    int cmd = 0;
    std::uint16_t mask = 0;  // REMOTE_CMD_SET_STATUS_QUERY_MASK only
};
struct CWPause {
    bool paused = false;
};
using Message = std::variant<ParamCmd, RemoteCmd, CWPause>;
}  // namespace status_task

class CK2StatusCmdQueryThread : public RadioTask<status_task::Message> {
  public:
    using ParamCmd = status_task::ParamCmd;
    using RemoteCmd = status_task::RemoteCmd;
    using CWPause = status_task::CWPause;

    CK2StatusCmdQueryThread() : RadioTask(std::chrono::milliseconds(100)) {}
    ~CK2StatusCmdQueryThread() override { Stop(); }

  protected:
    void OnMessage(status_task::Message& msg) override;
    void OnTick() override;

  private:
    bool Polling() const { return m_bPollingEnabled && !m_bPausedByCW; }

    bool m_bPollingEnabled = false;
    bool m_bPausedByCW = false;
    CK2RadioPort* m_pRadioPort = nullptr;
    std::uint16_t m_nQueryMask = 3;
};
