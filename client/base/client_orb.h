#pragma once

// The client's ORB: set up once on the main thread, then served by one ORB
// thread that holds the callback servant.
//
// Start-up calls initialise() (ORB_init with the client's options) and then
// startThread(); the ORB thread makes the CRadioCmdNotifyServant in its child
// POA, rebinds it as "RadioCmdNotification", releases the ready latch and runs
// the ORB, which is never shut down (the process ends under it). Every
// callback from the server runs on that thread, one at a time.
//
// A failed binding writes "CORBA exception raised!" and the exception's name
// to standard error, releases the latch at once ("not bound") and still runs
// the ORB: the callback object stays active, and bindCallback() binds it from
// the connecting thread once the naming service answers. A failure before the
// callback object exists (or "Unknown exception raised!") ends the thread;
// the latch is released the same way and the thread failure handler runs
// (the program says so and exits: it would never be called back).
//
// Functions are thread-safe; initialise() and startThread() act once per
// process.

#include <omniORB4/CORBA.h>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "idl/orb_options.h"

// The naming host as the ORB is given it: "127.0.0.1" and any spelling of
// "localhost" become "localhost"; other hosts stay as they are.
std::string clientNamingHost(const std::string& host);

// The ORB options of the client for the stored naming host and port.
std::vector<OrbOption> clientOrbOptions(const std::string& host, int port,
                                        const std::vector<std::string>& args);

class ClientOrb {
  public:
    // ORB_init with the client's options; `args` starts with the program name.
    // False (and a line on standard error) when the ORB cannot be set up. A
    // second call returns the first call's result.
    static bool initialise(const std::string& host, int port, const std::vector<std::string>& args);

    // The name of the exception that failed initialise(); empty when none did.
    static std::string initFailure();

    // The ORB from initialise(), or nil (not owned by the caller).
    static CORBA::ORB_ptr orb();

    // Spawns the ORB thread. False when the ORB is not set up or the thread
    // could not be spawned.
    static bool startThread();

    // Waits at most `timeout` for the ORB thread's set-up to end; true when
    // the callback object is bound. Returns at once after a failed set-up.
    static bool waitReady(std::chrono::milliseconds timeout);

    // Binds (again) the callback object as "RadioCmdNotification" from the
    // calling thread: the name then holds this client, whatever an earlier
    // failure or another client left there. False when the ORB thread's
    // set-up has not ended or made no callback object, or (with the failure
    // line on standard error) when the binding fails.
    static bool bindCallback();

    // The text the ORB thread writes for a failure.
    static std::string failureText(bool corba, const std::string& exceptionName);

    // Runs on the ORB thread after its failure line when the thread ends on
    // a failure: the client then serves no callback object. Set before
    // startThread().
    using ThreadFailureHandler = std::function<void(const std::string& exceptionName)>;
    static void setThreadFailureHandler(ThreadFailureHandler handler);
};
