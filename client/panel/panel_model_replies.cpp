// Radio replies into the panel's members and looks, and the display setters.

#include <cstdio>
#include <utility>

#include "client/panel/front_panel_layout.h"
#include "client/panel/front_panel_model.h"
#include "radiolink/display_reply.h"
#include "radiolink/k2_reply_codes.h"
#include "radiolink/k2_reply_decoders.h"

using namespace front_panel;

namespace {

constexpr std::uint32_t kLampOn = 0x00FF00;
constexpr std::uint32_t kMeterGreen = 0x22C10B;
constexpr std::uint32_t kMeterAmber = 0x24BCE8;
constexpr std::uint32_t kMeterRed = 0x2E17F4;
constexpr std::uint32_t kIndicatorOn = 0x00FFFF;
constexpr std::uint32_t kIndicatorSecond = 0xFFC0C0;
constexpr std::uint32_t kEditSplitTx = 0x550BEA;
constexpr std::uint32_t kEditSplitRx = 0xEF1032;
constexpr std::uint32_t kEditRit = 0xCE759F;
constexpr std::uint32_t kEditXit = 0x7653DF;

// The status bits of the indicators NB, ANT2, PRE, ATT, VFOB, RIT, XIT.
constexpr std::array<int, 7> kIndicatorBits = {0x40, 0x20, 0x10, 0x08, 0x04, 0x02, 0x01};
// Bits of the second status byte that are shown, in the same order.
constexpr std::array<int, 7> kSecondByteBits = {0x40, 0, 0, 0x08, 0x04, 0x02, 0x01};

// A frequency reply's value as Hz; a negative number is no frequency.
std::optional<std::uint32_t> FrequencyOf(std::optional<std::int32_t> value) {
    if (!value || *value < 0) {
        return std::nullopt;
    }
    return static_cast<std::uint32_t>(*value);
}

// FA, FB and IF carry their frequency as eleven digits; a reply with anything
// else there is garbled, not a shorter frequency.
bool ElevenDigits(std::string_view body) {
    if (body.size() < 11) {
        return false;
    }
    for (std::size_t i = 0; i < 11; ++i) {
        if (body[i] < '0' || body[i] > '9') {
            return false;
        }
    }
    return true;
}

bool Inside(std::uint32_t hz, const PanelTuningRange& range) {
    return range.IsKnown() && hz >= range.ulLowBandEdge && hz <= range.ulHighBandEdge;
}

}  // namespace

// Replies DS, BG and everything else. The text starts with its two letters;
// the decoders take what follows them.
FrontPanelModel::ReplyEffect FrontPanelModel::ParseRadioReply(int code, std::string_view text,
                                                              Clock::time_point now) {
    if (text.size() < 2) {
        return ReplyEffect::None;
    }
    m_bRadioAnswered = 1;
    const std::string_view body = text.substr(2);
    switch (code) {
        case K2_CMD_AN:
            if (const auto v = ParseANReply(body)) {
                ShowAntenna(*v);
                return ReplyEffect::Displays;
            }
            break;
        case K2_CMD_BG:
            if (const auto v = ParseBGReply(body)) {
                m_nBarGraph = *v;
                ShowBarGraph(*v);
                return ReplyEffect::BarGraph;
            }
            break;
        case K2_CMD_DS:
            // Display characters, then the two status bytes as four hex
            // digits at the very end.
            //   DS  7040.00c100   -> banner "  7040.00", status 0xC1 0x00
            if (auto status = ReadDisplayStatus(body)) {
                m_strBanner = std::move(status->display);
                for (std::size_t i = 0; i < m_indicatorBk.size(); ++i) {
                    m_indicatorBk[i] = (status->first & kIndicatorBits[i]) != 0
                                           ? kIndicatorOn
                                           : panel_colors::kFace;
                    if ((status->second & kSecondByteBits[i]) != 0) {
                        m_indicatorBk[i] = kIndicatorSecond;
                    }
                }
                return ReplyEffect::Banner;
            }
            break;
        case K2_CMD_FA:
        case K2_CMD_FB:
            if (!ElevenDigits(body)) {
                break;
            }
            if (const auto hz = FrequencyOf(ParseFreqReply(body))) {
                ShowFrequency(code == K2_CMD_FA ? 0 : 1, *hz, now);
                return ReplyEffect::Displays;
            }
            break;
        case K2_CMD_FR:
            if (const auto v = ParseFRReply(body)) {
                m_nRxVFO = *v != 0 ? 1 : 0;
                ApplyVfoLamps(m_nRxVFO, m_nRxVFO);
                FollowFrequency(RxFrequency(), false);
                return ReplyEffect::Displays;
            }
            break;
        case K2_CMD_FT:
            if (const auto v = ParseFTReply(body)) {
                m_nTxVFO = *v != 0 ? 1 : 0;
                ApplyVfoLamps(m_nRxVFO, m_nTxVFO);
                return ReplyEffect::Displays;
            }
            break;
        case K2_CMD_FW:
            if (const auto fw = ParseFWReply(body)) {
                m_nXFILBandwidth = fw->bandwidth;
                ShowXFIL(fw->filter);
                ShowAFIL(fw->audioFilter);
                m_strXFILBandwidth = std::to_string(fw->bandwidth);
                return ReplyEffect::Displays;
            }
            break;
        case K2_CMD_GT:
            if (const auto v = ParseGTReply(body)) {
                ShowAGC(*v);
                return ReplyEffect::Displays;
            }
            break;
        case K2_CMD_IF:
            if (!ElevenDigits(body)) {
                break;
            }
            if (const auto info = ParseIFReply(body)) {
                const auto hz = FrequencyOf(info->frequencyHz);
                if (!hz) {
                    break;
                }
                m_nRxVFO = info->activeVfo != 0 ? 1 : 0;
                (m_nRxVFO == 0 ? m_ulVFOAFreq : m_ulVFOBFreq) = *hz;
                m_nTxVFO = info->split != 0 ? 1 - m_nRxVFO : m_nRxVFO;
                ApplyVfoLamps(m_nRxVFO, m_nTxVFO);
                FollowFrequency(*hz, true);
                StoreInBank(*hz, m_nRxVFO);
                m_bRITOn = info->ritOn != 0 ? 1 : 0;
                m_bXITOn = info->xitOn != 0 ? 1 : 0;
                ApplyRitLamps();
                m_nRITOffset = info->offset;
                EnableRITControls(m_bRITOn != 0 || m_bXITOn != 0 ? 1 : 0);
                m_strRITOffset = std::to_string(m_nRITOffset);
                m_nRITSliderPos = m_nRITOffset + 1000;
                ShowOpMode(info->mode);
                return ReplyEffect::Displays;
            }
            break;
        case K2_CMD_KS:
            if (const auto v = ParseKSReply(body)) {
                m_nCWSpeed = *v;
                return ReplyEffect::Displays;
            }
            break;
        case K2_CMD_LK:
            if (const auto v = ParseLKReply(body)) {
                m_bVFOLocked = *v != 0 ? 1 : 0;
                return ReplyEffect::Displays;
            }
            break;
        case K2_CMD_MD:
            if (const auto v = ParseMDReply(body)) {
                ShowOpMode(*v);
                return ReplyEffect::Displays;
            }
            break;
        case K2_CMD_NB:
            if (const auto v = ParseNBReply(body)) {
                ShowNB(*v);
                return ReplyEffect::Displays;
            }
            break;
        case K2_CMD_PA:
            if (const auto v = ParsePAReply(body)) {
                ShowPreamp(*v);
                return ReplyEffect::Displays;
            }
            break;
        case K2_CMD_PC:
            if (const auto pc = ParsePCReply(body)) {
                m_nRFPower = pc->power;
                m_bHighPowerRange = pc->range != 0 ? 1 : 0;
                return ReplyEffect::Displays;
            }
            break;
        case K2_CMD_RA:
            if (const auto v = ParseRAReply(body)) {
                ShowAttenuator(*v);
                return ReplyEffect::Displays;
            }
            break;
        case K2_CMD_SQ:
            if (const auto v = ParseSQReply(body)) {
                m_nSquelch = *v;
                return ReplyEffect::Displays;
            }
            break;
        default:
            // KY is decoded by nobody here; the others carry nothing the
            // panel shows.
            break;
    }
    return ReplyEffect::None;
}

// FA and FB. While the tuning slider awaits its echo, reports of the receive
// VFO with another frequency move the member and its readout only.
void FrontPanelModel::ShowFrequency(int vfo, std::uint32_t hz, Clock::time_point now) {
    (vfo == 0 ? m_ulVFOAFreq : m_ulVFOBFreq) = hz;
    if (m_nRxVFO == vfo && EchoAwaited(now)) {
        if (hz != m_ulAwaitedFreq) {
            return;
        }
        m_bAwaitFreqEcho = 0;
    }
    if (m_nRxVFO == vfo) {
        FollowFrequency(hz, true);
    }
    StoreInBank(hz, vfo);
}

void FrontPanelModel::FollowFrequency(std::uint32_t hz, bool lookUp) {
    const std::int64_t f = hz;
    if (f < m_ulSliderLow || f > m_ulSliderHigh) {
        if (lookUp && m_findTuningRange) {
            if (auto range = m_findTuningRange(hz)) {
                m_CurTuningRange = std::move(*range);
            }
        }
        SetTuningSliderWindow(f);
    }
    m_nTuningPos = f / 10;
    m_strActiveFreq = FormatKHz(f);
}

// Only a frequency of the current band goes into the bank: a report outside
// every band would otherwise end up in some band's slot, go to the server at
// exit and be tuned to at the next pick of that band.
void FrontPanelModel::StoreInBank(std::uint32_t hz, int column) {
    const int band = m_CurTuningRange.nBand;
    if (band < 0 || band >= static_cast<int>(m_VfoBank.size()) || column < 0 || column > 1) {
        return;
    }
    m_nBandSel = band;
    if (Inside(hz, m_CurTuningRange)) {
        m_VfoBank[static_cast<std::size_t>(band)][static_cast<std::size_t>(column)] = hz;
    }
}

void FrontPanelModel::ApplyVfoLamps(int rxVfo, int txVfo) {
    m_lampFace[IDC_VFOA_TX] = txVfo == 0 ? kLampOn : panel_colors::kFace;
    m_lampFace[IDC_VFOA_RX] = rxVfo == 0 ? kLampOn : panel_colors::kFace;
    m_lampFace[IDC_VFOB_TX] = txVfo == 1 ? kLampOn : panel_colors::kFace;
    m_lampFace[IDC_VFOB_RX] = rxVfo == 1 ? kLampOn : panel_colors::kFace;
}

void FrontPanelModel::ApplyRitLamps() {
    m_lampFace[IDC_RIT] = m_bRITOn != 0 ? kLampOn : panel_colors::kFace;
    m_lampFace[IDC_XIT] = m_bXITOn != 0 ? kLampOn : panel_colors::kFace;
}

std::uint32_t FrontPanelModel::VfoEditColor(int vfo) const {
    if (m_nRxVFO == m_nTxVFO) {
        return vfo == m_nRxVFO ? panel_colors::kVfoInUse : panel_colors::kFace;
    }
    return vfo == m_nTxVFO ? kEditSplitTx : kEditSplitRx;
}

std::uint32_t FrontPanelModel::RitOffsetEditColor() const {
    if (m_bRITOn != 0) {
        return kEditRit;
    }
    return m_bXITOn != 0 ? kEditXit : panel_colors::kFace;
}

namespace {

template <std::size_t N>
bool ShowOneOf(std::map<int, int>& looks, const std::array<std::pair<int, int>, N>& buttons,
               int value) {
    bool known = false;
    for (const auto& [v, id] : buttons) {
        known = known || v == value;
    }
    if (known) {
        for (const auto& [v, id] : buttons) {
            looks[id] = v == value ? 1 : 0;
        }
    }
    return known;
}

}  // namespace

void FrontPanelModel::ShowOpMode(int mode) {
    static constexpr std::array<std::pair<int, int>, 6> kModes = {{{1, IDC_MODE_LSB},
                                                                   {2, IDC_MODE_USB},
                                                                   {3, IDC_MODE_CW},
                                                                   {6, IDC_MODE_RTTY},
                                                                   {7, IDC_MODE_CWR},
                                                                   {9, IDC_MODE_RTTYR}}};
    ShowOneOf(m_buttonOn, kModes, mode);
    m_nOpMode = mode;
}

void FrontPanelModel::ShowAGC(int agc) {
    static constexpr std::array<std::pair<int, int>, 3> kAgc = {
        {{0, IDC_AGC_OFF}, {2, IDC_AGC_FAST}, {4, IDC_AGC_SLOW}}};
    ShowOneOf(m_buttonOn, kAgc, agc);
    m_nAGC = agc;
}

void FrontPanelModel::ShowXFIL(int filter) {
    static constexpr std::array<std::pair<int, int>, 4> kFilters = {
        {{1, IDC_XFIL1}, {2, IDC_XFIL2}, {3, IDC_XFIL3}, {4, IDC_XFIL4}}};
    ShowOneOf(m_buttonOn, kFilters, filter);
    m_nXFIL = filter;
}

void FrontPanelModel::ShowAFIL(int afil) {
    if (afil == 0) {
        m_strAFILButton = "AFIL: OFF";
    } else if (afil == 1 || afil == 2) {
        m_strAFILButton = "AFIL: " + std::to_string(afil);
    }
    m_nAFIL = afil;
}

void FrontPanelModel::ShowNB(int nb) {
    if (nb == 0) {
        m_strNBButton = "NB: OFF";
    } else if (nb == 1 || nb == 2) {
        m_strNBButton = "NB: " + std::to_string(nb);
    }
    m_nNB = nb;
}

void FrontPanelModel::ShowAntenna(int antenna) {
    if (antenna == 1 || antenna == 2) {
        m_strAntennaButton = "ANT: " + std::to_string(antenna);
    }
    m_nAntenna = antenna;
}

void FrontPanelModel::ShowPreamp(int on) {
    m_buttonOn[IDC_PREAMP] = on != 0 ? 1 : 0;
    m_bPreamp = on != 0 ? 1 : 0;
}

void FrontPanelModel::ShowAttenuator(int on) {
    m_buttonOn[IDC_ATT] = on != 0 ? 1 : 0;
    m_bAttenuator = on != 0 ? 1 : 0;
}

void FrontPanelModel::EnableRITControls(int enable) {
    if (enable != 0) {
        m_nRITSliderPos = m_nRITOffset + 1000;
    }
    m_bRITControlsEnabled = enable != 0 ? 1 : 0;
}

// Levels 0-11 light one lamp (level mod 10), 13-22 a bar from lamp 0; 12 and
// anything else none.
void FrontPanelModel::ShowBarGraph(int level) {
    for (const int id : kSMeterLampIds) {
        m_lampFace[id] = panel_colors::kFace;
    }
    if (level >= 0 && level <= 11) {
        m_lampFace[kSMeterLampIds[static_cast<std::size_t>(level % 10)]] = kMeterGreen;
    } else if (level >= 13 && level <= 22) {
        for (int lamp = 0; lamp <= level - 13; ++lamp) {
            const std::uint32_t face = lamp <= 5   ? kMeterGreen
                                       : lamp <= 7 ? kMeterAmber
                                                   : kMeterRed;
            m_lampFace[kSMeterLampIds[static_cast<std::size_t>(lamp)]] = face;
        }
    }
}
