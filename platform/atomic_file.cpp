#include "platform/atomic_file.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <limits>
#include <utility>
#include <vector>

#include "platform/file_status.h"

namespace platform {
namespace {

bool writeAll(int fd, std::string_view content) {
    const char* p = content.data();
    std::size_t left = content.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, p, left);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        p += n;
        left -= static_cast<std::size_t>(n);
    }
    return true;
}

// "<prefix>XXXXXX" as mkostemp() makes it: six letters or digits. Anything
// else under the prefix is someone's own file.
bool isTemporaryName(const std::string& name, const std::string& prefix) {
    if (name.size() != prefix.size() + 6 || name.compare(0, prefix.size(), prefix) != 0)
        return false;
    for (std::size_t i = prefix.size(); i < name.size(); ++i) {
        const char c = name[i];
        if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')))
            return false;
    }
    return true;
}

// A new, empty "<path>.tmp.XXXXXX"; -1 on failure.
int makeTemporary(const std::string& path, std::string& tempPath) {
    std::vector<char> name(path.begin(), path.end());
    const std::string suffix = ".tmp.XXXXXX";
    name.insert(name.end(), suffix.begin(), suffix.end());
    name.push_back('\0');
    const int fd = ::mkostemp(name.data(), O_CLOEXEC);
    if (fd >= 0)
        tempPath.assign(name.data());
    return fd;
}

// Gives the file the mode of the one it stands in for and, where the process
// may, its group; a group it may not set is no failure.
void takeOwnModeAndGroup(int fd, const struct stat& old) {
    // A group the process may not set leaves the file in its own group.
    const int grouped = ::fchown(fd, static_cast<uid_t>(-1), old.st_gid);
    static_cast<void>(grouped);
    ::fchmod(fd, old.st_mode & 07777);
}

// The copy keeps the original's mode: a backup must not be readable by more
// users than the file it keeps. It never replaces a file already under `to`,
// and a copy that could not be finished is removed.
bool copyFile(const std::string& from, const std::string& to) {
    std::string content;
    struct stat st {};
    if (!readWholeFile(from, content) || ::stat(from.c_str(), &st) != 0)
        return false;
    const int fd = ::open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0)
        return false;
    takeOwnModeAndGroup(fd, st);
    bool ok = writeAll(fd, content) && ::fsync(fd) == 0;
    ok = ::close(fd) == 0 && ok;
    if (!ok) {
        const int reason = errno != 0 ? errno : EIO;
        ::unlink(to.c_str());
        errno = reason;
    }
    return ok;
}

bool syncFolder(const std::string& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool ok = ::fsync(fd) == 0;
    const int reason = errno;
    ::close(fd);
    errno = reason;
    return ok;
}

// The folder a file is made in, made when missing; false when it cannot be.
bool ensureFolderOf(const std::string& path) {
    const std::string folder = folderOf(path);
    if (folder == "." || folder == "/")
        return true;
    if (makeFolders(folder))
        return true;
    // A plain file where a folder should be.
    if (errno == EEXIST || errno == 0)
        errno = ENOTDIR;
    return false;
}

// Makes "<path>.tmp.XXXXXX" another name of the file at path (a copy where
// the file system refuses hard links).
bool secondName(const std::string& path, std::string& tempPath) {
    const int fd = makeTemporary(path, tempPath);
    if (fd < 0)
        return false;
    ::close(fd);
    ::unlink(tempPath.c_str());
    if (::link(path.c_str(), tempPath.c_str()) == 0)
        return true;
    return copyFile(path, tempPath);
}

}  // namespace

std::uint32_t replaceFileAtomically(const std::string& path, std::string_view content,
                                    const AtomicWriteOptions& options) {
    const auto step = [&](AtomicStep s) { return !options.hook || options.hook(s); };
    std::string newFile;
    std::string oldName;
    // Leaves errno as the failing call set it, so callers can name the reason.
    const auto fail = [&](std::uint32_t status, int reason) {
        if (reason == 0)
            reason = EIO;
        if (!newFile.empty())
            ::unlink(newFile.c_str());
        if (!oldName.empty())
            ::unlink(oldName.c_str());
        errno = reason;
        return status;
    };
    const auto failed = [&](std::uint32_t status) { return fail(status, errno); };
    const auto refused = [&] { return fail(K2ERR_FILE_WRITE, EIO); };

    // A link stays a link: what is replaced is the file it stands for.
    const std::string target = resolveLinks(path);
    const std::string backupPath = backupPathFor(path, options.backupPath);
    if (target != path && !ensureFolderOf(target))
        return fail(K2ERR_FILE_OPEN, errno);

    const int fd = makeTemporary(target, newFile);
    if (fd < 0)
        return K2ERR_FILE_OPEN;
    struct stat old {};
    if (::stat(target.c_str(), &old) == 0 && S_ISREG(old.st_mode)) {
        takeOwnModeAndGroup(fd, old);
    } else {
        ::fchmod(fd, 0644);
    }
    bool written = false;
    int reason = 0;
    if (step(AtomicStep::WriteTemporary)) {
        written = writeAll(fd, content);
    } else {
        writeAll(fd, content.substr(0, content.size() / 2));
        errno = ENOSPC;
    }
    if (!written) {
        reason = errno != 0 ? errno : ENOSPC;
    } else if (!step(AtomicStep::SyncTemporary)) {
        written = false;
        reason = EIO;
    } else if (::fsync(fd) != 0) {
        written = false;
        reason = errno;
    }
    if (::close(fd) != 0 && written) {
        written = false;
        reason = errno;
    }
    if (!written)
        return fail(K2ERR_FILE_WRITE, reason);
    if (!step(AtomicStep::AfterTemporaryFile))
        return refused();

    if (!backupPath.empty() && fileExists(target)) {
        if (!secondName(target, oldName))
            return failed(K2ERR_FILE_WRITE);
        if (!step(AtomicStep::AfterLink))
            return refused();
    }

    if (!step(AtomicStep::BeforeFinalRename))
        return refused();
    if (::rename(newFile.c_str(), target.c_str()) != 0)
        return failed(K2ERR_FILE_WRITE);
    newFile.clear();

    if (!oldName.empty()) {
        const bool hookOk = step(AtomicStep::BeforeBackupRename);
        const int why = hookOk ? 0 : EIO;
        if (!hookOk || ::rename(oldName.c_str(), backupPath.c_str()) != 0) {
            reason = why != 0 ? why : errno;
            // Put the old content back under the file's name; the new file
            // loses its last name and goes.
            if (::rename(oldName.c_str(), target.c_str()) == 0)
                oldName.clear();
            syncFolder(folderOf(target));
            return fail(K2ERR_FILE_WRITE, reason);
        }
        // When the backup already is another name of the old file, rename()
        // does nothing and both names stay: drop the spare one.
        ::unlink(oldName.c_str());
        oldName.clear();
    }
    syncFolder(folderOf(target));
    return 0;
}

std::string resolveLinks(const std::string& path) {
    std::string current = path;
    for (int hops = 0; hops < 40; ++hops) {
        struct stat st {};
        if (::lstat(current.c_str(), &st) != 0 || !S_ISLNK(st.st_mode))
            return current;
        std::vector<char> buffer(static_cast<std::size_t>(st.st_size > 0 ? st.st_size : 255) + 1);
        const ssize_t n = ::readlink(current.c_str(), buffer.data(), buffer.size());
        if (n <= 0 || static_cast<std::size_t>(n) >= buffer.size())
            return path;
        const std::string link(buffer.data(), static_cast<std::size_t>(n));
        if (link.front() == '/') {
            current = link;
        } else {
            const std::string folder = folderOf(current);
            current = folder == "/" ? "/" + link : folder + "/" + link;
        }
    }
    return path;
}

std::string backupPathFor(const std::string& path, const std::string& backupPath) {
    if (backupPath.empty() || folderOf(backupPath) != folderOf(path))
        return backupPath;
    const std::string target = resolveLinks(path);
    if (target == path)
        return backupPath;
    const std::string folder = folderOf(target);
    return (folder == "/" ? "" : folder) + "/" + nameOf(backupPath);
}

int removeLeftoverTemporaries(const std::string& path) {
    const std::string target = resolveLinks(path);
    const std::string prefix = nameOf(target) + ".tmp.";
    const std::string folder = folderOf(target);
    DIR* dir = ::opendir(folder.c_str());
    if (!dir)
        return 0;
    std::vector<std::string> found;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (isTemporaryName(name, prefix))
            found.push_back(folder + "/" + name);
    }
    ::closedir(dir);
    int removed = 0;
    for (const auto& f : found) {
        if (::unlink(f.c_str()) == 0)
            ++removed;
    }
    return removed;
}

namespace {

// Reads from fd until its end or limit bytes; returns 0 or the read's errno,
// the content then cleared.
int readOpenFile(int fd, std::size_t limit, std::string& content) {
    char buffer[65536];
    int reason = 0;
    while (content.size() < limit) {
        const std::size_t want = std::min(sizeof buffer, limit - content.size());
        const ssize_t n = ::read(fd, buffer, want);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            reason = errno;
        if (n <= 0)
            break;
        content.append(buffer, static_cast<std::size_t>(n));
    }
    if (reason != 0)
        content.clear();
    return reason;
}

}  // namespace

bool readWholeFile(const std::string& path, std::string& content) {
    return readWholeFileReason(path, content) == 0;
}

int readWholeFileReason(const std::string& path, std::string& content) {
    return readFileUpTo(path, std::numeric_limits<std::size_t>::max(), content);
}

int readFileUpTo(const std::string& path, std::size_t limit, std::string& content) {
    content.clear();
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return errno;
    const int reason = readOpenFile(fd, limit, content);
    ::close(fd);
    return reason;
}

int readPlainFile(const std::string& path, std::string& content) {
    content.clear();
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return errno;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return EISDIR;
    }
    content.reserve(static_cast<std::size_t>(st.st_size));
    const int reason = readOpenFile(fd, std::numeric_limits<std::size_t>::max(), content);
    ::close(fd);
    return reason;
}

int appendToFile(const std::string& path, std::string_view bytes, const AppendStepHook& hook,
                 std::string* written) {
    const std::string target = resolveLinks(path);
    if (!ensureFolderOf(target))
        return errno;
    bool made = false;
    int fd = ::open(target.c_str(), O_RDWR | O_APPEND | O_CLOEXEC);
    if (fd < 0 && errno == ENOENT) {
        fd = ::open(target.c_str(), O_RDWR | O_CREAT | O_EXCL | O_APPEND | O_CLOEXEC, 0644);
        made = fd >= 0;
        // Another writer made it in between.
        if (fd < 0 && errno == EEXIST)
            fd = ::open(target.c_str(), O_RDWR | O_APPEND | O_CLOEXEC);
    }
    if (fd < 0)
        return errno;
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        const int reason = errno;
        ::close(fd);
        return reason;
    }
    const off_t oldLength = st.st_size;
    std::string line;
    if (oldLength > 0) {
        char last = '\n';
        if (::pread(fd, &last, 1, oldLength - 1) != 1) {
            const int reason = errno != 0 ? errno : EIO;
            ::close(fd);
            return reason;
        }
        if (last != '\n')
            line.push_back('\n');
    }
    line.append(bytes);
    int reason = 0;
    if (hook && !hook(AppendStep::AfterOpen))
        reason = EIO;
    if (reason == 0) {
        errno = 0;
        if (!writeAll(fd, line))
            reason = errno != 0 ? errno : ENOSPC;
    }
    if (reason == 0 && hook && !hook(AppendStep::AfterWrite))
        reason = EIO;
    if (reason == 0 && ::fsync(fd) != 0)
        reason = errno;
    if (reason == 0 && made) {
        if (hook && !hook(AppendStep::SyncFolder)) {
            reason = EIO;
        } else if (!syncFolder(folderOf(target))) {
            reason = errno != 0 ? errno : EIO;
        }
    }
    if (reason != 0 && ::ftruncate(fd, oldLength) == 0)
        ::fsync(fd);
    if (::close(fd) != 0 && reason == 0)
        reason = errno;
    if (reason == 0 && written != nullptr)
        *written = std::move(line);
    return reason;
}

int addSecondName(const std::string& path, const std::string& secondPath) {
    if (::link(path.c_str(), secondPath.c_str()) != 0) {
        if (errno == EEXIST)
            return EEXIST;
        if (!copyFile(path, secondPath))
            return errno != 0 ? errno : EIO;
    }
    syncFolder(folderOf(secondPath));
    return 0;
}

bool fileExists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::string folderOf(const std::string& path) {
    const auto slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    if (slash == 0)
        return "/";
    return path.substr(0, slash);
}

std::string nameOf(const std::string& path) {
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool makeFolders(const std::string& path) {
    if (path.empty())
        return false;
    std::string partial;
    std::size_t pos = 0;
    while (pos != std::string::npos) {
        pos = path.find('/', pos + 1);
        partial = path.substr(0, pos);
        if (partial.empty())
            continue;
        if (::mkdir(partial.c_str(), 0755) != 0 && errno != EEXIST)
            return false;
    }
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace platform
