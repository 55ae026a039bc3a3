#include "client/qso/qso_logger.h"

#include <sys/stat.h>

#include <QtGlobal>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <utility>

#include "client/qso/qso_log_file.h"
#include "platform/atomic_file.h"

namespace pelorin {
namespace {

// Anything under the name, a folder too, takes it.
bool nameTaken(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

std::string reasonText(int reason) {
    return std::strerror(reason != 0 ? reason : EIO);
}

// A file with lines but no contact: notes, say, and no log of this program.
bool holdsNoContacts(const LogFileContent& content) {
    if (!content.entries.empty())
        return false;
    for (const std::string& line : content.keptLines) {
        if (line.find_first_not_of(" \t\r") != std::string::npos)
            return true;
    }
    return false;
}

}  // namespace

// While the exit makes the log safe, a box would wait on an operator who may
// not be there (a signal, a session that ends): the notices are held, and
// SaveForExit says them once the log is on disk somewhere.
class CQSOLoggerGUIThread::HeldNotices : public IQsoNotices {
  public:
    struct Held {
        std::vector<std::string> lines;  // every notice, in order
        std::vector<std::string> warnings;
        std::string firstError;
    };

    explicit HeldNotices(IQsoNotices& shown) : m_shown(shown) {}

    void Error(const std::string& text) override {
        if (!m_holding) {
            m_shown.Error(text);
            return;
        }
        m_held.lines.push_back(text);
        if (m_held.firstError.empty())
            m_held.firstError = text;
    }
    void Warning(const std::string& text) override {
        if (!m_holding) {
            m_shown.Warning(text);
            return;
        }
        m_held.lines.push_back(text);
        m_held.warnings.push_back(text);
    }
    // No keeps everything as it is.
    bool AskYesNo(const std::string& text) override {
        if (!m_holding)
            return m_shown.AskYesNo(text);
        m_held.lines.push_back(text + " No.");
        return false;
    }

    void Hold() { m_holding = true; }
    Held Release() {
        m_holding = false;
        return std::exchange(m_held, Held{});
    }
    // The one box of an interactive exit.
    IQsoNotices& shown() { return m_shown; }

  private:
    IQsoNotices& m_shown;
    bool m_holding = false;
    Held m_held;
};

std::string LogStyleName(int style) {
    return style == kContestLogStyle ? "contest" : "normal";
}

std::string SearchResultLine(const QSO_LOG_ENTRY& e) {
    const WallClockTime t = BreakDownWallClock(e.tmQSO);
    char stamp[64];
    std::snprintf(stamp, sizeof stamp, " QSO on %02d/%02d/%04d at %02d:%02d:%02d on ", t.month,
                  t.day, t.year, t.hour, t.minute, t.second);
    return e.szCall + " " + std::string(ModeName(e.nMode)) + stamp + std::string(BandName(e.nBand));
}

CQSOLoggerGUIThread::CQSOLoggerGUIThread(std::string logFolder, IQsoLogSettings& settings,
                                         IQsoNotices& notices, Links links)
    : m_logFolder(std::move(logFolder)),
      m_settings(settings),
      m_heldNotices(std::make_unique<HeldNotices>(notices)),
      m_notices(*m_heldNotices),
      m_links(std::move(links)),
      m_strLogFileName(PathOf(kDefaultLogFileName)) {}

CQSOLoggerGUIThread::~CQSOLoggerGUIThread() = default;

std::string CQSOLoggerGUIThread::PathOf(const std::string& name) const {
    if (name.empty())
        return m_logFolder + "/" + kDefaultLogFileName;
    if (name.front() == '/')
        return name;
    return m_logFolder + "/" + name;
}

std::int64_t CQSOLoggerGUIThread::Now() const {
    return m_links.now ? m_links.now() : 0;
}

void CQSOLoggerGUIThread::OnParamCmd(std::unique_ptr<IQsoLogWindow> window) {
    qDebug("CQSOLoggerGUIThread got PARAM CMD");
    platform::makeFolders(m_logFolder);
    if (!m_pLogDlg) {
        m_pLogDlg = std::move(window);
        ShowLogWindow();
    }
    OnOpenLogFile(1);
}

void CQSOLoggerGUIThread::ClearLog() {
    m_EntryList.clear();
    m_keptLines.clear();
    m_nQSOCount = 0;
    MarkSaved();
}

void CQSOLoggerGUIThread::MarkSaved() {
    m_nFailedAppends = 0;
    m_bRewriteNeeded = false;
}

int CQSOLoggerGUIThread::UnsavedContactCount() const {
    // While a rewrite is pending the file holds an older version of the log,
    // or none: every contact in the list is at stake.
    return m_bRewriteNeeded ? static_cast<int>(m_EntryList.size()) : m_nFailedAppends;
}

void CQSOLoggerGUIThread::ToErrorOutput(const std::string& text) const {
    if (m_links.errorOutput) {
        m_links.errorOutput(text);
        return;
    }
    std::fprintf(stderr, "%s\n", text.c_str());
    std::fflush(stderr);
}

std::string CQSOLoggerGUIThread::ReadOnlyText() const {
    return m_strLogFileName + " is open in another program: contacts are not written to it.";
}

void CQSOLoggerGUIThread::TakeLock(const std::string& path) {
    LogFileLock lock;
    const LogFileLock::Result result = lock.Take(path);
    if (result == LogFileLock::Result::Unavailable)
        SayUnusableLock(lock);
    m_lock = std::move(lock);
    m_strLockedName = path;
    m_bReadOnly = result == LogFileLock::Result::HeldElsewhere;
}

// Said once for the log in hand: every write tries the lock again.
void CQSOLoggerGUIThread::SayUnusableLock(const LogFileLock& lock) {
    // No folder, so no file to guard: the write that needs it makes it and
    // takes the lock then, or fails and says why.
    struct stat st {};
    if (::stat(platform::folderOf(lock.path()).c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
        return;
    const std::string text = platform::unusableLockLine(lock.path(), lock.error());
    if (text == m_strLockProblemSaid)
        return;
    m_strLockProblemSaid = text;
    ToErrorOutput(text);
    if (m_links.statusLine)
        m_links.statusLine(text);
}

// A lock file removed (alone or with the log's folder) or replaced keeps
// nobody out: it is taken again, and lost to a program that took it since.
bool CQSOLoggerGUIThread::LockStillOurs() {
    const std::string lockPath = LockPathOf(m_strLogFileName);
    if (m_lock.path() == lockPath && m_lock.StillHeld())
        return true;
    platform::makeFolders(platform::folderOf(lockPath));
    TakeLock(m_strLogFileName);
    if (!m_bReadOnly)
        return true;
    m_notices.Error(ReadOnlyText());
    return false;
}

void CQSOLoggerGUIThread::RefillWindow() {
    if (!m_pLogDlg)
        return;
    const int stored = m_settings.ReadQsoLoggingMode();
    if (m_pLogDlg->ColumnsStyle() != stored)
        m_pLogDlg->RebuildColumns(stored);
    m_pLogDlg->ClearList();
    m_pLogDlg->ClearSearchResults();
    m_pLogDlg->SetCaption(m_strLogFileName);
    m_pLogDlg->AddEntries(m_EntryList);
}

void CQSOLoggerGUIThread::StoreName(const std::string& path) {
    const std::string stored =
        platform::folderOf(path) == m_logFolder ? platform::nameOf(path) : path;
    if (stored.size() > kMaxStoredLogFileNameBytes) {
        m_notices.Warning(path + " will not reopen at the next start: its name is longer than " +
                          std::to_string(kMaxStoredLogFileNameBytes) + " bytes");
        return;
    }
    m_settings.WriteCurrentLogFileName(stored);
}

bool CQSOLoggerGUIThread::WriteUnsaved() {
    if (m_bReadOnly) {
        m_notices.Error(ReadOnlyText());
        return false;
    }
    if (!m_bRewriteNeeded && AppendFailedContacts() == AppendResult::Written)
        return true;
    return OnSaveLogFile();
}

bool CQSOLoggerGUIThread::MaySetLogAside() {
    if (!unsaved() || WriteUnsaved())
        return true;
    if (const std::optional<std::string> rescued = RescueUnsavedLog()) {
        ToErrorOutput(*rescued);
        m_notices.Warning(*rescued);
        return true;
    }
    if (m_notices.AskYesNo("Contacts not saved to " + m_strLogFileName +
                           " will be lost. Continue?")) {
        MarkSaved();
        return true;
    }
    return false;
}

// The whole log as it stands, in a new file under a name no other file has.
std::optional<std::string> CQSOLoggerGUIThread::RescueUnsavedLog() {
    std::vector<std::string> folders{platform::folderOf(m_strLogFileName)};
    if (m_links.rescueFolders) {
        for (const std::string& folder : m_links.rescueFolders())
            folders.push_back(folder);
    }
    const std::int64_t utc =
        m_links.utcNow ? m_links.utcNow() : static_cast<std::int64_t>(std::time(nullptr));
    const std::string name =
        platform::nameOf(m_strLogFileName) + ".unsaved-" + UtcStampForFileName(utc);
    const std::string bytes = FormatLogFile(m_EntryList, m_keptLines);
    for (const std::string& folder : folders) {
        if (folder.empty())
            continue;
        if (m_rescueHook && !m_rescueHook(folder))
            continue;
        int reason = 0;
        const std::optional<std::string> written =
            WriteUnderFreeName(folder + "/" + name, bytes, &reason, AccessOf(m_strLogFileName));
        if (!written)
            continue;
        MarkSaved();
        return "Log not saved to " + m_strLogFileName + ": the whole log is kept in " + *written;
    }
    return std::nullopt;
}

void CQSOLoggerGUIThread::BeginExit() {
    m_heldNotices->Hold();
}

bool CQSOLoggerGUIThread::SaveForExit(bool interactive) {
    BeginExit();
    // Counted before the exit's own writes: one that fails leaves the file as
    // it was.
    const std::string lost =
        std::to_string(UnsavedContactCount()) + " contacts not saved to " + m_strLogFileName;
    const bool saved = !unsaved() || WriteUnsaved();
    const std::optional<std::string> rescued = saved ? std::nullopt : RescueUnsavedLog();
    // The log is as safe as it can be made: now it may be said, first where
    // the contacts are (or how many are lost), then what went wrong on the way.
    if (rescued)
        ToErrorOutput(*rescued);
    else if (!saved && !interactive)
        ToErrorOutput(lost + " are lost.");
    const HeldNotices::Held held = m_heldNotices->Release();
    for (const std::string& line : held.lines)
        ToErrorOutput(line);
    IQsoNotices& box = m_heldNotices->shown();
    if (rescued) {
        if (interactive)
            box.Warning(held.firstError.empty() ? *rescued : *rescued + "\n" + held.firstError);
        return true;
    }
    if (saved) {
        // What the operator would act on, a version kept aside, say.
        if (interactive && !held.warnings.empty()) {
            std::string text;
            for (const std::string& warning : held.warnings)
                text += (text.empty() ? "" : "\n") + warning;
            box.Warning(text);
        }
        return true;
    }
    if (interactive && !box.AskYesNo(lost + " will be lost. Exit anyway?"))
        return false;
    MarkSaved();
    return true;
}

void CQSOLoggerGUIThread::Adopt(const std::string& path) {
    if (path != m_strLockedName || !m_lock.held()) {
        m_strLockProblemSaid.clear();
        TakeLock(path);
    }
    m_strLogFileName = path;
    StoreName(path);
    m_nLogStyle = m_settings.ReadQsoLoggingMode();
    m_strStoredName = m_settings.ReadCurrentLogFileName();
    RefillWindow();
}

bool CQSOLoggerGUIThread::OnOpenLogFile(int wParam, const std::optional<std::string>& path) {
    const std::string name = path ? *path : PathOf(m_settings.ReadCurrentLogFileName());
    qDebug("CQSOLoggerGUIThread got WM_OPEN_LOG_FILE, Filename = %s", name.c_str());
    const bool load = wParam == 1 && path.has_value();
    std::string bytes;
    if (load) {
        // Before the log in hand is set aside: a file that cannot be read
        // leaves it open as it is, unsaved contacts and all.
        const int unread = platform::readWholeFileReason(name, bytes);
        if (unread != 0 && unread != ENOENT) {
            m_notices.Error("Cannot read " + name + ": " + reasonText(unread));
            return false;
        }
        if (unread == 0 && holdsNoContacts(LoadLogFile(bytes, Now())) &&
            !m_notices.AskYesNo(name +
                                " holds no contacts. Use it as the log? Its lines are kept after "
                                "the contacts.")) {
            return false;
        }
        if (m_links.beforeLoad)
            m_links.beforeLoad();
    }
    if (!MaySetLogAside()) {
        if (wParam == 0) {
            m_settings.WriteQsoLoggingMode(m_nLogStyle);
            m_settings.WriteCurrentLogFileName(m_strStoredName);
        }
        return false;
    }
    platform::removeLeftoverTemporaries(name);
    // Read (again) after the set-aside, which may have saved this very file.
    bytes.clear();
    const int reason = platform::readWholeFileReason(name, bytes);
    if (reason != 0)
        bytes.clear();
    if (reason != 0 && reason != ENOENT) {
        m_notices.Error("Cannot read " + name + ": " + reasonText(reason));
        if (!load)
            OnNewLogFile();
        return true;
    }
    LogFileContent content = LoadLogFile(bytes, Now());
    const int stored = m_settings.ReadQsoLoggingMode();
    if (!load && holdsNoContacts(content)) {
        OnNewLogFile();
        m_notices.Warning(name + " holds no contacts: started the new " + LogStyleName(stored) +
                          " log " + m_strLogFileName);
        return true;
    }
    const std::optional<int> style = content.style;
    if (style && *style != stored) {
        if (!load) {
            OnNewLogFile();
            m_notices.Warning(name + " holds a " + LogStyleName(*style) + " log: started the new " +
                              LogStyleName(stored) + " log " + m_strLogFileName);
            return true;
        }
        m_settings.WriteQsoLoggingMode(*style);
        if (m_links.styleChanged)
            m_links.styleChanged(*style);
    }
    ClearLog();
    m_EntryList = std::move(content.entries);
    m_keptLines = std::move(content.keptLines);
    m_nQSOCount = content.nQSOCount;
    m_disk = reason == 0 ? LogFileRecord(bytes) : LogFileRecord();
    Adopt(name);
    if (m_bReadOnly)
        m_notices.Warning(ReadOnlyText());
    if (!content.unreadableLines.empty())
        m_notices.Warning(UnreadableLinesNotice(name, content.unreadableLines));
    return true;
}

void CQSOLoggerGUIThread::OnRequestQsoLogCmd(int wParam, const QSO_LOG_ENTRY& entry) {
    qDebug("CQSOLoggerGUIThread got WM_REQUEST_QSOLOG_CMD");
    m_EntryList.push_back(entry);
    if (m_pLogDlg) {
        m_pLogDlg->ClearSearchResults();
        m_pLogDlg->AddEntry(entry);
    }
    if (wParam != 1)
        return;
    if (m_bReadOnly) {
        ++m_nFailedAppends;
        m_notices.Error(ReadOnlyText());
        return;
    }
    if (m_bRewriteNeeded) {
        OnSaveLogFile();
        return;
    }
    ++m_nFailedAppends;
    if (AppendFailedContacts() == AppendResult::NotAsLeft)
        OnSaveLogFile();
}

// The contacts whose append failed, and the one just logged, go in one
// append: a full card that has room for their lines again takes them, where
// a whole save would need room for a second copy of the log. Only onto the
// file as this program left it, or grown since; else the whole log is saved
// (a file removed or cut would hold only the new lines, a file edited
// outside would have them after lines this program never read).
CQSOLoggerGUIThread::AppendResult CQSOLoggerGUIThread::AppendFailedContacts() {
    if (CheckBeforeAppend(m_strLogFileName, m_disk) == AppendCheck::Changed)
        return AppendResult::NotAsLeft;
    if (!LockStillOurs())
        return AppendResult::Failed;
    const std::size_t count = static_cast<std::size_t>(m_nFailedAppends);
    const QSO_LOG_ENTRY* first = m_EntryList.data() + (m_EntryList.size() - count);
    int reason = 0;
    std::string written;
    if (WriteLogEntries(m_strLogFileName, first, count, m_nQSOCount + 1, &reason, m_appendHook,
                        &written) != 0) {
        m_notices.Error("QSO not written to " + m_strLogFileName + ": " + reasonText(reason));
        return AppendResult::Failed;
    }
    m_nQSOCount += m_nFailedAppends;
    MarkSaved();
    // Only what this program wrote: lines added outside are no part of it,
    // so the next rewrite still keeps that version aside.
    m_disk.Extend(written);
    return AppendResult::Written;
}

// The whole file against what this program left in it: a change that keeps
// the size and the last bytes (a QSL digit, a report) is seen too.
bool CQSOLoggerGUIThread::KeepOutsideVersion(const std::string& path) {
    std::string bytes;
    int error = platform::readPlainFile(path, bytes);
    if (error == ENOENT || (error == 0 && bytes.empty() && !m_disk.Holds(bytes))) {
        // Nothing to keep; every contact of the list goes to the file.
        if (m_disk.size() > 0)
            m_notices.Warning(path + (error == ENOENT ? " was removed" : " was emptied") +
                              " outside Pelorin: the whole log is saved to it again");
        return true;
    }
    // A folder under the name, or none above it: the save fails and says why.
    if (error == EISDIR || error == ENOTDIR)
        return true;
    if (error != 0) {
        m_notices.Error("Log not saved to " + path + ": it cannot be read (" + reasonText(error) +
                        ")");
        return false;
    }
    if (m_disk.Holds(bytes))
        return true;
    const std::optional<std::string> kept =
        WriteUnderFreeName(path + ".outside", bytes, &error, AccessOf(path));
    if (!kept) {
        m_notices.Error("Log not saved to " + path +
                        ": it was changed outside Pelorin and that version cannot be kept aside (" +
                        reasonText(error) + ")");
        return false;
    }
    m_notices.Warning(path + " was changed outside Pelorin: that version is kept as " + *kept);
    return true;
}

bool CQSOLoggerGUIThread::OnSaveLogFile(const std::optional<std::string>& path) {
    const std::string target = path ? *path : m_strLogFileName;
    qDebug("CQSOLoggerGUIThread got WM_SAVE_LOG_FILE, Filename = %s", target.c_str());
    const bool own = target == m_strLogFileName;
    if (own && m_bReadOnly) {
        m_notices.Error(ReadOnlyText());
        return false;
    }
    platform::makeFolders(platform::folderOf(target));
    if (own && !LockStillOurs())
        return false;
    LogFileLock targetLock;
    const LogFileLock::Result taken = own ? LogFileLock::Result::Held : targetLock.Take(target);
    if (taken == LogFileLock::Result::HeldElsewhere) {
        m_notices.Error(target + " is open in another program: contacts are not written to it.");
        return false;
    }
    if (own && !KeepOutsideVersion(target)) {
        m_bRewriteNeeded = true;
        return false;
    }
    int reason = 0;
    std::string bytes = FormatLogFile(m_EntryList, m_keptLines);
    if (SaveLogBytes(target, bytes, &reason, m_saveHook) != 0) {
        m_notices.Error("Log not saved to " + target + ": " + reasonText(reason));
        // Under another name the log in hand is as it was.
        if (own)
            m_bRewriteNeeded = true;
        return false;
    }
    MarkSaved();
    m_nQSOCount = static_cast<int>(m_EntryList.size());
    m_disk = LogFileRecord(bytes);
    // Only a chosen name is stored: a save of the log in hand (Log It while
    // unsaved, Modify, Delete) must not undo the name the configuration page
    // stored for a style change that is still to reach the logger.
    if (path) {
        if (!own) {
            m_strLockProblemSaid.clear();
            if (taken == LogFileLock::Result::Unavailable)
                SayUnusableLock(targetLock);
            m_lock = std::move(targetLock);
            m_strLockedName = target;
            m_bReadOnly = false;
        }
        m_strLogFileName = target;
        StoreName(target);
        m_strStoredName = m_settings.ReadCurrentLogFileName();
    }
    if (m_pLogDlg)
        m_pLogDlg->SetCaption(target);
    return true;
}

bool CQSOLoggerGUIThread::OnNewLogFile() {
    qDebug("CQSOLoggerGUIThread got WM_NEW_LOG_FILE");
    if (!MaySetLogAside())
        return false;
    platform::makeFolders(m_logFolder);
    std::string path = PathOf(kDefaultLogFileName);
    for (int n = 1; nameTaken(path) || nameTaken(BackupPathOf(path)); ++n)
        path = PathOf("Orvo-" + std::to_string(n) + ".QSO.Log");
    ClearLog();
    m_strLogFileName = path;
    int reason = 0;
    if (SaveLogFile(path, {}, {}, &reason, m_saveHook) != 0) {
        m_notices.Error("Log not saved to " + path + ": " + reasonText(reason));
        m_bRewriteNeeded = true;
        m_disk = LogFileRecord();
    } else {
        m_disk = LogFileRecord("");
    }
    Adopt(path);
    return true;
}

void CQSOLoggerGUIThread::OnModifyLogEntry(int index, const QSO_LOG_ENTRY& entry) {
    qDebug("CQSOLoggerGUIThread got WM_MODIFY_LOG_ENTRY, Entry = %d", index);
    if (index < 0 || index >= static_cast<int>(m_EntryList.size()))
        return;
    if (m_bReadOnly) {
        m_notices.Error(ReadOnlyText());
        RefillWindow();  // the row the editor changed shows the entry again
        return;
    }
    m_EntryList[static_cast<std::size_t>(index)] = entry;
    // The window already shows the changed row; the search results may
    // name the entry as it was.
    if (m_pLogDlg)
        m_pLogDlg->ClearSearchResults();
    m_bRewriteNeeded = true;
    OnSaveLogFile();
}

void CQSOLoggerGUIThread::OnDeleteLogEntry(int index) {
    qDebug("CQSOLoggerGUIThread got WM_DELETE_LOG_ENTRY, Entry = %d", index);
    if (index < 0 || index >= static_cast<int>(m_EntryList.size()))
        return;
    if (m_bReadOnly) {
        m_notices.Error(ReadOnlyText());
        RefillWindow();  // the row the window took away shows again
        return;
    }
    m_EntryList.erase(m_EntryList.begin() + index);
    // The window already took the row away and renumbered the rest; the
    // search results may point past it.
    if (m_pLogDlg)
        m_pLogDlg->ClearSearchResults();
    m_bRewriteNeeded = true;
    OnSaveLogFile();
}

void CQSOLoggerGUIThread::OnToggleLoginfoWindow(int wParam, long lParam) {
    qDebug("CQSOLoggerGUIThread got WM_TOGGLE_LOGINFO_WINDOW");
    if (m_links.toggleInfoWindow)
        m_links.toggleInfoWindow(wParam, lParam);
}

void CQSOLoggerGUIThread::OnExecuteRemoteCmd(int cmd, long param) {
    qDebug("CQSOLoggerGUIThread got WM_EXECUTE_REMOTE_CMD, Cmd = %d", cmd);
    if (m_links.executeRemoteCmd)
        m_links.executeRemoteCmd(cmd, param);
}

void CQSOLoggerGUIThread::OnSearchQsoLogCmd(const std::string& call) {
    qDebug("CQSOLoggerGUIThread got WM_SEARCH_QSOLOG_CMD, Call = %s", call.c_str());
    const std::string wanted = AsciiUpper(call);
    if (!m_pLogDlg)
        return;
    m_pLogDlg->ClearSearchResults();
    for (const QSO_LOG_ENTRY& e : m_EntryList) {
        if (e.szCall == wanted)
            m_pLogDlg->AddSearchResult(SearchResultLine(e));
    }
}

void CQSOLoggerGUIThread::OnSearchQsoLogResultCmd(int index, const std::string& call) {
    qDebug("CQSOLoggerGUIThread got WM_SEARCH_QSOLOG_RESULT_CMD, Call = %s", call.c_str());
    int seen = 0;
    for (const QSO_LOG_ENTRY& e : m_EntryList) {
        if (e.szCall != call)
            continue;
        if (seen++ == index) {
            if (m_links.sendFoundEntry)
                m_links.sendFoundEntry(e);
            return;
        }
    }
}

void CQSOLoggerGUIThread::OnPositionWindowCmd() {
    qDebug("CQSOLoggerGUIThread got WM_POSITION_WINDOW_CMD");
    if (m_pLogDlg)
        m_pLogDlg->Place();
}

void CQSOLoggerGUIThread::ShowLogWindow() {
    if (m_pLogDlg)
        m_pLogDlg->Show();
}

void CQSOLoggerGUIThread::ExitInstance() {
    SaveForExit(false);
    m_pLogDlg.reset();
    // The entries are gone: nothing is left to save over the file.
    ClearLog();
    m_lock.Release();
    m_strLockedName.clear();
}

void CQSOLoggerGUIThread::SetFileHooks(platform::AtomicStepHook saveHook,
                                       platform::AppendStepHook appendHook,
                                       RescueFolderHook rescueHook) {
    m_saveHook = std::move(saveHook);
    m_appendHook = std::move(appendHook);
    m_rescueHook = std::move(rescueHook);
}

}  // namespace pelorin
