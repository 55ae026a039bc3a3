#include "client/qso/qso_logging_owner.h"

#include <QCoreApplication>
#include <QEvent>
#include <QMetaObject>
#include <QWidget>

#include <chrono>
#include <cstdlib>
#include <utility>
#include <vector>

#include "client/base/registry_store.h"
#include "client/panel/k2_front_panel_control_dlg.h"
#include "platform/atomic_file.h"
#include "platform/message_service.h"
#include "platform/windows_path.h"

using pelorin::CQSOInfoGUIThread;
using pelorin::CQSOLoggerGUIThread;
using pelorin::QSO_LOG_ENTRY;

// "QSO Logging Mode" and "Current Log File Name" in the settings; a value
// that cannot be read counts as its default, a write that fails is told.
class QsoLoggingOwner::StoreSettings : public pelorin::IQsoLogSettings {
  public:
    using Report = std::function<void(const std::string& valueName)>;
    StoreSettings(pelorin::CRegistryStore& store, Report reportFailedWrite)
        : m_store(store), m_reportFailedWrite(std::move(reportFailedWrite)) {}
    int ReadQsoLoggingMode() const override {
        int mode = pelorin::kNormalLogStyle;
        m_store.ReadQsoLoggingMode(mode);
        return mode;
    }
    void WriteQsoLoggingMode(int mode) override {
        if (!m_store.WriteQsoLoggingMode(mode)) {
            m_reportFailedWrite("QSO Logging Mode");
        }
    }
    std::string ReadCurrentLogFileName() const override {
        std::string name = pelorin::kDefaultLogFileName;
        m_store.ReadCurrentLogFileName(name);
        return name;
    }
    void WriteCurrentLogFileName(const std::string& name) override {
        if (!m_store.WriteCurrentLogFileName(name)) {
            m_reportFailedWrite("Current Log File Name");
        }
    }

  private:
    pelorin::CRegistryStore& m_store;
    Report m_reportFailedWrite;
};

// The logger's errors and warnings are modal to the log window while it is
// shown, so the panel and the entry windows go on; at the exit the logger
// holds them, and its one box after the save is the program's, as the window
// goes before the operator could read it. Its questions are always the
// program's: they are asked in the middle of an operation on the log, which
// nothing else may reach before the answer.
class QsoLoggingOwner::ServiceNotices : public pelorin::IQsoNotices {
  public:
    void Error(const std::string& text) override { MessageService::showError(text, window()); }
    void Warning(const std::string& text) override { MessageService::showWarning(text, window()); }
    bool AskYesNo(const std::string& text) override {
        return MessageService::askYesNo(text, MessageService::Icon::Exclamation);
    }

    QPointer<QWidget> logWindow;
    bool exiting = false;

  private:
    QWidget* window() const { return exiting ? nullptr : logWindow.data(); }
};

QsoLoggingOwner::QsoLoggingOwner(pelorin::CRegistryStore& store, EntryWindowMaker makeEntryWindow,
                                 LogWindowMaker makeLogWindow, SystemClock now)
    : m_store(store),
      m_makeEntryWindow(std::move(makeEntryWindow)),
      m_makeLogWindow(std::move(makeLogWindow)),
      m_now(std::move(now)),
      m_context(std::make_unique<QObject>()),
      m_settings(std::make_unique<StoreSettings>(
          store,
          [this](const std::string& valueName) {
              const std::string text = "Setting not saved: " + valueName;
              postToPanel(
                  [text](CK2FrontPanelControlDlg& panel) { panel.ShowStatus(kStatusError, text); });
          })),
      m_notices(std::make_unique<ServiceNotices>()) {
    if (!m_now) {
        m_now = [] {
            return static_cast<std::int64_t>(
                std::chrono::duration_cast<std::chrono::seconds>(
                    std::chrono::system_clock::now().time_since_epoch())
                    .count());
        };
    }
}

// The windows go with their objects, before the queued calls' receiver.
QsoLoggingOwner::~QsoLoggingOwner() {
    m_logger.reset();
    m_info.reset();
}

void QsoLoggingOwner::fill(PanelEntryPoints& entry) {
    entry.saveQsoLogForExit = [this](bool interactive) { return saveQsoLogForExit(interactive); };
    entry.stopQsoThreads = [this] { stopQsoThreads(); };
}

void QsoLoggingOwner::fill(PanelCommandEntryPoints& entry) {
    entry.startQsoLogging = [this] { startQsoLogging(); };
    entry.qsoLogStyleChange = [this](int mode) { qsoLogStyleChange(mode); };
    entry.utcLogChange = [this](int useUtc) { utcLogChange(useUtc); };
    entry.reportRadioData = [this](std::intptr_t requester, const RADIO_SNAPSHOT& snapshot) {
        reportRadioData(requester, snapshot);
    };
    entry.positionQsoWindows = [this] { positionQsoWindows(); };
}

void QsoLoggingOwner::setPanel(CK2FrontPanelControlDlg* panel) {
    m_panel = panel;
}

std::int64_t QsoLoggingOwner::Now() const {
    return m_now();
}

bool QsoLoggingOwner::StoredUseUtc() const {
    int useUtc = 1;
    std::uint8_t offset = 0;
    m_store.ReadUtcSettings(useUtc, offset);
    return useUtc != 0;
}

void QsoLoggingOwner::post(std::function<void()> call) {
    ++m_queuedCalls;
    QMetaObject::invokeMethod(
        m_context.get(),
        [this, call = std::move(call)] {
            --m_queuedCalls;
            call();
        },
        Qt::QueuedConnection);
}

// A round runs what was queued before it; what those calls queue waits for
// the next round. A contact takes a few rounds from Log It to the file.
void QsoLoggingOwner::RunQueuedCalls() {
    for (int round = 0; m_queuedCalls > 0 && round < kMaxDrainRounds; ++round) {
        QCoreApplication::sendPostedEvents(m_context.get(), QEvent::MetaCall);
    }
}

void QsoLoggingOwner::postToPanel(std::function<void(CK2FrontPanelControlDlg&)> call) {
    post([this, call = std::move(call)] {
        if (m_panel) {
            call(*m_panel);
        }
    });
}

void QsoLoggingOwner::postToInfo(std::function<void(CQSOInfoGUIThread&)> call) {
    post([this, call = std::move(call)] {
        if (m_info) {
            call(*m_info);
        }
    });
}

void QsoLoggingOwner::postToLogger(LoggerCall call) {
    post([this, call = std::move(call)] {
        if (m_logger) {
            call(*m_logger);
        }
    });
}

pelorin::QsoEntryWindowLinks QsoLoggingOwner::EntryWindowLinks() {
    pelorin::QsoEntryWindowLinks links;
    links.logIt = [this](const QSO_LOG_ENTRY& entry) {
        postToInfo([entry](CQSOInfoGUIThread& info) { info.OnRequestQsoLogCmd(entry); });
    };
    links.searchLog = [this](const std::string& call) {
        postToInfo([call](CQSOInfoGUIThread& info) { info.OnSearchQsoLogCmd(call); });
    };
    links.executeRemoteCmd = [this](int cmd, long param) {
        postToPanel([cmd, param](CK2FrontPanelControlDlg& panel) {
            panel.executeRemoteCmd(cmd, static_cast<std::intptr_t>(param));
        });
    };
    return links;
}

pelorin::QsoInfoPanelLinks QsoLoggingOwner::InfoPanelLinks() {
    pelorin::QsoInfoPanelLinks links;
    // The request's id is the requester word the panel hands back with its answer.
    links.requestRadioData = [this](std::uint64_t request) {
        const auto requester = static_cast<std::intptr_t>(request);
        postToPanel([requester](CK2FrontPanelControlDlg& panel) {
            panel.OnRequestRadioData(CK2FrontPanelControlDlg::RADIO_DATA_FOR_THREAD, requester);
        });
    };
    links.isConnected = [this] { return m_panel && m_panel->model().m_bConnected != 0; };
    links.bandOf = [this](std::uint32_t hz) {
        pelorin::TUNING_RANGE_ENTRY range;
        return m_store.FindTuningRange(hz, range) ? range.band : -1;
    };
    links.showStatus = [this](int kind, const std::string& text) {
        postToPanel([kind, text](CK2FrontPanelControlDlg& panel) { panel.ShowStatus(kind, text); });
    };
    return links;
}

pelorin::QsoInfoLoggerLinks QsoLoggingOwner::InfoLoggerLinks() {
    pelorin::QsoInfoLoggerLinks links;
    links.logEntry = [this](const QSO_LOG_ENTRY& entry) {
        postToLogger([entry](CQSOLoggerGUIThread& logger) { logger.OnRequestQsoLogCmd(1, entry); });
    };
    links.logEntryNow = [this](const QSO_LOG_ENTRY& entry) {
        if (m_logger) {
            m_logger->OnRequestQsoLogCmd(1, entry);
            return;
        }
        postToLogger([entry](CQSOLoggerGUIThread& logger) { logger.OnRequestQsoLogCmd(1, entry); });
    };
    links.searchLog = [this](const std::string& call) {
        postToLogger([call](CQSOLoggerGUIThread& logger) { logger.OnSearchQsoLogCmd(call); });
    };
    return links;
}

CQSOLoggerGUIThread::Links QsoLoggingOwner::LoggerLinks() {
    CQSOLoggerGUIThread::Links links;
    links.styleChanged = [this](int style) {
        postToInfo([style](CQSOInfoGUIThread& info) { info.OnNotifyQsoLogStyleChange(style); });
    };
    links.sendFoundEntry = [this](const QSO_LOG_ENTRY& entry) {
        postToInfo([entry](CQSOInfoGUIThread& info) { info.OnSearchQsoLogResultCmd(entry); });
    };
    links.toggleInfoWindow = [this](int, long) {
        postToInfo([](CQSOInfoGUIThread& info) { info.OnToggleLoginfoWindow(); });
    };
    links.executeRemoteCmd = [this](int cmd, long param) {
        postToPanel([cmd, param](CK2FrontPanelControlDlg& panel) {
            panel.executeRemoteCmd(cmd, static_cast<std::intptr_t>(param));
        });
    };
    // A Load that turns to a log of the other kind must not take the
    // contacts logged for this one: they go in before it is set aside.
    links.beforeLoad = [this] {
        if (!m_info || !m_panel) {
            return;
        }
        m_info->CompleteAndLogNow(m_panel->BuildRadioSnapshot());
    };
    // A log that cannot be saved at the exit goes whole to the first of these
    // that takes it, after the log's own folder.
    links.rescueFolders = [] {
        std::vector<std::string> folders{
            platform::folderOf(pelorin::CRegistryStore::SettingsFilePath())};
        if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0') {
            folders.emplace_back(home);
        }
        return folders;
    };
    links.statusLine = [this](const std::string& text) {
        postToPanel(
            [text](CK2FrontPanelControlDlg& panel) { panel.ShowStatus(kStatusError, text); });
    };
    // A line without a date counts as logged now, on the clock the contacts
    // are stamped with.
    links.now = [this] {
        const bool useUtc = m_info ? m_info->useUtc() : StoredUseUtc();
        return CQSOInfoGUIThread::WallClockStamp(Now(), useUtc);
    };
    return links;
}

void QsoLoggingOwner::startQsoLogging() {
    if (!m_info) {
        m_info = std::make_unique<CQSOInfoGUIThread>(
            [this](int style) {
                return m_makeEntryWindow ? m_makeEntryWindow(style, EntryWindowLinks()) : nullptr;
            },
            [this] { return Now(); }, StoredUseUtc(),
            [this] { return m_settings->ReadQsoLoggingMode(); });
        postToInfo([this](CQSOInfoGUIThread& info) { info.OnParamCmd(InfoPanelLinks()); });
    }
    postToInfo([](CQSOInfoGUIThread& info) { info.ShowInfoWindow(); });
    if (!m_logger) {
        std::string homeDir = "C:\\Orvo";
        m_store.ReadHomeDir(homeDir);
        m_logFolder = localPathFromWindows(homeDir);
        m_logger = std::make_unique<CQSOLoggerGUIThread>(m_logFolder, *m_settings, *m_notices,
                                                         LoggerLinks());
        postToLogger([this](CQSOLoggerGUIThread& logger) {
            std::unique_ptr<pelorin::IQsoLogWindow> window;
            if (m_makeLogWindow) {
                window =
                    m_makeLogWindow([this](LoggerCall call) { postToLogger(std::move(call)); });
                m_notices->logWindow = dynamic_cast<QWidget*>(window.get());
            }
            logger.OnParamCmd(std::move(window));
        });
        postToInfo(
            [this](CQSOInfoGUIThread& info) { info.OnSetNotifierAddress(InfoLoggerLinks()); });
    }
    postToLogger([](CQSOLoggerGUIThread& logger) { logger.ShowLogWindow(); });
}

// Each step is queued from inside the one before, behind what that one
// queued: the waiting contacts reach the old log before it is set aside.
void QsoLoggingOwner::qsoLogStyleChange(int mode) {
    (void)mode;  // the logger and the entry window follow the stored mode
    if (!m_info || !m_logger) {
        return;
    }
    postToInfo([this](CQSOInfoGUIThread& info) {
        if (m_panel) {
            info.CompletePendingEntries(m_panel->BuildRadioSnapshot());
        }
        postToLogger([this](CQSOLoggerGUIThread& logger) {
            logger.OnOpenLogFile(0);
            const int stored = m_settings->ReadQsoLoggingMode();
            postToInfo(
                [stored](CQSOInfoGUIThread& next) { next.OnNotifyQsoLogStyleChange(stored); });
        });
    });
}

void QsoLoggingOwner::utcLogChange(int useUtc) {
    postToInfo([useUtc](CQSOInfoGUIThread& info) {
        info.OnExecuteRemoteCmd(CQSOInfoGUIThread::REMOTE_CMD_UTC_LOG_CHANGE, useUtc);
    });
}

void QsoLoggingOwner::reportRadioData(std::intptr_t requester, const RADIO_SNAPSHOT& snapshot) {
    if (!m_info || requester <= 0) {
        return;
    }
    const auto request = static_cast<std::uint64_t>(requester);
    postToInfo([request, snapshot](CQSOInfoGUIThread& info) {
        info.OnReportRadioData(request, snapshot);
    });
}

void QsoLoggingOwner::positionQsoWindows() {
    postToInfo([](CQSOInfoGUIThread& info) { info.OnPositionWindowCmd(); });
    postToLogger([](CQSOLoggerGUIThread& logger) { logger.OnPositionWindowCmd(); });
}

// Before anything else of the exit: the contacts queued or waiting for radio
// data reach the log, which is saved, rescued or, on the operator's No, kept.
bool QsoLoggingOwner::saveQsoLogForExit(bool interactive) {
    m_notices->exiting = true;
    // The appends of the contacts still queued may fail as well: no box may
    // wait on the operator before the save.
    if (m_logger) {
        m_logger->BeginExit();
    }
    RunQueuedCalls();
    if (m_info && m_panel) {
        m_info->CompletePendingEntries(m_panel->BuildRadioSnapshot());
        RunQueuedCalls();
    }
    const bool done = !m_logger || m_logger->SaveForExit(interactive);
    // On No the program goes on.
    m_notices->exiting = done;
    return done;
}

// The process ends when the exit returns: what is queued for the QSO objects
// runs now, the contacts still waiting for radio data are completed from the
// panel's snapshot, and the logger's last save comes after all of them.
void QsoLoggingOwner::stopQsoThreads() {
    m_notices->exiting = true;
    if (m_logger) {
        m_logger->BeginExit();
    }
    RunQueuedCalls();
    if (m_info && m_panel) {
        m_info->CompletePendingEntries(m_panel->BuildRadioSnapshot());
        RunQueuedCalls();
    }
    if (m_logger) {
        m_logger->ExitInstance();
    }
    m_logger.reset();
    m_info.reset();
}
