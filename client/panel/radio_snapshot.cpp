#include "client/panel/radio_snapshot.h"

#include "client/panel/front_panel_model.h"

namespace {

std::int32_t flag(int value) {
    return value != 0 ? 1 : 0;
}

}  // namespace

RADIO_SNAPSHOT BuildRadioSnapshot(const FrontPanelModel& m) {
    RADIO_SNAPSHOT s;
    using W = RADIO_SNAPSHOT::Word;
    // Frequencies are below 2^31 Hz; the word keeps their bits either way.
    s.words[W::VfoA] = static_cast<std::int32_t>(m.m_ulVFOAFreq);
    s.words[W::VfoB] = static_cast<std::int32_t>(m.m_ulVFOBFreq);
    s.words[W::OpMode] = m.m_nOpMode;
    s.words[W::XFIL] = m.m_nXFIL;
    s.words[W::XFILBandwidth] = m.m_nXFILBandwidth;
    s.words[W::AFIL] = m.m_nAFIL;
    s.words[W::AGC] = m.m_nAGC;
    s.words[W::NB] = m.m_nNB;
    s.words[W::CWSpeed] = m.m_nCWSpeed;
    s.words[W::Antenna] = m.m_nAntenna;
    s.words[W::RFPower] = m.m_nRFPower;
    s.words[W::RxVFO] = m.m_nRxVFO;
    s.words[W::TxVFO] = m.m_nTxVFO;
    s.words[W::Preamp] = flag(m.m_bPreamp);
    s.words[W::Attenuator] = flag(m.m_bAttenuator);
    s.words[W::RITOffset] = m.m_nRITOffset;
    s.words[W::RITOn] = flag(m.m_bRITOn);
    s.words[W::XITOn] = flag(m.m_bXITOn);
    s.words[W::Band] = m.m_CurTuningRange.nBand;
    s.bRadioAnswered = m.m_bConnected != 0 && m.m_bRadioAnswered != 0;
    return s;
}

std::string EncodeRadioSnapshot(const RADIO_SNAPSHOT& snapshot) {
    std::string bytes;
    bytes.reserve(RADIO_SNAPSHOT::kBytes);
    for (const std::int32_t word : snapshot.words) {
        const auto u = static_cast<std::uint32_t>(word);
        for (int shift = 0; shift < 32; shift += 8) {
            bytes.push_back(static_cast<char>((u >> shift) & 0xFFu));
        }
    }
    return bytes;
}

std::optional<RADIO_SNAPSHOT> DecodeRadioSnapshot(std::string_view bytes) {
    if (bytes.size() != RADIO_SNAPSHOT::kBytes) {
        return std::nullopt;
    }
    RADIO_SNAPSHOT snapshot;
    for (std::size_t i = 0; i < RADIO_SNAPSHOT::kWords; ++i) {
        std::uint32_t u = 0;
        for (std::size_t b = 0; b < 4; ++b) {
            u |= static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[i * 4 + b]))
                 << (8 * b);
        }
        snapshot.words[i] = static_cast<std::int32_t>(u);
    }
    return snapshot;
}

RadioMemInfo SnapshotToRadioMemInfo(const RADIO_SNAPSHOT& s) {
    using W = RADIO_SNAPSHOT::Word;
    RadioMemInfo info;
    info.ulVFOA_Freq = s[W::VfoA];
    info.ulVFOB_Freq = s[W::VfoB];
    info.uiOpMode = s[W::OpMode];
    info.uiXFIL = s[W::XFIL];
    info.uiCurXFILBW = s[W::XFILBandwidth];
    info.uiAFIL = s[W::AFIL];
    info.uiAGC = s[W::AGC];
    info.uiNB = s[W::NB];
    info.uiCWSpeed = s[W::CWSpeed];
    info.uiAntPos = s[W::Antenna];
    info.iRFPower = s[W::RFPower];
    info.uiActiveRxVFO = s[W::RxVFO];
    info.uiActiveTxVFO = s[W::TxVFO];
    info.bPreAmpMode = s[W::Preamp];
    info.bAttMode = s[W::Attenuator];
    info.iIncTuneReading = s[W::RITOffset];
    info.bRITEnable = s[W::RITOn];
    info.bXITEnable = s[W::XITOn];
    return info;
}
