#pragma once

// The client's one handle on the server's RadioComm object.
//
// Usage (GUI thread):
//
//     RadioCommProxy radio;
//     radio.setFailureHandler([this](const RemoteFailure&) { panelDisconnected(); });
//     if (!radio.resolve(std::chrono::seconds(5))) { /* no server: box, status */ }
//     if (auto status = radio.Connect("Pelorin")) { /* *status is the server's code */ }
//     HamRadioBandInfo bands;
//     if (radio.ReadHAMRadioBandInfo(bands)) { /* bands filled */ }
//
// Every operation goes through callServer with the IDL operation's name and a
// 10 s call time-out, so a dead or hung server costs at most that wait. On a
// failure the proxy writes "CORBA Exception in <op>" or "Unknown exception in
// <op>" and the exception to standard error, runs the failure handler and
// returns std::nullopt (false for EchoString); out-arguments are left as they
// were. The reference stays as it is after a failure: reset() drops it.
//
// A call on a proxy that holds no reference fails the same way (name
// "OBJECT_NOT_EXIST"), so a caller never reaches a nil reference.
//
// No ORB type appears here. Shorts of the IDL are taken as int and cut to
// 16 bits; longs are std::int32_t. Not thread-safe: the GUI thread owns it.

#include <array>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

// Plain mirrors of the IDL structures, members in the IDL's order.
struct RadioMemInfo {
    std::int32_t ulVFOA_Freq = 0;
    std::int32_t ulVFOB_Freq = 0;
    int uiOpMode = 0;
    int uiXFIL = 0;
    int uiCurXFILBW = 0;
    int uiAFIL = 0;
    int uiAGC = 0;
    int uiNB = 0;
    int uiCWSpeed = 0;
    int uiAntPos = 0;
    int iRFPower = 0;
    int uiActiveRxVFO = 0;
    int uiActiveTxVFO = 0;
    int bPreAmpMode = 0;
    int bAttMode = 0;
    int iIncTuneReading = 0;
    int bRITEnable = 0;
    int bXITEnable = 0;
};

struct RadioBandInfo {
    int uiBandFreq = 0;  // band index 0-8 as the server fills it
    std::int32_t ulLowBandEdge = 0;
    std::int32_t ulHighBandEdge = 0;
};

// In Pelorin's namespace, beside its store: Brakton's store has a band count of its own.
namespace pelorin {
constexpr int kBandCount = 9;  // 10, 12, 15, 17, 20, 30, 40, 80, 160 m
}  // namespace pelorin

struct HamRadioBandInfo {
    std::array<RadioBandInfo, pelorin::kBandCount> Info{};
};

// VfoBank[band][0] is VFO A, [band][1] VFO B, in Hz.
struct LastFreqVisitArray {
    std::array<std::array<std::int32_t, 2>, pelorin::kBandCount> VfoBank{};
};

// What went wrong with one call.
struct RemoteFailure {
    std::string operation;  // "Connect", "ReadVFOFreqCache", ...
    std::string name;       // exception name: "TRANSIENT", "TIMEOUT", ...
    bool corba = false;     // a CORBA exception (false: anything else)
};

using RemoteStatus = std::optional<std::int32_t>;

class RadioCommProxy {
  public:
    using FailureHandler = std::function<void(const RemoteFailure&)>;

    RadioCommProxy();
    ~RadioCommProxy();
    RadioCommProxy(const RadioCommProxy&) = delete;
    RadioCommProxy& operator=(const RadioCommProxy&) = delete;

    // Runs after the failure line is written, on the calling thread. It may
    // call reset() but must not call through this proxy.
    void setFailureHandler(FailureHandler handler);

    // Waits at most `orbReadyWait` for the client's ORB thread to finish its
    // set-up, binds the callback object as "RadioCmdNotification" (again),
    // then looks "RadioComm" up in the naming service. True when the binding
    // holds and a RadioComm reference is held. A failure writes its line to
    // standard error, leaves the proxy nil and does not run the handler: the
    // caller reports a failed connect its own way.
    bool resolve(std::chrono::milliseconds orbReadyWait);

    bool isNil() const;
    void reset();  // drops the reference

    // Asks the server whether it still knows the held object
    // (_non_existent(), which its servant leaves to the ORB: no line in its
    // log), without holding the caller: a thread of its own makes the call on
    // a reference of its own, with the same call time-out, and then runs
    // `answer` on that thread: true when the server answered that it knows
    // the object; false when it answered that it does not, or the call failed
    // (the failure line is written; the failure handler does not run). False,
    // and nothing asked, while no reference is held.
    using AliveAnswer = std::function<void(bool alive)>;
    bool askAlive(AliveAnswer answer) const;

    RemoteStatus Connect(const std::string& clientName);
    RemoteStatus Disconnect();
    bool EchoString(const std::string& text);
    RemoteStatus ReadHAMRadioBandInfo(HamRadioBandInfo& bandInfo);
    RemoteStatus ReadVFOFreqCache(LastFreqVisitArray& freqCache);
    RemoteStatus WriteVFOFreqCache(const LastFreqVisitArray& freqCache);
    RemoteStatus GetInitialRadioInfo();
    RemoteStatus RITTuning(int direction, int amount);
    RemoteStatus DownloadRadioInfo(const RadioMemInfo& radioInfo);
    RemoteStatus QueryRFAmpStatus(int& rfAmpStatus);
    RemoteStatus Antenna(int action, int antennaNo);
    RemoteStatus MoveActiveVFOFreq(int direction, int step);
    RemoteStatus VFOFreq(int action, int vfo, std::int32_t frequency);
    RemoteStatus NoiseBlanker(int action, int value);
    RemoteStatus ReceiverAGC(int action, int value);
    RemoteStatus ReceiverPreamp(int action, int enable);
    RemoteStatus ReceiverAttenuator(int action, int enable);
    RemoteStatus XFILSelection(int action, int bandwidth, int filter);
    RemoteStatus AFILSelection(int action, int value);
    RemoteStatus OperatingMode(int action, int mode);
    RemoteStatus CWKeyerSpeed(int action, int keyerSpeed);
    RemoteStatus RFPowerOutput(int action, int power, int range);
    RemoteStatus ChangeBand(int direction);
    RemoteStatus TransceiverRecvVFOAssignment(int action, int vfo);
    RemoteStatus TransceiverTxVFOAssignment(int action, int vfo);
    RemoteStatus RITControl(int action, int enable);
    RemoteStatus XITControl(int action, int enable);
    RemoteStatus IncrementalOffsetTuning(int direction);
    RemoteStatus ClearFineRITOffset();
    RemoteStatus LockVFO(int action, int enable);
    RemoteStatus TuneTransmitter();
    RemoteStatus KeyboardCW(const std::string& cwText);
    RemoteStatus AbortKeyboardCW();
    RemoteStatus EmulateKeySwitch(int key);
    RemoteStatus FrequencyScan(std::int32_t scanLimitLow, std::int32_t scanLimitHigh);
    RemoteStatus SquelchLevel(int action, int value);
    RemoteStatus EnableStatusQuery(int enable);

  private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
    FailureHandler m_failureHandler;
};
