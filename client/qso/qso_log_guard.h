#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/file_lock.h"

// What keeps a log file from being overwritten by mistake: the lock beside
// an open log, what the program last knew of the file on disk, and the new
// files it writes beside a log instead of over one (a copy of an outside
// version, a rescue copy of a log that could not be saved).
//
// Plain POSIX, no widgets; the logger calls it on the GUI thread.
namespace pelorin {

// An exclusive flock on "<log>.lock", held while the log is open. The lock
// file is opened without truncation and never deleted: another program
// holding it keeps its lock, and a lock on the log itself would go with every
// save that replaces the log. Advisory: a program that ignores it is not
// stopped.
class LogFileLock {
  public:
    enum class Result {
        Held,           // this object holds the lock now
        HeldElsewhere,  // another open file description holds it
        Unavailable,    // no lock file could be made (a read-only folder, say)
    };

    // Takes the lock of the log at `logPath`, without waiting.
    Result Take(const std::string& logPath);
    void Release() { m_file.unlock(); }
    bool held() const { return m_file.held(); }

  private:
    platform::FileLock m_file;
};

std::string LockPathOf(const std::string& logPath);

// What a rewrite needs to know of the file under a log's name: whether it is
// there, its size and its last bytes. A file the program last wrote or read
// and that still has both is taken to be unchanged.
struct LogDiskState {
    bool exists = false;
    std::uint64_t size = 0;
    std::string tail;  // the last kTailBytes bytes, or all of a shorter file

    static constexpr std::size_t kTailBytes = 512;
    bool operator==(const LogDiskState&) const = default;
};

// The state of a file that holds exactly these bytes.
LogDiskState DiskStateOfBytes(std::string_view bytes);
// The state of the file now; none when it is there but cannot be read
// (*error gets the errno; EISDIR for anything but a plain file).
std::optional<LogDiskState> ReadDiskState(const std::string& path, int* error = nullptr);

// Writes bytes to a file that must not exist yet, syncs it and its folder.
// Returns 0 or the errno of the failing call; a failure leaves no file.
int WriteNewFile(const std::string& path, std::string_view bytes);

// Writes bytes under the first free name of base, "<base>.2", "<base>.3", ...
// Returns the name used, or none with *reason set.
std::optional<std::string> WriteUnderFreeName(const std::string& base, std::string_view bytes,
                                              int* reason);

// "20261210T124500Z": a UTC date and time for file names.
std::string UtcStampForFileName(std::int64_t secondsSinceEpoch);

}  // namespace pelorin
