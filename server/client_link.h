#pragma once

// ClientLink: the server's side of the one connected client.
//
// It holds what the application knows of the client: the guarded reference to
// its RadioCmdNotification object, the "client connected?" flag that the
// radio link, the COM-port check and the configuration page read, the
// connect-back threads, and the one call-back the GUI makes (the
// power-amplifier notice).
//
// Connect-back: each client Connect starts a thread that waits (5 s, on a
// condition variable) for the client to bind its callback object, looks it up,
// calls its Connect("Brakton"), sets the flag and turns the radio link's
// call-backs on. Every start, Disconnect and shut-down begins a new
// generation; a thread whose generation is no longer the newest gives up,
// before and after its lookup, so only the newest connect-back ever sets the
// reference, the flag and the notifier.
//
// Gave up: when the newest connect-back's lookup or its Connect call fails
// (after the naming service's one retry), the client counts as gone at once,
// as after a Disconnect but without its pause: the flag is cleared, the
// call-backs go off if they were on, ConnectBackGaveUp turns true (the
// servant then answers the client's next call "not connected") and one line
// is reported, "Connect-back to <client> failed: <why>; the client must
// connect again". A connect-back cancelled by a newer Connect or a
// Disconnect changes nothing.
//
// Vanished client: when a call-back through the current reference fails, the
// flag is cleared (the radio link has already switched that thread's
// call-backs off). A failure through a reference already replaced changes
// nothing.
//
// Threads: StartConnectBackThread and OnClientDisconnect run on the ORB
// thread, the connect-back threads on their own, call-back failures on the
// radio link's threads, Shutdown on the main thread. m_mutex guards the
// generation, the pending connect-back and the thread list; m_commitLock orders a commit against
// Disconnect; m_stateLock pairs the reference with the flag.

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <list>
#include <memory>
#include <mutex>
#include <ostream>
#include <string>
#include <thread>

#include "RadioCmdNotification.hh"
#include "idl/call_helpers.h"
#include "idl/notifier_holder.h"
#include "server/radio_link_services.h"

// The clock the connect-back waits on and Disconnect pauses with.
class WaitClock {
  public:
    using TimePoint = std::chrono::steady_clock::time_point;
    virtual ~WaitClock() = default;
    virtual TimePoint now() const = 0;
    // Waits on `cv` (with `lock` held by the caller) until notified or
    // `deadline`; it may also return early. The caller checks again.
    virtual void waitUntil(std::unique_lock<std::mutex>& lock, std::condition_variable& cv,
                           TimePoint deadline) = 0;
    virtual void sleepFor(std::chrono::milliseconds pause) = 0;
};

class SystemWaitClock final : public WaitClock {
  public:
    TimePoint now() const override { return std::chrono::steady_clock::now(); }
    void waitUntil(std::unique_lock<std::mutex>& lock, std::condition_variable& cv,
                   TimePoint deadline) override {
        cv.wait_until(lock, deadline);
    }
    void sleepFor(std::chrono::milliseconds pause) override { std::this_thread::sleep_for(pause); }
};

struct ClientLinkServices {
    // Finds the client's callback object; raises what the ORB or the naming
    // service raises (NotFound, TRANSIENT, ...). Nil when the name holds an
    // object of another type.
    std::function<RadioCmdNotification_var()> lookup;
    // The radio link's SetNotifierAddress(mode): NOTIFIER_CORBA or NOTIFIER_NONE.
    std::function<void(int mode)> setNotifier;
    // Reports a connect-back that failed, with the exception's name.
    std::function<void(bool corbaException, const std::string& name)> reportFailure;
    // Reports the newest connect-back giving up, with the line to log.
    std::function<void(const std::string& line)> reportGaveUp;
    CallFailureSink* callFailures = nullptr;
    WaitClock* clock = nullptr;
    std::chrono::milliseconds connectDelay{5000};
    std::chrono::milliseconds disconnectPause{2000};
};

class ClientLink {
  public:
    explicit ClientLink(ClientLinkServices services);
    ~ClientLink();
    ClientLink(const ClientLink&) = delete;
    ClientLink& operator=(const ClientLink&) = delete;

    // Client Connect: cancels any older wait and starts a connect-back. False
    // once shut-down has begun or when no thread could be started.
    // `clientName` is the name the client connected with, for the log.
    bool StartConnectBackThread(const std::string& clientName = "the client");
    // Client Disconnect: cancels pending connect-backs, turns call-backs off,
    // pauses, clears the flag.
    void OnClientDisconnect();
    bool IsClientConnected() const { return m_bClientConnected.load(); }
    // True from StartConnectBackThread until the newest connect-back commits
    // (the flag is set) or gives up (cancelled, not found, its Connect call
    // failed), and never after shut-down. A client in that window is about to
    // be served, so the COM-port check counts it.
    bool IsConnectBackPending() const;
    // The COM-port check's guard: a client is connected or about to be.
    bool IsClientPresent() const { return IsClientConnected() || IsConnectBackPending(); }
    // True from the newest connect-back giving up until the next Connect
    // or Disconnect.
    bool ConnectBackGaveUp() const { return m_connectBackGaveUp.load(); }

    // The configuration sheet stored a changed power-amplifier option: tells
    // a connected client (1 or 0), through a duplicate of the held reference.
    // A failure is logged as "CORBA Exception in NotifyRFAmpOptionChange" and
    // counts as a vanished client. Never throws; waits at most the client
    // reference's call time-out. Any thread (the GUI thread in practice).
    void NotifyRFAmpOptionChange(bool on);

    // What the radio link calls the client through.
    ClientNotifier& notifier() { return m_notifier; }
    const NotifierHolder& holder() const { return m_holder; }
    // A call-back through `failed` went wrong.
    void OnCallbackFailed(RadioCmdNotification_ptr failed);
    // Drops the client reference (shut-down, before the ORB goes).
    void ReleaseClient();

    // Refuses new connect-backs, cancels the waiting ones and joins them all,
    // each within `bound` (a late one is named on `err`, then waited for).
    // True when every thread ended in time.
    bool Shutdown(std::chrono::milliseconds bound, std::ostream& err);

  private:
    struct Worker {
        std::thread thread;
        bool done = false;  // guarded by m_mutex
    };

    void run(std::uint64_t generation, WaitClock::TimePoint deadline, std::string clientName,
             Worker* self);
    // False when the client's Connect call failed.
    bool connectBack(std::uint64_t generation, WaitClock::TimePoint deadline);
    void giveUp(std::uint64_t generation, const std::string& clientName, const std::string& why);
    bool current(std::uint64_t generation) const;  // m_mutex held
    void reapFinished();                           // m_mutex held

    ClientLinkServices m_services;
    SystemWaitClock m_systemClock;
    WaitClock& m_clock;

    NotifierHolder m_holder;
    std::atomic<bool> m_bClientConnected{false};
    std::atomic<bool> m_connectBackGaveUp{false};
    ClientCallbackNotifier m_notifier;

    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    std::uint64_t m_generation = 0;
    std::uint64_t m_pendingGeneration = 0;  // 0: no connect-back pending
    bool m_refusing = false;
    std::list<Worker> m_workers;

    std::mutex m_commitLock;
    std::mutex m_stateLock;
};
