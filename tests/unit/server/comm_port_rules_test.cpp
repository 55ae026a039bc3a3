#include "server/comm_port_rules.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <ostream>
#include <string>

#include "tests/support/row_names.h"
#include "tests/support/temp_dir.h"

namespace {

using namespace brakton;

struct StepCase {
    const char* name;
    int from;
    Step step;
    int to;
    const char* text;
};
ROW_NAME(StepCase, row.name);

class SheetPortTest : public ::testing::TestWithParam<StepCase> {};

TEST_P(SheetPortTest, StepsAndShows) {
    const int to = stepSheetPort(GetParam().from, GetParam().step);
    EXPECT_EQ(to, GetParam().to);
    EXPECT_EQ(sheetPortText(to), GetParam().text);
}

const StepCase kSheetPorts[] = {
    {"EighteenUpIsNone", 18, Step::Up, 0, " None "},
    {"NoneDownIsEighteen", 0, Step::Down, 18, " COM18 "},
    {"OneDownIsNone", 1, Step::Down, 0, " None "},
    {"NoneUpIsOne", 0, Step::Up, 1, " COM1 "},
};
INSTANTIATE_TEST_SUITE_P(Ports, SheetPortTest, ::testing::ValuesIn(kSheetPorts), CaseName());

class SpeedTest : public ::testing::TestWithParam<StepCase> {};

// The index starts at the stored speed, so the first step moves from there.
TEST_P(SpeedTest, StepsFromTheStoredSpeed) {
    const auto index = speedIndexOf(static_cast<PortSpeed>(GetParam().from));
    ASSERT_TRUE(index.has_value());
    const int speed = kSpeedTable[stepSpeedIndex(*index, GetParam().step)];
    EXPECT_EQ(speed, GetParam().to);
    EXPECT_EQ(speedText(static_cast<PortSpeed>(speed)), GetParam().text);
}

const StepCase kSpeeds[] = {
    {"NineSixHundredUp", 9600, Step::Up, 19200, " 19200 "},
    {"NineSixHundredDown", 9600, Step::Down, 4800, "  4800 "},
    {"TopUpWrapsToBottom", 38400, Step::Up, 300, "   300 "},
    {"BottomDownWrapsToTop", 300, Step::Down, 38400, " 38400 "},
};
INSTANTIATE_TEST_SUITE_P(Speeds, SpeedTest, ::testing::ValuesIn(kSpeeds), CaseName());

TEST(SpeedTest, OnlyTableSpeedsHaveAnIndex) {
    EXPECT_EQ(speedText(9600), "  9600 ");
    EXPECT_EQ(speedIndexOf(4800), kDefaultSpeedIndex);
    EXPECT_FALSE(speedIndexOf(9601).has_value());
    EXPECT_FALSE(speedIndexOf(0).has_value());
}

class ParityTest : public ::testing::TestWithParam<StepCase> {};

TEST_P(ParityTest, StepsWithWrap) {
    const int to = stepParity(GetParam().from, GetParam().step);
    EXPECT_EQ(to, GetParam().to);
    EXPECT_EQ(parityText(to), GetParam().text);
}

const StepCase kParities[] = {
    {"NoneUpIsOdd", kParityNone, Step::Up, kParityOdd, " Odd "},
    {"OddUpIsEven", kParityOdd, Step::Up, kParityEven, " Even "},
    {"EvenUpIsNone", kParityEven, Step::Up, kParityNone, " None "},
    {"NoneDownIsEven", kParityNone, Step::Down, kParityEven, " Even "},
};
INSTANTIATE_TEST_SUITE_P(Parities, ParityTest, ::testing::ValuesIn(kParities), CaseName());

class DialogPortTest : public ::testing::TestWithParam<StepCase> {};

TEST_P(DialogPortTest, StepsWithinOneToEighteen) {
    const int to = stepDialogPort(GetParam().from, GetParam().step);
    EXPECT_EQ(to, GetParam().to);
    EXPECT_EQ(dialogPortText(to), GetParam().text);
}

const StepCase kDialogPorts[] = {
    {"EighteenUpIsOne", 18, Step::Up, 1, " COM1"},
    {"OneDownIsEighteen", 1, Step::Down, 18, " COM18"},
    {"ZeroDownIsEighteen", 0, Step::Down, 18, " COM18"},
    {"ZeroUpIsOne", 0, Step::Up, 1, " COM1"},
    {"AboveRangeUpIsOne", 42, Step::Up, 1, " COM1"},
    {"AboveRangeDownIsEighteen", 42, Step::Down, 18, " COM18"},
    {"TwoDownIsOne", 2, Step::Down, 1, " COM1"},
};
INSTANTIATE_TEST_SUITE_P(Ports, DialogPortTest, ::testing::ValuesIn(kDialogPorts), CaseName());

TEST(CommPortTextTest, StopBitsAndAmplifierToggle) {
    EXPECT_EQ(toggleStopBits(1), 2);
    EXPECT_EQ(toggleStopBits(2), 1);
    EXPECT_EQ(stopBitsText(2), " 2 ");
    EXPECT_EQ(paOptionText(true), " On ");
    EXPECT_EQ(paOptionText(false), " Off ");
    EXPECT_EQ(stepOfDelta(-1), Step::Up);
    EXPECT_EQ(stepOfDelta(1), Step::Down);
}

TEST(CommPortTextTest, PortCfgLineNamesTheParity) {
    EXPECT_EQ(portCfgLine(2, 9600, kParityNone, 2), "Port Cfg: COM2, 9600, None, 2");
    EXPECT_EQ(portCfgLine(2, 9600, kParityOdd, 2), "Port Cfg: COM2, 9600, Odd, 2");
    EXPECT_EQ(portCfgLine(0, 4800, kParityNone, 1), "Port Cfg: None, 4800, None, 1");
}

TEST(DeviceLineTest, NamesTheDeviceAPortOpens) {
    TempDir dir;
    const std::filesystem::path present = dir.path() / "tty-present";
    std::ofstream(present).put('x');
    std::filesystem::create_symlink(present, dir.path() / "com2");
    std::filesystem::create_symlink(dir.path() / "gone", dir.path() / "com3");

    EXPECT_EQ(deviceLine(0, dir.path()), "Device: none");
    EXPECT_EQ(deviceLine(2, dir.path()), "Device: " + present.string());
    EXPECT_EQ(deviceLine(3, dir.path()),
              "Device: " + (dir.path() / "gone").string() + " (missing)");
    // No entry: the port's own device, which this machine may or may not have.
    const std::string line = deviceLine(18, dir.path());
    EXPECT_EQ(line.rfind("Device: /dev/ttyS17", 0), 0u) << line;
}

// What the COM page shows for stored values, and the notice for each it cannot offer.
struct ShownCase {
    const char* name;
    SettingRead<std::uint8_t> port;
    SettingRead<std::uint16_t> speed;
    SettingRead<std::uint8_t> parity;
    SettingRead<std::uint8_t> stopBits;
    int shownPort;
    int shownSpeed;
    int shownParity;
    int shownStopBits;
    const char* notices;
};
ROW_NAME(ShownCase, row.name);

constexpr auto kOk = SettingStatus::Ok;
constexpr auto kMissing = SettingStatus::Missing;
constexpr auto kBad = SettingStatus::Bad;

class CommPortShownTest : public ::testing::TestWithParam<ShownCase> {};

TEST_P(CommPortShownTest, ShowsStoredOrDefaultWithNotice) {
    const ShownCase& c = GetParam();
    const CommPortShown shown = showCommPort(c.port, c.speed, c.parity, c.stopBits);
    EXPECT_EQ(shown.port, c.shownPort);
    EXPECT_EQ(shown.speed, c.shownSpeed);
    EXPECT_EQ(shown.parity, c.shownParity);
    EXPECT_EQ(shown.stopBits, c.shownStopBits);
    EXPECT_EQ(shown.notices, c.notices);
}

const ShownCase kShown[] = {
    {"AllOffered", {kOk, 2}, {kOk, 9600}, {kOk, 2}, {kOk, 2}, 2, 9600, 2, 2, ""},
    {"PortZero", {kOk, 0}, {kOk, 4800}, {kOk, 0}, {kOk, 1}, 0, 4800, 0, 1, ""},
    {"PortAboveEighteen",
     {kOk, 42},
     {kOk, 4800},
     {kOk, 0},
     {kOk, 1},
     1,
     4800,
     0,
     1,
     "Stored Port 42 is not offered: COM1 will be saved.\n"},
    {"SpeedNotInTable",
     {kOk, 1},
     {kOk, 9601},
     {kOk, 0},
     {kOk, 1},
     1,
     4800,
     0,
     1,
     "Stored Speed 9601 is not offered: 4800 will be saved.\n"},
    {"SpeedUnreadable",
     {kOk, 1},
     {kBad, 0},
     {kOk, 0},
     {kOk, 1},
     1,
     4800,
     0,
     1,
     "Stored Speed could not be read: 4800 will be saved.\n"},
    {"ParitySeven",
     {kOk, 1},
     {kOk, 4800},
     {kOk, 7},
     {kOk, 1},
     1,
     4800,
     0,
     1,
     "Stored Parity 7 is not offered: None will be saved.\n"},
    {"StopBitFive",
     {kOk, 1},
     {kOk, 4800},
     {kOk, 0},
     {kOk, 5},
     1,
     4800,
     0,
     1,
     "Stored Stop bit 5 is not offered: 1 will be saved.\n"},
    {"StopBitZero",
     {kOk, 1},
     {kOk, 4800},
     {kOk, 0},
     {kOk, 0},
     1,
     4800,
     0,
     1,
     "Stored Stop bit 0 is not offered: 1 will be saved.\n"},
    {"AllMissing",
     {kMissing, 0},
     {kMissing, 0},
     {kMissing, 0},
     {kMissing, 0},
     1,
     4800,
     0,
     1,
     "Stored Port is missing: COM1 will be saved.\n"
     "Stored Speed is missing: 4800 will be saved.\n"
     "Stored Parity is missing: None will be saved.\n"
     "Stored Stop bit is missing: 1 will be saved.\n"},
};
INSTANTIATE_TEST_SUITE_P(Stored, CommPortShownTest, ::testing::ValuesIn(kShown), CaseName());

}  // namespace
