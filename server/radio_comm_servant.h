#pragma once

// CRadioCommServant: the server's RadioComm object, the client's way to the
// radio.
//
// The ORB thread makes one on the heap and activates it in its child POA
// (main-thread model), so every operation runs on the ORB thread, one at a
// time; the POA's destruction deactivates it and drops the last reference.
// Each operation logs one line, bounded to 79 bytes with client text only ever
// an argument of the format. The 38 radio operations answer
// K2ERR_CLIENT_NOT_CONNECTED until the client has called Connect, and again
// once the connect-back of that Connect has given up; otherwise they return
// what the radio link returns. The band and VFO operations and
// QueryRFAmpStatus work on the settings store at any time.
//
// The servant's own state is touched on the ORB thread only and needs no
// lock; it reaches other threads through the log sink, the radio object, the
// store and its host (the application: connect-back, disconnect, notice).

#include <string>

#include "RadioComm.hh"
#include "idl/orb_thread.h"
#include "radiolink/radio_services.h"
#include "server/radio_commands.h"
#include "server/server_registry_store.h"

// What the servant asks of the application.
class ServantHost {
  public:
    virtual ~ServantHost() = default;
    // Starts the wait for the client's callback object (Connect), named
    // `clientName` in the log.
    virtual bool StartConnectBackThread(const std::string& clientName) = 0;
    // The newest connect-back gave up: the client must connect again.
    virtual bool ConnectBackGaveUp() const = 0;
    // Call-backs and status polling off; returns after the 2 s pause.
    virtual void OnClientDisconnect() = 0;
    // Tells the audio program that a client connected.
    virtual void PostSpeakFreelyNotice() = 0;
};

// One log line of the servant: printf formatting, cut to kMaxServantLogLine
// bytes without splitting a UTF-8 character.
inline constexpr std::size_t kMaxServantLogLine = 79;
std::string FormatServantLine(const char* format, ...) __attribute__((format(printf, 1, 2)));

class CRadioCommServant final : public PoaServant<POA_RadioComm> {
  public:
    CRadioCommServant(PortableServer::POA_ptr poa, RadioCommands& radio,
                      brakton::CServerRegistryStore& store, LogSink& log, ServantHost& host);

    CORBA::Long Connect(const char* ClientName) override;
    CORBA::Long Disconnect() override;
    void EchoString(const char* Text) override;
    CORBA::Long ReadHAMRadioBandInfo(HAMRADIO_BAND_INFO& BandInfo) override;
    CORBA::Long ReadVFOFreqCache(LAST_FREQ_VISIT_ARRAY& FreqCache) override;
    CORBA::Long WriteVFOFreqCache(const LAST_FREQ_VISIT_ARRAY& FreqCache) override;
    CORBA::Long GetInitialRadioInfo() override;
    CORBA::Long RITTuning(CORBA::Short Direction, CORBA::Short Amount) override;
    CORBA::Long DownloadRadioInfo(const RADIO_MEM_INFO& RadioInfo) override;
    CORBA::Long QueryRFAmpStatus(CORBA::Short& RFAmpStatus) override;
    CORBA::Long AutoInfo(CORBA::Short Action, CORBA::Short Value) override;
    CORBA::Long CommandMode(CORBA::Short Action, CORBA::Short Value) override;
    CORBA::Long Antenna(CORBA::Short Action, CORBA::Short AntennaNo) override;
    CORBA::Long ReadBarGraphLevel() override;
    CORBA::Long MoveActiveVFOFreq(CORBA::Short Direction, CORBA::Short Step) override;
    CORBA::Long ReadDisplay(CORBA::String_out DisplayText, CORBA::Short& DisplayStatus1,
                            CORBA::Short& DisplayStatus2) override;
    CORBA::Long VFOFreq(CORBA::Short Action, CORBA::Short Vfo, CORBA::Long Frequency) override;
    CORBA::Long NoiseBlanker(CORBA::Short Action, CORBA::Short Value) override;
    CORBA::Long ReceiverAGC(CORBA::Short Action, CORBA::Short Value) override;
    CORBA::Long ReceiverPreamp(CORBA::Short Action, CORBA::Short Enable) override;
    CORBA::Long ReceiverAttenuator(CORBA::Short Action, CORBA::Short Enable) override;
    CORBA::Long XFILSelection(CORBA::Short Action, CORBA::Short Bandwidth,
                              CORBA::Short Filter) override;
    CORBA::Long AFILSelection(CORBA::Short Action, CORBA::Short Value) override;
    CORBA::Long OperatingMode(CORBA::Short Action, CORBA::Short Mode) override;
    CORBA::Long ReadTransceiverInfo() override;
    CORBA::Long CWKeyerSpeed(CORBA::Short Action, CORBA::Short KeyerSpeed) override;
    CORBA::Long RFPowerOutput(CORBA::Short Action, CORBA::Short Power, CORBA::Short Range) override;
    CORBA::Long ChangeBand(CORBA::Short Direction) override;
    CORBA::Long TransceiverRecvVFOAssignment(CORBA::Short Action, CORBA::Short Vfo) override;
    CORBA::Long TransceiverTxVFOAssignment(CORBA::Short Action, CORBA::Short Vfo) override;
    CORBA::Long GetTransceiverPowerOnStatus() override;
    CORBA::Long RITControl(CORBA::Short Action, CORBA::Short Enable) override;
    CORBA::Long XITControl(CORBA::Short Action, CORBA::Short Enable) override;
    CORBA::Long IncrementalOffsetTuning(CORBA::Short Direction) override;
    CORBA::Long ClearFineRITOffset() override;
    CORBA::Long LockVFO(CORBA::Short Action, CORBA::Short Enable) override;
    CORBA::Long TuneTransmitter() override;
    CORBA::Long SendDiagnosticData(const char* CommandText) override;
    CORBA::Long QueryKeyboardCWTxStatus() override;
    CORBA::Long KeyboardCW(const char* CWText) override;
    CORBA::Long AbortKeyboardCW() override;
    CORBA::Long EmulateKeySwitch(CORBA::Short Key) override;
    CORBA::Long FrequencyScan(CORBA::Long ScanLimitLow, CORBA::Long ScanLimitHigh) override;
    CORBA::Long SquelchLevel(CORBA::Short Action, CORBA::Short Value) override;
    CORBA::Long EnableStatusQuery(CORBA::Short Enable) override;

  private:
    void Log(const std::string& line);
    // The radio link's status, or K2ERR_CLIENT_NOT_CONNECTED before Connect.
    template <class Call>
    CORBA::Long Radio(Call&& call);

    RadioCommands& m_radio;
    brakton::CServerRegistryStore& m_store;
    LogSink& m_log;
    ServantHost& m_host;

    bool m_bConnected = false;
    std::string m_szClientName;
    // Working copies start from the defaults, so a value the store cannot
    // supply is sent as its default rather than as garbage.
    brakton::BandEdgeTable m_BandInfo = brakton::CServerRegistryStore::DefaultBandInfo();
    brakton::VfoFrequencyTable m_VFOCache = brakton::CServerRegistryStore::DefaultVFOFrequencies();
};
