#pragma once

// Fakes and a bare pseudo-terminal for the radio link's tests.
//
// PtyLine links `comN` in its own temporary folder to a fresh pty, so the
// radio object opens a real terminal; the test plays the radio on the master:
// it reads what the radio link wrote and writes replies back. Events is one
// ordered record of what the fakes saw (commands logged, pauses, callbacks),
// so a test can compare whole sequences.

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <mutex>
#include <stdexcept>
#include <string>
#include <string_view>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

#include "radiolink/radio_services.h"
#include "tests/support/temp_dir.h"

namespace radiotest {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// Everything the fakes saw, in order, as text: "log 1 2 FA;", "pause 100",
// "cmd 16 KY2", ...
class Events {
  public:
    void Add(std::string e) {
        {
            std::lock_guard lock(m_lock);
            m_events.push_back(std::move(e));
        }
        m_changed.notify_all();
    }
    std::vector<std::string> Take() {
        std::lock_guard lock(m_lock);
        return std::exchange(m_events, {});
    }
    std::vector<std::string> Snapshot() const {
        std::lock_guard lock(m_lock);
        return m_events;
    }
    // Waits until `pred` holds for the events seen so far.
    bool WaitFor(const std::function<bool(const std::vector<std::string>&)>& pred,
                 std::chrono::milliseconds timeout = 5s) {
        std::unique_lock lock(m_lock);
        return m_changed.wait_for(lock, timeout, [&] { return pred(m_events); });
    }
    bool WaitForEvent(const std::string& e, std::chrono::milliseconds timeout = 5s) {
        return WaitFor(
            [&](const std::vector<std::string>& v) {
                for (const auto& x : v)
                    if (x == e)
                        return true;
                return false;
            },
            timeout);
    }
    std::size_t Count(const std::string& e) const {
        std::lock_guard lock(m_lock);
        std::size_t n = 0;
        for (const auto& x : m_events)
            n += x == e ? 1 : 0;
        return n;
    }

  private:
    mutable std::mutex m_lock;
    std::condition_variable m_changed;
    std::vector<std::string> m_events;
};

class RecordingLog : public LogSink {
  public:
    explicit RecordingLog(Events& events) : m_events(events) {}
    void LogMessage(int mode, int level, std::string_view text) override {
        m_events.Add("log " + std::to_string(mode) + " " + std::to_string(level) + " " +
                     std::string(text));
    }

  private:
    Events& m_events;
};

// Records each pause and moves a virtual clock; never waits.
class RecordingSleeper : public Sleeper {
  public:
    explicit RecordingSleeper(Events& events) : m_events(events) {}
    void Sleep(std::chrono::milliseconds pause) override {
        m_events.Add("pause " + std::to_string(pause.count()));
        std::lock_guard lock(m_lock);
        m_now += pause;
    }
    Clock::time_point Now() const override {
        std::lock_guard lock(m_lock);
        return m_now;
    }

  private:
    Events& m_events;
    mutable std::mutex m_lock;
    Clock::time_point m_now{};
};

// A client callback object: records each call; can be made to fail or to
// block for a while.
class FakeNotifier : public ClientNotifier {
  public:
    explicit FakeNotifier(Events& events) : m_events(events) {}
    bool NotifyCmd(int code, std::string_view reply) override {
        return Call("cmd " + std::to_string(code) + " " + std::string(reply));
    }
    bool NotifyTextMessageSent(int length, std::string_view text) override {
        return Call("sent " + std::to_string(length) + " " + std::string(text));
    }
    bool NotifyTextMessageEmpty() override { return Call("empty"); }

    std::atomic<bool> fail{false};
    std::atomic<int> blockMs{0};

  private:
    bool Call(std::string e) {
        if (const int ms = blockMs.load(); ms > 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(ms));
        const bool ok = !fail.load();
        m_events.Add(ok ? std::move(e) : "failed " + e);
        return ok;
    }
    Events& m_events;
};

class FakeTarget : public NotifierTarget {
  public:
    explicit FakeTarget(Events& events) : m_events(events) {}
    void OnRadioReply(int code, const std::string& text) override {
        m_events.Add("reply " + std::to_string(code) + " " + text);
    }
    void OnTextMessageSent(int what, const std::string& chunk) override {
        m_events.Add("txtmesg " + std::to_string(what) + " " + chunk);
    }

  private:
    Events& m_events;
};

class FakeClient : public ClientConnection {
  public:
    bool IsClientConnected() const override { return connected.load(); }
    std::atomic<bool> connected{false};
};

// A pty whose slave is linked as `comN` in a temporary folder.
class PtyLine {
  public:
    explicit PtyLine(const std::filesystem::path& folder, unsigned com = 1) {
        char name[256] = {};
        if (::openpty(&m_master, &m_slave, name, nullptr, nullptr) != 0)
            throw std::runtime_error("openpty failed");
        ::fcntl(m_master, F_SETFL, ::fcntl(m_master, F_GETFL) | O_NONBLOCK);
        termios t{};
        ::tcgetattr(m_slave, &t);
        ::cfmakeraw(&t);
        ::cfsetspeed(&t, B4800);
        ::tcsetattr(m_slave, TCSANOW, &t);
        m_link = folder / ("com" + std::to_string(com));
        std::filesystem::create_symlink(name, m_link);
    }
    ~PtyLine() {
        CloseMaster();
        if (m_slave >= 0)
            ::close(m_slave);
        std::error_code ec;
        std::filesystem::remove(m_link, ec);
    }
    PtyLine(const PtyLine&) = delete;
    PtyLine& operator=(const PtyLine&) = delete;

    void CloseMaster() {
        if (m_master >= 0)
            ::close(m_master);
        m_master = -1;
    }
    int master() const { return m_master; }

    // The radio's side: bytes for the radio link to read.
    void Write(std::string_view bytes) {
        std::size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t n = ::write(m_master, bytes.data() + done, bytes.size() - done);
            if (n > 0) {
                done += static_cast<std::size_t>(n);
            } else {
                pollfd p{m_master, POLLOUT, 0};
                ::poll(&p, 1, 100);
            }
        }
    }

    // Everything written by the radio link so far and not yet taken.
    std::string Drain() {
        Pump(0ms);
        return std::exchange(m_received, {});
    }

    // Reads until `text` has arrived (and takes everything up to and
    // including it), or the time-out passes; returns what it took.
    std::string ReadUntil(std::string_view text, std::chrono::milliseconds timeout = 5s) {
        const auto end = Clock::now() + timeout;
        for (;;) {
            const auto at = m_received.find(text);
            if (at != std::string::npos) {
                std::string out = m_received.substr(0, at + text.size());
                m_received.erase(0, at + text.size());
                return out;
            }
            const auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now());
            if (left <= 0ms)
                return std::exchange(m_received, {});
            Pump(std::min(left, 50ms));
        }
    }

    // Collects bytes for `span`.
    std::string Collect(std::chrono::milliseconds span) {
        const auto end = Clock::now() + span;
        while (Clock::now() < end)
            Pump(std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now()));
        return std::exchange(m_received, {});
    }

  private:
    void Pump(std::chrono::milliseconds wait) {
        pollfd p{m_master, POLLIN, 0};
        if (::poll(&p, 1, static_cast<int>(wait.count())) <= 0)
            return;
        char buffer[4096];
        for (;;) {
            const ssize_t n = ::read(m_master, buffer, sizeof buffer);
            if (n <= 0)
                break;
            m_received.append(buffer, static_cast<std::size_t>(n));
        }
    }

    int m_master = -1;
    int m_slave = -1;
    std::filesystem::path m_link;
    std::string m_received;
};

}  // namespace radiotest
