#include "server/k2_com_port_diag_dlg.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <QToolButton>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <ostream>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "../unit/server/store_fixture.h"
#include "controls/cx_shade_button.h"
#include "controls/static_ex.h"
#include "controls/stepped_value.h"
#include "platform/message_service.h"
#include "platform/serial_port.h"
#include "radio_port_fakes.h"
#include "radiolink/k2_radio_port.h"
#include "radiolink/k2_status.h"
#include "server/server_registry_store.h"
#include "sim/k2_simulator.h"
#include "tests/support/event_wait.h"
#include "tests/support/row_names.h"

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using brakton::CK2ComPortDiagDlg;

using test_events::runEventsUntil;
using test_radio::NoPauseSleeper;
using test_radio::RecordingLog;

const std::string kTryQuestion =
    "question\tTrying new COM port may cause undesirable\\nResult in COM port operation\\n"
    "Do you still want to proceed?\t";
const std::string kSelectQuestion =
    "question\tSaving current COM port as the default Brakton COM port?\t";
const std::string kOpenFailed = "error\tError occurred in Opening Radio Port?";

std::string commPortIni(const std::string& port, const std::string& speed = "4800",
                        const std::string& parity = "0") {
    return "[Comm%20Port]\nPort=" + port + "\nSpeed=" + speed + "\nParity=" + parity +
           "\nStop%20bit=1\n";
}

// The widget's picture, kept under the build tree for looking at.
void saveScreenshot(QWidget& widget, const char* name) {
    std::filesystem::create_directories(BRAKTON_SCREENSHOT_DIR);
    QCoreApplication::processEvents();
    ASSERT_TRUE(widget.grab().toImage().save(QString::fromLatin1(BRAKTON_SCREENSHOT_DIR "/") +
                                             QString::fromLatin1(name)));
}

// A real radio object and serial layer, simulated radios on com1 and com2 of the test's
// serial folder, a fresh settings file.
class ComPortDiagTest : public StoreFixture {
  public:
    void SetUp() override {
        StoreFixture::SetUp();
        MessageService::queueAnswers({});
        RadioPortServices services = test_radio::quickPolls(m_sleeper, serialDir(), 100ms);
        services.log = &m_log;
        m_radio = std::make_unique<CK2RadioPort>(services, 0);
        // COM3 names a device that is not there, whatever this machine has.
        fs::create_directories(serialDir());
        fs::create_symlink(serialDir() / "gone", serialDir() / "com3");
    }
    void TearDown() override {
        if (m_dialog) {
            m_radio->ExitCOMPortDiagMode();
        }
        m_dialog.reset();
        m_holder.reset();
        m_radio->CloseRadioPort();
        m_sims.clear();
        m_radio.reset();
        MessageService::queueAnswers({});
        StoreFixture::TearDown();
    }

    fs::path serialDir() const { return m_dir / "serial"; }

    sim::K2Simulator& startSim(unsigned com) {
        sim::K2SimulatorOptions options;
        options.folder = serialDir();
        options.com = com;
        options.timeScale = 20;
        auto& radio = m_sims[com];
        radio = std::make_unique<sim::K2Simulator>(options);
        EXPECT_TRUE(radio->start().ok());
        return *radio;
    }

    // Start-up found nothing on COM1: no port open, the line settings remembered.
    void failedStart() {
        fs::create_symlink(serialDir() / "gone", serialDir() / "com1");
        ASSERT_NE(m_radio->OpenRadioPort(1, 4800, 8, 0, 1), K2ERR_NONE);
    }

    // Another program holds COM `com`, a radio that answers.
    void holdPort(unsigned com) {
        startSim(com);
        m_holder = std::make_unique<platform::SerialPort>(serialDir());
        ASSERT_TRUE(m_holder->open(com, platform::SerialSettings{}).ok());
    }

    void openCom1() {
        startSim(1);
        ASSERT_EQ(m_radio->OpenRadioPort(1, 4800, 8, 0, 1), K2ERR_NONE);
        ASSERT_TRUE(m_sims[1]->waitForCommand("AI3", 2s).has_value());
    }

    CK2ComPortDiagDlg& openDialog() {
        m_dialog = std::make_unique<CK2ComPortDiagDlg>(m_store, *m_radio);
        m_radio->EnterCOMPortDiagMode(m_dialog.get());
        m_dialog->show();
        return *m_dialog;
    }

    QAbstractButton* button(int id) const {
        return qobject_cast<QAbstractButton*>(m_dialog->control(id));
    }
    void step(int delta) {
        auto* updown = qobject_cast<SteppedValue*>(m_dialog->control(1071));
        QTest::mouseClick(delta < 0 ? updown->upButton() : updown->downButton(), Qt::LeftButton);
    }
    QString portText() const { return qobject_cast<CStaticEx*>(m_dialog->control(1070))->text(); }

    brakton::CServerRegistryStore m_store;
    RecordingLog m_log;
    NoPauseSleeper m_sleeper;
    std::unique_ptr<platform::SerialPort> m_holder;
    std::unique_ptr<CK2RadioPort> m_radio;
    std::map<unsigned, std::unique_ptr<sim::K2Simulator>> m_sims;
    std::unique_ptr<CK2ComPortDiagDlg> m_dialog;
};

TEST_F(ComPortDiagTest, OpensWithTheStoredPortAndSilverIndicators) {
    writeIni(commPortIni("2"));
    sim::K2Simulator& radio = startSim(2);
    CK2ComPortDiagDlg& dialog = openDialog();
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("K2 COM Port Diagnostics"));
    EXPECT_EQ(portText(), QStringLiteral(" COM2"));
    EXPECT_EQ(dialog.DisplayText(), QStringLiteral("Elecraft"));
    for (int i = 0; i < brakton::kIndCount; ++i) {
        EXPECT_EQ(dialog.IndicatorColor(i), brakton::kIndicatorOff) << i;
    }
    EXPECT_EQ(dialog.DeviceLine().toStdString(), "Device: " + radio.devicePath().string());
    step(-1);
    EXPECT_EQ(portText(), QStringLiteral(" COM3"));
    EXPECT_EQ(dialog.DeviceLine().toStdString(),
              "Device: " + (serialDir() / "gone").string() + " (missing)");
    EXPECT_EQ(qobject_cast<CxShadeButton*>(dialog.control(1068))->text(),
              QStringLiteral("Try Port"));
    EXPECT_EQ(qobject_cast<CStaticEx*>(dialog.control(1072))->text(), QStringLiteral("NB"));
}

// Replies come on another thread; they reach the display only while the dialog is shown.
TEST_F(ComPortDiagTest, RepliesReachTheDisplayOnlyWhileShown) {
    writeIni(commPortIni("1"));
    m_dialog = std::make_unique<CK2ComPortDiagDlg>(m_store, *m_radio);
    CK2ComPortDiagDlg& dialog = *m_dialog;
    const auto fromThread = [&](const std::string& text) {
        std::thread([&dialog, text] { dialog.OnRadioReply(5, text); }).join();
        QCoreApplication::processEvents();
    };
    fromThread("DS  3560.00c000");  // before show
    dialog.show();
    EXPECT_EQ(dialog.DisplayText(), QStringLiteral("Elecraft"));

    fromThread("DS  7040.004001");
    ASSERT_TRUE(runEventsUntil([&] { return dialog.DisplayText() == "  7040.00"; }));
    EXPECT_EQ(dialog.IndicatorColor(brakton::kIndNB), brakton::kIndicatorOn);
    EXPECT_EQ(dialog.IndicatorColor(brakton::kIndXIT), brakton::kIndicatorSecond);
    EXPECT_EQ(dialog.IndicatorColor(brakton::kIndRIT), brakton::kIndicatorOff);

    fromThread("DS@@7040");  // too short to have been translated: no change
    fromThread("FA00007040000");
    EXPECT_EQ(dialog.DisplayText(), QStringLiteral("  7040.00"));

    dialog.OnRadioReply(5, "DS 14060.000000");  // posted, then the dialog closes
    dialog.accept();
    fromThread("DS 21060.000000");
    QCoreApplication::processEvents();
    EXPECT_EQ(dialog.DisplayText(), QStringLiteral("  7040.00"));
}

TEST_F(ComPortDiagTest, Screenshots) {
    writeIni(commPortIni("1"));
    openCom1();
    CK2ComPortDiagDlg& dialog = openDialog();
    saveScreenshot(dialog, "brakton-comport-diag.png");
    m_radio->ExitCOMPortDiagMode();  // only the reply below reaches the dialog
    dialog.OnRadioReply(5, "DS  7040.004001");
    ASSERT_TRUE(runEventsUntil([&] { return dialog.DisplayText() == "  7040.00"; }));
    saveScreenshot(dialog, "brakton-comport-diag-ds.png");
    m_radio->EnterCOMPortDiagMode(&dialog);
}

// --- Try Port and Select Port --------------------------------------------------------------

struct TryCase {
    const char* name;
    std::string ini;
    std::function<void(ComPortDiagTest&)> before;  // port opens, simulators
    std::function<void(ComPortDiagTest&)> act;     // in the open dialog
    bool tryEnabled;
    bool selectEnabled;
    std::vector<std::string> messages;
    std::map<std::string, std::string> stored;  // "Comm Port" values afterwards
};
ROW_NAME(TryCase, row.name);

class ComPortTryTest : public ComPortDiagTest, public ::testing::WithParamInterface<TryCase> {};

TEST_P(ComPortTryTest, ButtonsQuestionsAndWrites) {
    const TryCase& row = GetParam();
    writeIni(row.ini);
    if (row.before) {
        row.before(*this);
    }
    openDialog();
    row.act(*this);
    ASSERT_TRUE(runEventsUntil([&] {
        return button(1068)->isEnabled() == row.tryEnabled &&
               button(1069)->isEnabled() == row.selectEnabled;
    })) << "try "
        << button(1068)->isEnabled() << " select " << button(1069)->isEnabled();
    // Select Port, whether or not it can act: questions and writes follow the table.
    MessageService::queueAnswers({true});
    m_dialog->OnSelectPort();
    MessageService::queueAnswers({});
    EXPECT_EQ(messages(), row.messages);
    const auto values = settingsFileValues();
    for (const auto& [name, value] : row.stored) {
        EXPECT_EQ(values.at("Comm Port/" + name), value) << name;
    }
}

void tryPort(ComPortDiagTest& t) {
    MessageService::queueAnswers({true});
    t.button(1068)->click();
    MessageService::queueAnswers({});
}

// The steps several rows share: what runs before the dialog opens and what is done in it.
void com1OpenAndARadioOnCom2(ComPortDiagTest& t) {
    t.openCom1();
    t.startSim(2);
}

void failedStartAndARadioOnCom2(ComPortDiagTest& t) {
    t.failedStart();
    t.startSim(2);
}

void tryTheNextPort(ComPortDiagTest& t) {
    t.step(-1);
    tryPort(t);
}

const TryCase kTries[] = {
    {"StoredPortIsOpen",
     commPortIni("1"),
     [](ComPortDiagTest& t) { t.openCom1(); },
     [](ComPortDiagTest&) {},
     true,
     true,
     {kSelectQuestion + "Yes"},
     {{"Port", "1"}}},
    {"AfterAGoodTryOfAnotherPort",
     commPortIni("1"),
     com1OpenAndARadioOnCom2,
     tryTheNextPort,
     true,
     true,
     {kTryQuestion + "Yes", kSelectQuestion + "Yes"},
     {{"Port", "2"}, {"Speed", "4800"}, {"Parity", "0"}}},
    {"AfterAStepAway",
     commPortIni("1"),
     com1OpenAndARadioOnCom2,
     [](ComPortDiagTest& t) { t.step(-1); },
     true,
     false,
     {},
     {{"Port", "1"}}},
    {"AfterAFailedTryOfABusyPort",
     commPortIni("1"),
     [](ComPortDiagTest& t) {
         t.openCom1();
         t.holdPort(2);
     },
     [](ComPortDiagTest& t) {
         tryTheNextPort(t);
         t.step(1);  // back to the stored port, still open and answering
     },
     true,
     true,
     {kTryQuestion + "Yes", kOpenFailed, kSelectQuestion + "Yes"},
     {{"Port", "1"}}},
    {"NoAnswerToTheTryQuestion",
     commPortIni("1"),
     com1OpenAndARadioOnCom2,
     [](ComPortDiagTest& t) {
         t.step(-1);
         t.button(1068)->click();
     },
     true,
     false,
     {kTryQuestion + "No"},
     {{"Port", "1"}}},
    {"AfterTheDeviceHungUp",
     commPortIni("1"),
     [](ComPortDiagTest& t) { t.openCom1(); },
     [](ComPortDiagTest& t) { t.m_sims[1]->closeMaster(); },
     true,
     false,
     {},
     {{"Port", "1"}}},
    {"StoredPortZero",
     commPortIni("0"),
     [](ComPortDiagTest& t) { t.openCom1(); },
     [](ComPortDiagTest&) {},
     false,
     false,
     {},
     {{"Port", "0"}}},
    {"UnreadableSpeedIsSavedAsDefault",
     commPortIni("1", "abc"),
     failedStartAndARadioOnCom2,
     tryTheNextPort,
     true,
     true,
     {kTryQuestion + "Yes", kSelectQuestion + "Yes"},
     {{"Port", "2"}, {"Speed", "4800"}, {"Parity", "0"}}},
    {"ParityNotOfferedIsSavedAsDefault",
     commPortIni("1", "9600", "7"),
     failedStartAndARadioOnCom2,
     tryTheNextPort,
     true,
     true,
     {kTryQuestion + "Yes", kSelectQuestion + "Yes"},
     {{"Port", "2"}, {"Speed", "9600"}, {"Parity", "0"}}},
};

INSTANTIATE_TEST_SUITE_P(Rows, ComPortTryTest, ::testing::ValuesIn(kTries), CaseName{});

// --- What Try Port shows -------------------------------------------------------------------

// COM1's radio answers with NB lit right up to the Try; COM2 is what the row makes of it.
struct TruthCase {
    const char* name;
    std::function<void(ComPortDiagTest&)> com2;
    bool tryEnabled;  // with COM2 shown
    std::vector<std::string> messages;
    unsigned openPort;    // afterwards
    const char* display;  // shown once the polls have come
    bool nbLit;
    bool selectEnabled;
    std::string logged;  // the start of the "Cannot open" line, or empty for none
};
ROW_NAME(TruthCase, row.name);

class TryPortTruthTest : public ComPortDiagTest, public ::testing::WithParamInterface<TruthCase> {};

TEST_P(TryPortTruthTest, DisplayIndicatorsSelectAndTheOpenPort) {
    const TruthCase& row = GetParam();
    writeIni(commPortIni("1"));
    openCom1();
    m_sims[1]->setDisplayFrames(
        {sim::DisplayFrame{std::nullopt, std::uint8_t{0xC0}, std::nullopt}});
    row.com2(*this);
    CK2ComPortDiagDlg& dialog = openDialog();
    ASSERT_TRUE(runEventsUntil([&] {
        return dialog.DisplayText().contains("14060.00") &&
               dialog.IndicatorColor(brakton::kIndNB) == brakton::kIndicatorOn;
    }));

    step(-1);
    EXPECT_EQ(button(1068)->isEnabled(), row.tryEnabled);
    const std::uint64_t before = m_radio->PortGeneration();
    tryPort(*this);
    if (row.tryEnabled) {
        // A display the old radio sent just before the Try, handed over late.
        dialog.OnPortReply(5, "DS 14060.004000", before);
    }
    // Several polls of whichever port is open now.
    runEventsUntil([] { return false; }, 800ms);

    EXPECT_TRUE(dialog.DisplayText().contains(QString::fromLatin1(row.display)))
        << dialog.DisplayText().toStdString();
    EXPECT_EQ(dialog.IndicatorColor(brakton::kIndNB) == brakton::kIndicatorOn, row.nbLit);
    for (int i = 0; i < brakton::kIndCount; ++i) {
        if (i != brakton::kIndNB) {
            EXPECT_EQ(dialog.IndicatorColor(i), brakton::kIndicatorOff) << i;
        }
    }
    EXPECT_EQ(button(1069)->isEnabled(), row.selectEnabled);
    EXPECT_TRUE(m_radio->IsOpen());
    EXPECT_EQ(m_radio->PortNumber(), row.openPort);
    EXPECT_EQ(messages(), row.messages);
    std::vector<std::string> cannotOpen;
    for (const auto& line : m_log.lines()) {
        if (line.rfind("Cannot open", 0) == 0) {
            cannotOpen.push_back(line);
        }
    }
    if (row.logged.empty()) {
        EXPECT_TRUE(cannotOpen.empty()) << cannotOpen.front();
    } else {
        ASSERT_EQ(cannotOpen.size(), 1u);
        EXPECT_EQ(cannotOpen[0].rfind(row.logged, 0), 0u) << cannotOpen[0];
    }
}

const TruthCase kTruths[] = {
    {"SilentDevice",
     [](ComPortDiagTest& t) { t.startSim(2).setPowerOn(false); },
     true,
     {kTryQuestion + "Yes"},
     2,
     "Elecraft",
     false,
     false,
     ""},
    {"MissingDevice",
     [](ComPortDiagTest& t) { fs::create_symlink(t.serialDir() / "gone", t.serialDir() / "com2"); },
     false,
     {},
     1,
     "14060.00",
     true,
     false,
     ""},
    {"BusyDevice",
     [](ComPortDiagTest& t) { t.holdPort(2); },
     true,
     {kTryQuestion + "Yes", kOpenFailed},
     1,
     "14060.00",  // the old port's readings again
     true,
     false,  // COM2 is shown, COM1 open
     "Cannot open COM2: busy ("},
    {"AnsweringDevice",
     [](ComPortDiagTest& t) { t.startSim(2); },
     true,
     {kTryQuestion + "Yes"},
     2,
     "14060.00",
     false,
     true,
     ""},
};

INSTANTIATE_TEST_SUITE_P(Rows, TryPortTruthTest, ::testing::ValuesIn(kTruths), CaseName{});

// A client that connected while the dialog was open stops the Try before the radio moves.
TEST_F(ComPortDiagTest, TryRefusesWhileAClientIsThere) {
    writeIni(commPortIni("1"));
    openCom1();
    startSim(2);
    bool present = false;
    m_dialog =
        std::make_unique<CK2ComPortDiagDlg>(m_store, *m_radio, nullptr, [&] { return present; });
    m_radio->EnterCOMPortDiagMode(m_dialog.get());
    m_dialog->show();
    step(-1);
    present = true;
    tryPort(*this);
    EXPECT_EQ(messages(),
              std::vector<std::string>{"error\tPlease Exit Pelorin before performing diagnostic"});
    EXPECT_EQ(m_radio->PortNumber(), 1);
}

TEST_F(ComPortDiagTest, StoredPortZeroShowsZeroAndStepsIntoRange) {
    writeIni(commPortIni("0"));
    std::ofstream(serialDir() / "com18") << "";  // a device that is there
    openDialog();
    EXPECT_EQ(portText(), QStringLiteral(" COM0"));
    EXPECT_EQ(m_dialog->DeviceLine(), QStringLiteral("Device: none"));
    EXPECT_FALSE(button(1068)->isEnabled());
    step(1);
    EXPECT_EQ(portText(), QStringLiteral(" COM18"));
    EXPECT_TRUE(button(1068)->isEnabled());
}

TEST_F(ComPortDiagTest, FailedSaveKeepsTheSavedPort) {
    writeIni(commPortIni("1"));
    failedStartAndARadioOnCom2(*this);
    openDialog();
    tryTheNextPort(*this);
    ASSERT_TRUE(runEventsUntil([&] { return button(1069)->isEnabled(); }));
    const fs::path folder = iniPath().parent_path();
    fs::rename(folder, m_dir / "aside");
    std::ofstream(folder).put('x');
    MessageService::queueAnswers({true});
    m_dialog->OnSelectPort();
    EXPECT_EQ(messages().back(), "error\tUnable to Save COM Port!");
    EXPECT_EQ(m_dialog->SavedPort(), 1);
    fs::remove(folder);
    fs::rename(m_dir / "aside", folder);
    EXPECT_EQ(settingsFileValues().at("Comm Port/Port"), "1");
}

}  // namespace
