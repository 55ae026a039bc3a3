#include "client/qso/qso_logger.h"

#include <grp.h>
#include <gtest/gtest.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "client/qso/qso_log_file.h"
#include "client/qso/qso_log_guard.h"
#include "platform/atomic_file.h"
#include "tests/support/row_names.h"
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

// 12/10/2026 12:45:00 UTC, the clock the rescue files are named by.
constexpr std::int64_t kRescueStamp = 1796906700;
constexpr char kRescueSuffix[] = ".unsaved-20261210T124500Z";

const std::string kNormalFile = "0;1;N0CALL;07041999143000;  20M;14025000;CW;;;;;0;;\n";
const std::string kContestFile = "1;1;K1TEST;11232024183005;  40M;7030500;CW;599 05;0;;\n";

class QsoLogger : public ::testing::Test {
  protected:
    fs::path folder() const { return m_dir.path() / "Orvo"; }
    fs::path at(const std::string& name) const { return folder() / name; }

    void start() {
        CQSOLoggerGUIThread::Links links{
            .styleChanged = [this](int s) { m_styles.push_back(s); },
            .sendFoundEntry = [this](const QSO_LOG_ENTRY& e) { m_found.push_back(e); },
            .now = [] { return std::int64_t{0}; },
            .rescueFolders = [this] { return m_rescueFolders; },
            .utcNow = [] { return kRescueStamp; },
            .errorOutput = [this](const std::string& text) { m_errorOutput.push_back(text); },
            .statusLine = [this](const std::string& text) { m_statusLines.push_back(text); },
        };
        m_logger = std::make_unique<CQSOLoggerGUIThread>(folder().string(), m_settings, m_notices,
                                                         std::move(links));
        m_window.columns = m_settings.mode;
        m_logger->OnParamCmd(std::make_unique<RecordingWindow>(m_window));
    }

    // Logs A into the log, then B while appends fail: the file holds A, B is
    // listed only. Appends go on failing until the test sets other hooks.
    void logAThenBUnsaved() {
        m_logger->OnRequestQsoLogCmd(1, contact("A"));
        m_logger->SetFileHooks({}, [](platform::AppendStep) { return false; });
        m_logger->OnRequestQsoLogCmd(1, contact("B"));
    }

    std::vector<std::string> calls() const {
        std::vector<std::string> out;
        for (const auto& e : m_logger->entries())
            out.push_back(e.szCall);
        return out;
    }

    std::vector<std::string> callsInFile(const std::string& name) const {
        std::vector<std::string> out;
        for (const auto& e : LoadLogFile(readBytes(at(name)), 0).entries)
            out.push_back(e.szCall);
        return out;
    }

    TempDir m_dir;
    FakeSettings m_settings;
    FakeNotices m_notices;
    WindowLog m_window;
    std::vector<int> m_styles;
    std::vector<QSO_LOG_ENTRY> m_found;
    std::vector<std::string> m_rescueFolders;  // none unless a test gives some
    std::vector<std::string> m_errorOutput;
    std::vector<std::string> m_statusLines;
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
    EXPECT_FALSE(m_logger->OnOpenLogFile(1, at("Orvo.QSO.Log").string()));  // Load: nothing changes
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
    // No refill: the window took its own row away before it asked.
    EXPECT_EQ(m_window.rows, (std::vector<std::string>{"A", "B", "C"}));
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
// writes what is missing, the exit saves too.
TEST_F(QsoLogger, FailedAppendIsMadeGoodByTheNextLogItAndTheExit) {
    start();
    m_logger->OnRequestQsoLogCmd(1, contact("A"));
    m_logger->SetFileHooks({}, [](platform::AppendStep) { return false; });
    m_logger->OnRequestQsoLogCmd(1, contact("B"));
    EXPECT_TRUE(m_logger->unsaved());
    EXPECT_EQ(m_notices.lines.back().rfind(
                  "error\tQSO not written to " + at("Orvo.QSO.Log").string() + ": ", 0),
              0u);
    EXPECT_EQ(m_window.rows, (std::vector<std::string>{"A", "B"}));
    m_logger->SetFileHooks({}, {});
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
    m_logger->SetFileHooks({}, {}, [](const std::string&) { return false; });  // no rescue file

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

// --- Failed saves and appends ---------------------------------------------------

std::string join(const std::vector<std::string>& items) {
    std::string out;
    for (const auto& item : items)
        out += (out.empty() ? "" : ",") + item;
    return out;
}

// What is under a name: its bytes, or that it is missing or a folder.
std::string stateOf(const fs::path& path) {
    std::error_code ignored;
    if (fs::is_directory(path, ignored))
        return "<folder>";
    if (!fs::exists(path, ignored))
        return "<none>";
    return "<file>" + readBytes(path);
}

enum class Action { Save, LogIt };

enum class Fault {
    SaveStep,            // the save fails at `step`
    AppendWrite,         // the appended line is written, then the append fails
    BackupIsAFolder,     // a folder where the backup goes
    FolderIsAPlainFile,  // a plain file where the log folder should be
    LogIsAFolder,        // a folder where the log should be
    FileSizeLimit,       // a real short write: the file size limit stops it
};

struct FailureCase {
    const char* name;
    Action action;
    Fault fault;
    platform::AtomicStep step;
    const char* reason;  // strerror's text
    // What fails: a Log It whose log is no longer a file under its name
    // saves the whole log instead of appending.
    Action fails = action;
};
ROW_NAME(FailureCase, row.name);

// Runs `run` in a forked child and returns what it reports; the child may
// change its user, limits and mounts without touching this process.
std::string reportFromChild(const std::function<std::string()>& run) {
    int pipeFds[2];
    if (::pipe(pipeFds) != 0)
        return "no pipe";
    const pid_t child = ::fork();
    if (child < 0)
        return "no fork";
    if (child == 0) {
        ::close(pipeFds[0]);
        const std::string report = run();
        const bool sent = ::write(pipeFds[1], report.data(), report.size()) ==
                          static_cast<ssize_t>(report.size());
        ::_exit(sent ? 0 : 1);
    }
    ::close(pipeFds[1]);
    std::string report;
    char buffer[512];
    for (ssize_t n; (n = ::read(pipeFds[0], buffer, sizeof buffer)) > 0;)
        report.append(buffer, static_cast<std::size_t>(n));
    ::close(pipeFds[0]);
    int status = 0;
    if (::waitpid(child, &status, 0) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        report += "\nchild failed";
    return report;
}

class QsoLoggerFailure : public QsoLogger, public ::testing::WithParamInterface<FailureCase> {
  protected:
    fs::path log() const { return at("mine.log"); }
    fs::path away() const { return m_dir.path() / "away"; }

    void breakIt(const FailureCase& c) {
        switch (c.fault) {
            case Fault::SaveStep:
                m_logger->SetFileHooks(
                    [step = c.step](platform::AtomicStep s) { return s != step; }, {});
                break;
            case Fault::AppendWrite:
                m_logger->SetFileHooks({}, [](platform::AppendStep s) {
                    return s != platform::AppendStep::AfterWrite;
                });
                break;
            case Fault::BackupIsAFolder:
                fs::remove(BackupPathOf(log().string()));
                fs::create_directory(BackupPathOf(log().string()));
                break;
            case Fault::FolderIsAPlainFile:
                fs::rename(folder(), away());
                writeBytes(folder(), "not a folder");
                break;
            case Fault::LogIsAFolder:
                fs::rename(log(), away());
                fs::create_directory(log());
                break;
            case Fault::FileSizeLimit: {
                // Room for part of the saved log or of the appended line only.
                const auto size = c.action == Action::Save ? 60 : fs::file_size(log()) + 10;
                rlimit limit{};
                ::getrlimit(RLIMIT_FSIZE, &limit);
                limit.rlim_cur = size;
                ::signal(SIGXFSZ, SIG_IGN);
                ::setrlimit(RLIMIT_FSIZE, &limit);
                break;
            }
        }
    }

    void repair(const FailureCase& c) {
        m_logger->SetFileHooks({}, {});
        switch (c.fault) {
            case Fault::BackupIsAFolder:
                fs::remove(BackupPathOf(log().string()));
                break;
            case Fault::FolderIsAPlainFile:
                fs::remove(folder());
                fs::rename(away(), folder());
                break;
            case Fault::LogIsAFolder:
                fs::remove(log());
                fs::rename(away(), log());
                break;
            case Fault::FileSizeLimit: {
                rlimit limit{};
                ::getrlimit(RLIMIT_FSIZE, &limit);
                limit.rlim_cur = limit.rlim_max;
                ::setrlimit(RLIMIT_FSIZE, &limit);
                break;
            }
            default:
                break;
        }
    }

    bool temporaries() const {
        std::error_code ignored;
        for (const auto& item : fs::directory_iterator(folder(), ignored)) {
            if (item.path().filename().string().find(".tmp.") != std::string::npos)
                return true;
        }
        return false;
    }

    // Fails the row's action, then repairs the fault and logs one more
    // contact; reports what the operator and the disk show at both points.
    std::string run(const FailureCase& c) {
        std::ostringstream out;
        breakIt(c);
        const std::string logBefore = stateOf(log());
        const std::string backupBefore = stateOf(BackupPathOf(log().string()));
        const std::size_t noticesBefore = m_notices.lines.size();
        if (c.action == Action::Save)
            m_logger->OnSaveLogFile();
        else
            m_logger->OnRequestQsoLogCmd(1, contact("C"));
        for (std::size_t i = noticesBefore; i < m_notices.lines.size(); ++i)
            out << m_notices.lines[i] << "\n";
        out << "log " << (stateOf(log()) == logBefore ? "unchanged" : "changed") << ", backup "
            << (stateOf(BackupPathOf(log().string())) == backupBefore ? "unchanged" : "changed")
            << (temporaries() ? ", temporary file left" : "") << "\n";
        out << "listed " << join(calls()) << (m_logger->unsaved() ? ", unsaved" : ", saved")
            << "\n";

        repair(c);
        m_logger->OnRequestQsoLogCmd(1, contact("D"));
        const std::string bytes = readBytes(log());
        out << "then the file holds " << join(callsInFile("mine.log"))
            << (bytes == FormatLogFile(m_logger->entries(), {}) ? " numbered 1.." : " misnumbered")
            << (m_logger->unsaved() ? ", unsaved" : ", saved") << "\n";
        return out.str();
    }

    // A log "mine.log" holding A and B, its backup holding A.
    void prepare() {
        m_settings.name = "mine.log";
        start();
        m_logger->OnRequestQsoLogCmd(1, contact("A"));
        ASSERT_TRUE(m_logger->OnSaveLogFile());
        m_logger->OnRequestQsoLogCmd(1, contact("B"));
        ASSERT_EQ(callsInFile("mine.log"), (std::vector<std::string>{"A", "B"}));
        ASSERT_EQ(readBytes(BackupPathOf(log().string())), FormatLogLine(contact("A"), 1));
        ASSERT_TRUE(m_notices.lines.empty());
    }
};

TEST_P(QsoLoggerFailure, ChangesNothingOnDiskKeepsEveryContactAndTheNextLogItSavesAll) {
    const FailureCase& c = GetParam();
    prepare();
    const std::string verb = c.fails == Action::Save ? "Log not saved to " : "QSO not written to ";
    const std::string listed = c.action == Action::Save ? "A,B" : "A,B,C";
    const std::string expected = "error\t" + verb + log().string() + ": " + c.reason + "\n" +
                                 "log unchanged, backup unchanged\n" + "listed " + listed +
                                 ", unsaved\n" + "then the file holds " + listed +
                                 ",D numbered 1.., saved\n";
    if (c.fault != Fault::FileSizeLimit) {
        EXPECT_EQ(run(c), expected);
        return;
    }
    // The limit holds for the whole process, so the row runs in a child
    // (also as root) and sends its report back.
    EXPECT_EQ(reportFromChild([&] { return run(c); }), expected);
}

using platform::AtomicStep;

INSTANTIATE_TEST_SUITE_P(
    Points, QsoLoggerFailure,
    ::testing::Values(
        FailureCase{"ShortWriteOfTheNewFile", Action::Save, Fault::SaveStep,
                    AtomicStep::WriteTemporary, "No space left on device"},
        FailureCase{"SyncOfTheNewFile", Action::Save, Fault::SaveStep, AtomicStep::SyncTemporary,
                    "Input/output error"},
        FailureCase{"SecondNameOfTheOldFile", Action::Save, Fault::SaveStep, AtomicStep::AfterLink,
                    "Input/output error"},
        FailureCase{"RenameOntoTheLog", Action::Save, Fault::SaveStep,
                    AtomicStep::BeforeFinalRename, "Input/output error"},
        FailureCase{"BackupAfterTheNewFileIsInPlace", Action::Save, Fault::SaveStep,
                    AtomicStep::BeforeBackupRename, "Input/output error"},
        FailureCase{"BackupIsAFolder", Action::Save, Fault::BackupIsAFolder, {}, "Is a directory"},
        FailureCase{
            "SaveOverTheFileSizeLimit", Action::Save, Fault::FileSizeLimit, {}, "File too large"},
        FailureCase{"SaveIntoAFolderThatIsAPlainFile",
                    Action::Save,
                    Fault::FolderIsAPlainFile,
                    {},
                    "Not a directory"},
        FailureCase{
            "SaveOntoALogThatIsAFolder", Action::Save, Fault::LogIsAFolder, {}, "Is a directory"},
        FailureCase{"AppendFailingAfterItsWrite",
                    Action::LogIt,
                    Fault::AppendWrite,
                    {},
                    "Input/output error"},
        FailureCase{"AppendOverTheFileSizeLimit",
                    Action::LogIt,
                    Fault::FileSizeLimit,
                    {},
                    "File too large"},
        FailureCase{"LogItIntoAFolderThatIsAPlainFile",
                    Action::LogIt,
                    Fault::FolderIsAPlainFile,
                    {},
                    "Not a directory",
                    Action::Save},
        FailureCase{"LogItOntoALogThatIsAFolder",
                    Action::LogIt,
                    Fault::LogIsAFolder,
                    {},
                    "Is a directory",
                    Action::Save}),
    CaseName());

// The exit saves an unsaved log; a second exit finds nothing to save and
// never writes the emptied list over the file.
TEST_F(QsoLogger, ExitSavesAnUnsavedLogAndASecondExitLeavesIt) {
    m_settings.name = "mine.log";
    start();
    logAThenBUnsaved();
    ASSERT_TRUE(m_logger->unsaved());
    m_logger->SetFileHooks({}, {});
    m_logger->ExitInstance();
    EXPECT_EQ(callsInFile("mine.log"), (std::vector<std::string>{"A", "B"}));
    EXPECT_EQ(m_logger->window(), nullptr);
    m_logger->ExitInstance();
    EXPECT_EQ(callsInFile("mine.log"), (std::vector<std::string>{"A", "B"}));
}

TEST_F(QsoLogger, ExitWhoseSaveFailsLeavesTheFileForASecondExit) {
    m_settings.name = "mine.log";
    start();
    m_logger->OnRequestQsoLogCmd(1, contact("A"));
    m_logger->SetFileHooks([](platform::AtomicStep) { return false; },
                           [](platform::AppendStep) { return false; });
    m_logger->OnRequestQsoLogCmd(1, contact("B"));
    m_notices.lines.clear();
    m_logger->ExitInstance();
    // The contact the save could not write is in the rescue file beside the
    // log, which standard error names first; no box, as no operator may be
    // there. The log itself is as it was.
    const fs::path rescue = at(std::string("mine.log") + kRescueSuffix);
    EXPECT_TRUE(m_notices.lines.empty()) << m_notices.lines.front();
    ASSERT_FALSE(m_errorOutput.empty());
    EXPECT_EQ(m_errorOutput.front(), "Log not saved to " + at("mine.log").string() +
                                         ": the whole log is kept in " + rescue.string());
    EXPECT_EQ(callsInFile(rescue.filename().string()), (std::vector<std::string>{"A", "B"}));
    m_logger->SetFileHooks({}, {});
    m_logger->ExitInstance();
    EXPECT_EQ(callsInFile("mine.log"), std::vector<std::string>{"A"});
    EXPECT_EQ(callsInFile(rescue.filename().string()), (std::vector<std::string>{"A", "B"}));
}

// --- The exit on a full disk or a read-only folder ------------------------------------

// In a child: a small tmpfs of its own over `folder`, gone with the child.
bool mountSmallDisk(const fs::path& folder, const std::string& size) {
    if (::unshare(CLONE_NEWNS) != 0 || ::mount("none", "/", nullptr, MS_REC | MS_PRIVATE, nullptr))
        return false;
    const std::string options = "size=" + size + ",mode=0777";
    return ::mount("tmpfs", folder.c_str(), "tmpfs", 0, options.c_str()) == 0;
}

// Fills the disk that `folder` is on with 4 KB files; returns them.
std::vector<fs::path> fillDisk(const fs::path& folder) {
    std::vector<fs::path> fillers;
    const std::string page(4096, 'f');
    for (int n = 0;; ++n) {
        const fs::path filler = folder / ("filler" + std::to_string(n));
        if (WriteNewFile(filler.string(), page) != 0)
            break;
        fillers.push_back(filler);
    }
    return fillers;
}

bool becomeNobody() {
    return ::setgroups(0, nullptr) == 0 && ::setresgid(65534, 65534, 65534) == 0 &&
           ::setresuid(65534, 65534, 65534) == 0;
}

// A log of contact A and a comment line, 4096 bytes in all: on a full disk
// no byte more fits.
std::string pageOfLog() {
    const std::string line = FormatLogLine(contact("A"), 1);
    return line + "#" + std::string(4096 - line.size() - 2, '-') + "\n";
}

enum class ExitFault { FullDisk, FileSizeLimit, ReadOnlyFolder };
enum class ExitKind { Sigterm, AnswerYes, AnswerNo };
enum class RescueAt { SettingsFolder, HomeFolder, Nowhere };

struct ExitCase {
    const char* name;
    ExitFault fault;
    ExitKind exit;
    RescueAt rescue;
};
ROW_NAME(ExitCase, row.name);

class QsoLoggerExit : public QsoLogger, public ::testing::WithParamInterface<ExitCase> {
  protected:
    fs::path settingsFolder() const { return m_dir.path() / "settings"; }
    fs::path homeFolder() const { return m_dir.path() / "home"; }
    fs::path rescueFolder(RescueAt at) const {
        return at == RescueAt::SettingsFolder ? settingsFolder() : homeFolder();
    }

    // In the child: A is in the log, B and C fail to reach it, then the exit.
    std::string run(const ExitCase& c) {
        fs::create_directories(folder());
        fs::create_directories(settingsFolder());
        fs::create_directories(homeFolder());
        fs::permissions(m_dir.path(), fs::perms(0755));
        if (c.fault == ExitFault::FullDisk && !mountSmallDisk(folder(), "64k"))
            return "skip: no tmpfs can be mounted here";
        writeBytes(at("mine.log"), pageOfLog());
        // Nobody may write the log's folder and the rescue folder of the row.
        for (const fs::path& owned : {folder(), at("mine.log")}) {
            if (::chown(owned.c_str(), 65534, 65534) != 0)
                return "chown failed";
        }
        if (c.rescue != RescueAt::Nowhere && ::chown(rescueFolder(c.rescue).c_str(), 65534, 65534))
            return "chown failed";
        if (!becomeNobody())
            return "cannot become nobody";

        m_rescueFolders = {settingsFolder().string(), homeFolder().string()};
        m_settings.name = "mine.log";
        start();
        switch (c.fault) {
            case ExitFault::FullDisk:
                fillDisk(folder());
                break;
            case ExitFault::FileSizeLimit: {
                rlimit limit{};
                ::getrlimit(RLIMIT_FSIZE, &limit);
                limit.rlim_cur = 4096 + 10;
                ::signal(SIGXFSZ, SIG_IGN);
                ::setrlimit(RLIMIT_FSIZE, &limit);
                break;
            }
            case ExitFault::ReadOnlyFolder:
                fs::permissions(at("mine.log"), fs::perms(0444));
                fs::permissions(folder(), fs::perms(0555));
                break;
        }
        m_logger->OnRequestQsoLogCmd(1, contact("B"));
        m_logger->OnRequestQsoLogCmd(1, contact("C"));
        if (!m_logger->unsaved())
            return "B and C were written";
        m_notices.lines.clear();
        m_notices.answers = {c.exit == ExitKind::AnswerYes};

        std::ostringstream out;
        const bool exits = m_logger->SaveForExit(c.exit != ExitKind::Sigterm);
        out << (exits ? "exits" : "stays") << "\n";
        // The failed writes' reasons vary by row: what matters is that they
        // reach standard error after where the contacts are, and that the
        // one box names the first of them.
        std::vector<std::string> failures;
        for (const std::string& line : m_errorOutput) {
            if (line.find("the whole log is kept in") == std::string::npos &&
                line.find(" are lost.") == std::string::npos)
                failures.push_back(line);
        }
        for (const std::string& line : m_notices.lines) {
            const std::size_t cut = line.find('\n');
            out << line.substr(0, cut) << "\n";
            if (cut != std::string::npos)
                out << (!failures.empty() && line.substr(cut + 1) == failures.front()
                            ? "with the first failure\n"
                            : "with " + line.substr(cut + 1) + "\n");
        }
        bool saidFailures = false;
        for (const std::string& line : m_errorOutput) {
            const bool failure =
                std::find(failures.begin(), failures.end(), line) != failures.end();
            if (!failure)
                out << "stderr\t" << line << "\n";
            else if (!saidFailures)
                out << "stderr\tthe failures\n";
            saidFailures = saidFailures || failure;
        }
        out << "listed " << join(calls()) << (m_logger->unsaved() ? ", unsaved" : ", saved")
            << "\n";
        out << "log holds " << join(callsInFile("mine.log")) << "\n";
        if (c.rescue != RescueAt::Nowhere) {
            const fs::path rescue =
                rescueFolder(c.rescue) / (std::string("mine.log") + kRescueSuffix);
            const std::string bytes = readBytes(rescue);
            std::vector<std::string> held;
            for (const auto& e : LoadLogFile(bytes, 0).entries)
                held.push_back(e.szCall);
            const std::string page = pageOfLog();
            const std::string keptLine =
                page.substr(page.find('#'), page.size() - page.find('#') - 1);
            out << "rescue file holds " << join(held)
                << (bytes == FormatLogFile({contact("A"), contact("B"), contact("C")}, {keptLine})
                        ? " and the kept line"
                        : "")
                << "\n";
        }
        return out.str();
    }

    std::string expected(const ExitCase& c) const {
        const std::string log = at("mine.log").string();
        std::string out;
        if (c.rescue != RescueAt::Nowhere) {
            const std::string kept =
                "Log not saved to " + log + ": the whole log is kept in " +
                (rescueFolder(c.rescue) / (std::string("mine.log") + kRescueSuffix)).string();
            const std::string box = c.exit == ExitKind::Sigterm
                                        ? ""
                                        : "warning\t" + kept + "\nwith the first failure\n";
            return "exits\n" + box + "stderr\t" + kept +
                   "\nstderr\tthe failures\nlisted A,B,C, saved\nlog holds A\nrescue file holds "
                   "A,B,C and the kept line\n";
        }
        const std::string question =
            "question\t2 contacts not saved to " + log + " will be lost. Exit anyway?\n";
        switch (c.exit) {
            case ExitKind::Sigterm:
                return "exits\nstderr\t2 contacts not saved to " + log +
                       " are lost.\nstderr\tthe failures\nlisted A,B,C, saved\nlog holds A\n";
            case ExitKind::AnswerYes:
                return "exits\n" + question +
                       "stderr\tthe failures\nlisted A,B,C, saved\nlog holds A\n";
            case ExitKind::AnswerNo:
                return "stays\n" + question +
                       "stderr\tthe failures\nlisted A,B,C, unsaved\nlog holds A\n";
        }
        return out;
    }
};

// Every contact ends on disk in a file a message names, or the operator said
// Yes to the count, or (SIGTERM) standard error tells the count. Nothing is
// shown on the way: SIGTERM shows no box at all, the interactive exit one.
TEST_P(QsoLoggerExit, KeepsEveryContactSomewhereNamedOrTellsTheCount) {
    const ExitCase& c = GetParam();
    const std::string report = reportFromChild([&] { return run(c); });
    if (report.rfind("skip: ", 0) == 0)
        GTEST_SKIP() << report.substr(6);
    EXPECT_EQ(report, expected(c));
}

INSTANTIATE_TEST_SUITE_P(
    Faults, QsoLoggerExit,
    ::testing::Values(ExitCase{"FullDiskSigtermRescuesIntoTheSettingsFolder", ExitFault::FullDisk,
                               ExitKind::Sigterm, RescueAt::SettingsFolder},
                      ExitCase{"FullDiskInteractiveRescuesIntoTheSettingsFolder",
                               ExitFault::FullDisk, ExitKind::AnswerNo, RescueAt::SettingsFolder},
                      ExitCase{"FullDiskSigtermWithNowhereToWriteTellsTheCount",
                               ExitFault::FullDisk, ExitKind::Sigterm, RescueAt::Nowhere},
                      ExitCase{"FullDiskInteractiveWithNowhereToWriteAsks", ExitFault::FullDisk,
                               ExitKind::AnswerYes, RescueAt::Nowhere},
                      ExitCase{"FileSizeLimitSigtermTellsTheCount", ExitFault::FileSizeLimit,
                               ExitKind::Sigterm, RescueAt::Nowhere},
                      ExitCase{"FileSizeLimitAnswerNoKeepsTheProgramAsItWas",
                               ExitFault::FileSizeLimit, ExitKind::AnswerNo, RescueAt::Nowhere},
                      ExitCase{"ReadOnlyFolderSigtermRescuesIntoTheSettingsFolder",
                               ExitFault::ReadOnlyFolder, ExitKind::Sigterm,
                               RescueAt::SettingsFolder},
                      ExitCase{"ReadOnlyFolderInteractiveRescuesIntoTheHomeFolder",
                               ExitFault::ReadOnlyFolder, ExitKind::AnswerNo, RescueAt::HomeFolder},
                      ExitCase{"ReadOnlyFolderSigtermWithNowhereToWriteTellsTheCount",
                               ExitFault::ReadOnlyFolder, ExitKind::Sigterm, RescueAt::Nowhere},
                      ExitCase{"ReadOnlyFolderAnswerNoKeepsTheProgramAsItWas",
                               ExitFault::ReadOnlyFolder, ExitKind::AnswerNo, RescueAt::Nowhere},
                      ExitCase{"ReadOnlyFolderAnswerYesExits", ExitFault::ReadOnlyFolder,
                               ExitKind::AnswerYes, RescueAt::Nowhere}),
    CaseName());

// --- Setting an unsaved log aside ------------------------------------------------

enum class SetAside { Load, New, StyleChange };

struct SetAsideCase {
    const char* name;
    SetAside action;
    bool saveFails;
    bool answer;  // to "Contacts not saved ... Continue?"
    bool done;
    std::vector<std::string> listed;
    std::string logName;  // bare, in the log folder
    int storedMode;
    std::string storedName;
    std::vector<std::string> oldFileHolds;
    bool rescueWritable = false;  // the log's folder takes the rescue file
};
ROW_NAME(SetAsideCase, row.name);

class QsoLoggerSetAside : public QsoLogger, public ::testing::WithParamInterface<SetAsideCase> {};

// "mine.log" holds A; B, logged after it, is listed only.
TEST_P(QsoLoggerSetAside, AsksOnlyWhenTheSaveFailsAndKeepsAllOnNo) {
    const SetAsideCase& c = GetParam();
    m_settings.name = "mine.log";
    start();
    fs::create_directories(folder());
    writeBytes(at("other.log"), kNormalFile);
    logAThenBUnsaved();
    ASSERT_TRUE(m_logger->unsaved());
    // Only the save of the log in hand fails; a new log's file is made.
    auto fails = std::make_shared<bool>(c.saveFails);
    m_logger->SetFileHooks(
        [fails](platform::AtomicStep s) {
            if (!*fails || s != platform::AtomicStep::AfterTemporaryFile)
                return true;
            *fails = false;
            return false;
        },
        [](platform::AppendStep) { return false; },
        [writable = c.rescueWritable](const std::string&) { return writable; });
    m_notices.lines.clear();
    m_notices.answers = {c.answer};

    bool done = false;
    switch (c.action) {
        case SetAside::Load:
            done = m_logger->OnOpenLogFile(1, at("other.log").string());
            break;
        case SetAside::New:
            done = m_logger->OnNewLogFile();
            break;
        case SetAside::StyleChange:
            // The configuration page stores first, then the command reaches the logger.
            m_settings.mode = 1;
            m_settings.name = "Orvo.QSO.Log";
            done = m_logger->OnOpenLogFile(0);
            break;
    }
    const std::string question =
        "question\tContacts not saved to " + at("mine.log").string() + " will be lost. Continue?";
    const fs::path rescue = at(std::string("mine.log") + kRescueSuffix);
    if (c.rescueWritable) {
        const std::string kept = "Log not saved to " + at("mine.log").string() +
                                 ": the whole log is kept in " + rescue.string();
        EXPECT_EQ(std::count(m_notices.lines.begin(), m_notices.lines.end(), "warning\t" + kept),
                  1);
        EXPECT_EQ(m_errorOutput, std::vector<std::string>{kept});
        EXPECT_EQ(LoadLogFile(readBytes(rescue), 0).entries.size(), 2u);
    } else {
        EXPECT_FALSE(fs::exists(rescue));
    }
    EXPECT_EQ(std::count(m_notices.lines.begin(), m_notices.lines.end(), question),
              c.saveFails && !c.rescueWritable ? 1 : 0);
    EXPECT_EQ(done, c.done);
    EXPECT_EQ(calls(), c.listed);
    EXPECT_EQ(m_logger->logFileName(), at(c.logName).string());
    EXPECT_EQ(m_logger->unsaved(), !c.done);
    if (c.rescueWritable) {
        EXPECT_EQ(callsInFile(std::string("mine.log") + kRescueSuffix),
                  (std::vector<std::string>{"A", "B"}));
    }
    EXPECT_EQ(m_settings.mode, c.storedMode);
    EXPECT_EQ(m_settings.name, c.storedName);
    EXPECT_EQ(m_window.columns, c.storedMode);
    EXPECT_EQ(callsInFile("mine.log"), c.oldFileHolds);
}

const std::vector<std::string> kAB = {"A", "B"};
const std::vector<std::string> kA = {"A"};
const std::vector<std::string> kNone;
const std::vector<std::string> kN0CALL = {"N0CALL"};
constexpr char kDefaultLog[] = "Orvo.QSO.Log";

// Columns: name, action, saveFails, answer, done, listed, logName, storedMode, storedName,
// oldFileHolds.
const SetAsideCase kSetAsideCases[] = {
    {"NewDropsOnYes", SetAside::New, true, true, true, kNone, kDefaultLog, 0, kDefaultLog, kA},
    {"StyleChangeKeepsAllOnNoAndStoresTheLogsModeAndNameAgain", SetAside::StyleChange, true, false,
     false, kAB, "mine.log", 0, "mine.log", kA},
    {"StyleChangeDropsOnYes", SetAside::StyleChange, true, true, true, kNone, kDefaultLog, 1,
     kDefaultLog, kA},
    {"LoadAfterAWorkingSave", SetAside::Load, false, false, true, kN0CALL, "other.log", 0,
     "other.log", kAB},
    {"NewAfterAWorkingSave", SetAside::New, false, false, true, kNone, kDefaultLog, 0, kDefaultLog,
     kAB},
    {"StyleChangeAfterAWorkingSave", SetAside::StyleChange, false, false, true, kNone, kDefaultLog,
     1, kDefaultLog, kAB},
    // A save that fails with a rescue file written: no question, the log is set aside.
    {"LoadWritesTheRescueFile", SetAside::Load, true, false, true, kN0CALL, "other.log", 0,
     "other.log", kA, true},
    {"NewWritesTheRescueFile", SetAside::New, true, false, true, kNone, kDefaultLog, 0, kDefaultLog,
     kA, true},
    {"StyleChangeWritesTheRescueFile", SetAside::StyleChange, true, false, true, kNone, kDefaultLog,
     1, kDefaultLog, kA, true},
};

INSTANTIATE_TEST_SUITE_P(Actions, QsoLoggerSetAside, ::testing::ValuesIn(kSetAsideCases),
                         CaseName());

// --- The exit question's count ---------------------------------------------------------

struct CountCase {
    const char* name;
    std::function<void(CQSOLoggerGUIThread&)> step;  // before the failed Log It
    int count;
};
ROW_NAME(CountCase, row.name);

class QsoLoggerExitCount : public QsoLogger, public ::testing::WithParamInterface<CountCase> {};

// "mine.log" holds A and B; then, with every save, append and rescue
// failing, the row's step and a Log It of C. The question counts what the
// file lacks: the whole log while a rewrite is pending.
TEST_P(QsoLoggerExitCount, CountsTheWholeLogWhileARewriteIsPendingElseTheFailedAppends) {
    const CountCase& c = GetParam();
    m_settings.name = "mine.log";
    start();
    m_logger->OnRequestQsoLogCmd(1, contact("A"));
    m_logger->OnRequestQsoLogCmd(1, contact("B"));
    ASSERT_EQ(callsInFile("mine.log"), kAB);
    m_logger->SetFileHooks([](platform::AtomicStep) { return false; },
                           [](platform::AppendStep) { return false; },
                           [](const std::string&) { return false; });
    c.step(*m_logger);
    m_logger->OnRequestQsoLogCmd(1, contact("C"));
    m_notices.lines.clear();
    EXPECT_FALSE(m_logger->SaveForExit(true));
    EXPECT_EQ(m_notices.lines,
              std::vector<std::string>{"question\t" + std::to_string(c.count) +
                                       " contacts not saved to " + at("mine.log").string() +
                                       " will be lost. Exit anyway?"});
}

INSTANTIATE_TEST_SUITE_P(
    Steps, QsoLoggerExitCount,
    ::testing::Values(
        CountCase{"OnlyTheAppendFailed", [](CQSOLoggerGUIThread&) {}, 1},
        CountCase{
            "AfterAFailedModify",
            [](CQSOLoggerGUIThread& logger) { logger.OnModifyLogEntry(0, contact("CHANGED")); }, 3},
        CountCase{"AfterAFailedDelete",
                  [](CQSOLoggerGUIThread& logger) { logger.OnDeleteLogEntry(0); }, 2}),
    CaseName());

// --- A Load of a file that cannot be read -----------------------------------------------

struct UnreadableLoadCase {
    const char* name;
    bool asNobody;  // a file of mode 000 that only root could read
    const char* reason;
};
ROW_NAME(UnreadableLoadCase, row.name);

class QsoLoggerUnreadableLoad : public QsoLogger,
                                public ::testing::WithParamInterface<UnreadableLoadCase> {
  protected:
    // In the child: "mine.log" holds A, B is unsaved; saves and appends
    // fail, a rescue file beside the log could be written. Then the Load.
    std::string run(const UnreadableLoadCase& c) {
        fs::create_directories(folder());
        fs::permissions(m_dir.path(), fs::perms(0755));
        const fs::path other = at("other.log");
        if (c.asNobody) {
            writeBytes(other, kNormalFile);
            fs::permissions(other, fs::perms::none);
            if (::chown(folder().c_str(), 65534, 65534) != 0)
                return "chown failed";
            if (!becomeNobody())
                return "skip: cannot become nobody";
        } else {
            fs::create_directory(other);
        }
        m_settings.name = "mine.log";
        start();
        logAThenBUnsaved();
        m_logger->SetFileHooks([](platform::AtomicStep) { return false; },
                               [](platform::AppendStep) { return false; });
        m_notices.lines.clear();

        std::ostringstream out;
        out << (m_logger->OnOpenLogFile(1, other.string()) ? "loaded" : "not loaded") << "\n";
        for (const std::string& line : m_notices.lines)
            out << line << "\n";
        out << "open " << platform::nameOf(m_logger->logFileName()) << ", listed " << join(calls())
            << (m_logger->unsaved() ? ", unsaved" : ", saved") << "\n";
        out << (fs::exists(at(std::string("mine.log") + kRescueSuffix)) ? "rescue file written"
                                                                        : "no rescue file")
            << "\n";
        m_logger->SetFileHooks({}, {});
        m_logger->OnRequestQsoLogCmd(1, contact("C"));
        out << "then mine.log holds " << join(callsInFile("mine.log"))
            << (readBytes(at("mine.log")) == FormatLogFile(m_logger->entries(), {})
                    ? " numbered 1.."
                    : " misnumbered")
            << "\n";
        return out.str();
    }
};

// The log in hand stays open and unsaved, so the contacts it lacks reach its
// file later under their own serial numbers.
TEST_P(QsoLoggerUnreadableLoad, ChangesNothingAndTheLogStaysUnsaved) {
    const UnreadableLoadCase& c = GetParam();
    const std::string report = reportFromChild([&] { return run(c); });
    if (report.rfind("skip: ", 0) == 0)
        GTEST_SKIP() << report.substr(6);
    EXPECT_EQ(report, "not loaded\nerror\tCannot read " + at("other.log").string() + ": " +
                          c.reason +
                          "\nopen mine.log, listed A,B, unsaved\nno rescue file\nthen mine.log "
                          "holds A,B,C numbered 1..\n");
}

INSTANTIATE_TEST_SUITE_P(
    Files, QsoLoggerUnreadableLoad,
    ::testing::Values(UnreadableLoadCase{"AFileItsUserMayNotRead", true, "Permission denied"},
                      UnreadableLoadCase{"AFolderUnderTheName", false, "Is a directory"}),
    CaseName());

// --- Style change: the configuration page stored contest and "Orvo.QSO.Log" ---

enum class DefaultFile { Missing, OldKind, NewKind, Unreadable };

struct StyleChangeCase {
    const char* name;
    DefaultFile file;
    std::string logName;
    std::vector<std::string> rows;
    std::string notice;  // "%1" stands for the folder
};
ROW_NAME(StyleChangeCase, row.name);

class QsoLoggerStyleChange : public QsoLogger,
                             public ::testing::WithParamInterface<StyleChangeCase> {};

TEST_P(QsoLoggerStyleChange, LogStoredModeAndColumnsEndOfOneKind) {
    const StyleChangeCase& c = GetParam();
    fs::create_directories(folder());
    writeBytes(at("mine.log"), kNormalFile);
    switch (c.file) {
        case DefaultFile::Missing:
            break;
        case DefaultFile::OldKind:
            writeBytes(at("Orvo.QSO.Log"), kNormalFile);
            break;
        case DefaultFile::NewKind:
            writeBytes(at("Orvo.QSO.Log"), kContestFile);
            break;
        case DefaultFile::Unreadable:
            fs::create_directory(at("Orvo.QSO.Log"));
            break;
    }
    const std::string defaultBefore = stateOf(at("Orvo.QSO.Log"));
    m_settings.name = "mine.log";
    start();
    ASSERT_EQ(calls(), std::vector<std::string>{"N0CALL"});

    m_settings.mode = 1;
    m_settings.name = "Orvo.QSO.Log";
    // The contact that waited for radio data goes to the old log first.
    m_logger->OnRequestQsoLogCmd(1, contact("PEND"));
    ASSERT_TRUE(m_logger->OnOpenLogFile(0));

    EXPECT_EQ(callsInFile("mine.log"), (std::vector<std::string>{"N0CALL", "PEND"}));
    EXPECT_EQ(m_settings.mode, 1);
    EXPECT_EQ(m_window.columns, 1);
    EXPECT_EQ(m_settings.name, c.logName);
    EXPECT_EQ(m_logger->logFileName(), at(c.logName).string());
    EXPECT_EQ(m_window.caption, at(c.logName).string());
    EXPECT_EQ(m_window.rows, c.rows);
    EXPECT_EQ(calls(), c.rows);
    std::string notice = c.notice;
    for (std::size_t p; (p = notice.find("%1")) != std::string::npos;)
        notice.replace(p, 2, folder().string());
    EXPECT_EQ(notice.empty() ? std::vector<std::string>{} : std::vector<std::string>{notice},
              m_notices.lines);
    if (c.file != DefaultFile::NewKind) {
        EXPECT_EQ(stateOf(at("Orvo.QSO.Log")), defaultBefore) << "never written";
    }

    m_logger->OnRequestQsoLogCmd(1, contact("K2NEW", 1));
    EXPECT_EQ(LoadLogFile(readBytes(at(c.logName)), 0).style, 1);
    EXPECT_EQ(callsInFile(c.logName).back(), "K2NEW");
}

INSTANTIATE_TEST_SUITE_P(
    DefaultFiles, QsoLoggerStyleChange,
    ::testing::Values(
        StyleChangeCase{"MissingStartsAnEmptyLog", DefaultFile::Missing, "Orvo.QSO.Log", {}, ""},
        StyleChangeCase{"OfTheOldKindStartsANewLogBesideIt",
                        DefaultFile::OldKind,
                        "Orvo-1.QSO.Log",
                        {},
                        "warning\t%1/Orvo.QSO.Log holds a normal log: started the new contest "
                        "log %1/Orvo-1.QSO.Log"},
        StyleChangeCase{
            "OfTheNewKindIsLoaded", DefaultFile::NewKind, "Orvo.QSO.Log", {"K1TEST"}, ""},
        StyleChangeCase{"UnreadableStartsANewLogBesideIt",
                        DefaultFile::Unreadable,
                        "Orvo-1.QSO.Log",
                        {},
                        "error\tCannot read %1/Orvo.QSO.Log: Is a directory"}),
    CaseName());

// A contact completed into an unsaved old log saves that log whole; the save
// keeps the name the configuration page stored, so the change opens it.
TEST_F(QsoLogger, PendingContactSavedIntoAnUnsavedOldLogKeepsTheNameForTheStyleChange) {
    m_settings.name = "mine.log";
    start();
    logAThenBUnsaved();
    m_logger->SetFileHooks({}, {});
    m_notices.lines.clear();

    m_settings.mode = 1;
    m_settings.name = "Orvo.QSO.Log";
    m_logger->OnRequestQsoLogCmd(1, contact("PEND"));
    EXPECT_EQ(m_settings.name, "Orvo.QSO.Log");
    ASSERT_TRUE(m_logger->OnOpenLogFile(0));
    EXPECT_EQ(callsInFile("mine.log"), (std::vector<std::string>{"A", "B", "PEND"}));
    EXPECT_EQ(m_logger->logFileName(), at("Orvo.QSO.Log").string());
    EXPECT_TRUE(m_notices.lines.empty());
}

TEST_F(QsoLogger, EmptyLogAtStartUpKeepsTheStoredStyleAndTheFirstLogItFillsIt) {
    fs::create_directories(folder());
    writeBytes(at("Orvo.QSO.Log"), "");
    m_settings.mode = 1;
    start();
    EXPECT_EQ(m_settings.mode, 1);
    EXPECT_EQ(m_settings.name, "Orvo.QSO.Log");
    EXPECT_TRUE(m_notices.lines.empty());
    m_logger->OnRequestQsoLogCmd(1, contact("K1TEST", 1));
    EXPECT_EQ(readBytes(at("Orvo.QSO.Log")), FormatLogLine(contact("K1TEST", 1), 1));
}

TEST_F(QsoLogger, NewWithoutTheDefaultFileStartsIt) {
    m_settings.name = "mine.log";
    start();
    m_logger->OnRequestQsoLogCmd(1, contact("A"));
    ASSERT_TRUE(m_logger->OnNewLogFile());
    EXPECT_EQ(m_settings.name, "Orvo.QSO.Log");
    EXPECT_EQ(stateOf(at("Orvo.QSO.Log")), "<file>");
    m_logger->OnRequestQsoLogCmd(1, contact("B"));
    EXPECT_EQ(callsInFile("Orvo.QSO.Log"), std::vector<std::string>{"B"});
    EXPECT_EQ(callsInFile("mine.log"), std::vector<std::string>{"A"});
}

// A killed save leaves temporary files beside the log: the next open removes
// them and reads only the log; a file of the operator's under a like name stays.
TEST_F(QsoLogger, OpenRemovesTemporariesLeftBesideTheLogAndReadsOnlyTheLog) {
    fs::create_directories(folder());
    writeBytes(at("Orvo.QSO.Log"), kNormalFile);
    writeBytes(at("Orvo.QSO.Log.tmp.Ab12Cd"), kNormalFile + kNormalFile);
    writeBytes(at("Orvo.QSO.Log.tmp.notes"), "mine");
    start();
    EXPECT_EQ(calls(), std::vector<std::string>{"N0CALL"});
    EXPECT_FALSE(fs::exists(at("Orvo.QSO.Log.tmp.Ab12Cd")));
    EXPECT_EQ(readBytes(at("Orvo.QSO.Log.tmp.notes")), "mine");
}

// Saving under a new name that fails changes neither the log's name, nor the
// caption, nor the stored name: the next save still goes to the log.
TEST_F(QsoLogger, FailedSaveUnderANewNameKeepsTheOldName) {
    m_settings.name = "mine.log";
    start();
    m_logger->OnRequestQsoLogCmd(1, contact("A"));
    writeBytes(m_dir.path() / "plain", "a file where a folder should be");
    const fs::path chosen = m_dir.path() / "plain" / "new.log";
    EXPECT_FALSE(m_logger->OnSaveLogFile(chosen.string()));
    EXPECT_EQ(m_notices.lines.back(),
              "error\tLog not saved to " + chosen.string() + ": Not a directory");
    EXPECT_EQ(m_logger->logFileName(), at("mine.log").string());
    EXPECT_EQ(m_window.caption, at("mine.log").string());
    EXPECT_EQ(m_settings.name, "mine.log");
    m_logger->OnRequestQsoLogCmd(1, contact("B"));
    EXPECT_EQ(callsInFile("mine.log"), (std::vector<std::string>{"A", "B"}));
}

// --- Appends before rewrites --------------------------------------------------------

// A 32 KB log on a 64 KB disk: the disk fills, one Log It fails; with room
// for a few lines again (but not for a second copy) the next Log It appends
// both lines.
TEST_F(QsoLogger, AfterAFailedAppendTheNextLogItAppendsWhereACopyWouldNotFit) {
    const std::string report = reportFromChild([this]() -> std::string {
        fs::create_directories(folder());
        if (!mountSmallDisk(folder(), "64k"))
            return "skip: no tmpfs can be mounted here";
        std::string bytes = FormatLogLine(contact("A"), 1);
        for (int n = 0; bytes.size() < 8 * 4096; ++n)
            bytes += "# note " + std::to_string(n) + "\n";
        bytes.resize(8 * 4096 - 1);
        bytes += "\n";
        writeBytes(at("mine.log"), bytes);
        m_settings.name = "mine.log";
        start();
        std::vector<fs::path> fillers = fillDisk(folder());
        std::ostringstream out;
        m_logger->OnRequestQsoLogCmd(1, contact("B"));
        out << "B " << (m_logger->unsaved() ? "unsaved" : "saved") << "\n";
        fs::remove(fillers.back());
        m_logger->OnRequestQsoLogCmd(1, contact("C"));
        out << "C " << (m_logger->unsaved() ? "unsaved" : "saved") << "\n";
        out << "file holds " << join(callsInFile("mine.log")) << "\n";
        const std::string after = readBytes(at("mine.log"));
        out << (after == bytes + FormatLogLine(contact("B"), 2) + FormatLogLine(contact("C"), 3)
                    ? "appended after the old bytes"
                    : "rewritten")
            << "\n";
        return out.str();
    });
    if (report.rfind("skip: ", 0) == 0)
        GTEST_SKIP() << report.substr(6);
    EXPECT_EQ(report, "B unsaved\nC saved\nfile holds A,B,C\nappended after the old bytes\n");
}

// After a failed rewrite only a whole save writes the log as it stands.
TEST_F(QsoLogger, AfterAFailedModifyTheNextLogItSavesTheWholeLog) {
    m_settings.name = "mine.log";
    start();
    m_logger->OnRequestQsoLogCmd(1, contact("A"));
    m_logger->OnRequestQsoLogCmd(1, contact("B"));
    m_logger->SetFileHooks([](platform::AtomicStep) { return false; }, {});
    QSO_LOG_ENTRY changed = contact("A");
    changed.szComment = "changed";
    m_logger->OnModifyLogEntry(0, changed);
    ASSERT_TRUE(m_logger->unsaved());
    m_logger->SetFileHooks({}, {});
    m_logger->OnRequestQsoLogCmd(1, contact("C"));
    EXPECT_FALSE(m_logger->unsaved());
    EXPECT_EQ(readBytes(at("mine.log")), FormatLogFile({changed, contact("B"), contact("C")}, {}));
}

// An outside edit is appended to as any log is, but never rewritten away:
// each rewrite first keeps the version it did not write.
TEST_F(QsoLogger, ALogChangedOutsideIsKeptAsideBeforeEachRewrite) {
    m_settings.name = "mine.log";
    start();
    m_logger->OnRequestQsoLogCmd(1, contact("A"));
    m_logger->OnRequestQsoLogCmd(1, contact("B"));
    m_logger->OnDeleteLogEntry(1);  // a rewrite of a file it wrote: nothing kept aside
    ASSERT_FALSE(fs::exists(at("mine.log.outside")));

    const std::string outside = readBytes(at("mine.log")) + "# added by an editor\n";
    writeBytes(at("mine.log"), outside);
    m_logger->OnRequestQsoLogCmd(1, contact("C"));
    QSO_LOG_ENTRY changed = contact("A");
    changed.szComment = "changed";
    m_notices.lines.clear();
    m_logger->OnModifyLogEntry(0, changed);
    EXPECT_EQ(readBytes(at("mine.log.outside")), outside + FormatLogLine(contact("C"), 2));
    EXPECT_EQ(m_notices.lines,
              std::vector<std::string>{"warning\t" + at("mine.log").string() +
                                       " was changed outside Pelorin: that version is kept as " +
                                       at("mine.log.outside").string()});
    EXPECT_EQ(readBytes(at("mine.log")), FormatLogFile({changed, contact("C")}, {}));

    writeBytes(at("mine.log"), "replaced\n");
    m_logger->OnDeleteLogEntry(1);
    EXPECT_EQ(readBytes(at("mine.log.outside.2")), "replaced\n");
    EXPECT_EQ(readBytes(at("mine.log")), FormatLogFile({changed}, {}));
}

// --- The lock of the open log ---------------------------------------------------------

// A child process that holds a log's lock until the test lets it go.
class LockHolder {
  public:
    explicit LockHolder(const fs::path& log) {
        int ready[2];
        int release[2];
        if (::pipe(ready) != 0 || ::pipe(release) != 0)
            return;
        m_child = ::fork();
        if (m_child == 0) {
            ::close(ready[0]);
            ::close(release[1]);
            LogFileLock lock;
            const char held = lock.Take(log.string()) == LogFileLock::Result::Held ? 'y' : 'n';
            if (::write(ready[1], &held, 1) != 1)
                ::_exit(1);
            char ignored = 0;
            (void)::read(release[0], &ignored, 1);  // until the test closes its end
            ::_exit(0);
        }
        ::close(ready[1]);
        ::close(release[0]);
        m_release = release[1];
        char held = 'n';
        m_held = ::read(ready[0], &held, 1) == 1 && held == 'y';
        ::close(ready[0]);
    }
    ~LockHolder() {
        if (m_release >= 0)
            ::close(m_release);
        if (m_child > 0)
            ::waitpid(m_child, nullptr, 0);
    }
    bool held() const { return m_held; }

  private:
    pid_t m_child = -1;
    int m_release = -1;
    bool m_held = false;
};

struct FileStamp {
    std::string bytes;
    std::int64_t mtime = 0;
    bool operator==(const FileStamp&) const = default;
};

FileStamp stampOf(const fs::path& path) {
    struct stat st {};
    ::stat(path.c_str(), &st);
    return {readBytes(path), st.st_mtim.tv_sec * 1000000000 + st.st_mtim.tv_nsec};
}

TEST_F(QsoLogger, ALogAnotherProgramHoldsOpensReadOnlyAndNothingIsWrittenToIt) {
    fs::create_directories(folder());
    writeBytes(at("mine.log"), kNormalFile);
    writeBytes(at("other.log"), kNormalFile);
    LockHolder other(at("mine.log"));
    ASSERT_TRUE(other.held());
    const FileStamp before = stampOf(at("mine.log"));
    m_settings.name = "mine.log";
    start();
    const std::string refusal =
        at("mine.log").string() + " is open in another program: contacts are not written to it.";
    EXPECT_TRUE(m_logger->readOnly());
    EXPECT_EQ(m_notices.lines, std::vector<std::string>{"warning\t" + refusal});
    EXPECT_EQ(calls(), std::vector<std::string>{"N0CALL"});

    m_notices.lines.clear();
    m_logger->OnRequestQsoLogCmd(1, contact("A"));
    m_logger->OnModifyLogEntry(0, contact("CHANGED"));
    m_logger->OnDeleteLogEntry(0);
    EXPECT_FALSE(m_logger->OnSaveLogFile());
    EXPECT_FALSE(m_logger->OnSaveLogFile(at("mine.log").string()));
    EXPECT_EQ(m_notices.lines, std::vector<std::string>(5, "error\t" + refusal));
    EXPECT_EQ(calls(), (std::vector<std::string>{"N0CALL", "A"}));
    EXPECT_EQ(m_window.rows, (std::vector<std::string>{"N0CALL", "A"}));
    EXPECT_EQ(stampOf(at("mine.log")), before);

    // Save As another name takes the log there, whole, and writes to it.
    ASSERT_TRUE(m_logger->OnSaveLogFile(at("copy.log").string()));
    EXPECT_FALSE(m_logger->readOnly());
    m_logger->OnRequestQsoLogCmd(1, contact("B"));
    EXPECT_EQ(callsInFile("copy.log"), (std::vector<std::string>{"N0CALL", "A", "B"}));
    EXPECT_EQ(stampOf(at("mine.log")), before);
    // Load of the held log again: read-only again; Load of another works.
    ASSERT_TRUE(m_logger->OnOpenLogFile(1, at("mine.log").string()));
    EXPECT_TRUE(m_logger->readOnly());
    ASSERT_TRUE(m_logger->OnOpenLogFile(1, at("other.log").string()));
    EXPECT_FALSE(m_logger->readOnly());
    m_logger->OnRequestQsoLogCmd(1, contact("C"));
    EXPECT_EQ(callsInFile("other.log"), (std::vector<std::string>{"N0CALL", "C"}));
    EXPECT_EQ(stampOf(at("mine.log")), before);
}

// The open log's lock is held against another program, and goes with the log.
TEST_F(QsoLogger, TheOpenLogsLockIsHeldUntilTheLogIsSetAside) {
    m_settings.name = "mine.log";
    start();
    EXPECT_FALSE(LockHolder(at("mine.log")).held());
    ASSERT_TRUE(m_logger->OnNewLogFile());
    EXPECT_TRUE(LockHolder(at("mine.log")).held());
    EXPECT_FALSE(LockHolder(at("Orvo.QSO.Log")).held());
    m_logger->ExitInstance();
    EXPECT_TRUE(LockHolder(at("Orvo.QSO.Log")).held());
}

// --- A file without contacts -----------------------------------------------------------

const std::string kNotes = "shopping list\n\n  milk\n# eggs\n";

TEST_F(QsoLogger, LoadOfAFileWithoutContactsAsksAndNoKeepsTheLogThatWasOpen) {
    fs::create_directories(folder());
    writeBytes(at("notes.txt"), kNotes);
    m_settings.name = "mine.log";
    start();
    m_logger->OnRequestQsoLogCmd(1, contact("A"));
    const std::string question = "question\t" + at("notes.txt").string() +
                                 " holds no contacts. Use it as the log? Its lines are kept "
                                 "after the contacts.";
    m_notices.answers = {false};
    EXPECT_FALSE(m_logger->OnOpenLogFile(1, at("notes.txt").string()));
    EXPECT_EQ(m_notices.lines, std::vector<std::string>{question});
    EXPECT_EQ(m_logger->logFileName(), at("mine.log").string());
    EXPECT_EQ(calls(), std::vector<std::string>{"A"});
    EXPECT_EQ(m_settings.name, "mine.log");

    m_notices.answers = {true};
    ASSERT_TRUE(m_logger->OnOpenLogFile(1, at("notes.txt").string()));
    EXPECT_EQ(m_logger->logFileName(), at("notes.txt").string());
    m_logger->OnRequestQsoLogCmd(1, contact("B"));
    m_logger->OnModifyLogEntry(0, contact("C"));
    // Every line kept, blank ones too, in file order after the contacts.
    EXPECT_EQ(readBytes(at("notes.txt")), FormatLogLine(contact("C"), 1) + kNotes);
}

TEST_F(QsoLogger, AStoredFileWithoutContactsIsNotAdoptedAtStartUp) {
    fs::create_directories(folder());
    writeBytes(at("notes.txt"), kNotes);
    m_settings.name = "notes.txt";
    start();
    EXPECT_EQ(m_logger->logFileName(), at("Orvo.QSO.Log").string());
    EXPECT_EQ(m_notices.lines,
              std::vector<std::string>{"warning\t" + at("notes.txt").string() +
                                       " holds no contacts: started the new normal log " +
                                       at("Orvo.QSO.Log").string()});
    m_logger->OnRequestQsoLogCmd(1, contact("A"));
    EXPECT_EQ(readBytes(at("notes.txt")), kNotes);
}

// --- What an outside program did to the open log --------------------------------------

enum class OutsideEdit {
    None,
    QslOfContact4,        // one digit, same size, far from the end
    QslOfTheLastContact,  // one digit, same size, in the last bytes
    Grew,                 // a line added at the end
    CutShort,             // the first ten lines left
    Emptied,
    Removed,
    FolderRemoved,
};
enum class Steps { LogIt, Modify, LogItThenModify };
// What the last step leaves in the log: the whole list saved, or the outside
// version with the Log It's line appended.
enum class Ends { SavedWhole, AppendedToTheOutsideVersion };
// What ".outside" holds: nothing, the outside version, or that with the Log
// It's line appended before the rewrite.
enum class KeptAside { Nothing, TheEdit, TheEditAndTheLoggedLine };

struct OutsideEditCase {
    const char* name;
    OutsideEdit edit;
    Steps steps;
    Ends ends;
    KeptAside kept;
    const char* said;  // the warning's words after the log's name, or none
};
ROW_NAME(OutsideEditCase, row.name);

constexpr char kKeptAsideWords[] = " was changed outside Pelorin: that version is kept as ";

class QsoLoggerOutsideEdit : public QsoLogger,
                             public ::testing::WithParamInterface<OutsideEditCase> {
  protected:
    fs::path log() const { return at("mine.log"); }

    // A 50-contact log written by this program, open.
    void openFiftyContacts() {
        std::vector<QSO_LOG_ENTRY> fifty;
        for (int n = 1; n <= 50; ++n)
            fifty.push_back(contact("K" + std::to_string(n)));
        fs::create_directories(folder());
        ASSERT_EQ(SaveLogFile(log().string(), fifty, {}), 0u);
        m_settings.name = "mine.log";
        start();
        ASSERT_EQ(m_logger->entries().size(), 50u);
        ASSERT_TRUE(m_notices.lines.empty());
    }

    // Contact n's QSL state, 0 as saved, made 1 in place.
    static void markQsl(std::string& bytes, int n) {
        std::size_t end = 0;
        for (int line = 0; line < n; ++line)
            end = bytes.find('\n', end) + 1;
        ASSERT_EQ(bytes.compare(end - 4, 4, "0;;\n"), 0);
        bytes[end - 4] = '1';
    }

    // Returns the outside version, if one is left under the log's name.
    std::string editOutside(OutsideEdit edit) {
        std::string bytes = readBytes(log());
        switch (edit) {
            case OutsideEdit::None:
                break;
            case OutsideEdit::QslOfContact4:
                markQsl(bytes, 4);
                break;
            case OutsideEdit::QslOfTheLastContact:
                markQsl(bytes, 50);
                break;
            case OutsideEdit::Grew:
                bytes += "# QSL cards sent 12/01\n";
                break;
            case OutsideEdit::CutShort: {
                std::size_t end = 0;
                for (int line = 0; line < 10; ++line)
                    end = bytes.find('\n', end) + 1;
                bytes.resize(end);
                break;
            }
            case OutsideEdit::Emptied:
                bytes.clear();
                break;
            case OutsideEdit::Removed:
                fs::remove(log());
                return {};
            case OutsideEdit::FolderRemoved:
                fs::remove_all(folder());
                return {};
        }
        // Rewritten in place, as an editor that keeps the file does.
        std::ofstream(log(), std::ios::binary | std::ios::in | std::ios::out | std::ios::trunc)
            << bytes;
        return bytes;
    }
};

TEST_P(QsoLoggerOutsideEdit, IsKeptAsideBeforeARewriteAndNoContactIsLeftOffTheFile) {
    const OutsideEditCase& c = GetParam();
    openFiftyContacts();
    const std::string outside = editOutside(c.edit);
    m_notices.lines.clear();
    const QSO_LOG_ENTRY logged = contact("X");
    if (c.steps != Steps::Modify)
        m_logger->OnRequestQsoLogCmd(1, logged);
    const std::string loggedLine = FormatLogLine(logged, 51);
    if (c.steps != Steps::LogIt) {
        QSO_LOG_ENTRY changed = m_logger->entries()[9];
        changed.szComment = "changed";
        m_logger->OnModifyLogEntry(9, changed);
    }

    EXPECT_FALSE(m_logger->unsaved());
    EXPECT_EQ(calls().size(), c.steps == Steps::Modify ? 50u : 51u);
    if (c.ends == Ends::SavedWhole)
        EXPECT_EQ(readBytes(log()), FormatLogFile(m_logger->entries(), {}));
    else
        EXPECT_EQ(readBytes(log()), outside + loggedLine);
    const fs::path aside = at("mine.log.outside");
    switch (c.kept) {
        case KeptAside::Nothing:
            EXPECT_FALSE(fs::exists(aside));
            break;
        case KeptAside::TheEdit:
            EXPECT_EQ(readBytes(aside), outside);
            break;
        case KeptAside::TheEditAndTheLoggedLine:
            EXPECT_EQ(readBytes(aside), outside + loggedLine);
            break;
    }
    std::vector<std::string> said;
    if (c.said != nullptr)
        said.push_back("warning\t" + log().string() + c.said +
                       (c.kept != KeptAside::Nothing ? aside.string() : ""));
    EXPECT_EQ(m_notices.lines, said);
    // Its lock again, as the log's folder may have gone with it.
    EXPECT_FALSE(LockHolder(log()).held());
}

INSTANTIATE_TEST_SUITE_P(
    Edits, QsoLoggerOutsideEdit,
    ::testing::Values(
        OutsideEditCase{"SameSizeEditThenModify", OutsideEdit::QslOfContact4, Steps::Modify,
                        Ends::SavedWhole, KeptAside::TheEdit, kKeptAsideWords},
        // The Log It reads only the file's end: the edit is seen at the rewrite.
        OutsideEditCase{"SameSizeEditThenLogItThenModify", OutsideEdit::QslOfContact4,
                        Steps::LogItThenModify, Ends::SavedWhole,
                        KeptAside::TheEditAndTheLoggedLine, kKeptAsideWords},
        OutsideEditCase{"SameSizeEditAtTheEndThenLogIt", OutsideEdit::QslOfTheLastContact,
                        Steps::LogIt, Ends::SavedWhole, KeptAside::TheEdit, kKeptAsideWords},
        OutsideEditCase{"GrownThenLogIt", OutsideEdit::Grew, Steps::LogIt,
                        Ends::AppendedToTheOutsideVersion, KeptAside::Nothing, nullptr},
        OutsideEditCase{"CutShortThenLogIt", OutsideEdit::CutShort, Steps::LogIt, Ends::SavedWhole,
                        KeptAside::TheEdit, kKeptAsideWords},
        OutsideEditCase{"EmptiedThenLogIt", OutsideEdit::Emptied, Steps::LogIt, Ends::SavedWhole,
                        KeptAside::Nothing,
                        " was emptied outside Pelorin: the whole log is saved to it again"},
        OutsideEditCase{"RemovedThenLogIt", OutsideEdit::Removed, Steps::LogIt, Ends::SavedWhole,
                        KeptAside::Nothing,
                        " was removed outside Pelorin: the whole log is saved to it again"},
        OutsideEditCase{"FolderRemovedThenLogIt", OutsideEdit::FolderRemoved, Steps::LogIt,
                        Ends::SavedWhole, KeptAside::Nothing,
                        " was removed outside Pelorin: the whole log is saved to it again"},
        OutsideEditCase{"UntouchedThenLogItThenModify", OutsideEdit::None, Steps::LogItThenModify,
                        Ends::SavedWhole, KeptAside::Nothing, nullptr}),
    CaseName());

// The "\n" an append writes to end a last line that had none is the
// program's own byte: the next rewrite finds nothing changed outside.
TEST_F(QsoLogger, TheLineEndALogItAddsIsNoOutsideChange) {
    fs::create_directories(folder());
    writeBytes(at("mine.log"), kNormalFile + "# last line without its end");
    m_settings.name = "mine.log";
    start();
    m_logger->OnRequestQsoLogCmd(1, contact("A"));
    ASSERT_EQ(readBytes(at("mine.log")),
              kNormalFile + "# last line without its end\n" + FormatLogLine(contact("A"), 2));
    m_logger->OnDeleteLogEntry(0);
    EXPECT_FALSE(fs::exists(at("mine.log.outside")));
    EXPECT_TRUE(m_notices.lines.empty());
    EXPECT_EQ(callsInFile("mine.log"), std::vector<std::string>{"A"});
}

// --- A lock file that went, or cannot be used -----------------------------------------

enum class LockLoss { LockFileRemoved, LogFolderRemoved };

struct LockLossCase {
    const char* name;
    LockLoss loss;
    bool takenElsewhere;  // another program takes the lock before the write
    Action action;        // Log It, or a Modify's save
};
ROW_NAME(LockLossCase, row.name);

class QsoLoggerLockLoss : public QsoLogger, public ::testing::WithParamInterface<LockLossCase> {};

TEST_P(QsoLoggerLockLoss, IsTakenAgainBeforeTheWriteOrTheLogTurnsReadOnly) {
    const LockLossCase& c = GetParam();
    m_settings.name = "mine.log";
    start();
    m_logger->OnRequestQsoLogCmd(1, contact("A"));
    const fs::path log = at("mine.log");
    if (c.loss == LockLoss::LockFileRemoved)
        fs::remove(LockPathOf(log.string()));
    else
        fs::remove_all(folder());
    std::optional<LockHolder> other;
    if (c.takenElsewhere) {
        fs::create_directories(folder());
        other.emplace(log);
        ASSERT_TRUE(other->held());
    }
    const std::string before = stateOf(log);
    if (c.action == Action::LogIt) {
        m_logger->OnRequestQsoLogCmd(1, contact("B"));
    } else {
        m_logger->OnModifyLogEntry(0, contact("B"));
    }

    const std::vector<std::string> listed = c.action == Action::LogIt
                                                ? std::vector<std::string>{"A", "B"}
                                                : std::vector<std::string>{"B"};
    EXPECT_EQ(calls(), listed);
    if (c.takenElsewhere) {
        EXPECT_TRUE(m_logger->readOnly());
        EXPECT_TRUE(m_logger->unsaved());
        EXPECT_EQ(stateOf(log), before);
        EXPECT_EQ(m_notices.lines,
                  std::vector<std::string>{"error\t" + log.string() +
                                           " is open in another program: contacts are not "
                                           "written to it."});
        return;
    }
    EXPECT_FALSE(m_logger->readOnly());
    EXPECT_FALSE(m_logger->unsaved());
    EXPECT_EQ(callsInFile("mine.log"), listed);
    EXPECT_FALSE(LockHolder(log).held());
}

INSTANTIATE_TEST_SUITE_P(
    Losses, QsoLoggerLockLoss,
    ::testing::Values(
        LockLossCase{"LockFileRemovedThenLogIt", LockLoss::LockFileRemoved, false, Action::LogIt},
        LockLossCase{"LockFileRemovedThenModify", LockLoss::LockFileRemoved, false, Action::Save},
        LockLossCase{"LockFileRemovedAndTakenElsewhereThenLogIt", LockLoss::LockFileRemoved, true,
                     Action::LogIt},
        LockLossCase{"LockFileRemovedAndTakenElsewhereThenModify", LockLoss::LockFileRemoved, true,
                     Action::Save},
        LockLossCase{"FolderRemovedAndTakenElsewhereThenLogIt", LockLoss::LogFolderRemoved, true,
                     Action::LogIt}),
    CaseName());

enum class LockFault { FolderInItsPlace, NoAccess };

struct UnusableLockCase {
    const char* name;
    LockFault fault;
    const char* reason;
};
ROW_NAME(UnusableLockCase, row.name);

class QsoLoggerUnusableLock : public QsoLogger,
                              public ::testing::WithParamInterface<UnusableLockCase> {
  protected:
    // In a child, as nobody for a lock file nobody may open.
    std::string run(const UnusableLockCase& c) {
        const fs::path lock = LockPathOf(at("mine.log").string());
        fs::create_directories(folder());
        fs::permissions(m_dir.path(), fs::perms(0755));
        if (c.fault == LockFault::FolderInItsPlace) {
            fs::create_directory(lock);
        } else {
            writeBytes(lock, "");
            fs::permissions(lock, fs::perms::none);
            if (::chown(folder().c_str(), 65534, 65534) != 0 || !becomeNobody())
                return "cannot become nobody";
        }
        m_settings.name = "mine.log";
        start();
        m_logger->OnRequestQsoLogCmd(1, contact("A"));
        m_logger->OnRequestQsoLogCmd(1, contact("B"));
        std::ostringstream out;
        for (const std::string& line : m_notices.lines)
            out << line << "\n";
        for (const std::string& line : m_errorOutput)
            out << "stderr\t" << line << "\n";
        for (const std::string& line : m_statusLines)
            out << "status\t" << line << "\n";
        out << (m_logger->readOnly() ? "read-only" : "writable") << ", file holds "
            << join(callsInFile("mine.log")) << "\n";
        return out.str();
    }
};

// Said once, on the status line and standard error, never in a box; the log
// stays writable.
TEST_P(QsoLoggerUnusableLock, IsSaidOnceAndTheLogStaysWritable) {
    const UnusableLockCase& c = GetParam();
    const std::string line = LockPathOf(at("mine.log").string()) + " cannot be locked (" +
                             c.reason + "): another program could write it too.";
    EXPECT_EQ(reportFromChild([&] { return run(c); }),
              "stderr\t" + line + "\nstatus\t" + line + "\nwritable, file holds A,B\n");
}

INSTANTIATE_TEST_SUITE_P(
    Faults, QsoLoggerUnusableLock,
    ::testing::Values(
        UnusableLockCase{"AFolderInItsPlace", LockFault::FolderInItsPlace, "Is a directory"},
        UnusableLockCase{"NoAccessForThisUser", LockFault::NoAccess, "Permission denied"}),
    CaseName());

// A second name of the log takes the same lock: the one beside the file the
// saves replace.
TEST_F(QsoLogger, ALogReachedThroughALinkIsLockedBesideItsTarget) {
    const fs::path real = m_dir.path() / "real" / "mine.log";
    fs::create_directories(real.parent_path());
    ASSERT_EQ(SaveLogFile(real.string(), {contact("A")}, {}), 0u);
    fs::create_directories(folder());
    fs::create_symlink(real, at("link.log"));
    m_settings.name = "link.log";
    start();
    EXPECT_FALSE(m_logger->readOnly());
    EXPECT_TRUE(fs::exists(real.string() + ".lock"));
    EXPECT_FALSE(fs::exists(at("link.log.lock")));
    EXPECT_FALSE(LockHolder(real).held());
    m_logger->OnModifyLogEntry(0, contact("B"));
    EXPECT_TRUE(fs::is_symlink(at("link.log")));
    EXPECT_EQ(LoadLogFile(readBytes(real), 0).entries.size(), 1u);
    EXPECT_FALSE(LockHolder(real).held());
}

// --- Who may read what the program keeps of the log -----------------------------------

struct FileModeCase {
    const char* name;
    std::optional<fs::perms> logMode;  // none: no log file when the rescue is written
    fs::perms made;                    // of ".outside" and the rescue file
};
ROW_NAME(FileModeCase, row.name);

class QsoLoggerFileMode : public QsoLogger, public ::testing::WithParamInterface<FileModeCase> {
  protected:
    void SetUp() override { m_umask = ::umask(022); }
    void TearDown() override { ::umask(m_umask); }
    static fs::perms modeOf(const fs::path& path) {
        return fs::status(path).permissions() & fs::perms::all;
    }
    mode_t m_umask = 0;
};

TEST_P(QsoLoggerFileMode, OutsideAndRescueFilesTakeTheLogsMode) {
    const FileModeCase& c = GetParam();
    const fs::path log = at("mine.log");
    fs::create_directories(folder());
    ASSERT_EQ(SaveLogFile(log.string(), {contact("A")}, {}), 0u);
    if (c.logMode)
        fs::permissions(log, *c.logMode);
    m_settings.name = "mine.log";
    start();
    if (c.logMode) {
        std::string bytes = readBytes(log);
        bytes[bytes.find(";0;;\n") + 1] = '1';  // the QSL state, the same size
        std::ofstream(log, std::ios::binary | std::ios::in | std::ios::out) << bytes;
        m_logger->OnModifyLogEntry(0, contact("B"));
        ASSERT_TRUE(fs::exists(at("mine.log.outside")));
        EXPECT_EQ(modeOf(at("mine.log.outside")), c.made);
    } else {
        fs::remove(log);
    }
    m_logger->SetFileHooks([](platform::AtomicStep) { return false; },
                           [](platform::AppendStep) { return false; });
    m_logger->OnRequestQsoLogCmd(1, contact("C"));
    ASSERT_TRUE(m_logger->unsaved());
    m_logger->ExitInstance();
    const fs::path rescue = at(std::string("mine.log") + kRescueSuffix);
    ASSERT_TRUE(fs::exists(rescue));
    EXPECT_EQ(modeOf(rescue), c.made);
}

INSTANTIATE_TEST_SUITE_P(
    Modes, QsoLoggerFileMode,
    ::testing::Values(FileModeCase{"OwnerOnly", fs::perms(0600), fs::perms(0600)},
                      FileModeCase{"GroupMayRead", fs::perms(0640), fs::perms(0640)},
                      FileModeCase{"NoLogFile", std::nullopt, fs::perms(0600)}),
    CaseName());

// --- Search results ---------------------------------------------------------------------

TEST_F(QsoLogger, SearchResultsGoWhenTheListChanges) {
    start();
    m_logger->OnRequestQsoLogCmd(1, contact("N0CALL"));
    m_logger->OnRequestQsoLogCmd(1, contact("K1ABC"));
    m_logger->OnSearchQsoLogCmd("K1ABC");
    ASSERT_EQ(m_window.searchResults.size(), 1u);
    m_logger->OnRequestQsoLogCmd(1, contact("K1ABC"));
    EXPECT_TRUE(m_window.searchResults.empty());

    m_logger->OnSearchQsoLogCmd("K1ABC");
    ASSERT_EQ(m_window.searchResults.size(), 2u);
    m_logger->OnDeleteLogEntry(1);
    EXPECT_TRUE(m_window.searchResults.empty());

    m_logger->OnSearchQsoLogCmd("K1ABC");
    ASSERT_EQ(m_window.searchResults.size(), 1u);
    m_logger->OnModifyLogEntry(0, contact("W1AW"));
    EXPECT_TRUE(m_window.searchResults.empty());
}

}  // namespace
