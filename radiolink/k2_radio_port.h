#pragma once

// CK2RadioPort: the server's one radio object.
//
// It owns the serial port cabled to the K2 and everything that writes to it:
// open, configure, reopen and close; one formatter per radio command (each
// checks or clamps its arguments, builds the text and hands it to
// SendCommand); the few fixed command sequences with their pauses; and the
// three radio tasks (CW, reply, status), which it starts when a port opens and
// stops and joins when it closes. Nothing here waits for the radio's answer:
// replies come back only through the reply task.
//
// A device that hangs up (the radio switched off, its cable pulled) is noticed
// by the next read or write: the port is closed, one error names it and its
// device, and every command answers K2ERR_PORT_NOT_OPEN until the port is
// opened again (ReopenRadioPort). Nothing reopens it by itself.
//
// Frequency sets are latest-wins, so that tuning never floods the line. The
// radio echoes each set (with auto-info on, "FA...;" and "IF...;", 52
// characters), and a set goes out at most once per that echo time at the
// open line's settings. A VFOFreq set is written inside the call when no set
// waits, an echo time has passed since the last set went out and less than
// one set (14 characters) is still on the line, by the radio object's own
// count (bytes written less what the line has carried since) or the driver's
// output queue where that reports more. Otherwise it waits, one per VFO, a
// newer set of the same VFO replacing it, and VFOFreq returns 0 at once. The
// set sender thread writes a waiting set (the longer-waiting VFO's first)
// when the echo time is up and the line has room. Every other command, query
// or sequence step is a barrier: the waiting sets go out first, at once, then
// the command. Waiting sets are dropped when the port closes, hangs up or is
// replaced; they are never written to a later port.
//
// Threads: the server's main thread (open, reopen, close, diagnostic mode), the
// ORB thread (every formatter), the connect-back thread (SetNotifierAddress),
// the three tasks themselves and the set sender. Locks:
//   m_csComm    the port: every check, write, read, close and replacement of
//               the port happens under it, and nothing else does; it also
//               guards the waiting sets and the line account;
//   m_taskLock  the three task pointers, held only to post to a task;
//   m_lifeLock  serialises open, reopen, close and destruction.
// Formatting, logging, pauses and client callbacks run outside m_csComm.

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "platform/serial_port.h"
#include "radiolink/k2_status.h"
#include "radiolink/radio_services.h"

class CCWMsgTransmittingThread;
class CRecvrCmdParsingThread;
class CK2StatusCmdQueryThread;

// A stored radio state, the 18 members of RADIO_MEM_INFO in their order.
struct RadioMemInfo {
    std::int32_t ulVFOA_Freq = 0;
    std::int32_t ulVFOB_Freq = 0;
    std::int32_t uiOpMode = 0;
    std::int32_t uiXFIL = 0;
    std::int32_t uiCurXFILBW = 0;
    std::int32_t uiAFIL = 0;
    std::int32_t uiAGC = 0;
    std::int32_t uiNB = 0;
    std::int32_t uiCWSpeed = 0;
    std::int32_t uiAntPos = 0;
    std::int32_t iRFPower = 0;
    std::int32_t uiActiveRxVFO = 0;
    std::int32_t uiActiveTxVFO = 0;
    std::int32_t bPreAmpMode = 0;
    std::int32_t bAttMode = 0;
    std::int32_t iIncTuneReading = 0;
    std::int32_t bRITEnable = 0;
    std::int32_t bXITEnable = 0;
};

// What the radio object is built with. Pointers that are null mean "none":
// no log, no client notifier (mode 3 then reports nothing), no client ever
// connected. The intervals are the radio's; tests shorten them.
struct RadioPortServices {
    LogSink* log = nullptr;
    ClientNotifier* notifier = nullptr;
    ClientConnection* client = nullptr;
    Sleeper* sleeper = nullptr;  // the system clock when null
    std::filesystem::path serialDir = platform::defaultSerialDir();
    std::chrono::milliseconds replyPollInterval{100};
    std::chrono::milliseconds statusPollPeriod{1000};
    std::chrono::milliseconds cwPollInterval{100};
    std::chrono::milliseconds cwWatchdog{5000};
    // Divides the line's character time in the echo time and the line
    // account: a test that runs the simulator faster gives the same scale.
    double lineTimeScale = 1.0;
    // Reads "SW Logging Mode" afresh for each reply task built; when unset
    // the reply task gets the byte the radio object was built with.
    std::function<std::uint8_t()> readLoggingMode;
};

class CK2RadioPort {
  public:
    // Messages to the status task (numbers shared with the server's commands).
    static constexpr int REMOTE_CMD_ENABLE_STATUS_QUERY = 22;
    static constexpr int REMOTE_CMD_DISABLE_STATUS_QUERY = 23;
    static constexpr int REMOTE_CMD_SET_STATUS_QUERY_MASK = 24;

    // The largest RITTuning amount: 500 steps of 10 Hz, whose pauses and
    // bytes take about 8.5 s, inside a caller's 10 s call time-out. The
    // caller splits a larger move.
    static constexpr std::int16_t kMaxRITTuningAmount = 5000;

    CK2RadioPort(RadioPortServices services, std::uint8_t swLoggingMode);
    virtual ~CK2RadioPort();

    CK2RadioPort(const CK2RadioPort&) = delete;
    CK2RadioPort& operator=(const CK2RadioPort&) = delete;

    // --- Port and tasks -------------------------------------------------------

    // Opens and configures COM `port`; no command, no task.
    std::uint32_t OpenCommPort(std::uint16_t port, std::uint32_t baudRate, std::uint8_t byteSize,
                               std::uint8_t parity, std::uint8_t stopBits);
    // Start-up: open, "K22;", "AI3;", then the CW, reply and status tasks.
    std::uint32_t OpenRadioPort(std::uint16_t port, std::uint32_t baudRate, std::uint8_t byteSize,
                                std::uint8_t parity, std::uint8_t stopBits);
    // Moves to another port with the remembered line settings. Another
    // device is opened before the open one is closed: when it cannot be
    // opened, the open port stays open and in use, its tasks resume, and
    // the port generation still moves on (what was read before the try is
    // told apart from what is read after it).
    std::uint32_t ReopenRadioPort(std::uint16_t newPort);
    // Stops the tasks, sends "AI0;" and closes the port.
    std::uint32_t CloseRadioPort();

    // Writes `text` and ";" to the port, whole, under the port lock.
    std::uint32_t SendCommand(std::string_view text);

    // Where the reply and CW tasks report. `target` is used by mode 2 only;
    // mode 3 calls the ClientNotifier given at construction.
    void SetNotifierAddress(int mode, NotifierTarget* target = nullptr);
    void EnableStatusPolling(bool enable);
    std::uint32_t EnableStatusQuery(std::int16_t enable);
    // While the dialog is open every reply goes to `dialog` and only the
    // display is polled. After ExitCOMPortDiagMode returns, `dialog` is never
    // called again and may be destroyed.
    void EnterCOMPortDiagMode(ReplySink* dialog);
    void ExitCOMPortDiagMode();

    // An id of the reply task's thread; 0 when there is no reply task.
    unsigned long GetRecvrThreadID() const;

    bool IsOpen() const { return m_bCommOpened.load(); }
    std::uint32_t LastError() const { return m_dwLastError.load(); }
    std::uint16_t PortNumber() const { return m_nPort.load(); }
    // Changes whenever a port is opened and after every ReopenRadioPort;
    // each reply the diagnostic dialog gets carries the one it was read under.
    std::uint64_t PortGeneration() const;
    // The folder whose comN entries name the ports' devices.
    const std::filesystem::path& SerialDir() const { return m_services.serialDir; }

    // --- Formatters: `set` == 1 selects the set form, anything else the query.

    std::uint32_t AutoInfo(std::int16_t set, std::int16_t mode);
    std::uint32_t CommandMode(std::int16_t set, std::int16_t mode);
    std::uint32_t Antenna(std::int16_t set, std::int16_t antenna);
    std::uint32_t ReadBarGraphLevel();
    std::uint32_t MoveActiveVFOFreq(std::int16_t direction, std::int16_t steps);
    std::uint32_t VFOFreq(std::int16_t set, std::int16_t vfo, std::int32_t hz);
    std::uint32_t ReadDisplay();
    std::uint32_t NoiseBlanker(std::int16_t set, std::int16_t level);
    std::uint32_t ReceiverPreamp(std::int16_t set, std::int16_t on);
    std::uint32_t ReceiverAttenuator(std::int16_t set, std::int16_t on);
    std::uint32_t XFILSelection(std::int16_t set, std::int16_t bandwidth, std::int16_t filter);
    std::uint32_t AFILSelection(std::int16_t set, std::int16_t value);
    std::uint32_t OperatingMode(std::int16_t set, std::int16_t mode);
    std::uint32_t ReadTransceiverInfo();
    std::uint32_t ReceiverAGC(std::int16_t set, std::int16_t value);
    std::uint32_t CWKeyerSpeed(std::int16_t set, std::int16_t wpm);
    std::uint32_t RFPowerOutput(std::int16_t set, std::int16_t power, std::int16_t range);
    std::uint32_t ChangeBand(std::int16_t direction);
    std::uint32_t TransceiverRecvVFOAssignment(std::int16_t set, std::int16_t vfo);
    std::uint32_t TransceiverTxVFOAssignment(std::int16_t set, std::int16_t vfo);
    std::uint32_t GetTransceiverPowerOnStatus();
    std::uint32_t RITControl(std::int16_t set, std::int16_t on);
    std::uint32_t XITControl(std::int16_t set, std::int16_t on);
    std::uint32_t IncrementalOffsetTuning(std::int16_t direction);
    std::uint32_t ClearFineRITOffset();
    std::uint32_t LockVFO(std::int16_t set, std::int16_t on);
    std::uint32_t TuneTransmitter();
    std::uint32_t SendDiagnosticData(std::string_view text);
    std::uint32_t QueryKeyboardCWTxStatus();
    std::uint32_t SendKeyboardCWText(std::string_view chunk);
    std::uint32_t AbortKeyboardCWText();
    std::uint32_t EmulateKeySwitch(std::int16_t key);
    std::uint32_t SquelchLevel(std::int16_t set, std::int16_t level);

    // --- Sequences and queued operations -----------------------------------

    std::uint32_t GetInitialRadioInfo();
    std::uint32_t RITTuning(std::int16_t direction, std::int16_t amount);
    std::uint32_t DownloadRadioInfo(const RadioMemInfo& state);
    std::uint32_t QueryStatus(std::uint16_t mask);
    std::uint32_t FrequencyScan(std::int32_t lowHz, std::int32_t highHz);
    std::uint32_t KeyboardCW(std::string_view text);
    std::uint32_t AbortKeyboardCW();

    // --- Used by the radio tasks -------------------------------------------

    struct PortRead {
        std::uint64_t generation = 0;  // see PortGeneration
        bool open = false;
    };
    // Appends every byte that was waiting when the call began to `bytes`.
    PortRead ReadWaitingBytes(std::string& bytes);
    // The CW task pauses status polling while it sends and resumes it after.
    void PauseStatusPollingForCW(bool paused);
    // The reply task hands on the KY buffer status (0-9).
    void PostKeyboardCWStatus(int status);
    // Aborts keyboard CW when a transmission is under way (a failed callback).
    void AbortKeyboardCWIfActive();
    // Empties the port's receive queue.
    void PurgeReceiveQueue();

  private:
    std::uint32_t Flagged(std::string_view mnemonic, std::int16_t set, std::int16_t flag);
    std::uint32_t Send(const char* format, ...) __attribute__((format(printf, 2, 3)));
    void Pause(std::chrono::milliseconds pause);
    void Log(int mode, int level, const std::string& text);
    void StartMissingTasks();
    void StopTasksAndClose();
    // Opens COM `port` on `line` with the remembered line settings; a
    // failure closes `line` and leaves its log line in `error`.
    std::uint32_t OpenLine(platform::SerialPort& line, std::uint16_t port, std::string& error);
    // `port` is now m_port's. m_csComm held.
    void TakeNewPortLocked(std::uint16_t port);
    // A failed reopen kept the open port: reading and polling go on.
    void ResumeKeptPort();
    // Turns the CW task's "KY;" polling and the status queries back on.
    // Caller holds m_taskLock.
    void PostPollingOnLocked();
    void NoteFirstPortFailure(std::uint32_t status, std::uint32_t& first);
    // Closes a port whose device has hung up; the error line to log once
    // m_csComm is released. m_csComm held.
    std::string CloseHungUpPort();

    using Clock = std::chrono::steady_clock;
    // VFOFreq; `coalesce` false for the sequences, whose sets are barriers.
    std::uint32_t FrequencySet(std::int16_t set, std::int16_t vfo, std::int32_t hz, bool coalesce);
    std::uint32_t SendFrequencySet(int vfo, std::string wire);
    // Writes `wire` and counts it on the line; a failure's record goes to
    // `error` (one per run of failures). m_csComm held.
    std::uint32_t WriteLocked(const std::string& wire, std::string& error);
    // Writes the waiting sets, the longest-waiting first; each written set
    // goes to `written`. m_csComm held.
    std::uint32_t FlushWaitingSetsLocked(std::vector<std::string>& written, std::string& error);
    // Characters still on the line by our own count or the driver's. m_csComm held.
    std::size_t LineAccountLocked(Clock::time_point now);
    // A new port (or none): its character time, an empty line, no set waiting.
    // m_csComm held.
    void ResetLineLocked(bool open);
    void LogWritten(const std::vector<std::string>& written, const std::string& error);
    void StartSetSender();
    void StopSetSender();
    void SetSenderLoop();
    RadioPortServices m_services;
    SystemSleeper m_systemSleeper;
    Sleeper* m_sleeper;

    std::atomic<bool> m_bCommOpened{false};
    mutable std::mutex m_csComm;
    platform::SerialPort m_port;     // guarded by m_csComm
    std::uint64_t m_generation = 0;  // guarded by m_csComm
    bool m_bWriteFailing = false;    // guarded by m_csComm

    struct WaitingSet {
        std::string wire;  // "FA00014060000;"
        Clock::time_point since;
    };
    std::optional<WaitingSet> m_waitingSet[2];  // VFO A, B; guarded by m_csComm
    Clock::duration m_characterTime{};          // the open line's; guarded by m_csComm
    Clock::time_point m_lineFreeAt{};           // when what we wrote has left; guarded by m_csComm
    Clock::time_point m_lastSetAt{};            // guarded by m_csComm
    std::condition_variable m_setCv;            // with m_csComm: a set waits, or stop
    bool m_setSenderStop = false;               // guarded by m_csComm
    std::thread m_setSender;                    // started and joined under m_lifeLock
    std::atomic<std::uint32_t> m_dwLastError{0};
    std::atomic<std::uint16_t> m_nPort{1};
    // Line settings of the last open attempt made by OpenRadioPort or
    // OpenCommPort; a reopen uses them.
    std::uint32_t m_nBaudRate = 0;
    std::uint8_t m_nByteSize = 0;
    std::uint8_t m_nParity = 0;
    std::uint8_t m_nStopBits = 0;
    const std::uint8_t m_nSWLoggingMode;

    std::mutex m_lifeLock;
    mutable std::mutex m_taskLock;
    std::unique_ptr<CCWMsgTransmittingThread> m_pCWMsgTransmittingThread;
    std::unique_ptr<CRecvrCmdParsingThread> m_pRecvrCmdParsingThread;
    std::unique_ptr<CK2StatusCmdQueryThread> m_pK2StatusCmdQueryThread;
    // Kept for tasks that start later (a reopen after a failed start-up).
    int m_notifierMode = NOTIFIER_NONE;          // guarded by m_taskLock
    NotifierTarget* m_notifierTarget = nullptr;  // guarded by m_taskLock
    std::uint16_t m_statusMask = 3;              // guarded by m_taskLock
    ReplySink* m_diagSink = nullptr;             // guarded by m_taskLock
};
