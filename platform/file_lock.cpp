#include "platform/file_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace platform {

FileLock::~FileLock() {
    unlock();
}

FileLock::FileLock(FileLock&& other) noexcept : m_fd(other.m_fd), m_error(other.m_error) {
    other.m_fd = -1;
}

FileLock& FileLock::operator=(FileLock&& other) noexcept {
    if (this != &other) {
        unlock();
        m_fd = other.m_fd;
        m_error = other.m_error;
        other.m_fd = -1;
    }
    return *this;
}

FileLock::Result FileLock::lock(const std::string& path) {
    unlock();
    m_error = 0;
    int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0 && errno == EACCES) {
        // flock needs no write access: a lock file someone else made read-only still locks.
        fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    }
    if (fd < 0) {
        m_error = errno;
        return Result::Failed;
    }
    int rc = 0;
    do {
        rc = ::flock(fd, LOCK_EX | LOCK_NB);
    } while (rc != 0 && errno == EINTR);
    if (rc != 0) {
        const int error = errno;
        ::close(fd);
        if (error == EWOULDBLOCK) {
            return Result::Held;
        }
        m_error = error;
        return Result::Failed;
    }
    m_fd = fd;
    return Result::Taken;
}

bool FileLock::isAt(const std::string& path) const {
    if (m_fd < 0) {
        return false;
    }
    struct stat locked {};
    struct stat named {};
    return ::fstat(m_fd, &locked) == 0 && ::stat(path.c_str(), &named) == 0 &&
           locked.st_dev == named.st_dev && locked.st_ino == named.st_ino;
}

void FileLock::unlock() {
    if (m_fd >= 0) {
        // Closing the only descriptor of the open file lets the lock go.
        ::close(m_fd);
        m_fd = -1;
    }
}

std::string unusableLockLine(const std::string& path, int error) {
    return path + " cannot be locked (" + std::strerror(error != 0 ? error : EIO) +
           "): another program could write it too.";
}

}  // namespace platform
