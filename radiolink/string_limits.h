#pragma once

// Longest texts the server accepts in RadioComm string arguments. The server
// formats each call into a fixed log line and hands CW and diagnostic text on
// to the radio in fixed blocks; the ORB itself delivers strings of any
// length, so the servants check these where a text arrives, before they log
// or queue it, and the radio link checks the CW and diagnostic limits again
// for its other callers.
//
// Pure header: no ORB type, usable from any thread.

#include <cstddef>
#include <cstring>

namespace string_limits {

constexpr std::size_t kClientName = 68;   // Connect(ClientName)
constexpr std::size_t kEchoText = 67;     // EchoString(Text)
constexpr std::size_t kCommandText = 60;  // SendDiagnosticData(CommandText)
constexpr std::size_t kCWText = 254;      // KeyboardCW(CWText)

// True when `text` holds at most `limit` characters. Reads no further than
// limit + 1 bytes, so an oversized text costs nothing; a null text fits (it
// is the empty string on the wire).
inline bool fits(const char* text, std::size_t limit) {
    return text == nullptr || ::strnlen(text, limit + 1) <= limit;
}

}  // namespace string_limits
