#include "client/panel/front_panel_model.h"

#include <algorithm>
#include <cstdio>

std::optional<SliderWindow> ComputeSliderWindow(int span, std::int64_t f,
                                                const PanelTuningRange& band) {
    if (span < 0 || span >= static_cast<int>(SpanTable.size())) {
        return std::nullopt;
    }
    const bool known = band.IsKnown();
    const std::int64_t bandLow = band.ulLowBandEdge;
    const std::int64_t bandHigh = band.ulHighBandEdge;
    if (span == 0) {
        // The whole band; without one there is nothing to show.
        if (!known) {
            return std::nullopt;
        }
        return SliderWindow{bandLow, bandHigh};
    }
    const std::int64_t w = SpanTable[static_cast<std::size_t>(span)].width;
    SliderWindow window{f - w / 2, f + w / 2};
    if (known) {
        if (window.low < bandLow) {
            window.low = bandLow;
            window.high = bandLow + w;
        } else if (window.high > bandHigh) {
            window.high = bandHigh;
            window.low = bandHigh - w;
        }
        // A band narrower than the span: the band is the window.
        window.low = std::max(window.low, bandLow);
        window.high = std::min(window.high, bandHigh);
    } else if (window.low < 0) {
        window.low = 0;
        window.high = w;
    }
    window.low = std::max<std::int64_t>(window.low, 0);
    return window;
}

std::string FormatKHz(std::int64_t hz) {
    char text[64];
    std::snprintf(text, sizeof text, "%10.2f", static_cast<double>(hz) / 1000.0);
    return text;
}

std::string FrontPanelModel::PowerText() const {
    const double watts = m_bHighPowerRange != 0 ? m_nRFPower : m_nRFPower / 10.0;
    char text[64];
    std::snprintf(text, sizeof text, "%6.1f", watts);
    return text;
}

std::string FrontPanelModel::RitValueText() const {
    return std::to_string(m_nRITSliderPos - 1000);
}

void FrontPanelModel::SetTuningSliderWindow(std::int64_t f) {
    if (const auto window = ComputeSliderWindow(m_nTuningSpan, f, m_CurTuningRange)) {
        m_ulSliderLow = window->low;
        m_ulSliderHigh = window->high;
    }
    m_nTuningPos = f / 10;
    m_strActiveFreq = FormatKHz(f);
}

void FrontPanelModel::MarkLinkUp() {
    m_connectToBk = panel_colors::kConnected;
    m_connectToText = panel_colors::kBlack;
    m_strConnectTo = "   LAN";
    m_bServerNoticeSeen = 1;
}

void FrontPanelModel::MarkLinkDown() {
    m_bConnected = 0;
    m_bRadioAnswered = 0;
    m_connectToBk = panel_colors::kFace;
    m_connectToText = panel_colors::kBlack;
    m_strConnectTo = "None";
    m_bServerNoticeSeen = 0;
}
