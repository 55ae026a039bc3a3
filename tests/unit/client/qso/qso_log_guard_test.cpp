#include "client/qso/qso_log_guard.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

#include "tests/support/row_names.h"
#include "tests/support/temp_dir.h"

namespace {

using namespace pelorin;
namespace fs = std::filesystem;

std::string lines(int count) {
    std::string bytes;
    for (int n = 1; n <= count; ++n)
        bytes += "0;" + std::to_string(n) + ";K" + std::to_string(n) + ";;;;;;;;;0;;\n";
    return bytes;
}

// Appends keep the record of what the program wrote: a record built up from
// a read and appends holds exactly the file of all those bytes, however many
// times it was asked in between.
TEST(LogFileRecord, BuiltFromAReadAndAppendsHoldsOnlyTheWholeFileOfThoseBytes) {
    const std::string read = lines(40);
    LogFileRecord record(read);
    EXPECT_TRUE(record.Holds(read));
    const std::string first = lines(3);
    record.Extend(first);
    EXPECT_TRUE(record.Holds(read + first));
    const std::string second = "\n" + std::string(700, 'x') + "\n";
    record.Extend(second);

    const std::string all = read + first + second;
    EXPECT_TRUE(record.Holds(all));
    EXPECT_EQ(record.size(), all.size());
    EXPECT_EQ(record.tail(), all.substr(all.size() - LogFileRecord::kTailBytes));
    std::string edited = all;
    edited[10] = edited[10] == '1' ? '2' : '1';  // same size, same end
    EXPECT_FALSE(record.Holds(edited));
    EXPECT_FALSE(record.Holds(read + first));
    EXPECT_FALSE(record.Holds(all + "\n"));

    EXPECT_FALSE(LogFileRecord().Holds(""));
    EXPECT_TRUE(LogFileRecord("").Holds(""));
    LogFileRecord made;
    made.Extend(first);  // an append that made the file
    EXPECT_TRUE(made.Holds(first));
}

struct AppendCheckCase {
    const char* name;
    bool leftAFile;
    // What happens to the file (2000 bytes as the program left it) outside.
    std::function<void(const fs::path& log, std::string& bytes)> outside;
    AppendCheck check;
};
ROW_NAME(AppendCheckCase, row.name);

class CheckBeforeAppendTest : public ::testing::TestWithParam<AppendCheckCase> {};

TEST_P(CheckBeforeAppendTest, ReadsTheFilesEndWhereTheProgramLeftIt) {
    const AppendCheckCase& c = GetParam();
    TempDir dir;
    const fs::path log = dir.path() / "mine.log";
    std::string bytes = lines(200).substr(0, 2000);
    const LogFileRecord left = c.leftAFile ? LogFileRecord(bytes) : LogFileRecord();
    if (c.leftAFile)
        std::ofstream(log, std::ios::binary) << bytes;
    if (c.outside) {
        c.outside(log, bytes);
        if (fs::is_regular_file(log) || !c.leftAFile)
            std::ofstream(log, std::ios::binary) << bytes;
    }
    EXPECT_EQ(CheckBeforeAppend(log.string(), left), c.check);
}

INSTANTIATE_TEST_SUITE_P(
    Files, CheckBeforeAppendTest,
    ::testing::Values(
        AppendCheckCase{"Untouched", true, {}, AppendCheck::AsLeft},
        AppendCheckCase{"Grown", true, [](const fs::path&, std::string& b) { b += "# note\n"; },
                        AppendCheck::Grew},
        AppendCheckCase{"LastByteChanged", true,
                        [](const fs::path&, std::string& b) { b.back() = 'x'; },
                        AppendCheck::Changed},
        AppendCheckCase{"ChangedInTheLastBytesAndGrown", true,
                        [](const fs::path&, std::string& b) {
                            b[b.size() - 100] = '#';
                            b += "# note\n";
                        },
                        AppendCheck::Changed},
        // Only the end is read: the next rewrite compares the whole file.
        AppendCheckCase{"ChangedBeforeTheLastBytes", true,
                        [](const fs::path&, std::string& b) { b[10] = '#'; }, AppendCheck::AsLeft},
        AppendCheckCase{"CutShort", true, [](const fs::path&, std::string& b) { b.resize(1500); },
                        AppendCheck::Changed},
        AppendCheckCase{"Emptied", true, [](const fs::path&, std::string& b) { b.clear(); },
                        AppendCheck::Changed},
        AppendCheckCase{"Removed", true, [](const fs::path& log, std::string&) { fs::remove(log); },
                        AppendCheck::Changed},
        AppendCheckCase{"AFolderInItsPlace", true,
                        [](const fs::path& log, std::string&) {
                            fs::remove(log);
                            fs::create_directory(log);
                        },
                        AppendCheck::Changed},
        AppendCheckCase{"NoneLeftAndNoneThere", false, {}, AppendCheck::AsLeft},
        AppendCheckCase{"NoneLeftButOneMadeOutside", false,
                        [](const fs::path&, std::string& b) { b = "# made outside\n"; },
                        AppendCheck::Grew}),
    CaseName());

}  // namespace
