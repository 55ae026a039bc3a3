// Status polling, and the radio object's port: settings, open, reopen,
// close and failing writes, all on real pseudo-terminals.

#include <gtest/gtest.h>
#include <termios.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <regex>
#include <string>
#include <tuple>
#include <vector>

#include "radio_rig.h"
#include "radiolink/k2_status_cmd_query_thread.h"
#include "tests/support/row_names.h"

namespace {

using namespace radiotest;

// A display reply as the radio sends it: 14060.00 with the status bytes `status`.
std::string Display(std::string status) {
    return std::string("DS\x40") + "14060\xB0" + "0" + status + ";";
}

// --- The status task on its own, against a radio object with a port ---------

struct MaskCase {
    const char* name;
    std::uint16_t mask;
    std::string perPoll;  // empty: polls send nothing
};
ROW_NAME(MaskCase, row.name);

class StatusMaskTest : public ::testing::TestWithParam<MaskCase> {};

TEST_P(StatusMaskTest, EachPollSendsTheMasksQueries) {
    const MaskCase& c = GetParam();
    RadioRig rig;
    ASSERT_EQ(rig.radio.OpenCommPort(1, 4800, 8, 0, 1), K2ERR_NONE);
    CK2StatusCmdQueryThread status;
    ASSERT_TRUE(status.Start());
    status.Post(CK2StatusCmdQueryThread::ParamCmd{&rig.radio, 50ms});
    status.Post(
        CK2StatusCmdQueryThread::RemoteCmd{CK2RadioPort::REMOTE_CMD_SET_STATUS_QUERY_MASK, c.mask});
    status.Post(
        CK2StatusCmdQueryThread::RemoteCmd{CK2RadioPort::REMOTE_CMD_ENABLE_STATUS_QUERY, 0});
    const std::string wire = rig.line.Collect(400ms);
    status.Stop();
    if (c.perPoll.empty()) {
        EXPECT_EQ(wire, "");
        return;
    }
    // Whole polls only, several of them.
    ASSERT_TRUE(std::regex_match(wire, std::regex("(" + c.perPoll + ")+"))) << wire;
    EXPECT_GE(wire.size() / c.perPoll.size(), 3u);
}

const MaskCase kMaskCases[] = {
    {"None", 0, ""},           {"OnlyUnknownBit", 8, ""},
    {"DisplayOnly", 1, "DS;"}, {"DisplayAndBarGraph", 3, "DS;BG;"},
    {"All", 7, "DS;BG;IF;"},   {"AllAndMore", 15, "DS;BG;IF;"},
};

INSTANTIATE_TEST_SUITE_P(Status, StatusMaskTest, ::testing::ValuesIn(kMaskCases), CaseName());

TEST(StatusTaskTest, ParamSwitchesPollingOffAndCWPauseIsSeparate) {
    RadioRig rig;
    ASSERT_EQ(rig.radio.OpenCommPort(1, 4800, 8, 0, 1), K2ERR_NONE);
    CK2StatusCmdQueryThread status;
    ASSERT_TRUE(status.Start());
    status.Post(CK2StatusCmdQueryThread::ParamCmd{&rig.radio, 50ms});
    EXPECT_EQ(rig.line.Collect(200ms), "");  // off until enabled

    status.Post(
        CK2StatusCmdQueryThread::RemoteCmd{CK2RadioPort::REMOTE_CMD_ENABLE_STATUS_QUERY, 0});
    EXPECT_NE(rig.line.Collect(200ms).find("DS;BG;"), std::string::npos);
    status.Post(CK2StatusCmdQueryThread::ParamCmd{&rig.radio, 50ms});
    rig.line.Collect(60ms);
    EXPECT_EQ(rig.line.Collect(200ms), "");

    // The client turns polling off; the CW task's resume must not undo it.
    status.Post(
        CK2StatusCmdQueryThread::RemoteCmd{CK2RadioPort::REMOTE_CMD_ENABLE_STATUS_QUERY, 0});
    status.Post(CK2StatusCmdQueryThread::CWPause{true});
    EXPECT_EQ(rig.line.Collect(200ms), "");
    status.Post(
        CK2StatusCmdQueryThread::RemoteCmd{CK2RadioPort::REMOTE_CMD_DISABLE_STATUS_QUERY, 0});
    status.Post(CK2StatusCmdQueryThread::CWPause{false});
    EXPECT_EQ(rig.line.Collect(200ms), "");
}

// The same through the radio object: a keyboard-CW run to its end leaves the
// client's "polling off" alone.
TEST(StatusPollingTest, CWRunDoesNotUndoTheClientsPollingOff) {
    RadioRig rig;
    rig.Open();
    rig.radio.EnableStatusQuery(1);
    ASSERT_NE(rig.line.ReadUntil("DS;BG;").find("DS;BG;"), std::string::npos);
    rig.radio.EnableStatusQuery(0);
    ASSERT_EQ(rig.radio.KeyboardCW("E E"), K2ERR_NONE);
    for (int i = 0; i < 4; ++i) {
        rig.line.ReadUntil("KY;");
        rig.line.Write("KY2;");
    }
    rig.line.Collect(2 * kStatusPeriod);
    EXPECT_EQ(rig.line.Collect(3 * kStatusPeriod).find("DS;"), std::string::npos);
}

// The diagnostic dialog polls the display only. Leaving it switches polling off without a
// client, and goes back to the whole mask while one is connected.
struct DiagnosticExitCase {
    const char* name;
    bool clientConnected;
};
ROW_NAME(DiagnosticExitCase, row.name);

class DiagnosticModeTest : public ::testing::TestWithParam<DiagnosticExitCase> {};

TEST_P(DiagnosticModeTest, PollsTheDisplayOnlyUntilLeft) {
    RadioRig rig;
    rig.client.connected = GetParam().clientConnected;
    rig.Open();
    FakeTarget dialog(rig.events);
    rig.radio.EnterCOMPortDiagMode(&dialog);
    const std::string polled = rig.line.Collect(3 * kStatusPeriod + 100ms);
    EXPECT_NE(polled.find("DS;"), std::string::npos);
    EXPECT_EQ(polled.find("BG;"), std::string::npos);

    rig.radio.ExitCOMPortDiagMode();
    rig.line.Collect(kStatusPeriod);
    const std::string after = rig.line.Collect(3 * kStatusPeriod);
    if (GetParam().clientConnected) {
        EXPECT_NE(after.find("DS;BG;"), std::string::npos) << after;
    } else {
        EXPECT_EQ(after, "");
    }
}

INSTANTIATE_TEST_SUITE_P(Exit, DiagnosticModeTest,
                         ::testing::Values(DiagnosticExitCase{"NoClientStopsPolling", false},
                                           DiagnosticExitCase{"ConnectedClientKeepsPolling", true}),
                         CaseName());

// --- Port ------------------------------------------------------------------------

TEST(RadioPortTest, SettingsReachTheLine) {
    RadioRig rig;
    // A pty keeps 8 bits without parity whatever it is asked, so speed and
    // stop bits are what can be seen from the master.
    ASSERT_EQ(rig.radio.OpenCommPort(1, 9600, 8, 0, 2), K2ERR_NONE);
    termios t{};
    ASSERT_EQ(::tcgetattr(rig.line.master(), &t), 0);
    EXPECT_EQ(::cfgetospeed(&t), static_cast<speed_t>(B9600));
    EXPECT_EQ(t.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
    EXPECT_NE(t.c_cflag & CSTOPB, 0u);
    EXPECT_EQ(t.c_lflag & (ICANON | ECHO), 0u);
}

TEST(RadioPortTest, OpenRunsTheStartUpSequence) {
    RadioRig rig(kLogCommands);
    ASSERT_EQ(rig.radio.OpenRadioPort(1, 4800, 8, 0, 1), K2ERR_NONE);
    EXPECT_EQ(rig.events.Take(),
              (std::vector<std::string>{"log 1 2 K22;", "pause 100", "log 1 2 AI3;", "pause 100",
                                        "pause 500", "pause 100", "pause 500", "pause 100",
                                        "pause 500", "pause 100"}));
    EXPECT_EQ(rig.line.ReadUntil("AI3;"), "K22;AI3;");
    EXPECT_NE(rig.radio.GetRecvrThreadID(), 0u);

    // A second open changes nothing and says why.
    EXPECT_EQ(rig.radio.OpenRadioPort(1, 4800, 8, 0, 1), K2ERR_PORT_OPEN_FAILED);
    EXPECT_EQ(rig.Only("log 0 1 ").size(), 1u);
    EXPECT_TRUE(rig.radio.IsOpen());
    EXPECT_EQ(rig.line.Collect(100ms), "");

    rig.radio.CloseRadioPort();
    EXPECT_EQ(rig.line.Collect(100ms), "AI0;");
    EXPECT_EQ(rig.radio.GetRecvrThreadID(), 0u);
    EXPECT_FALSE(rig.radio.IsOpen());
    EXPECT_EQ(rig.radio.CloseRadioPort(), K2ERR_NONE);
    EXPECT_EQ(rig.radio.OperatingMode(1, 3), K2ERR_PORT_NOT_OPEN);
}

struct OpenFailureCase {
    const char* name;
    std::uint16_t port;
    std::uint32_t baud;
    std::uint8_t parity;
    std::uint32_t status;
};
ROW_NAME(OpenFailureCase, row.name);

class OpenFailureTest : public ::testing::TestWithParam<OpenFailureCase> {};

TEST_P(OpenFailureTest, SendsNothingAndStartsNothing) {
    const OpenFailureCase& c = GetParam();
    RadioRig rig(kLogCommands);
    std::filesystem::create_symlink(rig.dir.path() / "nowhere", rig.dir.path() / "com4");
    EXPECT_EQ(rig.radio.OpenRadioPort(c.port, c.baud, 8, c.parity, 1), c.status);
    EXPECT_EQ(rig.radio.LastError(), c.status);
    EXPECT_FALSE(rig.radio.IsOpen());
    EXPECT_EQ(rig.radio.GetRecvrThreadID(), 0u);
    EXPECT_EQ(rig.line.Collect(100ms), "");
    const auto events = rig.events.Take();
    ASSERT_EQ(events.size(), 1u);  // one error record, no command
    EXPECT_EQ(events[0].rfind("log 0 1 ", 0), 0u) << events[0];
}

const OpenFailureCase kOpenFailureCases[] = {
    {"MissingDevice", 4, 4800, 0, K2ERR_PORT_OPEN_FAILED},
    {"PortZero", 0, 4800, 0, K2ERR_PORT_OPEN_FAILED},
    {"UnsupportedSpeed", 1, 12345, 0, K2ERR_PORT_SETUP_FAILED},
    {"UnknownParity", 1, 4800, 7, K2ERR_PORT_SETUP_FAILED},
};

INSTANTIATE_TEST_SUITE_P(Port, OpenFailureTest, ::testing::ValuesIn(kOpenFailureCases), CaseName());

TEST(RadioPortTest, ReopenAfterFailedStartUpStartsTheTasks) {
    RadioRig rig;
    ASSERT_EQ(rig.radio.OpenRadioPort(2, 4800, 8, 0, 1), K2ERR_PORT_OPEN_FAILED);
    FakeTarget dialog(rig.events);
    rig.radio.EnterCOMPortDiagMode(&dialog);

    ASSERT_EQ(rig.radio.ReopenRadioPort(1), K2ERR_NONE);
    EXPECT_EQ(rig.line.ReadUntil("AI3;"), "K22;AI3;");
    rig.line.Write("FA00014060000;");
    EXPECT_TRUE(rig.events.WaitForEvent("reply 6 FA00014060000"));
    // The dialog needs the display: it is polled.
    EXPECT_NE(rig.line.ReadUntil("DS;").find("DS;"), std::string::npos);
    rig.radio.ExitCOMPortDiagMode();
}

// A client that connects while the port is still opening (during the pause
// before the reply task gets its parameters) must be reported to.
TEST(RadioPortTest, ClientConnectingDuringOpenIsKept) {
    RadioRig rig;
    class ConnectingSleeper : public Sleeper {
      public:
        void Sleep(std::chrono::milliseconds pause) override {
            if (pause == 500ms && ++halfSeconds == 2 && radio != nullptr)
                radio->SetNotifierAddress(NOTIFIER_CORBA);
        }
        Clock::time_point Now() const override { return Clock::now(); }
        CK2RadioPort* radio = nullptr;
        int halfSeconds = 0;
    };
    ConnectingSleeper sleeper;
    RadioPortServices s = rig.Services();
    s.sleeper = &sleeper;
    CK2RadioPort radio(s, 0);
    sleeper.radio = &radio;
    ASSERT_EQ(radio.OpenRadioPort(1, 4800, 8, 0, 1), K2ERR_NONE);
    ASSERT_EQ(sleeper.halfSeconds, 3);
    rig.line.Write("MD3;");
    EXPECT_TRUE(rig.events.WaitForEvent("cmd 18 MD3", 2s));
}

// A refused second open must not leave its line settings behind for the
// next reopen.
TEST(RadioPortTest, RefusedOpenKeepsTheLineForTheNextReopen) {
    RadioRig rig;
    PtyLine line2(rig.dir.path(), 2);
    rig.Open();
    EXPECT_EQ(rig.radio.OpenRadioPort(1, 9600, 8, 0, 2), K2ERR_PORT_OPEN_FAILED);
    ASSERT_EQ(rig.radio.ReopenRadioPort(2), K2ERR_NONE);
    termios t{};
    ASSERT_EQ(::tcgetattr(line2.master(), &t), 0);
    EXPECT_EQ(::cfgetospeed(&t), static_cast<speed_t>(B4800));
    EXPECT_EQ(t.c_cflag & CSTOPB, 0u);
}

// A try of another device that cannot be opened keeps the working radio: the old port stays
// open and in use, its replies flow again and an unchanged display is forwarded anew.
struct FailedReopenCase {
    const char* name;
    // Makes COM3 what the row needs; what it returns must live through the try.
    std::function<std::shared_ptr<void>(RadioRig&)> prepare;
    std::string why;     // in the log line
    std::string device;  // in the serial folder; empty: the pty's, under /dev/
};
ROW_NAME(FailedReopenCase, row.name);

class FailedReopenTest : public ::testing::TestWithParam<FailedReopenCase> {};

TEST_P(FailedReopenTest, KeepsTheOpenPortInUse) {
    const FailedReopenCase& c = GetParam();
    RadioRig rig;
    rig.Open();
    auto held = c.prepare(rig);
    rig.radio.SetNotifierAddress(NOTIFIER_CORBA);
    const std::string ds = Display("\x80\x80");
    const std::string forwarded = "cmd 5 DS 14060.008080";
    rig.line.Write(ds);
    ASSERT_TRUE(rig.WaitForCount(forwarded, 1));
    rig.line.Drain();

    EXPECT_EQ(rig.radio.ReopenRadioPort(3), K2ERR_PORT_OPEN_FAILED);
    EXPECT_TRUE(rig.radio.IsOpen());
    EXPECT_EQ(rig.radio.PortNumber(), 1);
    EXPECT_EQ(rig.radio.OperatingMode(1, 3), K2ERR_NONE);
    EXPECT_NE(rig.line.ReadUntil("MD3;").find("MD3;"), std::string::npos);
    rig.line.Write(ds);
    EXPECT_TRUE(rig.WaitForCount(forwarded, 2));
    const auto lines = rig.Only("log 0 1 Cannot open");
    ASSERT_EQ(lines.size(), 1u);
    const std::string device = c.device.empty() ? "/dev/" : (rig.dir.path() / c.device).string();
    EXPECT_EQ(lines[0].rfind("log 0 1 Cannot open COM3: " + c.why + " (" + device, 0), 0u)
        << lines[0];
}

const FailedReopenCase kFailedReopens[] = {
    {"MissingDevice",
     [](RadioRig& rig) -> std::shared_ptr<void> {
         std::filesystem::create_symlink(rig.dir.path() / "gone", rig.dir.path() / "com3");
         return nullptr;
     },
     "missing", "gone"},
    {"DeviceHeldByAnotherProgram",
     [](RadioRig& rig) -> std::shared_ptr<void> {
         auto line3 = std::make_shared<PtyLine>(rig.dir.path(), 3);
         auto holder = std::make_shared<platform::SerialPort>(rig.dir.path());
         EXPECT_TRUE(holder->open(3, platform::SerialSettings{}).ok());
         return std::make_shared<
             std::pair<std::shared_ptr<PtyLine>, std::shared_ptr<platform::SerialPort>>>(line3,
                                                                                         holder);
     },
     "busy", ""},
    {"NotATerminal",
     [](RadioRig& rig) -> std::shared_ptr<void> {
         std::ofstream(rig.dir.path() / "com3") << "x";
         return nullptr;
     },
     "open failed", "com3"},
};

INSTANTIATE_TEST_SUITE_P(RadioPort, FailedReopenTest, ::testing::ValuesIn(kFailedReopens),
                         CaseName());

// Commands from another thread while the port moves between two lines: each
// line sees whole commands only, and a file opened meanwhile (which may get a
// just-freed descriptor number) gets none of them.
TEST(RadioPortTest, ReopenWhileSendingKeepsCommandsWhole) {
    RadioRig rig;
    PtyLine line2(rig.dir.path(), 2);
    rig.Open();
    std::atomic<bool> stop{false};
    std::atomic<int> sent{0};
    std::thread sender([&] {
        while (!stop) {
            rig.radio.VFOFreq(1, 0, 14060000);
            rig.radio.OperatingMode(1, 3);
            ++sent;
            std::this_thread::sleep_for(1ms);
        }
    });
    std::string on1, on2;
    const auto file = rig.dir.path() / "meanwhile.txt";
    std::ofstream meanwhile;
    for (int i = 0; i < 20; ++i) {
        ASSERT_EQ(rig.radio.ReopenRadioPort(i % 2 == 0 ? 2 : 1), K2ERR_NONE);
        if (i == 5)
            meanwhile.open(file);
        std::this_thread::sleep_for(5ms);
        on1 += rig.line.Drain();
        on2 += line2.Drain();
    }
    stop = true;
    sender.join();
    rig.radio.CloseRadioPort();
    on1 += rig.line.Collect(100ms);
    on2 += line2.Collect(100ms);
    meanwhile.close();

    const std::regex whole("(FA00014060000;|MD3;|K22;|AI3;|AI0;|DS;|BG;|KY;)*");
    EXPECT_TRUE(std::regex_match(on1, whole)) << on1.substr(0, 200);
    EXPECT_TRUE(std::regex_match(on2, whole)) << on2.substr(0, 200);
    EXPECT_GT(sent.load(), 0);
    EXPECT_EQ(std::filesystem::file_size(file), 0u);
}

// --- No radio -----------------------------------------------------------------------

// How the radio came to be missing, and the error the radio link logged then.
struct NoRadioCase {
    const char* name;
    // Leaves the rig without a radio; returns the error line expected from it.
    std::function<std::string(RadioRig&)> lose;
    // Brings the radio back on `com` (a pty linked there by the test).
    std::function<std::uint32_t(RadioRig&, unsigned com)> bringBack;
};
ROW_NAME(NoRadioCase, row.name);

const NoRadioCase kNoRadioCases[] = {
    {"PortZero", [](RadioRig&) { return std::string(); },
     [](RadioRig& rig, unsigned com) {
         return rig.radio.OpenRadioPort(static_cast<std::uint16_t>(com), 4800, 8, 0, 1);
     }},
    {"MissingDevice",
     [](RadioRig& rig) {
         std::filesystem::create_symlink(rig.dir.path() / "no-such-device",
                                         rig.dir.path() / "com3");
         EXPECT_EQ(rig.radio.OpenRadioPort(3, 4800, 8, 0, 1), K2ERR_PORT_OPEN_FAILED);
         return "Cannot open COM3: missing (" + (rig.dir.path() / "no-such-device").string() + ")";
     },
     [](RadioRig& rig, unsigned com) {
         return rig.radio.ReopenRadioPort(static_cast<std::uint16_t>(com));
     }},
    {"HungUpWhileRunning",
     [](RadioRig& rig) {
         rig.Open();
         const std::string device = std::filesystem::read_symlink(rig.dir.path() / "com1");
         const std::string line =
             "COM1 (" + device + ") hung up: radio port closed until it is opened again";
         rig.line.CloseMaster();
         // The reply task's next read notices it.
         EXPECT_TRUE(rig.events.WaitForEvent("log 0 1 " + line));
         return line;
     },
     [](RadioRig& rig, unsigned com) {
         return rig.radio.ReopenRadioPort(static_cast<std::uint16_t>(com));
     }},
};

struct RefusedCall {
    const char* name;
    std::function<std::uint32_t(CK2RadioPort&)> call;
    std::vector<std::string> logged;  // error lines of the call itself
};
ROW_NAME(RefusedCall, row.name);

const RefusedCall kRefusedCalls[] = {
    {"KeyboardCW",
     [](CK2RadioPort& r) { return r.KeyboardCW("CQ CQ DE N0CALL"); },
     {"log 0 1 Keyboard CW not sent: the radio port is not open"}},
    {"OperatingMode", [](CK2RadioPort& r) { return r.OperatingMode(1, 3); }, {}},
    {"VFOFreq", [](CK2RadioPort& r) { return r.VFOFreq(1, 0, 14060000); }, {}},
};

class NoRadioTest : public ::testing::TestWithParam<std::tuple<NoRadioCase, RefusedCall>> {};

TEST_P(NoRadioTest, CommandIsRefusedLoggedAndNeverSentLater) {
    const auto& [how, refused] = GetParam();
    RadioRig rig;
    const std::string lost = how.lose(rig);
    std::vector<std::string> errors = rig.Only("log 0 1 ");
    EXPECT_EQ(errors, lost.empty() ? std::vector<std::string>{}
                                   : std::vector<std::string>{"log 0 1 " + lost});
    rig.events.Take();

    // Every time, not only the first: the port stays closed.
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(refused.call(rig.radio), K2ERR_PORT_NOT_OPEN);
        EXPECT_EQ(rig.Only("log 0 1 "), refused.logged);
        rig.events.Take();
    }
    EXPECT_FALSE(rig.radio.IsOpen());

    // The radio comes back: the refused command was not kept for it.
    PtyLine back(rig.dir.path(), 2);
    ASSERT_EQ(how.bringBack(rig, 2), K2ERR_NONE);
    EXPECT_EQ(back.ReadUntil("AI3;"), "K22;AI3;");
    const std::string later = back.Collect(10 * kCWInterval);
    EXPECT_EQ(later.find("KY "), std::string::npos) << later;
    EXPECT_EQ(later.find("MD"), std::string::npos) << later;
    EXPECT_EQ(later.find("FA"), std::string::npos) << later;
    EXPECT_EQ(rig.radio.OperatingMode(1, 3), K2ERR_NONE);
    // Status polling may come first after a reopen.
    EXPECT_NE(back.ReadUntil("MD3;").find("MD3;"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Radio, NoRadioTest,
                         ::testing::Combine(::testing::ValuesIn(kNoRadioCases),
                                            ::testing::ValuesIn(kRefusedCalls)),
                         [](const ::testing::TestParamInfo<NoRadioTest::ParamType>& row) {
                             return rowName(std::get<0>(row.param)) + "_" +
                                    rowName(std::get<1>(row.param));
                         });

// A hang-up is noticed by a write as well as by a read, and named once.
TEST(RadioPortTest, WriteToAHungUpLineClosesThePortWithOneRecord) {
    RadioRig rig;
    // No tasks: nothing reads the line, so the write is the first to meet it.
    ASSERT_EQ(rig.radio.OpenCommPort(1, 4800, 8, 0, 1), K2ERR_NONE);
    const std::string device = std::filesystem::read_symlink(rig.dir.path() / "com1");
    rig.line.CloseMaster();
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(rig.radio.OperatingMode(1, 3), K2ERR_PORT_NOT_OPEN);
    EXPECT_EQ(rig.Only("log 0 1 "),
              std::vector<std::string>{"log 0 1 COM1 (" + device +
                                       ") hung up: radio port closed until it is opened again"});
    EXPECT_FALSE(rig.radio.IsOpen());
}

TEST(RadioPortTest, StalledLineTimesOut) {
    RadioRig rig;
    ASSERT_EQ(rig.radio.OpenCommPort(1, 4800, 8, 0, 1), K2ERR_NONE);
    // Nobody reads the master: the pty fills and a write stalls.
    const auto start = Clock::now();
    std::uint32_t status = K2ERR_NONE;
    int failures = 0;
    for (int i = 0; i < 20000 && failures < 2; ++i) {
        status = rig.radio.SendDiagnosticData(std::string(60, 'E'));
        failures += status == K2ERR_PORT_WRITE_FAILED ? 1 : 0;
    }
    const auto took = Clock::now() - start;
    EXPECT_EQ(status, K2ERR_PORT_WRITE_FAILED);
    EXPECT_LE(took, 2 * 2s + 3s);  // two stalled writes of 2 s each, plus a margin
    EXPECT_EQ(rig.Only("log 0 1 ").size(), 1u);
}

}  // namespace
