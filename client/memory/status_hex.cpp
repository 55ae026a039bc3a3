#include "client/memory/status_hex.h"

#include <cstdio>

std::string StatusHex(std::uint32_t status) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08x", status);
    return text;
}
