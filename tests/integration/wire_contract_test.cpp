// The wire contract of both interfaces between two processes: every operation
// sent through DII by its wire name with the argument kinds of the contract
// table, against the test peer served through the ORB plumbing. Arguments
// are coded by position, so a swapped or missing argument shows in the
// peer's record; results and outs are decoded with exactly the row's kinds.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <variant>
#include <vector>

#include "RadioCmdNotification.hh"
#include "RadioComm.hh"
#include "idl/naming.h"
#include "tests/support/row_names.h"
#include "tests/support/test_support.h"

namespace {

using peer_protocol::codedOut;
using peer_protocol::Record;

enum class Kind { Short, Long, String, FreqCache, BandInfo, MemInfo };

// The value an in-argument of `kind` at `position` of operation `number`
// carries, and how the peer records it.
CORBA::Short codedShort(int number, int position) {
    return static_cast<CORBA::Short>(number * 10 + position + 1);
}
CORBA::Long codedLong(int number, int position) {
    return number * 100000 + position + 1;
}
std::string codedString(int number, int position) {
    return "arg-" + std::to_string(number) + "-" + std::to_string(position);
}
CORBA::Long codedMember(int number, int member) {
    return number * 1000 + member + 1;
}

std::string codedMembersText(int number, int count) {
    std::string text;
    for (int k = 0; k < count; ++k) {
        text += (k == 0 ? "" : ",") + std::to_string(codedMember(number, k));
    }
    return text;
}

LAST_FREQ_VISIT_ARRAY codedFreqCache(int number) {
    LAST_FREQ_VISIT_ARRAY cache{};
    for (int k = 0; k < 18; ++k) {
        cache.VfoBank[k / 2][k % 2] = codedMember(number, k);
    }
    return cache;
}

RADIO_MEM_INFO codedMemInfo(int number) {
    RADIO_MEM_INFO m{};
    m.ulVFOA_Freq = codedMember(number, 0);
    m.ulVFOB_Freq = codedMember(number, 1);
    CORBA::Short* shorts[] = {
        &m.uiOpMode,      &m.uiXFIL,      &m.uiCurXFILBW, &m.uiAFIL,          &m.uiAGC,
        &m.uiNB,          &m.uiCWSpeed,   &m.uiAntPos,    &m.iRFPower,        &m.uiActiveRxVFO,
        &m.uiActiveTxVFO, &m.bPreAmpMode, &m.bAttMode,    &m.iIncTuneReading, &m.bRITEnable,
        &m.bXITEnable};
    for (int k = 0; k < 16; ++k) {
        *shorts[k] = static_cast<CORBA::Short>(codedMember(number, k + 2));
    }
    return m;
}

// Adds the coded in-argument and returns what the peer should record.
std::string addCodedIn(CORBA::Request_ptr request, Kind kind, int number, int position) {
    CORBA::Any& any = request->add_in_arg();
    switch (kind) {
        case Kind::Short:
            any <<= codedShort(number, position);
            return std::to_string(codedShort(number, position));
        case Kind::Long:
            any <<= codedLong(number, position);
            return std::to_string(codedLong(number, position));
        case Kind::String:
            any <<= codedString(number, position).c_str();
            return codedString(number, position);
        case Kind::FreqCache:
            any <<= codedFreqCache(number);
            return codedMembersText(number, 18);
        case Kind::MemInfo:
            any <<= codedMemInfo(number);
            return codedMembersText(number, 18);
        case Kind::BandInfo:
            break;
    }
    ADD_FAILURE() << "no in-argument of this kind in the contract";
    return {};
}

// Declares an out-argument of `kind` so the reply is decoded as that type.
void addOut(CORBA::Request_ptr request, Kind kind) {
    CORBA::Any& any = request->add_out_arg();
    switch (kind) {
        case Kind::Short:
            any <<= CORBA::Short(0);
            break;
        case Kind::Long:
            any <<= CORBA::Long(0);
            break;
        case Kind::String:
            any <<= "";
            break;
        case Kind::FreqCache:
            any <<= LAST_FREQ_VISIT_ARRAY{};
            break;
        case Kind::BandInfo:
            any <<= HAMRADIO_BAND_INFO{};
            break;
        case Kind::MemInfo:
            any <<= RADIO_MEM_INFO{};
            break;
    }
}

// Checks the decoded out-argument against the peer's coding; `position`
// counts the scalars of the operation's outs so far and moves on.
void expectCodedOut(const CORBA::Any& any, Kind kind, int number, int& position) {
    switch (kind) {
        case Kind::Short: {
            CORBA::Short value = 0;
            ASSERT_TRUE(any >>= value);
            EXPECT_EQ(value, codedOut(number, position++));
            break;
        }
        case Kind::String: {
            const char* text = nullptr;
            ASSERT_TRUE(any >>= text);
            EXPECT_STREQ(text, peer_protocol::kDisplayText);
            ++position;
            break;
        }
        case Kind::BandInfo: {
            const HAMRADIO_BAND_INFO* bands = nullptr;
            ASSERT_TRUE(any >>= bands);
            for (int b = 0; b < 9; ++b) {
                EXPECT_EQ(bands->Info[b].uiBandFreq, codedOut(number, position++)) << b;
                EXPECT_EQ(bands->Info[b].ulLowBandEdge, codedOut(number, position++)) << b;
                EXPECT_EQ(bands->Info[b].ulHighBandEdge, codedOut(number, position++)) << b;
            }
            break;
        }
        case Kind::FreqCache: {
            const LAST_FREQ_VISIT_ARRAY* cache = nullptr;
            ASSERT_TRUE(any >>= cache);
            for (int b = 0; b < 9; ++b) {
                EXPECT_EQ(cache->VfoBank[b][0], codedOut(number, position++)) << b;
                EXPECT_EQ(cache->VfoBank[b][1], codedOut(number, position++)) << b;
            }
            break;
        }
        case Kind::Long:
        case Kind::MemInfo:
            FAIL() << "no out-argument of this kind in the contract";
    }
}

// Both peers, the naming service and this process's ORB, shared by a suite.
class TwoProcesses {
  public:
    bool start() {
        if (!m_naming.start()) {
            m_error = m_naming.error();
            return false;
        }
        if (!m_server.start(PeerRole::Server, m_naming, m_dir.path())) {
            m_error = m_server.error();
            return false;
        }
        if (!m_client.start(PeerRole::Client, m_naming, m_dir.path())) {
            m_error = m_client.error();
            return false;
        }
        m_orb = std::make_unique<TestOrb>(OrbRole::Client, m_naming);
        m_radioComm = resolveName(m_orb->orb(), "RadioComm");
        m_notification = resolveName(m_orb->orb(), "RadioCmdNotification");
        // A reply that never comes fails the row instead of hanging it.
        omniORB::setClientCallTimeout(m_radioComm.in(), 10000);
        omniORB::setClientCallTimeout(m_notification.in(), 10000);
        return true;
    }
    ~TwoProcesses() {
        m_radioComm = CORBA::Object::_nil();
        m_notification = CORBA::Object::_nil();
        m_orb.reset();
    }

    const std::string& error() const { return m_error; }
    CORBA::Object_ptr radioComm() const { return m_radioComm.in(); }
    CORBA::Object_ptr notification() const { return m_notification.in(); }
    PeerProcess& server() { return m_server; }
    PeerProcess& client() { return m_client; }

  private:
    TempDir m_dir;
    NamingService m_naming;
    PeerProcess m_server;
    PeerProcess m_client;
    std::unique_ptr<TestOrb> m_orb;
    CORBA::Object_var m_radioComm;
    CORBA::Object_var m_notification;
    std::string m_error;
};

class WireContract : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        s_processes = new TwoProcesses;
        if (!s_processes->start()) {
            s_startError = s_processes->error();
        }
    }
    static void TearDownTestSuite() {
        delete s_processes;
        s_processes = nullptr;
    }
    void SetUp() override { ASSERT_TRUE(s_startError.empty()) << s_startError; }

    // The records the peer adds while `action` runs, waiting for `expected`.
    template <class Action>
    static std::vector<Record> newRecords(PeerProcess& peer, std::size_t expected, Action action) {
        const std::size_t before = peer.records().size();
        action();
        auto all = peer.waitForRecords(before + expected);
        return {all.begin() + static_cast<std::ptrdiff_t>(std::min(before, all.size())), all.end()};
    }

    // A call known to work, after a refused one: whatever the refused call
    // left in the peer's record shows up before it.
    static std::vector<Record> recordsUpToSentinel(PeerProcess& peer, std::size_t before) {
        CORBA::Request_var sentinel = s_processes->radioComm()->_request("Disconnect");
        sentinel->set_return_type(CORBA::_tc_long);
        sentinel->invoke();
        auto all = peer.waitForRecords(before + 1);
        return {all.begin() + static_cast<std::ptrdiff_t>(std::min(before, all.size())), all.end()};
    }

    static TwoProcesses* s_processes;
    static std::string s_startError;
};

TwoProcesses* WireContract::s_processes = nullptr;
std::string WireContract::s_startError;

struct OperationCase {
    int number;
    const char* wireName;
    std::vector<Kind> written;
    std::vector<Kind> outs;  // read after the long result
    bool hasResult = true;
};
ROW_NAME(OperationCase, row.wireName);

class RadioCommWire : public WireContract, public ::testing::WithParamInterface<OperationCase> {};

TEST_P(RadioCommWire, ArgumentsArriveInOrderAndResultsDecode) {
    const OperationCase& c = GetParam();
    CORBA::Request_var request = s_processes->radioComm()->_request(c.wireName);
    std::vector<std::string> expectedArgs;
    for (std::size_t p = 0; p < c.written.size(); ++p) {
        expectedArgs.push_back(addCodedIn(request, c.written[p], c.number, static_cast<int>(p)));
    }
    const CORBA::ULong firstOut = static_cast<CORBA::ULong>(c.written.size());
    for (const Kind kind : c.outs) {
        addOut(request, kind);
    }
    request->set_return_type(c.hasResult ? CORBA::_tc_long : CORBA::_tc_void);

    const auto records = newRecords(s_processes->server(), 1, [&] { request->invoke(); });

    if (c.hasResult) {
        CORBA::Long result = -1;
        ASSERT_TRUE(request->return_value() >>= result);
        EXPECT_EQ(result, c.number);
    }
    int position = 0;
    for (std::size_t i = 0; i < c.outs.size(); ++i) {
        CORBA::NamedValue_ptr out =
            request->arguments()->item(firstOut + static_cast<CORBA::ULong>(i));
        expectCodedOut(*out->value(), c.outs[i], c.number, position);
    }
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].operation, c.wireName);
    EXPECT_EQ(records[0].args, expectedArgs);
    EXPECT_TRUE(records[0].onOrbThread);
}

using K = Kind;
const OperationCase kOperations[] = {
    {0, "Connect", {K::String}, {}},
    {1, "Disconnect", {}, {}},
    {2, "EchoString", {K::String}, {}, false},
    {3, "ReadHAMRadioBandInfo", {}, {K::BandInfo}},
    {4, "ReadVFOFreqCache", {}, {K::FreqCache}},
    {5, "WriteVFOFreqCache", {K::FreqCache}, {}},
    {6, "GetInitialRadioInfo", {}, {}},
    {7, "RITTuning", {K::Short, K::Short}, {}},
    {8, "DownloadRadioInfo", {K::MemInfo}, {}},
    {9, "QueryRFAmpStatus", {}, {K::Short}},
    {10, "AutoInfo", {K::Short, K::Short}, {}},
    {11, "CommandMode", {K::Short, K::Short}, {}},
    {12, "Antenna", {K::Short, K::Short}, {}},
    {13, "ReadBarGraphLevel", {}, {}},
    {14, "MoveActiveVFOFreq", {K::Short, K::Short}, {}},
    {15, "ReadDisplay", {}, {K::String, K::Short, K::Short}},
    {16, "VFOFreq", {K::Short, K::Short, K::Long}, {}},
    {17, "NoiseBlanker", {K::Short, K::Short}, {}},
    {18, "ReceiverAGC", {K::Short, K::Short}, {}},
    {19, "ReceiverPreamp", {K::Short, K::Short}, {}},
    {20, "ReceiverAttenuator", {K::Short, K::Short}, {}},
    {21, "XFILSelection", {K::Short, K::Short, K::Short}, {}},
    {22, "AFILSelection", {K::Short, K::Short}, {}},
    {23, "OperatingMode", {K::Short, K::Short}, {}},
    {24, "ReadTransceiverInfo", {}, {}},
    {25, "CWKeyerSpeed", {K::Short, K::Short}, {}},
    {26, "RFPowerOutput", {K::Short, K::Short, K::Short}, {}},
    {27, "ChangeBand", {K::Short}, {}},
    {28, "TransceiverRecvVFOAssignment", {K::Short, K::Short}, {}},
    {29, "TransceiverTxVFOAssignment", {K::Short, K::Short}, {}},
    {30, "GetTransceiverPowerOnStatus", {}, {}},
    {31, "RITControl", {K::Short, K::Short}, {}},
    {32, "XITControl", {K::Short, K::Short}, {}},
    {33, "IncrementalOffsetTuning", {K::Short}, {}},
    {34, "ClearFineRITOffset", {}, {}},
    {35, "LockVFO", {K::Short, K::Short}, {}},
    {36, "TuneTransmitter", {}, {}},
    {37, "SendDiagnosticData", {K::String}, {}},
    {38, "QueryKeyboardCWTxStatus", {}, {}},
    {39, "KeyboardCW", {K::String}, {}},
    {40, "AbortKeyboardCW", {}, {}},
    {41, "EmulateKeySwitch", {K::Short}, {}},
    {42, "FrequencyScan", {K::Long, K::Long}, {}},
    {43, "SquelchLevel", {K::Short, K::Short}, {}},
    {44, "EnableStatusQuery", {K::Short}, {}},
};

INSTANTIATE_TEST_SUITE_P(Idl, RadioCommWire, ::testing::ValuesIn(kOperations), CaseName());

// Requests that do not match the contract are refused and reach no servant.
struct RefusedCase {
    const char* label;
    const char* wireName;
    std::vector<Kind> written;
    enum class Outcome { BadOperation, CommFailure, Marshal } outcome;
};
ROW_NAME(RefusedCase, row.label);

class RefusedRequest : public WireContract, public ::testing::WithParamInterface<RefusedCase> {};

TEST_P(RefusedRequest, FailsAndLeavesNoRecord) {
    const RefusedCase& c = GetParam();
    const std::size_t before = s_processes->server().records().size();
    CORBA::Request_var request = s_processes->radioComm()->_request(c.wireName);
    for (std::size_t p = 0; p < c.written.size(); ++p) {
        addCodedIn(request, c.written[p], 99, static_cast<int>(p));
    }
    request->set_return_type(CORBA::_tc_long);
    switch (c.outcome) {
        case RefusedCase::Outcome::BadOperation:
            EXPECT_THROW(request->invoke(), CORBA::BAD_OPERATION);
            break;
        case RefusedCase::Outcome::CommFailure:
            EXPECT_THROW(request->invoke(), CORBA::COMM_FAILURE);
            break;
        case RefusedCase::Outcome::Marshal:
            EXPECT_THROW(request->invoke(), CORBA::MARSHAL);
            break;
    }
    const auto records = recordsUpToSentinel(s_processes->server(), before);
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].operation, "Disconnect");
}

// A body longer than the operation's arguments is not among them: both ORBs
// serve such a request and ignore the bytes left over, since refusing it cost
// the server memory it never gave back (orb_limits_e2e_test).
INSTANTIATE_TEST_SUITE_P(Idl, RefusedRequest,
                         ::testing::Values(RefusedCase{"WrongCaseName",
                                                       "operatingMode",
                                                       {K::Short, K::Short},
                                                       RefusedCase::Outcome::BadOperation},
                                           RefusedCase{"UnknownName",
                                                       "SetFrequency",
                                                       {K::Short, K::Short},
                                                       RefusedCase::Outcome::BadOperation},
                                           RefusedCase{"VfoFreqWithTwoShorts",
                                                       "VFOFreq",
                                                       {K::Short, K::Short},
                                                       RefusedCase::Outcome::Marshal}),
                         CaseName());

// The same bytes were refused while the ORBs checked a body's end: now the
// operation is served with what its own arguments read, and the link goes on.
TEST_F(WireContract, BodyLongerThanTheArgumentsIsServedAndTheNextCallAnswers) {
    CORBA::Request_var request = s_processes->radioComm()->_request("VFOFreq");
    const std::vector<Kind> written{K::Long, K::Short, K::Long};
    for (std::size_t p = 0; p < written.size(); ++p) {
        addCodedIn(request, written[p], 99, static_cast<int>(p));
    }
    request->set_return_type(CORBA::_tc_long);
    const auto records = newRecords(s_processes->server(), 1, [&] { request->invoke(); });
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].operation, "VFOFreq");
    const std::size_t before = s_processes->server().records().size();
    const auto after = recordsUpToSentinel(s_processes->server(), before);
    ASSERT_EQ(after.size(), 1u);
    EXPECT_EQ(after[0].operation, "Disconnect");
}

TEST_F(WireContract, LongClientNameArrivesWhole) {
    const std::string name(10000, 'n');
    CORBA::Request_var request = s_processes->radioComm()->_request("Connect");
    request->add_in_arg() <<= name.c_str();
    request->set_return_type(CORBA::_tc_long);
    const auto records = newRecords(s_processes->server(), 1, [&] { request->invoke(); });
    ASSERT_EQ(records.size(), 1u);
    ASSERT_EQ(records[0].args.size(), 1u);
    EXPECT_EQ(records[0].args[0], name);
}

// --- RadioCmdNotification: every operation is oneway ---------------------

struct CallbackCase {
    const char* label;
    const char* wireName;
    std::vector<std::variant<CORBA::Short, std::string>> args;
};
ROW_NAME(CallbackCase, row.label);

class CallbackWire : public WireContract, public ::testing::WithParamInterface<CallbackCase> {};

TEST_P(CallbackWire, OnewayArrivesWithItsArguments) {
    const CallbackCase& c = GetParam();
    CORBA::Request_var request = s_processes->notification()->_request(c.wireName);
    std::vector<std::string> expectedArgs;
    for (const auto& arg : c.args) {
        if (const auto* value = std::get_if<CORBA::Short>(&arg)) {
            request->add_in_arg() <<= *value;
            expectedArgs.push_back(std::to_string(*value));
        } else {
            const std::string& text = std::get<std::string>(arg);
            request->add_in_arg() <<= text.c_str();
            expectedArgs.push_back(text);
        }
    }
    const auto records = newRecords(s_processes->client(), 1, [&] { request->send_oneway(); });
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].operation, c.wireName);
    EXPECT_EQ(records[0].args, expectedArgs);
    EXPECT_TRUE(records[0].onOrbThread);
}

INSTANTIATE_TEST_SUITE_P(
    Idl, CallbackWire,
    ::testing::Values(
        CallbackCase{"Connect", "Connect", {std::string("Brakton")}},
        CallbackCase{"Disconnect", "Disconnect", {}},
        CallbackCase{"NotifyCmd", "NotifyCmd", {CORBA::Short(18), std::string("MD3")}},
        CallbackCase{"NotifyCmdUnknownReply", "NotifyCmd", {CORBA::Short(0), std::string("ZZ9")}},
        CallbackCase{"NotifyTextMessageSent",
                     "NotifyTextMessageSent",
                     {CORBA::Short(25), std::string("CQ CQ DE N0CALL K")}},
        CallbackCase{"NotifyTextMessageSentEmpty",
                     "NotifyTextMessageSent",
                     {CORBA::Short(0), std::string()}},
        CallbackCase{"NotifyTextMessageEmpty", "NotifyTextMessageEmpty", {}},
        CallbackCase{"NotifyRFAmpOptionChange", "NotifyRFAmpOptionChange", {CORBA::Short(1)}}),
    CaseName());

}  // namespace
