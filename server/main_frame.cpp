#include "server/main_frame.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDebug>
#include <QDialog>
#include <QDialogButtonBox>
#include <QGuiApplication>
#include <QIcon>
#include <QLabel>
#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>
#include <QMetaObject>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QPolygonF>
#include <QScreen>
#include <QShowEvent>
#include <QStatusBar>
#include <QToolBar>
#include <QVBoxLayout>
#include <QWindowStateChangeEvent>

#include <cstdint>

#include "platform/message_service.h"
#include "radiolink/k2_radio_port.h"
#include "server/k2_com_port_diag_dlg.h"
#include "server/log_config_dlg.h"
#include "server/log_view.h"
#include "server/message_logger_thread.h"
#include "server/orvo_cfg.h"
#include "server/server_registry_store.h"

namespace {

constexpr int kMinFrameWidth = 200;
constexpr int kMinFrameHeight = 100;
// The part of the window that must lie on a screen for the operator to grab it.
constexpr int kReachableStrip = 30;

// "prompt\ntip": the prompt goes to the status bar, the tip (if any) to the tooltip.
void applyPrompt(QAction* action, const char* text) {
    const QString both = QString::fromLatin1(text);
    const qsizetype cut = both.indexOf(QLatin1Char('\n'));
    action->setStatusTip(cut < 0 ? both : both.left(cut));
    if (cut >= 0) {
        action->setToolTip(both.mid(cut + 1));
    }
}

// A stop sign with a bar: keying stops.
QIcon abortTxIcon() {
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    QPolygonF octagon;
    const double a = 9.4;
    const double b = 22.6;
    octagon << QPointF(a, 2) << QPointF(b, 2) << QPointF(30, a) << QPointF(30, b) << QPointF(b, 30)
            << QPointF(a, 30) << QPointF(2, b) << QPointF(2, a);
    painter.setPen(QPen(QColor(0x80, 0, 0), 1.5));
    painter.setBrush(QColor(0xD0, 0x20, 0x20));
    painter.drawPolygon(octagon);
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::white);
    painter.drawRect(QRectF(8, 13.5, 16, 5));
    return QIcon(pixmap);
}

// A radio mast sending waves to the right: the radio's state goes out to the client.
QIcon sendRadioInfoIcon() {
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    const QColor blue(0x10, 0x50, 0xB0);
    painter.setPen(QPen(blue, 2.5, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(QPointF(9, 12), QPointF(9, 29));
    painter.drawLine(QPointF(4, 29), QPointF(14, 29));
    painter.setBrush(blue);
    painter.drawEllipse(QPointF(9, 9), 3, 3);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(QColor(0x20, 0x90, 0x30), 2.2, Qt::SolidLine, Qt::RoundCap));
    for (int i = 0; i < 3; ++i) {
        const double r = 6.0 + 6.0 * i;
        painter.drawArc(QRectF(9 - r, 9 - r, 2 * r, 2 * r), -45 * 16, 90 * 16);
    }
    return QIcon(pixmap);
}

}  // namespace

CMainFrame::CMainFrame(brakton::CServerRegistryStore& store, CMessageLoggerThread& logger,
                       CK2RadioPort& radio, ClientConnectedFn isClientConnected, QWidget* parent)
    : QMainWindow(parent),
      m_store(store),
      m_logger(logger),
      m_radio(radio),
      m_isClientConnected(std::move(isClientConnected)) {
    setWindowTitle(QStringLiteral("Brakton"));
    setObjectName(QStringLiteral("CMainFrame"));
    // Placed by its frame, as it is stored: the frame's size is taken for the
    // client area until the window manager tells the frame's margins
    // (fitFrame), then the client area shrinks by them.
    m_startFrame = startupRect();
    move(m_startFrame.topLeft());
    resize(m_startFrame.size());

    m_mdiArea = new QMdiArea(this);
    setCentralWidget(m_mdiArea);
    createActions();
    createMenus();
    createToolBar();
    statusBar()->setObjectName(QStringLiteral("StatusBar"));

    startLogger();
    OnFileNew();
    m_bTrackRect = true;
}

CMainFrame::~CMainFrame() {
    // Destroying the log windows must not count as the operator closing them.
    m_bTrackRect = false;
    for (QObject* child : m_mdiArea->subWindowList()) {
        disconnect(child, nullptr, this, nullptr);
    }
}

// --- Window rectangle --------------------------------------------------------------------

QRect CMainFrame::startupRect() {
    int left = kDefaultFrameLeft;
    int top = kDefaultFrameTop;
    int right = kDefaultFrameRight;
    int bottom = kDefaultFrameBottom;
    m_store.ReadWindowRect(left, top, right, bottom);

    QRect rect;
    if (right - left < kMinFrameWidth || bottom - top < kMinFrameHeight) {
        m_store.WriteWindowRect(kDefaultFrameLeft, kDefaultFrameTop, kDefaultFrameRight,
                                kDefaultFrameBottom);
        rect = QRect(left, top, kMinFrameWidth, kMinFrameHeight);
    } else {
        rect = QRect(left, top, right - left + 1, bottom - top + 1);
    }

    // A rectangle stored while another monitor was attached may lie on no
    // screen now: its title bar must be on one, for the operator to grab it.
    const QRect strip(rect.left(), rect.top(), rect.width(), kReachableStrip);
    bool reachable = false;
    for (const QScreen* screen : QGuiApplication::screens()) {
        if (screen->availableGeometry().intersects(strip)) {
            reachable = true;
            break;
        }
    }
    if (!reachable) {
        if (const QScreen* primary = QGuiApplication::primaryScreen()) {
            qDebug() << "CMainFrame: stored position" << rect.topLeft()
                     << "is on no screen; moved to the primary screen";
            rect.moveTopLeft(primary->availableGeometry().topLeft());
        }
    }
    return rect;
}

// Once the frame's margins are known, the frame gets the size it was stored
// with. Without a window manager there are none, and nothing needs fitting.
void CMainFrame::fitFrame() {
    if (!m_bFramePending || !isVisible() || isMinimized()) {
        return;
    }
    const QSize margins = frameGeometry().size() - size();
    if (margins.isNull()) {
        return;
    }
    m_bFramePending = false;
    resize(m_startFrame.size() - margins);
    move(m_startFrame.topLeft());
    storeRect();
}

void CMainFrame::storeRect() {
    if (!m_bTrackRect ||
        (windowState() & (Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen)) != 0) {
        return;
    }
    // The frame's rectangle, title bar included: what the next start places.
    const QRect rect = frameGeometry();
    m_store.WriteWindowRect(rect.left(), rect.top(), rect.right(), rect.bottom());
}

void CMainFrame::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    fitFrame();
}

void CMainFrame::moveEvent(QMoveEvent* event) {
    QMainWindow::moveEvent(event);
    fitFrame();
    storeRect();
}

void CMainFrame::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    fitFrame();
    storeRect();
}

void CMainFrame::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() != QEvent::WindowStateChange || !m_bTrackRect) {
        return;
    }
    fitFrame();
    if ((windowState() & Qt::WindowMaximized) != 0 && (windowState() & Qt::WindowMinimized) == 0) {
        m_store.WriteWindowRect(kDefaultFrameLeft, kDefaultFrameTop, kDefaultFrameRight,
                                kDefaultFrameBottom);
    } else {
        storeRect();
    }
}

void CMainFrame::ShowStartupMinimised() {
    setAttribute(Qt::WA_ShowWithoutActivating);
    showMinimized();
}

// --- Menus and toolbar -------------------------------------------------------------------

void CMainFrame::createActions() {
    const auto make = [this](const char* name, const QString& text) {
        auto* action = new QAction(text, this);
        action->setObjectName(QString::fromLatin1(name));
        return action;
    };

    m_actNew = make("actionFileNew", QStringLiteral("&New"));
    m_actNew->setShortcut(QKeySequence::New);
    applyPrompt(m_actNew, "Create a new log window\nNew");
    connect(m_actNew, &QAction::triggered, this, [this] { OnFileNew(); });

    m_actExit = make("actionFileExit", QStringLiteral("E&xit"));
    applyPrompt(m_actExit, "Quit the application\nExit");
    connect(m_actExit, &QAction::triggered, this, &QWidget::close);

    m_actCopy = make("actionEditCopy", QStringLiteral("&Copy"));
    m_actCopy->setShortcuts({QKeySequence::Copy, QKeySequence(Qt::CTRL | Qt::Key_Insert)});
    applyPrompt(m_actCopy, "Copy the selection and put it on the Clipboard\nCopy");
    connect(m_actCopy, &QAction::triggered, this, [this] {
        if (QMdiSubWindow* active = m_mdiArea->activeSubWindow()) {
            if (auto* view = qobject_cast<QPlainTextEdit*>(active->widget())) {
                view->copy();
            }
        }
    });

    m_actToolbar = make("actionViewToolbar", QStringLiteral("&Toolbar"));
    m_actToolbar->setCheckable(true);
    m_actToolbar->setChecked(true);
    applyPrompt(m_actToolbar, "Show or hide the toolbar\nToggle ToolBar");

    m_actStatusBar = make("actionViewStatusBar", QStringLiteral("&Status Bar"));
    m_actStatusBar->setCheckable(true);
    m_actStatusBar->setChecked(true);
    applyPrompt(m_actStatusBar, "Show or hide the status bar\nToggle StatusBar");
    connect(m_actStatusBar, &QAction::toggled, this,
            [this](bool on) { statusBar()->setVisible(on); });

    m_actLoggingOn = make("actionLoggingOn", QStringLiteral("O&n"));
    applyPrompt(m_actLoggingOn, "Turn On Log");
    connect(m_actLoggingOn, &QAction::triggered, this, [this] { OnLoggingOn(); });

    m_actLoggingOff = make("actionLoggingOff", QStringLiteral("O&ff"));
    applyPrompt(m_actLoggingOff, "Turn Off Log");
    connect(m_actLoggingOff, &QAction::triggered, this, [this] { OnLoggingOff(); });

    m_actLogSetting = make("actionLogSetting", QStringLiteral("&Setting"));
    applyPrompt(m_actLogSetting, "Log Setting");
    connect(m_actLogSetting, &QAction::triggered, this, [this] { OnLogSetting(); });

    m_actSystemConfig = make("actionSystemConfig", QStringLiteral("S&ystem"));
    applyPrompt(m_actSystemConfig, "System Configuration");
    connect(m_actSystemConfig, &QAction::triggered, this, [this] { OnSystemConfig(); });

    m_actCheckComPort = make("actionCheckComPort", QStringLiteral("&Check Radio COM Port"));
    applyPrompt(m_actCheckComPort, "Testing PC <-> K2 COM connection");
    connect(m_actCheckComPort, &QAction::triggered, this, [this] { OnCheckComPort(); });

    m_actAbortTx = make("actionAbortTx", QStringLiteral("Abort TX"));
    m_actAbortTx->setIcon(abortTxIcon());
    applyPrompt(m_actAbortTx, "Turn OFF TX\nAbort TX");
    connect(m_actAbortTx, &QAction::triggered, this, [this] { OnAbortTx(); });

    m_actSendRadioInfo = make("actionSendRadioInfo", QStringLiteral("Send Radio Info"));
    m_actSendRadioInfo->setIcon(sendRadioInfoIcon());
    applyPrompt(m_actSendRadioInfo, "Send Current Radio Info to Pelorin\nSend Radio Info");
    connect(m_actSendRadioInfo, &QAction::triggered, this, [this] { OnSendRadioInfo(); });

    m_actAbout = make("actionAbout", QStringLiteral("&About Brakton..."));
    applyPrompt(m_actAbout, "Display program information, version number and copyright\nAbout");
    connect(m_actAbout, &QAction::triggered, this, [this] { OnAppAbout(); });
}

void CMainFrame::createMenus() {
    QMenuBar* bar = menuBar();
    QMenu* file = bar->addMenu(QStringLiteral("&File"));
    file->setObjectName(QStringLiteral("menuFile"));
    file->addAction(m_actNew);
    file->addSeparator();
    file->addAction(m_actExit);

    m_editMenu = bar->addMenu(QStringLiteral("&Edit"));
    m_editMenu->setObjectName(QStringLiteral("menuEdit"));
    m_editMenu->addAction(m_actCopy);

    QMenu* view = bar->addMenu(QStringLiteral("&View"));
    view->setObjectName(QStringLiteral("menuView"));
    view->addAction(m_actToolbar);
    view->addAction(m_actStatusBar);

    m_configMenu = bar->addMenu(QStringLiteral("&Config"));
    m_configMenu->setObjectName(QStringLiteral("menuConfig"));
    QMenu* logging = m_configMenu->addMenu(QStringLiteral("&Logging"));
    logging->addAction(m_actLoggingOn);
    logging->addAction(m_actLoggingOff);
    logging->addAction(m_actLogSetting);
    m_configMenu->addAction(m_actSystemConfig);

    m_radioMenu = bar->addMenu(QStringLiteral("&Radio"));
    m_radioMenu->setObjectName(QStringLiteral("menuRadio"));
    m_radioMenu->addAction(m_actCheckComPort);

    QMenu* help = bar->addMenu(QStringLiteral("&Help"));
    help->setObjectName(QStringLiteral("menuHelp"));
    help->addAction(m_actAbout);
}

void CMainFrame::createToolBar() {
    m_toolBar = new QToolBar(QStringLiteral("Standard"), this);
    m_toolBar->setObjectName(QStringLiteral("ToolBar"));
    m_toolBar->setAllowedAreas(Qt::AllToolBarAreas);
    m_toolBar->addAction(m_actAbortTx);
    m_toolBar->addAction(m_actSendRadioInfo);
    addToolBar(Qt::TopToolBarArea, m_toolBar);
    connect(m_actToolbar, &QAction::toggled, m_toolBar, &QWidget::setVisible);
    connect(m_toolBar, &QToolBar::visibilityChanged, m_actToolbar, [this](bool visible) {
        // Follows a tool bar closed while floating; hidden with a minimised frame it stays on.
        if (!isMinimized()) {
            m_actToolbar->setChecked(visible);
        }
    });
}

void CMainFrame::updateLoggingActions() {
    m_actLoggingOn->setEnabled(!m_bLogEnabled);
    m_actLogSetting->setEnabled(!m_bLogEnabled);
    m_actLoggingOff->setEnabled(m_bLogEnabled);
}

int CMainFrame::LogWindowCount() const {
    return static_cast<int>(m_mdiArea->subWindowList().size());
}

void CMainFrame::updateMenus(const QMdiSubWindow* leaving) {
    bool hasLogWindow = false;
    for (const QMdiSubWindow* window : m_mdiArea->subWindowList()) {
        hasLogWindow = hasLogWindow || window != leaving;
    }
    m_editMenu->menuAction()->setVisible(hasLogWindow);
    m_configMenu->menuAction()->setVisible(hasLogWindow);
    m_radioMenu->menuAction()->setVisible(hasLogWindow);
}

// --- Log windows and the logger ------------------------------------------------------------

CLogFrame* CMainFrame::OnFileNew() {
    auto* view = new CLogView;
    auto* frame = new CLogFrame(view);
    frame->setWindowTitle(QStringLiteral("Brakto%1").arg(++m_logWindowsMade));
    m_mdiArea->addSubWindow(frame);
    // The sub-window adds a system menu of its own; set the flags again once it is in place.
    frame->setWindowFlags(CLogFrame::kWindowFlags);
    connect(frame, &CLogFrame::closed, this, [this](CLogFrame* closing) {
        if (m_pLogView == closing->View()) {
            m_pLogView = nullptr;
        }
        updateMenus(closing);
    });
    connect(frame, &QObject::destroyed, this, [this] { updateMenus(); });
    frame->showMaximized();
    m_pLogView = view;
    updateMenus();
    return frame;
}

void CMainFrame::startLogger() {
    if (g_pLoggerThread.load() != &m_logger) {
        m_logger.start();
    }
    std::string homeDir;
    std::string callsign;
    std::string name;
    std::string qth;
    std::uint8_t utcOffset = 0;
    std::string logFileName;
    std::uint8_t loggingMode = 0;
    m_store.ReadOperatorInfo(homeDir, callsign, name, qth, utcOffset, logFileName, loggingMode);

    QPointer<CMainFrame> guard(this);
    LogDisplaySink sink = [guard](int level, const std::string& line) {
        // Runs on the logger's thread. The application outlives the frame; the frame may be
        // gone by the time the call runs, and then the record is dropped.
        QCoreApplication* app = QCoreApplication::instance();
        if (app == nullptr) {
            return;
        }
        QMetaObject::invokeMethod(
            app,
            [guard, level, line] {
                if (guard) {
                    guard->OnLogRecord(level, line);
                }
            },
            Qt::QueuedConnection);
    };
    LogParams params = MakeStartupLogParams(loggingMode, homeDir, logFileName, std::move(sink));
    // The menu starts from what the logger was told, so "Off" is offered only while logging.
    m_bLogEnabled = params.enabled;
    m_nLogLevel = params.level;
    m_nLogDestination = params.destination;
    updateLoggingActions();
    m_logger.PostParams(std::move(params));
}

void CMainFrame::postLogParams(bool enabled) {
    LogParams params;  // the display sink stays as the start-up block set it
    params.enabled = enabled;
    params.level = m_nLogLevel;
    params.destination = m_nLogDestination;
    params.hasFileInfo = false;
    m_logger.PostParams(std::move(params));
}

void CMainFrame::OnLogRecord(int level, const std::string& text) {
    if (m_pLogView) {
        m_pLogView->AppendLogText(level, text);
    }
    statusBar()->showMessage(QString::fromStdString(text));
}

void CMainFrame::OnLoggingOn() {
    if (m_pLogView) {
        m_bLogEnabled = true;
        postLogParams(true);
        updateLoggingActions();
    }
    LogMessage(kLogModeTimeStamped, kLogLevelInformation, "Logging Enabled");
}

void CMainFrame::OnLoggingOff() {
    // Queued ahead of the block that switches logging off, so it is still shown.
    LogMessage(kLogModeTimeStamped, kLogLevelInformation, "Logging Disabled");
    if (m_pLogView) {
        m_bLogEnabled = false;
        postLogParams(false);
        updateLoggingActions();
    }
}

void CMainFrame::OnLogSetting() {
    if (!m_pLogView) {
        return;
    }
    CLogConfigDlg dialog(m_nLogLevel, m_nLogDestination, this);
    if (dialog.exec() == QDialog::Accepted) {
        m_nLogLevel = dialog.Level();
        m_nLogDestination = dialog.Destination();
    }
}

void CMainFrame::OnSystemConfig() {
    brakton::COrvoCfg sheet(m_store, m_radio.SerialDir(), m_notifyPAOption, this);
    sheet.exec();
}

// --- Radio commands ---------------------------------------------------------------------------

void CMainFrame::OnCheckComPort() {
    if (!MessageService::askYesNo(kComPortCheckQuestion)) {
        return;
    }
    if (m_isClientConnected && m_isClientConnected()) {
        MessageService::showError(brakton::kComPortCheckRefusal);
        return;
    }
    // Try Port asks the same question again: a client may connect meanwhile.
    brakton::CK2ComPortDiagDlg dialog(m_store, m_radio, this, m_isClientConnected);
    m_radio.EnterCOMPortDiagMode(&dialog);
    dialog.exec();
    // Replies stop reaching the dialog before it goes.
    m_radio.ExitCOMPortDiagMode();
}

void CMainFrame::OnAbortTx() {
    LogMessage(kLogModeTimeStamped, kLogLevelInformation, "Aborting CW Transmit");
    if (m_radio.IsOpen()) {
        m_radio.AbortKeyboardCW();
    }
}

void CMainFrame::OnSendRadioInfo() {
    LogMessage(kLogModeTimeStamped, kLogLevelInformation, "Sending Current Radio Info");
    if (m_radio.IsOpen()) {
        m_radio.GetInitialRadioInfo();
    }
}

void CMainFrame::OnAppAbout() {
    QDialog about(this);
    about.setWindowTitle(QStringLiteral("About Brakton"));
    auto* layout = new QVBoxLayout(&about);
    layout->addWidget(
        new QLabel(QStringLiteral("Brakton\n\nK2 transceiver server for Pelorin"), &about));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, &about);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &about, &QDialog::accept);
    layout->addWidget(buttons);
    about.exec();
}

// --- Exit -------------------------------------------------------------------------------------

void CMainFrame::RequestExit() {
    // Each reject() hides its dialog, so the loop ends; the bound guards against a widget that
    // refuses to go.
    for (int i = 0; i < 16; ++i) {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal == nullptr) {
            break;
        }
        if (auto* dialog = qobject_cast<QDialog*>(modal)) {
            dialog->reject();
        } else {
            modal->close();
        }
    }
    close();
}

void CMainFrame::closeEvent(QCloseEvent* event) {
    qDebug() << "Exiting Brakton...";
    QMainWindow::closeEvent(event);
}
