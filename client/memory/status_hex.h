#pragma once

// The text of a status code as the memory store's start-up messages and the
// panel's status line show it: "0x%08x" (0x0100000c).
//
// Pure logic (no widget); any thread.

#include <cstdint>
#include <string>

std::string StatusHex(std::uint32_t status);
