// One Pelorin per settings folder and per home folder, with real programs:
// omniNames, the K2 simulator on a pty in this process, Brakton and a first
// Pelorin as child processes sharing one settings folder. A second Pelorin
// on the same settings folder, or on the same home folder with settings of
// its own, ends with code 1 and its message and changes no file, while
// Brakton and the first Pelorin run on.

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "platform/message_service.h"
#include "tests/integration/brakton_chain.h"
#include "tests/support/row_names.h"
#include "tests/support/test_support.h"

namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

// A file as a second program could have changed it.
struct FileState {
    std::string bytes;
    std::int64_t modifiedNs = 0;
    bool operator==(const FileState&) const = default;
};

using FolderState = std::map<std::string, FileState>;

// Every file under `folder`, by its path, but those named in `skip`.
void addFolderState(const fs::path& folder, const std::vector<std::string>& skip,
                    FolderState& state) {
    std::error_code error;
    for (const auto& entry : fs::recursive_directory_iterator(folder, error)) {
        if (!entry.is_regular_file()) {
            continue;
        }
        const std::string name = entry.path().filename().string();
        if (std::find(skip.begin(), skip.end(), name) != skip.end()) {
            continue;
        }
        struct stat st {};
        ::stat(entry.path().c_str(), &st);
        state[entry.path().string()] = {
            readFile(entry.path()),
            static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec};
    }
}

// Where one Pelorin keeps its things.
struct PelorinFolders {
    fs::path home;    // HOME: its default home folder is home/Orvo
    fs::path config;  // XDG_CONFIG_HOME
    fs::path output;  // its message log, standard output and error

    fs::path settingsFolder() const { return config / "N0CALL Software"; }
    fs::path messageLog() const { return output / "messages.log"; }

    std::vector<std::string> environment() const {
        fs::create_directories(home);
        fs::create_directories(output);
        fs::permissions(output, fs::perms::owner_all);
        return {"HOME=" + home.string(), "XDG_CONFIG_HOME=" + config.string(),
                "XDG_RUNTIME_DIR=" + output.string(), "ORVO_MESSAGE_LOG=" + messageLog().string(),
                "QT_QPA_PLATFORM=offscreen"};
    }
};

// Brakton and the first Pelorin, once for all rows: each row's second
// Pelorin must leave them as they were.
class FirstPelorinBesideBrakton : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        s_chain = std::make_unique<BraktonChain>();
        if (!s_chain->start()) {
            s_error = s_chain->error();
            return;
        }
        // The settings folder Brakton's "Rig Control.ini" is in.
        s_first = {s_chain->dir() / "first", s_chain->dir() / "config", s_chain->dir() / "first"};
        s_pelorin = std::make_unique<ChildProcess>();
        if (!s_pelorin->start(PELORIN_PROGRAM, pelorinArgs(), s_first.environment(), s_first.output,
                              "Pelorin")) {
            s_error = "cannot start " PELORIN_PROGRAM;
            return;
        }
        // Connected, its state asked for and polling asked for: the first
        // Pelorin is up, its files in place.
        if (!s_chain->radio().waitForCommand("LK", 25s).has_value()) {
            s_error = "the first Pelorin never connected: " + readFile(s_pelorin->stderrPath());
        }
    }
    static void TearDownTestSuite() {
        if (s_pelorin) {
            s_pelorin->stop();
        }
        s_pelorin.reset();
        s_chain.reset();
    }

    void SetUp() override { ASSERT_TRUE(s_error.empty()) << s_error; }

    static std::vector<std::string> pelorinArgs() {
        std::vector<std::string> args = s_chain->naming().initRefArgs();
        const auto endpoint = loopbackEndpointArgs();
        args.insert(args.end(), endpoint.begin(), endpoint.end());
        return args;
    }

    static inline std::unique_ptr<BraktonChain> s_chain;
    static inline std::unique_ptr<ChildProcess> s_pelorin;
    static inline PelorinFolders s_first;
    static inline std::string s_error;
};

struct Case {
    const char* name;
    // The second Pelorin's folders, given the first's; may write its settings.
    std::function<PelorinFolders(const PelorinFolders& first, const fs::path& own)> folders;
    // The folder its message names.
    std::function<fs::path(const PelorinFolders& first)> lockedFolder;
    const char* message;
};
ROW_NAME(Case, row.name);

const Case kCases[] = {
    {"SameSettingsFolder",
     [](const PelorinFolders& first, const fs::path& own) {
         return PelorinFolders{own / "home", first.config, own};
     },
     [](const PelorinFolders& first) { return first.settingsFolder(); },
     "Pelorin is already running with the settings in %s."},
    // Its own settings name the first one's home folder.
    {"SameHomeFolderNamedInItsSettings",
     [](const PelorinFolders& first, const fs::path& own) {
         PelorinFolders second{own / "home", own / "config", own};
         fs::create_directories(second.settingsFolder());
         std::ofstream(second.settingsFolder() / "Pelorin.ini")
             << "[General]\nHomeDir=" << (first.home / "Orvo").string() << "\n";
         return second;
     },
     [](const PelorinFolders& first) { return first.home / "Orvo"; },
     "Pelorin is already running with its files in %s."},
    // No settings of its own yet: the default home folder is the first one's,
    // and the settings it would write on a first run stay unwritten.
    {"SameHomeFolderByDefault",
     [](const PelorinFolders& first, const fs::path& own) {
         return PelorinFolders{first.home, own / "config", own};
     },
     [](const PelorinFolders& first) { return first.home / "Orvo"; },
     "Pelorin is already running with its files in %s."},
};

class SecondPelorin : public FirstPelorinBesideBrakton,
                      public ::testing::WithParamInterface<Case> {};

TEST_P(SecondPelorin, EndsWithItsMessageAndChangesNoFile) {
    const Case& c = GetParam();
    const fs::path own = s_chain->dir() / (std::string("second-") + c.name);
    const PelorinFolders second = c.folders(s_first, own);

    // Brakton may write its own file at any time; nothing else in these
    // folders may change. A second one with settings of its own may add its
    // settings folder's lock file, nothing more.
    const std::vector<std::string> skip = {"Rig Control.ini", "Rig Control.ini.lock"};
    const auto folderStates = [&] {
        FolderState files;
        addFolderState(s_first.settingsFolder(), skip, files);
        addFolderState(s_first.home / "Orvo", skip, files);
        if (second.config != s_first.config) {
            addFolderState(second.config, {"Pelorin.lock"}, files);
        }
        return files;
    };
    const FolderState before = folderStates();
    for (const fs::path& held : {s_first.settingsFolder(), s_first.home / "Orvo"}) {
        ASSERT_TRUE(before.count((held / "Pelorin.lock").string())) << held;
    }
    ASSERT_TRUE(before.count((s_first.settingsFolder() / "Pelorin.ini").string()));

    ChildProcess pelorin;
    ASSERT_TRUE(pelorin.start(PELORIN_PROGRAM, pelorinArgs(), second.environment(), own));
    const auto status = pelorin.waitExit(20s);
    ASSERT_TRUE(status.has_value()) << "the second Pelorin did not end";
    ASSERT_TRUE(WIFEXITED(*status)) << "status " << *status;
    EXPECT_EQ(WEXITSTATUS(*status), 1);

    std::string text = c.message;
    text.replace(text.find("%s"), 2, c.lockedFolder(s_first).string());
    EXPECT_NE(readFile(pelorin.stderrPath()).find(text + "\n"), std::string::npos)
        << readFile(pelorin.stderrPath());
    EXPECT_EQ(readFile(second.messageLog()), MessageService::recordLine("error", text));

    const FolderState after = folderStates();
    EXPECT_EQ(after.size(), before.size());
    for (const auto& [path, state] : before) {
        ASSERT_TRUE(after.count(path)) << path << " is gone";
        EXPECT_EQ(after.at(path).bytes, state.bytes) << path;
        EXPECT_EQ(after.at(path).modifiedNs, state.modifiedNs) << path;
    }
    if (second.home != s_first.home) {
        EXPECT_FALSE(fs::exists(second.home / "Orvo")) << "a home folder was made";
    }

    EXPECT_TRUE(s_pelorin->running());
    EXPECT_TRUE(s_chain->brakton().running());
}

INSTANTIATE_TEST_SUITE_P(Folders, SecondPelorin, ::testing::ValuesIn(kCases), CaseName());

}  // namespace
