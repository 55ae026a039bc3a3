// The tuning and RIT sliders' arithmetic, the echo latch and the typed
// frequency.

#include <cctype>
#include <cstdlib>

#include "client/panel/front_panel_model.h"

namespace {

// Trackbar notification codes, as the sliders report them.
enum : int {
    TB_LINEUP = 0,
    TB_LINEDOWN = 1,
    TB_PAGEUP = 2,
    TB_PAGEDOWN = 3,
    TB_THUMBPOSITION = 4,
    TB_THUMBTRACK = 5,
    TB_ENDTRACK = 8,
};

}  // namespace

bool FrontPanelModel::EchoAwaited(Clock::time_point now) {
    if (m_bAwaitFreqEcho != 0 && now >= m_awaitDeadline) {
        m_bAwaitFreqEcho = 0;
    }
    return m_bAwaitFreqEcho != 0;
}

void FrontPanelModel::ArmEcho(std::uint32_t hz, Clock::time_point now) {
    m_bAwaitFreqEcho = 1;
    m_ulAwaitedFreq = hz;
    m_awaitDeadline = now + kEchoWait;
}

// The thumb is compared with what was last sent while its echo is awaited:
// the radio's reports of older positions must neither hold the radio back
// nor stop the thumb from going back to one of them. The latch is armed only
// for a frequency that really went out, so it always has an echo to wait for
// (or its second to run out).
std::optional<std::uint32_t> FrontPanelModel::OnTuningSlider(int code, int position, bool connected,
                                                             Clock::time_point now) {
    if (m_bVFOLocked != 0) {
        return std::nullopt;
    }
    const std::uint32_t f = position > 0 ? static_cast<std::uint32_t>(position) * 10U : 0U;
    m_nTuningPos = position;
    if (m_bInVFOTurboMode != 0) {
        // Turbo: the radio is retuned once, when the thumb is let go.
        m_ulTurboFreq = f;
        m_strActiveFreq = FormatKHz(f);
        if (code != TB_ENDTRACK || f == 0 || !connected) {
            return std::nullopt;
        }
        ArmEcho(f, now);
        return f;
    }
    const std::uint32_t reference = EchoAwaited(now) ? m_ulAwaitedFreq : RxFrequency();
    if (f == reference || f == 0) {
        return std::nullopt;
    }
    m_strActiveFreq = FormatKHz(f);
    if (!connected) {
        return std::nullopt;
    }
    ArmEcho(f, now);
    return f;
}

std::optional<FrontPanelModel::RitTuning> FrontPanelModel::OnRitSlider(int code, int position) {
    int& pos = m_nRITSliderPos;
    switch (code) {
        case TB_LINEUP:
            if (pos > 10) {
                pos -= 10;
            }
            break;
        case TB_LINEDOWN:
            if (pos <= 1990) {
                pos += 10;
            }
            break;
        case TB_PAGEUP:
            if (pos <= 1950) {
                pos += 50;
            }
            break;
        case TB_PAGEDOWN:
            if (pos >= 50) {
                pos -= 50;
            }
            break;
        case TB_THUMBPOSITION:
        case TB_THUMBTRACK:
            pos = position;
            break;
        case TB_ENDTRACK: {
            const int d = (pos - 1000) - m_nRITOffset;
            return RitTuning{d >= 0 ? 1 : 2, std::abs(d)};
        }
        default:
            break;
    }
    return std::nullopt;
}

// kHz with an optional fraction, read digit by digit: "14060.01" is exactly
// 14060010 Hz, digits past the Hz are rounded half up.
std::optional<std::uint32_t> ParseFrequencyEntry(std::string_view text) {
    const auto blank = [](char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; };
    while (!text.empty() && blank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && blank(text.back())) {
        text.remove_suffix(1);
    }
    constexpr std::uint64_t kMaxHz = 30000000;  // 30000 kHz
    std::uint64_t hz = 0;
    std::size_t i = 0;
    bool digits = false;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        hz = hz * 10 + static_cast<std::uint64_t>(text[i] - '0');
        digits = true;
        if (hz > kMaxHz) {  // kHz so far: far too many already
            return std::nullopt;
        }
    }
    hz *= 1000;
    if (i < text.size() && text[i] == '.') {
        ++i;
        std::uint64_t scale = 100;
        bool roundUp = false;
        bool pastHz = false;
        for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
            const auto digit = static_cast<std::uint64_t>(text[i] - '0');
            digits = true;
            if (scale > 0) {
                hz += digit * scale;
                scale /= 10;
            } else if (!pastHz) {
                roundUp = digit >= 5;
                pastHz = true;
            }
        }
        hz += roundUp ? 1 : 0;
    }
    if (!digits || i != text.size() || hz == 0 || hz > kMaxHz) {
        return std::nullopt;
    }
    return static_cast<std::uint32_t>(hz);
}
