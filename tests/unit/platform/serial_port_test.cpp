// SerialPort against a real pseudo-terminal. The test plays the radio's end:
// it holds the master, keeps its own slave descriptor open as the simulator
// does, and links `comN` in a temporary serial folder to the slave.

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

#include "platform/serial_line.h"
#include "platform/serial_port.h"
#include "tests/support/row_names.h"
#include "tests/support/temp_dir.h"

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using platform::SerialPort;
using platform::SerialResult;
using platform::SerialSettings;
using platform::SerialStatus;
using Clock = std::chrono::steady_clock;

namespace {

constexpr unsigned kPort = 3;

class PtyTest : public ::testing::Test {
  protected:
    void SetUp() override {
        char name[256] = {};
        ASSERT_EQ(::openpty(&m_master, &m_slave, name, nullptr, nullptr), 0);
        m_slaveName = name;
        ::fcntl(m_master, F_SETFD, FD_CLOEXEC);
        ::fcntl(m_slave, F_SETFD, FD_CLOEXEC);
        ::fcntl(m_master, F_SETFL, ::fcntl(m_master, F_GETFL) | O_NONBLOCK);
        // Raw at 4800 8N1 at once, as the simulator does; else whatever the
        // port writes would echo back to it.
        termios tio{};
        ASSERT_EQ(::tcgetattr(m_slave, &tio), 0);
        ::cfmakeraw(&tio);
        ::cfsetspeed(&tio, B4800);
        ASSERT_EQ(::tcsetattr(m_slave, TCSANOW, &tio), 0);
        fs::create_symlink(m_slaveName, m_dir.path() / ("com" + std::to_string(kPort)));
    }

    void TearDown() override {
        closeMaster();
        if (m_slave >= 0) {
            ::close(m_slave);
        }
    }

    void closeMaster() {
        if (m_master >= 0) {
            ::close(m_master);
            m_master = -1;
        }
    }

    // The line as the port left it: on Linux the master reports the slave's
    // settings.
    termios lineSettings() const {
        termios tio{};
        EXPECT_EQ(::tcgetattr(m_master, &tio), 0);
        return tio;
    }

    void writeMaster(const std::string& bytes) const {
        ASSERT_EQ(::write(m_master, bytes.data(), bytes.size()),
                  static_cast<ssize_t>(bytes.size()));
    }

    // Reads the master until `want` bytes came, nothing more arrives for a
    // while, or the time is up.
    std::string readMaster(std::size_t want, std::chrono::milliseconds limit = 2000ms) const {
        std::string got;
        const auto deadline = Clock::now() + limit;
        while (got.size() < want && Clock::now() < deadline) {
            pollfd pfd{m_master, POLLIN, 0};
            if (::poll(&pfd, 1, 100) <= 0) {
                continue;
            }
            char buffer[4096];
            const ssize_t n = ::read(m_master, buffer, sizeof buffer);
            if (n <= 0) {
                break;
            }
            got.append(buffer, static_cast<std::size_t>(n));
        }
        return got;
    }

    // Waits until the port sees `want` bytes waiting.
    std::size_t waitForInput(SerialPort& port, std::size_t want) const {
        const auto deadline = Clock::now() + 2s;
        std::size_t waiting = 0;
        while (Clock::now() < deadline) {
            const auto result = port.bytesWaiting();
            EXPECT_TRUE(result.ok()) << platform::toString(result.status);
            waiting = result.count;
            if (waiting >= want) {
                break;
            }
            std::this_thread::sleep_for(5ms);
        }
        return waiting;
    }

    // The descriptors this process holds on the slave, other than the test's
    // own.
    std::vector<int> portDescriptors() const {
        std::vector<int> fds;
        for (const auto& entry : fs::directory_iterator("/proc/self/fd")) {
            std::error_code ec;
            const auto target = fs::read_symlink(entry.path(), ec);
            const int fd = std::stoi(entry.path().filename().string());
            if (!ec && target == m_slaveName && fd != m_slave) {
                fds.push_back(fd);
            }
        }
        return fds;
    }

    SerialResult openPort(SerialPort& port, const SerialSettings& settings = {}) {
        return port.open(kPort, settings);
    }

    TempDir m_dir;
    int m_master = -1;
    int m_slave = -1;
    fs::path m_slaveName;
};

// ---------------------------------------------------------------------------
// Line settings

struct LineCase {
    const char* name;
    SerialSettings settings;
    bool opens;
    speed_t speed;
    tcflag_t size;
    tcflag_t parity;  // PARENB, PARODD and CMSPAR as expected
    bool twoStopBits;
    // A format that some kernels' pseudo-terminals do not keep: where the
    // running kernel drops it, the open must fail instead.
    bool ptyMayDrop = false;
};
ROW_NAME(LineCase, row.name);

// Whether this kernel's pseudo-terminals keep the character size and parity
// of `settings` (recent kernels force 8 bits without parity, older ones keep
// what they are given).
bool ptyKeepsFormat(const SerialSettings& settings) {
    int master = -1;
    int slave = -1;
    if (::openpty(&master, &slave, nullptr, nullptr, nullptr) != 0) {
        return false;
    }
    termios asked{};
    bool kept = ::tcgetattr(slave, &asked) == 0 && platform::makeRawLine(asked, settings) &&
                ::tcsetattr(slave, TCSANOW, &asked) == 0;
    termios got{};
    kept = kept && ::tcgetattr(slave, &got) == 0 && platform::lineMatches(asked, got);
    ::close(slave);
    ::close(master);
    return kept;
}

class LineSettingsTest : public PtyTest, public ::testing::WithParamInterface<LineCase> {
  protected:
    // Start from a line that is anything but raw, so that every flag the
    // port must set or clear is seen to change.
    void SetUp() override {
        PtyTest::SetUp();
        termios tio{};
        ASSERT_EQ(::tcgetattr(m_slave, &tio), 0);
        tio.c_iflag |= ICRNL | IXON | IXOFF | IXANY;
        tio.c_oflag |= OPOST | ONLCR;
        tio.c_lflag |= ICANON | ECHO | ISIG | IEXTEN;
        tio.c_cflag &= ~CLOCAL;
        tio.c_cflag |= PARODD | CMSPAR | CSTOPB | CRTSCTS;
        tio.c_cc[VMIN] = 1;
        tio.c_cc[VTIME] = 5;
        ::cfsetspeed(&tio, B1200);
        ASSERT_EQ(::tcsetattr(m_slave, TCSANOW, &tio), 0);
    }
};

constexpr tcflag_t kParityBits = PARENB | PARODD | CMSPAR;

// A pseudo-terminal keeps speed and stop bits. Recent kernels run it at 8
// bits without parity whatever is asked, and tcsetattr still reports
// success: there other sizes and parities are lines that do not read back,
// and must fail the same way as settings termios cannot express at all.
// (How each setting maps to flags is checked without a device, in
// serial_line_test.)
const LineCase kLineCases[] = {
    {"Default8N1", {4800, 8, 0, 1}, true, B4800, CS8, 0, false},
    {"StopCode0IsOne", {4800, 8, 0, 0}, true, B4800, CS8, 0, false},
    {"StopCode2IsTwo", {4800, 8, 0, 2}, true, B4800, CS8, 0, true},
    {"StopCode3IsOne", {4800, 8, 0, 3}, true, B4800, CS8, 0, false},
    {"Slowest", {50, 8, 0, 2}, true, B50, CS8, 0, true},
    {"Fastest", {4000000, 8, 0, 1}, true, B4000000, CS8, 0, false},
    {"At9600", {9600, 8, 0, 1}, true, B9600, CS8, 0, false},
    {"At115200", {115200, 8, 0, 1}, true, B115200, CS8, 0, false},
    // Read back as asked where the kernel's pseudo-terminals keep them.
    {"ParityOdd", {4800, 8, 1, 1}, true, B4800, CS8, PARENB | PARODD, false, true},
    {"ParityEven", {4800, 8, 2, 1}, true, B4800, CS8, PARENB, false, true},
    {"ParityMark", {4800, 8, 3, 1}, true, B4800, CS8, PARENB | CMSPAR | PARODD, false, true},
    {"ParitySpace", {4800, 8, 4, 1}, true, B4800, CS8, PARENB | CMSPAR, false, true},
    {"SevenE1", {9600, 7, 2, 1}, true, B9600, CS7, PARENB, false, true},
    {"FiveBits", {4800, 5, 0, 1}, true, B4800, CS5, 0, false, true},
    // Not expressible at all.
    {"ParityCode5", {4800, 8, 5, 1}, false, 0, 0, 0, false},
    {"NegativeParity", {4800, 8, -1, 1}, false, 0, 0, 0, false},
    {"Speed12345", {12345, 8, 0, 1}, false, 0, 0, 0, false},
    {"SpeedZero", {0, 8, 0, 1}, false, 0, 0, 0, false},
    {"NineDataBits", {4800, 9, 0, 1}, false, 0, 0, 0, false},
    {"FourDataBits", {4800, 4, 0, 1}, false, 0, 0, 0, false},
};

TEST_P(LineSettingsTest, LineReadsBackAsAsked) {
    const auto& c = GetParam();
    SerialPort port(m_dir.path());
    const auto result = openPort(port, c.settings);
    const bool opens = c.opens && (!c.ptyMayDrop || ptyKeepsFormat(c.settings));
    if (!opens) {
        EXPECT_EQ(result.status, SerialStatus::SetupFailed) << platform::toString(result.status);
        EXPECT_FALSE(port.isOpen());
        EXPECT_TRUE(portDescriptors().empty()) << "a refused open leaked its descriptor";
        // Nothing is left locked behind.
        SerialPort again(m_dir.path());
        EXPECT_EQ(openPort(again).status, SerialStatus::Ok);
        return;
    }
    ASSERT_EQ(result.status, SerialStatus::Ok) << platform::toString(result.status);
    ASSERT_TRUE(port.isOpen());

    const termios tio = lineSettings();
    EXPECT_EQ(::cfgetispeed(&tio), c.speed);
    EXPECT_EQ(::cfgetospeed(&tio), c.speed);
    EXPECT_EQ(tio.c_cflag & CSIZE, c.size);
    EXPECT_EQ(tio.c_cflag & kParityBits, c.parity);
    EXPECT_EQ((tio.c_cflag & CSTOPB) != 0, c.twoStopBits);

    // Raw, no flow control, reads that never wait.
    EXPECT_EQ(tio.c_lflag & (ICANON | ECHO | ISIG | IEXTEN), 0u);
    EXPECT_EQ(tio.c_oflag & OPOST, 0u);
    EXPECT_EQ(tio.c_iflag & (ICRNL | IXON | IXOFF | IXANY), 0u);
    EXPECT_EQ(tio.c_cflag & (CLOCAL | CREAD), CLOCAL | CREAD);
    EXPECT_EQ(tio.c_cflag & CRTSCTS, 0u);
    EXPECT_EQ(tio.c_cc[VMIN], 0);
    EXPECT_EQ(tio.c_cc[VTIME], 0);
}

INSTANTIATE_TEST_SUITE_P(Serial, LineSettingsTest, ::testing::ValuesIn(kLineCases), CaseName{});

// ---------------------------------------------------------------------------
// I/O

TEST_F(PtyTest, WrittenBytesArriveWholeAndUntranslated) {
    SerialPort port(m_dir.path());
    ASSERT_TRUE(openPort(port).ok());
    EXPECT_EQ(port.devicePath(), m_slaveName);
    EXPECT_TRUE(port.setQueueSizes(512, 512).ok());

    // Every byte value twice: CR, LF, XON, XOFF and NUL must pass as they are.
    std::string bytes;
    for (int round = 0; round < 2; ++round) {
        for (int b = 0; b < 256; ++b) {
            bytes.push_back(static_cast<char>(b));
        }
    }
    const auto result = port.write(bytes.data(), bytes.size());
    ASSERT_EQ(result.status, SerialStatus::Ok) << platform::toString(result.status);
    EXPECT_EQ(result.count, bytes.size());
    EXPECT_EQ(readMaster(bytes.size() + 1, 500ms), bytes);
}

TEST_F(PtyTest, IncomingBytesAreCountedAndRead) {
    SerialPort port(m_dir.path());
    ASSERT_TRUE(openPort(port).ok());

    char buffer[64] = {};
    // Idle: nothing waits and a read gives nothing, without blocking and
    // without mistaking the quiet line for a hang-up.
    EXPECT_EQ(port.bytesWaiting().count, 0u);
    auto result = port.read(buffer, sizeof buffer);
    EXPECT_EQ(result.status, SerialStatus::Ok) << platform::toString(result.status);
    EXPECT_EQ(result.count, 0u);

    const std::string reply = "FA00014060000;IF00014039310     +007000 0002000001 ;";
    writeMaster(reply);
    EXPECT_EQ(waitForInput(port, reply.size()), reply.size());

    // A short buffer takes what fits; the rest stays for the next read.
    result = port.read(buffer, 14);
    ASSERT_EQ(result.status, SerialStatus::Ok);
    ASSERT_EQ(result.count, 14u);
    EXPECT_EQ(std::string(buffer, 14), "FA00014060000;");
    EXPECT_EQ(port.bytesWaiting().count, reply.size() - 14);

    result = port.read(buffer, sizeof buffer);
    ASSERT_EQ(result.status, SerialStatus::Ok);
    EXPECT_EQ(std::string(buffer, result.count), reply.substr(14));

    result = port.read(buffer, sizeof buffer);
    EXPECT_EQ(result.status, SerialStatus::Ok);
    EXPECT_EQ(result.count, 0u);
}

TEST_F(PtyTest, PurgeInputDropsWhatWaits) {
    SerialPort port(m_dir.path());
    ASSERT_TRUE(openPort(port).ok());
    writeMaster("stale reply;");
    ASSERT_EQ(waitForInput(port, 12), 12u);

    EXPECT_TRUE(port.purgeInput().ok());
    EXPECT_EQ(port.bytesWaiting().count, 0u);
    char buffer[32];
    EXPECT_EQ(port.read(buffer, sizeof buffer).count, 0u);

    // Later bytes still come through.
    writeMaster("FR0;");
    ASSERT_EQ(waitForInput(port, 4), 4u);
    const auto result = port.read(buffer, sizeof buffer);
    EXPECT_EQ(std::string(buffer, result.count), "FR0;");
}

TEST_F(PtyTest, SecondOpenIsBusyUntilTheFirstCloses) {
    SerialPort first(m_dir.path());
    ASSERT_TRUE(openPort(first).ok());

    SerialPort second(m_dir.path());
    const auto result = openPort(second);
    EXPECT_EQ(result.status, SerialStatus::Busy) << platform::toString(result.status);
    EXPECT_FALSE(second.isOpen());

    // The refused open must not disturb the holder.
    EXPECT_TRUE(first.write("K22;", 4).ok());
    EXPECT_EQ(readMaster(4), "K22;");

    first.close();
    EXPECT_EQ(openPort(second).status, SerialStatus::Ok);
}

TEST_F(PtyTest, ReopeningAnOpenPortReplacesIt) {
    SerialPort port(m_dir.path());
    ASSERT_TRUE(openPort(port).ok());
    ASSERT_TRUE(openPort(port, {9600, 8, 0, 2}).ok());
    EXPECT_EQ(portDescriptors().size(), 1u);
    const termios tio = lineSettings();
    EXPECT_EQ(::cfgetospeed(&tio), B9600);
    EXPECT_NE(tio.c_cflag & CSTOPB, 0u);
}

// Root ignores the terminal's exclusive flag, so the flag itself can only be
// seen from an unprivileged process: while the port is open it must be kept
// out, and once the port closes it must get in again, even though the other
// end still holds the terminal.
TEST_F(PtyTest, ExclusiveFlagKeepsOthersOutOnlyWhileOpen) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "needs root to open the terminal as another user";
    }
    ASSERT_EQ(::chmod(m_slaveName.c_str(), 0666), 0);
    const auto openAsNobody = [this]() {
        const pid_t pid = ::fork();
        if (pid == 0) {
            if (::setgid(65534) != 0 || ::setuid(65534) != 0) {
                ::_exit(3);
            }
            const int fd = ::open(m_slaveName.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
            ::_exit(fd >= 0 ? 0 : (errno == EBUSY ? 1 : 2));
        }
        int status = 0;
        ::waitpid(pid, &status, 0);
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    };

    SerialPort port(m_dir.path());
    ASSERT_TRUE(openPort(port).ok());
    EXPECT_EQ(openAsNobody(), 1) << "expected EBUSY while the port is open";
    port.close();
    EXPECT_EQ(openAsNobody(), 0) << "the port left the terminal exclusive";
}

TEST_F(PtyTest, DescriptorIsCloseOnExecAndNonBlocking) {
    SerialPort port(m_dir.path());
    ASSERT_TRUE(openPort(port).ok());
    const auto fds = portDescriptors();
    ASSERT_EQ(fds.size(), 1u);
    EXPECT_NE(::fcntl(fds[0], F_GETFD) & FD_CLOEXEC, 0);
    EXPECT_NE(::fcntl(fds[0], F_GETFL) & O_NONBLOCK, 0);
}

TEST_F(PtyTest, CloseIsIdempotentAndLeavesThePortReusable) {
    SerialPort port(m_dir.path());
    ASSERT_TRUE(openPort(port).ok());
    port.close();
    port.close();
    EXPECT_FALSE(port.isOpen());
    EXPECT_TRUE(portDescriptors().empty());

    char byte = 0;
    EXPECT_EQ(port.read(&byte, 1).status, SerialStatus::NotOpen);
    EXPECT_EQ(port.write("x", 1).status, SerialStatus::NotOpen);
    EXPECT_EQ(port.bytesWaiting().status, SerialStatus::NotOpen);
    EXPECT_EQ(port.outputWaiting().status, SerialStatus::NotOpen);
    EXPECT_EQ(port.purgeInput().status, SerialStatus::NotOpen);
    EXPECT_EQ(port.setQueueSizes(512, 512).status, SerialStatus::NotOpen);

    ASSERT_TRUE(openPort(port).ok());
    EXPECT_TRUE(port.write("RX;", 3).ok());
    EXPECT_EQ(readMaster(3), "RX;");
}

TEST_F(PtyTest, DefaultFolderComesFromTheEnvironment) {
    const char* old = std::getenv("RIGCONTROL_SERIAL_DIR");
    const std::string saved = old != nullptr ? old : "";
    ::setenv("RIGCONTROL_SERIAL_DIR", m_dir.path().c_str(), 1);
    SerialPort port;
    const auto result = openPort(port);
    if (old != nullptr) {
        ::setenv("RIGCONTROL_SERIAL_DIR", saved.c_str(), 1);
    } else {
        ::unsetenv("RIGCONTROL_SERIAL_DIR");
    }
    EXPECT_EQ(result.status, SerialStatus::Ok) << platform::toString(result.status);
    EXPECT_EQ(port.devicePath(), m_slaveName);
}

// ---------------------------------------------------------------------------
// Hang-up and stalls

TEST_F(PtyTest, ClosedOtherEndIsAHangUpNotABlock) {
    SerialPort port(m_dir.path());
    ASSERT_TRUE(openPort(port).ok());
    closeMaster();

    const auto start = Clock::now();
    char buffer[16];
    const auto read = port.read(buffer, sizeof buffer);
    EXPECT_EQ(read.status, SerialStatus::HangUp) << platform::toString(read.status);
    EXPECT_EQ(read.count, 0u);

    const auto written = port.write("FA;", 3);
    EXPECT_EQ(written.status, SerialStatus::HangUp) << platform::toString(written.status);
    EXPECT_EQ(written.count, 0u);
    EXPECT_NE(written.error, 0);
    EXPECT_LT(Clock::now() - start, 1s);

    port.close();
    EXPECT_FALSE(port.isOpen());
}

TEST_F(PtyTest, StalledWriteTimesOutWithTheCountWritten) {
    SerialPort port(m_dir.path());
    ASSERT_TRUE(openPort(port).ok());

    // Far more than the terminal buffers hold, and nobody reads the master.
    const std::string bytes(4 * 1024 * 1024, 'K');
    const auto start = Clock::now();
    const auto result = port.write(bytes.data(), bytes.size());
    const auto elapsed = Clock::now() - start;

    EXPECT_EQ(result.status, SerialStatus::TimedOut) << platform::toString(result.status);
    EXPECT_LT(result.count, bytes.size());
    EXPECT_GE(elapsed, 1900ms);
    EXPECT_LE(elapsed, 5s);
    // A pty keeps no output queue of its own to count, however full it is.
    const auto queued = port.outputWaiting();
    EXPECT_TRUE(queued.ok()) << platform::toString(queued.status);
    EXPECT_EQ(queued.count, 0u);

    // The count is what really went out: the master finds exactly that much.
    EXPECT_EQ(readMaster(result.count + 1, 1000ms).size(), result.count);
}

}  // namespace
