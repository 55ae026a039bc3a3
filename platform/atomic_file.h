#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

// Replaces a file so that a crash or a failed write at any point leaves either
// the old or the new content under the file's name, never a partial or a
// missing file, and a whole backup; a failure reported to the caller leaves
// both as they were.
//
//   1. the new content goes to "<name>.tmp.XXXXXX" in the same folder, and is
//      synced;
//   2. when a backup is asked for and the file exists, the file is linked
//      (copied where links are refused) to a second temporary name;
//   3. the new file is renamed onto the file's name: from here the file holds
//      the new content, the second name the old one;
//   4. the second name is renamed onto the backup, and the folder is synced.
//
// The backup changes only once the new content is in place, each name in one
// step. A failure at 4 renames the second name back onto the file, so the old
// content returns under its name and the backup is untouched. A process
// killed at any point leaves the file old or new and the backup as it was or
// holding the old content; what it leaves beside them is "<name>.tmp.*",
// which removeLeftoverTemporaries() clears at the next open.
//
// The new file keeps the old one's mode and, where the process may set it,
// its group (a new file gets 0644). A name that is a symbolic link stays a
// link: its target is replaced, with the temporary files and the backup (its
// own name) in the target's folder, which is made when missing.
//
// A failure removes the temporary files and returns K2ERR_FILE_OPEN (no
// temporary file could be made) or K2ERR_FILE_WRITE, errno naming the reason.
// Plain C++ (POSIX), callable from any thread; callers serialise writes to one
// file.
namespace platform {

enum class AtomicStep {
    WriteTemporary,      // about to write the new content; failing it writes half
    SyncTemporary,       // about to sync the written temporary file
    AfterTemporaryFile,  // new content written and synced
    AfterLink,           // the old file also under a second temporary name
    BeforeFinalRename,   // about to put the new content in place
    BeforeBackupRename,  // the new content is in place, the old one under the second name
};

// Called at each step; returning false makes that step fail as a write error
// would (EIO; ENOSPC after half the bytes for WriteTemporary). Tests use it to
// fail or kill the writer at a chosen point.
using AtomicStepHook = std::function<bool(AtomicStep)>;

struct AtomicWriteOptions {
    std::string backupPath;  // empty: no backup is made or changed
    AtomicStepHook hook;     // empty: every step proceeds
};

std::uint32_t replaceFileAtomically(const std::string& path, std::string_view content,
                                    const AtomicWriteOptions& options = {});

// The file a name stands for: the name itself, or the end of its chain of
// symbolic links (a relative target counts from the link's folder). A chain
// that does not end within 40 links gives the name itself.
std::string resolveLinks(const std::string& path);

// Where replaceFileAtomically() keeps the backup of path: backupPath, moved
// beside the link's target when path is a link and backupPath lies beside it.
std::string backupPathFor(const std::string& path, const std::string& backupPath);

// Removes the temporary files "<file name>.tmp.XXXXXX" (six letters or digits)
// beside the file (beside its target for a link); other names,
// "<file name>.tmp.old" too, stay. Returns how many were removed.
int removeLeftoverTemporaries(const std::string& path);

// Reads a whole file. False when it cannot be opened or read.
bool readWholeFile(const std::string& path, std::string& content);

// Reads a whole file; returns 0, or the errno of the failed open or read
// (ENOENT for a missing file). The content is complete only on 0.
int readWholeFileReason(const std::string& path, std::string& content);

// Reads at most limit bytes from the start of a file; returns 0 or the errno
// as readWholeFileReason() does. A file longer than limit gives limit bytes.
int readFileUpTo(const std::string& path, std::size_t limit, std::string& content);

// Reads a whole plain file without waiting on a pipe or device under its
// name; returns 0 or the errno as readWholeFileReason() does, EISDIR for
// anything but a plain file, which is never read.
int readPlainFile(const std::string& path, std::string& content);

enum class AppendStep {
    AfterOpen,   // file (and its folder) exists, its old length is known
    AfterWrite,  // the bytes are written, not yet synced
    SyncFolder,  // the append made the file: its bytes are synced, its folder not yet
};
using AppendStepHook = std::function<bool(AppendStep)>;

// Adds bytes at the end of a file, making the file and its folders when
// missing (for a symbolic link, its target and the target's folders). A file
// the append makes has its folder synced too, so a power cut cannot lose the
// new name. A last line without its "\n" is ended first, so the bytes start a
// line of their own. A failed or short write cuts the file back to its old
// length. Returns 0, or the errno of the failing call (EIO for a step the hook
// failed). On 0, *written (when given) gets the bytes added, that "\n" too.
int appendToFile(const std::string& path, std::string_view bytes, const AppendStepHook& hook = {},
                 std::string* written = nullptr);

// Gives the plain file at path (not a link) a second name in one step:
// a hard link, or where the file system refuses one a synced copy with the
// file's mode (and its group where the process may set it). A name already
// taken is never replaced (EEXIST). Returns 0 or the errno of the failure.
int addSecondName(const std::string& path, const std::string& secondPath);

bool fileExists(const std::string& path);

// The folder a path lies in ("." for a bare name, "/" at the root) and its
// last part.
std::string folderOf(const std::string& path);
std::string nameOf(const std::string& path);

// Creates the folder and its parents; an existing folder is no failure.
bool makeFolders(const std::string& path);

}  // namespace platform
