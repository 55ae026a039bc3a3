// The QSO-logging owner on a front panel with a fake server, real settings
// and real log files, with recording doubles for the entry and log windows:
// the first request makes and links everything in order, contacts reach the
// file with the radio's data, a style change and the exit (also SIGTERM)
// lose no contact.

#include <gtest/gtest.h>

#include <QApplication>
#include <QCoreApplication>
#include <QMessageBox>
#include <QTimer>
#include <QWidget>

#include <csignal>
#include <ctime>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "client/base/registry_store.h"
#include "client/qso/qso_log_file.h"
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
        wireOwnerToPanel();
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

}  // namespace
