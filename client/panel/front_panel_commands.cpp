// The command side of the front panel: the operator's buttons and sliders,
// the menu commands, the requests of other windows (WM_EXECUTE_REMOTE_CMD,
// WM_REQUEST_RADIO_DATA, WM_REQUEST_QSO_LOGGING), the partner program's
// messages and the panel's moves.
//
// Every handler clears the status line first and calls the server only while
// connected; the radio's report of a change updates the members, except for
// the local toggles (antenna, preamp, attenuator, lock, AGC). A failed call
// has already marked the panel disconnected through the proxy's handler.

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDebug>
#include <QLineEdit>
#include <QMenu>
#include <QMoveEvent>
#include <QPushButton>
#include <QSignalBlocker>

#include <cinttypes>

#include "client/base/notify_messages.h"
#include "client/base/registry_store.h"
#include "client/panel/k2_front_panel_control_dlg.h"
#include "client/panel/panel_remote.h"
#include "client/panel/panel_sliders.h"
#include "client/panel/partner_messages.h"
#include "controls/cx_shade_button.h"
#include "controls/edit_ex.h"
#include "controls/trackbar_slider.h"
#include "platform/window_message.h"
#include "platform/window_message_receiver.h"

using namespace front_panel;

namespace {

// The mode each mode button asks for.
struct ModeButton {
    int id;
    int mode;
};
constexpr ModeButton kModeButtons[] = {
    {IDC_MODE_CW, 3},   {IDC_MODE_CWR, 7},   {IDC_MODE_LSB, 1},
    {IDC_MODE_RTTY, 6}, {IDC_MODE_RTTYR, 9}, {IDC_MODE_USB, 2},
};

constexpr int kXFILButtons[] = {IDC_XFIL1, IDC_XFIL2, IDC_XFIL3, IDC_XFIL4};

struct MenuItem {
    int id;
    const char* text;
};
constexpr MenuItem kMenuItems[] = {
    {CK2FrontPanelControlDlg::ID_SAVE_STACK_REGISTER, "Save to Stacking Register (ALT+F1)"},
    {CK2FrontPanelControlDlg::ID_RECALL_STACK_REGISTER, "Recall from Stacking Reg  (ALT+F2)"},
    {CK2FrontPanelControlDlg::ID_SAVE_MEMORY, "Save Memory   (ALT+F3)"},
    {CK2FrontPanelControlDlg::ID_RECALL_MEMORY, "Recall Memory (ALT+F4)"},
    {CK2FrontPanelControlDlg::ID_EDIT_MEMORY, "Edit Memory"},
    {CK2FrontPanelControlDlg::ID_QSO_LOGGING, "QSO Logging (ALT+L)"},
};

template <class F, class... Args>
void callIfSet(const F& f, Args&&... args) {
    if (f) {
        f(std::forward<Args>(args)...);
    }
}

}  // namespace

void CK2FrontPanelControlDlg::SetCommandEntryPoints(PanelCommandEntryPoints entryPoints) {
    m_cmdEntry = std::move(entryPoints);
}

// Called by the constructor: the controls this section handles.
void CK2FrontPanelControlDlg::SetupCommandControls() {
    std::vector<int> buttons = {IDC_RIT_UP,   IDC_RIT_DOWN,  IDC_AFIL,     IDC_NB,      IDC_ANTENNA,
                                IDC_AGC_FAST, IDC_AGC_OFF,   IDC_AGC_SLOW, IDC_PREAMP,  IDC_ATT,
                                IDC_TUNE,     IDC_CW_WINDOW, IDC_SW_PANEL, IDC_VFO_LOCK};
    for (const ModeButton& b : kModeButtons) {
        buttons.push_back(b.id);
    }
    for (const int id : kXFILButtons) {
        buttons.push_back(id);
    }
    for (const int id : buttons) {
        auto* button = qobject_cast<QAbstractButton*>(control(id));
        if (button != nullptr) {
            connect(button, &QAbstractButton::clicked, this, [this, id] { OnCommandControl(id); });
        }
    }
    connect(m_comboBand, qOverload<int>(&QComboBox::activated), this,
            [this](int index) { OnBandSelected(index); });
    connect(m_comboTuningSpan, qOverload<int>(&QComboBox::activated), this,
            [this](int index) { OnTuningSpanSelected(index); });
    connect(m_sliderPower, &TrackbarSlider::trackbarNotify, this,
            [this](int code, int position) { OnPowerSlider(code, position); });
    connect(m_sliderCWSpeed, &TrackbarSlider::trackbarNotify, this,
            [this](int code, int position) { OnCWSpeedSlider(code, position); });
    connect(m_sliderSquelch, &TrackbarSlider::trackbarNotify, this,
            [this](int code, int position) { OnSquelchSlider(code, position); });

    // Keys of the panel and of every control on it, those made later and the
    // combo boxes' drop-down lists included (front_panel_keys.cpp).
    qApp->installEventFilter(this);
}

// Called by OnInitDialog: the memory and QSO items on the right-click menu,
// ahead of the system items, and the partner's socket under the panel's title.
void CK2FrontPanelControlDlg::StartCommandServices() {
    QAction* before = m_systemMenu->actions().isEmpty() ? nullptr : m_systemMenu->actions().first();
    for (const MenuItem& item : kMenuItems) {
        auto* action = new QAction(QString::fromLatin1(item.text), m_systemMenu);
        action->setData(item.id);
        m_systemMenu->insertAction(before, action);
        const int id = item.id;
        connect(action, &QAction::triggered, this, [this, id] { OnMenuCommand(id); });
    }

    m_partnerListener = std::make_unique<platform::WindowMessageReceiver>(
        kFrontPanelTitle, [this](const platform::WindowMessage& message) {
            if (message.message == WM_COPYDATA) {
                OnPartnerMessage(message.lParam, message.payload);
            } else {
                qDebug("CK2FrontPanelControlDlg: partner message 0x%" PRIX64 " ignored",
                       message.message);
            }
        });
    if (!m_partnerListener->isListening()) {
        qWarning("CK2FrontPanelControlDlg: no partner messages: %s",
                 m_partnerListener->errorString().c_str());
    }
}

RADIO_SNAPSHOT CK2FrontPanelControlDlg::BuildRadioSnapshot() const {
    return ::BuildRadioSnapshot(m_model);
}

DownloadOutcome CK2FrontPanelControlDlg::DownloadRadioSnapshot(const RADIO_SNAPSHOT& snapshot) {
    if (m_model.m_bConnected == 0) {
        return {DownloadOutcome::NotConnected, 0};
    }
    const RemoteStatus status = m_remote.DownloadRadioInfo(SnapshotToRadioMemInfo(snapshot));
    if (!status) {
        return {DownloadOutcome::Failed, 0};
    }
    if (*status != 0) {
        return {DownloadOutcome::Refused, *status};
    }
    return {DownloadOutcome::Sent, 0};
}

void CK2FrontPanelControlDlg::OnCommandControl(int id) {
    ShowStatus(kStatusNormal, std::string());
    const bool connected = m_model.m_bConnected != 0;

    for (const ModeButton& b : kModeButtons) {
        if (b.id == id) {
            if (connected && m_model.m_nOpMode != b.mode) {
                m_remote.OperatingMode(1, b.mode);
            }
            return;
        }
    }
    for (int n = 1; n <= 4; ++n) {
        if (kXFILButtons[n - 1] == id) {
            if (connected && m_model.m_nXFIL != n) {
                m_remote.XFILSelection(1, m_model.m_nXFILBandwidth, n);
            }
            return;
        }
    }

    const auto agc = [this, connected](int value) {
        const int old = m_model.m_nAGC;
        m_model.ShowAGC(value);
        ApplyDisplays();
        if (connected && old != value) {
            m_remote.ReceiverAGC(1, value);
        }
    };

    switch (id) {
        case IDC_RIT_UP:
            if (connected) {
                m_remote.IncrementalOffsetTuning(1);
            }
            break;
        case IDC_RIT_DOWN:
            if (connected) {
                m_remote.IncrementalOffsetTuning(2);
            }
            break;
        case IDC_AFIL:
            if (connected) {
                m_remote.AFILSelection(1, 0);
            }
            break;
        case IDC_NB:
            if (connected) {
                m_remote.NoiseBlanker(1, 0);
            }
            break;
        case IDC_ANTENNA:
            m_model.m_nAntenna = m_model.m_nAntenna == 1 ? 2 : 1;
            if (connected) {
                m_remote.Antenna(1, m_model.m_nAntenna);
            }
            break;
        case IDC_AGC_FAST:
            agc(2);
            break;
        case IDC_AGC_OFF:
            agc(0);
            break;
        case IDC_AGC_SLOW:
            agc(4);
            break;
        case IDC_PREAMP:
            m_model.m_bPreamp = m_model.m_bPreamp != 0 ? 0 : 1;
            if (connected) {
                m_remote.ReceiverPreamp(1, m_model.m_bPreamp);
            }
            break;
        case IDC_ATT:
            m_model.m_bAttenuator = m_model.m_bAttenuator != 0 ? 0 : 1;
            if (connected) {
                m_remote.ReceiverAttenuator(1, m_model.m_bAttenuator);
            }
            break;
        case IDC_VFO_LOCK: {
            m_model.m_bVFOLocked = m_model.m_bVFOLocked != 0 ? 0 : 1;
            const QSignalBlocker blocker(m_checkVFOLock);
            m_checkVFOLock->setChecked(m_model.m_bVFOLocked != 0);
            if (connected) {
                m_remote.LockVFO(1, m_model.m_bVFOLocked);
            }
            break;
        }
        case IDC_TUNE:
            if (connected) {
                m_remote.TuneTransmitter();
            }
            break;
        case IDC_CW_WINDOW:
            ToggleCWWindow();
            break;
        case IDC_SW_PANEL:
            callIfSet(m_cmdEntry.showKeySwitchPanel);
            break;
        default:
            break;
    }
}

void CK2FrontPanelControlDlg::OnTuningSpanSelected(int index) {
    ShowStatus(kStatusNormal, std::string());
    if (index < 0 || index >= static_cast<int>(SpanTable.size()) ||
        index == m_model.m_nTuningSpan) {
        return;
    }
    m_model.m_nTuningSpan = index;
    SetTuningSliderWindow(m_model.RxFrequency());
    m_store.WriteSelectedTuningRange(index);
}

// A pick in the band list tunes the receive VFO to its last frequency on
// that band. Only a band 0-8 and a VFO 0-1 index the bank; anything else
// sends nothing.
void CK2FrontPanelControlDlg::OnBandSelected(int index) {
    ShowStatus(kStatusNormal, std::string());
    if (m_model.m_bVFOLocked != 0 || index == m_model.m_CurTuningRange.nBand) {
        return;
    }
    const int vfo = m_model.m_nRxVFO;
    if (index < 0 || index >= static_cast<int>(m_model.m_VfoBank.size()) || vfo < 0 || vfo > 1) {
        return;
    }
    if (m_model.m_bConnected != 0) {
        const std::uint32_t hz =
            m_model.m_VfoBank[static_cast<std::size_t>(index)][static_cast<std::size_t>(vfo)];
        m_remote.VFOFreq(1, vfo, static_cast<std::int32_t>(hz));
    }
}

void CK2FrontPanelControlDlg::OnPowerSlider(int code, int position) {
    qDebug("OnVScroll: nSBCode = %d, POS = %d", code, position);
    ShowStatus(kStatusNormal, std::string());
    m_model.m_nRFPower = PowerSliderStep(m_model.m_nRFPower, code, position);
    if (code == TrackbarSlider::TB_ENDTRACK && m_model.m_bConnected != 0) {
        // The number counts in the range the radio reported, so that range
        // goes with it; the amplifier option would turn 5.0 W into 50 W.
        m_remote.RFPowerOutput(1, m_model.m_nRFPower, m_model.m_bHighPowerRange != 0 ? 1 : 0);
    }
    {
        const QSignalBlocker blocker(m_sliderPower);
        m_sliderPower->setValue(m_model.PowerSliderPosition());
    }
    UpdateData();
}

void CK2FrontPanelControlDlg::OnCWSpeedSlider(int code, int position) {
    qDebug("OnHScroll: nSBCode = %d, POS = %d", code, position);
    ShowStatus(kStatusNormal, std::string());
    m_model.m_nCWSpeed = CWSpeedSliderStep(m_model.m_nCWSpeed, code, position);
    if (code == TrackbarSlider::TB_ENDTRACK && m_model.m_bConnected != 0) {
        m_remote.CWKeyerSpeed(1, m_model.m_nCWSpeed);
    }
    {
        const QSignalBlocker blocker(m_sliderCWSpeed);
        m_sliderCWSpeed->setValue(m_model.m_nCWSpeed);
    }
    UpdateData();
}

void CK2FrontPanelControlDlg::OnSquelchSlider(int code, int position) {
    qDebug("OnHScroll: nSBCode = %d, POS = %d", code, position);
    ShowStatus(kStatusNormal, std::string());
    m_model.m_nSquelch = SquelchSliderStep(m_model.m_nSquelch, code, position);
    if (code == TrackbarSlider::TB_ENDTRACK && m_model.m_bConnected != 0) {
        m_remote.SquelchLevel(1, m_model.m_nSquelch);
    }
    {
        const QSignalBlocker blocker(m_sliderSquelch);
        m_sliderSquelch->setValue(m_model.m_nSquelch);
    }
    UpdateData();
}

void CK2FrontPanelControlDlg::OnMenuCommand(int id) {
    switch (id) {
        case ID_SAVE_STACK_REGISTER:
            ShowStatus(kStatusNormal, std::string());
            callIfSet(m_cmdEntry.saveStackRegister);
            break;
        case ID_RECALL_STACK_REGISTER:
            ShowStatus(kStatusNormal, std::string());
            callIfSet(m_cmdEntry.recallStackRegister);
            break;
        case ID_SAVE_MEMORY:
            ShowStatus(kStatusNormal, std::string());
            callIfSet(m_cmdEntry.saveMemory);
            break;
        case ID_RECALL_MEMORY:
            ShowStatus(kStatusNormal, std::string());
            callIfSet(m_cmdEntry.recallMemory);
            break;
        case ID_EDIT_MEMORY:
            ShowStatus(kStatusNormal, std::string());
            callIfSet(m_cmdEntry.editMemory);
            break;
        case ID_QSO_LOGGING:
            OnRequestQsoLogging();
            break;
        case IDOK:
            OnOK();
            break;
        case IDC_CW_WINDOW:
            ToggleCWWindow();
            break;
        default:
            break;
    }
}

void CK2FrontPanelControlDlg::OnRequestQsoLogging() {
    ShowStatus(kStatusNormal, std::string());
    callIfSet(m_cmdEntry.startQsoLogging);
}

void CK2FrontPanelControlDlg::OnRequestRadioData(int wParam, std::intptr_t lParam) {
    qDebug("CK2FrontPanelControlDlg Receiving OnRequestingRadioData");
    if (wParam == RADIO_DATA_FOR_THREAD) {
        if (lParam != 0) {
            callIfSet(m_cmdEntry.reportRadioData, lParam, BuildRadioSnapshot());
        }
    } else if (wParam == RADIO_DATA_FOR_PARTNER) {
        // Windows are found by title here; the partner's is the only target.
        if (lParam != 0 || m_model.m_strPartnerWindow.empty()) {
            return;
        }
        if (!platform::postToWindow(m_model.m_strPartnerWindow, WM_COPYDATA, 0,
                                    static_cast<std::uint64_t>(PartnerMessageType::SnapshotRequest),
                                    EncodeRadioSnapshot(BuildRadioSnapshot()))) {
            qDebug("CK2FrontPanelControlDlg: no window \"%s\" for the snapshot",
                   m_model.m_strPartnerWindow.c_str());
        }
    }
}

void CK2FrontPanelControlDlg::OnPartnerMessage(std::uint64_t type, std::string_view payload) {
    qDebug("CK2FrontPanelControlDlg Receiving OnRecevingCopyDataMessage");
    std::string error;
    const auto message = ParsePartnerMessage(type, payload, &error);
    if (!message) {
        qWarning("CK2FrontPanelControlDlg: partner message refused: %s", error.c_str());
        return;
    }
    const bool connected = m_model.m_bConnected != 0;
    switch (message->type) {
        case PartnerMessageType::PartnerTitle:
            m_model.m_strPartnerWindow = message->text;
            if (!CWWindowExists()) {
                OpenCWWindow();
            }
            break;
        case PartnerMessageType::SnapshotRequest:
            QMetaObject::invokeMethod(
                this, [this] { OnRequestRadioData(RADIO_DATA_FOR_PARTNER, 0); },
                Qt::QueuedConnection);
            break;
        case PartnerMessageType::CWSpeed:
            if (connected) {
                m_model.m_nCWSpeed = message->value;
                m_remote.CWKeyerSpeed(1, m_model.m_nCWSpeed);
                const QSignalBlocker blocker(m_sliderCWSpeed);
                m_sliderCWSpeed->setValue(m_model.m_nCWSpeed);
                UpdateData();
            }
            break;
        case PartnerMessageType::RFPower:
            if (connected) {
                m_model.m_nRFPower = message->value;
                m_remote.RFPowerOutput(1, m_model.m_nRFPower,
                                       m_model.m_bHighPowerRange != 0 ? 1 : 0);
                const QSignalBlocker blocker(m_sliderPower);
                m_sliderPower->setValue(m_model.PowerSliderPosition());
                UpdateData();
            }
            break;
        case PartnerMessageType::CWText:
            if (!message->text.empty() && CWWindowExists()) {
                callIfSet(m_cmdEntry.transmitCwText, message->text);
            }
            break;
        case PartnerMessageType::ForgetPartner:
            m_model.m_strPartnerWindow.clear();
            break;
    }
}

void CK2FrontPanelControlDlg::ExecuteRemoteCommand(int command, std::intptr_t param) {
    qDebug("CK2FrontPanelControlDlg got WM_EXECUTE_REMOTE_CMD, Cmd = %d", command);
    showNormal();
    raise();
    switch (command) {
        case REMOTE_CMD_EXIT:
            PostMenuCommand(IDOK);
            break;
        case REMOTE_CMD_TRANSMIT_MEMKEY:
            if (!CWWindowExists()) {
                OpenCWWindow();
            }
            TransmitMemKey(static_cast<int>(param));
            break;
        case REMOTE_CMD_QSOLOG_STYLE_CHANGE:
            callIfSet(m_cmdEntry.qsoLogStyleChange, static_cast<int>(param));
            break;
        case REMOTE_CMD_EMULATE_SWITCH:
            qDebug("EmulateSwitch = %d", static_cast<int>(param));
            if (m_model.m_bConnected != 0) {
                m_remote.EmulateKeySwitch(static_cast<int>(param));
            }
            break;
        case REMOTE_CMD_SCAN_LIMITS:
            if (param != 0) {
                callIfSet(m_cmdEntry.reportScanLimits, param, m_model.m_CurTuningRange);
            }
            break;
        case REMOTE_CMD_TOGGLE_TURBO_MODE:
            m_model.m_bInVFOTurboMode = m_model.m_bInVFOTurboMode != 0 ? 0 : 1;
            ApplyTurboColor();
            qDebug("m_bInVFOTurboMode = %d", m_model.m_bInVFOTurboMode);
            break;
        case REMOTE_CMD_UTC_LOG_CHANGE:
            callIfSet(m_cmdEntry.utcLogChange, static_cast<int>(param));
            break;
        default:
            // 17 carries its limits through RequestFrequencyScan; 11, 13, 14,
            // 18 and 19 do nothing.
            break;
    }
}

void CK2FrontPanelControlDlg::RequestFrequencyScan(std::int32_t low, std::int32_t high) {
    qDebug("CK2FrontPanelControlDlg got WM_EXECUTE_REMOTE_CMD, Cmd = %d",
           REMOTE_CMD_FREQUENCY_SCAN);
    showNormal();
    raise();
    if (m_model.m_bConnected != 0) {
        m_remote.FrequencyScan(low, high);
    }
}

void CK2FrontPanelControlDlg::ApplyTurboColor() {
    m_editActiveFreq->SetBkColor(m_model.m_bInVFOTurboMode != 0 ? kTurboColor
                                                                : panel_colors::kFace);
}

bool CK2FrontPanelControlDlg::CWWindowExists() const {
    return m_model.m_bCWWindowOpen != 0;
}

// The application object gives the entry point that makes the keyboard-CW
// window; a panel without it (a test's) opens nothing.
void CK2FrontPanelControlDlg::OpenCWWindow() {
    if (CWWindowExists() || !m_cmdEntry.openKeyboardCw) {
        return;
    }
    m_cmdEntry.openKeyboardCw();
    m_model.m_bCWWindowOpen = 1;
}

void CK2FrontPanelControlDlg::ToggleCWWindow() {
    if (!CWWindowExists()) {
        OpenCWWindow();
        return;
    }
    callIfSet(m_entry.closeKeyboardCw);
    m_model.m_bCWWindowOpen = 0;
}

void CK2FrontPanelControlDlg::TransmitMemKey(int key) {
    if (CWWindowExists()) {
        callIfSet(m_cmdEntry.transmitMemKey, key);
    }
}

void CK2FrontPanelControlDlg::PostMenuCommand(int id) {
    QMetaObject::invokeMethod(
        this, [this, id] { OnMenuCommand(id); }, Qt::QueuedConnection);
}

void CK2FrontPanelControlDlg::moveEvent(QMoveEvent* event) {
    QDialog::moveEvent(event);
    if (m_model.m_bFirstMove != 0) {
        m_model.m_bFirstMove = 0;
        // The frame of the first show may come with this move.
        if (frameGeometry() != geometry()) {
            StoreShownFrame();
        }
    } else {
        const QRect r = frameGeometry();
        const int right = r.left() + r.width();
        const int bottom = r.top() + r.height();
        qDebug("OnMove: x=%d, y=%d, l=%d,t=%d,r=%d,b=%d", event->pos().x(), event->pos().y(),
               r.left(), r.top(), right, bottom);
        m_store.WriteWindowRect(r.left(), r.top(), right, bottom);
    }
    if (CWWindowExists()) {
        callIfSet(m_cmdEntry.moveKeyboardCw);
    }
    if (m_model.m_bWindowsMoveTogether != 0) {
        callIfSet(m_cmdEntry.placeKeySwitchPanel);
        callIfSet(m_cmdEntry.positionQsoWindows);
    }
}

// The menu opens on the panel's surface, its labels, statics and group
// boxes, not on a control the operator works (a button, edit, slider or combo
// box).
bool CK2FrontPanelControlDlg::OpensCommandMenu(const QPoint& pos) const {
    for (const QWidget* w = childAt(pos); w != nullptr && w != this; w = w->parentWidget()) {
        if (qobject_cast<const QAbstractButton*>(w) != nullptr ||
            qobject_cast<const QLineEdit*>(w) != nullptr ||
            qobject_cast<const QAbstractSlider*>(w) != nullptr ||
            qobject_cast<const QComboBox*>(w) != nullptr) {
            return false;
        }
    }
    return true;
}
