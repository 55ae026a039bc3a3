#include "idl/orb_options.h"
#include "tests/support/row_names.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct OptionsCase {
    const char* label;
    OrbRole role;
    std::string host;
    int port;
    std::vector<std::string> args;
    std::vector<OrbOption> expected;
};
ROW_NAME(OptionsCase, row.label);

const OrbOption kClientThreads{"maxServerThreadPerConnection", "1"};
const OrbOption kServerConnect{"clientConnectTimeOutPeriod", "2000"};
const OrbOption kSharedConnection{"oneCallPerConnection", "0"};
const OrbOption kOneConnectionToEachPeer{"maxGIOPConnectionPerServer", "1"};
const OrbOption kLenientIiop{"strictIIOP", "0"};
const OrbOption kDefaultInitRef{"InitRef", "NameService=corbaloc::localhost:10000/NameService"};

class OrbOptionsTest : public ::testing::TestWithParam<OptionsCase> {};

TEST_P(OrbOptionsTest, BuildsTheRoleAndNamingOptions) {
    const OptionsCase& c = GetParam();
    const std::vector<std::string> argsBefore = c.args;
    EXPECT_EQ(orbOptions(c.role, c.host, c.port, c.args), c.expected);
    EXPECT_EQ(c.args, argsBefore);
}

INSTANTIATE_TEST_SUITE_P(
    Orb, OrbOptionsTest,
    ::testing::Values(
        OptionsCase{"ClientDefaults",
                    OrbRole::Client,
                    kDefaultNamingHost,
                    kDefaultNamingPort,
                    {"pelorin"},
                    {kDefaultInitRef, kClientThreads, kLenientIiop}},
        OptionsCase{"ServerDefaults",
                    OrbRole::Server,
                    kDefaultNamingHost,
                    kDefaultNamingPort,
                    {"brakton"},
                    {kDefaultInitRef, kServerConnect, kSharedConnection, kOneConnectionToEachPeer,
                     kLenientIiop}},
        OptionsCase{"StoredHostWithBlanksIsTrimmed",
                    OrbRole::Client,
                    "localhost ",
                    kDefaultNamingPort,
                    {"pelorin"},
                    {kDefaultInitRef, kClientThreads, kLenientIiop}},
        OptionsCase{"StoredHostWithBlanksIsTrimmedForTheServer",
                    OrbRole::Server,
                    " localhost\t",
                    kDefaultNamingPort,
                    {"brakton"},
                    {kDefaultInitRef, kServerConnect, kSharedConnection, kOneConnectionToEachPeer,
                     kLenientIiop}},
        // The sheets' rule: every kind of blank around the host goes.
        OptionsCase{"StoredHostWithALineEndIsTrimmed",
                    OrbRole::Client,
                    "localhost\r\n",
                    kDefaultNamingPort,
                    {"pelorin"},
                    {kDefaultInitRef, kClientThreads, kLenientIiop}},
        OptionsCase{"RemoteHost",
                    OrbRole::Server,
                    "radio-host",
                    2809,
                    {"brakton"},
                    {{"InitRef", "NameService=corbaloc::radio-host:2809/NameService"},
                     kServerConnect,
                     kSharedConnection,
                     kOneConnectionToEachPeer,
                     kLenientIiop}},
        OptionsCase{"InitRefForNameServiceWins",
                    OrbRole::Client,
                    "radio-host",
                    2809,
                    {"pelorin", "-ORBInitRef", "NameService=corbaloc::other:1/NameService"},
                    {kClientThreads, kLenientIiop}},
        OptionsCase{"DefaultInitRefWins",
                    OrbRole::Server,
                    "radio-host",
                    2809,
                    {"brakton", "-ORBDefaultInitRef", "corbaloc::other:1"},
                    {kServerConnect, kSharedConnection, kOneConnectionToEachPeer, kLenientIiop}},
        OptionsCase{"InitRefForAnotherServiceDoesNotCount",
                    OrbRole::Client,
                    "radio-host",
                    2809,
                    {"pelorin", "-ORBInitRef", "Other=corbaloc::other:1/Other"},
                    {{"InitRef", "NameService=corbaloc::radio-host:2809/NameService"},
                     kClientThreads,
                     kLenientIiop}},
        OptionsCase{"InitRefWithoutValueDoesNotCount",
                    OrbRole::Client,
                    kDefaultNamingHost,
                    kDefaultNamingPort,
                    {"pelorin", "-ORBInitRef"},
                    {kDefaultInitRef, kClientThreads, kLenientIiop}},
        OptionsCase{"NameServiceTextAloneDoesNotCount",
                    OrbRole::Client,
                    kDefaultNamingHost,
                    kDefaultNamingPort,
                    {"pelorin", "NameService=corbaloc::other:1/NameService"},
                    {kDefaultInitRef, kClientThreads, kLenientIiop}}),
    CaseName());

}  // namespace
