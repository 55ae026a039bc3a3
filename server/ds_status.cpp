#include "server/ds_status.h"

namespace brakton {

namespace {

constexpr int kDsCode = 5;
constexpr std::size_t kMinDsLength = 14;

struct IndicatorBits {
    const char* text;
    std::uint8_t first;
    std::uint8_t second;  // 0: the second byte does not repaint it
};

constexpr IndicatorBits kIndicators[kIndCount] = {
    {"NB", 0x40, 0x40},   {"ANT2", 0x20, 0},   {"PRE", 0x10, 0},    {"ATT", 0x08, 0x08},
    {"VFOB", 0x04, 0x04}, {"RIT", 0x02, 0x02}, {"XIT", 0x01, 0x01},
};

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

std::optional<DsStatus> parseDsReply(int code, std::string_view text) {
    if (code != kDsCode || text.size() < kMinDsLength || text.substr(0, 2) != "DS") {
        return std::nullopt;
    }
    const std::string_view tail = text.substr(text.size() - 4);
    const auto first = hexByte(tail.substr(0, 2));
    const auto second = hexByte(tail.substr(2, 2));
    if (!first || !second) {
        return std::nullopt;
    }
    return DsStatus{std::string(text.substr(2, text.size() - 6)), *first, *second};
}

std::array<std::uint32_t, kIndCount> indicatorColors(std::uint8_t first, std::uint8_t second) {
    std::array<std::uint32_t, kIndCount> colors{};
    for (int i = 0; i < kIndCount; ++i) {
        colors[i] = (first & kIndicators[i].first) != 0 ? kIndicatorOn : kIndicatorOff;
        if ((second & kIndicators[i].second) != 0) {
            colors[i] = kIndicatorSecond;
        }
    }
    return colors;
}

const char* indicatorText(int indicator) {
    return indicator >= 0 && indicator < kIndCount ? kIndicators[indicator].text : "";
}

}  // namespace brakton
