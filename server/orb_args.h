#pragma once

// The server's ORB arguments: where omniORB finds the naming service.
//
// omniORB has no naming discovery, so the configured host and port always go
// on the command line as an initial reference, for the local host too, unless
// the operator already gave one. Pure function; any thread.

#include <string>
#include <vector>

// `args` with "-ORBInitRef NameService=corbaloc::<host>:<port>/NameService"
// appended, unless it already holds an "-ORBInitRef NameService=..." pair or an
// "-ORBDefaultInitRef". "127.0.0.1" (any case) is written "localhost"; an IPv6
// literal goes in brackets.
std::vector<std::string> buildOrbArgs(const std::string& host, int port,
                                      const std::vector<std::string>& args);
