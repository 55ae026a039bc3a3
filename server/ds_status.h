#pragma once

// The radio's display reply as the COM-port diagnostic dialog shows it: the display text and
// seven indicators lit from the two status bytes.
//
// The reply arrives translated by the radio link (see radiolink/display_reply.h):
//
//   DS  7040.004001
//   ||         ||||
//   ||         |||+-- second status byte, low digit
//   ||         ||+--- second status byte, high digit
//   ||         |+---- first status byte, low digit
//   ||         +----- first status byte, high digit
//   |+--------------- display text, "  7040.00"
//   +---------------- code
//
// Pure functions, callable from any thread.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "radiolink/display_reply.h"

namespace brakton {

// display: the text between "DS" and the four digits; first, second: the status bytes.
using DsStatus = DisplayStatus;

// A reply of code 5 that starts with "DS", holds at least 14 characters and ends in four hex
// digits; anything else (another code, a reply too short to have been translated, a tail
// that is not hex) gives nothing, and the dialog changes nothing.
std::optional<DsStatus> parseDsReply(int code, std::string_view text);

// The indicators, in the dialog's order.
enum DsIndicator { kIndNB, kIndANT2, kIndPRE, kIndATT, kIndVFOB, kIndRIT, kIndXIT, kIndCount };

inline constexpr std::uint32_t kIndicatorOff = 0xC0C0C0;     // silver
inline constexpr std::uint32_t kIndicatorOn = 0xFFFF;        // yellow (first byte)
inline constexpr std::uint32_t kIndicatorSecond = 0xFFC0C0;  // light blue (second byte)

// Each indicator's background, 0x00BBGGRR: yellow when its first-byte bit is set, else silver;
// then light blue over either when its second-byte bit is set (NB, ATT, VFOB, RIT, XIT only).
std::array<std::uint32_t, kIndCount> indicatorColors(std::uint8_t first, std::uint8_t second);

// "NB", "ANT2", ...
const char* indicatorText(int indicator);

}  // namespace brakton
