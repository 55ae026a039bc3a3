#include "idl/orb_thread.h"

#include <omnithread.h>

OrbThread::~OrbThread() {
    stop();
}

bool OrbThread::start(CORBA::ORB_ptr orb, Setup setup, Failure failure) {
    if (m_started || CORBA::is_nil(orb)) {
        return false;
    }
    m_orb = CORBA::ORB::_duplicate(orb);
    m_setup = std::move(setup);
    m_failure = std::move(failure);
    if (m_threads.spawn(&OrbThread::threadMain, this, THR_NEW_LWP | THR_JOINABLE) == -1) {
        m_orb = CORBA::ORB::_nil();
        return false;
    }
    m_started = true;
    return true;
}

void OrbThread::stop() {
    if (!m_started) {
        return;
    }
    if (onOrbThread()) {
        // An upcall cannot wait for its own thread: ask the ORB to stop and
        // leave the join to the owner's later stop().
        m_orb->shutdown(false);
        return;
    }
    m_started = false;
    try {
        m_orb->shutdown(true);
    } catch (const CORBA::Exception&) {
        // Already shut down (a failed run): nothing to wait for.
    }
    m_threads.wait();
    try {
        m_orb->destroy();
    } catch (const CORBA::Exception&) {
    }
    m_orb = CORBA::ORB::_nil();
}

ACE_THR_FUNC_RETURN OrbThread::threadMain(void* self) {
    static_cast<OrbThread*>(self)->run();
    return 0;
}

void OrbThread::run() {
    // setMainThread needs an omni_thread behind the calling thread; an ACE
    // thread has none, so it borrows a dummy until the thread ends.
    omni_thread::ensure_self self;
    m_threadId = std::this_thread::get_id();
    try {
        omniORB::setMainThread();

        CORBA::Object_var rootObject = m_orb->resolve_initial_references("RootPOA");
        PortableServer::POA_var root = PortableServer::POA::_narrow(rootObject.in());
        PortableServer::POAManager_var manager = root->the_POAManager();

        CORBA::PolicyList policies;
        policies.length(2);
        policies[0] = root->create_thread_policy(PortableServer::MAIN_THREAD_MODEL);
        policies[1] = root->create_implicit_activation_policy(PortableServer::IMPLICIT_ACTIVATION);
        PortableServer::POA_var poa = root->create_POA("OrbThread", manager.in(), policies);
        for (CORBA::ULong i = 0; i < policies.length(); ++i) {
            policies[i]->destroy();
        }
        manager->activate();

        if (m_setup) {
            m_setup(m_orb.in(), poa.in());
        }
        m_orb->run();
    } catch (const CORBA::SystemException& ex) {
        reportFailure(ex._name(), ex.minor());
    } catch (const CORBA::Exception& ex) {
        reportFailure(ex._name(), 0);
    } catch (const std::exception& ex) {
        reportFailure(ex.what(), 0);
    } catch (...) {
        reportFailure("unknown exception", 0);
    }
    m_threadId = std::thread::id{};
}

void OrbThread::reportFailure(const std::string& name, unsigned long minor) {
    if (!m_failure) {
        return;
    }
    try {
        m_failure(name, minor);
    } catch (...) {
        // A failing report must not take the thread down with it.
    }
}
