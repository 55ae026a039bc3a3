// The RadioComm servant driven directly (no ORB): each operation's log line,
// its status before and after Connect, and what reaches the radio; the store
// operations on a real settings file.

#include "server/radio_comm_servant.h"

#include <gtest/gtest.h>

#include <QSettings>

#include <functional>
#include <string>
#include <tuple>
#include <vector>

#include "radiolink/k2_status.h"
#include "tests/support/row_names.h"
#include "tests/unit/server/servant_fakes.h"
#include "tests/unit/server/store_fixture.h"

namespace {

using servanttest::FakeHost;
using servanttest::FakeRadio;
using servanttest::kRadioStatus;
using servanttest::RecordingLog;

class ServantFixture : public StoreFixture {
  protected:
    void SetUp() override {
        StoreFixture::SetUp();
        m_servant =
            new CRadioCommServant(PortableServer::POA::_nil(), m_radio, m_store, m_log, m_host);
    }
    void TearDown() override {
        m_servant->_remove_ref();
        StoreFixture::TearDown();
    }

    // Connects as "Nemo" and forgets what that recorded.
    void connect() {
        m_servant->Connect("Nemo");
        m_log.lines.clear();
        m_host.calls.clear();
    }

    std::vector<std::string> logTexts() const {
        std::vector<std::string> texts;
        for (const auto& line : m_log.lines) {
            texts.push_back(line.text);
        }
        return texts;
    }

    FakeRadio m_radio;
    RecordingLog m_log;
    FakeHost m_host;
    brakton::CServerRegistryStore m_store;
    CRadioCommServant* m_servant = nullptr;
};

enum class Gate {
    Radio,  // 0x1000004 before Connect, the radio's status after
    Quiet,  // sends nothing: 0x1000004 before Connect, 0 after
    Open,   // works without Connect, returns 0
};

struct OperationCase {
    const char* name;
    std::function<CORBA::Long(CRadioCommServant&)> call;
    const char* line;  // the log line
    Gate gate;
    const char* radioCall;  // what the radio sees once connected ("" for nothing)
};
ROW_NAME(OperationCase, row.name);

RADIO_MEM_INFO memInfo() {
    RADIO_MEM_INFO m{};
    m.ulVFOA_Freq = 7040000;
    m.ulVFOB_Freq = 7100000;
    m.uiOpMode = 3;
    m.uiXFIL = 2;
    m.uiCurXFILBW = 500;
    m.uiAFIL = 1;
    m.uiAGC = 1;
    m.uiNB = 2;
    m.uiCWSpeed = 22;
    m.uiAntPos = 1;
    m.iRFPower = 50;
    m.uiActiveRxVFO = 0;
    m.uiActiveTxVFO = 1;
    m.bPreAmpMode = 1;
    m.bAttMode = 0;
    m.iIncTuneReading = -3;
    m.bRITEnable = 1;
    m.bXITEnable = 0;
    return m;
}

const OperationCase kOperations[] = {
    {"EchoString", [](auto& s) { return s.EchoString("hello"), 0; }, "EchoString: hello",
     Gate::Open, ""},
    {"ReadHAMRadioBandInfo",
     [](auto& s) {
         HAMRADIO_BAND_INFO info{};
         return s.ReadHAMRadioBandInfo(info);
     },
     "ReadHAMRadioBandInfo", Gate::Open, ""},
    {"ReadVFOFreqCache",
     [](auto& s) {
         LAST_FREQ_VISIT_ARRAY cache{};
         return s.ReadVFOFreqCache(cache);
     },
     "ReadVFOFreqCache", Gate::Open, ""},
    {"WriteVFOFreqCache",
     [](auto& s) {
         LAST_FREQ_VISIT_ARRAY cache{};
         return s.WriteVFOFreqCache(cache);
     },
     "WriteVFOFreqCache", Gate::Open, ""},
    {"QueryRFAmpStatus",
     [](auto& s) {
         CORBA::Short present = 9;
         return s.QueryRFAmpStatus(present);
     },
     "QueryRFAmpStatus", Gate::Open, ""},
    {"GetInitialRadioInfo", [](auto& s) { return s.GetInitialRadioInfo(); }, "GetInitialRadioInfo",
     Gate::Radio, "GetInitialRadioInfo"},
    // Signed printing; the radio link refuses the amount itself.
    {"RITTuningNegative", [](auto& s) { return s.RITTuning(1, -1); }, "RITTuning 1, -1",
     Gate::Radio, "RITTuning(1,-1)"},
    {"DownloadRadioInfo", [](auto& s) { return s.DownloadRadioInfo(memInfo()); },
     "DownloadRadioInfo", Gate::Radio,
     "DownloadRadioInfo(7040000,7100000,3,2,500,1,1,2,22,1,50,0,1,1,0,-3,1,0)"},
    {"AutoInfo", [](auto& s) { return s.AutoInfo(1, 3); }, "AutoInfo 1, 3", Gate::Radio,
     "AutoInfo(1,3)"},
    {"CommandMode", [](auto& s) { return s.CommandMode(1, 2); }, "CommandMode 1, 2", Gate::Radio,
     "CommandMode(1,2)"},
    {"Antenna", [](auto& s) { return s.Antenna(1, 2); }, "Antenna 1, 2", Gate::Radio,
     "Antenna(1,2)"},
    {"ReadBarGraphLevel", [](auto& s) { return s.ReadBarGraphLevel(); }, "ReadBarGraphLevel",
     Gate::Quiet, ""},
    {"MoveActiveVFOFreq", [](auto& s) { return s.MoveActiveVFOFreq(2, 3); },
     "MoveActiveVFOFreq 2, 3", Gate::Radio, "MoveActiveVFOFreq(2,3)"},
    {"ReadDisplay",
     [](auto& s) {
         CORBA::String_var text;
         CORBA::Short a = 7, b = 7;
         return s.ReadDisplay(text.out(), a, b);
     },
     "ReadDisplay", Gate::Quiet, ""},
    {"VFOFreq", [](auto& s) { return s.VFOFreq(1, 1, 7040000); }, "VFOFreq 1, 1, 7040000",
     Gate::Radio, "VFOFreq(1,1,7040000)"},
    {"NoiseBlanker", [](auto& s) { return s.NoiseBlanker(1, 2); }, "NoiseBlanker 1, 2", Gate::Radio,
     "NoiseBlanker(1,2)"},
    {"ReceiverAGC", [](auto& s) { return s.ReceiverAGC(1, 1); }, "ReceiverAGC 1, 1", Gate::Radio,
     "ReceiverAGC(1,1)"},
    {"ReceiverPreamp", [](auto& s) { return s.ReceiverPreamp(1, 1); }, "ReceiverPreamp 1, 1",
     Gate::Radio, "ReceiverPreamp(1,1)"},
    {"ReceiverAttenuator", [](auto& s) { return s.ReceiverAttenuator(0, 1); },
     "ReceiverAttenuator 0, 1", Gate::Radio, "ReceiverAttenuator(0,1)"},
    {"XFILSelection", [](auto& s) { return s.XFILSelection(1, 500, 2); }, "XFILSelection 1, 500, 2",
     Gate::Radio, "XFILSelection(1,500,2)"},
    {"AFILSelection", [](auto& s) { return s.AFILSelection(1, 4); }, "AFILSelection 1, 4",
     Gate::Radio, "AFILSelection(1,4)"},
    {"OperatingMode", [](auto& s) { return s.OperatingMode(1, 3); }, "OperatingMode 1, 3",
     Gate::Radio, "OperatingMode(1,3)"},
    {"ReadTransceiverInfo", [](auto& s) { return s.ReadTransceiverInfo(); }, "ReadTransceiverInfo",
     Gate::Quiet, ""},
    {"CWKeyerSpeed", [](auto& s) { return s.CWKeyerSpeed(1, 22); }, "CWKeyerSpeed 1, 22",
     Gate::Radio, "CWKeyerSpeed(1,22)"},
    {"RFPowerOutput", [](auto& s) { return s.RFPowerOutput(1, 50, 1); }, "RFPowerOutput 1, 50, 1",
     Gate::Radio, "RFPowerOutput(1,50,1)"},
    {"ChangeBand", [](auto& s) { return s.ChangeBand(2); }, "ChangeBand 2", Gate::Radio,
     "ChangeBand(2)"},
    {"TransceiverRecvVFOAssignment", [](auto& s) { return s.TransceiverRecvVFOAssignment(1, 1); },
     "TransceiverRecvVFOAssignment 1, 1", Gate::Radio, "TransceiverRecvVFOAssignment(1,1)"},
    {"TransceiverTxVFOAssignment", [](auto& s) { return s.TransceiverTxVFOAssignment(0, 1); },
     "TransceiverTxVFOAssignment 0, 1", Gate::Radio, "TransceiverTxVFOAssignment(0,1)"},
    {"GetTransceiverPowerOnStatus", [](auto& s) { return s.GetTransceiverPowerOnStatus(); },
     "GetTransceiverPowerOnStatus", Gate::Quiet, ""},
    {"RITControl", [](auto& s) { return s.RITControl(1, 0); }, "RITControl 1, 0", Gate::Radio,
     "RITControl(1,0)"},
    {"XITControl", [](auto& s) { return s.XITControl(0, 1); }, "XITControl 0, 1", Gate::Radio,
     "XITControl(0,1)"},
    {"IncrementalOffsetTuning", [](auto& s) { return s.IncrementalOffsetTuning(2); },
     "IncrementalOffsetTuning 2", Gate::Radio, "IncrementalOffsetTuning(2)"},
    {"ClearFineRITOffset", [](auto& s) { return s.ClearFineRITOffset(); }, "ClearFineRITOffset",
     Gate::Radio, "ClearFineRITOffset"},
    {"LockVFO", [](auto& s) { return s.LockVFO(1, 1); }, "LockVFO 1, 1", Gate::Radio,
     "LockVFO(1,1)"},
    {"TuneTransmitter", [](auto& s) { return s.TuneTransmitter(); }, "TuneTransmitter", Gate::Radio,
     "TuneTransmitter"},
    {"SendDiagnosticData", [](auto& s) { return s.SendDiagnosticData("FA"); },
     "SendDiagnosticData FA", Gate::Radio, "SendDiagnosticData(FA)"},
    {"QueryKeyboardCWTxStatus", [](auto& s) { return s.QueryKeyboardCWTxStatus(); },
     "QueryKeyboardCWTxStatus", Gate::Radio, "QueryKeyboardCWTxStatus"},
    {"KeyboardCW", [](auto& s) { return s.KeyboardCW("CQ TEST"); }, "KeyboardCW:CQ TEST",
     Gate::Radio, "KeyboardCW(CQ TEST)"},
    {"AbortKeyboardCW", [](auto& s) { return s.AbortKeyboardCW(); }, "AbortKeyboardCW", Gate::Radio,
     "AbortKeyboardCW"},
    {"EmulateKeySwitch", [](auto& s) { return s.EmulateKeySwitch(70); },
     "EmulateKeySwitch: Key = 70", Gate::Radio, "EmulateKeySwitch(70)"},
    {"FrequencyScan", [](auto& s) { return s.FrequencyScan(7000000, -7100000); },
     "FrequencyScan: ScanLimitLow = 7000000, ScanLimitHigh = -7100000", Gate::Radio,
     "FrequencyScan(7000000,-7100000)"},
    {"SquelchLevel", [](auto& s) { return s.SquelchLevel(1, 5); }, "SquelchLevel: 1, 5",
     Gate::Radio, "SquelchLevel(1,5)"},
    {"EnableStatusQuery", [](auto& s) { return s.EnableStatusQuery(1); },
     "EnableStatusQuery: Enable = 1", Gate::Radio, "EnableStatusQuery(1)"},
};

class ServantOperationTest : public ServantFixture,
                             public ::testing::WithParamInterface<std::tuple<OperationCase, bool>> {
};

TEST_P(ServantOperationTest, LogsOneLineAndGatesTheRadio) {
    const auto& [c, connected] = GetParam();
    if (connected) {
        connect();
    }
    const CORBA::Long status = c.call(*m_servant);

    ASSERT_EQ(m_log.lines.size(), 1u);
    EXPECT_EQ(m_log.lines[0].text, c.line);
    EXPECT_EQ(m_log.lines[0].mode, kLogTimeStamped);
    EXPECT_EQ(m_log.lines[0].level, kLogInformation);

    const bool reachesRadio = connected && c.gate == Gate::Radio;
    if (c.gate == Gate::Open) {
        EXPECT_EQ(status, 0);
    } else if (!connected) {
        EXPECT_EQ(status, static_cast<CORBA::Long>(K2ERR_CLIENT_NOT_CONNECTED));
    } else {
        EXPECT_EQ(status, c.gate == Gate::Radio ? static_cast<CORBA::Long>(kRadioStatus) : 0);
    }
    EXPECT_EQ(m_radio.calls,
              reachesRadio ? std::vector<std::string>{c.radioCall} : std::vector<std::string>{});
    EXPECT_TRUE(m_host.calls.empty());
}

INSTANTIATE_TEST_SUITE_P(Servant, ServantOperationTest,
                         ::testing::Combine(::testing::ValuesIn(kOperations), ::testing::Bool()),
                         [](const auto& param) {
                             return rowName(std::get<0>(param.param)) +
                                    (std::get<1>(param.param) ? "Connected" : "NotConnected");
                         });

// --- Connect and Disconnect ------------------------------------------------------------------

TEST_F(ServantFixture, ConnectPostsTheNoticeStartsTheConnectBackAndOpensTheRadio) {
    EXPECT_EQ(m_servant->Connect("Nemo"), 0);
    EXPECT_EQ(logTexts(), std::vector<std::string>{"Connect Nemo"});
    EXPECT_EQ(m_host.calls,
              (std::vector<std::string>{"PostSpeakFreelyNotice", "StartConnectBackThread"}));
    EXPECT_EQ(m_servant->OperatingMode(1, 3), static_cast<CORBA::Long>(kRadioStatus));

    // A repeated Connect does everything again.
    m_host.calls.clear();
    EXPECT_EQ(m_servant->Connect("Other"), 0);
    EXPECT_EQ(m_host.calls,
              (std::vector<std::string>{"PostSpeakFreelyNotice", "StartConnectBackThread"}));

    m_log.lines.clear();
    m_host.calls.clear();
    EXPECT_EQ(m_servant->Disconnect(), 0);
    EXPECT_EQ(logTexts(), std::vector<std::string>{"Disconnect Other"});
    EXPECT_EQ(m_host.calls, std::vector<std::string>{"OnClientDisconnect"});
    EXPECT_EQ(m_servant->OperatingMode(1, 3), static_cast<CORBA::Long>(K2ERR_CLIENT_NOT_CONNECTED));

    // The name is gone and the application is not asked again.
    m_log.lines.clear();
    m_host.calls.clear();
    EXPECT_EQ(m_servant->Disconnect(), 0);
    EXPECT_EQ(logTexts(), std::vector<std::string>{"Disconnect "});
    EXPECT_TRUE(m_host.calls.empty());
}

// A connect-back that gave up leaves the client to connect again: its next call is refused,
// a later Disconnect asks the application nothing, and a new Connect opens the radio again.
TEST_F(ServantFixture, ConnectBackThatGaveUpRefusesTheNextCall) {
    connect();
    EXPECT_EQ(m_servant->OperatingMode(1, 3), static_cast<CORBA::Long>(kRadioStatus));
    m_host.gaveUp = true;
    EXPECT_EQ(m_servant->OperatingMode(1, 3), static_cast<CORBA::Long>(K2ERR_CLIENT_NOT_CONNECTED));
    m_host.calls.clear();
    EXPECT_EQ(m_servant->Disconnect(), 0);
    EXPECT_TRUE(m_host.calls.empty());
    connect();
    EXPECT_EQ(m_servant->OperatingMode(1, 3), static_cast<CORBA::Long>(kRadioStatus));
}

// --- Client text in log lines ----------------------------------------------------------------

struct TextCase {
    const char* name;
    std::function<void(CRadioCommServant&)> call;
    std::string line;
};
ROW_NAME(TextCase, row.name);

const std::string k100(100, 'n');
const std::string k65(65, 'c');
const std::string k66 = std::string(65, 'c') + "d";

const TextCase kTexts[] = {
    {"LongNameCutTo68", [](auto& s) { s.Connect(k100.c_str()); },
     "Connect " + std::string(68, 'n')},
    {"FormatCharactersInNameStayText", [](auto& s) { s.Connect("%s%n%d"); }, "Connect %s%n%d"},
    {"FormatCharactersInEcho", [](auto& s) { s.EchoString("%x%n"); }, "EchoString: %x%n"},
    {"LongDiagnosticText", [](auto& s) { s.SendDiagnosticData(k100.c_str()); },
     "SendDiagnosticData " + std::string(60, 'n')},
    {"CW65Whole", [](auto& s) { s.KeyboardCW(k65.c_str()); }, "KeyboardCW:" + k65},
    {"CW66Shortened", [](auto& s) { s.KeyboardCW(k66.c_str()); }, "KeyboardCW:" + k65 + "..."},
    {"CWFormatCharacters", [](auto& s) { s.KeyboardCW("%s%s%n"); }, "KeyboardCW:%s%s%n"},
    // A cut never leaves half a character behind.
    {"CutKeepsWholeCharacters",
     [](auto& s) { s.EchoString((std::string(66, 'a') + "\xC3\xA9").c_str()); },
     "EchoString: " + std::string(66, 'a')},
};

class ServantTextTest : public ServantFixture, public ::testing::WithParamInterface<TextCase> {};

TEST_P(ServantTextTest, ClientTextIsPrintedLiterallyWithinTheLine) {
    GetParam().call(*m_servant);
    ASSERT_EQ(m_log.lines.size(), 1u);
    EXPECT_EQ(m_log.lines[0].text, GetParam().line);
    EXPECT_LE(m_log.lines[0].text.size(), kMaxServantLogLine);
}

INSTANTIATE_TEST_SUITE_P(Servant, ServantTextTest, ::testing::ValuesIn(kTexts), CaseName());

// --- Texts at their limits ---------------------------------------------------------------------

struct LimitCase {
    const char* name;
    std::function<CORBA::Long(CRadioCommServant&)> call;
    CORBA::Long status;
    std::string line;
    bool connects;  // the client counts as connected afterwards
};
ROW_NAME(LimitCase, row.name);

const std::string kName68(68, 'n');
const std::string kName69(69, 'n');
const std::string kHuge(1 << 20, 'n');
const std::string kEcho67(67, 'e');
const std::string kEcho68(68, 'e');

const LimitCase kLimits[] = {
    {"Connect68", [](auto& s) { return s.Connect(kName68.c_str()); }, 0, "Connect " + kName68,
     true},
    {"Connect69Refused", [](auto& s) { return s.Connect(kName69.c_str()); },
     static_cast<CORBA::Long>(K2ERR_INVALID_PARAM), "Connect " + kName68, false},
    {"ConnectOneMegabyteRefused", [](auto& s) { return s.Connect(kHuge.c_str()); },
     static_cast<CORBA::Long>(K2ERR_INVALID_PARAM), "Connect " + kName68, false},
    {"Echo67", [](auto& s) { return s.EchoString(kEcho67.c_str()), 0; }, 0,
     "EchoString: " + kEcho67, false},
    {"Echo68CutTo67", [](auto& s) { return s.EchoString(kEcho68.c_str()), 0; }, 0,
     "EchoString: " + kEcho67, false},
    {"EchoOneMegabyteCutTo67", [](auto& s) { return s.EchoString(kHuge.c_str()), 0; }, 0,
     "EchoString: " + std::string(67, 'n'), false},
};

class ServantLimitTest : public ServantFixture, public ::testing::WithParamInterface<LimitCase> {};

TEST_P(ServantLimitTest, OverlongTextIsRefusedAtTheDoorAndLoggedCut) {
    const LimitCase& c = GetParam();
    EXPECT_EQ(c.call(*m_servant), c.status);
    EXPECT_EQ(logTexts(), std::vector<std::string>{c.line});
    const std::vector<std::string> hostCalls =
        c.connects ? std::vector<std::string>{"PostSpeakFreelyNotice", "StartConnectBackThread"}
                   : std::vector<std::string>{};
    EXPECT_EQ(m_host.calls, hostCalls);
    EXPECT_EQ(m_servant->OperatingMode(1, 3),
              c.connects ? static_cast<CORBA::Long>(kRadioStatus)
                         : static_cast<CORBA::Long>(K2ERR_CLIENT_NOT_CONNECTED));
}

INSTANTIATE_TEST_SUITE_P(Servant, ServantLimitTest, ::testing::ValuesIn(kLimits), CaseName());

TEST_F(ServantFixture, NameOfAConnectAtTheLimitIsKeptForDisconnect) {
    EXPECT_EQ(m_servant->Connect(kName68.c_str()), 0);
    EXPECT_EQ(m_servant->Disconnect(), 0);
    ASSERT_EQ(m_log.lines.size(), 2u);
    EXPECT_EQ(m_log.lines[1].text, "Disconnect " + kName68);
}

// CW and diagnostic text above their limits never reach the radio link.
TEST_F(ServantFixture, OverlongRadioTextsAreRefusedBeforeTheRadio) {
    connect();
    const std::string cw255(255, 'e');
    const std::string diag61(61, 'd');
    EXPECT_EQ(m_servant->KeyboardCW(cw255.c_str()), static_cast<CORBA::Long>(K2ERR_INVALID_PARAM));
    EXPECT_EQ(m_servant->SendDiagnosticData(diag61.c_str()),
              static_cast<CORBA::Long>(K2ERR_INVALID_PARAM));
    EXPECT_TRUE(m_radio.calls.empty());
    EXPECT_EQ(logTexts(), (std::vector<std::string>{"KeyboardCW:" + std::string(65, 'e') + "...",
                                                    "SendDiagnosticData " + std::string(60, 'd')}));
}

TEST_F(ServantFixture, KeyboardCWHandsTheWholeTextToTheRadio) {
    connect();
    const std::string text(254, 'e');
    m_servant->KeyboardCW(text.c_str());
    EXPECT_EQ(m_radio.calls, std::vector<std::string>{"KeyboardCW(" + text + ")"});
}

// --- Store operations ------------------------------------------------------------------------

TEST_F(ServantFixture, BandInfoFromAnEmptyStoreIsTheDefaultTableWithBandIndexes) {
    HAMRADIO_BAND_INFO info{};
    EXPECT_EQ(m_servant->ReadHAMRadioBandInfo(info), 0);
    const brakton::BandEdgeTable defaults = brakton::CServerRegistryStore::DefaultBandInfo();
    for (int i = 0; i < brakton::kBandCount; ++i) {
        const auto& band = defaults[static_cast<std::size_t>(i)];
        EXPECT_EQ(info.Info[i].uiBandFreq, i);
        EXPECT_EQ(info.Info[i].ulLowBandEdge, static_cast<CORBA::Long>(band.lowEdge));
        EXPECT_EQ(info.Info[i].ulHighBandEdge, static_cast<CORBA::Long>(band.highEdge));
    }
    EXPECT_GT(info.Info[0].ulLowBandEdge, 0);
    bool stored = false;
    for (const auto& [key, value] : settingsFileValues()) {
        stored = stored || key.rfind("HAM Band Info/", 0) == 0;
    }
    EXPECT_TRUE(stored);
}

TEST_F(ServantFixture, VfoCacheRoundTripsEveryValueIncludingNegatives) {
    LAST_FREQ_VISIT_ARRAY written{};
    for (int i = 0; i < brakton::kBandCount; ++i) {
        written.VfoBank[i][0] = 1000000 * (i + 1);
        written.VfoBank[i][1] = 1000000 * (i + 1) + 500;
    }
    written.VfoBank[4][1] = -14060000;
    EXPECT_EQ(m_servant->WriteVFOFreqCache(written), 0);

    // A fresh servant reads what the file holds, not its own working copy.
    CRadioCommServant* other =
        new CRadioCommServant(PortableServer::POA::_nil(), m_radio, m_store, m_log, m_host);
    LAST_FREQ_VISIT_ARRAY read{};
    EXPECT_EQ(other->ReadVFOFreqCache(read), 0);
    other->_remove_ref();
    for (int i = 0; i < brakton::kBandCount; ++i) {
        EXPECT_EQ(read.VfoBank[i][0], written.VfoBank[i][0]) << "band " << i;
        EXPECT_EQ(read.VfoBank[i][1], written.VfoBank[i][1]) << "band " << i;
    }
}

struct AmpCase {
    const char* name;
    const char* stored;  // "PA Option" as the file holds it
    CORBA::Short present;
};
ROW_NAME(AmpCase, row.name);

class ServantAmpTest : public ServantFixture, public ::testing::WithParamInterface<AmpCase> {};

TEST_P(ServantAmpTest, AnswersOneExactlyWhenTheOptionIsSet) {
    writeIni(std::string("[General]\nPA%20Option=") + GetParam().stored + "\n");
    CORBA::Short present = 7;
    EXPECT_EQ(m_servant->QueryRFAmpStatus(present), 0);
    EXPECT_EQ(present, GetParam().present);
}

INSTANTIATE_TEST_SUITE_P(Servant, ServantAmpTest,
                         ::testing::Values(AmpCase{"Absent", "0", 0}, AmpCase{"Fitted", "1", 1},
                                           AmpCase{"AnyNonZero", "2", 1}),
                         CaseName());

// One band edge or VFO frequency missing from a file that holds the rest: the servant's working
// copy keeps its own value for it, which in a fresh servant is the default; every other value
// is sent as stored. Band 3's value goes; every stored value differs from its default.
enum class Table { Bands, Vfos };

struct MissingValueCase {
    const char* name;
    Table table;
    int field;  // bands: 0 low edge, 1 high edge; VFOs: 0 A, 1 B
    const char* group;
    const char* suffix;
};
ROW_NAME(MissingValueCase, row.name);

class ServantMissingValueTest : public ServantFixture,
                                public ::testing::WithParamInterface<MissingValueCase> {};

TEST_P(ServantMissingValueTest, ComesFromTheWorkingCopy) {
    const MissingValueCase& c = GetParam();
    const brakton::BandEdgeTable defaultBands = brakton::CServerRegistryStore::DefaultBandInfo();
    const brakton::VfoFrequencyTable defaultVfos =
        brakton::CServerRegistryStore::DefaultVFOFrequencies();
    brakton::BandEdgeTable bands = defaultBands;
    brakton::VfoFrequencyTable vfos = defaultVfos;
    for (std::size_t i = 0; i < bands.size(); ++i) {
        bands[i].lowEdge += 1000;
        bands[i].highEdge -= 1000;
        vfos[i][0] += 100;
        vfos[i][1] += 200;
    }
    ASSERT_TRUE(m_store.WriteBandInfo(bands));
    ASSERT_TRUE(m_store.WriteVFOFrequencies(vfos));

    constexpr std::size_t kBand = 3;
    const std::uint32_t stored = c.table == Table::Bands
                                     ? (c.field == 0 ? bands[kBand].lowEdge : bands[kBand].highEdge)
                                     : vfos[kBand][static_cast<std::size_t>(c.field)];
    std::string missing;
    for (const auto& [key, value] : settingsFileValues()) {
        if (key.rfind(c.group, 0) == 0 && key.ends_with(c.suffix) &&
            value == std::to_string(stored)) {
            missing = key;
        }
    }
    ASSERT_FALSE(missing.empty()) << "no key for band " << kBand;
    {
        QSettings file(QSettings::IniFormat, QSettings::UserScope,
                       QStringLiteral("N0CALL Software"), QStringLiteral("Rig Control"));
        file.remove(QString::fromStdString(missing));
    }
    if (c.table == Table::Bands) {
        (c.field == 0 ? bands[kBand].lowEdge : bands[kBand].highEdge) =
            c.field == 0 ? defaultBands[kBand].lowEdge : defaultBands[kBand].highEdge;
    } else {
        vfos[kBand][static_cast<std::size_t>(c.field)] =
            defaultVfos[kBand][static_cast<std::size_t>(c.field)];
    }

    HAMRADIO_BAND_INFO info{};
    LAST_FREQ_VISIT_ARRAY cache{};
    EXPECT_EQ(m_servant->ReadHAMRadioBandInfo(info), 0);
    EXPECT_EQ(m_servant->ReadVFOFreqCache(cache), 0);
    for (int i = 0; i < brakton::kBandCount; ++i) {
        const auto band = static_cast<std::size_t>(i);
        EXPECT_EQ(info.Info[i].ulLowBandEdge, static_cast<CORBA::Long>(bands[band].lowEdge)) << i;
        EXPECT_EQ(info.Info[i].ulHighBandEdge, static_cast<CORBA::Long>(bands[band].highEdge)) << i;
        EXPECT_EQ(cache.VfoBank[i][0], static_cast<CORBA::Long>(vfos[band][0])) << i;
        EXPECT_EQ(cache.VfoBank[i][1], static_cast<CORBA::Long>(vfos[band][1])) << i;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Servant, ServantMissingValueTest,
    ::testing::Values(
        MissingValueCase{"LowBandEdge", Table::Bands, 0, "HAM Band Info/", " Low Band Edge"},
        MissingValueCase{"HighBandEdge", Table::Bands, 1, "HAM Band Info/", " High Band Edge"},
        MissingValueCase{"VfoA", Table::Vfos, 0, "VFO Frequencies/", " VFOA Freq"},
        MissingValueCase{"VfoB", Table::Vfos, 1, "VFO Frequencies/", " VFOB Freq"}),
    CaseName());

TEST_F(ServantFixture, ReadDisplayHandsBackAnEmptyTextAndZeros) {
    connect();
    CORBA::String_var text;
    CORBA::Short status1 = 7;
    CORBA::Short status2 = 7;
    EXPECT_EQ(m_servant->ReadDisplay(text.out(), status1, status2), 0);
    ASSERT_NE(text.in(), nullptr);
    EXPECT_STREQ(text.in(), "");
    EXPECT_EQ(status1, 0);
    EXPECT_EQ(status2, 0);
    EXPECT_TRUE(m_radio.calls.empty());
}

}  // namespace
