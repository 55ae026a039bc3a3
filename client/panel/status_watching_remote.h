#pragma once

// The front panel's view of the server's answers.
//
// RefusalText maps a status a RadioComm operation answered with to the words
// the panel's status line shows; 0 (done) has none.
//
// StatusWatchingRemote sits between the panel and the program's PanelRemote:
// it forwards every call unchanged and hands each status the server answered
// with to the panel's answer handler, so no call site can forget to look at
// it. A failed call (no status) is the failure handler's business and is not
// handed on. GUI thread only.

#include <cstdint>
#include <functional>
#include <string>
#include <utility>

#include "client/panel/panel_remote.h"

// "Radio port not open", "Not connected to Brakton", "Invalid value" or
// "Brakton error 0x%07X"; empty for 0.
std::string RefusalText(std::int32_t status);

class StatusWatchingRemote final : public PanelRemote {
  public:
    using AnswerHandler = std::function<void(std::int32_t status)>;

    // `inner` is not owned and outlives this object.
    explicit StatusWatchingRemote(PanelRemote& inner) : m_inner(inner) {}

    // Runs for every answered call, 0 included, before the call returns.
    void setAnswerHandler(AnswerHandler handler) { m_answered = std::move(handler); }

    void setFailureHandler(FailureHandler handler) override {
        m_inner.setFailureHandler(std::move(handler));
    }
    bool resolve(std::chrono::milliseconds orbReadyWait) override {
        return m_inner.resolve(orbReadyWait);
    }
    bool isNil() const override { return m_inner.isNil(); }
    void reset() override { m_inner.reset(); }
    bool EchoString(const std::string& text) override { return m_inner.EchoString(text); }

    RemoteStatus Connect(const std::string& clientName) override {
        return watch(m_inner.Connect(clientName));
    }
    RemoteStatus Disconnect() override { return watch(m_inner.Disconnect()); }
    RemoteStatus ReadHAMRadioBandInfo(HamRadioBandInfo& bandInfo) override {
        return watch(m_inner.ReadHAMRadioBandInfo(bandInfo));
    }
    RemoteStatus ReadVFOFreqCache(LastFreqVisitArray& freqCache) override {
        return watch(m_inner.ReadVFOFreqCache(freqCache));
    }
    RemoteStatus WriteVFOFreqCache(const LastFreqVisitArray& freqCache) override {
        return watch(m_inner.WriteVFOFreqCache(freqCache));
    }
    RemoteStatus GetInitialRadioInfo() override { return watch(m_inner.GetInitialRadioInfo()); }
    RemoteStatus RITTuning(int direction, int amount) override {
        return watch(m_inner.RITTuning(direction, amount));
    }
    RemoteStatus DownloadRadioInfo(const RadioMemInfo& radioInfo) override {
        return watch(m_inner.DownloadRadioInfo(radioInfo));
    }
    RemoteStatus QueryRFAmpStatus(int& rfAmpStatus) override {
        return watch(m_inner.QueryRFAmpStatus(rfAmpStatus));
    }
    RemoteStatus Antenna(int action, int antennaNo) override {
        return watch(m_inner.Antenna(action, antennaNo));
    }
    RemoteStatus MoveActiveVFOFreq(int direction, int step) override {
        return watch(m_inner.MoveActiveVFOFreq(direction, step));
    }
    RemoteStatus VFOFreq(int action, int vfo, std::int32_t frequency) override {
        return watch(m_inner.VFOFreq(action, vfo, frequency));
    }
    RemoteStatus NoiseBlanker(int action, int value) override {
        return watch(m_inner.NoiseBlanker(action, value));
    }
    RemoteStatus ReceiverAGC(int action, int value) override {
        return watch(m_inner.ReceiverAGC(action, value));
    }
    RemoteStatus ReceiverPreamp(int action, int enable) override {
        return watch(m_inner.ReceiverPreamp(action, enable));
    }
    RemoteStatus ReceiverAttenuator(int action, int enable) override {
        return watch(m_inner.ReceiverAttenuator(action, enable));
    }
    RemoteStatus XFILSelection(int action, int bandwidth, int filter) override {
        return watch(m_inner.XFILSelection(action, bandwidth, filter));
    }
    RemoteStatus AFILSelection(int action, int value) override {
        return watch(m_inner.AFILSelection(action, value));
    }
    RemoteStatus OperatingMode(int action, int mode) override {
        return watch(m_inner.OperatingMode(action, mode));
    }
    RemoteStatus CWKeyerSpeed(int action, int keyerSpeed) override {
        return watch(m_inner.CWKeyerSpeed(action, keyerSpeed));
    }
    RemoteStatus RFPowerOutput(int action, int power, int range) override {
        return watch(m_inner.RFPowerOutput(action, power, range));
    }
    RemoteStatus ChangeBand(int direction) override { return watch(m_inner.ChangeBand(direction)); }
    RemoteStatus TransceiverRecvVFOAssignment(int action, int vfo) override {
        return watch(m_inner.TransceiverRecvVFOAssignment(action, vfo));
    }
    RemoteStatus TransceiverTxVFOAssignment(int action, int vfo) override {
        return watch(m_inner.TransceiverTxVFOAssignment(action, vfo));
    }
    RemoteStatus RITControl(int action, int enable) override {
        return watch(m_inner.RITControl(action, enable));
    }
    RemoteStatus XITControl(int action, int enable) override {
        return watch(m_inner.XITControl(action, enable));
    }
    RemoteStatus IncrementalOffsetTuning(int direction) override {
        return watch(m_inner.IncrementalOffsetTuning(direction));
    }
    RemoteStatus ClearFineRITOffset() override { return watch(m_inner.ClearFineRITOffset()); }
    RemoteStatus LockVFO(int action, int enable) override {
        return watch(m_inner.LockVFO(action, enable));
    }
    RemoteStatus TuneTransmitter() override { return watch(m_inner.TuneTransmitter()); }
    RemoteStatus KeyboardCW(const std::string& cwText) override {
        return watch(m_inner.KeyboardCW(cwText));
    }
    RemoteStatus AbortKeyboardCW() override { return watch(m_inner.AbortKeyboardCW()); }
    RemoteStatus EmulateKeySwitch(int key) override { return watch(m_inner.EmulateKeySwitch(key)); }
    RemoteStatus FrequencyScan(std::int32_t scanLimitLow, std::int32_t scanLimitHigh) override {
        return watch(m_inner.FrequencyScan(scanLimitLow, scanLimitHigh));
    }
    RemoteStatus SquelchLevel(int action, int value) override {
        return watch(m_inner.SquelchLevel(action, value));
    }
    RemoteStatus EnableStatusQuery(int enable) override {
        return watch(m_inner.EnableStatusQuery(enable));
    }

  private:
    RemoteStatus watch(RemoteStatus status) {
        if (status && m_answered) {
            m_answered(*status);
        }
        return status;
    }

    PanelRemote& m_inner;
    AnswerHandler m_answered;
};
