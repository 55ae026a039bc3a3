#include "radiolink/k2_radio_port.h"

#include <ace/Thread_Manager.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <system_error>
#include <thread>
#include <utility>

#include "radiolink/cw_msg_transmitting_thread.h"
#include "radiolink/k2_status_cmd_query_thread.h"
#include "radiolink/recvr_cmd_parsing_thread.h"

using namespace std::chrono_literals;
namespace fs = std::filesystem;

namespace {
// The reply task reads at most this much per read call.
constexpr std::size_t kReadPiece = 512;
constexpr std::uint16_t kNoPort = 0xFFFF;
// "FA00014060000;"
constexpr std::size_t kSetCharacters = 14;
// The radio's report of a set with auto-info: "FA00014060000;" and the
// 38-character "IF...;".
constexpr std::size_t kEchoCharacters = 52;

std::uint32_t OpenStatus(platform::SerialStatus status) {
    return status == platform::SerialStatus::SetupFailed ? K2ERR_PORT_SETUP_FAILED
                                                         : K2ERR_PORT_OPEN_FAILED;
}
}  // namespace

void SystemSleeper::Sleep(std::chrono::milliseconds pause) {
    std::this_thread::sleep_for(pause);
}

std::chrono::steady_clock::time_point SystemSleeper::Now() const {
    return std::chrono::steady_clock::now();
}

CK2RadioPort::CK2RadioPort(RadioPortServices services, std::uint8_t swLoggingMode)
    : m_services(std::move(services)),
      m_sleeper(m_services.sleeper != nullptr ? m_services.sleeper : &m_systemSleeper),
      m_port(m_services.serialDir),
      m_nSWLoggingMode(swLoggingMode) {}

CK2RadioPort::~CK2RadioPort() {
    std::lock_guard life(m_lifeLock);
    StopTasksAndClose();
}

void CK2RadioPort::Pause(std::chrono::milliseconds pause) {
    m_sleeper->Sleep(pause);
}

void CK2RadioPort::Log(int mode, int level, const std::string& text) {
    if (m_services.log != nullptr)
        m_services.log->LogMessage(mode, level, text);
}

// --- Port ------------------------------------------------------------------

std::uint32_t CK2RadioPort::OpenLine(platform::SerialPort& line, std::uint16_t port,
                                     std::string& error) {
    platform::SerialSettings settings;
    settings.baudRate = m_nBaudRate;
    settings.dataBits = m_nByteSize;
    settings.parity = m_nParity;
    settings.stopBits = m_nStopBits;
    platform::SerialResult r = line.open(port, settings);
    if (r.ok())
        r = line.setQueueSizes(512, 512);
    if (r.ok()) {
        line.purgeInput();
        return K2ERR_NONE;
    }
    line.close();
    // A device that is not there (an adapter unplugged) is named as such.
    const std::string why = r.status == platform::SerialStatus::OpenFailed && r.error == ENOENT
                                ? std::string("missing")
                                : std::string(platform::toString(r.status));
    error = "Cannot open COM" + std::to_string(port) + ": " + why;
    if (!line.devicePath().empty())
        error += " (" + line.devicePath().string() + ")";
    return OpenStatus(r.status);
}

void CK2RadioPort::TakeNewPortLocked(std::uint16_t port) {
    m_nPort = port;
    ++m_generation;
    m_bWriteFailing = false;
    ResetLineLocked(true);
    m_bCommOpened = true;
}

std::uint32_t CK2RadioPort::OpenCommPort(std::uint16_t port, std::uint32_t baudRate,
                                         std::uint8_t byteSize, std::uint8_t parity,
                                         std::uint8_t stopBits) {
    std::string error;
    std::uint32_t status = K2ERR_NONE;
    {
        std::lock_guard lock(m_csComm);
        if (m_port.isOpen()) {
            // Refused without a change: the open port keeps its line, and so
            // does the next reopen.
            status = K2ERR_PORT_OPEN_FAILED;
            error = "COM" + std::to_string(port) + " not opened: COM" +
                    std::to_string(m_nPort.load()) + " is still open";
        } else {
            // Remembered before the attempt, so that a reopen after a failed
            // start-up uses the configured line and not an empty one.
            m_nBaudRate = baudRate;
            m_nByteSize = byteSize;
            m_nParity = parity;
            m_nStopBits = stopBits;
            status = OpenLine(m_port, port, error);
            if (status == K2ERR_NONE)
                TakeNewPortLocked(port);
        }
    }
    if (!error.empty())
        Log(kLogTimeStamped, kLogError, error);
    if (status == K2ERR_NONE)
        StartSetSender();
    return status;
}

std::uint32_t CK2RadioPort::OpenRadioPort(std::uint16_t port, std::uint32_t baudRate,
                                          std::uint8_t byteSize, std::uint8_t parity,
                                          std::uint8_t stopBits) {
    std::lock_guard life(m_lifeLock);
    const std::uint32_t status = OpenCommPort(port, baudRate, byteSize, parity, stopBits);
    m_dwLastError = status;
    if (status != K2ERR_NONE)
        return status;
    // Extended reply formats and full auto-info, before anything reads.
    CommandMode(1, 2);
    Pause(100ms);
    AutoInfo(1, 3);
    Pause(100ms);
    StartMissingTasks();
    return K2ERR_NONE;
}

void CK2RadioPort::StartMissingTasks() {
    std::unique_lock lock(m_taskLock);
    if (!m_pCWMsgTransmittingThread) {
        auto cw = std::make_unique<CCWMsgTransmittingThread>(m_services.notifier, m_services.log,
                                                             m_services.cwWatchdog);
        if (!cw->Start()) {
            lock.unlock();
            Log(kLogTimeStamped, kLogError, "Cannot start the keyboard CW task");
        } else {
            CCWMsgTransmittingThread* task = cw.get();
            m_pCWMsgTransmittingThread = std::move(cw);
            task->Post(CCWMsgTransmittingThread::NotifierAddress{m_notifierMode, m_notifierTarget});
            lock.unlock();
            Pause(500ms);
            task->Post(CCWMsgTransmittingThread::ParamCmd{this, m_services.cwPollInterval});
            Pause(100ms);
            task->Post(
                CCWMsgTransmittingThread::TxCmd{CCWMsgTransmittingThread::CWTX_CMD_POLL_ON, {}});
        }
        lock.lock();
    }
    if (!m_pRecvrCmdParsingThread) {
        const std::uint8_t replyLoggingMode =
            m_services.readLoggingMode ? m_services.readLoggingMode() : m_nSWLoggingMode;
        auto reply = std::make_unique<CRecvrCmdParsingThread>(*this, m_services.notifier,
                                                              m_services.log, replyLoggingMode);
        reply->SetDiagSink(m_diagSink);
        if (!reply->Start()) {
            lock.unlock();
            Log(kLogTimeStamped, kLogError, "Cannot start the reply task");
        } else {
            CRecvrCmdParsingThread* task = reply.get();
            m_pRecvrCmdParsingThread = std::move(reply);
            lock.unlock();
            Pause(500ms);
            // The mode as it is now: a client may have connected meanwhile,
            // and this block must not undo what it was told.
            lock.lock();
            task->Post(CRecvrCmdParsingThread::ParamCmd{CRecvrCmdParsingThread::PARAM_CMD_ALL,
                                                        m_notifierMode, m_notifierTarget,
                                                        m_services.replyPollInterval});
            lock.unlock();
            Pause(100ms);
            task->Post(CRecvrCmdParsingThread::ExecuteCmd{CRecvrCmdParsingThread::EXEC_CMD_START});
        }
        lock.lock();
    }
    if (!m_pK2StatusCmdQueryThread) {
        auto status = std::make_unique<CK2StatusCmdQueryThread>();
        if (!status->Start()) {
            lock.unlock();
            Log(kLogTimeStamped, kLogError, "Cannot start the status polling task");
        } else {
            CK2StatusCmdQueryThread* task = status.get();
            m_pK2StatusCmdQueryThread = std::move(status);
            lock.unlock();
            Pause(500ms);
            lock.lock();
            task->Post(CK2StatusCmdQueryThread::ParamCmd{this, m_services.statusPollPeriod});
            task->Post(
                CK2StatusCmdQueryThread::RemoteCmd{REMOTE_CMD_SET_STATUS_QUERY_MASK, m_statusMask});
            lock.unlock();
            Pause(100ms);
        }
    }
}

std::uint32_t CK2RadioPort::ReopenRadioPort(std::uint16_t newPort) {
    std::lock_guard life(m_lifeLock);
    {
        std::lock_guard lock(m_taskLock);
        if (m_pCWMsgTransmittingThread)
            m_pCWMsgTransmittingThread->Post(
                CCWMsgTransmittingThread::TxCmd{CCWMsgTransmittingThread::CWTX_CMD_POLL_OFF, {}});
        if (m_pRecvrCmdParsingThread)
            m_pRecvrCmdParsingThread->Post(
                CRecvrCmdParsingThread::ExecuteCmd{CRecvrCmdParsingThread::EXEC_CMD_STOP});
        if (m_pK2StatusCmdQueryThread)
            m_pK2StatusCmdQueryThread->Post(
                CK2StatusCmdQueryThread::RemoteCmd{REMOTE_CMD_DISABLE_STATUS_QUERY, 0});
    }
    Pause(300ms);

    bool oldOpen = false;
    std::filesystem::path oldDevice;
    {
        std::lock_guard lock(m_csComm);
        oldOpen = m_port.isOpen();
        oldDevice = m_port.devicePath();
    }
    const auto newDevice = platform::resolveSerialPort(newPort, m_services.serialDir);
    std::error_code ec;
    const bool sameDevice = oldOpen && newDevice &&
                            (*newDevice == oldDevice || fs::equivalent(*newDevice, oldDevice, ec));

    std::uint32_t status = K2ERR_NONE;
    if (!oldOpen || sameDevice) {
        // Nothing to keep, or the same device, which only one open may hold.
        {
            std::lock_guard lock(m_csComm);
            m_port.close();
            ResetLineLocked(false);
            m_nPort = kNoPort;
            m_bCommOpened = false;
        }
        status = OpenCommPort(newPort, m_nBaudRate, m_nByteSize, m_nParity, m_nStopBits);
    } else {
        // Another device: it must open before the working one is let go, so
        // that a port that cannot be opened leaves the radio as it was.
        platform::SerialPort next(m_services.serialDir);
        std::string error;
        status = OpenLine(next, newPort, error);
        if (status == K2ERR_NONE) {
            std::lock_guard lock(m_csComm);
            m_port.swap(next);
            TakeNewPortLocked(newPort);
        }
        next.close();  // the old device, once swapped out
        if (!error.empty())
            Log(kLogTimeStamped, kLogError, error);
    }
    m_dwLastError = status;
    if (status != K2ERR_NONE) {
        if (oldOpen && !sameDevice)
            ResumeKeptPort();
        return status;
    }

    // The radio may have been switched off or swapped: put it back into the
    // reply formats and auto-info mode that the decoders and tasks expect.
    CommandMode(1, 2);
    Pause(100ms);
    AutoInfo(1, 3);
    Pause(100ms);

    CRecvrCmdParsingThread* reply = nullptr;
    {
        std::lock_guard lock(m_taskLock);
        reply = m_pRecvrCmdParsingThread.get();
        if (reply != nullptr)
            reply->Post(CRecvrCmdParsingThread::ParamCmd{
                CRecvrCmdParsingThread::PARAM_CMD_COMM_HANDLE, NOTIFIER_NONE, nullptr, {}});
    }
    if (reply != nullptr) {
        Pause(100ms);
        std::lock_guard lock(m_taskLock);
        if (m_pRecvrCmdParsingThread)
            m_pRecvrCmdParsingThread->Post(
                CRecvrCmdParsingThread::ExecuteCmd{CRecvrCmdParsingThread::EXEC_CMD_START});
    }
    StartMissingTasks();
    {
        std::lock_guard lock(m_taskLock);
        PostPollingOnLocked();
    }
    return K2ERR_NONE;
}

void CK2RadioPort::PostPollingOnLocked() {
    if (m_pCWMsgTransmittingThread)
        m_pCWMsgTransmittingThread->Post(
            CCWMsgTransmittingThread::TxCmd{CCWMsgTransmittingThread::CWTX_CMD_POLL_ON, {}});
    // Polled even without a client: the diagnostic dialog shows the display.
    if (m_pK2StatusCmdQueryThread)
        m_pK2StatusCmdQueryThread->Post(
            CK2StatusCmdQueryThread::RemoteCmd{REMOTE_CMD_ENABLE_STATUS_QUERY, 0});
}

void CK2RadioPort::ResumeKeptPort() {
    {
        // Replies read before the try count as the old port's no longer: the
        // reply task starts afresh and forgets its last readings.
        std::lock_guard lock(m_csComm);
        ++m_generation;
    }
    std::lock_guard lock(m_taskLock);
    if (m_pRecvrCmdParsingThread)
        m_pRecvrCmdParsingThread->Post(
            CRecvrCmdParsingThread::ExecuteCmd{CRecvrCmdParsingThread::EXEC_CMD_START});
    PostPollingOnLocked();
}

std::uint32_t CK2RadioPort::CloseRadioPort() {
    std::lock_guard life(m_lifeLock);
    StopTasksAndClose();
    return K2ERR_NONE;
}

void CK2RadioPort::StopTasksAndClose() {
    std::unique_ptr<CCWMsgTransmittingThread> cw;
    std::unique_ptr<CK2StatusCmdQueryThread> status;
    {
        std::lock_guard lock(m_taskLock);
        cw = std::move(m_pCWMsgTransmittingThread);
    }
    if (cw) {
        // The radio would key on from its own buffer: stop it first.
        cw->Post(CCWMsgTransmittingThread::AbortIfActive{});
        cw->Stop();
        cw.reset();
    }
    {
        std::lock_guard lock(m_taskLock);
        status = std::move(m_pK2StatusCmdQueryThread);
    }
    if (status) {
        status->Stop();
        status.reset();
    }
    if (m_bCommOpened) {
        // A barrier like any command: a waiting set reaches the radio first.
        AutoInfo(1, 0);
        Pause(100ms);
    }
    StopSetSender();
    std::unique_ptr<CRecvrCmdParsingThread> reply;
    {
        std::lock_guard lock(m_taskLock);
        reply = std::move(m_pRecvrCmdParsingThread);
    }
    if (reply) {
        reply->Stop();
        reply.reset();
    }
    std::lock_guard lock(m_csComm);
    m_port.close();
    ResetLineLocked(false);
    if (m_bCommOpened)
        m_nPort = kNoPort;
    m_bCommOpened = false;
}

std::uint32_t CK2RadioPort::SendCommand(std::string_view text) {
    std::string wire;
    wire.reserve(text.size() + 1);
    wire.append(text);
    wire.push_back(';');

    std::vector<std::string> written;
    std::string error;
    std::uint32_t status = K2ERR_NONE;
    {
        std::lock_guard lock(m_csComm);
        if (!m_port.isOpen()) {
            status = K2ERR_PORT_NOT_OPEN;
        } else {
            // A barrier: the waiting sets go first, then this command.
            FlushWaitingSetsLocked(written, error);
            status = m_port.isOpen() ? WriteLocked(wire, error) : K2ERR_PORT_NOT_OPEN;
        }
    }
    written.push_back(wire);  // logged even when the port is not open, as always
    LogWritten(written, error);
    return status;
}

std::uint32_t CK2RadioPort::WriteLocked(const std::string& wire, std::string& error) {
    const platform::SerialResult r = m_port.write(wire.data(), wire.size());
    const Clock::time_point now = Clock::now();
    m_lineFreeAt = std::max(m_lineFreeAt, now) + m_characterTime * static_cast<Clock::rep>(r.count);
    if (r.ok()) {
        m_bWriteFailing = false;
        return K2ERR_NONE;
    }
    if (r.status == platform::SerialStatus::HangUp) {
        error = CloseHungUpPort();
        return K2ERR_PORT_NOT_OPEN;
    }
    // One record for a run of failures, not one per command.
    if (!m_bWriteFailing && error.empty()) {
        m_bWriteFailing = true;
        error = "Write to COM" + std::to_string(m_nPort.load()) +
                " failed: " + std::string(platform::toString(r.status)) + " after " +
                std::to_string(r.count) + " of " + std::to_string(wire.size()) + " bytes";
    }
    return K2ERR_PORT_WRITE_FAILED;
}

void CK2RadioPort::LogWritten(const std::vector<std::string>& written, const std::string& error) {
    if ((m_nSWLoggingMode & kLogCommands) != 0)
        for (const std::string& wire : written)
            Log(kLogPlain, kLogInformation, wire);
    if (!error.empty())
        Log(kLogTimeStamped, kLogError, error);
}

// --- Latest-wins frequency sets --------------------------------------------------

void CK2RadioPort::ResetLineLocked(bool open) {
    m_waitingSet[0].reset();
    m_waitingSet[1].reset();
    m_lineFreeAt = Clock::now();
    m_lastSetAt = Clock::time_point{};
    m_characterTime = Clock::duration::zero();
    if (open && m_nBaudRate > 0) {
        // Start bit, data bits, parity bit, stop bits (code 2: two).
        const int bits = 1 + m_nByteSize + (m_nParity != 0 ? 1 : 0) + (m_nStopBits == 2 ? 2 : 1);
        const double scale = m_services.lineTimeScale > 0 ? m_services.lineTimeScale : 1.0;
        m_characterTime = std::chrono::duration_cast<Clock::duration>(
            std::chrono::duration<double>(bits / static_cast<double>(m_nBaudRate) / scale));
    }
}

std::size_t CK2RadioPort::LineAccountLocked(Clock::time_point now) {
    std::size_t ours = 0;
    if (m_lineFreeAt > now && m_characterTime.count() > 0)
        ours = static_cast<std::size_t>(
            (m_lineFreeAt - now + m_characterTime - Clock::duration(1)) / m_characterTime);
    const platform::SerialResult queued = m_port.outputWaiting();
    return queued.ok() ? std::max(ours, queued.count) : ours;
}

std::uint32_t CK2RadioPort::FlushWaitingSetsLocked(std::vector<std::string>& written,
                                                   std::string& error) {
    std::uint32_t status = K2ERR_NONE;
    for (;;) {
        std::optional<WaitingSet>* next = nullptr;
        for (auto& waiting : m_waitingSet)
            if (waiting && (next == nullptr || waiting->since < (*next)->since))
                next = &waiting;
        if (next == nullptr)
            return status;
        const std::string wire = std::move((*next)->wire);
        next->reset();
        if (!m_port.isOpen())
            continue;  // dropped with the port
        const std::uint32_t result = WriteLocked(wire, error);
        m_lastSetAt = Clock::now();
        written.push_back(wire);
        if (status == K2ERR_NONE)
            status = result;
    }
}

std::uint32_t CK2RadioPort::SendFrequencySet(int vfo, std::string wire) {
    std::vector<std::string> written;
    std::string error;
    std::uint32_t status = K2ERR_NONE;
    {
        std::lock_guard lock(m_csComm);
        if (!m_port.isOpen())
            return K2ERR_PORT_NOT_OPEN;
        const Clock::time_point now = Clock::now();
        const bool waiting = m_waitingSet[0] || m_waitingSet[1];
        if (!waiting &&
            now - m_lastSetAt >= m_characterTime * static_cast<Clock::rep>(kEchoCharacters) &&
            LineAccountLocked(now) < kSetCharacters) {
            status = WriteLocked(wire, error);
            m_lastSetAt = Clock::now();
            written.push_back(std::move(wire));
        } else {
            std::optional<WaitingSet>& slot = m_waitingSet[vfo];
            // A newer set replaces the waiting one and keeps its place in line.
            slot = WaitingSet{std::move(wire), slot ? slot->since : now};
            m_setCv.notify_all();
        }
    }
    LogWritten(written, error);
    return status;
}

void CK2RadioPort::StartSetSender() {
    {
        std::lock_guard lock(m_csComm);
        if (m_setSender.joinable())
            return;
        m_setSenderStop = false;
    }
    m_setSender = std::thread([this] { SetSenderLoop(); });
}

void CK2RadioPort::StopSetSender() {
    {
        std::lock_guard lock(m_csComm);
        m_setSenderStop = true;
    }
    m_setCv.notify_all();
    if (m_setSender.joinable())
        m_setSender.join();
}

void CK2RadioPort::SetSenderLoop() {
    std::unique_lock lock(m_csComm);
    while (!m_setSenderStop) {
        if (!m_waitingSet[0] && !m_waitingSet[1]) {
            m_setCv.wait(lock);
            continue;
        }
        if (!m_port.isOpen()) {
            m_waitingSet[0].reset();
            m_waitingSet[1].reset();
            continue;
        }
        // The echo time is up, and the line holds less than one set.
        const Clock::time_point now = Clock::now();
        Clock::time_point due =
            m_lastSetAt + m_characterTime * static_cast<Clock::rep>(kEchoCharacters);
        const std::size_t onLine = LineAccountLocked(now);
        if (onLine >= kSetCharacters)
            due = std::max(
                due, now + m_characterTime * static_cast<Clock::rep>(onLine - kSetCharacters + 1));
        if (now < due) {
            m_setCv.wait_until(lock, due);
            continue;
        }
        // One set, the longer-waiting VFO's.
        int vfo = 0;
        if (!m_waitingSet[0] ||
            (m_waitingSet[1] && m_waitingSet[1]->since < m_waitingSet[0]->since))
            vfo = 1;
        const std::string wire = std::move(m_waitingSet[vfo]->wire);
        m_waitingSet[vfo].reset();
        std::string error;
        WriteLocked(wire, error);
        m_lastSetAt = Clock::now();
        lock.unlock();
        LogWritten({wire}, error);
        lock.lock();
    }
}

CK2RadioPort::PortRead CK2RadioPort::ReadWaitingBytes(std::string& bytes) {
    PortRead result;
    std::string hangUp;
    {
        std::lock_guard lock(m_csComm);
        result = PortRead{m_generation, m_port.isOpen()};
        if (!result.open)
            return result;
        const platform::SerialResult waiting = m_port.bytesWaiting();
        bool hungUp = waiting.status == platform::SerialStatus::HangUp;
        if (waiting.ok()) {
            // Only what was waiting when the cycle began, in pieces of the
            // read buffer; with nothing waiting one read still runs, since
            // only a read tells a line that has gone from an idle one.
            std::size_t left = waiting.count;
            char buffer[kReadPiece];
            do {
                const std::size_t piece = left > 0 ? std::min(left, sizeof buffer) : sizeof buffer;
                const platform::SerialResult r = m_port.read(buffer, piece);
                hungUp = r.status == platform::SerialStatus::HangUp;
                if (!r.ok() || r.count == 0)
                    break;
                bytes.append(buffer, r.count);
                left -= std::min(left, r.count);
            } while (left > 0);
        }
        if (hungUp) {
            hangUp = CloseHungUpPort();
            result.open = false;
        }
    }
    if (!hangUp.empty())
        Log(kLogTimeStamped, kLogError, hangUp);
    return result;
}

std::string CK2RadioPort::CloseHungUpPort() {
    const std::string device = m_port.devicePath().string();
    m_port.close();
    ResetLineLocked(false);  // a waiting set goes nowhere
    m_bCommOpened = false;
    m_dwLastError = K2ERR_PORT_NOT_OPEN;
    return "COM" + std::to_string(m_nPort.load()) + " (" + device +
           ") hung up: radio port closed until it is opened again";
}

std::uint64_t CK2RadioPort::PortGeneration() const {
    std::lock_guard lock(m_csComm);
    return m_generation;
}

void CK2RadioPort::PurgeReceiveQueue() {
    std::lock_guard lock(m_csComm);
    if (m_port.isOpen())
        m_port.purgeInput();
}

// --- Task steering ------------------------------------------------------------

void CK2RadioPort::SetNotifierAddress(int mode, NotifierTarget* target) {
    CRecvrCmdParsingThread* reply = nullptr;
    {
        std::lock_guard lock(m_taskLock);
        m_notifierMode = mode;
        m_notifierTarget = target;
        reply = m_pRecvrCmdParsingThread.get();
        if (reply != nullptr)
            reply->Post(CRecvrCmdParsingThread::ParamCmd{
                CRecvrCmdParsingThread::PARAM_CMD_NOTIFIER, mode, target, {}});
    }
    if (reply != nullptr)
        Pause(100ms);
    {
        std::lock_guard lock(m_taskLock);
        if (m_pCWMsgTransmittingThread)
            m_pCWMsgTransmittingThread->Post(
                CCWMsgTransmittingThread::NotifierAddress{mode, target});
    }
    if (mode == NOTIFIER_NONE)
        EnableStatusPolling(false);
}

void CK2RadioPort::EnableStatusPolling(bool enable) {
    std::lock_guard lock(m_taskLock);
    if (m_pK2StatusCmdQueryThread)
        m_pK2StatusCmdQueryThread->Post(CK2StatusCmdQueryThread::RemoteCmd{
            enable ? REMOTE_CMD_ENABLE_STATUS_QUERY : REMOTE_CMD_DISABLE_STATUS_QUERY, 0});
}

std::uint32_t CK2RadioPort::EnableStatusQuery(std::int16_t enable) {
    EnableStatusPolling(enable != 0);
    return K2ERR_NONE;
}

void CK2RadioPort::PauseStatusPollingForCW(bool paused) {
    std::lock_guard lock(m_taskLock);
    if (m_pK2StatusCmdQueryThread)
        m_pK2StatusCmdQueryThread->Post(CK2StatusCmdQueryThread::CWPause{paused});
}

void CK2RadioPort::PostKeyboardCWStatus(int status) {
    std::lock_guard lock(m_taskLock);
    if (m_pCWMsgTransmittingThread)
        m_pCWMsgTransmittingThread->Post(CCWMsgTransmittingThread::TxStatus{status});
}

void CK2RadioPort::AbortKeyboardCWIfActive() {
    std::lock_guard lock(m_taskLock);
    if (m_pCWMsgTransmittingThread)
        m_pCWMsgTransmittingThread->Post(CCWMsgTransmittingThread::AbortIfActive{});
}

void CK2RadioPort::EnterCOMPortDiagMode(ReplySink* dialog) {
    std::lock_guard lock(m_taskLock);
    if (m_pCWMsgTransmittingThread)
        m_pCWMsgTransmittingThread->Post(
            CCWMsgTransmittingThread::TxCmd{CCWMsgTransmittingThread::CWTX_CMD_ABORT, {}});
    m_statusMask = 1;
    if (m_pK2StatusCmdQueryThread) {
        m_pK2StatusCmdQueryThread->Post(
            CK2StatusCmdQueryThread::RemoteCmd{REMOTE_CMD_SET_STATUS_QUERY_MASK, 1});
        // The dialog shows the display, so it must be polled.
        m_pK2StatusCmdQueryThread->Post(
            CK2StatusCmdQueryThread::RemoteCmd{REMOTE_CMD_ENABLE_STATUS_QUERY, 0});
    }
    m_diagSink = dialog;
    if (m_pRecvrCmdParsingThread) {
        m_pRecvrCmdParsingThread->SetDiagSink(dialog);
        m_pRecvrCmdParsingThread->Post(CRecvrCmdParsingThread::RemoteCmd{
            CRecvrCmdParsingThread::REMOTE_CMD_ENTER_COMPORT_DIAG});
    }
}

void CK2RadioPort::ExitCOMPortDiagMode() {
    const bool connected = m_services.client != nullptr && m_services.client->IsClientConnected();
    std::lock_guard lock(m_taskLock);
    m_diagSink = nullptr;
    if (m_pRecvrCmdParsingThread) {
        // Synchronous: the dialog may be destroyed as soon as this returns.
        m_pRecvrCmdParsingThread->SetDiagSink(nullptr);
        m_pRecvrCmdParsingThread->Post(CRecvrCmdParsingThread::RemoteCmd{
            CRecvrCmdParsingThread::REMOTE_CMD_EXIT_COMPORT_DIAG});
    }
    m_statusMask = 3;
    if (m_pK2StatusCmdQueryThread) {
        if (!connected)
            m_pK2StatusCmdQueryThread->Post(
                CK2StatusCmdQueryThread::RemoteCmd{REMOTE_CMD_DISABLE_STATUS_QUERY, 0});
        m_pK2StatusCmdQueryThread->Post(
            CK2StatusCmdQueryThread::RemoteCmd{REMOTE_CMD_SET_STATUS_QUERY_MASK, 3});
    }
}

unsigned long CK2RadioPort::GetRecvrThreadID() const {
    std::lock_guard lock(m_taskLock);
    if (!m_pRecvrCmdParsingThread)
        return 0;
    ACE_thread_t id{};
    if (m_pRecvrCmdParsingThread->thr_mgr()->thread_list(m_pRecvrCmdParsingThread.get(), &id, 1) !=
        1)
        return 0;
    return static_cast<unsigned long>(id);
}
