// The test peer: serves a recording RadioComm (server role) or
// RadioCmdNotification (client role) servant through the ORB plumbing, so
// that tests talk to a second process built the way the programs are.
//
//   rc_test_peer --role server|client --record <file> [--bind <name>]
//                [--delay <Operation>=<ms>] [--naming-host <h> --naming-port <p>]
//                [--commands <file>] [-ORB... options]
//
// It prints peer_protocol::kReadyLine once its object is bound and runs until
// SIGTERM or SIGINT. An ORB failure is printed to stderr and ends it with 2.
//
// With --commands it follows that file and runs each line as it appears (the
// commands are listed in peer_protocol.h), writing one line per command done
// to <file>.done: "ok" or "failed <exception>".

#include <signal.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <mutex>
#include <sstream>
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
    std::string commandPath;
    std::vector<std::string> orbArgs;
};

// What the server role answers in out-arguments, and whether the next upcall
// fails; set by commands, read by upcalls. Starts with the coded values.
class Script {
  public:
    Script() {
        for (int i = 0; i < 9; ++i) {
            m_bands.Info[i].uiBandFreq = static_cast<CORBA::Short>(codedOut(3, 3 * i));
            m_bands.Info[i].ulLowBandEdge = codedOut(3, 3 * i + 1);
            m_bands.Info[i].ulHighBandEdge = codedOut(3, 3 * i + 2);
            for (int v = 0; v < 2; ++v) {
                m_vfos.VfoBank[i][v] = codedOut(4, 2 * i + v);
            }
        }
    }

    HAMRADIO_BAND_INFO bands() {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_bands;
    }
    LAST_FREQ_VISIT_ARRAY vfos() {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_vfos;
    }
    CORBA::Short rfAmp() {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_rfAmp;
    }
    void setBands(const std::vector<long>& edges) {
        std::lock_guard<std::mutex> lock(m_mutex);
        for (int i = 0; i < 9; ++i) {
            m_bands.Info[i].uiBandFreq = static_cast<CORBA::Short>(i);
            m_bands.Info[i].ulLowBandEdge = static_cast<CORBA::Long>(edges[2 * i]);
            m_bands.Info[i].ulHighBandEdge = static_cast<CORBA::Long>(edges[2 * i + 1]);
        }
    }
    void setVfos(const std::vector<long>& values) {
        std::lock_guard<std::mutex> lock(m_mutex);
        for (int i = 0; i < 9; ++i) {
            m_vfos.VfoBank[i][0] = static_cast<CORBA::Long>(values[2 * i]);
            m_vfos.VfoBank[i][1] = static_cast<CORBA::Long>(values[2 * i + 1]);
        }
    }
    void setRfAmp(long value) {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_rfAmp = static_cast<CORBA::Short>(value);
    }
    void raiseNext() { m_raiseNext = true; }
    // What an operation answers: its own number, or the status set by the
    // "answer" command.
    CORBA::Long result(CORBA::Long number) const {
        const long answer = m_answer.load();
        return answer < 0 ? number : static_cast<CORBA::Long>(answer);
    }
    void setAnswer(long status) { m_answer = status; }
    // Raises the system exception once when asked to.
    void maybeRaise() {
        if (m_raiseNext.exchange(false)) {
            throw CORBA::INTERNAL(0, CORBA::COMPLETED_NO);
        }
    }

  private:
    std::mutex m_mutex;
    HAMRADIO_BAND_INFO m_bands{};
    LAST_FREQ_VISIT_ARRAY m_vfos{};
    CORBA::Short m_rfAmp = static_cast<CORBA::Short>(codedOut(9, 0));
    std::atomic<bool> m_raiseNext{false};
    std::atomic<long> m_answer{-1};
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
#define SERVER_UPCALL(op, ...) \
    UPCALL(op, __VA_ARGS__);   \
    m_script.maybeRaise()

class RecordingRadioComm : public PoaServant<POA_RadioComm> {
  public:
    RecordingRadioComm(PortableServer::POA_ptr poa, Recorder& recorder, Script& script)
        : PoaServant<POA_RadioComm>(poa), m_recorder(recorder), m_script(script) {}

    CORBA::Long Connect(const char* ClientName) override {
        SERVER_UPCALL("Connect", str(ClientName));
        return m_script.result(0);
    }
    CORBA::Long Disconnect() override {
        SERVER_UPCALL("Disconnect");
        return m_script.result(1);
    }
    void EchoString(const char* Text) override { SERVER_UPCALL("EchoString", str(Text)); }
    CORBA::Long ReadHAMRadioBandInfo(HAMRADIO_BAND_INFO& BandInfo) override {
        SERVER_UPCALL("ReadHAMRadioBandInfo");
        BandInfo = m_script.bands();
        return m_script.result(3);
    }
    CORBA::Long ReadVFOFreqCache(LAST_FREQ_VISIT_ARRAY& FreqCache) override {
        SERVER_UPCALL("ReadVFOFreqCache");
        FreqCache = m_script.vfos();
        return m_script.result(4);
    }
    CORBA::Long WriteVFOFreqCache(const LAST_FREQ_VISIT_ARRAY& FreqCache) override {
        SERVER_UPCALL("WriteVFOFreqCache", joined(&FreqCache.VfoBank[0][0], 18));
        return m_script.result(5);
    }
    CORBA::Long GetInitialRadioInfo() override {
        SERVER_UPCALL("GetInitialRadioInfo");
        return m_script.result(6);
    }
    CORBA::Long RITTuning(CORBA::Short Direction, CORBA::Short Amount) override {
        SERVER_UPCALL("RITTuning", num(Direction), num(Amount));
        return m_script.result(7);
    }
    CORBA::Long DownloadRadioInfo(const RADIO_MEM_INFO& RadioInfo) override {
        SERVER_UPCALL("DownloadRadioInfo", memInfoText(RadioInfo));
        return m_script.result(8);
    }
    CORBA::Long QueryRFAmpStatus(CORBA::Short& RFAmpStatus) override {
        SERVER_UPCALL("QueryRFAmpStatus");
        RFAmpStatus = m_script.rfAmp();
        return m_script.result(9);
    }
    CORBA::Long AutoInfo(CORBA::Short Action, CORBA::Short Value) override {
        SERVER_UPCALL("AutoInfo", num(Action), num(Value));
        return m_script.result(10);
    }
    CORBA::Long CommandMode(CORBA::Short Action, CORBA::Short Value) override {
        SERVER_UPCALL("CommandMode", num(Action), num(Value));
        return m_script.result(11);
    }
    CORBA::Long Antenna(CORBA::Short Action, CORBA::Short AntennaNo) override {
        SERVER_UPCALL("Antenna", num(Action), num(AntennaNo));
        return m_script.result(12);
    }
    CORBA::Long ReadBarGraphLevel() override {
        SERVER_UPCALL("ReadBarGraphLevel");
        return m_script.result(13);
    }
    CORBA::Long MoveActiveVFOFreq(CORBA::Short Direction, CORBA::Short Step) override {
        SERVER_UPCALL("MoveActiveVFOFreq", num(Direction), num(Step));
        return m_script.result(14);
    }
    CORBA::Long ReadDisplay(CORBA::String_out DisplayText, CORBA::Short& DisplayStatus1,
                            CORBA::Short& DisplayStatus2) override {
        SERVER_UPCALL("ReadDisplay");
        DisplayText = CORBA::string_dup(peer_protocol::kDisplayText);
        DisplayStatus1 = static_cast<CORBA::Short>(codedOut(15, 1));
        DisplayStatus2 = static_cast<CORBA::Short>(codedOut(15, 2));
        return m_script.result(15);
    }
    CORBA::Long VFOFreq(CORBA::Short Action, CORBA::Short Vfo, CORBA::Long Frequency) override {
        SERVER_UPCALL("VFOFreq", num(Action), num(Vfo), num(Frequency));
        return m_script.result(16);
    }
    CORBA::Long NoiseBlanker(CORBA::Short Action, CORBA::Short Value) override {
        SERVER_UPCALL("NoiseBlanker", num(Action), num(Value));
        return m_script.result(17);
    }
    CORBA::Long ReceiverAGC(CORBA::Short Action, CORBA::Short Value) override {
        SERVER_UPCALL("ReceiverAGC", num(Action), num(Value));
        return m_script.result(18);
    }
    CORBA::Long ReceiverPreamp(CORBA::Short Action, CORBA::Short Enable) override {
        SERVER_UPCALL("ReceiverPreamp", num(Action), num(Enable));
        return m_script.result(19);
    }
    CORBA::Long ReceiverAttenuator(CORBA::Short Action, CORBA::Short Enable) override {
        SERVER_UPCALL("ReceiverAttenuator", num(Action), num(Enable));
        return m_script.result(20);
    }
    CORBA::Long XFILSelection(CORBA::Short Action, CORBA::Short Bandwidth,
                              CORBA::Short Filter) override {
        SERVER_UPCALL("XFILSelection", num(Action), num(Bandwidth), num(Filter));
        return m_script.result(21);
    }
    CORBA::Long AFILSelection(CORBA::Short Action, CORBA::Short Value) override {
        SERVER_UPCALL("AFILSelection", num(Action), num(Value));
        return m_script.result(22);
    }
    CORBA::Long OperatingMode(CORBA::Short Action, CORBA::Short Mode) override {
        SERVER_UPCALL("OperatingMode", num(Action), num(Mode));
        return m_script.result(23);
    }
    CORBA::Long ReadTransceiverInfo() override {
        SERVER_UPCALL("ReadTransceiverInfo");
        return m_script.result(24);
    }
    CORBA::Long CWKeyerSpeed(CORBA::Short Action, CORBA::Short KeyerSpeed) override {
        SERVER_UPCALL("CWKeyerSpeed", num(Action), num(KeyerSpeed));
        return m_script.result(25);
    }
    CORBA::Long RFPowerOutput(CORBA::Short Action, CORBA::Short Power,
                              CORBA::Short Range) override {
        SERVER_UPCALL("RFPowerOutput", num(Action), num(Power), num(Range));
        return m_script.result(26);
    }
    CORBA::Long ChangeBand(CORBA::Short Direction) override {
        SERVER_UPCALL("ChangeBand", num(Direction));
        return m_script.result(27);
    }
    CORBA::Long TransceiverRecvVFOAssignment(CORBA::Short Action, CORBA::Short Vfo) override {
        SERVER_UPCALL("TransceiverRecvVFOAssignment", num(Action), num(Vfo));
        return m_script.result(28);
    }
    CORBA::Long TransceiverTxVFOAssignment(CORBA::Short Action, CORBA::Short Vfo) override {
        SERVER_UPCALL("TransceiverTxVFOAssignment", num(Action), num(Vfo));
        return m_script.result(29);
    }
    CORBA::Long GetTransceiverPowerOnStatus() override {
        SERVER_UPCALL("GetTransceiverPowerOnStatus");
        return m_script.result(30);
    }
    CORBA::Long RITControl(CORBA::Short Action, CORBA::Short Enable) override {
        SERVER_UPCALL("RITControl", num(Action), num(Enable));
        return m_script.result(31);
    }
    CORBA::Long XITControl(CORBA::Short Action, CORBA::Short Enable) override {
        SERVER_UPCALL("XITControl", num(Action), num(Enable));
        return m_script.result(32);
    }
    CORBA::Long IncrementalOffsetTuning(CORBA::Short Direction) override {
        SERVER_UPCALL("IncrementalOffsetTuning", num(Direction));
        return m_script.result(33);
    }
    CORBA::Long ClearFineRITOffset() override {
        SERVER_UPCALL("ClearFineRITOffset");
        return m_script.result(34);
    }
    CORBA::Long LockVFO(CORBA::Short Action, CORBA::Short Enable) override {
        SERVER_UPCALL("LockVFO", num(Action), num(Enable));
        return m_script.result(35);
    }
    CORBA::Long TuneTransmitter() override {
        SERVER_UPCALL("TuneTransmitter");
        return m_script.result(36);
    }
    CORBA::Long SendDiagnosticData(const char* CommandText) override {
        SERVER_UPCALL("SendDiagnosticData", str(CommandText));
        return m_script.result(37);
    }
    CORBA::Long QueryKeyboardCWTxStatus() override {
        SERVER_UPCALL("QueryKeyboardCWTxStatus");
        return m_script.result(38);
    }
    CORBA::Long KeyboardCW(const char* CWText) override {
        SERVER_UPCALL("KeyboardCW", str(CWText));
        return m_script.result(39);
    }
    CORBA::Long AbortKeyboardCW() override {
        SERVER_UPCALL("AbortKeyboardCW");
        return m_script.result(40);
    }
    CORBA::Long EmulateKeySwitch(CORBA::Short Key) override {
        SERVER_UPCALL("EmulateKeySwitch", num(Key));
        return m_script.result(41);
    }
    CORBA::Long FrequencyScan(CORBA::Long ScanLimitLow, CORBA::Long ScanLimitHigh) override {
        SERVER_UPCALL("FrequencyScan", num(ScanLimitLow), num(ScanLimitHigh));
        return m_script.result(42);
    }
    CORBA::Long SquelchLevel(CORBA::Short Action, CORBA::Short Value) override {
        SERVER_UPCALL("SquelchLevel", num(Action), num(Value));
        return m_script.result(43);
    }
    CORBA::Long EnableStatusQuery(CORBA::Short Enable) override {
        SERVER_UPCALL("EnableStatusQuery", num(Enable));
        return m_script.result(44);
    }

  private:
    Recorder& m_recorder;
    Script& m_script;
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

#undef SERVER_UPCALL
#undef UPCALL

// Follows the command file and runs its lines in order (see peer_protocol.h).
class CommandRunner {
  public:
    CommandRunner(CORBA::ORB_ptr orb, Script& script, std::string path)
        : m_orb(CORBA::ORB::_duplicate(orb)), m_script(script), m_path(std::move(path)) {}

    void start() {
        m_thread = std::thread([this] { run(); });
    }
    void stop() {
        m_stop = true;
        if (m_thread.joinable()) {
            m_thread.join();
        }
    }

  private:
    void run() {
        std::size_t done = 0;
        std::ofstream acks(m_path + ".done", std::ios::app);
        while (!m_stop) {
            const std::vector<std::string> lines = completeLines();
            while (done < lines.size() && !m_stop) {
                acks << runCommand(lines[done]) << std::endl;
                ++done;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }

    // The file's lines that have their end: a line without one may still be
    // being written.
    std::vector<std::string> completeLines() const {
        std::ifstream in(m_path, std::ios::binary);
        const std::string all((std::istreambuf_iterator<char>(in)), {});
        std::vector<std::string> lines;
        std::size_t start = 0;
        for (std::size_t end = all.find('\n'); end != std::string::npos;
             end = all.find('\n', start)) {
            lines.push_back(all.substr(start, end - start));
            start = end + 1;
        }
        return lines;
    }

    RadioCmdNotification_ptr notifier() {
        if (CORBA::is_nil(m_notifier.in())) {
            CORBA::Object_var object = resolveName(m_orb.in(), "RadioCmdNotification");
            m_notifier = RadioCmdNotification::_narrow(object.in());
        }
        return m_notifier.in();
    }

    static std::vector<long> numbers(std::istringstream& in) {
        std::vector<long> values;
        long value = 0;
        while (in >> value) {
            values.push_back(value);
        }
        return values;
    }

    static std::string rest(std::istringstream& in) {
        std::string text;
        std::getline(in, text);
        if (!text.empty() && text.front() == ' ') {
            text.erase(0, 1);
        }
        return text;
    }

    std::string runCommand(const std::string& line) {
        std::istringstream in(line);
        std::string verb;
        in >> verb;
        try {
            if (verb == "bands" || verb == "vfos") {
                const auto values = numbers(in);
                if (values.size() != 18) {
                    return "failed needs 18 numbers";
                }
                verb == "bands" ? m_script.setBands(values) : m_script.setVfos(values);
            } else if (verb == "rfamp") {
                long value = 0;
                in >> value;
                m_script.setRfAmp(value);
            } else if (verb == "answer") {
                long status = -1;
                in >> status;
                if (status < 0) {
                    return "failed needs a status of 0 or more";
                }
                m_script.setAnswer(status);
            } else if (verb == "raise-next") {
                m_script.raiseNext();
            } else if (verb == "exit") {
                std::fflush(nullptr);
                std::_Exit(0);
            } else if (verb == "connect-back") {
                std::string who = rest(in);
                notifier()->Connect(who.empty() ? "Brakton" : who.c_str());
            } else if (verb == "notify-cmd") {
                int code = 0;
                in >> code;
                notifier()->NotifyCmd(static_cast<CORBA::Short>(code), rest(in).c_str());
            } else if (verb == "notify-numbered") {
                int code = 0;
                int count = 0;
                in >> code >> count;
                RadioCmdNotification_ptr target = notifier();
                for (int i = 0; i < count; ++i) {
                    target->NotifyCmd(static_cast<CORBA::Short>(code), std::to_string(i).c_str());
                }
            } else if (verb == "notify-sent") {
                int length = 0;
                in >> length;
                notifier()->NotifyTextMessageSent(static_cast<CORBA::Short>(length),
                                                  rest(in).c_str());
            } else if (verb == "notify-empty") {
                notifier()->NotifyTextMessageEmpty();
            } else if (verb == "notify-rfamp") {
                int option = 0;
                in >> option;
                notifier()->NotifyRFAmpOptionChange(static_cast<CORBA::Short>(option));
            } else {
                return "failed unknown command";
            }
        } catch (const CORBA::Exception& ex) {
            m_notifier = RadioCmdNotification::_nil();
            return std::string("failed ") + ex._name();
        }
        return "ok";
    }

    CORBA::ORB_var m_orb;
    Script& m_script;
    std::string m_path;
    RadioCmdNotification_var m_notifier;
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
};

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
        } else if (arg == "--commands" && hasValue) {
            config.commandPath = argv[++i];
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
    Script script;
    std::unique_ptr<CommandRunner> commands;
    try {
        CORBA::ORB_var orb =
            initOrb(config.role, config.namingHost, config.namingPort, config.orbArgs);
        const bool started = orbThread.start(
            orb.in(),
            [&](CORBA::ORB_ptr threadOrb, PortableServer::POA_ptr poa) {
                CORBA::Object_var ref;
                if (config.role == OrbRole::Server) {
                    auto* servant = new RecordingRadioComm(poa, recorder, script);
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
        if (!config.commandPath.empty()) {
            commands = std::make_unique<CommandRunner>(orb.in(), script, config.commandPath);
            commands->start();
        }
    } catch (const CORBA::Exception& ex) {
        std::fprintf(stderr, "ORB start failed: %s\n", ex._name());
        return 2;
    }

    int signal = 0;
    sigwait(&stopSignals, &signal);
    if (commands) {
        commands->stop();
    }
    orbThread.stop();
    return exitCode;
}
