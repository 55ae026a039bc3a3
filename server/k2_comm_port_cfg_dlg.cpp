#include "server/k2_comm_port_cfg_dlg.h"

#include <utility>

#include "controls/looks.h"
#include "controls/stepped_value.h"
#include "server/comm_port_rules.h"
#include "server/server_registry_store.h"
#include "server/server_settings_reader.h"

namespace brakton {

namespace {

QString text(const std::string& utf8) {
    return QString::fromStdString(utf8);
}

}  // namespace

CK2CommPortCfgDlg::CK2CommPortCfgDlg(CServerRegistryStore& store,
                                     const ServerSettingsReader& reader,
                                     std::filesystem::path serialDir,
                                     PAOptionNotifier notifyPAOption, LogFn log, QWidget* parent)
    : ConfigPage(parent),
      m_store(store),
      m_serialDir(std::move(serialDir)),
      m_notifyPAOption(std::move(notifyPAOption)),
      m_log(std::move(log)) {
    const CommPortShown shown = showStoredCommPort(reader);
    m_nPort = shown.port;
    m_nSpeed = shown.speed;
    m_nParity = shown.parity;
    m_nStopBits = shown.stopBits;
    m_nSpeedIndex = speedIndexOf(m_nSpeed).value_or(kDefaultSpeedIndex);
    QString notices = text(shown.notices);

    // "PA Option" is a flag: any readable byte is a value it can show.
    const ByteSetting& paOption = settings::kPAOption;
    m_bPAOption = paOption.defaultValue != 0;
    if (const auto read = reader.read(paOption); read.ok()) {
        m_bPAOption = read.value != 0;
    } else if (read.status == SettingStatus::Bad) {
        notices += text(notReadNotice(paOption.name, flagWord(m_bPAOption)));
        m_bPAOptionUnread = true;  // the notice says Off will be saved: Apply saves it
    }
    m_bPAOptionSaved = m_bPAOption;

    // Dialog units.
    constexpr int kLabelX = 16;
    constexpr int kLabelW = 84;
    constexpr int kValueX = 104;
    constexpr int kValueW = 56;
    constexpr int kRowH = 12;
    constexpr int kPitch = 20;
    int y = 12;
    const auto row = [&](const char* label, int staticId, int upDownId) {
        addLabel(QString::fromLatin1(label), kLabelX, y + 2, kLabelW, 8);
        auto* value = new SteppedValue(this);
        value->setGeometry(looks::dluToPixels(kValueX, y, kValueW, kRowH));
        value->setObjectName(QStringLiteral("value%1").arg(staticId));
        registerControl(staticId, value);
        registerControl(upDownId, value);
        y += kPitch;
        return value;
    };
    m_port = row("Port:", 1001, 1003);
    m_device = addLabel(QString(), kValueX, y - 7, 170, 8);
    m_device->setObjectName(QStringLiteral("deviceLine"));
    y += 4;
    m_speed = row("Speed: ", 1005, 1007);
    m_parity = row("Parity:", 1009, 1011);
    m_stopBits = row("Stop Bit:", 1012, 1013);
    m_paOption = row("Power Amp. Install ", 1019, 1022);
    setNotices(notices, kLabelX, y, 260, 40);
    showValues();

    connect(m_port, &SteppedValue::stepped, this, [this](int delta) {
        m_nPort = stepSheetPort(m_nPort, stepOfDelta(delta));
        showValues();
        markModified();
    });
    connect(m_speed, &SteppedValue::stepped, this, [this](int delta) {
        m_nSpeedIndex = stepSpeedIndex(m_nSpeedIndex, stepOfDelta(delta));
        m_nSpeed = kSpeedTable[static_cast<std::size_t>(m_nSpeedIndex)];
        showValues();
        markModified();
    });
    connect(m_parity, &SteppedValue::stepped, this, [this](int delta) {
        m_nParity = stepParity(m_nParity, stepOfDelta(delta));
        showValues();
        markModified();
    });
    connect(m_stopBits, &SteppedValue::stepped, this, [this](int) {
        m_nStopBits = toggleStopBits(m_nStopBits);
        showValues();
        markModified();
    });
    connect(m_paOption, &SteppedValue::stepped, this, [this](int) {
        m_bPAOption = !m_bPAOption;
        showValues();
        markModified();
    });
}

void CK2CommPortCfgDlg::showValues() {
    m_port->setText(text(sheetPortText(m_nPort)));
    m_device->setText(text(deviceLine(m_nPort, m_serialDir)));
    m_speed->setText(text(speedText(m_nSpeed)));
    m_parity->setText(text(parityText(m_nParity)));
    m_stopBits->setText(text(stopBitsText(m_nStopBits)));
    m_paOption->setText(text(paOptionText(m_bPAOption)));
}

bool CK2CommPortCfgDlg::Apply() {
    bool written = true;
    if (m_bPAOption != m_bPAOptionSaved || m_bPAOptionUnread) {
        if (m_store.WritePAOption(m_bPAOption)) {
            const bool changed = m_bPAOption != m_bPAOptionSaved;
            m_bPAOptionSaved = m_bPAOption;
            m_bPAOptionUnread = false;
            // The program hears of a change only; the unread value was never told.
            if (changed && m_notifyPAOption) {
                m_notifyPAOption(m_bPAOption);
            }
        } else {
            written = false;
        }
    }
    if (!m_store.WriteCommPort(static_cast<std::uint8_t>(m_nPort), m_nSpeed,
                               static_cast<std::uint8_t>(m_nParity),
                               static_cast<std::uint8_t>(m_nStopBits))) {
        return false;
    }
    if (!written) {
        return false;
    }
    SetModified(false);
    if (m_log) {
        m_log(portCfgLine(m_nPort, m_nSpeed, m_nParity, m_nStopBits));
    }
    return true;
}

}  // namespace brakton
