// The ORB's limits as a peer meets them: requests with bytes left after their
// last argument sent straight to Brakton's ORB port must not grow its memory,
// and a program whose ORB cannot start or cannot serve says so and exits 1
// instead of staying behind unreachable.

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "tests/integration/brakton_fixture.h"
#include "tests/support/row_names.h"
#include "tests/support/test_support.h"

namespace {

using namespace std::chrono_literals;
using e2e::BraktonRig;
using e2e::Settings;

// --- An IOR's first IIOP profile -----------------------------------------

struct IiopProfile {
    std::string host;
    int port = 0;
    std::string objectKey;
};

// Reads CDR from an encapsulation, aligned from its own start.
class CdrReader {
  public:
    explicit CdrReader(std::string bytes) : m_bytes(std::move(bytes)) {
        m_little = !m_bytes.empty() && m_bytes[0] != 0;
        m_at = 1;
    }
    bool ok() const { return m_ok; }
    std::uint32_t ulong() { return number(4); }
    std::uint16_t ushort() { return static_cast<std::uint16_t>(number(2)); }
    std::string octets(std::size_t count) {
        if (m_at + count > m_bytes.size()) {
            m_ok = false;
            return {};
        }
        std::string out = m_bytes.substr(m_at, count);
        m_at += count;
        return out;
    }
    // A CDR string without its NUL.
    std::string string() {
        const std::string text = octets(ulong());
        return text.empty() ? text : text.substr(0, text.size() - 1);
    }
    void skip(std::size_t count) { octets(count); }

  private:
    std::uint32_t number(std::size_t size) {
        m_at = (m_at + size - 1) / size * size;
        const std::string raw = octets(size);
        std::uint32_t value = 0;
        for (std::size_t i = 0; i < raw.size(); ++i) {
            const auto byte = static_cast<std::uint32_t>(static_cast<unsigned char>(raw[i]));
            value |= m_little ? byte << (8 * i) : byte << (8 * (size - 1 - i));
        }
        return value;
    }

    std::string m_bytes;
    std::size_t m_at = 0;
    bool m_little = false;
    bool m_ok = true;
};

std::optional<IiopProfile> iiopProfileOf(const std::string& ior) {
    if (ior.rfind("IOR:", 0) != 0) {
        return std::nullopt;
    }
    std::string bytes;
    for (std::size_t i = 4; i + 1 < ior.size(); i += 2) {
        bytes += static_cast<char>(std::stoi(ior.substr(i, 2), nullptr, 16));
    }
    CdrReader reader(bytes);
    reader.string();  // type id
    const std::uint32_t profiles = reader.ulong();
    for (std::uint32_t i = 0; i < profiles && reader.ok(); ++i) {
        const std::uint32_t tag = reader.ulong();
        const std::string data = reader.octets(reader.ulong());
        if (tag != 0) {
            continue;
        }
        CdrReader profile(data);
        profile.skip(2);  // IIOP version
        IiopProfile out;
        out.host = profile.string();
        out.port = profile.ushort();
        out.objectKey = profile.octets(profile.ulong());
        if (profile.ok()) {
            return out;
        }
    }
    return std::nullopt;
}

// --- A GIOP 1.2 request with trailing bytes --------------------------------

class GiopWriter {
  public:
    void octet(std::uint8_t value) { m_bytes += static_cast<char>(value); }
    void align(std::size_t size) {
        while (m_bytes.size() % size != 0) {
            octet(0);
        }
    }
    void ulong(std::uint32_t value) {
        align(4);
        for (int i = 0; i < 4; ++i) {
            octet(static_cast<std::uint8_t>(value >> (8 * i)));
        }
    }
    void ushort(std::uint16_t value) {
        align(2);
        octet(static_cast<std::uint8_t>(value));
        octet(static_cast<std::uint8_t>(value >> 8));
    }
    void raw(const std::string& bytes) { m_bytes += bytes; }
    std::string& bytes() { return m_bytes; }

  private:
    std::string m_bytes;
};

// A little-endian GIOP 1.2 request for `_non_existent` on `objectKey`: a
// well-formed two-way call with no arguments, then eight bytes its body has
// no use for.
std::string trailingBytesRequest(const std::string& objectKey, std::uint32_t requestId) {
    GiopWriter message;
    message.raw("GIOP");
    message.octet(1);
    message.octet(2);
    message.octet(1);  // little-endian
    message.octet(0);  // Request
    message.ulong(0);  // body size, filled in below
    message.ulong(requestId);
    message.octet(3);  // a reply is expected
    message.raw(std::string(3, '\0'));
    message.ushort(0);  // target by object key
    message.ulong(static_cast<std::uint32_t>(objectKey.size()));
    message.raw(objectKey);
    const std::string operation = "_non_existent";
    message.ulong(static_cast<std::uint32_t>(operation.size() + 1));
    message.raw(operation);
    message.octet(0);
    message.ulong(0);  // no service contexts
    message.align(8);  // where the arguments would begin
    message.raw("trailing");
    std::string& bytes = message.bytes();
    const auto size = static_cast<std::uint32_t>(bytes.size() - 12);
    for (int i = 0; i < 4; ++i) {
        bytes[static_cast<std::size_t>(8 + i)] = static_cast<char>(size >> (8 * i));
    }
    return bytes;
}

// Sends one request on a connection of its own and waits (1 s) for the reply
// or the server's close. False when the connection failed.
bool sendOne(const IiopProfile& profile, const std::string& request) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        return false;
    }
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(profile.port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    timeval wait{1, 0};
    ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait);
    bool ok = ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
              ::send(fd, request.data(), request.size(), MSG_NOSIGNAL) ==
                  static_cast<ssize_t>(request.size());
    if (ok) {
        // A GIOP header is 12 bytes: the reply's, or nothing before the close.
        char reply[12];
        (void)::recv(fd, reply, sizeof reply, MSG_WAITALL);
    }
    ::close(fd);
    return ok;
}

long residentKb(pid_t pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0) {
            return std::stol(line.substr(6));
        }
    }
    return -1;
}

TEST(TrailingBytesRequests, LeaveBraktonsMemoryWithinBoundsAndItStillAnswers) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP()
        << "the address sanitizer keeps freed memory in quarantine: resident size says nothing";
#endif
    BraktonRig rig;
    Settings settings;
    settings.commPort = 0;
    ASSERT_TRUE(rig.startAll(settings)) << rig.error();
    CORBA::String_var ior = rig.orb()->object_to_string(rig.server());
    const auto profile = iiopProfileOf(ior.in());
    ASSERT_TRUE(profile.has_value()) << ior.in();

    // Warm-up: the ORB's and the allocator's pools settle first.
    std::uint32_t id = 1;
    for (int i = 0; i < 200; ++i) {
        ASSERT_TRUE(sendOne(*profile, trailingBytesRequest(profile->objectKey, id++)));
    }
    const pid_t brakton = rig.brakton().pid();
    const long before = residentKb(brakton);
    ASSERT_GT(before, 0);
    for (int i = 0; i < 2000; ++i) {
        ASSERT_TRUE(sendOne(*profile, trailingBytesRequest(profile->objectKey, id++)))
            << "request " << i;
    }
    const long after = residentKb(brakton);
    EXPECT_LT(after - before, 2048)
        << "resident " << before << " kB before, " << after << " kB after 2,000 requests";

    EXPECT_FALSE(rig.server()->_non_existent());
    EXPECT_EQ(rig.server()->Connect("Nemo"), 0) << rig.braktonStderr();
}

// --- An ORB that cannot start or cannot serve --------------------------------

struct RefusalCase {
    const char* name;
    const char* program;
    std::vector<std::string> args;
    // The start of its box's text; "<naming>" stands for the naming service's address.
    std::string message;
    bool boxOnStderr;  // the error stream tells the box's text too
};
ROW_NAME(RefusalCase, row.name);

class OrbRefusal : public ::testing::TestWithParam<RefusalCase> {};

TEST_P(OrbRefusal, SaysWhyAndExitsOne) {
    const RefusalCase& row = GetParam();
    NamingService naming;
    ASSERT_TRUE(naming.start()) << naming.error();
    TempDir dir;
    std::vector<std::string> args = naming.initRefArgs();
    args.insert(args.end(), row.args.begin(), row.args.end());
    const std::vector<std::string> env{
        "HOME=" + dir.path().string(),
        "XDG_CONFIG_HOME=" + (dir.path() / "config").string(),
        "XDG_RUNTIME_DIR=" + dir.path().string(),
        "RIGCONTROL_SERIAL_DIR=" + (dir.path() / "serial").string(),
        "ORVO_MESSAGE_LOG=" + (dir.path() / "messages.log").string(),
        "QT_QPA_PLATFORM=offscreen",
    };
    ChildProcess program;
    ASSERT_TRUE(program.start(row.program, args, env, dir.path(), "program"));
    const auto status = program.waitExit(20s);
    ASSERT_TRUE(status.has_value()) << "still running, serving nothing\n"
                                    << readFile(program.stderrPath());
    EXPECT_TRUE(WIFEXITED(*status) && WEXITSTATUS(*status) == 1) << *status << "\n"
                                                                 << readFile(program.stderrPath());
    EXPECT_NE(readFile(program.stderrPath()).find("CORBA exception raised! INITIALIZE"),
              std::string::npos)
        << readFile(program.stderrPath());
    std::string box = row.message;
    const std::string token = "<naming>";
    if (const std::size_t at = box.find(token); at != std::string::npos) {
        box.replace(at, token.size(), naming.host() + ":" + std::to_string(naming.port()));
    }
    const std::string messages = readFile(dir.path() / "messages.log");
    EXPECT_NE(messages.find("error\t" + box), std::string::npos) << messages;
    if (row.boxOnStderr) {
        EXPECT_NE(readFile(program.stderrPath()).find(box), std::string::npos)
            << readFile(program.stderrPath());
    }
}

INSTANTIATE_TEST_SUITE_P(
    Programs, OrbRefusal,
    ::testing::Values(
        RefusalCase{"BraktonWithAnOptionTheOrbRefuses",
                    BRAKTON_PROGRAM,
                    {"-ORBnoSuchOption", "1"},
                    "Unable to start the ORB: INITIALIZE (naming service <naming>). Brakton serves "
                    "no client and exits.",
                    true},
        RefusalCase{"BraktonWithAnEndpointTheOrbCannotMake",
                    BRAKTON_PROGRAM,
                    {"-ORBendPoint", "bogus:x"},
                    "Unable to serve RadioComm: INITIALIZE (naming service <naming>). Brakton "
                    "serves no client and exits.",
                    true},
        RefusalCase{"PelorinWithAnOptionTheOrbRefuses",
                    PELORIN_PROGRAM,
                    {"-ORBnoSuchOption", "1"},
                    "Unable to start the ORB: INITIALIZE. Brakton could never call Pelorin back; "
                    "Pelorin exits.",
                    false},
        RefusalCase{"PelorinWithAnEndpointTheOrbCannotMake",
                    PELORIN_PROGRAM,
                    {"-ORBendPoint", "bogus:x"},
                    "Unable to start the ORB: INITIALIZE.",
                    false}),
    CaseName());

}  // namespace
