#pragma once

// ProxyPanelRemote: the panel's server interface over the program's
// RadioCommProxy (not owned; it outlives the panel). Pure forwarding.
// GUI thread only.

#include <utility>

#include "client/base/radio_comm_proxy.h"
#include "client/panel/panel_remote.h"

class ProxyPanelRemote final : public PanelRemote {
  public:
    explicit ProxyPanelRemote(RadioCommProxy& proxy) : m_proxy(proxy) {}

    void setFailureHandler(FailureHandler handler) override {
        m_proxy.setFailureHandler(std::move(handler));
    }
    bool resolve(std::chrono::milliseconds orbReadyWait) override {
        return m_proxy.resolve(orbReadyWait);
    }
    bool isNil() const override { return m_proxy.isNil(); }
    void reset() override { m_proxy.reset(); }

    RemoteStatus Connect(const std::string& clientName) override {
        return m_proxy.Connect(clientName);
    }
    RemoteStatus Disconnect() override { return m_proxy.Disconnect(); }
    bool EchoString(const std::string& text) override { return m_proxy.EchoString(text); }
    RemoteStatus ReadHAMRadioBandInfo(HamRadioBandInfo& bandInfo) override {
        return m_proxy.ReadHAMRadioBandInfo(bandInfo);
    }
    RemoteStatus ReadVFOFreqCache(LastFreqVisitArray& freqCache) override {
        return m_proxy.ReadVFOFreqCache(freqCache);
    }
    RemoteStatus WriteVFOFreqCache(const LastFreqVisitArray& freqCache) override {
        return m_proxy.WriteVFOFreqCache(freqCache);
    }
    RemoteStatus GetInitialRadioInfo() override { return m_proxy.GetInitialRadioInfo(); }
    RemoteStatus RITTuning(int direction, int amount) override {
        return m_proxy.RITTuning(direction, amount);
    }
    RemoteStatus DownloadRadioInfo(const RadioMemInfo& radioInfo) override {
        return m_proxy.DownloadRadioInfo(radioInfo);
    }
    RemoteStatus QueryRFAmpStatus(int& rfAmpStatus) override {
        return m_proxy.QueryRFAmpStatus(rfAmpStatus);
    }
    RemoteStatus Antenna(int action, int antennaNo) override {
        return m_proxy.Antenna(action, antennaNo);
    }
    RemoteStatus MoveActiveVFOFreq(int direction, int step) override {
        return m_proxy.MoveActiveVFOFreq(direction, step);
    }
    RemoteStatus VFOFreq(int action, int vfo, std::int32_t frequency) override {
        return m_proxy.VFOFreq(action, vfo, frequency);
    }
    RemoteStatus NoiseBlanker(int action, int value) override {
        return m_proxy.NoiseBlanker(action, value);
    }
    RemoteStatus ReceiverAGC(int action, int value) override {
        return m_proxy.ReceiverAGC(action, value);
    }
    RemoteStatus ReceiverPreamp(int action, int enable) override {
        return m_proxy.ReceiverPreamp(action, enable);
    }
    RemoteStatus ReceiverAttenuator(int action, int enable) override {
        return m_proxy.ReceiverAttenuator(action, enable);
    }
    RemoteStatus XFILSelection(int action, int bandwidth, int filter) override {
        return m_proxy.XFILSelection(action, bandwidth, filter);
    }
    RemoteStatus AFILSelection(int action, int value) override {
        return m_proxy.AFILSelection(action, value);
    }
    RemoteStatus OperatingMode(int action, int mode) override {
        return m_proxy.OperatingMode(action, mode);
    }
    RemoteStatus CWKeyerSpeed(int action, int keyerSpeed) override {
        return m_proxy.CWKeyerSpeed(action, keyerSpeed);
    }
    RemoteStatus RFPowerOutput(int action, int power, int range) override {
        return m_proxy.RFPowerOutput(action, power, range);
    }
    RemoteStatus ChangeBand(int direction) override { return m_proxy.ChangeBand(direction); }
    RemoteStatus TransceiverRecvVFOAssignment(int action, int vfo) override {
        return m_proxy.TransceiverRecvVFOAssignment(action, vfo);
    }
    RemoteStatus TransceiverTxVFOAssignment(int action, int vfo) override {
        return m_proxy.TransceiverTxVFOAssignment(action, vfo);
    }
    RemoteStatus RITControl(int action, int enable) override {
        return m_proxy.RITControl(action, enable);
    }
    RemoteStatus XITControl(int action, int enable) override {
        return m_proxy.XITControl(action, enable);
    }
    RemoteStatus IncrementalOffsetTuning(int direction) override {
        return m_proxy.IncrementalOffsetTuning(direction);
    }
    RemoteStatus ClearFineRITOffset() override { return m_proxy.ClearFineRITOffset(); }
    RemoteStatus LockVFO(int action, int enable) override {
        return m_proxy.LockVFO(action, enable);
    }
    RemoteStatus TuneTransmitter() override { return m_proxy.TuneTransmitter(); }
    RemoteStatus KeyboardCW(const std::string& cwText) override {
        return m_proxy.KeyboardCW(cwText);
    }
    RemoteStatus AbortKeyboardCW() override { return m_proxy.AbortKeyboardCW(); }
    RemoteStatus EmulateKeySwitch(int key) override { return m_proxy.EmulateKeySwitch(key); }
    RemoteStatus FrequencyScan(std::int32_t scanLimitLow, std::int32_t scanLimitHigh) override {
        return m_proxy.FrequencyScan(scanLimitLow, scanLimitHigh);
    }
    RemoteStatus SquelchLevel(int action, int value) override {
        return m_proxy.SquelchLevel(action, value);
    }
    RemoteStatus EnableStatusQuery(int enable) override {
        return m_proxy.EnableStatusQuery(enable);
    }

  private:
    RadioCommProxy& m_proxy;
};
