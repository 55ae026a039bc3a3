// k2sim run as a program: its start line, an answer through the serial
// layer, --trace, read pacing, the default serial folder, and a clean stop
// on SIGTERM.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <ostream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/serial_port.h"
#include "sim_test_support.h"
#include "tests/support/row_names.h"

extern char** environ;

namespace {

using namespace std::chrono_literals;

// One k2sim process; killed and reaped if a test leaves it running.
class K2SimProcess {
  public:
    K2SimProcess(const std::vector<std::string>& args, const std::filesystem::path& errFile,
                 const std::vector<std::string>& extraEnv = {},
                 const std::vector<std::string>& dropEnv = {}) {
        int out[2];
        if (::pipe2(out, O_CLOEXEC) != 0) {
            throw std::runtime_error("pipe2 failed");
        }
        m_out = out[0];
        std::vector<std::string> argStrings{K2SIM_PATH};
        argStrings.insert(argStrings.end(), args.begin(), args.end());
        std::vector<char*> argv;
        for (std::string& arg : argStrings) {
            argv.push_back(arg.data());
        }
        argv.push_back(nullptr);

        std::vector<std::string> envStrings;
        for (char** entry = environ; *entry != nullptr; ++entry) {
            std::string text = *entry;
            bool dropped = false;
            for (const std::string& name : dropEnv) {
                dropped = dropped || text.starts_with(name + "=");
            }
            if (!dropped) {
                envStrings.push_back(text);
            }
        }
        envStrings.insert(envStrings.end(), extraEnv.begin(), extraEnv.end());
        std::vector<char*> envp;
        for (std::string& entry : envStrings) {
            envp.push_back(entry.data());
        }
        envp.push_back(nullptr);

        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, errFile.c_str(),
                                         O_WRONLY | O_CREAT | O_TRUNC, 0644);
        int rc = ::posix_spawn(&m_pid, K2SIM_PATH, &actions, nullptr, argv.data(), envp.data());
        posix_spawn_file_actions_destroy(&actions);
        ::close(out[1]);
        if (rc != 0) {
            throw std::runtime_error("posix_spawn failed");
        }
    }

    ~K2SimProcess() {
        if (m_pid > 0) {
            ::kill(m_pid, SIGKILL);
            ::waitpid(m_pid, nullptr, 0);
        }
        ::close(m_out);
    }

    // The first line on standard output, without its newline.
    std::optional<std::string> readLine(std::chrono::milliseconds timeout = 5s) {
        std::string line;
        auto deadline = std::chrono::steady_clock::now() + timeout;
        while (line.empty() || line.back() != '\n') {
            auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            pollfd pfd{m_out, POLLIN, 0};
            if (left.count() <= 0 || ::poll(&pfd, 1, static_cast<int>(left.count())) <= 0) {
                return std::nullopt;
            }
            char c;
            if (::read(m_out, &c, 1) != 1) {
                return std::nullopt;
            }
            line.push_back(c);
        }
        line.pop_back();
        return line;
    }

    // Never to pid -1 (everyone) once the process is reaped.
    void signal(int number) {
        if (m_pid > 0) {
            ::kill(m_pid, number);
        }
    }

    // The exit status once the process has ended, or nothing on time-out.
    std::optional<int> wait(std::chrono::milliseconds timeout = 5s) {
        auto deadline = std::chrono::steady_clock::now() + timeout;
        while (std::chrono::steady_clock::now() < deadline) {
            int status = 0;
            pid_t done = ::waitpid(m_pid, &status, WNOHANG);
            if (done == m_pid) {
                m_pid = -1;
                return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            }
            std::this_thread::sleep_for(10ms);
        }
        return std::nullopt;
    }

  private:
    pid_t m_pid = -1;
    int m_out = -1;
};

std::string readFile(const std::filesystem::path& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

TEST(K2SimProcessTest, AnswersThroughTheSerialLayerAndStopsOnSigterm) {
    TempDir dir;
    const std::filesystem::path serial = dir.path() / "serial";
    const std::filesystem::path err = dir.path() / "stderr.txt";
    K2SimProcess k2sim({"--dir", serial.string(), "--com", "3", "--trace"}, err);

    std::optional<std::string> line = k2sim.readLine();
    ASSERT_TRUE(line) << readFile(err);
    const std::filesystem::path link = serial / "com3";
    const std::string prefix = "COM3 " + link.string() + " -> ";
    ASSERT_TRUE(line->starts_with(prefix)) << *line;
    EXPECT_EQ(std::filesystem::read_symlink(link).string(), line->substr(prefix.size()));

    platform::SerialPort port(serial);
    ASSERT_TRUE(port.open(3, platform::SerialSettings{}).ok());
    ASSERT_TRUE(port.write("FA;", 3).ok());
    std::string reply;
    auto deadline = std::chrono::steady_clock::now() + 3s;
    while (!reply.ends_with(";") && std::chrono::steady_clock::now() < deadline) {
        char buffer[64];
        platform::SerialResult got = port.read(buffer, sizeof buffer);
        ASSERT_TRUE(got.ok()) << platform::toString(got.status);
        reply.append(buffer, got.count);
        std::this_thread::sleep_for(5ms);
    }
    EXPECT_EQ(reply, "FA00014060000;");
    port.close();

    k2sim.signal(SIGTERM);
    EXPECT_EQ(k2sim.wait(), 0);
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(link)));
    const std::string trace = readFile(err);
    EXPECT_NE(trace.find(" ms cmd   FA;\n"), std::string::npos) << trace;
    EXPECT_NE(trace.find(" ms reply FA00014060000;\n"), std::string::npos) << trace;
}

TEST(K2SimProcessTest, SigintAlsoStopsIt) {
    TempDir dir;
    K2SimProcess k2sim({"--dir", dir.path().string()}, dir.path() / "stderr.txt");
    ASSERT_TRUE(k2sim.readLine());
    EXPECT_TRUE(std::filesystem::is_symlink(dir.path() / "com1"));
    k2sim.signal(SIGINT);
    EXPECT_EQ(k2sim.wait(), 0);
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(dir.path() / "com1")));
}

TEST(K2SimProcessTest, RefusesAComEntryThatIsNotALink) {
    TempDir dir;
    { std::ofstream(dir.path() / "com4") << "keep me"; }
    const std::filesystem::path err = dir.path() / "stderr.txt";
    K2SimProcess k2sim({"--dir", dir.path().string(), "--com", "4"}, err);
    EXPECT_EQ(k2sim.wait(), 2);
    EXPECT_NE(readFile(err).find("not a link"), std::string::npos) << readFile(err);
    EXPECT_EQ(readFile(dir.path() / "com4"), "keep me");
}

TEST(K2SimProcessTest, RejectsBadArguments) {
    TempDir dir;
    for (const std::vector<std::string>& args : {std::vector<std::string>{"--com", "0"},
                                                 {"--com", "x"},
                                                 {"--time-scale", "0"},
                                                 {"--ai-delay", "-5"},
                                                 {"--dir"},
                                                 {"--bogus"}}) {
        std::vector<std::string> full{"--dir", dir.path().string()};
        full.insert(full.end(), args.begin(), args.end());
        K2SimProcess k2sim(full, dir.path() / "stderr.txt");
        EXPECT_EQ(k2sim.wait(), 2) << args.front();
        EXPECT_NE(readFile(dir.path() / "stderr.txt").find("usage: k2sim"), std::string::npos);
    }
}

// k2sim takes the server's bytes at the line's pace unless told not to: 400
// bytes of settings and a query take 0.83 s of line at 4800 baud 8N1.
struct ReadPacingCase {
    const char* name;
    std::vector<std::string> args;
    bool paced;
};
ROW_NAME(ReadPacingCase, row.name);

class K2SimReadPacingTest : public ::testing::TestWithParam<ReadPacingCase> {};

TEST_P(K2SimReadPacingTest, AnswersAfterTheLineHasCarriedTheQuery) {
    TempDir dir;
    std::vector<std::string> args{"--dir", dir.path().string()};
    args.insert(args.end(), GetParam().args.begin(), GetParam().args.end());
    K2SimProcess k2sim(args, dir.path() / "stderr.txt");
    ASSERT_TRUE(k2sim.readLine()) << readFile(dir.path() / "stderr.txt");

    platform::SerialPort port(dir.path());
    ASSERT_TRUE(port.open(1, platform::SerialSettings{}).ok());
    std::string commands;
    for (int i = 0; i < 99; ++i) {
        commands += "K22;";
    }
    commands += "FA;";
    const auto sent = std::chrono::steady_clock::now();
    ASSERT_TRUE(port.write(commands.data(), commands.size()).ok());
    std::string reply;
    for (auto deadline = sent + 5s;
         !reply.ends_with(";") && std::chrono::steady_clock::now() < deadline;) {
        char buffer[64];
        platform::SerialResult got = port.read(buffer, sizeof buffer);
        ASSERT_TRUE(got.ok()) << platform::toString(got.status);
        reply.append(buffer, got.count);
        std::this_thread::sleep_for(1ms);
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - sent).count();
    EXPECT_EQ(reply, "FA00014060000;");
    const double lineSeconds = static_cast<double>(commands.size()) * 10 / 4800;
    if (GetParam().paced) {
        EXPECT_GE(seconds, lineSeconds);
    } else {
        EXPECT_LT(seconds, lineSeconds / 2);
    }
    port.close();
    k2sim.signal(SIGTERM);
    EXPECT_EQ(k2sim.wait(), 0);
}

const ReadPacingCase kReadPacing[] = {
    {"Paced", {}, true},
    {"NoReadPacing", {"--no-read-pacing"}, false},
};

INSTANTIATE_TEST_SUITE_P(Switch, K2SimReadPacingTest, ::testing::ValuesIn(kReadPacing), CaseName());

struct FolderCase {
    const char* name;
    const char* variable;  // set to the temp folder; HOME is always below it
    const char* under;     // where the link is expected below it
};
ROW_NAME(FolderCase, row.name);

class K2SimFolderTest : public ::testing::TestWithParam<FolderCase> {};

TEST_P(K2SimFolderTest, DefaultsToTheSerialFolder) {
    TempDir dir;
    const FolderCase& c = GetParam();
    std::vector<std::string> env{"HOME=" + (dir.path() / "home").string()};
    if (c.variable != nullptr) {
        env.push_back(std::string(c.variable) + "=" + dir.path().string());
    }
    K2SimProcess k2sim({}, dir.path() / "stderr.txt", env,
                       {"RIGCONTROL_SERIAL_DIR", "XDG_CONFIG_HOME", "HOME"});
    std::optional<std::string> line = k2sim.readLine();
    ASSERT_TRUE(line) << readFile(dir.path() / "stderr.txt");
    const std::filesystem::path link = dir.path() / c.under / "com1";
    EXPECT_EQ(*line,
              "COM1 " + link.string() + " -> " + std::filesystem::read_symlink(link).string());
    k2sim.signal(SIGTERM);
    EXPECT_EQ(k2sim.wait(), 0);
}

const FolderCase kFolders[] = {
    {"SerialDirVariable", "RIGCONTROL_SERIAL_DIR", ""},
    {"XdgConfigHome", "XDG_CONFIG_HOME", "N0CALL Software/serial"},
    {"HomeConfig", nullptr, "home/.config/N0CALL Software/serial"},
};

INSTANTIATE_TEST_SUITE_P(Folders, K2SimFolderTest, ::testing::ValuesIn(kFolders), CaseName());

}  // namespace
