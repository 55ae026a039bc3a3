// The test peer: serves a recording RadioComm (server role) or
// RadioCmdNotification (client role) servant through the ORB plumbing, so
// that tests talk to a second process built the way the programs are.
//
//   rc_test_peer --role server|client --record <file> [--bind <name>]
//                [--delay <Operation>=<ms>] [--naming-host <h> --naming-port <p>]
//                [-ORB... options]
//
// It prints peer_protocol::kReadyLine once its object is bound and runs until
// SIGTERM or SIGINT. An ORB failure is printed to stderr and ends it with 2.

#include <signal.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "RadioCmdNotification.hh"
#include "RadioComm.hh"
#include "idl/naming.h"
#include "idl/orb_options.h"
#include "idl/orb_thread.h"
#include "tests/support/peer_protocol.h"

namespace {

using peer_protocol::codedOut;

struct PeerConfig {
    OrbRole role = OrbRole::Server;
    std::string recordPath;
    std::string bindName;
    std::string delayedOperation;
    int delayMs = 0;
    std::string namingHost = kDefaultNamingHost;
    int namingPort = kDefaultNamingPort;
    std::vector<std::string> orbArgs;
};

// Appends one record per upcall; shared by the servant's upcalls.
class Recorder {
  public:
    Recorder(const std::string& path, const OrbThread& orbThread, PeerConfig config)
        : m_file(std::fopen(path.c_str(), "a")),
          m_orbThread(orbThread),
          m_config(std::move(config)) {}
    ~Recorder() {
        if (m_file != nullptr) {
            std::fclose(m_file);
        }
    }
    Recorder(const Recorder&) = delete;
    Recorder& operator=(const Recorder&) = delete;

    bool ok() const { return m_file != nullptr; }

    // Counts the upcall in flight for as long as it lives.
    class Upcall {
      public:
        Upcall(Recorder& recorder, const char* operation, std::vector<std::string> args)
            : m_recorder(recorder) {
            const int inFlight = ++m_recorder.m_inFlight;
            m_recorder.write(peer_protocol::Record{operation, m_recorder.m_orbThread.onOrbThread(),
                                                   inFlight, std::move(args)});
            if (m_recorder.m_config.delayedOperation == operation) {
                std::this_thread::sleep_for(std::chrono::milliseconds(m_recorder.m_config.delayMs));
            }
        }
        ~Upcall() { --m_recorder.m_inFlight; }
        Upcall(const Upcall&) = delete;
        Upcall& operator=(const Upcall&) = delete;

      private:
        Recorder& m_recorder;
    };

  private:
    void write(const peer_protocol::Record& record) {
        std::lock_guard<std::mutex> lock(m_mutex);
        const std::string line = peer_protocol::formatRecord(record) + "\n";
        std::fwrite(line.data(), 1, line.size(), m_file);
        std::fflush(m_file);
    }

    std::FILE* m_file;
    const OrbThread& m_orbThread;
    PeerConfig m_config;
    std::mutex m_mutex;
    std::atomic<int> m_inFlight{0};
};

std::string str(const char* text) {
    return text != nullptr ? text : "(null)";
}
std::string num(long value) {
    return std::to_string(value);
}

std::string joined(const CORBA::Long* values, std::size_t count) {
    std::string out;
    for (std::size_t i = 0; i < count; ++i) {
        out += (i == 0 ? "" : ",") + num(values[i]);
    }
    return out;
}

std::string memInfoText(const RADIO_MEM_INFO& m) {
    const long values[] = {m.ulVFOA_Freq,   m.ulVFOB_Freq, m.uiOpMode, m.uiXFIL,
                           m.uiCurXFILBW,   m.uiAFIL,      m.uiAGC,    m.uiNB,
                           m.uiCWSpeed,     m.uiAntPos,    m.iRFPower, m.uiActiveRxVFO,
                           m.uiActiveTxVFO, m.bPreAmpMode, m.bAttMode, m.iIncTuneReading,
                           m.bRITEnable,    m.bXITEnable};
    std::string out;
    for (std::size_t i = 0; i < std::size(values); ++i) {
        out += (i == 0 ? "" : ",") + num(values[i]);
    }
    return out;
}

#define UPCALL(op, ...) Recorder::Upcall upcall(m_recorder, op, {__VA_ARGS__})

class RecordingRadioComm : public PoaServant<POA_RadioComm> {
  public:
    RecordingRadioComm(PortableServer::POA_ptr poa, Recorder& recorder)
        : PoaServant<POA_RadioComm>(poa), m_recorder(recorder) {}

    CORBA::Long Connect(const char* ClientName) override {
        UPCALL("Connect", str(ClientName));
        return 0;
    }
    CORBA::Long Disconnect() override {
        UPCALL("Disconnect");
        return 1;
    }
    void EchoString(const char* Text) override { UPCALL("EchoString", str(Text)); }
    CORBA::Long ReadHAMRadioBandInfo(HAMRADIO_BAND_INFO& BandInfo) override {
        UPCALL("ReadHAMRadioBandInfo");
        for (int i = 0; i < 9; ++i) {
            BandInfo.Info[i].uiBandFreq = static_cast<CORBA::Short>(codedOut(3, 3 * i));
            BandInfo.Info[i].ulLowBandEdge = codedOut(3, 3 * i + 1);
            BandInfo.Info[i].ulHighBandEdge = codedOut(3, 3 * i + 2);
        }
        return 3;
    }
    CORBA::Long ReadVFOFreqCache(LAST_FREQ_VISIT_ARRAY& FreqCache) override {
        UPCALL("ReadVFOFreqCache");
        for (int b = 0; b < 9; ++b) {
            for (int v = 0; v < 2; ++v) {
                FreqCache.VfoBank[b][v] = codedOut(4, 2 * b + v);
            }
        }
        return 4;
    }
    CORBA::Long WriteVFOFreqCache(const LAST_FREQ_VISIT_ARRAY& FreqCache) override {
        UPCALL("WriteVFOFreqCache", joined(&FreqCache.VfoBank[0][0], 18));
        return 5;
    }
    CORBA::Long GetInitialRadioInfo() override {
        UPCALL("GetInitialRadioInfo");
        return 6;
    }
    CORBA::Long RITTuning(CORBA::Short Direction, CORBA::Short Amount) override {
        UPCALL("RITTuning", num(Direction), num(Amount));
        return 7;
    }
    CORBA::Long DownloadRadioInfo(const RADIO_MEM_INFO& RadioInfo) override {
        UPCALL("DownloadRadioInfo", memInfoText(RadioInfo));
        return 8;
    }
    CORBA::Long QueryRFAmpStatus(CORBA::Short& RFAmpStatus) override {
        UPCALL("QueryRFAmpStatus");
        RFAmpStatus = static_cast<CORBA::Short>(codedOut(9, 0));
        return 9;
    }
    CORBA::Long AutoInfo(CORBA::Short Action, CORBA::Short Value) override {
        UPCALL("AutoInfo", num(Action), num(Value));
        return 10;
    }
    CORBA::Long CommandMode(CORBA::Short Action, CORBA::Short Value) override {
        UPCALL("CommandMode", num(Action), num(Value));
        return 11;
    }
    CORBA::Long Antenna(CORBA::Short Action, CORBA::Short AntennaNo) override {
        UPCALL("Antenna", num(Action), num(AntennaNo));
        return 12;
    }
    CORBA::Long ReadBarGraphLevel() override {
        UPCALL("ReadBarGraphLevel");
        return 13;
    }
    CORBA::Long MoveActiveVFOFreq(CORBA::Short Direction, CORBA::Short Step) override {
        UPCALL("MoveActiveVFOFreq", num(Direction), num(Step));
        return 14;
    }
    CORBA::Long ReadDisplay(CORBA::String_out DisplayText, CORBA::Short& DisplayStatus1,
                            CORBA::Short& DisplayStatus2) override {
        UPCALL("ReadDisplay");
        DisplayText = CORBA::string_dup(peer_protocol::kDisplayText);
        DisplayStatus1 = static_cast<CORBA::Short>(codedOut(15, 1));
        DisplayStatus2 = static_cast<CORBA::Short>(codedOut(15, 2));
        return 15;
    }
    CORBA::Long VFOFreq(CORBA::Short Action, CORBA::Short Vfo, CORBA::Long Frequency) override {
        UPCALL("VFOFreq", num(Action), num(Vfo), num(Frequency));
        return 16;
    }
    CORBA::Long NoiseBlanker(CORBA::Short Action, CORBA::Short Value) override {
        UPCALL("NoiseBlanker", num(Action), num(Value));
        return 17;
    }
    CORBA::Long ReceiverAGC(CORBA::Short Action, CORBA::Short Value) override {
        UPCALL("ReceiverAGC", num(Action), num(Value));
        return 18;
    }
    CORBA::Long ReceiverPreamp(CORBA::Short Action, CORBA::Short Enable) override {
        UPCALL("ReceiverPreamp", num(Action), num(Enable));
        return 19;
    }
    CORBA::Long ReceiverAttenuator(CORBA::Short Action, CORBA::Short Enable) override {
        UPCALL("ReceiverAttenuator", num(Action), num(Enable));
        return 20;
    }
    CORBA::Long XFILSelection(CORBA::Short Action, CORBA::Short Bandwidth,
                              CORBA::Short Filter) override {
        UPCALL("XFILSelection", num(Action), num(Bandwidth), num(Filter));
        return 21;
    }
    CORBA::Long AFILSelection(CORBA::Short Action, CORBA::Short Value) override {
        UPCALL("AFILSelection", num(Action), num(Value));
        return 22;
    }
    CORBA::Long OperatingMode(CORBA::Short Action, CORBA::Short Mode) override {
        UPCALL("OperatingMode", num(Action), num(Mode));
        return 23;
    }
    CORBA::Long ReadTransceiverInfo() override {
        UPCALL("ReadTransceiverInfo");
        return 24;
    }
    CORBA::Long CWKeyerSpeed(CORBA::Short Action, CORBA::Short KeyerSpeed) override {
        UPCALL("CWKeyerSpeed", num(Action), num(KeyerSpeed));
        return 25;
    }
    CORBA::Long RFPowerOutput(CORBA::Short Action, CORBA::Short Power,
                              CORBA::Short Range) override {
        UPCALL("RFPowerOutput", num(Action), num(Power), num(Range));
        return 26;
    }
    CORBA::Long ChangeBand(CORBA::Short Direction) override {
        UPCALL("ChangeBand", num(Direction));
        return 27;
    }
    CORBA::Long TransceiverRecvVFOAssignment(CORBA::Short Action, CORBA::Short Vfo) override {
        UPCALL("TransceiverRecvVFOAssignment", num(Action), num(Vfo));
        return 28;
    }
    CORBA::Long TransceiverTxVFOAssignment(CORBA::Short Action, CORBA::Short Vfo) override {
        UPCALL("TransceiverTxVFOAssignment", num(Action), num(Vfo));
        return 29;
    }
    CORBA::Long GetTransceiverPowerOnStatus() override {
        UPCALL("GetTransceiverPowerOnStatus");
        return 30;
    }
    CORBA::Long RITControl(CORBA::Short Action, CORBA::Short Enable) override {
        UPCALL("RITControl", num(Action), num(Enable));
        return 31;
    }
    CORBA::Long XITControl(CORBA::Short Action, CORBA::Short Enable) override {
        UPCALL("XITControl", num(Action), num(Enable));
        return 32;
    }
    CORBA::Long IncrementalOffsetTuning(CORBA::Short Direction) override {
        UPCALL("IncrementalOffsetTuning", num(Direction));
        return 33;
    }
    CORBA::Long ClearFineRITOffset() override {
        UPCALL("ClearFineRITOffset");
        return 34;
    }
    CORBA::Long LockVFO(CORBA::Short Action, CORBA::Short Enable) override {
        UPCALL("LockVFO", num(Action), num(Enable));
        return 35;
    }
    CORBA::Long TuneTransmitter() override {
        UPCALL("TuneTransmitter");
        return 36;
    }
    CORBA::Long SendDiagnosticData(const char* CommandText) override {
        UPCALL("SendDiagnosticData", str(CommandText));
        return 37;
    }
    CORBA::Long QueryKeyboardCWTxStatus() override {
        UPCALL("QueryKeyboardCWTxStatus");
        return 38;
    }
    CORBA::Long KeyboardCW(const char* CWText) override {
        UPCALL("KeyboardCW", str(CWText));
        return 39;
    }
    CORBA::Long AbortKeyboardCW() override {
        UPCALL("AbortKeyboardCW");
        return 40;
    }
    CORBA::Long EmulateKeySwitch(CORBA::Short Key) override {
        UPCALL("EmulateKeySwitch", num(Key));
        return 41;
    }
    CORBA::Long FrequencyScan(CORBA::Long ScanLimitLow, CORBA::Long ScanLimitHigh) override {
        UPCALL("FrequencyScan", num(ScanLimitLow), num(ScanLimitHigh));
        return 42;
    }
    CORBA::Long SquelchLevel(CORBA::Short Action, CORBA::Short Value) override {
        UPCALL("SquelchLevel", num(Action), num(Value));
        return 43;
    }
    CORBA::Long EnableStatusQuery(CORBA::Short Enable) override {
        UPCALL("EnableStatusQuery", num(Enable));
        return 44;
    }

  private:
    Recorder& m_recorder;
};

class RecordingNotification : public PoaServant<POA_RadioCmdNotification> {
  public:
    RecordingNotification(PortableServer::POA_ptr poa, Recorder& recorder)
        : PoaServant<POA_RadioCmdNotification>(poa), m_recorder(recorder) {}

    void Connect(const char* who) override { UPCALL("Connect", str(who)); }
    void Disconnect() override { UPCALL("Disconnect"); }
    void NotifyCmd(CORBA::Short code, const char* reply) override {
        UPCALL("NotifyCmd", num(code), str(reply));
    }
    void NotifyTextMessageSent(CORBA::Short size, const char* text) override {
        UPCALL("NotifyTextMessageSent", num(size), str(text));
    }
    void NotifyTextMessageEmpty() override { UPCALL("NotifyTextMessageEmpty"); }
    void NotifyRFAmpOptionChange(CORBA::Short option) override {
        UPCALL("NotifyRFAmpOptionChange", num(option));
    }

  private:
    Recorder& m_recorder;
};

#undef UPCALL

bool parseArgs(int argc, char** argv, PeerConfig& config) {
    config.orbArgs.emplace_back(argv[0]);
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--role" && hasValue) {
            const std::string role = argv[++i];
            if (role != "server" && role != "client") {
                return false;
            }
            config.role = role == "server" ? OrbRole::Server : OrbRole::Client;
        } else if (arg == "--record" && hasValue) {
            config.recordPath = argv[++i];
        } else if (arg == "--bind" && hasValue) {
            config.bindName = argv[++i];
        } else if (arg == "--delay" && hasValue) {
            const std::string spec = argv[++i];
            const auto eq = spec.find('=');
            if (eq == std::string::npos) {
                return false;
            }
            config.delayedOperation = spec.substr(0, eq);
            config.delayMs = std::stoi(spec.substr(eq + 1));
        } else if (arg == "--naming-host" && hasValue) {
            config.namingHost = argv[++i];
        } else if (arg == "--naming-port" && hasValue) {
            config.namingPort = std::stoi(argv[++i]);
        } else {
            config.orbArgs.push_back(arg);
        }
    }
    if (config.bindName.empty()) {
        config.bindName = config.role == OrbRole::Server ? "RadioComm" : "RadioCmdNotification";
    }
    return !config.recordPath.empty();
}

}  // namespace

int main(int argc, char** argv) {
    PeerConfig config;
    try {
        if (!parseArgs(argc, argv, config)) {
            std::fprintf(stderr, "usage: %s --role server|client --record <file> ...\n", argv[0]);
            return 1;
        }
    } catch (const std::exception&) {
        std::fprintf(stderr, "bad number in arguments\n");
        return 1;
    }

    // Every thread started from here on inherits the blocked signals, so only
    // sigwait below sees them.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGTERM);
    sigaddset(&stopSignals, SIGINT);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    OrbThread orbThread;
    Recorder recorder(config.recordPath, orbThread, config);
    if (!recorder.ok()) {
        std::fprintf(stderr, "cannot open %s\n", config.recordPath.c_str());
        return 1;
    }

    std::atomic<int> exitCode{0};
    try {
        CORBA::ORB_var orb =
            initOrb(config.role, config.namingHost, config.namingPort, config.orbArgs);
        const bool started = orbThread.start(
            orb.in(),
            [&](CORBA::ORB_ptr threadOrb, PortableServer::POA_ptr poa) {
                CORBA::Object_var ref;
                if (config.role == OrbRole::Server) {
                    auto* servant = new RecordingRadioComm(poa, recorder);
                    RadioComm_var typed = servant->_this();
                    servant->_remove_ref();
                    ref = typed._retn();
                } else {
                    auto* servant = new RecordingNotification(poa, recorder);
                    RadioCmdNotification_var typed = servant->_this();
                    servant->_remove_ref();
                    ref = typed._retn();
                }
                rebindName(threadOrb, config.bindName.c_str(), ref.in());
                std::printf("%s\n", peer_protocol::kReadyLine);
                std::fflush(stdout);
            },
            [&](const std::string& name, unsigned long minor) {
                std::fprintf(stderr, "ORB thread failed: %s minor 0x%lx\n", name.c_str(), minor);
                exitCode = 2;
                kill(getpid(), SIGTERM);
            });
        if (!started) {
            std::fprintf(stderr, "cannot start the ORB thread\n");
            return 2;
        }
    } catch (const CORBA::Exception& ex) {
        std::fprintf(stderr, "ORB start failed: %s\n", ex._name());
        return 2;
    }

    int signal = 0;
    sigwait(&stopSignals, &signal);
    orbThread.stop();
    return exitCode;
}
