#pragma once

// The ORB thread of both programs.
//
// start() spawns one thread through its own ACE_Thread_Manager. That thread
// becomes omniORB's main thread, creates a child POA of the root POA with
// MAIN_THREAD_MODEL (every upcall runs on this thread, one at a time) and
// IMPLICIT_ACTIVATION (so a servant's _this() activates it there), activates
// the POA manager, hands the POA to the program's setup callback (which makes
// its heap servant and binds it in the naming service) and runs the ORB.
//
// Any exception in set-up or run goes to the failure callback as the
// exception's name and minor code; the thread then ends, the program runs on.
// stop() must be called from a thread that is not running an upcall: it shuts
// the ORB down, joins the thread and destroys the ORB. No lock is held while
// the callbacks run.

#include <omniORB4/CORBA.h>

#include <ace/Thread_Manager.h>

#include <atomic>
#include <functional>
#include <string>
#include <thread>

class OrbThread {
  public:
    // Runs on the ORB thread before the ORB runs. `poa` is the child POA that
    // the program's servants must return from _default_POA().
    using Setup = std::function<void(CORBA::ORB_ptr orb, PortableServer::POA_ptr poa)>;
    // Runs on the ORB thread when set-up or the ORB's run fails.
    using Failure = std::function<void(const std::string& exceptionName, unsigned long minor)>;

    OrbThread() = default;
    OrbThread(const OrbThread&) = delete;
    OrbThread& operator=(const OrbThread&) = delete;
    ~OrbThread();

    // Spawns the thread for `orb` (duplicated; stop() destroys it). False
    // when the thread could not be spawned or one is already running.
    bool start(CORBA::ORB_ptr orb, Setup setup, Failure failure);

    // Shut-down, join, destroy. Safe to call twice and after a failure. On
    // the ORB thread itself it only starts the shut-down.
    void stop();

    // True on the ORB thread itself (servants use it to check where they run).
    bool onOrbThread() const { return std::this_thread::get_id() == m_threadId.load(); }

  private:
    static ACE_THR_FUNC_RETURN threadMain(void* self);
    void run();
    void reportFailure(const std::string& name, unsigned long minor);

    ACE_Thread_Manager m_threads;
    CORBA::ORB_var m_orb;
    Setup m_setup;
    Failure m_failure;
    std::atomic<std::thread::id> m_threadId{};
    bool m_started = false;
};

// Base for the programs' heap servants: makes _this() activate the servant in
// the ORB thread's child POA instead of the root POA.
template <class Skeleton>
class PoaServant : public Skeleton {
  public:
    explicit PoaServant(PortableServer::POA_ptr poa)
        : m_poa(PortableServer::POA::_duplicate(poa)) {}

    PortableServer::POA_ptr _default_POA() override {
        return PortableServer::POA::_duplicate(m_poa.in());
    }

  private:
    PortableServer::POA_var m_poa;
};
