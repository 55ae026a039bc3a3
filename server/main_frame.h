#pragma once

// CMainFrame: Brakton's main window, an MDI frame whose only content is the activity log.
//
// Usage, in main() after the QApplication and the program-wide objects exist:
//
//   CMessageLoggerThread logger;
//   CK2RadioPort radio(services, ReadRadioLoggingMode());
//   CMainFrame frame(brakton::theRegistryStore, logger, radio,
//                    std::bind_front(&ClientLink::IsClientPresent, &clientLink));
//   ... open the radio port, start the ORB thread ...
//   platform::SignalPipe signals([&](int) { frame.RequestExit(); });
//   frame.ShowStartupMinimised();
//   app.exec();        // returns once the frame has closed (File > Exit, close, a signal)
//   ... shut down: connect-backs, ORB, radio.CloseRadioPort(), logger.stop() ...
//
// The constructor places the window at its remembered rectangle, starts the logger (unless it
// already runs) with the block built from "SW Logging Mode", and opens one log window. Closing
// the frame neither closes the radio port nor stops the logger: the program's shut-down does
// both, in its own order, after the event loop has ended.
//
// What it offers: File > New (another log window; the newest receives the records) and Exit;
// Edit > Copy; View > Toolbar and Status Bar; Config > Logging > On, Off and Setting ("Config
// Log"); Config > System (the "System Configuration" sheet); Radio > Check Radio COM Port
// (with no client connected or connecting, the "K2 COM Port Diagnostics" dialog, run between
// EnterCOMPortDiagMode and ExitCOMPortDiagMode); Help > About; the toolbar commands "Abort TX"
// and "Send Radio Info"; the status bar's message pane, which shows every record. Edit, Config and
// Radio are shown only while a log window is open.
//
// Window rectangle: every move or resize of the normal window stores its frame's rectangle
// (title bar included), the same rectangle the next start places the frame at; maximising
// stores the default rectangle, minimising stores nothing. A stored rectangle under 200 x 100
// opens at 200 x 100 and resets the stored one; one whose top 30 pixels (the title bar) lie
// on no screen moves to the primary screen's top-left.
//
// GUI thread only. The logger's display sink, called on the logger's thread, reaches the frame
// through a queued call that is dropped once the frame is gone.

#include <QMainWindow>
#include <QPointer>
#include <QRect>

#include <functional>
#include <string>
#include <utility>

class CK2RadioPort;
class CLogFrame;
class CLogView;
class CMessageLoggerThread;
namespace brakton {
class CServerRegistryStore;
}  // namespace brakton
class QAction;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QToolBar;

// The default window rectangle, as the store keeps rectangles (right and bottom inclusive).
inline constexpr int kDefaultFrameLeft = 0;
inline constexpr int kDefaultFrameTop = 0;
inline constexpr int kDefaultFrameRight = 639;
inline constexpr int kDefaultFrameBottom = 479;

// The question of the COM-port check (its refusal is the dialog's, kComPortCheckRefusal).
inline constexpr const char* kComPortCheckQuestion =
    "Entering COM Port Diagnostic will interrupt\nNormal operation of Pelorin\n"
    "Do you still want to proceed?";

class CMainFrame : public QMainWindow {
    Q_OBJECT

  public:
    using ClientConnectedFn = std::function<bool()>;
    using PAOptionNotifier = std::function<void(bool on)>;

    CMainFrame(brakton::CServerRegistryStore& store, CMessageLoggerThread& logger,
               CK2RadioPort& radio, ClientConnectedFn isClientConnected, QWidget* parent = nullptr);
    ~CMainFrame() override;

    CMainFrame(const CMainFrame&) = delete;
    CMainFrame& operator=(const CMainFrame&) = delete;

    // What the configuration sheet calls when it has stored a changed power-amplifier option;
    // the program tells a connected client. Without one, nobody is told.
    void SetPAOptionNotifier(PAOptionNotifier notify) { m_notifyPAOption = std::move(notify); }

    // Start-up: shown minimised, without taking the focus.
    void ShowStartupMinimised();

    // The SIGTERM/SIGINT path: ends any modal dialog or message box, then closes the frame as
    // File > Exit does.
    void RequestExit();

    // Commands, as the menus and the toolbar run them.
    CLogFrame* OnFileNew();
    void OnLoggingOn();
    void OnLoggingOff();
    void OnLogSetting();
    void OnSystemConfig();
    void OnCheckComPort();
    void OnAbortTx();
    void OnSendRadioInfo();
    void OnAppAbout();

    // One record from the logger: to the newest log window, if it is still open, and to the
    // status bar. Once the newest log window is closed, records reach only the status bar, even
    // while an older one stays open, until File > New opens another. Virtual so that a test can
    // count what reaches the frame.
    virtual void OnLogRecord(int level, const std::string& text);

    // The operator's log settings, as the logger last received them (level and destination
    // from "Config Log" reach the logger at the next "On").
    bool LogEnabled() const { return m_bLogEnabled; }
    short LogLevel() const { return m_nLogLevel; }
    short LogDestination() const { return m_nLogDestination; }

    CLogView* LogView() const { return m_pLogView.data(); }
    int LogWindowCount() const;
    QMdiArea* MdiArea() const { return m_mdiArea; }

  protected:
    void showEvent(QShowEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    QRect startupRect();
    void storeRect();
    void fitFrame();
    void createActions();
    void createMenus();
    void createToolBar();
    void startLogger();
    void postLogParams(bool enabled);
    void updateLoggingActions();
    void updateMenus(const QMdiSubWindow* leaving = nullptr);

    brakton::CServerRegistryStore& m_store;
    CMessageLoggerThread& m_logger;
    CK2RadioPort& m_radio;
    ClientConnectedFn m_isClientConnected;
    PAOptionNotifier m_notifyPAOption;

    QMdiArea* m_mdiArea = nullptr;
    QToolBar* m_toolBar = nullptr;
    QPointer<CLogView> m_pLogView;
    int m_logWindowsMade = 0;
    bool m_bTrackRect = false;
    // The frame rectangle placed at start, and whether the client area still
    // waits for the frame's margins to be known.
    QRect m_startFrame;
    bool m_bFramePending = true;

    bool m_bLogEnabled = false;
    short m_nLogLevel = 2;
    short m_nLogDestination = 1;

    QMenu* m_editMenu = nullptr;
    QMenu* m_configMenu = nullptr;
    QMenu* m_radioMenu = nullptr;
    QAction* m_actNew = nullptr;
    QAction* m_actExit = nullptr;
    QAction* m_actCopy = nullptr;
    QAction* m_actToolbar = nullptr;
    QAction* m_actStatusBar = nullptr;
    QAction* m_actLoggingOn = nullptr;
    QAction* m_actLoggingOff = nullptr;
    QAction* m_actLogSetting = nullptr;
    QAction* m_actSystemConfig = nullptr;
    QAction* m_actCheckComPort = nullptr;
    QAction* m_actAbortTx = nullptr;
    QAction* m_actSendRadioInfo = nullptr;
    QAction* m_actAbout = nullptr;
};
