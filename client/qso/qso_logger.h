#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "client/qso/qso_log_entry.h"
#include "client/qso/qso_log_guard.h"
#include "platform/atomic_file.h"

// The QSO logger: owns the log (its entries in log order, the lines of its
// file that are no contacts, the file's name, the counter that numbers
// appended lines) and the log window. It opens, appends to, saves and starts
// log files, answers searches by call sign, applies the editors' changes and
// relays keys and window toggles to the info object and the front panel.
//
// A GUI-thread object: every handler runs on the GUI thread, reached by
// queued calls from the windows and the info object; it locks nothing. The
// window, the settings, the notices and the links to its neighbours are
// injected, so tests drive it with recording doubles.
//
// Nothing the operator logged is lost: a failed append or save marks the log
// unsaved and names the file. While unsaved, Log It appends the missing
// contacts when only appends failed and the file is as this program left it,
// else it saves the whole log. Load, New, a style change and the exit first
// save an unsaved log; when that fails the whole log goes to a rescue file
// ("<log name>.unsaved-<UTC stamp>" in the log's folder or a rescue folder),
// and only when that fails too is the operator asked. From the exit's start
// on, nothing waits on the operator before the log is safe: the errors and
// warnings are held until the save, the rescue file or the count on standard
// error is done.
//
// While a log is open its "<log>.lock" is held, and taken again before a
// write when it went; a log whose lock another program holds is read-only. A
// lock that cannot be used is said and the log stays writable. A rewrite
// never goes over a version of the file it did not write or read: that
// version is kept as "<log>.outside" first. An append goes only onto the file
// as this program left it, or grown since; anything else is saved whole.
namespace pelorin {

// The calls the logger makes on its log window.
class IQsoLogWindow {
  public:
    virtual ~IQsoLogWindow() = default;
    virtual void ClearList() = 0;  // rows and statistics
    // Adds a row; a hidden window shows without taking the focus.
    virtual void AddEntry(const QSO_LOG_ENTRY& entry) = 0;
    // Adds a whole log's rows at once (a load, a change of style).
    virtual void AddEntries(const std::vector<QSO_LOG_ENTRY>& entries) {
        for (const QSO_LOG_ENTRY& entry : entries)
            AddEntry(entry);
    }
    virtual void SetCaption(const std::string& fileName) = 0;
    // The operator's command: shows, raises and activates the window.
    virtual void Show() = 0;
    virtual void Place() = 0;
    virtual void ClearSearchResults() = 0;
    virtual void AddSearchResult(const std::string& line) = 0;
    // Rebuilds the columns for the stored log style; the rows are cleared.
    virtual void RebuildColumns(int style) = 0;
    virtual int ColumnsStyle() const = 0;
};

// "QSO Logging Mode" and "Current Log File Name".
class IQsoLogSettings {
  public:
    virtual ~IQsoLogSettings() = default;
    virtual int ReadQsoLoggingMode() const = 0;
    virtual void WriteQsoLoggingMode(int mode) = 0;
    virtual std::string ReadCurrentLogFileName() const = 0;
    virtual void WriteCurrentLogFileName(const std::string& name) = 0;
};

// Message boxes: stop icon, exclamation notice, Yes/No question.
class IQsoNotices {
  public:
    virtual ~IQsoNotices() = default;
    virtual void Error(const std::string& text) = 0;
    virtual void Warning(const std::string& text) = 0;
    virtual bool AskYesNo(const std::string& text) = 0;
};

inline constexpr char kDefaultLogFileName[] = "Orvo.QSO.Log";
inline constexpr std::size_t kMaxStoredLogFileNameBytes = 79;

class CQSOLoggerGUIThread {
  public:
    // Every link may be left unset; tests name the ones they give.
    struct Links {
        std::function<void(int style)> styleChanged{};               // to the info object
        std::function<void(const QSO_LOG_ENTRY&)> sendFoundEntry{};  // to the info object
        std::function<void(int wParam, long lParam)> toggleInfoWindow{};
        std::function<void(int cmd, long param)> executeRemoteCmd{};  // to the front panel
        std::function<std::int64_t()> now{};  // wall clock, for lines without a date
        // Before a Load sets the log aside: contacts still waiting for radio
        // data are logged into it now, synchronously.
        std::function<void()> beforeLoad{};
        // Where a rescue file may go when the log's own folder takes none, in
        // order (the settings folder, the home folder).
        std::function<std::vector<std::string>()> rescueFolders{};
        // Seconds since 1970 UTC, for the rescue file's name; empty: the system clock.
        std::function<std::int64_t()> utcNow{};
        // Standard error; empty: the process's own.
        std::function<void(const std::string&)> errorOutput{};
        // The front panel's status line, as an error.
        std::function<void(const std::string&)> statusLine{};
    };

    // logFolder: where bare names lie (made when missing).
    CQSOLoggerGUIThread(std::string logFolder, IQsoLogSettings& settings, IQsoNotices& notices,
                        Links links);
    ~CQSOLoggerGUIThread();

    // Start-up: takes the window and opens the stored log (as wParam 1 without a path).
    void OnParamCmd(std::unique_ptr<IQsoLogWindow> window);
    // wParam 1 with a path: Load; 1 without: start-up; 0: after a style change
    // (mode and name already stored). False when nothing changed: the
    // operator kept an unsaved log (after a style change the log's own mode
    // and name are stored again), or a Load's file cannot be read.
    bool OnOpenLogFile(int wParam, const std::optional<std::string>& path = std::nullopt);
    // wParam 1: a contact from the info object, written to the file; 0: listed only.
    void OnRequestQsoLogCmd(int wParam, const QSO_LOG_ENTRY& entry);
    // Saves the whole log, under a new name when given. False when it failed.
    bool OnSaveLogFile(const std::optional<std::string>& path = std::nullopt);
    bool OnNewLogFile();
    void OnModifyLogEntry(int index, const QSO_LOG_ENTRY& entry);
    void OnDeleteLogEntry(int index);
    void OnToggleLoginfoWindow(int wParam, long lParam);
    void OnExecuteRemoteCmd(int cmd, long param);
    void OnSearchQsoLogCmd(const std::string& call);
    void OnSearchQsoLogResultCmd(int index, const std::string& call);
    void OnPositionWindowCmd();
    void ShowLogWindow();
    // The exit has begun: until SaveForExit has made the log safe, the
    // logger's errors and warnings are held instead of shown, and a question
    // on the way (an operation still queued) is answered No.
    void BeginExit();
    // The exit's save (BeginExit first): saves an unsaved log, else writes
    // the rescue file, else (a signal) tells standard error how many contacts
    // are lost. Only then is anything said: the rescue line and what was held
    // go to standard error, and an interactive exit shows one box, the rescue
    // notice with the first failure's reason, or the question whether to exit
    // anyway. False: the operator said No and everything is as it was.
    bool SaveForExit(bool interactive);
    // The exit: SaveForExit(false); the window, the entries and the lock go.
    // Safe to call again: a later call saves nothing.
    void ExitInstance();

    // Tests fail or kill saves and appends at a chosen step, and fail the
    // rescue file in a folder (returning false).
    using RescueFolderHook = std::function<bool(const std::string& folder)>;
    void SetFileHooks(platform::AtomicStepHook saveHook, platform::AppendStepHook appendHook,
                      RescueFolderHook rescueHook = {});

    // Saves an unsaved log, or writes its rescue file, or asks whether to
    // drop it; false keeps it.
    bool MaySetLogAside();

    const std::vector<QSO_LOG_ENTRY>& entries() const { return m_EntryList; }
    const std::string& logFileName() const { return m_strLogFileName; }
    int qsoCount() const { return m_nQSOCount; }
    bool unsaved() const { return m_bRewriteNeeded || m_nFailedAppends > 0; }
    // Another program holds the log's lock: nothing is written to it.
    bool readOnly() const { return m_bReadOnly; }
    IQsoLogWindow* window() const { return m_pLogDlg.get(); }

    // A stored name as a path: a bare name lies in the log folder.
    std::string PathOf(const std::string& name) const;

  private:
    void ClearLog();
    void Adopt(const std::string& path);
    void RefillWindow();
    void StoreName(const std::string& path);
    std::int64_t Now() const;
    void MarkSaved();
    void TakeLock(const std::string& path);
    // Before each write to the log's file: false when another program holds
    // its lock now (the log is read-only from here on).
    bool LockStillOurs();
    void SayUnusableLock(const LogFileLock& lock);
    std::string ReadOnlyText() const;
    enum class AppendResult { Written, Failed, NotAsLeft };
    AppendResult AppendFailedContacts();
    // The unsaved part of the log: the failed appends again, or the whole log.
    bool WriteUnsaved();
    // Before a rewrite of the log's own file: false when it must not be
    // written (a version that cannot be read, or could not be kept aside).
    bool KeepOutsideVersion(const std::string& path);
    // Writes the whole log to a rescue file and marks it saved; the notice
    // that names the file, or nothing when no folder took it.
    std::optional<std::string> RescueUnsavedLog();
    int UnsavedContactCount() const;
    void ToErrorOutput(const std::string& text) const;

    class HeldNotices;

    std::string m_logFolder;
    IQsoLogSettings& m_settings;
    // Every notice goes through m_notices, which passes it on to the notices
    // the logger was given, or holds it while the exit makes the log safe.
    std::unique_ptr<HeldNotices> m_heldNotices;
    IQsoNotices& m_notices;
    Links m_links;
    std::unique_ptr<IQsoLogWindow> m_pLogDlg;
    std::string m_strLogFileName;
    std::vector<QSO_LOG_ENTRY> m_EntryList;
    std::vector<std::string> m_keptLines;
    int m_nQSOCount = 0;
    // Unsaved: contacts at the list's end whose append failed, and whether a
    // change only a whole save can write (a Modify, a Delete, a failed save)
    // is still to reach the file.
    int m_nFailedAppends = 0;
    bool m_bRewriteNeeded = false;
    // The log's file as this program last read, saved or appended to it.
    LogFileRecord m_disk;
    LogFileLock m_lock;
    std::string m_strLockedName;
    // The last unusable-lock line said for the log in hand, not said again.
    std::string m_strLockProblemSaid;
    bool m_bReadOnly = false;
    // What was stored for the log in hand, written back when the operator
    // keeps it against a style change the configuration page already stored.
    int m_nLogStyle = kNormalLogStyle;
    std::string m_strStoredName;
    platform::AtomicStepHook m_saveHook;
    platform::AppendStepHook m_appendHook;
    RescueFolderHook m_rescueHook;
};

std::string LogStyleName(int style);  // "normal", "contest"
// "N0CALL CW QSO on 07/04/1999 at 14:30:00 on   20M"
std::string SearchResultLine(const QSO_LOG_ENTRY& entry);

}  // namespace pelorin
