// Held keys on a real X server: the Pelorin program on Xvfb, pinned from its
// start to one CPU, against Brakton and the K2 simulator, its keys typed by
// xdotool. On one CPU Qt misses most of X11's auto-repeats (a release and a
// press at one server time), so this is where a held key used to key, store
// or log once per repeat. A held letter must still type every repeat; F1 held
// in the keyboard-CW window must key its memory once, Alt+F1 held on the
// panel must save one stacking register, Alt+L held in the QSO entry window
// must log one contact.
//
// Each hold is followed by a key whose effect comes after everything the
// hold did, so that "once" is read when the hold's last repeat has been
// handled, not after a guessed pause.

#include <gtest/gtest.h>

#include <sched.h>
#include <sys/inotify.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QSettings>
#include <QString>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/settings_value.h"
#include "tests/integration/brakton_chain.h"
#include "tests/support/test_support.h"

namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

constexpr double kFastKeying = 20.0;
constexpr auto kHold = 3s;
// Long enough for X11 to start repeating a letter (after 660 ms by default).
constexpr auto kLetterHold = 2s;
constexpr auto kBound = 30s;

// The program `name` on PATH, or "".
std::string onPath(const std::string& name) {
    const char* path = std::getenv("PATH");
    std::stringstream folders(path != nullptr ? path : "");
    std::string folder;
    while (std::getline(folders, folder, ':')) {
        const fs::path candidate = fs::path(folder.empty() ? "." : folder) / name;
        if (::access(candidate.c_str(), X_OK) == 0) {
            return candidate.string();
        }
    }
    return {};
}

bool waitUntil(std::chrono::milliseconds timeout, const std::function<bool()>& done) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!done()) {
        if (std::chrono::steady_clock::now() >= deadline) {
            return false;
        }
        std::this_thread::sleep_for(20ms);
    }
    return true;
}

// One CPU of this test's own affinity mask: the last one it may run on.
std::optional<int> oneOfOurCpus() {
    cpu_set_t set;
    CPU_ZERO(&set);
    if (::sched_getaffinity(0, sizeof set, &set) != 0) {
        return std::nullopt;
    }
    for (int cpu = CPU_SETSIZE - 1; cpu >= 0; --cpu) {
        if (CPU_ISSET(cpu, &set)) {
            return cpu;
        }
    }
    return std::nullopt;
}

// Pins the calling thread to `cpu` for as long as it lives; a child forked
// meanwhile starts on that CPU alone.
class PinnedThread {
  public:
    explicit PinnedThread(int cpu) {
        CPU_ZERO(&m_saved);
        m_ok = ::sched_getaffinity(0, sizeof m_saved, &m_saved) == 0;
        cpu_set_t one;
        CPU_ZERO(&one);
        CPU_SET(cpu, &one);
        m_ok = m_ok && ::sched_setaffinity(0, sizeof one, &one) == 0;
    }
    ~PinnedThread() { ::sched_setaffinity(0, sizeof m_saved, &m_saved); }
    PinnedThread(const PinnedThread&) = delete;
    PinnedThread& operator=(const PinnedThread&) = delete;
    bool ok() const { return m_ok; }

  private:
    cpu_set_t m_saved;
    bool m_ok = false;
};

// The CPUs a process may run on, as /proc writes them ("5", "0-7").
std::string allowedCpus(pid_t pid) {
    std::stringstream status(readFile(fs::path("/proc") / std::to_string(pid) / "status"));
    std::string line;
    const std::string key = "Cpus_allowed_list:";
    while (std::getline(status, line)) {
        if (line.rfind(key, 0) == 0) {
            const auto value = line.find_first_not_of(" \t", key.size());
            return value == std::string::npos ? std::string() : line.substr(value);
        }
    }
    return {};
}

// The files of one folder that were written (closed after writing, or
// renamed into place) while it watched.
class FolderWatch {
  public:
    explicit FolderWatch(const fs::path& folder) : m_fd(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {
        if (m_fd >= 0) {
            m_ok = ::inotify_add_watch(m_fd, folder.c_str(), IN_CLOSE_WRITE | IN_MOVED_TO) >= 0;
        }
    }
    ~FolderWatch() {
        if (m_fd >= 0) {
            ::close(m_fd);
        }
    }
    FolderWatch(const FolderWatch&) = delete;
    FolderWatch& operator=(const FolderWatch&) = delete;
    bool ok() const { return m_ok; }

    // How often `name` was written since the watch began.
    int writesOf(const std::string& name) {
        alignas(inotify_event) char buffer[4096];
        for (;;) {
            const ssize_t got = ::read(m_fd, buffer, sizeof buffer);
            if (got <= 0) {
                break;
            }
            for (ssize_t at = 0; at < got;) {
                const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
                if (event->len > 0) {
                    m_written.emplace_back(event->name);
                }
                at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
            }
        }
        return static_cast<int>(std::count(m_written.begin(), m_written.end(), name));
    }

  private:
    int m_fd;
    bool m_ok = false;
    std::vector<std::string> m_written;
};

std::vector<std::string> linesOf(const fs::path& path) {
    std::stringstream text(readFile(path));
    std::vector<std::string> lines;
    std::string line;
    while (std::getline(text, line)) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        if (!line.empty()) {
            lines.push_back(line);
        }
    }
    return lines;
}

std::size_t linesWith(const std::vector<std::string>& lines, const std::string& part) {
    return static_cast<std::size_t>(std::count_if(lines.begin(), lines.end(), [&](const auto& l) {
        return l.find(part) != std::string::npos;
    }));
}

class HeldKeysOnX11 : public ::testing::Test {
  protected:
    HeldKeysOnX11() : m_chain(kFastKeying) {}

    void SetUp() override {
        const std::string xvfb = onPath("Xvfb");
        m_xdotool = onPath("xdotool");
        if (xvfb.empty() || m_xdotool.empty()) {
            GTEST_SKIP() << "Xvfb and xdotool are needed (packages xvfb and xdotool, "
                            "scripts/install-deps installs them)";
        }
        const std::optional<int> cpu = oneOfOurCpus();
        ASSERT_TRUE(cpu.has_value()) << "no affinity mask";
        ASSERT_TRUE(m_chain.start()) << m_chain.error();
        m_home = m_chain.dir() / "pelorin";
        fs::create_directories(m_home);
        fs::permissions(m_home, fs::perms::owner_all);

        // A display of its own, whatever other servers run: Xvfb picks a
        // free number and writes it to the descriptor named.
        ASSERT_TRUE(m_xvfb.start(
            xvfb, {"-displayfd", "1", "-screen", "0", "1366x768x24", "-nolisten", "tcp"}, {},
            m_chain.dir(), "Xvfb"));
        ASSERT_TRUE(waitUntil(60s, [&] {
            return readFile(m_xvfb.stdoutPath()).find('\n') != std::string::npos;
        })) << readFile(m_xvfb.stderrPath());
        const std::string number = readFile(m_xvfb.stdoutPath());
        m_display = ":" + number.substr(0, number.find('\n'));

        writePelorinSettings();
        std::vector<std::string> args = m_chain.naming().initRefArgs();
        const auto endpoint = loopbackEndpointArgs();
        args.insert(args.end(), endpoint.begin(), endpoint.end());
        const std::vector<std::string> env = {
            "HOME=" + m_home.string(),
            "XDG_CONFIG_HOME=" + (m_home / "config").string(),
            "XDG_RUNTIME_DIR=" + m_home.string(),
            "ORVO_MESSAGE_LOG=" + (m_home / "messages.log").string(),
            "QT_QPA_PLATFORM=xcb",
            "DISPLAY=" + m_display,
            "XAUTHORITY=" + (m_home / "no-xauthority").string(),
        };
        {
            PinnedThread pinned(*cpu);
            ASSERT_TRUE(pinned.ok()) << "cannot pin to CPU " << *cpu;
            ASSERT_TRUE(m_pelorin.start(PELORIN_PROGRAM, args, env, m_home, "Pelorin"));
        }
        EXPECT_EQ(allowedCpus(m_pelorin.pid()), std::to_string(*cpu));

        // Connected: the panel has asked for the radio's state.
        ASSERT_TRUE(m_chain.radio().waitForCommand("LK", 60s).has_value())
            << "Pelorin never connected: " << readFile(m_pelorin.stderrPath());
        m_panelWindow = findWindow("^Elecraft K2 Front Panel$");
        ASSERT_FALSE(m_panelWindow.empty()) << readFile(m_pelorin.stderrPath());
    }

    void TearDown() override {
        m_pelorin.stop();
        m_xvfb.stop();
        const std::string errors = readFile(m_pelorin.stderrPath());
        EXPECT_EQ(errors.find("AddressSanitizer"), std::string::npos) << errors;
        EXPECT_EQ(errors.find("runtime error:"), std::string::npos) << errors;
    }

    // Memory 1 is what the held F1 keys, memory 2 the key after each hold.
    void writePelorinSettings() {
        const fs::path file = m_home / "config" / "N0CALL Software" / "Pelorin.ini";
        QSettings settings(QString::fromStdString(file.string()), QSettings::IniFormat);
        writeTextSetting(settings, QStringLiteral("Transmit Memory Keys/F1"), kHeldMemory);
        writeTextSetting(settings, QStringLiteral("Transmit Memory Keys/F2"), kAfterMemory);
        settings.sync();
    }

    // Runs xdotool with `args`; its standard output when it ended with 0.
    std::optional<std::string> xdotool(const std::vector<std::string>& args,
                                       std::chrono::milliseconds timeout = kBound) {
        ChildProcess run;
        const std::string name = "xdotool-" + std::to_string(++m_runs);
        if (!run.start(m_xdotool, args, {"DISPLAY=" + m_display}, m_chain.dir(), name)) {
            return std::nullopt;
        }
        const auto status = run.waitExit(timeout);
        if (!status.has_value()) {
            run.stop();
            return std::nullopt;
        }
        if (!WIFEXITED(*status) || WEXITSTATUS(*status) != 0) {
            ADD_FAILURE() << "xdotool failed: " << readFile(run.stderrPath());
            return std::nullopt;
        }
        return readFile(run.stdoutPath());
    }

    // The X window of Pelorin's shown window whose title matches `pattern`,
    // or "".
    std::string findWindow(const std::string& pattern) {
        const auto found = xdotool({"search", "--sync", "--onlyvisible", "--name", pattern});
        if (!found.has_value()) {
            return {};
        }
        return found->substr(0, found->find('\n'));
    }

    // The X window that has the input focus, or "".
    std::string focusedWindow() {
        const auto found = xdotool({"getwindowfocus"});
        return found.has_value() ? found->substr(0, found->find('\n')) : std::string();
    }

    bool focus(const std::string& window) {
        return xdotool({"windowfocus", "--sync", window}).has_value();
    }

    bool hold(const std::string& keys, std::chrono::milliseconds howLong) {
        if (!xdotool({"keydown", keys}).has_value()) {
            return false;
        }
        std::this_thread::sleep_for(howLong);
        return xdotool({"keyup", keys}).has_value();
    }

    bool tap(const std::string& keys) { return xdotool({"key", keys}).has_value(); }

    // The radio's keyed text from `from` on, once it holds `count`
    // characters (or the bound has passed).
    std::string keyedAfter(std::size_t from, std::size_t count) {
        waitUntil(kBound, [&] { return m_chain.radio().keyedText().size() >= from + count; });
        return m_chain.radio().keyedText().substr(from);
    }

    // As stored; each is keyed with a blank after it.
    static constexpr const char* kHeldMemory = "TEST";
    static constexpr const char* kAfterMemory = "END";

    BraktonChain m_chain;
    fs::path m_home;
    std::string m_xdotool;
    std::string m_display;
    std::string m_panelWindow;
    ChildProcess m_xvfb;
    ChildProcess m_pelorin;
    int m_runs = 0;
};

TEST_F(HeldKeysOnX11, EachHeldHotKeyActsOnceAndAHeldLetterRepeats) {
    sim::K2Simulator& radio = m_chain.radio();
    ASSERT_TRUE(focus(m_panelWindow));
    ASSERT_TRUE(tap("alt+t"));
    const std::string cwWindow = findWindow("^Keyboard CW$");
    ASSERT_FALSE(cwWindow.empty());
    ASSERT_TRUE(focus(cwWindow));

    {
        SCOPED_TRACE("a letter held in the type-in line, then a blank");
        const std::size_t from = radio.keyedText().size();
        ASSERT_TRUE(hold("e", kLetterHold));
        ASSERT_TRUE(tap("space"));
        ASSERT_TRUE(waitUntil(kBound, [&] {
            return radio.keyedText().find(' ', from) != std::string::npos;
        })) << radio.keyedText().substr(from);
        const std::string keyed = radio.keyedText().substr(from);
        const std::string word = keyed.substr(0, keyed.find(' '));
        EXPECT_GE(word.size(), 2u) << "no repeat came: '" << keyed << "'";
        EXPECT_EQ(word.find_first_not_of("eE"), std::string::npos) << keyed;
    }
    {
        SCOPED_TRACE("F1 held in the keyboard-CW window, then F2");
        const std::size_t from = radio.keyedText().size();
        ASSERT_TRUE(hold("F1", kHold));
        ASSERT_TRUE(tap("F2"));
        const std::string expected = std::string(kHeldMemory) + " " + kAfterMemory + " ";
        EXPECT_EQ(keyedAfter(from, expected.size()).substr(0, expected.size()), expected);
    }
    {
        SCOPED_TRACE("Alt+F1 held on the panel, then F2");
        FolderWatch files(m_home / "Orvo");
        ASSERT_TRUE(files.ok());
        ASSERT_TRUE(focus(m_panelWindow));
        const std::size_t from = radio.keyedText().size();
        ASSERT_TRUE(hold("alt+F1", kHold));
        ASSERT_TRUE(tap("F2"));
        const std::string expected = std::string(kAfterMemory) + " ";
        EXPECT_EQ(keyedAfter(from, expected.size()).substr(0, expected.size()), expected);
        EXPECT_EQ(files.writesOf("K2StackRegisters.Cfg"), 1);
    }
    {
        SCOPED_TRACE("Alt+L held in the QSO entry window, then another call logged");
        ASSERT_TRUE(tap("alt+l"));
        const std::string entryWindow = findWindow("^QSO Information$");
        ASSERT_FALSE(entryWindow.empty());
        // The log window, titled with its file, opens after the entry window.
        // With no window manager Qt gives each window it shows the focus, so
        // the entry window gets it back once the log window has taken it.
        const std::string logWindow = findWindow("Orvo\\.QSO\\.Log$");
        ASSERT_FALSE(logWindow.empty());
        ASSERT_TRUE(waitUntil(kBound, [&] { return focusedWindow() == logWindow; }))
            << "the log window never took the focus";
        ASSERT_TRUE(focus(entryWindow));
        ASSERT_TRUE(xdotool({"type", "N0CALL"}).has_value());
        ASSERT_TRUE(hold("alt+l", kHold));
        ASSERT_TRUE(tap("ctrl+a"));
        ASSERT_TRUE(xdotool({"type", "K1ABC"}).has_value());
        ASSERT_TRUE(tap("alt+l"));
        const fs::path log = m_home / "Orvo" / "Orvo.QSO.Log";
        ASSERT_TRUE(waitUntil(kBound, [&] { return linesWith(linesOf(log), ";K1ABC;") > 0; }))
            << readFile(log) << readFile(m_home / "messages.log");
        const auto lines = linesOf(log);
        EXPECT_EQ(linesWith(lines, ";N0CALL;"), 1u) << readFile(log);
        EXPECT_EQ(lines.size(), 2u) << readFile(log);
    }
    const std::string braktonErrors = m_chain.braktonStderr();
    EXPECT_EQ(braktonErrors.find("AddressSanitizer"), std::string::npos) << braktonErrors;
}

}  // namespace
