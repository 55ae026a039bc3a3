#include "platform/atomic_file.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
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

bool copyFile(const std::string& from, const std::string& to) {
    std::string content;
    if (!readWholeFile(from, content))
        return false;
    const int fd = ::open(to.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        return false;
    const bool ok = writeAll(fd, content) && ::fsync(fd) == 0;
    return ::close(fd) == 0 && ok;
}

void syncFolder(const std::string& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    ::fsync(fd);
    ::close(fd);
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

    const int fd = makeTemporary(path, newFile);
    if (fd < 0)
        return K2ERR_FILE_OPEN;
    ::fchmod(fd, 0644);
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

    if (!options.backupPath.empty() && fileExists(path)) {
        if (!secondName(path, oldName))
            return failed(K2ERR_FILE_WRITE);
        if (!step(AtomicStep::AfterLink))
            return refused();
    }

    if (!step(AtomicStep::BeforeFinalRename))
        return refused();
    if (::rename(newFile.c_str(), path.c_str()) != 0)
        return failed(K2ERR_FILE_WRITE);
    newFile.clear();

    if (!oldName.empty()) {
        const bool hookOk = step(AtomicStep::BeforeBackupRename);
        const int why = hookOk ? 0 : EIO;
        if (!hookOk || ::rename(oldName.c_str(), options.backupPath.c_str()) != 0) {
            reason = why != 0 ? why : errno;
            // Put the old content back under the file's name; the new file
            // loses its last name and goes.
            if (::rename(oldName.c_str(), path.c_str()) == 0)
                oldName.clear();
            syncFolder(folderOf(path));
            return fail(K2ERR_FILE_WRITE, reason);
        }
        // When the backup already is another name of the old file, rename()
        // does nothing and both names stay: drop the spare one.
        ::unlink(oldName.c_str());
        oldName.clear();
    }
    syncFolder(folderOf(path));
    return 0;
}

int removeLeftoverTemporaries(const std::string& path) {
    const std::string prefix = nameOf(path) + ".tmp.";
    const std::string folder = folderOf(path);
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

bool readWholeFile(const std::string& path, std::string& content) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    content.clear();
    char buffer[8192];
    bool ok = true;
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            ok = false;
        if (n <= 0)
            break;
        content.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(fd);
    return ok;
}

int readWholeFileReason(const std::string& path, std::string& content) {
    content.clear();
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return errno;
    char buffer[8192];
    int reason = 0;
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            reason = errno;
        if (n <= 0)
            break;
        content.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(fd);
    if (reason != 0)
        content.clear();
    return reason;
}

int appendToFile(const std::string& path, std::string_view bytes, const AppendStepHook& hook) {
    const std::string folder = folderOf(path);
    if (folder != "." && folder != "/" && !makeFolders(folder)) {
        // A plain file where a folder should be.
        if (errno == EEXIST || errno == 0)
            return ENOTDIR;
        return errno;
    }
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
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
    if (reason != 0 && ::ftruncate(fd, oldLength) == 0)
        ::fsync(fd);
    if (::close(fd) != 0 && reason == 0)
        reason = errno;
    return reason;
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
