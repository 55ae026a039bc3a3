#pragma once

#include <QRect>

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "client/panel/radio_snapshot.h"
#include "client/qso/qso_log_entry.h"

// The QSO info object: owns the entry window of the log style in force (the
// normal "QSO Information" or the contest "Contest QSO Information" window),
// stamps each contact the operator logs there, asks the front panel for the
// radio's state, completes the contact from the answer and hands it to the
// logger. It also forwards searches to the logger and shows a found entry.
//
// A GUI-thread object: every handler runs on the GUI thread, reached by queued
// calls; it locks nothing. The windows, the clock and the links to the panel
// and the logger are injected, so tests drive it with recording doubles.
//
// Contacts wait for the panel's answer in a queue: each Log It asks once,
// under a request id of its own, and the answer carrying that id completes
// that contact, so quick Log Its are all logged, in order, each with its own
// answer; the answer to a contact completed without it is passed over. A contact is stamped with
// the wall clock when Log It arrives: the system clock's UTC while "Use UTC in Log" is on, local
// time while it is off.
namespace pelorin {

// The calls the info object makes on an entry window.
class IQsoEntryWindow {
  public:
    virtual ~IQsoEntryWindow() = default;
    virtual int Style() const = 0;  // kNormalLogStyle or kContestLogStyle
    // Visible and in front; the shown flag set.
    virtual void Show() = 0;
    // Flips the shown flag and shows or hides the window.
    virtual void Toggle() = 0;
    // Re-places the window beside the front panel.
    virtual void Place() = 0;
    // The window's frame rectangle on the screen; MoveInto puts it there.
    virtual QRect Rect() const = 0;
    virtual void MoveInto(const QRect& rect) = 0;
    // Sets the window's texts from a found entry of its kind and brings it
    // to the front.
    virtual void ShowEntry(const QSO_LOG_ENTRY& entry) = 0;
};

// What an entry window sends: the contact of a Log It, a search and the
// CW keys and Alt+X for the front panel.
struct QsoEntryWindowLinks {
    std::function<void(const QSO_LOG_ENTRY&)> logIt;
    std::function<void(const std::string& call)> searchLog;
    std::function<void(int cmd, long param)> executeRemoteCmd;
};

// The info object's neighbours, as calls. The owner makes them queued, so
// each acts later on the GUI thread, as a posted message would.
struct QsoInfoPanelLinks {
    // Asks the panel for its snapshot; the answer comes to OnReportRadioData
    // with the same request id (never 0).
    std::function<void(std::uint64_t request)> requestRadioData;
    // Whether the panel is connected to the server, read at the answer.
    std::function<bool()> isConnected;
    // Band index 0..8 of the tuning range holding a frequency; -1 for none
    // (also while no band table is known).
    std::function<int(std::uint32_t hz)> bandOf;
    // The panel's status line; kStatusError is an error.
    std::function<void(int kind, const std::string& text)> showStatus;
};

struct QsoInfoLoggerLinks {
    std::function<void(const QSO_LOG_ENTRY&)> logEntry;  // the logger's Log It (wParam 1)
    // The same Log It made at once, for CompleteAndLogNow; unset: logEntry.
    std::function<void(const QSO_LOG_ENTRY&)> logEntryNow;
    std::function<void(const std::string& call)> searchLog;
};

class CQSOInfoGUIThread {
  public:
    using EntryWindowFactory = std::function<std::unique_ptr<IQsoEntryWindow>(int style)>;
    // Seconds since 01/01/1970 00:00:00 UTC, as the system clock counts them.
    using SystemClock = std::function<std::int64_t()>;

    static constexpr int REMOTE_CMD_UTC_LOG_CHANGE = 21;
    static constexpr const char* kNotConnectedStatus =
        "QSO logged without radio data: not connected";
    static constexpr const char* kNoRadioAnswerStatus =
        "QSO logged without radio data: no answer from the radio";

    // `useUtc` is "Use UTC in Log" as stored; `readLogStyle` reads "QSO
    // Logging Mode" when the panel's parameters arrive.
    CQSOInfoGUIThread(EntryWindowFactory makeWindow, SystemClock now, bool useUtc,
                      std::function<int()> readLogStyle);
    ~CQSOInfoGUIThread();
    CQSOInfoGUIThread(const CQSOInfoGUIThread&) = delete;
    CQSOInfoGUIThread& operator=(const CQSOInfoGUIThread&) = delete;

    // The panel: keeps its links, makes the entry window of the stored style.
    void OnParamCmd(QsoInfoPanelLinks panel);
    // The logger; contacts completed before it was known go to it now.
    void OnSetNotifierAddress(QsoInfoLoggerLinks logger);
    // A contact from an entry window's Log It: stamped, queued, radio data asked for.
    void OnRequestQsoLogCmd(const QSO_LOG_ENTRY& entry);
    // The panel's answer to `request`: completes the contact waiting for it.
    void OnReportRadioData(std::uint64_t request, const RADIO_SNAPSHOT& snapshot);
    // Completes every waiting contact from `snapshot` now and hands it to the
    // logger; their answers, still to come, are passed over. A style change
    // calls it before the logger opens the log of the new style, so the
    // contacts go into the log they were logged for.
    void CompletePendingEntries(const RADIO_SNAPSHOT& snapshot);
    // The same, but each contact reaches the logger before this returns
    // (logEntryNow): a Load calls it before it sets the log aside.
    void CompleteAndLogNow(const RADIO_SNAPSHOT& snapshot);
    // The entry window of `style` replaces the other one, in its place.
    void OnNotifyQsoLogStyleChange(int style);
    void OnToggleLoginfoWindow();
    // Command 21: "Use UTC in Log" on (param non-zero) or off; others ignored.
    void OnExecuteRemoteCmd(int cmd, long param);
    void OnSearchQsoLogCmd(const std::string& call);
    // A found entry, shown in the entry window of its own kind when there is one.
    void OnSearchQsoLogResultCmd(const QSO_LOG_ENTRY& entry);
    void OnPositionWindowCmd();
    void ShowInfoWindow();

    // The wall-clock stamp of a system-clock time: its UTC breakdown, or its
    // local breakdown (the time zone's rules of that day) when `useUtc` is off.
    static std::int64_t WallClockStamp(std::int64_t systemSeconds, bool useUtc);

    int logStyle() const { return m_nLogStyle; }
    bool useUtc() const { return m_bUseUTC; }
    std::size_t pendingCount() const { return m_pendingEntries.size(); }
    // The entry window of the style in force (null when there is none).
    IQsoEntryWindow* entryWindow() const;

  private:
    void MakeWindow(int style, bool moveIntoPlace);
    void Complete(QSO_LOG_ENTRY& entry, const RADIO_SNAPSHOT& snapshot);
    void CompleteAll(const RADIO_SNAPSHOT& snapshot, bool now);
    void HandOn(const QSO_LOG_ENTRY& entry, bool now = false);

    EntryWindowFactory m_makeWindow;
    SystemClock m_now;
    std::function<int()> m_readLogStyle;

    std::unique_ptr<IQsoEntryWindow> m_pQSOInfoDlg;
    std::unique_ptr<IQsoEntryWindow> m_pContestQSOInfoDlg;
    int m_nLogStyle = kNormalLogStyle;
    bool m_bPanelKnown = false;
    QsoInfoPanelLinks m_panel;
    // Contacts waiting for radio data, oldest first, each with its request.
    struct PendingEntry {
        std::uint64_t request;
        QSO_LOG_ENTRY entry;
    };
    std::deque<PendingEntry> m_pendingEntries;
    std::uint64_t m_nLastRequest = 0;
    bool m_bLoggerKnown = false;
    QsoInfoLoggerLinks m_logger;
    // Completed before the logger was known.
    std::vector<QSO_LOG_ENTRY> m_completedEntries;
    QRect m_rcEntryWindow;
    bool m_bUseUTC = true;
};

}  // namespace pelorin
