#include "platform/config_fields.h"

#include <cstdlib>
#include <limits>

namespace platform {

namespace {

constexpr std::uint8_t kNegativeBit = 0x80;
constexpr std::uint8_t kHoursMask = 0x7F;

constexpr const char* kNotAnInteger = "Please enter an integer.";

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && isBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && isBlank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

// Sign and digits; nullopt when the text is not a whole number. `overflow` tells a number that
// is whole but too long for 64 bits.
std::optional<std::int64_t> parseWhole(std::string_view text, bool& overflow) {
    overflow = false;
    text = trimmed(text);
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    if (text.empty()) {
        return std::nullopt;
    }
    std::uint64_t magnitude = 0;
    constexpr std::uint64_t kLimit =
        static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max());
    for (char c : text) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        const auto digit = static_cast<std::uint64_t>(c - '0');
        if (magnitude > (kLimit - digit) / 10) {
            overflow = true;
        } else {
            magnitude = magnitude * 10 + digit;
        }
    }
    if (overflow) {
        return std::nullopt;
    }
    const auto value = static_cast<std::int64_t>(magnitude);
    return negative ? -value : value;
}

}  // namespace

std::uint8_t utcOffsetToByte(int hours) {
    const int magnitude = std::abs(hours) & kHoursMask;
    return static_cast<std::uint8_t>(magnitude | (hours < 0 ? kNegativeBit : 0));
}

int utcOffsetFromByte(std::uint8_t stored) {
    const int hours = stored & kHoursMask;
    return (stored & kNegativeBit) != 0 ? -hours : hours;
}

bool fitsTextField(std::string_view utf8) {
    return utf8.size() <= kMaxTextFieldBytes;
}

FieldCheck checkInteger(std::string_view text) {
    bool overflow = false;
    if (auto value = parseWhole(text, overflow)) {
        return {value, {}};
    }
    return {std::nullopt, kNotAnInteger};
}

FieldCheck checkIntegerBetween(std::string_view text, std::int64_t min, std::int64_t max) {
    bool overflow = false;
    const std::optional<std::int64_t> value = parseWhole(text, overflow);
    if (!value && !overflow) {
        return {std::nullopt, kNotAnInteger};
    }
    if (!value || *value < min || *value > max) {
        return {std::nullopt, "Please enter an integer between " + std::to_string(min) + " and " +
                                  std::to_string(max) + "."};
    }
    return {value, {}};
}

FieldCheck checkNameServerPort(std::string_view text) {
    return checkIntegerBetween(text, 1, 32000);
}

FieldCheck checkUtcOffset(std::string_view text) {
    return checkIntegerBetween(text, kMinUtcOffset, kMaxUtcOffset);
}

FieldCheck checkBandEdge(std::string_view text) {
    return checkIntegerBetween(text, 0, std::numeric_limits<std::int32_t>::max());
}

std::string trimNameServerHost(std::string_view text) {
    return std::string(trimmed(text));
}

std::string checkNameServerHost(std::string_view text) {
    const std::string_view host = trimmed(text);
    if (host.empty()) {
        return "Please enter a name server host.";
    }
    // The host goes into the naming service's address, where a blank breaks it.
    for (const char c : host) {
        if (isBlank(c)) {
            return "Name Server Host must not contain blanks";
        }
    }
    return "";
}

std::string checkBandOrder(std::string_view band, std::int64_t low, std::int64_t high) {
    if (low < high) {
        return {};
    }
    const std::string name(band);
    return name + " Low Band Edge must be below its High Band Edge.";
}

}  // namespace platform
