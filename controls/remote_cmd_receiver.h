#pragma once

// The receiving side of WM_EXECUTE_REMOTE_CMD: a window that carries out a
// command number on behalf of a control (the front panel, the QSO threads).
// Controls never call it directly from their event handlers: they queue the
// call, so the receiver sees it after the event that caused it.

#include <cstdint>

class RemoteCmdReceiver {
  public:
    virtual ~RemoteCmdReceiver() = default;
    virtual void executeRemoteCmd(int command, std::intptr_t param) = 0;

  protected:
    RemoteCmdReceiver() = default;
    RemoteCmdReceiver(const RemoteCmdReceiver&) = default;
    RemoteCmdReceiver& operator=(const RemoteCmdReceiver&) = default;
};
