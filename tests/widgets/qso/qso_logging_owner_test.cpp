// The QSO-logging owner on a front panel with a fake server, real settings
// and real log files, with recording doubles for the entry and log windows:
// the first request makes and links everything in order, contacts reach the
// file with the radio's data, a style change and the exit (also SIGTERM)
// lose no contact.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QCoreApplication>
#include <QMessageBox>
#include <QTimer>
#include <QWidget>

#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "client/base/registry_store.h"
#include "client/panel/front_panel_layout.h"
#include "client/qso/qso_log_file.h"
#include "client/qso/qso_log_guard.h"
#include "client/qso/qso_logging_owner.h"
#include "platform/atomic_file.h"
#include "platform/signal_pipe.h"
#include "radiolink/k2_reply_codes.h"
#include "radiolink/k2_status.h"
#include "tests/support/event_wait.h"
#include "tests/support/row_names.h"
#include "tests/widgets/panel/front_panel_fixture.h"
#include "tests/widgets/qso/qso_owner_fixture.h"
#include "tests/widgets/qso/window_boxes.h"

namespace {

using namespace pelorin;
namespace fs = std::filesystem;

struct Events {
    std::vector<std::string> order;  // what the windows were made and asked to do
};

class FakeEntryWindow : public IQsoEntryWindow {
  public:
    FakeEntryWindow(int style, QsoEntryWindowLinks windowLinks, Events& events)
        : m_style(style), m_links(std::move(windowLinks)), m_events(events) {
        note("made");
    }
    ~FakeEntryWindow() override { note("deleted"); }
    int Style() const override { return m_style; }
    void Show() override { note("shown"); }
    void Toggle() override { note("toggled"); }
    void Place() override { note("placed"); }
    QRect Rect() const override { return QRect(700, 500, 300, 150); }
    void MoveInto(const QRect&) override {}
    void ShowEntry(const QSO_LOG_ENTRY& entry) override { note("entry " + entry.szCall); }

    // The buttons' Log It: the contact as the window hands it on.
    void LogIt(const std::string& call) {
        QSO_LOG_ENTRY e;
        e.nLogStyle = m_style;
        e.szCall = call;
        m_links.logIt(e);
    }

  private:
    void note(const std::string& what) {
        m_events.order.push_back(std::string(m_style == kContestLogStyle ? "contest " : "normal ") +
                                 what);
    }
    int m_style;
    QsoEntryWindowLinks m_links;
    Events& m_events;
};

class FakeLogWindow : public IQsoLogWindow {
  public:
    explicit FakeLogWindow(Events& events) : m_events(events) {
        m_events.order.push_back("log made");
    }
    void ClearList() override {}
    void AddEntry(const QSO_LOG_ENTRY&) override {}
    void SetCaption(const std::string&) override {}
    void Show() override { m_events.order.push_back("log shown"); }
    void Place() override { m_events.order.push_back("log placed"); }
    void ClearSearchResults() override {}
    void AddSearchResult(const std::string&) override {}
    void RebuildColumns(int style) override { m_columns = style; }
    int ColumnsStyle() const override { return m_columns; }

  private:
    Events& m_events;
    int m_columns = kNormalLogStyle;
};

// The log window as a window of its own, for the boxes modal to it.
class WidgetLogWindow : public QWidget, public FakeLogWindow {
  public:
    explicit WidgetLogWindow(Events& events) : FakeLogWindow(events) {}
    void Show() override {
        FakeLogWindow::Show();
        show();
    }
};

std::string readFile(const fs::path& path) {
    std::string bytes;
    platform::readWholeFile(path.string(), bytes);
    return bytes;
}

// 07/04/2024 18:30:00 UTC on the system clock.
constexpr std::int64_t kNow = 1720117800;

class QsoOwnerTest : public QsoOwnerFixture {
  protected:
    void SetUp() override {
        FrontPanelFixture::SetUp();
        m_store.WriteString("", "HomeDir", m_logFolder.string());
        m_owner = std::make_unique<QsoLoggingOwner>(
            m_store,
            [this](int style, QsoEntryWindowLinks links) {
                auto window = std::make_unique<FakeEntryWindow>(style, std::move(links), m_events);
                m_entryWindows[style] = window.get();
                return window;
            },
            [this](QsoLoggingOwner::PostToLogger post) {
                m_postToLogger = std::move(post);
                if (m_logWindowIsAWidget)
                    return std::unique_ptr<FakeLogWindow>(
                        std::make_unique<WidgetLogWindow>(m_events));
                return std::make_unique<FakeLogWindow>(m_events);
            },
            [] { return kNow; });
        wireOwnerToPanel(m_otherEntryPoints, m_otherCommands);
        reply(K2_CMD_FA, "FA00014060000");
        reply(K2_CMD_MD, "MD3");
    }

    void reply(int code, const std::string& text) {
        m_panel->onWindowMessage(WindowMessage{WM_RADIO_REPLY, code, 0, text});
    }

    void start() {
        m_panel->OnMenuCommand(CK2FrontPanelControlDlg::ID_QSO_LOGGING);
        ASSERT_TRUE(test_events::runEventsUntil([this] {
            return std::find(m_events.order.begin(), m_events.order.end(), "log shown") !=
                   m_events.order.end();
        }));
    }

    FakeEntryWindow& entryWindow(int style) { return *m_entryWindows.at(style); }

    bool waitForFile(const fs::path& path, const std::string& bytes) {
        return test_events::runEventsUntil([&] { return readFile(path) == bytes; });
    }

    const fs::path m_logFolder = m_dir / "Orvo";
    Events m_events;
    std::map<int, FakeEntryWindow*> m_entryWindows;
    QsoLoggingOwner::PostToLogger m_postToLogger;  // the log window's way to the logger
    bool m_logWindowIsAWidget = false;
    // The other windows' work at the panel's fixed points, set before SetUp.
    PanelEntryPoints m_otherEntryPoints;
    PanelCommandEntryPoints m_otherCommands;
};

TEST_F(QsoOwnerTest, FirstRequestMakesAndLinksEverythingInOrderLaterOnesOnlyShow) {
    ASSERT_FALSE(fs::exists(m_logFolder));
    start();
    EXPECT_EQ(m_events.order, (std::vector<std::string>{"normal made", "normal shown", "log made",
                                                        "log shown", "log shown"}));
    EXPECT_TRUE(fs::is_directory(m_logFolder));
    EXPECT_EQ(m_owner->logger()->logFileName(), (m_logFolder / "Orvo.QSO.Log").string());

    m_events.order.clear();
    m_panel->OnMenuCommand(CK2FrontPanelControlDlg::ID_QSO_LOGGING);
    m_owner->positionQsoWindows();
    ASSERT_TRUE(test_events::runEventsUntil([this] { return m_events.order.size() >= 4; }));
    EXPECT_EQ(m_events.order, (std::vector<std::string>{"normal shown", "log shown",
                                                        "normal placed", "log placed"}));
}

TEST_F(QsoOwnerTest, LogItWritesTheRadiosDataAndCommandTwentyOneSwitchesTheStamp) {
    ::setenv("TZ", "<-07>7", 1);
    ::tzset();
    start();
    const fs::path log = m_logFolder / "Orvo.QSO.Log";
    entryWindow(kNormalLogStyle).LogIt("N0CALL");
    const std::string first = "0;1;N0CALL;07042024183000;  20M;14060000;CW;;;;;0;;\n";
    EXPECT_TRUE(waitForFile(log, first)) << readFile(log);

    // Split: VFO B on 40 m transmits.
    reply(K2_CMD_FB, "FB00007040000");
    reply(K2_CMD_FT, "FT1");
    ASSERT_TRUE(test_events::runEventsUntil([this] { return m_panel->model().m_nTxVFO == 1; }));
    m_panel->executeRemoteCmd(CK2FrontPanelControlDlg::REMOTE_CMD_UTC_LOG_CHANGE, 0);
    entryWindow(kNormalLogStyle).LogIt("K1ABC");
    EXPECT_TRUE(waitForFile(log, first + "0;2;K1ABC;07042024113000;  40M;7040000;CW;;;;;0;;\n"))
        << readFile(log);
    ::unsetenv("TZ");
    ::tzset();
}

// Frequency, band and mode come from the radio only: after a connect the
// panel's values are its start-up ones until the radio replies, and after an
// answer that the radio's port is not open they are stale until it replies
// again.
class QsoRadioSilence;

struct RadioSilenceCase {
    const char* name;
    std::function<void(QsoRadioSilence&)> before;  // what happens before the Log It
    bool radioData;
};
ROW_NAME(RadioSilenceCase, row.name);

class QsoRadioSilence : public QsoOwnerTest,
                        public ::testing::WithParamInterface<RadioSilenceCase> {
  public:
    void connectAgain() { notice(SERVER_STATUS_CONNECTED); }
    void radioAnswers() { reply(K2_CMD_FA, "FA00007030000"); }
    // A key-switch press the server answers with `status`.
    void pressAnswered(std::uint32_t status) {
        m_remote.m_answers["EmulateKeySwitch"] = static_cast<std::int32_t>(status);
        m_panel->executeRemoteCmd(CK2FrontPanelControlDlg::REMOTE_CMD_EMULATE_SWITCH, 1);
    }
};

TEST_P(QsoRadioSilence, ContactTakesRadioDataOnlyWhenTheRadioHasAnswered) {
    const RadioSilenceCase& c = GetParam();
    start();
    c.before(*this);
    entryWindow(kNormalLogStyle).LogIt("N0CALL");
    ASSERT_TRUE(
        test_events::runEventsUntil([this] { return m_owner->logger()->entries().size() == 1; }));
    const QSO_LOG_ENTRY& logged = m_owner->logger()->entries()[0];
    if (c.radioData) {
        EXPECT_EQ(logged.lFreq, 7030000);
        EXPECT_EQ(logged.nBand, 6);
        EXPECT_EQ(logged.nMode, 3);
        return;
    }
    EXPECT_EQ(logged.lFreq, 0);
    EXPECT_EQ(logged.nBand, -1);
    EXPECT_EQ(logged.nMode, 0);
    EXPECT_TRUE(test_events::runEventsUntil([this] {
        return m_panel->statusText() == CQSOInfoGUIThread::kNoRadioAnswerStatus;
    })) << m_panel->statusText();
    EXPECT_EQ(m_panel->statusKind(), 2);
}

const RadioSilenceCase kRadioSilenceCases[] = {
    {"ConnectedBeforeTheFirstRadioReply", [](QsoRadioSilence& t) { t.connectAgain(); }, false},
    {"RepliedAfterTheConnect",
     [](QsoRadioSilence& t) {
         t.connectAgain();
         t.radioAnswers();
     },
     true},
    {"AfterPortNotOpen", [](QsoRadioSilence& t) { t.pressAnswered(K2ERR_PORT_NOT_OPEN); }, false},
    {"AfterPortWriteFailed", [](QsoRadioSilence& t) { t.pressAnswered(K2ERR_PORT_WRITE_FAILED); },
     false},
    {"RepliedAgainAfterPortNotOpen",
     [](QsoRadioSilence& t) {
         t.pressAnswered(K2ERR_PORT_NOT_OPEN);
         t.radioAnswers();
     },
     true},
};

INSTANTIATE_TEST_SUITE_P(Rows, QsoRadioSilence, ::testing::ValuesIn(kRadioSilenceCases),
                         CaseName());

// The configuration page stores the new mode and the default name, then
// sends command 12. A contact still waiting for radio data belongs to the
// log it was logged for.
TEST_F(QsoOwnerTest, StyleChangeLogsTheWaitingContactIntoTheOldLogThenAllFollowTheMode) {
    start();
    const fs::path oldLog = m_logFolder / "Orvo.QSO.Log";
    entryWindow(kNormalLogStyle).LogIt("N0CALL");
    ASSERT_TRUE(waitForFile(oldLog, "0;1;N0CALL;07042024183000;  20M;14060000;CW;;;;;0;;\n"));

    entryWindow(kNormalLogStyle).LogIt("K1ABC");  // queued, not yet answered
    m_store.WriteQsoLoggingMode(kContestLogStyle);
    m_store.WriteCurrentLogFileName("Orvo.QSO.Log");
    m_panel->executeRemoteCmd(CK2FrontPanelControlDlg::REMOTE_CMD_QSOLOG_STYLE_CHANGE,
                              kContestLogStyle);
    ASSERT_TRUE(test_events::runEventsUntil(
        [this] { return m_owner->info()->logStyle() == kContestLogStyle; }));
    EXPECT_EQ(readFile(oldLog),
              "0;1;N0CALL;07042024183000;  20M;14060000;CW;;;;;0;;\n"
              "0;2;K1ABC;07042024183000;  20M;14060000;CW;;;;;0;;\n");
    ASSERT_TRUE(m_entryWindows.count(kContestLogStyle));
    EXPECT_NE(std::find(m_events.order.begin(), m_events.order.end(), "normal deleted"),
              m_events.order.end());
    const fs::path newLog = m_logFolder / "Orvo-1.QSO.Log";
    EXPECT_EQ(m_owner->logger()->logFileName(), newLog.string());
    EXPECT_EQ(m_owner->logger()->window()->ColumnsStyle(), kContestLogStyle);

    entryWindow(kContestLogStyle).LogIt("K2DEF");
    EXPECT_TRUE(waitForFile(newLog, "1;1;K2DEF;07042024183000;  20M;14060000;CW;;0;;\n"))
        << readFile(newLog);
}

// A Load of a contest log while a contact waits for radio data: the contact
// goes into the normal log it was logged for, the loaded file stays as it was.
TEST_F(QsoOwnerTest, LoadOfTheOtherKindLogsTheWaitingContactIntoTheLogItSetsAside) {
    start();
    const fs::path oldLog = m_logFolder / "Orvo.QSO.Log";
    const fs::path contest = m_dir / "contest.log";
    const std::string contestBytes = "1;1;K1TEST;11232024183005;  40M;7030500;CW;599 05;0;;\n";
    ASSERT_TRUE(platform::replaceFileAtomically(contest.string(), contestBytes) == 0);

    entryWindow(kNormalLogStyle).LogIt("K1ABC");  // queued, not yet answered
    m_postToLogger(
        [path = contest.string()](CQSOLoggerGUIThread& logger) { logger.OnOpenLogFile(1, path); });
    ASSERT_TRUE(test_events::runEventsUntil(
        [this] { return m_owner->info()->logStyle() == kContestLogStyle; }));
    // The radio's late answer (three queued hops away) must find nothing left
    // to complete.
    for (int round = 0; round < 5; ++round) {
        QCoreApplication::processEvents();
    }
    EXPECT_EQ(readFile(oldLog), "0;1;K1ABC;07042024183000;  20M;14060000;CW;;;;;0;;\n");
    EXPECT_EQ(readFile(contest), contestBytes);
    EXPECT_EQ(m_owner->logger()->logFileName(), contest.string());
    EXPECT_EQ(m_owner->logger()->entries().size(), 1u);
}

// A log whose append failed is unsaved; SIGTERM runs the panel's exit, whose
// last save writes it whole. The log's name is a link into another folder:
// the save writes the link's target and leaves the link as it is.
TEST_F(QsoOwnerTest, SigtermSavesAnUnsavedLog) {
    fs::create_directories(m_logFolder);
    fs::create_directories(m_dir / "synced");
    const fs::path log = m_logFolder / "Orvo.QSO.Log";
    const fs::path target = m_dir / "synced" / "Orvo.QSO.Log";
    fs::create_symlink(target, log);
    start();
    m_owner->logger()->SetFileHooks({}, [](platform::AppendStep) { return false; });
    entryWindow(kNormalLogStyle).LogIt("N0CALL");
    ASSERT_TRUE(test_events::runEventsUntil([this] { return m_owner->logger()->unsaved(); }));
    EXPECT_EQ(readFile(target), "");

    platform::SignalPipe signalPipe([this](int) { m_panel->ExitWithoutQuestion(); });
    ASSERT_TRUE(signalPipe.isInstalled());
    ::raise(SIGTERM);
    ASSERT_TRUE(test_events::runEventsUntil([this] { return m_owner->logger() == nullptr; }));
    EXPECT_TRUE(fs::is_symlink(log));
    EXPECT_EQ(fs::read_symlink(log), target);
    EXPECT_EQ(readFile(target), "0;1;N0CALL;07042024183000;  20M;14060000;CW;;;;;0;;\n");
}

// A settings file that takes no write: the log's name the logger stores is
// told in the status line, not dropped without a word.
TEST_F(QsoOwnerTest, ASettingThatCannotBeWrittenIsToldInTheStatusLine) {
    start();
    const fs::path ini = CRegistryStore::SettingsFilePath();
    const fs::path away = ini.string() + ".away";
    fs::rename(ini, away);
    fs::create_directory(ini);  // a folder where the settings file belongs
    m_postToLogger([path = (m_dir / "saved.log").string()](CQSOLoggerGUIThread& logger) {
        logger.OnSaveLogFile(path);
    });
    EXPECT_TRUE(test_events::runEventsUntil([this] {
        return m_panel->statusText() == "Setting not saved: Current Log File Name";
    })) << m_panel->statusText();
    EXPECT_EQ(m_panel->statusKind(), 2);
    fs::remove(ini);
    fs::rename(away, ini);
}

// So is a log lock that cannot be used; the log stays writable.
TEST_F(QsoOwnerTest, ALogLockThatCannotBeUsedIsToldInTheStatusLine) {
    const fs::path lock = m_logFolder / "Orvo.QSO.Log.lock";
    fs::create_directories(lock);  // a folder where the lock file belongs
    start();
    const std::string line =
        lock.string() + " cannot be locked (Is a directory): another program could write it too.";
    EXPECT_TRUE(test_events::runEventsUntil([&] { return m_panel->statusText() == line; }))
        << m_panel->statusText();
    EXPECT_EQ(m_panel->statusKind(), 2);
    entryWindow(kNormalLogStyle).LogIt("N0CALL");
    EXPECT_TRUE(waitForFile(m_logFolder / "Orvo.QSO.Log",
                            "0;1;N0CALL;07042024183000;  20M;14060000;CW;;;;;0;;\n"));
}

TEST_F(QsoOwnerTest, ExitLogsAContactStillWaitingForRadioData) {
    start();
    entryWindow(kNormalLogStyle).LogIt("N0CALL");
    m_panel->ExitWithoutQuestion();
    EXPECT_EQ(m_owner->logger(), nullptr);
    EXPECT_EQ(readFile(m_logFolder / "Orvo.QSO.Log"),
              "0;1;N0CALL;07042024183000;  20M;14060000;CW;;;;;0;;\n");
}

// The logger's errors are modal to the shown log window, so the panel and the
// entry windows go on; once the exit has begun they are the program's: the
// log window goes before the operator could read them.
TEST_F(QsoOwnerTest, TheLoggersErrorsAreModalToTheLogWindowUntilTheExit) {
    m_logWindowIsAWidget = true;
    start();
    WidgetLogWindow* logWindow = nullptr;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* found = dynamic_cast<WidgetLogWindow*>(widget))
            logWindow = found;
    }
    ASSERT_NE(logWindow, nullptr);
    qsotest::BlockedWatch panelWatch;
    m_panel->installEventFilter(&panelWatch);
    const qsotest::RealBoxes realBoxes;
    // A file stands where the log's folder would be.
    ASSERT_EQ(platform::replaceFileAtomically((m_dir / "a-file").string(), "x"), 0u);
    const std::string unwritable = (m_dir / "a-file" / "x.log").string();

    m_owner->logger()->OnSaveLogFile(unwritable);
    QMessageBox* box = qsotest::ShownMessageBox();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->parentWidget(), logWindow);
    EXPECT_EQ(box->windowModality(), Qt::WindowModal);
    EXPECT_FALSE(panelWatch.blocked);
    box->button(QMessageBox::Ok)->click();
    QCoreApplication::processEvents();

    ASSERT_TRUE(m_owner->saveQsoLogForExit(true));
    bool seen = false;
    QTimer::singleShot(0, [&] {
        QMessageBox* exitBox = qsotest::ShownMessageBox();
        ASSERT_NE(exitBox, nullptr);
        seen = true;
        EXPECT_EQ(exitBox->parentWidget(), nullptr);
        EXPECT_EQ(exitBox->windowModality(), Qt::ApplicationModal);
        exitBox->button(QMessageBox::Ok)->click();
    });
    m_owner->logger()->OnSaveLogFile(unwritable);
    EXPECT_TRUE(seen);
}

// --- The exit's order: the log is safe before anything is said ----------------------

// A 64 KB disk of its own over `folder`, seen by this thread only: the GUI
// thread, on which the logger writes. Root only; unmounted when it goes.
class SmallDisk {
  public:
    explicit SmallDisk(const fs::path& folder) : m_folder(folder) {
        m_mounted = ::unshare(CLONE_NEWNS) == 0 &&
                    ::mount("none", "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0 &&
                    ::mount("tmpfs", folder.c_str(), "tmpfs", 0, "size=64k,mode=0777") == 0;
    }
    ~SmallDisk() {
        if (m_mounted)
            ::umount2(m_folder.c_str(), MNT_DETACH);
    }
    SmallDisk(const SmallDisk&) = delete;
    SmallDisk& operator=(const SmallDisk&) = delete;
    bool mounted() const { return m_mounted; }

    // Takes its last byte with 4 KB files.
    void Fill() const {
        const std::string page(4096, 'f');
        for (int n = 0;; ++n) {
            const int fd = ::open((m_folder / ("filler" + std::to_string(n))).c_str(),
                                  O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
            if (fd < 0)
                return;
            const bool whole =
                ::write(fd, page.data(), page.size()) == static_cast<ssize_t>(page.size());
            ::close(fd);
            if (!whole)
                return;
        }
    }

  private:
    fs::path m_folder;
    bool m_mounted = false;
};

// Standard error into a file while it lives.
class StderrToFile {
  public:
    explicit StderrToFile(const fs::path& path) : m_path(path) {
        std::fflush(stderr);
        m_saved = ::dup(STDERR_FILENO);
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
        ::dup2(fd, STDERR_FILENO);
        ::close(fd);
    }
    ~StderrToFile() {
        std::fflush(stderr);
        ::dup2(m_saved, STDERR_FILENO);
        ::close(m_saved);
    }
    StderrToFile(const StderrToFile&) = delete;
    StderrToFile& operator=(const StderrToFile&) = delete;
    std::string text() const {
        std::fflush(stderr);
        return readFile(m_path);
    }

  private:
    fs::path m_path;
    int m_saved = -1;
};

// Real boxes that block until released, as they do on a display: each one
// is seen with what stands at that moment, then released (Yes, or OK).
class BlockingBoxes {
  public:
    struct Seen {
        std::string text;
        std::string then;  // the state when it was asked for
    };
    using Look = std::function<std::string()>;
    using BeforeRelease = std::function<void(const std::string& text)>;

    BlockingBoxes(Look look, BeforeRelease beforeRelease)
        : m_look(std::move(look)), m_beforeRelease(std::move(beforeRelease)) {
        if (const char* log = std::getenv("ORVO_MESSAGE_LOG")) {
            m_log = log;
            ::unsetenv("ORVO_MESSAGE_LOG");
        }
        MessageService::showBoxesOffscreen(true);
        m_timer.setInterval(5);
        QObject::connect(&m_timer, &QTimer::timeout, [this] { Release(); });
        m_timer.start();
    }
    ~BlockingBoxes() {
        MessageService::showBoxesOffscreen(false);
        if (m_log)
            ::setenv("ORVO_MESSAGE_LOG", m_log->c_str(), 1);
    }
    BlockingBoxes(const BlockingBoxes&) = delete;
    BlockingBoxes& operator=(const BlockingBoxes&) = delete;

    std::vector<Seen> seen;

  private:
    void Release() {
        QMessageBox* box = qsotest::ShownMessageBox();
        if (box == nullptr || box->property("released").toBool())
            return;
        box->setProperty("released", true);
        const std::string text = box->text().toStdString();
        seen.push_back({text, m_look()});
        if (m_beforeRelease)
            m_beforeRelease(text);
        QAbstractButton* yes = box->button(QMessageBox::Yes);
        (yes != nullptr ? yes : box->button(QMessageBox::Ok))->click();
    }

    Look m_look;
    BeforeRelease m_beforeRelease;
    std::optional<std::string> m_log;
    QTimer m_timer;
};

enum class ExitBy { Sigterm, Sighup, Operator };
enum class LogFault { FullDisk, HeldByAnotherProgram };

struct ExitOrderCase {
    const char* name;
    ExitBy by;
    LogFault fault;
    const char* reason;  // in the first failure's text
};
ROW_NAME(ExitOrderCase, row.name);

class QsoExitOrder : public QsoOwnerTest, public ::testing::WithParamInterface<ExitOrderCase> {
  protected:
    QsoExitOrder() {
        m_otherCommands.openKeyboardCw = [] {};
        m_otherEntryPoints.closeKeyboardCw = [this] { m_cwClosed = true; };
    }

    fs::path log() const { return m_logFolder / "Orvo.QSO.Log"; }
    // Where the whole log goes when its own file takes nothing.
    fs::path rescueFolder() const {
        return GetParam().fault == LogFault::FullDisk
                   ? fs::path(CRegistryStore::SettingsFilePath()).parent_path()
                   : m_logFolder;
    }
    std::optional<fs::path> rescueFile() const {
        std::error_code ignored;
        for (const auto& item : fs::directory_iterator(rescueFolder(), ignored)) {
            if (item.path().filename().string().rfind("Orvo.QSO.Log.unsaved-", 0) == 0)
                return item.path();
        }
        return std::nullopt;
    }
    std::string rescueLine(const fs::path& rescue) const {
        return "Log not saved to " + log().string() + ": the whole log is kept in " +
               rescue.string();
    }
    // What the operator's contacts and the program's windows are like now.
    std::string state(const StderrToFile& err) const {
        std::string out = "rescue file ";
        const std::optional<fs::path> rescue = rescueFile();
        if (rescue) {
            out += "holds";
            for (const auto& e : LoadLogFile(readFile(*rescue), 0).entries)
                out += " " + e.szCall;
        } else {
            out += "missing";
        }
        out += rescue && err.text().find(rescueLine(*rescue)) != std::string::npos
                   ? ", stderr names it"
                   : ", stderr silent";
        out += m_cwClosed ? ", CW window closed" : ", CW window open";
        out += std::count(m_remote.m_calls.begin(), m_remote.m_calls.end(), "Disconnect") > 0
                   ? ", disconnected"
                   : ", connected";
        return out;
    }

    bool m_cwClosed = false;
};

// A on file, B unsaved, C logged just as the exit begins. Before any box is
// asked for, the whole log is in the rescue file and standard error names
// it; a signal asks for no box at all, the operator's exit for one after its
// question, and both come before the CW window closes or the server is told.
TEST_P(QsoExitOrder, TheLogIsSafeBeforeAnyBoxAndOnlyTheOperatorsExitShowsOne) {
    const ExitOrderCase& c = GetParam();
    fs::create_directories(m_logFolder);
    std::optional<SmallDisk> disk;
    if (c.fault == LogFault::FullDisk) {
        disk.emplace(m_logFolder);
        if (!disk->mounted())
            GTEST_SKIP() << "a full disk needs a tmpfs of its own, which only root may mount";
    }
    // 4096 bytes: on a full disk no byte more fits.
    const std::string line = "0;1;A;07042024183000;  20M;14060000;CW;;;;;0;;\n";
    ASSERT_EQ(platform::replaceFileAtomically(
                  log().string(), line + "#" + std::string(4096 - line.size() - 2, '-') + "\n"),
              0u);
    LogFileLock anotherProgram;
    if (c.fault == LogFault::HeldByAnotherProgram) {
        ASSERT_EQ(anotherProgram.Take(log().string()), LogFileLock::Result::Held);
    }
    start();
    m_panel->OnCommandControl(front_panel::IDC_CW_WINDOW);
    if (disk)
        disk->Fill();
    entryWindow(kNormalLogStyle).LogIt("B");
    ASSERT_TRUE(test_events::runEventsUntil([this] { return m_owner->logger()->unsaved(); }));

    const StderrToFile err(m_dir / "stderr.txt");
    BlockingBoxes boxes([&] { return state(err); },
                        [this](const std::string& text) {
                            if (text == CK2FrontPanelControlDlg::kExitQuestion)
                                entryWindow(kNormalLogStyle).LogIt("C");
                        });
    if (c.by == ExitBy::Operator) {
        m_panel->OnOK();
    } else {
        platform::SignalPipe signalPipe(
            [this](int) {
                entryWindow(kNormalLogStyle).LogIt("C");
                m_panel->ExitWithoutQuestion();
            },
            {SIGTERM, SIGHUP});
        ASSERT_TRUE(signalPipe.isInstalled());
        ::raise(c.by == ExitBy::Sigterm ? SIGTERM : SIGHUP);
        ASSERT_TRUE(test_events::runEventsUntil([this] { return m_owner->logger() == nullptr; }));
    }
    ASSERT_EQ(m_owner->logger(), nullptr) << "the exit stopped";

    const std::optional<fs::path> rescue = rescueFile();
    ASSERT_TRUE(rescue.has_value());
    EXPECT_EQ(state(err),
              "rescue file holds A B C, stderr names it, CW window closed, disconnected");
    if (c.by != ExitBy::Operator) {
        EXPECT_TRUE(boxes.seen.empty())
            << boxes.seen.front().text << "\nasked for while: " << boxes.seen.front().then;
        return;
    }
    ASSERT_EQ(boxes.seen.size(), 2u) << boxes.seen.back().text;
    EXPECT_EQ(boxes.seen[0].text, CK2FrontPanelControlDlg::kExitQuestion);
    const std::string& notice = boxes.seen[1].text;
    EXPECT_EQ(notice.substr(0, notice.find('\n')), rescueLine(*rescue));
    EXPECT_NE(notice.find(c.reason, notice.find('\n')), std::string::npos) << notice;
    EXPECT_EQ(boxes.seen[1].then,
              "rescue file holds A B C, stderr names it, CW window open, connected");
}

INSTANTIATE_TEST_SUITE_P(
    Rows, QsoExitOrder,
    ::testing::Values(ExitOrderCase{"SigtermOnAFullDisk", ExitBy::Sigterm, LogFault::FullDisk,
                                    "No space left on device"},
                      ExitOrderCase{"SighupOnAFullDisk", ExitBy::Sighup, LogFault::FullDisk,
                                    "No space left on device"},
                      ExitOrderCase{"OperatorsExitOnAFullDisk", ExitBy::Operator,
                                    LogFault::FullDisk, "No space left on device"},
                      ExitOrderCase{"SigtermWhileAnotherProgramHoldsTheLog", ExitBy::Sigterm,
                                    LogFault::HeldByAnotherProgram, "is open in another program"},
                      ExitOrderCase{"SighupWhileAnotherProgramHoldsTheLog", ExitBy::Sighup,
                                    LogFault::HeldByAnotherProgram, "is open in another program"},
                      ExitOrderCase{"OperatorsExitWhileAnotherProgramHoldsTheLog", ExitBy::Operator,
                                    LogFault::HeldByAnotherProgram, "is open in another program"}),
    CaseName());

}  // namespace
