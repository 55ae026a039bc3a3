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
// The connect waits on the latch (waitReady) before it asks the server to
// call back, so the server's look-up finds this client's binding. A failure of
// the ORB thread writes "CORBA exception raised!" (or "Unknown exception
// raised!") and the exception's name to standard error; the latch then stays
// closed and the panel runs on, never called back.
//
// Functions are thread-safe; initialise() and startThread() act once per
// process.

#include <omniORB4/CORBA.h>

#include <chrono>
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

    // The ORB from initialise(), or nil (not owned by the caller).
    static CORBA::ORB_ptr orb();

    // Spawns the ORB thread. False when the ORB is not set up or the thread
    // could not be spawned.
    static bool startThread();

    // True once the callback object is bound; waits at most `timeout`.
    static bool waitReady(std::chrono::milliseconds timeout);

    // The text the ORB thread writes for a failure.
    static std::string failureText(bool corba, const std::string& exceptionName);
};
