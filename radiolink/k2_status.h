#pragma once

// Status codes of the radio link: every operation of CK2RadioPort returns one
// of these, and the servant hands them on to the client unchanged.

#include <cstdint>

inline constexpr std::uint32_t K2ERR_NONE = 0;
inline constexpr std::uint32_t K2ERR_CLIENT_NOT_CONNECTED = 0x1000004;  // the servant's own
inline constexpr std::uint32_t K2ERR_PORT_OPEN_FAILED = 0x2000001;
inline constexpr std::uint32_t K2ERR_PORT_SETUP_FAILED = 0x2000002;
inline constexpr std::uint32_t K2ERR_PORT_NOT_OPEN = 0x2000003;
// The command did not reach the port whole: the write failed, or stalled
// past its time-out.
inline constexpr std::uint32_t K2ERR_PORT_WRITE_FAILED = 0x2000004;
inline constexpr std::uint32_t K2ERR_INVALID_PARAM = 0x3000001;
