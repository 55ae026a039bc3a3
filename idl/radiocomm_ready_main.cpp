// radiocomm_ready: waits until the server is there for a client, that is until
// "RadioComm" resolves in the naming service and answers EchoString. The demo
// script starts the client only then.
//
//   radiocomm_ready [--naming-host <host>] [--naming-port <port>]
//                   [--timeout <seconds>] [-ORB... options]
//
// Exit 0 once the server has answered; 1 (with the last failure on standard
// error) when it has not within the time-out (default 30 s); 2 for bad
// arguments or no ORB. Each try is bounded by the naming and call time-outs.

#include <chrono>
#include <cstdio>
#include <exception>
#include <string>
#include <thread>
#include <vector>

#include "RadioComm.hh"
#include "idl/call_helpers.h"
#include "idl/naming.h"
#include "idl/orb_options.h"

namespace {

struct Options {
    std::string host = kDefaultNamingHost;
    int port = kDefaultNamingPort;
    int timeoutSeconds = 30;
    std::vector<std::string> orbArgs;
};

bool parse(int argc, char** argv, Options& options) {
    options.orbArgs.emplace_back(argv[0]);
    try {
        for (int i = 1; i < argc; ++i) {
            const std::string arg = argv[i];
            const bool hasValue = i + 1 < argc;
            if (arg == "--naming-host" && hasValue) {
                options.host = argv[++i];
            } else if (arg == "--naming-port" && hasValue) {
                options.port = std::stoi(argv[++i]);
            } else if (arg == "--timeout" && hasValue) {
                options.timeoutSeconds = std::stoi(argv[++i]);
            } else if (arg.rfind("-ORB", 0) == 0 && hasValue) {
                options.orbArgs.push_back(arg);
                options.orbArgs.emplace_back(argv[++i]);
            } else {
                return false;
            }
        }
    } catch (const std::exception&) {
        return false;
    }
    return options.port > 0 && options.port < 65536 && options.timeoutSeconds >= 0;
}

// One look-up and one echo; empty when the server answered, else what failed.
std::string tryOnce(CORBA::ORB_ptr orb) {
    auto result = callServer("EchoString", [orb] {
        RadioComm_var server = resolveRadioComm(orb);
        if (CORBA::is_nil(server.in())) {
            throw CORBA::OBJECT_NOT_EXIST(0, CORBA::COMPLETED_NO);
        }
        server->EchoString("radiocomm_ready: a client can connect");
    });
    return result ? std::string() : result.failure().name;
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    if (!parse(argc, argv, options)) {
        std::fprintf(stderr,
                     "usage: %s [--naming-host <host>] [--naming-port <port>] "
                     "[--timeout <seconds>] [-ORB<option> <value>]...\n",
                     argv[0]);
        return 2;
    }
    CORBA::ORB_var orb;
    try {
        orb = initOrb(OrbRole::Client, options.host, options.port, options.orbArgs);
    } catch (const CORBA::Exception& ex) {
        std::fprintf(stderr, "radiocomm_ready: no ORB: %s\n", ex._name());
        return 2;
    }
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::seconds(options.timeoutSeconds);
    std::string failure;
    int code = 1;
    for (;;) {
        failure = tryOnce(orb.in());
        if (failure.empty()) {
            code = 0;
            break;
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
    }
    if (code != 0) {
        std::fprintf(stderr,
                     "radiocomm_ready: no server answered as \"RadioComm\" at %s:%d within %d s "
                     "(last: %s)\n",
                     options.host.c_str(), options.port, options.timeoutSeconds, failure.c_str());
    }
    try {
        orb->destroy();
    } catch (const CORBA::Exception&) {
    }
    return code;
}
