// Line settings to terminal flags, and the read-back comparison, without a
// device: a pseudo-terminal cannot show sizes or parities other than 8N.

#include <termios.h>

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <ostream>
#include <string>

#include "platform/serial_line.h"
#include "tests/support/row_names.h"

using platform::lineMatches;
using platform::makeRawLine;
using platform::SerialSettings;

namespace {

// A cooked line with flow control and every framing bit set, so that each
// flag the raw line must clear is seen to go.
termios cookedLine() {
    termios tio{};
    tio.c_iflag = ICRNL | IXON | IXOFF | IXANY | BRKINT | ISTRIP;
    tio.c_oflag = OPOST | ONLCR;
    tio.c_lflag = ICANON | ECHO | ECHOE | ISIG | IEXTEN;
    tio.c_cflag = CS7 | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS | HUPCL;
    tio.c_cc[VMIN] = 1;
    tio.c_cc[VTIME] = 5;
    ::cfsetspeed(&tio, B1200);
    return tio;
}

struct RawCase {
    const char* name;
    SerialSettings settings;
    speed_t speed;
    tcflag_t size;
    tcflag_t parity;
    bool twoStopBits;
};
ROW_NAME(RawCase, row.name);

const RawCase kRawCases[] = {
    {"Default8N1", {4800, 8, 0, 1}, B4800, CS8, 0, false},
    {"StopCode0IsOne", {4800, 8, 0, 0}, B4800, CS8, 0, false},
    {"StopCode2IsTwo", {4800, 8, 0, 2}, B4800, CS8, 0, true},
    {"StopCode3IsOne", {4800, 8, 0, 3}, B4800, CS8, 0, false},
    {"ParityOdd", {4800, 8, 1, 1}, B4800, CS8, PARENB | PARODD, false},
    {"ParityEven", {4800, 8, 2, 1}, B4800, CS8, PARENB, false},
    {"ParityMark", {4800, 8, 3, 1}, B4800, CS8, PARENB | CMSPAR | PARODD, false},
    {"ParitySpace", {4800, 8, 4, 1}, B4800, CS8, PARENB | CMSPAR, false},
    {"SevenE1At9600", {9600, 7, 2, 1}, B9600, CS7, PARENB, false},
    {"FiveBitsAt50", {50, 5, 0, 2}, B50, CS5, 0, true},
    {"SixBitsAt4000000", {4000000, 6, 1, 1}, B4000000, CS6, PARENB | PARODD, false},
    {"At57600", {57600, 8, 0, 1}, B57600, CS8, 0, false},
};

class RawLineTest : public ::testing::TestWithParam<RawCase> {};

TEST_P(RawLineTest, SetsFramingAndRawFlags) {
    const auto& c = GetParam();
    termios tio = cookedLine();
    ASSERT_TRUE(makeRawLine(tio, c.settings));

    EXPECT_EQ(::cfgetispeed(&tio), c.speed);
    EXPECT_EQ(::cfgetospeed(&tio), c.speed);
    EXPECT_EQ(tio.c_cflag & CSIZE, c.size);
    EXPECT_EQ(tio.c_cflag & (PARENB | PARODD | CMSPAR), c.parity);
    EXPECT_EQ((tio.c_cflag & CSTOPB) != 0, c.twoStopBits);

    EXPECT_EQ(tio.c_lflag & (ICANON | ECHO | ISIG | IEXTEN), 0u);
    EXPECT_EQ(tio.c_oflag & OPOST, 0u);
    EXPECT_EQ(tio.c_iflag & (ICRNL | IXON | IXOFF | IXANY | ISTRIP), 0u);
    EXPECT_EQ(tio.c_cflag & (CLOCAL | CREAD), CLOCAL | CREAD);
    EXPECT_EQ(tio.c_cflag & CRTSCTS, 0u);
    EXPECT_EQ(tio.c_cc[VMIN], 0);
    EXPECT_EQ(tio.c_cc[VTIME], 0);
}

INSTANTIATE_TEST_SUITE_P(Serial, RawLineTest, ::testing::ValuesIn(kRawCases), CaseName{});

struct BadCase {
    const char* name;
    SerialSettings settings;
};
ROW_NAME(BadCase, row.name);

const BadCase kBadCases[] = {
    {"ParityCode5", {4800, 8, 5, 1}},     {"NegativeParity", {4800, 8, -1, 1}},
    {"Speed12345", {12345, 8, 0, 1}},     {"SpeedZero", {0, 8, 0, 1}},
    {"Speed4800001", {4800001, 8, 0, 1}}, {"NineDataBits", {4800, 9, 0, 1}},
    {"FourDataBits", {4800, 4, 0, 1}},
};

class BadLineTest : public ::testing::TestWithParam<BadCase> {};

TEST_P(BadLineTest, IsRefusedAndChangesNothing) {
    const termios before = cookedLine();
    termios tio = before;
    EXPECT_FALSE(makeRawLine(tio, GetParam().settings));
    EXPECT_EQ(std::memcmp(&tio, &before, sizeof tio), 0);
}

INSTANTIATE_TEST_SUITE_P(Serial, BadLineTest, ::testing::ValuesIn(kBadCases), CaseName{});

// What a driver may do to a line between tcsetattr and tcgetattr.
struct ReadBackCase {
    const char* name;
    std::function<void(termios&)> drift;
    bool matches;
};
ROW_NAME(ReadBackCase, row.name);

const ReadBackCase kReadBackCases[] = {
    {"Unchanged", [](termios&) {}, true},
    {"PseudoTerminalForces8N",
     [](termios& t) { t.c_cflag = (t.c_cflag & ~(CSIZE | PARENB)) | CS8; }, false},
    {"MarkSpaceDropped", [](termios& t) { t.c_cflag &= ~CMSPAR; }, false},
    {"OddBecameEven", [](termios& t) { t.c_cflag &= ~PARODD; }, false},
    {"StopBitsDropped", [](termios& t) { t.c_cflag &= ~CSTOPB; }, false},
    {"OutputSpeedDiffers", [](termios& t) { ::cfsetospeed(&t, B9600); }, false},
    {"InputSpeedDiffers", [](termios& t) { ::cfsetispeed(&t, B9600); }, false},
    // Only framing and speed are compared; a driver is free with the rest.
    {"OtherFlagsDiffer",
     [](termios& t) {
         t.c_cflag |= HUPCL;
         t.c_cc[VMIN] = 1;
     },
     true},
};

class ReadBackTest : public ::testing::TestWithParam<ReadBackCase> {};

TEST_P(ReadBackTest, ComparesSpeedAndFraming) {
    termios asked = cookedLine();
    ASSERT_TRUE(makeRawLine(asked, SerialSettings{4800, 7, 3, 2}));
    termios got = asked;
    GetParam().drift(got);
    EXPECT_EQ(lineMatches(asked, got), GetParam().matches);
}

INSTANTIATE_TEST_SUITE_P(Serial, ReadBackTest, ::testing::ValuesIn(kReadBackCases), CaseName{});

}  // namespace
