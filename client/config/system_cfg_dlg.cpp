#include "client/config/system_cfg_dlg.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>

#include <optional>

#include "client/base/registry_store.h"
#include "controls/looks.h"
#include "controls/stepped_value.h"
#include "controls/utf8_limit_validator.h"
#include "platform/config_fields.h"
#include "platform/message_service.h"

namespace pelorin {

namespace {

using namespace settings;

constexpr const char* kStyleTexts[] = {"  Normal ", " Contest "};
constexpr int kMaxSerialDigits = 5;

QString qs(const std::string& text) {
    return QString::fromStdString(text);
}

// The stored value, or the entry's default when it is missing or cannot be read.
std::string storedOrDefault(const SettingsReader& reader, const TextSetting& entry) {
    const SettingRead<std::string> read = reader.read(entry);
    return read.ok() ? read.value : std::string(entry.defaultValue);
}

template <typename T>
T storedOrDefault(const SettingsReader& reader, const NumberSetting<T>& entry) {
    const SettingRead<T> read = reader.read(entry);
    return read.ok() ? read.value : entry.defaultValue;
}

}  // namespace

CSystemCfgDlg::CSystemCfgDlg(CRegistryStore& store, PostCommand post, QWidget* parent)
    : PropertyPage(parent), m_store(store), m_post(std::move(post)) {
    // Dialog units: operator data, then the groups "Network" and "QSO Logging".
    AddEdit(IDC_CALLSIGN, "Callsign:", 8, 8, 90, 100);
    AddEdit(IDC_HOME_DIR, "Home Directory:", 8, 24, 90, 180);
    AddEdit(IDC_NAME, "Name:", 8, 40, 90, 100);
    AddEdit(IDC_QTH, "QTH:", 8, 56, 90, 180);
    AddEdit(IDC_UTC_OFFSET, "Hours Diff. From UTC:", 8, 72, 90, 30);

    auto* network = new QGroupBox(QStringLiteral("Network"), this);
    network->setGeometry(looks::dluToPixels(4, 88, 286, 48));
    AddEdit(IDC_NS_HOST, "Name Server Host: ", 12, 100, 80, 120);
    AddEdit(IDC_NS_PORT, "Name Server Port:", 12, 116, 80, 40);
    auto* connectBox = new QCheckBox(QStringLiteral("Connect to Server Automatically"), this);
    connectBox->setGeometry(looks::dluToPixels(134, 116, 150, 12));
    connectBox->setChecked(false);
    connectBox->setEnabled(false);
    m_controls[IDC_CONNECT_AUTOMATICALLY] = connectBox;

    auto* logging = new QGroupBox(QStringLiteral("QSO Logging"), this);
    logging->setGeometry(looks::dluToPixels(4, 140, 286, 84));
    AddEdit(IDC_GRID_SQUARE, "Grid Square: ", 12, 152, 54, 50);
    AddEdit(IDC_CQ_ZONE, "CQ Zone: ", 120, 152, 40, 30);
    AddEdit(IDC_ITU_ZONE, "ITU Zone: ", 200, 152, 43, 30);
    auto* styleLabel = new QLabel(QStringLiteral("Logging Style: "), this);
    styleLabel->setGeometry(looks::dluToPixels(12, 170, 60, 10));
    m_style = new SteppedValue(this);
    m_style->setGeometry(looks::dluToPixels(72, 168, 60, 14));
    m_controls[IDC_LOGGING_STYLE] = m_style;
    m_controls[IDC_LOGGING_STYLE_SPIN] = m_style;
    m_checkUseUTC = new QCheckBox(QStringLiteral("Use UTC in Log "), this);
    m_checkUseUTC->setGeometry(looks::dluToPixels(140, 170, 100, 12));
    m_controls[IDC_USE_UTC] = m_checkUseUTC;
    m_checkCut = new QCheckBox(QStringLiteral("Use Cut Number"), this);
    m_checkCut->setGeometry(looks::dluToPixels(12, 188, 100, 12));
    m_controls[IDC_CUT_NUMBER] = m_checkCut;
    AddEdit(IDC_SERIAL_DIGITS, "Number of digits in Serial Number : ", 12, 204, 150, 20);

    Load();

    for (const auto& [id, widget] : m_controls) {
        if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
            connect(edit, &QLineEdit::textEdited, this, [this] { setModified(true); });
        }
    }
    for (QCheckBox* box : {m_checkCut, m_checkUseUTC}) {
        connect(box, &QCheckBox::clicked, this, [this] { setModified(true); });
    }
    connect(m_style, &SteppedValue::stepped, this, [this](int) { OnLoggingStyleStep(); });
}

QLineEdit* CSystemCfgDlg::AddEdit(int id, const char* label, int x, int y, int labelWidth,
                                  int width) {
    auto* l = new QLabel(QString::fromLatin1(label), this);
    l->setGeometry(looks::dluToPixels(x, y + 2, labelWidth, 10));
    auto* edit = new QLineEdit(this);
    edit->setGeometry(looks::dluToPixels(x + labelWidth + 2, y, width, 13));
    edit->setObjectName(QStringLiteral("edit%1").arg(id));
    edit->setValidator(new Utf8LimitValidator(platform::kMaxTextFieldBytes, edit));
    m_controls[id] = edit;
    return edit;
}

QWidget* CSystemCfgDlg::control(int id) const {
    const auto it = m_controls.find(id);
    return it == m_controls.end() ? nullptr : it->second;
}

void CSystemCfgDlg::Load() {
    const SettingsReader reader = CRegistryStore::ReadOnly();
    const auto text = [&](int id, const TextSetting& entry) {
        qobject_cast<QLineEdit*>(control(id))->setText(qs(storedOrDefault(reader, entry)));
    };
    text(IDC_HOME_DIR, kHomeDir);
    text(IDC_CALLSIGN, kCallsign);
    text(IDC_NAME, kName);
    text(IDC_QTH, kQth);
    text(IDC_NS_HOST, kNsHost);
    text(IDC_GRID_SQUARE, kGridSquare);
    text(IDC_CQ_ZONE, kCqZone);
    text(IDC_ITU_ZONE, kItuZone);
    m_strLogFileName = storedOrDefault(reader, kLogFileName);
    m_nSWLoggingMode = storedOrDefault(reader, kLoggingMode);

    const std::uint8_t utc = storedOrDefault(reader, kUtcOffset);
    qobject_cast<QLineEdit*>(control(IDC_UTC_OFFSET))
        ->setText(QString::number(platform::utcOffsetFromByte(utc)));
    const std::uint32_t port = storedOrDefault(reader, kNsPort);
    qobject_cast<QLineEdit*>(control(IDC_NS_PORT))->setText(QString::number(port));

    const bool useUtc = storedOrDefault(reader, kUseUtc) != 0;
    m_checkUseUTC->setChecked(useUtc);
    m_bUseUTCSaved = useUtc;
    const std::uint8_t outputMode = storedOrDefault(reader, kOutputMode);
    m_checkCut->setChecked((outputMode & 0x80) != 0);
    qobject_cast<QLineEdit*>(control(IDC_SERIAL_DIGITS))
        ->setText(QString::number(std::min(outputMode & 0x7F, kMaxSerialDigits)));

    m_nLoggingMode = storedOrDefault(reader, kQsoLoggingMode) & 1;
    m_nLoggingModeSaved = m_nLoggingMode;
    ShowLoggingStyle();
}

void CSystemCfgDlg::ShowLoggingStyle() {
    m_style->setText(QString::fromLatin1(kStyleTexts[m_nLoggingMode]));
}

void CSystemCfgDlg::OnLoggingStyleStep() {
    m_nLoggingMode = m_nLoggingMode == 0 ? 1 : 0;
    ShowLoggingStyle();
    setModified(true);
}

std::string CSystemCfgDlg::textOf(int id) const {
    return qobject_cast<QLineEdit*>(control(id))->text().toStdString();
}

std::variant<CSystemCfgDlg::Refusal, CSystemCfgDlg::Fields> CSystemCfgDlg::checkFields() const {
    const auto utc = platform::checkUtcOffset(textOf(IDC_UTC_OFFSET));
    if (!utc.ok()) {
        return Refusal{utc.message, IDC_UTC_OFFSET};
    }
    if (std::string host = platform::checkNameServerHost(textOf(IDC_NS_HOST)); !host.empty()) {
        return Refusal{std::move(host), IDC_NS_HOST};
    }
    const auto port = platform::checkNameServerPort(textOf(IDC_NS_PORT));
    if (!port.ok()) {
        return Refusal{port.message, IDC_NS_PORT};
    }
    const auto digits =
        platform::checkIntegerBetween(textOf(IDC_SERIAL_DIGITS), 0, kMaxSerialDigits);
    if (!digits.ok()) {
        return Refusal{digits.message, IDC_SERIAL_DIGITS};
    }
    return Fields{static_cast<int>(*utc.value), static_cast<int>(*port.value),
                  static_cast<int>(*digits.value)};
}

bool CSystemCfgDlg::check() {
    const auto checked = checkFields();
    const Refusal* refusal = std::get_if<Refusal>(&checked);
    if (refusal == nullptr) {
        return true;
    }
    MessageService::showError(refusal->message);
    auto* field = qobject_cast<QLineEdit*>(control(refusal->id));
    field->setFocus();
    field->selectAll();
    return false;
}

bool CSystemCfgDlg::apply() {
    const auto checked = checkFields();
    const Fields* fields = std::get_if<Fields>(&checked);
    if (fields == nullptr) {
        return false;
    }
    const int outputMode = (m_checkCut->isChecked() ? 0x80 : 0) | fields->serialDigits;
    const bool useUtc = m_checkUseUTC->isChecked();
    // The counter as stored now (the keyboard-CW window may have stepped it), written back
    // only when it reads as a counter: one that is missing or unreadable stays as it stands.
    const SettingRead<std::uint32_t> counter = CRegistryStore::ReadOnly().read(kCounterValue);
    std::optional<int> counterValue;
    if (counter.ok()) {
        counterValue = static_cast<int>(counter.value);
    }

    const std::string callsign = textOf(IDC_CALLSIGN);
    const std::string name = textOf(IDC_NAME);
    const std::string qth = textOf(IDC_QTH);
    bool written = m_store.WriteOperatorInfo(textOf(IDC_HOME_DIR), callsign, name, qth,
                                             platform::utcOffsetToByte(fields->utcHours),
                                             m_strLogFileName, m_nSWLoggingMode);
    written =
        m_store.WriteQsoLogInfo(textOf(IDC_GRID_SQUARE), textOf(IDC_CQ_ZONE), textOf(IDC_ITU_ZONE),
                                counterValue, outputMode, useUtc ? 1 : 0) &&
        written;
    written = m_store.WriteQsoLoggingMode(m_nLoggingMode) && written;
    const bool styleChanged = m_nLoggingMode != m_nLoggingModeSaved;
    if (styleChanged) {
        // A new logging style starts a new log under the default name.
        written = m_store.WriteCurrentLogFileName(kCurrentLogFileName.defaultValue) && written;
    }
    written = m_store.WriteNameService(platform::trimNameServerHost(textOf(IDC_NS_HOST)),
                                       fields->nsPort) &&
              written;
    if (!written) {
        return false;
    }

    if (useUtc != m_bUseUTCSaved) {
        if (m_post) {
            m_post(REMOTE_CMD_UTC_LOG_CHANGE, useUtc ? 1 : 0);
        }
        m_bUseUTCSaved = useUtc;
    }
    if (styleChanged) {
        if (m_post) {
            m_post(REMOTE_CMD_QSOLOG_STYLE_CHANGE, m_nLoggingMode);
        }
        m_nLoggingModeSaved = m_nLoggingMode;
    }
    m_store.SetStringSlot(1, callsign);
    m_store.SetStringSlot(2, name);
    m_store.SetStringSlot(3, qth);
    setModified(false);
    return true;
}

}  // namespace pelorin
