// Brakton end to end: the real program with omniNames, the K2 simulator on a
// pty and a scripted client in this process.

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "platform/window_message.h"
#include "radiolink/k2_status.h"
#include "tests/integration/brakton_fixture.h"
#include "tests/support/row_names.h"

namespace {

using namespace std::chrono_literals;
using e2e::BraktonRig;
using e2e::Clock;
using e2e::Settings;

constexpr CORBA::Long kNotConnected = static_cast<CORBA::Long>(K2ERR_CLIENT_NOT_CONNECTED);
constexpr CORBA::Long kPortNotOpen = static_cast<CORBA::Long>(K2ERR_PORT_NOT_OPEN);
constexpr CORBA::Long kInvalid = static_cast<CORBA::Long>(K2ERR_INVALID_PARAM);

std::vector<std::string> commandTexts(const sim::K2Simulator& radio) {
    std::vector<std::string> texts;
    for (const auto& c : radio.commands()) {
        texts.push_back(c.text);
    }
    return texts;
}

bool hasSanitizerReport(const std::string& text) {
    return text.find("AddressSanitizer") != std::string::npos ||
           text.find("LeakSanitizer") != std::string::npos ||
           text.find("runtime error:") != std::string::npos;
}

// The 38 radio operations, each with arguments the radio would accept.
const std::vector<std::pair<const char*, std::function<CORBA::Long(RadioComm_ptr)>>>
    kRadioOperations = {
        {"GetInitialRadioInfo", [](RadioComm_ptr s) { return s->GetInitialRadioInfo(); }},
        {"RITTuning", [](RadioComm_ptr s) { return s->RITTuning(1, 20); }},
        {"DownloadRadioInfo",
         [](RadioComm_ptr s) {
             RADIO_MEM_INFO m{};
             m.ulVFOA_Freq = 7040000;
             return s->DownloadRadioInfo(m);
         }},
        {"AutoInfo", [](RadioComm_ptr s) { return s->AutoInfo(1, 1); }},
        {"CommandMode", [](RadioComm_ptr s) { return s->CommandMode(1, 2); }},
        {"Antenna", [](RadioComm_ptr s) { return s->Antenna(1, 2); }},
        {"ReadBarGraphLevel", [](RadioComm_ptr s) { return s->ReadBarGraphLevel(); }},
        {"MoveActiveVFOFreq", [](RadioComm_ptr s) { return s->MoveActiveVFOFreq(1, 1); }},
        {"ReadDisplay",
         [](RadioComm_ptr s) {
             CORBA::String_var text;
             CORBA::Short a = 0, b = 0;
             return s->ReadDisplay(text.out(), a, b);
         }},
        {"VFOFreq", [](RadioComm_ptr s) { return s->VFOFreq(1, 0, 7040000); }},
        {"NoiseBlanker", [](RadioComm_ptr s) { return s->NoiseBlanker(1, 1); }},
        {"ReceiverAGC", [](RadioComm_ptr s) { return s->ReceiverAGC(1, 1); }},
        {"ReceiverPreamp", [](RadioComm_ptr s) { return s->ReceiverPreamp(1, 1); }},
        {"ReceiverAttenuator", [](RadioComm_ptr s) { return s->ReceiverAttenuator(1, 1); }},
        {"XFILSelection", [](RadioComm_ptr s) { return s->XFILSelection(1, 500, 2); }},
        {"AFILSelection", [](RadioComm_ptr s) { return s->AFILSelection(1, 1); }},
        {"OperatingMode", [](RadioComm_ptr s) { return s->OperatingMode(1, 3); }},
        {"ReadTransceiverInfo", [](RadioComm_ptr s) { return s->ReadTransceiverInfo(); }},
        {"CWKeyerSpeed", [](RadioComm_ptr s) { return s->CWKeyerSpeed(1, 20); }},
        {"RFPowerOutput", [](RadioComm_ptr s) { return s->RFPowerOutput(1, 50, 1); }},
        {"ChangeBand", [](RadioComm_ptr s) { return s->ChangeBand(1); }},
        {"TransceiverRecvVFOAssignment",
         [](RadioComm_ptr s) { return s->TransceiverRecvVFOAssignment(1, 0); }},
        {"TransceiverTxVFOAssignment",
         [](RadioComm_ptr s) { return s->TransceiverTxVFOAssignment(1, 0); }},
        {"GetTransceiverPowerOnStatus",
         [](RadioComm_ptr s) { return s->GetTransceiverPowerOnStatus(); }},
        {"RITControl", [](RadioComm_ptr s) { return s->RITControl(1, 1); }},
        {"XITControl", [](RadioComm_ptr s) { return s->XITControl(1, 0); }},
        {"IncrementalOffsetTuning", [](RadioComm_ptr s) { return s->IncrementalOffsetTuning(1); }},
        {"ClearFineRITOffset", [](RadioComm_ptr s) { return s->ClearFineRITOffset(); }},
        {"LockVFO", [](RadioComm_ptr s) { return s->LockVFO(1, 0); }},
        {"TuneTransmitter", [](RadioComm_ptr s) { return s->TuneTransmitter(); }},
        {"SendDiagnosticData", [](RadioComm_ptr s) { return s->SendDiagnosticData("FA"); }},
        {"QueryKeyboardCWTxStatus", [](RadioComm_ptr s) { return s->QueryKeyboardCWTxStatus(); }},
        {"KeyboardCW", [](RadioComm_ptr s) { return s->KeyboardCW("CQ"); }},
        {"AbortKeyboardCW", [](RadioComm_ptr s) { return s->AbortKeyboardCW(); }},
        {"EmulateKeySwitch", [](RadioComm_ptr s) { return s->EmulateKeySwitch(20); }},
        {"FrequencyScan", [](RadioComm_ptr s) { return s->FrequencyScan(7000000, 7100000); }},
        {"SquelchLevel", [](RadioComm_ptr s) { return s->SquelchLevel(1, 2); }},
        {"EnableStatusQuery", [](RadioComm_ptr s) { return s->EnableStatusQuery(1); }},
};

// Everything the store-only operations do, with their results checked.
void runStoreOperations(RadioComm_ptr server) {
    server->EchoString("hello");
    HAMRADIO_BAND_INFO bands{};
    EXPECT_EQ(server->ReadHAMRadioBandInfo(bands), 0);
    EXPECT_EQ(bands.Info[8].uiBandFreq, 8);
    LAST_FREQ_VISIT_ARRAY cache{};
    cache.VfoBank[3][1] = 18100000;
    EXPECT_EQ(server->WriteVFOFreqCache(cache), 0);
    LAST_FREQ_VISIT_ARRAY back{};
    EXPECT_EQ(server->ReadVFOFreqCache(back), 0);
    EXPECT_EQ(back.VfoBank[3][1], 18100000);
    CORBA::Short amp = 7;
    EXPECT_EQ(server->QueryRFAmpStatus(amp), 0);
    EXPECT_EQ(amp, 0);
}

// --- 1. Start-up and naming --------------------------------------------------------------------

TEST(BraktonStartup, OpensTheRadioBindsRadioCommAndSendsNothingElse) {
    BraktonRig rig;
    ASSERT_TRUE(rig.startAll()) << rig.error();
    std::this_thread::sleep_for(1500ms);
    const auto commands = rig.radio().commands();
    ASSERT_GE(commands.size(), 2u);
    EXPECT_EQ(commands[0].text, "K22");
    EXPECT_EQ(commands[1].text, "AI3");
    // 100 ms apart on the wire; the simulator's read of the first may come a little late.
    EXPECT_GE(commands[1].time - commands[0].time, 80ms);
    EXPECT_EQ(commands.size(), 2u) << ::testing::PrintToString(commandTexts(rig.radio()));

    const auto exit = rig.signalAndWait(SIGTERM);
    ASSERT_TRUE(exit.has_value());
    EXPECT_TRUE(WIFEXITED(*exit) && WEXITSTATUS(*exit) == 0);
}

TEST(BraktonStartup, PortZeroOpensNothingAndTheRadioIsNotOpen) {
    BraktonRig rig;
    Settings settings;
    settings.commPort = 0;
    ASSERT_TRUE(rig.startAll(settings)) << rig.error();
    EXPECT_EQ(rig.server()->Connect("Nemo"), 0);
    EXPECT_EQ(rig.server()->OperatingMode(1, 3), kPortNotOpen);
    EXPECT_TRUE(rig.radio().commands().empty());
    EXPECT_EQ(rig.messages(), "");
}

TEST(BraktonStartup, MissingPortShowsOneErrorAndStillServes) {
    BraktonRig rig;
    ASSERT_TRUE(rig.startNaming());
    ASSERT_TRUE(rig.startRadio(false));
    // com1 names a device that is gone.
    std::filesystem::create_symlink(rig.dir() / "no-such-device", rig.serialDir() / "com1");
    rig.writeSettings({});
    ASSERT_TRUE(rig.startClient()) << rig.error();
    ASSERT_TRUE(rig.startBrakton()) << rig.error();
    RadioComm_var server = rig.waitForServer();
    ASSERT_FALSE(CORBA::is_nil(server.in())) << rig.braktonStderr();
    EXPECT_EQ(rig.messages(), "error\tError occurred in Opening Radio Port?\n");
}

// A server that cannot bind "RadioComm" serves no client: it says so and
// exits 1 instead of staying behind unreachable.
TEST(BraktonStartup, DeadNamingPortIsReportedAndTheServerExitsOne) {
    BraktonRig rig;
    ASSERT_TRUE(rig.startNaming());
    ASSERT_TRUE(rig.startRadio());
    const PortHold dead = PortHold::anyPort();
    ASSERT_TRUE(dead.holding()) << dead.error();
    Settings settings;
    settings.nsPort = dead.port();
    rig.writeSettings(settings);
    ASSERT_TRUE(rig.startBrakton()) << rig.error();
    const auto exit = rig.brakton().waitExit(30s);
    ASSERT_TRUE(exit.has_value()) << "still running, serving nothing\n" << rig.braktonStderr();
    EXPECT_TRUE(WIFEXITED(*exit) && WEXITSTATUS(*exit) == 1) << rig.braktonStderr();
    EXPECT_NE(rig.braktonStderr().find("CORBA exception raised! TRANSIENT"), std::string::npos)
        << rig.braktonStderr();
    // The stored "127.0.0.1" is asked for as "localhost".
    const std::string box = "Unable to serve RadioComm: TRANSIENT (naming service localhost:" +
                            std::to_string(dead.port()) + "). Brakton serves no client and exits.";
    EXPECT_NE(rig.messages().find("error\t" + box + "\n"), std::string::npos) << rig.messages();
    EXPECT_NE(rig.braktonStderr().find(box + "\n"), std::string::npos) << rig.braktonStderr();
}

// A host stored with blanks around it (an older sheet saved them so) is the
// host the sheets show: Brakton serves there.
struct StoredHostCase {
    const char* name;
    const char* host;
};
ROW_NAME(StoredHostCase, row.name);

class StoredNamingHost : public ::testing::TestWithParam<StoredHostCase> {};

TEST_P(StoredNamingHost, WithBlanksAroundItStillBindsRadioComm) {
    BraktonRig rig;
    Settings settings;
    settings.commPort = 0;
    settings.nsHost = GetParam().host;
    ASSERT_TRUE(rig.startAll(settings)) << rig.error();
    EXPECT_EQ(rig.server()->Connect("Nemo"), 0);
    EXPECT_EQ(rig.messages(), "");
    EXPECT_FALSE(rig.brakton().waitExit(0ms).has_value()) << rig.braktonStderr();
}

INSTANTIATE_TEST_SUITE_P(Hosts, StoredNamingHost,
                         ::testing::Values(StoredHostCase{"BlankAfter", "localhost "},
                                           StoredHostCase{"BlankAndTabAround", " localhost\t"}),
                         CaseName());

// A blank inside the host is no blank around it: the ORB refuses the address,
// and the box names the address it was given.
TEST(BraktonStartup, HostWithABlankInsideIsNamedAndTheServerExitsOne) {
    BraktonRig rig;
    ASSERT_TRUE(rig.startNaming());
    ASSERT_TRUE(rig.startRadio());
    Settings settings;
    settings.nsHost = "local host";
    rig.writeSettings(settings);
    ASSERT_TRUE(rig.startBrakton()) << rig.error();
    const auto exit = rig.brakton().waitExit(30s);
    ASSERT_TRUE(exit.has_value()) << "still running, serving nothing\n" << rig.braktonStderr();
    EXPECT_TRUE(WIFEXITED(*exit) && WEXITSTATUS(*exit) == 1) << rig.braktonStderr();
    const std::string box = "Unable to start the ORB: INITIALIZE (naming service local host:" +
                            std::to_string(rig.naming().port()) +
                            "). Brakton serves no client and exits.";
    EXPECT_EQ(rig.messages(), "error\t" + box + "\n");
    EXPECT_NE(rig.braktonStderr().find(box + "\n"), std::string::npos) << rig.braktonStderr();
}

TEST(BraktonStartup, GivenInitRefWinsOverAWrongNamingPort) {
    BraktonRig rig;
    ASSERT_TRUE(rig.startNaming());
    const PortHold dead = PortHold::anyPort();
    ASSERT_TRUE(dead.holding()) << dead.error();
    Settings settings;
    settings.nsPort = dead.port();
    ASSERT_TRUE(rig.startRadio());
    rig.writeSettings(settings);
    ASSERT_TRUE(rig.startClient()) << rig.error();
    ASSERT_TRUE(rig.startBrakton(rig.naming().initRefArgs())) << rig.error();
    RadioComm_var server = rig.waitForServer();
    EXPECT_FALSE(CORBA::is_nil(server.in())) << rig.braktonStderr();
}

TEST(BraktonStartup, AudioProgramRunsAndAMissingOneChangesNothing) {
    BraktonRig rig;
    const auto script = rig.dir() / "audio.sh";
    const auto touched = rig.dir() / "audio-ran";
    {
        std::ofstream out(script);
        out << "#!/bin/sh\ntouch '" << touched.string() << "'\n";
    }
    std::filesystem::permissions(script, std::filesystem::perms::owner_all);
    Settings settings;
    settings.audioCommand = script.string();
    ASSERT_TRUE(rig.startAll(settings)) << rig.error();
    const auto deadline = Clock::now() + 5s;
    while (Clock::now() < deadline && !std::filesystem::exists(touched)) {
        std::this_thread::sleep_for(50ms);
    }
    EXPECT_TRUE(std::filesystem::exists(touched));

    BraktonRig missing;
    Settings absent;
    absent.audioCommand = (missing.dir() / "no-such-program").string();
    ASSERT_TRUE(missing.startAll(absent)) << missing.error();
    EXPECT_EQ(missing.messages(), "");
}

TEST(BraktonStartup, ASecondServerTakesOverRadioComm) {
    BraktonRig rig;
    ASSERT_TRUE(rig.startAll()) << rig.error();
    const auto secondConfig = rig.dir() / "config2";
    Settings portZero;
    portZero.commPort = 0;
    rig.writeSettingsIn(secondConfig, portZero);
    ChildProcess second;
    ASSERT_TRUE(rig.startBrakton({}, secondConfig, &second, "brakton2")) << rig.error();

    const auto deadline = Clock::now() + 15s;
    CORBA::Long status = 0;
    while (Clock::now() < deadline) {
        RadioComm_var server = rig.waitForServer();
        if (!CORBA::is_nil(server.in())) {
            server->Connect("Nemo");
            status = server->OperatingMode(1, 3);
            if (status == kPortNotOpen) {
                break;
            }
        }
        std::this_thread::sleep_for(200ms);
    }
    EXPECT_EQ(status, kPortNotOpen);
    second.stop();
}

// --- 2. Gating -----------------------------------------------------------------------------------

TEST(BraktonGating, RadioOperationsWaitForConnectAndStoreOperationsDoNot) {
    BraktonRig rig;
    ASSERT_TRUE(rig.startAll()) << rig.error();
    RadioComm_ptr server = rig.server();
    std::this_thread::sleep_for(300ms);
    const std::size_t before = rig.radio().commandCount();

    for (const auto& [name, call] : kRadioOperations) {
        EXPECT_EQ(call(server), kNotConnected) << name;
    }
    runStoreOperations(server);
    EXPECT_EQ(server->Disconnect(), 0);
    for (const auto& [name, call] : kRadioOperations) {
        EXPECT_EQ(call(server), kNotConnected) << name << " after Disconnect";
    }
    std::this_thread::sleep_for(300ms);
    EXPECT_EQ(rig.radio().commandCount(), before)
        << ::testing::PrintToString(commandTexts(rig.radio()));

    // Connected, then disconnected: refused again.
    EXPECT_EQ(server->Connect("Nemo"), 0);
    EXPECT_EQ(server->Disconnect(), 0);
    EXPECT_EQ(server->OperatingMode(1, 3), kNotConnected);

    const std::string ini = readFile(rig.dir() / "config" / "N0CALL Software" / "Rig Control.ini");
    EXPECT_NE(ini.find("[HAM%20Band%20Info"), std::string::npos) << ini;
    EXPECT_NE(ini.find("18100000"), std::string::npos);
}

// --- 3. Connect and call-backs ---------------------------------------------------------------

// A "Speak Freely" window in this process: its socket in the rig's runtime folder.
class SpeakFreelyWindow {
  public:
    explicit SpeakFreelyWindow(const std::filesystem::path& runtimeDir) {
        ::setenv("XDG_RUNTIME_DIR", runtimeDir.c_str(), 1);
        const auto dir = platform::ensureWindowMessageDir();
        m_fd = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        if (!dir || m_fd < 0) {
            return;
        }
        m_path = (*dir / platform::windowSocketName("Speak Freely")).string();
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::snprintf(address.sun_path, sizeof address.sun_path, "%s", m_path.c_str());
        ::bind(m_fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
        timeval wait{5, 0};
        ::setsockopt(m_fd, SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait);
    }
    ~SpeakFreelyWindow() {
        if (m_fd >= 0) {
            ::close(m_fd);
            ::unlink(m_path.c_str());
        }
        ::unsetenv("XDG_RUNTIME_DIR");
    }
    std::optional<platform::WindowMessage> receive() {
        char buffer[256];
        const ssize_t n = ::recv(m_fd, buffer, sizeof buffer, 0);
        if (n < 0) {
            return std::nullopt;
        }
        return platform::decodeWindowMessage(std::string_view(buffer, static_cast<size_t>(n)));
    }

  private:
    int m_fd = -1;
    std::string m_path;
};

TEST(BraktonConnect, ConnectsBackAfterFiveSecondsAndForwardsRepliesInOrder) {
    BraktonRig rig;
    ASSERT_TRUE(rig.startAll()) << rig.error();
    SpeakFreelyWindow speakFreely(rig.runtimeDir());

    const auto connectAt = Clock::now();
    EXPECT_EQ(rig.server()->Connect("Nemo"), 0);
    EXPECT_LT(Clock::now() - connectAt, 200ms);
    const auto notice = speakFreely.receive();
    ASSERT_TRUE(notice.has_value());
    EXPECT_EQ(*notice, (platform::WindowMessage{0x475, 0, 0, {}}));

    // Before the connect-back a reply goes nowhere.
    rig.radio().injectRaw("FA00007000000;");
    const auto connect = rig.client().waitForOp("Connect", 9s);
    ASSERT_TRUE(connect.has_value()) << rig.braktonStderr();
    EXPECT_EQ(connect->text, "Brakton");
    EXPECT_GE(connect->time - connectAt, 5000ms);
    EXPECT_LE(connect->time - connectAt, 8000ms);
    std::this_thread::sleep_for(300ms);
    for (const auto& call : rig.client().calls()) {
        EXPECT_NE(call.text, "FA00007000000") << "forwarded before the connect-back";
    }

    // A burst, one reply split across two writes and one unknown reply.
    const std::size_t from = rig.client().count();
    std::string burst;
    std::vector<std::string> expected;
    for (int i = 0; i < 48; ++i) {
        const std::string reply = "FA000070" + std::to_string(10000 + i);
        burst += reply + ";";
        expected.push_back(reply);
    }
    burst += "ZZ1;FB00007100000;";
    expected.push_back("ZZ1");
    expected.push_back("FB00007100000");
    rig.radio().injectRaw(burst, {{burst.size() - 8, 50ms}});
    const auto calls = rig.client().waitFor(from + expected.size(), 10s);
    ASSERT_GE(calls.size(), from + expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const auto& call = calls[from + i];
        EXPECT_EQ(call.op, "NotifyCmd");
        EXPECT_EQ(call.text, expected[i]) << i;
        EXPECT_EQ(call.code, expected[i] == "ZZ1" ? 0 : expected[i][1] == 'A' ? 6 : 7) << i;
    }

    // Disconnect holds the server 2 s, and nothing follows it.
    const auto disconnectAt = Clock::now();
    EXPECT_EQ(rig.server()->Disconnect(), 0);
    EXPECT_GE(Clock::now() - disconnectAt, 2000ms);
    const std::size_t after = rig.client().count();
    rig.radio().injectRaw("FA00007020000;");
    std::this_thread::sleep_for(600ms);
    EXPECT_EQ(rig.client().count(), after);
}

TEST(BraktonConnect, DisconnectDuringTheWaitCancelsTheConnectBack) {
    BraktonRig rig;
    ASSERT_TRUE(rig.startAll()) << rig.error();
    EXPECT_EQ(rig.server()->Connect("Nemo"), 0);
    std::this_thread::sleep_for(1s);
    EXPECT_EQ(rig.server()->Disconnect(), 0);
    EXPECT_FALSE(rig.client().waitForOp("Connect", 8s).has_value());
}

TEST(BraktonConnect, EchoDuringDisconnectWaitsForIt) {
    BraktonRig rig;
    ASSERT_TRUE(rig.startAll()) << rig.error();
    EXPECT_EQ(rig.server()->Connect("Nemo"), 0);
    const auto start = Clock::now();
    std::thread disconnect([&] { rig.server()->Disconnect(); });
    std::this_thread::sleep_for(300ms);
    rig.server()->EchoString("during");
    EXPECT_GE(Clock::now() - start, 2000ms);
    disconnect.join();
}

// --- 4. Wire table -----------------------------------------------------------------------------

// One radio operation after Connect: its status and exactly what reaches the
// radio. The arguments are chosen so that swapping two of them changes the
// bytes or the status.
struct WireCase {
    const char* name;
    std::function<CORBA::Long(RadioComm_ptr)> call;
    CORBA::Long status;
    std::vector<std::string> commands;  // without ";"
    // The pause between two of them, and the least gap accepted between the
    // times their first bytes were written: the simulator stamps a command
    // when it takes its ";" off the line, a character time per byte after it
    // was written, and may read it a little late under load.
    std::chrono::milliseconds gap{0};
    std::chrono::milliseconds minGap{0};
};

RADIO_MEM_INFO storedState() {
    RADIO_MEM_INFO m{};
    m.ulVFOA_Freq = 7010000;
    m.ulVFOB_Freq = 14020000;
    m.uiOpMode = 3;
    m.uiXFIL = 2;
    m.uiCurXFILBW = 1500;
    m.uiAFIL = 1;
    m.uiAGC = 1;
    m.uiNB = 1;
    m.uiCWSpeed = 25;
    m.uiAntPos = 2;
    m.iRFPower = 40;
    m.uiActiveRxVFO = 1;
    m.uiActiveTxVFO = 0;
    return m;
}

const std::vector<WireCase> kWireCases = {
    {"AutoInfoSet", [](RadioComm_ptr s) { return s->AutoInfo(1, 3); }, 0, {"AI3"}},
    {"AutoInfoQueryIgnoresRange", [](RadioComm_ptr s) { return s->AutoInfo(0, 4); }, 0, {"AI"}},
    {"AutoInfoOutOfRange", [](RadioComm_ptr s) { return s->AutoInfo(1, 4); }, kInvalid, {}},
    {"CommandMode", [](RadioComm_ptr s) { return s->CommandMode(1, 2); }, 0, {"K22"}},
    {"Antenna", [](RadioComm_ptr s) { return s->Antenna(1, 2); }, 0, {"AN2"}},
    {"MoveActiveVFOFreqDown",
     [](RadioComm_ptr s) { return s->MoveActiveVFOFreq(2, 3); },
     0,
     {"DN3"}},
    {"MoveActiveVFOFreqTooFar",
     [](RadioComm_ptr s) { return s->MoveActiveVFOFreq(1, 5); },
     kInvalid,
     {}},
    {"VFOFreqB", [](RadioComm_ptr s) { return s->VFOFreq(1, 1, 7040000); }, 0, {"FB00007040000"}},
    {"VFOFreqBadVfoQuery", [](RadioComm_ptr s) { return s->VFOFreq(0, 2, 0); }, kInvalid, {}},
    {"NoiseBlankerLevelNotSent", [](RadioComm_ptr s) { return s->NoiseBlanker(1, 2); }, 0, {"NB1"}},
    {"NoiseBlankerOutOfRange", [](RadioComm_ptr s) { return s->NoiseBlanker(1, 3); }, kInvalid, {}},
    {"ReceiverAGC", [](RadioComm_ptr s) { return s->ReceiverAGC(1, 4); }, 0, {"GT0041"}},
    {"ReceiverPreampOff", [](RadioComm_ptr s) { return s->ReceiverPreamp(1, 0); }, 0, {"PA0"}},
    {"ReceiverAttenuatorFlag",
     [](RadioComm_ptr s) { return s->ReceiverAttenuator(1, 5); },
     0,
     {"RA01"}},
    {"XFILSelection", [](RadioComm_ptr s) { return s->XFILSelection(1, 500, 2); }, 0, {"FW05002"}},
    {"XFILSelectionBadFilter",
     [](RadioComm_ptr s) { return s->XFILSelection(1, 2, 500); },
     kInvalid,
     {}},
    {"AFILSelection", [](RadioComm_ptr s) { return s->AFILSelection(0, 3); }, 0, {"SW29"}},
    {"OperatingMode", [](RadioComm_ptr s) { return s->OperatingMode(1, 3); }, 0, {"MD3"}},
    {"CWKeyerSpeedRaisedToNine",
     [](RadioComm_ptr s) { return s->CWKeyerSpeed(1, 5); },
     0,
     {"KS009"}},
    {"CWKeyerSpeedNegative", [](RadioComm_ptr s) { return s->CWKeyerSpeed(1, -1); }, 0, {"KS050"}},
    {"RFPowerOutput", [](RadioComm_ptr s) { return s->RFPowerOutput(1, 50, 1); }, 0, {"PC0501"}},
    {"RFPowerOutputNegative",
     [](RadioComm_ptr s) { return s->RFPowerOutput(1, -5, 0); },
     0,
     {"PC0000"}},
    {"ChangeBandUp", [](RadioComm_ptr s) { return s->ChangeBand(1); }, 0, {"SW01"}},
    {"ChangeBandOther", [](RadioComm_ptr s) { return s->ChangeBand(2); }, 0, {"SW03"}},
    {"RecvVFOAssignment",
     [](RadioComm_ptr s) { return s->TransceiverRecvVFOAssignment(1, 1); },
     0,
     {"FR1"}},
    {"RecvVFOAssignmentBad",
     [](RadioComm_ptr s) { return s->TransceiverRecvVFOAssignment(1, 2); },
     kInvalid,
     {}},
    {"TxVFOAssignment",
     [](RadioComm_ptr s) { return s->TransceiverTxVFOAssignment(1, 0); },
     0,
     {"FT0"}},
    {"RITControlFlag", [](RadioComm_ptr s) { return s->RITControl(1, 7); }, 0, {"RT1"}},
    {"XITControlOff", [](RadioComm_ptr s) { return s->XITControl(1, 0); }, 0, {"XT0"}},
    {"IncrementalOffsetTuningDown",
     [](RadioComm_ptr s) { return s->IncrementalOffsetTuning(2); },
     0,
     {"RD"}},
    {"IncrementalOffsetTuningBad",
     [](RadioComm_ptr s) { return s->IncrementalOffsetTuning(3); },
     kInvalid,
     {}},
    {"ClearFineRITOffset", [](RadioComm_ptr s) { return s->ClearFineRITOffset(); }, 0, {"RC"}},
    {"LockVFOOff", [](RadioComm_ptr s) { return s->LockVFO(1, 0); }, 0, {"LK0"}},
    {"TuneTransmitter", [](RadioComm_ptr s) { return s->TuneTransmitter(); }, 0, {"SW20"}},
    {"SendDiagnosticData", [](RadioComm_ptr s) { return s->SendDiagnosticData("FA"); }, 0, {"FA"}},
    {"QueryKeyboardCWTxStatus",
     [](RadioComm_ptr s) { return s->QueryKeyboardCWTxStatus(); },
     0,
     {"KY"}},
    {"EmulateKeySwitchLast", [](RadioComm_ptr s) { return s->EmulateKeySwitch(69); }, 0, {"SW69"}},
    {"EmulateKeySwitchTooHigh",
     [](RadioComm_ptr s) { return s->EmulateKeySwitch(70); },
     kInvalid,
     {}},
    {"SquelchLevelClamped", [](RadioComm_ptr s) { return s->SquelchLevel(1, 300); }, 0, {"SQ250"}},
    {"ReadBarGraphLevel", [](RadioComm_ptr s) { return s->ReadBarGraphLevel(); }, 0, {}},
    {"ReadDisplay",
     [](RadioComm_ptr s) {
         CORBA::String_var text;
         CORBA::Short a = 5, b = 5;
         const CORBA::Long status = s->ReadDisplay(text.out(), a, b);
         EXPECT_STREQ(text.in(), "");
         EXPECT_EQ(a, 0);
         EXPECT_EQ(b, 0);
         return status;
     },
     0,
     {}},
    {"ReadTransceiverInfo", [](RadioComm_ptr s) { return s->ReadTransceiverInfo(); }, 0, {}},
    {"GetTransceiverPowerOnStatus",
     [](RadioComm_ptr s) { return s->GetTransceiverPowerOnStatus(); },
     0,
     {}},
    {"RITTuningDown",
     [](RadioComm_ptr s) { return s->RITTuning(2, 35); },
     0,
     {"RD", "RD", "RD"},
     10ms,
     5ms},
    {"RITTuningBelowOneStep", [](RadioComm_ptr s) { return s->RITTuning(1, 9); }, 0, {}},
    {"RITTuningNegative", [](RadioComm_ptr s) { return s->RITTuning(1, -1); }, kInvalid, {}},
    {"RITTuningBadDirection", [](RadioComm_ptr s) { return s->RITTuning(3, 50); }, kInvalid, {}},
    {"FrequencyScan",
     [](RadioComm_ptr s) { return s->FrequencyScan(7000000, 7100000); },
     0,
     {"FA00007000000", "FB00007100000", "SW19", "SW25"},
     100ms,
     80ms},
    {"FrequencyScanReversed", [](RadioComm_ptr s) { return s->FrequencyScan(2, 1); }, kInvalid, {}},
    {"GetInitialRadioInfo",
     [](RadioComm_ptr s) { return s->GetInitialRadioInfo(); },
     0,
     {"IF", "FA", "FB", "PA", "RA", "FW", "GT", "KS", "PC", "AN", "NB", "SQ", "LK"},
     100ms,
     80ms},
    {"DownloadRadioInfo",
     [](RadioComm_ptr s) { return s->DownloadRadioInfo(storedState()); },
     0,
     {"FA00007010000", "FB00014020000", "FR1", "FT0", "MD3", "FW15002", "FT0", "FR1", "KS025"},
     100ms,
     80ms},
};

// Each row runs on one connected server; a diagnostic "ID;" after it fences
// off what the row sent from what the next one sends.
TEST(BraktonWire, EachRadioOperationSendsExactlyItsCommands) {
    BraktonRig rig;
    ASSERT_TRUE(rig.startAll()) << rig.error();
    RadioComm_ptr server = rig.server();
    ASSERT_TRUE(rig.radio().waitForCommand("AI3", 10s).has_value());
    ASSERT_EQ(server->Connect("Nemo"), 0);

    for (const WireCase& c : kWireCases) {
        SCOPED_TRACE(c.name);
        const std::size_t from = rig.radio().commandCount();
        EXPECT_EQ(c.call(server), c.status);
        ASSERT_EQ(server->SendDiagnosticData("ID"), 0);
        const auto fence = rig.radio().waitForCommand("ID", 10s, from);
        ASSERT_TRUE(fence.has_value());
        const auto all = rig.radio().commands();
        std::vector<std::string> sent;
        for (std::size_t i = from; i < fence->index; ++i) {
            sent.push_back(all[i].text);
        }
        EXPECT_EQ(sent, c.commands);
        if (c.gap.count() > 0 && sent == c.commands) {
            const auto perCharacter =
                sim::characterTime(rig.radio().lineSettings().value_or(sim::LineSettings{}), 1.0);
            auto firstByte = [&](const sim::CommandRecord& command) {
                return command.time - perCharacter * static_cast<long>(command.text.size() + 1);
            };
            for (std::size_t i = from + 1; i < fence->index; ++i) {
                const auto gap = firstByte(all[i]) - firstByte(all[i - 1]);
                EXPECT_GE(gap, c.minGap) << all[i].text;
                EXPECT_LT(gap, c.gap + 1000ms) << all[i].text;
            }
        }
    }
}

// --- 5. Polling and CW -------------------------------------------------------------------------

std::vector<e2e::Callback> callsOf(const std::vector<e2e::Callback>& calls, const std::string& op,
                                   std::size_t from = 0) {
    std::vector<e2e::Callback> found;
    for (std::size_t i = from; i < calls.size(); ++i) {
        if (calls[i].op == op) {
            found.push_back(calls[i]);
        }
    }
    return found;
}

std::vector<sim::CommandRecord> commandsMatching(const sim::K2Simulator& radio,
                                                 const std::string& prefix, std::size_t from = 0) {
    std::vector<sim::CommandRecord> found;
    for (const auto& c : radio.commands()) {
        if (c.index >= from && c.text.rfind(prefix, 0) == 0) {
            found.push_back(c);
        }
    }
    return found;
}

TEST(BraktonPolling, QueriesOnceASecondForwardsChangesOnceAndStops) {
    BraktonRig rig;
    ASSERT_TRUE(rig.startAll()) << rig.error();
    ASSERT_TRUE(rig.connectAndWaitForCallBacks()) << rig.error();
    const std::size_t fromCall = rig.client().count();
    const std::size_t from = rig.radio().commandCount();

    ASSERT_EQ(rig.server()->EnableStatusQuery(1), 0);
    // Four rounds of DS then BG.
    std::optional<sim::CommandRecord> last;
    std::size_t next = from;
    for (int round = 0; round < 4; ++round) {
        const auto ds = rig.radio().waitForCommand("DS", 10s, next);
        ASSERT_TRUE(ds.has_value()) << "round " << round;
        const auto bg = rig.radio().waitForCommand("BG", 10s, ds->index + 1);
        ASSERT_TRUE(bg.has_value()) << "round " << round;
        EXPECT_EQ(bg->index, ds->index + 1) << "BG follows DS at once";
        if (last) {
            const auto period = ds->time - last->time;
            EXPECT_GE(period, 900ms) << "round " << round;
            EXPECT_LT(period, 2500ms) << "round " << round;
        }
        last = ds;
        next = bg->index + 1;
    }
    // The readings never changed: each went to the client once.
    ASSERT_TRUE(rig.radio().waitForOutputIdle(5s));
    const auto calls = rig.client().waitFor(fromCall + 2, 5s);
    std::size_t displays = 0;
    std::size_t bars = 0;
    for (const auto& call : callsOf(calls, "NotifyCmd", fromCall)) {
        displays += call.text.rfind("DS", 0) == 0 ? 1 : 0;
        bars += call.text.rfind("BG", 0) == 0 ? 1 : 0;
    }
    EXPECT_EQ(displays, 1u);
    EXPECT_EQ(bars, 1u);

    // Off: a query already under way may still go out, then nothing.
    ASSERT_EQ(rig.server()->EnableStatusQuery(0), 0);
    const std::size_t offAt = rig.radio().commandCount();
    EXPECT_FALSE(rig.radio().waitForCommand("DS", 3500ms, offAt + 2).has_value())
        << ::testing::PrintToString(commandTexts(rig.radio()));
}

// 60 characters: every blank is a place to cut.
const std::string kSixtyCharacters = "CQ CQ CQ DE N0CALL N0CALL N0CALL PSE K TNX FER CALL UR RST 5";

// The last keyboard-CW notice among the call-backs from `from` on. Radio
// replies (a late "KY2" among them) may still follow it.
std::string lastCWNotice(const std::vector<e2e::Callback>& calls, std::size_t from) {
    std::string last;
    for (std::size_t i = from; i < calls.size(); ++i) {
        if (calls[i].op == "NotifyTextMessageSent" || calls[i].op == "NotifyTextMessageEmpty") {
            last = calls[i].op;
        }
    }
    return last;
}

std::string joinedChunks(const std::vector<sim::CommandRecord>& chunks) {
    std::string text;
    for (const auto& c : chunks) {
        text += c.text.substr(3);
    }
    return text;
}

TEST(BraktonCW, SendsTheTextInChunksAndReportsEachOne) {
    ASSERT_EQ(kSixtyCharacters.size(), 60u);
    BraktonRig rig;
    // The simulator keys 20 times faster, so the radio asks for more soon.
    ASSERT_TRUE(rig.startAll({}, {}, 20.0)) << rig.error();
    ASSERT_TRUE(rig.connectAndWaitForCallBacks()) << rig.error();
    const std::size_t fromCall = rig.client().count();
    const std::size_t from = rig.radio().commandCount();

    ASSERT_EQ(rig.server()->KeyboardCW(kSixtyCharacters.c_str()), 0);
    const auto empty = [&]() -> std::optional<e2e::Callback> {
        // The last notice of the text: an empty ring once everything was sent.
        const auto deadline = Clock::now() + 30s;
        while (Clock::now() < deadline) {
            const auto calls = rig.client().calls();
            const auto sent = callsOf(calls, "NotifyTextMessageSent", fromCall);
            std::string text;
            for (const auto& s : sent) {
                text += s.text;
            }
            if (text == kSixtyCharacters &&
                lastCWNotice(calls, fromCall) == "NotifyTextMessageEmpty") {
                return calls.back();
            }
            rig.client().waitFor(calls.size() + 1, 1s);
        }
        return std::nullopt;
    }();
    const auto calls = rig.client().calls();
    std::string cwNotices;
    for (std::size_t i = fromCall; i < calls.size(); ++i) {
        if (calls[i].op != "NotifyCmd") {
            cwNotices += calls[i].op + "(" + calls[i].text + ") ";
        }
    }
    ASSERT_TRUE(empty.has_value()) << ::testing::PrintToString(commandTexts(rig.radio())) << "\n"
                                   << cwNotices << "\n"
                                   << rig.braktonStderr();

    const auto chunks = commandsMatching(rig.radio(), "KY ", from);
    ASSERT_FALSE(chunks.empty());
    for (const auto& chunk : chunks) {
        EXPECT_LE(chunk.text.size() - 3, 24u) << chunk.text;
    }
    EXPECT_EQ(joinedChunks(chunks), kSixtyCharacters);

    std::string notified;
    for (const auto& call : callsOf(calls, "NotifyTextMessageSent", fromCall)) {
        notified += call.text;
    }
    EXPECT_EQ(notified, kSixtyCharacters);
    EXPECT_EQ(lastCWNotice(calls, fromCall), "NotifyTextMessageEmpty");
}

TEST(BraktonCW, AbortInMidTextSendsTheAbortCommand) {
    BraktonRig rig;
    ASSERT_TRUE(rig.startAll()) << rig.error();
    ASSERT_EQ(rig.server()->Connect("Nemo"), 0);
    const std::size_t from = rig.radio().commandCount();

    // At the radio's own pace the first chunk takes seconds to key.
    ASSERT_EQ(rig.server()->KeyboardCW(kSixtyCharacters.c_str()), 0);
    const auto first = rig.radio().waitForCommand("KY .+", 10s, from);
    ASSERT_TRUE(first.has_value());
    ASSERT_EQ(rig.server()->AbortKeyboardCW(), 0);
    const auto abort = rig.radio().waitForCommand("KY @", 5s, first->index + 1);
    ASSERT_TRUE(abort.has_value()) << ::testing::PrintToString(commandTexts(rig.radio()));
}

struct HostileTextCase {
    const char* name;
    std::string text;
};
ROW_NAME(HostileTextCase, row.name);

class BraktonCWText : public ::testing::TestWithParam<HostileTextCase> {};

// Whatever the client sends, the text stays inside KY commands.
TEST_P(BraktonCWText, NeverStartsASecondCommand) {
    const HostileTextCase& c = GetParam();
    BraktonRig rig;
    ASSERT_TRUE(rig.startAll({}, {}, 20.0)) << rig.error();
    ASSERT_EQ(rig.server()->Connect("Nemo"), 0);
    const std::size_t from = rig.radio().commandCount();

    ASSERT_EQ(rig.server()->KeyboardCW(c.text.c_str()), 0);
    const auto chunk = rig.radio().waitForCommand("KY .+", 10s, from);
    ASSERT_TRUE(chunk.has_value());
    // The idle KY polls that follow mark the end of what this text sent.
    ASSERT_TRUE(rig.radio().waitForCommand("KY", 10s, chunk->index + 1).has_value());
    for (const auto& command : rig.radio().commands()) {
        if (command.index < from) {
            continue;
        }
        EXPECT_TRUE(command.text == "KY" || command.text.rfind("KY ", 0) == 0)
            << ::testing::PrintToString(command.text);
        EXPECT_EQ(command.text.find('@'), std::string::npos) << command.text;
        for (char ch : command.text) {
            EXPECT_GE(static_cast<unsigned char>(ch), 0x20)
                << ::testing::PrintToString(command.text);
        }
    }
    EXPECT_EQ(rig.radio().errorReplyCount(), 0u);
    EXPECT_EQ(joinedChunks(commandsMatching(rig.radio(), "KY ", from)).size(), c.text.size());
}

INSTANTIATE_TEST_SUITE_P(Brakton, BraktonCWText,
                         ::testing::Values(HostileTextCase{"Semicolon", "CQ;FA00014000000;TEST "},
                                           HostileTextCase{"CarriageReturn",
                                                           "CQ\rFA00014000000\r "},
                                           HostileTextCase{"Newline", "CQ\nMD1;\n "},
                                           HostileTextCase{"Abort", "CQ @ DE "}),
                         CaseName());

// --- 6. Vanished client ------------------------------------------------------------------------

TEST(BraktonVanishedClient, ServerAnswersAndTheNextClientGetsCallBacks) {
    BraktonRig rig;
    ASSERT_TRUE(rig.startAll()) << rig.error();

    // A second client process takes "RadioCmdNotification", is connected
    // back to, and dies without a Disconnect.
    PeerProcess other;
    ASSERT_TRUE(other.start(PeerRole::Client, rig.naming(), rig.dir())) << other.error();
    ASSERT_EQ(rig.server()->Connect("Other"), 0);
    const auto records = other.waitForRecords(1, 15s);
    ASSERT_FALSE(records.empty());
    EXPECT_EQ(records[0].operation, "Connect");
    const PortHold held = other.process().killHoldingPorts();
    ASSERT_TRUE(held.holding()) << held.error();

    // The server's next call-back fails.
    rig.radio().injectRaw("FA00007030000;");
    ASSERT_TRUE(rig.radio().waitForOutputIdle(5s));
    const auto start = Clock::now();
    EXPECT_EQ(rig.server()->OperatingMode(1, 3), 0);
    EXPECT_LT(Clock::now() - start, 1s);
    ASSERT_TRUE(rig.radio().waitForCommand("MD3", 5s).has_value());

    // This process's client connects and is called back.
    rig.rebindClient();
    ASSERT_TRUE(rig.connectAndWaitForCallBacks()) << rig.error();
    const std::size_t from = rig.client().count();
    rig.radio().injectRaw("FA00007040000;");
    const auto reply = rig.client().waitForOp("NotifyCmd", 5s, from);
    ASSERT_TRUE(reply.has_value());
    EXPECT_EQ(reply->text, "FA00007040000");
    EXPECT_TRUE(rig.brakton().running());
}

// --- 7. Shut-down ------------------------------------------------------------------------------

struct ShutdownCase {
    const char* name;
    int signal;
    bool busy;    // polling on and CW in flight
    bool traced;  // RIGCONTROL_TRACE=1: the exit's trace is written
};
ROW_NAME(ShutdownCase, row.name);

class BraktonShutdown : public ::testing::TestWithParam<ShutdownCase> {};

TEST_P(BraktonShutdown, EndsWithAI0AndExitCodeZero) {
    const ShutdownCase& c = GetParam();
    if (c.traced) {
        setenv("RIGCONTROL_TRACE", "1", 1);
    } else {
        unsetenv("RIGCONTROL_TRACE");
    }
    BraktonRig rig;
    ASSERT_TRUE(rig.startAll()) << rig.error();
    if (c.busy) {
        EXPECT_EQ(rig.server()->Connect("Nemo"), 0);
        EXPECT_EQ(rig.server()->EnableStatusQuery(1), 0);
        EXPECT_EQ(rig.server()->KeyboardCW("CQ CQ CQ DE N0CALL N0CALL K"), 0);
        ASSERT_TRUE(rig.radio().waitForCommand("KY .*", 5s).has_value());
    }
    const auto start = Clock::now();
    const auto exit = rig.signalAndWait(c.signal, 5s);
    ASSERT_TRUE(exit.has_value()) << "still running after 5 s";
    EXPECT_LT(Clock::now() - start, 5s);
    EXPECT_TRUE(WIFEXITED(*exit) && WEXITSTATUS(*exit) == 0) << *exit;
    const auto texts = commandTexts(rig.radio());
    ASSERT_FALSE(texts.empty());
    EXPECT_EQ(texts.back(), "AI0") << ::testing::PrintToString(texts);
    const std::string err = rig.braktonStderr();
    EXPECT_EQ(err.find("did not stop within"), std::string::npos) << err;
    EXPECT_FALSE(hasSanitizerReport(err)) << err;
    EXPECT_EQ(err.find("Exiting Brakton...") != std::string::npos, c.traced) << err;
    unsetenv("RIGCONTROL_TRACE");
}

INSTANTIATE_TEST_SUITE_P(Brakton, BraktonShutdown,
                         ::testing::Values(ShutdownCase{"TermIdle", SIGTERM, false, false},
                                           ShutdownCase{"IntIdle", SIGINT, false, false},
                                           ShutdownCase{"TermBusy", SIGTERM, true, false},
                                           ShutdownCase{"IntBusy", SIGINT, true, false},
                                           ShutdownCase{"TermIdleTraced", SIGTERM, false, true}),
                         CaseName());

}  // namespace
