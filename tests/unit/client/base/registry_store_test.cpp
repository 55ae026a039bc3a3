#include "client/base/registry_store.h"

#include "client_store_fixture.h"
#include "tests/support/row_names.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <climits>
#include <cstdlib>
#include <functional>
#include <thread>

#include "tests/support/band_table.h"

namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

using pelorin::CRegistryStore;
using pelorin::kTuningRangeCount;
using pelorin::TransmitMemoryKeys;
using pelorin::TUNING_RANGE_ENTRY;
using pelorin::TuningRangeTable;

const SettingValues kRootDefaults = {
    {"HomeDir", "C:\\Orvo"},  {"Callsign", "N0CALL"},     {"Name", "Nemo"},
    {"QTH", "Anytown, ST"},   {"Offset from UTC", "135"}, {"Log File Name", "Orvo.Log"},
    {"SW Logging Mode", "0"}, {"NS Host", "localhost"},   {"NS Port", "10000"},
};

const SettingValues kWindowSizeDefaults = {
    {"Window Size/Top Left", "0"},
    {"Window Size/Bottom Right", "41877983"},
};

SettingValues merged(std::initializer_list<SettingValues> parts) {
    SettingValues all;
    for (const SettingValues& part : parts) {
        all.insert(part.begin(), part.end());
    }
    return all;
}

std::string error(const std::string& text) {
    return "error\t" + text;
}

std::string rectText(int left, int top, int right, int bottom) {
    return std::to_string(left) + "," + std::to_string(top) + "," + std::to_string(right) + "," +
           std::to_string(bottom);
}

// Creates the file with its first-run defaults, as the program's first read does.
void createDefaults(CRegistryStore& store) {
    std::string home, call, name, qth, logFile;
    std::uint8_t offset = 0, mode = 0;
    store.ReadOperatorInfo(home, call, name, qth, offset, logFile, mode);
}

// ---------------------------------------------------------------------------------------------
// The first call on an empty folder: what it returns and what the file holds afterwards.

struct FirstRunCase {
    const char* name;
    // Calls one reader with outputs preset to odd values; returns the outputs as text.
    std::function<std::string(CRegistryStore&)> call;
    std::string outputs;
    SettingValues file;  // every value the file holds afterwards; empty: no file at all
};
ROW_NAME(FirstRunCase, row.name);

const FirstRunCase kFirstRunCases[] = {
    {"OperatorInfo",
     [](CRegistryStore& store) {
         std::string home = "h", call = "c", name = "n", qth = "q", logFile = "l";
         std::uint8_t offset = 1, mode = 1;
         EXPECT_TRUE(store.ReadOperatorInfo(home, call, name, qth, offset, logFile, mode));
         std::string slot1, slot2, slot3;
         store.GetStringSlot(1, slot1);
         store.GetStringSlot(2, slot2);
         store.GetStringSlot(3, slot3);
         return home + "|" + call + "|" + name + "|" + qth + "|" + std::to_string(offset) + "|" +
                logFile + "|" + std::to_string(mode) + "|slots " + slot1 + "|" + slot2 + "|" +
                slot3;
     },
     "C:\\Orvo|N0CALL|Nemo|Anytown, ST|135|Orvo.Log|0|slots N0CALL|Nemo|Anytown, ST",
     merged({kRootDefaults, kWindowSizeDefaults})},
    // Use UTC reads 0 here although its stored default is 1.
    {"UtcSettings",
     [](CRegistryStore& store) {
         int useUtc = 5;
         std::uint8_t offset = 1;
         EXPECT_TRUE(store.ReadUtcSettings(useUtc, offset));
         return std::to_string(useUtc) + "|" + std::to_string(offset);
     },
     "0|135", merged({kRootDefaults, kWindowSizeDefaults})},
    // The Use UTC flag is left as the caller had it.
    {"QsoLogInfo",
     [](CRegistryStore& store) {
         std::string grid = "g", cq = "c", itu = "i";
         int counter = 9, outputMode = 9, useUtc = 7;
         EXPECT_TRUE(store.ReadQsoLogInfo(grid, cq, itu, counter, outputMode, useUtc));
         return grid + "|" + cq + "|" + itu + "|" + std::to_string(counter) + "|" +
                std::to_string(outputMode) + "|" + std::to_string(useUtc);
     },
     "AA00aa|3|6|1|0|7", merged({kRootDefaults, kWindowSizeDefaults})},
    {"NameService",
     [](CRegistryStore& store) {
         std::string host = "h";
         int port = 1;
         EXPECT_TRUE(store.ReadNameService(host, port));
         return host + "|" + std::to_string(port);
     },
     "localhost|10000", merged({kRootDefaults, kWindowSizeDefaults})},
    {"AudioHost",
     [](CRegistryStore& store) {
         int enabled = 5;
         std::string command = "x";
         EXPECT_TRUE(store.ReadAudioHost(enabled, command));
         return std::to_string(enabled) + "|" + command;
     },
     "0|SpeakFre.exe", merged({kRootDefaults, kWindowSizeDefaults})},
    {"CurrentLogFileName",
     [](CRegistryStore& store) {
         std::string fileName = "x";
         EXPECT_TRUE(store.ReadCurrentLogFileName(fileName));
         return fileName;
     },
     "Orvo.QSO.Log", merged({kRootDefaults, kWindowSizeDefaults})},
    {"WindowRectWritesNothing",
     [](CRegistryStore& store) {
         int left = 1, top = 1, right = 1, bottom = 1;
         EXPECT_TRUE(store.ReadWindowRect(left, top, right, bottom));
         return rectText(left, top, right, bottom);
     },
     "0,0,639,479",
     {}},
    {"ApplicationColor",
     [](CRegistryStore& store) {
         std::uint32_t color = 1;
         EXPECT_TRUE(store.ReadApplicationColor(color));
         return std::to_string(color);
     },
     "14661760",
     {{"Application Color", "14661760"}}},
    {"QsoLoggingMode",
     [](CRegistryStore& store) {
         int mode = 5;
         EXPECT_TRUE(store.ReadQsoLoggingMode(mode));
         return std::to_string(mode);
     },
     "0",
     {{"QSO Logging Mode", "0"}}},
    {"WindowsMoveTogether",
     [](CRegistryStore& store) {
         int flag = 5;
         EXPECT_TRUE(store.ReadWindowsMoveTogether(flag));
         return std::to_string(flag);
     },
     "1",
     {{"Window Size/Windows Move Together", "1"}}},
    {"TransmitMemoryKeys",
     [](CRegistryStore& store) {
         TransmitMemoryKeys texts;
         texts.fill("old");
         EXPECT_TRUE(store.ReadTransmitMemoryKeys(texts));
         std::string all;
         for (const std::string& text : texts) {
             all += "[" + text + "]";
         }
         return all;
     },
     "[][][][][][][][][][][]",
     {{"Transmit Memory Keys/F1", ""},
      {"Transmit Memory Keys/F2", ""},
      {"Transmit Memory Keys/F3", ""},
      {"Transmit Memory Keys/F4", ""},
      {"Transmit Memory Keys/F5", ""},
      {"Transmit Memory Keys/F6", ""},
      {"Transmit Memory Keys/F7", ""},
      {"Transmit Memory Keys/F8", ""},
      {"Transmit Memory Keys/F9", ""},
      {"Transmit Memory Keys/F10", ""},
      {"Transmit Memory Keys/F11", ""}}},
    {"SelectedTuningRange",
     [](CRegistryStore& store) {
         int index = 2;
         EXPECT_TRUE(store.ReadSelectedTuningRange(index));
         return std::to_string(index);
     },
     "0",
     {{"Settings/Selected Tuning Range", "0"}}},
    {"ScanLimits",
     [](CRegistryStore& store) {
         int low = 5, high = 6;
         EXPECT_TRUE(store.ReadScanLimits(low, high));
         return std::to_string(low) + "|" + std::to_string(high);
     },
     "0|0",
     {{"Settings/Scan Low Limit", "0"}, {"Settings/Scan High Limit", "0"}}},
    {"CounterSettings",
     [](CRegistryStore& store) {
         int counter = 9, outputMode = 9;
         EXPECT_TRUE(store.ReadCounterSettings(counter, outputMode));
         return std::to_string(counter) + "|" + std::to_string(outputMode);
     },
     "1|0",
     {{"Settings/Counter Value", "1"}, {"Settings/Output Mode", "0"}}},
};

class FirstRunTest : public ClientStoreFixture,
                     public ::testing::WithParamInterface<FirstRunCase> {};

TEST_P(FirstRunTest, ReturnsDefaultsAndWritesItsPart) {
    CRegistryStore store;
    EXPECT_EQ(GetParam().call(store), GetParam().outputs);
    if (GetParam().file.empty()) {
        EXPECT_FALSE(std::filesystem::exists(iniPath()));
    } else {
        EXPECT_EQ(pelorinFileValues(), GetParam().file);
    }
    EXPECT_THAT(messages(), IsEmpty());
}

INSTANTIATE_TEST_SUITE_P(EmptyFolder, FirstRunTest, ::testing::ValuesIn(kFirstRunCases),
                         CaseName());

// ---------------------------------------------------------------------------------------------
// Values missing from an existing file come back with their defaults, silently.

struct MissingValueCase {
    const char* name;
    const char* removed;
    std::function<std::string(CRegistryStore&)> call;
    std::string output;
    SettingValues written;  // values the file holds afterwards, among others
};
ROW_NAME(MissingValueCase, row.name);

const MissingValueCase kMissingValueCases[] = {
    {"NsPort",
     "NS Port",
     [](CRegistryStore& store) {
         std::string host;
         int port = 1;
         store.ReadNameService(host, port);
         return std::to_string(port);
     },
     "10000",
     {{"NS Port", "10000"}}},
    {"Callsign",
     "Callsign",
     [](CRegistryStore& store) {
         std::string home, call = "x", name, qth, logFile;
         std::uint8_t offset = 0, mode = 0;
         store.ReadOperatorInfo(home, call, name, qth, offset, logFile, mode);
         return call;
     },
     "N0CALL",
     {{"Callsign", "N0CALL"}}},
    {"UseUtcHasItsStoredDefault",
     "Use UTC in Log",
     [](CRegistryStore& store) {
         int useUtc = 5;
         std::uint8_t offset = 0;
         store.ReadUtcSettings(useUtc, offset);
         return std::to_string(useUtc);
     },
     "1",
     {{"Use UTC in Log", "1"}}},
    // Not among the nine first-run values: the first read writes both.
    {"AudioHostValues",
     "Audio Streaming Host",
     [](CRegistryStore& store) {
         int enabled = 5;
         std::string command;
         store.ReadAudioHost(enabled, command);
         return std::to_string(enabled) + "|" + command;
     },
     "0|SpeakFre.exe",
     {{"Audio Streaming Host", "0"}, {"Audio Host Command Name", "SpeakFre.exe"}}},
    {"QsoLogTexts",
     "GridSquare",
     [](CRegistryStore& store) {
         std::string grid, cq, itu;
         int counter = 0, outputMode = 0, useUtc = 0;
         store.ReadQsoLogInfo(grid, cq, itu, counter, outputMode, useUtc);
         return grid + "|" + cq + "|" + itu + "|" + std::to_string(counter);
     },
     "AA00aa|3|6|1",
     {{"GridSquare", "AA00aa"},
      {"CQ Zone", "3"},
      {"ITU Zone", "6"},
      {"Use UTC in Log", "1"},
      {"Settings/Counter Value", "1"},
      {"Settings/Output Mode", "0"}}},
    {"WindowsMoveTogetherInAnExistingGroup", "Window Size/Windows Move Together",
     [](CRegistryStore& store) {
         int flag = 0;
         store.ReadWindowsMoveTogether(flag);
         return std::to_string(flag);
     },
     "1", merged({kWindowSizeDefaults, {{"Window Size/Windows Move Together", "1"}}})},
};

class MissingValueTest : public ClientStoreFixture,
                         public ::testing::WithParamInterface<MissingValueCase> {};

TEST_P(MissingValueTest, IsWrittenBackWithItsDefault) {
    CRegistryStore store;
    createDefaults(store);
    removePelorinValue(GetParam().removed);

    EXPECT_EQ(GetParam().call(store), GetParam().output);

    const SettingValues file = pelorinFileValues();
    for (const auto& [key, value] : GetParam().written) {
        EXPECT_EQ(file.count(key) ? file.at(key) : "<missing>", value) << key;
    }
    EXPECT_THAT(messages(), IsEmpty());
}

INSTANTIATE_TEST_SUITE_P(ExistingFile, MissingValueTest, ::testing::ValuesIn(kMissingValueCases),
                         CaseName());

// ---------------------------------------------------------------------------------------------
// Unreadable values: exactly their message (or none), the output kept or defaulted as the store
// rules say, and the reading goes on with the next value.

const std::string k80 = std::string(80, 'A');
const std::string k79 = std::string(79, 'A');

struct BadValueCase {
    const char* name;
    SettingValues stored;  // set after the first-run defaults
    std::function<std::string(CRegistryStore&)> call;
    std::string outputs;
    std::vector<std::string> messages;  // message texts, in order
    SettingValues fileAfter;            // values that must hold afterwards (kept or rewritten)
};
ROW_NAME(BadValueCase, row.name);

std::string readCounterSettings(CRegistryStore& store) {
    int counter = 9, outputMode = 9;
    const bool read = store.ReadCounterSettings(counter, outputMode);
    return std::string(read ? "true" : "false") + "|" + std::to_string(counter) + "|" +
           std::to_string(outputMode);
}

std::string readNameService(CRegistryStore& store) {
    std::string host = "kept-host";
    int port = 1234;
    store.ReadNameService(host, port);
    return host + "|" + std::to_string(port);
}

std::string readOperatorInfo(CRegistryStore& store) {
    std::string home = "kept-home", call = "KEPT", name = "kept-name", qth = "kept-qth",
                logFile = "kept-log";
    std::uint8_t offset = 5, mode = 6;
    store.ReadOperatorInfo(home, call, name, qth, offset, logFile, mode);
    std::string slot1;
    store.GetStringSlot(1, slot1);
    return home + "|" + call + "|" + name + "|" + qth + "|" + std::to_string(offset) + "|" +
           logFile + "|" + std::to_string(mode) + "|slot1 " + slot1;
}

std::string readAudioHost(CRegistryStore& store) {
    int enabled = 7;
    std::string command = "kept";
    store.ReadAudioHost(enabled, command);
    return std::to_string(enabled) + "|" + command;
}

std::string readQsoLoggingMode(CRegistryStore& store) {
    int mode = 5;
    store.ReadQsoLoggingMode(mode);
    return std::to_string(mode);
}

const BadValueCase kBadValueCases[] = {
    {"NsPortNotANumber",
     {{"NS Port", "abc"}, {"NS Host", "radio.example"}},
     readNameService,
     "radio.example|1234",
     {"Unable to Read Name Service Port!"},
     {{"NS Port", "abc"}}},
    {"NsHostTooLong",
     {{"NS Host", k80}, {"NS Port", "2809"}},
     readNameService,
     "kept-host|2809",
     {"Unable to Read Name Service Host!"},
     {}},
    {"NsPortHexadecimal", {{"NS Port", "0x2809"}}, readNameService, "localhost|10249", {}, {}},
    // The caller's call sign stays, and so does slot 1.
    {"CallsignOf80",
     {{"Callsign", k80}, {"Name", "Bob"}},
     readOperatorInfo,
     "C:\\Orvo|KEPT|Bob|Anytown, ST|135|Orvo.Log|0|slot1 KEPT",
     {"Unable to Read Operator Callsign!"},
     {{"Callsign", k80}}},
    {"CallsignOf79",
     {{"Callsign", k79}},
     readOperatorInfo,
     "C:\\Orvo|" + k79 + "|Nemo|Anytown, ST|135|Orvo.Log|0|slot1 " + k79,
     {},
     {}},
    {"OffsetOf300",
     {{"Offset from UTC", "300"}},
     readOperatorInfo,
     "C:\\Orvo|N0CALL|Nemo|Anytown, ST|5|Orvo.Log|0|slot1 N0CALL",
     {"Unable to Read Operator Timezone!"},
     {}},
    {"EveryOperatorValueBad",
     {{"HomeDir", k80},
      {"Callsign", k80},
      {"Name", k80},
      {"QTH", k80},
      {"Offset from UTC", "-1"},
      {"Log File Name", k80},
      {"SW Logging Mode", "x"}},
     readOperatorInfo,
     "kept-home|KEPT|kept-name|kept-qth|5|kept-log|6|slot1 KEPT",
     {"Unable to Read Orvo Home Directory!", "Unable to Read Operator Callsign!",
      "Unable to Read Operator Name!", "Unable to Read Operator QTH!",
      "Unable to Read Software Log filename!", "Unable to Read Operator Timezone!",
      "Unable to Read Software Logging Mode!"},
     {}},
    {"HomeDirViaReadHomeDir",
     {{"HomeDir", k80}},
     [](CRegistryStore& store) {
         std::string home = "kept";
         const bool result = store.ReadHomeDir(home);
         return std::string(result ? "true|" : "false|") + home;
     },
     "false|kept",
     {"Unable to Read Pelorin Home Directory!"},
     {}},
    {"CurrentLogFileName",
     {{"Current Log File Name", k80}},
     [](CRegistryStore& store) {
         std::string fileName = "kept";
         const bool result = store.ReadCurrentLogFileName(fileName);
         return std::string(result ? "true|" : "false|") + fileName;
     },
     "false|kept",
     {"Unable to Read Current Log Filename!"},
     {}},
    {"AudioFlag",
     {{"Audio Streaming Host", "x"}, {"Audio Host Command Name", "player"}},
     readAudioHost,
     "7|player",
     {"Unable to Read Audio Streaming Enable Flag!"},
     {}},
    {"AudioCommand",
     {{"Audio Streaming Host", "2"}, {"Audio Host Command Name", k80}},
     readAudioHost,
     "1|kept",
     {"Unable to Audio Streaming Host Cmd Name!"},
     {}},
    // These two readers take the default without a word and leave the file alone.
    {"UseUtcSilent",
     {{"Use UTC in Log", "x"}, {"Offset from UTC", "3"}},
     [](CRegistryStore& store) {
         int useUtc = 0;
         std::uint8_t offset = 0;
         store.ReadUtcSettings(useUtc, offset);
         return std::to_string(useUtc) + "|" + std::to_string(offset);
     },
     "1|3",
     {},
     {{"Use UTC in Log", "x"}}},
    {"QsoLogInfoSilent",
     {{"GridSquare", k80}, {"CQ Zone", "14"}},
     [](CRegistryStore& store) {
         std::string grid = "kept", cq, itu;
         int counter = 0, outputMode = 0, useUtc = 0;
         store.ReadQsoLogInfo(grid, cq, itu, counter, outputMode, useUtc);
         return grid + "|" + cq + "|" + itu;
     },
     "AA00aa|14|6",
     {},
     {{"GridSquare", k80}}},
    {"ApplicationColorRewritten",
     {{"Application Color", "x"}},
     [](CRegistryStore& store) {
         std::uint32_t color = 1;
         store.ReadApplicationColor(color);
         return std::to_string(color);
     },
     "14661760",
     {},
     {{"Application Color", "14661760"}}},
    {"QsoLoggingModeRewritten",
     {{"QSO Logging Mode", "300"}},
     readQsoLoggingMode,
     "0",
     {},
     {{"QSO Logging Mode", "0"}}},
    // Only 0 (normal) and 1 (contest) exist: a byte reads as its bit 0, and the file keeps it.
    {"QsoLoggingMode2ReadsNormal",
     {{"QSO Logging Mode", "2"}},
     readQsoLoggingMode,
     "0",
     {},
     {{"QSO Logging Mode", "2"}}},
    {"QsoLoggingMode3ReadsContest",
     {{"QSO Logging Mode", "3"}},
     readQsoLoggingMode,
     "1",
     {},
     {{"QSO Logging Mode", "3"}}},
    {"SelectedTuningRangeUnreadable",
     {{"Settings/Selected Tuning Range", "x"}},
     [](CRegistryStore& store) {
         int index = 2;
         store.ReadSelectedTuningRange(index);
         return std::to_string(index);
     },
     "2",
     {"Unable To Read Selected Tuning Range!"},
     {{"Settings/Selected Tuning Range", "x"}}},
    // Only four spans exist; a larger index would pick past them.
    {"SelectedTuningRangeAbove3",
     {{"Settings/Selected Tuning Range", "4"}},
     [](CRegistryStore& store) {
         int index = 2;
         store.ReadSelectedTuningRange(index);
         return std::to_string(index);
     },
     "0",
     {},
     {}},
    {"SelectedTuningRange3",
     {{"Settings/Selected Tuning Range", "3"}},
     [](CRegistryStore& store) {
         int index = 0;
         store.ReadSelectedTuningRange(index);
         return std::to_string(index);
     },
     "3",
     {},
     {}},
    {"MoveTogetherUnreadableKept",
     {{"Window Size/Windows Move Together", "x"}},
     [](CRegistryStore& store) {
         int flag = 7;
         store.ReadWindowsMoveTogether(flag);
         return std::to_string(flag);
     },
     "7",
     {},
     {{"Window Size/Windows Move Together", "x"}}},
    {"MoveTogetherAnyNonZero",
     {{"Window Size/Windows Move Together", "2"}},
     [](CRegistryStore& store) {
         int flag = 0;
         store.ReadWindowsMoveTogether(flag);
         return std::to_string(flag);
     },
     "1",
     {},
     {}},
    {"ScanHighUnreadable",
     {{"Settings/Scan Low Limit", "7000000"}, {"Settings/Scan High Limit", "x"}},
     [](CRegistryStore& store) {
         int low = 1, high = 2;
         store.ReadScanLimits(low, high);
         return std::to_string(low) + "|" + std::to_string(high);
     },
     "7000000|2",
     {},
     {{"Settings/Scan High Limit", "x"}}},
    // An unreadable counter is never restarted: the read says so, keeps the caller's value and
    // leaves both values in the file as they stand.
    {"CounterValueNotANumber",
     {{"Settings/Counter Value", "12x"}, {"Settings/Output Mode", "131"}},
     readCounterSettings,
     "false|9|131",
     {},
     {{"Settings/Counter Value", "12x"}, {"Settings/Output Mode", "131"}}},
    {"CounterValueAboveTheSignedRange",
     {{"Settings/Counter Value", "4294967291"}, {"Settings/Output Mode", "3"}},
     readCounterSettings,
     "false|9|3",
     {},
     {{"Settings/Counter Value", "4294967291"}, {"Settings/Output Mode", "3"}}},
    {"CounterValueAtTheTopOfTheRange",
     {{"Settings/Counter Value", "2147483647"}, {"Settings/Output Mode", "3"}},
     readCounterSettings,
     "true|2147483647|3",
     {},
     {{"Settings/Counter Value", "2147483647"}}},
    {"OutputModeUnreadableStays",
     {{"Settings/Counter Value", "40"}, {"Settings/Output Mode", "300"}},
     readCounterSettings,
     "true|40|0",
     {},
     {{"Settings/Counter Value", "40"}, {"Settings/Output Mode", "300"}}},
    {"MemoryKeyLongerThanTheEditIsReadWhole",
     {{"Transmit Memory Keys/F1", std::string(300, 'A')}, {"Transmit Memory Keys/F2", "CQ"}},
     [](CRegistryStore& store) {
         TransmitMemoryKeys texts;
         texts.fill("kept");
         store.ReadTransmitMemoryKeys(texts);
         return std::to_string(texts[0].size()) + "|" + texts[1] + "|" + texts[2];
     },
     "300|CQ|kept",
     {},
     {{"Transmit Memory Keys/F1", std::string(300, 'A')}}},
};

class BadValueTest : public ClientStoreFixture,
                     public ::testing::WithParamInterface<BadValueCase> {};

TEST_P(BadValueTest, ShowsItsMessageAndReadsOn) {
    CRegistryStore store;
    createDefaults(store);
    for (const auto& [key, value] : GetParam().stored) {
        setPelorinValue(key, value);
    }

    EXPECT_EQ(GetParam().call(store), GetParam().outputs);

    std::vector<std::string> expected;
    for (const std::string& text : GetParam().messages) {
        expected.push_back(error(text));
    }
    EXPECT_THAT(messages(), ElementsAreArray(expected));
    const SettingValues file = pelorinFileValues();
    for (const auto& [key, value] : GetParam().fileAfter) {
        EXPECT_EQ(file.count(key) ? file.at(key) : "<missing>", value) << key;
    }
}

INSTANTIATE_TEST_SUITE_P(StoredFile, BadValueTest, ::testing::ValuesIn(kBadValueCases), CaseName());

TEST_F(ClientStoreFixture, UnquotedCommaTextsReadAsOneText) {
    writeIni(
        "[General]\n"
        "QTH=Anytown, ST\n"
        "\n"
        "[Transmit%20Memory%20Keys]\n"
        "F3=CQ CQ, DE N0CALL, K\n");
    CRegistryStore store;
    std::string home, call, name, qth, logFile;
    std::uint8_t offset = 0, mode = 0;
    store.ReadOperatorInfo(home, call, name, qth, offset, logFile, mode);
    EXPECT_EQ(qth, "Anytown, ST");
    std::string slot3;
    store.GetStringSlot(3, slot3);
    EXPECT_EQ(slot3, "Anytown, ST");

    TransmitMemoryKeys texts;
    store.ReadTransmitMemoryKeys(texts);
    EXPECT_EQ(texts[2], "CQ CQ, DE N0CALL, K");
    EXPECT_THAT(messages(), IsEmpty());
}

// ---------------------------------------------------------------------------------------------
// Window rectangles: what is stored and what reads back.

struct RectCase {
    const char* name;
    bool write;  // true: written through WriteWindowRect; false: `topLeft`/`bottomRight` stored
    int left, top, right, bottom;
    const char* topLeft;
    const char* bottomRight;  // nullptr: the value is absent
    std::string readBack;
    bool readResult;
};
ROW_NAME(RectCase, row.name);

const RectCase kRectCases[] = {
    {"DefaultRect", true, 0, 0, 639, 479, "0", "41877983", "0,0,639,479", true},
    {"PackedHighAndLow", true, 10, 20, 650, 500, "655380", "42598900", "10,20,650,500", true},
    // Each half is masked on write and read back signed.
    {"NegativeCorner", true, -20, -10, 620, 470, "4293722102", "40632790", "-20,-10,620,470", true},
    {"WidthOver1024Written", true, 0, 0, 1025, 479, "0", "41877983", "0,0,639,479", true},
    {"HeightOver768Written", true, 0, 0, 639, 769, "0", "41877983", "0,0,639,479", true},
    {"ExtremeCoordinates", true, INT_MIN, INT_MIN, INT_MAX, INT_MAX, "0", "41877983", "0,0,639,479",
     true},
    {"WidthOver1024Stored", false, 0, 0, 0, 0, "0", "72090100", "0,0,639,479", true},
    {"Exactly1024x768Stored", false, 0, 0, 0, 0, "0", "67109632", "0,0,1024,768", true},
    {"BottomRightMissing", false, 0, 0, 0, 0, "655380", nullptr, "10,20,0,0", false},
    {"TopLeftUnreadable", false, 0, 0, 0, 0, "abc", "42598900", "0,0,650,500", true},
};

class RectTest : public ClientStoreFixture, public ::testing::WithParamInterface<RectCase> {};

TEST_P(RectTest, StoresAndReadsBack) {
    const RectCase& c = GetParam();
    CRegistryStore store;
    if (c.write) {
        EXPECT_TRUE(store.WriteWindowRect(c.left, c.top, c.right, c.bottom));
        const SettingValues file = pelorinFileValues();
        EXPECT_EQ(file.at("Window Size/Top Left"), c.topLeft);
        EXPECT_EQ(file.at("Window Size/Bottom Right"), c.bottomRight);
    } else {
        setPelorinValue("Window Size/Top Left", c.topLeft);
        if (c.bottomRight != nullptr) {
            setPelorinValue("Window Size/Bottom Right", c.bottomRight);
        }
    }
    int left = 1, top = 1, right = 1, bottom = 1;
    EXPECT_EQ(store.ReadWindowRect(left, top, right, bottom), c.readResult);
    EXPECT_EQ(rectText(left, top, right, bottom), c.readBack);
}

INSTANTIATE_TEST_SUITE_P(Window, RectTest, ::testing::ValuesIn(kRectCases), CaseName());

TEST_F(ClientStoreFixture, OriginalRectKeepsItsOwnValuesUnderTheSameRules) {
    CRegistryStore store;
    store.WriteWindowRect(10, 20, 650, 500);
    EXPECT_TRUE(store.WriteOriginalWindowRect(-5, -6, 700, 400));
    int left = 0, top = 0, right = 0, bottom = 0;
    EXPECT_TRUE(store.ReadOriginalWindowRect(left, top, right, bottom));
    EXPECT_EQ(rectText(left, top, right, bottom), "-5,-6,700,400");
    store.ReadWindowRect(left, top, right, bottom);
    EXPECT_EQ(rectText(left, top, right, bottom), "10,20,650,500");

    store.WriteOriginalWindowRect(0, 0, 2000, 400);
    store.ReadOriginalWindowRect(left, top, right, bottom);
    EXPECT_EQ(rectText(left, top, right, bottom), "0,0,639,479");
}

// ---------------------------------------------------------------------------------------------
// Groups that are only partly there.

TEST_F(ClientStoreFixture, ScanLimitsAloneAreResetTogether) {
    setPelorinValue("Settings/Scan Low Limit", "7000000");
    CRegistryStore store;
    int low = 1, high = 2;
    EXPECT_TRUE(store.ReadScanLimits(low, high));
    EXPECT_EQ(low, 0);
    EXPECT_EQ(high, 0);
    const SettingValues file = pelorinFileValues();
    EXPECT_EQ(file.at("Settings/Scan Low Limit"), "0");
    EXPECT_EQ(file.at("Settings/Scan High Limit"), "0");
}

TEST_F(ClientStoreFixture, MissingOutputModeRewritesBothCounterValues) {
    setPelorinValue("Settings/Counter Value", "42");
    CRegistryStore store;
    int counter = 0, outputMode = 9;
    EXPECT_TRUE(store.ReadCounterSettings(counter, outputMode));
    EXPECT_EQ(counter, 42);
    EXPECT_EQ(outputMode, 0);
    const SettingValues file = pelorinFileValues();
    EXPECT_EQ(file.at("Settings/Counter Value"), "42");
    EXPECT_EQ(file.at("Settings/Output Mode"), "0");
    EXPECT_THAT(messages(), IsEmpty());
}

// ---------------------------------------------------------------------------------------------
// Writers: what they store, and that texts are cut to what a reader accepts.

TEST_F(ClientStoreFixture, WritersStoreFlagsAsOneAndBytesAsTheirLowByte) {
    CRegistryStore store;
    EXPECT_TRUE(store.WriteQsoLogInfo("FN42", "5", "8", 77, 0x183, 4));
    EXPECT_TRUE(store.WriteWindowsMoveTogether(9));
    EXPECT_TRUE(store.WriteSelectedTuningRange(0x102));
    EXPECT_TRUE(store.WriteQsoLoggingMode(0x101));
    EXPECT_TRUE(store.WriteNameService("radio.example", 2809));
    EXPECT_TRUE(store.WriteScanLimits(-1, 14350000));

    const SettingValues file = pelorinFileValues();
    const SettingValues expected = {
        {"GridSquare", "FN42"},
        {"CQ Zone", "5"},
        {"ITU Zone", "8"},
        {"Use UTC in Log", "1"},
        {"Settings/Counter Value", "77"},
        {"Settings/Output Mode", "131"},
        {"Window Size/Windows Move Together", "1"},
        {"Settings/Selected Tuning Range", "2"},
        {"QSO Logging Mode", "1"},
        {"NS Host", "radio.example"},
        {"NS Port", "2809"},
        {"Settings/Scan Low Limit", "4294967295"},
        {"Settings/Scan High Limit", "14350000"},
    };
    EXPECT_EQ(file, expected);

    int low = 0, high = 0;
    store.ReadScanLimits(low, high);
    EXPECT_EQ(low, -1);
    EXPECT_EQ(high, 14350000);
}

struct TextCase {
    const char* name;
    bool memoryKey;  // F9 of the memory keys; otherwise the call sign
    std::string written;
    std::string readBack;
};
ROW_NAME(TextCase, row.name);

const TextCase kTextCases[] = {
    {"CallsignOf100", false, std::string(100, 'K'), std::string(79, 'K')},
    {"CallsignOf79", false, std::string(79, 'K'), std::string(79, 'K')},
    // 39 two-byte characters fill 78 bytes; the 40th would need bytes 79 and 80.
    {"CallsignTwoByteAtTheCut", false,
     [] {
         std::string text;
         for (int i = 0; i < 50; ++i) {
             text += "\xC3\xA9";
         }
         return text;
     }(),
     [] {
         std::string text;
         for (int i = 0; i < 39; ++i) {
             text += "\xC3\xA9";
         }
         return text;
     }()},
    {"MemoryTextOf200", true, std::string(200, 'M'), std::string(200, 'M')},
    {"MemoryTextOf300", true, std::string(300, 'M'), std::string(253, 'M')},
    {"MemoryTextThreeByteAtTheCut", true, std::string(251, 'M') + "\xE2\x82\xAC",
     std::string(251, 'M')},
};

class TextTest : public ClientStoreFixture, public ::testing::WithParamInterface<TextCase> {};

TEST_P(TextTest, IsCutOnWriteAndReadsBack) {
    const TextCase& c = GetParam();
    CRegistryStore store;
    std::string readBack;
    if (c.memoryKey) {
        TransmitMemoryKeys texts;
        texts[7] = "CQ";
        texts[8] = c.written;
        EXPECT_TRUE(store.WriteTransmitMemoryKeys(texts));
        TransmitMemoryKeys read;
        store.ReadTransmitMemoryKeys(read);
        EXPECT_EQ(read[7], "CQ");
        readBack = read[8];
        // The single-key writer cuts the same way.
        EXPECT_TRUE(store.WriteTransmitMemoryKey(8, c.written));
        store.ReadTransmitMemoryKeys(read);
        EXPECT_EQ(read[8], c.readBack);
    } else {
        createDefaults(store);
        EXPECT_TRUE(
            store.WriteOperatorInfo("C:\\Orvo", c.written, "Nemo", "Anytown, ST", 135, "x", 0));
        std::string home, name, qth, logFile;
        std::uint8_t offset = 0, mode = 0;
        store.ReadOperatorInfo(home, readBack, name, qth, offset, logFile, mode);
    }
    EXPECT_EQ(readBack, c.readBack);
    EXPECT_THAT(messages(), IsEmpty());
}

INSTANTIATE_TEST_SUITE_P(Texts, TextTest, ::testing::ValuesIn(kTextCases), CaseName());

TEST_F(ClientStoreFixture, GenericTextWriterCutsToTheGroupsWidth) {
    CRegistryStore store;
    EXPECT_TRUE(store.WriteString("", "Callsign", std::string(100, 'K')));
    EXPECT_TRUE(store.WriteString("Transmit Memory Keys", "F1", std::string(300, 'M')));
    EXPECT_TRUE(store.WriteString("Settings", "Note", std::string(100, 'S')));
    const SettingValues file = pelorinFileValues();
    EXPECT_EQ(file.at("Callsign"), std::string(79, 'K'));
    EXPECT_EQ(file.at("Transmit Memory Keys/F1"), std::string(253, 'M'));
    EXPECT_EQ(file.at("Settings/Note"), std::string(79, 'S'));
}

TEST_F(ClientStoreFixture, SingleMemoryKeyOutsideTheElevenWritesNothing) {
    CRegistryStore store;
    EXPECT_FALSE(store.WriteTransmitMemoryKey(-1, "x"));
    EXPECT_FALSE(store.WriteTransmitMemoryKey(11, "x"));
    EXPECT_FALSE(std::filesystem::exists(iniPath()));
    EXPECT_TRUE(store.WriteTransmitMemoryKey(10, "QRZ?"));
    EXPECT_EQ(pelorinFileValues(), (SettingValues{{"Transmit Memory Keys/F11", "QRZ?"}}));
}

// ---------------------------------------------------------------------------------------------
// A file that cannot be written.

struct UnwritableCase {
    const char* name;
    std::function<void(CRegistryStore&)> call;
    std::vector<std::string> messages;
};
ROW_NAME(UnwritableCase, row.name);

const UnwritableCase kUnwritableCases[] = {
    {"FirstRead",
     [](CRegistryStore& store) {
         std::string home, call, name, qth, logFile;
         std::uint8_t offset = 0, mode = 0;
         EXPECT_TRUE(store.ReadOperatorInfo(home, call, name, qth, offset, logFile, mode));
         EXPECT_EQ(call, "N0CALL");
         EXPECT_EQ(offset, 135);
     },
     {"Unable to Create Main Pelorin Registry!"}},
    {"MemoryKeys",
     [](CRegistryStore& store) {
         TransmitMemoryKeys texts;
         texts.fill("x");
         store.ReadTransmitMemoryKeys(texts);
         EXPECT_EQ(texts[0], "");
     },
     {"Unable to Create Brag Text Key Info Registry!"}},
    {"SelectedTuningRange",
     [](CRegistryStore& store) {
         int index = 0;
         store.ReadSelectedTuningRange(index);
     },
     {"Unable to Create Pelorin Settings Registry!"}},
    {"ScanLimits",
     [](CRegistryStore& store) {
         int low = 0, high = 0;
         store.ReadScanLimits(low, high);
     },
     {"Unable to Create Pelorin Settings Registry!"}},
    {"CounterSettingsSilent",
     [](CRegistryStore& store) {
         int counter = 0, outputMode = 0;
         store.ReadCounterSettings(counter, outputMode);
         EXPECT_EQ(counter, 1);
     },
     {}},
    {"WindowsMoveTogether",
     [](CRegistryStore& store) {
         int flag = 0;
         store.ReadWindowsMoveTogether(flag);
         EXPECT_EQ(flag, 1);
     },
     {"Unable to Create Pelorin Window Size Registry!"}},
    {"WindowSizeKey",
     [](CRegistryStore& store) { EXPECT_FALSE(store.CreateWindowSizeKey()); },
     {"Unable to Create Brakton WINSIZE Registry!"}},
    // Writers report the failure instead of success.
    {"Writers",
     [](CRegistryStore& store) {
         EXPECT_FALSE(store.WriteWindowRect(0, 0, 639, 479));
         EXPECT_FALSE(store.WriteWindowsMoveTogether(1));
         EXPECT_FALSE(store.WriteNameService("h", 1));
         EXPECT_FALSE(store.WriteOperatorInfo("a", "b", "c", "d", 1, "e", 0));
         EXPECT_FALSE(store.WriteTransmitMemoryKey(0, "x"));
         EXPECT_FALSE(store.WriteString("Settings", "Counter Value", "1"));
     },
     {}},
};

class UnwritableTest : public ClientStoreFixture,
                       public ::testing::WithParamInterface<UnwritableCase> {};

TEST_P(UnwritableTest, ShowsOnlyTheCreationMessage) {
    blockSettingsFolder();
    CRegistryStore store;
    GetParam().call(store);
    std::vector<std::string> expected;
    for (const std::string& text : GetParam().messages) {
        expected.push_back(error(text));
    }
    EXPECT_THAT(messages(), ElementsAreArray(expected));
}

INSTANTIATE_TEST_SUITE_P(BlockedFolder, UnwritableTest, ::testing::ValuesIn(kUnwritableCases),
                         CaseName());

// The file is there but cannot take the defaults: each value reports its own failure.
TEST_F(ClientStoreFixture, DefaultsThatCannotBeWrittenIntoAnExistingFileNameEachValue) {
    std::filesystem::create_directories(iniPath());  // a folder where the file belongs
    CRegistryStore store;
    store.CreateDefaults();
    EXPECT_THAT(messages(),
                ElementsAre(error("Unable to Write Pelorin Home Directory!"),
                            error("Unable to Write Default Callsign Registry!"),
                            error("Unable to Write Default Name Registry!"),
                            error("Unable to Write Default QTH Registry!"),
                            error("Unable to Write Default UTC Timezon Offset Registry!"),
                            error("Unable to Write Default Software Log File Registry!"),
                            error("Unable to Write Default Log Mode Registry!"),
                            error("Unable to Write Default Name Service Host!"),
                            error("Unable to Write Default Name Service Port!"),
                            error("Unable to Create Brakton WINSIZE Registry!")));
}

// ---------------------------------------------------------------------------------------------
// Writes reach the disk before the program ends itself with _Exit, as Pelorin does.

TEST_F(ClientStoreFixture, ValueWrittenBeforeExitIsOnDisk) {
    const pid_t child = fork();
    ASSERT_NE(child, -1);
    if (child == 0) {
        CRegistryStore store;
        const bool written = store.WriteNameService("after-exit.example", 2809) &&
                             store.WriteWindowRect(-20, -10, 620, 470);
        std::_Exit(written ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);

    const std::string file = rawIni();
    EXPECT_THAT(file, HasSubstr("NS%20Host=after-exit.example"));
    EXPECT_THAT(file, HasSubstr("NS%20Port=2809"));
    EXPECT_THAT(file, HasSubstr("Top%20Left=4293722102"));
}

// ---------------------------------------------------------------------------------------------
// The tables in memory.

TEST(RegistryStoreModes, TableLookups) {
    const CRegistryStore store;
    const int expectedValues[] = {1, 2, 3, 6, 7, 9};
    const char* expectedNames[] = {"LSB", "USB", "CW", "RTTY", "CWR", "RTTYR"};
    for (int index = 0; index < 6; ++index) {
        EXPECT_EQ(store.ModeValueAt(index), expectedValues[index]);
        EXPECT_EQ(store.IndexOfModeValue(expectedValues[index]), index);
        EXPECT_EQ(store.ModeValueOfName(expectedNames[index]), expectedValues[index]);
        EXPECT_EQ(store.ModeNameOfValue(expectedValues[index]), expectedNames[index]);
    }
    EXPECT_EQ(store.ModeValueAt(6), -1);
    EXPECT_EQ(store.ModeValueAt(-1), -1);
    EXPECT_EQ(store.IndexOfModeValue(4), -1);
    EXPECT_EQ(store.ModeNameOfValue(4), "");
    EXPECT_EQ(store.ModeValueOfName("cw"), -1);
    EXPECT_EQ(store.ModeValueOfName(""), -1);
}

TEST(RegistryStoreSlots, OnlySlotsOneToEight) {
    CRegistryStore store;
    for (int slot = 1; slot <= 8; ++slot) {
        EXPECT_TRUE(store.SetStringSlot(slot, "text " + std::to_string(slot)));
    }
    for (int slot : {0, 9, -1}) {
        EXPECT_FALSE(store.SetStringSlot(slot, "x"));
        std::string text = "unchanged";
        EXPECT_FALSE(store.GetStringSlot(slot, text));
        EXPECT_EQ(text, "unchanged");
    }
    for (int slot = 1; slot <= 8; ++slot) {
        std::string text;
        EXPECT_TRUE(store.GetStringSlot(slot, text));
        EXPECT_EQ(text, "text " + std::to_string(slot));
    }
}

TEST(RegistryStoreTuningRanges, NothingFoundBeforeTheBandTableArrives) {
    const CRegistryStore store;
    TUNING_RANGE_ENTRY range;
    range.band = 42;
    EXPECT_FALSE(store.FindTuningRange(14060000, range));
    EXPECT_EQ(range.band, 42);
    EXPECT_EQ(store.GetTuningRangeName(0), "");
    EXPECT_EQ(store.IndexOfTuningRangeName("  20M"), -1);
}

TEST(RegistryStoreTuningRanges, LookupsOnTheLoadedTable) {
    CRegistryStore store;
    {
        // The store keeps its own copy of the names.
        TuningRangeTable table = pelorinBandTable();
        EXPECT_TRUE(store.SetTuningRanges(table));
        table[4].name = "gone";
    }
    TUNING_RANGE_ENTRY range;
    EXPECT_TRUE(store.FindTuningRange(14350000, range));  // the upper edge itself
    EXPECT_EQ(range.band, 4);
    EXPECT_EQ(range.name, "  20M");
    EXPECT_TRUE(store.FindTuningRange(1800000, range));
    EXPECT_EQ(range.band, 8);
    EXPECT_FALSE(store.FindTuningRange(14350001, range));
    EXPECT_FALSE(store.FindTuningRange(0, range));

    EXPECT_EQ(store.GetTuningRangeName(8), " 160M");
    EXPECT_EQ(store.GetTuningRangeName(-1), "");
    EXPECT_EQ(store.GetTuningRangeName(9), "");
    EXPECT_EQ(store.GetTuningRangeName(INT_MIN), "");
    EXPECT_EQ(store.IndexOfTuningRangeName("  40M"), 6);
    EXPECT_EQ(store.IndexOfTuningRangeName("40M"), -1);
}

// Slots and ranges are written by the QSO and GUI threads while others read them.
TEST(RegistryStoreThreads, SlotsAndRangesStayWholeUnderConcurrentUse) {
    CRegistryStore store;
    const std::string longA(200, 'a');
    const std::string longB(300, 'b');
    TuningRangeTable tableA = pelorinBandTable();
    TuningRangeTable tableB = pelorinBandTable();
    for (TUNING_RANGE_ENTRY& entry : tableB) {
        entry.name = std::string(40, 'x');
    }
    std::atomic<bool> torn{false};
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&, t] {
            for (int i = 0; i < 2000; ++i) {
                if (t % 2 == 0) {
                    store.SetStringSlot(5, i % 2 == 0 ? longA : longB);
                    store.SetTuningRanges(i % 2 == 0 ? tableA : tableB);
                } else {
                    std::string text;
                    store.GetStringSlot(5, text);
                    if (!text.empty() && text != longA && text != longB) {
                        torn = true;
                    }
                    const std::string name = store.GetTuningRangeName(3);
                    if (!name.empty() && name != "  17M" && name != tableB[3].name) {
                        torn = true;
                    }
                }
            }
        });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    EXPECT_FALSE(torn);
}

}  // namespace
