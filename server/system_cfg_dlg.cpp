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

// The store's defaults, shown for values that could not be read.
struct TextDefault {
    const char* name;
    const char* value;
};
constexpr TextDefault kCallsign{"Callsign", "N0CALL"};
constexpr TextDefault kHomeDir{"HomeDir", "C:\\Orvo"};
constexpr TextDefault kLogFileName{"Log File Name", "Orvo.Log"};
constexpr TextDefault kName{"Name", "Nemo"};
constexpr TextDefault kQth{"QTH", "Anytown, ST"};
constexpr TextDefault kNsHost{"NS Host", "localhost"};
constexpr TextDefault kAudioCommand{"Audio Host Command Name", "SpeakFre.exe"};
constexpr std::uint8_t kDefaultUtcByte = 0x87;
constexpr std::uint32_t kDefaultNsPort = 10000;

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

void loadText(const ServerSettingsReader& reader, const TextDefault& value, QLineEdit* edit,
              QString& notices) {
    const SettingRead<std::string> read = reader.text({}, QString::fromLatin1(value.name));
    if (read.ok()) {
        edit->setText(fromUtf8(read.value));
        return;
    }
    edit->setText(QString::fromUtf8(value.value));
    if (read.status == SettingStatus::Bad) {
        notices += fromUtf8(notReadNotice(value.name, value.value));
    }
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

    std::uint8_t utc = kDefaultUtcByte;
    if (const auto read = reader.byte({}, QStringLiteral("Offset from UTC")); read.ok()) {
        utc = read.value;
    } else if (read.status == SettingStatus::Bad) {
        notices += fromUtf8(notReadNotice("Offset from UTC", "-7"));
    }
    m_utcOffset->setText(QString::number(platform::utcOffsetFromByte(utc)));

    if (const auto read = reader.byte({}, QStringLiteral("SW Logging Mode")); read.ok()) {
        m_nLoggingMode = read.value;
    } else if (read.status == SettingStatus::Bad) {
        notices += fromUtf8(notReadNotice("SW Logging Mode", "0"));
    }

    loadText(reader, kNsHost, m_nsHost, notices);
    std::uint32_t nsPort = kDefaultNsPort;
    if (const auto read = reader.dword({}, QStringLiteral("NS Port")); read.ok()) {
        nsPort = read.value;
    } else if (read.status == SettingStatus::Bad) {
        notices += fromUtf8(notReadNotice("NS Port", std::to_string(kDefaultNsPort)));
    }
    m_nsPort->setText(QString::number(nsPort));

    loadText(reader, kAudioCommand, m_audioStreamer, notices);
    bool stream = false;
    if (const auto read = reader.byte({}, QStringLiteral("Audio Streaming Host")); read.ok()) {
        stream = read.value != 0;
    } else if (read.status == SettingStatus::Bad) {
        notices += fromUtf8(notReadNotice("Audio Streaming Host", "Off"));
    }
    m_streamAudio->setChecked(stream);
}

std::optional<Refusal> CSystemCfgDlg::Check() const {
    if (const auto utc = platform::checkUtcOffset(toUtf8(m_utcOffset)); !utc.ok()) {
        return Refusal{utc.message, m_utcOffset};
    }
    if (const std::string message = platform::checkNameServerHost(toUtf8(m_nsHost));
        !message.empty()) {
        return Refusal{message, m_nsHost};
    }
    if (const auto port = platform::checkNameServerPort(toUtf8(m_nsPort)); !port.ok()) {
        return Refusal{port.message, m_nsPort};
    }
    return std::nullopt;
}

bool CSystemCfgDlg::Apply() {
    const int hours = static_cast<int>(*platform::checkUtcOffset(toUtf8(m_utcOffset)).value);
    const auto nsPort =
        static_cast<std::uint32_t>(*platform::checkNameServerPort(toUtf8(m_nsPort)).value);
    bool written = m_store.WriteOperatorInfo(toUtf8(m_homeDir), toUtf8(m_callsign), toUtf8(m_name),
                                             toUtf8(m_qth), platform::utcOffsetToByte(hours),
                                             toUtf8(m_logFileName), m_nLoggingMode);
    written =
        m_store.WriteNameService(platform::trimNameServerHost(toUtf8(m_nsHost)), nsPort) && written;
    written =
        m_store.WriteAudioHost(m_streamAudio->isChecked(), toUtf8(m_audioStreamer)) && written;
    if (written) {
        SetModified(false);
    }
    return written;
}

}  // namespace brakton
