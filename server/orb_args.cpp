#include "server/orb_args.h"

#include <algorithm>
#include <cctype>
#include <string_view>

#include "platform/config_fields.h"

namespace {

constexpr std::string_view kNameService = "NameService=";

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

bool namesNamingService(std::string_view initRef) {
    return initRef.substr(0, kNameService.size()) == kNameService;
}

bool locatesNamingService(const std::vector<std::string>& args) {
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

std::string corbalocHost(const std::string& host) {
    if (equalsIgnoringCase(host, "127.0.0.1")) {
        return "localhost";
    }
    // An IPv6 literal ("::1") needs brackets, or its colons read as the port's.
    if (host.find(':') != std::string::npos && host.front() != '[') {
        return "[" + host + "]";
    }
    return host;
}

// "corbaloc::host:port/NameService" -> "host:port"; "corbaloc:iiop:" the same.
std::string addressOfReference(std::string_view reference) {
    for (const std::string_view prefix : {"corbaloc::", "corbaloc:iiop:"}) {
        if (reference.substr(0, prefix.size()) == prefix) {
            const std::string_view address = reference.substr(prefix.size());
            return std::string(address.substr(0, address.find('/')));
        }
    }
    return std::string(reference);
}

}  // namespace

std::vector<std::string> buildOrbArgs(const std::string& host, int port,
                                      const std::vector<std::string>& args) {
    std::vector<std::string> result = args;
    if (!locatesNamingService(args)) {
        // A file saved by an older sheet may hold blanks around the host:
        // Brakton goes where the sheet would show it going.
        const std::string trimmed = platform::trimNameServerHost(host);
        result.emplace_back("-ORBInitRef");
        result.push_back("NameService=corbaloc::" + corbalocHost(trimmed) + ":" +
                         std::to_string(port) + "/NameService");
    }
    return result;
}

std::string namingServiceAddress(const std::vector<std::string>& orbArgs) {
    std::string initRef;
    std::string defaultRef;
    for (std::size_t i = 0; i + 1 < orbArgs.size(); ++i) {
        if (orbArgs[i] == "-ORBInitRef" && namesNamingService(orbArgs[i + 1])) {
            initRef = orbArgs[i + 1].substr(kNameService.size());
        } else if (orbArgs[i] == "-ORBDefaultInitRef") {
            defaultRef = orbArgs[i + 1];
        }
    }
    return addressOfReference(!initRef.empty() ? initRef : defaultRef);
}
