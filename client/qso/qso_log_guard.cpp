#include "client/qso/qso_log_guard.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QCryptographicHash>
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
    m_path = LockPathOf(logPath);
    switch (m_file.lock(m_path)) {
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
    return platform::resolveLinks(logPath) + ".lock";
}

LogFileRecord::LogFileRecord() = default;

LogFileRecord::LogFileRecord(std::string_view bytes)
    : m_hash(std::make_unique<QCryptographicHash>(QCryptographicHash::Sha256)) {
    m_exists = true;
    Extend(bytes);
}

LogFileRecord::LogFileRecord(LogFileRecord&&) noexcept = default;
LogFileRecord& LogFileRecord::operator=(LogFileRecord&&) noexcept = default;
LogFileRecord::~LogFileRecord() = default;

void LogFileRecord::Extend(std::string_view added) {
    if (!m_hash)
        m_hash = std::make_unique<QCryptographicHash>(QCryptographicHash::Sha256);
    m_exists = true;
    m_size += added.size();
    m_hash->addData(QByteArrayView(added.data(), static_cast<qsizetype>(added.size())));
    if (added.size() >= kTailBytes) {
        m_tail.assign(added.substr(added.size() - kTailBytes));
        return;
    }
    m_tail.append(added);
    if (m_tail.size() > kTailBytes)
        m_tail.erase(0, m_tail.size() - kTailBytes);
}

bool LogFileRecord::Holds(std::string_view bytes) const {
    if (!m_exists || !m_hash || bytes.size() != m_size ||
        bytes.substr(bytes.size() - m_tail.size()) != m_tail)
        return false;
    // The hash object goes on taking appends after it gave a result.
    return QCryptographicHash::hash(
               QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())),
               QCryptographicHash::Sha256) == m_hash->result();
}

AppendCheck CheckBeforeAppend(const std::string& path, const LogFileRecord& left) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return errno == ENOENT && !left.exists() ? AppendCheck::AsLeft : AppendCheck::Changed;
    struct stat st {};
    AppendCheck check = AppendCheck::Changed;
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) {
        const auto size = static_cast<std::uint64_t>(st.st_size);
        const std::string& tail = left.tail();
        std::string atEnd(tail.size(), '\0');
        if (!left.exists()) {
            check = AppendCheck::Grew;
        } else if (size >= left.size() &&
                   ::pread(fd, atEnd.data(), atEnd.size(),
                           static_cast<off_t>(left.size() - tail.size())) ==
                       static_cast<ssize_t>(atEnd.size()) &&
                   atEnd == tail) {
            check = size == left.size() ? AppendCheck::AsLeft : AppendCheck::Grew;
        }
    }
    ::close(fd);
    return check;
}

FileAccess AccessOf(const std::string& path) {
    FileAccess access;
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode)) {
        access.mode = st.st_mode & 0777;
        access.group = static_cast<long>(st.st_gid);
    }
    return access;
}

int WriteNewFile(const std::string& path, std::string_view bytes, const FileAccess& access) {
    // Made for the owner alone, then given the access asked for: the umask
    // must not widen nor narrow it, and nobody may open it in between.
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0)
        return errno;
    int error = 0;
    if (access.group >= 0) {
        // A group the process may not set leaves the file in its own group.
        const int grouped = ::fchown(fd, static_cast<uid_t>(-1), static_cast<gid_t>(access.group));
        static_cast<void>(grouped);
    }
    if (::fchmod(fd, static_cast<mode_t>(access.mode & 0777)) != 0)
        error = errno;
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
                                              int* reason, const FileAccess& access) {
    int error = 0;
    for (int n = 1; n < 1000; ++n) {
        const std::string name = n == 1 ? base : base + "." + std::to_string(n);
        error = WriteNewFile(name, bytes, access);
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
