#pragma once

// The server's ORB arguments: where omniORB finds the naming service.
//
// omniORB has no naming discovery, so the configured host and port always go
// on the command line as an initial reference, for the local host too, unless
// the operator already gave one. Pure functions; any thread.

#include <string>
#include <vector>

// `args` with "-ORBInitRef NameService=corbaloc::<host>:<port>/NameService"
// appended, unless it already holds an "-ORBInitRef NameService=..." pair or an
// "-ORBDefaultInitRef". The host is taken as the configuration sheets save it
// (platform::trimNameServerHost); "127.0.0.1" (any case) is written
// "localhost"; an IPv6 literal goes in brackets.
std::vector<std::string> buildOrbArgs(const std::string& host, int port,
                                      const std::vector<std::string>& args);

// The naming service's address that `orbArgs` (buildOrbArgs's result) send
// the ORB to, for the operator to read: "<host>:<port>" of a corbaloc
// reference as given ("localhost:10000", "[::1]:2809"), or the whole reference
// when it is of another form. An "-ORBInitRef NameService=..." wins over an
// "-ORBDefaultInitRef", as in the ORB; of several, the last one counts.
std::string namingServiceAddress(const std::vector<std::string>& orbArgs);
