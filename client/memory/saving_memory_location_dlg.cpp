#include "client/memory/saving_memory_location_dlg.h"

#include <QComboBox>
#include <QDebug>
#include <QLabel>
#include <QLineEdit>

#include "client/memory/memory_dialog_looks.h"
#include "client/memory/memory_fields.h"
#include "client/panel/front_panel_model.h"
#include "client/panel/place_under_panel.h"
#include "controls/cx_shade_button.h"
#include "controls/edit_ex.h"
#include "controls/green_shade.h"
#include "controls/looks.h"
#include "controls/stepped_value.h"
#include "controls/utf8_limit_validator.h"
#include "platform/message_service.h"

using namespace memory_fields;

namespace {

// Dialog-unit layout: labels and fields in two columns under the name and
// the two VFO edits.
constexpr int kWidth = 262;
constexpr int kHeight = 214;
constexpr int kRowTop = 52;
constexpr int kRowStep = 18;

struct ChoiceLabel {
    int controlId;
    const char* label;
    int column;  // 0 left, 1 right
    int row;
};
constexpr ChoiceLabel kChoiceLabels[] = {
    {1136, "Mode:", 0, 0}, {1137, "XFIL:", 0, 1},   {1139, "AFIL:", 0, 2},
    {1142, "AGC:", 0, 3},  {1145, "NB:", 0, 4},     {1159, "PREAMP:", 1, 0},
    {1162, "ATT:", 1, 1},  {1173, "TX VFO:", 1, 2}, {1177, "RX VFO:", 1, 3},
    {1181, "RIT:", 1, 4},  {1184, "XIT:", 1, 5},
};

int columnX(int column) {
    return column == 0 ? 7 : 135;
}

QString qs(const std::string& text) {
    return QString::fromStdString(text);
}

void styleEntryEdit(CEditEx& edit, COLORREF background) {
    looks::FontDescription font;
    font.face = QStringLiteral("Times New Roman");
    font.height = -20;
    font.weight = 700;
    edit.SetFont(&font);
    edit.SetTextColor(0xFF0000);
    edit.SetBkColor(background);
}

}  // namespace

CSavingMemoryLocationDlg::CSavingMemoryLocationDlg(pelorin::CRegistryStore& store, QWidget* panel)
    : QDialog(panel), m_store(store) {
    setWindowTitle(QStringLiteral("Saving  Radio Memory Location"));
    setFixedSize(looks::dluToPixels(QSize(kWidth, kHeight)));

    const auto label = [this](const char* text, int x, int y, int w) {
        auto* l = new QLabel(QString::fromLatin1(text), this);
        l->setGeometry(looks::dluToPixels(x, y + 2, w, 10));
    };
    label("Memory Name:", 7, 9, 63);
    m_editName = new CEditEx(this);
    m_editName->setGeometry(looks::dluToPixels(71, 7, 184, 16));
    m_editName->setValidator(
        new Utf8LimitValidator(RADIO_MEMORY_RECORD::kNameBytes - 1, m_editName));
    label("VFOA (KHz):", 7, 29, 50);
    m_editVFOA = new CEditEx(this);
    m_editVFOA->setGeometry(looks::dluToPixels(60, 27, 70, 16));
    label("VFOB (KHz):", 134, 29, 50);
    m_editVFOB = new CEditEx(this);
    m_editVFOB->setGeometry(looks::dluToPixels(185, 27, 70, 16));
    m_controls[IDC_MEMORY_NAME] = m_editName;
    m_controls[IDC_VFOA] = m_editVFOA;
    m_controls[IDC_VFOB] = m_editVFOB;

    for (const ChoiceLabel& c : kChoiceLabels) {
        const int y = kRowTop + c.row * kRowStep;
        label(c.label, columnX(c.column), y, 45);
        auto* combo = new QComboBox(this);
        combo->setGeometry(looks::dluToPixels(columnX(c.column) + 48, y, 70, 14));
        m_combos[c.controlId] = combo;
        m_controls[c.controlId] = combo;
    }
    for (const Choice& choice : Choices()) {
        QComboBox* combo = m_combos.at(choice.controlId);
        for (const char* item : choice.items) {
            combo->addItem(QString::fromLatin1(item));
        }
    }

    const int antY = kRowTop + 5 * kRowStep;
    label("ANT:", 7, antY, 45);
    m_spinAntenna = new SteppedValue(this);
    m_spinAntenna->setGeometry(looks::dluToPixels(55, antY, 70, 14));
    m_controls[IDC_ANTENNA] = m_spinAntenna;
    m_controls[IDC_ANTENNA_SPIN] = m_spinAntenna;
    connect(m_spinAntenna, &SteppedValue::stepped, this, [this](int) { OnAntennaStep(); });

    const int lastY = kRowTop + 6 * kRowStep;
    label("CW Speed:", 7, lastY, 45);
    m_editCWSpeed = new QLineEdit(this);
    m_editCWSpeed->setGeometry(looks::dluToPixels(55, lastY, 70, 14));
    m_editCWSpeed->setMaxLength(8);
    label("Power (W):", 135, lastY, 45);
    m_editPower = new QLineEdit(this);
    m_editPower->setGeometry(looks::dluToPixels(183, lastY, 70, 14));
    m_editPower->setMaxLength(16);
    m_controls[IDC_CW_SPEED] = m_editCWSpeed;
    m_controls[IDC_POWER] = m_editPower;

    m_btnSave = new CxShadeButton(QStringLiteral("Save"), this);
    m_btnSave->setGeometry(looks::dluToPixels(70, kHeight - 24, 55, 16));
    m_btnSave->setDefault(true);
    m_btnCancel = new CxShadeButton(QStringLiteral("Cancel"), this);
    m_btnCancel->setGeometry(looks::dluToPixels(137, kHeight - 24, 55, 16));
    m_controls[1] = m_btnSave;
    m_controls[2] = m_btnCancel;
    green_shade::style(*m_btnSave);
    green_shade::style(*m_btnCancel);
    connect(m_btnSave, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_btnCancel, &QPushButton::clicked, this, &QDialog::reject);
}

CSavingMemoryLocationDlg::~CSavingMemoryLocationDlg() = default;

void CSavingMemoryLocationDlg::SetMemoryRecord(int editing, const RADIO_MEMORY_RECORD& record) {
    m_bEditing = editing;
    m_record = record;
}

void CSavingMemoryLocationDlg::SetMemoryName(const std::string& name) {
    m_strName = name;
}

QWidget* CSavingMemoryLocationDlg::control(int id) const {
    const auto it = m_controls.find(id);
    return it == m_controls.end() ? nullptr : it->second;
}

void CSavingMemoryLocationDlg::OnInitDialog() {
    styleEntryEdit(*m_editName, m_bEditing != 0 ? 0xC0C0C0 : 0xFFFFFF);
    styleEntryEdit(*m_editVFOA, 0xFFFFFF);
    styleEntryEdit(*m_editVFOB, 0xFFFFFF);
    if (m_bEditing != 0) {
        setWindowTitle(QStringLiteral("Editing Radio Memory Location"));
    }
    m_editName->setReadOnly(m_bEditing != 0);

    const auto& w = m_record.snapshot;
    m_editName->setText(qs(m_strName));
    m_editVFOA->setText(qs(FormatKHz(w[kVfoA])));
    m_editVFOB->setText(qs(FormatKHz(w[kVfoB])));
    m_editPower->setText(qs(FormatPower(w[kPower])));
    m_editCWSpeed->setText(QString::number(w[kCWSpeed]));
    m_nAntenna = w[kAntenna];
    m_spinAntenna->setText(qs(FormatAntenna(m_nAntenna)));
    for (const Choice& choice : Choices()) {
        m_combos.at(choice.controlId)->setCurrentIndex(IndexOf(choice, w[choice.word]));
    }
    PlaceWindowBesidePanel(*this, m_store, FollowerPlace::Under, WhenAnchorSmaller::Centre);
    (m_bEditing != 0 ? static_cast<QWidget*>(m_editVFOA) : m_editName)->setFocus();
}

int CSavingMemoryLocationDlg::exec() {
    OnInitDialog();
    return QDialog::exec();
}

void CSavingMemoryLocationDlg::OnAntennaStep() {
    m_nAntenna = m_nAntenna == 1 ? 2 : 1;
    m_spinAntenna->setText(qs(FormatAntenna(m_nAntenna)));
}

void CSavingMemoryLocationDlg::accept() {
    const auto refuse = [](QLineEdit* field, const char* message) {
        MessageService::showError(message);
        field->setFocus();
        field->selectAll();
    };
    const auto vfoA = ParseFrequencyEntry(m_editVFOA->text().toStdString());
    if (!vfoA) {
        refuse(m_editVFOA, kInvalidFrequency);
        return;
    }
    const auto vfoB = ParseFrequencyEntry(m_editVFOB->text().toStdString());
    if (!vfoB) {
        refuse(m_editVFOB, kInvalidFrequency);
        return;
    }
    const auto power = ParsePowerEntry(m_editPower->text().toStdString());
    if (!power) {
        refuse(m_editPower, kInvalidPower);
        return;
    }
    const auto speed = ParseCWSpeedEntry(m_editCWSpeed->text().toStdString());
    if (!speed) {
        refuse(m_editCWSpeed, kInvalidCWSpeed);
        return;
    }

    auto& w = m_record.snapshot;
    w[kVfoA] = static_cast<std::int32_t>(*vfoA);
    w[kVfoB] = static_cast<std::int32_t>(*vfoB);
    w[kPower] = *power;
    w[kCWSpeed] = *speed;
    w[kAntenna] = m_nAntenna;
    for (const Choice& choice : Choices()) {
        const int index = m_combos.at(choice.controlId)->currentIndex();
        if (index >= 0) {
            w[choice.word] = ValueOf(choice, index);
        }
    }
    m_strName = m_editName->text().toStdString();
    QDialog::accept();
}
