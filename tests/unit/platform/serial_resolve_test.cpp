// Which device a port number names, and where the serial folder lives.

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <ostream>
#include <string>

#include "platform/serial_port.h"
#include "tests/support/row_names.h"
#include "tests/support/temp_dir.h"

namespace fs = std::filesystem;
using platform::resolveSerialPort;
using platform::SerialPort;
using platform::SerialSettings;
using platform::SerialStatus;

namespace {

// What the test puts in the folder as `com4`.
enum class Entry { None, AbsoluteLink, RelativeLink, DanglingLink, PlainFile };

struct ResolveCase {
    const char* name;
    Entry entry;
    unsigned port;
    // Expected path: relative paths count from the temp folder, nullopt means
    // "refused".
    std::optional<std::string> expected;
};
ROW_NAME(ResolveCase, row.name);

class ResolveTest : public ::testing::TestWithParam<ResolveCase> {
  protected:
    void SetUp() override {
        const fs::path target = dir.path() / "devices" / "tty9";
        fs::create_directories(target.parent_path());
        std::ofstream(target).put('x');
        const fs::path com4 = dir.path() / "com4";
        switch (GetParam().entry) {
            case Entry::None:
                break;
            case Entry::AbsoluteLink:
                fs::create_symlink(target, com4);
                break;
            case Entry::RelativeLink:
                fs::create_symlink("devices/tty9", com4);
                break;
            case Entry::DanglingLink:
                fs::create_symlink(dir.path() / "gone", com4);
                break;
            case Entry::PlainFile:
                std::ofstream(com4).put('x');
                break;
        }
    }

    TempDir dir;
};

const ResolveCase kResolveCases[] = {
    {"AbsoluteLinkGivesItsTarget", Entry::AbsoluteLink, 4, "devices/tty9"},
    {"RelativeLinkCountsFromTheFolder", Entry::RelativeLink, 4, "devices/tty9"},
    {"DanglingLinkStillNamesItsTarget", Entry::DanglingLink, 4, "gone"},
    {"PlainEntryIsUsedAsItStands", Entry::PlainFile, 4, "com4"},
    {"NoEntryFallsBackToTtyS", Entry::None, 4, "/dev/ttyS3"},
    {"OtherNumberIgnoresTheEntry", Entry::AbsoluteLink, 1, "/dev/ttyS0"},
    {"LargeNumber", Entry::None, 12, "/dev/ttyS11"},
    {"PortZeroIsRefused", Entry::AbsoluteLink, 0, std::nullopt},
};

TEST_P(ResolveTest, ResolvesThePortNumber) {
    const auto& c = GetParam();
    const auto resolved = resolveSerialPort(c.port, dir.path());
    if (!c.expected) {
        EXPECT_FALSE(resolved.has_value());
        return;
    }
    ASSERT_TRUE(resolved.has_value());
    const fs::path expected = fs::path(*c.expected).is_absolute()
                                  ? fs::path(*c.expected)
                                  : (dir.path() / *c.expected).lexically_normal();
    EXPECT_EQ(*resolved, expected);
}

INSTANTIATE_TEST_SUITE_P(Serial, ResolveTest, ::testing::ValuesIn(kResolveCases), CaseName{});

// Opening fails cleanly, before any line setting is tried, when the port
// number names nothing usable.
struct OpenFailureCase {
    const char* name;
    Entry entry;
    unsigned port;
    SerialStatus status;
    int error;
};
ROW_NAME(OpenFailureCase, row.name);

class OpenFailureTest : public ::testing::TestWithParam<OpenFailureCase> {};

const OpenFailureCase kOpenFailureCases[] = {
    {"PortZero", Entry::None, 0, SerialStatus::Refused, EINVAL},
    {"DanglingLink", Entry::DanglingLink, 4, SerialStatus::OpenFailed, ENOENT},
    {"NotATerminal", Entry::PlainFile, 4, SerialStatus::OpenFailed, ENOTTY},
};

TEST_P(OpenFailureTest, ReportsAndStaysClosed) {
    const auto& c = GetParam();
    TempDir dir;
    const fs::path com4 = dir.path() / "com4";
    if (c.entry == Entry::DanglingLink) {
        fs::create_symlink(dir.path() / "gone", com4);
    } else if (c.entry == Entry::PlainFile) {
        std::ofstream(com4) << "not a terminal";
    }

    SerialPort port(dir.path());
    const auto result = port.open(c.port, SerialSettings{});
    EXPECT_EQ(result.status, c.status) << platform::toString(result.status);
    EXPECT_EQ(result.error, c.error);
    EXPECT_FALSE(port.isOpen());
    char byte = 0;
    EXPECT_EQ(port.read(&byte, 1).status, SerialStatus::NotOpen);
    EXPECT_EQ(port.write("x", 1).status, SerialStatus::NotOpen);
}

INSTANTIATE_TEST_SUITE_P(Serial, OpenFailureTest, ::testing::ValuesIn(kOpenFailureCases),
                         CaseName{});

// Sets or unsets environment variables for one test and puts back what was
// there before.
class EnvGuard {
  public:
    void set(const char* name, const char* value) {
        if (m_saved.count(name) == 0) {
            const char* old = std::getenv(name);
            m_saved[name] = old != nullptr ? std::optional<std::string>(old) : std::nullopt;
        }
        if (value != nullptr) {
            ::setenv(name, value, 1);
        } else {
            ::unsetenv(name);
        }
    }
    ~EnvGuard() {
        for (const auto& [name, value] : m_saved) {
            if (value) {
                ::setenv(name.c_str(), value->c_str(), 1);
            } else {
                ::unsetenv(name.c_str());
            }
        }
    }

  private:
    std::map<std::string, std::optional<std::string>> m_saved;
};

struct FolderCase {
    const char* name;
    const char* serialDir;  // nullptr: unset
    const char* xdgConfigHome;
    const char* home;
    const char* expected;
};
ROW_NAME(FolderCase, row.name);

class SerialFolderTest : public ::testing::TestWithParam<FolderCase> {};

const FolderCase kFolderCases[] = {
    {"ExplicitFolderWins", "/srv/ports", "/xdg", "/home/op", "/srv/ports"},
    {"XdgConfigHome", nullptr, "/xdg", "/home/op", "/xdg/N0CALL Software/serial"},
    {"EmptySerialDirIsUnset", "", "/xdg", "/home/op", "/xdg/N0CALL Software/serial"},
    {"HomeWhenXdgUnset", nullptr, nullptr, "/home/op", "/home/op/.config/N0CALL Software/serial"},
    {"HomeWhenXdgEmpty", nullptr, "", "/home/op", "/home/op/.config/N0CALL Software/serial"},
};

TEST_P(SerialFolderTest, ComesFromTheEnvironment) {
    const auto& c = GetParam();
    EnvGuard env;
    env.set("RIGCONTROL_SERIAL_DIR", c.serialDir);
    env.set("XDG_CONFIG_HOME", c.xdgConfigHome);
    env.set("HOME", c.home);
    EXPECT_EQ(platform::defaultSerialDir(), fs::path(c.expected));
    EXPECT_EQ(SerialPort().serialDir(), fs::path(c.expected));
}

INSTANTIATE_TEST_SUITE_P(Serial, SerialFolderTest, ::testing::ValuesIn(kFolderCases), CaseName{});

}  // namespace
