#pragma once

// The server side of a whole chain for client tests: omniNames on a free
// loopback port, the K2 simulator on a pty linked in a temporary serial
// folder, Brakton as a child process with its settings in a temporary folder,
// and no ORB in this process (the client under test brings its own).
//
//   BraktonChain chain;
//   ASSERT_TRUE(chain.start()) << chain.error();   // "RadioComm" is bound
//   ... client against chain.naming() ...
//   chain.radio().waitForCommand("DS", 10s);
//
// Brakton's band table has 10 m cut to 28.0 MHz-k10mHighEdge and the 10 m
// VFO A at k10mVfoA, so a client's copy shows where it came from. The server's
// settings store is not linked in (client and server each have a global
// store), nor are its declarations seen by the client's headers.

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>

#include "sim/k2_simulator.h"
#include "tests/support/test_support.h"

namespace e2e {
class BraktonRig;
}

class BraktonChain {
  public:
    static constexpr std::uint32_t k10mHighEdge = 28500000;
    static constexpr std::uint32_t k10mVfoA = 28123000;

    // `timeScale` divides the simulator's line pacing and CW keying times
    // (K2Simulator::setTimeScale changes the keying later).
    explicit BraktonChain(double timeScale = 1.0);
    ~BraktonChain();
    BraktonChain(const BraktonChain&) = delete;
    BraktonChain& operator=(const BraktonChain&) = delete;

    // Naming, radio, settings, Brakton; true once Brakton has opened the radio
    // (on com1; a port above 1 names a device that is not there, port 0 none)
    // and bound "RadioComm".
    // This process's settings path is left alone.
    bool start(int commPort = 1);
    const std::string& error() const { return m_error; }

    // Stops Brakton and starts it again with the same settings; true once it
    // has bound "RadioComm" anew and set the radio up.
    bool restartBrakton();
    NamingService& namingService();

    const std::filesystem::path& dir() const;
    const NamingService& naming() const;
    sim::K2Simulator& radio();
    ChildProcess& brakton();
    std::string braktonStderr() const;

  private:
    std::unique_ptr<e2e::BraktonRig> m_rig;
    double m_timeScale;
    std::string m_error;
};
