#include "server/client_link.h"

#include <system_error>
#include <utility>

#include "radiolink/radio_services.h"
#include "server/bounded_step.h"

ClientLink::ClientLink(ClientLinkServices services)
    : m_services(std::move(services)),
      m_clock(m_services.clock != nullptr ? *m_services.clock : m_systemClock),
      m_notifier(m_holder, *m_services.callFailures,
                 [this](RadioCmdNotification_ptr failed) { OnCallbackFailed(failed); }) {}

ClientLink::~ClientLink() {
    // The owner normally shuts down first and names late threads; this only
    // makes sure no thread outlives the object.
    std::list<Worker> workers;
    {
        std::lock_guard lock(m_mutex);
        m_refusing = true;
        ++m_generation;
        workers.swap(m_workers);
    }
    m_changed.notify_all();
    for (Worker& worker : workers) {
        if (worker.thread.joinable()) {
            worker.thread.join();
        }
    }
}

bool ClientLink::current(std::uint64_t generation) const {
    return !m_refusing && generation == m_generation;
}

void ClientLink::reapFinished() {
    for (auto it = m_workers.begin(); it != m_workers.end();) {
        if (it->done) {
            it->thread.join();
            it = m_workers.erase(it);
        } else {
            ++it;
        }
    }
}

bool ClientLink::StartConnectBackThread(const std::string& clientName) {
    std::lock_guard lock(m_mutex);
    if (m_refusing) {
        return false;
    }
    m_connectBackGaveUp = false;
    reapFinished();
    const std::uint64_t generation = ++m_generation;
    m_changed.notify_all();  // an older connect-back stops waiting
    Worker& worker = m_workers.emplace_back();
    m_pendingGeneration = generation;
    try {
        // The default stack: the ORB and naming calls need far more than a
        // few kilobytes.
        // The wait counts from the client's Connect, not from the thread's start.
        worker.thread = std::thread(&ClientLink::run, this, generation,
                                    m_clock.now() + m_services.connectDelay, clientName, &worker);
    } catch (const std::system_error&) {
        m_workers.pop_back();
        m_pendingGeneration = 0;
        return false;
    }
    return true;
}

void ClientLink::run(std::uint64_t generation, WaitClock::TimePoint deadline,
                     std::string clientName, Worker* self) {
    std::string failure;
    try {
        if (!connectBack(generation, deadline)) {
            failure = "its Connect call failed";
        }
    } catch (const CORBA::SystemException& ex) {
        failure = ex._name();
        if (m_services.reportFailure) {
            m_services.reportFailure(true, failure);
        }
    } catch (const CORBA::Exception& ex) {
        // NotFound and InvalidName from the naming service are user exceptions.
        failure = ex._name();
        if (m_services.reportFailure) {
            m_services.reportFailure(true, failure);
        }
    } catch (const std::exception& ex) {
        failure = ex.what();
        if (m_services.reportFailure) {
            m_services.reportFailure(false, failure);
        }
    } catch (...) {
        failure = "unknown exception";
        if (m_services.reportFailure) {
            m_services.reportFailure(false, failure);
        }
    }
    if (!failure.empty()) {
        giveUp(generation, clientName, failure);
    }
    std::lock_guard lock(m_mutex);
    if (m_pendingGeneration == generation) {
        m_pendingGeneration = 0;  // committed or given up
    }
    self->done = true;
    m_changed.notify_all();
}

void ClientLink::giveUp(std::uint64_t generation, const std::string& clientName,
                        const std::string& why) {
    std::lock_guard commit(m_commitLock);
    {
        std::lock_guard lock(m_mutex);
        if (!current(generation)) {
            return;  // a newer Connect or a Disconnect has taken over
        }
        m_connectBackGaveUp = true;
    }
    bool wasConnected = false;
    {
        std::lock_guard state(m_stateLock);
        wasConnected = m_bClientConnected.exchange(false);
    }
    // An earlier connect-back's call-backs go to a client that has connected again.
    if (wasConnected && m_services.setNotifier) {
        m_services.setNotifier(NOTIFIER_NONE);
    }
    if (m_services.reportGaveUp) {
        m_services.reportGaveUp("Connect-back to " + clientName + " failed: " + why +
                                "; the client must connect again");
    }
}

bool ClientLink::IsConnectBackPending() const {
    std::lock_guard lock(m_mutex);
    return !m_refusing && m_pendingGeneration != 0 && m_pendingGeneration == m_generation;
}

void ClientLink::NotifyRFAmpOptionChange(bool on) {
    if (!m_bClientConnected.load()) {
        return;
    }
    RadioCmdNotification_var client = m_holder.get();
    if (CORBA::is_nil(client.in())) {
        return;
    }
    const CORBA::Short option = on ? 1 : 0;
    if (!callClient(
            "NotifyRFAmpOptionChange", [&] { client->NotifyRFAmpOptionChange(option); },
            *m_services.callFailures)) {
        OnCallbackFailed(client.in());
    }
}

bool ClientLink::connectBack(std::uint64_t generation, WaitClock::TimePoint deadline) {
    {
        // Gives the client time to bind its callback object.
        std::unique_lock lock(m_mutex);
        while (current(generation) && m_clock.now() < deadline) {
            m_clock.waitUntil(lock, m_changed, deadline);
        }
        if (!current(generation)) {
            return true;
        }
    }

    RadioCmdNotification_var client = m_services.lookup();
    if (CORBA::is_nil(client.in())) {
        throw CORBA::INV_OBJREF(0, CORBA::COMPLETED_NO);
    }

    std::lock_guard commit(m_commitLock);
    {
        std::lock_guard lock(m_mutex);
        if (!current(generation)) {
            return true;  // a Disconnect or a newer Connect came during the lookup
        }
    }
    {
        std::lock_guard state(m_stateLock);
        m_holder.set(client.in());
    }
    RadioCmdNotification_var called = m_holder.get();
    if (!callClient(
            "Connect", [&] { called->Connect("Brakton"); }, *m_services.callFailures)) {
        return false;  // logged; the caller gives up
    }
    {
        std::lock_guard state(m_stateLock);
        m_bClientConnected = true;
    }
    if (m_services.setNotifier) {
        m_services.setNotifier(NOTIFIER_CORBA);
    }
    return true;
}

void ClientLink::OnClientDisconnect() {
    {
        std::lock_guard lock(m_mutex);
        ++m_generation;
        m_connectBackGaveUp = false;
    }
    m_changed.notify_all();
    {
        // A connect-back already committing finishes first, so its notifier
        // is the one switched off here.
        std::lock_guard commit(m_commitLock);
        if (m_services.setNotifier) {
            m_services.setNotifier(NOTIFIER_NONE);
        }
    }
    m_clock.sleepFor(m_services.disconnectPause);
    m_bClientConnected = false;
}

void ClientLink::OnCallbackFailed(RadioCmdNotification_ptr failed) {
    std::lock_guard state(m_stateLock);
    RadioCmdNotification_var held = m_holder.get();
    // While `failed` is alive (the caller holds it) no newer reference can
    // share its address, so equal pointers mean the same, current client.
    if (!CORBA::is_nil(failed) && held.in() == failed) {
        m_bClientConnected = false;
    }
}

void ClientLink::ReleaseClient() {
    std::lock_guard state(m_stateLock);
    m_holder.clear();
}

bool ClientLink::Shutdown(std::chrono::milliseconds bound, std::ostream& err) {
    std::list<Worker> workers;
    {
        std::lock_guard lock(m_mutex);
        m_refusing = true;
        ++m_generation;
        workers.swap(m_workers);
    }
    m_changed.notify_all();
    bool inTime = true;
    for (Worker& worker : workers) {
        inTime = runBounded(
                     "connect-back thread", bound, [&] { worker.thread.join(); }, err) &&
                 inTime;
    }
    return inTime;
}
