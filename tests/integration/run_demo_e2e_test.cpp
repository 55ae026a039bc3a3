// scripts/run-demo as the operator runs it, head-less: twice in a row in one
// demo folder, each run stopped with SIGTERM, with a home folder of its own;
// the client closed and started again from the terminal; and the settings it
// refuses before it starts anything.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QSettings>
#include <QString>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/row_names.h"
#include "tests/support/test_support.h"

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
namespace fs = std::filesystem;

// The highest port both configuration sheets take.
constexpr int kHighestSheetPort = 32000;

bool waitUntil(std::chrono::milliseconds timeout, const std::function<bool()>& check) {
    const auto deadline = Clock::now() + timeout;
    while (!check()) {
        if (Clock::now() >= deadline) {
            return false;
        }
        std::this_thread::sleep_for(100ms);
    }
    return true;
}

std::string readProcFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

struct DemoProcess {
    pid_t pid = 0;
    std::string cmdline;  // blanks between the arguments
};

// Processes whose command line or environment names `text` (the demo
// folder): every program the demo starts carries it in one or the other.
std::vector<DemoProcess> processesNaming(const std::string& text) {
    std::vector<DemoProcess> found;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator("/proc", error)) {
        const std::string pid = entry.path().filename().string();
        if (pid.find_first_not_of("0123456789") != std::string::npos) {
            continue;
        }
        std::string cmdline = readProcFile(entry.path() / "cmdline");
        const std::string environ = readProcFile(entry.path() / "environ");
        if (cmdline.find(text) != std::string::npos || environ.find(text) != std::string::npos) {
            for (char& c : cmdline) {
                c = c == '\0' ? ' ' : c;
            }
            found.push_back({static_cast<pid_t>(std::stoi(pid)), cmdline});
        }
    }
    return found;
}

std::string describe(const std::vector<DemoProcess>& processes) {
    std::string text;
    for (const auto& process : processes) {
        text += std::to_string(process.pid) + ": " + process.cmdline + "\n";
    }
    return text;
}

// The demo's process whose program file is named `name`; 0 when none runs.
pid_t demoProgram(const std::string& demo, const std::string& name) {
    for (const auto& process : processesNaming(demo)) {
        const std::string program = process.cmdline.substr(0, process.cmdline.find(' '));
        if (fs::path(program).filename() == name) {
            return process.pid;
        }
    }
    return 0;
}

std::size_t countOf(const std::string& text, const std::string& part) {
    std::size_t count = 0;
    for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
        ++count;
    }
    return count;
}

// A stored text as the programs read it.
std::string storedText(const fs::path& ini, const char* key) {
    QSettings settings(QString::fromStdString(ini.string()), QSettings::IniFormat);
    return settings.value(QString::fromLatin1(key)).toString().toStdString();
}

// One run-demo with its output in the test's folder.
class Demo {
  public:
    Demo(const fs::path& dir, std::vector<std::string> env) : m_dir(dir), m_env(std::move(env)) {}

    bool start(const std::string& name, const fs::path& input = "/dev/null") {
        m_script.setInput(input);
        return m_script.start(RUN_DEMO_SCRIPT, {}, m_env, m_dir, name);
    }
    std::string stdoutText() const { return readFile(m_script.stdoutPath()); }
    std::string stderrText() const { return readFile(m_script.stderrPath()); }
    std::string output() const { return stdoutText() + stderrText(); }
    ChildProcess& script() { return m_script; }

    // The client traces each radio reply it is given ("Cmd = FA...").
    bool waitForRadioData(std::size_t count = 1) {
        return waitUntil(90s,
                         [&] {
                             return countOf(stderrText(), "Cmd = FA") >= count ||
                                    !m_script.running();
                         }) &&
               m_script.running();
    }

  private:
    fs::path m_dir;
    std::vector<std::string> m_env;
    ChildProcess m_script;
};

std::vector<std::string> demoEnv(const fs::path& dir, const fs::path& demo, const std::string& port,
                                 const fs::path& home) {
    return {
        "BUILD_DIR=" RUN_DEMO_BUILD_DIR,
        "DEMO_DIR=" + demo.string(),
        "DEMO_NAMING_PORT=" + port,
        "HOME=" + home.string(),
        "RIGCONTROL_TRACE=1",
        "QT_QPA_PLATFORM=offscreen",
        "ORVO_MESSAGE_LOG=" + (dir / "messages.log").string(),
    };
}

// Every file under `folder` with its bytes and modification time.
std::map<std::string, std::pair<std::string, fs::file_time_type>> snapshotOf(
    const fs::path& folder) {
    std::map<std::string, std::pair<std::string, fs::file_time_type>> files;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        if (entry.is_regular_file()) {
            files[entry.path().string()] = {readFile(entry.path()), entry.last_write_time()};
        }
    }
    return files;
}

TEST(RunDemo, TwoRunsBringRadioDataKeepToTheDemoFolderAndStopCleanly) {
    TempDir dir;
    // A blank, a quote and a backslash: the home folder is stored as a quoted,
    // escaped text.
    const fs::path demo = dir.path() / "de\\mo \"1\"";
    const fs::path home = dir.path() / "operator";
    fs::create_directories(home);
    const int port = freeLoopbackPortAtMost(kHighestSheetPort);
    ASSERT_NE(port, 0);
    const fs::path demoHome = demo / "home";
    std::map<std::string, std::pair<std::string, fs::file_time_type>> operatorFiles;

    for (int run = 1; run <= 2; ++run) {
        SCOPED_TRACE("run " + std::to_string(run));
        if (run == 2) {
            // The operator's own installation, with the files a demo would
            // otherwise read and write.
            fs::create_directories(home / "Orvo");
            std::ofstream(home / "Orvo" / "K2Memory.Cfg", std::ios::binary) << "operator memories";
            std::ofstream(home / "Orvo" / "K2StackRegisters.Cfg", std::ios::binary)
                << "operator registers";
            std::ofstream(home / "Orvo" / "Orvo.QSO.Log", std::ios::binary) << "operator log\n";
            std::ofstream(home / "Orvo" / "Orvo.Log", std::ios::binary) << "operator server log\n";
            fs::last_write_time(home / "Orvo" / "K2Memory.Cfg",
                                fs::last_write_time(home / "Orvo" / "K2Memory.Cfg") - 1h);
            operatorFiles = snapshotOf(home);
        }
        Demo demoRun(dir.path(), demoEnv(dir.path(), demo, std::to_string(port), home));
        ASSERT_TRUE(demoRun.start("run-demo-" + std::to_string(run)));

        EXPECT_TRUE(demoRun.waitForRadioData()) << demoRun.output();
        EXPECT_EQ(demoRun.output().find("Unable to Connect"), std::string::npos)
            << demoRun.output();
        EXPECT_EQ(readFile(dir.path() / "messages.log"), "") << "no message box";

        ASSERT_TRUE(demoRun.script().signal(SIGTERM)) << "run-demo ended early\n"
                                                      << demoRun.output();
        const auto status = demoRun.script().waitExit(60s);
        ASSERT_TRUE(status.has_value()) << "run-demo did not stop\n" << demoRun.output();
        EXPECT_TRUE(waitUntil(5s, [&] { return processesNaming(demo.string()).empty(); }))
            << describe(processesNaming(demo.string())) << demoRun.output();

        if (run == 1) {
            EXPECT_FALSE(fs::exists(home / "Orvo")) << "the operator's home folder was written";
        } else {
            EXPECT_EQ(snapshotOf(home), operatorFiles) << "the operator's files were touched";
        }
        EXPECT_TRUE(fs::is_regular_file(demoHome / "K2Memory.Cfg"));
        EXPECT_TRUE(fs::is_regular_file(demoHome / "K2StackRegisters.Cfg"));
        if (HasFailure()) {
            return;
        }
    }

    // Both programs' settings name the demo's home folder and carry the
    // naming port; Brakton logs from the start.
    const fs::path settings = demo / "config" / "N0CALL Software";
    for (const char* file : {"Rig Control.ini", "Pelorin.ini"}) {
        SCOPED_TRACE(file);
        EXPECT_EQ(storedText(settings / file, "HomeDir"), demoHome.string())
            << readFile(settings / file);
        EXPECT_EQ(storedText(settings / file, "NS Port"), std::to_string(port));
    }
    EXPECT_EQ(storedText(settings / "Rig Control.ini", "SW Logging Mode"), "224");
}

// A pseudo-terminal for run-demo's input; the test types on its master side.
class Terminal {
  public:
    Terminal() {
        m_master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (m_master >= 0 && ::grantpt(m_master) == 0 && ::unlockpt(m_master) == 0) {
            const char* name = ::ptsname(m_master);
            m_device = name != nullptr ? name : "";
        }
    }
    ~Terminal() {
        if (m_master >= 0) {
            ::close(m_master);
        }
    }
    Terminal(const Terminal&) = delete;
    Terminal& operator=(const Terminal&) = delete;

    const fs::path& device() const { return m_device; }
    bool type(const std::string& text) {
        return ::write(m_master, text.data(), text.size()) == static_cast<ssize_t>(text.size());
    }

  private:
    int m_master = -1;
    fs::path m_device;
};

TEST(RunDemo, ClosedPelorinLeavesTheRestRunningAndEnterStartsItAgain) {
    TempDir dir;
    const fs::path demo = dir.path() / "demo";
    const fs::path home = dir.path() / "operator";
    fs::create_directories(home);
    const int port = freeLoopbackPortAtMost(kHighestSheetPort);
    ASSERT_NE(port, 0);
    Terminal terminal;
    ASSERT_FALSE(terminal.device().empty()) << "no pseudo-terminal";

    Demo demoRun(dir.path(), demoEnv(dir.path(), demo, std::to_string(port), home));
    ASSERT_TRUE(demoRun.start("run-demo", terminal.device()));
    ASSERT_TRUE(demoRun.waitForRadioData()) << demoRun.output();

    const std::map<std::string, pid_t> others{
        {"omniNames", demoProgram(demo.string(), "omniNames")},
        {"k2sim", demoProgram(demo.string(), "k2sim")},
        {"Brakton", demoProgram(demo.string(), "Brakton")},
    };
    const pid_t firstClient = demoProgram(demo.string(), "Pelorin");
    ASSERT_NE(firstClient, 0) << describe(processesNaming(demo.string()));
    for (const auto& [name, pid] : others) {
        ASSERT_NE(pid, 0) << name << "\n" << describe(processesNaming(demo.string()));
    }

    // The operator closes the client (a termination signal exits it without
    // the question).
    ASSERT_EQ(::kill(firstClient, SIGTERM), 0);
    ASSERT_TRUE(waitUntil(20s, [&] {
        return demoRun.stdoutText().find(
                   "Pelorin closed: Brakton, the radio and the naming "
                   "service keep running; press Enter to start Pelorin "
                   "again, Ctrl-C stops the demo") != std::string::npos;
    })) << demoRun.output();
    std::this_thread::sleep_for(2s);
    EXPECT_TRUE(demoRun.script().running()) << demoRun.output();
    EXPECT_EQ(demoProgram(demo.string(), "Pelorin"), 0) << "started again without Enter";
    for (const auto& [name, pid] : others) {
        EXPECT_EQ(::kill(pid, 0), 0) << name << " stopped with the client";
    }

    // Enter: a new client that connects and is given radio data.
    const std::size_t repliesBefore = countOf(demoRun.stderrText(), "Cmd = FA");
    ASSERT_TRUE(terminal.type("\n"));
    EXPECT_TRUE(waitUntil(20s, [&] {
        const pid_t client = demoProgram(demo.string(), "Pelorin");
        return client != 0 && client != firstClient;
    })) << describe(processesNaming(demo.string()));
    EXPECT_TRUE(demoRun.waitForRadioData(repliesBefore + 1)) << demoRun.output();
    EXPECT_EQ(demoRun.output().find("Unable to Connect"), std::string::npos) << demoRun.output();

    // SIGTERM stops everything, the restarted client included.
    ASSERT_TRUE(demoRun.script().signal(SIGTERM)) << demoRun.output();
    ASSERT_TRUE(demoRun.script().waitExit(60s).has_value()) << demoRun.output();
    EXPECT_TRUE(waitUntil(5s, [&] { return processesNaming(demo.string()).empty(); }))
        << describe(processesNaming(demo.string())) << demoRun.output();
}

struct RefusalCase {
    const char* name;
    std::string demoFolder;  // under the test's folder
    std::string port;
    const char* message;
};
ROW_NAME(RefusalCase, row.name);

class RunDemoRefusal : public ::testing::TestWithParam<RefusalCase> {};

// Refused before anything is built, made or started.
TEST_P(RunDemoRefusal, SaysWhyAndStartsNothing) {
    const RefusalCase& row = GetParam();
    TempDir dir;
    const fs::path demo = dir.path() / row.demoFolder;
    const fs::path home = dir.path() / "operator";
    fs::create_directories(home);
    Demo demoRun(dir.path(), demoEnv(dir.path(), demo, row.port, home));
    ASSERT_TRUE(demoRun.start("run-demo"));
    const auto status = demoRun.script().waitExit(30s);
    ASSERT_TRUE(status.has_value()) << demoRun.output();
    EXPECT_TRUE(WIFEXITED(*status) && WEXITSTATUS(*status) == 1) << demoRun.output();
    EXPECT_NE(demoRun.stderrText().find(row.message), std::string::npos) << demoRun.output();
    EXPECT_EQ(demoRun.stdoutText(), "") << "it went on after refusing";
    EXPECT_FALSE(fs::exists(demo)) << "the demo folder was made";
    EXPECT_TRUE(processesNaming(demo.string()).empty());
}

const std::string kLongFolder(80, 'd');

INSTANTIATE_TEST_SUITE_P(
    RunDemo, RunDemoRefusal,
    ::testing::Values(
        RefusalCase{"PortAboveTheSheetsRange", "demo", "40000",
                    "run-demo: DEMO_NAMING_PORT must be a port number from 1 to 32000: the "
                    "configuration sheets take no higher port (not \"40000\")"},
        RefusalCase{"PortJustAboveTheSheetsRange", "demo", "32001",
                    "the configuration sheets take no higher port"},
        RefusalCase{"HomeFolderLongerThanASettingsText", kLongFolder, "10000",
                    "run-demo: the demo folder's path is longer than the programs' 79-byte "
                    "settings texts; set DEMO_DIR to a shorter folder"}),
    CaseName());

}  // namespace
