#include "server/orb_args.h"
#include "tests/support/row_names.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Args = std::vector<std::string>;

struct OrbArgsCase {
    const char* name;
    std::string host;
    int port;
    Args args;
    Args expected;
};
ROW_NAME(OrbArgsCase, row.name);

Args withRef(Args args, const std::string& uri) {
    args.emplace_back("-ORBInitRef");
    args.push_back("NameService=corbaloc::" + uri + "/NameService");
    return args;
}

const OrbArgsCase kCases[] = {
    {"LocalHost", "localhost", 10000, {"Brakton"}, withRef({"Brakton"}, "localhost:10000")},
    {"LoopbackAddressIsLocalHost",
     "127.0.0.1",
     10000,
     {"Brakton"},
     withRef({"Brakton"}, "localhost:10000")},
    {"RemoteHost", "radio-host", 2809, {"Brakton"}, withRef({"Brakton"}, "radio-host:2809")},
    {"Ipv6LiteralInBrackets", "::1", 2809, {"Brakton"}, withRef({"Brakton"}, "[::1]:2809")},
    {"BracketedIpv6Kept", "[::1]", 2809, {"Brakton"}, withRef({"Brakton"}, "[::1]:2809")},
    // A stored host is taken as the sheets show it: blanks around it go first.
    {"BlankAfterTheHost",
     "localhost ",
     10000,
     {"Brakton"},
     withRef({"Brakton"}, "localhost:10000")},
    {"BlankAndTabAroundTheHost",
     " localhost\t",
     10000,
     {"Brakton"},
     withRef({"Brakton"}, "localhost:10000")},
    {"LoopbackWithALineEndIsLocalHost",
     "127.0.0.1\r\n",
     10000,
     {"Brakton"},
     withRef({"Brakton"}, "localhost:10000")},
    {"Ipv6LiteralWithBlanksInBrackets",
     " ::1 ",
     2809,
     {"Brakton"},
     withRef({"Brakton"}, "[::1]:2809")},
    // A blank inside is no blank around: the ORB is told it and refuses it.
    {"BlankInsideKept", "local host", 10000, {"Brakton"}, withRef({"Brakton"}, "local host:10000")},
    {"GivenNameServiceWins",
     "radio-host",
     2809,
     {"Brakton", "-ORBInitRef", "NameService=corbaloc::other:1/NameService"},
     {"Brakton", "-ORBInitRef", "NameService=corbaloc::other:1/NameService"}},
    {"DefaultInitRefWins",
     "radio-host",
     2809,
     {"Brakton", "-ORBDefaultInitRef", "corbaloc::other:1"},
     {"Brakton", "-ORBDefaultInitRef", "corbaloc::other:1"}},
    // Another service's reference does not locate the naming service.
    {"OtherInitRefKept",
     "localhost",
     10000,
     {"Brakton", "-ORBInitRef", "Other=corbaloc::x:1/Other"},
     withRef({"Brakton", "-ORBInitRef", "Other=corbaloc::x:1/Other"}, "localhost:10000")},
    {"EndpointKeptAndReferenceAdded",
     "127.0.0.1",
     4000,
     {"Brakton", "-ORBendPoint", "giop:tcp:127.0.0.1:"},
     withRef({"Brakton", "-ORBendPoint", "giop:tcp:127.0.0.1:"}, "localhost:4000")},
    // A trailing -ORBInitRef with no value is no reference.
    {"DanglingInitRef",
     "localhost",
     10000,
     {"Brakton", "-ORBInitRef"},
     withRef({"Brakton", "-ORBInitRef"}, "localhost:10000")},
};

class BuildOrbArgsTest : public ::testing::TestWithParam<OrbArgsCase> {};

TEST_P(BuildOrbArgsTest, AddsTheNamingReferenceUnlessOneIsGiven) {
    const OrbArgsCase& c = GetParam();
    EXPECT_EQ(buildOrbArgs(c.host, c.port, c.args), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Server, BuildOrbArgsTest, ::testing::ValuesIn(kCases), CaseName());

// The address an ORB failure names: the one the ORB was sent to.
struct AddressCase {
    const char* name;
    Args orbArgs;
    std::string address;
};
ROW_NAME(AddressCase, row.name);

const AddressCase kAddresses[] = {
    {"BuiltFromTheSettings", buildOrbArgs(" localhost\t", 10000, {"Brakton"}), "localhost:10000"},
    {"Ipv6InBrackets", buildOrbArgs("::1", 2809, {"Brakton"}), "[::1]:2809"},
    {"HostWithABlankInside", buildOrbArgs("local host", 10000, {"Brakton"}), "local host:10000"},
    {"GivenOnTheCommandLine",
     buildOrbArgs("radio-host", 2809,
                  {"Brakton", "-ORBInitRef", "NameService=corbaloc::other:1/NameService"}),
     "other:1"},
    {"IiopProtocolNamed",
     {"Brakton", "-ORBInitRef", "NameService=corbaloc:iiop:other:1/NameService"},
     "other:1"},
    {"DefaultInitRef", {"Brakton", "-ORBDefaultInitRef", "corbaloc::other:1"}, "other:1"},
    {"InitRefWinsOverDefaultInitRef",
     {"Brakton", "-ORBInitRef", "NameService=corbaloc::first:1/NameService", "-ORBDefaultInitRef",
      "corbaloc::other:1"},
     "first:1"},
    {"LastInitRefCounts",
     {"Brakton", "-ORBInitRef", "NameService=corbaloc::first:1/NameService", "-ORBInitRef",
      "NameService=corbaloc::second:2/NameService"},
     "second:2"},
    {"OtherFormShownWhole",
     {"Brakton", "-ORBInitRef", "NameService=IOR:010000001c"},
     "IOR:010000001c"},
};

class NamingServiceAddressTest : public ::testing::TestWithParam<AddressCase> {};

TEST_P(NamingServiceAddressTest, NamesTheAddressTheOrbIsSentTo) {
    EXPECT_EQ(namingServiceAddress(GetParam().orbArgs), GetParam().address);
}

INSTANTIATE_TEST_SUITE_P(Server, NamingServiceAddressTest, ::testing::ValuesIn(kAddresses),
                         CaseName());

}  // namespace
