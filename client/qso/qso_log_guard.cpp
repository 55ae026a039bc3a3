#include "client/qso/qso_log_guard.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <ctime>

#include "platform/atomic_file.h"

namespace pelorin {
namespace {

int syncFolder(const std::string& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return errno;
    const int result = ::fsync(fd) == 0 ? 0 : errno;
    ::close(fd);
    return result;
}

}  // namespace

LogFileLock::Result LogFileLock::Take(const std::string& logPath) {
    switch (m_file.lock(LockPathOf(logPath))) {
        case platform::FileLock::Result::Taken:
            return Result::Held;
        case platform::FileLock::Result::Held:
            return Result::HeldElsewhere;
        case platform::FileLock::Result::Failed:
            break;
    }
    return Result::Unavailable;
}

std::string LockPathOf(const std::string& logPath) {
    return logPath + ".lock";
}

LogDiskState DiskStateOfBytes(std::string_view bytes) {
    LogDiskState state;
    state.exists = true;
    state.size = bytes.size();
    const std::size_t keep = std::min(bytes.size(), LogDiskState::kTailBytes);
    state.tail.assign(bytes.substr(bytes.size() - keep));
    return state;
}

std::optional<LogDiskState> ReadDiskState(const std::string& path, int* error) {
    int ignored = 0;
    int& failure = error != nullptr ? *error : ignored;
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENOENT)
            return LogDiskState{};
        failure = errno;
        return std::nullopt;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        failure = EISDIR;
        ::close(fd);
        return std::nullopt;
    }
    LogDiskState state;
    state.exists = true;
    state.size = static_cast<std::uint64_t>(st.st_size);
    const std::size_t keep =
        static_cast<std::size_t>(std::min<std::uint64_t>(state.size, LogDiskState::kTailBytes));
    state.tail.resize(keep);
    const ssize_t got = ::pread(fd, state.tail.data(), keep, static_cast<off_t>(state.size - keep));
    if (got != static_cast<ssize_t>(keep)) {
        failure = got < 0 ? errno : EIO;
        ::close(fd);
        return std::nullopt;
    }
    ::close(fd);
    return state;
}

int WriteNewFile(const std::string& path, std::string_view bytes) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0)
        return errno;
    int error = 0;
    std::size_t done = 0;
    while (error == 0 && done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno != EINTR)
                error = errno;
        } else if (n == 0) {
            error = ENOSPC;
        } else {
            done += static_cast<std::size_t>(n);
        }
    }
    if (error == 0 && ::fsync(fd) != 0)
        error = errno;
    if (::close(fd) != 0 && error == 0)
        error = errno;
    if (error == 0)
        error = syncFolder(platform::folderOf(path));
    if (error != 0)
        ::unlink(path.c_str());
    return error;
}

std::optional<std::string> WriteUnderFreeName(const std::string& base, std::string_view bytes,
                                              int* reason) {
    int error = 0;
    for (int n = 1; n < 1000; ++n) {
        const std::string name = n == 1 ? base : base + "." + std::to_string(n);
        error = WriteNewFile(name, bytes);
        if (error == 0)
            return name;
        if (error != EEXIST)
            break;
    }
    if (reason != nullptr)
        *reason = error;
    return std::nullopt;
}

std::string UtcStampForFileName(std::int64_t secondsSinceEpoch) {
    const std::time_t t = static_cast<std::time_t>(secondsSinceEpoch);
    std::tm utc{};
    ::gmtime_r(&t, &utc);
    char text[32];
    std::strftime(text, sizeof text, "%Y%m%dT%H%M%SZ", &utc);
    return text;
}

}  // namespace pelorin
