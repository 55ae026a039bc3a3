#pragma once

// A stand-in for the server behind the front panel: records every call by
// its operation's name, answers with scripted out-arguments, and fails the
// operations it is told to the way the real proxy does (the failure handler
// runs, the call returns nothing). Answers 0 unless m_answers names another
// status for the operation.

#include <chrono>
#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "client/panel/panel_remote.h"

class FakePanelRemote : public PanelRemote {
  public:
    FakePanelRemote() {
        // A plausible band table: band i spans [low, high], VFO bank in the middle.
        const std::int32_t edges[9][2] = {
            {28000000, 29700000}, {24890000, 24990000}, {21000000, 21450000},
            {18068000, 18168000}, {14000000, 14350000}, {10100000, 10150000},
            {7000000, 7300000},   {3500000, 4000000},   {1800000, 2000000}};
        for (int i = 0; i < 9; ++i) {
            m_bands.Info[static_cast<std::size_t>(i)] = {i, edges[i][0], edges[i][1]};
            m_cache.VfoBank[static_cast<std::size_t>(i)] = {edges[i][0] + 1000, edges[i][0] + 2000};
        }
    }

    void setFailureHandler(FailureHandler handler) override { m_handler = std::move(handler); }
    bool resolve(std::chrono::milliseconds orbReadyWait) override {
        m_calls.push_back("resolve");
        m_resolveWait = orbReadyWait;
        m_nil = !m_resolveOk;
        return m_resolveOk;
    }
    bool isNil() const override { return m_nil; }
    void reset() override {
        m_calls.push_back("reset");
        m_nil = true;
    }

// A plain operation: recorded by name, failing as told, answering its status.
#define FAKE_OP(Name, Params)           \
    RemoteStatus Name Params override { \
        if (!record(#Name)) {           \
            return std::nullopt;        \
        }                               \
        return answer(#Name);           \
    }
    RemoteStatus Connect(const std::string& clientName) override {
        if (!record("Connect")) {
            return std::nullopt;
        }
        m_connectNames.push_back(clientName);
        return answer("Connect");
    }
    FAKE_OP(Disconnect, ())
    bool EchoString(const std::string& text) override {
        if (!record("EchoString")) {
            return false;
        }
        m_echoed.push_back(text);
        return true;
    }
    RemoteStatus ReadHAMRadioBandInfo(HamRadioBandInfo& bandInfo) override {
        if (!record("ReadHAMRadioBandInfo")) {
            return std::nullopt;
        }
        bandInfo = m_bands;
        return answer("ReadHAMRadioBandInfo");
    }
    RemoteStatus ReadVFOFreqCache(LastFreqVisitArray& freqCache) override {
        if (!record("ReadVFOFreqCache")) {
            return std::nullopt;
        }
        freqCache = m_cache;
        return answer("ReadVFOFreqCache");
    }
    FAKE_OP(WriteVFOFreqCache, (const LastFreqVisitArray& /*freqCache*/))
    FAKE_OP(GetInitialRadioInfo, ())
    FAKE_OP(RITTuning, (int /*direction*/, int /*amount*/))
    FAKE_OP(DownloadRadioInfo, (const RadioMemInfo& /*radioInfo*/))
    RemoteStatus QueryRFAmpStatus(int& rfAmpStatus) override {
        if (!record("QueryRFAmpStatus")) {
            return std::nullopt;
        }
        rfAmpStatus = m_rfAmp;
        return answer("QueryRFAmpStatus");
    }
    FAKE_OP(Antenna, (int /*action*/, int /*antennaNo*/))
    FAKE_OP(MoveActiveVFOFreq, (int /*direction*/, int /*step*/))
    FAKE_OP(VFOFreq, (int /*action*/, int /*vfo*/, std::int32_t /*frequency*/))
    FAKE_OP(NoiseBlanker, (int /*action*/, int /*value*/))
    FAKE_OP(ReceiverAGC, (int /*action*/, int /*value*/))
    FAKE_OP(ReceiverPreamp, (int /*action*/, int /*enable*/))
    FAKE_OP(ReceiverAttenuator, (int /*action*/, int /*enable*/))
    FAKE_OP(XFILSelection, (int /*action*/, int /*bandwidth*/, int /*filter*/))
    FAKE_OP(AFILSelection, (int /*action*/, int /*value*/))
    FAKE_OP(OperatingMode, (int /*action*/, int /*mode*/))
    FAKE_OP(CWKeyerSpeed, (int /*action*/, int /*keyerSpeed*/))
    FAKE_OP(RFPowerOutput, (int /*action*/, int /*power*/, int /*range*/))
    FAKE_OP(ChangeBand, (int /*direction*/))
    FAKE_OP(TransceiverRecvVFOAssignment, (int /*action*/, int /*vfo*/))
    FAKE_OP(TransceiverTxVFOAssignment, (int /*action*/, int /*vfo*/))
    FAKE_OP(RITControl, (int /*action*/, int /*enable*/))
    FAKE_OP(XITControl, (int /*action*/, int /*enable*/))
    FAKE_OP(IncrementalOffsetTuning, (int /*direction*/))
    FAKE_OP(ClearFineRITOffset, ())
    FAKE_OP(LockVFO, (int /*action*/, int /*enable*/))
    FAKE_OP(TuneTransmitter, ())
    FAKE_OP(KeyboardCW, (const std::string& /*cwText*/))
    FAKE_OP(AbortKeyboardCW, ())
    FAKE_OP(EmulateKeySwitch, (int /*key*/))
    FAKE_OP(FrequencyScan, (std::int32_t /*scanLimitLow*/, std::int32_t /*scanLimitHigh*/))
    FAKE_OP(SquelchLevel, (int /*action*/, int /*value*/))
    FAKE_OP(EnableStatusQuery, (int /*enable*/))
#undef FAKE_OP

    // Calls since the last clear, by name.
    std::vector<std::string> m_calls;
    std::vector<std::string> m_connectNames;
    std::vector<std::string> m_echoed;
    // Operations that fail from now on, as a dead server would.
    std::set<std::string> m_failing;
    // The status an operation answers with from now on (0 when not named).
    std::map<std::string, std::int32_t> m_answers;
    bool m_resolveOk = true;
    bool m_nil = true;
    std::chrono::milliseconds m_resolveWait{0};
    HamRadioBandInfo m_bands;
    LastFreqVisitArray m_cache;
    int m_rfAmp = 1;

    int count(const std::string& name) const {
        int n = 0;
        for (const std::string& call : m_calls) {
            n += call == name ? 1 : 0;
        }
        return n;
    }

  private:
    std::int32_t answer(const char* name) const {
        const auto it = m_answers.find(name);
        return it != m_answers.end() ? it->second : 0;
    }

    bool record(const char* name) {
        m_calls.emplace_back(name);
        if (m_nil || m_failing.count(name) != 0) {
            if (m_handler) {
                m_handler(RemoteFailure{name, "TRANSIENT", true});
            }
            return false;
        }
        return true;
    }

    FailureHandler m_handler;
};
