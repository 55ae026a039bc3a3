#include "server/main_frame.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCoreApplication>
#include <QEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSettings>
#include <QStatusBar>
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

#include "controls/stepped_value.h"
#include "platform/message_service.h"
#include "radio_port_fakes.h"
#include "radiolink/k2_radio_port.h"
#include "server/k2_com_port_diag_dlg.h"
#include "server/log_config_dlg.h"
#include "server/log_view.h"
#include "server/message_logger_thread.h"
#include "server/orvo_cfg.h"
#include "server/server_registry_store.h"
#include "sim/k2_simulator.h"
#include "tests/support/row_names.h"
#include "tests/support/settings_sandbox.h"

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

bool runEventsUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout = 3s) {
    const auto end = std::chrono::steady_clock::now() + timeout;
    while (!done() && std::chrono::steady_clock::now() < end) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        std::this_thread::sleep_for(2ms);
    }
    return done();
}

struct StoredRect {
    int left, top, right, bottom;
    bool operator==(const StoredRect&) const = default;
};

void PrintTo(const StoredRect& r, std::ostream* out) {
    *out << r.left << ", " << r.top << ", " << r.right << ", " << r.bottom;
}

constexpr StoredRect kDefaultRect{0, 0, 639, 479};

// A fresh settings file, message log and serial folder per test; a real logger; a radio object
// whose port opens only when a test asks for it.
class MainFrameTest : public ::testing::Test {
  protected:
    void SetUp() override {
        MessageService::queueAnswers({});

        // Make the main key first: its creation writes the default rectangle too.
        std::uint8_t mode = 0;
        m_store.ReadSWLoggingMode(mode);

        m_radio = std::make_unique<CK2RadioPort>(
            test_radio::quickPolls(m_sleeper, m_dir / "serial", 200ms), 0);
    }

    void TearDown() override {
        m_frame.reset();
        m_radio->CloseRadioPort();
        m_logger.stop();
        m_sim.reset();
        m_radio.reset();
        MessageService::queueAnswers({});
    }

    void setLoggingMode(std::uint8_t mode) {
        ASSERT_TRUE(m_store.WriteByte("", "SW Logging Mode", mode));
    }

    CMainFrame& makeFrame() {
        m_frame = std::make_unique<CMainFrame>(m_store, m_logger, *m_radio,
                                               [this] { return m_clientConnected.load(); });
        return *m_frame;
    }

    StoredRect storedRect() {
        StoredRect r{};
        m_store.ReadWindowRect(r.left, r.top, r.right, r.bottom);
        return r;
    }

    QAction* action(const char* name) const {
        return m_frame->findChild<QAction*>(QString::fromLatin1(name));
    }

    bool menuShown(const char* name) const {
        auto* menu = m_frame->menuBar()->findChild<QMenu*>(QString::fromLatin1(name));
        return menu != nullptr && menu->menuAction()->isVisible();
    }

    QString viewText() const {
        return m_frame->LogView() != nullptr ? m_frame->LogView()->toPlainText() : QString();
    }

    bool waitForViewText(const QString& text) {
        return runEventsUntil([&] { return viewText().contains(text); });
    }

    std::vector<std::string> messages() const { return m_settings.messages(); }

    // Starts the simulated radio on COM1 and opens the radio object's port on it.
    void openRadio() {
        sim::K2SimulatorOptions options;
        options.folder = m_dir / "serial";
        options.com = 1;
        options.timeScale = 20;
        m_sim = std::make_unique<sim::K2Simulator>(options);
        ASSERT_TRUE(m_sim->start().ok());
        ASSERT_EQ(m_radio->OpenRadioPort(1, 4800, 8, 0, 1), K2ERR_NONE);
        ASSERT_TRUE(m_sim->waitForCommand("AI3", 2s).has_value());
    }

    SettingsSandbox m_settings{"frame-test"};
    const fs::path m_dir = m_settings.dir();
    brakton::CServerRegistryStore m_store;
    CMessageLoggerThread m_logger;
    test_radio::NoPauseSleeper m_sleeper;
    std::unique_ptr<CK2RadioPort> m_radio;
    std::unique_ptr<sim::K2Simulator> m_sim;
    std::atomic<bool> m_clientConnected{false};
    std::unique_ptr<CMainFrame> m_frame;
};

// --- Window rectangle ----------------------------------------------------------------------

enum class After { Nothing, Maximise, Minimise, Move };

struct RectCase {
    const char* name;
    StoredRect stored;
    After after;
    QRect expectedGeometry;  // null: the primary screen's top-left with the stored size
    StoredRect expectedStored;
};
ROW_NAME(RectCase, row.name);

class FrameRectTest : public MainFrameTest, public ::testing::WithParamInterface<RectCase> {};

TEST_P(FrameRectTest, RestoresAndStoresTheRectangle) {
    const RectCase& row = GetParam();
    ASSERT_TRUE(m_store.WriteWindowRect(row.stored.left, row.stored.top, row.stored.right,
                                        row.stored.bottom));
    CMainFrame& frame = makeFrame();

    QRect expected = row.expectedGeometry;
    if (expected.isNull()) {
        expected = QRect(
            QGuiApplication::primaryScreen()->availableGeometry().topLeft(),
            QSize(row.stored.right - row.stored.left + 1, row.stored.bottom - row.stored.top + 1));
    }
    EXPECT_EQ(frame.geometry(), expected);

    switch (row.after) {
        case After::Nothing:
            break;
        case After::Maximise:
            frame.show();
            frame.showMaximized();
            runEventsUntil([&] { return frame.isMaximized(); });
            break;
        case After::Minimise:
            frame.ShowStartupMinimised();
            runEventsUntil([&] { return frame.isMinimized(); });
            frame.resize(300, 200);
            break;
        case After::Move:
            frame.show();
            // move() places the frame, title bar included.
            frame.move(30, 40);
            runEventsUntil([&] { return storedRect() == row.expectedStored; });
            break;
    }
    QCoreApplication::processEvents();
    EXPECT_EQ(storedRect(), row.expectedStored);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, FrameRectTest,
    ::testing::Values(
        RectCase{
            "TooNarrow", {10, 20, 159, 219}, After::Nothing, QRect(10, 20, 200, 100), kDefaultRect},
        RectCase{
            "TooLow", {10, 20, 409, 100}, After::Nothing, QRect(10, 20, 200, 100), kDefaultRect},
        RectCase{"ScreenSized",
                 {0, 0, 799, 599},
                 After::Nothing,
                 QRect(0, 0, 800, 600),
                 {0, 0, 799, 599}},
        RectCase{"OnNoScreen",
                 {5000, 5000, 5639, 5479},
                 After::Nothing,
                 QRect(),
                 {5000, 5000, 5639, 5479}},
        RectCase{"Maximised",
                 {10, 10, 409, 309},
                 After::Maximise,
                 QRect(10, 10, 400, 300),
                 kDefaultRect},
        RectCase{"MinimisedStoresNothing",
                 {10, 10, 409, 309},
                 After::Minimise,
                 QRect(10, 10, 400, 300),
                 {10, 10, 409, 309}},
        RectCase{
            "Moved", {10, 10, 409, 309}, After::Move, QRect(10, 10, 400, 300), {30, 40, 429, 339}}),
    CaseName());

// Restored from its icon, the frame (title bar and all) is where it was
// stored, on the screen, and showing it stores the same rectangle again: a
// restart puts it back where it was, not one title-bar height lower.
TEST_F(MainFrameTest, TheFrameOpensWhereItsFrameWasStored) {
    ASSERT_TRUE(m_store.WriteWindowRect(0, 0, 639, 479));
    CMainFrame& frame = makeFrame();
    frame.ShowStartupMinimised();
    frame.showNormal();
    runEventsUntil([&] { return frame.frameGeometry() == QRect(0, 0, 640, 480); });
    EXPECT_EQ(frame.frameGeometry(), QRect(0, 0, 640, 480));
    EXPECT_TRUE(QGuiApplication::primaryScreen()->availableGeometry().contains(
        frame.frameGeometry().topLeft()));
    QCoreApplication::processEvents();
    EXPECT_EQ(storedRect(), (StoredRect{0, 0, 639, 479}));
}

// --- Logging commands ------------------------------------------------------------------------

struct ModeCase {
    const char* name;
    std::uint8_t mode;
    bool enabled;
    short level;
};
ROW_NAME(ModeCase, row.name);

class LoggingModeTest : public MainFrameTest, public ::testing::WithParamInterface<ModeCase> {};

TEST_P(LoggingModeTest, MenuStartsFromWhatTheLoggerGot) {
    const ModeCase& row = GetParam();
    setLoggingMode(row.mode);
    CMainFrame& frame = makeFrame();

    EXPECT_EQ(frame.LogEnabled(), row.enabled);
    EXPECT_EQ(frame.LogLevel(), row.level);
    EXPECT_EQ(frame.LogDestination(), 1);
    EXPECT_EQ(action("actionLoggingOn")->isEnabled(), !row.enabled);
    EXPECT_EQ(action("actionLogSetting")->isEnabled(), !row.enabled);
    EXPECT_EQ(action("actionLoggingOff")->isEnabled(), row.enabled);

    // The logger agrees: an error record shows exactly when logging is on.
    LogMessage(kLogModeTimeStamped, kLogLevelError, "probe record");
    if (row.enabled) {
        EXPECT_TRUE(waitForViewText("probe record"));
    } else {
        frame.OnLoggingOn();
        ASSERT_TRUE(waitForViewText("Logging Enabled"));
        EXPECT_FALSE(viewText().contains("probe record"));
        EXPECT_TRUE(action("actionLoggingOff")->isEnabled());
        EXPECT_FALSE(action("actionLoggingOn")->isEnabled());
    }
}

INSTANTIATE_TEST_SUITE_P(Rows, LoggingModeTest,
                         ::testing::Values(ModeCase{"Off", 0x00, false, 2},
                                           ModeCase{"AllRecords", 0xE0, true, 3},
                                           ModeCase{"ErrorsOnly", 0xC0, true, 1},
                                           ModeCase{"Information", 0x80, true, 2},
                                           ModeCase{"LevelBitsButOff", 0x60, false, 3}),
                         CaseName());

TEST_F(MainFrameTest, LoggingDisabledIsShownBeforeLoggingStops) {
    setLoggingMode(0xE0);
    CMainFrame& frame = makeFrame();
    frame.OnLoggingOff();
    LogMessage(kLogModeTimeStamped, kLogLevelError, "while off");
    EXPECT_FALSE(frame.LogEnabled());
    EXPECT_TRUE(action("actionLoggingOn")->isEnabled());

    // Off then On keeps the level: information records still show.
    frame.OnLoggingOn();
    LogMessage(kLogModeTimeStamped, kLogLevelInformation, "information after on");
    ASSERT_TRUE(waitForViewText("information after on"));
    const QString text = viewText();
    EXPECT_TRUE(text.contains("Logging Disabled"));
    EXPECT_FALSE(text.contains("while off"));
    EXPECT_LT(text.indexOf("Logging Disabled"), text.indexOf("Logging Enabled"));
}

// --- "Config Log" ----------------------------------------------------------------------------

// Runs `drive` on the "Config Log" dialog once it is open.
void whenConfigLogOpens(const std::function<void(CLogConfigDlg&)>& drive) {
    auto* timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, drive] {
        if (auto* dialog = qobject_cast<CLogConfigDlg*>(QApplication::activeModalWidget())) {
            timer->stop();
            timer->deleteLater();
            drive(*dialog);
        }
    });
    timer->start();
}

void clickButton(QWidget& parent, const char* text) {
    for (auto* button : parent.findChildren<QAbstractButton*>()) {
        if (button->text() == QLatin1String(text)) {
            button->click();
            return;
        }
    }
    ADD_FAILURE() << "no button " << text;
}

struct ConfigCase {
    const char* name;
    const char* endButton;
    short level;
    short destination;
};
ROW_NAME(ConfigCase, row.name);

class ConfigLogTest : public MainFrameTest, public ::testing::WithParamInterface<ConfigCase> {};

TEST_P(ConfigLogTest, DoneAppliesCancelDiscards) {
    const ConfigCase& row = GetParam();
    setLoggingMode(0x00);  // off, information and errors
    CMainFrame& frame = makeFrame();
    ASSERT_TRUE(action("actionLogSetting")->isEnabled());

    short shownLevel = 0;
    short shownDestination = 0;
    whenConfigLogOpens([&](CLogConfigDlg& dialog) {
        shownLevel = dialog.Level();
        shownDestination = dialog.Destination();
        clickButton(dialog, "Error");
        clickButton(dialog, "Log To File");
        clickButton(dialog, row.endButton);
    });
    action("actionLogSetting")->trigger();

    EXPECT_EQ(shownLevel, 2);
    EXPECT_EQ(shownDestination, 1);
    EXPECT_EQ(frame.LogLevel(), row.level);
    EXPECT_EQ(frame.LogDestination(), row.destination);
}

INSTANTIATE_TEST_SUITE_P(Rows, ConfigLogTest,
                         ::testing::Values(ConfigCase{"Done", "Done", 1, 2},
                                           ConfigCase{"Cancel", "Cancel", 2, 1}),
                         CaseName());

TEST_F(MainFrameTest, ConfigLogChoiceReachesTheLoggerAtTheNextOn) {
    setLoggingMode(0x00);
    CMainFrame& frame = makeFrame();
    whenConfigLogOpens([](CLogConfigDlg& dialog) {
        clickButton(dialog, "Error");
        clickButton(dialog, "Done");
    });
    frame.OnLogSetting();
    frame.OnLoggingOn();
    LogMessage(kLogModeTimeStamped, kLogLevelInformation, "information record");
    LogMessage(kLogModeTimeStamped, kLogLevelError, "error record");
    ASSERT_TRUE(waitForViewText("error record"));
    EXPECT_FALSE(viewText().contains("information record"));
}

TEST_F(MainFrameTest, ExitRequestEndsAnOpenDialogAndClosesTheFrame) {
    setLoggingMode(0x00);
    CMainFrame& frame = makeFrame();
    frame.show();
    whenConfigLogOpens([&](CLogConfigDlg& dialog) {
        clickButton(dialog, "Both");
        frame.RequestExit();
    });
    frame.OnLogSetting();
    EXPECT_FALSE(frame.isVisible());
    EXPECT_EQ(frame.LogLevel(), 2);  // the dialog was cancelled, not accepted
}

// --- COM-port check ---------------------------------------------------------------------------

const std::string kQuestionLine =
    "question\tEntering COM Port Diagnostic will interrupt\\nNormal operation of Pelorin\\n"
    "Do you still want to proceed?\t";

struct ComPortCase {
    const char* name;
    bool answerYes;
    bool clientConnected;
    std::vector<std::string> expected;
    bool dialogOpens;
};
ROW_NAME(ComPortCase, row.name);

// Closes the diagnostic dialog once it is open, and tells whether it was; for one test only.
class DiagnosticsCloser {
  public:
    DiagnosticsCloser() {
        m_timer.setInterval(10);
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            if (auto* dialog =
                    qobject_cast<brakton::CK2ComPortDiagDlg*>(QApplication::activeModalWidget())) {
                m_opened = true;
                dialog->reject();
            }
        });
        m_timer.start();
    }
    bool opened() const { return m_opened; }

  private:
    QTimer m_timer;
    bool m_opened = false;
};

class ComPortCheckTest : public MainFrameTest, public ::testing::WithParamInterface<ComPortCase> {};

TEST_P(ComPortCheckTest, AsksFirstThenRefusesWhileAClientIsConnected) {
    const ComPortCase& row = GetParam();
    makeFrame();
    m_clientConnected = row.clientConnected;
    MessageService::queueAnswers({row.answerYes});
    const DiagnosticsCloser closer;
    action("actionCheckComPort")->trigger();
    EXPECT_EQ(messages(), row.expected);
    EXPECT_EQ(closer.opened(), row.dialogOpens);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, ComPortCheckTest,
    ::testing::Values(ComPortCase{"NoWithClient", false, true, {kQuestionLine + "No"}, false},
                      ComPortCase{"YesWithClient",
                                  true,
                                  true,
                                  {kQuestionLine + "Yes",
                                   "error\tPlease Exit Pelorin before performing diagnostic"},
                                  false},
                      ComPortCase{"NoWithoutClient", false, false, {kQuestionLine + "No"}, false},
                      ComPortCase{"YesWithoutClient", true, false, {kQuestionLine + "Yes"}, true}),
    CaseName());

TEST_F(MainFrameTest, SystemConfigOpensTheSheetAndExitClosesIt) {
    CMainFrame& frame = makeFrame();
    frame.show();
    QAction* system = action("actionSystemConfig");
    ASSERT_NE(system, nullptr);
    EXPECT_TRUE(system->isEnabled());
    bool opened = false;
    QTimer::singleShot(50, &frame, [&] {
        auto* sheet = qobject_cast<brakton::COrvoCfg*>(QApplication::activeModalWidget());
        opened = sheet != nullptr;
        frame.RequestExit();
    });
    system->trigger();
    EXPECT_TRUE(opened);
    EXPECT_FALSE(frame.isVisible());
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

// The sheet run from the menu tells the program of a stored change of the amplifier option.
TEST_F(MainFrameTest, SystemConfigPassesTheAmplifierNoticeOn) {
    CMainFrame& frame = makeFrame();
    frame.show();
    std::vector<bool> told;
    frame.SetPAOptionNotifier([&](bool on) { told.push_back(on); });
    QTimer::singleShot(50, &frame, [&] {
        auto* sheet = qobject_cast<brakton::COrvoCfg*>(QApplication::activeModalWidget());
        if (sheet == nullptr) {
            ADD_FAILURE() << "no sheet";
            frame.RequestExit();
            return;
        }
        sheet->Tabs()->setCurrentIndex(1);
        qobject_cast<SteppedValue*>(sheet->control(1019))->upButton()->click();
        sheet->OkButton()->click();
    });
    action("actionSystemConfig")->trigger();
    EXPECT_EQ(told, std::vector<bool>{true});
    bool fitted = false;
    m_store.ReadPAOption(fitted);
    EXPECT_TRUE(fitted);
}

// --- Toolbar commands -------------------------------------------------------------------------

struct ToolCase {
    const char* name;
    const char* action;
    const char* logLine;
    std::vector<std::string> wire;  // commands expected after start-up, without ";"
};
ROW_NAME(ToolCase, row.name);

const std::vector<ToolCase> kToolCases = {
    {"AbortTx", "actionAbortTx", "Aborting CW Transmit", {"KY @"}},
    {"SendRadioInfo",
     "actionSendRadioInfo",
     "Sending Current Radio Info",
     {"IF", "FA", "FB", "PA", "RA", "FW", "GT", "KS", "PC", "AN", "NB", "SQ", "LK"}},
};

class ToolbarCommandTest : public MainFrameTest, public ::testing::WithParamInterface<ToolCase> {};

TEST_P(ToolbarCommandTest, PortOpenSendsTheCommands) {
    const ToolCase& row = GetParam();
    setLoggingMode(0x80);
    openRadio();
    makeFrame();
    const std::size_t before = m_sim->commandCount();
    action(row.action)->trigger();

    ASSERT_TRUE(waitForViewText(QString::fromLatin1(row.logLine)));
    ASSERT_TRUE(m_sim->waitForCommand(row.wire.back(), 3s, before).has_value());
    std::vector<std::string> sent;
    for (const auto& command : m_sim->commands()) {
        if (command.index >= before) {
            sent.push_back(command.text);
        }
    }
    EXPECT_EQ(sent, row.wire);
}

TEST_P(ToolbarCommandTest, PortClosedOnlyLogs) {
    const ToolCase& row = GetParam();
    setLoggingMode(0x80);
    // The radio is there, but the port was never opened.
    sim::K2SimulatorOptions options;
    options.folder = m_dir / "serial";
    m_sim = std::make_unique<sim::K2Simulator>(options);
    ASSERT_TRUE(m_sim->start().ok());
    makeFrame();
    action(row.action)->trigger();
    ASSERT_TRUE(waitForViewText(QString::fromLatin1(row.logLine)));
    EXPECT_EQ(m_sim->commandCount(), 0u);
}

INSTANTIATE_TEST_SUITE_P(Rows, ToolbarCommandTest, ::testing::ValuesIn(kToolCases), CaseName());

TEST_F(MainFrameTest, ToolbarButtonsCarryStatusTipsAndTooltips) {
    makeFrame();
    EXPECT_EQ(action("actionAbortTx")->statusTip(), "Turn OFF TX");
    EXPECT_EQ(action("actionAbortTx")->toolTip(), "Abort TX");
    EXPECT_EQ(action("actionSendRadioInfo")->statusTip(), "Send Current Radio Info to Pelorin");
    EXPECT_EQ(action("actionSendRadioInfo")->toolTip(), "Send Radio Info");
    EXPECT_FALSE(action("actionAbortTx")->icon().isNull());
    EXPECT_FALSE(action("actionSendRadioInfo")->icon().isNull());
}

// --- Log windows ------------------------------------------------------------------------------

TEST_F(MainFrameTest, ClosedLogWindowLeavesOnlyTheStatusBarUntilFileNew) {
    setLoggingMode(0xE0);
    CMainFrame& frame = makeFrame();
    EXPECT_EQ(frame.windowTitle(), "Brakton");
    ASSERT_EQ(frame.LogWindowCount(), 1);
    EXPECT_TRUE(menuShown("menuEdit"));
    EXPECT_TRUE(menuShown("menuConfig"));
    EXPECT_TRUE(menuShown("menuRadio"));
    QMdiSubWindow* logFrame = frame.MdiArea()->subWindowList().front();
    EXPECT_TRUE(logFrame->isMaximized());
    EXPECT_FALSE(logFrame->windowFlags() & Qt::WindowSystemMenuHint);
    EXPECT_FALSE(logFrame->windowFlags() & Qt::WindowCloseButtonHint);
    EXPECT_TRUE(frame.LogView()->isReadOnly());

    logFrame->close();
    ASSERT_TRUE(runEventsUntil([&] { return frame.LogWindowCount() == 0; }));
    EXPECT_EQ(frame.LogView(), nullptr);
    EXPECT_FALSE(menuShown("menuEdit"));
    EXPECT_FALSE(menuShown("menuConfig"));
    EXPECT_FALSE(menuShown("menuRadio"));
    EXPECT_TRUE(menuShown("menuFile"));
    EXPECT_TRUE(menuShown("menuHelp"));

    LogMessage(kLogModeTimeStamped, kLogLevelInformation, "nowhere to show");
    ASSERT_TRUE(runEventsUntil(
        [&] { return frame.statusBar()->currentMessage().contains("nowhere to show"); }));

    action("actionFileNew")->trigger();
    EXPECT_EQ(frame.LogWindowCount(), 1);
    EXPECT_TRUE(menuShown("menuConfig"));
    LogMessage(kLogModeTimeStamped, kLogLevelInformation, "back again");
    ASSERT_TRUE(waitForViewText("back again"));
    EXPECT_FALSE(viewText().contains("nowhere to show"));
}

TEST_F(MainFrameTest, NewestLogWindowReceivesTheRecords) {
    setLoggingMode(0xE0);
    CMainFrame& frame = makeFrame();
    CLogView* first = frame.LogView();
    frame.OnFileNew();
    CLogView* second = frame.LogView();
    ASSERT_NE(first, second);
    LogMessage(kLogModeTimeStamped, kLogLevelInformation, "to the newest");
    ASSERT_TRUE(waitForViewText("to the newest"));
    EXPECT_FALSE(first->toPlainText().contains("to the newest"));

    // With the newest closed, the older window stays but records go to the status bar only.
    frame.MdiArea()->subWindowList().back()->close();
    ASSERT_TRUE(runEventsUntil([&] { return frame.LogView() == nullptr; }));
    EXPECT_TRUE(menuShown("menuConfig"));
    LogMessage(kLogModeTimeStamped, kLogLevelInformation, "status only");
    ASSERT_TRUE(runEventsUntil(
        [&] { return frame.statusBar()->currentMessage().contains("status only"); }));
    EXPECT_FALSE(first->toPlainText().contains("status only"));
}

// Counts the records that reach the frame; the count lives in the test, so it can be read once
// the frame is gone.
class CountingFrame : public CMainFrame {
  public:
    CountingFrame(brakton::CServerRegistryStore& store, CMessageLoggerThread& logger,
                  CK2RadioPort& radio, int& delivered)
        : CMainFrame(store, logger, radio, [] { return false; }), m_delivered(delivered) {}

    void OnLogRecord(int level, const std::string& text) override {
        ++m_delivered;
        CMainFrame::OnLogRecord(level, text);
    }

  private:
    int& m_delivered;
};

// The logger outlives the frame and keeps the frame's display sink. A record logged after the
// frame has gone still reaches the file; its queued call to the frame is dropped. Were it not,
// the call would reach a destroyed frame: a crash or a second count here, a use-after-free
// report in the sanitizer tree.
TEST_F(MainFrameTest, RecordsAfterTheFrameIsGoneAreDropped) {
    setLoggingMode(0xE0);
    int delivered = 0;
    m_frame = std::make_unique<CountingFrame>(m_store, m_logger, *m_radio, delivered);
    LogParams params;  // no sink given: the frame's stays
    params.enabled = true;
    params.level = 3;
    params.destination = kLogToScreenAndFile;
    params.hasFileInfo = true;
    params.directory = m_dir.string();
    params.fileName = "frame.log";
    m_logger.PostParams(params);
    LogMessage(kLogModeTimeStamped, kLogLevelInformation, "while shown");
    ASSERT_TRUE(runEventsUntil([&] { return delivered == 1; }));

    m_frame.reset();
    LogMessage(kLogModeTimeStamped, kLogLevelInformation, "late record");
    ASSERT_TRUE(m_logger.stop());                 // writes the buffered lines
    runEventsUntil([] { return false; }, 100ms);  // runs the queued call for the late record
    EXPECT_EQ(delivered, 1);
    std::ifstream in(m_dir / "frame.log", std::ios::binary);
    const std::string file{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    EXPECT_NE(file.find("while shown"), std::string::npos) << file;
    EXPECT_NE(file.find("late record"), std::string::npos) << file;
}

TEST(LogViewTest, ShowsTheModelTextWithPlainLineEnds) {
    CLogView view;
    view.AppendLogText(2, "a\r\nb");
    view.AppendLogText(2, "c");
    EXPECT_EQ(view.toPlainText(), "a\nbc\n");
    EXPECT_EQ(view.Model().Text(), "a\r\nbc\r\n");

    // At 400 lines the window starts afresh with the next piece.
    for (int i = 0; i < 397; ++i) {
        view.AppendLogText(2, "line " + std::to_string(i));
    }
    ASSERT_EQ(view.Model().LineCount(), 400u);
    EXPECT_TRUE(view.toPlainText().startsWith("a\nbc\nline 0\n"));
    EXPECT_TRUE(view.toPlainText().endsWith("line 396\n"));
    view.AppendLogText(2, "fresh");
    EXPECT_EQ(view.toPlainText(), "fresh\n");
}

}  // namespace
