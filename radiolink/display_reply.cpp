#include "radiolink/display_reply.h"

#include <cstddef>

namespace {

constexpr std::size_t kDisplayBytes = 8;
constexpr std::size_t kStatusBytes = 2;
constexpr std::size_t kMnemonicLength = 2;

// The radio draws some letters with glyphs that its serial reply sends as
// other characters; every other 7-bit value stands for itself.
char glyph(unsigned char value) {
    switch (value) {
        case '<':
            return 'L';
        case '>':
            return '-';
        case '@':
            return ' ';
        case 'M':
            return 'N';
        case 'Q':
            return 'O';
        case 'V':
            return 'U';
        case 'W':
            return 'I';
        case 'X':
            return 'c';
        case 'Z':
            return 'C';
        case '[':
            return 'r';
        default:
            return static_cast<char>(value);
    }
}

void appendHex(std::string& out, unsigned char value) {
    constexpr char kDigits[] = "0123456789abcdef";
    out += kDigits[value >> 4];
    out += kDigits[value & 0x0F];
}

std::optional<int> hexDigit(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return std::nullopt;
}

std::optional<std::uint8_t> hexByte(std::string_view two) {
    const auto high = hexDigit(two[0]);
    const auto low = hexDigit(two[1]);
    if (!high || !low) {
        return std::nullopt;
    }
    return static_cast<std::uint8_t>(*high * 16 + *low);
}

}  // namespace

// byte  0 1 2 3 4 5 6 7 8 9 10 11
//       D S @ @ 7 0 4 0 * 0 s1 s2      * is 0xB0, a "0" with bit 7 set
// "DS@@7040\xB00\xC1\x00" -> "DS  7040.00c100"
std::optional<std::string> TranslateDisplayReply(std::string_view reply) {
    if (reply.size() < kMnemonicLength + kDisplayBytes + kStatusBytes) {
        return std::nullopt;
    }
    std::string out(reply.substr(0, kMnemonicLength));
    out.reserve(kMnemonicLength + 2 * kDisplayBytes + 2 * kStatusBytes);
    for (std::size_t i = 0; i < kDisplayBytes; ++i) {
        auto value = static_cast<unsigned char>(reply[kMnemonicLength + i]);
        if ((value & 0x80) != 0) {
            out += '.';
            value = static_cast<unsigned char>(value & 0x7F);
        }
        out += glyph(value);
    }
    for (std::size_t i = 0; i < kStatusBytes; ++i) {
        appendHex(out, static_cast<unsigned char>(reply[kMnemonicLength + kDisplayBytes + i]));
    }
    return out;
}

std::optional<DisplayStatus> ReadDisplayStatus(std::string_view body) {
    if (body.size() < 2 * kStatusBytes) {
        return std::nullopt;
    }
    const std::string_view tail = body.substr(body.size() - 2 * kStatusBytes);
    const auto first = hexByte(tail.substr(0, 2));
    const auto second = hexByte(tail.substr(2, 2));
    if (!first || !second) {
        return std::nullopt;
    }
    return DisplayStatus{std::string(body.substr(0, body.size() - 2 * kStatusBytes)), *first,
                         *second};
}
