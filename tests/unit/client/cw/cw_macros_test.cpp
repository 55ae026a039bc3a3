#include "client/cw/cw_macros.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "client/base/registry_store.h"
#include "client/cw/cw_transmitter.h"
#include "client/cw/serial_counter.h"
#include "radiolink/k2_status.h"
#include "tests/support/row_names.h"
#include "tests/unit/client/base/client_store_fixture.h"

namespace {

using cw::FormatCounter;
using cw::LookupMacroCode;

TEST(LookupMacroCodeTest, NamesInAnyCaseAndUnknownNames) {
    const std::array<std::pair<std::string, int>, 12> rows = {{{"MC", 1},
                                                               {"mn", 2},
                                                               {"Mq", 3},
                                                               {"ms", 4},
                                                               {"hc", 5},
                                                               {"HN", 6},
                                                               {"hq", 7},
                                                               {"HS", 8},
                                                               {"sn", 9},
                                                               {"XY", 0},
                                                               {"S", 0},
                                                               {"", 0}}};
    for (const auto& [name, code] : rows) {
        std::string upper = name;
        EXPECT_EQ(LookupMacroCode(upper), code) << name;
        for (const char ch : upper) {
            EXPECT_FALSE(ch >= 'a' && ch <= 'z') << upper;
        }
    }
}

struct FormatCase {
    const char* name;
    int value;
    int mode;
    const char* text;
};
ROW_NAME(FormatCase, row.name);

const FormatCase kFormats[] = {
    {"ThreeDigits", 7, 0x03, "007"},
    {"ThreeDigitsCut", 7, 0x83, "TT7"},
    {"TenCutOwnLength", 10, 0x80, "1T"},
    {"HundredCutThreeDigits", 100, 0x83, "1TT"},
    {"ZeroCutOneDigit", 0, 0x81, "T"},
    {"OwnLength", 12345, 0x00, "12345"},
    {"DigitsAboveFiveCountAsFive", 42, 0x09, "00042"},
    {"WiderThanFieldKeepsEveryDigit", 1000, 0x03, "1000"},
    {"WiderThanFieldCut", 1000, 0x83, "1TTT"},
    {"NegativeSignLeadsTheField", -5, 0x03, "-05"},
};

class FormatCounterTest : public ::testing::TestWithParam<FormatCase> {};

TEST_P(FormatCounterTest, Formats) {
    EXPECT_EQ(FormatCounter(GetParam().value, GetParam().mode), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(Modes, FormatCounterTest, ::testing::ValuesIn(kFormats), CaseName());

// --- Expansion and sending, on a real settings file ----------------------------------------

struct ExpansionCase {
    const char* name;
    std::string text;
    int counter;
    int outputMode;
    std::optional<std::int32_t> answer;  // nothing: the call fails
    bool connected;
    std::vector<std::string> sent;  // texts the server took
    int counterAfter;
    std::string status;  // the status line's last words ("" none)
};
ROW_NAME(ExpansionCase, row.name);

class MacroExpansion : public ClientStoreFixture,
                       public ::testing::WithParamInterface<ExpansionCase> {
  protected:
    void SetUp() override {
        ClientStoreFixture::SetUp();
        m_store.SetStringSlot(1, "N0CALL");
        m_store.SetStringSlot(2, "JOHN");
        m_store.SetStringSlot(3, "");
        m_store.SetStringSlot(4, "599");
        m_store.SetStringSlot(5, "A~SNB");
        m_store.SetStringSlot(6, "JOS\xC3\xA9");
    }

    int storedCounter() {
        int value = -1;
        int mode = -1;
        m_store.ReadCounterSettings(value, mode);
        return value;
    }

    pelorin::CRegistryStore m_store;
};

TEST_P(MacroExpansion, SentTextCounterAndStoredValue) {
    const ExpansionCase& row = GetParam();
    m_store.WriteCounterSettings(row.counter, row.outputMode);
    cw::SerialCounter counter(m_store);
    cw::PendingText pending;
    std::vector<std::string> sent;
    std::string status;
    cw::CwTransmitter::Hooks hooks;
    hooks.connected = [&] { return row.connected; };
    hooks.keyboardCW = [&](const std::string& text) -> std::optional<std::int32_t> {
        if (row.answer && *row.answer == 0) {
            sent.push_back(text);
        }
        return row.answer;
    };
    hooks.showStatus = [&](int, const std::string& text) { status = text; };
    hooks.slot = [&](int slot) {
        std::string text;
        m_store.GetStringSlot(slot, text);
        return text;
    };
    cw::CwTransmitter transmitter(hooks, pending, counter);
    transmitter.transmitMemory(row.text);

    EXPECT_EQ(sent, row.sent);
    EXPECT_EQ(counter.value(), row.counterAfter);
    EXPECT_EQ(storedCounter(), row.counterAfter);
    EXPECT_EQ(status, row.status);
    std::string joined;
    for (const std::string& text : sent) {
        joined += text;
    }
    EXPECT_EQ(pending.text(), joined);
}

const ExpansionCase kExpansions[] = {
    {"OperatorData", "DE ~MC ~mn ", 1, 0, 0, true, {"DE N0CALL JOHN "}, 1, ""},
    {"UnknownNameKeepsUpperCase", "~xy~MS", 1, 0, 0, true, {"XY599"}, 1, ""},
    {"EmptySlotVanishes", "QTH ~MQ.", 1, 0, 0, true, {"QTH ."}, 1, ""},
    {"TildeAtTheEndTakesWhatIsLeft", "K ~S", 1, 0, 0, true, {"K S"}, 1, ""},
    {"LoneTildeAtTheEnd", "K ~", 1, 0, 0, true, {"K "}, 1, ""},
    {"SlotTextIsNotExpandedAgain", "~HC", 1, 0, 0, true, {"A~SNB"}, 1, ""},
    {"SerialAloneNeverSteps", "~SN ~SN", 7, 3, 0, true, {"007 007"}, 7, ""},
    {"SerialPlusSendsValueBeforeStep", "~SN+~SN+", 1, 3, 0, true, {"001002"}, 3, ""},
    {"SerialMinusStepsBack", "~sn-", 5, 3, 0, true, {"005"}, 4, ""},
    {"SerialMinusAtZeroStaysAtZero", "~SN-", 0, 3, 0, true, {"000"}, 0, ""},
    {"NotConnectedUndoesTheStep", "~SN+", 5, 3, 0, false, {}, 5, "CW not sent: not connected"},
    // A call with no answer may have reached Brakton: the number is used up.
    {"UnansweredCallLeavesTheStep",
     "~SN+",
     5,
     3,
     std::nullopt,
     true,
     {},
     6,
     "CW not sent: not connected"},
    {"RefusedNotConnected",
     "~SN+",
     5,
     3,
     std::int32_t{K2ERR_CLIENT_NOT_CONNECTED},
     true,
     {},
     5,
     "CW not sent: not connected"},
    {"RefusedPortNotOpen",
     "TEST",
     1,
     0,
     std::int32_t{K2ERR_PORT_NOT_OPEN},
     true,
     {},
     1,
     "CW not sent: radio port not open"},
    {"RefusedWriteFailed",
     "TEST",
     1,
     0,
     std::int32_t{K2ERR_PORT_WRITE_FAILED},
     true,
     {},
     1,
     "CW not sent: radio port not open"},
    {"RefusedQueueFull",
     "TEST",
     1,
     0,
     std::int32_t{K2ERR_INVALID_PARAM},
     true,
     {},
     1,
     "CW not sent: Brakton's CW queue is full"},
    {"RefusedOtherError",
     "TEST",
     1,
     0,
     std::int32_t{0x100000E},
     true,
     {},
     1,
     "CW not sent: error 0x100000E"},
    // The counter never passes its top: the whole text is refused and nothing
    // stepped, so no number comes round again.
    {"SerialAtTheTopIsSent", "~SN", 2147483647, 0, 0, true, {"2147483647"}, 2147483647, ""},
    {"SerialPlusAtTheTopIsRefused",
     "NR ~SN+",
     2147483647,
     0,
     0,
     true,
     {},
     2147483647,
     cw::kSerialAtLimitStatus},
    {"SerialPlusPastTheTopRefusesTheWholeText",
     "~SN+ ~SN+",
     2147483646,
     0,
     0,
     true,
     {},
     2147483646,
     cw::kSerialAtLimitStatus},
    {"SlotOutsideAsciiSendsNothing",
     "~HN",
     1,
     0,
     0,
     true,
     {},
     1,
     "CW not sent: only ASCII characters can be keyed"},
};

INSTANTIATE_TEST_SUITE_P(Texts, MacroExpansion, ::testing::ValuesIn(kExpansions), CaseName());

class SerialCounterFile : public ClientStoreFixture {};

TEST_F(SerialCounterFile, RefusedThenSentAfterReconnectingSendsTheSameNumber) {
    pelorin::CRegistryStore store;
    store.WriteCounterSettings(5, 3);
    cw::SerialCounter counter(store);
    cw::PendingText pending;
    bool connected = false;
    std::vector<std::string> sent;
    cw::CwTransmitter::Hooks hooks;
    hooks.connected = [&] { return connected; };
    hooks.keyboardCW = [&](const std::string& text) -> std::optional<std::int32_t> {
        sent.push_back(text);
        return 0;
    };
    hooks.showStatus = [](int, const std::string&) {};
    cw::CwTransmitter transmitter(hooks, pending, counter);
    EXPECT_FALSE(transmitter.transmitMemory("~SN+"));
    connected = true;
    EXPECT_TRUE(transmitter.transmitMemory("~SN+"));
    EXPECT_EQ(sent, (std::vector<std::string>{"005"}));
    EXPECT_EQ(counter.value(), 6);
}

TEST_F(SerialCounterFile, ANewCounterContinuesFromTheSteppedValue) {
    {
        pelorin::CRegistryStore store;
        store.WriteCounterSettings(41, 0);
        cw::SerialCounter counter(store);
        EXPECT_TRUE(counter.step(1));
    }
    pelorin::CRegistryStore store;
    cw::SerialCounter counter(store);
    EXPECT_EQ(counter.value(), 42);
}

TEST_F(SerialCounterFile, AStepSurvivesAnImmediateCrash) {
    {
        pelorin::CRegistryStore store;
        store.WriteCounterSettings(9, 0);
    }
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        pelorin::CRegistryStore store;
        cw::SerialCounter counter(store);
        counter.step(1);
        std::_Exit(0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    pelorin::CRegistryStore store;
    cw::SerialCounter counter(store);
    EXPECT_EQ(counter.value(), 10);
}

TEST_F(SerialCounterFile, AStepWritesTheValueAloneAndFormatsInTheStoredMode) {
    pelorin::CRegistryStore store;
    store.WriteCounterSettings(7, 0);
    cw::SerialCounter counter(store);
    // The output mode set elsewhere (the sheet, the dialog) after the counter
    // was made.
    store.WriteCounterSettings(7, 0x84);
    EXPECT_TRUE(counter.step(1));
    int value = 0;
    int mode = 0;
    store.ReadCounterSettings(value, mode);
    EXPECT_EQ(value, 8);
    EXPECT_EQ(mode, 0x84);
    EXPECT_EQ(counter.format(), "TTT8");
}

// A stored counter that is not a whole number 0-2147483647 (a damaged text, or
// a DWORD above the signed range such as 0xFFFFFFFB) is never restarted.
struct UnreadableCounterCase {
    const char* name;
    const char* stored;
};
ROW_NAME(UnreadableCounterCase, row.name);

class UnreadableCounter : public ClientStoreFixture,
                          public ::testing::WithParamInterface<UnreadableCounterCase> {
  protected:
    void SetUp() override {
        ClientStoreFixture::SetUp();
        writeIni(std::string("[Settings]\nCounter Value=") + GetParam().stored +
                 "\nOutput Mode=3\n");
        m_before = rawIni();
        m_hooks.connected = [] { return true; };
        m_hooks.keyboardCW = [this](const std::string& text) -> std::optional<std::int32_t> {
            m_sent.push_back(text);
            return 0;
        };
        m_hooks.showStatus = [this](int kind, const std::string& text) {
            EXPECT_EQ(kind, 2);
            m_status = text;
        };
    }

    std::string m_before;
    cw::CwTransmitter::Hooks m_hooks;
    std::vector<std::string> m_sent;
    std::string m_status;
};

TEST_P(UnreadableCounter, IsReportedOnceRefusesTheSerialNumberAndStaysUntilSet) {
    pelorin::CRegistryStore store;
    cw::SerialCounter counter(store);
    cw::PendingText pending;
    cw::CwTransmitter transmitter(m_hooks, pending, counter);
    EXPECT_FALSE(counter.known());

    EXPECT_FALSE(transmitter.transmitMemory("NR ~SN+ "));
    EXPECT_FALSE(transmitter.transmitMemory("~SN"));
    EXPECT_EQ(m_status, cw::kSerialUnknownStatus);
    EXPECT_TRUE(m_sent.empty());
    // A memory without the serial number goes as ever.
    EXPECT_TRUE(transmitter.transmitMemory("TEST "));
    EXPECT_EQ(m_sent, (std::vector<std::string>{"TEST "}));
    EXPECT_EQ(messages(),
              (std::vector<std::string>{std::string("error\t") + cw::kCounterUnreadableMessage}));
    // Reading, formatting and the refusals wrote nothing.
    EXPECT_EQ(rawIni(), m_before);

    // A second window reads the file as it stands.
    {
        pelorin::CRegistryStore again;
        cw::SerialCounter second(again);
        EXPECT_FALSE(second.known());
    }
    EXPECT_EQ(rawIni(), m_before);

    // The operator sets it (the counter dialog writes it, the window takes it).
    ASSERT_TRUE(store.WriteCounterSettings(57, 3));
    counter.takeValue(57);
    m_sent.clear();
    EXPECT_TRUE(transmitter.transmitMemory("NR ~SN+ "));
    EXPECT_EQ(m_sent, (std::vector<std::string>{"NR 057 "}));
    int value = 0;
    int mode = 0;
    EXPECT_TRUE(store.ReadCounterSettings(value, mode));
    EXPECT_EQ(value, 58);
}

const UnreadableCounterCase kUnreadableCounters[] = {
    {"NotAWholeNumber", "12x"},
    {"DwordAboveTheSignedRange", "4294967291"},
    {"Negative", "-5"},
};

INSTANTIATE_TEST_SUITE_P(Stored, UnreadableCounter, ::testing::ValuesIn(kUnreadableCounters),
                         CaseName());

TEST_F(SerialCounterFile, AMissingCounterIsOne) {
    writeIni("[Settings]\nOutput Mode=3\n");
    pelorin::CRegistryStore store;
    cw::SerialCounter counter(store);
    EXPECT_EQ(counter.value(), 1);
    EXPECT_EQ(counter.format(), "001");
    EXPECT_TRUE(messages().empty());
}

TEST_F(SerialCounterFile, AnUnwritableFileReportsTheSerialNumberNotSaved) {
    blockSettingsFolder();
    pelorin::CRegistryStore store;
    cw::SerialCounter counter(store);
    cw::PendingText pending;
    std::vector<std::string> statuses;
    cw::CwTransmitter::Hooks hooks;
    hooks.connected = [] { return true; };
    hooks.keyboardCW = [](const std::string&) -> std::optional<std::int32_t> { return 0; };
    hooks.showStatus = [&](int kind, const std::string& text) {
        EXPECT_EQ(kind, 2);
        statuses.push_back(text);
    };
    cw::CwTransmitter transmitter(hooks, pending, counter);
    EXPECT_TRUE(transmitter.transmitMemory("NR ~SN+"));
    EXPECT_EQ(statuses, (std::vector<std::string>{"Serial number not saved"}));
}

TEST_F(SerialCounterFile, AMemoryExpandingPast254GoesInTwoCallsTheFirstEndingAfterASeparator) {
    pelorin::CRegistryStore store;
    std::string name;
    for (int i = 0; i < 8; ++i) {
        name += "ABCDEFGHI ";  // blanks inside the name
    }
    name.resize(79);
    store.SetStringSlot(2, name);
    cw::SerialCounter counter(store);
    cw::PendingText pending;
    std::vector<std::string> sent;
    cw::CwTransmitter::Hooks hooks;
    hooks.connected = [] { return true; };
    hooks.keyboardCW = [&](const std::string& text) -> std::optional<std::int32_t> {
        sent.push_back(text);
        return 0;
    };
    hooks.showStatus = [](int, const std::string&) {};
    hooks.slot = [&](int slot) {
        std::string text;
        store.GetStringSlot(slot, text);
        return text;
    };
    cw::CwTransmitter transmitter(hooks, pending, counter);
    const std::string memory = "~MN ~MN ~MN ~MN ";
    EXPECT_TRUE(transmitter.transmitMemory(memory));
    ASSERT_EQ(sent.size(), 2U);
    EXPECT_LE(sent[0].size(), 254U);
    EXPECT_TRUE(cw::IsSeparator(sent[0].back()));
    EXPECT_EQ(sent[0] + sent[1], name + " " + name + " " + name + " " + name + " ");
}

TEST_F(SerialCounterFile, ASecondPieceRefusedKeepsTheFirstAndItsSteps) {
    pelorin::CRegistryStore store;
    store.WriteCounterSettings(1, 3);
    cw::SerialCounter counter(store);
    cw::PendingText pending;
    int calls = 0;
    std::string status;
    cw::CwTransmitter::Hooks hooks;
    hooks.connected = [] { return true; };
    hooks.keyboardCW = [&](const std::string&) -> std::optional<std::int32_t> {
        return ++calls == 1 ? 0 : std::int32_t{K2ERR_INVALID_PARAM};
    };
    hooks.showStatus = [&](int, const std::string& text) { status = text; };
    cw::CwTransmitter transmitter(hooks, pending, counter);
    EXPECT_TRUE(transmitter.transmitMemory("~SN+ " + std::string(300, 'E')));
    EXPECT_EQ(calls, 2);
    EXPECT_EQ(pending.text(), "001 ");
    EXPECT_EQ(counter.value(), 2);
    EXPECT_EQ(status, "CW not sent: Brakton's CW queue is full");
}

// A memory key's stored text that breaks the memory-text rule is refused by
// its key, naming the key and the reason; a text that keeps it goes with a
// blank after it, its control characters as blanks.
struct MemoryKeyCase {
    const char* name;
    std::string text;
    std::vector<std::string> sent;
    std::string status;
};
ROW_NAME(MemoryKeyCase, row.name);

class MemoryKeySend : public ClientStoreFixture,
                      public ::testing::WithParamInterface<MemoryKeyCase> {};

TEST_P(MemoryKeySend, SendsOrSaysWhyNot) {
    pelorin::CRegistryStore store;
    cw::SerialCounter counter(store);
    cw::PendingText pending;
    std::vector<std::string> sent;
    std::string status;
    cw::CwTransmitter::Hooks hooks;
    hooks.connected = [] { return true; };
    hooks.keyboardCW = [&](const std::string& text) -> std::optional<std::int32_t> {
        sent.push_back(text);
        return 0;
    };
    hooks.showStatus = [&](int kind, const std::string& text) {
        EXPECT_EQ(kind, 2);
        status = text;
    };
    cw::CwTransmitter transmitter(hooks, pending, counter);
    EXPECT_EQ(transmitter.transmitMemoryKey(2, GetParam().text), !GetParam().sent.empty());
    EXPECT_EQ(sent, GetParam().sent);
    EXPECT_EQ(status, GetParam().status);
}

const MemoryKeyCase kMemoryKeys[] = {
    {"Plain", "CQ TEST", {"CQ TEST "}, ""},
    {"ControlCharactersAsBlanks", "CQ\tDE\x7F", {"CQ DE  "}, ""},
    {"AtTheLimit", std::string(253, 'E'), {std::string(253, 'E') + " "}, ""},
    {"LongerThan253",
     std::string(254, 'E'),
     {},
     "Memory F3 cannot be sent: longer than 253 characters"},
    {"NotAscii",
     "CQ DE JOS\xC3\xA9",
     {},
     "Memory F3 cannot be sent: only ASCII characters can be keyed"},
};

INSTANTIATE_TEST_SUITE_P(Texts, MemoryKeySend, ::testing::ValuesIn(kMemoryKeys), CaseName());

}  // namespace
