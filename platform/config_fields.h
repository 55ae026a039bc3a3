#pragma once

// Field rules shared by both programs' configuration sheets: the sign-magnitude byte that
// stores an offset from UTC, the checks a typed field passes before anything is written (each
// with the message the operator sees), and the width of a stored text.
//
// Pure functions, callable from any thread.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace platform {

// Hours from UTC in one byte: bits 0-6 the hours, bit 7 set for a negative offset.
// -7 is 0x87, 5 is 0x05. 0x80 ("minus nothing") reads as 0.
std::uint8_t utcOffsetToByte(int hours);
int utcOffsetFromByte(std::uint8_t stored);

// The offsets a sheet accepts: whole hours, as the world's time zones span them.
inline constexpr int kMinUtcOffset = -12;
inline constexpr int kMaxUtcOffset = 14;

// A stored text holds at most 79 bytes of UTF-8; typing past that is refused.
inline constexpr std::size_t kMaxTextFieldBytes = 79;
bool fitsTextField(std::string_view utf8);

// What checking one field gives: the value, or the message that refuses it.
struct FieldCheck {
    std::optional<std::int64_t> value;
    std::string message;

    bool ok() const { return value.has_value(); }
};

// A whole number as the operator types it: blanks around it, an optional sign, decimal
// digits. Anything else is "Please enter an integer."
FieldCheck checkInteger(std::string_view text);

// A whole number within [min, max]; outside it, "Please enter an integer between <min> and
// <max>." A number too long to hold counts as outside.
FieldCheck checkIntegerBetween(std::string_view text, std::int64_t min, std::int64_t max);

// The sheets' own fields.
FieldCheck checkNameServerPort(std::string_view text);  // 1..32000
FieldCheck checkUtcOffset(std::string_view text);       // -12..14
FieldCheck checkBandEdge(std::string_view text);        // 0..2147483647

// The host as the sheets save it: without surrounding blanks.
std::string trimNameServerHost(std::string_view text);
// A host name, once trimmed, must hold more than blanks and no blank inside; the message when
// it does not, else empty.
std::string checkNameServerHost(std::string_view text);

// The message when a band's low edge is not below its high edge, else empty. `band` is the
// band's name as the value names carry it ("40M").
std::string checkBandOrder(std::string_view band, std::int64_t low, std::int64_t high);

}  // namespace platform
