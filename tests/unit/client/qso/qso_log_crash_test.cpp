// A writer killed while it saves or appends to a large log: afterwards the log
// reads whole as one of the contents it held, the backup whole as well, and
// the temporary files the writer left go at the next open.
//
// The writer is this test program run again in a child mode: QSO_CRASH_LOG
// names the log, QSO_CRASH_MODE says what to do, QSO_CRASH_READY_FD is the
// pipe on which it says it is about to start writing. The mode runs before
// GoogleTest starts and ends the process.

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "client/qso/qso_log_file.h"
#include "platform/atomic_file.h"
#include "tests/support/temp_dir.h"

namespace {

using pelorin::QSO_LOG_ENTRY;
namespace fs = std::filesystem;

constexpr int kEntries = 20000;

// Two different logs of kEntries contacts each.
std::string logContent(int variant) {
    std::vector<QSO_LOG_ENTRY> entries(kEntries);
    for (int i = 0; i < kEntries; ++i) {
        QSO_LOG_ENTRY& e = entries[static_cast<std::size_t>(i)];
        e.szCall = (variant == 0 ? "A" : "B") + std::to_string(i);
        e.tmQSO = 1700000000 + i;
        e.nBand = i % 9;
        e.lFreq = 14000000 + i;
        e.nMode = 3;
        e.szComment = variant == 0 ? "first" : "second";
    }
    return pelorin::FormatLogFile(entries, {});
}

std::string appendedLine() {
    QSO_LOG_ENTRY e;
    e.szCall = "APPENDED";
    return pelorin::FormatLogLine(e, kEntries + 1);
}

// The child modes:
//   "save N":   saves the other log, killed at save step N;
//   "append N": appends a line, killed at append step N;
//   "loop":     saves the two logs by turns, each followed by an append,
//               until the parent kills it.
[[noreturn]] void runWriter(const std::string& path, const std::string& mode, int readyFd) {
    const std::string logs[2] = {logContent(0), logContent(1)};
    std::string current;
    platform::readWholeFile(path, current);
    int next = current == logs[0] ? 1 : 0;
    const auto ready = [readyFd] {
        const char byte = 'r';
        if (::write(readyFd, &byte, 1) != 1)
            ::_exit(3);
        ::close(readyFd);
    };
    platform::AtomicWriteOptions options;
    options.backupPath = pelorin::BackupPathOf(path);
    if (mode.rfind("save ", 0) == 0) {
        const int kill = std::atoi(mode.c_str() + 5);
        options.hook = [kill](platform::AtomicStep s) {
            if (static_cast<int>(s) == kill)
                ::raise(SIGKILL);
            return true;
        };
        ready();
        platform::replaceFileAtomically(path, logs[next], options);
    } else if (mode.rfind("append ", 0) == 0) {
        const int kill = std::atoi(mode.c_str() + 7);
        ready();
        platform::appendToFile(path, appendedLine(), [kill](platform::AppendStep s) {
            if (static_cast<int>(s) == kill)
                ::raise(SIGKILL);
            return true;
        });
    } else {
        ready();
        for (;;) {
            platform::replaceFileAtomically(path, logs[next], options);
            platform::appendToFile(path, appendedLine());
            next = 1 - next;
        }
    }
    ::_exit(2);  // a kill was due
}

[[maybe_unused]] const bool kWriterMode = [] {
    const char* path = std::getenv("QSO_CRASH_LOG");
    const char* mode = std::getenv("QSO_CRASH_MODE");
    const char* fd = std::getenv("QSO_CRASH_READY_FD");
    if (path != nullptr && mode != nullptr && fd != nullptr)
        runWriter(path, mode, std::atoi(fd));
    return false;
}();

class KilledLogWriter : public ::testing::Test {
  protected:
    void SetUp() override {
        m_logs = {logContent(0), logContent(1)};
        ASSERT_EQ(platform::replaceFileAtomically(log(), m_logs[1]), 0u);
        ASSERT_EQ(platform::replaceFileAtomically(backup(), m_logs[0]), 0u);
        ASSERT_EQ(platform::replaceFileAtomically(log(), m_logs[0]), 0u);
    }

    std::string log() const { return (m_dir.path() / "Orvo.QSO.Log").string(); }
    std::string backup() const { return pelorin::BackupPathOf(log()); }

    // Runs the writer in `mode`; once it is ready, kills it after `delay`
    // unless it kills itself. Returns its wait status.
    int runKilled(const std::string& mode, std::chrono::microseconds delay) {
        int fds[2];
        if (::pipe(fds) != 0)
            return -1;
        const std::string exe = fs::read_symlink("/proc/self/exe").string();
        const std::string logEnv = "QSO_CRASH_LOG=" + log();
        const std::string modeEnv = "QSO_CRASH_MODE=" + mode;
        const std::string fdEnv = "QSO_CRASH_READY_FD=" + std::to_string(fds[1]);
        std::vector<char*> env;
        for (char** e = environ; *e != nullptr; ++e)
            env.push_back(*e);
        for (const std::string* e : {&logEnv, &modeEnv, &fdEnv})
            env.push_back(const_cast<char*>(e->c_str()));
        env.push_back(nullptr);
        char* argv[] = {const_cast<char*>(exe.c_str()), nullptr};
        const pid_t pid = ::fork();
        if (pid == 0) {
            ::close(fds[0]);
            ::execve(argv[0], argv, env.data());
            ::_exit(127);
        }
        ::close(fds[1]);
        char byte = 0;
        const bool started = pid > 0 && ::read(fds[0], &byte, 1) == 1;
        ::close(fds[0]);
        if (pid < 0)
            return -1;
        if (started && delay.count() >= 0) {
            std::this_thread::sleep_for(delay);
            ::kill(pid, SIGKILL);
        }
        int status = 0;
        ::waitpid(pid, &status, 0);
        return status;
    }

    // What a log or backup may hold after a kill: either log, with or without
    // the appended line.
    std::string whichContent(const std::string& path) const {
        std::string bytes;
        if (!platform::readWholeFile(path, bytes))
            return "unreadable";
        for (int i = 0; i < 2; ++i) {
            const std::string name = i == 0 ? "first" : "second";
            if (bytes == m_logs[static_cast<std::size_t>(i)])
                return name;
            if (bytes == m_logs[static_cast<std::size_t>(i)] + appendedLine())
                return name + "+line";
        }
        return "cut (" + std::to_string(bytes.size()) + " bytes)";
    }

    // The log and its backup whole, and nothing the killed writer left is
    // taken for the log: the next open removes it.
    void expectWhole(const std::string& what) {
        const std::string logHolds = whichContent(log());
        const std::string backupHolds = whichContent(backup());
        EXPECT_TRUE(logHolds.find("cut") == std::string::npos && logHolds != "unreadable")
            << what << ": the log is " << logHolds;
        EXPECT_TRUE(backupHolds.find("cut") == std::string::npos && backupHolds != "unreadable")
            << what << ": the backup is " << backupHolds;
        platform::removeLeftoverTemporaries(log());
        std::vector<std::string> names;
        for (const auto& item : fs::directory_iterator(m_dir.path()))
            names.push_back(item.path().filename().string());
        std::sort(names.begin(), names.end());
        EXPECT_EQ(names, (std::vector<std::string>{"Orvo.QSO.Log", "Orvo.QSO.Log.Bak"})) << what;
        std::string bytes;
        ASSERT_TRUE(platform::readWholeFile(log(), bytes)) << what;
        const auto read = pelorin::LoadLogFile(bytes, 0);
        EXPECT_TRUE(read.unreadableLines.empty()) << what;
        EXPECT_GE(read.entries.size(), static_cast<std::size_t>(kEntries)) << what;
    }

    TempDir m_dir;
    std::vector<std::string> m_logs;
};

TEST_F(KilledLogWriter, KilledAtEachSaveStepLeavesLogAndBackupWhole) {
    using platform::AtomicStep;
    for (const AtomicStep step :
         {AtomicStep::WriteTemporary, AtomicStep::SyncTemporary, AtomicStep::AfterTemporaryFile,
          AtomicStep::AfterLink, AtomicStep::BeforeFinalRename, AtomicStep::BeforeBackupRename}) {
        const std::string what = "save step " + std::to_string(static_cast<int>(step));
        const int status = runKilled("save " + std::to_string(static_cast<int>(step)),
                                     std::chrono::microseconds(-1));
        ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << what;
        expectWhole(what);
    }
}

TEST_F(KilledLogWriter, KilledInTheMiddleOfAnAppendLeavesTheLogWhole) {
    using platform::AppendStep;
    for (const AppendStep step : {AppendStep::AfterOpen, AppendStep::AfterWrite}) {
        const std::string what = "append step " + std::to_string(static_cast<int>(step));
        const int status = runKilled("append " + std::to_string(static_cast<int>(step)),
                                     std::chrono::microseconds(-1));
        ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << what;
        expectWhole(what);
    }
}

// Killed from outside at staggered times while it saves and appends by turns.
TEST_F(KilledLogWriter, KilledAtStaggeredTimesLeavesLogAndBackupWhole) {
    for (const int micros : {0, 500, 1000, 2000, 3500, 5000, 8000, 13000, 21000, 34000}) {
        const std::string what = "killed after " + std::to_string(micros) + " us";
        const int status = runKilled("loop", std::chrono::microseconds(micros));
        ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << what;
        expectWhole(what);
    }
}

}  // namespace
