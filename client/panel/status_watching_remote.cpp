#include "client/panel/status_watching_remote.h"

#include <cstdio>

#include "radiolink/k2_status.h"

std::string RefusalText(std::int32_t status) {
    const auto code = static_cast<std::uint32_t>(status);
    switch (code) {
        case 0:
            return {};
        case K2ERR_PORT_NOT_OPEN:
        case K2ERR_PORT_WRITE_FAILED:
            return "Radio port not open";
        case K2ERR_CLIENT_NOT_CONNECTED:
            return "Not connected to Brakton";
        case K2ERR_INVALID_PARAM:
            return "Invalid value";
        default: {
            char text[32];
            std::snprintf(text, sizeof text, "Brakton error 0x%07X", code);
            return text;
        }
    }
}
