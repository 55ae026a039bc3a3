#pragma once

// CK2FrontPanelControlDlg: Pelorin's main window, the virtual front panel of
// the K2.
//
// main() builds it with the program's server interface and settings store,
// calls OnInitDialog once (controls, looks, placement, the connect) and shows
// it modeless; the program ends when the panel is accepted (the exit, OnOK).
// The panel's state is a FrontPanelModel; the controls only show it. The
// controls come from the layout table (front_panel_layout.h).
//
// The callback servant reaches the panel through the window-title registry
// under kFrontPanelTitle: server notices, radio replies and keyboard-CW
// progress arrive as WindowMessages on the GUI thread. Every server call goes
// through PanelRemote; a failed one runs the "panel disconnected" behaviour
// (not connected, "Lost connection to Brakton", link indicator "None"), and so
// does a quiet server that no longer answers the pinger's question. Every
// status the server answers with is looked at in one place (OnServerAnswer):
// a refusal shows its words in red, 0x1000004 also disconnects the panel.
//
// Work that belongs to other windows (splash, configuration sheet, QSO
// threads, keyboard-CW window, the VFO bank written back when the panel goes)
// is reached through the entry points of PanelEntryPoints; an empty one does
// nothing.
//
// GUI thread only.

#include <QDialog>
#include <QPointer>

#include <array>
#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>

#include "client/base/status_line.h"
#include "client/panel/front_panel_layout.h"
#include "client/panel/front_panel_model.h"
#include "client/panel/radio_snapshot.h"
#include "client/panel/status_watching_remote.h"
#include "controls/remote_cmd_receiver.h"
#include "platform/window_message_receiver.h"
#include "platform/window_registry.h"

class CClrButton;
class CDigiMarquee;
class CDigiStatic;
class CEditEx;
namespace pelorin {
class CRegistryStore;
}  // namespace pelorin
class CStaticEx;
class CTurboSliderCtrl;
class CxShadeButton;
class PanelRemote;
class QCheckBox;
class QComboBox;
class QKeyEvent;
class QMoveEvent;
class QLineEdit;
class QMenu;
class QStyle;
class QTimer;
class ServerPinger;
class TrackbarSlider;

// What became of a snapshot sent to the radio.
struct DownloadOutcome {
    enum Kind {
        NotConnected,  // nothing sent: the panel is not connected
        Sent,          // the server took it
        Refused,       // the server answered `status`, not 0
        Failed,        // the call failed; the panel is disconnected
    };
    Kind kind = NotConnected;
    std::int32_t status = 0;
};

// Work of other windows that the panel starts at fixed points. The application
// object fills them in; one left empty (a test's panel) does nothing.
struct PanelEntryPoints {
    // The first server notice: the splash screen goes.
    std::function<void()> hideSplash;
    // The one-shot start-up timer: the splash screen comes.
    std::function<void()> startSplash;
    // System menu item 5678: the configuration sheet, modal.
    std::function<void()> showConfigSheet;
    // The exit, in this order: the QSO log is saved (false: the operator
    // keeps the program running, nothing else happens), the QSO windows stop
    // (bounded waits), the keyboard-CW window closes, (the server is told),
    // the panel-destroy work (the VFO bank goes back to the server).
    std::function<bool(bool interactive)> saveQsoLogForExit;
    std::function<void()> stopQsoThreads;
    std::function<void()> closeKeyboardCw;
    std::function<void()> panelDestroyWork;
    // Keyboard-CW progress (WM_NOTIFY_TXTMESG_SENT: TXTMESG_SENT with the
    // text just keyed, TXTMESG_EMPTY); it drops what comes while the window
    // is not open.
    std::function<void(int kind, const std::string& text)> notifyTextMessageSent;
    // The liveness question while the link is quiet (ServerPinger): asks the
    // server off the GUI thread and answers on any thread, true while it
    // lives; false when nothing was asked.
    std::function<bool(std::function<void(bool alive)> answer)> askServerAlive;
};

// Work of the windows that the operator commands reach: memories, keyboard
// CW, QSO logging and the key-switch panel. The application object fills
// them in; one left empty (a test's panel) does nothing.
struct PanelCommandEntryPoints {
    // Right-click menu and Alt+F1-F4: save and recall a stacking register
    // (162, 163), save and recall a memory (164, 165), edit memories (167).
    // The panel offers BuildRadioSnapshot, DownloadRadioSnapshot and
    // ShowStatus to them.
    std::function<void()> saveStackRegister;
    std::function<void()> recallStackRegister;
    std::function<void()> saveMemory;
    std::function<void()> recallMemory;
    std::function<void()> editMemory;
    // The keyboard-CW window: opened by button 1007, Alt+T, command 10 and a
    // partner's title (closing is PanelEntryPoints::closeKeyboardCw); a memory
    // key 0-10 to send or 27 to abort; a partner's CW text; the panel moved.
    std::function<void()> openKeyboardCw;
    std::function<void(int key)> transmitMemKey;
    std::function<void(const std::string& text)> transmitCwText;
    std::function<void()> moveKeyboardCw;
    // QSO logging: start (or show) the QSO windows (155, Alt+L, a request);
    // commands 12 and 21; the snapshot a QSO thread asked for; the panel moved.
    std::function<void()> startQsoLogging;
    std::function<void(int mode)> qsoLogStyleChange;
    std::function<void(int useUtc)> utcLogChange;
    std::function<void(std::intptr_t requester, const RADIO_SNAPSHOT& snapshot)> reportRadioData;
    std::function<void()> positionQsoWindows;
    // The key-switch panel: shown by button 1009; re-placed when the panel
    // moves; the band limits a scan page asked for with command 16.
    std::function<void()> showKeySwitchPanel;
    std::function<void()> placeKeySwitchPanel;
    std::function<void(std::intptr_t requester, const PanelTuningRange& range)> reportScanLimits;
};

// Object name of the event filters that watch the two VFO edits.
inline constexpr const char* kVfoEditWatcherName = "vfoEditWatcher";

class CK2FrontPanelControlDlg : public QDialog,
                                public WindowMessageTarget,
                                public RemoteCmdReceiver {
    Q_OBJECT

    // ---- Operator commands, keys, menu and partner messages -----------------
    // (front_panel_commands.cpp, front_panel_keys.cpp)
    // Controls: mode, filter, AGC, AFIL, NB, antenna, preamp, attenuator,
    // lock, tune, RIT up/down, band and span combos, CW and SW-panel buttons;
    // the power, CW-speed and squelch sliders.
  public:
    // WM_EXECUTE_REMOTE_CMD numbers the panel carries out.
    static constexpr int REMOTE_CMD_EXIT = 9;
    static constexpr int REMOTE_CMD_TRANSMIT_MEMKEY = 10;
    static constexpr int REMOTE_CMD_QSOLOG_STYLE_CHANGE = 12;
    static constexpr int REMOTE_CMD_EMULATE_SWITCH = 15;
    static constexpr int REMOTE_CMD_SCAN_LIMITS = 16;
    static constexpr int REMOTE_CMD_FREQUENCY_SCAN = 17;
    static constexpr int REMOTE_CMD_TOGGLE_TURBO_MODE = 20;
    static constexpr int REMOTE_CMD_UTC_LOG_CHANGE = 21;
    // Menu commands (right-click menu and keys).
    static constexpr int ID_SAVE_STACK_REGISTER = 162;
    static constexpr int ID_RECALL_STACK_REGISTER = 163;
    static constexpr int ID_SAVE_MEMORY = 164;
    static constexpr int ID_RECALL_MEMORY = 165;
    static constexpr int ID_EDIT_MEMORY = 167;
    static constexpr int ID_QSO_LOGGING = 155;
    // WM_REQUEST_RADIO_DATA: for a QSO thread (1) or the partner (2).
    static constexpr int RADIO_DATA_FOR_THREAD = 1;
    static constexpr int RADIO_DATA_FOR_PARTNER = 2;
    // The active-frequency edit in turbo mode.
    static constexpr std::uint32_t kTurboColor = 0xFF6F6F;

    void SetCommandEntryPoints(PanelCommandEntryPoints entryPoints);

    // The radio now, and a snapshot sent to the radio (words 0-17) while
    // connected, with what became of it.
    RADIO_SNAPSHOT BuildRadioSnapshot() const;
    DownloadOutcome DownloadRadioSnapshot(const RADIO_SNAPSHOT& snapshot);

    // A control's click or selection, by control id.
    void OnCommandControl(int id);
    void OnTuningSpanSelected(int index);
    void OnBandSelected(int index);
    void OnPowerSlider(int code, int position);
    void OnCWSpeedSlider(int code, int position);
    void OnSquelchSlider(int code, int position);
    // Menu commands 155, 162-167 and IDOK.
    void OnMenuCommand(int id);
    // WM_REQUEST_RADIO_DATA and WM_REQUEST_QSO_LOGGING.
    void OnRequestRadioData(int wParam, std::intptr_t lParam);
    void OnRequestQsoLogging();
    // Command 17 with the scan's limits in Hz.
    void RequestFrequencyScan(std::int32_t low, std::int32_t high);
    // A message from the partner program (type, payload bytes).
    void OnPartnerMessage(std::uint64_t type, std::string_view payload);
    // The socket the partner reaches the panel on (null before OnInitDialog).
    const platform::WindowMessageReceiver* partnerListener() const {
        return m_partnerListener.get();
    }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void showEvent(QShowEvent* event) override;

  private:
    void SetupCommandControls();
    void StartCommandServices();
    void ExecuteRemoteCommand(int command, std::intptr_t param);
    bool CWWindowExists() const;
    void OpenCWWindow();
    void ToggleCWWindow();
    void TransmitMemKey(int key);
    // Whether a key press at `watched` belongs to the panel's keyboard map.
    bool IsPanelKeyTarget(const QObject* watched) const;
    void HandleKeyPress(const QKeyEvent& key);
    void PostMenuCommand(int id);
    void ApplyTurboColor();
    bool OpensCommandMenu(const QPoint& pos) const;

    PanelCommandEntryPoints m_cmdEntry;
    std::unique_ptr<platform::WindowMessageReceiver> m_partnerListener;
    // A key press travels up from the control to the panel; it acts once:
    // the press last handled, where and which key.
    const QEvent* m_keySeen = nullptr;
    QObject* m_keySeenAt = nullptr;
    int m_keySeenKey = 0;
    int m_keySeenModifiers = 0;
    // ---- end of the commands section -----------------------------------------

  public:
    // System-menu commands (on the panel's right-click menu).
    static constexpr int IDM_SYSTEM_CONFIG = 5678;
    static constexpr int IDM_ABOUTBOX = 0x10;
    // The start-up timer and its period.
    static constexpr int kSplashTimerId = 137;
    static constexpr int kSplashTimerMs = 500;
    // How long the connect waits for the client's ORB to be ready.
    static constexpr std::chrono::milliseconds kOrbReadyWait{5000};

    static constexpr const char* kExitQuestion = "Exiting Pelorin  - Are You Sure?";
    static constexpr const char* kConnectFailedBox =
        "CORBA exception raised - Unable to Connect To Brakton!";
    static constexpr const char* kConnectFailedStatus = "Unable to connect to Brakton";
    static constexpr const char* kConnectingStatus = "Connecting to Brakton...";
    static constexpr const char* kLostConnectionStatus = "Lost connection to Brakton";
    // The most one RITTuning call may ask for; the server refuses more.
    static constexpr int kMaxRitTuningAmount = 5000;
    static constexpr const char* kClientName = "Pelorin";

    // Neither `remote` nor `store` is owned; both outlive the panel. Builds
    // every control from the layout table and registers the panel's title.
    CK2FrontPanelControlDlg(PanelRemote& remote, pelorin::CRegistryStore& store,
                            PanelEntryPoints entryPoints = {}, QWidget* parent = nullptr);
    ~CK2FrontPanelControlDlg() override;

    // The start-up sequence; call once, before the panel is shown.
    bool OnInitDialog();

    // Writes the status line; kind kStatusError (client/base/status_line.h) is
    // an error (red), an empty text clears it.
    void ShowStatus(int kind, const std::string& text);
    // Asks the server to connect; the server's callback makes the link.
    void ConnectToServer();
    // The "Connect To Brakton" button: ConnectToServer while not connected.
    // While connected, a cheap call first: a server that does not answer
    // disconnects the panel, and either way the panel connects again (a new
    // Connect also turns the server's call-backs on again).
    void EnsureConnected();
    void OnSysCommand(int id, std::intptr_t param = 0);
    // The exit question, then the exit.
    void OnOK();
    // The exit without the question (a termination signal): from the QSO
    // windows on.
    void ExitWithoutQuestion();
    // The tuning slider's window around `f` Hz (band, span, active frequency).
    void SetTuningSliderWindow(std::int64_t f);
    // The RIT buttons and slider on (the slider at the offset) or off.
    void EnableRITControls(int enable);

    // Esc never closes the panel.
    void reject() override;

    // A message from the callback servant.
    void onWindowMessage(const WindowMessage& message) override;
    // WM_EXECUTE_REMOTE_CMD from a control (the tuning slider's right click).
    void executeRemoteCmd(int command, std::intptr_t param) override;

    const FrontPanelModel& model() const { return m_model; }
    // The server as the panel calls it, for the windows that call it on the
    // panel's behalf: every answer is looked at as the panel's own
    // (OnServerAnswer), every failure takes the panel's disconnected path.
    PanelRemote& remote() { return m_remote; }
    // The status line's last text and kind.
    const std::string& statusText() const { return m_statusText; }
    int statusKind() const { return m_statusKind; }
    // The control of `id` (null for an unknown id).
    QWidget* control(int id) const;
    // The items of the right-click (system) menu, for its commands.
    QMenu* systemMenu() const { return m_systemMenu; }

  protected:
    // The server notices: 1 the connect request, 2 the link is up, 14 the RF
    // amplifier option.
    void OnNotifyServerStatus(int wParam, long lParam, const std::string& text);
    // A radio reply (code, text) and keyboard-CW progress; the displays and
    // the CW window are filled in by their own handlers.
    void OnRadioReply(int code, const std::string& text);
    void OnTextMessageSent(int kind, const std::string& text);

    void closeEvent(QCloseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

  private:
    void BuildControls();
    void BindControls();
    void SetupShadedButtons();
    void SetupLedDisplays();
    void SetupColoredControls();
    void SetupSliders();
    void SetupColorButtons();
    void PlaceWindow();
    // Stores the panel's rectangle again once it has its frame.
    void StoreShownFrame();
    bool m_frameStored = false;
    void BuildSystemMenu();
    void ApplyConnectTo();
    // Model to controls.
    void UpdateData();
    void OnConnectedNotice();
    void OnPanelDisconnected();
    // Every status the server answered with (StatusWatchingRemote): a
    // refusal's words in red, once while they stand on the status line.
    void OnServerAnswer(std::int32_t status);
    void RunExit(bool interactive);

    template <class T>
    T* controlAs(int id) const;

    // Declared before m_remote, which refers to it: every call goes through it.
    StatusWatchingRemote m_watchedRemote;
    PanelRemote& m_remote;
    pelorin::CRegistryStore& m_store;
    PanelEntryPoints m_entry;
    FrontPanelModel m_model;
    std::string m_strRITValue;
    std::string m_statusText;
    int m_statusKind = kStatusNormal;
    bool m_exiting = false;
    // The last connect failed: no server notice is to be expected.
    bool m_lastConnectFailed = false;

    std::map<int, QWidget*> m_controls;
    QStyle* m_plainStyle = nullptr;
    QMenu* m_systemMenu = nullptr;
    QTimer* m_splashTimer = nullptr;
    // Asks a quiet server whether it is still there (a child of the panel).
    ServerPinger* m_pinger = nullptr;
    std::unique_ptr<WindowRegistration> m_registration;

    // Controls by their members' names.
    CEditEx* m_editVFOA = nullptr;
    CEditEx* m_editVFOB = nullptr;
    CEditEx* m_editRITOffset = nullptr;
    CEditEx* m_editRITValue = nullptr;
    CEditEx* m_editCWSpeed = nullptr;
    CEditEx* m_editActiveFreq = nullptr;
    CEditEx* m_editSquelch = nullptr;
    QLineEdit* m_editPower = nullptr;
    CStaticEx* m_stcXFILBandwidth = nullptr;
    CStaticEx* m_stcConnectTo = nullptr;
    CStaticEx* m_stcNB = nullptr;
    CStaticEx* m_stcANT2 = nullptr;
    CStaticEx* m_stcPRE = nullptr;
    CStaticEx* m_stcATT = nullptr;
    CStaticEx* m_stcVFOB = nullptr;
    CStaticEx* m_stcRIT = nullptr;
    CStaticEx* m_stcXIT = nullptr;
    CClrButton* m_btnVFOAGo = nullptr;
    CClrButton* m_btnVFOBGo = nullptr;
    std::array<CClrButton*, 10> m_btnSMeter{};
    CxShadeButton* m_btnConnect = nullptr;
    CxShadeButton* m_btnExit = nullptr;
    TrackbarSlider* m_sliderRIT = nullptr;
    TrackbarSlider* m_sliderSquelch = nullptr;
    TrackbarSlider* m_sliderPower = nullptr;
    TrackbarSlider* m_sliderCWSpeed = nullptr;
    CTurboSliderCtrl* m_sliderTuning = nullptr;
    CDigiMarquee* m_marqueeStatus = nullptr;
    CDigiStatic* m_digiBanner = nullptr;
    QComboBox* m_comboTuningSpan = nullptr;
    QComboBox* m_comboBand = nullptr;
    QCheckBox* m_checkVFOLock = nullptr;

    // ---- Radio replies, displays and the frequency controls -----------------
    // (front_panel_replies.cpp, front_panel_frequency.cpp)
  public:
    static constexpr const char* kInvalidFrequencyStatus = "Invalid frequency";

    // WM_RADIO_REPLY: one reply into the model, then onto the displays.
    void ParseRadioReply(int code, const std::string& text);
    // The display setters: the model shows the value, the controls follow.
    void ShowOpMode(int mode);
    void ShowAGC(int agc);
    void ShowXFIL(int filter);
    void ShowAFIL(int afil);
    void ShowNB(int nb);
    void ShowAntenna(int antenna);
    void ShowPreamp(int on);
    void ShowAttenuator(int on);
    void ShowBarGraph(int level);
    // Every look, slider, selection and readout from the model.
    void ApplyDisplays();

    // The frequency controls' handlers.
    void OnMoveActiveVFO(int direction, int step);
    void OnChangeBand(int direction);
    void OnCopyBToA();
    void OnCopyAToB();
    void OnVFORx(int vfo);
    void OnVFOTx(int vfo);
    void OnVFOEditFocus(int vfo, bool gained);
    void OnVFOEditEnter(int vfo);
    void OnVFOGo(int vfo);
    void OnRIT();
    void OnXIT();
    void OnClearRIT();
    void OnTuningSlider(int code, int position);
    void OnRITSlider(int code, int position);
    // The VFO bank back to the server, while connected (the panel goes).
    void WriteVFOBankBack();

  private:
    void ConnectFrequencyControls();
    void ApplyBarGraph();
    void ApplyBanner();
    void ApplyEditColors();
    void ApplyTuningSlider();
    CEditEx* VfoEdit(int vfo) const;
    CClrButton* VfoGoButton(int vfo) const;

    // The on/off look each shaded button shows, so a look is built only when
    // it changes.
    std::map<int, int> m_shownButtonOn;
};
