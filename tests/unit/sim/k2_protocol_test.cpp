// The simulated K2 answers bytes written to its line as the radio does.
// Each row starts a simulator, selects the K2 mode, writes its bytes and
// reads until the answer to a closing "ID;", so a set form that wrongly
// answers shows up as well as a missing reply.

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "sim/k2_simulator.h"
#include "sim_test_support.h"
#include "tests/support/row_names.h"

namespace sim {
namespace {

using namespace std::chrono_literals;
using testing::SlavePort;

std::string repeat(std::string_view text, int times) {
    std::string result;
    for (int i = 0; i < times; ++i) {
        result += text;
    }
    return result;
}

// A DS reply: 8 display bytes, annunciator, blink.
std::string ds(std::string display, unsigned char annunciator, unsigned char blink) {
    return "DS" + display + static_cast<char>(annunciator) + static_cast<char>(blink) + ";";
}

const std::string kDefaultDisplay =
    "\x40"
    "14060"
    "\xB0"
    "0";
const std::string kIfDefault = "IF00014060000     +000000 0003000001 ;";

struct Case {
    const char* name;
    int k2Mode;
    std::string input;
    std::string expected;
    void (*setup)(K2Simulator&) = nullptr;
};
ROW_NAME(Case, row.name);

class K2ProtocolTest : public ::testing::TestWithParam<Case> {};

TEST_P(K2ProtocolTest, AnswersAsTheRadio) {
    const Case& c = GetParam();
    TempDir dir;
    K2SimulatorOptions options;
    options.folder = dir.path();
    // Some rows send thousands of bytes, seconds of line: the answers are
    // what counts here, not the line's pace.
    options.readPacing = false;
    K2Simulator radio(options);
    ASSERT_TRUE(radio.start().ok());
    if (c.setup != nullptr) {
        c.setup(radio);
    }
    SlavePort port(radio.linkPath());
    port.write("K2" + std::to_string(c.k2Mode) + ";" + c.input + "ID;");
    EXPECT_EQ(port.readUntil("ID017;"), c.expected + "ID017;");
}

const Case kCases[] = {
    // Every query's default reply in K22.
    {"DefaultAI", 2, "AI;", "AI0;"},
    {"DefaultK2", 2, "K2;", "K22;"},
    {"DefaultFA", 2, "FA;", "FA00014060000;"},
    {"DefaultFB", 2, "FB;", "FB00007040000;"},
    {"DefaultFRFT", 2, "FR;FT;", "FR0;FT0;"},
    {"DefaultMD", 2, "MD;", "MD3;"},
    {"DefaultFW", 2, "FW;", "FW040010;"},
    {"DefaultGT", 2, "GT;", "GT0021;"},
    {"DefaultNB", 2, "NB;", "NB00;"},
    {"DefaultFlags", 2, "PA;LK;RT;XT;", "PA0;LK0;RT0;XT0;"},
    {"DefaultRAAN", 2, "RA;AN;", "RA00;AN1;"},
    {"DefaultKS", 2, "KS;", "KS020;"},
    {"DefaultPC", 2, "PC;", "PC0501;"},
    {"DefaultSQ", 2, "SQ;", "SQ000;"},
    {"DefaultIF", 2, "IF;", kIfDefault},
    {"DefaultDS", 2, "DS;", ds(kDefaultDisplay, 0x80, 0x80)},
    {"DefaultBGSM", 2, "BG;SM;", "BG00;SM0000;"},
    {"DefaultKY", 2, "KY;", "KY2;"},
    {"DefaultPS", 2, "PS;", "PS1;"},

    // Basic formats where they differ.
    {"BasicK2", 0, "K2;", "K20;"},
    {"BasicFW", 0, "FW;", "FW0400;"},
    {"BasicGT", 0, "GT;", "GT002;"},
    {"BasicNB", 0, "NB;NB1;NB1;NB;", "NB0;NB1;"},
    {"BasicPC", 0, "PC;", "PC050;"},
    {"BasicKYEmpty", 0, "KY;", "KY0;"},
    {"BasicK21", 1, "FW;GT;", "FW0400;GT002;"},
    {"K21ReportsRttyAsLsb", 1, "MD6;MD;IF;", "MD1;IF00014060000     +000000 0001000001 ;"},
    {"K23ReportsRttyReverseAsUsb", 3, "MD9;MD;", "MD2;"},
    {"K22ReportsRttyReverse", 2, "MD9;MD;", "MD9;"},
    {"ExtendedSetFormInBasicMode", 0, "FW070021;K22;FW;", "FW070021;"},
    {"BasicSetFormInExtendedMode", 2, "PC075;PC;", "PC0751;"},

    // A set form is silent, and its query then shows it.
    {"SetFA", 2, "FA00007000000;FA;", "FA00007000000;"},
    {"SetFB", 2, "FB00014000000;FB;", "FB00014000000;"},
    {"FRAlsoSetsTransmitVfo", 2, "FR1;FR;FT;", "FR1;FT1;"},
    {"FTAloneIsSplit", 2, "FT1;FR;FT;IF;", "FR0;FT1;IF00014060000     +000000 0003001001 ;"},
    {"SetMD", 2, "MD2;MD;", "MD2;"},
    {"FWSetsSlotBandwidth", 2, "FW05002;FW;", "FW050020;"},
    {"FWZeroKeepsBandwidth", 2, "FW000032;FW;", "FW180032;"},
    {"GTSlow", 2, "GT0041;GT;", "GT0041;"},
    {"GTOffKeepsSpeed", 2, "GT0000;GT;", "GT0020;"},
    {"NBStepsRound", 2, "NB0;NB;NB9;NB;NB5;NB;", "NB10;NB20;NB00;"},
    {"SetFlags", 2, "PA1;LK1;RT1;XT1;PA;LK;RT;XT;", "PA1;LK1;RT1;XT1;"},
    {"SetRAAN", 2, "RA01;AN2;RA;AN;", "RA01;AN2;"},
    {"SetKSLimits", 2, "KS009;KS;KS050;KS;", "KS009;KS050;"},
    {"PCClampedTo150", 2, "PC2000;PC;", "PC1500;"},
    {"SetSQ", 2, "SQ250;SQ;", "SQ250;"},
    {"SetK2", 2, "K21;K2;", "K21;"},
    {"UP4", 2, "UP4;FA;", "FA00014061000;"},
    {"UPBareAndSteps", 2, "UP;UP2;UP3;FA;DN;FA;", "FA00014060080;FA00014060070;"},
    {"UPTunesReceiveVfo", 2, "FR1;UP1;FB;FA;", "FB00007040010;FA00014060000;"},
    {"BandUp", 2, "SW01;FA;", "FA00018086000;"},
    {"BandDown", 2, "SW03;FA;", "FA00010116000;"},
    {"BandUpWraps", 2, "FA00028060000;SW01;FA;", "FA00001810000;"},
    {"BandDownWraps", 2, "FA00001810000;SW03;FA;", "FA00028060000;"},
    {"BandDownBetweenBands", 2, "FA00015000000;SW03;FA;", "FA00014060000;"},
    {"SW22TogglesThreshold", 2, "SW22;NB;SW22;NB;", "NB01;NB00;"},
    {"SW29StepsAudioFilter", 2, "SW29;FW;SW29;FW;SW29;FW;", "FW040011;FW040012;FW040010;"},
    {"OtherSwitchNoEffect", 2, "SW20;FA;MD;", "FA00014060000;MD3;"},
    {"TXInVoiceMode", 2, "MD2;TX;IF;RX;IF;",
     "IF00014060000     +000000 0012000001 ;IF00014060000     +000000 0002000001 ;"},

    // IF and DS byte for byte.
    {"IFAfterFR1RT1ThreeRU", 2, "FR1;RT1;RU;RU;RU;IF;", "IF00007040000     +003010 0003100001 ;"},
    {"IFNegativeXitOffset", 2, "XT1;RD;RD;IF;", "IF00014060000     -002001 0003000001 ;"},
    {"RCClearsOffset", 2, "RU;RU;RC;IF;", kIfDefault},
    {"OffsetClampedUp", 2, repeat("RU;", 1000) + "IF;", "IF00014060000     +999000 0003000001 ;"},
    {"OffsetClampedDown", 2, repeat("RD;", 1000) + "IF;", "IF00014060000     -999000 0003000001 ;"},
    {"DSAfterPA1", 2, "PA1;DS;", ds(kDefaultDisplay, 0x90, 0x80)},
    {"DSAfterAN2", 2, "AN2;DS;", ds(kDefaultDisplay, 0xA0, 0x80)},
    {"DSAfterFR1", 2, "FR1;DS;",
     ds("\x40\x40"
        "7040"
        "\xB0"
        "0",
        0x84, 0x80)},
    {"DSSplitBlinks", 2, "FT1;DS;", ds(kDefaultDisplay, 0x80, 0x84)},
    {"DSAllAnnunciators", 2, "NB1;SW22;RA01;RT1;XT1;DS;", ds(kDefaultDisplay, 0xCB, 0xC0)},
    {"DSLowFrequency", 2, "FA00000000500;DS;",
     ds("\x40\x40\x40\x40\x40"
        "0"
        "\xB5"
        "0",
        0x80, 0x80)},

    // "?;" for what the radio does not take.
    {"Unknown", 2, "ZZ1;", "?;"},
    {"TooShort", 2, "F;", "?;"},
    {"NonDigitInFA", 2, "FA-0014060000;FA;", "?;FA00014060000;"},
    {"ShortFA", 2, "FA123;", "?;"},
    {"LongFA", 2, "FA000140600000;", "?;"},
    {"ModeOutOfRange", 2, "MD4;MD0;MDx;", "?;?;?;"},
    {"FlagOutOfRange", 2, "PA2;RT2;FR2;", "?;?;?;"},
    {"AIAndK2OutOfRange", 2, "AI4;K24;", "?;?;"},
    {"RAOutOfRange", 2, "RA02;RA1;", "?;?;"},
    {"ANOutOfRange", 2, "AN0;AN3;", "?;?;"},
    {"KSOutOfRange", 2, "KS008;KS051;KS20;", "?;?;?;"},
    {"PCBadRange", 2, "PC0502;PC05;", "?;?;"},
    {"SQOutOfRange", 2, "SQ251;", "?;"},
    {"FWBadSlotOrAudio", 2, "FW00005;FW040013;FW0400;FW;", "?;?;?;FW040010;"},
    {"GTBadForms", 2, "GT0031;GT0022;GT002;", "?;?;?;"},
    {"NoQueryForSW", 2, "SW;", "?;"},
    {"SWOutOfRange", 2, "SW00;SW70;SW1;", "?;?;?;"},
    {"UPStepOutOfRange", 2, "UP5;DN0;", "?;?;"},
    {"RITStepsTakeNoParameter", 2, "RU1;RD1;RC0;", "?;?;?;"},
    {"QueryOnlyWithParameter", 2, "IF1;DS0;BG1;PS1;", "?;?;?;?;"},
    {"TXNotInCW", 2, "TX;MD7;TX;", "?;?;"},
    {"KYWithoutBlank", 2, "KYE;", "?;"},
    {"KYTextTooLong", 2, "KY " + std::string(25, 'E') + ";KY;", "?;KY2;"},
    {"RejectedSetChangesNothing", 2, "FA1406000000X;FA;MD4;MD;", "?;FA00014060000;?;MD3;"},

    // Framing.
    {"LowerCase", 2, "fa;md2;Md;", "FA00014060000;MD2;"},
    {"SeveralInOneWrite", 2, "FA;FB;MD;", "FA00014060000;FB00007040000;MD3;"},
    {"LoneSemicolonsIgnored", 2, ";;FA;;", "FA00014060000;"},
    {"SixtyFourBytesIsACommand", 2, std::string(64, 'Q') + ";FA;", "?;FA00014060000;"},
    {"OverflowDroppedOnce", 2, std::string(100, 'Q') + ";FA;", "?;FA00014060000;"},
    {"OverflowSwallowsRestUntilSemicolon", 2, std::string(65, 'Q') + "FA;FB;", "?;FB00007040000;"},

    // KY.
    {"KYTwentyFourCharsFillsToThreeQuarters", 2, "KY " + std::string(24, 'E') + ";KY;", "KY1;"},
    {"KYUnderThreeQuarters", 2, "ky cq;ky;", "KY0;"},
    {"KYAbortEmpties", 2, "KY CQ CQ CQ;KY @;KY;", "KY2;"},

    // Bar graph.
    {"BGDotMode", 2, "BG;SM;", "BG07;SM0007;",
     [](K2Simulator& r) { r.setBarGraph(7, BarMode::Dot); }},
    {"BGBarMode", 2, "BG;SM;", "BG22;SM0010;",
     [](K2Simulator& r) { r.setBarGraph(10, BarMode::Bar); }},

    // Auto-info.
    {"AI0SendsNothing", 2, "MD6;", ""},
    {"AI1SendsIF", 2, "AI1;MD6;", "IF00014060000     +000000 0006000001 ;"},
    {"AI2SendsTheItem", 2, "AI2;MD6;", "MD6;"},
    {"AI3SendsItemThenIF", 2, "AI3;MD6;", "MD6;IF00014060000     +000000 0006000001 ;"},
    {"AI1NoIFForPreamp", 2, "AI1;PA1;", ""},
    {"AI3PreampNoIF", 2, "AI3;PA1;", "PA1;"},
    {"AI2AfterUP4", 2, "AI2;UP4;", "FA00014061000;"},
    {"AI3AfterRITStepOnlyIF", 2, "AI3;RU;", "IF00014060000     +001000 0003000001 ;"},
    {"AI3BandChangeFlagsIF", 2, "AI3;SW03;",
     "FA00010116000;IF00010116000     +000000 0003000101 ;"},
    {"AI3BandChangeBasicNoFlag", 0, "AI3;SW03;",
     "FA00010116000;IF00010116000     +000000 0003000001 ;"},
    {"AI2TxIsNoChangeReport", 2, "MD2;AI2;TX;", ""},

    // KY answer modes.
    {"KYNever", 2, "KY;", "", [](K2Simulator& r) { r.setKyAnswer(KyAnswer::Never); }},
    {"KYSeven", 2, "KY;", "KY7;", [](K2Simulator& r) { r.setKyAnswer(KyAnswer::Seven); }},
    {"KYNoDigit", 2, "KY;", "KY;", [](K2Simulator& r) { r.setKyAnswer(KyAnswer::NoDigit); }},
    {"KYAlwaysTwo", 2, "KY CQ CQ;KY;", "KY2;",
     [](K2Simulator& r) { r.setKyAnswer(KyAnswer::AlwaysTwo); }},

    // Display and status bytes put in.
    {"DSFixedFrame", 2, "DS;DS;",
     repeat(ds(std::string("\x00\x3B\xB1\x40<M[\xFF", 8), 0x00, 0x3B), 2),
     [](K2Simulator& r) {
         DisplayFrame frame;
         frame.display = std::array<std::uint8_t, 8>{0x00, 0x3B, 0xB1, 0x40, '<', 'M', '[', 0xFF};
         frame.annunciator = 0x00;
         frame.blink = 0x3B;
         r.setDisplayFrames({frame});
     }},
    {"DSChangingStatus", 2, "DS;DS;DS;",
     ds(kDefaultDisplay, 0xC0, 0x80) + ds(kDefaultDisplay, 0x81, 0x80) +
         ds(kDefaultDisplay, 0xC0, 0x80),
     [](K2Simulator& r) {
         DisplayFrame a;
         a.annunciator = 0xC0;
         DisplayFrame b;
         b.annunciator = 0x81;
         r.setDisplayFrames({a, b});
     }},
};

INSTANTIATE_TEST_SUITE_P(Rows, K2ProtocolTest, ::testing::ValuesIn(kCases), CaseName());

}  // namespace
}  // namespace sim
