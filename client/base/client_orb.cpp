#include "client/base/client_orb.h"

#include <algorithm>
#include <atomic>
#include <cctype>
#include <condition_variable>
#include <cstdio>
#include <exception>
#include <mutex>

#include "client/base/radio_cmd_notify_servant.h"
#include "idl/call_helpers.h"
#include "idl/naming.h"
#include "idl/orb_thread.h"

namespace {

constexpr const char* kCallbackName = "RadioCmdNotification";

// Lives until the process ends: the ORB thread is never joined, and the
// program ends under it with _Exit.
struct OrbState {
    std::mutex mutex;
    std::condition_variable readyChanged;
    // The ORB thread's set-up has ended, bound or not.
    bool setupDone = false;
    // "RadioCmdNotification" holds the callback object.
    bool bound = false;
    bool initialised = false;
    bool initOk = false;
    CORBA::ORB_var orb;
    // The callback object, once the ORB thread has made it.
    RadioCmdNotification_var callback;
    OrbThread* thread = nullptr;
    std::atomic<bool> setupFailedOutsideOrb{false};
    ClientOrb::ThreadFailureHandler threadFailed;
    std::string initFailure;
};

OrbState& state() {
    static OrbState* s = new OrbState;
    return *s;
}

std::string lowerCase(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

void finishSetup(bool bound) {
    OrbState& s = state();
    {
        std::lock_guard<std::mutex> lock(s.mutex);
        s.setupDone = true;
        s.bound = s.bound || bound;
    }
    s.readyChanged.notify_all();
}

// On the ORB thread. A failed binding does not end the thread: the failure
// line is written, the ready wait ends at once ("not bound") and the ORB runs
// anyway, so the callback object stays active and the connect can bind it
// later from the GUI thread.
void bindCallbackObject(CORBA::ORB_ptr orb, PortableServer::POA_ptr poa) {
    OrbState& s = state();
    RadioCmdNotification_var ref;
    try {
        auto* servant = new CRadioCmdNotifyServant(poa);
        ref = servant->_this();
        servant->_remove_ref();
    } catch (const CORBA::Exception&) {
        throw;
    } catch (...) {
        s.setupFailedOutsideOrb = true;
        throw;
    }
    {
        std::lock_guard<std::mutex> lock(s.mutex);
        s.callback = RadioCmdNotification::_duplicate(ref.in());
    }
    auto result = callServer(kCallbackName, [&] { rebindName(orb, kCallbackName, ref.in()); });
    if (!result) {
        const CallFailure& failure = result.failure();
        std::fputs(ClientOrb::failureText(failure.kind != CallFailure::Kind::Unknown, failure.name)
                       .c_str(),
                   stderr);
    }
    finishSetup(result.ok());
}

}  // namespace

std::string clientNamingHost(const std::string& host) {
    const std::string lower = lowerCase(host);
    if (lower == "127.0.0.1" || lower == "localhost") {
        return kDefaultNamingHost;
    }
    return host;
}

std::vector<OrbOption> clientOrbOptions(const std::string& host, int port,
                                        const std::vector<std::string>& args) {
    return orbOptions(OrbRole::Client, clientNamingHost(host), port, args);
}

std::string ClientOrb::failureText(bool corba, const std::string& exceptionName) {
    return std::string(corba ? "CORBA exception raised!" : "Unknown exception raised!") + " " +
           exceptionName + "\n";
}

bool ClientOrb::initialise(const std::string& host, int port,
                           const std::vector<std::string>& args) {
    OrbState& s = state();
    std::lock_guard<std::mutex> lock(s.mutex);
    if (s.initialised) {
        return s.initOk;
    }
    s.initialised = true;
    try {
        s.orb = initOrb(OrbRole::Client, clientNamingHost(host), port, args);
        s.initOk = !CORBA::is_nil(s.orb.in());
    } catch (const CORBA::Exception& ex) {
        s.initFailure = ex._name();
        std::fputs(failureText(true, ex._name()).c_str(), stderr);
    } catch (const std::exception& ex) {
        s.initFailure = ex.what();
        std::fputs(failureText(false, ex.what()).c_str(), stderr);
    } catch (...) {
        s.initFailure = "unknown exception";
        std::fputs(failureText(false, "unknown exception").c_str(), stderr);
    }
    return s.initOk;
}

std::string ClientOrb::initFailure() {
    OrbState& s = state();
    std::lock_guard<std::mutex> lock(s.mutex);
    return s.initFailure;
}

CORBA::ORB_ptr ClientOrb::orb() {
    OrbState& s = state();
    std::lock_guard<std::mutex> lock(s.mutex);
    return s.orb.in();
}

bool ClientOrb::startThread() {
    OrbState& s = state();
    std::lock_guard<std::mutex> lock(s.mutex);
    if (!s.initOk || s.thread != nullptr) {
        return false;
    }
    auto* thread = new OrbThread;
    const bool started =
        thread->start(s.orb.in(), &bindCallbackObject, [](const std::string& name, unsigned long) {
            OrbState& st = state();
            std::fputs(failureText(!st.setupFailedOutsideOrb, name).c_str(), stderr);
            // Nothing more comes from this thread: no connect waits for it.
            finishSetup(false);
            ClientOrb::ThreadFailureHandler handler;
            {
                std::lock_guard<std::mutex> guard(st.mutex);
                handler = st.threadFailed;
            }
            if (handler) {
                handler(name);
            }
        });
    if (!started) {
        delete thread;
        return false;
    }
    s.thread = thread;
    return true;
}

void ClientOrb::setThreadFailureHandler(ThreadFailureHandler handler) {
    OrbState& s = state();
    std::lock_guard<std::mutex> lock(s.mutex);
    s.threadFailed = std::move(handler);
}

bool ClientOrb::waitReady(std::chrono::milliseconds timeout) {
    OrbState& s = state();
    std::unique_lock<std::mutex> lock(s.mutex);
    s.readyChanged.wait_for(lock, timeout, [&] { return s.setupDone; });
    return s.bound;
}

bool ClientOrb::bindCallback() {
    OrbState& s = state();
    CORBA::ORB_var orb;
    RadioCmdNotification_var callback;
    {
        std::lock_guard<std::mutex> lock(s.mutex);
        if (!s.setupDone) {
            // The ORB thread's own binding is still under way (a naming host
            // that does not answer): a second one here would only add its
            // wait to the caller's.
            return false;
        }
        orb = CORBA::ORB::_duplicate(s.orb.in());
        callback = RadioCmdNotification::_duplicate(s.callback.in());
    }
    if (CORBA::is_nil(orb.in()) || CORBA::is_nil(callback.in())) {
        return false;
    }
    auto result =
        callServer(kCallbackName, [&] { rebindName(orb.in(), kCallbackName, callback.in()); });
    if (!result) {
        const CallFailure& failure = result.failure();
        std::fputs(failureText(failure.kind != CallFailure::Kind::Unknown, failure.name).c_str(),
                   stderr);
        return false;
    }
    {
        std::lock_guard<std::mutex> lock(s.mutex);
        s.bound = true;
    }
    s.readyChanged.notify_all();
    return true;
}
