#pragma once

// Test support for integration tests: real omniNames, child processes and a
// test peer, each on its own free loopback port and temporary folder, all
// stopped and removed when the objects go. Link the target
// `rc_test_support` and include this header:
//
//   NamingService naming;                       // omniNames on a free port
//   ASSERT_TRUE(naming.start()) << naming.error();
//
//   TempDir dir;                                // removed with its contents
//   PeerProcess peer;                           // a recording RadioComm
//   ASSERT_TRUE(peer.start(PeerRole::Server, naming, dir.path())) << peer.error();
//   // ... or PeerRole::Client for a recording RadioCmdNotification;
//   //     options: PeerOptions{.delayOperation = "GetInitialRadioInfo", .delayMs = 300}
//
//   TestOrb orb(OrbRole::Client, naming);       // this process's ORB
//   RadioComm_var server = resolveRadioComm(orb.orb());
//   EXPECT_EQ(server->OperatingMode(1, 3), 23); // results are operation numbers
//   auto records = peer.waitForRecords(1);      // one record per upcall
//   EXPECT_EQ(records[0].args, (std::vector<std::string>{"1", "3"}));
//
//   PortHold held = peer.process().killHoldingPorts();  // calls to it now
//   ASSERT_TRUE(held.holding()) << held.error();        // fail TRANSIENT
//   ASSERT_TRUE(naming.stop()) << naming.error();       // the same for omniNames
//
//   ChildProcess child;                         // any program, output to files
//   child.start("/bin/sleep", {"30"}, {}, dir.path());
//   child.pause(); child.resume(); child.stop();
//
// Every child gets SIGKILL if the test process dies (it must be started from
// the test's main thread for that). Records and codings: peer_protocol.h.

#include <sys/types.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "idl/orb_options.h"
#include "tests/support/peer_protocol.h"
#include "tests/support/temp_dir.h"

// A TCP port that was free on 127.0.0.1 a moment ago (bound to port 0 and
// released), or 0 when none could be had.
int freeLoopbackPort();

// A TCP port from 1 to `highest` that was free on 127.0.0.1 a moment ago, or 0
// when none could be had: for a program that takes no higher port (the
// configuration sheets take 1 to 32000). Tries the ports of the 10,000 up to
// `highest` from a random start, one after another; below 32768 they lie
// outside the range the system hands out by itself.
int freeLoopbackPortAtMost(int highest);

// Loopback ports held bound (SO_REUSEADDR) but never listening, so that a
// connection to any of them is refused at once. A test that stopped a service
// or killed a peer and expects its address to be dead holds the port: else
// the system may hand the freed port to another test's ORB, which answers in
// its place. Released when the object goes.
//
// The old owner's closing connections may keep a port bound for up to a
// minute after it died (FIN-WAIT-2 without SO_REUSEADDR). They keep everyone
// else out as well; a thread binds the port the moment they are gone.
class PortHold {
  public:
    PortHold();
    // Binds each of `ports` on 127.0.0.1 (0: one the system picks).
    explicit PortHold(const std::vector<int>& ports);
    // Holds a port the system picks: an address where nothing answers, for a
    // test that needs one (port()).
    static PortHold anyPort() { return PortHold({0}); }
    ~PortHold();
    PortHold(PortHold&& other) noexcept;
    PortHold& operator=(PortHold&& other) noexcept;

    // Every port asked for is held (or still bound by its old owner's closing
    // connections, see above), and there was at least one. False when one
    // is in use by a listener, say.
    bool holding() const { return m_error.empty() && !m_ports.empty(); }
    const std::string& error() const { return m_error; }
    // The first port held; 0 when none is.
    int port() const { return m_ports.empty() ? 0 : m_ports.front(); }
    void release();

  private:
    struct Claims;
    std::unique_ptr<Claims> m_claims;
    std::vector<int> m_ports;
    std::string m_error;
};

// The TCP ports process `pid` listens on at an IPv4 address (its socket
// descriptors matched against /proc/net/tcp). Empty when it listens on none
// or cannot be read.
std::vector<int> listeningPorts(pid_t pid);

// Reads a whole file; empty when it cannot be read.
std::string readFile(const std::filesystem::path& path);

// One child process: fork/exec with its output in files of `outputDir`.
class ChildProcess {
  public:
    ChildProcess() = default;
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // `env` entries ("NAME=value") are added to this process's environment,
    // replacing inherited entries of the same name.
    // Output goes to <outputDir>/<name>.out and .err, name the program's file
    // name unless given.
    bool start(const std::string& program, const std::vector<std::string>& args,
               const std::vector<std::string>& env, const std::filesystem::path& outputDir,
               const std::string& name = {});

    // The next start() reads standard input from `path` (a pseudo-terminal's
    // device, say) instead of /dev/null.
    void setInput(const std::filesystem::path& path) { m_input = path; }

    pid_t pid() const { return m_pid; }
    bool running();
    // Waits for the process to end by itself: its wait status, or nullopt on
    // time-out.
    std::optional<int> waitExit(std::chrono::milliseconds timeout);
    // SIGTERM, a bounded wait, then SIGKILL. Safe when not running.
    void stop(std::chrono::milliseconds grace = std::chrono::milliseconds(3000));
    void kill();  // SIGKILL and reap
    // kill(), then at once holds the ports the process listened on, so that
    // calls to it keep failing for as long as the hold lives.
    [[nodiscard]] PortHold killHoldingPorts();
    // Sends `number` to the process; false, and nothing sent, once it has
    // ended and been reaped (never a signal to pid -1, that is, everyone).
    bool signal(int number);
    void pause();   // SIGSTOP
    void resume();  // SIGCONT

    std::filesystem::path stdoutPath() const { return m_stdout; }
    std::filesystem::path stderrPath() const { return m_stderr; }

  private:
    pid_t m_pid = -1;
    bool m_paused = false;
    std::filesystem::path m_input = "/dev/null";
    std::filesystem::path m_stdout;
    std::filesystem::path m_stderr;
};

// omniNames on a free loopback port with its own data folder.
class NamingService {
  public:
    NamingService() = default;
    ~NamingService();
    NamingService(const NamingService&) = delete;
    NamingService& operator=(const NamingService&) = delete;

    // Starts omniNames and waits (10 s) until it serves its root context. On
    // failure error() tells why, with omniNames' error log.
    bool start();
    // One more address omniNames listens on, on the same port, such as
    // "[::1]"; given before start().
    void addListenHost(const std::string& host) { m_extraHosts.push_back(host); }
    // Stops and starts again on the same port and data folder.
    bool restart();
    // Stops omniNames and holds its port (PortHold) until it starts again or
    // the object goes, so that calls to it fail TRANSIENT. False, with
    // error(), when the port could not be held.
    bool stop();

    const std::string& error() const { return m_error; }
    std::string host() const { return "127.0.0.1"; }
    int port() const { return m_port; }
    std::string corbaloc() const;
    // {"-ORBInitRef", "NameService=corbaloc::127.0.0.1:<port>/NameService"}
    std::vector<std::string> initRefArgs() const;
    const std::filesystem::path& dataDir() const { return m_dir.path(); }
    pid_t pid() const { return m_process.pid(); }

  private:
    bool launch();

    TempDir m_dir;
    ChildProcess m_process;
    int m_port = 0;
    std::vector<std::string> m_extraHosts;
    PortHold m_hold;
    std::string m_error;
};

enum class PeerRole {
    Server,  // serves a recording RadioComm, bound as "RadioComm"
    Client,  // serves a recording RadioCmdNotification, bound as "RadioCmdNotification"
};

struct PeerOptions {
    std::string bindName;        // default: the role's usual name
    std::string delayOperation;  // this upcall sleeps delayMs before it returns
    int delayMs = 0;
    // Locate the naming service from host and port alone (the way the
    // programs' settings do) instead of an -ORBInitRef argument.
    bool namingFromHostAndPort = false;
    std::vector<std::string> extraArgs;
};

// The test peer as a child process.
class PeerProcess {
  public:
    PeerProcess() = default;
    ~PeerProcess() { stop(); }
    PeerProcess(const PeerProcess&) = delete;
    PeerProcess& operator=(const PeerProcess&) = delete;

    // Starts the peer and waits (10 s) until its object is bound.
    bool start(PeerRole role, const NamingService& naming, const std::filesystem::path& dir,
               const PeerOptions& options = {});
    void stop() { m_process.stop(); }
    ChildProcess& process() { return m_process; }
    const std::string& error() const { return m_error; }

    // Appends one command line for the peer (peer_protocol.h) and waits
    // (10 s) until the peer has run it: its answer, "ok" or "failed <why>",
    // or "timeout".
    std::string command(const std::string& line);

    std::vector<peer_protocol::Record> records() const;
    // Polls until at least `count` records are there, or the time-out.
    std::vector<peer_protocol::Record> waitForRecords(
        std::size_t count,
        std::chrono::milliseconds timeout = std::chrono::milliseconds(10000)) const;

  private:
    ChildProcess m_process;
    std::filesystem::path m_recordPath;
    std::filesystem::path m_commandPath;
    std::size_t m_commandsSent = 0;
    std::string m_error;
};

// This process's own ORB for a test, set up like a program's (initOrb with
// the role's options) and pinned to loopback, with DII raising system
// exceptions. Destroyed with the object.
class TestOrb {
  public:
    TestOrb(OrbRole role, const NamingService& naming, std::vector<std::string> extraArgs = {});
    ~TestOrb();
    TestOrb(const TestOrb&) = delete;
    TestOrb& operator=(const TestOrb&) = delete;

    CORBA::ORB_ptr orb() const { return m_orb.in(); }

  private:
    CORBA::ORB_var m_orb;
};

// The arguments the programs would get to pin themselves to loopback.
std::vector<std::string> loopbackEndpointArgs();
