#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/file_lock.h"

class QCryptographicHash;

// What keeps a log file from being overwritten by mistake: the lock beside
// an open log, what the program last left in the file on disk, and the new
// files it writes beside a log instead of over one (a copy of an outside
// version, a rescue copy of a log that could not be saved).
//
// Plain POSIX and a QtCore hash, no widgets; the logger calls it on the GUI
// thread.
namespace pelorin {

// An exclusive flock on "<log>.lock", held while the log is open. The lock
// file is opened without truncation and never deleted: another program
// holding it keeps its lock, and a lock on the log itself would go with every
// save that replaces the log. A log that is a symbolic link is locked beside
// the file the saves replace, so every name of one log takes one lock.
// Advisory: a program that ignores it is not stopped.
class LogFileLock {
  public:
    enum class Result {
        Held,           // this object holds the lock now
        HeldElsewhere,  // another open file description holds it
        Unavailable,    // the lock file cannot be made, opened or locked; error() says why
    };

    // Takes the lock of the log at `logPath`, without waiting.
    Result Take(const std::string& logPath);
    void Release() { m_file.unlock(); }
    bool held() const { return m_file.held(); }
    // Held, and the lock file is still under its name: removed (alone or with
    // its folder) or replaced, it keeps out no other program.
    bool StillHeld() const { return m_file.isAt(m_path); }
    // The lock file of the last Take, and the errno of an Unavailable one.
    const std::string& path() const { return m_path; }
    int error() const { return m_file.error(); }

  private:
    platform::FileLock m_file;
    std::string m_path;
};

// "<target>.lock" beside the file a log's name stands for.
std::string LockPathOf(const std::string& logPath);

// What this program left in a log's file: whether there is one, its size,
// its last kTailBytes bytes and a SHA-256 of all its bytes. Made from the
// bytes the program itself read or saved and extended by each append; never
// taken from the file after an append, so that an edit made outside before
// an append is still seen at the next rewrite.
class LogFileRecord {
  public:
    static constexpr std::size_t kTailBytes = 512;

    LogFileRecord();                                 // no file
    explicit LogFileRecord(std::string_view bytes);  // a file of exactly these bytes
    LogFileRecord(LogFileRecord&&) noexcept;
    LogFileRecord& operator=(LogFileRecord&&) noexcept;
    ~LogFileRecord();

    // The bytes an append added at the end.
    void Extend(std::string_view added);

    bool exists() const { return m_exists; }
    std::uint64_t size() const { return m_size; }
    const std::string& tail() const { return m_tail; }  // all of a shorter file
    // True when a file of these bytes is the one this program left.
    bool Holds(std::string_view bytes) const;

  private:
    bool m_exists = false;
    std::uint64_t m_size = 0;
    std::string m_tail;
    std::unique_ptr<QCryptographicHash> m_hash;
};

// The file under a log's name, before an append: it reads the file's size
// and the kTailBytes bytes that end where this program left it, no more.
enum class AppendCheck {
    AsLeft,   // what this program left, nothing more (or still no file)
    Grew,     // what it left and more after it (or a file where it left none)
    Changed,  // missing, shorter, other bytes at its end, no plain file or unreadable
};
AppendCheck CheckBeforeAppend(const std::string& path, const LogFileRecord& left);

// Who may read a file the program makes for the operator's data.
struct FileAccess {
    unsigned mode = 0600;
    long group = -1;  // -1: the process's own
};
// The permission bits and group of the file at `path` (a link's target);
// 0600 and the process's group when there is none.
FileAccess AccessOf(const std::string& path);

// Writes bytes to a file that must not exist yet, with `access`, syncs it and
// its folder. Returns 0 or the errno of the failing call; a failure leaves no
// file.
int WriteNewFile(const std::string& path, std::string_view bytes, const FileAccess& access = {});

// Writes bytes under the first free name of base, "<base>.2", "<base>.3", ...
// Returns the name used, or none with *reason set.
std::optional<std::string> WriteUnderFreeName(const std::string& base, std::string_view bytes,
                                              int* reason, const FileAccess& access = {});

// "20261210T124500Z": a UTC date and time for file names.
std::string UtcStampForFileName(std::int64_t secondsSinceEpoch);

}  // namespace pelorin
