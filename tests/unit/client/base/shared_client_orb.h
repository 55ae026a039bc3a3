#pragma once

#include <gtest/gtest.h>

#include <QCoreApplication>

#include <string>
#include <vector>

#include "client/base/client_orb.h"
#include "tests/support/test_support.h"

// One ORB per process: a test program's naming service, application and
// client ORB, made by the first test that asks for them. The ORB thread keeps
// running to the end of the program; the naming service and its data folder
// go with the last test.
struct SharedClientOrb {
    NamingService naming;
    bool ok = false;
    std::string error;

    explicit SharedClientOrb(const char* program) {
        static int argc = 1;
        static std::string name(program);
        static char* argv[] = {name.data(), nullptr};
        new QCoreApplication(argc, argv);
        if (!naming.start()) {
            error = naming.error();
            return;
        }
        std::vector<std::string> args{program};
        const auto endpoint = loopbackEndpointArgs();
        args.insert(args.end(), endpoint.begin(), endpoint.end());
        ok = ClientOrb::initialise(naming.host(), naming.port(), args) && ClientOrb::startThread();
        if (!ok) {
            error = "client ORB set-up failed";
        }
    }
};

namespace shared_client_orb_detail {

inline SharedClientOrb*& instance() {
    static SharedClientOrb* shared = nullptr;
    return shared;
}

class Cleanup : public ::testing::Environment {
  public:
    void TearDown() override {
        // omniNames stops and its folder goes with the object; the
        // application and the ORB stay, the ORB thread still uses them.
        delete instance();
        instance() = nullptr;
    }
};

[[maybe_unused]] inline ::testing::Environment* const kCleanup =
    ::testing::AddGlobalTestEnvironment(new Cleanup);

}  // namespace shared_client_orb_detail

// The program's shared ORB; `program` names the application and the ORB.
inline SharedClientOrb& sharedClientOrb(const char* program) {
    SharedClientOrb*& shared = shared_client_orb_detail::instance();
    if (shared == nullptr) {
        shared = new SharedClientOrb(program);
    }
    return *shared;
}
