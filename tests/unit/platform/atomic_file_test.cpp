// The shared file layer on real files in a temporary folder: a save keeps
// what the file was (mode, group, a symbolic link and where its target lies),
// and an append that makes a file syncs its folder.

#include "platform/atomic_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/row_names.h"
#include "tests/support/temp_dir.h"

namespace {

namespace fs = std::filesystem;

constexpr const char* kOld = "0;1;N0CALL;07042024183000;  20M;14060000;CW;;;;;0;;\n";
constexpr const char* kNew = "0;1;K1ABC;07042024183000;  40M;7040000;CW;;;;;0;;\n";

std::string Bytes(const fs::path& path) {
    std::string content;
    if (!platform::readWholeFile(path.string(), content))
        return "<missing>";
    return content;
}

void Put(const fs::path& path, const std::string& content, mode_t mode) {
    fs::create_directories(path.parent_path());
    ASSERT_EQ(platform::replaceFileAtomically(path.string(), content), 0u);
    ASSERT_EQ(::chmod(path.c_str(), mode), 0);
}

struct stat StatOf(const fs::path& path) {
    struct stat st {};
    ::stat(path.c_str(), &st);
    return st;
}

std::vector<std::string> Temporaries(const fs::path& dir) {
    std::vector<std::string> found;
    if (!fs::is_directory(dir))
        return found;
    for (const auto& e : fs::directory_iterator(dir)) {
        if (e.path().filename().string().find(".tmp.") != std::string::npos)
            found.push_back(e.path().filename().string());
    }
    return found;
}

// The saved name is dir/"Orvo.QSO.Log" with its backup "Orvo.QSO.Log.Bak"
// beside it; arrange() makes what stands under that name and returns the
// file the name stands for.
struct SaveCase {
    const char* name;
    fs::path (*arrange)(const fs::path& dir);
    bool oldFile;  // the target holds kOld before the save
    mode_t mode;   // the target's mode before the save (and after it)
    bool otherGroup;
};
ROW_NAME(SaveCase, row.name);

const SaveCase kSaves[] = {
    {"PlainFileOfMode0600",
     [](const fs::path& d) {
         Put(d / "Orvo.QSO.Log", kOld, 0600);
         return d / "Orvo.QSO.Log";
     },
     true, 0600, false},
    {"PlainFileOfAnotherGroup",
     [](const fs::path& d) {
         Put(d / "Orvo.QSO.Log", kOld, 0640);
         return d / "Orvo.QSO.Log";
     },
     true, 0640, true},
    {"LinkIntoAnotherFolder",
     [](const fs::path& d) {
         Put(d / "synced" / "log.txt", kOld, 0600);
         fs::create_symlink(d / "synced" / "log.txt", d / "Orvo.QSO.Log");
         return d / "synced" / "log.txt";
     },
     true, 0600, false},
    {"RelativeLinkToALink",
     [](const fs::path& d) {
         Put(d / "synced" / "log.txt", kOld, 0640);
         fs::create_symlink("log.txt", d / "synced" / "current");
         fs::create_symlink("synced/current", d / "Orvo.QSO.Log");
         return d / "synced" / "log.txt";
     },
     true, 0640, false},
    {"LinkWhoseTargetFolderIsMissing",
     [](const fs::path& d) {
         fs::create_symlink(d / "gone" / "deeper" / "log.txt", d / "Orvo.QSO.Log");
         return d / "gone" / "deeper" / "log.txt";
     },
     false, 0644, false},
};

class SavedFile : public ::testing::TestWithParam<SaveCase> {
  protected:
    fs::path Name() const { return m_dir.path() / "Orvo.QSO.Log"; }
    TempDir m_dir{"atomic-file-test"};
};

TEST_P(SavedFile, KeepsItsModeGroupAndLinkWithTheBackupBesideTheTarget) {
    const SaveCase& row = GetParam();
    const fs::path target = row.arrange(m_dir.path());
    if (row.otherGroup && ::chown(target.c_str(), static_cast<uid_t>(-1), 65534) != 0) {
        GTEST_SKIP() << "the test process may not give its file group 65534";
    }
    const bool wasLink = fs::is_symlink(Name());
    const fs::path link = wasLink ? fs::read_symlink(Name()) : fs::path();
    const gid_t group = row.oldFile ? StatOf(target).st_gid : ::getegid();

    platform::AtomicWriteOptions options;
    options.backupPath = Name().string() + ".Bak";
    ASSERT_EQ(platform::replaceFileAtomically(Name().string(), kNew, options), 0u)
        << std::strerror(errno);

    EXPECT_EQ(fs::is_symlink(Name()), wasLink);
    if (wasLink) {
        EXPECT_EQ(fs::read_symlink(Name()), link) << "the link is left as it is";
    }
    EXPECT_EQ(Bytes(target), kNew);
    EXPECT_EQ(StatOf(target).st_mode & 07777, row.mode);
    EXPECT_EQ(StatOf(target).st_gid, group);
    const fs::path backup = target.parent_path() / "Orvo.QSO.Log.Bak";
    if (row.oldFile) {
        EXPECT_EQ(Bytes(backup), kOld) << "the backup lies beside the target";
        EXPECT_EQ(StatOf(backup).st_mode & 07777, row.mode);
    } else {
        EXPECT_FALSE(fs::exists(backup));
    }
    if (target.parent_path() != m_dir.path()) {
        EXPECT_FALSE(fs::exists(fs::symlink_status(Name().string() + ".Bak")));
    }
    EXPECT_EQ(Temporaries(m_dir.path()), std::vector<std::string>{});
    EXPECT_EQ(Temporaries(target.parent_path()), std::vector<std::string>{});

    // The next save goes the same way: the backup now holds the first save.
    ASSERT_EQ(platform::replaceFileAtomically(Name().string(), kOld, options), 0u);
    EXPECT_EQ(fs::is_symlink(Name()), wasLink);
    EXPECT_EQ(Bytes(target), kOld);
    EXPECT_EQ(Bytes(backup), kNew);
}

INSTANTIATE_TEST_SUITE_P(Names, SavedFile, ::testing::ValuesIn(kSaves), CaseName());

class Append : public ::testing::Test {
  protected:
    TempDir m_dir{"atomic-file-test"};
};

TEST_F(Append, ThatMakesTheFileSyncsItsFolderAndLaterOnesDoNot) {
    const fs::path log = m_dir.path() / "Orvo" / "Orvo.QSO.Log";
    std::vector<platform::AppendStep> steps;
    const auto record = [&steps](platform::AppendStep s) {
        steps.push_back(s);
        return true;
    };
    ASSERT_EQ(platform::appendToFile(log.string(), kOld, record), 0);
    EXPECT_EQ(steps, (std::vector<platform::AppendStep>{platform::AppendStep::AfterOpen,
                                                        platform::AppendStep::AfterWrite,
                                                        platform::AppendStep::SyncFolder}));
    steps.clear();
    ASSERT_EQ(platform::appendToFile(log.string(), kNew, record), 0);
    EXPECT_EQ(steps, (std::vector<platform::AppendStep>{platform::AppendStep::AfterOpen,
                                                        platform::AppendStep::AfterWrite}));
    EXPECT_EQ(Bytes(log), std::string(kOld) + kNew);
}

TEST_F(Append, WhoseFolderSyncFailsIsAFailedAppend) {
    const fs::path log = m_dir.path() / "Orvo.QSO.Log";
    EXPECT_EQ(platform::appendToFile(
                  log.string(), kOld,
                  [](platform::AppendStep s) { return s != platform::AppendStep::SyncFolder; }),
              EIO);
    EXPECT_EQ(Bytes(log), "") << "cut back to its old length";
}

TEST_F(Append, ThroughALinkReachesItsTargetAndMakesTheTargetsFolder) {
    const fs::path name = m_dir.path() / "Orvo.QSO.Log";
    const fs::path target = m_dir.path() / "synced" / "logs" / "log.txt";
    fs::create_symlink(target, name);
    ASSERT_EQ(platform::appendToFile(name.string(), kOld), 0) << std::strerror(errno);
    ASSERT_EQ(platform::appendToFile(name.string(), kNew), 0);
    EXPECT_TRUE(fs::is_symlink(name));
    EXPECT_EQ(Bytes(target), std::string(kOld) + kNew);
}

}  // namespace
