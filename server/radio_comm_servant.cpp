// Every operation runs on the server's one ORB thread, and while it runs no
// other client's call is served, so no operation may hold that thread longer
// than its own pauses add up to (each write to the radio gives up after 2 s).
// The longest sequences, each inside a caller's 10 s call time-out:
//   RITTuning(d, 5000)      500 "RU;"/"RD;" steps 10 ms apart: 5 s of pauses
//                           plus about 3.5 s of bytes at 4800 baud (larger
//                           amounts are refused; the client splits them)
//   Disconnect              call-backs off (100 ms), then the 2 s pause
//   GetInitialRadioInfo     13 queries 100 ms apart: 1.3 s
//   DownloadRadioInfo       9 commands 100 ms apart: 0.9 s
//   FrequencyScan           4 commands 100 ms apart: 0.3 s
// Connect only starts the connect-back thread; it never waits for it.

#include "server/radio_comm_servant.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/utf8_text.h"
#include "radiolink/k2_status.h"
#include "radiolink/string_limits.h"

namespace {

constexpr std::size_t kCWLogTextLimit = 65;  // "KeyboardCW:" + 65 + "..." = 79

// A client text as it arrives: at most `limit` bytes of it, cut on a
// character boundary, and whether the whole text fitted. Reads no more than
// limit + 1 bytes, so a text of any size costs no more than one that fits.
struct ArrivedText {
    std::string text;
    bool fits = true;
};

ArrivedText arrive(const char* text, std::size_t limit) {
    if (text == nullptr) {
        return {};
    }
    const std::size_t length = ::strnlen(text, limit + 1);
    if (length <= limit) {
        return {std::string(text, length), true};
    }
    return {cutUtf8(std::string_view(text, limit + 1), limit), false};
}

int width(const std::string& text) {
    return static_cast<int>(text.size());
}

CORBA::Long status(std::uint32_t code) {
    return static_cast<CORBA::Long>(code);
}

}  // namespace

std::string FormatServantLine(const char* format, ...) {
    va_list args;
    va_start(args, format);
    va_list again;
    va_copy(again, args);
    char small[kMaxServantLogLine + 2];
    const int needed = std::vsnprintf(small, sizeof small, format, args);
    va_end(args);
    std::string line;
    if (needed < 0) {
        line.clear();
    } else if (static_cast<std::size_t>(needed) < sizeof small) {
        line.assign(small, static_cast<std::size_t>(needed));
    } else {
        // A long client text: format it whole, then cut on a character boundary.
        std::vector<char> big(static_cast<std::size_t>(needed) + 1);
        std::vsnprintf(big.data(), big.size(), format, again);
        line.assign(big.data(), static_cast<std::size_t>(needed));
    }
    va_end(again);
    return cutUtf8(line, kMaxServantLogLine);
}

CRadioCommServant::CRadioCommServant(PortableServer::POA_ptr poa, RadioCommands& radio,
                                     brakton::CServerRegistryStore& store, LogSink& log,
                                     ServantHost& host)
    : PoaServant<POA_RadioComm>(poa), m_radio(radio), m_store(store), m_log(log), m_host(host) {}

void CRadioCommServant::Log(const std::string& line) {
    m_log.LogMessage(kLogTimeStamped, kLogInformation, line);
}

template <class Call>
CORBA::Long CRadioCommServant::Radio(Call&& call) {
    if (m_bConnected && m_host.ConnectBackGaveUp()) {
        // As a Disconnect leaves it, without its pause: nothing to switch off.
        m_bConnected = false;
        m_szClientName.clear();
    }
    if (!m_bConnected) {
        return status(K2ERR_CLIENT_NOT_CONNECTED);
    }
    return status(std::forward<Call>(call)());
}

// --- Client, store and log-only operations ---------------------------------------------------

CORBA::Long CRadioCommServant::Connect(const char* ClientName) {
    const ArrivedText name = arrive(ClientName, string_limits::kClientName);
    Log(FormatServantLine("Connect %.*s", width(name.text), name.text.data()));
    if (!name.fits) {
        return status(K2ERR_INVALID_PARAM);
    }
    m_bConnected = true;
    m_szClientName = name.text;
    m_host.PostSpeakFreelyNotice();
    m_host.StartConnectBackThread(m_szClientName);
    return 0;
}

CORBA::Long CRadioCommServant::Disconnect() {
    Log(FormatServantLine("Disconnect %s", m_szClientName.c_str()));
    if (m_bConnected) {
        m_host.OnClientDisconnect();
    }
    m_bConnected = false;
    m_szClientName.clear();
    return 0;
}

void CRadioCommServant::EchoString(const char* Text) {
    const ArrivedText text = arrive(Text, string_limits::kEchoText);
    Log(FormatServantLine("EchoString: %.*s", width(text.text), text.text.data()));
}

CORBA::Long CRadioCommServant::ReadHAMRadioBandInfo(HAMRADIO_BAND_INFO& BandInfo) {
    Log("ReadHAMRadioBandInfo");
    m_store.ReadBandInfo(m_BandInfo);
    for (int i = 0; i < brakton::kBandCount; ++i) {
        const auto band = static_cast<std::size_t>(i);
        BandInfo.Info[i].uiBandFreq = static_cast<CORBA::Short>(i);
        BandInfo.Info[i].ulLowBandEdge = static_cast<CORBA::Long>(m_BandInfo[band].lowEdge);
        BandInfo.Info[i].ulHighBandEdge = static_cast<CORBA::Long>(m_BandInfo[band].highEdge);
    }
    return 0;
}

CORBA::Long CRadioCommServant::ReadVFOFreqCache(LAST_FREQ_VISIT_ARRAY& FreqCache) {
    Log("ReadVFOFreqCache");
    m_store.ReadVFOFrequencies(m_VFOCache);
    for (int i = 0; i < brakton::kBandCount; ++i) {
        for (int v = 0; v < 2; ++v) {
            FreqCache.VfoBank[i][v] = static_cast<CORBA::Long>(
                m_VFOCache[static_cast<std::size_t>(i)][static_cast<std::size_t>(v)]);
        }
    }
    return 0;
}

CORBA::Long CRadioCommServant::WriteVFOFreqCache(const LAST_FREQ_VISIT_ARRAY& FreqCache) {
    Log("WriteVFOFreqCache");
    for (int i = 0; i < brakton::kBandCount; ++i) {
        for (int v = 0; v < 2; ++v) {
            // Stored bit for bit: a negative value reads back as itself.
            m_VFOCache[static_cast<std::size_t>(i)][static_cast<std::size_t>(v)] =
                static_cast<std::uint32_t>(FreqCache.VfoBank[i][v]);
        }
    }
    m_store.WriteVFOFrequencies(m_VFOCache);
    return 0;
}

CORBA::Long CRadioCommServant::QueryRFAmpStatus(CORBA::Short& RFAmpStatus) {
    Log("QueryRFAmpStatus");
    bool fitted = false;
    m_store.ReadPAOption(fitted);
    RFAmpStatus = fitted ? 1 : 0;
    return 0;
}

CORBA::Long CRadioCommServant::ReadBarGraphLevel() {
    Log("ReadBarGraphLevel");
    return Radio([] { return K2ERR_NONE; });
}

CORBA::Long CRadioCommServant::ReadDisplay(CORBA::String_out DisplayText,
                                           CORBA::Short& DisplayStatus1,
                                           CORBA::Short& DisplayStatus2) {
    Log("ReadDisplay");
    // The ORB cannot marshal a nil string: always hand back an empty one.
    DisplayText = CORBA::string_dup("");
    DisplayStatus1 = 0;
    DisplayStatus2 = 0;
    return Radio([] { return K2ERR_NONE; });
}

CORBA::Long CRadioCommServant::ReadTransceiverInfo() {
    Log("ReadTransceiverInfo");
    return Radio([] { return K2ERR_NONE; });
}

CORBA::Long CRadioCommServant::GetTransceiverPowerOnStatus() {
    Log("GetTransceiverPowerOnStatus");
    return Radio([] { return K2ERR_NONE; });
}

// --- Radio operations ------------------------------------------------------------------------

CORBA::Long CRadioCommServant::GetInitialRadioInfo() {
    Log("GetInitialRadioInfo");
    return Radio([&] { return m_radio.GetInitialRadioInfo(); });
}

CORBA::Long CRadioCommServant::RITTuning(CORBA::Short Direction, CORBA::Short Amount) {
    Log(FormatServantLine("RITTuning %d, %d", Direction, Amount));
    return Radio([&] { return m_radio.RITTuning(Direction, Amount); });
}

CORBA::Long CRadioCommServant::DownloadRadioInfo(const RADIO_MEM_INFO& RadioInfo) {
    Log("DownloadRadioInfo");
    RadioMemInfo state;
    state.ulVFOA_Freq = RadioInfo.ulVFOA_Freq;
    state.ulVFOB_Freq = RadioInfo.ulVFOB_Freq;
    state.uiOpMode = RadioInfo.uiOpMode;
    state.uiXFIL = RadioInfo.uiXFIL;
    state.uiCurXFILBW = RadioInfo.uiCurXFILBW;
    state.uiAFIL = RadioInfo.uiAFIL;
    state.uiAGC = RadioInfo.uiAGC;
    state.uiNB = RadioInfo.uiNB;
    state.uiCWSpeed = RadioInfo.uiCWSpeed;
    state.uiAntPos = RadioInfo.uiAntPos;
    state.iRFPower = RadioInfo.iRFPower;
    state.uiActiveRxVFO = RadioInfo.uiActiveRxVFO;
    state.uiActiveTxVFO = RadioInfo.uiActiveTxVFO;
    state.bPreAmpMode = RadioInfo.bPreAmpMode;
    state.bAttMode = RadioInfo.bAttMode;
    state.iIncTuneReading = RadioInfo.iIncTuneReading;
    state.bRITEnable = RadioInfo.bRITEnable;
    state.bXITEnable = RadioInfo.bXITEnable;
    return Radio([&] { return m_radio.DownloadRadioInfo(state); });
}

CORBA::Long CRadioCommServant::AutoInfo(CORBA::Short Action, CORBA::Short Value) {
    Log(FormatServantLine("AutoInfo %d, %d", Action, Value));
    return Radio([&] { return m_radio.AutoInfo(Action, Value); });
}

CORBA::Long CRadioCommServant::CommandMode(CORBA::Short Action, CORBA::Short Value) {
    Log(FormatServantLine("CommandMode %d, %d", Action, Value));
    return Radio([&] { return m_radio.CommandMode(Action, Value); });
}

CORBA::Long CRadioCommServant::Antenna(CORBA::Short Action, CORBA::Short AntennaNo) {
    Log(FormatServantLine("Antenna %d, %d", Action, AntennaNo));
    return Radio([&] { return m_radio.Antenna(Action, AntennaNo); });
}

CORBA::Long CRadioCommServant::MoveActiveVFOFreq(CORBA::Short Direction, CORBA::Short Step) {
    Log(FormatServantLine("MoveActiveVFOFreq %d, %d", Direction, Step));
    return Radio([&] { return m_radio.MoveActiveVFOFreq(Direction, Step); });
}

CORBA::Long CRadioCommServant::VFOFreq(CORBA::Short Action, CORBA::Short Vfo,
                                       CORBA::Long Frequency) {
    Log(FormatServantLine("VFOFreq %d, %d, %d", Action, Vfo, static_cast<int>(Frequency)));
    return Radio([&] { return m_radio.VFOFreq(Action, Vfo, Frequency); });
}

CORBA::Long CRadioCommServant::NoiseBlanker(CORBA::Short Action, CORBA::Short Value) {
    Log(FormatServantLine("NoiseBlanker %d, %d", Action, Value));
    return Radio([&] { return m_radio.NoiseBlanker(Action, Value); });
}

CORBA::Long CRadioCommServant::ReceiverAGC(CORBA::Short Action, CORBA::Short Value) {
    Log(FormatServantLine("ReceiverAGC %d, %d", Action, Value));
    return Radio([&] { return m_radio.ReceiverAGC(Action, Value); });
}

CORBA::Long CRadioCommServant::ReceiverPreamp(CORBA::Short Action, CORBA::Short Enable) {
    Log(FormatServantLine("ReceiverPreamp %d, %d", Action, Enable));
    return Radio([&] { return m_radio.ReceiverPreamp(Action, Enable); });
}

CORBA::Long CRadioCommServant::ReceiverAttenuator(CORBA::Short Action, CORBA::Short Enable) {
    Log(FormatServantLine("ReceiverAttenuator %d, %d", Action, Enable));
    return Radio([&] { return m_radio.ReceiverAttenuator(Action, Enable); });
}

CORBA::Long CRadioCommServant::XFILSelection(CORBA::Short Action, CORBA::Short Bandwidth,
                                             CORBA::Short Filter) {
    Log(FormatServantLine("XFILSelection %d, %d, %d", Action, Bandwidth, Filter));
    return Radio([&] { return m_radio.XFILSelection(Action, Bandwidth, Filter); });
}

CORBA::Long CRadioCommServant::AFILSelection(CORBA::Short Action, CORBA::Short Value) {
    Log(FormatServantLine("AFILSelection %d, %d", Action, Value));
    return Radio([&] { return m_radio.AFILSelection(Action, Value); });
}

CORBA::Long CRadioCommServant::OperatingMode(CORBA::Short Action, CORBA::Short Mode) {
    Log(FormatServantLine("OperatingMode %d, %d", Action, Mode));
    return Radio([&] { return m_radio.OperatingMode(Action, Mode); });
}

CORBA::Long CRadioCommServant::CWKeyerSpeed(CORBA::Short Action, CORBA::Short KeyerSpeed) {
    Log(FormatServantLine("CWKeyerSpeed %d, %d", Action, KeyerSpeed));
    return Radio([&] { return m_radio.CWKeyerSpeed(Action, KeyerSpeed); });
}

CORBA::Long CRadioCommServant::RFPowerOutput(CORBA::Short Action, CORBA::Short Power,
                                             CORBA::Short Range) {
    Log(FormatServantLine("RFPowerOutput %d, %d, %d", Action, Power, Range));
    return Radio([&] { return m_radio.RFPowerOutput(Action, Power, Range); });
}

CORBA::Long CRadioCommServant::ChangeBand(CORBA::Short Direction) {
    Log(FormatServantLine("ChangeBand %d", Direction));
    return Radio([&] { return m_radio.ChangeBand(Direction); });
}

CORBA::Long CRadioCommServant::TransceiverRecvVFOAssignment(CORBA::Short Action, CORBA::Short Vfo) {
    Log(FormatServantLine("TransceiverRecvVFOAssignment %d, %d", Action, Vfo));
    return Radio([&] { return m_radio.TransceiverRecvVFOAssignment(Action, Vfo); });
}

CORBA::Long CRadioCommServant::TransceiverTxVFOAssignment(CORBA::Short Action, CORBA::Short Vfo) {
    Log(FormatServantLine("TransceiverTxVFOAssignment %d, %d", Action, Vfo));
    return Radio([&] { return m_radio.TransceiverTxVFOAssignment(Action, Vfo); });
}

CORBA::Long CRadioCommServant::RITControl(CORBA::Short Action, CORBA::Short Enable) {
    Log(FormatServantLine("RITControl %d, %d", Action, Enable));
    return Radio([&] { return m_radio.RITControl(Action, Enable); });
}

CORBA::Long CRadioCommServant::XITControl(CORBA::Short Action, CORBA::Short Enable) {
    Log(FormatServantLine("XITControl %d, %d", Action, Enable));
    return Radio([&] { return m_radio.XITControl(Action, Enable); });
}

CORBA::Long CRadioCommServant::IncrementalOffsetTuning(CORBA::Short Direction) {
    Log(FormatServantLine("IncrementalOffsetTuning %d", Direction));
    return Radio([&] { return m_radio.IncrementalOffsetTuning(Direction); });
}

CORBA::Long CRadioCommServant::ClearFineRITOffset() {
    Log("ClearFineRITOffset");
    return Radio([&] { return m_radio.ClearFineRITOffset(); });
}

CORBA::Long CRadioCommServant::LockVFO(CORBA::Short Action, CORBA::Short Enable) {
    Log(FormatServantLine("LockVFO %d, %d", Action, Enable));
    return Radio([&] { return m_radio.LockVFO(Action, Enable); });
}

CORBA::Long CRadioCommServant::TuneTransmitter() {
    Log("TuneTransmitter");
    return Radio([&] { return m_radio.TuneTransmitter(); });
}

CORBA::Long CRadioCommServant::SendDiagnosticData(const char* CommandText) {
    const ArrivedText text = arrive(CommandText, string_limits::kCommandText);
    Log(FormatServantLine("SendDiagnosticData %.*s", width(text.text), text.text.data()));
    return Radio(
        [&] { return text.fits ? m_radio.SendDiagnosticData(text.text) : K2ERR_INVALID_PARAM; });
}

CORBA::Long CRadioCommServant::QueryKeyboardCWTxStatus() {
    Log("QueryKeyboardCWTxStatus");
    return Radio([&] { return m_radio.QueryKeyboardCWTxStatus(); });
}

CORBA::Long CRadioCommServant::KeyboardCW(const char* CWText) {
    const ArrivedText text = arrive(CWText, string_limits::kCWText);
    if (text.fits && text.text.size() <= kCWLogTextLimit) {
        Log(FormatServantLine("KeyboardCW:%s", text.text.c_str()));
    } else {
        const std::string head = cutUtf8(text.text, kCWLogTextLimit);
        Log(FormatServantLine("KeyboardCW:%s...", head.c_str()));
    }
    return Radio([&] { return text.fits ? m_radio.KeyboardCW(text.text) : K2ERR_INVALID_PARAM; });
}

CORBA::Long CRadioCommServant::AbortKeyboardCW() {
    Log("AbortKeyboardCW");
    return Radio([&] { return m_radio.AbortKeyboardCW(); });
}

CORBA::Long CRadioCommServant::EmulateKeySwitch(CORBA::Short Key) {
    Log(FormatServantLine("EmulateKeySwitch: Key = %d", Key));
    return Radio([&] { return m_radio.EmulateKeySwitch(Key); });
}

CORBA::Long CRadioCommServant::FrequencyScan(CORBA::Long ScanLimitLow, CORBA::Long ScanLimitHigh) {
    Log(FormatServantLine("FrequencyScan: ScanLimitLow = %d, ScanLimitHigh = %d",
                          static_cast<int>(ScanLimitLow), static_cast<int>(ScanLimitHigh)));
    return Radio([&] { return m_radio.FrequencyScan(ScanLimitLow, ScanLimitHigh); });
}

CORBA::Long CRadioCommServant::SquelchLevel(CORBA::Short Action, CORBA::Short Value) {
    Log(FormatServantLine("SquelchLevel: %d, %d", Action, Value));
    return Radio([&] { return m_radio.SquelchLevel(Action, Value); });
}

CORBA::Long CRadioCommServant::EnableStatusQuery(CORBA::Short Enable) {
    Log(FormatServantLine("EnableStatusQuery: Enable = %d", Enable));
    return Radio([&] { return m_radio.EnableStatusQuery(Enable); });
}
