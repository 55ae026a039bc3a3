#pragma once

// PanelRemote: the server as the front panel sees it. The panel calls the
// server only through this interface, so its tests can stand a recording fake
// in for the server; ProxyPanelRemote (proxy_panel_remote.h) forwards to the
// one RadioCommProxy of the program.
//
// The operations and their results are those of RadioCommProxy: std::nullopt
// (false for EchoString) after a failure, which has already run the failure
// handler. GUI thread only.

#include <chrono>
#include <cstdint>
#include <string>

#include "client/base/radio_comm_proxy.h"

class PanelRemote {
  public:
    using FailureHandler = RadioCommProxy::FailureHandler;

    virtual ~PanelRemote() = default;

    virtual void setFailureHandler(FailureHandler handler) = 0;
    // Waits for the client's ORB, then looks the server up; true when it is
    // held. A failure does not run the failure handler.
    virtual bool resolve(std::chrono::milliseconds orbReadyWait) = 0;
    virtual bool isNil() const = 0;
    virtual void reset() = 0;

    virtual RemoteStatus Connect(const std::string& clientName) = 0;
    virtual RemoteStatus Disconnect() = 0;
    virtual bool EchoString(const std::string& text) = 0;
    virtual RemoteStatus ReadHAMRadioBandInfo(HamRadioBandInfo& bandInfo) = 0;
    virtual RemoteStatus ReadVFOFreqCache(LastFreqVisitArray& freqCache) = 0;
    virtual RemoteStatus WriteVFOFreqCache(const LastFreqVisitArray& freqCache) = 0;
    virtual RemoteStatus GetInitialRadioInfo() = 0;
    virtual RemoteStatus RITTuning(int direction, int amount) = 0;
    virtual RemoteStatus DownloadRadioInfo(const RadioMemInfo& radioInfo) = 0;
    virtual RemoteStatus QueryRFAmpStatus(int& rfAmpStatus) = 0;
    virtual RemoteStatus Antenna(int action, int antennaNo) = 0;
    virtual RemoteStatus MoveActiveVFOFreq(int direction, int step) = 0;
    virtual RemoteStatus VFOFreq(int action, int vfo, std::int32_t frequency) = 0;
    virtual RemoteStatus NoiseBlanker(int action, int value) = 0;
    virtual RemoteStatus ReceiverAGC(int action, int value) = 0;
    virtual RemoteStatus ReceiverPreamp(int action, int enable) = 0;
    virtual RemoteStatus ReceiverAttenuator(int action, int enable) = 0;
    virtual RemoteStatus XFILSelection(int action, int bandwidth, int filter) = 0;
    virtual RemoteStatus AFILSelection(int action, int value) = 0;
    virtual RemoteStatus OperatingMode(int action, int mode) = 0;
    virtual RemoteStatus CWKeyerSpeed(int action, int keyerSpeed) = 0;
    virtual RemoteStatus RFPowerOutput(int action, int power, int range) = 0;
    virtual RemoteStatus ChangeBand(int direction) = 0;
    virtual RemoteStatus TransceiverRecvVFOAssignment(int action, int vfo) = 0;
    virtual RemoteStatus TransceiverTxVFOAssignment(int action, int vfo) = 0;
    virtual RemoteStatus RITControl(int action, int enable) = 0;
    virtual RemoteStatus XITControl(int action, int enable) = 0;
    virtual RemoteStatus IncrementalOffsetTuning(int direction) = 0;
    virtual RemoteStatus ClearFineRITOffset() = 0;
    virtual RemoteStatus LockVFO(int action, int enable) = 0;
    virtual RemoteStatus TuneTransmitter() = 0;
    virtual RemoteStatus KeyboardCW(const std::string& cwText) = 0;
    virtual RemoteStatus AbortKeyboardCW() = 0;
    virtual RemoteStatus EmulateKeySwitch(int key) = 0;
    virtual RemoteStatus FrequencyScan(std::int32_t scanLimitLow, std::int32_t scanLimitHigh) = 0;
    virtual RemoteStatus SquelchLevel(int action, int value) = 0;
    virtual RemoteStatus EnableStatusQuery(int enable) = 0;

  protected:
    PanelRemote() = default;
    PanelRemote(const PanelRemote&) = default;
    PanelRemote& operator=(const PanelRemote&) = default;
};
