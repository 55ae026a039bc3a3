#pragma once

#include <cstdint>

// Status codes of the client's file stores (radio memories, QSO log), in the
// same 32-bit space as the radio link's codes. The front panel shows them as
// "0x%08x".
inline constexpr std::uint32_t K2ERR_FILE_OPEN = 0x100000C;        // could not open or create
inline constexpr std::uint32_t K2ERR_FILE_READ = 0x100000D;        // shorter than expected
inline constexpr std::uint32_t K2ERR_FILE_WRITE = 0x100000E;       // writing failed
inline constexpr std::uint32_t K2ERR_FILE_SEEK = 0x100000F;        // positioning failed
inline constexpr std::uint32_t K2ERR_FILE_WRONG_TYPE = 0x1000012;  // not the file asked for
