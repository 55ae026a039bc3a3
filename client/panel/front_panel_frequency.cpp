// The front panel's frequency controls: tuning steps, band steps, VFO copies
// and assignments, typed frequencies, RIT and XIT, the tuning and RIT
// sliders, and the VFO bank written back when the panel goes.

#include <QDebug>
#include <QEvent>
#include <QKeyEvent>
#include <QSignalBlocker>

#include <algorithm>

#include "client/base/registry_store.h"
#include "client/panel/k2_front_panel_control_dlg.h"
#include "client/panel/panel_remote.h"
#include "controls/clr_button.h"
#include "controls/edit_ex.h"
#include "controls/turbo_slider_ctrl.h"

using namespace front_panel;

namespace {

constexpr COLORREF kGoOffered = 0xE26DDF;
constexpr COLORREF kLampOn = 0x00FF00;

// Reports focus changes of one VFO edit, and takes its Enter key: the
// dialog would otherwise pass Enter on to its default button, the exit.
class VfoEditWatcher : public QObject {
  public:
    VfoEditWatcher(QObject* parent, std::function<void(bool)> focusChanged,
                   std::function<void()> enter)
        : QObject(parent), m_focusChanged(std::move(focusChanged)), m_enter(std::move(enter)) {
        setObjectName(kVfoEditWatcherName);
    }

    bool eventFilter(QObject* watched, QEvent* event) override {
        switch (event->type()) {
            case QEvent::FocusIn:
                m_focusChanged(true);
                break;
            case QEvent::FocusOut:
                m_focusChanged(false);
                break;
            case QEvent::KeyPress: {
                const int key = static_cast<QKeyEvent*>(event)->key();
                if (key == Qt::Key_Return || key == Qt::Key_Enter) {
                    m_enter();
                    return true;
                }
                break;
            }
            default:
                break;
        }
        return QObject::eventFilter(watched, event);
    }

  private:
    std::function<void(bool)> m_focusChanged;
    std::function<void()> m_enter;
};

}  // namespace

void CK2FrontPanelControlDlg::ConnectFrequencyControls() {
    m_model.m_findTuningRange = [this](std::uint32_t hz) -> std::optional<PanelTuningRange> {
        pelorin::TUNING_RANGE_ENTRY entry;
        if (!m_store.FindTuningRange(hz, entry)) {
            return std::nullopt;
        }
        PanelTuningRange range;
        range.name = entry.name;
        range.nBand = entry.band;
        range.ulLowBandEdge = entry.low;
        range.ulHighBandEdge = entry.high;
        return range;
    };

    const auto onClick = [this](int id, auto handler) {
        if (auto* button = qobject_cast<QAbstractButton*>(control(id))) {
            connect(button, &QAbstractButton::clicked, this, handler);
        }
    };
    struct Step {
        int id;
        int direction;
        int step;
    };
    static constexpr Step kSteps[] = {
        {IDC_PLUS_10HZ, 1, 1},  {IDC_MINUS_10HZ, 2, 1}, {IDC_PLUS_20HZ, 1, 2},
        {IDC_MINUS_20HZ, 2, 2}, {IDC_PLUS_50HZ, 1, 3},  {IDC_MINUS_50HZ, 2, 3},
        {IDC_PLUS_1KHZ, 1, 4},  {IDC_MINUS_1KHZ, 2, 4},
    };
    for (const Step& step : kSteps) {
        onClick(step.id, [this, step] { OnMoveActiveVFO(step.direction, step.step); });
    }
    onClick(IDC_BAND_UP, [this] { OnChangeBand(1); });
    onClick(IDC_BAND_DOWN, [this] { OnChangeBand(2); });
    onClick(IDC_B_TO_A, [this] { OnCopyBToA(); });
    onClick(IDC_A_TO_B, [this] { OnCopyAToB(); });
    onClick(IDC_VFOA_RX, [this] { OnVFORx(0); });
    onClick(IDC_VFOA_TX, [this] { OnVFOTx(0); });
    onClick(IDC_VFOB_RX, [this] { OnVFORx(1); });
    onClick(IDC_VFOB_TX, [this] { OnVFOTx(1); });
    onClick(IDC_VFOA_GO, [this] { OnVFOGo(0); });
    onClick(IDC_VFOB_GO, [this] { OnVFOGo(1); });
    onClick(IDC_RIT, [this] { OnRIT(); });
    onClick(IDC_XIT, [this] { OnXIT(); });
    onClick(IDC_CLR, [this] { OnClearRIT(); });

    for (const int vfo : {0, 1}) {
        VfoEdit(vfo)->installEventFilter(new VfoEditWatcher(
            this, [this, vfo](bool gained) { OnVFOEditFocus(vfo, gained); },
            [this, vfo] { OnVFOEditEnter(vfo); }));
    }

    connect(m_sliderTuning, &TrackbarSlider::trackbarNotify, this,
            [this](int code, int position) { OnTuningSlider(code, position); });
    connect(m_sliderRIT, &TrackbarSlider::trackbarNotify, this,
            [this](int code, int position) { OnRITSlider(code, position); });
}

CEditEx* CK2FrontPanelControlDlg::VfoEdit(int vfo) const {
    return vfo == 0 ? m_editVFOA : m_editVFOB;
}

CClrButton* CK2FrontPanelControlDlg::VfoGoButton(int vfo) const {
    return vfo == 0 ? m_btnVFOAGo : m_btnVFOBGo;
}

void CK2FrontPanelControlDlg::OnMoveActiveVFO(int direction, int step) {
    ShowStatus(kStatusNormal, std::string());
    if (m_model.m_bVFOLocked != 0 || m_model.m_bConnected == 0) {
        return;
    }
    m_remote.MoveActiveVFOFreq(direction, step);
}

void CK2FrontPanelControlDlg::OnChangeBand(int direction) {
    ShowStatus(kStatusNormal, std::string());
    if (m_model.m_bVFOLocked != 0 || m_model.m_bConnected == 0) {
        return;
    }
    m_remote.ChangeBand(direction);
}

void CK2FrontPanelControlDlg::OnCopyBToA() {
    ShowStatus(kStatusNormal, std::string());
    if (m_model.m_bVFOLocked != 0) {
        return;
    }
    m_model.m_ulVFOAFreq = m_model.m_ulVFOBFreq;
    if (m_model.m_bConnected != 0) {
        m_remote.VFOFreq(1, 0, static_cast<std::int32_t>(m_model.m_ulVFOAFreq));
    }
    UpdateData();
}

void CK2FrontPanelControlDlg::OnCopyAToB() {
    ShowStatus(kStatusNormal, std::string());
    if (m_model.m_bVFOLocked != 0) {
        return;
    }
    m_model.m_ulVFOBFreq = m_model.m_ulVFOAFreq;
    if (m_model.m_bConnected != 0) {
        m_remote.VFOFreq(1, 1, static_cast<std::int32_t>(m_model.m_ulVFOBFreq));
    }
    UpdateData();
}

// Receiving on a VFO also transmits on it; the lamps wait for the radio.
void CK2FrontPanelControlDlg::OnVFORx(int vfo) {
    ShowStatus(kStatusNormal, std::string());
    if (m_model.m_bVFOLocked != 0) {
        return;
    }
    if (m_model.m_bConnected != 0) {
        m_remote.TransceiverRecvVFOAssignment(1, vfo);
    }
    m_model.m_nRxVFO = vfo;
    m_model.m_nTxVFO = vfo;
    ApplyEditColors();
}

void CK2FrontPanelControlDlg::OnVFOTx(int vfo) {
    ShowStatus(kStatusNormal, std::string());
    if (m_model.m_bVFOLocked != 0) {
        return;
    }
    if (m_model.m_bConnected != 0) {
        m_remote.TransceiverTxVFOAssignment(1, vfo);
    }
    m_model.m_nTxVFO = vfo;
    ApplyEditColors();
}

// Typing is offered only on the receiving VFO's readout. The ">>" buttons
// take the focus when clicked, so the readout's focus-out comes first: it
// must leave the readout's own ">>" enabled for that click.
void CK2FrontPanelControlDlg::OnVFOEditFocus(int vfo, bool gained) {
    const int other = 1 - vfo;
    if (gained) {
        if (m_model.m_bVFOLocked != 0 || m_model.m_nRxVFO != vfo) {
            return;
        }
        VfoEdit(vfo)->setReadOnly(false);
        VfoEdit(other)->setReadOnly(true);
        VfoGoButton(vfo)->setEnabled(true);
        VfoGoButton(vfo)->SetColor(panel_colors::kBlack, kGoOffered);
        return;
    }
    VfoEdit(vfo)->setReadOnly(true);
    VfoGoButton(other)->setEnabled(false);
    VfoGoButton(other)->SetColor(panel_colors::kBlack, panel_colors::kFace);
}

// Enter in a VFO readout is its ">>" while that is offered; otherwise it
// does nothing (never the dialog's default button).
void CK2FrontPanelControlDlg::OnVFOEditEnter(int vfo) {
    if (VfoGoButton(vfo)->isEnabled()) {
        VfoGoButton(vfo)->click();
    }
}

// The typed kHz, exactly: a text that is no frequency of the radio is
// refused with a status and changes nothing.
void CK2FrontPanelControlDlg::OnVFOGo(int vfo) {
    ShowStatus(kStatusNormal, std::string());
    if (m_model.m_bVFOLocked != 0) {
        return;
    }
    const std::string typed = VfoEdit(vfo)->text().toStdString();
    VfoGoButton(vfo)->setEnabled(false);
    VfoGoButton(vfo)->SetColor(panel_colors::kBlack, panel_colors::kFace);
    VfoEdit(vfo)->setReadOnly(true);
    const auto hz = ParseFrequencyEntry(typed);
    if (!hz) {
        ShowStatus(kStatusError, kInvalidFrequencyStatus);
        UpdateData();
        return;
    }
    (vfo == 0 ? m_model.m_ulVFOAFreq : m_model.m_ulVFOBFreq) = *hz;
    if (m_model.m_bConnected != 0) {
        m_remote.VFOFreq(1, vfo, static_cast<std::int32_t>(*hz));
    }
    UpdateData();
}

// RIT and XIT exclude each other; neither has a lock guard.
void CK2FrontPanelControlDlg::OnRIT() {
    ShowStatus(kStatusNormal, std::string());
    m_model.m_bRITOn = m_model.m_bRITOn != 0 ? 0 : 1;
    if (m_model.m_bRITOn != 0 && m_model.m_bXITOn != 0) {
        m_model.m_bXITOn = 0;
        if (m_model.m_bConnected != 0) {
            m_remote.XITControl(1, 0);
        }
    }
    if (m_model.m_bConnected != 0) {
        m_remote.RITControl(1, m_model.m_bRITOn);
    }
    m_model.m_lampFace[IDC_RIT] = m_model.m_bRITOn != 0 ? kLampOn : panel_colors::kFace;
    m_model.m_lampFace[IDC_XIT] = panel_colors::kFace;
    m_model.EnableRITControls(m_model.m_bRITOn);
    ApplyDisplays();
}

void CK2FrontPanelControlDlg::OnXIT() {
    ShowStatus(kStatusNormal, std::string());
    m_model.m_bXITOn = m_model.m_bXITOn != 0 ? 0 : 1;
    if (m_model.m_bXITOn != 0 && m_model.m_bRITOn != 0) {
        m_model.m_bRITOn = 0;
        if (m_model.m_bConnected != 0) {
            m_remote.RITControl(1, 0);
        }
    }
    if (m_model.m_bConnected != 0) {
        m_remote.XITControl(1, m_model.m_bXITOn);
    }
    m_model.m_lampFace[IDC_XIT] = m_model.m_bXITOn != 0 ? kLampOn : panel_colors::kFace;
    m_model.m_lampFace[IDC_RIT] = panel_colors::kFace;
    m_model.EnableRITControls(m_model.m_bXITOn);
    ApplyDisplays();
}

void CK2FrontPanelControlDlg::OnClearRIT() {
    ShowStatus(kStatusNormal, std::string());
    m_model.m_nRITSliderPos = 1000;
    {
        const QSignalBlocker blocker(m_sliderRIT);
        m_sliderRIT->setValue(m_model.m_nRITSliderPos);
    }
    m_strRITValue = m_model.RitValueText();
    if (m_model.m_bConnected != 0) {
        m_remote.ClearFineRITOffset();
    }
}

void CK2FrontPanelControlDlg::OnTuningSlider(int code, int position) {
    qDebug("OnHScroll: nSBCode = %d, POS = %d", code, position);
    ShowStatus(kStatusNormal, std::string());
    const auto hz = m_model.OnTuningSlider(code, position, m_model.m_bConnected != 0,
                                           FrontPanelModel::Clock::now());
    if (hz) {
        m_remote.VFOFreq(1, m_model.m_nRxVFO, static_cast<std::int32_t>(*hz));
    }
    UpdateData();
}

void CK2FrontPanelControlDlg::OnRITSlider(int code, int position) {
    qDebug("OnHScroll: nSBCode = %d, POS = %d", code, position);
    ShowStatus(kStatusNormal, std::string());
    const auto tuning = m_model.OnRitSlider(code, position);
    if (tuning && m_model.m_bConnected != 0) {
        // The server takes at most kMaxRitTuningAmount in one call (each
        // step holds it for a while): a longer move goes in several calls,
        // one after the other, until one is not done.
        int left = tuning->amount;
        do {
            const int amount = std::min(left, kMaxRitTuningAmount);
            qDebug("RITTuning %d, %d", tuning->direction, amount);
            const RemoteStatus status = m_remote.RITTuning(tuning->direction, amount);
            if (!status || *status != 0) {
                break;
            }
            left -= amount;
        } while (left > 0);
    }
    {
        const QSignalBlocker blocker(m_sliderRIT);
        m_sliderRIT->setValue(m_model.m_nRITSliderPos);
    }
    m_strRITValue = m_model.RitValueText();
    UpdateData();
}

void CK2FrontPanelControlDlg::WriteVFOBankBack() {
    if (m_model.m_bConnected == 0) {
        return;
    }
    LastFreqVisitArray cache;
    for (std::size_t band = 0; band < cache.VfoBank.size(); ++band) {
        for (std::size_t vfo = 0; vfo < 2; ++vfo) {
            cache.VfoBank[band][vfo] = static_cast<std::int32_t>(m_model.m_VfoBank[band][vfo]);
        }
    }
    m_remote.WriteVFOFreqCache(cache);
}
