#pragma once

// K2Radio: the simulated transceiver's state and its answers to commands.
//
// Pure logic: no file descriptors, no threads, no lock. K2Simulator owns one
// and calls it under its own lock, passing the time each command arrived so
// that CW keying and its buffer status follow the clock. Every call returns
// what the radio wants written; the caller paces and delays it.

#include <array>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace sim {

using Clock = std::chrono::steady_clock;

enum class BarMode { Dot, Bar };

// How the radio answers the KY query.
enum class KyAnswer {
    Normal,     // 0, 1 or 2 from the buffer
    Never,      // no answer at all
    Seven,      // "KY7;"
    NoDigit,    // "KY;"
    AlwaysTwo,  // "KY2;" whatever the buffer holds
    Late,       // the normal answer, held back by the set delay
};

// Display bytes and status bytes put in place of the radio's own for a DS
// reply. Any part left empty shows what the radio would show.
struct DisplayFrame {
    std::optional<std::array<std::uint8_t, 8>> display;
    std::optional<std::uint8_t> annunciator;
    std::optional<std::uint8_t> blink;
};

struct K2State {
    std::uint64_t vfoA = 14060000;  // Hz
    std::uint64_t vfoB = 7040000;
    int rxVfo = 0;  // 0 A, 1 B
    int txVfo = 0;
    int mode = 3;  // 1 LSB, 2 USB, 3 CW, 6 RTTY, 7 CW reverse, 9 RTTY reverse
    int filterSlot = 1;
    std::array<int, 4> slotBandwidth{400, 700, 1800, 2400};  // Hz
    int audioFilter = 0;
    int agcSpeed = 2;  // 2 fast, 4 slow
    bool agcOn = true;
    int noiseBlanker = 0;  // 0 off, 1 NB1, 2 NB2
    bool nbThresholdLow = false;
    bool preamp = false;
    bool attenuator = false;
    int antenna = 1;
    int wpm = 20;
    int power = 50;
    int powerRange = 1;  // 0 tenths of a watt, 1 watts
    int squelch = 0;
    bool locked = false;
    bool rit = false;
    bool xit = false;
    int offset = 0;  // RIT/XIT offset in Hz, -9990..9990
    bool transmitting = false;
    int autoInfo = 0;
    int k2Mode = 0;
    bool powerOn = true;
    int barLevel = 0;  // 0..10
    BarMode barMode = BarMode::Dot;
    std::vector<int> keySwitches;  // every SW code accepted, in order
};

struct KeyedChar {
    char c = 0;
    Clock::time_point start;
    Clock::time_point end;
};

// One piece of output.
struct Output {
    enum class Kind { Reply, AutoInfo };
    Kind kind = Kind::Reply;
    std::string bytes;
    Clock::duration extraDelay{};  // a KY answer set to come late
};

class K2Radio {
  public:
    static constexpr std::size_t kMaxKyText = 24;

    explicit K2Radio(std::size_t kyCapacity = 32, double timeScale = 1.0);

    // One command as received, without its ";" (any case).
    std::vector<Output> handleCommand(std::string_view command, Clock::time_point now);
    // The answer to more than 64 bytes without ";".
    std::vector<Output> overflow();

    // Front-panel events. Each changes the state and reports it by auto-info.
    std::vector<Output> turnVfoStep(int hz);
    std::vector<Output> pressModeKey();
    std::vector<Output> pressBandKey(bool up);

    void setDisplayFrames(std::vector<DisplayFrame> frames);
    void setBarGraph(int level, BarMode mode);
    void setKyAnswer(KyAnswer answer, Clock::duration late = {});
    void setPowerOn(bool on) { m_state.powerOn = on; }
    void setTimeScale(double scale);

    // Brings the CW keyer up to `now`: characters whose time is over are moved
    // from the buffer to the keyed log.
    void advanceKeyer(Clock::time_point now);

    const K2State& state() const { return m_state; }
    const std::vector<KeyedChar>& keyed() const { return m_keyed; }
    std::size_t kyPending() const { return m_kyBuffer.size(); }
    std::size_t overruns() const { return m_overruns; }
    std::size_t errorReplies() const { return m_errorReplies; }

    // Reply texts, ";" included, as the radio would send them now.
    std::string ifReply(bool bandChange = false) const;
    std::string dsReply();

  private:
    bool extended() const { return m_state.k2Mode >= 2; }
    Clock::duration charDuration() const;

    void reply(std::string text);
    void error();
    // Reports a state change by auto-info: `item` is the changed item's
    // query reply (empty when there is none), `withIf` whether IF follows.
    void changed(const std::string& item, bool withIf, bool bandChange = false);

    std::string query(std::string_view mnemonic) const;
    std::string kyStatusReply() const;
    void keyText(std::string_view text, Clock::time_point now);
    void moveBand(bool up);
    void stepReceiveVfo(std::int64_t hz);

    K2State m_state;
    std::size_t m_kyCapacity;
    double m_timeScale;
    std::deque<char> m_kyBuffer;  // front is being keyed from m_frontStart
    Clock::time_point m_frontStart;
    std::vector<KeyedChar> m_keyed;
    std::size_t m_overruns = 0;
    std::size_t m_errorReplies = 0;
    std::vector<DisplayFrame> m_frames;
    std::size_t m_nextFrame = 0;
    KyAnswer m_kyAnswer = KyAnswer::Normal;
    Clock::duration m_kyLate{};
    std::vector<Output> m_out;
};

}  // namespace sim
