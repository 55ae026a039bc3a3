// Pelorin's start-up in this process, offscreen, against omniNames and the
// test peer as a fake server: the connect, the call-back, notices, a server
// that dies, and the exit with injected answers.

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QSettings>
#include <QWidget>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "client/app/pelorin_app.h"
#include "client/base/radio_comm_proxy.h"
#include "client/base/registry_store.h"
#include "client/panel/front_panel_layout.h"
#include "client/panel/k2_front_panel_control_dlg.h"
#include "platform/message_service.h"
#include "tests/support/event_wait.h"
#include "tests/support/row_names.h"
#include "tests/support/test_support.h"

namespace {

using namespace std::chrono_literals;
using front_panel::IDC_BAND_COMBO;
using front_panel::IDC_CONNECT_TO;

using test_events::pumpUntil;

std::vector<std::string> operations(const PeerProcess& peer) {
    std::vector<std::string> names;
    for (const auto& record : peer.records()) {
        names.push_back(record.operation);
    }
    return names;
}

std::string controlText(CK2FrontPanelControlDlg& panel, int id) {
    QWidget* widget = panel.control(id);
    if (auto* label = qobject_cast<QLabel*>(widget)) {
        return label->text().toStdString();
    }
    return widget != nullptr ? widget->property("text").toString().toStdString() : "";
}

// One start-up per process (one ORB per process); each test is its own run.
class PelorinPanel : public ::testing::Test {
  protected:
    void SetUp() override {
        const std::string home = m_dir.path().string();
        ::setenv("HOME", home.c_str(), 1);
        ::setenv("XDG_CONFIG_HOME", (home + "/config").c_str(), 1);
        ::setenv("XDG_RUNTIME_DIR", home.c_str(), 1);
        ::setenv("ORVO_MESSAGE_LOG", (home + "/messages.log").c_str(), 1);
        static int argc = 1;
        static char name[] = "pelorin_panel_test";
        static char* argv[] = {name, nullptr};
        m_app = new QApplication(argc, argv);
    }

    // Starts Pelorin with the naming service at `namingArgs`.
    void start(std::vector<std::string> namingArgs) {
        std::vector<std::string> args{"Pelorin"};
        args.insert(args.end(), namingArgs.begin(), namingArgs.end());
        const auto endpoint = loopbackEndpointArgs();
        args.insert(args.end(), endpoint.begin(), endpoint.end());
        m_pelorin = std::make_unique<CPelorinApp>([this](int code) { m_exitCode = code; });
        ASSERT_TRUE(m_pelorin->InitInstance(args));
    }

    void startConnected() {
        ASSERT_TRUE(m_naming.start()) << m_naming.error();
        ASSERT_TRUE(m_peer.start(PeerRole::Server, m_naming, m_dir.path())) << m_peer.error();
        start(m_naming.initRefArgs());
        ASSERT_TRUE(pumpUntil(10s, [&] { return !m_peer.records().empty(); }));
        // Done, as a server with a radio answers: the panel shows no refusal.
        ASSERT_EQ(m_peer.command("answer 0"), "ok");
        ASSERT_EQ(m_peer.command("connect-back"), "ok");
        ASSERT_TRUE(pumpUntil(10s, [&] { return panel().model().m_bConnected != 0; }));
        ASSERT_TRUE(pumpUntil(10s, [&] { return m_peer.records().size() >= 6; }));
    }

    CK2FrontPanelControlDlg& panel() { return *m_pelorin->panel(); }
    std::string messages() const { return readFile(m_dir.path() / "messages.log"); }

    TempDir m_dir;
    QApplication* m_app = nullptr;
    NamingService m_naming;
    PeerProcess m_peer;
    std::unique_ptr<CPelorinApp> m_pelorin;
    std::optional<int> m_exitCode;
};

TEST_F(PelorinPanel, NoNamingServiceShowsBoxAndStaysOpen) {
    const PortHold dead = PortHold::anyPort();
    ASSERT_TRUE(dead.holding()) << dead.error();
    testing::internal::CaptureStderr();
    start({"-ORBInitRef",
           "NameService=corbaloc::127.0.0.1:" + std::to_string(dead.port()) + "/NameService"});
    // The ORB thread could not bind the call-back object and said so; the
    // connect waited for it in vain.
    const std::string errors = testing::internal::GetCapturedStderr();
    EXPECT_NE(errors.find("CORBA exception raised! TRANSIENT\n"), std::string::npos) << errors;
    EXPECT_EQ(messages(), "error\tCORBA exception raised - Unable to Connect To Brakton!\n");
    EXPECT_EQ(panel().statusText(), "Unable to connect to Brakton");
    EXPECT_EQ(panel().statusKind(), 2);
    EXPECT_TRUE(m_pelorin->proxy().isNil());
    EXPECT_TRUE(panel().isVisible());
    EXPECT_FALSE(m_exitCode.has_value());
}

TEST_F(PelorinPanel, ConnectAndCallBackAskForTheRadioInOrder) {
    startConnected();
    const std::vector<std::string> expected{"Connect",          "ReadHAMRadioBandInfo",
                                            "ReadVFOFreqCache", "GetInitialRadioInfo",
                                            "QueryRFAmpStatus", "EnableStatusQuery"};
    EXPECT_EQ(operations(m_peer), expected);
    EXPECT_EQ(m_peer.records()[0].args, std::vector<std::string>{"Pelorin"});
    EXPECT_EQ(controlText(panel(), IDC_CONNECT_TO), "   LAN");
    EXPECT_EQ(panel().statusText(), "");
    auto* bands = qobject_cast<QComboBox*>(panel().control(IDC_BAND_COMBO));
    ASSERT_NE(bands, nullptr);
    EXPECT_EQ(bands->count(), 9);

    // A second connect-back refills the list, it does not grow.
    ASSERT_EQ(m_peer.command("connect-back"), "ok");
    ASSERT_TRUE(pumpUntil(10s, [&] { return m_peer.records().size() >= 12; }));
    pumpUntil(300ms, [] { return false; });
    EXPECT_EQ(bands->count(), 9);
    // Notice 1 while connected is echoed to the server.
    EXPECT_EQ(m_peer.records()[6].operation, "EchoString");
    EXPECT_EQ(m_peer.records()[6].args,
              std::vector<std::string>{"Pelorin - Connecting requested from Brakton"});
}

TEST_F(PelorinPanel, ServerThatDiedGivesLostConnectionThenConnectsAgain) {
    startConnected();
    const PortHold held = m_peer.process().killHoldingPorts();
    ASSERT_TRUE(held.holding()) << held.error();
    testing::internal::CaptureStderr();
    panel().EnsureConnected();  // connected: nothing to do
    m_pelorin->proxy().GetInitialRadioInfo();
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(panel().statusText(), "Lost connection to Brakton");
    EXPECT_EQ(panel().model().m_bConnected, 0);
    EXPECT_EQ(controlText(panel(), IDC_CONNECT_TO), "None");

    PeerProcess second;
    ASSERT_TRUE(second.start(PeerRole::Server, m_naming, m_dir.path())) << second.error();
    panel().EnsureConnected();
    ASSERT_TRUE(pumpUntil(10s, [&] { return !second.records().empty(); }));
    EXPECT_EQ(second.records()[0].operation, "Connect");
}

struct ExitCase {
    const char* name;
    bool connected;
    bool serverKilled;
    std::vector<bool> answers;
    bool exits;
    int disconnects;
};
ROW_NAME(ExitCase, row.name);

class PelorinExit : public PelorinPanel, public ::testing::WithParamInterface<ExitCase> {};

const ExitCase kExits[] = {
    {"NoKeepsPanelOpen", true, false, {false}, false, 0},
    {"YesNotConnected", false, false, {true}, true, 0},
    {"YesConnected", true, false, {true}, true, 1},
    {"YesServerKilled", true, true, {true}, true, 0},
};

TEST_P(PelorinExit, AnswersDecide) {
    const ExitCase& c = GetParam();
    if (c.connected) {
        startConnected();
    } else {
        ASSERT_TRUE(m_naming.start()) << m_naming.error();
        ASSERT_TRUE(m_peer.start(PeerRole::Server, m_naming, m_dir.path())) << m_peer.error();
        start(m_naming.initRefArgs());
    }
    PortHold held;
    if (c.serverKilled) {
        held = m_peer.process().killHoldingPorts();
        ASSERT_TRUE(held.holding()) << held.error();
    }
    const std::size_t before = m_peer.records().size();
    MessageService::queueAnswers(c.answers);
    const auto started = std::chrono::steady_clock::now();
    testing::internal::CaptureStderr();
    panel().OnOK();
    pumpUntil(500ms, [&] { return m_exitCode.has_value(); });
    testing::internal::GetCapturedStderr();
    EXPECT_LT(std::chrono::steady_clock::now() - started, 25s);
    EXPECT_EQ(m_exitCode.has_value(), c.exits);
    if (c.exits) {
        EXPECT_EQ(*m_exitCode, 0);
    } else {
        EXPECT_TRUE(panel().isVisible());
    }
    if (!c.serverKilled) {
        const auto records = m_peer.records();
        int disconnects = 0;
        for (std::size_t i = before; i < records.size(); ++i) {
            disconnects += records[i].operation == "Disconnect" ? 1 : 0;
        }
        EXPECT_EQ(disconnects, c.disconnects);
    }
}

INSTANTIATE_TEST_SUITE_P(Answers, PelorinExit, ::testing::ValuesIn(kExits), CaseName());

// The audio host at start-up: the stored program alone, started only when the
// flag is set, with no shell, and start-up goes on whether it starts or not.
// The test's script touches a marker file.
struct AudioHostCase {
    const char* name;
    const char* enabled;
    const char* command;  // "SCRIPT" and "MARKER" stand for the test's files
    bool marked;
};
ROW_NAME(AudioHostCase, row.name);

class PelorinAudioHost : public PelorinPanel,
                         public ::testing::WithParamInterface<AudioHostCase> {};

TEST_P(PelorinAudioHost, StartsTheStoredProgramOnlyWhenEnabled) {
    const AudioHostCase& c = GetParam();
    const auto script = m_dir.path() / "audio.sh";
    const auto marker = m_dir.path() / "audio-ran";
    {
        std::ofstream out(script);
        out << "#!/bin/sh\ntouch '" << marker.string() << "'\n";
    }
    std::filesystem::permissions(script, std::filesystem::perms::owner_all);
    std::string command = c.command;
    for (const auto& [word, path] : {std::pair{"SCRIPT", script}, std::pair{"MARKER", marker}}) {
        if (const std::size_t at = command.find(word); at != std::string::npos) {
            command.replace(at, std::string(word).size(), path.string());
        }
    }
    pelorin::CRegistryStore().CreateDefaults();
    {
        QSettings settings(QSettings::IniFormat, QSettings::UserScope,
                           QStringLiteral("N0CALL Software"), QStringLiteral("Pelorin"));
        settings.setValue(QStringLiteral("Audio Streaming Host"), QString::fromLatin1(c.enabled));
        settings.setValue(QStringLiteral("Audio Host Command Name"),
                          QString::fromStdString(command));
    }

    startConnected();  // start-up went on to the connect and the call-back
    pumpUntil(c.marked ? 5s : 1s, [&] { return std::filesystem::exists(marker); });
    EXPECT_EQ(std::filesystem::exists(marker), c.marked) << command;
    EXPECT_EQ(messages(), "");
}

const AudioHostCase kAudioHosts[] = {
    {"EnabledRunsTheProgram", "1", "SCRIPT", true},
    {"FlagZeroStartsNothing", "0", "SCRIPT", false},
    {"MissingProgramLetsStartUpGoOn", "1", "SCRIPT-missing", false},
    {"NoShell", "1", "touch MARKER", false},
};

INSTANTIATE_TEST_SUITE_P(Settings, PelorinAudioHost, ::testing::ValuesIn(kAudioHosts), CaseName());

// A Pelorin.lock that cannot be taken (a folder in its place) stops nothing:
// its reason goes once to standard error and, with the panel, to the status
// line, in no box.
TEST_F(PelorinPanel, LocksThatCannotBeTakenAreSaidOnceAndTheStartUpGoesOn) {
    const std::filesystem::path settingsLock =
        std::filesystem::path(pelorin::CRegistryStore::SettingsFilePath()).parent_path() /
        "Pelorin.lock";
    const std::filesystem::path homeLock = m_dir.path() / "Orvo" / "Pelorin.lock";
    std::filesystem::create_directories(settingsLock);
    std::filesystem::create_directories(homeLock);
    ASSERT_TRUE(m_naming.start()) << m_naming.error();
    ASSERT_TRUE(m_peer.start(PeerRole::Server, m_naming, m_dir.path())) << m_peer.error();
    testing::internal::CaptureStderr();
    start(m_naming.initRefArgs());
    const std::string errors = testing::internal::GetCapturedStderr();

    std::string said;
    for (const auto& lock : {settingsLock, homeLock}) {
        const std::string line =
            lock.string() +
            " cannot be locked (Is a directory): another program could write it too.";
        const std::size_t at = errors.find(line + "\n");
        EXPECT_NE(at, std::string::npos) << errors;
        EXPECT_EQ(errors.find(line, at + 1), std::string::npos) << errors;
        said += (said.empty() ? "" : "  ") + line;
    }
    EXPECT_EQ(panel().statusText(), said);
    EXPECT_EQ(panel().statusKind(), 2);
    EXPECT_EQ(messages(), "");
    EXPECT_TRUE(panel().isVisible());
    EXPECT_FALSE(m_exitCode.has_value());
}

}  // namespace
