// The instance lock on real files, tried from forked processes: flock locks
// belong to an open file, so only another process shows whether it holds.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "platform/file_lock.h"
#include "tests/support/temp_dir.h"

namespace {

using platform::FileLock;

std::string contentOf(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// What a lock of `path` gives in a child process of its own.
FileLock::Result resultInAnotherProcess(const std::filesystem::path& path) {
    const pid_t child = ::fork();
    if (child == 0) {
        FileLock lock;
        ::_exit(static_cast<int>(lock.lock(path.string())));
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return static_cast<FileLock::Result>(WEXITSTATUS(status));
}

class FileLockTest : public ::testing::Test {
  protected:
    TempDir m_dir{"file-lock-test"};
    const std::filesystem::path m_path = m_dir.path() / "Pelorin.lock";
};

TEST_F(FileLockTest, AnotherProcessFindsItHeldUntilTheHolderLetsGo) {
    FileLock lock;
    ASSERT_EQ(lock.lock(m_path.string()), FileLock::Result::Taken);
    EXPECT_TRUE(lock.held());
    EXPECT_EQ(resultInAnotherProcess(m_path), FileLock::Result::Held);

    lock.unlock();
    EXPECT_FALSE(lock.held());
    EXPECT_TRUE(std::filesystem::exists(m_path)) << "a lock file is never deleted";
    EXPECT_EQ(resultInAnotherProcess(m_path), FileLock::Result::Taken);
}

TEST_F(FileLockTest, ALockFileKeepsWhatItHolds) {
    std::ofstream(m_path) << "left by an older version\n";
    {
        FileLock lock;
        ASSERT_EQ(lock.lock(m_path.string()), FileLock::Result::Taken);
    }
    EXPECT_EQ(contentOf(m_path), "left by an older version\n");
}

TEST_F(FileLockTest, AProgramStartedByTheHolderDoesNotKeepTheLock) {
    FileLock lock;
    ASSERT_EQ(lock.lock(m_path.string()), FileLock::Result::Taken);
    // The pipe's write end is close-on-exec too: its end of file says the
    // exec has happened, after which a descriptor that survived it would keep
    // the lock.
    int execDone[2];
    ASSERT_EQ(::pipe2(execDone, O_CLOEXEC), 0);
    const pid_t started = ::fork();
    if (started == 0) {
        ::execlp("sleep", "sleep", "30", static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ASSERT_GT(started, 0);
    ::close(execDone[1]);
    char byte = 0;
    while (::read(execDone[0], &byte, 1) < 0 && errno == EINTR) {
    }
    ::close(execDone[0]);
    lock.unlock();
    EXPECT_EQ(resultInAnotherProcess(m_path), FileLock::Result::Taken);
    ::kill(started, SIGKILL);
    ::waitpid(started, nullptr, 0);
}

TEST_F(FileLockTest, AFolderThatIsNotThereFailsWithItsError) {
    FileLock lock;
    EXPECT_EQ(lock.lock((m_dir.path() / "missing" / "Pelorin.lock").string()),
              FileLock::Result::Failed);
    EXPECT_EQ(lock.error(), ENOENT);
    EXPECT_FALSE(lock.held());
}

}  // namespace
