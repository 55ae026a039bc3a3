// The simulator as the radio-link tests use it: keying time, the line check,
// pacing, fault injection, panel events, logs and the link in the folder.

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <fstream>
#include <memory>
#include <mutex>
#include <ostream>
#include <thread>

#include "sim/k2_simulator.h"
#include "sim_test_support.h"
#include "tests/support/row_names.h"

namespace sim {
namespace {

using namespace std::chrono_literals;
using testing::Line;
using testing::SlavePort;

double msBetween(Clock::time_point a, Clock::time_point b) {
    return std::chrono::duration<double, std::milli>(b - a).count();
}

double microseconds(Clock::duration d) {
    return std::chrono::duration<double, std::micro>(d).count();
}

class SimulatorTest : public ::testing::Test {
  protected:
    void start(double timeScale = 1.0, std::size_t kyCapacity = 32) {
        K2SimulatorOptions options;
        options.folder = m_dir.path();
        options.com = 2;
        options.timeScale = timeScale;
        options.kyCapacity = kyCapacity;
        options.trace = [this](const std::string& line) {
            std::lock_guard lock(m_traceMutex);
            m_trace.push_back(line);
        };
        m_radio = std::make_unique<K2Simulator>(options);
        ASSERT_TRUE(m_radio->start().ok());
        m_port = std::make_unique<SlavePort>(m_radio->linkPath());
    }

    // Writes commands and returns once the radio has taken the last of them.
    void send(const std::string& commands) {
        std::size_t from = m_radio->commandCount();
        auto count = static_cast<std::size_t>(std::count(commands.begin(), commands.end(), ';'));
        m_port->write(commands);
        ASSERT_TRUE(m_radio->waitForCommand(".*", 2s, from + count - 1));
    }

    // Writes a query and returns its reply.
    std::string ask(const std::string& query, std::string_view until = ";") {
        m_port->write(query);
        return m_port->readUntil(until);
    }

    // Declared before the simulator, whose threads write the trace until it
    // has stopped.
    TempDir m_dir;
    std::mutex m_traceMutex;
    std::vector<std::string> m_trace;
    std::unique_ptr<K2Simulator> m_radio;
    std::unique_ptr<SlavePort> m_port;
};

// --- CW keying (time scale 100: 6 ms a character at 20 WPM) -------------

TEST_F(SimulatorTest, KeyingTakesTenDotsPerCharacter) {
    start(100);
    send("K22;");
    auto sent = Clock::now();
    m_port->write("KY CQ TEST;KY;");
    EXPECT_EQ(m_port->readUntil(";"), "KY0;");

    std::string status;
    while (Clock::now() - sent < 3s) {
        status = ask("KY;");
        if (status == "KY2;") {
            break;
        }
        EXPECT_TRUE(status == "KY0;" || status == "KY1;") << status;
        std::this_thread::sleep_for(2ms);
    }
    auto done = Clock::now();
    ASSERT_EQ(status, "KY2;");
    // 7 characters of 10 dots of 60 ms at 20 WPM, divided by 100.
    EXPECT_GE(msBetween(sent, done), 42.0);
    EXPECT_LE(msBetween(sent, done), 1500.0);

    std::vector<KeyedChar> keyed = m_radio->keyedChars();
    ASSERT_EQ(m_radio->keyedText(), "CQ TEST");
    for (std::size_t i = 0; i < keyed.size(); ++i) {
        EXPECT_NEAR(msBetween(keyed[i].start, keyed[i].end), 6.0, 0.01);
        if (i > 0) {
            EXPECT_EQ(keyed[i].start, keyed[i - 1].end) << "keying is continuous";
        }
    }
}

TEST_F(SimulatorTest, KeyerSpeedFollowsKS) {
    start(100);
    m_port->write("K22;KS040;KY EE;");
    ASSERT_TRUE(m_radio->waitForCommand("KY EE", 2s));
    std::this_thread::sleep_for(100ms);
    std::vector<KeyedChar> keyed = m_radio->keyedChars();
    ASSERT_EQ(keyed.size(), 2u);
    EXPECT_NEAR(msBetween(keyed[0].start, keyed[0].end), 3.0, 0.01);
}

TEST_F(SimulatorTest, AbortStopsKeyingAtOnce) {
    start(10);  // 60 ms a character: the text would take about a second
    send("K22;KY CQ CQ CQ DE TEST;");
    std::this_thread::sleep_for(100ms);
    m_port->write("KY @;KY;");
    EXPECT_EQ(m_port->readUntil(";"), "KY2;");
    const std::string keyedAtAbort = m_radio->keyedText();
    EXPECT_LT(keyedAtAbort.size(), 16u);
    std::this_thread::sleep_for(200ms);
    EXPECT_EQ(m_radio->keyedText(), keyedAtAbort) << "nothing keyed after the abort";
    EXPECT_EQ(m_radio->kyPending(), 0u);
}

TEST_F(SimulatorTest, FullBufferCountsOverruns) {
    start(100, 10);
    m_port->write("K22;KY ABCDEFGHIJKLMNO;KY;");
    EXPECT_EQ(m_port->readUntil(";"), "KY1;");
    EXPECT_EQ(m_radio->overrunCount(), 5u);
    ASSERT_TRUE(m_radio->waitForCommand("KY", 1s));
    std::this_thread::sleep_for(200ms);
    EXPECT_EQ(m_radio->keyedText(), "ABCDEFGHIJ");
}

TEST_F(SimulatorTest, LateKYAnswerComesLate) {
    start();
    m_radio->setKyAnswer(KyAnswer::Late, 150ms);
    send("K22;");
    auto sent = Clock::now();
    EXPECT_EQ(ask("KY;"), "KY2;");
    EXPECT_GE(msBetween(sent, Clock::now()), 150.0);
}

// --- line check ---------------------------------------------------------

struct LineCase {
    const char* name;
    Line line;
    bool answered;
};
ROW_NAME(LineCase, row.name);

class LineCheckTest : public ::testing::TestWithParam<LineCase> {};

TEST_P(LineCheckTest, AnswersOnlyOnTheRadiosLine) {
    TempDir dir;
    K2SimulatorOptions options;
    options.folder = dir.path();
    K2Simulator radio(options);
    ASSERT_TRUE(radio.start().ok());
    SlavePort port(radio.linkPath(), GetParam().line);

    port.write("FA;");
    std::string reply = GetParam().answered ? port.readUntil(";") : port.readFor(300ms);
    EXPECT_EQ(reply, GetParam().answered ? "FA00014060000;" : "");
    EXPECT_EQ(radio.lineMismatchCount(), GetParam().answered ? 0u : 1u);
    // The command is logged either way.
    auto command = radio.waitForCommand("FA", 1s);
    ASSERT_TRUE(command);
    EXPECT_EQ(command->lineOk, GetParam().answered);
}

// A pseudo-terminal keeps only the speed and the stop bits of what the server
// sets (data bits and parity always read back as 8N), so these are the
// settings the check can see.
const LineCase kLines[] = {
    {"Line8N1", {B4800, false}, true},
    {"Line8N2", {B4800, true}, true},
    {"Speed9600", {B9600, false}, false},
    {"Speed1200TwoStopBits", {B1200, true}, false},
};

INSTANTIATE_TEST_SUITE_P(Lines, LineCheckTest, ::testing::ValuesIn(kLines), CaseName());

TEST_F(SimulatorTest, LineSettingsAreReadBackAndLogged) {
    start();
    m_port->setLine({B9600, true});
    std::optional<LineSettings> line = m_radio->lineSettings();
    ASSERT_TRUE(line);
    EXPECT_EQ(line->describe(), "9600 8N2");
    EXPECT_TRUE(line->raw);

    m_port->write("FA;");
    ASSERT_TRUE(m_radio->waitForCommand("FA", 1s));
    m_port->setLine({});
    EXPECT_EQ(ask("FA;"), "FA00014060000;");

    std::vector<LineRecord> log = m_radio->lineLog();
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log[0].settings.describe(), "9600 8N2");
    EXPECT_EQ(log[1].settings.describe(), "4800 8N1");
}

// --- pacing -------------------------------------------------------------

// Span from first to last byte of the last reply written.
double lastReplySpanMs(const K2Simulator& radio, std::size_t bytes) {
    std::vector<ByteRecord> log = radio.byteLog();
    std::vector<Clock::time_point> out;
    for (const ByteRecord& record : log) {
        if (record.direction == Direction::Out) {
            out.push_back(record.time);
        }
    }
    if (out.size() < bytes) {
        return -1;
    }
    return msBetween(out[out.size() - bytes], out.back());
}

TEST_F(SimulatorTest, RepliesArePacedAtTheLineRate) {
    start();
    EXPECT_EQ(ask("IF;").size(), 38u);
    // 37 byte times of 10 bits at 4800 baud after the first byte (less a
    // little: the first byte's time stamp is taken after its write).
    EXPECT_GE(lastReplySpanMs(*m_radio, 38), 37 * 10 / 4.8 - 1.0);

    m_port->setLine({B4800, true});
    EXPECT_EQ(ask("IF;").size(), 38u);
    EXPECT_GE(lastReplySpanMs(*m_radio, 38), 37 * 11 / 4.8 - 1.0);

    // Back-to-back replies keep the rate across their boundary.
    m_port->setLine({});
    m_port->write("FA;FB;");
    EXPECT_EQ(m_port->readUntil("FB00007040000;").size(), 28u);
    EXPECT_GE(lastReplySpanMs(*m_radio, 28), 27 * 10 / 4.8 - 1.0);

    m_radio->setPacing(false);
    EXPECT_EQ(ask("IF;").size(), 38u);
    EXPECT_LT(lastReplySpanMs(*m_radio, 38), 37 * 10 / 4.8);
}

// The radio takes the server's bytes one character time apart, at the speed
// and framing the server set, however fast they were written.
struct ReadPacingCase {
    const char* name;
    Line line;
    double timeScale;
    bool readPacing;
    double characterUs;  // 0: taken as they come
};
ROW_NAME(ReadPacingCase, row.name);

class ReadPacingTest : public ::testing::TestWithParam<ReadPacingCase> {};

TEST_P(ReadPacingTest, TakesEachByteOneCharacterTimeAfterTheLast) {
    const ReadPacingCase& row = GetParam();
    TempDir dir;
    K2SimulatorOptions options;
    options.folder = dir.path();
    options.timeScale = row.timeScale;
    options.readPacing = row.readPacing;
    K2Simulator radio(options);
    ASSERT_TRUE(radio.start().ok());
    SlavePort port(radio.linkPath(), row.line);

    const std::string commands = "K22;K22;K22;K22;K22;K22;K22;K22;";
    auto written = Clock::now();
    port.write(commands);
    ASSERT_TRUE(radio.waitForCommand(".*", 3s, 7));

    std::vector<Clock::time_point> in;
    for (const ByteRecord& record : radio.byteLog()) {
        if (record.direction == Direction::In) {
            in.push_back(record.time);
        }
    }
    ASSERT_EQ(in.size(), commands.size());
    // Stamps may lag their ideal times by the clock's rounding only.
    const double slackUs = 0.01;
    if (row.characterUs > 0) {
        EXPECT_GE(microseconds(in[0] - written), row.characterUs - slackUs);
        for (std::size_t i = 1; i < in.size(); ++i) {
            EXPECT_GE(microseconds(in[i] - in[i - 1]), row.characterUs - slackUs) << "byte " << i;
        }
    } else {
        // Much faster than the slowest line of the table would allow.
        EXPECT_LT(msBetween(in.front(), in.back()),
                  static_cast<double>(commands.size() - 1) * 10 / 4.8);
    }
    std::vector<CommandRecord> taken = radio.commands();
    ASSERT_EQ(taken.size(), 8u);
    EXPECT_EQ(taken.back().time, in.back()) << "a command is timed by its ';' as taken";
}

const ReadPacingCase kReadPacing[] = {
    {"Line8N1", {B4800, false}, 1.0, true, 1e6 * 10 / 4800},
    {"Line8N2", {B4800, true}, 1.0, true, 1e6 * 11 / 4800},
    {"Line8N2TimeScale10", {B4800, true}, 10.0, true, 1e6 * 11 / 4800 / 10},
    {"SendersSpeed9600", {B9600, false}, 1.0, true, 1e6 * 10 / 9600},
    {"ReadPacingOff", {B4800, true}, 1.0, false, 0},
};

INSTANTIATE_TEST_SUITE_P(Lines, ReadPacingTest, ::testing::ValuesIn(kReadPacing), CaseName());

// A pty shows no parity or data bits, but a character counts them.
TEST(CharacterTimeTest, CountsStartDataParityAndStopBits) {
    LineSettings line;
    line.baud = 4800;
    line.dataBits = 7;
    line.parity = 'E';
    line.stopBits = 2;
    EXPECT_NEAR(microseconds(characterTime(line, 1.0)), 1e6 * 11 / 4800, 0.01);
    line.baud = 0;
    EXPECT_EQ(characterTime(line, 1.0), Clock::duration::zero());
}

TEST_F(SimulatorTest, ReadPacingCanBeSwitchedOffWhileBytesWait) {
    start();
    std::string commands;
    for (int i = 0; i < 40; ++i) {
        commands += "K22;";
    }
    m_port->write(commands + "FA;");
    m_radio->setReadPacing(false);
    // 163 characters at the line's pace would take 340 ms.
    auto asked = Clock::now();
    EXPECT_EQ(m_port->readUntil(";"), "FA00014060000;");
    EXPECT_LT(msBetween(asked, Clock::now()), 163 * 10 / 4.8);
}

TEST_F(SimulatorTest, ReplyDelayHoldsRepliesBack) {
    start();
    m_radio->setReplyDelay(120ms);
    auto sent = Clock::now();
    EXPECT_EQ(ask("FA;"), "FA00014060000;");
    EXPECT_GE(msBetween(sent, Clock::now()), 120.0);
}

TEST_F(SimulatorTest, AutoInfoWaitsForItsDelay) {
    start();
    m_radio->setAiDelay(150ms);
    send("AI2;");
    auto sent = Clock::now();
    m_port->write("MD2;");
    EXPECT_EQ(m_port->readUntil(";"), "MD2;");
    EXPECT_GE(msBetween(sent, Clock::now()), 150.0);
}

// --- raw bytes and faults -----------------------------------------------

TEST_F(SimulatorTest, RawBytesArriveSplitWithGaps) {
    start();
    m_radio->setPacing(false);
    m_radio->injectRaw("FA00014060000;IF0001406;", {{5, 80ms}, {16, 80ms}});
    EXPECT_EQ(m_port->readUntil("IF0001406;"), "FA00014060000;IF0001406;");

    std::vector<Clock::time_point> out;
    for (const ByteRecord& record : m_radio->byteLog()) {
        out.push_back(record.time);
    }
    ASSERT_EQ(out.size(), 24u);
    EXPECT_GE(msBetween(out[4], out[5]), 80.0);
    EXPECT_GE(msBetween(out[15], out[16]), 80.0);
    EXPECT_LT(msBetween(out[0], out[4]), 50.0);
}

TEST_F(SimulatorTest, BurstIsOneWrite) {
    start();
    std::string burst;
    while (burst.size() < 600) {
        burst += "FA00014060000;";
    }
    m_radio->injectRaw(burst, {}, true);
    EXPECT_EQ(m_port->readUntil(burst), burst);
    std::vector<ByteRecord> log = m_radio->byteLog();
    ASSERT_EQ(log.size(), burst.size());
    EXPECT_EQ(log.front().time, log.back().time);
}

TEST_F(SimulatorTest, RadioOffAnswersNothing) {
    start();
    m_radio->setPowerOn(false);
    m_port->write("FA;PS;MD2;");
    EXPECT_EQ(m_port->readFor(200ms), "");
    EXPECT_EQ(m_radio->state().mode, 3);
    m_radio->setPowerOn(true);
    EXPECT_EQ(ask("PS;"), "PS1;");
}

TEST_F(SimulatorTest, NotReadingBlocksTheServerUntilReadingResumes) {
    start();
    // The 20 KB that fill the pty would take 45 s at the line's pace.
    m_radio->setReadPacing(false);
    m_radio->setReading(false);
    std::string chunk(256, 'Q');
    std::size_t accepted = 0;
    for (int i = 0; i < 4096; ++i) {
        ssize_t n = ::write(m_port->fd(), chunk.data(), chunk.size());
        if (n < 0) {
            ASSERT_EQ(errno, EAGAIN);
            break;
        }
        accepted += static_cast<std::size_t>(n);
    }
    EXPECT_LT(accepted, 4096u * 256u) << "the pty never filled";
    EXPECT_EQ(m_radio->bytesIn().size(), 0u);

    m_radio->setReading(true);
    m_port->write(";FA;");
    EXPECT_EQ(m_port->readUntil("FA00014060000;"), "?;FA00014060000;");
}

TEST_F(SimulatorTest, ClosedMasterHangsUpTheLine) {
    start();
    m_radio->closeMaster();
    char byte = 0;
    ssize_t got = ::read(m_port->fd(), &byte, 1);
    EXPECT_TRUE(got == 0 || (got < 0 && errno == EIO)) << got << " " << errno;
    EXPECT_EQ(::write(m_port->fd(), "FA;", 3), -1);
    EXPECT_EQ(errno, EIO);
}

TEST_F(SimulatorTest, LinkCanBeRemovedAndRecreated) {
    start();
    std::filesystem::path link = m_radio->linkPath();
    EXPECT_EQ(link, m_dir.path() / "com2");
    EXPECT_EQ(std::filesystem::read_symlink(link), m_radio->devicePath());
    EXPECT_TRUE(m_radio->removeLink());
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(link)));
    EXPECT_TRUE(m_radio->recreateLink());
    SlavePort again(link);
    again.write("FA;");
    EXPECT_EQ(again.readUntil(";"), "FA00014060000;");

    m_radio->stop();
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(link)));
}

TEST(SimulatorStartTest, ReplacesAStaleLinkAndRefusesAnythingElse) {
    TempDir dir;
    std::filesystem::create_symlink("/nonexistent/pts/99", dir.path() / "com1");
    { std::ofstream(dir.path() / "com2") << "not a link"; }
    K2SimulatorOptions options;
    options.folder = dir.path();
    K2Simulator stale(options);
    ASSERT_TRUE(stale.start().ok());
    EXPECT_EQ(std::filesystem::read_symlink(dir.path() / "com1"), stale.devicePath());

    options.com = 2;
    K2Simulator refused(options);
    StartResult result = refused.start();
    EXPECT_EQ(result.error, StartError::NotALink);
    EXPECT_NE(result.message.find("com2"), std::string::npos);
    std::ifstream file(dir.path() / "com2");
    std::string content;
    std::getline(file, content);
    EXPECT_EQ(content, "not a link") << "the file is left alone";

    options.folder = dir.path() / "made" / "on demand";
    options.com = 1;
    K2Simulator nested(options);
    EXPECT_TRUE(nested.start().ok());
    EXPECT_TRUE(std::filesystem::is_symlink(options.folder / "com1"));
}

// --- panel events -------------------------------------------------------

TEST_F(SimulatorTest, TurningTheVfoSendsABurstOfFA) {
    start();
    m_radio->setPacing(false);
    send("AI2;");
    auto began = Clock::now();
    m_radio->turnVfo(5, 10, 100);
    std::string expected = "FA00014060010;FA00014060020;FA00014060030;FA00014060040;FA00014060050;";
    EXPECT_EQ(m_port->readUntil("FA00014060050;"), expected);
    // Four step periods of 10 ms between the first step and the last.
    EXPECT_GE(msBetween(began, Clock::now()), 40.0);
    EXPECT_EQ(m_radio->state().vfoA, 14060050u);

    m_radio->turnVfo(-2, 1000, 1000);
    EXPECT_EQ(m_port->readUntil("FA00014058050;"), "FA00014059050;FA00014058050;");
}

TEST_F(SimulatorTest, PanelKeysReportByAutoInfo) {
    start();
    m_radio->setPacing(false);
    send("K22;AI3;");
    m_radio->pressModeKey();
    EXPECT_EQ(m_port->readUntil(" ;"), "MD6;IF00014060000     +000000 0006000001 ;");
    m_radio->pressBandKey(true);
    EXPECT_EQ(m_port->readUntil(" ;"), "FA00018086000;IF00018086000     +000000 0006000101 ;");

    send("AI0;");
    m_radio->pressModeKey();
    EXPECT_EQ(m_port->readFor(150ms), "");
    EXPECT_EQ(m_radio->state().mode, 1);
}

// --- logs ---------------------------------------------------------------

TEST_F(SimulatorTest, LogsEveryByteAndCommandWithItsTime) {
    start();
    auto before = Clock::now();
    m_port->write("F");
    for (auto deadline = Clock::now() + 2s; m_radio->bytesIn() != "F" && Clock::now() < deadline;) {
        std::this_thread::sleep_for(1ms);
    }
    std::this_thread::sleep_for(5ms);
    m_port->write("A;");
    EXPECT_EQ(m_port->readUntil(";"), "FA00014060000;");
    EXPECT_TRUE(m_radio->waitForOutputIdle(1s));

    EXPECT_EQ(m_radio->bytesIn(), "FA;");
    EXPECT_EQ(m_radio->bytesOut(), "FA00014060000;");
    std::vector<ByteRecord> log = m_radio->byteLog();
    ASSERT_EQ(log.size(), 17u);
    EXPECT_TRUE(std::is_sorted(log.begin(), log.end(),
                               [](const auto& a, const auto& b) { return a.time < b.time; }));
    EXPECT_GE(log.front().time, before);

    std::vector<CommandRecord> commands = m_radio->commands();
    ASSERT_EQ(commands.size(), 1u);
    EXPECT_EQ(commands[0].text, "FA");
    EXPECT_EQ(commands[0].time, log[2].time) << "a command is timed by its ';'";
    EXPECT_GE(msBetween(log[0].time, commands[0].time), 5.0) << "F was read on its own";
}

TEST_F(SimulatorTest, CountsErrorReplies) {
    start();
    m_port->write("ZZ;FA-0014060000;" + std::string(70, 'Q') + ";ID;");
    m_port->readUntil("ID017;");
    EXPECT_EQ(m_radio->errorReplyCount(), 3u);
}

TEST_F(SimulatorTest, WaitForCommandMatchesLaterArrivals) {
    start();
    std::thread writer([this] {
        std::this_thread::sleep_for(50ms);
        m_port->write("fa;ky hello;KY WORLD;");
    });
    std::optional<CommandRecord> first = m_radio->waitForCommand("KY .*", 2s);
    writer.join();
    ASSERT_TRUE(first);
    EXPECT_EQ(first->text, "ky hello");
    std::optional<CommandRecord> next = m_radio->waitForCommand("KY .*", 2s, first->index + 1);
    ASSERT_TRUE(next);
    EXPECT_EQ(next->text, "KY WORLD");

    auto began = Clock::now();
    EXPECT_FALSE(m_radio->waitForCommand("KY .*", 100ms, next->index + 1));
    EXPECT_GE(msBetween(began, Clock::now()), 100.0);
}

TEST_F(SimulatorTest, TraceShowsCommandsAndRepliesEscaped) {
    start();
    ask("FA;");
    ask("DS;", "\x80;");
    ASSERT_TRUE(m_radio->waitForOutputIdle(1s));
    std::lock_guard lock(m_traceMutex);
    ASSERT_EQ(m_trace.size(), 4u);
    EXPECT_TRUE(m_trace[0].ends_with(" ms cmd   FA;")) << m_trace[0];
    EXPECT_TRUE(m_trace[1].ends_with(" ms reply FA00014060000;")) << m_trace[1];
    EXPECT_TRUE(m_trace[3].ends_with(" ms reply DS@14060\\xB00\\x80\\x80;")) << m_trace[3];
}

}  // namespace
}  // namespace sim
