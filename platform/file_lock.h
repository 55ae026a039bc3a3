#pragma once

#include <string>

// FileLock: an exclusive flock on one lock file, held while the object lives.
//
// The lock file exists only to be locked: it is opened without truncation, created empty when
// missing and never deleted, so that every program that locks it locks the same file. Never
// use it on a file that saves replace by renaming (a lock on the old file would not hold the
// new one), nor on a name another library locks for itself.
//
// flock is advisory: it keeps out programs that take the same lock, nothing else. The
// descriptor is close-on-exec, so a program started from here never inherits the lock. Any
// thread; an object is not shared between threads.

namespace platform {

class FileLock {
  public:
    enum class Result {
        Taken,   // this object holds the lock
        Held,    // another open file (another program) holds it
        Failed,  // the file could not be opened or locked; error() says why
    };

    FileLock() = default;
    ~FileLock();
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;
    FileLock(FileLock&& other) noexcept;
    FileLock& operator=(FileLock&& other) noexcept;

    // Opens `path` and takes the lock without waiting. A lock this object held before is
    // let go first.
    Result lock(const std::string& path);
    // Lets the lock go and closes the file; the file stays.
    void unlock();

    bool held() const { return m_fd >= 0; }
    // True while the lock is held and `path` still names the locked file (the
    // same device and inode): false once the name was removed, or made again
    // for another file, when the lock no longer keeps out a program that
    // opens it.
    bool isAt(const std::string& path) const;
    // The errno of the last Failed.
    int error() const { return m_error; }

  private:
    int m_fd = -1;
    int m_error = 0;
};

// What the operator is told of a lock file that cannot be used for a reason
// other than another holder: "<path> cannot be locked (<reason>): another
// program could write it too."
std::string unusableLockLine(const std::string& path, int error);

}  // namespace platform
