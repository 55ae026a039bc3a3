#include "client/qso/qso_info.h"

#include <QtGlobal>

#include <algorithm>
#include <ctime>
#include <utility>

#include "client/base/status_line.h"
#include "client/qso/qso_log_file.h"

namespace pelorin {

CQSOInfoGUIThread::CQSOInfoGUIThread(EntryWindowFactory makeWindow, SystemClock now, bool useUtc,
                                     std::function<int()> readLogStyle)
    : m_makeWindow(std::move(makeWindow)),
      m_now(std::move(now)),
      m_readLogStyle(std::move(readLogStyle)),
      m_bUseUTC(useUtc) {}

CQSOInfoGUIThread::~CQSOInfoGUIThread() = default;

std::int64_t CQSOInfoGUIThread::WallClockStamp(std::int64_t systemSeconds, bool useUtc) {
    const auto t = static_cast<std::time_t>(systemSeconds);
    std::tm tm{};
    const std::tm* broken = useUtc ? ::gmtime_r(&t, &tm) : ::localtime_r(&t, &tm);
    if (broken == nullptr) {
        return systemSeconds;
    }
    WallClockTime wall;
    wall.year = tm.tm_year + 1900;
    wall.month = tm.tm_mon + 1;
    wall.day = tm.tm_mday;
    wall.hour = tm.tm_hour;
    wall.minute = tm.tm_min;
    // A leap second shows as :60; the wall clock has none.
    wall.second = tm.tm_sec > 59 ? 59 : tm.tm_sec;
    return WallClockSeconds(wall).value_or(systemSeconds);
}

IQsoEntryWindow* CQSOInfoGUIThread::entryWindow() const {
    if (m_nLogStyle == kNormalLogStyle) {
        return m_pQSOInfoDlg.get();
    }
    if (m_nLogStyle == kContestLogStyle) {
        return m_pContestQSOInfoDlg.get();
    }
    return nullptr;
}

// Makes the window of `style` unless it exists and deletes the other one.
// The first window made gives the place every later one is moved into.
void CQSOInfoGUIThread::MakeWindow(int style, bool moveIntoPlace) {
    if (style != kNormalLogStyle && style != kContestLogStyle) {
        return;
    }
    auto& wanted = style == kNormalLogStyle ? m_pQSOInfoDlg : m_pContestQSOInfoDlg;
    auto& other = style == kNormalLogStyle ? m_pContestQSOInfoDlg : m_pQSOInfoDlg;
    other.reset();
    if (wanted || !m_makeWindow) {
        return;
    }
    wanted = m_makeWindow(style);
    if (!wanted) {
        return;
    }
    if (m_rcEntryWindow.isNull()) {
        m_rcEntryWindow = wanted->Rect();
    } else if (moveIntoPlace) {
        wanted->MoveInto(m_rcEntryWindow);
    }
}

void CQSOInfoGUIThread::OnParamCmd(QsoInfoPanelLinks panel) {
    qDebug("CQSOInfoGUIThread got PARAM CMD");
    m_panel = std::move(panel);
    m_bPanelKnown = true;
    m_nLogStyle = m_readLogStyle ? m_readLogStyle() : kNormalLogStyle;
    MakeWindow(m_nLogStyle, false);
}

void CQSOInfoGUIThread::OnSetNotifierAddress(QsoInfoLoggerLinks logger) {
    qDebug("CQSOInfoGUIThread got WM_SET_NOTIFIER_ADDRESS");
    m_logger = std::move(logger);
    m_bLoggerKnown = true;
    std::vector<QSO_LOG_ENTRY> completed;
    completed.swap(m_completedEntries);
    for (const QSO_LOG_ENTRY& entry : completed) {
        HandOn(entry);
    }
}

void CQSOInfoGUIThread::OnRequestQsoLogCmd(const QSO_LOG_ENTRY& entry) {
    qDebug("CQSOInfoGUIThread got WM_REQUEST_QSOLOG_CMD");
    QSO_LOG_ENTRY stamped = entry;
    stamped.tmQSO = WallClockStamp(m_now ? m_now() : std::int64_t{0}, m_bUseUTC);
    if (!m_bPanelKnown || !m_panel.requestRadioData) {
        // Nobody to answer: logged at once, without radio data.
        Complete(stamped, RADIO_SNAPSHOT{});
        HandOn(stamped);
        return;
    }
    const std::uint64_t request = ++m_nLastRequest;
    m_pendingEntries.push_back({request, std::move(stamped)});
    m_panel.requestRadioData(request);
}

void CQSOInfoGUIThread::OnReportRadioData(std::uint64_t request, const RADIO_SNAPSHOT& snapshot) {
    qDebug("CQSOInfoGUIThread got WM_REPORT_RADIO_DATA");
    const auto waiting =
        std::find_if(m_pendingEntries.begin(), m_pendingEntries.end(),
                     [request](const PendingEntry& pending) { return pending.request == request; });
    if (waiting == m_pendingEntries.end()) {
        return;
    }
    QSO_LOG_ENTRY entry = std::move(waiting->entry);
    m_pendingEntries.erase(waiting);
    Complete(entry, snapshot);
    HandOn(entry);
}

void CQSOInfoGUIThread::CompletePendingEntries(const RADIO_SNAPSHOT& snapshot) {
    CompleteAll(snapshot, false);
}

void CQSOInfoGUIThread::CompleteAndLogNow(const RADIO_SNAPSHOT& snapshot) {
    CompleteAll(snapshot, true);
}

void CQSOInfoGUIThread::CompleteAll(const RADIO_SNAPSHOT& snapshot, bool now) {
    while (!m_pendingEntries.empty()) {
        QSO_LOG_ENTRY entry = std::move(m_pendingEntries.front().entry);
        m_pendingEntries.pop_front();
        Complete(entry, snapshot);
        HandOn(entry, now);
    }
}

// The frequency is the transmitting VFO's, the band the tuning range holding
// it: the snapshot's band word is the receiving VFO's, wrong in split. While
// not connected, or connected but not heard from the radio since the connect
// or since its port failed, the panel's values are start-up or stale ones, so
// none are logged.
void CQSOInfoGUIThread::Complete(QSO_LOG_ENTRY& entry, const RADIO_SNAPSHOT& snapshot) {
    entry.nQSLStatus = 0;
    const bool connected = m_panel.isConnected && m_panel.isConnected();
    if (!connected || !snapshot.bRadioAnswered) {
        entry.lFreq = 0;
        entry.nBand = -1;
        entry.nMode = 0;
        if (m_panel.showStatus) {
            m_panel.showStatus(kStatusError,
                               connected ? kNoRadioAnswerStatus : kNotConnectedStatus);
        }
        return;
    }
    const std::int32_t hz = snapshot[RADIO_SNAPSHOT::TxVFO] != 0 ? snapshot[RADIO_SNAPSHOT::VfoB]
                                                                 : snapshot[RADIO_SNAPSHOT::VfoA];
    entry.lFreq = hz;
    entry.nBand = m_panel.bandOf ? m_panel.bandOf(static_cast<std::uint32_t>(hz)) : -1;
    entry.nMode = snapshot[RADIO_SNAPSHOT::OpMode];
}

void CQSOInfoGUIThread::HandOn(const QSO_LOG_ENTRY& entry, bool now) {
    if (!m_bLoggerKnown || !m_logger.logEntry) {
        m_completedEntries.push_back(entry);
        return;
    }
    if (now && m_logger.logEntryNow) {
        m_logger.logEntryNow(entry);
        return;
    }
    m_logger.logEntry(entry);
}

void CQSOInfoGUIThread::OnNotifyQsoLogStyleChange(int style) {
    qDebug("CQSOInfoGUIThread got WM_NOTIFY_QSOLOGSTYLE_CHANGE, new LogStyle = %d", style);
    m_nLogStyle = style;
    if (style != kNormalLogStyle && style != kContestLogStyle) {
        return;
    }
    MakeWindow(style, true);
    if (IQsoEntryWindow* window = entryWindow()) {
        window->Show();
    }
}

void CQSOInfoGUIThread::OnToggleLoginfoWindow() {
    qDebug("CQSOInfoGUIThread got WM_TOGGLE_LOGINFO_WINDOW");
    if (IQsoEntryWindow* window = entryWindow()) {
        window->Toggle();
    }
}

void CQSOInfoGUIThread::OnExecuteRemoteCmd(int cmd, long param) {
    qDebug("CQSOInfoGUIThread got WM_EXECUTE_REMOTE_CMD, Cmd = %d, Param = %ld", cmd, param);
    if (cmd == REMOTE_CMD_UTC_LOG_CHANGE) {
        m_bUseUTC = param != 0;
    }
}

void CQSOInfoGUIThread::OnSearchQsoLogCmd(const std::string& call) {
    qDebug("CQSOInfoGUIThread got WM_SEARCH_QSOLOG_CMD");
    if (m_bLoggerKnown && m_logger.searchLog) {
        m_logger.searchLog(call);
    }
}

void CQSOInfoGUIThread::OnSearchQsoLogResultCmd(const QSO_LOG_ENTRY& entry) {
    qDebug("CQSOInfoGUIThread got WM_SEARCH_QSOLOG_RESULT_CMD");
    IQsoEntryWindow* window = nullptr;
    if (entry.nLogStyle == kNormalLogStyle) {
        window = m_pQSOInfoDlg.get();
    } else if (entry.nLogStyle == kContestLogStyle) {
        window = m_pContestQSOInfoDlg.get();
    }
    if (window != nullptr) {
        window->ShowEntry(entry);
    }
}

void CQSOInfoGUIThread::OnPositionWindowCmd() {
    qDebug("CQSOInfoGUIThread got WM_POSITION_WINDOW_CMD");
    if (IQsoEntryWindow* window = entryWindow()) {
        window->Place();
    }
}

void CQSOInfoGUIThread::ShowInfoWindow() {
    if (IQsoEntryWindow* window = entryWindow()) {
        window->Show();
    }
}

}  // namespace pelorin
