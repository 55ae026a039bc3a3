#include "client/qso/qso_logger.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "client/qso/qso_log_file.h"
#include "platform/atomic_file.h"
#include "tests/support/temp_dir.h"

namespace {

using namespace pelorin;
namespace fs = std::filesystem;

struct WindowLog {
    std::vector<std::string> rows;  // calls
    std::vector<std::string> searchResults;
    std::string caption;
    std::vector<int> rebuilds;
    int columns = 0;
    int shown = 0;
};

class RecordingWindow : public IQsoLogWindow {
  public:
    explicit RecordingWindow(WindowLog& log) : m_log(log) {}
    void ClearList() override { m_log.rows.clear(); }
    void AddEntry(const QSO_LOG_ENTRY& e) override { m_log.rows.push_back(e.szCall); }
    void SetCaption(const std::string& name) override { m_log.caption = name; }
    void Show() override { ++m_log.shown; }
    void Place() override {}
    void ClearSearchResults() override { m_log.searchResults.clear(); }
    void AddSearchResult(const std::string& line) override { m_log.searchResults.push_back(line); }
    void RebuildColumns(int style) override {
        m_log.rebuilds.push_back(style);
        m_log.columns = style;
        m_log.rows.clear();
    }
    int ColumnsStyle() const override { return m_log.columns; }

  private:
    WindowLog& m_log;
};

struct FakeSettings : IQsoLogSettings {
    int mode = 0;
    std::string name = "Orvo.QSO.Log";
    int ReadQsoLoggingMode() const override { return mode; }
    void WriteQsoLoggingMode(int m) override { mode = m; }
    std::string ReadCurrentLogFileName() const override { return name; }
    void WriteCurrentLogFileName(const std::string& n) override { name = n; }
};

struct FakeNotices : IQsoNotices {
    std::vector<std::string> lines;  // "error<TAB>..." as the message service records them
    std::vector<bool> answers;
    void Error(const std::string& text) override { lines.push_back("error\t" + text); }
    void Warning(const std::string& text) override { lines.push_back("warning\t" + text); }
    bool AskYesNo(const std::string& text) override {
        lines.push_back("question\t" + text);
        if (answers.empty())
            return false;
        const bool answer = answers.front();
        answers.erase(answers.begin());
        return answer;
    }
};

std::string readBytes(const fs::path& path) {
    std::string bytes;
    platform::readWholeFile(path.string(), bytes);
    return bytes;
}

void writeBytes(const fs::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

QSO_LOG_ENTRY contact(const std::string& call, int style = 0) {
    QSO_LOG_ENTRY e;
    e.nLogStyle = style;
    e.szCall = call;
    e.tmQSO = *WallClockSeconds({2024, 11, 23, 18, 30, 5});
    e.nBand = 4;
    e.lFreq = 14025000;
    e.nMode = 3;
    return e;
}

const std::string kNormalFile = "0;1;N0CALL;07041999143000;  20M;14025000;CW;;;;;0;;\n";
const std::string kContestFile = "1;1;K1TEST;11232024183005;  40M;7030500;CW;599 05;0;;\n";

class QsoLogger : public ::testing::Test {
  protected:
    fs::path folder() const { return m_dir.path() / "Orvo"; }
    fs::path at(const std::string& name) const { return folder() / name; }

    void start() {
        m_logger = std::make_unique<CQSOLoggerGUIThread>(
            folder().string(), m_settings, m_notices,
            CQSOLoggerGUIThread::Links{[this](int s) { m_styles.push_back(s); },
                                       [this](const QSO_LOG_ENTRY& e) { m_found.push_back(e); },
                                       {},
                                       {},
                                       [] { return std::int64_t{0}; }});
        m_window.columns = m_settings.mode;
        m_logger->OnParamCmd(std::make_unique<RecordingWindow>(m_window));
    }

    std::vector<std::string> calls() const {
        std::vector<std::string> out;
        for (const auto& e : m_logger->entries())
            out.push_back(e.szCall);
        return out;
    }

    TempDir m_dir;
    FakeSettings m_settings;
    FakeNotices m_notices;
    WindowLog m_window;
    std::vector<int> m_styles;
    std::vector<QSO_LOG_ENTRY> m_found;
    std::unique_ptr<CQSOLoggerGUIThread> m_logger;
};

TEST_F(QsoLogger, MissingLogStartsEmptyAndTheFirstLogItCreatesIt) {
    m_settings.mode = 1;
    start();
    EXPECT_EQ(m_settings.mode, 1);
    EXPECT_TRUE(m_styles.empty());
    EXPECT_TRUE(m_notices.lines.empty());
    m_logger->OnRequestQsoLogCmd(1, contact("K1TEST", 1));
    EXPECT_EQ(readBytes(at("Orvo.QSO.Log")), FormatLogLine(contact("K1TEST", 1), 1));
    EXPECT_EQ(m_window.rows, std::vector<std::string>{"K1TEST"});
}

TEST_F(QsoLogger, StartUpKeepsTheStoredStyleAndStartsANewLogBesideAFileOfTheOther) {
    fs::create_directories(folder());
    writeBytes(at("Orvo.QSO.Log"), kNormalFile);
    m_settings.mode = 1;
    start();
    EXPECT_EQ(m_settings.mode, 1);
    EXPECT_TRUE(m_styles.empty());
    EXPECT_EQ(m_settings.name, "Orvo-1.QSO.Log");
    EXPECT_EQ(m_logger->logFileName(), at("Orvo-1.QSO.Log").string());
    EXPECT_TRUE(fs::exists(at("Orvo-1.QSO.Log")));
    EXPECT_EQ(readBytes(at("Orvo.QSO.Log")), kNormalFile);
    EXPECT_EQ(m_notices.lines,
              std::vector<std::string>{"warning\t" + at("Orvo.QSO.Log").string() +
                                       " holds a normal log: started the new contest log " +
                                       at("Orvo-1.QSO.Log").string()});
}

TEST_F(QsoLogger, LoadOfTheOtherStyleFlipsTheStoredModeTheColumnsAndTheInfoWindow) {
    fs::create_directories(folder());
    writeBytes(at("normal.log"), kNormalFile);
    m_settings.mode = 1;
    start();
    ASSERT_TRUE(m_logger->OnOpenLogFile(1, at("normal.log").string()));
    EXPECT_EQ(m_settings.mode, 0);
    EXPECT_EQ(m_styles, std::vector<int>{0});
    EXPECT_EQ(m_window.rebuilds, std::vector<int>{0});
    EXPECT_EQ(m_window.rows, std::vector<std::string>{"N0CALL"});
    EXPECT_EQ(m_settings.name, "normal.log");
    EXPECT_EQ(m_logger->qsoCount(), 1);
}

TEST_F(QsoLogger, UnreadableLogIsNeverWritten) {
    fs::create_directories(at("Orvo.QSO.Log"));  // a folder where the log should be
    start();
    EXPECT_EQ(m_notices.lines.at(0).rfind("error\tCannot read " + at("Orvo.QSO.Log").string(), 0),
              0u);
    EXPECT_EQ(m_logger->logFileName(), at("Orvo-1.QSO.Log").string());
    EXPECT_TRUE(fs::is_directory(at("Orvo.QSO.Log")));

    m_logger->OnRequestQsoLogCmd(1, contact("A"));
    ASSERT_TRUE(m_logger->OnOpenLogFile(1, at("Orvo.QSO.Log").string()));  // Load: nothing changes
    EXPECT_EQ(calls(), std::vector<std::string>{"A"});
    EXPECT_EQ(m_logger->logFileName(), at("Orvo-1.QSO.Log").string());
}

TEST_F(QsoLogger, NewTakesTheFirstUnusedNameAndMakesTheFile) {
    start();
    m_logger->OnRequestQsoLogCmd(1, contact("A"));
    ASSERT_TRUE(m_logger->OnNewLogFile());
    EXPECT_EQ(m_settings.name, "Orvo-1.QSO.Log");
    EXPECT_EQ(readBytes(at("Orvo-1.QSO.Log")), "");
    EXPECT_EQ(readBytes(at("Orvo.QSO.Log")), FormatLogLine(contact("A"), 1));
    EXPECT_TRUE(m_window.rows.empty());
    ASSERT_TRUE(m_logger->OnNewLogFile());
    EXPECT_EQ(m_settings.name, "Orvo-2.QSO.Log");
}

TEST_F(QsoLogger, DeletingTheFirstOfThreeRenumbersTheFile) {
    start();
    for (const char* call : {"A", "B", "C"})
        m_logger->OnRequestQsoLogCmd(1, contact(call));
    m_logger->OnDeleteLogEntry(0);
    EXPECT_EQ(readBytes(at("Orvo.QSO.Log")),
              FormatLogLine(contact("B"), 1) + FormatLogLine(contact("C"), 2));
    EXPECT_EQ(m_window.rows, (std::vector<std::string>{"B", "C"}));
    m_logger->OnDeleteLogEntry(5);
    EXPECT_EQ(calls(), (std::vector<std::string>{"B", "C"}));
}

TEST_F(QsoLogger, SavedNamesAreStoredBareInTheLogFolderAndNeverCut) {
    start();
    m_logger->OnRequestQsoLogCmd(0, contact("A"));
    ASSERT_TRUE(m_logger->OnSaveLogFile(at("mine.log").string()));
    EXPECT_EQ(m_settings.name, "mine.log");
    const fs::path outside = m_dir.path() / "other.log";
    ASSERT_TRUE(m_logger->OnSaveLogFile(outside.string()));
    EXPECT_EQ(m_settings.name, outside.string());
    const fs::path longName = m_dir.path() / (std::string(80, 'x') + ".log");
    ASSERT_TRUE(m_logger->OnSaveLogFile(longName.string()));
    EXPECT_EQ(m_settings.name, outside.string());
    EXPECT_EQ(m_notices.lines.back(), "warning\t" + longName.string() +
                                          " will not reopen at the next start: its name is "
                                          "longer than 79 bytes");
    EXPECT_EQ(m_window.caption, longName.string());
}

TEST_F(QsoLogger, SearchUpperCasesAndSendsTheKthMatch) {
    start();
    QSO_LOG_ENTRY second = contact("N0CALL");
    second.lFreq = 7030000;
    for (const QSO_LOG_ENTRY& e : {contact("N0CALL"), contact("n0call"), second})
        m_logger->OnRequestQsoLogCmd(0, e);
    m_logger->OnSearchQsoLogCmd("n0call");
    EXPECT_EQ(m_window.searchResults,
              (std::vector<std::string>{"N0CALL CW QSO on 11/23/2024 at 18:30:05 on   20M",
                                        "N0CALL CW QSO on 11/23/2024 at 18:30:05 on   20M"}));
    m_logger->OnSearchQsoLogResultCmd(1, "N0CALL");
    ASSERT_EQ(m_found.size(), 1u);
    EXPECT_EQ(m_found[0], second);
    m_logger->OnSearchQsoLogResultCmd(2, "N0CALL");
    EXPECT_EQ(m_found.size(), 1u);
}

// A failed append keeps the contact listed and marks the log; the next Log It
// writes the whole log, the exit saves too.
TEST_F(QsoLogger, FailedAppendIsMadeGoodByTheNextLogItAndTheExit) {
    start();
    m_logger->OnRequestQsoLogCmd(1, contact("A"));
    fs::remove(at("Orvo.QSO.Log"));
    fs::create_directory(at("Orvo.QSO.Log"));
    m_logger->OnRequestQsoLogCmd(1, contact("B"));
    EXPECT_TRUE(m_logger->unsaved());
    EXPECT_EQ(m_notices.lines.back().rfind(
                  "error\tQSO not written to " + at("Orvo.QSO.Log").string() + ": ", 0),
              0u);
    EXPECT_EQ(m_window.rows, (std::vector<std::string>{"A", "B"}));
    fs::remove(at("Orvo.QSO.Log"));
    m_logger->OnRequestQsoLogCmd(1, contact("C"));
    EXPECT_FALSE(m_logger->unsaved());
    EXPECT_EQ(LoadLogFile(readBytes(at("Orvo.QSO.Log")), 0).entries.size(), 3u);

    fs::remove(at("Orvo.QSO.Log"));
    fs::create_directory(at("Orvo.QSO.Log"));
    m_logger->OnRequestQsoLogCmd(1, contact("D"));
    fs::remove(at("Orvo.QSO.Log"));
    m_logger->ExitInstance();
    EXPECT_EQ(LoadLogFile(readBytes(at("Orvo.QSO.Log")), 0).entries.size(), 4u);
}

TEST_F(QsoLogger, UnsavedContactsAreDroppedOnlyWhenTheOperatorSaysYes) {
    start();
    fs::create_directories(folder());
    writeBytes(at("other.log"), kNormalFile);
    m_logger->OnRequestQsoLogCmd(1, contact("A"));
    fs::remove(at("Orvo.QSO.Log"));
    fs::create_directory(at("Orvo.QSO.Log"));
    m_logger->OnRequestQsoLogCmd(1, contact("B"));
    ASSERT_TRUE(m_logger->unsaved());

    m_notices.answers = {false};
    EXPECT_FALSE(m_logger->OnOpenLogFile(1, at("other.log").string()));
    EXPECT_FALSE(m_logger->OnNewLogFile());
    EXPECT_EQ(calls(), (std::vector<std::string>{"A", "B"}));
    EXPECT_EQ(m_notices.lines.back(), "question\tContacts not saved to " +
                                          at("Orvo.QSO.Log").string() + " will be lost. Continue?");

    m_notices.answers = {true};
    EXPECT_TRUE(m_logger->OnOpenLogFile(1, at("other.log").string()));
    EXPECT_EQ(calls(), std::vector<std::string>{"N0CALL"});
}

TEST_F(QsoLogger, LinesThatAreNoContactsAreToldAndSavedBack) {
    fs::create_directories(folder());
    writeBytes(at("Orvo.QSO.Log"), "# mine\n" + kNormalFile + "garbage\n");
    start();
    EXPECT_EQ(m_notices.lines,
              std::vector<std::string>{"warning\t" + at("Orvo.QSO.Log").string() +
                                       ": 1 lines cannot be read as contacts and are kept "
                                       "unchanged (lines 3)"});
    m_logger->OnRequestQsoLogCmd(1, contact("A"));
    m_logger->OnDeleteLogEntry(1);
    EXPECT_EQ(readBytes(at("Orvo.QSO.Log")), kNormalFile + "# mine\ngarbage\n");
}

}  // namespace
