#include "client/panel/qso_log_name.h"

std::string QsoLogFileName(std::string_view callSign) {
    if (callSign.empty()) {
        return std::string(kDefaultQsoLogName);
    }
    std::string name;
    name.reserve(callSign.size() + kQsoLogSuffix.size());
    for (const char c : callSign) {
        const auto u = static_cast<unsigned char>(c);
        const bool unsafe = c == '/' || c == '\\' || u < 0x20 || u == 0x7F;
        name.push_back(unsafe ? '_' : c);
    }
    name += kQsoLogSuffix;
    return name;
}
