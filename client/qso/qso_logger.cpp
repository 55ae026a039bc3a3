#include "client/qso/qso_logger.h"

#include <sys/stat.h>

#include <QtGlobal>
#include <cerrno>
#include <cstdio>
#include <cstring>
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

}  // namespace

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
      m_notices(notices),
      m_links(std::move(links)),
      m_strLogFileName(PathOf(kDefaultLogFileName)) {}

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
    m_bUnsaved = false;
}

void CQSOLoggerGUIThread::RefillWindow() {
    if (!m_pLogDlg)
        return;
    const int stored = m_settings.ReadQsoLoggingMode();
    if (m_pLogDlg->ColumnsStyle() != stored)
        m_pLogDlg->RebuildColumns(stored);
    m_pLogDlg->ClearList();
    m_pLogDlg->SetCaption(m_strLogFileName);
    for (const QSO_LOG_ENTRY& e : m_EntryList)
        m_pLogDlg->AddEntry(e);
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

bool CQSOLoggerGUIThread::MaySetLogAside() {
    if (!m_bUnsaved || OnSaveLogFile())
        return true;
    if (m_notices.AskYesNo("Contacts not saved to " + m_strLogFileName +
                           " will be lost. Continue?")) {
        m_bUnsaved = false;
        return true;
    }
    return false;
}

void CQSOLoggerGUIThread::Adopt(const std::string& path) {
    m_strLogFileName = path;
    StoreName(path);
    m_nLogStyle = m_settings.ReadQsoLoggingMode();
    m_strStoredName = m_settings.ReadCurrentLogFileName();
    RefillWindow();
}

bool CQSOLoggerGUIThread::OnOpenLogFile(int wParam, const std::optional<std::string>& path) {
    const std::string name = path ? *path : PathOf(m_settings.ReadCurrentLogFileName());
    qDebug("CQSOLoggerGUIThread got WM_OPEN_LOG_FILE, Filename = %s", name.c_str());
    if (wParam == 1 && path && m_links.beforeLoad)
        m_links.beforeLoad();
    if (!MaySetLogAside()) {
        if (wParam == 0) {
            m_settings.WriteQsoLoggingMode(m_nLogStyle);
            m_settings.WriteCurrentLogFileName(m_strStoredName);
        }
        return false;
    }
    const bool load = wParam == 1 && path.has_value();
    platform::removeLeftoverTemporaries(name);

    std::string bytes;
    const int reason = platform::readWholeFileReason(name, bytes);
    if (reason != 0 && reason != ENOENT) {
        m_notices.Error("Cannot read " + name + ": " + reasonText(reason));
        if (!load)
            OnNewLogFile();
        return true;
    }
    const int stored = m_settings.ReadQsoLoggingMode();
    const std::optional<int> style = CheckLogFileStyle(bytes);
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
    LogFileContent content = LoadLogFile(bytes, Now());
    ClearLog();
    m_EntryList = std::move(content.entries);
    m_keptLines = std::move(content.keptLines);
    m_nQSOCount = content.nQSOCount;
    Adopt(name);
    if (!content.unreadableLines.empty())
        m_notices.Warning(UnreadableLinesNotice(name, content.unreadableLines));
    return true;
}

void CQSOLoggerGUIThread::OnRequestQsoLogCmd(int wParam, const QSO_LOG_ENTRY& entry) {
    qDebug("CQSOLoggerGUIThread got WM_REQUEST_QSOLOG_CMD");
    m_EntryList.push_back(entry);
    if (m_pLogDlg)
        m_pLogDlg->AddEntry(entry);
    if (wParam != 1)
        return;
    if (m_bUnsaved) {
        OnSaveLogFile();
        return;
    }
    int reason = 0;
    if (WriteLogEntry(m_strLogFileName, entry, m_nQSOCount + 1, &reason, m_appendHook) != 0) {
        m_notices.Error("QSO not written to " + m_strLogFileName + ": " + reasonText(reason));
        m_bUnsaved = true;
        return;
    }
    ++m_nQSOCount;
}

bool CQSOLoggerGUIThread::OnSaveLogFile(const std::optional<std::string>& path) {
    const std::string target = path ? *path : m_strLogFileName;
    qDebug("CQSOLoggerGUIThread got WM_SAVE_LOG_FILE, Filename = %s", target.c_str());
    platform::makeFolders(platform::folderOf(target));
    int reason = 0;
    if (SaveLogFile(target, m_EntryList, m_keptLines, &reason, m_saveHook) != 0) {
        m_notices.Error("Log not saved to " + target + ": " + reasonText(reason));
        m_bUnsaved = true;
        return false;
    }
    m_bUnsaved = false;
    m_nQSOCount = static_cast<int>(m_EntryList.size());
    // Only a chosen name is stored: a save of the log in hand (Log It while
    // unsaved, Modify, Delete) must not undo the name the configuration page
    // stored for a style change that is still to reach the logger.
    if (path) {
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
        m_bUnsaved = true;
    }
    Adopt(path);
    return true;
}

void CQSOLoggerGUIThread::OnModifyLogEntry(int index, const QSO_LOG_ENTRY& entry) {
    qDebug("CQSOLoggerGUIThread got WM_MODIFY_LOG_ENTRY, Entry = %d", index);
    if (index < 0 || index >= static_cast<int>(m_EntryList.size()))
        return;
    m_EntryList[static_cast<std::size_t>(index)] = entry;
    RefillWindow();
    OnSaveLogFile();
}

void CQSOLoggerGUIThread::OnDeleteLogEntry(int index) {
    qDebug("CQSOLoggerGUIThread got WM_DELETE_LOG_ENTRY, Entry = %d", index);
    if (index < 0 || index >= static_cast<int>(m_EntryList.size()))
        return;
    m_EntryList.erase(m_EntryList.begin() + index);
    RefillWindow();
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
    if (m_bUnsaved)
        OnSaveLogFile();
    m_pLogDlg.reset();
    // The entries are gone: nothing is left to save over the file.
    ClearLog();
}

void CQSOLoggerGUIThread::SetFileHooks(platform::AtomicStepHook saveHook,
                                       platform::AppendStepHook appendHook) {
    m_saveHook = std::move(saveHook);
    m_appendHook = std::move(appendHook);
}

}  // namespace pelorin
