#include "server/message_logger_thread.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <memory>
#include <mutex>
#include <regex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/row_names.h"
#include "tests/support/temp_dir.h"

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

const std::string kStamp = "12-31-99 23:59:59 ";

std::chrono::system_clock::time_point newYearsEve1999() {
    std::tm local{};
    local.tm_year = 99;
    local.tm_mon = 11;
    local.tm_mday = 31;
    local.tm_hour = 23;
    local.tm_min = 59;
    local.tm_sec = 59;
    local.tm_isdst = -1;
    return std::chrono::system_clock::from_time_t(std::mktime(&local));
}

std::string readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string crlfLines(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) {
        text += line + "\r\n";
    }
    return text;
}

// A real logger task with a fixed clock, a recording display sink and a log folder of its own.
class LoggerTest : public ::testing::Test {
  protected:
    void SetUp() override {
        m_logger = std::make_unique<CMessageLoggerThread>([] { return newYearsEve1999(); });
        ASSERT_TRUE(m_logger->start());
    }

    void TearDown() override { m_logger.reset(); }

    void postParams(bool enabled, short level, short destination) {
        LogParams params;
        params.display = [this](int shownLevel, const std::string& line) {
            const std::lock_guard<std::mutex> lock(m_shownLock);
            m_shown.push_back(line);
            m_shownLevels.push_back(shownLevel);
        };
        params.enabled = enabled;
        params.level = level;
        params.destination = destination;
        params.hasFileInfo = true;
        params.directory = m_logDir.string();
        params.fileName = "test.log";
        m_logger->PostParams(std::move(params));
    }

    // Logs `count` numbered plain records and waits until the sink has seen them all.
    void logLines(int count, const std::string& prefix = "line ") {
        const std::size_t target = shownCount() + static_cast<std::size_t>(count);
        for (int i = 0; i < count; ++i) {
            LogMessage(kLogModePlain, kLogLevelInformation, prefix + std::to_string(i));
        }
        waitShown(target);
    }

    void waitShown(std::size_t count) {
        const auto deadline = std::chrono::steady_clock::now() + 10s;
        while (shownCount() < count && std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(1ms);
        }
        ASSERT_EQ(shownCount(), count);
    }

    std::size_t shownCount() {
        const std::lock_guard<std::mutex> lock(m_shownLock);
        return m_shown.size();
    }

    // The shown lines; call after stop().
    std::vector<std::string> shown() {
        const std::lock_guard<std::mutex> lock(m_shownLock);
        return m_shown;
    }

    fs::path logFile() const { return m_logDir / "test.log"; }

    static std::vector<std::string> numbered(int first, int count,
                                             const std::string& prefix = "line ") {
        std::vector<std::string> lines;
        for (int i = first; i < first + count; ++i) {
            lines.push_back(prefix + std::to_string(i));
        }
        return lines;
    }

    TempDir m_tempDir{"logger-test"};
    const fs::path m_dir = m_tempDir.path();
    fs::path m_logDir = m_dir / "logs";
    std::unique_ptr<CMessageLoggerThread> m_logger;
    std::mutex m_shownLock;
    std::vector<std::string> m_shown;
    std::vector<int> m_shownLevels;
};

// ---------------------------------------------------------------------------------------------
// Building the line.

struct LineCase {
    const char* name;
    int indent;
    int mode;
    std::string text;
    std::string line;
};
ROW_NAME(LineCase, row.name);

class LineTest : public LoggerTest, public ::testing::WithParamInterface<LineCase> {};

TEST_P(LineTest, BuildsIndentStampAndText) {
    postParams(true, 3, kLogToScreen);
    LogIndent(0, GetParam().indent);
    LogMessage(GetParam().mode, kLogLevelInformation, GetParam().text);
    waitShown(1);
    m_logger->stop();
    EXPECT_THAT(shown(), ElementsAre(GetParam().line));
}

const std::string k130 = [] {
    std::string text;
    for (int i = 0; i < 130; ++i) {
        text += static_cast<char>('a' + i % 26);
    }
    return text;
}();

const LineCase kLineCases[] = {
    {"PlainCommand", 0, kLogModePlain, "MD3;", "MD3;"},
    {"IndentedAndStamped", 3, kLogModeTimeStamped, "x", std::string(6, ' ') + kStamp + "x"},
    {"CutTo127", 0, kLogModeTimeStamped, k130, kStamp + k130.substr(0, 109)},
    {"DeepIndentCutTo127", 40, kLogModeTimeStamped, k130.substr(0, 127),
     std::string(80, ' ') + kStamp + k130.substr(0, 29)},
    {"FormatCharactersAreText", 0, kLogModeTimeStamped, "%s%n", kStamp + "%s%n"},
};

INSTANTIATE_TEST_SUITE_P(Logger, LineTest, ::testing::ValuesIn(kLineCases), CaseName());

TEST_F(LoggerTest, IndentSequenceIsClampedAndIgnoresBadSteps) {
    struct Step {
        int mode;
        int amount;
        std::size_t blanks;
    };
    const Step steps[] = {
        {0, 3, 6},     // set
        {1, -5, 0},    // a step below zero stops at 0
        {0, 50, 80},   // set above 40
        {0, -1, 80},   // a negative set is ignored
        {0, 10, 20},   //
        {1, 45, 80},   // a step above 40
        {2, 5, 80},    // unknown mode
        {0, 200, 80},  // 8 bits, signed: 200 is -56, a negative set
        {1, 250, 68},  // ... and 250 is a step of -6
    };
    postParams(true, 3, kLogToScreen);
    for (const Step& step : steps) {
        LogIndent(step.mode, step.amount);
        LogMessage(kLogModePlain, kLogLevelInformation, "x");
    }
    waitShown(std::size(steps));
    m_logger->stop();
    const std::vector<std::string> lines = shown();
    for (std::size_t i = 0; i < std::size(steps); ++i) {
        EXPECT_EQ(lines[i], std::string(steps[i].blanks, ' ') + "x") << "step " << i;
    }
}

TEST_F(LoggerTest, RecordsBeforeParametersAndIndentsWhileDisabledAreDropped) {
    LogMessage(kLogModePlain, kLogLevelError, "too early");
    postParams(false, 3, kLogToScreen);
    LogIndent(0, 5);
    LogMessage(kLogModePlain, kLogLevelError, "disabled");
    postParams(true, 3, kLogToScreen);
    logLines(1);
    m_logger->stop();
    EXPECT_THAT(shown(), ElementsAre("line 0"));
}

TEST_F(LoggerTest, ExceptionLinesAreStampedErrors) {
    postParams(true, 1, kLogToScreen);
    LogCorbaException("NotifyCmd");
    LogUnknownException("NotifyTextMessageEmpty");
    LogCorbaException("ConnectBackThreadProc", "NotFound");
    // A name of any length still gives one line of at most 127 bytes.
    LogCorbaException("ConnectBackThreadProc", std::string(500, 'N'));
    waitShown(4);
    m_logger->stop();
    const std::string longLine =
        kStamp + "CORBA Exception in ConnectBackThreadProc: " + std::string(500, 'N');
    EXPECT_THAT(shown(), ElementsAre(kStamp + "CORBA Exception in NotifyCmd",
                                     kStamp + "Unknown exception in NotifyTextMessageEmpty",
                                     kStamp + "CORBA Exception in ConnectBackThreadProc: NotFound",
                                     longLine.substr(0, kMaxLogLineBytes)));
    EXPECT_THAT(m_shownLevels,
                ElementsAre(kLogLevelError, kLogLevelError, kLogLevelError, kLogLevelError));
}

// ---------------------------------------------------------------------------------------------
// Levels: a record passes when the threshold is at least its level.

struct LevelCase {
    const char* name;
    short threshold;
    int level;
    bool passes;
};
ROW_NAME(LevelCase, row.name);

class LevelTest : public LoggerTest, public ::testing::WithParamInterface<LevelCase> {};

TEST_P(LevelTest, ShownAndBufferedOrDropped) {
    postParams(true, GetParam().threshold, kLogToScreenAndFile);
    LogMessage(kLogModePlain, GetParam().level, "record");
    LogMessage(kLogModePlain, kLogLevelError, "marker 0");  // passes every threshold
    waitShown(GetParam().passes ? 2 : 1);
    m_logger->stop();
    if (GetParam().passes) {
        EXPECT_THAT(shown(), ElementsAre("record", "marker 0"));
        EXPECT_EQ(readFile(logFile()), "record\r\nmarker 0\r\n");
    } else {
        EXPECT_THAT(shown(), ElementsAre("marker 0"));
        EXPECT_EQ(readFile(logFile()), "marker 0\r\n");
    }
}

const LevelCase kLevelCases[] = {
    {"ErrorsOnlyError", 1, kLogLevelError, true},
    {"ErrorsOnlyInformation", 1, kLogLevelInformation, false},
    {"InformationError", 2, kLogLevelError, true},
    {"InformationInformation", 2, kLogLevelInformation, true},
    {"AllError", 3, kLogLevelError, true},
    {"AllInformation", 3, kLogLevelInformation, true},
};

INSTANTIATE_TEST_SUITE_P(Logger, LevelTest, ::testing::ValuesIn(kLevelCases), CaseName());

// ---------------------------------------------------------------------------------------------
// The start-up block from "SW Logging Mode".

struct StartupCase {
    const char* name;
    std::uint8_t mode;
    bool enabled;
    short level;
};
ROW_NAME(StartupCase, row.name);

class StartupParamsTest : public ::testing::TestWithParam<StartupCase> {};

TEST_P(StartupParamsTest, FollowsTheModeBits) {
    const LogParams params = MakeStartupLogParams(GetParam().mode, "C:\\Orvo", "Orvo.Log",
                                                  [](int, const std::string&) {});
    EXPECT_EQ(params.enabled, GetParam().enabled);
    EXPECT_EQ(params.level, GetParam().level);
    EXPECT_EQ(params.destination, kLogToScreen);
    EXPECT_TRUE(params.hasFileInfo);
    EXPECT_EQ(params.directory, "C:\\Orvo");
    EXPECT_EQ(params.fileName, "Orvo.Log");
    EXPECT_TRUE(static_cast<bool>(params.display));
}

const StartupCase kStartupCases[] = {
    {"Off", 0x00, false, 2},
    {"On", 0x80, true, 2},
    {"OnErrorsOnly", 0xC0, true, 1},
    {"OnInformation", 0xA0, true, 2},
    {"OnAll", 0xE0, true, 3},
    {"OffAll", 0x60, false, 3},
    {"OnAllWithRadioBits", 0xE3, true, 3},
};

INSTANTIATE_TEST_SUITE_P(Logger, StartupParamsTest, ::testing::ValuesIn(kStartupCases), CaseName());

// ---------------------------------------------------------------------------------------------
// The buffer and the file.

TEST_F(LoggerTest, ScreenOnlyNeverWritesTheFile) {
    postParams(true, 3, kLogToScreen);
    logLines(30);
    m_logger->stop();
    EXPECT_EQ(shown(), numbered(0, 30));
    EXPECT_FALSE(fs::exists(m_logDir));
}

TEST_F(LoggerTest, TwentyFifthLineStartsTheFileAfresh) {
    fs::create_directories(m_logDir);
    std::ofstream(logFile(), std::ios::binary) << "older content\r\n";
    postParams(true, 3, kLogToFile);

    logLines(24);
    EXPECT_EQ(readFile(logFile()), "older content\r\n");

    logLines(1, "last ");
    m_logger->stop();
    std::vector<std::string> expected = numbered(0, 24);
    expected.push_back("last 0");
    EXPECT_EQ(readFile(logFile()), crlfLines(expected));
    EXPECT_EQ(shown(), expected);  // "Log To File" still shows every record
}

struct SwitchOffCase {
    const char* name;
    short destination;
    bool written;
};
ROW_NAME(SwitchOffCase, row.name);

class SwitchOffTest : public LoggerTest, public ::testing::WithParamInterface<SwitchOffCase> {};

TEST_P(SwitchOffTest, BufferedLinesFollowTheDestination) {
    postParams(true, 3, GetParam().destination);
    logLines(10);
    postParams(false, 3, GetParam().destination);
    // Nothing more reaches the file after switching off, not even at stop.
    LogMessage(kLogModePlain, kLogLevelError, "after");
    m_logger->stop();
    if (GetParam().written) {
        EXPECT_EQ(readFile(logFile()), crlfLines(numbered(0, 10)));
    } else {
        EXPECT_FALSE(fs::exists(logFile()));
    }
}

const SwitchOffCase kSwitchOffCases[] = {
    {"ScreenAndFile", kLogToScreenAndFile, true},
    {"File", kLogToFile, true},
    {"Screen", kLogToScreen, false},
};

INSTANTIATE_TEST_SUITE_P(Logger, SwitchOffTest, ::testing::ValuesIn(kSwitchOffCases), CaseName());

TEST_F(LoggerTest, StopWritesBufferedLinesBeforeReturning) {
    postParams(true, 3, kLogToFile);
    for (int i = 0; i < 10; ++i) {
        LogMessage(kLogModePlain, kLogLevelInformation, "line " + std::to_string(i));
    }
    EXPECT_TRUE(m_logger->stop());
    EXPECT_EQ(readFile(logFile()), crlfLines(numbered(0, 10)));

    // The stopped logger is withdrawn: later records go nowhere.
    EXPECT_EQ(g_pLoggerThread.load(), nullptr);
    LogMessage(kLogModePlain, kLogLevelError, "after stop");
    m_logger.reset();
    EXPECT_EQ(readFile(logFile()), crlfLines(numbered(0, 10)));
}

TEST_F(LoggerTest, EachParameterBlockStartsTheFileAfresh) {
    postParams(true, 3, kLogToFile);
    logLines(25, "first ");
    postParams(true, 3, kLogToFile);
    logLines(25, "second ");
    m_logger->stop();
    EXPECT_EQ(readFile(logFile()), crlfLines(numbered(0, 25, "second ")));
}

TEST_F(LoggerTest, MissingFolderAndDeletedFileAreCreated) {
    m_logDir = m_dir / "fresh" / "logs";
    postParams(true, 3, kLogToFile);
    logLines(25, "first ");
    EXPECT_EQ(readFile(logFile()), crlfLines(numbered(0, 25, "first ")));

    fs::remove(logFile());
    logLines(25, "second ");
    m_logger->stop();
    EXPECT_EQ(readFile(logFile()), crlfLines(numbered(0, 25, "second ")));
}

TEST_F(LoggerTest, BlockedFolderLosesOneBlockThenRecovers) {
    const fs::path blocker = m_dir / "blocked";
    std::ofstream(blocker) << "not a folder";
    m_logDir = blocker / "logs";
    postParams(true, 3, kLogToFile);
    logLines(25, "lost ");

    fs::remove(blocker);
    logLines(25, "kept ");
    m_logger->stop();
    EXPECT_EQ(readFile(logFile()), crlfLines(numbered(0, 25, "kept ")));
}

TEST_F(LoggerTest, StoredWindowsFolderMapsToTheHomeFolder) {
    const char* oldHome = std::getenv("HOME");
    const std::string savedHome = oldHome != nullptr ? oldHome : "";
    setenv("HOME", m_dir.c_str(), 1);

    LogParams params;
    params.enabled = true;
    params.level = 3;
    params.destination = kLogToFile;
    params.hasFileInfo = true;
    params.directory = "C:\\Orvo";
    params.fileName = "Orvo.Log";
    m_logger->PostParams(std::move(params));
    LogMessage(kLogModePlain, kLogLevelError, "hello");
    m_logger->stop();

    if (oldHome != nullptr) {
        setenv("HOME", savedHome.c_str(), 1);
    } else {
        unsetenv("HOME");
    }
    EXPECT_EQ(readFile(m_dir / "Orvo" / "Orvo.Log"), "hello\r\n");
}

// Four threads log while the logger stops: no crash, no sanitizer report, only whole lines.
TEST_F(LoggerTest, StopRacingWithLoggersKeepsWholeLines) {
    postParams(true, 3, kLogToFile);
    logLines(1, "start ");

    std::atomic<bool> go{false};
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([t, &go] {
            while (!go.load()) {
                std::this_thread::yield();
            }
            for (int i = 0; i < 1000; ++i) {
                LogMessage(kLogModePlain, kLogLevelInformation,
                           "thread " + std::to_string(t) + " line " + std::to_string(i));
            }
        });
    }
    go = true;
    std::this_thread::sleep_for(1ms);
    EXPECT_TRUE(m_logger->stop());
    m_logger.reset();
    for (std::thread& thread : threads) {
        thread.join();
    }

    const std::string text = readFile(logFile());
    const std::regex whole(R"((start 0|thread [0-3] line \d{1,3})\r)");
    std::istringstream lines(text);
    int count = 0;
    for (std::string line; std::getline(lines, line); ++count) {
        EXPECT_TRUE(std::regex_match(line, whole)) << line;
    }
    EXPECT_GE(count, 1);
    EXPECT_TRUE(text.empty() || text.back() == '\n');
}

}  // namespace
