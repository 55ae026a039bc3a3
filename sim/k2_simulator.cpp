#include "sim/k2_simulator.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <regex>
#include <system_error>
#include <utility>

namespace sim {
namespace {

constexpr unsigned kRadioBaud = 4800;

std::string escaped(std::string_view bytes) {
    std::string text;
    for (char c : bytes) {
        auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte < 0x7F && byte != '\\') {
            text.push_back(c);
        } else {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", byte);
            text += hex;
        }
    }
    return text;
}

}  // namespace

K2Simulator::K2Simulator(K2SimulatorOptions options)
    : m_options(std::move(options)),
      m_radio(m_options.kyCapacity, m_options.timeScale),
      m_pacing(m_options.pacing),
      m_readPacing(m_options.readPacing),
      m_aiDelay(m_options.aiDelay),
      m_replyDelay(m_options.replyDelay) {
    if (m_options.timeScale <= 0) {
        m_options.timeScale = 1.0;
    }
}

K2Simulator::~K2Simulator() {
    stop();
}

StartResult K2Simulator::start() {
    namespace fs = std::filesystem;
    std::lock_guard lock(m_mutex);
    if (m_started || m_stopping) {
        return {StartError::AlreadyStarted, "the simulator has already been started"};
    }
    if (!m_options.folder.empty()) {
        std::error_code ec;
        fs::create_directories(m_options.folder, ec);
        if (ec) {
            return {StartError::FolderFailed,
                    "cannot create " + m_options.folder.string() + ": " + ec.message()};
        }
        m_linkPath = m_options.folder / ("com" + std::to_string(m_options.com));
        fs::file_status status = fs::symlink_status(m_linkPath, ec);
        if (fs::exists(status) && !fs::is_symlink(status)) {
            return {StartError::NotALink, m_linkPath.string() + " exists and is not a link"};
        }
    }

    std::string error;
    if (!m_pty.open(error)) {
        return {StartError::PtyFailed, error};
    }
    m_devicePath = m_pty.slaveName();
    if (!m_linkPath.empty()) {
        LinkResult linked = createLink(m_linkPath, m_devicePath, error);
        if (linked != LinkResult::Ok) {
            m_pty.close();
            return {linked == LinkResult::NotALink ? StartError::NotALink : StartError::LinkFailed,
                    error};
        }
    }
    if (::pipe2(m_wake, O_CLOEXEC | O_NONBLOCK) != 0) {
        m_pty.close();
        sim::removeLink(m_linkPath, m_devicePath);
        return {StartError::PtyFailed, "pipe2 failed"};
    }

    m_masterOpen = true;
    m_startTime = Clock::now();
    m_lastPieceEnd = m_startTime;
    m_lastInDue = m_startTime;
    m_started = true;
    m_reader = std::thread([this] { readerLoop(); });
    m_writer = std::thread([this] { writerLoop(); });
    m_timer = std::thread([this] { timerLoop(); });
    return {};
}

void K2Simulator::stop() {
    {
        std::lock_guard lock(m_mutex);
        if (!m_started) {
            return;
        }
        m_stopping = true;
    }
    wakeReader();
    m_outputCv.notify_all();
    m_timerCv.notify_all();
    m_commandCv.notify_all();
    m_reader.join();
    m_writer.join();
    m_timer.join();

    std::lock_guard lock(m_mutex);
    m_pty.close();
    m_masterOpen = false;
    for (int& fd : m_wake) {
        ::close(fd);
        fd = -1;
    }
    if (!m_linkPath.empty()) {
        sim::removeLink(m_linkPath, m_devicePath);
    }
    m_queue.clear();
    m_pending.clear();
    m_timers.clear();
    m_started = false;
}

void K2Simulator::wakeReader() {
    if (m_wake[1] >= 0) {
        char byte = 1;
        [[maybe_unused]] ssize_t n = ::write(m_wake[1], &byte, 1);
    }
}

std::filesystem::path K2Simulator::linkPath() const {
    std::lock_guard lock(m_mutex);
    return m_linkPath;
}

std::filesystem::path K2Simulator::devicePath() const {
    std::lock_guard lock(m_mutex);
    return m_devicePath;
}

K2State K2Simulator::state() const {
    std::lock_guard lock(m_mutex);
    return m_radio.state();
}

// --- reader -------------------------------------------------------------

namespace {

// Read-ahead while the radio takes bytes at the line's pace: what is beyond
// it stays in the pty, which fills and blocks the server as it would.
constexpr std::size_t kPacedReadAhead = 64;

}  // namespace

void K2Simulator::readerLoop() {
    std::array<char, 4096> buffer{};
    for (;;) {
        int fd = -1;
        std::size_t room = 0;
        std::optional<Clock::time_point> wakeAt;
        {
            std::lock_guard lock(m_mutex);
            if (m_stopping) {
                return;
            }
            if (m_closeRequested && m_masterOpen) {
                // Only this thread polls the master, so only it may close it.
                m_pty.close();
                m_masterOpen = false;
                m_pending.clear();
                m_outputCv.notify_all();
                m_commandCv.notify_all();
            }
            if (m_masterOpen && m_reading) {
                takeDueBytes(Clock::now());
                std::size_t limit = m_readPacing ? kPacedReadAhead : buffer.size();
                if (m_pending.size() < limit) {
                    fd = m_pty.master();
                    room = std::min(limit - m_pending.size(), buffer.size());
                }
                if (!m_pending.empty()) {
                    wakeAt = m_pending.front().due;
                }
            }
        }
        std::array<pollfd, 2> fds{{{m_wake[0], POLLIN, 0}, {fd, POLLIN, 0}}};
        timespec timeout{};
        if (wakeAt) {
            auto left = std::max(*wakeAt - Clock::now(), Clock::duration::zero());
            auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(left).count();
            timeout.tv_sec = static_cast<time_t>(ns / 1000000000);
            timeout.tv_nsec = static_cast<long>(ns % 1000000000);
        }
        int ready = ::ppoll(fds.data(), fd >= 0 ? 2 : 1, wakeAt ? &timeout : nullptr, nullptr);
        if (ready < 0) {
            if (errno != EINTR) {
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            }
            continue;
        }
        if ((fds[0].revents & POLLIN) != 0) {
            char drain[64];
            while (::read(m_wake[0], drain, sizeof drain) > 0) {
            }
        }
        if (fd >= 0 && fds[1].revents != 0) {
            // Read under the lock, so that once setReading(false) or
            // closeMaster() has returned not one more byte is taken.
            std::unique_lock lock(m_mutex);
            if (!m_reading || !m_masterOpen || m_closeRequested) {
                continue;
            }
            ssize_t got = ::read(fd, buffer.data(), room);
            if (got > 0) {
                takeInput(buffer.data(), static_cast<std::size_t>(got), Clock::now());
            } else if (got == 0 || (errno != EAGAIN && errno != EINTR)) {
                // No slave end open (we keep ours, so this is brief): don't spin.
                lock.unlock();
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            }
        }
    }
}

void K2Simulator::takeInput(const char* data, std::size_t size, Clock::time_point now) {
    const Clock::duration perCharacter = inputCharacterTime();
    for (std::size_t i = 0; i < size; ++i) {
        m_lastInDue = std::max(now, m_lastInDue) + perCharacter;
        m_pending.push_back(PendingByte{data[i], m_lastInDue});
    }
    takeDueBytes(now);
}

void K2Simulator::takeDueBytes(Clock::time_point now) {
    bool took = false;
    while (!m_pending.empty() && m_pending.front().due <= now) {
        PendingByte next = m_pending.front();
        m_pending.pop_front();
        handleByte(next.byte, next.due);
        took = true;
    }
    if (took) {
        m_commandCv.notify_all();
    }
}

void K2Simulator::handleByte(char byte, Clock::time_point stamp) {
    m_bytes.push_back(ByteRecord{stamp, Direction::In, static_cast<std::uint8_t>(byte)});
    std::optional<CommandFramer::Event> event = m_framer.feed(byte);
    if (!event) {
        return;
    }
    // The radio only understands what arrives at its own line settings.
    std::optional<LineSettings> line = readLineSettings(m_pty.master());
    bool lineOk = line && line->matchesRadio();
    if (line && (m_lineLog.empty() || !m_lineLog.back().settings.sameLine(*line))) {
        m_lineLog.push_back(LineRecord{stamp, *line});
    }
    bool overflow = event->kind == CommandFramer::Event::Kind::Overflow;
    if (overflow) {
        traceLine(stamp, "overflow", {});
    } else {
        m_commands.push_back(CommandRecord{m_commands.size(), stamp, event->text, lineOk});
        traceLine(stamp, "cmd", event->text + ";");
    }
    if (!lineOk) {
        ++m_lineMismatches;
    } else if (overflow) {
        queueOutputs(m_radio.overflow(), stamp);
    } else {
        queueOutputs(m_radio.handleCommand(event->text, stamp), stamp);
    }
}

void K2Simulator::queueOutputs(std::vector<Output> outputs, Clock::time_point now) {
    for (Output& output : outputs) {
        Segment segment;
        segment.bytes = std::move(output.bytes);
        segment.notBefore = now + (output.kind == Output::Kind::Reply ? m_replyDelay : m_aiDelay) +
                            output.extraDelay;
        segment.reply = true;
        m_queue.push_back(std::move(segment));
    }
    if (!outputs.empty()) {
        m_outputCv.notify_all();
    }
}

void K2Simulator::traceLine(Clock::time_point time, const char* what, std::string_view bytes) {
    if (!m_options.trace) {
        return;
    }
    double ms = std::chrono::duration<double, std::milli>(time - m_startTime).count();
    char stamp[48];
    std::snprintf(stamp, sizeof stamp, "%12.3f ms %-5s ", ms, what);
    m_options.trace(stamp + escaped(bytes));
}

// --- writer -------------------------------------------------------------

Clock::duration characterTime(const LineSettings& line, double timeScale) {
    if (line.baud == 0 || !(timeScale > 0)) {
        return Clock::duration::zero();
    }
    int bits = 1 + line.dataBits + (line.parity == 'N' ? 0 : 1) + line.stopBits;
    double seconds = bits / static_cast<double>(line.baud) / timeScale;
    return std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds));
}

// The radio writes at its own speed in the framing of the line.
Clock::duration K2Simulator::outputCharacterTime() const {
    LineSettings line = readLineSettings(m_pty.master()).value_or(LineSettings{});
    line.baud = kRadioBaud;
    return characterTime(line, m_options.timeScale);
}

// The server's bytes come at its own speed and framing; a speed outside the
// table is taken as the radio's.
Clock::duration K2Simulator::inputCharacterTime() const {
    if (!m_readPacing) {
        return Clock::duration::zero();
    }
    LineSettings line = readLineSettings(m_pty.master()).value_or(LineSettings{});
    if (line.baud == 0) {
        line.baud = kRadioBaud;
    }
    return characterTime(line, m_options.timeScale);
}

void K2Simulator::writerLoop() {
    std::unique_lock lock(m_mutex);
    bool started = false;  // the front segment has begun
    std::size_t written = 0;
    Clock::time_point pieceStart;
    Clock::time_point nextByteDue;  // a paced byte never leaves before this
    Clock::duration perByte{};
    while (!m_stopping) {
        if (m_queue.empty()) {
            m_outputCv.notify_all();
            m_outputCv.wait(lock);
            continue;
        }
        if (!m_masterOpen) {
            // Nobody can hear it any more.
            m_queue.clear();
            started = false;
            continue;
        }
        Segment& segment = m_queue.front();
        Clock::time_point now = Clock::now();
        if (!started) {
            // A piece never starts before the last one has left the line.
            Clock::time_point due =
                std::max(segment.notBefore,
                         m_lastPieceEnd + (segment.chained ? segment.gap : Clock::duration{}));
            if (now < due) {
                m_outputCv.wait_until(lock, due);
                continue;
            }
            started = true;
            written = 0;
            pieceStart = now;
            nextByteDue = now;
            perByte = outputCharacterTime();
        }

        // Paced bytes go one at a time, each a byte time after the one
        // before: a writer that wakes late sends the next byte late, never a
        // catch-up burst faster than the line.
        bool paced = m_pacing && !segment.burst && perByte.count() > 0;
        std::size_t target = segment.bytes.size();
        if (paced) {
            target = now >= nextByteDue ? std::min(target, written + 1) : written;
        }
        bool blocked = false;
        if (written < target) {
            ssize_t n = ::write(m_pty.master(), segment.bytes.data() + written, target - written);
            if (n > 0) {
                Clock::time_point at = Clock::now();
                nextByteDue = at + perByte;
                for (ssize_t i = 0; i < n; ++i) {
                    m_bytes.push_back(ByteRecord{
                        at, Direction::Out, static_cast<std::uint8_t>(segment.bytes[written])});
                    ++written;
                }
            } else if (n < 0 && (errno == EAGAIN || errno == EINTR)) {
                blocked = true;  // the server is not reading: wait for room
            } else {
                // The line is gone; drop this piece.
                written = segment.bytes.size();
            }
        }
        if (written == segment.bytes.size()) {
            traceLine(pieceStart, segment.reply ? "reply" : "raw", segment.bytes);
            // The last byte takes a byte time on the line after its write.
            m_lastPieceEnd = std::max(Clock::now(), paced ? nextByteDue : Clock::time_point{});
            m_queue.pop_front();
            started = false;
            m_outputCv.notify_all();
            continue;
        }
        if (blocked || !paced) {
            m_outputCv.wait_for(lock, std::chrono::milliseconds(2));
        } else {
            m_outputCv.wait_until(lock, nextByteDue);
        }
    }
}

bool K2Simulator::waitForOutputIdle(std::chrono::milliseconds timeout) const {
    std::unique_lock lock(m_mutex);
    return m_outputCv.wait_for(lock, timeout,
                               [this] { return m_queue.empty() || !m_masterOpen || m_stopping; });
}

// --- timer --------------------------------------------------------------

void K2Simulator::schedule(Clock::time_point when, std::function<void()> action) {
    m_timers.emplace(when, std::move(action));
    m_timerCv.notify_all();
}

void K2Simulator::timerLoop() {
    std::unique_lock lock(m_mutex);
    while (!m_stopping) {
        if (m_timers.empty()) {
            m_timerCv.wait(lock);
            continue;
        }
        auto first = m_timers.begin();
        if (Clock::now() < first->first) {
            m_timerCv.wait_until(lock, first->first);
            continue;
        }
        std::function<void()> action = std::move(first->second);
        m_timers.erase(first);
        action();
    }
}

// --- logs ---------------------------------------------------------------

std::vector<ByteRecord> K2Simulator::byteLog() const {
    std::lock_guard lock(m_mutex);
    return m_bytes;
}

std::string K2Simulator::bytesIn() const {
    std::lock_guard lock(m_mutex);
    std::string text;
    for (const ByteRecord& record : m_bytes) {
        if (record.direction == Direction::In) {
            text.push_back(static_cast<char>(record.byte));
        }
    }
    return text;
}

std::string K2Simulator::bytesOut() const {
    std::lock_guard lock(m_mutex);
    std::string text;
    for (const ByteRecord& record : m_bytes) {
        if (record.direction == Direction::Out) {
            text.push_back(static_cast<char>(record.byte));
        }
    }
    return text;
}

std::vector<CommandRecord> K2Simulator::commands() const {
    std::lock_guard lock(m_mutex);
    return m_commands;
}

std::size_t K2Simulator::commandCount() const {
    std::lock_guard lock(m_mutex);
    return m_commands.size();
}

std::optional<CommandRecord> K2Simulator::waitForCommand(const std::string& pattern,
                                                         std::chrono::milliseconds timeout,
                                                         std::size_t from) const {
    const std::regex re(pattern, std::regex::ECMAScript | std::regex::icase);
    const Clock::time_point deadline = Clock::now() + timeout;
    std::unique_lock lock(m_mutex);
    std::size_t next = from;
    for (;;) {
        for (; next < m_commands.size(); ++next) {
            if (std::regex_match(m_commands[next].text, re)) {
                return m_commands[next];
            }
        }
        if (m_stopping || m_commandCv.wait_until(lock, deadline) == std::cv_status::timeout) {
            for (; next < m_commands.size(); ++next) {
                if (std::regex_match(m_commands[next].text, re)) {
                    return m_commands[next];
                }
            }
            return std::nullopt;
        }
    }
}

std::string K2Simulator::keyedText() const {
    std::lock_guard lock(m_mutex);
    m_radio.advanceKeyer(Clock::now());
    std::string text;
    for (const KeyedChar& keyed : m_radio.keyed()) {
        text.push_back(keyed.c);
    }
    return text;
}

std::vector<KeyedChar> K2Simulator::keyedChars() const {
    std::lock_guard lock(m_mutex);
    m_radio.advanceKeyer(Clock::now());
    return m_radio.keyed();
}

void K2Simulator::setTimeScale(double scale) {
    std::lock_guard lock(m_mutex);
    m_radio.advanceKeyer(Clock::now());
    m_radio.setTimeScale(scale);
}

std::size_t K2Simulator::kyPending() const {
    std::lock_guard lock(m_mutex);
    m_radio.advanceKeyer(Clock::now());
    return m_radio.kyPending();
}

std::size_t K2Simulator::errorReplyCount() const {
    std::lock_guard lock(m_mutex);
    return m_radio.errorReplies();
}

std::size_t K2Simulator::overrunCount() const {
    std::lock_guard lock(m_mutex);
    return m_radio.overruns();
}

std::size_t K2Simulator::lineMismatchCount() const {
    std::lock_guard lock(m_mutex);
    return m_lineMismatches;
}

std::optional<LineSettings> K2Simulator::lineSettings() const {
    std::lock_guard lock(m_mutex);
    if (!m_masterOpen) {
        return std::nullopt;
    }
    return readLineSettings(m_pty.master());
}

std::vector<LineRecord> K2Simulator::lineLog() const {
    std::lock_guard lock(m_mutex);
    return m_lineLog;
}

// --- faults -------------------------------------------------------------

void K2Simulator::injectRaw(std::string bytes, std::vector<RawSplit> splits, bool burst) {
    std::sort(splits.begin(), splits.end(),
              [](const RawSplit& a, const RawSplit& b) { return a.offset < b.offset; });
    std::lock_guard lock(m_mutex);
    Clock::time_point now = Clock::now();
    std::size_t begin = 0;
    std::chrono::milliseconds gap{0};
    bool chained = false;
    auto piece = [&](std::size_t end) {
        Segment segment;
        segment.bytes = bytes.substr(begin, end - begin);
        segment.notBefore = now;
        segment.gap = gap;
        segment.chained = chained;
        segment.burst = burst;
        m_queue.push_back(std::move(segment));
        begin = end;
    };
    for (const RawSplit& split : splits) {
        std::size_t offset = std::min(split.offset, bytes.size());
        if (offset > begin) {
            piece(offset);
            chained = true;
        }
        gap = split.gap;
    }
    if (begin < bytes.size()) {
        piece(bytes.size());
    }
    m_outputCv.notify_all();
}

void K2Simulator::setDisplayFrames(std::vector<DisplayFrame> frames) {
    std::lock_guard lock(m_mutex);
    m_radio.setDisplayFrames(std::move(frames));
}

void K2Simulator::setBarGraph(int level, BarMode mode) {
    std::lock_guard lock(m_mutex);
    m_radio.setBarGraph(level, mode);
}

void K2Simulator::setKyAnswer(KyAnswer answer, std::chrono::milliseconds late) {
    std::lock_guard lock(m_mutex);
    m_radio.setKyAnswer(answer, late);
}

void K2Simulator::setPowerOn(bool on) {
    std::lock_guard lock(m_mutex);
    m_radio.setPowerOn(on);
}

void K2Simulator::setReading(bool on) {
    {
        std::lock_guard lock(m_mutex);
        if (on && !m_reading) {
            // What was read before the pause goes on at the line's pace from now.
            Clock::time_point now = Clock::now();
            Clock::duration perCharacter = inputCharacterTime();
            m_lastInDue = now;
            for (PendingByte& pending : m_pending) {
                m_lastInDue += perCharacter;
                pending.due = m_lastInDue;
            }
        }
        m_reading = on;
    }
    wakeReader();
}

void K2Simulator::closeMaster() {
    std::unique_lock lock(m_mutex);
    if (!m_started || !m_masterOpen) {
        return;
    }
    m_closeRequested = true;
    wakeReader();
    m_commandCv.wait(lock, [this] { return !m_masterOpen || m_stopping; });
}

bool K2Simulator::removeLink() {
    std::lock_guard lock(m_mutex);
    return !m_linkPath.empty() && sim::removeLink(m_linkPath, m_devicePath);
}

bool K2Simulator::recreateLink() {
    std::lock_guard lock(m_mutex);
    std::string error;
    return !m_linkPath.empty() && m_started &&
           createLink(m_linkPath, m_devicePath, error) == LinkResult::Ok;
}

void K2Simulator::setPacing(bool on) {
    std::lock_guard lock(m_mutex);
    m_pacing = on;
    m_outputCv.notify_all();
}

void K2Simulator::setReadPacing(bool on) {
    {
        std::lock_guard lock(m_mutex);
        m_readPacing = on;
        if (!on) {
            // Whatever waits is taken at once.
            Clock::time_point now = Clock::now();
            for (PendingByte& pending : m_pending) {
                pending.due = std::min(pending.due, now);
            }
            m_lastInDue = std::min(m_lastInDue, now);
        }
    }
    wakeReader();
}

void K2Simulator::setReplyDelay(std::chrono::milliseconds delay) {
    std::lock_guard lock(m_mutex);
    m_replyDelay = delay;
}

void K2Simulator::setAiDelay(std::chrono::milliseconds delay) {
    std::lock_guard lock(m_mutex);
    m_aiDelay = delay;
}

// --- front panel --------------------------------------------------------

void K2Simulator::turnVfo(int steps, int hz, double stepsPerSecond) {
    std::lock_guard lock(m_mutex);
    if (steps == 0 || stepsPerSecond <= 0) {
        return;
    }
    const int delta = steps < 0 ? -hz : hz;
    const auto period = std::chrono::duration_cast<Clock::duration>(
        std::chrono::duration<double>(1.0 / stepsPerSecond));
    const Clock::time_point first = Clock::now();
    for (int i = 0; i < std::abs(steps); ++i) {
        schedule(first + period * i,
                 [this, delta] { queueOutputs(m_radio.turnVfoStep(delta), Clock::now()); });
    }
}

void K2Simulator::pressModeKey() {
    std::lock_guard lock(m_mutex);
    queueOutputs(m_radio.pressModeKey(), Clock::now());
}

void K2Simulator::pressBandKey(bool up) {
    std::lock_guard lock(m_mutex);
    queueOutputs(m_radio.pressBandKey(up), Clock::now());
}

}  // namespace sim
