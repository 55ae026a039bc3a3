#include "client/cw/cw_dialogs.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QLabel>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

#include <algorithm>
#include <vector>

#include "client/base/registry_store.h"
#include "client/cw/cw_dialog_steps.h"
#include "client/panel/place_under_panel.h"
#include "controls/cx_shade_button.h"
#include "controls/edit_ex.h"
#include "controls/green_shade.h"
#include "controls/static_ex.h"
#include "controls/stepped_value.h"

namespace {

CxShadeButton* shadedButton(const QString& text, QWidget* parent, int fontHeight, int weight) {
    auto* button = new CxShadeButton(text, parent);
    green_shade::style(*button, fontHeight, weight);
    button->setAutoDefault(false);
    button->setMinimumHeight(26);
    return button;
}

QString padded(int value) {
    return QStringLiteral("  %1").arg(value);
}

void placeOnce(QDialog& dialog, pelorin::CRegistryStore& store) {
    dialog.adjustSize();
    PlaceWindowBesidePanel(dialog, store, FollowerPlace::BelowRight, WhenAnchorSmaller::Centre);
}

}  // namespace

// --- CMemoryKeyAutoplayDlg -------------------------------------------------------------------

CMemoryKeyAutoplayDlg::CMemoryKeyAutoplayDlg(pelorin::CRegistryStore& store, QWidget* panel,
                                             QWidget* parent)
    : QDialog(parent), m_store(store), m_panel(panel) {
    setWindowTitle(QStringLiteral("Memory Key Autoplay"));
    auto* grid = new QGridLayout(this);
    grid->addWidget(new QLabel(QStringLiteral("Memory Key"), this), 0, 0);
    m_memories = new QComboBox(this);
    m_memories->setObjectName(QStringLiteral("memoryKey"));
    grid->addWidget(m_memories, 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("Frequency (Sec)"), this), 1, 0);
    m_interval = new SteppedValue(this);
    m_interval->setObjectName(QStringLiteral("interval"));
    m_interval->setMinimumSize(90, 24);
    grid->addWidget(m_interval, 1, 1);
    grid->addWidget(new QLabel(QStringLiteral("Number of Times:"), this), 2, 0);
    m_times = new SteppedValue(this);
    m_times->setObjectName(QStringLiteral("times"));
    m_times->setMinimumSize(90, 24);
    grid->addWidget(m_times, 2, 1);
    m_until = new QCheckBox(QStringLiteral("Play Until Interrupted"), this);
    grid->addWidget(m_until, 3, 0, 1, 2);
    auto* buttons = new QHBoxLayout();
    m_play = shadedButton(QStringLiteral("Play"), this, 12, 400);
    CxShadeButton* cancel = shadedButton(QStringLiteral("Cancel"), this, 12, 400);
    buttons->addWidget(m_play);
    buttons->addWidget(cancel);
    grid->addLayout(buttons, 4, 0, 1, 2);

    connect(m_play, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_memories, &QComboBox::currentIndexChanged, this, [this] { refresh(); });
    connect(m_interval, &SteppedValue::stepped, this, [this](int delta) {
        m_intervalIndex = cw::StepIntervalIndex(m_intervalIndex, delta);
        refresh();
    });
    connect(m_times, &SteppedValue::stepped, this, [this](int delta) {
        m_timesValue = cw::StepTimes(m_timesValue, delta);
        refresh();
    });
    connect(m_until, &QCheckBox::toggled, this, [this](bool checked) {
        // Unchecked, the count is a real count: at least one.
        if (!checked && m_timesValue < 1) {
            m_timesValue = 1;
        }
        refresh();
    });
}

void CMemoryKeyAutoplayDlg::SetData(const std::array<bool, 11>& present, int memory,
                                    int intervalSeconds, int times) {
    // The list sorts its entries as text: "Memory 10" and "Memory 11" follow
    // "Memory 1".
    std::vector<std::pair<QString, int>> entries;
    for (int i = 0; i < 11; ++i) {
        if (present[static_cast<std::size_t>(i)]) {
            entries.emplace_back(QStringLiteral("Memory %1").arg(i + 1), i);
        }
    }
    std::sort(entries.begin(), entries.end());
    const QSignalBlocker blocker(m_memories);
    m_memories->clear();
    for (const auto& [text, index] : entries) {
        m_memories->addItem(text, index);
    }
    m_memories->setCurrentIndex(m_memories->findData(memory));
    m_intervalIndex = cw::IntervalIndexOf(intervalSeconds);
    m_timesValue = times;
    {
        const QSignalBlocker checkBlocker(m_until);
        m_until->setChecked(times == 0);
    }
    refresh();
}

void CMemoryKeyAutoplayDlg::GetData(int& memory, int& intervalSeconds, int& times) const {
    memory = m_memories->currentData().isValid() ? m_memories->currentData().toInt() : -1;
    intervalSeconds = cw::kAutoplayIntervals[static_cast<std::size_t>(m_intervalIndex)];
    times = m_until->isChecked() ? 0 : std::max(m_timesValue, 1);
}

void CMemoryKeyAutoplayDlg::refresh() {
    m_interval->setText(padded(cw::kAutoplayIntervals[static_cast<std::size_t>(m_intervalIndex)]));
    m_times->setText(padded(m_timesValue));
    m_times->setEnabled(!m_until->isChecked());
    m_play->setEnabled(m_memories->currentIndex() >= 0);
}

void CMemoryKeyAutoplayDlg::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    placeOnce(*this, m_store);
}

// --- CNewCounterValueInputDlg ----------------------------------------------------------------

CNewCounterValueInputDlg::CNewCounterValueInputDlg(pelorin::CRegistryStore& store, QWidget* panel,
                                                   QWidget* parent, std::optional<int> value,
                                                   int digits, bool cut)
    : QDialog(parent), m_store(store), m_panel(panel), m_digitCount(std::clamp(digits, 0, 5)) {
    setWindowTitle(QStringLiteral("Setting New Counter Value"));
    auto* grid = new QGridLayout(this);
    auto* label = new CStaticEx(QStringLiteral("New Counter Value"), this);
    const looks::FontDescription labelFont{QStringLiteral("Times New Roman"), -15, 700};
    label->SetFont(&labelFont);
    grid->addWidget(label, 0, 0);
    m_value = new CEditEx(this);
    m_value->setObjectName(QStringLiteral("counterValue"));
    const looks::FontDescription valueFont{QStringLiteral("Times New Roman"), -30, 700};
    m_value->SetFont(&valueFont);
    m_value->setValidator(new QIntValidator(0, cw::kMaxCounterValue, m_value));
    m_value->setMaxLength(10);
    // An unknown counter shows no number: Set takes one only when the operator enters it.
    if (value) {
        m_value->setText(QString::number(std::clamp(*value, 0, cw::kMaxCounterValue)));
    }
    grid->addWidget(m_value, 0, 1);
    m_cut = new QCheckBox(QStringLiteral("Replace 0 with Cut Number"), this);
    m_cut->setChecked(cut);
    grid->addWidget(m_cut, 1, 0, 1, 2);
    grid->addWidget(new QLabel(QStringLiteral("Total Number of Digits to Send"), this), 2, 0);
    m_digits = new SteppedValue(this);
    m_digits->setObjectName(QStringLiteral("digits"));
    m_digits->setMinimumSize(60, 32);
    m_digits->setFont(looks::makeFont({QStringLiteral("Times New Roman"), -23, 700}));
    m_digits->setText(QString::number(m_digitCount));
    grid->addWidget(m_digits, 2, 1);
    auto* buttons = new QHBoxLayout();
    CxShadeButton* set = shadedButton(QStringLiteral("Set"), this, 14, 600);
    CxShadeButton* cancel = shadedButton(QStringLiteral("Cancel"), this, 14, 600);
    buttons->addWidget(set);
    buttons->addWidget(cancel);
    grid->addLayout(buttons, 3, 0, 1, 2);
    connect(set, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_digits, &SteppedValue::stepped, this, [this](int delta) {
        m_digitCount = cw::StepDigits(m_digitCount, delta);
        m_digits->setText(QString::number(m_digitCount));
    });
}

void CNewCounterValueInputDlg::GetValues(int& value, int& digits, bool& cut) const {
    value = std::clamp(m_value->text().toInt(), 0, cw::kMaxCounterValue);
    digits = m_digitCount;
    cut = m_cut->isChecked();
}

void CNewCounterValueInputDlg::accept() {
    if (!m_value->hasAcceptableInput()) {
        looks::beep();
        return;
    }
    int value = 0;
    int digits = 0;
    bool cut = false;
    GetValues(value, digits, cut);
    m_saved = m_store.WriteCounterSettings(value, (cut ? 0x80 : 0) | (digits & 0x7F));
    QDialog::accept();
}

void CNewCounterValueInputDlg::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    placeOnce(*this, m_store);
}

// --- CQSOMySigRptDlg -------------------------------------------------------------------------

CQSOMySigRptDlg::CQSOMySigRptDlg(pelorin::CRegistryStore& store, QWidget* panel, QWidget* parent)
    : QDialog(parent), m_store(store), m_panel(panel) {
    setWindowTitle(QStringLiteral("My Signal Report"));
    auto* layout = new QVBoxLayout(this);
    auto* label = new CStaticEx(QStringLiteral("My Signal Report is"), this);
    const looks::FontDescription labelFont{QStringLiteral("Times New Roman"), -23, 700};
    label->SetFont(&labelFont);
    label->setAlignment(Qt::AlignCenter);
    layout->addWidget(label);
    m_report = new CEditEx(this);
    m_report->setObjectName(QStringLiteral("report"));
    const looks::FontDescription reportFont{QStringLiteral("Times New Roman"), -45, 700};
    m_report->SetFont(&reportFont);
    m_report->setAlignment(Qt::AlignCenter);
    // Keyable characters only, as many as a text slot holds.
    m_report->setValidator(new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral("[\\x20-\\x7E]{0,79}")), m_report));
    m_report->setText(QStringLiteral("599"));
    layout->addWidget(m_report);
    CxShadeButton* ok = shadedButton(QStringLiteral("OK"), this, 14, 600);
    layout->addWidget(ok);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
}

void CQSOMySigRptDlg::accept() {
    m_store.SetStringSlot(4, m_report->text().toStdString());
    QDialog::accept();
}

void CQSOMySigRptDlg::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    placeOnce(*this, m_store);
}
