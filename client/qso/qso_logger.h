#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "client/qso/qso_log_entry.h"
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
// unsaved and names the file; while unsaved, Log It saves the whole log, and
// Load, New, a style change and the exit first try to save it.
namespace pelorin {

// The calls the logger makes on its log window.
class IQsoLogWindow {
  public:
    virtual ~IQsoLogWindow() = default;
    virtual void ClearList() = 0;  // rows and statistics
    virtual void AddEntry(const QSO_LOG_ENTRY& entry) = 0;
    virtual void SetCaption(const std::string& fileName) = 0;
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
    struct Links {
        std::function<void(int style)> styleChanged;               // to the info object
        std::function<void(const QSO_LOG_ENTRY&)> sendFoundEntry;  // to the info object
        std::function<void(int wParam, long lParam)> toggleInfoWindow;
        std::function<void(int cmd, long param)> executeRemoteCmd;  // to the front panel
        std::function<std::int64_t()> now;  // wall clock, for lines without a date
        // Before a Load sets the log aside: contacts still waiting for radio
        // data are logged into it now, synchronously.
        std::function<void()> beforeLoad;
    };

    // logFolder: where bare names lie (made when missing).
    CQSOLoggerGUIThread(std::string logFolder, IQsoLogSettings& settings, IQsoNotices& notices,
                        Links links);

    // Start-up: takes the window and opens the stored log (as wParam 1 without a path).
    void OnParamCmd(std::unique_ptr<IQsoLogWindow> window);
    // wParam 1 with a path: Load; 1 without: start-up; 0: after a style change
    // (mode and name already stored). False when the operator kept an unsaved
    // log: nothing changed, and after a style change the log's own mode and
    // name are stored again.
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
    // The exit: a last save of an unsaved log; the window and the entries go.
    // Safe to call again: a later call saves nothing.
    void ExitInstance();

    // Tests fail or kill saves and appends at a chosen step.
    void SetFileHooks(platform::AtomicStepHook saveHook, platform::AppendStepHook appendHook);

    // Saves an unsaved log, or asks whether to drop it; false keeps it.
    bool MaySetLogAside();

    const std::vector<QSO_LOG_ENTRY>& entries() const { return m_EntryList; }
    const std::string& logFileName() const { return m_strLogFileName; }
    int qsoCount() const { return m_nQSOCount; }
    bool unsaved() const { return m_bUnsaved; }
    IQsoLogWindow* window() const { return m_pLogDlg.get(); }

    // A stored name as a path: a bare name lies in the log folder.
    std::string PathOf(const std::string& name) const;

  private:
    void ClearLog();
    void Adopt(const std::string& path);
    void RefillWindow();
    void StoreName(const std::string& path);
    std::int64_t Now() const;

    std::string m_logFolder;
    IQsoLogSettings& m_settings;
    IQsoNotices& m_notices;
    Links m_links;
    std::unique_ptr<IQsoLogWindow> m_pLogDlg;
    std::string m_strLogFileName;
    std::vector<QSO_LOG_ENTRY> m_EntryList;
    std::vector<std::string> m_keptLines;
    int m_nQSOCount = 0;
    bool m_bUnsaved = false;
    // What was stored for the log in hand, written back when the operator
    // keeps it against a style change the configuration page already stored.
    int m_nLogStyle = kNormalLogStyle;
    std::string m_strStoredName;
    platform::AtomicStepHook m_saveHook;
    platform::AppendStepHook m_appendHook;
};

std::string LogStyleName(int style);  // "normal", "contest"
// "N0CALL CW QSO on 07/04/1999 at 14:30:00 on   20M"
std::string SearchResultLine(const QSO_LOG_ENTRY& entry);

}  // namespace pelorin
