#include "idl/orb_options.h"

#include <memory>
#include <string_view>

#include "platform/config_fields.h"

namespace {

bool namesNamingService(std::string_view initRef) {
    constexpr std::string_view kPrefix = "NameService=";
    return initRef.substr(0, kPrefix.size()) == kPrefix;
}

// True when the command line already tells the ORB where the naming service
// is. omniORB takes "-ORBInitRef NameService=<uri>" as two arguments.
bool argsLocateNamingService(const std::vector<std::string>& args) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "-ORBDefaultInitRef") {
            return true;
        }
        if (args[i] == "-ORBInitRef" && i + 1 < args.size() && namesNamingService(args[i + 1])) {
            return true;
        }
    }
    return false;
}

}  // namespace

std::vector<OrbOption> orbOptions(OrbRole role, const std::string& host, int port,
                                  const std::vector<std::string>& args) {
    std::vector<OrbOption> options;
    if (!argsLocateNamingService(args)) {
        // A stored host with blanks around it (older sheets saved them) still
        // names the host the sheets show.
        options.emplace_back("InitRef",
                             "NameService=corbaloc::" + platform::trimNameServerHost(host) + ":" +
                                 std::to_string(port) + "/NameService");
    }
    switch (role) {
        case OrbRole::Client:
            // One connection's oneways are then dispatched one after another,
            // in the order the server sent them.
            options.emplace_back("maxServerThreadPerConnection", "1");
            break;
        case OrbRole::Server:
            // A client that does not accept the connection costs at most 2 s.
            options.emplace_back("clientConnectTimeOutPeriod", "2000");
            // Every calling thread shares one connection to the client, which
            // serves a connection on one thread: each thread's call-backs then
            // arrive in the order it made them. With a connection per call in
            // flight, oneways of one thread could overtake each other.
            options.emplace_back("oneCallPerConnection", "0");
            options.emplace_back("maxGIOPConnectionPerServer", "1");
            break;
    }
    // Strict, the ORB marks a request whose body has bytes left after its
    // last argument as awaiting its reply before it checks the message's end,
    // then drops the connection without freeing it: about 4.6 KB that a peer
    // can make the other program keep for every such request, without bound.
    // Lenient, the request is served and its trailing bytes ignored.
    options.emplace_back("strictIIOP", "0");
    return options;
}

CORBA::ORB_ptr initOrb(OrbRole role, const std::string& host, int port,
                       const std::vector<std::string>& args) {
    const std::vector<OrbOption> options = orbOptions(role, host, port, args);

    // omniORB takes {name, value} pairs ended by a pair of nulls.
    auto optionTable = std::make_unique<const char*[][2]>(options.size() + 1);
    for (std::size_t i = 0; i < options.size(); ++i) {
        optionTable[i][0] = options[i].first.c_str();
        optionTable[i][1] = options[i].second.c_str();
    }
    optionTable[options.size()][0] = nullptr;
    optionTable[options.size()][1] = nullptr;

    // ORB_init rearranges argv; give it copies so the caller's stay intact.
    std::vector<std::string> argCopies = args;
    if (argCopies.empty()) {
        argCopies.emplace_back("orb");
    }
    std::vector<char*> argv;
    argv.reserve(argCopies.size() + 1);
    for (auto& arg : argCopies) {
        argv.push_back(arg.data());
    }
    argv.push_back(nullptr);
    int argc = static_cast<int>(argCopies.size());

    return CORBA::ORB_init(argc, argv.data(), "omniORB4", optionTable.get());
}
