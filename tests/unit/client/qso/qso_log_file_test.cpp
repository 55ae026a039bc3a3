#include "client/qso/qso_log_file.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/atomic_file.h"
#include "platform/file_status.h"
#include "tests/support/qso_test_entries.h"
#include "tests/support/row_names.h"
#include "tests/support/temp_dir.h"

namespace {

using pelorin::LoadLogFile;
using pelorin::QSO_LOG_ENTRY;
namespace fs = std::filesystem;

using qsotest::at;
using qsotest::contestEntry;

std::string readBytes(const fs::path& path) {
    std::string bytes;
    EXPECT_EQ(platform::readWholeFileReason(path.string(), bytes), 0) << path;
    return bytes;
}

void writeBytes(const fs::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

bool temporaryBeside(const fs::path& log) {
    for (const auto& item : fs::directory_iterator(log.parent_path())) {
        if (item.path().filename().string().find(".tmp.") != std::string::npos)
            return true;
    }
    return false;
}

// At 14025000 Hz, as the pinned normal line holds it.
QSO_LOG_ENTRY normalEntry() {
    return qsotest::changed(qsotest::normalEntry(), [](QSO_LOG_ENTRY& e) { e.lFreq = 14025000; });
}

constexpr char kNormalLine[] =
    "0;1;N0CALL;07041999143000;  20M;14025000;CW;Ann;Anytown;599;579;1;tnx;\n";
constexpr char kContestLine[] = "1;1;K1TEST;11232024183005;  40M;7030500;CW;599 05;0;;\n";

TEST(QsoLogFormat, PinnedLinesOfBothKinds) {
    EXPECT_EQ(pelorin::FormatLogLine(normalEntry(), 1), kNormalLine);
    EXPECT_EQ(pelorin::FormatLogLine(contestEntry(), 12),
              "1;12;K1TEST;11232024183005;  40M;7030500;CW;599 05;0;;\n");
}

// Wall-clock digits survive any time zone, daylight-saving gaps and dates past 2038.
TEST(QsoLogFormat, DateDigitsAreNeverMovedByTheTimeZone) {
    ::setenv("TZ", "MST7MDT,M3.2.0,M11.1.0", 1);
    ::tzset();
    for (const char* digits : {"03102024023000", "01011970000000", "12311969235959",
                               "02292040120000", "12319999235959", "01010001000000"}) {
        const auto seconds = pelorin::ParseLogDateTime(digits);
        ASSERT_TRUE(seconds) << digits;
        EXPECT_EQ(pelorin::FormatLogDateTime(*seconds), digits);
    }
    ::unsetenv("TZ");
    ::tzset();
    for (const char* bad : {"02302024000000", "0704199914300", "07041999143O00", "13012024000000",
                            "07041999243000", "07041999146000", "02292023000000", ""}) {
        EXPECT_FALSE(pelorin::ParseLogDateTime(bad)) << bad;
    }
}

// Entries of every shape of one kind -> file -> entries -> the same file.
void roundTrip(const std::vector<QSO_LOG_ENTRY>& entries, const std::string& pinned) {
    TempDir dir;
    const fs::path log = dir.path() / "Orvo.QSO.Log";
    ASSERT_EQ(pelorin::SaveLogFile(log.string(), entries, {}), 0u);
    const std::string first = readBytes(log);
    EXPECT_EQ(first.substr(0, pinned.size()), pinned);

    const auto read = LoadLogFile(first, 0);
    EXPECT_TRUE(read.unreadableLines.empty());
    EXPECT_TRUE(read.keptLines.empty());
    EXPECT_EQ(read.nQSOCount, static_cast<int>(entries.size()));
    ASSERT_EQ(read.entries.size(), entries.size());
    for (std::size_t i = 0; i < entries.size(); ++i) {
        QSO_LOG_ENTRY expected = entries[i];
        if (expected.nMode == -1)
            expected.nMode = 0;  // written as an empty field
        EXPECT_EQ(read.entries[i], expected) << "entry " << i;
    }
    ASSERT_EQ(pelorin::SaveLogFile(log.string(), read.entries, read.keptLines), 0u);
    EXPECT_EQ(readBytes(log), first);
    EXPECT_EQ(readBytes(pelorin::BackupPathOf(log.string())), first);
}

TEST(QsoLogFile, NormalLogReadsAndSavesBackByteForByte) {
    QSO_LOG_ENTRY empty;
    empty.tmQSO = at(1, 1, 2040, 0, 0, 0);
    QSO_LOG_ENTRY odd = normalEntry();
    odd.nBand = -1;
    odd.nMode = -1;
    odd.nQSLStatus = 3;
    odd.szName = "J\xfcrgen";  // Latin-1
    odd.tmQSO = at(3, 10, 2024, 2, 30, 0);
    QSO_LOG_ENTRY full = normalEntry();
    full.szCall = std::string(19, 'C');
    full.szName = std::string(19, 'n');
    full.szQTH = std::string(39, 'q');
    full.szMySig = std::string(19, 'm');
    full.szHisSig = std::string(19, 'h');
    full.szComment = std::string(79, 'c');
    full.lFreq = 2147483647;
    full.tmQSO = at(12, 31, 9999, 23, 59, 59);
    full.nBand = 8;
    full.nMode = 9;
    roundTrip({normalEntry(), empty, odd, full}, kNormalLine);
}

TEST(QsoLogFile, ContestLogReadsAndSavesBackByteForByte) {
    QSO_LOG_ENTRY empty;
    empty.nLogStyle = pelorin::kContestLogStyle;
    QSO_LOG_ENTRY full = contestEntry();
    full.szExchange = std::string(79, 'x');
    full.szComment = std::string(79, '\xe9');
    full.nQSLStatus = 3;
    roundTrip({contestEntry(), empty, full}, kContestLine);
}

struct ReaderCase {
    const char* name;
    std::string bytes;
    std::vector<std::string> calls;  // entries read, in order
    std::vector<std::string> kept;
    std::vector<int> unreadable;
    int counter;
    std::optional<int> style;
};
ROW_NAME(ReaderCase, row.name);

std::string normalLine(const std::string& call) {
    QSO_LOG_ENTRY e = normalEntry();
    e.szCall = call;
    return pelorin::FormatLogLine(e, 7);
}

// Lines of contacts "C0", "C1", ... running past the first 2048 bytes, the old
// reader's block size.
ReaderCase acrossBoundary() {
    ReaderCase c{"LinesAcrossTheOldBlockBoundary", "", {}, {}, {}, 0, 0};
    while (c.bytes.size() < 2100) {
        c.calls.push_back("C" + std::to_string(c.calls.size()));
        c.bytes += normalLine(c.calls.back());
        ++c.counter;
    }
    return c;
}

class QsoLogReader : public ::testing::TestWithParam<ReaderCase> {};

TEST_P(QsoLogReader, ReadsEntriesAndKeepsTheRest) {
    const ReaderCase& c = GetParam();
    const auto read = LoadLogFile(c.bytes, 0);
    std::vector<std::string> calls;
    for (const auto& e : read.entries)
        calls.push_back(e.szCall);
    EXPECT_EQ(calls, c.calls);
    EXPECT_EQ(read.keptLines, c.kept);
    EXPECT_EQ(read.unreadableLines, c.unreadable);
    EXPECT_EQ(read.nQSOCount, c.counter);
    EXPECT_EQ(read.style, c.style);
    EXPECT_EQ(pelorin::CheckLogFileStyle(c.bytes), c.style);
}

const std::string k80 = std::string(80, 'x');
const std::string k300 = "0;1;" + std::string(296, 'y');

INSTANTIATE_TEST_SUITE_P(
    Lines, QsoLogReader,
    ::testing::Values(
        ReaderCase{"CommentAndBlankLines",
                   "# my log\n\n   \n  !x\n*\n.dot\n" + normalLine("A"),
                   {"A"},
                   {"# my log", "", "   ", "  !x", "*", ".dot"},
                   {},
                   1,
                   0},
        ReaderCase{"CarriageReturnLineEnds",
                   normalLine("A").insert(normalLine("A").size() - 1, "\r"),
                   {"A"},
                   {},
                   {},
                   1,
                   0},
        ReaderCase{"StyleAloneIsAnEntryWithoutSerial", "0;\n", {""}, {}, {}, 0, 0},
        ReaderCase{"LastLineWithoutLineEnd", normalLine("A") + "0;3;B;", {"A", "B"}, {}, {}, 2, 0},
        ReaderCase{
            "CutLastLineIsKept", normalLine("A") + "0;3;B;0704", {"A"}, {"0;3;B;0704"}, {2}, 1, 0},
        // "20M" and "FM" would be written back empty: the line is kept as it stands.
        ReaderCase{"BandOrModeThisProgramDoesNotWriteIsKept",
                   normalLine("A") + "0;2;B;;20M;;CW;;;;;;;\n0;3;C;;;;FM;;;;;;;\n",
                   {"A"},
                   {"0;2;B;;20M;;CW;;;;;;;", "0;3;C;;;;FM;;;;;;;"},
                   {2, 3},
                   1,
                   0},
        ReaderCase{"StyleTwoIsKept", "2;1;A;\n", {}, {"2;1;A;"}, {1}, 0, std::nullopt},
        ReaderCase{"ContestLineInANormalFileIsKept",
                   normalLine("A") + kContestLine,
                   {"A"},
                   {std::string(kContestLine, sizeof kContestLine - 2)},
                   {2},
                   1,
                   0},
        ReaderCase{"FirstEntryLineSetsTheStyle",
                   std::string("x\n") + kContestLine + normalLine("A"),
                   {"K1TEST"},
                   {"x", normalLine("A").substr(0, normalLine("A").size() - 1)},
                   {1, 3},
                   1,
                   1},
        ReaderCase{"FifteenFieldsAreKept",
                   "0;1;A;;;;;;;;;;;;;\n",
                   {},
                   {"0;1;A;;;;;;;;;;;;;"},
                   {1},
                   0,
                   std::nullopt},
        ReaderCase{"ThirteenFieldsAreAnEntry", "0;1;A;;;;;;;;;;;\n", {"A"}, {}, {}, 1, 0},
        ReaderCase{"TwentyCharacterCallIsKept",
                   "0;1;" + std::string(20, 'C') + ";\n",
                   {},
                   {"0;1;" + std::string(20, 'C') + ";"},
                   {1},
                   0,
                   std::nullopt},
        ReaderCase{"EightyByteCommentIsKept",
                   "0;1;A;;;;;;;;;;" + k80 + ";\n",
                   {},
                   {"0;1;A;;;;;;;;;;" + k80 + ";"},
                   {1},
                   0,
                   std::nullopt},
        ReaderCase{
            "ThreeHundredByteLineIsKeptWhole", k300 + "\n", {}, {k300}, {1}, 0, std::nullopt},
        ReaderCase{"BadDatesAreKept",
                   "0;1;A;0704199914300;\n0;2;B;07041999143O00;\n0;3;C;02302024000000;\n",
                   {},
                   {"0;1;A;0704199914300;", "0;2;B;07041999143O00;", "0;3;C;02302024000000;"},
                   {1, 2, 3},
                   0,
                   std::nullopt},
        ReaderCase{"FrequencyOutOfRangeIsKept",
                   "0;1;A;;;2147483648;\n0;1;B;;;-5;\n",
                   {},
                   {"0;1;A;;;2147483648;", "0;1;B;;;-5;"},
                   {1, 2},
                   0,
                   std::nullopt},
        ReaderCase{"FrequencyWithALeadingZeroIsKept",
                   "0;1;A;;;014025000;\n",
                   {},
                   {"0;1;A;;;014025000;"},
                   {1},
                   0,
                   std::nullopt},
        // A save would write these fields back as other bytes.
        ReaderCase{
            "QslThatIsNoPlainNumberIsKept",
            "0;1;A;;;;;;;;;Y;;\n0;2;B;;;;;;;;;1x;;\n0;3;C;;;;;;;;; 1;;\n1;4;D;;;;;;01;;\n",
            {},
            {"0;1;A;;;;;;;;;Y;;", "0;2;B;;;;;;;;;1x;;", "0;3;C;;;;;;;;; 1;;", "1;4;D;;;;;;01;;"},
            {1, 2, 3, 4},
            0,
            std::nullopt},
        ReaderCase{"LastLineCutAfterTheDateIsKept",
                   normalLine("A") + "0;8;B;07041999143000;  20M;140",
                   {"A"},
                   {"0;8;B;07041999143000;  20M;140"},
                   {2},
                   1,
                   0},
        ReaderCase{"StyleDigitWithoutItsSemicolonIsKept",
                   "0\n1\n",
                   {},
                   {"0", "1"},
                   {1, 2},
                   0,
                   std::nullopt},
        acrossBoundary()),
    CaseName());

TEST(QsoLogReaderValues, EmptyFieldsAndUnknownNames) {
    const std::string unknown = "0;1;A;;20M;;FM;;;;;;;";
    const auto read = LoadLogFile("0;\n" + unknown + "\n", 1234);
    ASSERT_EQ(read.entries.size(), 1u);
    const QSO_LOG_ENTRY& bare = read.entries[0];
    EXPECT_EQ(bare.tmQSO, 1234);
    EXPECT_EQ(bare.nBand, -1);
    EXPECT_EQ(bare.lFreq, 0);
    EXPECT_EQ(bare.nMode, 0);
    EXPECT_EQ(bare.nQSLStatus, 0);
    // A band and a mode this program does not name would be saved back
    // empty: the line is kept and saved byte for byte.
    EXPECT_EQ(read.keptLines, std::vector<std::string>{unknown});
    EXPECT_EQ(pelorin::FormatLogFile(read.entries, read.keptLines),
              pelorin::FormatLogLine(bare, 1) + unknown + "\n");
}

TEST(QsoLogReaderValues, KeptLinesFollowTheEntriesWhenSaved) {
    const std::string bytes = "# head\n" + normalLine("A") + "junk line\n" + normalLine("B");
    const auto read = LoadLogFile(bytes, 0);
    EXPECT_EQ(pelorin::FormatLogFile(read.entries, read.keptLines),
              pelorin::FormatLogLine(read.entries[0], 1) +
                  pelorin::FormatLogLine(read.entries[1], 2) + "# head\njunk line\n");
}

TEST(QsoLogReaderValues, NoticeNamesTheFirstFiveLines) {
    EXPECT_EQ(pelorin::UnreadableLinesNotice("/h/Orvo.QSO.Log", {2, 4, 5, 9, 11, 12}),
              "/h/Orvo.QSO.Log: 6 lines cannot be read as contacts and are kept unchanged "
              "(lines 2, 4, 5, 9, 11)");
}

TEST(QsoLogAppend, CreatesFolderAndFileAndEndsACutLastLine) {
    TempDir dir;
    const fs::path log = dir.path() / "new" / "folder" / "Orvo.QSO.Log";
    ASSERT_EQ(pelorin::WriteLogEntry(log.string(), normalEntry(), 1), 0u);
    EXPECT_EQ(readBytes(log), kNormalLine);

    writeBytes(log, "0;1;A;");
    ASSERT_EQ(pelorin::WriteLogEntry(log.string(), normalEntry(), 2), 0u);
    const auto read = LoadLogFile(readBytes(log), 0);
    ASSERT_EQ(read.entries.size(), 2u);
    EXPECT_EQ(read.entries[0].szCall, "A");
    EXPECT_EQ(read.entries[1].szCall, "N0CALL");
}

TEST(QsoLogAppend, FailedAppendCutsTheFileBack) {
    TempDir dir;
    const fs::path log = dir.path() / "Orvo.QSO.Log";
    const std::string before = std::string(kNormalLine) + "0;2;CUT";
    for (const auto step : {platform::AppendStep::AfterOpen, platform::AppendStep::AfterWrite}) {
        writeBytes(log, before);
        int reason = 0;
        EXPECT_EQ(pelorin::WriteLogEntry(log.string(), normalEntry(), 3, &reason,
                                         [step](platform::AppendStep s) { return s != step; }),
                  K2ERR_FILE_WRITE);
        EXPECT_NE(reason, 0);
        EXPECT_EQ(readBytes(log), before);
    }
}

// A real short write: the file size limit stops the append part way.
TEST(QsoLogAppend, WriteStoppedByTheFileSizeLimitCutsTheFileBack) {
    TempDir dir;
    const fs::path log = dir.path() / "Orvo.QSO.Log";
    const std::string before = kNormalLine;
    writeBytes(log, before);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{before.size() + 10, before.size() + 10};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        int reason = 0;
        const auto status = pelorin::WriteLogEntry(log.string(), normalEntry(), 2, &reason);
        ::_exit(status == K2ERR_FILE_WRITE && reason == EFBIG ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(readBytes(log), before);
}

TEST(QsoLogAppend, FolderThatIsAFileFailsWithItsReason) {
    TempDir dir;
    writeBytes(dir.path() / "plain", "x");
    int reason = 0;
    EXPECT_EQ(pelorin::WriteLogEntry((dir.path() / "plain" / "Orvo.QSO.Log").string(),
                                     normalEntry(), 1, &reason),
              K2ERR_FILE_WRITE);
    EXPECT_EQ(reason, ENOTDIR);
}

struct SaveFailureCase {
    const char* name;
    platform::AtomicStep step;
};
ROW_NAME(SaveFailureCase, row.name);

class QsoLogSaveFailure : public ::testing::TestWithParam<SaveFailureCase> {};

TEST_P(QsoLogSaveFailure, LeavesLogAndBackupAsTheyWere) {
    TempDir dir;
    const fs::path log = dir.path() / "Orvo.QSO.Log";
    const std::string bak = pelorin::BackupPathOf(log.string());
    writeBytes(log, kNormalLine);
    writeBytes(bak, "old backup\n");
    const auto step = GetParam().step;
    int reason = 0;
    EXPECT_NE(pelorin::SaveLogFile(log.string(), {normalEntry(), contestEntry()}, {}, &reason,
                                   [step](platform::AtomicStep s) { return s != step; }),
              0u);
    EXPECT_NE(reason, 0);
    EXPECT_EQ(readBytes(log), kNormalLine);
    EXPECT_EQ(readBytes(bak), "old backup\n");
    EXPECT_FALSE(temporaryBeside(log));
}

INSTANTIATE_TEST_SUITE_P(
    Steps, QsoLogSaveFailure,
    ::testing::Values(
        SaveFailureCase{"ShortWriteOfTheTemporaryFile", platform::AtomicStep::WriteTemporary},
        SaveFailureCase{"SyncOfTheTemporaryFile", platform::AtomicStep::SyncTemporary},
        SaveFailureCase{"TemporaryFileWritten", platform::AtomicStep::AfterTemporaryFile},
        SaveFailureCase{"SecondNameMade", platform::AtomicStep::AfterLink},
        SaveFailureCase{"BeforeFinalRename", platform::AtomicStep::BeforeFinalRename},
        SaveFailureCase{"BackupRenameAfterTheNewFileIsInPlace",
                        platform::AtomicStep::BeforeBackupRename}),
    CaseName());

TEST(QsoLogSave, LogFileThatIsAFolderIsNeitherReadNorWritten) {
    TempDir dir;
    const fs::path log = dir.path() / "Orvo.QSO.Log";
    fs::create_directory(log);
    std::string bytes;
    EXPECT_EQ(platform::readWholeFileReason(log.string(), bytes), EISDIR);
    int reason = 0;
    EXPECT_NE(pelorin::SaveLogFile(log.string(), {normalEntry()}, {}, &reason), 0u);
    EXPECT_NE(reason, 0);
    EXPECT_TRUE(fs::is_directory(log));
    EXPECT_FALSE(temporaryBeside(log));
}

TEST(QsoLogSave, MissingFileReadsAsMissing) {
    TempDir dir;
    std::string bytes;
    EXPECT_EQ(platform::readWholeFileReason((dir.path() / "none").string(), bytes), ENOENT);
}

}  // namespace
