#pragma once

// AutoplayController: memory autoplay of the keyboard-CW window without
// widgets or a real timer.
//
// The operator's choice (memory, interval, times; times 0 = until
// interrupted) is kept apart from the run, so "AutoPlay Repeat" and the next
// opening of the dialog see the count that was chosen, not what a run left.
// A run sends the memory at once and then at every tick of the interval
// timer; a send counts only when it was made. While text handed on earlier
// is still waiting to be keyed a send waits for the next tick, so sends
// never pile up at the server. A refused send ends the run as Abort ends it.
//
// Plain logic; GUI thread.

#include <functional>

namespace cw {

// What a try to send the memory came to.
enum class AutoplaySend {
    Sent,     // handed to the server
    Waiting,  // earlier text still pending: nothing expanded or sent
    Refused,  // the server did not take it (or nothing could be sent)
};

class AutoplayController {
  public:
    // The interval timer (timer 323 of the window).
    struct Timer {
        std::function<void(int milliseconds)> start;
        std::function<void()> stop;
    };
    struct Hooks {
        Timer timer;
        // Expand and send memory i, unless pending text waits.
        std::function<AutoplaySend(int memory)> send;
        // Lock (false) or unlock (true) the keys; the lamp follows.
        std::function<void(bool enable)> enableKeys;
    };

    static constexpr int kDefaultInterval = 10;

    explicit AutoplayController(Hooks hooks) : m_hooks(std::move(hooks)) {}

    // "Play" in the dialog: the choice is kept, then a run starts.
    void play(int memory, int intervalSeconds, int times);
    // "AutoPlay Repeat": a run with the last choice; false when none was made
    // (the dialog opens instead).
    bool repeat();
    // The interval timer fired.
    void tick();
    // Abort (Esc, "Abort TX!", key 27): the run ends, keys unlocked.
    void abort();

    bool running() const { return m_running; }
    bool chosen() const { return m_chosen; }
    int memory() const { return m_memory; }
    int intervalSeconds() const { return m_interval; }
    // The chosen count (0 = until interrupted).
    int times() const { return m_times; }
    // Sends still to make in this run (meaningless when endless).
    int remaining() const { return m_remaining; }

  private:
    void start();
    void trySend();
    void finish();

    Hooks m_hooks;
    bool m_running = false;
    bool m_chosen = false;
    int m_memory = 0;
    int m_interval = kDefaultInterval;
    int m_times = 0;
    int m_remaining = 0;
};

}  // namespace cw
