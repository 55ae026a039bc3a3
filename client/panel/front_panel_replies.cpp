// The front panel's displays: radio replies through the model onto the
// controls.

#include <QCheckBox>
#include <QComboBox>
#include <QDebug>
#include <QSignalBlocker>

#include "client/panel/k2_front_panel_control_dlg.h"
#include "controls/clr_button.h"
#include "controls/cx_shade_button.h"
#include "controls/digi_static.h"
#include "controls/edit_ex.h"
#include "controls/static_ex.h"
#include "controls/turbo_slider_ctrl.h"

using namespace front_panel;

namespace {

// The on and off looks of the mode, AGC, filter, preamp and attenuator
// buttons; only the mode, AGC and filter buttons change their font.
constexpr COLORREF kOnText = 0x800000;
constexpr COLORREF kOffText = 0x5A5A5A;
constexpr COLORREF kOnShade = 0xC0C0FF;
constexpr COLORREF kOffShade = 0xFF3737;

bool ChangesFont(int id) {
    return (id >= IDC_AGC_FAST && id <= IDC_AGC_OFF) || (id >= IDC_XFIL1 && id <= IDC_MODE_RTTYR);
}

void ShowButtonLook(CxShadeButton& button, int id, bool on) {
    if (ChangesFont(id)) {
        button.SetTextFont(QStringLiteral("Tahoma"), on ? 14 : 12, 600);
    }
    button.SetTextColor(on ? kOnText : kOffText);
    if (on) {
        button.SetShade(6, 8, 10, 5, kOnShade);
    } else {
        button.SetShade(0, 8, 20, 5, kOffShade);
    }
    button.update();
}

}  // namespace

void CK2FrontPanelControlDlg::ParseRadioReply(int code, const std::string& text) {
    qDebug("Cmd = %s", text.c_str());
    using Effect = FrontPanelModel::ReplyEffect;
    switch (m_model.ParseRadioReply(code, text, FrontPanelModel::Clock::now())) {
        case Effect::None:
            break;
        case Effect::BarGraph:
            ApplyBarGraph();
            break;
        case Effect::Banner:
            ApplyBanner();
            break;
        case Effect::Displays:
            ApplyDisplays();
            break;
    }
}

void CK2FrontPanelControlDlg::ShowOpMode(int mode) {
    m_model.ShowOpMode(mode);
    ApplyDisplays();
}

void CK2FrontPanelControlDlg::ShowAGC(int agc) {
    m_model.ShowAGC(agc);
    ApplyDisplays();
}

void CK2FrontPanelControlDlg::ShowXFIL(int filter) {
    m_model.ShowXFIL(filter);
    ApplyDisplays();
}

void CK2FrontPanelControlDlg::ShowAFIL(int afil) {
    m_model.ShowAFIL(afil);
    ApplyDisplays();
}

void CK2FrontPanelControlDlg::ShowNB(int nb) {
    m_model.ShowNB(nb);
    ApplyDisplays();
}

void CK2FrontPanelControlDlg::ShowAntenna(int antenna) {
    m_model.ShowAntenna(antenna);
    ApplyDisplays();
}

void CK2FrontPanelControlDlg::ShowPreamp(int on) {
    m_model.ShowPreamp(on);
    ApplyDisplays();
}

void CK2FrontPanelControlDlg::ShowAttenuator(int on) {
    m_model.ShowAttenuator(on);
    ApplyDisplays();
}

void CK2FrontPanelControlDlg::ShowBarGraph(int level) {
    m_model.ShowBarGraph(level);
    ApplyBarGraph();
}

// Positions, selections and the check box are set with their signals
// blocked: showing the radio's state never sends a command.
void CK2FrontPanelControlDlg::ApplyDisplays() {
    for (const auto& [id, on] : m_model.m_buttonOn) {
        auto* button = qobject_cast<CxShadeButton*>(control(id));
        const auto shown = m_shownButtonOn.find(id);
        if (button != nullptr && (shown == m_shownButtonOn.end() || shown->second != on)) {
            ShowButtonLook(*button, id, on != 0);
            m_shownButtonOn[id] = on;
        }
    }
    const auto setText = [this](int id, const std::string& text) {
        if (auto* button = qobject_cast<CxShadeButton*>(control(id))) {
            button->setText(QString::fromStdString(text));
        }
    };
    setText(IDC_AFIL, m_model.m_strAFILButton);
    setText(IDC_NB, m_model.m_strNBButton);
    setText(IDC_ANTENNA, m_model.m_strAntennaButton);
    for (const auto& [id, face] : m_model.m_lampFace) {
        auto* lamp = qobject_cast<CClrButton*>(control(id));
        if (lamp != nullptr && lamp->FaceColor() != face) {
            lamp->SetColor(panel_colors::kBlack, face);
        }
    }
    ApplyTuningSlider();
    {
        const QSignalBlocker blockRit(m_sliderRIT);
        const QSignalBlocker blockCw(m_sliderCWSpeed);
        const QSignalBlocker blockPower(m_sliderPower);
        const QSignalBlocker blockSquelch(m_sliderSquelch);
        const QSignalBlocker blockBand(m_comboBand);
        const QSignalBlocker blockLock(m_checkVFOLock);
        m_sliderRIT->setValue(m_model.m_nRITSliderPos);
        m_sliderCWSpeed->setValue(m_model.m_nCWSpeed);
        m_sliderPower->setValue(m_model.PowerSliderPosition());
        m_sliderSquelch->setValue(m_model.m_nSquelch);
        const int band = m_model.m_nBandSel;
        if (band >= 0 && band < m_comboBand->count()) {
            m_comboBand->setCurrentIndex(band);
        }
        m_checkVFOLock->setChecked(m_model.m_bVFOLocked != 0);
    }
    for (const int id : {IDC_RIT_DOWN, IDC_RIT_UP, IDC_RIT_SLIDER}) {
        control(id)->setEnabled(m_model.m_bRITControlsEnabled != 0);
    }
    m_strRITValue = m_model.RitValueText();
    ApplyEditColors();
    UpdateData();
}

void CK2FrontPanelControlDlg::ApplyTuningSlider() {
    const QSignalBlocker blocker(m_sliderTuning);
    m_sliderTuning->setRange(static_cast<int>(m_model.m_ulSliderLow / 10),
                             static_cast<int>(m_model.m_ulSliderHigh / 10));
    m_sliderTuning->setValue(static_cast<int>(m_model.m_nTuningPos));
}

void CK2FrontPanelControlDlg::ApplyBarGraph() {
    for (const int id : kSMeterLampIds) {
        auto* lamp = qobject_cast<CClrButton*>(control(id));
        const auto face = m_model.m_lampFace.find(id);
        if (lamp != nullptr && face != m_model.m_lampFace.end() &&
            lamp->FaceColor() != face->second) {
            lamp->SetColor(panel_colors::kBlack, face->second);
        }
    }
}

void CK2FrontPanelControlDlg::ApplyBanner() {
    m_digiBanner->SetText(QString::fromStdString(m_model.m_strBanner));
    const std::array<CStaticEx*, 7> indicators = {m_stcNB,   m_stcANT2, m_stcPRE, m_stcATT,
                                                  m_stcVFOB, m_stcRIT,  m_stcXIT};
    for (std::size_t i = 0; i < indicators.size(); ++i) {
        if (indicators[i]->GetBkColor() != m_model.m_indicatorBk[i]) {
            indicators[i]->SetBkColor(m_model.m_indicatorBk[i]);
        }
    }
}

void CK2FrontPanelControlDlg::ApplyEditColors() {
    const auto set = [](CEditEx* edit, COLORREF color) {
        if (edit->GetBkColor() != color) {
            edit->SetBkColor(color);
        }
    };
    set(m_editVFOA, m_model.VfoEditColor(0));
    set(m_editVFOB, m_model.VfoEditColor(1));
    set(m_editRITOffset, m_model.RitOffsetEditColor());
}
