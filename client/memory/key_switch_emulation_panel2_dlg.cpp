#include "client/memory/key_switch_emulation_panel2_dlg.h"

#include <QDebug>
#include <QGroupBox>
#include <QLabel>

#include "client/base/registry_store.h"
#include "client/memory/key_switch_target.h"
#include "controls/cx_shade_button.h"
#include "controls/edit_ex.h"
#include "controls/green_shade.h"
#include "controls/looks.h"
#include "platform/message_service.h"

using key_switch::ScanPageModel;

CKeySwitchEmulationPanel2Dlg::CKeySwitchEmulationPanel2Dlg(KeySwitchTarget* target,
                                                           pelorin::CRegistryStore& store,
                                                           QWidget* parent)
    : QWidget(parent),
      m_target(target),
      m_targetObject(target != nullptr ? target->Object() : nullptr),
      m_store(store) {
    auto* group = new QGroupBox(QStringLiteral("Frequecy Scanning"), this);
    group->setGeometry(looks::dluToPixels(6, 6, 310, 112));
    const auto label = [this](const char* text, int y) {
        auto* l = new QLabel(QString::fromLatin1(text), this);
        l->setGeometry(looks::dluToPixels(20, y + 4, 70, 10));
    };
    looks::FontDescription font;
    font.face = QStringLiteral("Times New Roman");
    font.height = -22;
    font.weight = 700;
    label("Low Freq Limit: ", 24);
    m_editLow = new CEditEx(this);
    m_editLow->setGeometry(looks::dluToPixels(95, 22, 110, 18));
    label("High Freq Limit: ", 50);
    m_editHigh = new CEditEx(this);
    m_editHigh->setGeometry(looks::dluToPixels(95, 48, 110, 18));
    for (CEditEx* e : {m_editLow, m_editHigh}) {
        e->SetFont(&font);
        e->SetTextColor(0xFF0000);
        e->SetBkColor(kReadOnlyColor);
        e->setReadOnly(true);
        e->setMaxLength(16);
    }
    m_editLow->setObjectName(QStringLiteral("edit%1").arg(IDC_LOW_LIMIT));
    m_editHigh->setObjectName(QStringLiteral("edit%1").arg(IDC_HIGH_LIMIT));

    m_btnScan = new CxShadeButton(QStringLiteral("Scan"), this);
    m_btnScan->setGeometry(looks::dluToPixels(30, 84, 60, 16));
    m_btnResume = new CxShadeButton(QStringLiteral("Resume"), this);
    m_btnResume->setGeometry(looks::dluToPixels(130, 84, 60, 16));
    m_btnStop = new CxShadeButton(QStringLiteral("Stop Scan"), this);
    m_btnStop->setGeometry(looks::dluToPixels(230, 84, 60, 16));
    for (CxShadeButton* b : {m_btnScan, m_btnResume, m_btnStop}) {
        green_shade::style(*b);
    }
    connect(m_btnScan, &QPushButton::clicked, this, [this] { OnScan(); });
    connect(m_btnResume, &QPushButton::clicked, this, [this] { OnSecond(); });
    connect(m_btnStop, &QPushButton::clicked, this, [this] { OnStopScan(); });
    ShowState();
}

CxShadeButton* CKeySwitchEmulationPanel2Dlg::button(int id) const {
    switch (id) {
        case IDC_SCAN:
            return m_btnScan;
        case IDC_RESUME:
            return m_btnResume;
        case IDC_STOP_SCAN:
            return m_btnStop;
        default:
            return nullptr;
    }
}

void CKeySwitchEmulationPanel2Dlg::ShowState() {
    m_btnScan->setText(QString::fromStdString(m_model.ScanLabel()));
    m_btnScan->setEnabled(m_model.ScanEnabled());
    m_btnResume->setText(QString::fromStdString(m_model.SecondLabel()));
    m_btnResume->setEnabled(m_model.SecondEnabled());
    m_btnStop->setEnabled(m_model.StopEnabled());
}

void CKeySwitchEmulationPanel2Dlg::Post(std::function<void(KeySwitchTarget&)> call) {
    PostToTarget(m_target, m_targetObject, std::move(call));
}

void CKeySwitchEmulationPanel2Dlg::Apply(const ScanPageModel::Effects& effects) {
    if (effects.refused) {
        MessageService::showError(ScanPageModel::kInvalidFrequency);
        CEditEx* field = *effects.refused == ScanPageModel::Field::Low ? m_editLow : m_editHigh;
        field->setFocus();
        field->selectAll();
    }
    if (effects.askLimits) {
        const auto page = reinterpret_cast<std::intptr_t>(this);
        Post([page](KeySwitchTarget& t) { t.executeRemoteCmd(16, page); });
    }
    if (effects.keyCode) {
        const int code = *effects.keyCode;
        Post([code](KeySwitchTarget& t) { t.executeRemoteCmd(15, code); });
    }
    if (effects.scan) {
        const auto [low, high] = *effects.scan;
        m_store.WriteScanLimits(static_cast<int>(low), static_cast<int>(high));
        Post([low, high](KeySwitchTarget& t) {
            t.RequestFrequencyScan(static_cast<std::int32_t>(low), static_cast<std::int32_t>(high));
        });
        ShowLimits();
    }
    ShowState();
}

// The model's limits in the edits, writable or not as it says.
void CKeySwitchEmulationPanel2Dlg::ShowLimits() {
    m_editLow->setText(QString::fromStdString(m_model.LowText()));
    m_editHigh->setText(QString::fromStdString(m_model.HighText()));
    const bool writable = m_model.EditsWritable();
    for (CEditEx* e : {m_editLow, m_editHigh}) {
        e->setReadOnly(!writable);
        e->SetBkColor(writable ? kWritableColor : kReadOnlyColor);
    }
}

void CKeySwitchEmulationPanel2Dlg::OnScan() {
    Apply(m_model.OnScan(m_editLow->text().toStdString(), m_editHigh->text().toStdString()));
}

void CKeySwitchEmulationPanel2Dlg::OnSecond() {
    const bool gettingLimits = !m_model.Scanning() && m_model.LimitsKnown();
    Apply(m_model.OnSecond());
    if (gettingLimits) {
        ShowLimits();
    }
}

void CKeySwitchEmulationPanel2Dlg::OnStopScan() {
    Apply(m_model.OnStop());
}

void CKeySwitchEmulationPanel2Dlg::OnLimitsAnswer(const PanelTuningRange& range) {
    qDebug("CKeySwitchEmulationPanel2Dlg got WM_EXECUTE_REMOTE_CMD, Cmd = %d", 16);
    int low = 0;
    int high = 0;
    m_store.ReadScanLimits(low, high);
    m_model.OnLimits(range, static_cast<std::uint32_t>(low), static_cast<std::uint32_t>(high));
    if (m_model.LimitsKnown()) {
        ShowLimits();
    }
    ShowState();
}
