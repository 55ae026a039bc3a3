// The configuration sheet and the COM-port diagnostic dialog end to end: the real main frame,
// settings store, radio object and serial layer against simulated radios on pseudo-terminals,
// driven through the frame's commands; and the next start of the real Brakton program on the
// settings the sheet saved.

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "../integration/brakton_fixture.h"
#include "controls/stepped_value.h"
#include "platform/message_service.h"
#include "platform/serial_port.h"
#include "radio_port_fakes.h"
#include "radiolink/k2_radio_port.h"
#include "radiolink/k2_status.h"
#include "server/k2_com_port_diag_dlg.h"
#include "server/log_view.h"
#include "server/main_frame.h"
#include "server/message_logger_thread.h"
#include "server/orvo_cfg.h"
#include "server/server_registry_store.h"
#include "sim/k2_simulator.h"
#include "tests/support/event_wait.h"

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using brakton::CK2ComPortDiagDlg;
using brakton::COrvoCfg;

constexpr auto kPollPeriod = 200ms;

using test_events::runEventsUntil;
using test_radio::RecordingLog;

void runEventsFor(std::chrono::milliseconds span) {
    runEventsUntil([] { return false; }, span);
}

// Runs `drive` once a modal dialog of type T is up; the dialog's own event loop runs it.
template <class T>
void whenModal(std::function<void(T&)> drive) {
    auto* timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, drive] {
        if (auto* dialog = qobject_cast<T*>(QApplication::activeModalWidget())) {
            timer->stop();
            timer->deleteLater();
            drive(*dialog);
        }
    });
    timer->start();
}

void clickUp(QWidget* control) {
    QTest::mouseClick(qobject_cast<SteppedValue*>(control)->upButton(), Qt::LeftButton);
}

std::size_t countCommands(const sim::K2Simulator& radio, const std::string& text,
                          std::size_t from = 0) {
    std::size_t n = 0;
    for (const auto& command : radio.commands()) {
        n += command.index >= from && command.text == text ? 1 : 0;
    }
    return n;
}

std::vector<std::string> readLines(const fs::path& file) {
    std::vector<std::string> lines;
    std::ifstream in(file);
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    return lines;
}

// One process: the frame, the store, the radio object, a logger; simulated radios on demand.
class ConfigE2ETest : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "config-e2e-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        m_dir = pattern;
        m_config = m_dir / "config";
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope,
                           QString::fromStdString(m_config.string()));
        m_messages = m_dir / "messages.log";
        setenv("ORVO_MESSAGE_LOG", m_messages.c_str(), 1);
        MessageService::queueAnswers({});
        fs::create_directories(serialDir());
        m_store.CreateDefaults();  // "Comm Port": COM1, 4800, None, 1

        RadioPortServices services;
        services.log = &m_log;
        services.serialDir = serialDir();
        services.replyPollInterval = 20ms;
        services.statusPollPeriod = kPollPeriod;
        m_radio = std::make_unique<CK2RadioPort>(services, 0);
    }

    void TearDown() override {
        m_frame.reset();
        if (m_radio) {
            m_radio->CloseRadioPort();
        }
        m_logger.stop();
        m_sims.clear();
        m_radio.reset();
        MessageService::queueAnswers({});
        unsetenv("ORVO_MESSAGE_LOG");
        std::error_code ignored;
        fs::remove_all(m_dir, ignored);
    }

    fs::path serialDir() const { return m_dir / "serial"; }
    fs::path iniPath() const { return m_config / "N0CALL Software" / "Rig Control.ini"; }

    sim::K2Simulator& startSim(unsigned com) {
        sim::K2SimulatorOptions options;
        options.folder = serialDir();
        options.com = com;
        auto& radio = m_sims[com];
        radio = std::make_unique<sim::K2Simulator>(options);
        EXPECT_TRUE(radio->start().ok());
        return *radio;
    }

    // What start-up does: open the stored port.
    std::uint32_t startUp() {
        std::uint8_t port = 0;
        std::uint16_t speed = 0;
        std::uint8_t parity = 0;
        std::uint8_t stopBits = 0;
        m_store.ReadCommPort(port, speed, parity, stopBits);
        return m_radio->OpenRadioPort(port, speed, 8, parity, stopBits);
    }

    CMainFrame& makeFrame() {
        m_frame = std::make_unique<CMainFrame>(m_store, m_logger, *m_radio, [] { return false; });
        m_frame->show();
        return *m_frame;
    }

    QAction* action(const char* name) const {
        return m_frame->findChild<QAction*>(QString::fromLatin1(name));
    }

    // Radio > Check Radio COM Port, answered Yes, with `drive` run in the open dialog.
    void checkComPort(std::function<void(CK2ComPortDiagDlg&)> drive) {
        MessageService::queueAnswers({true});
        whenModal<CK2ComPortDiagDlg>(std::move(drive));
        action("actionCheckComPort")->trigger();
    }

    static void tryPort(CK2ComPortDiagDlg& dialog) {
        MessageService::queueAnswers({true});
        qobject_cast<QAbstractButton*>(dialog.control(1068))->click();
    }

    fs::path m_dir;
    fs::path m_config;
    fs::path m_messages;
    brakton::CServerRegistryStore m_store;
    CMessageLoggerThread m_logger;
    RecordingLog m_log;
    std::unique_ptr<CK2RadioPort> m_radio;
    std::map<unsigned, std::unique_ptr<sim::K2Simulator>> m_sims;
    std::unique_ptr<CMainFrame> m_frame;
};

TEST_F(ConfigE2ETest, SheetSavesThePortAndTheDialogMovesTheWire) {
    sim::K2Simulator& com1 = startSim(1);
    sim::K2Simulator& com2 = startSim(2);
    // NB lit on the second radio's display.
    com2.setDisplayFrames({sim::DisplayFrame{std::nullopt, std::uint8_t{0xC0}, std::nullopt}});
    ASSERT_EQ(startUp(), K2ERR_NONE);
    ASSERT_TRUE(com1.waitForCommand("AI3", 5s));
    CMainFrame& frame = makeFrame();

    whenModal<COrvoCfg>([](COrvoCfg& sheet) {
        sheet.Tabs()->setCurrentIndex(1);
        clickUp(sheet.control(1001));  // COM2
        clickUp(sheet.control(1005));  // 9600
        sheet.OkButton()->click();
    });
    action("actionSystemConfig")->trigger();
    {
        const QSettings file(QSettings::IniFormat, QSettings::UserScope,
                             QStringLiteral("N0CALL Software"), QStringLiteral("Rig Control"));
        EXPECT_EQ(file.value(QStringLiteral("Comm Port/Port")).toString(), QStringLiteral("2"));
        EXPECT_EQ(file.value(QStringLiteral("Comm Port/Speed")).toString(), QStringLiteral("9600"));
    }

    // The sheet never touches the open port.
    const std::size_t com1Before = com1.commandCount();
    action("actionSendRadioInfo")->trigger();
    EXPECT_TRUE(com1.waitForCommand("IF", 5s, com1Before));
    EXPECT_EQ(com2.commandCount(), 0u);

    std::size_t com1AtTry = 0;
    std::size_t dsAtDone = 0;
    checkComPort([&](CK2ComPortDiagDlg& dialog) {
        EXPECT_EQ(qobject_cast<QLabel*>(dialog.control(1070))->text(), QStringLiteral(" COM2"));
        tryPort(dialog);
        // A display poll already under way may reach COM1; nothing goes there after the move.
        com1AtTry = com1.commandCount();
        EXPECT_TRUE(com2.waitForCommand("K22", 5s));
        EXPECT_TRUE(com2.waitForCommand("AI3", 5s));
        EXPECT_TRUE(com2.waitForCommand("DS", 5s));
        const auto line = com2.lineSettings();
        ASSERT_TRUE(line.has_value());
        EXPECT_EQ(line->baud, 4800u);  // the last open's line
        EXPECT_TRUE(runEventsUntil([&] { return dialog.DisplayText().contains("14060.00"); }))
            << dialog.DisplayText().toStdString();
        EXPECT_EQ(dialog.IndicatorColor(brakton::kIndNB), brakton::kIndicatorOn);
        EXPECT_EQ(dialog.IndicatorColor(brakton::kIndXIT), brakton::kIndicatorOff);
        dsAtDone = countCommands(com2, "DS");
        qobject_cast<QAbstractButton*>(dialog.control(1))->click();
    });
    EXPECT_EQ(com1.commandCount(), com1AtTry);
    EXPECT_GT(dsAtDone, 0u);

    // Out of diagnostic mode nothing polls the display any more.
    runEventsFor(3 * kPollPeriod);
    const std::size_t settled = countCommands(com2, "DS");
    runEventsFor(3 * kPollPeriod);
    EXPECT_EQ(countCommands(com2, "DS"), settled);
    (void)frame;
}

// A missing device cannot be tried; once it is there but held by another program, a Try fails
// and the working radio stays open and in use; a try of that one works again.
TEST_F(ConfigE2ETest, MissingPortIsRefusedAndTheWorkingOneCanBeTriedAgain) {
    sim::K2Simulator& com1 = startSim(1);
    fs::create_symlink(serialDir() / "gone", serialDir() / "com3");
    ASSERT_EQ(startUp(), K2ERR_NONE);
    ASSERT_TRUE(com1.waitForCommand("AI3", 5s));
    makeFrame();
    std::ifstream iniIn(iniPath(), std::ios::binary);
    const std::string iniBefore{std::istreambuf_iterator<char>(iniIn), {}};
    std::size_t messagesBefore = 0;

    checkComPort([&](CK2ComPortDiagDlg& dialog) {
        messagesBefore = readLines(m_messages).size();  // the frame's question included
        auto* tryButton = qobject_cast<QAbstractButton*>(dialog.control(1068));
        dialog.OnPortDeltaPos(-1);
        dialog.OnPortDeltaPos(-1);  // COM3
        EXPECT_EQ(dialog.DeviceLine().toStdString(),
                  "Device: " + (serialDir() / "gone").string() + " (missing)");
        EXPECT_FALSE(tryButton->isEnabled());
        tryPort(dialog);  // refused without a question
        MessageService::queueAnswers({});
        EXPECT_EQ(readLines(m_messages).size(), messagesBefore);

        // The adapter is plugged in, held by another program.
        fs::remove(serialDir() / "com3");
        sim::K2Simulator& com3 = startSim(3);
        platform::SerialPort holder(serialDir());
        ASSERT_TRUE(holder.open(3, platform::SerialSettings{}).ok());
        EXPECT_TRUE(runEventsUntil([&] { return tryButton->isEnabled(); }, 2s));
        EXPECT_EQ(dialog.DeviceLine().toStdString(), "Device: " + com3.devicePath().string());
        tryPort(dialog);
        EXPECT_FALSE(dialog.control(1069)->isEnabled());
        const auto lines = readLines(m_messages);
        std::size_t errors = 0;
        for (std::size_t i = messagesBefore; i < lines.size(); ++i) {
            errors += lines[i] == "error\tError occurred in Opening Radio Port?" ? 1 : 0;
        }
        EXPECT_EQ(errors, 1u);
        bool logged = false;
        for (const auto& line : m_log.lines()) {
            logged = logged || line.rfind("Cannot open COM3: busy (", 0) == 0;
        }
        EXPECT_TRUE(logged);
        // COM1 is still the radio's port and still polled.
        EXPECT_TRUE(m_radio->IsOpen());
        EXPECT_EQ(m_radio->PortNumber(), 1);
        const std::size_t polled = com1.commandCount();
        EXPECT_TRUE(com1.waitForCommand("DS", 5s, polled));

        dialog.OnPortDeltaPos(1);
        dialog.OnPortDeltaPos(1);  // COM1 again
        EXPECT_TRUE(runEventsUntil([&] { return dialog.control(1069)->isEnabled(); }));
        const std::size_t from = com1.commandCount();
        tryPort(dialog);
        EXPECT_TRUE(com1.waitForCommand("DS", 5s, from));
        EXPECT_TRUE(runEventsUntil([&] { return dialog.control(1069)->isEnabled(); }));
        qobject_cast<QAbstractButton*>(dialog.control(1))->click();
    });
    std::ifstream iniAfter(iniPath(), std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(iniAfter), {}), iniBefore);
}

// With the radio link's real pauses the GUI thread is held while Try works; two clicks on Try
// that come meanwhile are dropped, not turned into a second question.
TEST_F(ConfigE2ETest, ClicksQueuedDuringATryAskNoSecondQuestion) {
    sim::K2Simulator& com1 = startSim(1);
    startSim(2);
    ASSERT_EQ(startUp(), K2ERR_NONE);
    ASSERT_TRUE(com1.waitForCommand("AI3", 5s));
    makeFrame();
    checkComPort([&](CK2ComPortDiagDlg& dialog) {
        dialog.OnPortDeltaPos(-1);  // COM2
        QWidget* tryButton = dialog.control(1068);
        const QPointF centre = QRectF(tryButton->rect()).center();
        std::thread clicker([tryButton, centre] {
            std::this_thread::sleep_for(150ms);
            for (int i = 0; i < 2; ++i) {
                for (const QEvent::Type type :
                     {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
                    QCoreApplication::postEvent(
                        tryButton, new QMouseEvent(type, centre, tryButton->mapToGlobal(centre),
                                                   Qt::LeftButton,
                                                   type == QEvent::MouseButtonPress
                                                       ? Qt::MouseButtons(Qt::LeftButton)
                                                       : Qt::MouseButtons(Qt::NoButton),
                                                   Qt::NoModifier));
                }
            }
        });
        tryPort(dialog);
        clicker.join();
        runEventsFor(500ms);
        EXPECT_EQ(m_radio->PortNumber(), 2);
        qobject_cast<QAbstractButton*>(dialog.control(1))->click();
    });
    std::size_t questions = 0;
    for (const auto& line : readLines(m_messages)) {
        questions += line.rfind("question\tTrying new COM port", 0) == 0 ? 1 : 0;
    }
    EXPECT_EQ(questions, 1u);
}

TEST_F(ConfigE2ETest, TryAfterAFailedStartStartsTheRadio) {
    fs::create_symlink(serialDir() / "gone", serialDir() / "com1");
    ASSERT_NE(startUp(), K2ERR_NONE);
    makeFrame();
    sim::K2Simulator& com1 = startSim(1);
    checkComPort([&](CK2ComPortDiagDlg& dialog) {
        tryPort(dialog);
        EXPECT_TRUE(com1.waitForCommand("K22", 5s));
        EXPECT_TRUE(com1.waitForCommand("AI3", 5s));
        EXPECT_TRUE(com1.waitForCommand("DS", 5s));
        EXPECT_TRUE(runEventsUntil([&] { return dialog.DisplayText() != "Elecraft"; }));
        qobject_cast<QAbstractButton*>(dialog.control(1))->click();
    });
}

// File > Exit while the dialog is open ends diagnostic mode: the display-only polling stops and
// the radio's replies reach the connected client again.
TEST_F(ConfigE2ETest, ExitInTheDialogLeavesDiagnosticMode) {
    class Client final : public ClientNotifier, public ClientConnection {
      public:
        bool NotifyCmd(int, std::string_view) override {
            ++count;
            return true;
        }
        bool NotifyTextMessageSent(int, std::string_view) override { return true; }
        bool NotifyTextMessageEmpty() override { return true; }
        bool IsClientConnected() const override { return true; }
        std::size_t replies() const { return count.load(); }
        std::atomic<std::size_t> count{0};
    };
    Client client;
    RadioPortServices services;
    services.log = &m_log;
    services.notifier = &client;
    services.client = &client;
    services.serialDir = serialDir();
    services.replyPollInterval = 20ms;
    services.statusPollPeriod = kPollPeriod;
    m_radio = std::make_unique<CK2RadioPort>(services, 0);

    sim::K2Simulator& com1 = startSim(1);
    ASSERT_EQ(startUp(), K2ERR_NONE);
    ASSERT_TRUE(com1.waitForCommand("AI3", 5s));
    m_radio->SetNotifierAddress(NOTIFIER_CORBA);
    CMainFrame& frame = makeFrame();
    bool opened = false;
    std::size_t inDialog = 0;
    checkComPort([&](CK2ComPortDiagDlg&) {
        opened = true;
        runEventsFor(3 * kPollPeriod);
        inDialog = client.replies();
        frame.RequestExit();
    });
    EXPECT_TRUE(opened);
    EXPECT_FALSE(frame.isVisible());
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    // The client's polling is back: the bar graph is asked again, and the replies reach it.
    const std::size_t from = com1.commandCount();
    EXPECT_TRUE(com1.waitForCommand("BG", 5s, from));
    const auto deadline = std::chrono::steady_clock::now() + 5s;
    while (client.replies() <= inDialog && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(20ms);
    }
    EXPECT_GT(client.replies(), inDialog);
    // The radio calls the client until it is gone.
    m_frame.reset();
    m_radio->CloseRadioPort();
    m_radio.reset();
}

// The sheet saves COM2, 9600, None and 2 stop bits; the real Brakton started on that settings
// folder opens COM2 with them.
TEST(ConfigNextStartTest, BraktonOpensThePortTheSheetSaved) {
    e2e::BraktonRig rig;
    ASSERT_TRUE(rig.startNaming()) << rig.error();
    e2e::Settings settings;
    settings.commPort = 1;
    rig.writeSettings(settings);  // points this process's settings at the rig's folder
    const fs::path messages = rig.dir() / "sheet-messages.log";
    setenv("ORVO_MESSAGE_LOG", messages.c_str(), 1);
    {
        brakton::CServerRegistryStore store;
        COrvoCfg sheet(store, rig.serialDir(), {}, nullptr, [](const std::string&) {});
        sheet.show();
        // The sheet offers naming ports up to 32000; the rig's may lie above. Any valid one
        // does here, and the rig's goes back after the sheet.
        auto* nsPort = qobject_cast<QLineEdit*>(sheet.control(1065));
        nsPort->setText(QStringLiteral("10000"));
        sheet.Tabs()->setCurrentIndex(1);
        clickUp(sheet.control(1001));  // COM2
        clickUp(sheet.control(1005));  // 9600
        clickUp(sheet.control(1012));  // 2 stop bits
        sheet.OkButton()->click();
        EXPECT_FALSE(sheet.isVisible()) << readFile(messages);
        store.WriteNameService("127.0.0.1", static_cast<std::uint32_t>(rig.naming().port()));
    }
    unsetenv("ORVO_MESSAGE_LOG");

    sim::K2SimulatorOptions options;
    options.folder = rig.serialDir();
    options.com = 2;
    sim::K2Simulator com2(options);
    ASSERT_TRUE(com2.start().ok());
    ASSERT_TRUE(rig.startBrakton()) << rig.error();
    const auto k2 = com2.waitForCommand("K22", 15s);
    const auto ai = com2.waitForCommand("AI3", 15s);
    ASSERT_TRUE(k2.has_value()) << readFile(rig.brakton().stderrPath());
    ASSERT_TRUE(ai.has_value());
    // The radio itself runs at 4800 baud and would ignore them; the line is what counts here.
    const auto line = com2.lineSettings();
    ASSERT_TRUE(line.has_value());
    EXPECT_EQ(line->baud, 9600u);
    EXPECT_EQ(line->stopBits, 2);
    EXPECT_EQ(line->parity, 'N');
    rig.brakton().stop();
}

}  // namespace
