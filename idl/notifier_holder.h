#pragma once

// The server's one reference to the connected client's callback object.
//
// The connect-back thread replaces it on every client connect while the
// reply-parsing, CW and GUI threads call through it. Each caller takes its own
// duplicate with get() and calls outside the lock, so a replacement never
// frees an object another thread is still calling through. set() gives the
// reference the 2 s call time-out: a client that stops reading costs a bounded
// wait, then the usual failure path (log, notifier off).

#include <omniORB4/CORBA.h>

#include <mutex>

#include "RadioCmdNotification.hh"

constexpr CORBA::ULong kClientCallTimeoutMs = 2000;

class NotifierHolder {
  public:
    // Holds a duplicate of `ref` (nil clears), after setting its time-out.
    void set(RadioCmdNotification_ptr ref);
    // A duplicate of the held reference, nil when none.
    RadioCmdNotification_var get() const;
    void clear();

  private:
    mutable std::mutex m_mutex;
    RadioCmdNotification_var m_ref;
};
