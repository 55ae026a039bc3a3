#include "platform/windows_path.h"
#include "tests/support/row_names.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace {

struct PathCase {
    const char* name;
    const char* folder;
    const char* file;
    const char* path;  // with "$HOME" for the home folder
};
ROW_NAME(PathCase, row.name);

class WindowsPathTest : public ::testing::TestWithParam<PathCase> {
  protected:
    void SetUp() override {
        const char* home = std::getenv("HOME");
        m_hadHome = home != nullptr;
        m_savedHome = m_hadHome ? home : "";
        setenv("HOME", "/home/op", 1);
    }
    void TearDown() override {
        if (m_hadHome) {
            setenv("HOME", m_savedHome.c_str(), 1);
        } else {
            unsetenv("HOME");
        }
    }

  private:
    bool m_hadHome = false;
    std::string m_savedHome;
};

TEST_P(WindowsPathTest, MapsStoredFolderAndJoinsFile) {
    std::string expected = GetParam().path;
    if (expected.rfind("$HOME", 0) == 0) {
        expected.replace(0, 5, "/home/op");
    }
    EXPECT_EQ(joinLocalPath(GetParam().folder, GetParam().file), expected);
}

const PathCase kCases[] = {
    {"DriveFolder", "C:\\Orvo", "Orvo.Log", "$HOME/Orvo/Orvo.Log"},
    {"LowerCaseDriveTrailingBackslash", "d:\\Ham\\Logs\\", "k2.log", "$HOME/Ham/Logs/k2.log"},
    {"BareDrive", "C:", "Orvo.Log", "$HOME/Orvo.Log"},
    {"DriveRoot", "C:\\", "Orvo.Log", "$HOME/Orvo.Log"},
    {"Empty", "", "Orvo.Log", "$HOME/Orvo.Log"},
    {"Tilde", "~/radio", "Orvo.Log", "$HOME/radio/Orvo.Log"},
    {"BareTilde", "~", "Orvo.Log", "$HOME/Orvo.Log"},
    {"Absolute", "/var/tmp/k2", "Orvo.Log", "/var/tmp/k2/Orvo.Log"},
    {"AbsoluteTrailingSlash", "/var/tmp/k2/", "Orvo.Log", "/var/tmp/k2/Orvo.Log"},
    {"Relative", "logs", "Orvo.Log", "logs/Orvo.Log"},
};

INSTANTIATE_TEST_SUITE_P(Paths, WindowsPathTest, ::testing::ValuesIn(kCases), CaseName());

TEST(WindowsPathFolderTest, StoredTextMapsWithoutAFile) {
    setenv("HOME", "/home/op", 1);
    EXPECT_EQ(localPathFromWindows("C:\\Orvo"), "/home/op/Orvo");
    EXPECT_EQ(localPathFromWindows("/srv/log"), "/srv/log");
}

}  // namespace
