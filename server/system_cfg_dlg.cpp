#include "server/system_cfg_dlg.h"

#include <QCheckBox>
#include <QLineEdit>

#include "controls/looks.h"
#include "platform/config_fields.h"
#include "server/comm_port_rules.h"
#include "server/server_registry_store.h"
#include "server/server_settings_reader.h"

namespace brakton {

namespace {

using namespace settings;

// Dialog units: labels on the left, fields on the right.
constexpr int kLabelX = 8;
constexpr int kLabelW = 104;
constexpr int kEditX = 114;
constexpr int kEditW = 150;
constexpr int kRowH = 12;
constexpr int kPitch = 16;

QString fromUtf8(const std::string& text) {
    return QString::fromStdString(text);
}

std::string toUtf8(const QLineEdit* edit) {
    return edit->text().toStdString();
}

void loadText(const ServerSettingsReader& reader, const TextSetting& entry, QLineEdit* edit,
              QString& notices) {
    const SettingRead<std::string> read = reader.read(entry);
    if (read.ok()) {
        edit->setText(fromUtf8(read.value));
        return;
    }
    edit->setText(QString::fromUtf8(entry.defaultValue));
    if (read.status == SettingStatus::Bad) {
        notices += fromUtf8(notReadNotice(entry.name, entry.defaultValue));
    }
}

// The stored number, or the default with a notice (showing `shownDefault`) when it cannot be
// read; a missing one shows its default quietly.
template <typename T>
T loadNumber(const ServerSettingsReader& reader, const NumberSetting<T>& entry,
             const std::string& shownDefault, QString& notices) {
    const SettingRead<T> read = reader.read(entry);
    if (read.ok()) {
        return read.value;
    }
    if (read.status == SettingStatus::Bad) {
        notices += fromUtf8(notReadNotice(entry.name, shownDefault));
    }
    return entry.defaultValue;
}

}  // namespace

CSystemCfgDlg::CSystemCfgDlg(CServerRegistryStore& store, const ServerSettingsReader& reader,
                             QWidget* parent)
    : ConfigPage(parent), m_store(store) {
    int y = 8;
    const auto row = [&](const char* label, int id, int width = kEditW) {
        addLabel(QString::fromLatin1(label), kLabelX, y + 2, kLabelW, 8);
        QLineEdit* edit = addEdit(id, kEditX, y, width, kRowH);
        y += kPitch;
        return edit;
    };
    m_callsign = row("Callsign:", 1015, 70);
    m_name = row("Name:", 1016);
    m_qth = row("QTH:", 1017);
    m_homeDir = row("Home Directory:", 1014);
    m_logFileName = row("Log Filename: ", 1079);
    m_utcOffset = row("Hours Diff. From UTC:", 1018, 30);
    m_nsHost = row("Name Server Host: ", 1064);
    m_nsPort = row("Name Server Port:", 1065, 40);
    m_streamAudio = new QCheckBox(QStringLiteral("Stream Audio through Network"), this);
    m_streamAudio->setGeometry(looks::dluToPixels(kLabelX, y, 160, 10));
    registerControl(1066, m_streamAudio);
    y += 14;
    m_audioStreamer = row("Name of Audio Streamer:", 1067);

    QString notices;
    load(reader, notices);
    setNotices(notices, kLabelX, y, 270, 20);

    for (QLineEdit* edit : {m_callsign, m_homeDir, m_logFileName, m_name, m_qth, m_utcOffset,
                            m_nsHost, m_nsPort, m_audioStreamer}) {
        connect(edit, &QLineEdit::textChanged, this, [this] { markModified(); });
    }
    connect(m_streamAudio, &QCheckBox::clicked, this, [this] { markModified(); });
}

void CSystemCfgDlg::load(const ServerSettingsReader& reader, QString& notices) {
    loadText(reader, kHomeDir, m_homeDir, notices);
    loadText(reader, kCallsign, m_callsign, notices);
    loadText(reader, kName, m_name, notices);
    loadText(reader, kQth, m_qth, notices);
    loadText(reader, kLogFileName, m_logFileName, notices);

    const std::uint8_t utc =
        loadNumber(reader, kUtcOffset,
                   std::to_string(platform::utcOffsetFromByte(kUtcOffset.defaultValue)), notices);
    m_utcOffset->setText(QString::number(platform::utcOffsetFromByte(utc)));

    // Without a field: a value that cannot be read is written back as its default.
    m_nLoggingMode =
        loadNumber(reader, kLoggingMode, std::to_string(kLoggingMode.defaultValue), notices);

    loadText(reader, kNsHost, m_nsHost, notices);
    const std::uint32_t nsPort =
        loadNumber(reader, kNsPort, std::to_string(kNsPort.defaultValue), notices);
    m_nsPort->setText(QString::number(nsPort));

    loadText(reader, kAudioCommand, m_audioStreamer, notices);
    const std::uint8_t stream =
        loadNumber(reader, kAudioEnabled, flagWord(kAudioEnabled.defaultValue != 0), notices);
    m_streamAudio->setChecked(stream != 0);
}

std::variant<Refusal, CSystemCfgDlg::Fields> CSystemCfgDlg::checkFields() const {
    const auto utc = platform::checkUtcOffset(toUtf8(m_utcOffset));
    if (!utc.ok()) {
        return Refusal{utc.message, m_utcOffset};
    }
    if (const std::string message = platform::checkNameServerHost(toUtf8(m_nsHost));
        !message.empty()) {
        return Refusal{message, m_nsHost};
    }
    const auto port = platform::checkNameServerPort(toUtf8(m_nsPort));
    if (!port.ok()) {
        return Refusal{port.message, m_nsPort};
    }
    return Fields{static_cast<int>(*utc.value), static_cast<std::uint32_t>(*port.value)};
}

std::optional<Refusal> CSystemCfgDlg::Check() const {
    if (auto checked = checkFields(); const Refusal* refusal = std::get_if<Refusal>(&checked)) {
        return *refusal;
    }
    return std::nullopt;
}

bool CSystemCfgDlg::Apply() {
    const auto checked = checkFields();
    const Fields* fields = std::get_if<Fields>(&checked);
    if (fields == nullptr) {
        return false;
    }
    bool written = m_store.WriteOperatorInfo(
        toUtf8(m_homeDir), toUtf8(m_callsign), toUtf8(m_name), toUtf8(m_qth),
        platform::utcOffsetToByte(fields->utcHours), toUtf8(m_logFileName), m_nLoggingMode);
    written =
        m_store.WriteNameService(platform::trimNameServerHost(toUtf8(m_nsHost)), fields->nsPort) &&
        written;
    written =
        m_store.WriteAudioHost(m_streamAudio->isChecked(), toUtf8(m_audioStreamer)) && written;
    if (written) {
        SetModified(false);
    }
    return written;
}

}  // namespace brakton
