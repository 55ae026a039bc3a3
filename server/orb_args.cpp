#include "server/orb_args.h"

#include <algorithm>
#include <cctype>
#include <string_view>

namespace {

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

bool locatesNamingService(const std::vector<std::string>& args) {
    constexpr std::string_view kNameService = "NameService=";
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "-ORBDefaultInitRef") {
            return true;
        }
        if (args[i] == "-ORBInitRef" && i + 1 < args.size() &&
            std::string_view(args[i + 1]).substr(0, kNameService.size()) == kNameService) {
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

}  // namespace

std::vector<std::string> buildOrbArgs(const std::string& host, int port,
                                      const std::vector<std::string>& args) {
    std::vector<std::string> result = args;
    if (!locatesNamingService(args)) {
        result.emplace_back("-ORBInitRef");
        result.push_back("NameService=corbaloc::" + corbalocHost(host) + ":" +
                         std::to_string(port) + "/NameService");
    }
    return result;
}
