#include "server/message_logger_thread.h"

#include "platform/utf8_text.h"
#include "platform/windows_path.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <shared_mutex>
#include <system_error>
#include <utility>

std::atomic<CMessageLoggerThread*> g_pLoggerThread{nullptr};

namespace {

// Held shared while a caller posts to the running logger and exclusively while stop()
// withdraws it, so no post can reach a logger that is being torn down.
std::shared_mutex g_loggerLock;

constexpr auto kStopBound = std::chrono::seconds(3);

template <typename... F>
struct Overloaded : F... {
    using F::operator()...;
};
template <typename... F>
Overloaded(F...) -> Overloaded<F...>;

std::tm toLocalTime(std::chrono::system_clock::time_point when) {
    const std::time_t seconds = std::chrono::system_clock::to_time_t(when);
    std::tm local{};
    localtime_r(&seconds, &local);
    return local;
}

}  // namespace

LogParams MakeStartupLogParams(std::uint8_t swLoggingMode, const std::string& homeDir,
                               const std::string& logFileName, LogDisplaySink display) {
    LogParams params;
    params.display = std::move(display);
    params.enabled = (swLoggingMode & 0x80) != 0;
    if ((swLoggingMode & 0x60) == 0x60) {
        params.level = 3;
    } else if ((swLoggingMode & 0x40) != 0) {
        params.level = 1;
    } else {
        params.level = 2;
    }
    params.destination = kLogToScreen;
    params.hasFileInfo = true;
    params.directory = homeDir;
    params.fileName = logFileName;
    return params;
}

std::string BuildLogLine(int indent, int mode, std::string_view text, const std::tm& localTime) {
    std::string line(static_cast<std::size_t>(std::clamp(indent, 0, kMaxLogIndent)) * 2, ' ');
    if (mode == kLogModeTimeStamped) {
        char stamp[32];
        const std::size_t length =
            std::strftime(stamp, sizeof stamp, "%m-%d-%y %H:%M:%S ", &localTime);
        line.append(stamp, length);
    }
    line += text;
    return cutUtf8(line, kMaxLogLineBytes);
}

CMessageLoggerThread::CMessageLoggerThread(LogClock clock) : m_clock(std::move(clock)) {
    if (!m_clock) {
        m_clock = [] { return std::chrono::system_clock::now(); };
    }
    m_Lines.reserve(kLogBufferLines);
}

CMessageLoggerThread::~CMessageLoggerThread() {
    if (!stop()) {
        // The thread is still writing; it uses this object, so wait for it whatever it takes.
        wait();
    }
    msg_queue()->close();
}

bool CMessageLoggerThread::start() {
    {
        const std::lock_guard<std::mutex> lock(m_lifeLock);
        if (m_bRunning) {
            return true;
        }
        msg_queue()->activate();
        m_bThreadEnded = false;
        if (activate(THR_NEW_LWP | THR_JOINABLE, 1) != 0) {
            return false;
        }
        m_bRunning = true;
    }
    const std::unique_lock<std::shared_mutex> publish(g_loggerLock);
    g_pLoggerThread.store(this);
    return true;
}

bool CMessageLoggerThread::stop() {
    {
        const std::unique_lock<std::shared_mutex> withdraw(g_loggerLock);
        CMessageLoggerThread* self = this;
        g_pLoggerThread.compare_exchange_strong(self, nullptr);
    }
    std::unique_lock<std::mutex> lock(m_lifeLock);
    if (!m_bRunning) {
        return true;
    }
    post(Quit{});
    if (!m_ended.wait_for(lock, kStopBound, [this] { return m_bThreadEnded; })) {
        std::fputs("CMessageLoggerThread: the logger did not stop within 3 s\n", stderr);
        return false;
    }
    m_bRunning = false;
    lock.unlock();
    wait();
    // Later posts fail and free their message instead of piling up unread.
    msg_queue()->deactivate();
    return true;
}

void CMessageLoggerThread::PostParams(LogParams params) {
    post(std::move(params));
}

void CMessageLoggerThread::PostRecord(int mode, int level, std::string_view text) {
    post(Record{mode, level, cutUtf8(text, kMaxLogLineBytes)});
}

void CMessageLoggerThread::PostIndent(int mode, int amount) {
    post(Indent{((mode & 0xFF) << 8) | (amount & 0xFF)});
}

void CMessageLoggerThread::post(Message message) {
    auto* block = new Block(std::move(message));
    if (putq(block) == -1) {
        block->release();
    }
}

int CMessageLoggerThread::svc() {
    for (;;) {
        ACE_Message_Block* raw = nullptr;
        if (getq(raw) == -1) {
            if (msg_queue()->deactivated()) {
                break;
            }
            continue;
        }
        auto* block = static_cast<Block*>(raw);
        const bool quit = std::holds_alternative<Quit>(block->message);
        std::visit(Overloaded{
                       [this](LogParams& params) { onParams(params); },
                       [this](const Record& record) { onRecord(record); },
                       [this](const Indent& indent) { onIndent(indent.packed); },
                       [](const Quit&) {},
                   },
                   block->message);
        block->release();
        if (quit) {
            break;
        }
    }
    if (m_nDestination == kLogToScreen) {
        dropLines();
    } else {
        flush();
    }
    {
        const std::lock_guard<std::mutex> lock(m_lifeLock);
        m_bThreadEnded = true;
    }
    m_ended.notify_all();
    return 0;
}

void CMessageLoggerThread::onParams(LogParams& params) {
    if (params.display) {
        m_display = std::move(params.display);
    }
    if (!params.enabled && m_bEnabled) {
        if (m_nDestination == kLogToScreen) {
            dropLines();
        } else {
            flush();
        }
    }
    m_bEnabled = params.enabled;
    m_bTruncateNext = true;
    m_nLevel = params.level;
    m_nDestination = params.destination;
    if (params.hasFileInfo) {
        m_strLogDir = std::move(params.directory);
        m_strLogFile = std::move(params.fileName);
    }
}

void CMessageLoggerThread::onIndent(int packed) {
    if (!m_bEnabled) {
        return;
    }
    const int mode = (packed >> 8) & 0xFF;
    const int amount = static_cast<std::int8_t>(packed & 0xFF);
    int indent = m_nIndent;
    if (mode == 0) {
        if (amount < 0) {
            return;
        }
        indent = amount;
    } else if (mode == 1) {
        indent += amount;
    } else {
        return;
    }
    m_nIndent = std::clamp(indent, 0, kMaxLogIndent);
}

void CMessageLoggerThread::onRecord(const Record& record) {
    if (!m_bEnabled || m_nLevel < record.level) {
        return;
    }
    std::string line = BuildLogLine(m_nIndent, record.mode, record.text, toLocalTime(m_clock()));
    // Buffer (and maybe flush) first: a line on the screen is already in the file when it is
    // due there.
    addLine(line);
    if (m_display) {
        m_display(record.level, line);
    }
}

void CMessageLoggerThread::addLine(std::string line) {
    m_Lines.push_back(std::move(line));
    if (m_Lines.size() < kLogBufferLines) {
        return;
    }
    if (m_nDestination == kLogToScreen) {
        dropLines();
    } else {
        flush();
    }
}

void CMessageLoggerThread::flush() {
    // Nothing to write: leave the file alone, so a shut-down right after a parameter block
    // does not empty it.
    if (m_Lines.empty()) {
        return;
    }
    const std::filesystem::path path = joinLocalPath(m_strLogDir, m_strLogFile);
    std::error_code ignored;
    if (path.has_parent_path()) {
        std::filesystem::create_directories(path.parent_path(), ignored);
    }
    std::ofstream file(path, std::ios::binary | std::ios::out |
                                 (m_bTruncateNext ? std::ios::trunc : std::ios::app));
    if (file) {
        m_bTruncateNext = false;
        for (const std::string& line : m_Lines) {
            file << line << "\r\n";
        }
    }
    dropLines();
}

void CMessageLoggerThread::dropLines() {
    m_Lines.clear();
}

void LogMessage(int mode, int level, std::string_view text) {
    const std::shared_lock<std::shared_mutex> lock(g_loggerLock);
    if (CMessageLoggerThread* logger = g_pLoggerThread.load()) {
        logger->PostRecord(mode, level, text);
    }
}

void LogIndent(int mode, int amount) {
    const std::shared_lock<std::shared_mutex> lock(g_loggerLock);
    if (CMessageLoggerThread* logger = g_pLoggerThread.load()) {
        logger->PostIndent(mode, amount);
    }
}

void LogCorbaException(std::string_view operation, std::string_view exception) {
    std::string line = "CORBA Exception in " + std::string(operation);
    if (!exception.empty()) {
        line += ": ";
        line += exception;
    }
    LogMessage(kLogModeTimeStamped, kLogLevelError, line);
}

void LogUnknownException(std::string_view operation) {
    LogMessage(kLogModeTimeStamped, kLogLevelError,
               "Unknown exception in " + std::string(operation));
}
