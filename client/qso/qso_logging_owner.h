#pragma once

// QsoLoggingOwner: the QSO-logging family's one object in the program.
//
// CPelorinApp::InitInstance makes it before the front panel, lets it fill its
// members of the panel's entry points (startQsoLogging, qsoLogStyleChange,
// utcLogChange, reportRadioData, positionQsoWindows; stopQsoThreads) and
// hands it the panel once that exists.
//
// The first request for QSO logging makes the info object and the logger and
// links them, in this order: the info object learns the panel (and makes its
// entry window), its window shows; the logger is made over the log folder
// ("HomeDir", made when missing, read now) and takes its log window (which
// opens the stored log); the info object learns the logger; the log window
// shows. Later requests only show both windows.
//
// Every call between the windows, the info object, the logger and the panel
// is queued, as a posted message would be: it runs later on the GUI thread,
// in the order it was made, and is dropped once its receiver is gone. The
// windows reach the panel through its executeRemoteCmd (the CW keys, Alt+X)
// and the info object asks for radio data through OnRequestRadioData(1, id):
// the request's id, handed back with the answer, says which contact it is for.
//
// A Load from the log window first logs the contacts still waiting for radio
// data into the log it sets aside, completed from the panel's snapshot, as a
// style change does.
//
// The exit (saveQsoLogForExit, then stopQsoThreads, also after a signal) runs
// synchronously: from its start the logger holds its errors and warnings; the
// calls still queued run, contacts still waiting for radio data are completed
// from the panel's snapshot and logged, and the logger saves an unsaved log,
// or writes its rescue file, or tells the count; only then does it say what it
// held, on standard error, and an interactive exit shows its one box (the
// rescue notice, or the question whether to exit anyway; on No the exit stops
// there). Then the logger goes, then the info object with its window.
//
// A failed write of "QSO Logging Mode" or "Current Log File Name" shows
// "Setting not saved: <value name>" in the panel's status line, and so does
// the logger's word on a log lock that cannot be used.
//
// GUI thread only.

#include <QObject>
#include <QPointer>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "client/qso/qso_info.h"
#include "client/qso/qso_logger.h"

struct PanelCommandEntryPoints;
struct PanelEntryPoints;
class CK2FrontPanelControlDlg;
namespace pelorin {
class CRegistryStore;
}  // namespace pelorin

class QsoLoggingOwner {
  public:
    // Makes the entry window of a style (normal or contest) whose buttons
    // and keys go through `links`.
    using EntryWindowMaker = std::function<std::unique_ptr<pelorin::IQsoEntryWindow>(
        int style, pelorin::QsoEntryWindowLinks links)>;
    // A call the log window makes on the logger; the owner queues it.
    using LoggerCall = std::function<void(pelorin::CQSOLoggerGUIThread&)>;
    using PostToLogger = std::function<void(LoggerCall)>;
    // Makes the log window, which reaches the logger through `post`.
    using LogWindowMaker =
        std::function<std::unique_ptr<pelorin::IQsoLogWindow>(PostToLogger post)>;
    // The system clock, seconds since 01/01/1970 UTC.
    using SystemClock = std::function<std::int64_t()>;

    // The store is not owned and outlives the owner. The makers are the
    // windows' own; tests give doubles.
    QsoLoggingOwner(pelorin::CRegistryStore& store, EntryWindowMaker makeEntryWindow,
                    LogWindowMaker makeLogWindow, SystemClock now = {});
    ~QsoLoggingOwner();
    QsoLoggingOwner(const QsoLoggingOwner&) = delete;
    QsoLoggingOwner& operator=(const QsoLoggingOwner&) = delete;

    // Fills only this family's members.
    void fill(PanelEntryPoints& entry);
    void fill(PanelCommandEntryPoints& entry);
    // The panel, once built; not owned.
    void setPanel(CK2FrontPanelControlDlg* panel);

    void startQsoLogging();
    // Command 12, after the configuration page stored the mode and the log's
    // name: contacts waiting for radio data go into the log they were logged
    // for, the logger opens the log of the stored mode, then the entry window
    // follows the mode stored after that.
    void qsoLogStyleChange(int mode);
    // Command 21: "Use UTC in Log" on or off.
    void utcLogChange(int useUtc);
    void reportRadioData(std::intptr_t requester, const RADIO_SNAPSHOT& snapshot);
    void positionQsoWindows();
    // False: the log could not be saved nor rescued and the operator chose
    // not to exit.
    bool saveQsoLogForExit(bool interactive);
    void stopQsoThreads();

    // Null before the first request and after the exit.
    pelorin::CQSOInfoGUIThread* info() const { return m_info.get(); }
    pelorin::CQSOLoggerGUIThread* logger() const { return m_logger.get(); }
    // The folder bare log names lie in, as read when the objects were made.
    const std::string& logFolder() const { return m_logFolder; }

  private:
    class StoreSettings;
    class ServiceNotices;

    // Runs `call` later on the GUI thread, unless the owner is gone by then.
    void post(std::function<void()> call);
    // Runs the queued calls now, and those they queue in turn.
    void RunQueuedCalls();
    void postToPanel(std::function<void(CK2FrontPanelControlDlg&)> call);
    void postToInfo(std::function<void(pelorin::CQSOInfoGUIThread&)> call);
    void postToLogger(LoggerCall call);
    pelorin::QsoEntryWindowLinks EntryWindowLinks();
    pelorin::QsoInfoPanelLinks InfoPanelLinks();
    pelorin::QsoInfoLoggerLinks InfoLoggerLinks();
    pelorin::CQSOLoggerGUIThread::Links LoggerLinks();
    std::int64_t Now() const;
    bool StoredUseUtc() const;

    pelorin::CRegistryStore& m_store;
    EntryWindowMaker m_makeEntryWindow;
    LogWindowMaker m_makeLogWindow;
    SystemClock m_now;
    QPointer<CK2FrontPanelControlDlg> m_panel;
    // The receiver of every queued call: going with the owner, it takes the
    // calls still queued with it.
    std::unique_ptr<QObject> m_context;
    int m_queuedCalls = 0;
    static constexpr int kMaxDrainRounds = 64;
    std::unique_ptr<StoreSettings> m_settings;
    std::unique_ptr<ServiceNotices> m_notices;
    std::string m_logFolder;
    std::unique_ptr<pelorin::CQSOInfoGUIThread> m_info;
    std::unique_ptr<pelorin::CQSOLoggerGUIThread> m_logger;
};
