#pragma once

// ORB start-up for both programs: the options each role needs, and ORB_init on
// a copy of the program's arguments (omniORB strips the -ORB... arguments it
// understands in place, and the GUI toolkit keeps using the originals).
//
// orbOptions() is pure; initOrb() may be called from any thread, once per
// process (a second call returns the same ORB while it lives).

#include <omniORB4/CORBA.h>

#include <string>
#include <utility>
#include <vector>

enum class OrbRole {
    Client,  // Pelorin: serves the callbacks, calls RadioComm
    Server,  // Brakton: serves RadioComm, calls the client back
};

using OrbOption = std::pair<std::string, std::string>;

constexpr const char* kDefaultNamingHost = "localhost";
constexpr int kDefaultNamingPort = 10000;

// The ORB options for `role` with the naming service at `host`:`port`.
// `args` are the program's arguments: an -ORBInitRef NameService=... or an
// -ORBDefaultInitRef among them wins over the configured host and port.
std::vector<OrbOption> orbOptions(OrbRole role, const std::string& host, int port,
                                  const std::vector<std::string>& args);

// Initialises the ORB with orbOptions(); `args` starts with the program name,
// as argv does. Raises what ORB_init raises (CORBA::INITIALIZE, BAD_PARAM).
CORBA::ORB_ptr initOrb(OrbRole role, const std::string& host, int port,
                       const std::vector<std::string>& args);
