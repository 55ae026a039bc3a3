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

    RemoteStatus Connect(const std::string& clientName) override {
        if (!record("Connect")) {
            return std::nullopt;
        }
        m_connectNames.push_back(clientName);
        return answer("Connect");
    }
    RemoteStatus Disconnect() override {
        if (!record("Disconnect")) {
            return std::nullopt;
        }
        return answer("Disconnect");
    }
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
    RemoteStatus WriteVFOFreqCache(const LastFreqVisitArray& /*freqCache*/) override {
        if (!record("WriteVFOFreqCache")) {
            return std::nullopt;
        }
        return answer("WriteVFOFreqCache");
    }
    RemoteStatus GetInitialRadioInfo() override {
        if (!record("GetInitialRadioInfo")) {
            return std::nullopt;
        }
        return answer("GetInitialRadioInfo");
    }
    RemoteStatus RITTuning(int /*direction*/, int /*amount*/) override {
        if (!record("RITTuning")) {
            return std::nullopt;
        }
        return answer("RITTuning");
    }
    RemoteStatus DownloadRadioInfo(const RadioMemInfo& /*radioInfo*/) override {
        if (!record("DownloadRadioInfo")) {
            return std::nullopt;
        }
        return answer("DownloadRadioInfo");
    }
    RemoteStatus QueryRFAmpStatus(int& rfAmpStatus) override {
        if (!record("QueryRFAmpStatus")) {
            return std::nullopt;
        }
        rfAmpStatus = m_rfAmp;
        return answer("QueryRFAmpStatus");
    }
    RemoteStatus Antenna(int /*action*/, int /*antennaNo*/) override {
        if (!record("Antenna")) {
            return std::nullopt;
        }
        return answer("Antenna");
    }
    RemoteStatus MoveActiveVFOFreq(int /*direction*/, int /*step*/) override {
        if (!record("MoveActiveVFOFreq")) {
            return std::nullopt;
        }
        return answer("MoveActiveVFOFreq");
    }
    RemoteStatus VFOFreq(int /*action*/, int /*vfo*/, std::int32_t /*frequency*/) override {
        if (!record("VFOFreq")) {
            return std::nullopt;
        }
        return answer("VFOFreq");
    }
    RemoteStatus NoiseBlanker(int /*action*/, int /*value*/) override {
        if (!record("NoiseBlanker")) {
            return std::nullopt;
        }
        return answer("NoiseBlanker");
    }
    RemoteStatus ReceiverAGC(int /*action*/, int /*value*/) override {
        if (!record("ReceiverAGC")) {
            return std::nullopt;
        }
        return answer("ReceiverAGC");
    }
    RemoteStatus ReceiverPreamp(int /*action*/, int /*enable*/) override {
        if (!record("ReceiverPreamp")) {
            return std::nullopt;
        }
        return answer("ReceiverPreamp");
    }
    RemoteStatus ReceiverAttenuator(int /*action*/, int /*enable*/) override {
        if (!record("ReceiverAttenuator")) {
            return std::nullopt;
        }
        return answer("ReceiverAttenuator");
    }
    RemoteStatus XFILSelection(int /*action*/, int /*bandwidth*/, int /*filter*/) override {
        if (!record("XFILSelection")) {
            return std::nullopt;
        }
        return answer("XFILSelection");
    }
    RemoteStatus AFILSelection(int /*action*/, int /*value*/) override {
        if (!record("AFILSelection")) {
            return std::nullopt;
        }
        return answer("AFILSelection");
    }
    RemoteStatus OperatingMode(int /*action*/, int /*mode*/) override {
        if (!record("OperatingMode")) {
            return std::nullopt;
        }
        return answer("OperatingMode");
    }
    RemoteStatus CWKeyerSpeed(int /*action*/, int /*keyerSpeed*/) override {
        if (!record("CWKeyerSpeed")) {
            return std::nullopt;
        }
        return answer("CWKeyerSpeed");
    }
    RemoteStatus RFPowerOutput(int /*action*/, int /*power*/, int /*range*/) override {
        if (!record("RFPowerOutput")) {
            return std::nullopt;
        }
        return answer("RFPowerOutput");
    }
    RemoteStatus ChangeBand(int /*direction*/) override {
        if (!record("ChangeBand")) {
            return std::nullopt;
        }
        return answer("ChangeBand");
    }
    RemoteStatus TransceiverRecvVFOAssignment(int /*action*/, int /*vfo*/) override {
        if (!record("TransceiverRecvVFOAssignment")) {
            return std::nullopt;
        }
        return answer("TransceiverRecvVFOAssignment");
    }
    RemoteStatus TransceiverTxVFOAssignment(int /*action*/, int /*vfo*/) override {
        if (!record("TransceiverTxVFOAssignment")) {
            return std::nullopt;
        }
        return answer("TransceiverTxVFOAssignment");
    }
    RemoteStatus RITControl(int /*action*/, int /*enable*/) override {
        if (!record("RITControl")) {
            return std::nullopt;
        }
        return answer("RITControl");
    }
    RemoteStatus XITControl(int /*action*/, int /*enable*/) override {
        if (!record("XITControl")) {
            return std::nullopt;
        }
        return answer("XITControl");
    }
    RemoteStatus IncrementalOffsetTuning(int /*direction*/) override {
        if (!record("IncrementalOffsetTuning")) {
            return std::nullopt;
        }
        return answer("IncrementalOffsetTuning");
    }
    RemoteStatus ClearFineRITOffset() override {
        if (!record("ClearFineRITOffset")) {
            return std::nullopt;
        }
        return answer("ClearFineRITOffset");
    }
    RemoteStatus LockVFO(int /*action*/, int /*enable*/) override {
        if (!record("LockVFO")) {
            return std::nullopt;
        }
        return answer("LockVFO");
    }
    RemoteStatus TuneTransmitter() override {
        if (!record("TuneTransmitter")) {
            return std::nullopt;
        }
        return answer("TuneTransmitter");
    }
    RemoteStatus KeyboardCW(const std::string& /*cwText*/) override {
        if (!record("KeyboardCW")) {
            return std::nullopt;
        }
        return answer("KeyboardCW");
    }
    RemoteStatus AbortKeyboardCW() override {
        if (!record("AbortKeyboardCW")) {
            return std::nullopt;
        }
        return answer("AbortKeyboardCW");
    }
    RemoteStatus EmulateKeySwitch(int /*key*/) override {
        if (!record("EmulateKeySwitch")) {
            return std::nullopt;
        }
        return answer("EmulateKeySwitch");
    }
    RemoteStatus FrequencyScan(std::int32_t /*scanLimitLow*/,
                               std::int32_t /*scanLimitHigh*/) override {
        if (!record("FrequencyScan")) {
            return std::nullopt;
        }
        return answer("FrequencyScan");
    }
    RemoteStatus SquelchLevel(int /*action*/, int /*value*/) override {
        if (!record("SquelchLevel")) {
            return std::nullopt;
        }
        return answer("SquelchLevel");
    }
    RemoteStatus EnableStatusQuery(int /*enable*/) override {
        if (!record("EnableStatusQuery")) {
            return std::nullopt;
        }
        return answer("EnableStatusQuery");
    }

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
