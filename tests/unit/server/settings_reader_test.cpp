#include "platform/settings_reader.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "store_fixture.h"

namespace {

class SettingsReaderTest : public StoreFixture {
  protected:
    SettingsReader reader() const {
        return SettingsReader(QStringLiteral("N0CALL Software"), QStringLiteral("Rig Control"));
    }
    std::string fileBytes() const {
        std::ifstream in(iniPath(), std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
};

// Each kind of value read, missing and unreadable; reading changes nothing in the file.
TEST_F(SettingsReaderTest, ReportsEachValuesStatusAndWritesNothing) {
    writeIni("[General]\nCallsign=K1ABC\nQTH=" + std::string(80, 'q') +
             "\nNS%20Port=0x2710\n"
             "Offset%20from%20UTC=300\n[Comm%20Port]\nPort=2\nSpeed=abc\nStop%20bit=2\n");
    const std::string before = fileBytes();
    {
        const SettingsReader r = reader();
        EXPECT_EQ(r.text({}, QStringLiteral("Callsign")).status, SettingStatus::Ok);
        EXPECT_EQ(r.text({}, QStringLiteral("Callsign")).value, "K1ABC");
        EXPECT_EQ(r.text({}, QStringLiteral("QTH")).status, SettingStatus::Bad);
        EXPECT_EQ(r.text({}, QStringLiteral("Name")).status, SettingStatus::Missing);
        EXPECT_EQ(r.dword({}, QStringLiteral("NS Port")).value, 10000u);
        EXPECT_EQ(r.byte({}, QStringLiteral("Offset from UTC")).status, SettingStatus::Bad);
        EXPECT_EQ(r.byte(QStringLiteral("Comm Port"), QStringLiteral("Port")).value, 2);
        EXPECT_EQ(r.word(QStringLiteral("Comm Port"), QStringLiteral("Speed")).status,
                  SettingStatus::Bad);
        EXPECT_EQ(r.byte(QStringLiteral("Comm Port"), QStringLiteral("Parity")).status,
                  SettingStatus::Missing);
    }
    EXPECT_EQ(fileBytes(), before);
}

TEST_F(SettingsReaderTest, NoFileStaysNoFile) {
    {
        const SettingsReader r = reader();
        EXPECT_EQ(r.text({}, QStringLiteral("HomeDir")).status, SettingStatus::Missing);
        EXPECT_EQ(r.word(QStringLiteral("Comm Port"), QStringLiteral("Speed")).status,
                  SettingStatus::Missing);
    }
    EXPECT_FALSE(std::filesystem::exists(iniPath()));
    EXPECT_FALSE(std::filesystem::exists(m_configDir));
}

// A settings file that cannot be read at all does not pass for an empty one.
TEST_F(SettingsReaderTest, UnreadableFileMakesEveryValueUnreadable) {
    std::filesystem::create_directories(iniPath());  // a folder where the file should be
    const SettingsReader r = reader();
    EXPECT_EQ(r.text({}, QStringLiteral("Callsign")).status, SettingStatus::Bad);
    EXPECT_EQ(r.byte(QStringLiteral("Comm Port"), QStringLiteral("Port")).status,
              SettingStatus::Bad);
}

}  // namespace
