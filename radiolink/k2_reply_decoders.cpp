#include "radiolink/k2_reply_decoders.h"

#include <charconv>
#include <limits>

namespace {

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

bool isSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

std::optional<std::int32_t> digitAt(std::string_view body, std::size_t pos) {
    if (pos >= body.size() || !isDigit(body[pos])) {
        return std::nullopt;
    }
    return body[pos] - '0';
}

std::optional<std::int32_t> flagAt(std::string_view body, std::size_t pos) {
    const auto digit = digitAt(body, pos);
    if (!digit) {
        return std::nullopt;
    }
    return *digit != 0 ? 1 : 0;
}

// White space, an optional sign, at least one digit; stops at the first
// non-digit or the end of `field`. Read as 64 bits, then it must fit 32.
std::optional<std::int32_t> decimal(std::string_view field) {
    std::size_t pos = 0;
    while (pos < field.size() && isSpace(field[pos])) {
        ++pos;
    }
    bool negative = false;
    if (pos < field.size() && (field[pos] == '+' || field[pos] == '-')) {
        negative = field[pos] == '-';
        ++pos;
    }
    if (pos >= field.size() || !isDigit(field[pos])) {
        return std::nullopt;
    }
    std::int64_t magnitude = 0;
    const char* first = field.data() + pos;
    const char* last = field.data() + field.size();
    const auto [end, ec] = std::from_chars(first, last, magnitude);
    if (ec != std::errc{} || end == first) {
        return std::nullopt;
    }
    const std::int64_t value = negative ? -magnitude : magnitude;
    if (value < std::numeric_limits<std::int32_t>::min() ||
        value > std::numeric_limits<std::int32_t>::max()) {
        return std::nullopt;
    }
    return static_cast<std::int32_t>(value);
}

// The decimal of positions [first, last) of `body`, which must all exist.
std::optional<std::int32_t> decimalIn(std::string_view body, std::size_t first, std::size_t last) {
    if (last > body.size()) {
        return std::nullopt;
    }
    return decimal(body.substr(first, last - first));
}

}  // namespace

std::optional<std::int32_t> ParseFreqReply(std::string_view body) {
    return decimal(body);
}

std::optional<IFReply> ParseIFReply(std::string_view body) {
    constexpr std::size_t kLength = 32;
    if (body.size() < kLength) {
        return std::nullopt;
    }
    // The frequency field is 11 digits followed by blanks; scanning on past
    // it would take the offset for a frequency.
    const auto frequency = decimalIn(body, 0, 11);
    const auto rit = digitAt(body, 21);
    const auto xit = digitAt(body, 22);
    const auto offset = decimalIn(body, 16, 21);
    const auto d26 = digitAt(body, 26);
    const auto mode = digitAt(body, 27);
    const auto vfo = digitAt(body, 28);
    const auto d29 = digitAt(body, 29);
    const auto split = digitAt(body, 30);
    const auto d31 = digitAt(body, 31);
    if (!frequency || !rit || !xit || !offset || !d26 || !mode || !vfo || !d29 || !split || !d31) {
        return std::nullopt;
    }
    return IFReply{*frequency, *rit, *xit, *offset, *d26, *mode, *vfo, *d29, *split, *d31};
}

std::optional<FWReply> ParseFWReply(std::string_view body) {
    const auto bandwidth = decimalIn(body, 0, 4);
    const auto filter = digitAt(body, 4);
    const auto audio = digitAt(body, 5);
    if (!bandwidth || !filter || !audio) {
        return std::nullopt;
    }
    return FWReply{*bandwidth, *filter, *audio};
}

std::optional<std::int32_t> ParseGTReply(std::string_view body) {
    const auto agc = digitAt(body, 3);
    if (!agc) {
        return std::nullopt;
    }
    if (*agc == 0) {
        return 0;
    }
    return decimalIn(body, 0, 3);
}

std::optional<PCReply> ParsePCReply(std::string_view body) {
    const auto power = decimalIn(body, 0, 3);
    const auto range = flagAt(body, 3);
    if (!power || !range) {
        return std::nullopt;
    }
    return PCReply{*power, *range};
}

std::optional<std::int32_t> ParseRAReply(std::string_view body) {
    return flagAt(body, 1);
}

std::optional<std::int32_t> ParseNBReply(std::string_view body) {
    return digitAt(body, 0);
}
std::optional<std::int32_t> ParseANReply(std::string_view body) {
    return digitAt(body, 0);
}
std::optional<std::int32_t> ParseMDReply(std::string_view body) {
    return digitAt(body, 0);
}
std::optional<std::int32_t> ParseKYReply(std::string_view body) {
    return digitAt(body, 0);
}

std::optional<std::int32_t> ParsePAReply(std::string_view body) {
    return flagAt(body, 0);
}
std::optional<std::int32_t> ParseFRReply(std::string_view body) {
    return flagAt(body, 0);
}
std::optional<std::int32_t> ParseFTReply(std::string_view body) {
    return flagAt(body, 0);
}
std::optional<std::int32_t> ParseLKReply(std::string_view body) {
    return flagAt(body, 0);
}

std::optional<std::int32_t> ParseKSReply(std::string_view body) {
    return decimal(body);
}
std::optional<std::int32_t> ParseSQReply(std::string_view body) {
    return decimal(body);
}
std::optional<std::int32_t> ParseBGReply(std::string_view body) {
    return decimal(body);
}
