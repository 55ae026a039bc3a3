// Every formatter and command sequence of the radio object, checked by the
// bytes that reach a real terminal and by the pauses between them.

#include <gtest/gtest.h>

#include <climits>
#include <functional>
#include <string>
#include <vector>

#include "radio_test_support.h"
#include "radiolink/k2_radio_port.h"
#include "tests/support/row_names.h"

namespace {

using namespace radiotest;
using Call = std::function<std::uint32_t(CK2RadioPort&)>;

class RadioOnPty {
  public:
    explicit RadioOnPty(std::uint8_t logging = kLogCommands)
        : line(dir.path()), log(events), sleeper(events), radio(Services(), logging) {}

    RadioPortServices Services() {
        RadioPortServices s;
        s.log = &log;
        s.sleeper = &sleeper;
        s.serialDir = dir.path();
        return s;
    }

    TempDir dir;
    PtyLine line;
    Events events;
    RecordingLog log;
    RecordingSleeper sleeper;
    CK2RadioPort radio;
};

struct FormatterCase {
    const char* name;
    Call call;
    std::string bytes;  // empty: refused
};
ROW_NAME(FormatterCase, row.name);

std::string Logged(const std::string& wire) {
    return "log 1 2 " + wire;
}

class FormatterTest : public ::testing::TestWithParam<FormatterCase> {};

TEST_P(FormatterTest, SendsExactBytesOrNothing) {
    const FormatterCase& c = GetParam();
    RadioOnPty pty;
    ASSERT_EQ(pty.radio.OpenCommPort(1, 4800, 8, 0, 1), K2ERR_NONE);
    pty.events.Take();

    const std::uint32_t status = c.call(pty.radio);
    // A marker after the call shows where its bytes end.
    ASSERT_EQ(pty.radio.SendCommand("ZZ"), K2ERR_NONE);
    const std::string wire = pty.line.ReadUntil("ZZ;");
    const std::vector<std::string> events = pty.events.Take();

    if (c.bytes.empty()) {
        EXPECT_EQ(status, K2ERR_INVALID_PARAM);
        EXPECT_EQ(wire, "ZZ;");
        EXPECT_EQ(events, std::vector<std::string>{Logged("ZZ;")});
    } else {
        EXPECT_EQ(status, K2ERR_NONE);
        EXPECT_EQ(wire, c.bytes + "ZZ;");
        EXPECT_EQ(events, (std::vector<std::string>{Logged(c.bytes), Logged("ZZ;")}));
    }
}

const std::string k60(60, 'A');
const std::string k61(61, 'A');

const FormatterCase kFormatterCases[] = {
    {"AutoInfoSet", [](CK2RadioPort& r) { return r.AutoInfo(1, 3); }, "AI3;"},
    {"AutoInfoOutOfRange", [](CK2RadioPort& r) { return r.AutoInfo(1, 4); }, ""},
    {"AutoInfoNegative", [](CK2RadioPort& r) { return r.AutoInfo(1, -1); }, ""},
    {"AutoInfoQueryIgnoresValue", [](CK2RadioPort& r) { return r.AutoInfo(0, 4); }, "AI;"},
    {"AutoInfoSetTwoIsQuery", [](CK2RadioPort& r) { return r.AutoInfo(2, 4); }, "AI;"},
    {"CommandMode", [](CK2RadioPort& r) { return r.CommandMode(1, 2); }, "K22;"},
    {"CommandModeOutOfRange", [](CK2RadioPort& r) { return r.CommandMode(1, 4); }, ""},
    {"Antenna2", [](CK2RadioPort& r) { return r.Antenna(1, 2); }, "AN2;"},
    {"Antenna0", [](CK2RadioPort& r) { return r.Antenna(1, 0); }, ""},
    {"Antenna3", [](CK2RadioPort& r) { return r.Antenna(1, 3); }, ""},
    {"AntennaQuery", [](CK2RadioPort& r) { return r.Antenna(0, 9); }, "AN;"},
    {"BarGraph", [](CK2RadioPort& r) { return r.ReadBarGraphLevel(); }, "BG;"},
    {"VfoUp", [](CK2RadioPort& r) { return r.MoveActiveVFOFreq(1, 1); }, "UP1;"},
    {"VfoDown", [](CK2RadioPort& r) { return r.MoveActiveVFOFreq(2, 4); }, "DN4;"},
    {"VfoBadDirection", [](CK2RadioPort& r) { return r.MoveActiveVFOFreq(3, 1); }, ""},
    {"VfoNoSteps", [](CK2RadioPort& r) { return r.MoveActiveVFOFreq(1, 0); }, ""},
    {"VfoFiveSteps", [](CK2RadioPort& r) { return r.MoveActiveVFOFreq(1, 5); }, ""},
    {"FreqA", [](CK2RadioPort& r) { return r.VFOFreq(1, 0, 14060000); }, "FA00014060000;"},
    {"FreqB", [](CK2RadioPort& r) { return r.VFOFreq(1, 1, 7040000); }, "FB00007040000;"},
    {"FreqLargest", [](CK2RadioPort& r) { return r.VFOFreq(1, 0, INT_MAX); }, "FA02147483647;"},
    {"FreqNegative", [](CK2RadioPort& r) { return r.VFOFreq(1, 0, -1); }, ""},
    {"FreqBadVfoInQuery", [](CK2RadioPort& r) { return r.VFOFreq(0, 2, 0); }, ""},
    {"FreqQuery", [](CK2RadioPort& r) { return r.VFOFreq(0, 1, -5); }, "FB;"},
    {"Display", [](CK2RadioPort& r) { return r.ReadDisplay(); }, "DS;"},
    {"NoiseBlankerOff", [](CK2RadioPort& r) { return r.NoiseBlanker(1, 0); }, "NB1;"},
    {"NoiseBlanker2", [](CK2RadioPort& r) { return r.NoiseBlanker(1, 2); }, "NB1;"},
    {"NoiseBlanker3", [](CK2RadioPort& r) { return r.NoiseBlanker(1, 3); }, ""},
    {"NoiseBlankerQuery", [](CK2RadioPort& r) { return r.NoiseBlanker(0, 3); }, "NB;"},
    {"PreampOn", [](CK2RadioPort& r) { return r.ReceiverPreamp(1, -7); }, "PA1;"},
    {"PreampOff", [](CK2RadioPort& r) { return r.ReceiverPreamp(1, 0); }, "PA0;"},
    {"PreampQuery", [](CK2RadioPort& r) { return r.ReceiverPreamp(0, 1); }, "PA;"},
    {"AttenuatorOn", [](CK2RadioPort& r) { return r.ReceiverAttenuator(1, 5); }, "RA01;"},
    {"AttenuatorOff", [](CK2RadioPort& r) { return r.ReceiverAttenuator(1, 0); }, "RA00;"},
    {"AttenuatorQuery", [](CK2RadioPort& r) { return r.ReceiverAttenuator(0, 1); }, "RA;"},
    {"Filter", [](CK2RadioPort& r) { return r.XFILSelection(1, 500, 2); }, "FW05002;"},
    {"FilterWidest", [](CK2RadioPort& r) { return r.XFILSelection(1, 9999, 4); }, "FW99994;"},
    {"FilterBandwidth10000", [](CK2RadioPort& r) { return r.XFILSelection(1, 10000, 1); }, ""},
    {"FilterBandwidthNegative", [](CK2RadioPort& r) { return r.XFILSelection(1, -1, 1); }, ""},
    {"FilterNumber0", [](CK2RadioPort& r) { return r.XFILSelection(1, 400, 0); }, ""},
    {"FilterNumber5", [](CK2RadioPort& r) { return r.XFILSelection(1, 400, 5); }, ""},
    {"FilterQuery", [](CK2RadioPort& r) { return r.XFILSelection(0, -1, 9); }, "FW;"},
    {"AudioFilterSet", [](CK2RadioPort& r) { return r.AFILSelection(1, 3); }, "SW29;"},
    {"AudioFilterQuery", [](CK2RadioPort& r) { return r.AFILSelection(0, 0); }, "SW29;"},
    {"Mode", [](CK2RadioPort& r) { return r.OperatingMode(1, 3); }, "MD3;"},
    {"Mode9", [](CK2RadioPort& r) { return r.OperatingMode(1, 9); }, "MD9;"},
    {"Mode0", [](CK2RadioPort& r) { return r.OperatingMode(1, 0); }, ""},
    {"Mode10", [](CK2RadioPort& r) { return r.OperatingMode(1, 10); }, ""},
    {"ModeQuery", [](CK2RadioPort& r) { return r.OperatingMode(0, 0); }, "MD;"},
    {"Info", [](CK2RadioPort& r) { return r.ReadTransceiverInfo(); }, "IF;"},
    {"AgcOff", [](CK2RadioPort& r) { return r.ReceiverAGC(1, 0); }, "GT0000;"},
    {"AgcFast", [](CK2RadioPort& r) { return r.ReceiverAGC(1, 2); }, "GT0021;"},
    {"AgcSlow", [](CK2RadioPort& r) { return r.ReceiverAGC(1, 4); }, "GT0041;"},
    {"Agc5", [](CK2RadioPort& r) { return r.ReceiverAGC(1, 5); }, ""},
    {"AgcQuery", [](CK2RadioPort& r) { return r.ReceiverAGC(0, 5); }, "GT;"},
    {"KeyerSpeed", [](CK2RadioPort& r) { return r.CWKeyerSpeed(1, 20); }, "KS020;"},
    {"KeyerSpeedLow", [](CK2RadioPort& r) { return r.CWKeyerSpeed(1, 5); }, "KS009;"},
    {"KeyerSpeedHigh", [](CK2RadioPort& r) { return r.CWKeyerSpeed(1, 60); }, "KS050;"},
    {"KeyerSpeedNegative", [](CK2RadioPort& r) { return r.CWKeyerSpeed(1, -3); }, "KS050;"},
    {"KeyerSpeedQuery", [](CK2RadioPort& r) { return r.CWKeyerSpeed(0, 20); }, "KS;"},
    {"Power", [](CK2RadioPort& r) { return r.RFPowerOutput(1, 50, 1); }, "PC0501;"},
    {"PowerClamped", [](CK2RadioPort& r) { return r.RFPowerOutput(1, 200, 7); }, "PC1501;"},
    {"PowerNegativeTenths", [](CK2RadioPort& r) { return r.RFPowerOutput(1, -5, 0); }, "PC0000;"},
    {"PowerNegativeWatts", [](CK2RadioPort& r) { return r.RFPowerOutput(1, -5, 1); }, "PC0001;"},
    {"PowerQuery", [](CK2RadioPort& r) { return r.RFPowerOutput(0, 50, 1); }, "PC;"},
    {"BandUp", [](CK2RadioPort& r) { return r.ChangeBand(1); }, "SW01;"},
    {"BandDown0", [](CK2RadioPort& r) { return r.ChangeBand(0); }, "SW03;"},
    {"BandDown2", [](CK2RadioPort& r) { return r.ChangeBand(2); }, "SW03;"},
    {"ReceiveVfoB", [](CK2RadioPort& r) { return r.TransceiverRecvVFOAssignment(1, 1); }, "FR1;"},
    {"ReceiveVfo2", [](CK2RadioPort& r) { return r.TransceiverRecvVFOAssignment(1, 2); }, ""},
    {"ReceiveVfoQuery", [](CK2RadioPort& r) { return r.TransceiverRecvVFOAssignment(0, 2); },
     "FR;"},
    {"TransmitVfoA", [](CK2RadioPort& r) { return r.TransceiverTxVFOAssignment(1, 0); }, "FT0;"},
    {"TransmitVfoNegative", [](CK2RadioPort& r) { return r.TransceiverTxVFOAssignment(1, -1); },
     ""},
    {"PowerOnStatus", [](CK2RadioPort& r) { return r.GetTransceiverPowerOnStatus(); }, "PS;"},
    {"RitOn", [](CK2RadioPort& r) { return r.RITControl(1, 1); }, "RT1;"},
    {"RitQuery", [](CK2RadioPort& r) { return r.RITControl(0, 1); }, "RT;"},
    {"XitOff", [](CK2RadioPort& r) { return r.XITControl(1, 0); }, "XT0;"},
    {"RitUp", [](CK2RadioPort& r) { return r.IncrementalOffsetTuning(1); }, "RU;"},
    {"RitDown", [](CK2RadioPort& r) { return r.IncrementalOffsetTuning(2); }, "RD;"},
    {"RitBadDirection", [](CK2RadioPort& r) { return r.IncrementalOffsetTuning(3); }, ""},
    {"RitClear", [](CK2RadioPort& r) { return r.ClearFineRITOffset(); }, "RC;"},
    {"Lock", [](CK2RadioPort& r) { return r.LockVFO(1, 1); }, "LK1;"},
    {"Tune", [](CK2RadioPort& r) { return r.TuneTransmitter(); }, "SW20;"},
    {"DiagnosticRaw", [](CK2RadioPort& r) { return r.SendDiagnosticData("FA;FB"); }, "FA;FB;"},
    {"Diagnostic60", [](CK2RadioPort& r) { return r.SendDiagnosticData(k60); }, k60 + ";"},
    {"Diagnostic61", [](CK2RadioPort& r) { return r.SendDiagnosticData(k61); }, ""},
    {"KeyQuery", [](CK2RadioPort& r) { return r.QueryKeyboardCWTxStatus(); }, "KY;"},
    {"KeyText", [](CK2RadioPort& r) { return r.SendKeyboardCWText("CQ DE N0CALL"); },
     "KY CQ DE N0CALL;"},
    {"KeyAbort", [](CK2RadioPort& r) { return r.AbortKeyboardCWText(); }, "KY @;"},
    {"KeySwitch7", [](CK2RadioPort& r) { return r.EmulateKeySwitch(7); }, "SW07;"},
    {"KeySwitch69", [](CK2RadioPort& r) { return r.EmulateKeySwitch(69); }, "SW69;"},
    {"KeySwitch0", [](CK2RadioPort& r) { return r.EmulateKeySwitch(0); }, ""},
    {"KeySwitch70", [](CK2RadioPort& r) { return r.EmulateKeySwitch(70); }, ""},
    {"Squelch", [](CK2RadioPort& r) { return r.SquelchLevel(1, 300); }, "SQ250;"},
    {"SquelchNegative", [](CK2RadioPort& r) { return r.SquelchLevel(1, -1); }, "SQ000;"},
    {"SquelchQuery", [](CK2RadioPort& r) { return r.SquelchLevel(0, 300); }, "SQ;"},
    {"RitTuningNegative", [](CK2RadioPort& r) { return r.RITTuning(1, -10); }, ""},
    {"RitTuningBadDirection", [](CK2RadioPort& r) { return r.RITTuning(3, 50); }, ""},
    {"ScanLowAboveHigh", [](CK2RadioPort& r) { return r.FrequencyScan(7100000, 7000000); }, ""},
    {"ScanNegative", [](CK2RadioPort& r) { return r.FrequencyScan(-1, 7000000); }, ""},
};

INSTANTIATE_TEST_SUITE_P(Radio, FormatterTest, ::testing::ValuesIn(kFormatterCases), CaseName());

// With no port the command is still logged, with its ";", when asked for.
TEST(SendCommandTest, NoPortLogsAndReportsNotOpen) {
    for (const std::uint8_t logging : {std::uint8_t{0}, std::uint8_t{kLogCommands}}) {
        Events events;
        RecordingLog log(events);
        RadioPortServices s;
        s.log = &log;
        CK2RadioPort radio(s, logging);
        EXPECT_EQ(radio.OperatingMode(1, 3), K2ERR_PORT_NOT_OPEN);
        EXPECT_EQ(events.Take(), logging != 0 ? std::vector<std::string>{Logged("MD3;")}
                                              : std::vector<std::string>{});
    }
}

// --- Sequences ---------------------------------------------------------------

struct SequenceCase {
    const char* name;
    bool portOpen;
    Call call;
    std::uint32_t status;
    std::vector<std::string> events;  // commands logged and pauses, in order
};
ROW_NAME(SequenceCase, row.name);

class SequenceTest : public ::testing::TestWithParam<SequenceCase> {};

TEST_P(SequenceTest, CommandsAndPausesInOrder) {
    const SequenceCase& c = GetParam();
    RadioOnPty pty;
    if (c.portOpen) {
        ASSERT_EQ(pty.radio.OpenCommPort(1, 4800, 8, 0, 1), K2ERR_NONE);
    }
    pty.events.Take();

    EXPECT_EQ(c.call(pty.radio), c.status);
    const std::vector<std::string> events = pty.events.Take();
    EXPECT_EQ(events, c.events);

    if (c.portOpen) {
        std::string expected;
        for (const std::string& e : c.events) {
            if (e.rfind("log 1 2 ", 0) == 0)
                expected += e.substr(8);
        }
        pty.radio.SendCommand("ZZ");
        EXPECT_EQ(pty.line.ReadUntil("ZZ;"), expected + "ZZ;");
    }
}

std::vector<std::string> EachThenPause(const std::vector<std::string>& commands, int ms) {
    std::vector<std::string> out;
    for (const auto& c : commands) {
        out.push_back(Logged(c));
        out.push_back("pause " + std::to_string(ms));
    }
    return out;
}

const std::vector<std::string> kInitialQueries = {"IF;", "FA;", "FB;", "PA;", "RA;", "FW;", "GT;",
                                                  "KS;", "PC;", "AN;", "NB;", "SQ;", "LK;"};

RadioMemInfo StoredState(std::int32_t mode) {
    RadioMemInfo s;
    s.ulVFOA_Freq = 14060000;
    s.ulVFOB_Freq = 7040000;
    s.uiOpMode = mode;
    s.uiXFIL = 2;
    s.uiCurXFILBW = 700;
    s.uiCWSpeed = 22;
    s.uiActiveRxVFO = 1;
    s.uiActiveTxVFO = 0;
    s.iRFPower = 5;  // not part of the download
    return s;
}

const std::vector<std::string> kDownload =
    EachThenPause({"FA00014060000;", "FB00007040000;", "FR1;", "FT0;", "MD3;", "FW07002;", "FT0;",
                   "FR1;", "KS022;"},
                  100);

std::vector<std::string> WithoutCommand(std::vector<std::string> v, const std::string& wire) {
    for (auto it = v.begin(); it != v.end(); ++it) {
        if (*it == Logged(wire)) {
            v.erase(it);
            break;
        }
    }
    return v;
}

const SequenceCase kSequenceCases[] = {
    {"InitialRadioInfo", true, [](CK2RadioPort& r) { return r.GetInitialRadioInfo(); }, K2ERR_NONE,
     EachThenPause(kInitialQueries, 100)},
    {"InitialRadioInfoNoPort", false, [](CK2RadioPort& r) { return r.GetInitialRadioInfo(); },
     K2ERR_PORT_NOT_OPEN, EachThenPause(kInitialQueries, 100)},
    {"DownloadRadioInfo", true, [](CK2RadioPort& r) { return r.DownloadRadioInfo(StoredState(3)); },
     K2ERR_NONE, kDownload},
    {"DownloadSkipsInvalidMember", true,
     [](CK2RadioPort& r) { return r.DownloadRadioInfo(StoredState(0)); }, K2ERR_NONE,
     WithoutCommand(kDownload, "MD3;")},
    {"DownloadNoPort", false, [](CK2RadioPort& r) { return r.DownloadRadioInfo(StoredState(3)); },
     K2ERR_PORT_NOT_OPEN, kDownload},
    {"ScanEqualLimits",
     true,
     [](CK2RadioPort& r) { return r.FrequencyScan(7040000, 7040000); },
     K2ERR_NONE,
     {Logged("FA00007040000;"), "pause 100", Logged("FB00007040000;"), "pause 100", Logged("SW19;"),
      "pause 100", Logged("SW25;")}},
    {"ScanNoPort",
     false,
     [](CK2RadioPort& r) { return r.FrequencyScan(7000000, 7100000); },
     K2ERR_PORT_NOT_OPEN,
     {Logged("FA00007000000;")}},
    {"RitTuningBelowOneStep",
     true,
     [](CK2RadioPort& r) { return r.RITTuning(1, 9); },
     K2ERR_NONE,
     {}},
    {"RitTuningDown35", true, [](CK2RadioPort& r) { return r.RITTuning(2, 35); }, K2ERR_NONE,
     EachThenPause({"RD;", "RD;", "RD;"}, 10)},
    {"RitTuningBadDirection",
     true,
     [](CK2RadioPort& r) { return r.RITTuning(3, 50); },
     K2ERR_INVALID_PARAM,
     {}},
    // One call holds the server's only ORB thread for all its steps.
    {"RitTuningLargestAmount", true, [](CK2RadioPort& r) { return r.RITTuning(1, 5000); },
     K2ERR_NONE, EachThenPause(std::vector<std::string>(500, "RU;"), 10)},
    {"RitTuningJustAboveTheLargest",
     true,
     [](CK2RadioPort& r) { return r.RITTuning(1, 5001); },
     K2ERR_INVALID_PARAM,
     {}},
    {"RitTuningLargestShort",
     true,
     [](CK2RadioPort& r) { return r.RITTuning(2, 32767); },
     K2ERR_INVALID_PARAM,
     {}},
    {"RitTuningNoPort",
     false,
     [](CK2RadioPort& r) { return r.RITTuning(1, 50); },
     K2ERR_PORT_NOT_OPEN,
     {Logged("RU;")}},
    {"QueryStatusNone", true, [](CK2RadioPort& r) { return r.QueryStatus(0); }, K2ERR_NONE, {}},
    {"QueryStatusDisplayAndBarGraph",
     true,
     [](CK2RadioPort& r) { return r.QueryStatus(3); },
     K2ERR_NONE,
     {Logged("DS;"), Logged("BG;")}},
    {"QueryStatusAll",
     true,
     [](CK2RadioPort& r) { return r.QueryStatus(7); },
     K2ERR_NONE,
     {Logged("DS;"), Logged("BG;"), Logged("IF;")}},
    {"QueryStatusNoPort",
     false,
     [](CK2RadioPort& r) { return r.QueryStatus(7); },
     K2ERR_PORT_NOT_OPEN,
     {Logged("DS;")}},
};

INSTANTIATE_TEST_SUITE_P(Radio, SequenceTest, ::testing::ValuesIn(kSequenceCases), CaseName());

// --- Keyboard CW text checks (no CW task needed) -------------------------------

TEST(KeyboardCWTest, OverlongTextIsRefusedBeforeThePortIsLookedAt) {
    Events events;
    RecordingLog log(events);
    RadioPortServices s;
    s.log = &log;
    CK2RadioPort radio(s, 0);
    // No port, no CW task: refused, never kept for later.
    EXPECT_EQ(radio.KeyboardCW(std::string(254, 'E')), K2ERR_PORT_NOT_OPEN);
    EXPECT_EQ(events.Take(),
              std::vector<std::string>{"log 0 1 Keyboard CW not sent: the radio port is not open"});
    EXPECT_EQ(radio.KeyboardCW(std::string(255, 'E')), K2ERR_INVALID_PARAM);
    EXPECT_EQ(events.Take(),
              std::vector<std::string>{
                  "log 0 1 Keyboard CW refused: 255 characters, at most 254 at a time"});
}

}  // namespace
