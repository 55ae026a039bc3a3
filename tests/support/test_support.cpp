#include "tests/support/test_support.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <random>
#include <set>
#include <sstream>
#include <thread>

extern char** environ;

namespace {

using namespace std::chrono_literals;

// Asks the ORB on `port` whether it serves the object key "NameService" (a
// GIOP 1.0 LocateRequest). omniNames accepts connections before it has made
// its root context; a call in that gap fails OBJECT_NOT_EXIST, so accepting
// alone does not mean ready.
bool namingObjectHere(int port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        return false;
    }
    timeval wait{1, 0};
    ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait);
    ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &wait, sizeof wait);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bool here = false;
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) {
        static constexpr char kKey[] = "NameService";
        constexpr unsigned char keyLength = sizeof kKey - 1;
        // Big-endian header, then request id 1 and the key as an octet sequence.
        std::vector<unsigned char> request{'G', 'I',           'O', 'P', 1, 0, 0, 3, 0, 0,
                                           0,   8 + keyLength, 0,   0,   0, 1, 0, 0, 0, keyLength};
        request.insert(request.end(), kKey, kKey + keyLength);
        unsigned char reply[20] = {};
        std::size_t got = 0;
        if (::send(fd, request.data(), request.size(), MSG_NOSIGNAL) ==
            static_cast<ssize_t>(request.size())) {
            while (got < sizeof reply) {
                const ssize_t n = ::recv(fd, reply + got, sizeof reply - got, 0);
                if (n <= 0) {
                    break;
                }
                got += static_cast<std::size_t>(n);
            }
        }
        // Reply: header with message type 4, request id, then the locate
        // status (1: the object is here), in the byte order flagged.
        if (got == sizeof reply && std::memcmp(reply, "GIOP", 4) == 0 && reply[7] == 4) {
            const bool little = (reply[6] & 1) != 0;
            const unsigned char* status = reply + 16;
            const unsigned long value =
                little ? status[0] | status[1] << 8 | status[2] << 16 | status[3] << 24
                       : status[3] | status[2] << 8 | status[1] << 16 | status[0] << 24;
            here = value == 1;
        }
    }
    ::close(fd);
    return here;
}

template <class Done>
bool pollUntil(std::chrono::milliseconds timeout, Done done) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!done()) {
        if (std::chrono::steady_clock::now() >= deadline) {
            return false;
        }
        std::this_thread::sleep_for(20ms);
    }
    return true;
}

}  // namespace

// --- TempDir -------------------------------------------------------------

int freeLoopbackPort() {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        return 0;
    }
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = 0;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    int port = 0;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) == 0) {
        port = ntohs(address.sin_port);
    }
    ::close(fd);
    return port;
}

int freeLoopbackPortAtMost(int highest) {
    constexpr int kSpan = 10000;
    const int lowest = std::max(1, highest - kSpan + 1);
    const int count = highest - lowest + 1;
    if (count <= 0) {
        return 0;
    }
    std::random_device random;
    const int start = static_cast<int>(random() % static_cast<unsigned>(count));
    for (int i = 0; i < count; ++i) {
        const int port = lowest + (start + i) % count;
        const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (fd < 0) {
            return 0;
        }
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(static_cast<std::uint16_t>(port));
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        // Without SO_REUSEADDR the bind fails while anything holds the port.
        const bool free = ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
        ::close(fd);
        if (free) {
            return port;
        }
    }
    return 0;
}

// --- PortHold ------------------------------------------------------------

namespace {

// True when some socket listens on `port` at an IPv4 address.
bool someoneListensOn(int port) {
    std::ifstream table("/proc/net/tcp");
    std::string line;
    std::getline(table, line);
    while (std::getline(table, line)) {
        std::istringstream fields(line);
        std::string slot, local, remote, state;
        fields >> slot >> local >> remote >> state;
        const std::size_t colon = local.find(':');
        if (state == "0A" && colon != std::string::npos &&
            std::stoi(local.substr(colon + 1), nullptr, 16) == port) {
            return true;
        }
    }
    return false;
}

int bindLoopback(int fd, int port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 ? 0 : errno;
}

}  // namespace

struct PortHold::Claims {
    struct Claim {
        int fd;
        int port;
        bool bound;
    };
    std::vector<Claim> claims;
    // Binds the claims still in the way until all are bound or it is
    // stopped; only it touches `claims` while it runs.
    std::jthread binder;

    ~Claims() {
        if (binder.joinable()) {
            binder.request_stop();
            binder.join();
        }
        for (const Claim& claim : claims) {
            ::close(claim.fd);
        }
    }
};

PortHold::PortHold() = default;
PortHold::~PortHold() = default;
PortHold::PortHold(PortHold&& other) noexcept = default;
PortHold& PortHold::operator=(PortHold&& other) noexcept = default;

PortHold::PortHold(const std::vector<int>& ports) : m_claims(std::make_unique<Claims>()) {
    if (ports.empty()) {
        m_error = "no port to hold";
        return;
    }
    bool waiting = false;
    for (const int port : ports) {
        const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (fd < 0) {
            m_error = std::string("socket: ") + std::strerror(errno);
            return;
        }
        const int on = 1;
        ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
        m_claims->claims.push_back({fd, port, false});
        const int error = bindLoopback(fd, port);
        if (error == EADDRINUSE && !someoneListensOn(port)) {
            waiting = true;
            m_ports.push_back(port);
            continue;
        }
        sockaddr_in address{};
        socklen_t length = sizeof address;
        if (error != 0 || ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
            m_error = "cannot hold port " + std::to_string(port) + ": " +
                      std::strerror(error != 0 ? error : errno);
            return;
        }
        m_claims->claims.back().bound = true;
        m_ports.push_back(ntohs(address.sin_port));
    }
    if (waiting) {
        m_claims->binder = std::jthread([claims = m_claims.get()](std::stop_token stop) {
            while (!stop.stop_requested()) {
                bool allBound = true;
                for (Claims::Claim& claim : claims->claims) {
                    claim.bound = claim.bound || bindLoopback(claim.fd, claim.port) == 0;
                    allBound = allBound && claim.bound;
                }
                if (allBound) {
                    return;
                }
                std::this_thread::sleep_for(5ms);
            }
        });
    }
}

void PortHold::release() {
    m_claims.reset();
    m_ports.clear();
}

std::vector<int> listeningPorts(pid_t pid) {
    const std::filesystem::path proc = "/proc/" + std::to_string(pid);
    std::set<std::string> sockets;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(proc / "fd", error)) {
        const std::string target = std::filesystem::read_symlink(entry.path(), error).string();
        if (target.starts_with("socket:[") && target.ends_with("]")) {
            sockets.insert(target.substr(8, target.size() - 9));
        }
    }
    // /proc/<pid>/net/tcp, one socket a line after a heading:
    //   sl local_address rem_address st ... inode
    //   0: 0100007F:A1B2 00000000:0000 0A ... 123456      (0A: listening)
    std::vector<int> ports;
    std::ifstream table(proc / "net" / "tcp");
    std::string line;
    std::getline(table, line);
    while (std::getline(table, line)) {
        std::istringstream fields(line);
        std::string slot, local, remote, state, queues, timer, retransmits, uid, timeout, inode;
        fields >> slot >> local >> remote >> state >> queues >> timer >> retransmits >> uid >>
            timeout >> inode;
        const std::size_t colon = local.find(':');
        if (state == "0A" && sockets.contains(inode) && colon != std::string::npos) {
            ports.push_back(std::stoi(local.substr(colon + 1), nullptr, 16));
        }
    }
    return ports;
}

std::string readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// --- ChildProcess --------------------------------------------------------

ChildProcess::~ChildProcess() {
    stop();
}

bool ChildProcess::start(const std::string& program, const std::vector<std::string>& args,
                         const std::vector<std::string>& env,
                         const std::filesystem::path& outputDir, const std::string& name) {
    if (m_pid > 0) {
        return false;
    }
    const std::string base =
        name.empty() ? std::filesystem::path(program).filename().string() : name;
    m_stdout = outputDir / (base + ".out");
    m_stderr = outputDir / (base + ".err");

    // Everything the child needs is prepared before fork: after it only
    // async-signal-safe calls are allowed.
    std::vector<std::string> argStrings{program};
    argStrings.insert(argStrings.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& arg : argStrings) {
        argv.push_back(arg.data());
    }
    argv.push_back(nullptr);
    // A given entry replaces an inherited one of the same name: the C
    // library's getenv takes the first it finds.
    const auto nameOf = [](const std::string& entry) { return entry.substr(0, entry.find('=')); };
    std::vector<std::string> envStrings;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        const std::string inherited(*entry);
        const bool replaced = std::any_of(env.begin(), env.end(), [&](const std::string& given) {
            return nameOf(given) == nameOf(inherited);
        });
        if (!replaced) {
            envStrings.push_back(inherited);
        }
    }
    envStrings.insert(envStrings.end(), env.begin(), env.end());
    std::vector<char*> envp;
    for (auto& entry : envStrings) {
        envp.push_back(entry.data());
    }
    envp.push_back(nullptr);

    const int out = ::open(m_stdout.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    const int err = ::open(m_stderr.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    const int in = ::open(m_input.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (out < 0 || err < 0 || in < 0) {
        for (const int fd : {out, err, in}) {
            if (fd >= 0) {
                ::close(fd);
            }
        }
        return false;
    }

    const pid_t parent = ::getpid();
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (::getppid() != parent) {
            ::_exit(127);
        }
        sigset_t none;
        sigemptyset(&none);
        ::sigprocmask(SIG_SETMASK, &none, nullptr);
        ::dup2(in, STDIN_FILENO);
        ::dup2(out, STDOUT_FILENO);
        ::dup2(err, STDERR_FILENO);
        ::execve(argv[0], argv.data(), envp.data());
        ::_exit(127);
    }
    ::close(out);
    ::close(err);
    ::close(in);
    if (pid < 0) {
        return false;
    }
    m_pid = pid;
    m_paused = false;
    return true;
}

bool ChildProcess::running() {
    if (m_pid <= 0) {
        return false;
    }
    int status = 0;
    if (::waitpid(m_pid, &status, WNOHANG) == m_pid) {
        m_pid = -1;
        return false;
    }
    return true;
}

std::optional<int> ChildProcess::waitExit(std::chrono::milliseconds timeout) {
    if (m_pid <= 0) {
        return std::nullopt;
    }
    std::optional<int> result;
    pollUntil(timeout, [&] {
        int status = 0;
        const pid_t done = ::waitpid(m_pid, &status, WNOHANG);
        if (done == m_pid || (done < 0 && errno == ECHILD)) {
            result = status;
            return true;
        }
        return false;
    });
    if (result) {
        m_pid = -1;
    }
    return result;
}

void ChildProcess::stop(std::chrono::milliseconds grace) {
    if (m_pid <= 0) {
        return;
    }
    ::kill(m_pid, SIGTERM);
    if (m_paused) {
        resume();
    }
    if (!waitExit(grace)) {
        kill();
    }
}

void ChildProcess::kill() {
    if (m_pid <= 0) {
        return;
    }
    ::kill(m_pid, SIGKILL);
    int status = 0;
    ::waitpid(m_pid, &status, 0);
    m_pid = -1;
    m_paused = false;
}

PortHold ChildProcess::killHoldingPorts() {
    const std::vector<int> ports = m_pid > 0 ? listeningPorts(m_pid) : std::vector<int>{};
    kill();
    return PortHold(ports);
}

bool ChildProcess::signal(int number) {
    return m_pid > 0 && ::kill(m_pid, number) == 0;
}

void ChildProcess::pause() {
    if (m_pid > 0 && ::kill(m_pid, SIGSTOP) == 0) {
        m_paused = true;
    }
}

void ChildProcess::resume() {
    if (m_pid > 0 && ::kill(m_pid, SIGCONT) == 0) {
        m_paused = false;
    }
}

// --- NamingService -------------------------------------------------------

NamingService::~NamingService() {
    m_process.stop();
}

bool NamingService::start() {
    // A port found free can be taken by someone else before omniNames binds
    // it; one more try on a fresh port covers that race.
    for (int attempt = 0; attempt < 2; ++attempt) {
        m_port = freeLoopbackPort();
        if (m_port == 0) {
            m_error = "no free loopback port";
            return false;
        }
        if (launch()) {
            return true;
        }
    }
    return false;
}

bool NamingService::restart() {
    stop();
    return launch();
}

bool NamingService::stop() {
    m_process.stop();
    if (m_port == 0) {
        return true;
    }
    m_hold = PortHold({m_port});
    if (!m_hold.holding()) {
        m_error = m_hold.error();
        return false;
    }
    return true;
}

bool NamingService::launch() {
    m_hold.release();
    const std::string port = std::to_string(m_port);
    const std::filesystem::path errorLog = m_dir.path() / "err";
    std::vector<std::string> args{"-start",
                                  port,
                                  "-always",
                                  "-datadir",
                                  m_dir.path().string(),
                                  "-errlog",
                                  errorLog.string(),
                                  "-ORBendPoint",
                                  "giop:tcp:127.0.0.1:" + port};
    for (const std::string& host : m_extraHosts) {
        args.insert(args.end(), {"-ORBendPoint", "giop:tcp:" + host + ":" + port});
    }
    if (!m_process.start("/usr/bin/omniNames", args, {}, m_dir.path())) {
        m_error = "cannot start /usr/bin/omniNames";
        return false;
    }
    // Ready once omniNames itself listens on the port (not another program
    // that took it first) and serves its root context there.
    const auto ready = [&] {
        const std::vector<int> ports = listeningPorts(m_process.pid());
        return std::find(ports.begin(), ports.end(), m_port) != ports.end() &&
               namingObjectHere(m_port);
    };
    if (pollUntil(10000ms, [&] { return !m_process.running() || ready(); }) &&
        m_process.running()) {
        m_error.clear();
        return true;
    }
    m_error = "omniNames did not answer on port " + port + "; error log:\n" + readFile(errorLog) +
              readFile(m_process.stderrPath());
    m_process.stop();
    return false;
}

std::string NamingService::corbaloc() const {
    return "corbaloc::" + host() + ":" + std::to_string(m_port) + "/NameService";
}

std::vector<std::string> NamingService::initRefArgs() const {
    return {"-ORBInitRef", "NameService=" + corbaloc()};
}

std::vector<std::string> loopbackEndpointArgs() {
    return {"-ORBendPoint", "giop:tcp:127.0.0.1:"};
}

// --- PeerProcess ---------------------------------------------------------

bool PeerProcess::start(PeerRole role, const NamingService& naming,
                        const std::filesystem::path& dir, const PeerOptions& options) {
    static std::atomic<int> serial{0};
    const std::string name = "peer-" + std::to_string(++serial);
    m_recordPath = dir / (name + ".records");
    m_commandPath = dir / (name + ".commands");
    m_commandsSent = 0;

    std::vector<std::string> args{"--role",     role == PeerRole::Server ? "server" : "client",
                                  "--record",   m_recordPath.string(),
                                  "--commands", m_commandPath.string()};
    if (!options.bindName.empty()) {
        args.insert(args.end(), {"--bind", options.bindName});
    }
    if (!options.delayOperation.empty()) {
        args.insert(args.end(),
                    {"--delay", options.delayOperation + "=" + std::to_string(options.delayMs)});
    }
    if (options.namingFromHostAndPort) {
        args.insert(args.end(), {"--naming-host", naming.host(), "--naming-port",
                                 std::to_string(naming.port())});
    } else {
        const auto initRef = naming.initRefArgs();
        args.insert(args.end(), initRef.begin(), initRef.end());
    }
    const auto endpoint = loopbackEndpointArgs();
    args.insert(args.end(), endpoint.begin(), endpoint.end());
    args.insert(args.end(), options.extraArgs.begin(), options.extraArgs.end());

    if (!m_process.start(RC_TEST_PEER, args, {}, dir, name)) {
        m_error = "cannot start " RC_TEST_PEER;
        return false;
    }
    const bool ready = pollUntil(10000ms, [&] {
        return readFile(m_process.stdoutPath()).find(peer_protocol::kReadyLine) !=
                   std::string::npos ||
               !m_process.running();
    });
    if (ready && m_process.running()) {
        return true;
    }
    m_error = "test peer not ready: " + readFile(m_process.stderrPath());
    m_process.stop();
    return false;
}

std::string PeerProcess::command(const std::string& line) {
    {
        std::ofstream out(m_commandPath, std::ios::app | std::ios::binary);
        out << line << '\n';
    }
    ++m_commandsSent;
    std::string answer = "timeout";
    pollUntil(10000ms, [&] {
        std::istringstream acks(readFile(m_commandPath.string() + ".done"));
        std::string ack;
        std::size_t count = 0;
        while (std::getline(acks, ack)) {
            if (++count == m_commandsSent) {
                answer = ack;
                return true;
            }
        }
        return !m_process.running();
    });
    return answer;
}

std::vector<peer_protocol::Record> PeerProcess::records() const {
    std::vector<peer_protocol::Record> result;
    std::istringstream lines(readFile(m_recordPath));
    std::string line;
    while (std::getline(lines, line)) {
        result.push_back(peer_protocol::parseRecord(line));
    }
    return result;
}

std::vector<peer_protocol::Record> PeerProcess::waitForRecords(
    std::size_t count, std::chrono::milliseconds timeout) const {
    std::vector<peer_protocol::Record> result;
    pollUntil(timeout, [&] {
        result = records();
        return result.size() >= count;
    });
    return result;
}

// --- TestOrb -------------------------------------------------------------

TestOrb::TestOrb(OrbRole role, const NamingService& naming, std::vector<std::string> extraArgs) {
    std::vector<std::string> args{"test"};
    const auto endpoint = loopbackEndpointArgs();
    args.insert(args.end(), endpoint.begin(), endpoint.end());
    // A failed DII request raises instead of parking the exception in env().
    args.insert(args.end(), {"-ORBdiiThrowsSysExceptions", "1"});
    args.insert(args.end(), extraArgs.begin(), extraArgs.end());
    m_orb = initOrb(role, naming.host(), naming.port(), args);
}

TestOrb::~TestOrb() {
    try {
        m_orb->destroy();
    } catch (const CORBA::Exception&) {
    }
}
