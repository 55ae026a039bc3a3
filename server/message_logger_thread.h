#pragma once

#include <ace/Message_Block.h>
#include <ace/Task.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <ctime>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

// The server's activity log.
//
// Every thread logs through LogMessage and LogIndent, which only queue a message to the one
// running CMessageLoggerThread. The logger indents, time-stamps and filters each record, hands
// every shown line to the display sink, and keeps the last 25 lines, which it appends to the
// log file when the buffer fills (destinations 2 and 3), when logging is switched off, and when
// it stops. Every parameter block starts the file afresh at its next flush.
//
// The logger thread alone touches the logger's state, the buffer and the file; callers never
// wait for formatting or file output.

// Record modes and levels.
inline constexpr int kLogModeTimeStamped = 0;
inline constexpr int kLogModePlain = 1;
inline constexpr int kLogLevelError = 1;
inline constexpr int kLogLevelInformation = 2;

// Destinations of the parameter block.
inline constexpr short kLogToScreen = 1;
inline constexpr short kLogToFile = 2;
inline constexpr short kLogToScreenAndFile = 3;

inline constexpr std::size_t kMaxLogLineBytes = 127;
inline constexpr int kMaxLogIndent = 40;
inline constexpr std::size_t kLogBufferLines = 25;

// Receives each shown line (level, finished line) on the logger thread. The main frame's sink
// makes a queued call to the GUI thread.
using LogDisplaySink = std::function<void(int level, const std::string& line)>;

// The clock the time stamps come from; shown as local time.
using LogClock = std::function<std::chrono::system_clock::time_point()>;

// The log parameter block.
struct LogParams {
    LogDisplaySink display;  // empty keeps the current sink
    bool enabled = false;
    short level = 3;        // 1 errors only, 2 information and errors, 3 all records
    short destination = 1;  // 1 screen, 2 file, 3 screen and file
    bool hasFileInfo = false;
    std::string directory;  // as stored ("C:\Orvo"), mapped to a local path when used
    std::string fileName;
};

// The main frame's start-up block from the "SW Logging Mode" byte: bit value 0x80 switches the
// log on, bit values 0x60 pick the records (both: all; 0x40 alone: errors only; otherwise
// information and errors). The destination is the screen; the file names come from the store.
LogParams MakeStartupLogParams(std::uint8_t swLoggingMode, const std::string& homeDir,
                               const std::string& logFileName, LogDisplaySink display);

// One line as the logger builds it: two blanks per indent level, the time stamp
// "%m-%d-%y %H:%M:%S " for mode 0, then the text; cut to 127 bytes.
//
//   "      12-31-99 23:59:59 x"   indent 3, mode 0, text "x"
std::string BuildLogLine(int indent, int mode, std::string_view text, const std::tm& localTime);

class CMessageLoggerThread : public ACE_Task<ACE_MT_SYNCH> {
  public:
    struct Record {
        int mode = kLogModeTimeStamped;
        int level = kLogLevelInformation;
        std::string text;
    };
    struct Indent {
        int packed = 0;  // (mode << 8) | (amount & 0xFF)
    };
    struct Quit {};
    using Message = std::variant<Record, Indent, LogParams, Quit>;

    explicit CMessageLoggerThread(LogClock clock = {});
    ~CMessageLoggerThread() override;

    CMessageLoggerThread(const CMessageLoggerThread&) = delete;
    CMessageLoggerThread& operator=(const CMessageLoggerThread&) = delete;

    // Starts the thread and makes it the running logger that LogMessage and LogIndent reach.
    bool start();

    // Withdraws the logger from LogMessage and LogIndent, lets it handle what is queued, write
    // its buffered lines and end. Waits at most 3 s; false (and a line on standard error) when
    // the thread did not end in time, in which case the destructor waits for it.
    bool stop();

    void PostParams(LogParams params);
    void PostRecord(int mode, int level, std::string_view text);
    void PostIndent(int mode, int amount);

  private:
    struct Block : ACE_Message_Block {
        explicit Block(Message m) : message(std::move(m)) {}
        Message message;
    };

    int svc() override;
    void post(Message message);
    void onParams(LogParams& params);
    void onRecord(const Record& record);
    void onIndent(int packed);
    void addLine(std::string line);
    void flush();
    void dropLines();

    LogClock m_clock;

    // Logger-thread state.
    LogDisplaySink m_display;
    bool m_bEnabled = false;
    short m_nLevel = 3;
    short m_nDestination = 1;
    std::string m_strLogDir = "C:\\Orvo";
    std::string m_strLogFile = "Orvo.Log";
    bool m_bTruncateNext = true;
    std::vector<std::string> m_Lines;
    int m_nIndent = 0;

    // Life cycle, guarded by m_lifeLock.
    std::mutex m_lifeLock;
    std::condition_variable m_ended;
    bool m_bRunning = false;
    bool m_bThreadEnded = false;
};

// The running logger, or null before start() and after stop().
extern std::atomic<CMessageLoggerThread*> g_pLoggerThread;

// Queue one record for the running logger; without one it is dropped. The text is cut to 127
// bytes. Callable from any thread; never waits for the logger.
void LogMessage(int mode, int level, std::string_view text);

// mode 0 sets the indent to `amount` (a negative amount is ignored), mode 1 steps it by
// `amount`; the amount is kept to 8 bits, signed.
void LogIndent(int mode, int amount);

// "CORBA Exception in <operation>" / "Unknown exception in <operation>", time-stamped errors;
// with an exception's name, "CORBA Exception in <operation>: <name>". Cut like every line.
void LogCorbaException(std::string_view operation, std::string_view exception = {});
void LogUnknownException(std::string_view operation);
