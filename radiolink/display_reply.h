#pragma once

// TranslateDisplayReply: the radio's display reply made readable.
//
// Usage: pass a whole DS reply as framed (without ";"): "DS", 8 display bytes,
// 2 status bytes. The result is "DS", the 8 display characters, each preceded
// by "." when bit 7 of its byte is set and mapped through the radio's glyph
// table, then the two status bytes as two lower-case hex digits each
// (14 to 22 characters: "DS@@7040\xB00\xC1\x00" gives "DS  7040.00c100"). Bytes after the
// status bytes are ignored. A reply with fewer than 10 bytes after "DS" gives
// std::nullopt. The input is never changed. The server forwards and compares
// the result; clients and the diagnostic dialog read the last four characters
// as the status bytes.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

std::optional<std::string> TranslateDisplayReply(std::string_view reply);

// ReadDisplayStatus: a translated reply read back into its parts.
//
// Usage: pass the translated text after "DS". The last four characters are
// the two status bytes as hex digits (either case), the rest is the display
// text. Text shorter than four characters, or a tail that is not four hex
// digits, gives std::nullopt.
//
//   "  7040.00c100" -> display "  7040.00", first 0xC1, second 0x00
struct DisplayStatus {
    std::string display;
    std::uint8_t first = 0;
    std::uint8_t second = 0;
};
std::optional<DisplayStatus> ReadDisplayStatus(std::string_view body);
