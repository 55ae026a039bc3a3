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

}  // namespace

std::optional<DsStatus> parseDsReply(int code, std::string_view text) {
    if (code != kDsCode || text.size() < kMinDsLength || text.substr(0, 2) != "DS") {
        return std::nullopt;
    }
    return ReadDisplayStatus(text.substr(2));
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
