#pragma once

// K2Simulator: a K2 transceiver on a pseudo-terminal, for tests and k2sim.
//
// Usage:
//   sim::K2SimulatorOptions options;
//   options.folder = tempDir;             // the link comN goes here
//   options.com = 3;
//   options.timeScale = 100;              // CW keying and line pacing 100x faster
//   options.readPacing = false;           // take the server's bytes as fast as they come
//   sim::K2Simulator radio(options);
//   if (!radio.start().ok()) ...;
//   // open options.folder/"com3" (or radio.devicePath()) as the serial port,
//   // write "FA;" and read "FA00014060000;"
//   auto cmd = radio.waitForCommand("KY .*", std::chrono::seconds(2));
//   radio.setKyAnswer(sim::KyAnswer::Never);   // faults, any time
//   radio.stop();                          // also done by the destructor
//
// The simulator runs three threads of its own: a reader (bytes from the
// server, taken at the line's pace, commands, replies), a writer (paced
// output) and a timer (panel events).
//
// Line timing, both ways: the radio takes each byte the server wrote one
// character time after the later of its arrival and the previous byte, as a
// UART would, at the speed and framing the server set; it writes its own
// bytes a character time apart at 4800 baud. What a pseudo-terminal cannot
// model: framing and parity (Linux shows only the speed and the stop bits, so
// a character is 10 or 11 bit times), a real driver's buffer size and its
// back-pressure (a pty takes about 20 KB before a write blocks, a UART driver
// typically 4 KiB), and the driver's output-queue count (TIOCOUTQ always
// reads 0 on a pty). The simulator shows line timing, not a driver's
// back-pressure. Every public member may be called from any thread; one mutex
// guards the radio, the logs and the output queue. The trace callback runs on
// the simulator's threads with that mutex held and must not call back.

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <filesystem>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "sim/command_framer.h"
#include "sim/k2_radio.h"
#include "sim/pty.h"

namespace sim {

struct K2SimulatorOptions {
    std::filesystem::path folder;  // where the link comN is made; empty: no link
    unsigned com = 1;
    double timeScale = 1.0;  // divides line pacing and CW keying times
    bool pacing = true;      // write at the line rate, else as fast as the pty takes it
    bool readPacing = true;  // take the server's bytes at the line rate, else as they come
    std::chrono::milliseconds aiDelay{20};
    std::chrono::milliseconds replyDelay{0};
    std::size_t kyCapacity = 32;
    // One line per command received and per reply written, for k2sim --trace.
    std::function<void(const std::string&)> trace;
};

enum class StartError { None, AlreadyStarted, FolderFailed, PtyFailed, NotALink, LinkFailed };

struct StartResult {
    StartError error = StartError::None;
    std::string message;
    bool ok() const { return error == StartError::None; }
};

enum class Direction { In, Out };  // In: from the server to the radio

// One character on a line with these settings: start bit, data bits, a
// parity bit unless parity is 'N', and the stop bits, at `baud`, divided by
// `timeScale`. Zero for an unknown speed (baud 0) or a scale that is not
// positive. Both directions of the simulated line are timed by it.
Clock::duration characterTime(const LineSettings& line, double timeScale);

struct ByteRecord {
    Clock::time_point time;  // In: when the radio took it off the line
    Direction direction;
    std::uint8_t byte;
};

struct CommandRecord {
    std::size_t index = 0;   // position in commands()
    Clock::time_point time;  // when its ";" was taken off the line
    std::string text;        // as received, without ";"
    bool lineOk = true;      // false: ignored for a line mismatch
};

struct LineRecord {
    Clock::time_point time;
    LineSettings settings;
};

// A cut in injected bytes: the bytes from `offset` on follow after `gap`.
struct RawSplit {
    std::size_t offset = 0;
    std::chrono::milliseconds gap{0};
};

class K2Simulator {
  public:
    explicit K2Simulator(K2SimulatorOptions options);
    ~K2Simulator();
    K2Simulator(const K2Simulator&) = delete;
    K2Simulator& operator=(const K2Simulator&) = delete;

    // Creates the folder if needed, opens the pty, links comN to it (a stale
    // link is replaced; an entry that is not a link is refused) and starts
    // the threads.
    StartResult start();
    // Stops the threads, closes the pty and removes the link if it is still
    // ours. Idempotent.
    void stop();

    std::filesystem::path linkPath() const;
    std::filesystem::path devicePath() const;  // the slave, e.g. /dev/pts/7
    K2State state() const;

    // --- logs ---
    std::vector<ByteRecord> byteLog() const;
    std::string bytesIn() const;   // everything the server wrote
    std::string bytesOut() const;  // everything written to the server
    std::vector<CommandRecord> commands() const;
    std::size_t commandCount() const;
    // The first command at index `from` or later whose text (without ";")
    // matches `pattern` as a whole, ignoring case (ECMAScript regex);
    // nothing on time-out.
    std::optional<CommandRecord> waitForCommand(const std::string& pattern,
                                                std::chrono::milliseconds timeout,
                                                std::size_t from = 0) const;
    // Waits until every queued reply and injected byte has been written.
    bool waitForOutputIdle(std::chrono::milliseconds timeout) const;
    std::string keyedText() const;
    std::vector<KeyedChar> keyedChars() const;
    std::size_t kyPending() const;
    std::size_t errorReplyCount() const;  // "?;" answers
    std::size_t overrunCount() const;     // KY characters dropped for a full buffer
    std::size_t lineMismatchCount() const;
    std::optional<LineSettings> lineSettings() const;  // read back now
    std::vector<LineRecord> lineLog() const;           // each change seen at a command

    // --- faults ---
    // Writes `bytes` as they are (through the output queue, after anything
    // queued before). Each split starts a new piece that follows the
    // previous one after its gap. `burst` writes each piece in one write()
    // instead of pacing it.
    void injectRaw(std::string bytes, std::vector<RawSplit> splits = {}, bool burst = false);
    // DS frames used in turn at every DS (one frame: fixed); none: the
    // radio's own display.
    void setDisplayFrames(std::vector<DisplayFrame> frames);
    void setBarGraph(int level, BarMode mode);
    // A late answer holds back what is queued after it, as on the one line.
    void setKyAnswer(KyAnswer answer, std::chrono::milliseconds late = {});
    void setPowerOn(bool on);  // off: no answer to anything
    void setReading(bool on);  // off: the master is not read, so the server's writes block
    void closeMaster();        // the server sees a hang-up; the simulator stays stopped
    bool removeLink();
    bool recreateLink();
    void setPacing(bool on);
    // Off: every byte the server writes is taken as soon as it arrives.
    void setReadPacing(bool on);
    void setReplyDelay(std::chrono::milliseconds delay);
    void setAiDelay(std::chrono::milliseconds delay);
    // CW keying from now on runs `scale` times faster (the character being
    // keyed included); line pacing keeps the scale it started with. A scale
    // that is not positive is ignored.
    void setTimeScale(double scale);

    // --- front panel (reported by auto-info) ---
    // Turns the VFO knob `steps` times (negative: down) by `hz` each, at
    // `stepsPerSecond`; returns at once.
    void turnVfo(int steps, int hz, double stepsPerSecond);
    void pressModeKey();
    void pressBandKey(bool up);

  private:
    struct Segment {
        std::string bytes;
        Clock::time_point notBefore;
        std::chrono::milliseconds gap{0};  // after the previous piece, when chained
        bool chained = false;
        bool burst = false;
        bool reply = false;  // traced as a reply
    };

    void readerLoop();
    void writerLoop();
    void timerLoop();
    void wakeReader();
    void takeInput(const char* data, std::size_t size, Clock::time_point now);
    void takeDueBytes(Clock::time_point now);
    void handleByte(char byte, Clock::time_point stamp);
    void queueOutputs(std::vector<Output> outputs, Clock::time_point now);
    void traceLine(Clock::time_point time, const char* what, std::string_view bytes);
    void schedule(Clock::time_point when, std::function<void()> action);
    Clock::duration outputCharacterTime() const;
    Clock::duration inputCharacterTime() const;

    K2SimulatorOptions m_options;
    mutable std::mutex m_mutex;
    mutable std::condition_variable m_commandCv;
    mutable std::condition_variable m_outputCv;
    std::condition_variable m_timerCv;

    PseudoTerminal m_pty;
    std::filesystem::path m_linkPath;
    std::filesystem::path m_devicePath;
    int m_wake[2] = {-1, -1};
    bool m_started = false;
    bool m_stopping = false;
    bool m_reading = true;
    bool m_closeRequested = false;
    bool m_masterOpen = false;
    std::thread m_reader;
    std::thread m_writer;
    std::thread m_timer;
    Clock::time_point m_startTime;

    mutable K2Radio m_radio;  // the keyer catches up with the clock on reads
    CommandFramer m_framer;
    bool m_pacing;
    bool m_readPacing;
    std::chrono::milliseconds m_aiDelay;
    std::chrono::milliseconds m_replyDelay;

    // Bytes read off the master that the radio has not taken yet, each with
    // the time it is taken. Kept short, so that the rest waits in the pty.
    struct PendingByte {
        char byte;
        Clock::time_point due;
    };
    std::deque<PendingByte> m_pending;
    Clock::time_point m_lastInDue;  // when the last byte read is (or was) taken

    std::deque<Segment> m_queue;
    bool m_writing = false;
    Clock::time_point m_lastPieceEnd;  // when the last piece has left the line
    std::multimap<Clock::time_point, std::function<void()>> m_timers;

    std::vector<ByteRecord> m_bytes;
    std::vector<CommandRecord> m_commands;
    std::vector<LineRecord> m_lineLog;
    std::size_t m_lineMismatches = 0;
};

}  // namespace sim
