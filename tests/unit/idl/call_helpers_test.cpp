#include "idl/call_helpers.h"
#include "tests/support/row_names.h"

#include <gtest/gtest.h>
#include <omniORB4/Naming.hh>

#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "tests/support/recording_call_sink.h"

namespace {

struct HelperCase {
    const char* label;
    std::function<void()> raise;
    const char* sinkLine;  // nullptr: the call succeeds
    CallFailure::Kind kind;
    const char* failureName;
    unsigned long minor;
    CallFailure::Completion completion;
};
ROW_NAME(HelperCase, row.label);

class CallHelpersTest : public ::testing::TestWithParam<HelperCase> {};

TEST_P(CallHelpersTest, ClientCallReportsToTheSink) {
    const HelperCase& c = GetParam();
    RecordingCallSink sink;
    const bool ok = callClient("NotifyCmd", c.raise, sink);
    if (c.sinkLine == nullptr) {
        EXPECT_TRUE(ok);
        EXPECT_TRUE(sink.lines().empty());
    } else {
        EXPECT_FALSE(ok);
        EXPECT_EQ(sink.lines(), std::vector<std::string>{c.sinkLine});
    }
}

TEST_P(CallHelpersTest, ServerCallGivesResultOrFailure) {
    const HelperCase& c = GetParam();
    const auto result = callServer("OperatingMode", [&]() -> CORBA::Long {
        c.raise();
        return 23;
    });
    if (c.sinkLine == nullptr) {
        ASSERT_TRUE(result.ok());
        EXPECT_EQ(result.value(), 23);
        return;
    }
    ASSERT_FALSE(result.ok());
    const CallFailure& failure = result.failure();
    EXPECT_EQ(failure.kind, c.kind);
    EXPECT_EQ(failure.operation, "OperatingMode");
    EXPECT_EQ(failure.name, c.failureName);
    EXPECT_EQ(failure.minor, c.minor);
    EXPECT_EQ(failure.completion, c.completion);
}

constexpr const char* kCorbaLine = "CORBA Exception in NotifyCmd";
constexpr const char* kUnknownLine = "Unknown exception in NotifyCmd";

INSTANTIATE_TEST_SUITE_P(
    Idl, CallHelpersTest,
    ::testing::Values(
        HelperCase{"NothingThrown", [] {}, nullptr, {}, "", 0, {}},
        HelperCase{"Transient", [] { throw CORBA::TRANSIENT(7, CORBA::COMPLETED_NO); }, kCorbaLine,
                   CallFailure::Kind::System, "TRANSIENT", 7, CallFailure::Completion::No},
        HelperCase{"Timeout", [] { throw CORBA::TIMEOUT(3, CORBA::COMPLETED_MAYBE); }, kCorbaLine,
                   CallFailure::Kind::System, "TIMEOUT", 3, CallFailure::Completion::Maybe},
        HelperCase{"NamingNotFound",
                   [] {
                       throw CosNaming::NamingContext::NotFound(
                           CosNaming::NamingContext::missing_node, CosNaming::Name());
                   },
                   kUnknownLine, CallFailure::Kind::User, "NotFound", 0,
                   CallFailure::Completion::Yes},
        HelperCase{"StandardException", [] { throw std::runtime_error("broken"); }, kUnknownLine,
                   CallFailure::Kind::Unknown, "broken", 0, CallFailure::Completion::Maybe},
        HelperCase{"AnInt", [] { throw 42; }, kUnknownLine, CallFailure::Kind::Unknown,
                   "unknown exception", 0, CallFailure::Completion::Maybe}),
    CaseName());

TEST(CallHelpers, VoidCallsAndObjectResultsPassThrough) {
    EXPECT_TRUE(callServer("EchoString", [] {}).ok());
    const auto nil = callServer("resolve", [] { return CORBA::Object_var(CORBA::Object::_nil()); });
    ASSERT_TRUE(nil.ok());
    EXPECT_TRUE(CORBA::is_nil(nil.value().in()));
}

TEST(CallHelpers, LogLinesStayBoundedWhateverTheOperationName) {
    const std::string huge(10000, 'x');
    EXPECT_EQ(corbaExceptionLine(huge).size(), std::string("CORBA Exception in ").size() + 64);
    EXPECT_EQ(unknownExceptionLine("NotifyTextMessageSent"),
              "Unknown exception in NotifyTextMessageSent");
}

}  // namespace
