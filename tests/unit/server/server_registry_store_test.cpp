#include "server/server_registry_store.h"

#include "store_fixture.h"
#include "tests/support/row_names.h"

#include <QCoreApplication>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <thread>

namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

using brakton::BandEdgeTable;
using brakton::CServerRegistryStore;
using brakton::kBandCount;
using brakton::kDefaultApplicationColor;
using brakton::VfoFrequencyTable;

using Values = std::map<std::string, std::string>;

const Values kWindowSizeDefaults = {
    {"Window Size/Top Left", "0"},
    {"Window Size/Bottom Right", "41877983"},
};

const Values kCommPortDefaults = {
    {"Comm Port/Port", "1"},
    {"Comm Port/Speed", "4800"},
    {"Comm Port/Parity", "0"},
    {"Comm Port/Stop bit", "1"},
};

const Values kMainDefaults = {
    {"HomeDir", "C:\\Orvo"},  {"Callsign", "N0CALL"},     {"Name", "Nemo"},
    {"QTH", "Anytown, ST"},   {"Offset from UTC", "135"}, {"Log File Name", "Orvo.Log"},
    {"SW Logging Mode", "0"}, {"NS Host", "localhost"},   {"NS Port", "10000"},
};

Values merged(std::initializer_list<Values> parts) {
    Values all;
    for (const Values& part : parts) {
        all.insert(part.begin(), part.end());
    }
    return all;
}

Values bandDefaults() {
    const char* names[] = {"10M", "12M", "15M", "17M", "20M", "30M", "40M", "80M", "160M"};
    const BandEdgeTable bands = CServerRegistryStore::DefaultBandInfo();
    Values values;
    for (int band = 0; band < kBandCount; ++band) {
        const std::string prefix = std::string("HAM Band Info/") + names[band];
        values[prefix + " Low Band Edge"] = std::to_string(bands[band].lowEdge);
        values[prefix + " High Band Edge"] = std::to_string(bands[band].highEdge);
    }
    return values;
}

// ---------------------------------------------------------------------------------------------
// The first call on an empty folder.

struct FirstCallCase {
    const char* name;
    std::function<void(CServerRegistryStore&)> callAndCheck;
    std::function<Values()> expectedFile;  // every value the file holds afterwards
};
ROW_NAME(FirstCallCase, row.name);

class FirstCallTest : public StoreFixture, public ::testing::WithParamInterface<FirstCallCase> {};

TEST_P(FirstCallTest, ReturnsDefaultsAndWritesOnlyItsPart) {
    CServerRegistryStore store;
    GetParam().callAndCheck(store);
    const Values expected = GetParam().expectedFile();
    if (expected.empty()) {
        EXPECT_FALSE(std::filesystem::exists(iniPath()));
    } else {
        EXPECT_EQ(settingsFileValues(), expected);
    }
    EXPECT_THAT(messages(), IsEmpty());
}

const FirstCallCase kFirstCallCases[] = {
    {"ReadOperatorInfo",
     [](CServerRegistryStore& store) {
         std::string homeDir, callsign, name, qth, logFile;
         std::uint8_t utcOffset = 1, loggingMode = 1;
         EXPECT_TRUE(
             store.ReadOperatorInfo(homeDir, callsign, name, qth, utcOffset, logFile, loggingMode));
         EXPECT_EQ(homeDir, "C:\\Orvo");
         EXPECT_EQ(callsign, "N0CALL");
         EXPECT_EQ(name, "Nemo");
         EXPECT_EQ(qth, "Anytown, ST");
         EXPECT_EQ(utcOffset, 0x87);
         EXPECT_EQ(logFile, "Orvo.Log");
         EXPECT_EQ(loggingMode, 0);
     },
     [] {
         return merged({kMainDefaults, kWindowSizeDefaults, kCommPortDefaults});
     }},
    {"ReadCommPort",
     [](CServerRegistryStore& store) {
         std::uint8_t port = 9, parity = 9, stopBits = 9;
         std::uint16_t speed = 9;
         EXPECT_TRUE(store.ReadCommPort(port, speed, parity, stopBits));
         EXPECT_EQ(port, 0);  // stored as 1, but this start opens no port
         EXPECT_EQ(speed, 4800);
         EXPECT_EQ(parity, 0);
         EXPECT_EQ(stopBits, 1);
     },
     [] { return kCommPortDefaults; }},
    {"ReadWindowRect",
     [](CServerRegistryStore& store) {
         int left = 5, top = 5, right = 5, bottom = 5;
         EXPECT_TRUE(store.ReadWindowRect(left, top, right, bottom));
         EXPECT_EQ(std::vector<int>({left, top, right, bottom}),
                   std::vector<int>({0, 0, 639, 479}));
     },
     [] { return Values{}; }},
    {"ReadBandInfo",
     [](CServerRegistryStore& store) {
         BandEdgeTable bands{};
         EXPECT_TRUE(store.ReadBandInfo(bands));
         const char* labels[] = {"  10M", "  12M", "  15M", "  17M", "  20M",
                                 "  30M", "  40M", "  80M", "  160M"};
         for (int band = 0; band < kBandCount; ++band) {
             EXPECT_STREQ(bands[band].label, labels[band]);
             EXPECT_EQ(bands[band].bandIndex, band);
         }
         EXPECT_EQ(bands[0].lowEdge, 28000000u);
         EXPECT_EQ(bands[8].highEdge, 2000000u);
     },
     bandDefaults},
};

INSTANTIATE_TEST_SUITE_P(EmptyFolder, FirstCallTest, ::testing::ValuesIn(kFirstCallCases),
                         CaseName());

// ---------------------------------------------------------------------------------------------
// Missing values and groups.

class StoreTest : public StoreFixture {
  protected:
    void createDefaults() {
        m_store.CreateDefaults();
        ASSERT_TRUE(std::filesystem::exists(iniPath()));
    }

    CServerRegistryStore m_store;
};

TEST_F(StoreTest, MissingMainValueIsWrittenBackSilently) {
    createDefaults();
    setSettingValue("NS Port", "2809");
    removeSettingValue("NS Port");

    std::string host;
    std::uint32_t port = 1;
    m_store.ReadNameService(host, port);
    EXPECT_EQ(host, "localhost");
    EXPECT_EQ(port, 10000u);
    EXPECT_EQ(settingsFileValues().at("NS Port"), "10000");
    EXPECT_THAT(messages(), IsEmpty());
}

TEST_F(StoreTest, MissingBandValueLeavesTheCallersField) {
    BandEdgeTable bands{};
    m_store.ReadBandInfo(bands);
    removeSettingValue("HAM Band Info/40M High Band Edge");

    bands[6].highEdge = 12345;
    bands[6].lowEdge = 0;
    m_store.ReadBandInfo(bands);
    EXPECT_EQ(bands[6].highEdge, 12345u);
    EXPECT_EQ(bands[6].lowEdge, 7000000u);
    EXPECT_EQ(settingsFileValues().count("HAM Band Info/40M High Band Edge"), 0u);
}

TEST_F(StoreTest, MissingVfoGroupIsWrittenWhole) {
    createDefaults();
    VfoFrequencyTable vfos{};
    EXPECT_TRUE(m_store.ReadVFOFrequencies(vfos));
    EXPECT_EQ(vfos, CServerRegistryStore::DefaultVFOFrequencies());

    int written = 0;
    for (const auto& [key, value] : settingsFileValues()) {
        written += key.rfind("VFO Frequencies/", 0) == 0 ? 1 : 0;
    }
    EXPECT_EQ(written, 18);
    EXPECT_EQ(settingsFileValues().at("VFO Frequencies/160M VFOB Freq"), "1810000");
    EXPECT_THAT(messages(), IsEmpty());
}

TEST_F(StoreTest, WritersCreateTheirGroupAndReadBack) {
    VfoFrequencyTable vfos = CServerRegistryStore::DefaultVFOFrequencies();
    vfos[4] = {14025000, 14070000};
    EXPECT_TRUE(m_store.WriteVFOFrequencies(vfos));

    VfoFrequencyTable read{};
    m_store.ReadVFOFrequencies(read);
    EXPECT_EQ(read, vfos);

    // A deleted "Window Size" group does not stop the rectangle from being saved.
    createDefaults();
    removeSettingValue("Window Size");
    EXPECT_TRUE(m_store.WriteWindowRect(10, 20, 810, 620));
    int left = 0, top = 0, right = 0, bottom = 0;
    EXPECT_TRUE(m_store.ReadWindowRect(left, top, right, bottom));
    EXPECT_EQ(std::vector<int>({left, top, right, bottom}), std::vector<int>({10, 20, 810, 620}));
}

TEST_F(StoreTest, PaOptionReadsAnyNonZeroAsFittedAndWritesOne) {
    createDefaults();
    setSettingValue("PA Option", "2");
    bool fitted = false;
    m_store.ReadPAOption(fitted);
    EXPECT_TRUE(fitted);
    EXPECT_TRUE(m_store.WritePAOption(fitted));
    EXPECT_EQ(settingsFileValues().at("PA Option"), "1");
}

TEST_F(StoreTest, CommPortRoundTrip) {
    EXPECT_TRUE(m_store.WriteCommPort(3, 9600, 2, 2));
    std::uint8_t port = 0, parity = 0, stopBits = 0;
    std::uint16_t speed = 0;
    m_store.ReadCommPort(port, speed, parity, stopBits);
    EXPECT_EQ(port, 3);
    EXPECT_EQ(speed, 9600);
    EXPECT_EQ(parity, 2);
    EXPECT_EQ(stopBits, 2);
}

// ---------------------------------------------------------------------------------------------
// Bad values: each shows exactly its message (or none), keeps the output and reads on.

// A complete file whose values all differ from the defaults, so that a value read from the
// file is told apart from a default.
const char* const kStoredMain[][2] = {
    {"HomeDir", "D:\\\\Radio"},
    {"Callsign", "K1ABC"},
    {"Name", "Alice"},
    {"QTH", "Springfield"},
    {"Log%20File%20Name", "k2.log"},
    {"Offset%20from%20UTC", "5"},
    {"SW%20Logging%20Mode", "131"},
    {"NS%20Host", "ns.example"},
    {"NS%20Port", "2809"},
    {"Audio%20Host%20Command%20Name", "audio"},
    {"Audio%20Streaming%20Host", "1"},
    {"PA%20Option", "1"},
    {"Application%20Color", "255"},
};

std::string storedFile(const std::string& rawKey, const std::string& rawValue) {
    std::string text = "[General]\n";
    for (const auto& entry : kStoredMain) {
        text += entry[0];
        text += '=';
        text += rawKey == entry[0] ? rawValue : entry[1];
        text += '\n';
    }
    const std::string port = rawKey == "Comm%20Port/Port" ? rawValue : "3";
    text += "\n[Comm%20Port]\nPort=" + port + "\nSpeed=9600\nParity=0\nStop%20bit=1\n";
    return text;
}

struct BadValueCase {
    const char* name;
    const char* rawKey;
    std::string rawValue;
    const char* message;  // nullptr: no message
    std::function<void(CServerRegistryStore&)> check;
};
ROW_NAME(BadValueCase, row.name);

class BadValueTest : public StoreFixture, public ::testing::WithParamInterface<BadValueCase> {};

TEST_P(BadValueTest, ShowsItsMessageKeepsOutputAndReadsOn) {
    writeIni(storedFile(GetParam().rawKey, GetParam().rawValue));
    CServerRegistryStore store;
    GetParam().check(store);
    if (GetParam().message == nullptr) {
        EXPECT_THAT(messages(), IsEmpty());
    } else {
        EXPECT_THAT(messages(), ElementsAre(std::string("error\t") + GetParam().message));
    }
}

struct OperatorInfo {
    std::string homeDir = "keep", callsign = "keep", name = "keep", qth = "keep", logFile = "keep";
    std::uint8_t utcOffset = 77, loggingMode = 77;

    void read(CServerRegistryStore& store) {
        EXPECT_TRUE(
            store.ReadOperatorInfo(homeDir, callsign, name, qth, utcOffset, logFile, loggingMode));
    }
};

const BadValueCase kBadValueCases[] = {
    {"Callsign80", "Callsign", std::string(80, 'K'), "Unable to Read Operator Callsign!",
     [](CServerRegistryStore& store) {
         OperatorInfo info;
         info.read(store);
         EXPECT_EQ(info.callsign, "keep");
         EXPECT_EQ(info.name, "Alice");
         EXPECT_EQ(info.loggingMode, 131);
     }},
    {"Callsign79", "Callsign", std::string(79, 'K'), nullptr,
     [](CServerRegistryStore& store) {
         OperatorInfo info;
         info.read(store);
         EXPECT_EQ(info.callsign, std::string(79, 'K'));
     }},
    {"NsPortNotANumber", "NS%20Port", "abc", "Unable to Read Name Service Port!",
     [](CServerRegistryStore& store) {
         std::string host = "keep";
         std::uint32_t port = 4242;
         store.ReadNameService(host, port);
         EXPECT_EQ(host, "ns.example");
         EXPECT_EQ(port, 4242u);
     }},
    {"NsPortHexadecimal", "NS%20Port", "0x2710", nullptr,
     [](CServerRegistryStore& store) {
         std::string host;
         std::uint32_t port = 0;
         store.ReadNameService(host, port);
         EXPECT_EQ(port, 10000u);
     }},
    {"UtcOffsetOutOfByteRange", "Offset%20from%20UTC", "300", "Unable to Read Operator Timezone!",
     [](CServerRegistryStore& store) {
         OperatorInfo info;
         info.read(store);
         EXPECT_EQ(info.utcOffset, 77);
         EXPECT_EQ(info.loggingMode, 131);
     }},
    {"UnquotedQthWithComma", "QTH", "Anytown, ST", nullptr,
     [](CServerRegistryStore& store) {
         OperatorInfo info;
         info.read(store);
         EXPECT_EQ(info.qth, "Anytown, ST");
     }},
    {"HomeDir80", "HomeDir", std::string(80, 'h'), "Unable to Read Orvo Home Directory!",
     [](CServerRegistryStore& store) {
         std::string homeDir = "keep";
         EXPECT_FALSE(store.ReadHomeDir(homeDir));
         EXPECT_EQ(homeDir, "keep");
     }},
    {"CommPortOutOfByteRange", "Comm%20Port/Port", "300", nullptr,
     [](CServerRegistryStore& store) {
         std::uint8_t port = 7, parity = 9, stopBits = 9;
         std::uint16_t speed = 0;
         store.ReadCommPort(port, speed, parity, stopBits);
         EXPECT_EQ(port, 7);
         EXPECT_EQ(speed, 9600);
     }},
    {"PaOptionNotANumber", "PA%20Option", "x", nullptr,
     [](CServerRegistryStore& store) {
         bool fitted = true;
         store.ReadPAOption(fitted);
         EXPECT_FALSE(fitted);
     }},
    {"ApplicationColorNotANumber", "Application%20Color", "x", nullptr,
     [](CServerRegistryStore& store) {
         std::uint32_t color = 0;
         store.ReadApplicationColor(color);
         EXPECT_EQ(color, kDefaultApplicationColor);
         EXPECT_EQ(settingsFileValues().at("Application Color"),
                   std::to_string(kDefaultApplicationColor));
     }},
    {"LoggingModeNegative", "SW%20Logging%20Mode", "-1", "Unable to Read Software Logging Mode!",
     [](CServerRegistryStore& store) {
         std::uint8_t mode = 0x42;
         store.ReadSWLoggingMode(mode);
         EXPECT_EQ(mode, 0x42);
     }},
};

INSTANTIATE_TEST_SUITE_P(StoredFile, BadValueTest, ::testing::ValuesIn(kBadValueCases), CaseName());

TEST_F(StoreTest, GarbageFileNeverCrashesTheStore) {
    writeIni(
        "[General\n=\n\x01\x02\xff\xfe=@Variant(\\0\\0\\0\\x7f)\nHomeDir=@ByteArray(x)\n"
        "[Window%20Size]\nTop%20Left=@Point(1 2)\nBottom%20Right=99999999999999\n"
        "[Comm%20Port]\nSpeed=65536\nPort=1,2\n");
    OperatorInfo info;
    info.read(m_store);
    EXPECT_EQ(info.homeDir, "keep");
    int left = 1, top = 1, right = 1, bottom = 1;
    EXPECT_FALSE(m_store.ReadWindowRect(left, top, right, bottom));
    std::uint8_t port = 7, parity = 0, stopBits = 0;
    std::uint16_t speed = 1200;
    m_store.ReadCommPort(port, speed, parity, stopBits);
    EXPECT_EQ(port, 7);
    EXPECT_EQ(speed, 1200);

    // Qt reports a format error for the stray lines, yet the write reaches the file.
    EXPECT_TRUE(m_store.WriteCommPort(2, 9600, 0, 1));
    m_store.ReadCommPort(port, speed, parity, stopBits);
    EXPECT_EQ(port, 2);
    EXPECT_EQ(speed, 9600);
}

// ---------------------------------------------------------------------------------------------
// The window rectangle: each coordinate a signed 16-bit half.

struct RectCase {
    const char* name;
    int written[4];
    const char* topLeft;  // stored values
    const char* bottomRight;
    int readBack[4];
};
ROW_NAME(RectCase, row.name);

class RectTest : public StoreFixture, public ::testing::WithParamInterface<RectCase> {};

TEST_P(RectTest, StoresAndReadsBack) {
    const RectCase& c = GetParam();
    CServerRegistryStore store;
    EXPECT_TRUE(store.WriteWindowRect(c.written[0], c.written[1], c.written[2], c.written[3]));
    EXPECT_EQ(settingsFileValues().at("Window Size/Top Left"), c.topLeft);
    EXPECT_EQ(settingsFileValues().at("Window Size/Bottom Right"), c.bottomRight);
    int r[4] = {};
    EXPECT_TRUE(store.ReadWindowRect(r[0], r[1], r[2], r[3]));
    EXPECT_EQ(std::vector<int>(r, r + 4), std::vector<int>(c.readBack, c.readBack + 4));
}

const RectCase kRectCases[] = {
    {"Default", {0, 0, 639, 479}, "0", "41877983", {0, 0, 639, 479}},
    {"LeftOfThePrimaryMonitor", {-10, -5, 629, 474}, "4294377467", "41222618", {-10, -5, 629, 474}},
    {"Width1000", {0, 0, 1000, 479}, "0", "65536479", {0, 0, 1000, 479}},
    {"NegativeWidth1000", {-1000, 0, 0, 479}, "4229431296", "479", {-1000, 0, 0, 479}},
    {"Width1001", {0, 0, 1001, 479}, "0", "41877983", {0, 0, 639, 479}},
};

INSTANTIATE_TEST_SUITE_P(Window, RectTest, ::testing::ValuesIn(kRectCases), CaseName());

TEST_F(StoreTest, UnreadableTopLeftCountsAsZero) {
    for (const char* topLeft : {"", "abc"}) {
        SCOPED_TRACE(topLeft);
        m_store.WriteWindowRect(10, 20, 300, 400);
        if (*topLeft == '\0') {
            removeSettingValue("Window Size/Top Left");
        } else {
            setSettingValue("Window Size/Top Left", topLeft);
        }
        int left = 1, top = 1, right = 0, bottom = 0;
        EXPECT_TRUE(m_store.ReadWindowRect(left, top, right, bottom));
        EXPECT_EQ(std::vector<int>({left, top, right, bottom}), std::vector<int>({0, 0, 300, 400}));
    }
}

// ---------------------------------------------------------------------------------------------
// Writing.

TEST_F(StoreTest, UnwritableFolderShowsOnlyTheCreationMessage) {
    // A regular file where the folder should be makes every write fail, even as root.
    std::filesystem::create_directories(m_configDir);
    std::ofstream(m_configDir / "N0CALL Software") << "blocker";

    OperatorInfo info;
    info.read(m_store);
    EXPECT_EQ(info.homeDir, "C:\\Orvo");
    EXPECT_EQ(info.callsign, "N0CALL");
    EXPECT_EQ(info.utcOffset, 0x87);
    EXPECT_THAT(messages(), ElementsAre("error\tUnable to Create Main Orvo Registry!"));

    EXPECT_FALSE(m_store.WriteCommPort(1, 4800, 0, 1));
    EXPECT_FALSE(m_store.WriteVFOFrequencies(CServerRegistryStore::DefaultVFOFrequencies()));
}

TEST_F(StoreTest, LongTextsAreCutSoTheyStayReadable) {
    createDefaults();
    const std::string qth85 = std::string(75, 'q') + "0123456789";
    EXPECT_TRUE(
        m_store.WriteOperatorInfo("C:\\Orvo", "N0CALL", "Nemo", qth85, 0x87, "Orvo.Log", 0));
    OperatorInfo info;
    info.read(m_store);
    EXPECT_EQ(info.qth, qth85.substr(0, 79));

    // "é" is two bytes; at bytes 78-79 it would be split by a plain cut at 79.
    const std::string accented = std::string(78, 'n') + "\xC3\xA9" + "xyz";
    EXPECT_TRUE(m_store.WriteOperatorInfo("C:\\Orvo", "N0CALL", accented, "Anytown, ST", 0x87,
                                          "Orvo.Log", 0));
    info.read(m_store);
    EXPECT_EQ(info.name, std::string(78, 'n'));
    EXPECT_THAT(messages(), IsEmpty());
}

// ---------------------------------------------------------------------------------------------
// Messages from other threads.

TEST_F(StoreTest, MessageFromAnotherThreadWaitsForTheGuiLoop) {
    static int argc = 1;
    static char arg0[] = "server_registry_store_test";
    static char* argv[] = {arg0, nullptr};
    static QCoreApplication app(argc, argv);

    createDefaults();
    setSettingValue("SW Logging Mode", "bad");

    std::uint8_t mode = 0x42;
    std::thread radio([&] { m_store.ReadSWLoggingMode(mode); });
    radio.join();  // returned although no GUI loop runs
    EXPECT_EQ(mode, 0x42);
    EXPECT_THAT(messages(), IsEmpty());

    QCoreApplication::processEvents();
    EXPECT_THAT(messages(), ElementsAre("error\tUnable to Read Software Logging Mode!"));
}

}  // namespace
