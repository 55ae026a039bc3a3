// The ORB thread in this process: a failing set-up is reported through the
// program's callback, the thread ends and the program can still stop it.

#include "idl/orb_thread.h"

#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <string>
#include <thread>

#include "idl/naming.h"
#include "idl/orb_options.h"
#include "tests/support/test_support.h"

namespace {

TEST(OrbThread, SetupFailureIsReportedAndTheThreadCanBeStopped) {
    NamingService naming;
    ASSERT_TRUE(naming.start()) << naming.error();
    ASSERT_TRUE(naming.stop()) << naming.error();  // bindings now meet a refused connection

    std::vector<std::string> args{"test"};
    const auto endpoint = loopbackEndpointArgs();
    args.insert(args.end(), endpoint.begin(), endpoint.end());
    CORBA::ORB_var orb = initOrb(OrbRole::Server, naming.host(), naming.port(), args);

    std::promise<std::string> failure;
    bool setupRanOnOrbThread = false;
    OrbThread thread;
    ASSERT_TRUE(thread.start(
        orb.in(),
        [&](CORBA::ORB_ptr threadOrb, PortableServer::POA_ptr) {
            setupRanOnOrbThread = thread.onOrbThread();
            CORBA::Object_var nothing = CORBA::Object::_nil();
            rebindName(threadOrb, "RadioComm", nothing.in());
        },
        [&](const std::string& name, unsigned long) { failure.set_value(name); }));
    EXPECT_FALSE(thread.start(orb.in(), {}, {}));  // one ORB thread per owner

    auto reported = failure.get_future();
    ASSERT_EQ(reported.wait_for(std::chrono::seconds(15)), std::future_status::ready);
    EXPECT_EQ(reported.get(), "TRANSIENT");
    EXPECT_TRUE(setupRanOnOrbThread);
    EXPECT_FALSE(thread.onOrbThread());
    thread.stop();
    thread.stop();
}

}  // namespace
